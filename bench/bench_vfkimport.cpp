// VFK import beside GDAL's VFK driver loading the same file (every layer,
// every feature), in one run: the public sample, and a large file made from
// it by repeating its data blocks with new identifiers (--copies N, default
// 85: about 100 MB). Prints seconds, the ratio and the import's peak memory.
// First, alone: one owner on N sheets (--sheets N, default 2000) and N rights
// that burden only that person, so that N x N records are written; prints
// the records, seconds, and per record the time and the peak memory.
// --person-only stops after that row.
#include "import/VfkImporter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdio>
#include <cpl_conv.h>
#include <cpl_error.h>
#include <gdal.h>
#include <ogr_api.h>
#include <sys/resource.h>

namespace {

double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

double importSeconds(const QString& file, const QString& dir)
{
    QElapsedTimer timer;
    timer.start();
    VfkImporter({{file}, dir + "/district", dir + "/WorkDB"}).run();
    return double(timer.nsecsElapsed()) / 1e9;
}

// GDAL keeps its cache database in the temporary directory, not beside the file.
double gdalSeconds(const QString& file, const QString& dir, qint64* features)
{
    CPLSetConfigOption("OGR_VFK_DB_NAME", qPrintable(dir + "/gdal-cache.db"));
    CPLSetConfigOption("OGR_VFK_DB_OVERWRITE", "YES");
    QElapsedTimer timer;
    timer.start();
    GDALDatasetH ds = GDALOpenEx(qPrintable(file), GDAL_OF_VECTOR, nullptr, nullptr, nullptr);
    if (!ds)
        qFatal("GDAL cannot open %s", qPrintable(file));
    *features = 0;
    for (int i = 0; i < GDALDatasetGetLayerCount(ds); ++i) {
        OGRLayerH layer = GDALDatasetGetLayer(ds, i);
        OGR_L_ResetReading(layer);
        while (OGRFeatureH feature = OGR_L_GetNextFeature(layer)) {
            ++*features;
            OGR_F_Destroy(feature);
        }
    }
    GDALClose(ds);
    return double(timer.nsecsElapsed()) / 1e9;
}

bool isReference(const QString& column)
{
    return column == QLatin1String("ID") || column.startsWith(QLatin1String("ID_")) ||
           column.contains(QLatin1String("_ID"));
}

// The sample's data blocks `copies` times: every identifier gets the copy's
// number appended, parcel stems move by 1000 and sheet numbers by 20000 per
// copy; code lists and the area's own rows stay once.
QString makeLargeFile(const QString& sample, const QString& dir, int copies)
{
    QFile in(sample);
    in.open(QIODevice::ReadOnly);
    const QList<QByteArray> lines = in.readAll().split('\n');
    const QString path = dir + "/large.vfk";
    QFile out(path);
    out.open(QIODevice::WriteOnly);
    QHash<QByteArray, QList<QByteArray>> columns;
    QList<QByteArray> data;
    for (QByteArray line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.startsWith("&B")) {
            const QByteArray name = line.mid(2, line.indexOf(';') - 2);
            QList<QByteArray> cols;
            for (const QByteArray& c : line.mid(line.indexOf(';') + 1).split(';'))
                cols.append(c.left(c.indexOf(' ')));
            columns.insert(name, cols);
        }
        const QByteArray name = line.mid(2, line.indexOf(';') - 2);
        const bool copied =
            line.startsWith("&D") && columns.value(name).value(0) == "ID" && name != "KATUZE";
        if (line.startsWith("&K") || line.isEmpty())
            continue;
        if (copied || (line.startsWith("&D") && name == "BDP"))
            data.append(line);
        out.write(line + '\n');
    }
    for (int k = 1; k < copies; ++k) {
        const QByteArray suffix = QByteArray::number(k).rightJustified(2, '0');
        for (const QByteArray& line : std::as_const(data)) {
            const QByteArray name = line.mid(2, line.indexOf(';') - 2);
            const QList<QByteArray>& cols = columns[name];
            QList<QByteArray> fields = line.mid(line.indexOf(';') + 1).split(';');
            for (int i = 0; i < fields.size() && i < cols.size(); ++i) {
                QByteArray& f = fields[i];
                if (f.isEmpty() || f == "\"\"")
                    continue;
                if (isReference(QString::fromLatin1(cols[i])))
                    f = f.endsWith('"') ? f.chopped(1) + suffix + '"' : f + suffix;
                else if (cols[i] == "KMENOVE_CISLO_PAR")
                    f = QByteArray::number(f.toLongLong() + 1000 * k);
                else if (cols[i] == "CISLO_TEL")
                    f = QByteArray::number(f.toLongLong() + 20000 * k);
            }
            out.write("&D" + name + ';' + fields.join(';') + '\n');
        }
    }
    out.write("&K\n");
    return path;
}

// An area of `sheets` sheets with one parcel each, all owned by one person,
// and `sheets` rights (a lien, kind 131) that burden only that person.
QString makePersonFile(const QString& dir, int sheets)
{
    const QString path = dir + "/person.vfk";
    QFile out(path);
    out.open(QIODevice::WriteOnly);
    QTextStream s(&out);
    s << "&HVERZE;\"6.0\"\n&HCODEPAGE;\"UTF-8\"\n&HZMENY;0\n&HOSOBDATA;0\n"
         "&BKATUZE;KOD N6;OBCE_KOD N6;NAZEV T48\n&DKATUZE;600001;500001;\"Horní Ves\"\n"
         "&BOBCE;KOD N6;OKRESY_KOD N4;NAZEV T48\n&DOBCE;500001;3701;\"Horní Ves\"\n"
         "&BOKRESY;KOD N4;NAZEV T32\n&DOKRESY;3701;\"Blansko\"\n"
         "&BTYPRAV;KOD T4;NAZEV T100;SEKCE T1\n&DTYPRAV;\"131\";\"Zástavní právo smluvní\";\"C\"\n"
         "&BOPSUB;ID T255;OPSUB_TYPE T10;CHAROS_KOD N2\n&DOPSUB;\"x\";\"OFO\";\n"
         "&BTEL;ID N30;KATUZE_KOD N6;CISLO_TEL N6\n";
    for (int i = 1; i <= sheets; ++i)
        s << "&DTEL;" << i << ";600001;" << i << "\n";
    s << "&BPAR;ID N30;PAR_TYPE T10;KATUZE_KOD N6;DRUH_CISLOVANI_PAR N1;KMENOVE_CISLO_PAR N5;"
         "VYMERA_PARCELY N9;TEL_ID N30\n";
    for (int i = 1; i <= sheets; ++i)
        s << "&DPAR;" << i << ";\"PKN\";600001;2;" << i << ";500;" << i << "\n";
    s << "&BVLA;ID N30;OPSUB_ID T255;TYPRAV_KOD T4;TEL_ID N30;PODIL_CITATEL N30;"
         "PODIL_JMENOVATEL N30\n";
    for (int i = 1; i <= sheets; ++i)
        s << "&DVLA;" << i << ";\"x\";\"10\";" << i << ";1;1\n";
    s << "&BJPV;ID N30;TYPRAV_KOD T4;OPSUB_ID_K T255\n";
    for (int i = 1; i <= sheets; ++i)
        s << "&DJPV;" << i << ";\"131\";\"x\"\n";
    s << "&K\n";
    return path;
}

void personRights(int sheets)
{
    QTemporaryDir dir;
    const QString file = makePersonFile(dir.path(), sheets);
    QElapsedTimer timer;
    timer.start();
    const VfkDistrict district =
        VfkImporter({{file}, dir.path() + "/district", dir.path() + "/WorkDB"}).run();
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    const double peak = peakMegabytes();
    const qint64 records = district.areas.value(0).records.recordCount();
    std::printf("person  one owner, %d sheets, %d rights: %lld records written in %.2f s, "
                "%.2f us and %.0f bytes (peak memory %.0f MB) per record\n",
                sheets, sheets, records, seconds, seconds * 1e6 / double(records),
                peak * 1048576.0 / double(records), peak);
    std::fflush(stdout);
}

void compare(const QString& label, const QString& file, const QString& dir)
{
    const double megabytes = double(QFileInfo(file).size()) / 1e6;
    const double ours = importSeconds(file, dir);
    const double peak = peakMegabytes();
    qint64 features = 0;
    const double gdal = gdalSeconds(file, dir, &features);
    std::printf("%-8s %8.1f MB  import %7.2f s  GDAL load %7.2f s (%lld features)  ratio %.2f  "
                "peak memory after import %.0f MB\n",
                qPrintable(label), megabytes, ours, gdal, features, ours / gdal, peak);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    GDALAllRegister();
    CPLSetConfigOption("CPL_LOG", "/dev/null");
    CPLPushErrorHandler(CPLQuietErrorHandler);
    int copies = 85;
    const QStringList args = app.arguments();
    if (const qsizetype i = args.indexOf("--copies"); i > 0 && i + 1 < args.size())
        copies = args[i + 1].toInt();
    int sheets = 2000;
    if (const qsizetype i = args.indexOf("--sheets"); i > 0 && i + 1 < args.size())
        sheets = args[i + 1].toInt();
    personRights(sheets);
    if (args.contains("--person-only"))
        return 0;
    const QString sample = QStringLiteral(ORV_SAMPLES_DIR) + "/vfk/789160.vfk";
    {
        QTemporaryDir dir;
        compare("sample", sample, dir.path());
    }
    if (copies > 1) {
        QTemporaryDir dir;
        const QString large = makeLargeFile(sample, dir.path(), copies);
        QTemporaryDir work;
        compare("large", large, work.path());
    }
    return 0;
}
