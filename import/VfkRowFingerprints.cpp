#include "import/VfkRowFingerprints.h"
#include "base/ETalvekException.h"

#include <QDir>
#include <algorithm>
#include <iterator>
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

void VfkRowFingerprints::add(const VfkDataSet& data, const QList<int>& files,
                             const QStringList& paths)
{
    std::vector<Entry> added;
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
            const QByteArrayView key = block.rows.bytes(r, keyColumn);
            const quint64 file = quint64(files.value(block.origins[r].file)) & FileMask;
            quint64 values = 14695981039346656037ULL;
            for (const int c : std::as_const(order))
                values = fnv(block.rows.bytes(r, c), fnv(QByteArrayView("\x1F", 1), values));
            const Entry entry{fnv(key, blockHash), (values & ~FileMask) | file};
            const auto earlier = std::lower_bound(m_entries.cbegin(), m_entries.cend(), entry);
            if (earlier == m_entries.cend() || earlier->key != entry.key) {
                added.push_back(entry);
                continue;
            }
            if ((earlier->values & ~FileMask) == (entry.values & ~FileMask))
                continue;
            throw ETalvekException(
                QStringLiteral("Soubory %1 a %2 obsahují různé řádky bloku %3 se stejným %4 %5; "
                               "import nepozná, který platí.")
                    .arg(QDir::toNativeSeparators(paths.value(int(earlier->values & FileMask))),
                         QDir::toNativeSeparators(paths.value(int(file))), name,
                         block.columns.value(keyColumn), QString::fromUtf8(key)));
        }
    }
    // Merged into a vector of the exact size: a growing vector would hold
    // up to twice the entries.
    std::sort(added.begin(), added.end());
    std::vector<Entry> merged;
    merged.reserve(m_entries.size() + added.size());
    std::merge(m_entries.cbegin(), m_entries.cend(), added.cbegin(), added.cend(),
               std::back_inserter(merged));
    m_entries.swap(merged);
}
