#include "select/TParcDialog.h"

#include "widgets/DialogPos.h"
#include "widgets/MessageDlg.h"
#include "widgets/ScreenScale.h"
#include "db/AliasPaths.h"
#include "base/ETalvekException.h"
#include "widgets/TWaitCursor.h"
#include "select/TOpenFileDialog.h"
#include "select/core/TParcSelector.h"
#include "select/core/TParcelImport.h"

#include "ui_TParcDialog.h"

#include <QButtonGroup>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableView>
#include <functional>
#include <optional>
#include <set>

namespace {
const QString WrongNumber = QStringLiteral("Chybné číslo");

// Passes the grid keys typed while a cell is being edited to the dialog,
// after the typed text has been stored in the cell.
class GridKeyDelegate : public QStyledItemDelegate
{
public:
    using Wants = std::function<bool(const QKeyEvent*)>;
    using Handle = std::function<void(int, Qt::KeyboardModifiers)>;

    GridKeyDelegate(Wants wants, Handle handle, QObject* parent)
        : QStyledItemDelegate(parent), m_wants(std::move(wants)), m_handle(std::move(handle))
    {
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        auto* editor = qobject_cast<QWidget*>(object);
        if (editor && event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (m_wants(key)) {
                const int code = key->key();
                const Qt::KeyboardModifiers modifiers = key->modifiers();
                emit commitData(editor);
                emit closeEditor(editor, QAbstractItemDelegate::NoHint);
                m_handle(code, modifiers);
                return true;
            }
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    Wants m_wants;
    Handle m_handle;
};

// Design sizes at 96 dots per inch.
constexpr int NumberColumnWidth = 32;
constexpr int DataColumnWidth = 84;
constexpr int RowHeight = 20;

struct GroupItem
{
    int tag;
    const char* caption;
};
const GroupItem GroupItems[] = {
    {1, "Katastr nemovitosti - stavební"}, {2, "Katastr nemovitosti - pozemek"},
    {3, "Evidence nemovitosti - zaniklý"}, {4, "Pozemkový katastr - stavební"},
    {5, "Pozemkový katastr - pozemek"},    {6, "Přídělový plán - stavební"},
    {7, "Přídělový plán - pozemek"},       {8, "Z již neexist. KÚ - stavební"},
    {9, "Z již neexist. KÚ - pozemek"}};

struct KindItem
{
    const char* caption;
    const char* hint;
};
const KindItem KindItems[] = {{"&Popisné čísla", "Popis.č."},
                              {"&Evidenční čísla", "Evid.č."},
                              {"&Garáže", "Garáže"},
                              {"&Všechna", "Všechna"}};
} // namespace

TParcDialog::TParcDialog(std::shared_ptr<IApp> app, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TParcDialog>()), m_app(std::move(app))
{
    ui->setupUi(this);
    // The grids grow with the window; the size is kept with the position.
    setSizeGripEnabled(true);
    m_vyber = new QButtonGroup(this);
    m_vyber->addButton(ui->Vyber0, 0);
    m_vyber->addButton(ui->Vyber1, 1);
    m_vyber->addButton(ui->Vyber2, 2);
    m_vyber->addButton(ui->Vyber3, 3);
    connect(m_vyber, &QButtonGroup::idClicked, this, [this] { VyberClick(); });

    const QStringList parcelHeaders{QString(), QStringLiteral("Skupina"),
                                    QStringLiteral("Parcel.číslo"), QStringLiteral("Podlomení")};
    const QStringList houseHeaders{QString(), QStringLiteral("Část obce"),
                                   QStringLiteral("Číslo popisné"), QStringLiteral("P./E./G./Vše")};
    m_parcelModel = new TParcGridModel(TParcGridModel::Kind::Parcel, parcelHeaders, this);
    m_houseModel = new TParcGridModel(TParcGridModel::Kind::House, houseHeaders, this);
    m_lastModel = new TParcGridModel(TParcGridModel::Kind::Parcel, parcelHeaders, this);
    setupGrid(ui->ParcelniCislo, m_parcelModel);
    setupGrid(ui->PopisneCislo, m_houseModel);
    setupGrid(ui->LastFParc, m_lastModel);
    setupPopups();

    connect(ui->ImportBtn, &QPushButton::clicked, this, [this] {
        m_popupImport->popup(ui->ImportBtn->mapToGlobal(QPoint(0, ui->ImportBtn->height())));
    });
    connect(ui->DelBtn, &QPushButton::clicked, this,
            [this] { guarded([this] { DelBtnClick(); }); });
    connect(ui->OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    m_grid = ui->ParcelniCislo;
    VyberClick();
}

TParcDialog::~TParcDialog()
{
    if (m_app)
        SaveDialogPos(*m_app, this);
}

void TParcDialog::setupGrid(QTableView* grid, TParcGridModel* model)
{
    grid->setModel(model);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setDefaultSectionSize(ScaleToScreen(RowHeight));
    grid->setColumnWidth(0, ScaleToScreen(NumberColumnWidth));
    for (int c = 1; c < TParcGridModel::ColumnCount; ++c)
        grid->setColumnWidth(c, ScaleToScreen(DataColumnWidth));
    // Wide enough for the four columns and a vertical scroll bar.
    const int columns = ScaleToScreen(NumberColumnWidth) + 3 * ScaleToScreen(DataColumnWidth);
    grid->setMinimumWidth(columns + 2 * grid->frameWidth() +
                          grid->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 2);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                          QAbstractItemView::EditKeyPressed);
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    grid->installEventFilter(this);
    const auto wants = [this](const QKeyEvent* key) {
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Up:
        case Qt::Key_Down:
            return true;
        case Qt::Key_Delete:
            return bool(key->modifiers() & Qt::ControlModifier);
        case Qt::Key_Space:
            return popupColumn(CurrentColumn());
        default:
            return false;
        }
    };
    grid->setItemDelegate(new GridKeyDelegate(
        wants, [this](int key, Qt::KeyboardModifiers mods) { gridKey(key, mods); }, grid));
    connect(grid, &QWidget::customContextMenuRequested, this,
            [this, grid](const QPoint& pos) { gridContextMenu(grid, pos); });
    grid->setCurrentIndex(model->index(0, 1));
}

void TParcDialog::setupPopups()
{
    m_popupParCis = new QMenu(this);
    m_popupParCis->setObjectName(QStringLiteral("PopupMenuParCis"));
    for (const GroupItem& item : GroupItems)
        m_popupParCis->addAction(QString::fromUtf8(item.caption))->setData(item.tag);
    m_popupPopCis = new QMenu(this);
    m_popupPopCis->setObjectName(QStringLiteral("PopupMenuPopCis"));
    for (const KindItem& item : KindItems) {
        QAction* action = m_popupPopCis->addAction(QString::fromUtf8(item.caption));
        action->setData(QString::fromUtf8(item.hint));
        action->setToolTip(QString::fromUtf8(item.hint));
    }
    connect(m_popupParCis, &QMenu::triggered, this, &TParcDialog::PopupItemClick);
    connect(m_popupPopCis, &QMenu::triggered, this, &TParcDialog::PopupItemClick);

    m_popupImport = new QMenu(this);
    m_popupImport->setObjectName(QStringLiteral("PopupMenuImport"));
    connect(m_popupImport->addAction(QStringLiteral("&Textový soubor")), &QAction::triggered, this,
            &TParcDialog::importFileClick);
    connect(m_popupImport->addAction(QStringLiteral("&Ze schránky")), &QAction::triggered, this,
            &TParcDialog::importClipboardClick);
}

template <typename F> bool TParcDialog::guarded(F action)
{
    try {
        action();
        return true;
    } catch (const ETalvekException& e) {
        if (m_app)
            m_app->ShowWaitCursor(false);
        ErrorBox(e.message());
    } catch (const std::exception& e) {
        if (m_app)
            m_app->ShowWaitCursor(false);
        ErrorBox(QString::fromUtf8(e.what()));
    }
    return false;
}

QTableView* TParcDialog::ParcelniCislo() const
{
    return ui->ParcelniCislo;
}

QTableView* TParcDialog::PopisneCislo() const
{
    return ui->PopisneCislo;
}

QTableView* TParcDialog::LastFParc() const
{
    return ui->LastFParc;
}

TParcGridModel* TParcDialog::ModelOf(QTableView* grid) const
{
    return static_cast<TParcGridModel*>(grid->model());
}

TParcGridModel* TParcDialog::CurrentModel() const
{
    return ModelOf(m_grid);
}

QMenu* TParcDialog::CurrentPopup() const
{
    return m_grid == ui->PopisneCislo ? m_popupPopCis : m_popupParCis;
}

void TParcDialog::SetVyber(int mode)
{
    if (QAbstractButton* button = m_vyber->button(mode))
        button->setChecked(true);
}

int TParcDialog::Vyber() const
{
    return m_vyber->checkedId();
}

void TParcDialog::VyberClick()
{
    const int mode = Vyber();
    ui->ParcelniCislo->setVisible(mode == 0);
    ui->PopisneCislo->setVisible(mode == 1);
    ui->LastFParc->setVisible(mode == 3);
    if (mode == 3 && m_lastModel->rowCount() == 1 && m_tableParc.isActive()) {
        m_lastModel->Reset();
        m_lastModel->AddRows(TParcSelector::PreviousSelection(m_tableParc));
    }
    m_grid = mode == 1 ? ui->PopisneCislo : mode == 3 ? ui->LastFParc : ui->ParcelniCislo;
    ui->ImportBtn->setEnabled(mode < 2);
}

void TParcDialog::ClearLastFParc()
{
    m_lastModel->Reset();
    ui->LastFParc->setCurrentIndex(m_lastModel->index(0, 1));
}

int TParcDialog::CurrentRow() const
{
    const QModelIndex current = m_grid->currentIndex();
    return current.isValid() ? current.row() : 0;
}

int TParcDialog::CurrentColumn() const
{
    const QModelIndex current = m_grid->currentIndex();
    return current.isValid() && current.column() >= 1 ? current.column() : 1;
}

void TParcDialog::SetCurrentCell(int row, int column)
{
    m_grid->setCurrentIndex(CurrentModel()->index(row, column));
}

void TParcDialog::ValidateCell(int row, int column)
{
    TParcGridModel* model = CurrentModel();
    if (model->IsParcelGrid() && column == 3 && model->Cell(row, 3).trimmed().isEmpty())
        model->SetCell(row, 3, QStringLiteral("0"));
    if (model->CellValid(column, model->Cell(row, column)))
        return;
    SetCurrentCell(row, column);
    throw ETalvekException(WrongNumber);
}

void TParcDialog::ValidateRow(int row)
{
    if (CurrentModel()->RowEmpty(row))
        return;
    for (int column = 1; column <= 3; ++column)
        ValidateCell(row, column);
}

void TParcDialog::moveToNextRow(bool appendAtEnd)
{
    const int row = CurrentRow();
    if (row + 1 >= CurrentModel()->rowCount()) {
        if (!appendAtEnd)
            return;
        CurrentModel()->AppendRow();
    }
    SetCurrentCell(row + 1, 1);
}

bool TParcDialog::ParcelniCisloKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    const int row = CurrentRow();
    const int column = CurrentColumn();
    const bool lastRow = row + 1 >= CurrentModel()->rowCount();
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (column < 3) {
            ValidateCell(row, column);
            SetCurrentCell(row, column + 1);
        } else {
            ValidateRow(row);
            moveToNextRow(true);
        }
        return true;
    case Qt::Key_Down:
        ValidateRow(row);
        if (lastRow)
            moveToNextRow(true);
        else
            SetCurrentCell(row + 1, column);
        return true;
    case Qt::Key_Up:
        ValidateRow(row);
        if (row > 0)
            SetCurrentCell(row - 1, column);
        return true;
    case Qt::Key_Delete:
        if (!(modifiers & Qt::ControlModifier))
            return false;
        DelBtnClick();
        return true;
    case Qt::Key_Space:
        return OpenCellPopup();
    default:
        return false;
    }
}

void TParcDialog::gridKey(int key, Qt::KeyboardModifiers modifiers)
{
    guarded([&] { ParcelniCisloKeyDown(key, modifiers); });
}

void TParcDialog::DelBtnClick()
{
    TParcGridModel* model = CurrentModel();
    std::set<int> rows;
    for (const QModelIndex& index : m_grid->selectionModel()->selectedIndexes())
        rows.insert(index.row());
    const int current = CurrentRow();
    if (rows.size() > 1) {
        m_grid->setUpdatesEnabled(false);
        for (auto it = rows.rbegin(); it != rows.rend(); ++it)
            model->DeleteRow(*it);
        m_grid->setUpdatesEnabled(true);
        m_grid->clearSelection();
    } else {
        model->DeleteRow(current);
    }
    SetCurrentCell(qMin(current, model->rowCount() - 1), CurrentColumn());
}

bool TParcDialog::popupColumn(int column) const
{
    return m_grid == ui->PopisneCislo ? column == 3 : column == 1;
}

bool TParcDialog::OpenCellPopup()
{
    if (!popupColumn(CurrentColumn()))
        return false;
    const QRect cell = m_grid->visualRect(m_grid->currentIndex());
    CurrentPopup()->popup(m_grid->viewport()->mapToGlobal(cell.topLeft() + QPoint(2, 2)));
    return true;
}

void TParcDialog::gridContextMenu(QTableView* grid, const QPoint& pos)
{
    if (grid != m_grid)
        return;
    const QModelIndex index = grid->indexAt(pos);
    if (!index.isValid() || index != grid->currentIndex() || !popupColumn(index.column()))
        return;
    CurrentPopup()->popup(grid->viewport()->mapToGlobal(pos));
}

void TParcDialog::PopupItemClick(QAction* item)
{
    const QString value = item->data().typeId() == QMetaType::Int
                              ? QString::number(item->data().toInt())
                              : item->data().toString();
    CurrentModel()->SetCell(CurrentRow(), CurrentColumn(), value);
}

void TParcDialog::importFileClick()
{
    guarded([this] {
        TOpenFileDialog dialog(m_app, this);
        dialog.setWindowTitle(QStringLiteral("Zdrojový soubor"));
        dialog.SetFilter(QStringLiteral("Text (*.txt)|*.txt"));
        if (m_app)
            dialog.SetInitialDir(m_app->WorkPath());
        dialog.SetMustExist(true);
        if (dialog.Execute())
            ImportFromFile(ExpandAliasPath(dialog.FileName()));
    });
}

void TParcDialog::importClipboardClick()
{
    guarded([this] { ImportFromClipboard(); });
}

void TParcDialog::ImportFromFile(const QString& path)
{
    ImportLines(TParcelImport::ReadTextFile(path));
}

void TParcDialog::ImportFromClipboard()
{
    const QClipboard* clipboard = QGuiApplication::clipboard();
    ImportLines(TParcelImport::SplitText(clipboard ? clipboard->text() : QString()));
}

void TParcDialog::ImportLines(const QStringList& lines)
{
    std::optional<TWaitCursor> wait;
    if (m_app)
        wait.emplace(*m_app);
    TParcGridModel* model = CurrentModel();
    const TParcelImport::Result result = TParcelImport::Parse(lines, model->GridKind());
    model->Reset();
    model->AddRows(result.rows);
    SetCurrentCell(0, 1);
    if (!result.errorText.isEmpty())
        throw ETalvekException(result.errorText);
    if (result.errorLine > 0)
        throw ETalvekException(QStringLiteral("Chyba na řádku %1").arg(result.errorLine));
}

void TParcDialog::validateAllRows()
{
    for (int row = 0; row < CurrentModel()->rowCount(); ++row)
        ValidateRow(row);
}

void TParcDialog::buildWorkTable()
{
    const int mode = Vyber();
    if (mode != 0 && mode != 1 && mode != 3)
        return;
    validateAllRows();
    if (!m_tableParc.isActive())
        return;
    std::optional<TWaitCursor> wait;
    if (m_app)
        wait.emplace(*m_app);
    if (mode == 1)
        TParcSelector::SelectHouseNumbers(CurrentModel()->Rows(), m_tableParc, m_tablePa);
    else
        TParcSelector::SelectParcels(CurrentModel()->Rows(), m_tableParc, m_tablePa);
}

bool TParcDialog::FormCloseQuery(int result)
{
    if (result != QDialog::Rejected && !guarded([this] { buildWorkTable(); }))
        return false;
    const bool selected = m_tableParc.isActive() && !m_tableParc.isEmpty();
    if (!selected && result != QDialog::Rejected) {
        MessageDlg(QStringLiteral("Není vybrána žádná parcela"), mtWarning, mbOK);
        return false;
    }
    ClearLastFParc();
    return true;
}

void TParcDialog::AllParcels()
{
    std::optional<TWaitCursor> wait;
    if (m_app)
        wait.emplace(*m_app);
    TParcSelector::SelectAllParcels(m_tableParc, m_tablePa.databaseName(), m_tablePa.tableName());
}

void TParcDialog::done(int result)
{
    if (FormCloseQuery(result))
        QDialog::done(result);
}

void TParcDialog::showEvent(QShowEvent* event)
{
    VyberClick();
    QDialog::showEvent(event);
}

bool TParcDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && watched == m_grid) {
        const auto* key = static_cast<QKeyEvent*>(event);
        bool taken = false;
        guarded([&] { taken = ParcelniCisloKeyDown(key->key(), key->modifiers()); });
        // A key whose check failed is taken too: the message has been shown.
        return taken || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
               key->key() == Qt::Key_Up || key->key() == Qt::Key_Down;
    }
    return QDialog::eventFilter(watched, event);
}
