#include "select/core/TParcGridModel.h"

#include "data/ParcelNumber.h"

#include <limits>

namespace {
// PARSKUP and PARPOD are 16-bit fields; the parcel-number text cannot carry
// more than these.
constexpr int MaxGroup = 32767;
constexpr int MaxSubdivision = 32767;
// PARCIS is a 32-bit field.
constexpr qint64 MaxStem = std::numeric_limits<qint32>::max();
// A house number and its part of municipality are packed into CPCE as
// part * 10000 + number.
constexpr int MaxPart = 99;
constexpr int MaxHouseNumber = 9999;
} // namespace

TParcGridModel::TParcGridModel(Kind kind, const QStringList& headers, QObject* parent)
    : QAbstractTableModel(parent), m_kind(kind), m_headers(headers)
{
    m_rows.append(TParcGridRow{});
}

int TParcGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int TParcGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TParcGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    if (index.column() == 0)
        return QString::number(index.row() + 1);
    return m_rows[index.row()][index.column() - 1];
}

bool TParcGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || index.column() < 1 ||
        index.row() >= m_rows.size())
        return false;
    const QString text = value.toString();
    // "st. 38" typed into the group or the number fills the row: group 1
    // (building parcel), number 38 and its subdivision.
    if (IsParcelGrid() && index.column() < 3 && HasBuildingParcelMark(text)) {
        const ParcelKey key = ParseParcelNumber(text);
        if (key.parcis > 0) {
            SetCell(index.row(), 1, QString::number(key.parskup));
            SetCell(index.row(), 2, QString::number(key.parcis));
            SetCell(index.row(), 3, QString::number(key.parpod));
            return true;
        }
    }
    SetCell(index.row(), index.column(), text);
    return true;
}

Qt::ItemFlags TParcGridModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (index.column() == 0)
        return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

QVariant TParcGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return QString::number(section + 1);
    return m_headers.value(section);
}

QString TParcGridModel::Cell(int row, int column) const
{
    if (row < 0 || row >= m_rows.size() || column < 1 || column > 3)
        return QString();
    return m_rows[row][column - 1];
}

void TParcGridModel::SetCell(int row, int column, const QString& text)
{
    if (row < 0 || row >= m_rows.size() || column < 1 || column > 3)
        return;
    m_rows[row][column - 1] = text;
    const QModelIndex cell = index(row, column);
    emit dataChanged(cell, cell);
}

bool TParcGridModel::RowEmpty(int row) const
{
    const TParcGridRow& r = m_rows.at(row);
    return r[0].trimmed().isEmpty() && r[1].trimmed().isEmpty() && r[2].trimmed().isEmpty();
}

void TParcGridModel::Reset()
{
    beginResetModel();
    m_rows = {TParcGridRow{}};
    endResetModel();
}

void TParcGridModel::AppendRow()
{
    const int row = int(m_rows.size());
    beginInsertRows(QModelIndex(), row, row);
    m_rows.append(TParcGridRow{});
    endInsertRows();
}

void TParcGridModel::DeleteRow(int row)
{
    if (row < 0 || row >= m_rows.size())
        return;
    if (m_rows.size() == 1) {
        m_rows[0] = TParcGridRow{};
        emit dataChanged(index(0, 1), index(0, ColumnCount - 1));
        return;
    }
    // A reset rather than a removal: the rows that move up get new numbers in
    // column 0, which a plain removal would not announce.
    beginResetModel();
    m_rows.removeAt(row);
    endResetModel();
}

void TParcGridModel::AddRow(const TParcGridRow& row)
{
    AddRows({row});
}

void TParcGridModel::AddRows(const QList<TParcGridRow>& rows)
{
    if (rows.isEmpty())
        return;
    beginResetModel();
    for (const TParcGridRow& row : rows) {
        if (m_rows.size() == 1 && RowEmpty(0))
            m_rows[0] = row;
        else
            m_rows.append(row);
    }
    endResetModel();
}

qint64 TParcGridModel::CellValue(const QString& text)
{
    const QString t = text.trimmed();
    int digits = (t.startsWith(QLatin1Char('-')) || t.startsWith(QLatin1Char('+'))) ? 1 : 0;
    if (digits == t.size())
        return -1;
    for (int i = digits; i < t.size(); ++i)
        if (!t[i].isDigit() || t[i].unicode() > '9')
            return -1;
    bool ok = false;
    const qint64 value = t.toLongLong(&ok, 10);
    if (ok)
        return value;
    // A number too long for 64 bits still is a number: saturate, so that the
    // range checks reject it instead of reading it as "not a number".
    return t.startsWith(QLatin1Char('-')) ? std::numeric_limits<qint64>::min()
                                          : std::numeric_limits<qint64>::max();
}

bool TParcGridModel::CellValid(int column, const QString& text) const
{
    const qint64 v = CellValue(text);
    switch (column) {
    case 1:
        return v >= -1 && v <= (IsParcelGrid() ? MaxGroup : MaxPart);
    case 2:
        return v >= 1 && v <= (IsParcelGrid() ? MaxStem : MaxHouseNumber);
    case 3:
        if (IsParcelGrid())
            return v >= 0 && v <= MaxSubdivision;
        return v >= -1 && v <= std::numeric_limits<int>::max();
    default:
        return true;
    }
}
