#pragma once

#include "import/VfkBlock.h"

#include <QMultiHash>

// The blocks of all files of one import merged: a row that several files
// repeat (same ID, or KOD for code lists, or the same values where a block
// has neither) is kept once, in the order first seen. Two files that give
// one ID different values are refused: the import cannot tell which is
// right. Rows are looked up by their ID / KOD.
class VfkDataSet
{
public:
    void add(VfkFile&& file);

    // The block, empty (no columns, no rows) when no file has it.
    const VfkBlock& block(const QString& name) const;
    QStringList blockNames() const { return m_blocks.keys(); }
    // The block's ID (else KOD) column, -1 when it has neither.
    int keyColumn(const QString& name) const;
    // The row of the block with this ID / KOD, or -1.
    int find(const QString& blockName, const QString& id) const;
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
    // Row keys: an ID that is a plain number (no sign, no leading zero) is
    // kept as the number, any other as text.
    struct Merged
    {
        VfkBlock block;
        int keyColumn = -1;
        QHash<qint64, int> rowOfNumber;
        QHash<QString, int> rowOfText;
        QMultiHash<size_t, int> rowsOfHash; // blocks without ID / KOD: rows by their values' hash
    };
    void merge(Merged& target, VfkBlock&& source, int fileIndex);
    bool isRepeat(Merged& target, int fileIndex);
    static int rowOfKey(const Merged& target, QByteArrayView key);

    QHash<QString, Merged> m_blocks;
    QList<int> m_parcelFiles;
    QStringList m_paths;
    QString m_validity;
    QStringList m_warnings;
    int m_repaired = 0;
    bool m_withoutPersonalData = false;
};
