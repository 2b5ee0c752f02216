#include "db/EngineAliases.h"

#include "base/ETalvekException.h"
#include "base/OrvPaths.h"
#include "db/TableWriteGuard.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTextStream>

QString EngineAliases::defaultFilePath()
{
    return QDir(OrvPaths::configDir()).filePath(QStringLiteral("aliases.conf"));
}

EngineAliases::EngineAliases(QString filePath) : m_filePath(std::move(filePath)) {}

QString EngineAliases::duplicateMessage(const Duplicate& duplicate) const
{
    return QStringLiteral("Soubor aliasů '%1', řádek %2: alias '%3' je už definován na řádku %4")
        .arg(m_filePath)
        .arg(duplicate.line)
        .arg(duplicate.name)
        .arg(duplicate.firstLine);
}

void EngineAliases::load(Duplicates duplicates)
{
    m_aliases.clear();
    m_duplicates.clear();
    QList<int> sectionLines;
    QFile file(m_filePath);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw ETalvekException(QStringLiteral("Soubor aliasů '%1' nelze číst: %2")
                                   .arg(m_filePath, file.errorString()));
    QTextStream in(&file);
    int lineNo = 0;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        ++lineNo;
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            const QString name = line.mid(1, line.size() - 2).trimmed();
            if (name.isEmpty())
                throw ETalvekException(
                    QStringLiteral("Soubor aliasů '%1', řádek %2: chybí název aliasu")
                        .arg(m_filePath)
                        .arg(lineNo));
            if (const int first = indexOf(name); first >= 0) {
                const Duplicate duplicate{name, lineNo, sectionLines[first]};
                if (duplicates == Duplicates::Refuse)
                    throw ETalvekException(duplicateMessage(duplicate));
                m_duplicates.append(duplicate);
            }
            m_aliases.append(Alias{name, QString(), {}});
            sectionLines.append(lineNo);
            continue;
        }
        const int eq = line.indexOf(u'=');
        if (eq <= 0 || m_aliases.isEmpty())
            throw ETalvekException(QStringLiteral("Soubor aliasů '%1', řádek %2: chybný řádek")
                                       .arg(m_filePath)
                                       .arg(lineNo));
        const QString key = line.left(eq).trimmed().toUpper();
        const QString value = line.mid(eq + 1).trimmed();
        Alias& alias = m_aliases.last();
        if (key == QLatin1String("DRIVER"))
            alias.driver = value;
        else
            alias.params.append({key, value});
    }
}

void EngineAliases::save() const
{
    QDir().mkpath(QFileInfo(m_filePath).absolutePath());
    TableWriteGuard::checkOutputFile(m_filePath);
    QSaveFile file(m_filePath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        throw ETalvekException(QStringLiteral("Soubor aliasů '%1' nelze zapsat: %2")
                                   .arg(m_filePath, file.errorString()));
    QTextStream out(&file);
    bool firstSection = true;
    for (const Alias& alias : m_aliases) {
        if (!firstSection)
            out << '\n';
        firstSection = false;
        out << '[' << alias.name << "]\n";
        out << "DRIVER=" << alias.driver << '\n';
        for (const auto& p : alias.params)
            out << p.first << '=' << p.second << '\n';
    }
    out.flush();
    if (!file.commit())
        throw ETalvekException(QStringLiteral("Soubor aliasů '%1' nelze zapsat: %2")
                                   .arg(m_filePath, file.errorString()));
}

QStringList EngineAliases::names() const
{
    QStringList result;
    for (const Alias& alias : m_aliases)
        result.append(alias.name);
    return result;
}

bool EngineAliases::contains(const QString& name) const
{
    return indexOf(name) >= 0;
}

QString EngineAliases::driverName(const QString& name) const
{
    return aliasOrThrow(name).driver;
}

QStringList EngineAliases::params(const QString& name) const
{
    QStringList result;
    for (const auto& p : aliasOrThrow(name).params)
        result.append(p.first + u'=' + p.second);
    return result;
}

QString EngineAliases::param(const QString& name, const QString& key) const
{
    for (const auto& p : aliasOrThrow(name).params)
        if (p.first.compare(key, Qt::CaseInsensitive) == 0)
            return p.second;
    return QString();
}

void EngineAliases::add(const QString& name, const QString& driver, const QStringList& params)
{
    checkName(name);
    if (indexOf(name) >= 0)
        throw ETalvekException(QStringLiteral("Alias '%1' již existuje").arg(name));
    Alias alias{name.trimmed(), driver.trimmed(), {}};
    for (const QString& line : params) {
        const auto p = splitParam(line);
        if (p.first == QLatin1String("DRIVER"))
            alias.driver = p.second;
        else
            alias.params.append(p);
    }
    m_aliases.append(alias);
}

void EngineAliases::addStandard(const QString& name, const QString& directory)
{
    add(name, standardDriver(), {QStringLiteral("PATH=") + directory});
}

void EngineAliases::modify(const QString& name, const QStringList& params)
{
    aliasOrThrow(name);
    Alias& alias = m_aliases[indexOf(name)];
    for (const QString& line : params) {
        const auto p = splitParam(line);
        if (p.first == QLatin1String("DRIVER")) {
            alias.driver = p.second;
            continue;
        }
        auto it = std::find_if(alias.params.begin(), alias.params.end(),
                               [&](const auto& q) { return q.first == p.first; });
        if (it != alias.params.end())
            it->second = p.second;
        else
            alias.params.append(p);
    }
}

void EngineAliases::remove(const QString& name)
{
    aliasOrThrow(name);
    for (int i = indexOf(name); i >= 0; i = indexOf(name))
        m_aliases.removeAt(i);
    m_duplicates.removeIf([&](const Duplicate& d) {
        return d.name.compare(name.trimmed(), Qt::CaseInsensitive) == 0;
    });
}

int EngineAliases::indexOf(const QString& name) const
{
    const QString wanted = name.trimmed();
    for (int i = 0; i < m_aliases.size(); ++i)
        if (m_aliases[i].name.compare(wanted, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

const EngineAliases::Alias& EngineAliases::aliasOrThrow(const QString& name) const
{
    const int i = indexOf(name);
    if (i < 0)
        throw ETalvekException(QStringLiteral("Alias '%1' není definován").arg(name));
    return m_aliases[i];
}

void EngineAliases::checkName(const QString& name)
{
    const QString n = name.trimmed();
    if (n.isEmpty() || n.contains(u'[') || n.contains(u']') || n.contains(u'\n') ||
        n.contains(u'\r') || n.contains(u'='))
        throw ETalvekException(QStringLiteral("Chybný název aliasu '%1'").arg(name));
}

QPair<QString, QString> EngineAliases::splitParam(const QString& line)
{
    const int eq = line.indexOf(u'=');
    if (eq <= 0 || line.contains(u'\n') || line.contains(u'\r'))
        throw ETalvekException(QStringLiteral("Chybný parametr aliasu '%1'").arg(line));
    return {line.left(eq).trimmed().toUpper(), line.mid(eq + 1).trimmed()};
}
