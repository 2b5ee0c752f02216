#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>
#include <array>

// One data row of a selection grid: columns 1 to 3 as typed.
using TParcGridRow = std::array<QString, 3>;

// The rows of one grid of the parcel-number dialog: column 0 is the row number
// (1, 2, ...; renumbered whenever rows move), columns 1 to 3 hold text. The
// grid always has at least one data row.
class TParcGridModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum class Kind
    {
        Parcel, // group, stem number, subdivision
        House   // part of municipality, house number, kind
    };
    static constexpr int ColumnCount = 4;

    TParcGridModel(Kind kind, const QStringList& headers, QObject* parent = nullptr);

    Kind GridKind() const { return m_kind; }
    bool IsParcelGrid() const { return m_kind == Kind::Parcel; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Column 1..3 of a data row (0-based row).
    QString Cell(int row, int column) const;
    void SetCell(int row, int column, const QString& text);
    const QList<TParcGridRow>& Rows() const { return m_rows; }
    bool RowEmpty(int row) const;

    // Back to one empty row numbered 1.
    void Reset();
    void AppendRow();
    // Removes a row; removing the only row leaves it empty.
    void DeleteRow(int row);
    // Adds a row, reusing the first row while it is the only one and empty.
    void AddRow(const TParcGridRow& row);
    void AddRows(const QList<TParcGridRow>& rows);

    // The cell as an integer, -1 when it is not one (blanks around ignored);
    // numbers beyond 64 bits saturate.
    static qint64 CellValue(const QString& text);
    // Whether column 1..3 may hold `text` in a grid of this kind (typed cells).
    bool CellValid(int column, const QString& text) const;

private:
    Kind m_kind;
    QStringList m_headers;
    QList<TParcGridRow> m_rows;
};
