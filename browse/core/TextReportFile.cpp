#include "browse/core/TextReportFile.h"

#include "base/ETalvekException.h"
#include "db/TableWriteGuard.h"

#include <QDir>
#include <QSaveFile>

void WriteTextFile(const QString& fileName,
                   const std::function<void(const TTextListing::LineSink&)>& produce)
{
    const QString name = fileName.trimmed();
    if (name.isEmpty())
        throw ETalvekException(QStringLiteral("Nebyl zadán cílový soubor"));
    TableWriteGuard::checkOutputFile(name);
    const QString shown = QDir::toNativeSeparators(name);
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly))
        throw ETalvekException(
            QStringLiteral("Soubor %1 nelze vytvořit: %2").arg(shown, file.errorString()));
    QByteArray buffer;
    const auto flush = [&] {
        if (file.write(buffer) != buffer.size())
            throw ETalvekException(
                QStringLiteral("Do souboru %1 nelze zapisovat: %2").arg(shown, file.errorString()));
        buffer.clear();
    };
    produce([&](const TTextListing::Line& line) {
        buffer += line.text.toUtf8();
        buffer += '\n';
        if (buffer.size() > (1 << 20))
            flush();
    });
    flush();
    if (!file.commit())
        throw ETalvekException(
            QStringLiteral("Soubor %1 nelze uložit: %2").arg(shown, file.errorString()));
}

void WriteTextReport(TTextListing& listing, int kind, const QString& fileName,
                     const QList<TTextListing::OwnerRow>& owners, const TAreaSums& sums)
{
    WriteTextFile(fileName, [&](const TTextListing::LineSink& sink) {
        listing.SetSink(sink);
        listing.StartFile();
        listing.Run(kind, owners, sums);
    });
}
