// Text listings over the 40,000 marked parts of the "city" demo area: the
// short listing and the full listing (owners, records, soil quality) into a
// file, the area sums with their dialog. With --pdf DIR: the demo district's
// first area printed through the printer channel into DIR/short.pdf and
// DIR/full.pdf (the print path of the browser, a PDF printer instead of
// CUPS), to be looked at.
// Usage: bench_listing [CITY_DIR [ROUNDS [short|full]]] | bench_listing --pdf DIR
#include "BenchCity.h"
#include "data/BirthNumberMask.h"
#include "app/core/TApp.h"
#include "app/core/TInstallInfo.h"
#include "settings/TRegistry.h"
#include "browse/TListingPrinter.h"
#include "browse/TVymeryDlg.h"
#include "browse/core/TAreaSums.h"
#include "browse/core/TTextListing.h"
#include "browse/core/TextReportFile.h"
#include "data/DemoDistrictGenerator.h"
#include "data/WorkTable.h"
#include "db/Engine.h"
#include "db/EngineAliases.h"
#include "db/Query.h"
#include "db/Table.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryDir>
#include <cstdio>

namespace {
TTextListing::Setup setupFor(const QString& alias, const QString& dir, const QString& work)
{
    TTextListing::Setup s;
    s.ku = {alias,
            QStringLiteral("Vzorový okres"),
            QStringLiteral("Vzorová obec"),
            QStringLiteral("Město Ústí"),
            QStringLiteral("001"),
            QStringLiteral("600001")};
    s.workDbPath = dir + QStringLiteral("/WorkDB");
    s.workTablePath = work;
    s.companyName = QStringLiteral("Katastrální úřad pro Vysočinu");
    s.date = QDate::currentDate();
    return s;
}

void printPdf(const QString& outDir)
{
    QTemporaryDir tmp;
    const QString demo = tmp.filePath(QStringLiteral("demo"));
    DemoDistrictGenerator({DemoDistrictGenerator::Size::Small, 1}).generate(demo);
    UseDistrict(QStringLiteral("DEMO"), demo);
    const QString work = FillWorkTable(QStringLiteral("DEMO"), tmp.filePath(QStringLiteral("w")));
    QDir().mkpath(outDir);
    for (int kind : {0, 1}) {
        TTextListing::Setup s = setupFor(QStringLiteral("DEMO"), demo, work);
        s.paging = true;
        s.listNumber = kind == 0 ? 1 : 0;
        s.page = TTextListing::PageBonita;
        TTextListing listing(s);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageSize(QPageSize(QPageSize::A4));
        const QString file =
            outDir + (kind == 0 ? QStringLiteral("/short.pdf") : QStringLiteral("/full.pdf"));
        printer.setOutputFileName(file);
        TListingPrinter::PreparePrinter(printer);
        TListingPrinter out(printer);
        out.Print(listing, kind, 1);
        std::printf("%s: %d pages\n", qPrintable(file), out.PagesPrinted());
    }
}
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTemporaryDir tmp;
    qputenv("ORV_CONFIG_DIR", tmp.filePath("config").toUtf8());
    if (argc > 2 && QByteArray(argv[1]) == "--pdf") {
        printPdf(QString::fromLocal8Bit(argv[2]));
        return 0;
    }
    const QString city = CityDistrict(argc, argv, tmp);
    UseDistrict(QStringLiteral("CITY"), city);
    const QString work = FillWorkTable(QStringLiteral("CITY"), tmp.filePath("work"));
    auto registry =
        std::make_shared<TRegistry>(tmp.filePath("user.reg"), tmp.filePath("machine.reg"));
    auto app = std::make_shared<TApp>(registry, tmp.path());
    Query count;
    count.setDatabaseName(tmp.filePath("work"));
    count.setSql(QStringLiteral("SELECT COUNT(*) FROM \"PRAC.DB\" WHERE FLAG = TRUE"));
    count.open();
    // ORV_MASK_BIRTH_NUMBERS=1 measures the same listings with masking on.
    BirthNumberMask::SetEnabled(qEnvironmentVariable("ORV_MASK_BIRTH_NUMBERS") == "1");
    std::printf("marked parts: %lld, masking %s\n", count.value(0).toLongLong(),
                BirthNumberMask::Enabled() ? "on" : "off");

    const int rounds = argc > 2 ? QByteArray(argv[2]).toInt() : 3;
    for (int round = 0; round < rounds; ++round) {
        for (int kind : {0, 1}) {
            if (argc > 3 && QByteArray(argv[3]) != (kind == 0 ? "short" : "full"))
                continue;
            TTextListing listing(setupFor(QStringLiteral("CITY"), city, work));
            const QString file = tmp.filePath(QStringLiteral("listing.txt"));
            QElapsedTimer t;
            t.start();
            const double cpu = cpuMs(); // the figure a busy machine does not change
            WriteTextReport(listing, kind, file);
            std::printf("%s listing to a file: %.0f ms (CPU %.0f ms), %.1f MB\n",
                        kind == 0 ? "short" : "full ", msSince(t), cpuMs() - cpu,
                        double(QFileInfo(file).size()) / 1e6);
        }
        QElapsedTimer t;
        t.start();
        const TAreaSums sums = TAreaSums::ComputeAreaSums(work);
        const double sumMs = msSince(t);
        TVymeryDlg dialog(app);
        dialog.SetValues(sums);
        dialog.show();
        dialog.grab();
        std::printf("area summary: sums %.1f ms, dialog shown %.1f ms in all\n", sumMs, msSince(t));
        dialog.hide();
    }
    return 0;
}
