#include "import/VfkRowFingerprints.h"
#include "base/ETalvekException.h"

#include <QDir>
#include <algorithm>
#include <numeric>

namespace {

// FNV-1a, 64 bits: stable and fast for short byte strings.
quint64 fnv(QByteArrayView bytes, quint64 hash = 14695981039346656037ULL)
{
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ULL;
    }
    return hash;
}

constexpr quint64 FileBits = 16;
constexpr quint64 FileMask = (1ULL << FileBits) - 1;

} // namespace

// Calls `f(name, block, keyColumn, row, entry)` for every row with a key
// of the group's data set.
template <typename F>
void VfkRowFingerprints::forEachKeyedRow(const VfkDataSet& data, const QList<int>& files, F&& f)
{
    for (const QString& name : data.blockNames()) {
        const VfkBlock& block = data.block(name);
        const int keyColumn = data.keyColumn(name);
        if (keyColumn < 0)
            continue;
        const quint64 blockHash = fnv(name.toUtf8() + '\0');
        // Values hashed by column name, so that files that order a block's
        // columns differently still agree.
        QList<int> order(block.columns.size());
        std::iota(order.begin(), order.end(), 0);
        std::sort(order.begin(), order.end(),
                  [&](int a, int b) { return block.columns[a] < block.columns[b]; });
        for (qsizetype r = 0; r < block.rows.size(); ++r) {
            const quint64 file = quint64(files.value(block.origins[r].file)) & FileMask;
            quint64 values = 14695981039346656037ULL;
            for (const int c : std::as_const(order))
                values = fnv(block.rows.bytes(r, c), fnv(QByteArrayView("\x1F", 1), values));
            f(name, block, keyColumn, r,
              Entry{fnv(block.rows.bytes(r, keyColumn), blockHash), (values & ~FileMask) | file});
        }
    }
}

void VfkRowFingerprints::refuse(const VfkDataSet& data, const QList<int>& files,
                                const QStringList& paths, const Entry& earlier, const Entry& row)
{
    forEachKeyedRow(
        data, files,
        [&](const QString& name, const VfkBlock& block, int keyColumn, qsizetype r,
            const Entry& entry) {
            if (entry.key != row.key || entry.values != row.values)
                return;
            throw ETalvekException(
                QStringLiteral("Soubory %1 a %2 obsahují různé řádky bloku %3 se "
                               "stejným %4 %5; import nepozná, který platí.")
                    .arg(QDir::toNativeSeparators(paths.value(int(earlier.values & FileMask))),
                         QDir::toNativeSeparators(paths.value(int(row.values & FileMask))), name,
                         block.columns.value(keyColumn),
                         QString::fromUtf8(block.rows.bytes(r, keyColumn))));
        });
    // Not reached: the row is in the data set its entry came from.
    throw ETalvekException(
        QStringLiteral("Soubory %1 a %2 obsahují různé řádky se stejným klíčem; import nepozná, "
                       "který platí.")
            .arg(QDir::toNativeSeparators(paths.value(int(earlier.values & FileMask))),
                 QDir::toNativeSeparators(paths.value(int(row.values & FileMask)))));
}

void VfkRowFingerprints::add(const VfkDataSet& data, const QList<int>& files,
                             const QStringList& paths)
{
    std::vector<Entry> added;
    qsizetype keyed = 0;
    for (const QString& name : data.blockNames())
        keyed += data.keyColumn(name) < 0 ? 0 : data.block(name).rows.size();
    added.reserve(size_t(keyed));
    forEachKeyedRow(data, files,
                    [&](const QString&, const VfkBlock&, int, qsizetype, const Entry& entry) {
                        added.push_back(entry);
                    });
    // Rows repeated within the group agree already (VfkDataSet).
    std::sort(added.begin(), added.end());
    added.erase(std::unique(added.begin(), added.end(),
                            [](const Entry& a, const Entry& b) { return a.key == b.key; }),
                added.end());
    // Each earlier group against this one in a single pass over both (both
    // are sorted): a binary search per row and group would cost a cache
    // miss per step.
    std::vector<bool> known(added.size());
    for (const std::vector<Entry>& group : m_groups) {
        auto earlier = group.cbegin();
        for (size_t i = 0; i < added.size() && earlier != group.cend(); ++i) {
            while (earlier != group.cend() && earlier->key < added[i].key)
                ++earlier;
            if (earlier == group.cend() || earlier->key != added[i].key)
                continue;
            if ((earlier->values & ~FileMask) != (added[i].values & ~FileMask))
                refuse(data, files, paths, *earlier, added[i]);
            known[i] = true;
        }
    }
    size_t kept = 0;
    for (size_t i = 0; i < added.size(); ++i)
        if (!known[i])
            added[kept++] = added[i];
    added.resize(kept);
    added.shrink_to_fit();
    m_groups.push_back(std::move(added));
}
