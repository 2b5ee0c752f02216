// The map built from VFK beside GDAL, in one run: a large file made from the
// two sample files (the descriptive one and the map) by repeating their data
// blocks with new identifiers (--copies N, default 44: about 100 MB), so that
// it holds PAR and the map of one area. Ours: the parcels' polygons, lines
// and labels built (orv-tool map import's path) and written to the area's
// GeoPackage; then the map read back from it. GDAL: ogr2ogr writing the PAR
// layer of the same file to a GeoPackage from a fresh cache database
// (OGR_VFK_DB_OVERWRITE=YES). Prints seconds, the ratio and the peak memory
// of both; --no-gdal measures ORV alone.
#include "import/VfkImporter.h"
#include "map/core/MapStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>

namespace {

double peakMegabytes(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

double seconds(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

bool isReference(const QByteArray& column)
{
    return column == "ID" || column.startsWith("ID_") || column.contains("_ID");
}

struct Blocks
{
    QHash<QByteArray, QList<QByteArray>> columns; // block -> column names
    QList<QByteArray> copied;                     // data rows repeated per copy
};

// Writes the file's lines (but its &K, and for the second file its header
// and the blocks the first already defined); keeps the rows to repeat: every
// block but the code lists (first column KOD) and those without references.
void takeFile(const QString& path, QFile& out, Blocks& blocks, bool second)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    QSet<QByteArray> skipped;
    for (QByteArray line : in.readAll().split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty() || line.startsWith("&K") || (second && line.startsWith("&H")))
            continue;
        const QByteArray name = line.mid(2, line.indexOf(';') - 2);
        if (line.startsWith("&B")) {
            if (blocks.columns.contains(name)) {
                skipped.insert(name);
                continue;
            }
            QList<QByteArray> cols;
            for (const QByteArray& c : line.mid(line.indexOf(';') + 1).split(';'))
                cols.append(c.left(c.indexOf(' ')));
            blocks.columns.insert(name, cols);
        }
        if (skipped.contains(name))
            continue;
        const QList<QByteArray>& cols = blocks.columns.value(name);
        if (line.startsWith("&D") && cols.value(0) != "KOD" &&
            std::any_of(cols.begin(), cols.end(), isReference))
            blocks.copied.append(line);
        out.write(line + '\n');
    }
}

// Every identifier of a copy gets the copy's number appended and parcel
// stems move by 1000 per copy, so that the copies are new parcels with the
// same boundaries.
QByteArray copyOf(const QByteArray& line, const Blocks& blocks, int k)
{
    const QByteArray suffix = QByteArray::number(k).rightJustified(2, '0');
    const QByteArray name = line.mid(2, line.indexOf(';') - 2);
    const QList<QByteArray>& cols = blocks.columns[name];
    QList<QByteArray> fields = line.mid(line.indexOf(';') + 1).split(';');
    for (int i = 0; i < fields.size() && i < cols.size(); ++i) {
        QByteArray& f = fields[i];
        if (f.isEmpty() || f == "\"\"")
            continue;
        if (isReference(cols[i]))
            f = f.endsWith('"') ? f.chopped(1) + suffix + '"' : f + suffix;
        else if (cols[i] == "KMENOVE_CISLO_PAR")
            f = QByteArray::number(f.toLongLong() + 1000 * k);
    }
    return "&D" + name + ';' + fields.join(';') + '\n';
}

QString makeLargeFile(const QString& dir, int copies)
{
    const QString samples = QStringLiteral(ORV_SAMPLES_DIR) + "/vfk/";
    const QString path = dir + "/large.vfk";
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    Blocks blocks;
    takeFile(samples + "789160.vfk", out, blocks, false);
    takeFile(samples + "789160-mapa.vfk", out, blocks, true);
    for (int k = 1; k < copies; ++k)
        for (const QByteArray& line : std::as_const(blocks.copied))
            out.write(copyOf(line, blocks, k));
    out.write("&K\n");
    return path;
}

// Returns the seconds of building and writing.
double ours(const QString& file, const QString& dir)
{
    QElapsedTimer timer;
    timer.start();
    const VfkImporter::Maps maps = VfkImporter::readMaps({file});
    const double built = seconds(timer);
    VfkImporter::writeMaps(maps.maps, dir + "/mapy");
    const double total = seconds(timer);
    const double peak = peakMegabytes(RUSAGE_SELF);
    int parcels = 0, polygons = 0;
    for (const MapArea& map : maps.maps)
        for (const MapParcel& parcel : map.parcels) {
            ++parcels;
            polygons += parcel.parts.isEmpty() ? 0 : 1;
        }
    std::printf(
        "ORV   build %.2f s + write %.2f s = %.2f s; %d polygons of %d parcels; peak memory "
        "%.0f MB\n",
        built, total - built, total, polygons, parcels, peak);
    // Five reads: the machine is shared, so the fastest and the median.
    QList<double> reads;
    qint64 parcelsRead = 0;
    for (int i = 0; i < 5; ++i) {
        timer.restart();
        parcelsRead = MapStore(dir + "/mapy").read(maps.maps.first().code).parcels.size();
        reads.append(seconds(timer) * 1000);
    }
    std::sort(reads.begin(), reads.end());
    std::printf("ORV   map of %lld parcels read from its GeoPackage in %.0f ms (median of 5 "
                "reads %.0f ms)\n",
                parcelsRead, reads.first(), reads[2]);
    std::fflush(stdout);
    return total;
}

double gdal(const QString& file, const QString& dir)
{
    const QString ogr2ogr = QStandardPaths::findExecutable("ogr2ogr");
    if (ogr2ogr.isEmpty()) {
        std::printf("GDAL  ogr2ogr is not installed\n");
        return 0;
    }
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("OGR_VFK_DB_NAME", dir + "/gdal-cache.db");
    env.insert("OGR_VFK_DB_OVERWRITE", "YES");
    process.setProcessEnvironment(env);
    QElapsedTimer timer;
    timer.start();
    process.start(ogr2ogr, {"-f", "GPKG", dir + "/gdal-par.gpkg", file, "PAR"});
    // Its peak memory (VmHWM) read while it runs: the rusage of children
    // would count this process's memory at the fork.
    const QString status = QStringLiteral("/proc/%1/status").arg(process.processId());
    qint64 peakKb = 0;
    while (!process.waitForFinished(20)) {
        QFile proc(status);
        if (!proc.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& line : proc.readAll().split('\n'))
            if (line.startsWith("VmHWM:"))
                peakKb = std::max(peakKb, line.mid(6).trimmed().split(' ').value(0).toLongLong());
    }
    const double time = seconds(timer);
    std::printf("GDAL  ogr2ogr PAR to GeoPackage %.2f s (exit %d); peak memory %.0f MB\n", time,
                process.exitCode(), double(peakKb) / 1024);
    std::fflush(stdout);
    return time;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int copies = 44;
    const QStringList args = app.arguments();
    if (const qsizetype i = args.indexOf("--copies"); i > 0 && i + 1 < args.size())
        copies = args[i + 1].toInt();
    QTemporaryDir dir;
    const QString large = makeLargeFile(dir.path(), copies);
    std::printf("file  %.1f MB (%d copies of both samples)\n",
                double(QFileInfo(large).size()) / 1e6, copies);
    const double orv = ours(large, dir.path());
    const double other = args.contains("--no-gdal") ? 0 : gdal(large, dir.path());
    if (other > 0)
        std::printf("ratio ORV / GDAL %.2f\n", orv / other);
    return 0;
}
