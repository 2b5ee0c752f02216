// VFK import beside GDAL's VFK driver loading the same file (every layer,
// every feature), in one run: the public sample, and a large file made from
// it by repeating its data blocks with new identifiers (--copies N, default
// 85: about 100 MB). Prints seconds, the ratio and the import's peak memory.
// First, alone: one owner on N sheets (--sheets N, default 2000) and N rights
// that burden only that person, so that N x N records are written; prints
// the records, seconds, and per record the time and the peak memory.
// --person-only stops after that row.
//
// --files N instead measures N files of about 100 MB each (--copies per
// file), each a cadastral area of its own with its map, generated once into
// --workdir DIR (default: the temporary directory) and reused. Each run is a
// child process of its own, its peak memory taken from the kernel: the
// import (`orv-tool import`, from --tool PATH, repeatable, default the
// orv-tool built beside this program) of one file and of all N files in one
// run (with its time against N x one file), the longest interval between
// the reports of this program's own import of the N files (the longest a
// Storno in the window waits), and GDAL's load of one file. Rows: input MB,
// seconds, peak MB, peak bytes per input byte. Every run's output is deleted
// after it.
#include "ChildProcess.h"
#include "common/VfkAreaFiles.h"
#include "import/VfkImporter.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
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

// ---- --files N: area files, each run in a child process ----

QString argValue(const QStringList& args, const QString& name, const QString& fallback)
{
    const qsizetype i = args.indexOf(name);
    return i > 0 && i + 1 < args.size() ? args[i + 1] : fallback;
}

QStringList argValues(const QStringList& args, const QString& name)
{
    QStringList values;
    for (qsizetype i = 1; i + 1 < args.size(); ++i)
        if (args[i] == name)
            values.append(args[++i]);
    return values;
}

QString firstLine(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readLine()).trimmed()
                                          : QString();
}

// The machine's state beside the figures: load and free memory.
void printMachine(const char* when)
{
    QFile mem("/proc/meminfo");
    mem.open(QIODevice::ReadOnly);
    qint64 total = 0, available = 0;
    for (const QByteArray& line : mem.readAll().split('\n')) {
        const QList<QByteArray> parts = line.simplified().split(' ');
        if (parts.value(0) == "MemTotal:")
            total = parts.value(1).toLongLong();
        else if (parts.value(0) == "MemAvailable:")
            available = parts.value(1).toLongLong();
    }
    std::printf("%s: load %s, memory %.1f GB of %.1f GB available\n", when,
                qPrintable(firstLine("/proc/loadavg")), double(available) / 1048576.0,
                double(total) / 1048576.0);
    std::fflush(stdout);
}

// Copies per file for about 100 MB: the size of one copy and of two.
int copiesFor100MB(const QString& samples, const QString& dir)
{
    const qint64 one = VfkAreaFiles::write(samples, dir + "/probe.vfk", 1, 1);
    const qint64 two = VfkAreaFiles::write(samples, dir + "/probe.vfk", 1, 2);
    QFile::remove(dir + "/probe.vfk");
    if (one <= 0 || two <= one)
        qFatal("cannot write the area files into %s", qPrintable(dir));
    const qint64 perCopy = two - one;
    return int(std::clamp<qint64>((100'000'000 - (one - perCopy)) / perCopy, 1, 99));
}

// The area files 1..count, generated when missing (a file is complete once
// it has its name: it is written under NAME.part and renamed).
QStringList areaFiles(const QString& samples, const QString& workdir, int count, int copies)
{
    const QString dir = QStringLiteral("%1/vfk-areas-%2-copies").arg(workdir).arg(copies);
    QDir().mkpath(dir);
    QStringList files;
    for (int i = 1; i <= count; ++i) {
        const QString path = QStringLiteral("%1/area-%2.vfk").arg(dir).arg(i, 2, 10, QChar('0'));
        if (!QFileInfo::exists(path)) {
            QElapsedTimer timer;
            timer.start();
            if (VfkAreaFiles::write(samples, path, i, copies) < 0)
                qFatal("cannot write %s", qPrintable(path));
            std::printf("generated %s (area %s, %.1f MB) in %.1f s\n", qPrintable(path),
                        qPrintable(VfkAreaFiles::areaCode(i)), double(QFileInfo(path).size()) / 1e6,
                        double(timer.elapsed()) / 1e3);
            std::fflush(stdout);
        }
        files.append(path);
    }
    return files;
}

struct Measured
{
    ChildProcess run;
    qint64 inputBytes = 0;
    QString note; // areas and maps the import reported, or why it failed
};

void printRow(const char* label, int files, const char* what, const Measured& m)
{
    const QString perByte =
        m.inputBytes > 0
            ? QString::asprintf("%5.2f", m.run.peakMegabytes * 1048576.0 / double(m.inputBytes))
            : QStringLiteral("    -");
    std::printf("  %-5s %2d file%s %8.1f MB  %-6s %8.2f s  peak %7.0f MB  %s bytes/byte  %s\n",
                label, files, files == 1 ? " " : "s", double(m.inputBytes) / 1e6, what,
                m.run.seconds, m.run.peakMegabytes, qPrintable(perByte), qPrintable(m.note));
    std::fflush(stdout);
}

// The import's summary names the areas ("okres X (C): 20 katastrálních
// území, ...") and one line per map ("mapa ..."); both must match the files.
QString importNote(const QString& output, int files)
{
    QFile file(output);
    file.open(QIODevice::ReadOnly);
    const QString text = QString::fromUtf8(file.readAll());
    const QRegularExpressionMatch areas =
        QRegularExpression(QStringLiteral("^okres .*\\): (\\d+) katastr"),
                           QRegularExpression::MultilineOption)
            .match(text);
    const int imported = areas.hasMatch() ? areas.captured(1).toInt() : 0;
    const qsizetype maps = text.count(QRegularExpression(QStringLiteral("(?m)^\\s*mapa ")));
    QString note = QStringLiteral("%1 areas, %2 maps").arg(imported).arg(maps);
    if (imported != files || maps != files)
        note += QStringLiteral(" (EXPECTED %1 EACH)").arg(files);
    return note;
}

// An empty directory of this benchmark process under `workdir`: two runs
// sharing the generated files never delete each other's output.
QString freshRunDir(const QString& workdir)
{
    const QString run = workdir + "/run-" + QString::number(QCoreApplication::applicationPid());
    QDir(run).removeRecursively();
    QDir().mkpath(run);
    return run;
}

qint64 totalBytes(const QStringList& files)
{
    qint64 bytes = 0;
    for (const QString& file : files)
        bytes += QFileInfo(file).size();
    return bytes;
}

Measured importRun(const QString& tool, const QStringList& files, const QString& workdir)
{
    const QString run = freshRunDir(workdir);
    Measured m;
    m.inputBytes = totalBytes(files);
    m.run = ChildProcess::exec(
        tool,
        QStringList{"import"} + files << "--out" << run + "/district"
                                      << "--workdb" << run + "/WorkDB",
        {"ORV_MAP_DIR=" + run + "/maps", "ORV_CONFIG_DIR=" + run + "/config"}, run + "/output.txt");
    m.note = m.run.ok() ? importNote(run + "/output.txt", int(files.size()))
                        : m.run.failure() + ": " + firstLine(run + "/output.txt");
    QDir(run).removeRecursively();
    return m;
}

// A forked child starts with this process's pages: its peak includes them.
QString forkedFrom()
{
    QFile status("/proc/self/status");
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return QStringLiteral(" (this process at the fork: %1 MB)")
                .arg(line.mid(6).trimmed().split(' ').value(0).toLongLong() / 1024);
    return {};
}

// The window's Storno takes effect at the import's next report: the longest
// interval between two reports is the longest a cancel waits. Measured with
// the import built into this program over all the files, in a forked child.
Measured reportsRun(const QStringList& files, const QString& workdir)
{
    const QString run = freshRunDir(workdir);
    Measured m;
    m.inputBytes = totalBytes(files);
    const QString parent = forkedFrom();
    m.run = ChildProcess::fork([&] {
        QElapsedTimer since;
        since.start();
        qint64 longest = 0;
        int reports = 0;
        QString before = QStringLiteral("(start)"), after;
        auto progress = [&](int, const QString& step) {
            const qint64 gap = since.restart();
            if (gap > longest)
                longest = gap, after = before;
            before = step;
            ++reports;
            return true;
        };
        VfkImporter importer({files, run + "/district", run + "/WorkDB"}, progress);
        importer.setMapDir(run + "/maps");
        importer.run();
        QFile out(run + "/reports.txt");
        out.open(QIODevice::WriteOnly);
        out.write(QStringLiteral("%1 reports, longest interval %2 ms after \"%3\"")
                      .arg(reports)
                      .arg(longest)
                      .arg(after)
                      .toUtf8());
        return 0;
    });
    m.note = (m.run.ok() ? firstLine(run + "/reports.txt") : m.run.failure()) + parent;
    QDir(run).removeRecursively();
    return m;
}

Measured gdalRun(const QString& file, const QString& workdir)
{
    const QString run = freshRunDir(workdir);
    Measured m;
    m.inputBytes = QFileInfo(file).size();
    const QString parent = forkedFrom();
    m.run = ChildProcess::fork([&] {
        qint64 features = 0;
        gdalSeconds(file, run, &features);
        QFile out(run + "/features.txt");
        out.open(QIODevice::WriteOnly);
        out.write(QByteArray::number(features));
        return 0;
    });
    m.note =
        (m.run.ok() ? firstLine(run + "/features.txt") + " features" : m.run.failure()) + parent;
    QDir(run).removeRecursively();
    return m;
}

int measureAreaFiles(const QStringList& args, int count)
{
    const QString samples = QStringLiteral(ORV_SAMPLES_DIR);
    const QString workdir =
        QDir(argValue(args, "--workdir", QDir::tempPath() + "/orv-bench-vfk")).absolutePath();
    QDir().mkpath(workdir);
    QStringList tools = argValues(args, "--tool");
    if (tools.isEmpty())
        tools.append(QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../orv-tool"));
    for (QString& tool : tools) {
        tool = QFileInfo(tool).absoluteFilePath();
        if (!QFileInfo(tool).isExecutable())
            qFatal("%s is not an executable orv-tool (--tool PATH)", qPrintable(tool));
    }
    const int copies = args.contains("--copies") ? argValue(args, "--copies", {}).toInt()
                                                 : copiesFor100MB(samples, workdir);
    const QStringList files = areaFiles(samples, workdir, count, copies);
    printMachine("before");
    std::printf("%d area files of %d copies each in %s; peak = the child's ru_maxrss\n", count,
                copies, qPrintable(QFileInfo(files.first()).absolutePath()));
    QList<Measured> one;
    for (const QString& tool : tools) {
        std::printf("%s\n", qPrintable(tool));
        const Measured floor = [&] {
            Measured m;
            m.run = ChildProcess::exec(tool, {"--version"}, {}, "/dev/null");
            m.note = m.run.ok() ? QStringLiteral("orv-tool --version") : m.run.failure();
            return m;
        }();
        printRow("floor", 0, "start", floor);
        one.append(importRun(tool, {files.first()}, workdir));
        printRow("one", 1, "import", one.last());
    }
    for (qsizetype t = 0; t < tools.size(); ++t) {
        const Measured all = importRun(tools[t], files, workdir);
        std::printf("%s\n", qPrintable(tools[t]));
        printRow("all", count, "import", all);
        if (all.run.ok() && one[t].run.ok())
            std::printf("        linearity: time %.3f x (%d x one file), peak %.2f x one file\n",
                        all.run.seconds / (count * one[t].run.seconds), count,
                        all.run.peakMegabytes / one[t].run.peakMegabytes);
    }
    std::printf("this program's import, reporting as to the window (forked child)\n");
    printRow("cancel", count, "import", reportsRun(files, workdir));
    const Measured gdal = gdalRun(files.first(), workdir);
    std::printf("GDAL's VFK driver (forked child)\n");
    printRow("gdal", 1, "load", gdal);
    for (qsizetype t = 0; t < tools.size(); ++t)
        if (gdal.run.ok() && one[t].run.ok())
            std::printf("  GDAL load / import of one file: %.2f (%s)\n",
                        gdal.run.seconds / one[t].run.seconds, qPrintable(tools[t]));
    printMachine("after");
    return 0;
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
    // The area files alone: the runs in this process before them would
    // raise its peak, which the kernel carries into every child's.
    if (args.contains("--files"))
        return measureAreaFiles(args, std::clamp(argValue(args, "--files", "1").toInt(), 1, 99));
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
