#include "output/core/TBonitaForm.h"

#include "base/Format.h"
#include "data/ParcelTable.h"

namespace {
constexpr double LineHeight = 16;
constexpr Qt::Alignment Left = Qt::AlignLeft | Qt::AlignVCenter;
constexpr Qt::Alignment Right = Qt::AlignRight | Qt::AlignVCenter;
} // namespace

TBonitaForm::TBonitaForm(std::shared_ptr<IApp> app, QWidget* owner, const TKUInfo& ku,
                         const QString& workTable, const QString& indexName)
    : TDetailForm(std::move(app), owner, ku, workTable, indexName)
{
    OpenRatings();
    // Once per parcel, after its parts: the work row is the parcel.
    WorkSection().detail.beforePrint = [this](ReportBand&) { return FilterRatings(); };
    WorkSection().addSubSection(RatingSection());
}

TBonitaForm::~TBonitaForm()
{
    TableBonity.close();
}

QString TBonitaForm::ParcelFilter(int parskup, int parcis, int parpod)
{
    return Format(QStringLiteral("PARSKUP=%d AND PARCIS=%d AND PARPOD=%d"), parskup, parcis,
                  parpod);
}

void TBonitaForm::OpenRatings()
{
    // Ordered on the parcel so that the per-parcel filter finds its rows by key.
    OpenAreaTable(TableBonity, m_ku.Alias, Format(QStringLiteral("NYSBO%s.DB"), m_ku.Suffix),
                  QStringLiteral("PARSKUP;PARCIS;PARPOD"));
}

bool TBonitaForm::FilterRatings()
{
    // The work row's key, not the parcel table's: a parcel missing from the
    // parcel table gets its (empty) list and never the previous parcel's.
    TableBonity.setFilter(ParcelFilter(int(QueryWork.asInteger(QStringLiteral("PARSKUP"))),
                                       int(QueryWork.asInteger(QStringLiteral("PARCIS"))),
                                       int(QueryWork.asInteger(QStringLiteral("PARPOD")))));
    TableBonity.setFiltered(true);
    return true;
}

ReportSection TBonitaForm::RatingSection()
{
    ReportSection section(&m_bonitySource, QStringLiteral("Ratings"));
    section.printIfEmpty = true;
    ReportBand header(ReportBand::Type::Header, 40, QStringLiteral("RatingHeader"));
    header
        .add(ReportElement::label(QStringLiteral("RatingTitle"), QRectF(0, 4, 300, LineHeight),
                                  QStringLiteral("BONITACE POZEMKU")))
        .setBold();
    header.add(ReportElement::label({}, QRectF(20, 22, 80, LineHeight), QStringLiteral("Bonita")));
    header.add(
        ReportElement::label({}, QRectF(110, 22, 90, LineHeight), QStringLiteral("Výměra"), Right));
    header.add(ReportElement::label({}, QRectF(230, 22, 200, LineHeight),
                                    QStringLiteral("Položka výkazu změn")));
    section.setHeader(header);

    section.detail = ReportBand(ReportBand::Type::Detail, LineHeight, QStringLiteral("Rating"));
    section.detail.add(ReportElement::dataField(QStringLiteral("BONITA"),
                                                QRectF(20, 0, 80, LineHeight),
                                                QStringLiteral("BONITA"), nullptr, Left));
    section.detail.add(ReportElement::dataField(QStringLiteral("BVYMERA"),
                                                QRectF(110, 0, 90, LineHeight),
                                                QStringLiteral("VYMERA"), nullptr, Right));
    section.detail.add(ReportElement::dataField(QStringLiteral("BPOLVZ"),
                                                QRectF(230, 0, 200, LineHeight),
                                                QStringLiteral("BPOLVZ"), nullptr, Left));
    section.setFooter(FooterRuleBand(QStringLiteral("RatingFooter")));
    return section;
}
