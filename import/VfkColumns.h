#pragma once

#include "import/VfkDataSet.h"

// The columns of one block that the mapping reads, looked up once, and the
// values of its rows checked against the fields they go to. A refusal throws
// ETalvekException naming the file and the line (the block's &B line for a
// missing column, the row's &D line for a value).
class VfkColumns
{
public:
    VfkColumns(const VfkDataSet& data, const QString& blockName);

    const VfkBlock& block() const { return m_block; }
    int rows() const { return int(m_block.rows.size()); }
    // The row with this ID / KOD, or -1.
    int find(const QString& id) const { return m_data.find(m_block.name, id); }

    // A column the mapping cannot do without: a block that has rows but not
    // this column is refused. A block that no file has reads as empty.
    int required(const char* name) const;
    // A column whose blank value is valid: -1 when the block lacks it, so
    // that every row reads blank there.
    int optional(const char* name) const;

    // "" for row or column -1.
    QString text(int row, int column) const
    {
        return row < 0 ? QString() : m_block.value(row, column);
    }
    // A whole number within [min, max]; `blank` for a blank value or a
    // missing column. Anything else (a fraction, out of range) is refused.
    qint64 integer(int row, int column, qint64 min, qint64 max, qint64 blank = 0) const;
    // A finite number (blank 0) of at most `max` in absolute value.
    double real(int row, int column, double max) const;

    // "Soubor …, řádek N" of a row.
    QString where(int row) const;
    [[noreturn]] void refuse(int row, const QString& what) const;

private:
    const VfkDataSet& m_data;
    const VfkBlock& m_block;
};
