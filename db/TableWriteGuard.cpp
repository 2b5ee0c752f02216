#include "db/TableWriteGuard.h"

#include "base/ETalvekException.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <array>
#include <sys/stat.h>

namespace {

bool isLink(const QString& path)
{
    struct stat st
    {
    };
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

// The .PX and .MB written beside a Paradox table, in whatever case they exist.
bool hasLinkedCompanion(const QFileInfo& info)
{
    const QString base = info.completeBaseName();
    const QFileInfoList companions =
        QDir(info.path())
            .entryInfoList({base + QStringLiteral(".PX"), base + QStringLiteral(".MB")},
                           QDir::Files | QDir::System | QDir::Hidden);
    for (const QFileInfo& companion : companions)
        if (companion.isSymLink())
            return true;
    return false;
}

QString registryRefusal(const QString& fileName)
{
    return QStringLiteral("Tabulku katastru '%1' nelze měnit: data katastru jsou jen pro čtení")
        .arg(fileName);
}

} // namespace

bool TableWriteGuard::isRegistryTable(const QString& fileName)
{
    QString name = QString(fileName).replace(u'\\', u'/');
    name = name.mid(name.lastIndexOf(u'/') + 1).toUpper();
    if (name.endsWith(QLatin1String(".DB")))
        name.chop(3);
    else if (name.contains(u'.'))
        return false;
    static const std::array<const char*, 12> whole = {
        "NYSOBORG", "NYSKATAL", "PARSKUP", "KVALVYM1", "DRUHPOZ",  "NIXVYUZ",
        "OCHRNEM1", "VLAVZT",   "CHARUV",  "SEKTOR",   "NIXDTEXT", "NIXLIST"};
    for (const char* table : whole)
        if (name == QLatin1String(table))
            return true;
    // Per-area tables: prefix and the area's three-digit suffix.
    static const std::array<const char*, 5> perArea = {"NYSPA", "NYSUV", "NYSVL", "NYSTX", "NYSBO"};
    if (name.size() != 8)
        return false;
    for (int i = 5; i < 8; ++i)
        if (!name[i].isDigit())
            return false;
    for (const char* prefix : perArea)
        if (name.startsWith(QLatin1String(prefix)))
            return true;
    return false;
}

QString TableWriteGuard::refusal(const QString& path)
{
    const QFileInfo info(path);
    if (isRegistryTable(info.fileName()))
        return registryRefusal(info.fileName());
    const QString name = QDir::toNativeSeparators(path);
    if (info.fileName().isEmpty() || info.fileName() == QLatin1String(".") ||
        info.fileName() == QLatin1String(".."))
        return QStringLiteral("Tabulku '%1' nelze zapsat: chybný název souboru").arg(name);
    if (isLink(path))
        return QStringLiteral("Tabulku '%1' nelze zapsat: soubor je symbolický odkaz").arg(name);
    // The directory as written must be the directory on disk: no link and no
    // ".." on the way that would carry the write somewhere else.
    const QString dir = QDir::cleanPath(info.absolutePath());
    const QString realDir = QFileInfo(dir).canonicalFilePath();
    if (!realDir.isEmpty() && realDir != dir)
        return QStringLiteral("Tabulku '%1' nelze zapsat: cesta vede mimo adresář '%2'")
            .arg(name, QDir::toNativeSeparators(realDir));
    if (!info.suffix().compare(QLatin1String("DB"), Qt::CaseInsensitive) &&
        hasLinkedCompanion(info))
        return QStringLiteral("Tabulku '%1' nelze zapsat: její index nebo soubor poznámek je "
                              "symbolický odkaz")
            .arg(name);
    return QString();
}

void TableWriteGuard::check(const QString& path)
{
    const QString reason = refusal(path);
    if (!reason.isEmpty())
        throw ETalvekException(reason);
}

void TableWriteGuard::checkInside(const QString& directory, const QString& fileName)
{
    const QString name = QString(fileName).trimmed().replace(u'\\', u'/');
    const qsizetype slash = name.lastIndexOf(u'/');
    if (slash < 0 || QDir::isAbsolutePath(name) || name.contains(u':'))
        return;
    const QString part = name.left(slash);
    const QString base = QFileInfo(directory).canonicalFilePath();
    const QString written = QDir::cleanPath(base + u'/' + part);
    const QString real = QFileInfo(written).canonicalFilePath();
    if (part.split(u'/').contains(QStringLiteral("..")) || (!real.isEmpty() && real != written))
        throw ETalvekException(
            QStringLiteral("Tabulku '%1' nelze zapsat: cesta vede mimo adresář '%2'")
                .arg(fileName, QDir::toNativeSeparators(base)));
}

void TableWriteGuard::checkDelete(const QString& path)
{
    const QFileInfo info(path);
    if (isRegistryTable(info.fileName()))
        throw ETalvekException(registryRefusal(info.fileName()));
}
