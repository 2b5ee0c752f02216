// Engine figures: loading a parcel table into SQLite, reopening an unchanged
// table, exact key lookup and the statistics SUM/COUNT query.
#include "db/Engine.h"
#include "db/Query.h"
#include "db/Table.h"
#include "db/paradox/ParadoxTable.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>

namespace {

// A parcel-part table with the 19 leading fields of the registry layout.
void writeParcelTable(const QString& path, int rows)
{
    const QList<ParadoxField> fields{
        {"PARSKUP", ParadoxFieldType::Short, 0},  {"PARCIS", ParadoxFieldType::Long, 0},
        {"PARPOD", ParadoxFieldType::Short, 0},   {"PARDIL", ParadoxFieldType::Short, 0},
        {"VYMERA", ParadoxFieldType::Number, 0},  {"KVALITA", ParadoxFieldType::Short, 0},
        {"DRUHPOZ", ParadoxFieldType::Short, 0},  {"NEMOCHR", ParadoxFieldType::Short, 0},
        {"NEMVYUZ", ParadoxFieldType::Short, 0},  {"BONITA", ParadoxFieldType::Long, 0},
        {"CPCE", ParadoxFieldType::Number, 0},    {"ELCIS", ParadoxFieldType::Long, 0},
        {"LVCIS", ParadoxFieldType::Long, 0},     {"VLVZTAH", ParadoxFieldType::Short, 0},
        {"MAPA", ParadoxFieldType::Alpha, 10},    {"UMISTENI", ParadoxFieldType::Short, 0},
        {"TYPVL", ParadoxFieldType::Short, 0},    {"PPOLVZ", ParadoxFieldType::Long, 0},
        {"PARCISLO", ParadoxFieldType::Alpha, 12}};
    ParadoxWriter writer(path, fields, 4);
    for (int i = 0; i < rows; ++i) {
        const int group = i % 5 == 0 ? 1 : 2;
        const int stem = i / 3 + 1;
        const int sub = i % 3;
        writer.addRow({group, stem, sub, 1, double(100 + i % 5000), 1, 2 + i % 13, 0, i % 10,
                       53000 + i % 90, i % 7 == 0 ? double(10000 + i % 900) : QVariant(), 0,
                       1 + i % 2000, 1, QString("M%1").arg(i % 40), 0, 2, i % 9000,
                       (group == 1 ? QString("-") : QString()) + QString::number(stem) +
                           (sub ? "/" + QString::number(sub) : QString())});
    }
    writer.commit();
}

double msSince(const QElapsedTimer& t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

// Processor time of the process in ms: comparable on a busy machine, where
// wall time also counts the time other processes ran.
double cpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    Engine& engine = Engine::instance();
    for (const int rows : {270000, 40000}) {
        const QString name = QString("NYSPA%1.DB").arg(rows == 40000 ? "001" : "999");
        writeParcelTable(dir.filePath(name), rows);
        QElapsedTimer t;
        t.start();
        const double cpu0 = cpuMs();
        engine.table(engine.tablePath(dir.path(), name));
        const double loadMs = msSince(t);
        const double loadCpu = cpuMs() - cpu0;
        std::printf("load %s: %d rows, 19 fields: wall %.1f ms (%.0f rows/s), cpu %.1f ms "
                    "(%.0f rows/s)\n",
                    qPrintable(name), rows, loadMs, rows / (loadMs / 1000.0), loadCpu,
                    rows / (loadCpu / 1000.0));
    }
    {
        const int n = 1000;
        QElapsedTimer t;
        t.start();
        const double cpu0 = cpuMs();
        for (int i = 0; i < n; ++i) {
            Table pa;
            pa.setDatabaseName(dir.path());
            pa.setTableName("nyspa999.db");
            pa.setIndexFieldNames("PARSKUP;PARCIS;PARPOD;PARDIL");
            engine.table(engine.tablePath(dir.path(), "nyspa999.db"));
        }
        std::printf("reopen unchanged table (270000 rows): wall %.1f us, cpu %.1f us\n",
                    msSince(t) * 1000.0 / n, (cpuMs() - cpu0) * 1000.0 / n);
    }
    Table pa;
    pa.setDatabaseName(dir.path());
    pa.setTableName("NYSPA001.DB");
    pa.setIndexFieldNames("PARSKUP;PARCIS;PARPOD;PARDIL");
    {
        QElapsedTimer t;
        t.start();
        const double cpu0 = cpuMs();
        pa.open();
        std::printf("open dataset in key order (40000 rows): wall %.2f ms, cpu %.2f ms\n",
                    msSince(t), cpuMs() - cpu0);
    }
    {
        const int n = 20000;
        int found = 0;
        QElapsedTimer t;
        t.start();
        const double cpu0 = cpuMs();
        for (int i = 0; i < n; ++i)
            found += pa.findKey({2, 1 + (i * 7919) % 13000, 1, 1}) ? 1 : 0;
        std::printf("exact key lookup on 40000 rows: wall %.2f us, cpu %.2f us (%d of %d found)\n",
                    msSince(t) * 1000.0 / n, (cpuMs() - cpu0) * 1000.0 / n, found, n);
    }
    {
        Query q;
        q.setDatabaseName(dir.path());
        q.setSql("SELECT SUM(VYMERA), COUNT(VYMERA) FROM \"NYSPA001.DB\" WHERE PARSKUP <= 2 AND "
                 "DRUHPOZ = 13");
        q.open(); // warm
        const int n = 200;
        QElapsedTimer t;
        t.start();
        const double cpu0 = cpuMs();
        for (int i = 0; i < n; ++i) {
            q.close();
            q.open();
        }
        std::printf("SUM/COUNT query on 40000 rows, warm: wall %.3f ms, cpu %.3f ms (count %lld)\n",
                    msSince(t) / n, (cpuMs() - cpu0) / n, q.asInteger("COUNT(VYMERA)"));
    }
    return 0;
}
