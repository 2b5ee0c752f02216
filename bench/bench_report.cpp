// Report engine figures: laying out the simple parcel form over 10,000 marked
// parcel parts and exporting it to PDF; the same for the detailed, text and
// soil-quality forms over 10,000 marked parts of the city demo area. With --demo-pdf FILE it also
// writes the simple form over the demo district's first area to FILE.
#include "app/core/TCodeTableApp.h"
#include "app/core/IApp.h"
#include "app/core/TInstallInfo.h"
#include "app/core/TKUInfo.h"
#include "data/DemoDistrictGenerator.h"
#include "db/Query.h"
#include "db/Table.h"
#include "db/paradox/ParadoxTable.h"
#include "output/core/CreateReportForm.h"
#include "output/core/TListForm.h"
#include "report/ReportPdfExporter.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>

namespace {
ParadoxField field(const char* name, ParadoxFieldType type, int size = 0)
{
    return ParadoxField{QString::fromLatin1(name), type, size};
}

const QList<ParadoxField>& workFields()
{
    using T = ParadoxFieldType;
    static const QList<ParadoxField> fields{
        field("PARSKUP", T::Short), field("PARCIS", T::Long),   field("PARPOD", T::Short),
        field("PARDIL", T::Short),  field("VYMERA", T::Long),   field("DRUHPOZ", T::Short),
        field("CPCE", T::Long),     field("NEMVYUZ", T::Short), field("PARCISLO", T::Alpha, 12),
        field("LVCIS", T::Long),    field("FLAG", T::Logical)};
    return fields;
}

// A district area of `parts` parcel parts with its work table, all marked.
void writeSyntheticArea(const QString& dir, int parts)
{
    using T = ParadoxFieldType;
    const QList<ParadoxField> parcelFields{
        field("PARSKUP", T::Short), field("PARCIS", T::Long),       field("PARPOD", T::Short),
        field("PARDIL", T::Short),  field("VYMERA", T::Number),     field("DRUHPOZ", T::Short),
        field("NEMOCHR", T::Short), field("NEMVYUZ", T::Short),     field("CPCE", T::Number),
        field("LVCIS", T::Long),    field("VLVZTAH", T::Short),     field("MAPA", T::Alpha, 5),
        field("PPOLVZ", T::Long),   field("PARCISLO", T::Alpha, 12)};
    QList<QVariantList> parcels;
    QList<QVariantList> work;
    for (int i = 1; i <= parts; ++i) {
        const int parcis = (i + 1) / 2;
        const int pardil = 1 + (i + 1) % 2;
        const QString number = QString::number(parcis);
        parcels.append({2, parcis, 0, pardil, double(100 + i % 5000), 2 + i % 13, i % 3,
                        i % 2 ? 10 : 13, double(i % 4 ? 0 : 10000 * (i % 3) + i % 900), 1 + i % 700,
                        1 + i % 5, QStringLiteral("M%1").arg(i % 40), i % 9999, number});
        work.append({2, parcis, 0, pardil, 100 + i % 5000, 2 + i % 13, 0, 10, number, 1, true});
    }
    QDir().mkpath(dir + "/WorkDB");
    QDir().mkpath(dir + "/work");
    ParadoxWriter::writeTable(dir + "/NYSPA001.DB", parcelFields, 4, parcels);
    ParadoxWriter::writeTable(dir + "/work/PRAC.DB", workFields(), 4, work);
    QList<QVariantList> kinds;
    for (int k = 2; k <= 14; ++k)
        kinds.append({k, QStringLiteral("druh %1").arg(k)});
    ParadoxWriter::writeTable(dir + "/WorkDB/DRUHPOZ.DB",
                              {field("CIS", T::Short), field("ZKR", T::Alpha, 10)}, 1, kinds);
}

double seconds(const QElapsedTimer& t)
{
    return t.nsecsElapsed() / 1e9;
}

// Processor time of this process, to tell the work from waiting on a busy machine.
double cpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

void benchSimpleForm(int parts)
{
    QTemporaryDir dir;
    writeSyntheticArea(dir.path(), parts);
    TKUInfo ku{dir.path(), "Okres", "Obec", "Katastr", "001", "000001"};
    auto app = std::make_shared<TCodeTableApp>(dir.path() + "/WorkDB");

    QElapsedTimer timer;
    timer.start();
    TListForm form(app, nullptr, ku, dir.path() + "/work/PRAC.DB", {});
    const double open = seconds(timer);
    timer.restart();
    double cpu = cpuSeconds();
    qint64 sum = 0;
    for (form.QueryWork.first(); !form.QueryWork.eof(); form.QueryWork.next())
        sum += form.TablePa.isEmpty() ? 0 : form.TablePa.asInteger("LVCIS");
    const double walk = seconds(timer);
    std::printf("  reading the %d work rows with their parcel rows alone: %.3f s (cpu %.3f s)\n",
                parts, walk, cpuSeconds() - cpu);
    Q_UNUSED(sum);
    timer.restart();
    cpu = cpuSeconds();
    const ReportDocument doc = form.Layout();
    const double layout = seconds(timer);
    const double layoutCpu = cpuSeconds() - cpu;
    qsizetype boxes = 0;
    for (const ReportPage& p : doc.pages)
        boxes += p.boxes.size();

    const QString pdf = dir.path() + "/form.pdf";
    timer.restart();
    cpu = cpuSeconds();
    ReportPdfExporter::write(doc, pdf);
    const double exportTime = seconds(timer);
    const double exportCpu = cpuSeconds() - cpu;
    std::printf("simple form, %d marked parts: open %.3f s; layout %.3f s (cpu %.3f s; %d pages, "
                "%lld boxes; target < 1 s); PDF export %.3f s (cpu %.3f s; %lld bytes; target < 5 "
                "s)\n",
                parts, open, layout, layoutCpu, doc.pageCount(), qlonglong(boxes), exportTime,
                exportCpu, qlonglong(QFileInfo(pdf).size()));
}

QString catalogueName(const QString& dir, const QString& where)
{
    Query q;
    q.setDatabaseName(dir);
    q.setSql(QStringList{"SELECT NAZEV, KATUZ FROM \"NYSKATAL.DB\"", where});
    q.open();
    return q.isEmpty() ? QString() : q.asString("NAZEV").trimmed();
}

// The work table of a demo district's area 001: its first `limit` parcel
// parts (all when 0), marked; returns the number of rows.
qsizetype writeDemoWorkTable(const QString& dir, qsizetype limit)
{
    Table parcels;
    parcels.setDatabaseName(dir);
    parcels.setTableName("NYSPA001.DB");
    parcels.open();
    QList<QVariantList> work;
    for (parcels.first(); !parcels.eof() && (limit == 0 || work.size() < limit); parcels.next())
        work.append({parcels.value("PARSKUP"), parcels.value("PARCIS"), parcels.value("PARPOD"),
                     parcels.value("PARDIL"), parcels.asInteger("VYMERA"), parcels.value("DRUHPOZ"),
                     parcels.asInteger("CPCE"), parcels.value("NEMVYUZ"), parcels.value("PARCISLO"),
                     parcels.value("LVCIS"), true});
    parcels.close();
    QDir().mkpath(dir + "/work");
    ParadoxWriter::writeTable(dir + "/work/PRAC.DB", workFields(), 4, work);
    return work.size();
}

// The demo district's area 001 as the program opens it.
TKUInfo demoArea(const QString& dir)
{
    Query area;
    area.setDatabaseName(dir);
    area.setSql(
        QStringList{"SELECT KATUZ, IDENTCIS, NAZEV FROM \"NYSKATAL.DB\"", "WHERE PORCIS = '001'"});
    area.open();
    const QString katuz = area.asString("KATUZ");
    TKUInfo ku;
    ku.Alias = dir;
    ku.Katastr = area.asString("NAZEV").trimmed();
    ku.Kod = area.asString("IDENTCIS").trimmed();
    ku.Suffix = "001";
    ku.Obec = catalogueName(dir, "WHERE KATUZ = '" + katuz.left(3) + "00'");
    ku.Okres = catalogueName(dir, "WHERE KATUZ = '00000'");
    return ku;
}

std::shared_ptr<IApp> demoApp(const QString& dir)
{
    return std::make_shared<TCodeTableApp>(dir + "/" +
                                           DemoDistrictGenerator::codeTableSubdirectory());
}

// The simple form over all parts of the demo district's first area.
void writeDemoPdf(const QString& pdfPath)
{
    QTemporaryDir dir;
    DemoDistrictGenerator::Options options;
    DemoDistrictGenerator(options).generate(dir.path());
    const qsizetype parts = writeDemoWorkTable(dir.path(), 0);
    const TKUInfo ku = demoArea(dir.path());
    TInstallInfo::Set(QString(), QStringLiteral("Katastrální úřad pro Vysočinu"));
    TListForm form(demoApp(dir.path()), nullptr, ku, dir.path() + "/work/PRAC.DB", {});
    const ReportDocument doc = form.Layout();
    ReportPdfExporter::write(doc, pdfPath);
    std::printf("demo district area 001 (%s): %lld parts, %d pages written to %s\n",
                qPrintable(ku.Katastr), qlonglong(parts), doc.pageCount(), qPrintable(pdfPath));
}

// The detailed form and its text and soil-quality variants over the first
// `parts` parcel parts of the city demo area: open, layout and PDF export.
void benchDetailForms(int parts)
{
    QTemporaryDir dir;
    DemoDistrictGenerator::Options options;
    options.size = DemoDistrictGenerator::Size::City;
    QElapsedTimer timer;
    timer.start();
    DemoDistrictGenerator(options).generate(dir.path());
    const qsizetype marked = writeDemoWorkTable(dir.path(), parts);
    std::printf("city demo area written with %lld marked parts in %.1f s\n", qlonglong(marked),
                seconds(timer));
    const TKUInfo ku = demoArea(dir.path());
    const auto app = demoApp(dir.path());
    double detailLayout = 0;
    double detailPdf = 0;
    for (int kind :
         {ReportKinds::DetailForm, ReportKinds::TextForm, ReportKinds::SoilQualityForm}) {
        timer.restart();
        std::unique_ptr<TReportForm> form =
            CreateReportForm(app, kind, ku, dir.path() + "/work/PRAC.DB", {});
        const double open = seconds(timer);
        timer.restart();
        double cpu = cpuSeconds();
        const ReportDocument doc = form->Layout();
        const double layout = seconds(timer);
        const double layoutCpu = cpuSeconds() - cpu;
        const QString pdf = dir.path() + QStringLiteral("/form%1.pdf").arg(kind);
        timer.restart();
        cpu = cpuSeconds();
        ReportPdfExporter::write(doc, pdf);
        const double exportTime = seconds(timer);
        const double exportCpu = cpuSeconds() - cpu;
        if (kind == ReportKinds::DetailForm) {
            detailLayout = layout;
            detailPdf = exportTime;
        }
        std::printf("kind %d, %lld marked parts: open %.3f s; layout %.3f s (cpu %.3f s; %d pages; "
                    "target < 3 s, variants < %.2f s); PDF %.3f s (cpu %.3f s; %lld bytes; target "
                    "< 8 s, variants < %.2f s)\n",
                    kind, qlonglong(marked), open, layout, layoutCpu, doc.pageCount(),
                    1.5 * detailLayout, exportTime, exportCpu, qlonglong(QFileInfo(pdf).size()),
                    1.5 * detailPdf);
    }
}
} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    const QStringList args = application.arguments();
    try {
        const int demo = args.indexOf("--demo-pdf");
        if (demo > 0 && demo + 1 < args.size()) {
            writeDemoPdf(args.at(demo + 1));
            return 0;
        }
        benchSimpleForm(1000);
        benchSimpleForm(10000);
        benchDetailForms(10000);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "error: %s\n", e.what());
        return 1;
    }
    return 0;
}
