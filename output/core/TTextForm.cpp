#include "output/core/TTextForm.h"

#include "base/Format.h"
#include "report/ReportLayouter.h"

namespace {
constexpr double MemoLeft = 40;
constexpr double HeaderHeight = 22;
} // namespace

TTextForm::TTextForm(std::shared_ptr<IApp> app, QWidget* owner, const TKUInfo& ku,
                     const QString& workTable, const QString& indexName)
    : TDetailForm(std::move(app), owner, ku, workTable, indexName)
{
    OpenTexts();
    // The texts follow the owner lists of each part.
    PartsSection().addSubSection(TextSection());
}

TTextForm::~TTextForm()
{
    TableTexty.close();
}

void TTextForm::OpenTexts()
{
    TableTexty.setDatabaseName(m_ku.Alias);
    TableTexty.setTableName(Format(QStringLiteral("ORVTX%s.DB"), m_ku.Suffix));
    TableTexty.setReadOnly(true);
    // The table is the program's own and appears with the first text typed in
    // the browser: an area without it simply has no texts.
    if (!TableTexty.exists())
        return;
    TableTexty.setIndexFieldNames(QStringLiteral("PARSKUP;PARCIS;PARPOD;PARDIL;USERNAME"));
    TableTexty.setMasterSource(&TablePa, QStringLiteral("PARSKUP;PARCIS;PARPOD;PARDIL"));
    TableTexty.open();
}

ReportSection TTextForm::TextSection()
{
    const double width = m_report.layoutWidth();
    // Pieces of a long text are as long as a page below the page header can hold.
    const double pageBody = DesignArea().height() - m_report.pageHeader->height;
    const int maxLines = int((pageBody - TextBandHeight(0)) / MemoHeight(1));
    QFont memoFont = m_report.baseFont;
    m_textSource = std::make_unique<TextChunkSource>(TableTexty, QStringLiteral("TEXT"), memoFont,
                                                     width - MemoLeft, maxLines);

    ReportSection section(m_textSource.get(), QStringLiteral("Texts"));
    section.printIfEmpty = true;
    ReportBand header(ReportBand::Type::Header, HeaderHeight, QStringLiteral("TextHeader"));
    header
        .add(ReportElement::label(QStringLiteral("TextTitle"), QRectF(20, 4, 300, 16),
                                  QStringLiteral("TEXTOVÉ POZNÁMKY")))
        .setBold();
    section.setHeader(header);
    section.detail =
        ReportBand(ReportBand::Type::Detail, TextBandHeight(0), QStringLiteral("Text"));
    section.detail.add(
        ReportElement::memo(QStringLiteral("QRMemoTxt"), QRectF(MemoLeft, 4, width - MemoLeft, 0)));
    section.detail.beforePrint = [this](ReportBand& band) { return DSTextyDataChange(band); };
    return section;
}

bool TTextForm::DSTextyDataChange(ReportBand& band)
{
    ReportElement& memo = band.element(QStringLiteral("QRMemoTxt"));
    memo.lines = m_textSource->lines();
    const int count = int(memo.lines.size());
    memo.rect.setHeight(MemoHeight(count));
    band.height = TextBandHeight(count);
    return true;
}
