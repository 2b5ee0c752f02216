#pragma once

#include "import/VfkBlock.h"

#include <QSet>

// The blocks of all files of one import merged: a row that several files
// repeat (same ID, or KOD for code lists, or the same values where a block
// has neither) is kept once, in the order first seen. Rows are looked up by
// their ID / KOD.
class VfkDataSet
{
public:
    void add(VfkFile&& file);

    // The block, empty (no columns, no rows) when no file has it.
    const VfkBlock& block(const QString& name) const;
    // The row of the block with this ID / KOD, or nullptr.
    const QStringList* find(const QString& blockName, const QString& id) const;
    // Index of the file (order given) that first brought the PAR row.
    int parcelFile(int parRow) const { return m_parcelFiles.value(parRow); }

    const QStringList& paths() const { return m_paths; }
    // The date of the data (&HPLATNOST) of the first file that gives one.
    const QString& validity() const { return m_validity; }
    int repairedTexts() const { return m_repaired; }
    // What the reader changed in the files (characters replaced), in file order.
    const QStringList& readerWarnings() const { return m_warnings; }
    // True when any file declares that it carries no personal data.
    bool withoutPersonalData() const { return m_withoutPersonalData; }

private:
    struct Merged
    {
        VfkBlock block;
        int keyColumn = -1;
        QHash<QString, int> rowOfKey;
        QSet<QString> seenRows; // blocks without ID / KOD
    };
    void merge(Merged& target, VfkBlock&& source, int fileIndex);

    QHash<QString, Merged> m_blocks;
    QList<int> m_parcelFiles;
    QStringList m_paths;
    QString m_validity;
    QStringList m_warnings;
    int m_repaired = 0;
    bool m_withoutPersonalData = false;
};

// The value of a column (index from VfkBlock::column) in a row, "" for -1.
inline QString vfkValue(const QStringList& row, int column)
{
    return column < 0 || column >= row.size() ? QString() : row[column];
}
