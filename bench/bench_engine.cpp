// Engine figures on generated data: loading parcel tables into SQLite,
// reopening an unchanged table, exact key lookup and the statistics query.
// Each figure is printed as wall time and as processor time of the process
// (comparable on a busy machine).
#include "data/DemoDistrictGenerator.h"
#include "db/Engine.h"
#include "db/Query.h"
#include "db/Table.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>

namespace {

double cpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

struct Stopwatch
{
    QElapsedTimer wall;
    double cpu0 = cpuMs();
    Stopwatch() { wall.start(); }
    double wallMs() const { return double(wall.nsecsElapsed()) / 1e6; }
    double cpuMsElapsed() const { return cpuMs() - cpu0; }
};

QString generate(const QTemporaryDir& dir, DemoDistrictGenerator::Size size, const char* name)
{
    const QString path = dir.filePath(QString::fromLatin1(name));
    DemoDistrictGenerator::Options options;
    options.size = size;
    const auto summary = DemoDistrictGenerator(options).generate(path);
    std::printf("generated %s: %d areas, %lld parcel parts\n", name, summary.areas,
                summary.parcelParts);
    return path;
}

void loadDistrict(const QString& dir)
{
    Engine& engine = Engine::instance();
    const QStringList files = QDir(dir).entryList({"NYSPA*.DB"}, QDir::Files, QDir::Name);
    qint64 rows = 0;
    Stopwatch sw;
    for (const QString& file : files) {
        LoadedTable& t = engine.table(engine.tablePath(dir, file));
        SqliteStatement count(engine.db().handle(), "SELECT COUNT(*) FROM \"" + t.sqlName + "\"");
        count.step();
        rows += count.int64(0);
    }
    std::printf("load district parcel tables: %lld tables, %lld rows: wall %.0f ms (%.0f rows/s), "
                "cpu %.0f ms (%.0f rows/s)\n",
                qint64(files.size()), rows, sw.wallMs(), rows / (sw.wallMs() / 1000.0),
                sw.cpuMsElapsed(), rows / (sw.cpuMsElapsed() / 1000.0));
}

void loadCity(const QString& dir)
{
    Engine& engine = Engine::instance();
    Stopwatch sw;
    engine.table(engine.tablePath(dir, "NYSPA001.DB"));
    std::printf("load city parcel table (40000 rows, 19 fields): wall %.1f ms (%.0f rows/s), "
                "cpu %.1f ms (%.0f rows/s)\n",
                sw.wallMs(), 40000 / (sw.wallMs() / 1000.0), sw.cpuMsElapsed(),
                40000 / (sw.cpuMsElapsed() / 1000.0));
    const int n = 1000;
    Stopwatch reopen;
    for (int i = 0; i < n; ++i)
        engine.table(engine.tablePath(dir, "nyspa001.db"));
    std::printf("reopen unchanged table (40000 rows): wall %.1f us, cpu %.1f us\n",
                reopen.wallMs() * 1000.0 / n, reopen.cpuMsElapsed() * 1000.0 / n);
}

void lookups(const QString& dir)
{
    Table pa;
    pa.setDatabaseName(dir);
    pa.setTableName("NYSPA001.DB");
    pa.setIndexFieldNames("PARSKUP;PARCIS;PARPOD;PARDIL");
    Stopwatch open;
    pa.open();
    std::printf("open dataset in key order (%d rows): wall %.2f ms, cpu %.2f ms\n",
                pa.recordCount(), open.wallMs(), open.cpuMsElapsed());
    QList<QVariantList> keys;
    for (pa.first(); !pa.eof(); pa.next())
        if (pa.recNo() % 7 == 0)
            keys.append(
                {pa.value("PARSKUP"), pa.value("PARCIS"), pa.value("PARPOD"), pa.value("PARDIL")});
    const int n = 20000;
    int found = 0;
    Stopwatch sw;
    for (int i = 0; i < n; ++i)
        found += pa.findKey(keys[i % keys.size()]) ? 1 : 0;
    std::printf("exact key lookup on %d rows: wall %.2f us, cpu %.2f us (%d of %d found)\n",
                pa.recordCount(), sw.wallMs() * 1000.0 / n, sw.cpuMsElapsed() * 1000.0 / n, found,
                n);
}

void statistics(const QString& dir)
{
    Query q;
    q.setDatabaseName(dir);
    q.setSql("SELECT SUM(VYMERA), COUNT(VYMERA) FROM \"NYSPA001.DB\" WHERE PARSKUP <= 2 AND "
             "DRUHPOZ = 13");
    q.open(); // warm
    const int n = 200;
    Stopwatch sw;
    for (int i = 0; i < n; ++i) {
        q.close();
        q.open();
    }
    std::printf("SUM/COUNT query on 40000 rows, warm: wall %.3f ms, cpu %.3f ms (count %lld)\n",
                sw.wallMs() / n, sw.cpuMsElapsed() / n, q.asInteger("COUNT(VYMERA)"));
}

// Text in Czech alphabetical order: a table ordered by a text field builds
// an index with the collation CS; a plain index of the same column for
// comparison, then nearest lookups on the text order.
void textOrder(const QString& dir)
{
    Engine& engine = Engine::instance();
    LoadedTable& t = engine.table(engine.tablePath(dir, "NYSPA001.DB"));
    Stopwatch plain;
    engine.db().exec("CREATE INDEX bench_plain ON \"" + t.sqlName + "\" (PARCISLO)");
    std::printf("plain text index on 40000 rows: wall %.1f ms, cpu %.1f ms\n", plain.wallMs(),
                plain.cpuMsElapsed());
    engine.db().exec("DROP INDEX bench_plain");
    Table pa;
    pa.setDatabaseName(dir);
    pa.setTableName("NYSPA001.DB");
    pa.setIndexFieldNames("PARCISLO");
    Stopwatch open;
    pa.open();
    std::printf("open dataset in Czech text order (%d rows, index built): wall %.1f ms, "
                "cpu %.1f ms\n",
                pa.recordCount(), open.wallMs(), open.cpuMsElapsed());
    Stopwatch reorder;
    pa.setIndexFieldNames("PARSKUP");
    pa.setIndexFieldNames("PARCISLO");
    std::printf("switch order to the text index and back (%d rows): wall %.1f ms, cpu %.1f ms\n",
                pa.recordCount(), reorder.wallMs(), reorder.cpuMsElapsed());
    QStringList keys;
    for (pa.first(); !pa.eof(); pa.next())
        if (pa.recNo() % 7 == 0)
            keys.append(pa.value("PARCISLO").toString().left(3));
    const int n = 20000;
    Stopwatch sw;
    for (int i = 0; i < n; ++i)
        pa.findNearest({keys[i % keys.size()]});
    std::printf("nearest lookup on a text order, %d rows: wall %.2f us, cpu %.2f us\n",
                pa.recordCount(), sw.wallMs() * 1000.0 / n, sw.cpuMsElapsed() * 1000.0 / n);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString city = generate(dir, DemoDistrictGenerator::Size::City, "city");
    const QString district = generate(dir, DemoDistrictGenerator::Size::District, "district");
    loadDistrict(district);
    loadCity(city);
    lookups(city);
    statistics(city);
    textOrder(city);
    return 0;
}
