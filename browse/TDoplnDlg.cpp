#include "browse/TDoplnDlg.h"

#include "ui_TDoplnDlg.h"

#include "widgets/DialogPos.h"
#include "widgets/FirstSize.h"
#include "widgets/ScreenScale.h"
#include "widgets/MessageDlg.h"
#include "base/ETalvekException.h"
#include "base/Format.h"
#include "data/LVSupplementText.h"
#include "browse/core/TBrowseGridModel.h"
#include "data/CadastralTables.h"
#include "data/ParcelTable.h"
#include "data/ValueFormats.h"
#include "db/Engine.h"
#include "db/Query.h"
#include "db/Table.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QTextStream>

namespace {

const qint64 GroupFactor = 10000000000LL;

void ShowGrid(QTableView* view, TBrowseGridModel* model)
{
    view->setModel(model);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->verticalHeader()->hide();
    view->horizontalHeader()->setStretchLastSection(true);
}

} // namespace

TDoplnDlg::TDoplnDlg(QWidget* owner, std::shared_ptr<IApp> app, const QString& alias,
                     const QString& suffix, int sheet, qint64 parcelKey, int group)
    : QDialog(owner), ui(std::make_unique<Ui::TDoplnDlg>()), m_app(std::move(app)),
      m_suffix(suffix.left(3))
{
    ui->setupUi(this);
    // The grids grow with the window; the size is kept with the position.
    setSizeGripEnabled(true);
    setWindowTitle(windowTitle() + QString::number(sheet));
    m_queryVl = new Query(this);
    m_queryTx = new Query(this);
    m_tableDText = new Table(this);
    m_tableList = new Table(this);
    m_queryVl->addCalculatedField({"Listina", FieldType::String, 8});
    m_queryVl->addCalculatedField({"Vykaz", FieldType::String, 7});
    m_queryVl->setCalcHandler([this](Dataset& ds) { CalcFields(ds); });
    const Qt::Alignment c = Qt::AlignHCenter, r = Qt::AlignRight;
    m_gridVl = new TBrowseGridModel(m_queryVl,
                                    {{"DLVCIS", "List vlastnictví", 8, c},
                                     {"DOPLPOR", "Pořadové č.", 6, c},
                                     {"DOPLKOD", "  Typ údaje", 6, c},
                                     {"DOPLUDAJ", "      Údaj", 12, r},
                                     {"LISTDRUH", "Typ listiny", 6, c},
                                     {"Listina", "  Číslo listiny", 8, r},
                                     {"Vykaz", "Výkaz změn", 7, r},
                                     {"DOPLZM", "   Rezerva", 6, c}},
                                    this);
    m_gridTx = new TBrowseGridModel(
        m_queryTx, {{"RADEK", "Řádek", 5, c}, {"TEXT", "Text", 60, Qt::AlignLeft}}, this);
    ShowGrid(ui->DBGridVl, m_gridVl);
    ShowGrid(ui->DBGridTx, m_gridTx);
    connect(ui->CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->DBGridVl->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid() && current.row() != m_queryVl->recNo())
                    m_queryVl->setRecNo(current.row());
            });
    connect(m_queryVl, &Dataset::currentChanged, this, [this] {
        try {
            QueryVlDataChange();
        } catch (const ETalvekException& e) {
            ErrorBox(e.message());
        }
    });

    OpenCodeTable(*m_tableDText, m_app->WorkDbPath(), CadastralTables::RecordKindTable, "KOD");
    OpenCodeTable(*m_tableList, m_app->WorkDbPath(), CadastralTables::DeedKindTable, "KOD");
    m_queryVl->setDatabaseName(alias);
    m_queryVl->setSql(
        QStringList{Format(QStringLiteral("SELECT * FROM \"NYSVL%s.DB\""), m_suffix)} +
        FilterLines(sheet, parcelKey, group));
    m_queryTx->setDatabaseName(alias);
    m_queryVl->open();
    QueryVlDataChange();
    if (!m_queryVl->isEmpty())
        ui->DBGridVl->selectRow(0);
    // Every caption and value of the records in full (a sheet has few of them).
    ensurePolished();
    ui->DBGridVl->resizeColumnsToContents();
    ui->DBGridTx->resizeColumnToContents(0);
    // First size: every column of the records whole, a text line of 60
    // characters, and room for their rows; a stored size wins.
    // The dialog's own width beside its grids: margins and frames.
    const int besides = sizeHint().width() - ui->DBGridVl->sizeHint().width();
    const int text = ui->DBGridTx->columnWidth(0) +
                     ui->DBGridTx->fontMetrics().horizontalAdvance(QString(60, u'x'));
    const int width = qMax(TableViewContentWidth(*ui->DBGridVl), text) + qMax(besides, 0);
    resize(FirstWindowSize({width, qMax(sizeHint().height(), ScaleToScreen(480))}, minimumSize(),
                           AvailableScreenArea(*this)));
    RestoreDialogPos(*m_app, this);
}

TDoplnDlg::~TDoplnDlg()
{
    SaveDialogPos(*m_app, this);
}

QStringList TDoplnDlg::FilterLines(int sheet, qint64 parcelKey, int group)
{
    QStringList lines{Format(QStringLiteral("WHERE DLVCIS = %d"), sheet)};
    if (parcelKey > 0) {
        const double packed = double(qint64(group) * GroupFactor + parcelKey);
        if (group == 2)
            lines << Format(QStringLiteral("and (DOPLUDAJ = %d or DOPLUDAJ = %g)"), parcelKey,
                            packed);
        else
            lines << Format(QStringLiteral("and DOPLUDAJ = %g"), packed);
    }
    return lines;
}

void TDoplnDlg::CalcFields(Dataset& ds)
{
    ds.setCalculatedValue("Listina", DeedNumberText(WholeNumber(ds.asFloat("LISTCIS"))));
    ds.setCalculatedValue("Vykaz", DeedNumberText(WholeNumber(ds.asFloat("DOPLVZ"))));
}

QString TDoplnDlg::CurrentValueLabel()
{
    const bool parcel = m_tableDText->findKey({m_queryVl->asInteger("DOPLKOD")}) &&
                        m_tableDText->asString("TYP").trimmed() == QLatin1String("P");
    return LVSupplementText::ValueLabel(m_queryVl->asFloat("DOPLUDAJ"), parcel);
}

void TDoplnDlg::QueryVlDataChange()
{
    m_queryTx->close();
    const bool has = m_queryVl->isActive() && !m_queryVl->isEmpty();
    const bool type = has && m_tableDText->findKey({m_queryVl->asInteger("DOPLKOD")});
    ui->TypText->setText(type ? m_tableDText->asString("TEXT") : QString());
    ui->Doplnek->setText(type ? m_tableDText->asString("DOPLNEK") : QString());
    const bool deed = has && m_tableList->findKey({m_queryVl->asInteger("LISTDRUH")});
    ui->Text1->setText(deed ? m_tableList->asString("TEXT1") : QString());
    ui->Text2->setText(deed ? m_tableList->asString("TEXT2") : QString());
    ui->Udaj->setText(has ? CurrentValueLabel() : QString());
    if (!has)
        return;
    m_queryTx->setSql(QStringList{
        Format(QStringLiteral("SELECT RADEK, TEXT FROM \"NYSTX%s.DB\""), m_suffix),
        Format(QStringLiteral("WHERE DLVCIS = %d AND DOPLPOR = %d"),
               WholeNumber(m_queryVl->asFloat("DLVCIS")), m_queryVl->asInteger("DOPLPOR"))});
    m_queryTx->open();
}

int TDoplnDlg::WriteLVSupplement(QTextStream& out, int margin)
{
    QList<LVSupplementText::Record> records;
    for (m_queryVl->first(); !m_queryVl->eof(); m_queryVl->next()) {
        QueryVlDataChange();
        LVSupplementText::Record r;
        r.typeText = ui->TypText->text();
        r.addition = ui->Doplnek->text();
        if (m_tableDText->findKey({m_queryVl->asInteger("DOPLKOD")}))
            r.section = m_tableDText->asString("CAST");
        r.valueLabel = ui->Udaj->text();
        r.deed = m_queryVl->asString("Listina");
        r.changeItem = m_queryVl->asString("Vykaz");
        r.deedText1 = ui->Text1->text();
        r.deedText2 = ui->Text2->text();
        if (m_queryTx->isActive())
            for (m_queryTx->first(); !m_queryTx->eof(); m_queryTx->next())
                r.lines << m_queryTx->asString("TEXT");
        records << r;
    }
    const QStringList lines = LVSupplementText::Lines(records, margin);
    for (const QString& line : lines)
        out << line << '\n';
    return int(lines.size());
}

int ShowLVSupplement(const std::shared_ptr<IApp>& app, const QString& alias, const QString& suffix,
                     int sheet, int mode, QTextStream* file, qint64 parcelKey, int group)
{
    Engine& engine = Engine::instance();
    const QString dir = engine.directoryOf(alias);
    for (const char* prefix : {CadastralTables::RecordPrefix, CadastralTables::RecordTextPrefix}) {
        const QString name = CadastralTables::PerAreaTable(prefix, suffix.left(3));
        const QString path = engine.tablePath(dir, name, false);
        if (!QFileInfo::exists(path)) {
            if (mode >= 0)
                return 0;
            throw ETalvekException(QDir::toNativeSeparators(path) +
                                   QStringLiteral("\nSoubor nebyl nalezen"));
        }
    }
    TDoplnDlg dialog(nullptr, app, alias, suffix, sheet, parcelKey, group);
    if (mode < 0) {
        dialog.exec();
        return 0;
    }
    return file ? dialog.WriteLVSupplement(*file, mode) : 0;
}
