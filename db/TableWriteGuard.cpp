#include "db/TableWriteGuard.h"

#include "base/ETalvekException.h"
#include "db/RegistryTableNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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

// A table's own files besides the .DB: primary index, memo file and the
// secondary indexes (.X01 ... .Y0F, .XG0 ...).
bool isTableCompanion(const QString& suffix)
{
    const QString s = suffix.toUpper();
    if (s == QLatin1String("DB") || s == QLatin1String("PX") || s == QLatin1String("MB"))
        return true;
    return s.size() == 3 && (s[0] == u'X' || s[0] == u'Y') && s[1].isLetterOrNumber() &&
           s[2].isLetterOrNumber() && s[1].unicode() < 128 && s[2].unicode() < 128;
}

} // namespace

bool TableWriteGuard::isRegistryTable(const QString& fileName)
{
    return RegistryTableNames::IsRegistryTable(fileName);
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

QString TableWriteGuard::outputRefusal(const QString& path)
{
    const QFileInfo info(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    const QString shown = QDir::toNativeSeparators(info.filePath());
    const QString base = info.completeBaseName();
    if (isTableCompanion(info.suffix()) &&
        (RegistryTableNames::IsRegistryTable(base) || RegistryTableNames::IsUserTextTable(base)))
        return QStringLiteral("Soubor %1 nelze zapsat: je to tabulka katastru, číselník nebo "
                              "tabulka vlastních textů (nebo její index), a ty se nepřepisují")
            .arg(shown);
    if (isLink(info.filePath()))
        return QStringLiteral("Soubor %1 nelze zapsat: je to symbolický odkaz; zvolte jiný "
                              "název souboru")
            .arg(shown);
    return QString();
}

void TableWriteGuard::checkOutputFile(const QString& path)
{
    const QString reason = outputRefusal(path);
    if (!reason.isEmpty())
        throw ETalvekException(reason);
}
