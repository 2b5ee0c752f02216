#include "app/core/DistrictAliasEditor.h"

#include "app/core/DistrictCatalogueCheck.h"
#include "base/ETalvekException.h"
#include "db/Engine.h"
#include "db/EngineAliases.h"

#include <QDir>
#include <QFileInfo>

DistrictAliasEditor::DistrictAliasEditor() : m_filePath(EngineAliases::defaultFilePath()) {}

DistrictAliasEditor::DistrictAliasEditor(QString filePath) : m_filePath(std::move(filePath)) {}

EngineAliases DistrictAliasEditor::load() const
{
    EngineAliases aliases(m_filePath);
    aliases.load();
    return aliases;
}

EngineAliases DistrictAliasEditor::loadForRepair(const QString& name) const
{
    EngineAliases aliases(m_filePath);
    aliases.load(EngineAliases::Duplicates::Keep);
    for (const EngineAliases::Duplicate& d : aliases.duplicates())
        if (d.name.compare(name.trimmed(), Qt::CaseInsensitive) != 0)
            throw ETalvekException(aliases.duplicateMessage(d) +
                                   QStringLiteral("; opravte nejdřív alias '%1'").arg(d.name));
    return aliases;
}

void DistrictAliasEditor::save(const EngineAliases& aliases) const
{
    aliases.save();
    // The engine reads the file again when it notices the change; handing it
    // the new list at once also covers a change within the same millisecond.
    if (m_filePath == EngineAliases::defaultFilePath())
        Engine::instance().aliases() = aliases;
}

QList<DistrictAliasEditor::District> DistrictAliasEditor::districts() const
{
    const EngineAliases aliases = load();
    QList<District> result;
    for (const QString& name : aliases.names()) {
        if (aliases.driverName(name) == EngineAliases::standardDriver())
            result.append({name, aliases.path(name)});
    }
    return result;
}

void DistrictAliasEditor::checkName(const QString& name)
{
    const QString n = name.trimmed();
    static const QString forbidden = QStringLiteral("[]=:/\\");
    const bool bad = n.isEmpty() || std::any_of(n.begin(), n.end(), [](QChar c) {
                         return c.unicode() < 32 || forbidden.contains(c);
                     });
    if (bad)
        throw ETalvekException(
            QStringLiteral("Chybný název aliasu '%1': název nesmí být prázdný ani obsahovat "
                           "znaky [ ] = : / \\")
                .arg(name));
}

QString DistrictAliasEditor::normalizedDirectory(const QString& directory)
{
    const QString dir = QString(directory).trimmed().replace(u'\\', u'/');
    return QDir::cleanPath(QFileInfo(dir).absoluteFilePath());
}

void DistrictAliasEditor::checkDistrict(const EngineAliases& aliases, const QString& name) const
{
    if (!aliases.contains(name))
        throw ETalvekException(QStringLiteral("Alias '%1' není definován").arg(name));
    if (aliases.driverName(name) != EngineAliases::standardDriver())
        throw ETalvekException(QStringLiteral("Alias '%1' není aliasem okresu").arg(name));
}

void DistrictAliasEditor::checkNew(const QString& name) const
{
    checkName(name);
    if (load().contains(name))
        throw ETalvekException(QStringLiteral("Alias '%1' již existuje").arg(name.trimmed()));
}

void DistrictAliasEditor::add(const QString& name, const QString& directory)
{
    checkNew(name);
    EngineAliases aliases = load();
    DistrictCatalogueCheck::check(directory);
    aliases.addStandard(name.trimmed(), normalizedDirectory(directory));
    save(aliases);
}

void DistrictAliasEditor::rename(const QString& name, const QString& newName)
{
    checkName(newName);
    const EngineAliases old = load();
    checkDistrict(old, name);
    const bool sameAlias = name.trimmed().compare(newName.trimmed(), Qt::CaseInsensitive) == 0;
    if (old.contains(newName) && !sameAlias)
        throw ETalvekException(QStringLiteral("Alias '%1' již existuje").arg(newName.trimmed()));
    // Rebuilt in the same order, so the alias keeps its place.
    EngineAliases renamed(m_filePath);
    for (const QString& n : old.names()) {
        const bool target = n.compare(name.trimmed(), Qt::CaseInsensitive) == 0;
        QStringList params = old.params(n);
        params.removeIf([](const QString& p) { return p.startsWith(QLatin1String("DRIVER=")); });
        renamed.add(target ? newName.trimmed() : n, old.driverName(n), params);
    }
    save(renamed);
}

void DistrictAliasEditor::repoint(const QString& name, const QString& directory)
{
    EngineAliases aliases = load();
    checkDistrict(aliases, name);
    DistrictCatalogueCheck::check(directory);
    aliases.modify(name, {QStringLiteral("PATH=") + normalizedDirectory(directory)});
    save(aliases);
}

void DistrictAliasEditor::remove(const QString& name)
{
    EngineAliases aliases = load();
    checkDistrict(aliases, name);
    aliases.remove(name);
    save(aliases);
}

void DistrictAliasEditor::removeAll(const QString& name)
{
    EngineAliases aliases = loadForRepair(name);
    aliases.remove(name);
    save(aliases);
}

void DistrictAliasEditor::replace(const QString& name, const QString& directory)
{
    checkName(name);
    if (!QFileInfo(directory).isDir())
        throw ETalvekException(QStringLiteral("Adresář '%1' neexistuje").arg(directory));
    EngineAliases aliases = loadForRepair(name);
    if (aliases.contains(name))
        aliases.remove(name);
    aliases.addStandard(name.trimmed(), normalizedDirectory(directory));
    save(aliases);
}
