// Paradox reader and writer throughput on a table shaped like the registry's
// parcel table (19 fields, 90-byte records, 270,000 records), compared with
// pxlib decoding the same file in the same run. Prints figures; not a test.
#include "db/paradox/ParadoxTable.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>

extern "C" {
#include <paradox.h>
}

namespace {
constexpr int Records = 270000;
constexpr int Runs = 5;

QList<ParadoxField> parcelFields()
{
    using T = ParadoxFieldType;
    return {{"PARSKUP", T::Short, 0},  {"PARCIS", T::Long, 0},   {"PARPOD", T::Short, 0},
            {"PARDIL", T::Short, 0},   {"VYMERA", T::Number, 0}, {"KVALITA", T::Short, 0},
            {"DRUHPOZ", T::Short, 0},  {"NEMOCHR", T::Short, 0}, {"NEMVYUZ", T::Short, 0},
            {"BONITA", T::Long, 0},    {"CPCE", T::Number, 0},   {"ELCIS", T::Long, 0},
            {"LVCIS", T::Long, 0},     {"VLVZTAH", T::Short, 0}, {"MAPA", T::Alpha, 10},
            {"UMISTENI", T::Short, 0}, {"TYPVL", T::Short, 0},   {"PPOLVZ", T::Long, 0},
            {"PARCISLO", T::Alpha, 24}};
}

QList<QVariantList> parcelRows()
{
    QRandomGenerator rng(42);
    QList<QVariantList> rows;
    rows.reserve(Records);
    for (int i = 0; i < Records; ++i) {
        // A permutation of 0..Records-1 spread over the four key fields, so
        // that the keys are unique and the writer has to sort.
        const int u = int((qint64(i) * 7919) % Records);
        const int group = 1 + u % 2;
        const int stem = u / 8 + 1;
        const int sub = (u / 2) % 2;
        rows << QVariantList{
            group,
            stem,
            sub,
            (u / 4) % 2,
            double(rng.bounded(100000)),
            1,
            2 + rng.bounded(13),
            rng.bounded(10),
            rng.bounded(40),
            rng.bounded(99999),
            rng.bounded(2) ? QVariant() : QVariant(10005.0 + i % 900),
            0,
            1 + rng.bounded(3000),
            1,
            QStringLiteral("Prachatice %1").arg(i % 99).left(10),
            0,
            1,
            100 + i % 50,
            QStringLiteral("%1%2/%3").arg(group == 1 ? "-" : "").arg(stem).arg(sub)};
    }
    return rows;
}

// Wall time and the process's CPU time: the machine is shared, so the CPU
// time tells the cost of the code when other processes compete for the cores.
struct Cost
{
    qint64 wall = LLONG_MAX;
    qint64 cpu = LLONG_MAX;
};

qint64 cpuNow()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

template <typename Work> void measure(Cost& best, Work&& work)
{
    QElapsedTimer timer;
    const qint64 cpuStart = cpuNow();
    timer.start();
    work();
    best.wall = std::min(best.wall, timer.nsecsElapsed());
    best.cpu = std::min(best.cpu, cpuNow() - cpuStart);
}

double rate(qint64 records, qint64 nsecs)
{
    return double(records) * 1e9 / double(std::max<qint64>(nsecs, 1));
}

void decodeOurs(const QString& path, double* checksum)
{
    const ParadoxReader reader(path);
    const QList<ParadoxField>& fields = reader.header().fields;
    QByteArray text;
    double sum = 0;
    reader.forEachRecord([&](const ParadoxRecord& r) {
        for (int i = 0; i < fields.size(); ++i) {
            switch (fields[i].type) {
            case ParadoxFieldType::Alpha:
                r.toUtf8(i, text);
                sum += text.size();
                break;
            case ParadoxFieldType::Number:
                sum += r.isBlank(i) ? 0 : r.toDouble(i);
                break;
            default:
                sum += r.isBlank(i) ? 0 : double(r.toInt64(i));
            }
        }
    });
    *checksum = sum;
}

void decodeOursAsStrings(const QString& path, qint64* chars)
{
    const ParadoxReader reader(path);
    *chars = 0;
    reader.forEachRecord([&](const ParadoxRecord& r) {
        *chars += r.toString(14).size() + r.toString(18).size() + r.toInt64(1);
    });
}

void decodePxlib(const QString& path, double* checksum)
{
    pxdoc_t* doc = PX_new();
    PX_open_file(doc, QFile::encodeName(path).constData());
    const int fields = PX_get_num_fields(doc);
    const int records = PX_get_num_records(doc);
    double sum = 0;
    for (int r = 0; r < records; ++r) {
        pxval_t** values = PX_retrieve_record(doc, r);
        for (int i = 0; i < fields; ++i) {
            pxval_t* v = values[i];
            if (!v->isnull) {
                if (v->type == pxfAlpha) {
                    sum += v->value.str.len;
                    doc->free(doc, v->value.str.val);
                } else if (v->type == pxfNumber) {
                    sum += v->value.dval;
                } else if (v->value.lval != -2147483648L) {
                    sum += double(v->value.lval);
                }
            }
            doc->free(doc, v);
        }
        doc->free(doc, values);
    }
    PX_close(doc);
    PX_delete(doc);
    *checksum = sum;
}
} // namespace

int main()
{
    PX_boot();
    QTemporaryDir dir;
    const QString path = dir.filePath("NYSPA001.DB");
    const QList<QVariantList> rows = parcelRows();

    Cost write;
    for (int run = 0; run < 3; ++run)
        measure(write, [&] { ParadoxWriter::writeTable(path, parcelFields(), 4, rows); });
    const ParadoxReader header(path);
    std::printf("table: %d records, %d fields, %d-byte records, %lld-byte .DB, %lld-byte .PX, "
                "%d-byte blocks\n",
                Records, int(header.header().fields.size()), header.header().recordSize,
                QFileInfo(path).size(), QFileInfo(dir.filePath("NYSPA001.PX")).size(),
                header.header().blockSize);
    std::printf("(best of 3 or %d runs; rates by wall time, and by CPU time in brackets)\n", Runs);
    std::printf("write (encode, sort by key, .DB + .PX, flush, rename): %9.0f records/s [%9.0f]\n",
                rate(Records, write.wall), rate(Records, write.cpu));

    double ours = 0;
    double theirs = 0;
    qint64 chars = 0;
    Cost ourCost, stringCost, pxlibCost;
    for (int run = 0; run < Runs; ++run) {
        measure(ourCost, [&] { decodeOurs(path, &ours); });
        measure(pxlibCost, [&] { decodePxlib(path, &theirs); });
        measure(stringCost, [&] { decodeOursAsStrings(path, &chars); });
    }
    std::printf("decode, ORV (open + every field, text as UTF-8):       %9.0f records/s [%9.0f]\n",
                rate(Records, ourCost.wall), rate(Records, ourCost.cpu));
    std::printf("decode, ORV (2 texts as QString + 1 integer):          %9.0f records/s [%9.0f]\n",
                rate(Records, stringCost.wall), rate(Records, stringCost.cpu));
    std::printf("decode, pxlib 0.6.8 (open + every field):              %9.0f records/s [%9.0f]\n",
                rate(Records, pxlibCost.wall), rate(Records, pxlibCost.cpu));
    std::printf("ratio ORV / pxlib: %.2f [%.2f]\n", double(pxlibCost.wall) / double(ourCost.wall),
                double(pxlibCost.cpu) / double(ourCost.cpu));
    std::printf("checksums: ORV %.0f, pxlib %.0f (%s)\n", ours, theirs,
                ours == theirs ? "equal" : "DIFFERENT");
    PX_shutdown();
    return ours == theirs ? 0 : 1;
}
