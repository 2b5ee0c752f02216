#include "output/core/TLCisForm.h"

#include "base/ETalvekException.h"
#include "base/Format.h"
#include "base/TextHelpers.h"
#include "data/BirthNumberMask.h"
#include "data/CadastralTables.h"
#include "data/ParcelTable.h"
#include "data/ValueFormats.h"
#include "output/core/FormLookups.h"
#include "select/core/TSheetSelector.h"

#include <QFileInfo>

namespace {
constexpr double LineHeight = 16;
constexpr double HeaderHeight = 20;

constexpr Qt::Alignment Left = Qt::AlignLeft | Qt::AlignVCenter;
constexpr Qt::Alignment Right = Qt::AlignRight | Qt::AlignVCenter;
constexpr Qt::Alignment Centre = Qt::AlignHCenter | Qt::AlignVCenter;

// A column of a section: caption over a cell, geometry in 1/96 inch.
struct Column
{
    const char* caption;
    const char* name;
    double left;
    double width;
    Qt::Alignment align;
    double captionWidth = 0; // 0: the cell's width
};

// Section A: the caption of the owner spans order and name.
const Column OwnerColumns[] = {
    {"A", "CaptionA", 0, 18, Left},
    {"Vlastník  (pořadí, jméno nebo název a adresa)", "VLPOR", 20, 30, Right, 400},
    {"", "Jmeno", 56, 370, Left},
    {"Identifikátor", "IDENT", 430, 92, Left},
    {"Charakteristika", "UVCHAR", 524, 24, Left, 134},
    {"", "Charakter", 550, 108, Left},
    {"Podíl", "Podil", 660, 80, Right},
};

const Column ParcelColumns[] = {
    {"B Sk.", "PARSKUP", 0, 36, Left},
    {"Parcelní číslo", "PARCISLO", 36, 84, Centre},
    {"Díl", "PARDIL", 122, 26, Left},
    {"Výměra", "VYMERA", 148, 60, Right},
    {"Č.popisné", "CisPop", 212, 70, Centre},
    {"Druh pozemku", "ZKR", 286, 88, Left},
    {"Způsob využití", "Vyuziti", 376, 166, Left},
    {"Právnický vztah", "VlastVztah", 546, 194, Left},
};

template <size_t N> ReportBand CaptionBand(const QString& name, const Column (&columns)[N])
{
    ReportBand band(ReportBand::Type::Header, HeaderHeight, name);
    band.frame = FrameSide::Top | FrameSide::Bottom;
    for (const Column& c : columns) {
        const QString caption = QString::fromUtf8(c.caption);
        if (caption.isEmpty())
            continue;
        // The captions of the owner and of the characteristic span two cells.
        const double width = c.captionWidth > 0 ? c.captionWidth : c.width;
        band.add(ReportElement::label(QStringLiteral("Caption") + QLatin1String(c.name),
                                      QRectF(c.left, 2, width, LineHeight), caption,
                                      c.captionWidth > 0 ? Left : c.align));
    }
    return band;
}

QRectF CellRect(const Column& c)
{
    return QRectF(c.left, 0, c.width, LineHeight);
}
} // namespace

TLCisForm::TLCisForm(std::shared_ptr<IApp> app, QWidget* owner, const TKUInfo& ku,
                     const QString& workTable)
    : TParcelReportForm(std::move(app), owner, ku, workTable, QString(), InitialSql(),
                        QString::fromLatin1(CadastralTables::ParcelIndexFields))
{
    OpenCodeTable(TableVyuz, CadastralTables::LandUseTable, QStringLiteral("KOD"));
    OpenCodeTable(TableVztah, CadastralTables::LegalRelationTable, QStringLiteral("CIS"));
    OpenAreaTables();
    OpenCodeTable(TableCharakter, CadastralTables::OwnerCharacteristicTable, QStringLiteral("CIS"));
    BuildLayout();
}

TLCisForm::~TLCisForm()
{
    // Details before their masters.
    TableCharakter.close();
    TableVl.close();
}

QStringList TLCisForm::InitialSql()
{
    return {QStringLiteral("Select FLAG, PARSKUP, PARCIS, PARPOD, PARDIL, VYMERA, DRUHPOZ, CPCE, "
                           "NEMVYUZ, PARCISLO, LVCIS"),
            QStringLiteral("From \"PRAC.DB\""),
            QStringLiteral("Order By PARSKUP, PARCIS, PARPOD, PARDIL")};
}

QString TLCisForm::WorkDbTable(const char* table) const
{
    return ExcludeTrailingBackslash(m_app->WorkDbPath()) + QLatin1Char('\\') + QLatin1String(table);
}

void TLCisForm::OpenCodeTable(Table& table, const char* name, const QString& index)
{
    if (&table == &TableCharakter)
        table.setMasterSource(&TableVl, QStringLiteral("UVCHAR"));
    ::OpenCodeTable(table, m_app->WorkDbPath(), QString::fromLatin1(name), index);
}

void TLCisForm::OpenAreaTables()
{
    OpenAreaTable(TableOborg, m_ku.Alias, CadastralTables::OwnerTable, "IDENT;UVCHAR");
    TableVl.setFilter(QStringLiteral("ELLVCIS = 0"));
    TableVl.setFiltered(true);
    OpenAreaTable(TableVl, m_ku.Alias,
                  CadastralTables::PerAreaTable(CadastralTables::RelationPrefix, m_ku.Suffix),
                  "ELLVCIS");
}

void TLCisForm::SetSheet(int lvCis)
{
    m_lvCis = lvCis;
    TableVl.setFilter(Format(QStringLiteral("ELLVCIS = %d"), lvCis));
    // The work table may have been refilled since the construction.
    QueryWork.close();
    QueryWork.open();
    m_sheetSource.setRows(QueryWork.isEmpty() ? QList<QVariantMap>{}
                                              : QList<QVariantMap>{{{"LVCIS", lvCis}}});
    if (m_report.titleBand)
        m_report.titleBand->element(QStringLiteral("ListVlastnicky")).text = QString::number(lvCis);
}

int TLCisForm::FillWorkTable(const QString& workTable, const TKUInfo& ku, const QString& typed)
{
    bool ok = false;
    const int lvCis = typed.trimmed().toInt(&ok);
    const int sheet = ok ? lvCis : 0;
    bool found = false;
    if (sheet >= 0) {
        const QFileInfo path(workTable);
        Table work;
        work.setDatabaseName(path.absolutePath());
        work.setTableName(path.fileName());
        found = TSheetSelector::SelectSheetsIntoWork(work, ku.Alias, ku.Suffix,
                                                     TSheetSearch::Sheet(sheet), false);
    }
    if (!found)
        throw ETalvekException(
            Format(QStringLiteral("K listu číslo %d nenalezena žádná parcela."), sheet));
    return sheet;
}

QString TLCisForm::RelationText(const QString& text)
{
    // Whole: the column wraps a long relation onto more lines.
    return text.trimmed();
}

QString TLCisForm::OwnerName(double ident, int uvchar)
{
    return OwnerNameFrom(TableOborg, ident, uvchar);
}

ReportBand TLCisForm::RuleBand(const QString& name) const
{
    ReportBand band(ReportBand::Type::Footer, 10, name);
    band.add(ReportElement::line(name + QStringLiteral("Rule"),
                                 QRectF(0, 2, m_report.layoutWidth(), 1)));
    return band;
}

void TLCisForm::BuildLayout()
{
    SetupReport(QStringLiteral("Výpis z katastru nemovitostí"));
    ReportBand& title = *m_report.titleBand;
    title.height += 18;
    title.add(ReportElement::label(QString(), QRectF(0, title.height - 18, 112, LineHeight),
                                   QStringLiteral("List vlastnický:")));
    title
        .add(ReportElement::label(QStringLiteral("ListVlastnicky"),
                                  QRectF(112, title.height - 18, 200, LineHeight), QString()))
        .setBold();

    ReportSection& sheet =
        m_report.addSection(ReportSection(&m_sheetSource, QStringLiteral("Sheet")));
    sheet.addSubSection(OwnerSection());
    sheet.addSubSection(ParcelSection());
}

ReportSection TLCisForm::OwnerSection()
{
    ReportSection section(&m_vlSource, QStringLiteral("A"));
    section.setHeader(CaptionBand(QStringLiteral("HeaderA"), OwnerColumns));
    ReportBand detail(ReportBand::Type::Detail, LineHeight, QStringLiteral("DetailA"));
    for (const Column& c : OwnerColumns) {
        const QString name = QString::fromLatin1(c.name);
        if (name == QLatin1String("CaptionA"))
            continue;
        // Names and code texts wrap within their column rather than lose their end.
        if (name == QLatin1String("Jmeno") || name == QLatin1String("Podil")) {
            detail.add(ReportElement::label(name, CellRect(c), QString(), c.align))
                .setBold(name == QLatin1String("Jmeno"))
                .setWordWrap(name == QLatin1String("Jmeno"));
        } else if (name == QLatin1String("Charakter")) {
            detail
                .add(ReportElement::dataField(name, CellRect(c), QStringLiteral("TEXT"),
                                              &m_charakterSource, c.align))
                .setWordWrap();
        } else if (name == QLatin1String("IDENT") && BirthNumberMask::Enabled()) {
            // Filled per row: a person's birth number leaves masked.
            detail.add(ReportElement::label(name, CellRect(c), QString(), c.align)).setBold();
        } else {
            detail.add(ReportElement::dataField(name, CellRect(c), name, &m_vlSource, c.align))
                .setBold(name == QLatin1String("IDENT"))
                .setFormat(name == QLatin1String("IDENT") ? QStringLiteral("%.0f") : QString());
        }
    }
    detail.beforePrint = [this](ReportBand& b) { return DSVlDataChange(b); };
    section.detail = detail;
    section.setFooter(RuleBand(QStringLiteral("FooterA")));
    return section;
}

ReportSection TLCisForm::ParcelSection()
{
    ReportSection section(&m_workSource, QStringLiteral("B"));
    section.setHeader(CaptionBand(QStringLiteral("HeaderB"), ParcelColumns));
    ReportBand detail(ReportBand::Type::Detail, LineHeight, QStringLiteral("DetailB"));
    for (const Column& c : ParcelColumns) {
        const QString name = QString::fromLatin1(c.name);
        // The code texts (kind of land, use, relation) wrap within their column.
        if (name == QLatin1String("ZKR")) {
            detail.add(ReportElement::dataField(name, CellRect(c), name, &m_druhPSource, c.align))
                .setWordWrap();
        } else if (name.front().isUpper() && name.back().isLower()) {
            // CisPop, Vyuziti, VlastVztah: computed per row.
            detail.add(ReportElement::label(name, CellRect(c), QString(), c.align))
                .setWordWrap(name != QLatin1String("CisPop"));
        } else {
            detail.add(ReportElement::dataField(name, CellRect(c), name, &m_workSource, c.align))
                .setBold(name == QLatin1String("PARCISLO"));
        }
    }
    detail.beforePrint = [this](ReportBand& b) { return DSPaDataChange(b); };
    section.detail = detail;
    section.setFooter(RuleBand(QStringLiteral("FooterB")));
    return section;
}

bool TLCisForm::DSVlDataChange(ReportBand& band)
{
    const double ident = TableVl.asFloat(QStringLiteral("IDENT"));
    const int uvchar = int(TableVl.asInteger(QStringLiteral("UVCHAR")));
    band.element(QStringLiteral("Jmeno")).text = OwnerName(ident, uvchar);
    if (BirthNumberMask::Enabled())
        band.element(QStringLiteral("IDENT")).text = TableVl.isNull(QStringLiteral("IDENT"))
                                                         ? QString()
                                                         : BirthNumberMask::Text(ident, uvchar);
    band.element(QStringLiteral("Podil")).text =
        ShareText(TableVl.asInteger(QStringLiteral("PODIL")));
    return true;
}

bool TLCisForm::DSPaDataChange(ReportBand& band)
{
    const int druhpoz = int(QueryWork.asInteger(QStringLiteral("DRUHPOZ")));
    const int nemvyuz = int(QueryWork.asInteger(QStringLiteral("NEMVYUZ")));
    band.element(QStringLiteral("CisPop")).text =
        CisPopText(QueryWork.asInteger(QStringLiteral("CPCE")), nemvyuz,
                   int(QueryWork.asInteger(QStringLiteral("PARSKUP"))));
    band.element(QStringLiteral("Vyuziti")).text = UseText(druhpoz, nemvyuz);
    band.element(QStringLiteral("VlastVztah")).text = VlastVztah();
    return true;
}

QString TLCisForm::VlastVztah()
{
    if (!m_paSource.hasRow())
        return QString();
    if (!TableVztah.findKey({TablePa.asInteger(QStringLiteral("VLVZTAH"))}))
        return QString();
    return RelationText(TableVztah.asString(QStringLiteral("TEXT")));
}

QString TLCisForm::UseText(int druhpoz, int nemvyuz)
{
    return LandUseTextFrom(TableVyuz, druhpoz, nemvyuz);
}
