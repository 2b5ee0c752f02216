#include "output/core/TDetailForm.h"

#include "base/ETalvekException.h"
#include "base/Format.h"
#include "data/BirthNumberMask.h"
#include "data/CadastralTables.h"
#include "data/ParcelNumber.h"
#include "output/core/FormLookups.h"
#include "data/ParcelTable.h"
#include "data/ValueFormats.h"
#include "report/ReportLayouter.h"

namespace {
constexpr double LineHeight = 16;

constexpr Qt::Alignment Left = Qt::AlignLeft | Qt::AlignVCenter;
constexpr Qt::Alignment Right = Qt::AlignRight | Qt::AlignVCenter;

ReportElement caption(const QString& name, double x, double y, double width, const QString& text,
                      Qt::Alignment align = Left)
{
    return ReportElement::label(name, QRectF(x, y, width, LineHeight), text, align);
}

ReportElement value(const QString& name, double x, double y, double width, const QString& field,
                    ReportDataSource* source, Qt::Alignment align = Left)
{
    ReportElement e =
        ReportElement::dataField(name, QRectF(x, y, width, LineHeight), field, source, align);
    e.bold = true;
    return e;
}

ReportElement computed(const QString& name, double x, double y, double width,
                       Qt::Alignment align = Left)
{
    return caption(name, x, y, width, QString(), align).setBold();
}
} // namespace

TDetailForm::TDetailForm(std::shared_ptr<IApp> app, QWidget* owner, const TKUInfo& ku,
                         const QString& workTable, const QString& indexName)
    : TParcelReportForm(std::move(app), owner, ku, workTable, indexName, InitialSql(),
                        QStringLiteral("PARSKUP;PARCIS;PARPOD"))
{
    OpenCodeTables();
    OpenOwnerTables();
    BuildLayout();
}

TDetailForm::~TDetailForm()
{
    QueryDoplVl.close();
    QueryVl.close();
    TableVl.close();
    TablePskup.close();
}

QStringList TDetailForm::InitialSql()
{
    return {QStringLiteral("Select Distinct FLAG, PARSKUP, PARCIS, PARPOD"),
            QStringLiteral("From \"PRAC.DB\""), QStringLiteral("Order By PARSKUP, PARCIS, PARPOD")};
}

QString TDetailForm::CisPopCaption(qint64 cpce, int parskup, int nemvyuz)
{
    if (cpce == 0)
        return QStringLiteral("Číslo popisné") + QLatin1Char(':');
    if (!CadastralTables::IsCurrentCadastre(parskup))
        return QStringLiteral("Součást parcely KN:");
    if (nemvyuz % 10 != 0)
        return QStringLiteral("Evidenční číslo:");
    return QStringLiteral("Číslo popisné") + QLatin1Char(':');
}

void TDetailForm::OpenCodeTables()
{
    const QString codeTables = m_app->WorkDbPath();
    TablePskup.setMasterSource(&TablePa, QStringLiteral("PARSKUP"));
    OpenCodeTable(TablePskup, codeTables, CadastralTables::ParcelGroupTable, "CIS");
    OpenCodeTable(TableVyuz, codeTables, CadastralTables::LandUseTable, "KOD");
    OpenCodeTable(TableCharakter, codeTables, CadastralTables::OwnerCharacteristicTable, "CIS");
}

void TDetailForm::OpenOwnerTables()
{
    OpenAreaTable(TableOborg, m_ku.Alias, CadastralTables::OwnerTable, "IDENT;UVCHAR");

    const QString relations =
        CadastralTables::PerAreaTable(CadastralTables::RelationPrefix, m_ku.Suffix);
    PrepareOwners(TableVl);
    TableVl.setMasterSource(&TablePa, QStringLiteral("LVCIS"));
    OpenAreaTable(TableVl, m_ku.Alias, relations, "ELLVCIS");

    PrepareOwners(QueryVl);
    QueryVl.setDatabaseName(m_ku.Alias);
    QueryVl.setSql(QStringList{Format(QStringLiteral("Select * From \"NYSUV%s.DB\""), m_ku.Suffix),
                               QString()});
    QueryDoplVl.setDatabaseName(m_ku.Alias);
    QueryDoplVl.setSql(QStringList{
        Format(QStringLiteral("Select DOPLUDAJ From \"NYSVL%s.DB\""), m_ku.Suffix), QString()});
}

void TDetailForm::PrepareOwners(Dataset& owners)
{
    owners.addCalculatedField(FieldDef{QStringLiteral("Nazev"), FieldType::String, 60});
    owners.addCalculatedField(FieldDef{QStringLiteral("Charakter"), FieldType::String, 50});
    owners.addCalculatedField(FieldDef{QStringLiteral("PodilStr"), FieldType::String, 6});
    owners.addCalculatedField(FieldDef{QStringLiteral("IdentStr"), FieldType::String, 11});
    owners.setCalcHandler([this](Dataset& ds) { VlCalcFields(ds); });
}

void TDetailForm::VlCalcFields(Dataset& owners)
{
    const int uvchar = int(owners.asInteger(QStringLiteral("UVCHAR")));
    owners.setCalculatedValue(QStringLiteral("Nazev"),
                              OwnerName(owners.asFloat(QStringLiteral("IDENT")), uvchar));
    owners.setCalculatedValue(QStringLiteral("Charakter"),
                              TableCharakter.findKey({uvchar})
                                  ? TableCharakter.asString(QStringLiteral("TEXT"))
                                  : QString());
    // The IDENT as it leaves the program (a person's birth number masked).
    if (BirthNumberMask::Enabled())
        owners.setCalculatedValue(
            QStringLiteral("IdentStr"),
            owners.isNull(QStringLiteral("IDENT"))
                ? QString()
                : BirthNumberMask::Text(owners.asFloat(QStringLiteral("IDENT")), uvchar));
    owners.setCalculatedValue(QStringLiteral("PodilStr"),
                              ShareText(owners.asInteger(QStringLiteral("PODIL"))));
}

QString TDetailForm::OwnerName(double ident, int uvchar)
{
    return OwnerNameFrom(TableOborg, ident, uvchar);
}

bool TDetailForm::DSPaDataChange(ReportBand& band)
{
    const qint64 cpce = TablePa.asInteger(QStringLiteral("CPCE"));
    const int parskup = int(TablePa.asInteger(QStringLiteral("PARSKUP")));
    const int nemvyuz = int(TablePa.asInteger(QStringLiteral("NEMVYUZ")));
    const int druhpoz = int(TablePa.asInteger(QStringLiteral("DRUHPOZ")));
    band.element(QStringLiteral("Vykaz")).text =
        ChangeItemText(TablePa.asInteger(QStringLiteral("PPOLVZ")));
    // The caption tells the kind of number, so the value goes without the
    // "p"/"e" suffix (which the older registers' groups never get).
    constexpr int NoSuffixGroup = 3;
    band.element(QStringLiteral("CisPop")).text =
        HouseNumberReportText(cpce, nemvyuz, NoSuffixGroup);
    band.element(QStringLiteral("LabelCisPop")).text = CisPopCaption(cpce, parskup, nemvyuz);
    band.element(QStringLiteral("Vyuziti")).text = UseText(druhpoz, nemvyuz);

    QueryVl.close();
    if (TablePa.asInteger(QStringLiteral("VLVZTAH")) == RelationLandAndBuildingApart) {
        m_labelDoplVl = QStringLiteral("VLASTNICTVÍ POZEMKU");
        OpenLandOwners(TablePa.asInteger(QStringLiteral("LVCIS")));
        m_labelVl = QStringLiteral("VLASTNICTVÍ STAVBY");
    } else {
        m_labelVl = QStringLiteral("VLASTNICTVÍ POZEMKU A STAVBY");
    }
    return true;
}

QString TDetailForm::UseText(int druhpoz, int nemvyuz)
{
    return LandUseTextFrom(TableVyuz, druhpoz, nemvyuz);
}

void TDetailForm::OpenLandOwners(qint64 lvcis)
{
    const qint64 other = OtherSheet(lvcis);
    if (other == 0)
        return;
    QueryVl.setSqlLine(1, Format(QStringLiteral("WHERE ELLVCIS = %d"), other));
    QueryVl.open();
}

qint64 TDetailForm::OtherSheet(qint64 lvcis)
{
    try {
        QueryDoplVl.close();
        QueryDoplVl.setSqlLine(1, Format(QStringLiteral("Where DLVCIS = %d and DOPLKOD = %d"),
                                         lvcis, RecordLandSheetOfBuilding));
        QueryDoplVl.open();
        const qint64 sheet =
            QueryDoplVl.isEmpty() ? 0 : WholeNumber(QueryDoplVl.value(0).toDouble());
        QueryDoplVl.close();
        return sheet;
    } catch (const ETalvekException&) {
        // A damaged or missing record table: only the part's own sheet prints.
        return 0;
    }
}

ReportSection& TDetailForm::WorkSection()
{
    return m_report.sections.front();
}

ReportSection& TDetailForm::PartsSection()
{
    return WorkSection().subSections.front();
}

void TDetailForm::BuildLayout()
{
    SetupReport(QStringLiteral("Podrobný výpis údajů z katastru nemovitostí"));
    ReportSection& work = m_report.addSection(ReportSection(&m_workSource, QStringLiteral("Work")));
    work.detail = ReportBand(ReportBand::Type::Detail, 0, QStringLiteral("Parcel"));
    ReportSection parts(&m_paSource, QStringLiteral("Parts"));
    // A parcel without its rows in the parcel table still prints its number.
    parts.printIfEmpty = true;
    parts.setHeader(ParcelHeaderBand());
    parts.detail = PartBand();
    parts.addSubSection(OwnerSection(&m_queryVlSource, QStringLiteral("Dopl"), &m_labelDoplVl));
    parts.addSubSection(OwnerSection(&m_vlSource, QString(), &m_labelVl));
    parts.setFooter(FooterRuleBand(QStringLiteral("ParcelFooter")));
    work.addSubSection(parts);
}

ReportBand TDetailForm::ParcelHeaderBand()
{
    const double width = m_report.layoutWidth();
    ReportBand band(ReportBand::Type::Header, 24, QStringLiteral("ParcelHeader"));
    band.frame = FrameSide::Top | FrameSide::Bottom;
    band.add(caption({}, 0, 4, 95, QStringLiteral("Parcelní číslo:")));
    band.add(computed(QStringLiteral("PARCISLO"), 95, 4, 130));
    band.add(caption({}, 240, 4, 60, QStringLiteral("Skupina:")));
    band.add(computed(QStringLiteral("PARSKUP"), 300, 4, 24));
    band.add(value(QStringLiteral("PSKUP"), 330, 4, width - 330, QStringLiteral("PSKUP"),
                   &m_pskupSource))
        .setWordWrap();
    band.beforePrint = [this](ReportBand& b) {
        // The parcel's own number text, or the work row's key when the
        // parcel table has no row for it.
        const bool found = m_paSource.hasRow();
        const int parskup = int((found ? TablePa.asInteger(QStringLiteral("PARSKUP"))
                                       : QueryWork.asInteger(QStringLiteral("PARSKUP"))));
        b.element(QStringLiteral("PARCISLO")).text =
            found ? TablePa.asString(QStringLiteral("PARCISLO")).trimmed()
                  : FormatParcelNumber(parskup, int(QueryWork.asInteger(QStringLiteral("PARCIS"))),
                                       int(QueryWork.asInteger(QStringLiteral("PARPOD"))));
        b.element(QStringLiteral("PARSKUP")).text = QString::number(parskup);
        return true;
    };
    return band;
}

ReportBand TDetailForm::PartBand()
{
    const double width = m_report.layoutWidth();
    ReportBand band(ReportBand::Type::Detail, 40, QStringLiteral("Part"));
    band.frame = FrameSide::Top;
    ReportDataSource* pa = &m_paSource;
    ReportDataSource* druh = &m_druhPSource;
    band.add(caption({}, 0, 4, 28, QStringLiteral("Díl:")));
    band.add(value(QStringLiteral("PARDIL"), 28, 4, 32, QStringLiteral("PARDIL"), pa));
    band.add(caption({}, 66, 4, 92, QStringLiteral("Druh pozemku:")));
    band.add(value(QStringLiteral("DRUHPOZ"), 158, 4, 26, QStringLiteral("DRUHPOZ"), pa));
    // Code texts wrap within their place; the second line moves down.
    band.add(value(QStringLiteral("DruhText"), 186, 4, 200, QStringLiteral("TEXT"), druh))
        .setWordWrap();
    band.add(caption({}, 392, 4, 52, QStringLiteral("Využití:")));
    band.add(computed(QStringLiteral("Vyuziti"), 444, 4, width - 444)).setWordWrap();

    band.add(caption(QStringLiteral("LabelCisPop"), 0, 20, 122, QString()));
    band.add(computed(QStringLiteral("CisPop"), 122, 20, 70));
    band.add(caption({}, 196, 20, 50, QStringLiteral("Výměra:")));
    band.add(value(QStringLiteral("VYMERA"), 246, 20, 70, QStringLiteral("VYMERA"), pa));
    band.add(caption({}, 320, 20, 102, QStringLiteral("List vlastnictví:")));
    band.add(value(QStringLiteral("LVCIS"), 422, 20, 54, QStringLiteral("LVCIS"), pa));
    band.add(caption({}, 480, 20, 38, QStringLiteral("Mapa:")));
    band.add(value(QStringLiteral("MAPA"), 518, 20, 82, QStringLiteral("MAPA"), pa));
    band.add(caption({}, 604, 20, 44, QStringLiteral("Výkaz:")));
    band.add(computed(QStringLiteral("Vykaz"), 648, 20, width - 648));
    band.beforePrint = [this](ReportBand& b) { return DSPaDataChange(b); };
    return band;
}

ReportSection TDetailForm::OwnerSection(DatasetReportSource* source, const QString& prefix,
                                        const QString* title)
{
    const double width = m_report.layoutWidth();
    ReportSection section(source, prefix + QStringLiteral("Owners"));
    ReportBand header(ReportBand::Type::Header, 38, prefix + QStringLiteral("OwnerHeader"));
    const QString titleName = QStringLiteral("QRLabel") + prefix + QStringLiteral("Vl");
    header.add(caption(titleName, 0, 4, 300, QString())).setBold();
    header.add(
        caption({}, 0, 20, 340, QStringLiteral("Vlastník  (pořadí, jméno nebo název a adresa)")));
    header.add(caption({}, 364, 20, 84, QStringLiteral("Identifikátor")));
    header.add(caption({}, 452, 20, 200, QStringLiteral("Charakteristika")));
    header.add(caption({}, width - 60, 20, 60, QStringLiteral("Podíl"), Right));
    header.beforePrint = [title, titleName](ReportBand& b) {
        b.element(titleName).text = *title;
        return true;
    };
    section.setHeader(header);

    section.detail =
        ReportBand(ReportBand::Type::Detail, LineHeight, prefix + QStringLiteral("Owner"));
    ReportBand& line = section.detail;
    line.add(ReportElement::dataField(prefix + QStringLiteral("VLPOR"),
                                      QRectF(0, 0, 24, LineHeight), QStringLiteral("VLPOR"), source,
                                      Right));
    // Name and characteristic wrap onto more lines rather than lose their end.
    const QString nazev = prefix + QStringLiteral("Nazev");
    const QString charakter = prefix + QStringLiteral("Charakter");
    line.add(ReportElement::memo(nazev, QRectF(30, 0, 330, LineHeight))).setBold().autoHeight =
        true;
    line.add(value(
        prefix + QStringLiteral("IDENT"), 364, 0, 84,
        BirthNumberMask::Enabled() ? QStringLiteral("IdentStr") : QStringLiteral("IDENT"), source));
    line.add(ReportElement::dataField(prefix + QStringLiteral("UVCHAR"),
                                      QRectF(452, 0, 20, LineHeight), QStringLiteral("UVCHAR"),
                                      source));
    line.add(ReportElement::memo(charakter, QRectF(474, 0, width - 474 - 62, LineHeight)))
        .autoHeight = true;
    line.beforePrint = [this, source, nazev, charakter](ReportBand& b) {
        WrapInto(b.element(nazev), source->value(QStringLiteral("Nazev")).toString());
        WrapInto(b.element(charakter), source->value(QStringLiteral("Charakter")).toString());
        return true;
    };
    line.add(ReportElement::dataField(prefix + QStringLiteral("PodilStr"),
                                      QRectF(width - 60, 0, 60, LineHeight),
                                      QStringLiteral("PodilStr"), source, Right));
    return section;
}

void TDetailForm::WrapInto(ReportElement& memo, const QString& text) const
{
    QFont font = m_report.baseFont;
    font.setBold(memo.bold);
    memo.lines = ReportLayouter::wrapText(font, text, memo.rect.width());
}

ReportBand TDetailForm::FooterRuleBand(const QString& name) const
{
    ReportBand band(ReportBand::Type::Footer, 10, name);
    band.add(ReportElement::line(name + QStringLiteral("Rule"),
                                 QRectF(0, 2, m_report.layoutWidth(), 2), 1.5));
    return band;
}
