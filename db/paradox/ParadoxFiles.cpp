#include "db/paradox/ParadoxTable.h"

#include <QDir>
#include <QFileInfo>

namespace ParadoxFiles {

QString resolveCaseInsensitive(const QString& dir, const QString& fileName)
{
    const QDir directory(dir.isEmpty() ? QStringLiteral(".") : dir);
    const QString exact = directory.filePath(fileName);
    if (QFileInfo(exact).isFile())
        return exact;
    const QStringList entries =
        directory.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString& entry : entries) {
        if (entry.compare(fileName, Qt::CaseInsensitive) == 0)
            return directory.filePath(entry);
    }
    return {};
}

QString companionFile(const QString& dbPath, const QString& extension)
{
    const QFileInfo info(dbPath);
    return resolveCaseInsensitive(info.path(),
                                  info.completeBaseName() + QLatin1Char('.') + extension);
}

} // namespace ParadoxFiles
