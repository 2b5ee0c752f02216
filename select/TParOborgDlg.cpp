#include "select/TParOborgDlg.h"

#include "map/core/AreaMapLookup.h"

#include "ui_TParOborgDlg.h"

#include "base/ETalvekException.h"
#include "data/CadastralTables.h"
#include "db/DatasetModel.h"
#include "db/Table.h"
#include "select/TSaveFileDialog.h"
#include "select/core/TSheetSearch.h"
#include "select/core/TSheetSelector.h"
#include "widgets/DialogPos.h"
#include "widgets/MessageDlg.h"
#include "widgets/TWaitCursor.h"

#include <QButtonGroup>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QHeaderView>

namespace {
// Grid column widths in characters.
constexpr int SheetWidth = 6;
constexpr int IdentWidth = 11;
constexpr int NameWidth = 80;

QString notBuilt(const QPushButton* button)
{
    return QStringLiteral("Funkce „%1“ zatím není k dispozici").arg(button->text().remove(u'&'));
}
} // namespace

TParOborgDlg::TParOborgDlg(const TSelectionContext& ctx, Entries entries, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TParOborgDlg>()), m_ctx(ctx),
      m_entries(std::move(entries))
{
    ui->setupUi(this);
    m_typListu = new QButtonGroup(this);
    m_typListu->addButton(ui->TypListu0, 0);
    m_typListu->addButton(ui->TypListu1, 1);
    m_hledat = new QButtonGroup(this);
    m_hledat->addButton(ui->Hledat0, 0);
    m_hledat->addButton(ui->Hledat1, 1);
    m_hledat->addButton(ui->Hledat2, 2);
    m_queryOborg.setObjectName(QStringLiteral("QueryOborg"));
    m_queryOborg.setDatabaseName(ctx.KU.Alias);
    setupGrid();
    ui->EditKlic->installEventFilter(this);
    connectControls();
}

TParOborgDlg::~TParOborgDlg() = default;

void TParOborgDlg::setupGrid()
{
    m_model = new DatasetModel(&m_queryOborg, this);
    m_model->setColumns(
        {{QStringLiteral("ELLVCIS"), QStringLiteral("List číslo")},
         {QStringLiteral("IDENT"), QString::fromUtf8(CadastralTables::OwnerIdentCaption)},
         {QStringLiteral("NAZEV"), QString::fromUtf8(CadastralTables::OwnerNameCaption)}});
    ui->DBGridOborg->setModel(m_model);
    // The designed widths in characters, widened where the title is longer.
    const QFontMetrics metrics = ui->DBGridOborg->fontMetrics();
    const QFontMetrics titleMetrics = ui->DBGridOborg->horizontalHeader()->fontMetrics();
    const int widths[] = {SheetWidth, IdentWidth, NameWidth};
    for (int column = 0; column < 3; ++column) {
        const QString title = m_model->headerData(column, Qt::Horizontal).toString();
        ui->DBGridOborg->setColumnWidth(
            column, qMax((widths[column] + 2) * metrics.averageCharWidth(),
                         titleMetrics.horizontalAdvance(title) + 4 * metrics.averageCharWidth()));
    }
    ui->DBGridOborg->verticalHeader()->setDefaultSectionSize(metrics.height() + 4);
    ui->DBGridOborg->verticalHeader()->hide();
}

void TParOborgDlg::connectControls()
{
    connect(ui->HledatBtn, &QPushButton::clicked, this, &TParOborgDlg::HledatBtnClick);
    connect(ui->EditKlic, &QLineEdit::returnPressed, this, &TParOborgDlg::HledatBtnClick);
    connect(m_hledat, &QButtonGroup::idClicked, this, &TParOborgDlg::HledatClick);
    connect(ui->CbAll, &QCheckBox::clicked, this, &TParOborgDlg::CbAllClick);
    for (QPushButton* button : {ui->OKBtn, ui->TiskBtn, ui->MapaBtn})
        connect(button, &QPushButton::clicked, this, [this, button] { OKBtnClick(button); });
    connect(ui->SeznamBtn, &QPushButton::clicked, this, &TParOborgDlg::SeznamBtnClick);
    connect(ui->CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->DBGridOborg, &QTableView::doubleClicked, this, &TParOborgDlg::DBGridOborgDblClick);
}

int TParOborgDlg::Execute(QWidget* owner, const TSelectionContext& ctx, const Entries& entries)
{
    TParOborgDlg dlg(ctx, entries, owner);
    RestoreDialogPos(*ctx.App, &dlg);
    dlg.ui->MapaBtn->setVisible(AreaHasMap(ctx.KU.Kod));
    dlg.OpenData();
    const int result = dlg.exec();
    SaveDialogPos(*ctx.App, &dlg);
    return result;
}

void TParOborgDlg::OpenData()
{
    search();
}

int TParOborgDlg::TypListu() const
{
    return m_typListu->checkedId();
}

int TParOborgDlg::Hledat() const
{
    return m_hledat->checkedId();
}

int TParOborgDlg::CurrentSheet() const
{
    const QModelIndex current = ui->DBGridOborg->currentIndex();
    if (!current.isValid() || !m_queryOborg.isActive())
        return 0;
    return int(m_model->index(current.row(), 0).data(Qt::EditRole).toLongLong());
}

void TParOborgDlg::SetCurrentRow(int row)
{
    ui->DBGridOborg->setCurrentIndex(m_model->index(row, 0));
}

bool TParOborgDlg::eventFilter(QObject* watched, QEvent* event)
{
    // While the key is typed, Enter searches instead of listing.
    if (watched == ui->EditKlic && event->type() == QEvent::FocusIn)
        ui->OKBtn->setDefault(false);
    else if (watched == ui->EditKlic && event->type() == QEvent::FocusOut)
        ui->OKBtn->setDefault(true);
    return QDialog::eventFilter(watched, event);
}

void TParOborgDlg::guarded(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const ETalvekException& e) {
        ErrorBox(e.message());
    } catch (const std::exception& e) {
        ErrorBox(QString::fromUtf8(e.what()));
    }
}

TSheetSearch TParOborgDlg::typedSearch() const
{
    return TSheetSearch::Prepare(Hledat(), ui->EditKlic->text(), ui->VycetCB->isChecked(),
                                 ui->SubstrCB->isChecked());
}

void TParOborgDlg::search()
{
    const TSheetSearch key = typedSearch(); // "Chybné číslo" leaves the list as it was
    TWaitCursor wait(*m_ctx.App);
    TSheetSelector::OpenOwnerList(m_queryOborg, m_ctx.KU.Alias, m_ctx.KU.Suffix, key);
    if (m_model->rowCount() > 0)
        SetCurrentRow(0);
}

void TParOborgDlg::HledatBtnClick()
{
    guarded([this] { search(); });
}

void TParOborgDlg::HledatClick()
{
    ui->VycetCB->setEnabled(Hledat() == TSheetSearch::ByIdent);
    ui->SubstrCB->setEnabled(Hledat() == TSheetSearch::ByName);
}

void TParOborgDlg::CbAllClick()
{
    ui->TiskBtn->setEnabled(!ui->CbAll->isChecked());
}

int TParOborgDlg::chosenSheet() const
{
    int sheet = CurrentSheet();
    if (sheet == 0 && Hledat() == TSheetSearch::BySheet)
        sheet = ui->EditKlic->text().trimmed().toInt(); // 0 when not a number
    if (!TSheetSelector::SheetExists(m_ctx.KU.Alias, m_ctx.KU.Suffix, sheet))
        throw ETalvekException(QStringLiteral("List číslo %1 nenalezen").arg(sheet));
    return sheet;
}

void TParOborgDlg::OKBtnClick(QPushButton* button)
{
    guarded([this, button] { listing(button); });
}

void TParOborgDlg::listing(QPushButton* button)
{
    const bool all = ui->CbAll->isChecked();
    int sheet = all ? 0 : chosenSheet();
    const TSheetSearch key = all ? typedSearch() : TSheetSearch::Sheet(sheet);
    const bool registration = TypListu() == 1;
    bool found = false;
    {
        TWaitCursor wait(*m_ctx.App);
        const QFileInfo path(m_ctx.WorkTable);
        Table work;
        work.setDatabaseName(path.absolutePath());
        work.setTableName(path.fileName());
        found = TSheetSelector::SelectSheetsIntoWork(work, m_ctx.KU.Alias, m_ctx.KU.Suffix, key,
                                                     registration);
    }
    if (registration)
        sheet = -sheet;
    if (found)
        showFound(button, sheet);
    else if (sheet != 0)
        MessageDlg(QStringLiteral("K listu číslo %1 nenalezena žádná parcela.").arg(qAbs(sheet)),
                   mtWarning, mbOK);
    else
        MessageDlg(QStringLiteral("K vybraným listům nenalezena žádná parcela."), mtWarning, mbOK);
}

void TParOborgDlg::showFound(QPushButton* button, int sheet)
{
    if (button == ui->MapaBtn) {
        done(ResultMap);
    } else if (button == ui->TiskBtn) {
        if (!m_entries.SheetPrint)
            return InfoBox(notBuilt(button));
        m_entries.SheetPrint(this, sheet, m_ctx);
    } else if (m_entries.Browser && m_entries.Browser(this, sheet, m_ctx) == ResultMap) {
        done(ResultMap);
    }
}

void TParOborgDlg::DBGridOborgDblClick()
{
    const int sheet = CurrentSheet();
    if (sheet > 0 && m_entries.Supplement)
        guarded([&] { m_entries.Supplement(this, sheet, m_ctx); });
}

QString TParOborgDlg::askListingFile()
{
    const QString filter =
        QStringLiteral("Text (*.txt)|*.txt") + u'|' + QStringLiteral("Všechny soubory (*.*)|*.*");
    // A name ending in a separator: the work directory is the initial folder.
    const QString initial = QDir(m_ctx.App->WorkPath()).path() + u'/';
    return TSaveFileDialog::Run(m_ctx.App, filter, QStringLiteral("Nalistování výstupní sestavy"),
                                initial, false, {}, this);
}

void TParOborgDlg::SeznamBtnClick()
{
    if (!m_entries.NamesListing)
        return InfoBox(notBuilt(ui->SeznamBtn));
    QString target =
        m_entries.AskListingFile ? m_entries.AskListingFile(this, m_ctx) : askListingFile();
    if (target.isEmpty())
        target = QStringLiteral("PRN:");
    guarded([&] { m_entries.NamesListing(this, m_queryOborg, target, m_ctx); });
}
