#include "browse/TPartsGrid.h"

#include "browse/core/ParDilyRules.h"
#include "browse/core/PartFields.h"
#include "browse/core/TBrowseGridModel.h"
#include "browse/core/TBrowseTables.h"
#include "db/Table.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QStyle>
#include <QTableView>

TPartsGrid::TPartsGrid(QTableView* view, QLabel* summary, TBrowseTables& tables, Guard guard,
                       QObject* parent)
    : QObject(parent), m_view(view), m_summary(summary), m_tables(tables), m_guard(std::move(guard))
{
    m_model = new TBrowseGridModel(&tables.Parts(), PartFields::GridColumns(), this);
    m_model->setMarkField(QStringLiteral("FLAG"));
    m_model->setRowStyle([this](const QVariantList& v) {
        const int flag = m_model->valueIndex("FLAG");
        const int mapa = m_model->valueIndex("MAPA");
        const int parcislo = m_model->valueIndex("PARCISLO");
        return ParDilyRules::RowColours(v.value(flag).toBool(), v.value(mapa).toString(),
                                        m_parcelView, v.value(parcislo).toString(), m_parcel);
    });
    SetupView(view, m_model);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->installEventFilter(this);
    view->horizontalHeader()->setSectionsClickable(true);
    connect(m_model, &QAbstractItemModel::modelReset, this, &TPartsGrid::SyncToDataset);
    connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { rowChosen(current.row()); });
    connect(view->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { m_guard([&] { SortByColumn(column); }); });
    connect(view, &QTableView::doubleClicked, this,
            [this](const QModelIndex& index) { m_guard([&] { ToggleMark(index.row()); }); });
}

void TPartsGrid::SetupView(QTableView* view, TBrowseGridModel* model)
{
    view->setModel(model);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
    view->setWordWrap(false);
    const QFontMetrics fm = view->fontMetrics();
    for (int c = 0; c < model->columns().size(); ++c) {
        const TBrowseGridModel::Column& col = model->columns().at(c);
        // Widths are counted in digits, as the values are mostly numbers.
        const int chars = col.widthChars * fm.horizontalAdvance(QLatin1Char('0')) + 8;
        // The header's own measure includes its margins and the sort arrow.
        // The first column also holds the mark's check box.
        const int mark = c == 0 && model->hasMarkColumn()
                             ? view->style()->pixelMetric(QStyle::PM_IndicatorWidth) + 8
                             : 0;
        view->setColumnWidth(c, qMax(chars + mark, view->horizontalHeader()->sectionSizeHint(c)));
    }
}

void TPartsGrid::ShowParcel(bool parcelView, const QString& parcislo)
{
    m_parcelView = parcelView;
    m_parcel = parcislo;
    m_model->repaintAll();
}

void TPartsGrid::ReadMarks(const QString& workTablePath)
{
    m_marks = TMarkSummary::Read(workTablePath);
    m_summary->setText(m_marks.Text());
}

void TPartsGrid::MarkAll(bool mark, const QString& workTablePath)
{
    m_tables.MarkAll(mark);
    ReadMarks(workTablePath);
}

void TPartsGrid::ToggleMark(int row)
{
    setMark(row, std::nullopt);
}

void TPartsGrid::ToggleCurrentMark()
{
    Table& pa = m_tables.Parts();
    if (pa.isActive() && !pa.isEmpty())
        setMark(pa.recNo(), std::nullopt);
}

void TPartsGrid::MarkCurrentAndNext()
{
    Table& pa = m_tables.Parts();
    if (!pa.isActive() || pa.isEmpty())
        return;
    setMark(pa.recNo(), true);
    pa.next();
}

void TPartsGrid::setMark(int row, std::optional<bool> mark)
{
    if (m_tables.SetMark(row, mark, m_marks))
        m_summary->setText(m_marks.Text());
}

void TPartsGrid::SortByColumn(int column)
{
    const TBrowseGridModel::Column& col = m_model->columns().at(column);
    m_tables.SortParts(col.field, col.title);
}

void TPartsGrid::SyncToDataset()
{
    Table& pa = m_tables.Parts();
    if (m_syncing || !pa.isActive() || pa.isEmpty())
        return;
    m_syncing = true;
    const QModelIndex index = m_model->index(pa.recNo(), 0);
    if (m_view->currentIndex().row() != index.row()) {
        m_view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                             QItemSelectionModel::Rows);
        m_view->scrollTo(index);
    }
    m_syncing = false;
}

void TPartsGrid::rowChosen(int row)
{
    Table& pa = m_tables.Parts();
    if (m_syncing || row < 0 || !pa.isActive() || row == pa.recNo())
        return;
    m_guard([&] { pa.setRecNo(row); });
}

bool TPartsGrid::eventFilter(QObject* watched, QEvent* event)
{
    // Space and Insert change marks (the grid would only move its selection
    // with them).
    if (watched == m_view && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier) {
            if (key->key() == Qt::Key_Space) {
                m_guard([this] { ToggleCurrentMark(); });
                return true;
            }
            if (key->key() == Qt::Key_Insert) {
                m_guard([this] { MarkCurrentAndNext(); });
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}
