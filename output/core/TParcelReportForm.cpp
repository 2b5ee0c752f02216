#include "output/core/TParcelReportForm.h"

#include "base/Format.h"
#include "app/core/TInstallInfo.h"
#include "data/CadastralTables.h"
#include "data/ParcelTable.h"
#include "data/ValueFormats.h"
#include "output/core/FormPaper.h"

#include <QFileInfo>

namespace {
constexpr double LineHeight = 16;
} // namespace

TParcelReportForm::TParcelReportForm(std::shared_ptr<IApp> app, QWidget* owner, const TKUInfo& ku,
                                     const QString& workTable, const QString& indexName,
                                     const QStringList& initialSql, const QString& parcelLinkFields)
    : TReportForm(owner), m_app(std::move(app)), m_ku(ku)
{
    OkresEdit = ku.Okres;
    ObecEdit = ku.Obec;
    KatastrEdit = ku.Katastr;
    KodEdit = ku.Kod;
    VyhotovilEdit = TInstallInfo::CompanyName();

    OpenWorkQuery(workTable, indexName, initialSql);

    TableDruhP.setMasterSource(&TablePa, QStringLiteral("DRUHPOZ"));
    OpenCodeTable(TableDruhP, m_app->WorkDbPath(), CadastralTables::LandKindTable, "CIS");

    TablePa.setMasterSource(&QueryWork, parcelLinkFields);
    OpenParcelTable(TablePa, ku.Alias, ku.Suffix);
}

TParcelReportForm::~TParcelReportForm()
{
    // Details first, so that closing a master does not refresh them.
    TableDruhP.close();
    TablePa.close();
    QueryWork.close();
}

QStringList TParcelReportForm::WorkQuerySql(const QStringList& initialSql,
                                            const QString& workFileName, const QString& indexName)
{
    QStringList sql = initialSql;
    while (sql.size() < 3)
        sql.append(QString());
    sql[1] = Format(QStringLiteral("From \"%s\""), workFileName);
    if (!indexName.isEmpty()) {
        sql[0] = Format(QStringLiteral("%s, %s"), sql.at(0), indexName);
        sql[2] = Format(QStringLiteral("Order By %s"), indexName);
    }
    return sql;
}

void TParcelReportForm::OpenWorkQuery(const QString& workTable, const QString& indexName,
                                      const QStringList& initialSql)
{
    const QFileInfo info(workTable);
    QueryWork.setDatabaseName(info.path() + QLatin1Char('/'));
    QueryWork.setSql(WorkQuerySql(initialSql, info.fileName(), indexName));
    QueryWork.setFilter(QStringLiteral("FLAG"));
    QueryWork.setFiltered(true);
    QueryWork.open();
}

QString TParcelReportForm::VykazText(bool parcelFound, qint64 ppolvz)
{
    if (!parcelFound)
        return QStringLiteral("nenalez.");
    return ChangeItemText(ppolvz);
}

QString TParcelReportForm::CisPopText(qint64 cpce, int nemvyuz, int parskup)
{
    return HouseNumberReportText(cpce, nemvyuz, parskup);
}

QRectF TParcelReportForm::DesignArea()
{
    ReportDefinition letter;
    letter.pageSize = QPageSize(QPageSize::Letter);
    letter.marginsMm = QMarginsF(10, 10, 10, 10);
    return letter.contentRect();
}

void TParcelReportForm::SetupReport(const QString& title)
{
    m_report.title = title;
    m_report.pageSize = QPageSize(FormPaper::Resolve(m_app->Settings().get()));
    m_report.designWidth = DesignArea().width();
    m_report.orientation = QPageLayout::Portrait;
    m_report.marginsMm = QMarginsF(10, 10, 10, 10);
    m_report.baseFont = QFont(QStringLiteral("Liberation Serif"));
    m_report.baseFont.setPointSizeF(10);
    m_report.suppressEmpty = true;
    m_report.pageHeaderOnFirstPage = false;
    m_report.setPageHeader(PageHeaderBand());
    m_report.setTitleBand(TitleBand());
}

ReportBand TParcelReportForm::PageHeaderBand() const
{
    const double width = m_report.layoutWidth();
    ReportBand band(ReportBand::Type::PageHeader, 24, QStringLiteral("PageHeader"));
    band.add(ReportElement::label(QStringLiteral("StranaLabel"),
                                  QRectF(width - 110, 2, 50, LineHeight), QStringLiteral("Strana:"),
                                  Qt::AlignRight | Qt::AlignVCenter));
    band.add(ReportElement::systemData(
        QStringLiteral("StranaNumber"), QRectF(width - 56, 2, 56, LineHeight),
        ReportElement::SystemKind::PageNumber, {}, Qt::AlignLeft | Qt::AlignVCenter));
    return band;
}

ReportBand TParcelReportForm::TitleBand() const
{
    const double width = m_report.layoutWidth();
    ReportBand band(ReportBand::Type::Title, 128, QStringLiteral("Title"));
    band.add(ReportElement::label(QStringLiteral("StranaLabel"),
                                  QRectF(width - 110, 0, 50, LineHeight), QStringLiteral("Strana:"),
                                  Qt::AlignRight | Qt::AlignVCenter));
    band.add(ReportElement::systemData(QStringLiteral("StranaNumber"),
                                       QRectF(width - 56, 0, 56, LineHeight),
                                       ReportElement::SystemKind::PageNumber));
    band.add(ReportElement::label(QStringLiteral("Nadpis"), QRectF(0, 18, width, 34),
                                  QStringLiteral("Výpis údajů z  katastru nemovitostí"),
                                  Qt::AlignCenter))
        .setBold()
        .setItalic()
        .setPointSize(20);

    struct Line
    {
        const char* caption;
        const char* valueName;
        QString value;
        bool bold;
    };
    const Line left[] = {{"Okres:", "OkresEdit", OkresEdit, true},
                         {"Obec:", "ObecEdit", ObecEdit, true},
                         {"Katastrální území:", "KatastrEdit", KatastrEdit, true}};
    const double rightX = width * 0.58;
    for (int i = 0; i < 3; ++i) {
        const double y = 62 + i * 18;
        band.add(ReportElement::label(QString(), QRectF(0, y, 112, LineHeight),
                                      QString::fromUtf8(left[i].caption)));
        band.add(ReportElement::label(QString::fromLatin1(left[i].valueName),
                                      QRectF(112, y, rightX - 120, LineHeight), left[i].value))
            .setBold(left[i].bold);
    }
    band.add(ReportElement::label(QString(), QRectF(rightX, 62, 70, LineHeight),
                                  QStringLiteral("Vyhotovil:")));
    band.add(ReportElement::label(QStringLiteral("VyhotovilEdit"),
                                  QRectF(rightX + 70, 62, width - rightX - 70, LineHeight),
                                  VyhotovilEdit));
    band.add(ReportElement::label(QString(), QRectF(rightX, 80, 70, LineHeight),
                                  QStringLiteral("Dne:")));
    band.add(ReportElement::systemData(QStringLiteral("Datum"),
                                       QRectF(rightX + 70, 80, width - rightX - 70, LineHeight),
                                       ReportElement::SystemKind::Date));
    band.add(ReportElement::label(QString(), QRectF(rightX, 98, 70, LineHeight),
                                  QStringLiteral("Kód:")));
    band.add(ReportElement::label(QStringLiteral("KodEdit"),
                                  QRectF(rightX + 70, 98, width - rightX - 70, LineHeight),
                                  KodEdit));
    return band;
}
