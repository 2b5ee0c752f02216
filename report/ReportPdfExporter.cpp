#include "report/ReportPdfExporter.h"

#include "base/ETalvekException.h"
#include "db/TableWriteGuard.h"
#include "report/ReportDocument.h"
#include "report/ReportPainter.h"

#include <QDir>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

namespace {
[[noreturn]] void cannotWrite(const QString& fileName, const QString& reason)
{
    throw ETalvekException(QStringLiteral("Soubor %1 nelze zapsat: %2")
                               .arg(QDir::toNativeSeparators(fileName), reason));
}
} // namespace

void ReportPdfExporter::write(const ReportDocument& document, const QString& fileName)
{
    TableWriteGuard::checkOutputFile(fileName);
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        cannotWrite(fileName, file.errorString());
    {
        QPdfWriter writer(&file);
        writer.setTitle(document.title);
        writer.setCreator(QStringLiteral("ORV"));
        writer.setResolution(Resolution);
        writer.setPageLayout(document.pageLayout());
        QPainter painter;
        if (!painter.begin(&writer))
            cannotWrite(fileName, QStringLiteral("PDF nelze vytvořit."));
        const ReportPainter pagePainter(document);
        for (int i = 0; i < document.pageCount(); ++i) {
            if (i > 0)
                writer.newPage();
            pagePainter.paintPage(i, painter);
        }
        painter.end();
    }
    if (!file.commit())
        cannotWrite(fileName, file.errorString());
}
