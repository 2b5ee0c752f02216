#include "data/DistrictOrigin.h"

#include "base/ETalvekException.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace {
const QByteArray VfkLine = "VFK";
} // namespace

DistrictOrigin::Kind DistrictOrigin::Of(const QString& directory)
{
    const QStringList found =
        QDir(directory).entryList({QString::fromLatin1(MarkerFile)}, QDir::Files);
    if (found.isEmpty())
        return Kind::Registry;
    QFile marker(QDir(directory).filePath(found.first()));
    if (!marker.open(QIODevice::ReadOnly))
        return Kind::Registry;
    return marker.readLine(64).trimmed().toUpper() == VfkLine ? Kind::Vfk : Kind::Registry;
}

void DistrictOrigin::MarkVfk(const QString& directory)
{
    const QString path = QDir(directory).filePath(QString::fromLatin1(MarkerFile));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(VfkLine + '\n') != VfkLine.size() + 1 ||
        !file.commit())
        throw ETalvekException(QStringLiteral("Soubor %1 nelze zapsat: %2")
                                   .arg(QDir::toNativeSeparators(path), file.errorString()));
}
