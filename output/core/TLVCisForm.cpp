#include "output/core/TLVCisForm.h"

#include "base/ETalvekException.h"
#include "base/Format.h"
#include "data/LVSupplementText.h"
#include "data/CadastralTables.h"
#include "data/ParcelTable.h"
#include "data/ValueFormats.h"

namespace {
constexpr double LineHeight = 16;

constexpr Qt::Alignment Left = Qt::AlignLeft | Qt::AlignVCenter;
constexpr Qt::Alignment Right = Qt::AlignRight | Qt::AlignVCenter;

// Columns of a record line, in 1/96 inch.
const QRectF TextRect(0, 0, 300, LineHeight);
const QRectF DoplnekRect(300, 0, 100, LineHeight);
const QRectF UdajRect(410, 0, 120, LineHeight);
const QRectF ListinaRect(530, 0, 90, LineHeight);
const QRectF VykazRect(650, 0, 90, LineHeight);
} // namespace

TLVCisForm::TLVCisForm(std::shared_ptr<IApp> app, QWidget* owner, const TKUInfo& ku,
                       const QString& workTable)
    : TLCisForm(std::move(app), owner, ku, workTable)
{
    ::OpenCodeTable(TableList, m_app->WorkDbPath(), CadastralTables::DeedKindTable, "KOD");
    QueryTx.setDatabaseName(m_ku.Alias);

    m_sections.push_back({&QueryB, u'B', "B1  Jiná práva", nullptr});
    m_sections.push_back({&QueryC, u'C', "C   Omezení vlastnického práva", nullptr});
    m_sections.push_back({&QueryD, u'D', "D   Jiné zápisy", nullptr});
    m_sections.push_back({&QueryE, u'E', "E   Nabývací tituly nebo jiné podklady zápisu", nullptr});
    for (Section& section : m_sections) {
        section.source = std::make_unique<DatasetReportSource>(*section.query);
        SheetSection().addSubSection(RecordSection(section));
    }
}

TLVCisForm::~TLVCisForm()
{
    QueryTx.close();
    for (Section& section : m_sections)
        section.query->close();
}

QStringList TLVCisForm::SectionSql(const QString& suffix, const QString& codeTable, int lvCis,
                                   QChar letter)
{
    return {Format(QStringLiteral("Select * From \"NYSVL%s.DB\" A, \"%s\" B"), suffix, codeTable),
            Format(QStringLiteral("Where 'A'.'DLVCIS' = %d AND 'A'.'DOPLKOD' = 'B'.'KOD' AND "
                                  "'B'.'CAST' LIKE '"),
                   lvCis) +
                letter + QStringLiteral("%'"),
            QStringLiteral("Order By DOPLPOR")};
}

QString TLVCisForm::NoEntrySql(const QString& codeTable)
{
    return Format(QStringLiteral("Select * From \"%s\" Where KOD = %d"), codeTable,
                  RecordKindNoEntry);
}

void TLVCisForm::SetSheet(int lvCis)
{
    TLCisForm::SetSheet(lvCis);
    for (Section& section : m_sections)
        OpenSection(*section.query, section.letter);
}

void TLVCisForm::OpenSection(Query& query, QChar letter)
{
    const QString codeTable = WorkDbTable(CadastralTables::RecordKindTable);
    query.close();
    query.setDatabaseName(m_ku.Alias);
    query.setSql(SectionSql(m_ku.Suffix, codeTable, Sheet(), letter));
    query.open();
    if (!query.isEmpty())
        return;
    query.close();
    query.setSql(NoEntrySql(codeTable));
    query.open();
}

ReportSection TLVCisForm::RecordSection(Section& section)
{
    const QString letter = section.letter == u'B' ? QStringLiteral("B1") : QString(section.letter);
    ReportSection result(section.source.get(), letter);

    ReportBand header(ReportBand::Type::Header, 22, QStringLiteral("Header") + letter);
    header.frame = FrameSide::Top | FrameSide::Bottom;
    header
        .add(ReportElement::label(QStringLiteral("Title") + letter, QRectF(0, 3, 400, LineHeight),
                                  QString::fromUtf8(section.title)))
        .setBold();
    header.add(ReportElement::label(QStringLiteral("CaptionOdkaz") + letter,
                                    UdajRect.translated(0, 3), QStringLiteral("Odkaz na listinu")));
    header.add(ReportElement::label(QStringLiteral("CaptionCislo") + letter,
                                    ListinaRect.translated(0, 3), QStringLiteral("Číslo"), Right));
    header.add(ReportElement::label(QStringLiteral("CaptionPolVZ") + letter,
                                    VykazRect.translated(0, 3), QStringLiteral("PolVZ"), Right));
    result.setHeader(header);

    ReportBand detail(ReportBand::Type::Detail, 2 * LineHeight + 2,
                      QStringLiteral("Detail") + letter);
    // The code text and the document kinds wrap within their columns.
    detail
        .add(ReportElement::dataField(QStringLiteral("TEXT") + letter, TextRect,
                                      QStringLiteral("TEXT"), section.source.get()))
        .setWordWrap();
    detail.add(ReportElement::dataField(QStringLiteral("DOPLNEK") + letter, DoplnekRect,
                                        QStringLiteral("DOPLNEK"), section.source.get(), Right));
    detail.add(ReportElement::label(QStringLiteral("Udaj") + letter, UdajRect, QString()));
    detail.add(
        ReportElement::label(QStringLiteral("Listina") + letter, ListinaRect, QString(), Right));
    detail.add(ReportElement::label(QStringLiteral("Vykaz") + letter, VykazRect, QString(), Right));
    detail
        .add(ReportElement::label(QStringLiteral("Text1") + letter,
                                  QRectF(20, LineHeight, 360, LineHeight), QString()))
        .setWordWrap();
    detail
        .add(ReportElement::label(QStringLiteral("Text2") + letter,
                                  QRectF(384, LineHeight, 356, LineHeight), QString()))
        .setWordWrap();
    Query* query = section.query;
    detail.beforePrint = [this, query](ReportBand& b) { return QDataChange(b, *query); };
    result.detail = detail;

    ReportSection texts(&m_txSource, QStringLiteral("Tx") + letter);
    texts.detail =
        ReportBand(ReportBand::Type::Detail, LineHeight, QStringLiteral("DetailTx") + letter);
    texts.detail
        .add(ReportElement::dataField(QStringLiteral("Tx") + letter, QRectF(40, 0, 600, LineHeight),
                                      QStringLiteral("TEXT"), &m_txSource, Left))
        .setWordWrap();
    result.addSubSection(texts);
    result.setFooter(RuleBand(QStringLiteral("Footer") + letter));
    return result;
}

TLVCisForm::RecordTexts TLVCisForm::ReadRecord(const Dataset& record)
{
    RecordTexts texts;
    try {
        texts.listDruh = int(record.asInteger(QStringLiteral("LISTDRUH")));
        texts.dlvcis = record.asInteger(QStringLiteral("DLVCIS"));
        texts.doplpor = int(record.asInteger(QStringLiteral("DOPLPOR")));
        texts.listina = DeedNumberText(record.asInteger(QStringLiteral("LISTCIS")));
        texts.vykaz = DeedNumberText(record.asInteger(QStringLiteral("DOPLVZ")));
        const bool parcel = record.asString(QStringLiteral("TYP")).trimmed() == QLatin1String("P");
        texts.udaj =
            LVSupplementText::ValueLabel(record.asFloat(QStringLiteral("DOPLUDAJ")), parcel);
    } catch (const ETalvekException&) {
        // The code-999 row and damaged records print with empty fields.
        texts = RecordTexts();
    }
    return texts;
}

bool TLVCisForm::QDataChange(ReportBand& band, Query& query)
{
    const QString letter = band.name.mid(6); // after "Detail"
    const RecordTexts texts = ReadRecord(query);
    band.element(QStringLiteral("Udaj") + letter).text = texts.udaj;
    band.element(QStringLiteral("Listina") + letter).text = texts.listina;
    band.element(QStringLiteral("Vykaz") + letter).text = texts.vykaz;
    const bool deedKind = texts.listDruh != 0 && TableList.findKey({texts.listDruh});
    band.element(QStringLiteral("Text1") + letter).text =
        deedKind ? TableList.asString(QStringLiteral("TEXT1")) : QString();
    band.element(QStringLiteral("Text2") + letter).text =
        deedKind ? TableList.asString(QStringLiteral("TEXT2")) : QString();
    OpenTexts(texts.dlvcis, texts.doplpor);
    return true;
}

void TLVCisForm::OpenTexts(qint64 dlvcis, int doplpor)
{
    QueryTx.close();
    if (dlvcis == 0)
        return; // the code-999 row and unreadable records have no lines
    QueryTx.setSql({Format(QStringLiteral("SELECT RADEK, TEXT FROM \"NYSTX%s.DB\""), m_ku.Suffix),
                    Format(QStringLiteral("WHERE DLVCIS = %d AND DOPLPOR = %d"), dlvcis, doplpor),
                    QStringLiteral("ORDER BY RADEK")});
    try {
        QueryTx.open();
    } catch (const ETalvekException&) {
        // A missing or damaged text table: the record prints without lines.
        QueryTx.close();
    }
}
