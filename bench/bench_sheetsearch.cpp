// The search of one owner's ownership sheets across the districts of a
// synthetic country ("bench_sheetsearch [DIR] [--districts N] [--areas N]
// [--relations N] [--no-plain]"; default 77 districts, 13,000 areas, about 4 million
// relation rows, written once into DIR, or into a temporary directory),
// under aliases in a private configuration directory and with a private
// cache directory for the owner index.
// Measured, wall-clock and processor time (all threads) with the load
// average: the first search by IDENT across every district (no index yet,
// built on the way, page cache warm), the first search of a fresh process
// state with the index on disk, later searches of several owners (median and
// maximum), an owner list by name prefix with the sheets of all its owners
// across the country, the dialog's opening with every alias, and the plain
// scan that queries every relation table. Targets: first search under 5 s,
// later ones under 300 ms, name prefix under 500 ms, the dialog under 300 ms.
#include "BenchCity.h"
#include "app/core/TCodeTableApp.h"
#include "data/CountryGenerator.h"
#include "data/DemoCodeTables.h"
#include "db/Engine.h"
#include "db/EngineAliases.h"
#include "db/Query.h"
#include "db/paradox/ParadoxTable.h"
#include "select/TListVlDialog.h"
#include "select/core/TListVlSearch.h"
#include "select/core/TOwnerSheetIndex.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTableView>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <thread>

namespace {

QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()).section(u' ', 0, 2)
                                          : QStringLiteral("?");
}

// Wall-clock and processor time of one measured step.
class Stopwatch
{
public:
    Stopwatch() { restart(); }
    void restart()
    {
        m_wall.start();
        m_cpu = cpuMs();
    }
    double wallMs() const { return msSince(m_wall); }
    double cpuUsedMs() const { return cpuMs() - m_cpu; }
    void print(const char* what, const QString& detail) const
    {
        std::printf("%-58s %9.1f ms wall %9.1f ms cpu   %s\n", what, wallMs(), cpuUsedMs(),
                    qPrintable(detail));
        std::fflush(stdout);
    }

private:
    QElapsedTimer m_wall;
    double m_cpu = 0;
};

QString hitsText(const TListVlSearch::Result& r)
{
    return QStringLiteral("%1 sheets, %2 areas, %3 skipped, %4 tables read")
        .arg(r.hits.size())
        .arg(r.searchedAreas)
        .arg(r.skippedAreas)
        .arg(r.tablesRead);
}

CountryGenerator::Summary countryIn(const QString& root, CountryGenerator::Options options)
{
    if (!QFileInfo::exists(root + QStringLiteral("/OKRES01/NYSKATAL.DB"))) {
        Stopwatch watch;
        const CountryGenerator::Summary written = CountryGenerator(options).generate(root);
        watch.print("country written", QStringLiteral("%1 districts, %2 areas, %3 relation rows")
                                           .arg(written.districts.size())
                                           .arg(written.areas)
                                           .arg(written.relations));
        return written;
    }
    CountryGenerator::Summary found; // written by an earlier run
    for (const QString& name : QDir(root).entryList({"OKRES*"}, QDir::Dirs, QDir::Name))
        found.districts.append({name, root + QLatin1Char('/') + name, 0, 0, 0});
    std::printf("country reused from %s: %lld districts\n", qPrintable(root),
                qlonglong(found.districts.size()));
    return found;
}

// Every relation file read once, so that the page cache holds them.
qint64 warmPageCache(const QStringList& dirs)
{
    qint64 bytes = 0;
    for (const QString& dir : dirs)
        for (const QString& file : QDir(dir).entryList({"NYSUV*"}, QDir::Files)) {
            QFile f(QDir(dir).filePath(file));
            if (f.open(QIODevice::ReadOnly))
                bytes += f.readAll().size();
        }
    return bytes;
}

// Owners for the later searches: one from the first area of districts spread
// over the country.
QList<double> someOwners(const QStringList& dirs, int count)
{
    QList<double> owners;
    for (int i = 0; i < count; ++i) {
        const ParadoxReader reader(dirs[i * (dirs.size() - 1) / std::max(1, count - 1)] +
                                   QStringLiteral("/NYSUV001.DB"));
        QList<double> idents;
        reader.forEachRecord([&](const ParadoxRecord& r) { idents << r.toDouble(2); });
        owners << idents.value(3 + i % 5 * 7 % int(std::max<qsizetype>(1, idents.size() - 3)));
    }
    return owners;
}

qint64 directoryBytes(const QString& path)
{
    qint64 bytes = 0;
    for (const QFileInfo& file : QDir(path).entryInfoList(QDir::Files))
        bytes += file.size();
    return bytes;
}

QString peakMemory()
{
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("?");
    for (const QByteArray& line : file.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return QString::fromLatin1(line.mid(6).simplified());
    return QStringLiteral("?");
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values[values.size() / 2];
}
} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    CountryGenerator::Options options;
    QString root;
    bool plainScan = true;
    const QStringList args = application.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        const bool value = i + 1 < args.size();
        if (args[i] == QLatin1String("--districts") && value)
            options.districts = args[++i].toInt();
        else if (args[i] == QLatin1String("--areas") && value)
            options.areas = args[++i].toInt();
        else if (args[i] == QLatin1String("--relations") && value)
            options.relations = args[++i].toLongLong();
        else if (args[i] == QLatin1String("--no-plain"))
            plainScan = false; // the plain scan takes minutes on the whole country
        else
            root = args[i];
    }
    QTemporaryDir temporary;
    if (root.isEmpty())
        root = temporary.filePath(QStringLiteral("country"));
    qputenv("ORV_CONFIG_DIR", temporary.filePath(QStringLiteral("config")).toUtf8());
    qputenv("ORV_CACHE_DIR", temporary.filePath(QStringLiteral("cache")).toUtf8());
    QDir().mkpath(temporary.filePath(QStringLiteral("config")));
    std::printf("load average at start: %s, %u hardware threads\n", qPrintable(loadAverage()),
                std::max(1u, std::thread::hardware_concurrency()));

    const CountryGenerator::Summary country = countryIn(QDir::cleanPath(root), options);
    EngineAliases aliases(EngineAliases::defaultFilePath());
    CountryGenerator::defineAliases(aliases, country);
    aliases.save();
    Engine::instance().aliases() = aliases;
    QStringList names;
    QStringList dirs;
    for (const CountryGenerator::District& d : country.districts) {
        names << d.name;
        dirs << d.directory;
    }
    Stopwatch watch;
    const qint64 bytes = warmPageCache(dirs);
    watch.print("relation files read once (page cache)",
                QStringLiteral("%1 MB").arg(double(bytes) / 1e6, 0, 'f', 1));

    const QList<double> owners = someOwners(dirs, 9);
    watch.restart();
    TListVlSearch::Result first;
    TListVlSearch::Run(names, {owners.first()}, first);
    watch.print("first search by IDENT, index built on the way", hitsText(first));

    TOwnerSheetIndex::instance().forget();
    watch.restart();
    TListVlSearch::Result fromDisk;
    TListVlSearch::Run(names, {owners[1]}, fromDisk);
    watch.print("first search of a fresh state, index on disk", hitsText(fromDisk));

    QList<double> walls;
    QList<double> cpus;
    // The owners, and the State, which holds a sheet in every area.
    for (const double ident : owners + QList<double>{1}) {
        watch.restart();
        TListVlSearch::Result later;
        TListVlSearch::Run(names, {ident}, later);
        walls << watch.wallMs();
        cpus << watch.cpuUsedMs();
        watch.print("later search by IDENT", hitsText(later));
    }
    std::printf("later searches of %lld owners: median %.1f ms wall (%.1f ms cpu), max %.1f ms "
                "wall (%.1f ms cpu)\n",
                qlonglong(walls.size()), median(walls), median(cpus),
                *std::max_element(walls.begin(), walls.end()),
                *std::max_element(cpus.begin(), cpus.end()));

    watch.restart();
    Query ownerList;
    TListVlSearch::OpenOwners(ownerList, names.first(), true, QStringLiteral("NOV"), false);
    QList<double> idents;
    ownerList.forEachRow([&](const QVariantList& row) { idents << row[0].toDouble(); });
    TListVlSearch::Result byName;
    TListVlSearch::Run(names, idents, byName);
    watch.print("name prefix \"NOV\": owner list and their sheets",
                QStringLiteral("%1 owners; %2").arg(idents.size()).arg(hitsText(byName)));

    QTemporaryDir workDb;
    DemoCodeTables::writeAll(workDb.path());
    const auto app = std::make_shared<TCodeTableApp>(workDb.path());
    watch.restart();
    {
        TListVlDialog dialog(app, {});
        watch.print("dialog opened", QStringLiteral("%1 aliases").arg(names.size()));
        for (int row = 0; row < names.size(); ++row)
            dialog.SetTicked(row, true);
        TListVlSearch::OpenOwners(dialog.TableOborg(), names.first(), false,
                                  QString::number(qint64(owners.first())), false);
        auto* ownerGrid = dialog.findChild<QTableView*>(QStringLiteral("DBGrid"));
        ownerGrid->setCurrentIndex(ownerGrid->model()->index(0, 0));
        watch.restart();
        dialog.SearchBtnClick();
        watch.print("dialog's search, every district ticked",
                    QStringLiteral("%1 rows, progress after each area").arg(dialog.ResultCount()));
    }

    std::printf("owner index: %.1f MB in files, peak resident memory of the process %s\n",
                double(directoryBytes(TOwnerSheetIndex::cacheDirectory())) / 1e6,
                qPrintable(peakMemory()));
    if (!plainScan)
        return 0;
    watch.restart();
    TListVlSearch::Result plain;
    TListVlSearch::Run(names, {owners.first()}, plain, {}, TListVlSearch::Method::PlainScan);
    watch.print("plain scan: a query of every relation table", hitsText(plain));
    const bool agree = std::equal(plain.hits.begin(), plain.hits.end(), first.hits.begin(),
                                  first.hits.end(), [](const TListVlHit& a, const TListVlHit& b) {
                                      return a.ident == b.ident && a.sheet == b.sheet &&
                                             a.area == b.area && a.alias == b.alias &&
                                             a.katastr == b.katastr;
                                  });
    std::printf("plain scan and index agree: %s\n", agree ? "yes" : "NO");
    std::printf("load average at end: %s\n", qPrintable(loadAverage()));
    return 0;
}
