#include "import/VfkDataSet.h"

namespace {
const VfkBlock& emptyBlock()
{
    static const VfkBlock empty;
    return empty;
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
        merge(target, std::move(*it), fileIndex);
    }
}

void VfkDataSet::merge(Merged& target, VfkBlock&& source, int fileIndex)
{
    // Files of different versions may order or extend a block differently:
    // map their rows onto the columns of the first file by name.
    QList<int> map;
    const bool sameColumns = source.columns == target.block.columns;
    if (!sameColumns)
        for (const QString& column : target.block.columns)
            map.append(source.column(column));
    const bool parcels = target.block.name == QLatin1String("PAR");
    for (qsizetype r = 0; r < source.rows.size(); ++r) {
        QStringList& row = source.rows[r];
        if (!sameColumns) {
            QStringList mapped;
            for (const int c : map)
                mapped.append(vfkValue(row, c));
            row = std::move(mapped);
        }
        if (target.keyColumn >= 0) {
            const QString key = row[target.keyColumn];
            if (target.rowOfKey.contains(key))
                continue;
            target.rowOfKey.insert(key, int(target.block.rows.size()));
        } else {
            const QString whole = row.join(QChar(0x1F));
            if (target.seenRows.contains(whole))
                continue;
            target.seenRows.insert(whole);
        }
        if (parcels)
            m_parcelFiles.append(fileIndex);
        target.block.rows.append(std::move(row));
        target.block.origins.append({fileIndex, source.origins.value(r).line});
    }
}

const VfkBlock& VfkDataSet::block(const QString& name) const
{
    const auto it = m_blocks.constFind(name);
    return it == m_blocks.constEnd() ? emptyBlock() : it->block;
}

const QStringList* VfkDataSet::find(const QString& blockName, const QString& id) const
{
    const auto it = m_blocks.constFind(blockName);
    if (it == m_blocks.constEnd() || id.isEmpty())
        return nullptr;
    const auto row = it->rowOfKey.constFind(id);
    return row == it->rowOfKey.constEnd() ? nullptr : &it->block.rows[*row];
}
