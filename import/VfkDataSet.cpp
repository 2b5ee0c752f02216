#include "import/VfkDataSet.h"
#include "base/ETalvekException.h"

#include <QDir>

namespace {
const VfkBlock& emptyBlock()
{
    static const VfkBlock empty;
    return empty;
}

// The key as a number when it is one written plainly (so that "0123" and
// "123" stay two keys, as texts); -1 otherwise.
qint64 plainNumber(QByteArrayView key)
{
    if (key.isEmpty() || key.size() > 18 || (key[0] == '0' && key.size() > 1))
        return -1;
    qint64 value = 0;
    for (const char c : key) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}
} // namespace

void VfkDataSet::add(VfkFile&& file)
{
    const int fileIndex = int(m_paths.size());
    m_paths.append(file.path);
    m_repaired += file.repairedTexts;
    m_warnings += file.warnings;
    if (m_validity.isEmpty())
        m_validity = file.header.value(QStringLiteral("PLATNOST"));
    if (file.header.value(QStringLiteral("OSOBDATA")).trimmed() == QLatin1String("0"))
        m_withoutPersonalData = true;
    for (auto it = file.blocks.begin(); it != file.blocks.end(); ++it) {
        Merged& target = m_blocks[it.key()];
        if (target.block.columns.isEmpty()) {
            target.block.name = it->name;
            target.block.columns = it->columns;
            target.block.types = it->types;
            target.block.definitionFile = fileIndex;
            target.block.definitionLine = it->definitionLine;
            target.keyColumn = it->column(QStringLiteral("ID"));
            if (target.keyColumn < 0)
                target.keyColumn = it->column(QStringLiteral("KOD"));
        }
        for (const QString& column : std::as_const(it->unread))
            if (!target.block.unread.contains(column))
                target.block.unread.append(column);
        merge(target, std::move(*it), fileIndex);
        it->rows = VfkRowStore(); // the file's copy is no longer needed
        target.block.rows.squeeze();
    }
}

int VfkDataSet::rowOfKey(const Merged& target, QByteArrayView key)
{
    const qint64 number = plainNumber(key);
    if (number >= 0)
        return target.rowOfNumber.value(number, -1);
    return target.rowOfText.value(QString::fromUtf8(key), -1);
}

// The row just appended to the target (the last one) repeats an earlier row:
// it is taken back. Files that give one key different values are refused.
bool VfkDataSet::isRepeat(Merged& target, int fileIndex)
{
    VfkBlock& block = target.block;
    const int last = int(block.rows.size()) - 1;
    const QByteArrayView row = block.rows.encoded(last);
    int earlier = -1;
    if (target.keyColumn >= 0) {
        const QByteArrayView key = block.rows.bytes(last, target.keyColumn);
        earlier = rowOfKey(target, key);
        if (earlier < 0) {
            const qint64 number = plainNumber(key);
            if (number >= 0)
                target.rowOfNumber.insert(number, last);
            else
                target.rowOfText.insert(QString::fromUtf8(key), last);
            return false;
        }
        const int earlierFile = block.origins[earlier].file;
        if (earlierFile != fileIndex && block.rows.encoded(earlier) != row)
            throw ETalvekException(
                QStringLiteral("Soubory %1 a %2 obsahují různé řádky bloku %3 se stejným %4 %5 "
                               "(řádky %6 a %7); import nepozná, který platí.")
                    .arg(QDir::toNativeSeparators(m_paths.value(earlierFile)),
                         QDir::toNativeSeparators(m_paths.value(fileIndex)), block.name,
                         block.columns.value(target.keyColumn), QString::fromUtf8(key))
                    .arg(block.origins[earlier].line)
                    .arg(block.origins.value(last).line));
        return true;
    }
    const size_t hash = qHash(row);
    for (auto it = target.rowsOfHash.constFind(hash);
         it != target.rowsOfHash.cend() && it.key() == hash; ++it)
        if (block.rows.encoded(*it) == row)
            return true;
    target.rowsOfHash.insert(hash, last);
    return false;
}

void VfkDataSet::merge(Merged& target, VfkBlock&& source, int fileIndex)
{
    // Files of different versions may order or extend a block differently:
    // map their rows onto the columns of the first file by name.
    QList<int> map;
    const bool sameColumns = source.columns == target.block.columns;
    if (!sameColumns)
        for (const QString& column : std::as_const(target.block.columns))
            map.append(source.column(column));
    const bool parcels = target.block.name == QLatin1String("PAR");
    VfkBlock& block = target.block;
    for (qsizetype r = 0; r < source.rows.size(); ++r) {
        if (sameColumns) {
            block.rows.appendEncoded(source.rows.encoded(r));
        } else {
            QStringList mapped;
            for (const int c : std::as_const(map))
                mapped.append(source.value(r, c));
            block.rows.append(mapped);
        }
        block.origins.append({fileIndex, source.origins.value(r).line});
        if (isRepeat(target, fileIndex)) {
            block.rows.removeLast();
            block.origins.removeLast();
            continue;
        }
        if (parcels)
            m_parcelFiles.append(fileIndex);
    }
}

const VfkBlock& VfkDataSet::block(const QString& name) const
{
    const auto it = m_blocks.constFind(name);
    return it == m_blocks.constEnd() ? emptyBlock() : it->block;
}

int VfkDataSet::keyColumn(const QString& name) const
{
    const auto it = m_blocks.constFind(name);
    return it == m_blocks.constEnd() ? -1 : it->keyColumn;
}

int VfkDataSet::find(const QString& blockName, const QString& id) const
{
    const auto it = m_blocks.constFind(blockName);
    if (it == m_blocks.constEnd() || id.isEmpty())
        return -1;
    return rowOfKey(*it, id.toUtf8());
}
