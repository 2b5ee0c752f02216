#include "select/TListVlDialog.h"

#include "ui_TListVlDialog.h"

#include "base/ETalvekException.h"
#include "data/CadastralTables.h"
#include "db/DatasetModel.h"
#include "db/Table.h"
#include "select/core/TSheetSearch.h"
#include "select/core/TSheetSelector.h"
#include "widgets/DialogPos.h"
#include "widgets/MessageDlg.h"
#include "widgets/TWaitCursor.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QListWidget>
#include <QStandardItemModel>
#include <algorithm>

namespace {
// The district shown last in this run, preselected at the next opening.
QString s_lastAlias;

// Result grid columns: a narrow marker column, then sheet, area number, area
// name and district; widths in pixels at 96 pixels per inch.
enum ResultColumn
{
    MarkColumn,
    SheetColumn,
    AreaColumn,
    KatastrColumn,
    AliasColumn,
    ResultColumns
};
constexpr int ResultWidths[ResultColumns] = {12, 60, 30, 230, 100};
// Owner grid widths in characters.
constexpr int IdentWidth = 11;
constexpr int NameWidth = 80;

QString notBuilt(const QPushButton* button)
{
    return QStringLiteral("Funkce „%1“ zatím není k dispozici").arg(button->text().remove(u'&'));
}
} // namespace

TListVlDialog::TListVlDialog(std::shared_ptr<IApp> app, Entries entries, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TListVlDialog>()), m_app(std::move(app)),
      m_entries(std::move(entries))
{
    ui->setupUi(this);
    m_tableOborg.setObjectName(QStringLiteral("TableOborg"));
    ui->OpenToWindowCB->hide();
    ui->ProgressBar->hide();
    ui->LabelSkipped->hide();
    setupGrids();
    clearResults();
    connectControls();
    fillAliases();
}

TListVlDialog::~TListVlDialog() = default;

int TListVlDialog::Execute(QWidget* owner, const std::shared_ptr<IApp>& app, const Entries& entries)
{
    TListVlDialog dlg(app, entries, owner);
    RestoreDialogPos(*app, &dlg);
    const int result = dlg.exec();
    SaveDialogPos(*app, &dlg);
    return result;
}

void TListVlDialog::ForgetLastAlias()
{
    s_lastAlias.clear();
}

void TListVlDialog::setupGrids()
{
    m_owners = new DatasetModel(&m_tableOborg, this);
    m_owners->setColumns(
        {{QStringLiteral("IDENT"), QString::fromUtf8(CadastralTables::OwnerIdentCaption)},
         {QStringLiteral("NAZEV"), QString::fromUtf8(CadastralTables::OwnerNameCaption)}});
    ui->DBGrid->setModel(m_owners);
    ui->DBGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    ui->DBGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    ui->DBGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ui->DBGrid->verticalHeader()->hide();
    setOwnerWidths();
    // A reopened owner query rebuilds the header's sections at their default
    // size: the widths are set again each time.
    connect(m_owners, &QAbstractItemModel::modelReset, this, &TListVlDialog::setOwnerWidths);
    connect(m_owners, &QAbstractItemModel::columnsInserted, this, &TListVlDialog::setOwnerWidths);

    m_results = new QStandardItemModel(0, ResultColumns, this);
    m_results->setHorizontalHeaderLabels({QString(), QStringLiteral("List vlast."),
                                          QStringLiteral("Číslo"), QStringLiteral("Katastr"),
                                          QStringLiteral("Okres")});
    ui->Grid->setModel(m_results);
    ui->Grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    ui->Grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ui->Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ui->Grid->verticalHeader()->hide();
    const double scale = logicalDpiX() / 96.0;
    // The designed widths, widened where a title would be cut.
    for (int column = 0; column < ResultColumns; ++column)
        ui->Grid->setColumnWidth(column,
                                 qMax(int(ResultWidths[column] * scale),
                                      ui->Grid->horizontalHeader()->sectionSizeHint(column)));
    // Rows as high as their text, so that more owners and sheets are seen.
    for (QTableView* grid : {ui->DBGrid, ui->Grid})
        grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
}

void TListVlDialog::setOwnerWidths()
{
    // Three owners of one name are told apart only by their number: the
    // column holds ten digits (a birth number) whole, plus the cell margins.
    const QFontMetrics metrics = ui->DBGrid->fontMetrics();
    const int margins = 2 * ui->DBGrid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 12;
    const int ident = metrics.horizontalAdvance(QString(IdentWidth, u'0')) + margins;
    ui->DBGrid->setColumnWidth(0, qMax(ident, ui->DBGrid->horizontalHeader()->sectionSizeHint(0)));
    ui->DBGrid->setColumnWidth(1, NameWidth * metrics.averageCharWidth());
}

void TListVlDialog::connectControls()
{
    connect(ui->AliasCB, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { ShowDistrict(ui->AliasCB->row(item)); });
    // A single click on a district's row shows and ticks it, like a double
    // click; a click on its check box only ticks or unticks it.
    ui->AliasCB->viewport()->installEventFilter(this);
    connect(ui->AliasCB, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        if (item->checkState() == m_pressedCheck)
            ShowDistrict(ui->AliasCB->row(item));
    });
    const auto ownerSearch = [this] { guarded([this] { OwnerSearch(); }); };
    connect(ui->HledatBtn, &QPushButton::clicked, this, ownerSearch);
    connect(ui->EditKlic, &QLineEdit::returnPressed, this, ownerSearch);
    connect(ui->SortCB0, &QRadioButton::clicked, this, ownerSearch);
    connect(ui->SortCB1, &QRadioButton::clicked, this, ownerSearch);
    connect(ui->EditKlic, &QLineEdit::textEdited, this, [this] { setSearchDefault(false); });
    connect(ui->SearchBtn, &QPushButton::clicked, this, &TListVlDialog::SearchBtnClick);
    connect(ui->DBGrid, &QAbstractItemView::doubleClicked, this, &TListVlDialog::SearchBtnClick);
    connect(ui->DBGrid->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] {
        if (ui->SearchBtn->isEnabled())
            clearResults();
    });
    connect(ui->OKBtn, &QPushButton::clicked, this, &TListVlDialog::OKBtnClick);
    connect(ui->VypisBtn, &QPushButton::clicked, this, [this] { ListingClick(false); });
    connect(ui->Grid, &QAbstractItemView::doubleClicked, this, [this] { ListingClick(false); });
    connect(ui->TiskBtn, &QPushButton::clicked, this, [this] { ListingClick(true); });
    connect(ui->CancelBtn, &QPushButton::clicked, this, &TListVlDialog::reject);
    ui->EditKlic->installEventFilter(this);
    ui->AliasCB->installEventFilter(this);
}

void TListVlDialog::fillAliases()
{
    const QStringList aliases = TListVlSearch::DistrictAliases();
    if (aliases.isEmpty())
        throw ETalvekException(QStringLiteral("Není nadefinován žádný databázový alias"));
    for (const QString& alias : aliases) {
        auto* item = new QListWidgetItem(alias, ui->AliasCB);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    const int last = int(aliases.indexOf(s_lastAlias));
    ui->AliasCB->setCurrentRow(qMax(last, 0));
    ShowDistrict(qMax(last, 0));
}

void TListVlDialog::ShowDistrict(int row)
{
    if (row < 0 || row >= ui->AliasCB->count() || row == m_shownRow)
        return;
    TWaitCursor wait(*m_app);
    ui->OwnerPanel->setEnabled(false);
    ui->SearchBtn->setEnabled(false);
    clearResults();
    const QString alias = ui->AliasCB->item(row)->text();
    try {
        m_tableOborg.close();
        m_tableOborg.setDatabaseName(alias);
        OwnerSearch();
        if (!m_tableOborg.isActive())
            throw ETalvekException(QString());
    } catch (const std::exception&) {
        // A district without a readable owner table: no message, nothing shown.
        ui->LabelNameAlias->clear();
        m_shownAlias.clear();
        m_shownRow = -1;
        return;
    }
    ui->OwnerPanel->setEnabled(true);
    ui->SearchBtn->setEnabled(true);
    m_shownAlias = alias;
    m_shownRow = row;
    s_lastAlias = alias;
    ui->AliasCB->item(row)->setCheckState(Qt::Checked);
    ui->LabelNameAlias->setText(QStringLiteral("<b>%1</b>").arg(alias.toHtmlEscaped()));
}

void TListVlDialog::OwnerSearch()
{
    TWaitCursor wait(*m_app);
    const bool byName = ui->SortCB1->isChecked();
    ui->SubstrCB->setVisible(byName);
    clearResults();
    // The owner list of the district being shown (also while it is not yet
    // the shown one: ShowDistrict sets the database name first).
    TListVlSearch::OpenOwners(m_tableOborg, m_tableOborg.databaseName(), byName,
                              ui->EditKlic->text(), ui->SubstrCB->isChecked());
    if (m_owners->rowCount() > 0)
        ui->DBGrid->setCurrentIndex(m_owners->index(0, 0));
}

QStringList TListVlDialog::tickedAliases() const
{
    QStringList aliases;
    for (int row = 0; row < ui->AliasCB->count(); ++row)
        if (ui->AliasCB->item(row)->checkState() == Qt::Checked)
            aliases << ui->AliasCB->item(row)->text();
    return aliases;
}

void TListVlDialog::SetTicked(int row, bool ticked)
{
    ui->AliasCB->item(row)->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
}

void TListVlDialog::SearchBtnClick()
{
    const int ownerRow = ui->DBGrid->currentIndex().row();
    if (!ui->SearchBtn->isEnabled() || ownerRow < 0 || ownerRow >= m_tableOborg.recordCount())
        return;
    clearResults();
    const double ident = m_tableOborg.rowValues(ownerRow).value(0).toDouble();
    TListVlSearch::Result result;
    bool completed = false;
    {
        TWaitCursor wait(*m_app);
        ui->SearchBtn->setEnabled(false);
        ui->ProgressBar->setValue(0);
        ui->ProgressBar->show();
        m_searching = true;
        m_escapePressed = false;
        try {
            TListVlSearch::Run(
                tickedAliases(), {ident}, result,
                [this](const QString&, int done, int areas) { return searchStep(done, areas); });
            completed = !result.cancelled;
        } catch (const ETalvekException& e) {
            finishSearch(result, false);
            ErrorBox(e.message());
            return;
        }
    }
    finishSearch(result, completed);
}

bool TListVlDialog::searchStep(int done, int areas)
{
    ui->ProgressBar->setMaximum(qMax(areas, 1));
    ui->ProgressBar->setValue(done);
    QCoreApplication::processEvents();
    if (!m_escapePressed)
        return true;
    m_escapePressed = false;
    return MessageDlg(QStringLiteral("Chcete přerušit operaci?"), mtConfirmation,
                      TMsgDlgButtons(mbYes) | mbNo) != mrYes;
}

void TListVlDialog::finishSearch(const TListVlSearch::Result& result, bool completed)
{
    m_searching = false;
    for (const TListVlHit& hit : result.hits)
        addResult(hit);
    m_skipped = result.skippedAreas;
    QStringList notes;
    // A finished search that found nothing says so, and why when it can.
    if (completed && result.hits.isEmpty())
        notes << (tickedAliases().isEmpty()
                      ? QStringLiteral("Není zaškrtnut žádný okres, nic nebylo prohledáno.")
                      : QStringLiteral("Vlastník nemá v zaškrtnutých okresech žádný list "
                                       "vlastnictví."));
    if (m_skipped > 0)
        notes << QStringLiteral("Vynechaná katastrální území (chybějící nebo nečitelná tabulka "
                                "NYSUV): %1 – výsledek nemusí být úplný.")
                     .arg(m_skipped);
    ui->LabelSkipped->setText(notes.join(u' '));
    ui->LabelSkipped->setVisible(!notes.isEmpty());
    ui->ProgressBar->hide();
    ui->SearchBtn->setEnabled(true);
    if (!completed || result.hits.isEmpty())
        return;
    // The first row is current: "OK" and "Výpis" act on it without a click,
    // which matters most when it is the only row.
    ui->Grid->setCurrentIndex(m_results->index(0, SheetColumn));
    ui->Grid->selectRow(0);
    ui->VypisBtn->setEnabled(true);
    ui->TiskBtn->setEnabled(true);
    ui->OKBtn->setEnabled(true);
    ui->SearchBtn->setDefault(false);
    ui->OKBtn->setDefault(true);
}

void TListVlDialog::addResult(const TListVlHit& hit)
{
    const QStringList cells{QString(), QString::number(hit.sheet), hit.area, hit.katastr.trimmed(),
                            hit.alias};
    QList<QStandardItem*> row;
    for (const QString& cell : cells)
        row << new QStandardItem(cell);
    m_results->appendRow(row);
}

int TListVlDialog::ResultCount() const
{
    return m_results->rowCount();
}

void TListVlDialog::clearResults()
{
    m_results->removeRows(0, m_results->rowCount());
    m_skipped = 0;
    ui->LabelSkipped->hide();
    ui->VypisBtn->setEnabled(false);
    ui->TiskBtn->setEnabled(false);
    ui->OKBtn->setEnabled(false);
}

void TListVlDialog::OKBtnClick()
{
    // Each distinct area once, in row order: district index × 1000 + number.
    QList<int> rows{ui->Grid->currentIndex().row()};
    for (const QModelIndex& index : ui->Grid->selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    QList<int> areas;
    for (const int row : rows) {
        if (row < 0)
            continue;
        const QString alias = m_results->item(row, AliasColumn)->text();
        const int value = aliasRow(alias) * 1000 + m_results->item(row, AreaColumn)->text().toInt();
        if (!areas.contains(value))
            areas << value;
    }
    guarded([&] {
        for (const int value : areas) {
            TKUInfo info;
            info.Alias = ui->AliasCB->item(value / 1000)->text();
            info.Suffix = QStringLiteral("%1").arg(value % 1000, 3, 10, QLatin1Char('0'));
            if (m_entries.Lookup && m_entries.Lookup(info.Alias, info.Suffix, info) &&
                m_entries.AddKU)
                m_entries.AddKU(info);
        }
        accept();
    });
}

int TListVlDialog::aliasRow(const QString& alias) const
{
    for (int row = 0; row < ui->AliasCB->count(); ++row)
        if (ui->AliasCB->item(row)->text() == alias)
            return row;
    return 0;
}

void TListVlDialog::ListingClick(bool print)
{
    const int row = ui->Grid->currentIndex().row();
    if (row < 0 || row >= m_results->rowCount())
        return;
    guarded([&] {
        TSelectionContext ctx{m_app, {}, QDir(m_app->WorkPath()).filePath("PRAC.DB")};
        ctx.KU.Alias = m_results->item(row, AliasColumn)->text();
        ctx.KU.Suffix = m_results->item(row, AreaColumn)->text();
        if (!m_entries.Lookup || !m_entries.Lookup(ctx.KU.Alias, ctx.KU.Suffix, ctx.KU))
            return;
        if (m_entries.AddKU)
            m_entries.AddKU(ctx.KU);
        const int sheet = m_results->item(row, SheetColumn)->text().toInt();
        bool found = false;
        {
            TWaitCursor wait(*m_app);
            const QFileInfo path(ctx.WorkTable);
            Table work;
            work.setDatabaseName(path.absolutePath());
            work.setTableName(path.fileName());
            found = TSheetSelector::SelectSheetsIntoWork(work, ctx.KU.Alias, ctx.KU.Suffix,
                                                         TSheetSearch::Sheet(sheet), false);
        }
        if (!found)
            throw ETalvekException(
                QStringLiteral("K listu číslo %1 nenalezena žádná parcela.").arg(sheet));
        if (print) {
            if (!m_entries.SheetPrint)
                return InfoBox(notBuilt(ui->TiskBtn));
            m_entries.SheetPrint(this, sheet, ctx);
        } else if (m_entries.Browser && m_entries.Browser(this, sheet, ctx) == ResultMap) {
            done(ResultMap);
        }
    });
}

void TListVlDialog::setSearchDefault(bool on)
{
    ui->OKBtn->setDefault(false);
    ui->SearchBtn->setDefault(on);
}

bool TListVlDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->AliasCB->viewport()) {
        // The check state under the press tells a click on the box (which
        // changes it) from a click on the row.
        if (event->type() == QEvent::MouseButtonPress) {
            const QListWidgetItem* item =
                ui->AliasCB->itemAt(static_cast<QMouseEvent*>(event)->position().toPoint());
            m_pressedCheck = item ? item->checkState() : Qt::PartiallyChecked;
        }
        return QDialog::eventFilter(watched, event);
    }
    // While the key or the district list has focus, Enter belongs to them.
    if (event->type() == QEvent::FocusIn)
        setSearchDefault(false);
    else if (event->type() == QEvent::FocusOut)
        setSearchDefault(true);
    return QDialog::eventFilter(watched, event);
}

void TListVlDialog::keyPressEvent(QKeyEvent* event)
{
    if (m_searching && event->key() == Qt::Key_Escape) {
        m_escapePressed = true;
        return;
    }
    QDialog::keyPressEvent(event);
}

void TListVlDialog::reject()
{
    // Closing while the search runs asks to stop it first.
    if (m_searching) {
        m_escapePressed = true;
        return;
    }
    QDialog::reject();
}

void TListVlDialog::guarded(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const ETalvekException& e) {
        ErrorBox(e.message());
    }
}
