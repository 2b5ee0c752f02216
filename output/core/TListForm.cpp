#include "output/core/TListForm.h"

namespace {
constexpr double HeaderHeight = 20;
constexpr double RowHeight = 16;
constexpr double CellPadding = 3;

constexpr Qt::Alignment Left = Qt::AlignLeft | Qt::AlignVCenter;
constexpr Qt::Alignment Right = Qt::AlignRight | Qt::AlignVCenter;
constexpr Qt::Alignment Centre = Qt::AlignHCenter | Qt::AlignVCenter;

QRectF cellRect(const TListForm::Column& c, double height)
{
    return QRectF(c.left + CellPadding, 0, c.width - 2 * CellPadding, height);
}
} // namespace

TListForm::TListForm(std::shared_ptr<IApp> app, QWidget* owner, const TKUInfo& ku,
                     const QString& workTable, const QString& indexName)
    : TParcelReportForm(std::move(app), owner, ku, workTable, indexName, InitialSql(),
                        QStringLiteral("PARSKUP;PARCIS;PARPOD;PARDIL"))
{
    SetupReport(QStringLiteral("Výpis údajů z katastru nemovitostí"));
    m_report.setColumnHeader(ColumnHeaderBand());
    ReportSection& main = m_report.addSection(ReportSection(&m_workSource, QStringLiteral("Work")));
    main.detail = DetailBand();
}

QStringList TListForm::InitialSql()
{
    return {QStringLiteral("Select Distinct FLAG, PARSKUP, PARCIS, PARPOD, PARDIL, PARCISLO"),
            QStringLiteral("From \"PRAC.DB\""),
            QStringLiteral("Order By PARSKUP, PARCIS, PARPOD, PARDIL")};
}

const QList<TListForm::Column>& TListForm::Columns()
{
    // Widths in 1/96 inch; together the content width of Letter paper with
    // 10 mm margins (740 units).
    static const QList<Column> columns = [] {
        struct ColumnLayout
        {
            const char* caption;
            const char* name;
            double width;
            Qt::Alignment caption_;
            Qt::Alignment cell;
        };
        const ColumnLayout layouts[] = {
            {"Skup.", "PARSKUP", 38, Centre, Centre},
            {"Parcelní číslo", "PARCISLO", 86, Centre, Centre},
            {"Díl", "PARDIL", 28, Left, Left},
            {"Druh pozemku", "ZKR", 84, Left, Left},
            {"Výměra", "VYMERA", 60, Right, Right},
            {"Č.popisné", "CisPop", 64, Centre, Centre},
            {"List vlast.", "LVCIS", 58, Centre, Centre},
            {"Vztah", "VLVZTAH", 42, Centre, Centre},
            {"Ochrana", "NEMOCHR", 54, Centre, Centre},
            {"Využití", "NEMVYUZ", 50, Centre, Centre},
            {"Mapa", "MAPA", 110, Right, Right},
            {"Výkaz", "Vykaz", 66, Right, Right},
        };
        QList<Column> result;
        double left = 0;
        for (const ColumnLayout& s : layouts) {
            result.append({QString::fromUtf8(s.caption), QString::fromLatin1(s.name), left, s.width,
                           s.caption_, s.cell});
            left += s.width;
        }
        return result;
    }();
    return columns;
}

ReportBand TListForm::ColumnHeaderBand() const
{
    ReportBand band(ReportBand::Type::ColumnHeader, HeaderHeight, QStringLiteral("ColumnHeader"));
    band.frame = FrameSide::All;
    for (const Column& c : Columns()) {
        band.add(ReportElement::label(QStringLiteral("Caption") + c.name, cellRect(c, HeaderHeight),
                                      c.caption, c.captionAlign));
    }
    return band;
}

ReportBand TListForm::DetailBand()
{
    ReportBand band(ReportBand::Type::Detail, RowHeight, QStringLiteral("Detail"));
    band.frame = FrameSide::Left | FrameSide::Right | FrameSide::Bottom;
    for (const Column& c : Columns()) {
        const QRectF rect = cellRect(c, RowHeight);
        if (c.name == QLatin1String("CisPop") || c.name == QLatin1String("Vykaz")) {
            band.add(ReportElement::label(c.name, rect, QString(), c.cellAlign));
            continue;
        }
        ReportDataSource* source = &m_paSource;
        if (c.name == QLatin1String("PARSKUP") || c.name == QLatin1String("PARCISLO") ||
            c.name == QLatin1String("PARDIL"))
            source = &m_workSource;
        else if (c.name == QLatin1String("ZKR"))
            source = &m_druhPSource;
        ReportElement& cell =
            band.add(ReportElement::dataField(c.name, rect, c.name, source, c.cellAlign));
        cell.bold = c.name == QLatin1String("PARCISLO");
        // The kind of land is a code text: it wraps rather than lose its end.
        cell.wordWrap = c.name == QLatin1String("ZKR");
    }
    band.beforePrint = [this](ReportBand& b) { return DSPaDataChange(b); };
    return band;
}

bool TListForm::DSPaDataChange(ReportBand& band)
{
    const bool found = m_paSource.hasRow();
    band.element(QStringLiteral("Vykaz")).text =
        VykazText(found, found ? TablePa.asInteger(QStringLiteral("PPOLVZ")) : 0);
    band.element(QStringLiteral("CisPop")).text =
        found ? CisPopText(TablePa.asInteger(QStringLiteral("CPCE")),
                           int(TablePa.asInteger(QStringLiteral("NEMVYUZ"))),
                           int(TablePa.asInteger(QStringLiteral("PARSKUP"))))
              : QString();
    return true;
}
