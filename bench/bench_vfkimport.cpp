// VFK import beside GDAL's VFK driver loading the same file (every layer,
// every feature), in one run: the public sample, and a large file made from
// it by repeating its data blocks with new identifiers (--copies N, default
// 85: about 100 MB). Prints seconds, the ratio and the import's peak memory.
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
