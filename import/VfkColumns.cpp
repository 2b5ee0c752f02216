#include "import/VfkColumns.h"
#include "base/ETalvekException.h"

#include <QDir>
#include <cmath>

VfkColumns::VfkColumns(const VfkDataSet& data, const QString& blockName)
    : m_data(data), m_block(data.block(blockName))
{
}

// A column that the reader's selection left out is a mistake of the
// selection (its list lacks a column the mapping reads), never of the file:
// reading it as blank would give wrong tables without a word.
int VfkColumns::optional(const char* name) const
{
    const QString column = QString::fromLatin1(name);
    if (m_block.unread.contains(column))
        qFatal("VFK import: column %s of block %s is read but was not selected", name,
               qPrintable(m_block.name));
    return m_block.column(column);
}

int VfkColumns::required(const char* name) const
{
    const int column = optional(name);
    if (column >= 0 || m_block.rows.isEmpty())
        return column;
    throw ETalvekException(
        QStringLiteral("Soubor %1, řádek %2: blok %3 nemá sloupec %4, bez kterého ho nelze "
                       "importovat.")
            .arg(QDir::toNativeSeparators(m_data.paths().value(m_block.definitionFile)))
            .arg(m_block.definitionLine)
            .arg(m_block.name, QString::fromLatin1(name)));
}

QString VfkColumns::where(int row) const
{
    const VfkBlock::Origin origin = m_block.origins.value(row);
    return QStringLiteral("Soubor %1, řádek %2")
        .arg(QDir::toNativeSeparators(m_data.paths().value(origin.file)))
        .arg(origin.line);
}

void VfkColumns::refuse(int row, const QString& what) const
{
    throw ETalvekException(where(row) + QStringLiteral(": ") + what);
}

qint64 VfkColumns::integer(int row, int column, qint64 min, qint64 max, qint64 blank) const
{
    const QString value = text(row, column);
    if (value.isEmpty())
        return blank;
    // The reader let through only digits with a sign and a point; compare as
    // a double first so that no out-of-range value is ever converted.
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (ok && std::isfinite(number) && number == std::floor(number) && number >= double(min) &&
        number <= double(max))
        return qint64(number);
    refuse(row, QStringLiteral("hodnota „%1“ sloupce %2 bloku %3 není celé číslo od %4 do %5.")
                    .arg(value.left(40), m_block.columns.value(column), m_block.name)
                    .arg(min)
                    .arg(max));
}

double VfkColumns::real(int row, int column, double max) const
{
    const QString value = text(row, column);
    bool ok = value.isEmpty();
    const double number = value.isEmpty() ? 0.0 : value.toDouble(&ok);
    if (ok && std::isfinite(number) && std::abs(number) <= max)
        return number;
    refuse(row, QStringLiteral("hodnota „%1“ sloupce %2 bloku %3 je mimo rozsah.")
                    .arg(value.left(40), m_block.columns.value(column), m_block.name));
}
