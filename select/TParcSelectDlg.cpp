#include "select/TParcSelectDlg.h"

#include "base/ETalvekException.h"
#include "map/core/AreaMapLookup.h"
#include "data/ParcelTable.h"
#include "data/WorkTable.h"
#include "widgets/DialogPos.h"
#include "widgets/MessageDlg.h"
#include "widgets/ScreenScale.h"
#include "widgets/TWaitCursor.h"

#include "ui_TParcSelectDlg.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QLineEdit>
#include <optional>

namespace {
// The field and operator chosen last, kept for the next opening in this run.
int KeptName = 0;
int KeptRelace = 0;

bool isEnter(const QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}
} // namespace

TParcSelectDlg::TParcSelectDlg(Table& parcels, bool partsOnly, std::shared_ptr<IApp> app,
                               const QString& workPath, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TParcSelectDlg>()), m_app(std::move(app)),
      m_partsOnly(partsOnly)
{
    ui->setupUi(this);
    ui->MapaBtn->hide();
    if (partsOnly)
        setWindowTitle(QStringLiteral("Výběr dílů parcel podle podmínek"));
    ui->CBoxRelace->addItems(TConditionSelector::Operators());
    {
        std::optional<TWaitCursor> wait;
        if (m_app)
            wait.emplace(*m_app);
        OpenOrCreateWorkTable(m_tableParc, workPath);
        m_selector = std::make_unique<TConditionSelector>(parcels, m_tableParc, partsOnly);
        fillFieldList();
        m_selector->Start();
    }
    showHistory();

    connect(ui->CBoxName, &QComboBox::currentIndexChanged, this, [this] { CBoxNameChange(); });
    connect(ui->Edit, &QLineEdit::textChanged, this, [this] { EditValueChange(); });
    connect(ui->DBLookupCB, &QComboBox::editTextChanged, this, [this] { DBLookupCBChange(); });
    connect(ui->AddBtn, &QPushButton::clicked, this, [this] { AddBtnClick(); });
    connect(ui->DeleteBtn, &QPushButton::clicked, this, [this] { DeleteBtnClick(); });
    connect(ui->ClearBtn, &QPushButton::clicked, this, [this] { ClearBtnClick(); });
    connect(ui->OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->MapaBtn, &QPushButton::clicked, this, [this] { done(ResultMap); });
    connect(ui->CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->LBoxHistorie, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { Recall(ui->LBoxHistorie->row(item)); });
    ui->LBoxHistorie->installEventFilter(this);
    ui->DBLookupCB->lineEdit()->installEventFilter(this);
    CBoxNameChange();
}

TParcSelectDlg::~TParcSelectDlg() = default;

int TParcSelectDlg::Execute(QWidget* owner, Table& parcels, bool partsOnly,
                            const std::shared_ptr<IApp>& app, const QString& workPath,
                            bool mapButton)
{
    TParcSelectDlg dlg(parcels, partsOnly, app, workPath, owner);
    dlg.ui->MapaBtn->setVisible(mapButton);
    if (app)
        RestoreDialogPos(*app, &dlg);
    const int result = dlg.exec();
    if (app)
        SaveDialogPos(*app, &dlg);
    return result;
}

int TParcSelectDlg::ConditionsSelection(QWidget* owner, bool partsOnly,
                                        const TSelectionContext& ctx)
{
    std::unique_ptr<Table> parcels;
    {
        TWaitCursor wait(*ctx.App);
        parcels = OpenParcelTable(ctx.KU.Alias, ctx.KU.Suffix);
    }
    return Execute(owner, *parcels, partsOnly, ctx.App, ctx.WorkTable, AreaHasMap(ctx.KU.Kod));
}

QComboBox* TParcSelectDlg::CBoxName() const
{
    return ui->CBoxName;
}
QComboBox* TParcSelectDlg::CBoxRelace() const
{
    return ui->CBoxRelace;
}
QComboBox* TParcSelectDlg::DBLookupCB() const
{
    return ui->DBLookupCB;
}
QLineEdit* TParcSelectDlg::Edit() const
{
    return ui->Edit;
}
QStackedWidget* TParcSelectDlg::Notebook() const
{
    return ui->Notebook;
}
QListWidget* TParcSelectDlg::LBoxHistorie() const
{
    return ui->LBoxHistorie;
}
QPushButton* TParcSelectDlg::Button(const char* name) const
{
    return findChild<QPushButton*>(QString::fromLatin1(name));
}

void TParcSelectDlg::fillFieldList()
{
    QSignalBlocker block(ui->CBoxName);
    ui->CBoxName->addItems(m_selector->FieldItems());
    if (KeptName < ui->CBoxName->count())
        ui->CBoxName->setCurrentIndex(KeptName);
    ui->CBoxRelace->setCurrentIndex(KeptRelace);
}

template <typename F> void TParcSelectDlg::guarded(F action)
{
    try {
        std::optional<TWaitCursor> wait;
        if (m_app)
            wait.emplace(*m_app);
        action();
    } catch (const ETalvekException& e) {
        ErrorBox(e.message());
    } catch (const std::exception& e) {
        ErrorBox(QString::fromUtf8(e.what()));
    }
}

bool TParcSelectDlg::openCodeTable(const TConditionCodeTable& code)
{
    if (!m_app)
        return false;
    try {
        OpenCodeTable(m_tableValue, m_app->WorkDbPath(), QString::fromLatin1(code.table));
        const QString display = QString::fromLatin1(code.displayField);
        for (m_tableValue.first(); !m_tableValue.eof(); m_tableValue.next())
            ui->DBLookupCB->addItem(m_tableValue.asString(display).trimmed(),
                                    m_tableValue.asString(QStringLiteral("CIS")).trimmed());
        return true;
    } catch (const ETalvekException&) {
        // Without its code table the field takes a typed value.
        m_tableValue.close();
        ui->DBLookupCB->clear();
        return false;
    }
}

void TParcSelectDlg::CBoxNameChange()
{
    m_tableValue.close();
    {
        QSignalBlocker block(ui->DBLookupCB);
        ui->DBLookupCB->clear();
    }
    const TConditionCodeTable* code = TConditionSelector::CodeTable(ui->CBoxName->currentIndex());
    bool lookup = false;
    if (code) {
        QSignalBlocker block(ui->DBLookupCB);
        lookup = openCodeTable(*code);
        ui->DBLookupCB->view()->setMinimumWidth(ScaleToScreen(code->width));
        ui->DBLookupCB->setCurrentIndex(-1);
        ui->DBLookupCB->setEditText(QString());
    }
    if (!lookup) {
        QSignalBlocker block(ui->Edit);
        ui->Edit->clear();
    }
    ui->Notebook->setCurrentIndex(lookup ? 0 : 1);
    ui->LabelValue->setBuddy(lookup ? static_cast<QWidget*>(ui->DBLookupCB) : ui->Edit);
    EditValueChange();
}

void TParcSelectDlg::DBLookupCBChange()
{
    if (m_inLookupChange)
        return;
    // A value picked from the list (or typed as its text) is entered as its code.
    const int item =
        ui->DBLookupCB->findText(ui->DBLookupCB->currentText().trimmed(), Qt::MatchFixedString);
    if (item >= 0) {
        m_inLookupChange = true;
        ui->DBLookupCB->lineEdit()->setText(ui->DBLookupCB->itemData(item).toString());
        ui->DBLookupCB->lineEdit()->selectAll();
        m_inLookupChange = false;
    }
    EditValueChange();
}

QString TParcSelectDlg::ValueText() const
{
    return ui->Notebook->currentIndex() == 0 ? ui->DBLookupCB->currentText().trimmed()
                                             : ui->Edit->text().trimmed();
}

void TParcSelectDlg::EditValueChange()
{
    const bool hasRows = m_tableParc.isActive() && m_tableParc.recordCount() > 0;
    const bool valid = m_selector->IsValidValue(ui->CBoxName->currentIndex(), ValueText());
    ui->ClearBtn->setEnabled(hasRows);
    ui->OKBtn->setEnabled(hasRows);
    ui->MapaBtn->setEnabled(hasRows);
    ui->DeleteBtn->setEnabled(hasRows && valid);
    ui->AddBtn->setEnabled(valid);
}

TCondition TParcSelectDlg::condition() const
{
    return {ui->CBoxName->currentIndex(), ui->CBoxRelace->currentText(), ValueText()};
}

void TParcSelectDlg::step(bool add)
{
    if (!m_selector->CanStep())
        return;
    guarded([&] { m_selector->Step(add, condition()); });
    showHistory();
    EditValueChange();
}

void TParcSelectDlg::Recall(int line)
{
    if (line < 0 || line >= m_selector->StepCount())
        return;
    guarded([&] { m_selector->Recall(line); });
    showHistory();
    EditValueChange();
}

void TParcSelectDlg::ClearBtnClick()
{
    guarded([&] { m_selector->Clear(); });
    showHistory();
    EditValueChange();
}

void TParcSelectDlg::showHistory()
{
    ui->LBoxHistorie->clear();
    ui->LBoxHistorie->addItems(m_selector->HistoryLines());
    ui->LBoxHistorie->setCurrentRow(ui->LBoxHistorie->count() - 1);
}

bool TParcSelectDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->LBoxHistorie) {
        if (isEnter(event)) {
            Recall(ui->LBoxHistorie->currentRow());
            return true;
        }
        // Enter in the list recalls a line instead of closing the dialog.
        if (event->type() == QEvent::FocusIn)
            ui->OKBtn->setDefault(false);
        if (event->type() == QEvent::FocusOut) {
            ui->OKBtn->setDefault(true);
            EditValueChange();
        }
    } else if (watched == ui->DBLookupCB->lineEdit() && isEnter(event) && ui->AddBtn->isEnabled()) {
        AddBtnClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TParcSelectDlg::done(int result)
{
    KeptName = ui->CBoxName->currentIndex();
    KeptRelace = ui->CBoxRelace->currentIndex();
    guarded([this] { m_selector->Close(); });
    QDialog::done(result);
}
