#include "browse/core/TTextListing.h"

#include "base/Format.h"
#include "data/ListingText.h"
#include "data/LVSupplementText.h"
#include "browse/core/ParDilyRules.h"
#include "data/CadastralTables.h"
#include "data/ValueFormats.h"
#include "db/Dataset.h"

#include <QFileInfo>
#include <QRegularExpression>

using namespace ListingText;
using ParDilyRules::VykazText;

namespace {
const int NoSheetLimit = 99990; // sheets from here on hold parcels not entered on a sheet
const QString Indent10(10, u' ');
} // namespace

struct TTextListing::WorkRow
{
    int parskup = 0;
    qint64 parcis = 0;
    int parpod = 0;
    int pardil = 0;
    qint64 vymera = 0;
    int druhpoz = 0;
    qint64 cpce = 0;
    int nemvyuz = 0;
    QString parcislo;
    qint64 lvcis = 0;
};

TTextListing::TTextListing(Setup setup, LineSink sink, Progress progress)
    : m_setup(std::move(setup)), m_sink(std::move(sink)), m_progress(std::move(progress)),
      m_data(m_setup.ku, m_setup.workDbPath)
{
    if (m_setup.linesPerPage < 1)
        m_setup.linesPerPage = 1;
}

QList<TTextListing::OwnerRow> TTextListing::OwnerRowsOf(const Dataset& list)
{
    const int sheet = list.fieldIndex(QStringLiteral("ELLVCIS"));
    const int ident = list.fieldIndex(QStringLiteral("IDENT"));
    const int name = list.fieldIndex(QStringLiteral("NAZEV"));
    QList<OwnerRow> rows;
    list.forEachRow([&](const QVariantList& values) {
        rows.append({values.value(sheet).toLongLong(), values.value(ident).toDouble(),
                     values.value(name).toString()});
    });
    return rows;
}

void TTextListing::StartFile()
{
    m_margin = 0;
    m_page = -1;
    m_lines = 0;
}

void TTextListing::StartPrinterCopy(int margin)
{
    m_margin = qMax(0, margin);
    m_page = 1;
    m_lines = 0;
}

void TTextListing::Run(int kind, const QList<OwnerRow>& owners, const TAreaSums& sums)
{
    switch (kind) {
    case ShortListing:
        WriteShortListing();
        break;
    case FullListing:
        WriteFullListing();
        break;
    case OwnersListing:
        WriteOwnersListing(owners);
        break;
    case AreaSummary:
        WriteAreaSummary(sums);
        break;
    default:
        break;
    }
}

// ---- lines ----

void TTextListing::Write(const QString& text, QList<QPair<int, int>> bold)
{
    for (auto& span : bold)
        span.first += m_margin;
    m_sink({QString(m_margin, u' ') + text, bold});
}

void TTextListing::WriteParts(const QList<QPair<QString, bool>>& parts)
{
    QString text;
    QList<QPair<int, int>> bold;
    for (const auto& [part, isBold] : parts) {
        if (isBold)
            bold.append({int(text.size()), int(part.size())});
        text += part;
    }
    Write(text, bold);
}

void TTextListing::FormFeed()
{
    // A page break on its own line, without margin.
    m_sink({QStringLiteral("\f"), {}});
}

void TTextListing::WriteTitleBlock()
{
    m_lines = 0;
    if (m_page != -1 && m_setup.paging) {
        Write(PageLine(m_page));
        m_lines = 1;
    }
    const TKUInfo& ku = m_setup.ku;
    Write(Rule());
    WriteParts({{QStringLiteral("  Okres:      "), false},
                {LeftAligned(ku.Okres, 25), true},
                {QStringLiteral("     VÝPIS ÚDAJŮ Z KATASTRU NEMOVITOSTÍ"), true}});
    WriteParts({{QStringLiteral("  Obec:       "), false},
                {LeftAligned(ku.Obec, 25), true},
                {QString(11, u' ') + RightAligned(m_setup.companyName, 28), false}});
    WriteParts(
        {{QStringLiteral("  Kat.území:  "), false},
         {LeftAligned(ku.Katastr, 25), true},
         {QStringLiteral("  Kód: ") + LeftAligned(ku.Kod, 7) + QStringLiteral("   Vyhotoveno: ") +
              m_setup.date.toString(QStringLiteral("dd.MM.yyyy")),
          false}});
    Write(Rule(true));
    m_lines += 5;
}

void TTextListing::WritePageHeader()
{
    if (m_lines > m_setup.linesPerPage)
        m_lines = 0;
    if (m_page > 1) {
        FormFeed();
        Write(PageLine(m_page));
        Write(Rule());
        m_lines += 2;
    }
    if (m_page != -1)
        ++m_page;
    Write(QStringLiteral(
        "SK.  PARCELA  DÍL   VÝMĚRA DRUH      ČP-ČE  VL.LIST P.VZTAH OCH VYUŽ MAPA POLVZ"));
    Write(Rule());
    m_lines += 2;
}

// ---- sheet header ----

void TTextListing::WriteSheetHeader()
{
    if (m_setup.listNumber > 0)
        WriteOwnershipSheetHeader();
    else if (m_setup.listNumber < 0)
        WriteEvidenceListHeader();
}

void TTextListing::WriteOwnershipSheetHeader()
{
    const int lv = m_setup.listNumber;
    Write(QString());
    WriteParts({{QString(18, u' '), false},
                {QStringLiteral("List vlastnictví č. ") + QString::number(lv), true}});
    Write(QString());
    Write(QStringLiteral("Poř. Podíl  Identifik.  Vlastník (jméno nebo název a adresa)"));
    Write(Rule());
    m_lines += 5;
    int order = 0;
    for (const TListingData::Holder& h : m_data.HoldersOf(lv)) {
        const QString values = Format(QStringLiteral("%2d %7s %11s  "), ++order, ShareText(h.podil),
                                      m_data.IdentText(h.ident, h.uvchar));
        WriteParts({{values, false}, {SingleLine(m_data.OwnerName(h.ident, h.uvchar)), true}});
        ++m_lines;
    }
    Write(Rule(true));
    Write(QString());
    m_lines += 2;
}

void TTextListing::WriteEvidenceListHeader()
{
    const int list = -m_setup.listNumber;
    const QList<TListingData::Holder> users = m_data.HoldersOf(list);
    const TListingData::Holder user = users.value(0);
    Write(QString());
    WriteParts({{QString(15, u' '), false},
                {QStringLiteral("Evidenční list čís. ") + QString::number(list), true}});
    Write(QString());
    Write(LeftAligned(QStringLiteral("Uživatel "), 15) +
          (users.isEmpty() ? QString() : SingleLine(m_data.OwnerName(user.ident, user.uvchar))));
    Write(QStringLiteral("Rodné č. (IČO) ") +
          Format(QStringLiteral("%11s"), m_data.IdentText(user.ident, user.uvchar)));
    Write(QStringLiteral("Sektor         ") + SingleLine(m_data.SectorText(user.sektor)));
    Write(QString());
    Write(Rule());
    m_lines += 8;
}

void TTextListing::WriteSupplement(int sheet, qint64 parcelKey, int group)
{
    if (!m_data.HasSupplement())
        return;
    QList<LVSupplementText::Record> records = m_data.Supplement(sheet, parcelKey, group);
    for (LVSupplementText::Record& r : records) {
        r.typeText = SingleLine(r.typeText);
        r.deedText1 = SingleLine(r.deedText1);
        r.deedText2 = SingleLine(r.deedText2);
        for (QString& line : r.lines)
            line = SingleLine(line);
    }
    // The section carries its own margin.
    const QStringList lines = LVSupplementText::Lines(records, m_margin);
    for (const QString& line : lines)
        m_sink({line, {}});
    m_lines += int(lines.size());
}

// ---- rows ----

void TTextListing::ForEachMarkedRow(const std::function<void(const WorkRow&)>& write)
{
    const QFileInfo info(m_setup.workTablePath);
    const QString order = m_setup.order.trimmed();
    const QString keyOrder = QString::fromLatin1(CadastralTables::ParcelIndexFields);
    QList<WorkRow> rows;
    ForEachTableRow(
        info.absolutePath(), info.fileName(), order.isEmpty() ? keyOrder : order + u';' + keyOrder,
        QStringLiteral("FLAG = TRUE"),
        {"PARSKUP", "PARCIS", "PARPOD", "PARDIL", "VYMERA", "DRUHPOZ", "CPCE", "NEMVYUZ",
         "PARCISLO", "LVCIS"},
        [&](const QVariantList& v) {
            rows.append({int(v[0].toLongLong()), v[1].toLongLong(), int(v[2].toLongLong()),
                         int(v[3].toLongLong()), v[4].toLongLong(), int(v[5].toLongLong()),
                         v[6].toLongLong(), int(v[7].toLongLong()), v[8].toString().trimmed(),
                         v[9].toLongLong()});
        });
    if (m_progress.start)
        m_progress.start(int(rows.size()));
    for (const WorkRow& row : rows) {
        if (m_progress.step && m_progress.step())
            break;
        write(row);
    }
    if (m_progress.finish)
        m_progress.finish();
}

QString TTextListing::ShortRow(const WorkRow& row)
{
    const TListingData::Part part = m_data.PartOf(row.parskup, row.parcis, row.parpod, row.pardil);
    const QString house =
        part.found ? HouseNumberGridText(row.cpce, row.nemvyuz, row.parskup) : QString();
    return Format(QStringLiteral("%d %s%3d%9d %s %s %6d %d %s %d %3d %5s %6s"), row.parskup,
                  AlignedParcelNumber(row.parcislo), row.pardil, row.vymera,
                  LeftAligned(m_data.LandKindAbbrev(row.druhpoz), 9), LeftAligned(house, 7),
                  row.lvcis, part.vlvztah, LeftAligned(m_data.RelationText(part.vlvztah), 7),
                  part.nemochr, row.nemvyuz, SingleLine(part.mapa), VykazText(part.ppolvz));
}

void TTextListing::WriteShortListing()
{
    WriteTitleBlock();
    WriteSheetHeader();
    WritePageHeader();
    ForEachMarkedRow([this](const WorkRow& row) {
        ++m_lines;
        if (m_setup.paging && m_lines > m_setup.linesPerPage)
            WritePageHeader();
        Write(ShortRow(row));
    });
    if (m_setup.listNumber > 0)
        WriteSupplement(m_setup.listNumber, 0, 0);
}

// ---- full listing ----

void TTextListing::WriteFullListing()
{
    bool first = true;
    ForEachMarkedRow([&](const WorkRow& row) {
        if (first || m_setup.paging)
            WriteTitleBlock();
        first = false;
        if (m_setup.listNumber != 0)
            WriteSheetHeader();
        else
            Write(QString());
        const TListingData::Part part =
            m_data.PartOf(row.parskup, row.parcis, row.parpod, row.pardil);
        WritePartHeading(row);
        WritePartValues(row, part);
        if (m_setup.page == PageUsers)
            WriteFirstUser(part);
        WriteOwnersOfPart(row, part);
        WriteSupplement(int(row.lvcis), row.parcis * 1000 + row.parpod, row.parskup);
        WritePageExtras(row);
        if (m_setup.paging) {
            FormFeed();
            if (m_page != -1)
                ++m_page;
        }
    });
}

void TTextListing::WritePartHeading(const WorkRow& row)
{
    const QString group = SingleLine(m_data.GroupName(row.parskup));
    const QString heading =
        row.pardil != 0
            ? Format(QStringLiteral("  Údaje o dílu %d parcely číslo %s skupiny %d: %s"),
                     row.pardil, SingleLine(row.parcislo), row.parskup, group)
            : Format(QStringLiteral("  Údaje o parcele číslo %s skupiny %d: %s"),
                     SingleLine(row.parcislo), row.parskup, group);
    Write(heading, {{0, int(heading.size())}});
    Write(Rule());
}

void TTextListing::WritePartValues(const WorkRow& row, const TListingData::Part& part)
{
    if (row.cpce > 0) {
        const QString label = row.parskup > 2         ? QStringLiteral("Součást parcely KN  ")
                              : row.nemvyuz % 10 == 0 ? QStringLiteral("Číslo popisné       ")
                                                      : QStringLiteral("Evidenční číslo     ");
        Write(label + HouseNumberGridText(row.cpce, row.nemvyuz, row.parskup).trimmed());
    }
    Write(Format(QStringLiteral("Výměra              %d čtverečných metrů"), row.vymera));
    Write(QStringLiteral("Druh pozemku        ") + SingleLine(m_data.LandKindText(row.druhpoz)));
    Write(QStringLiteral("Využití             ") +
          SingleLine(m_data.LandUseText(LandUseKey(row.druhpoz, row.nemvyuz))));
    Write(QStringLiteral("List vlastnictví č. ") + QString::number(row.lvcis));
    Write(Format(QStringLiteral("Právní vztah        %d %s"), part.vlvztah,
                 SingleLine(m_data.RelationText(part.vlvztah))));
    Write(QStringLiteral("Položka výkazu změn ") + VykazText(part.ppolvz));
    Write(QStringLiteral("Označení mapy       ") + SingleLine(part.mapa));
    m_lines += row.cpce > 0 ? 8 : 7;
}

void TTextListing::WriteFirstUser(const TListingData::Part& part)
{
    Write(CaptionRule(QStringLiteral("Uživatel ")));
    const QList<TListingData::Holder> users = m_data.HoldersOf(part.elcis);
    if (users.isEmpty() || part.elcis == 0) {
        Write(QString(20, u' ') + QStringLiteral("neevidován"));
    } else {
        const TListingData::Holder& u = users.first();
        Write(Format(QStringLiteral("%18s  %s"), m_data.IdentText(u.ident, u.uvchar),
                     SingleLine(m_data.OwnerName(u.ident, u.uvchar))));
    }
    m_lines += 2;
}

void TTextListing::WriteOwnersOfPart(const WorkRow& row, const TListingData::Part& part)
{
    if (row.lvcis == 0 || row.lvcis >= NoSheetLimit) {
        Write(QStringLiteral("PARCELA NENÍ ZAPSÁNA NA LISTU VLASTNICTVÍ"));
        ++m_lines;
        return;
    }
    const int lv = int(row.lvcis);
    if (part.vlvztah == RelationLandAndBuildingApart) {
        const ParDilyRules::LandSheet land =
            m_data.LandSheetOf(lv, row.parskup, int(row.parcis), row.parpod);
        Write(Indent10 + QStringLiteral("VLASTNICTVÍ POZEMKU"));
        WriteOwnerList(land.lv, land.found);
        Write(Indent10 + QStringLiteral("VLASTNICTVÍ STAVBY"));
        WriteOwnerList(lv, true);
        m_lines += 2;
    } else {
        Write(Indent10 + QStringLiteral("VLASTNICTVÍ POZEMKU A STAVBY"));
        WriteOwnerList(lv, true);
        ++m_lines;
    }
}

void TTextListing::WriteOwnerList(int lv, bool registered)
{
    Write(CaptionRule(QStringLiteral("Vlastník ")));
    const QList<TListingData::Holder> owners =
        registered ? m_data.HoldersOf(lv) : QList<TListingData::Holder>();
    for (const TListingData::Holder& h : owners)
        Write(Format(QStringLiteral("%5s  %11s  %s"), ShareText(h.podil),
                     m_data.IdentText(h.ident, h.uvchar),
                     SingleLine(m_data.OwnerName(h.ident, h.uvchar))));
    if (owners.isEmpty())
        Write(QString(20, u' ') + QStringLiteral("neevidován"));
    Write(Rule(true));
    m_lines += 2 + qMax(1, int(owners.size()));
}

void TTextListing::WritePageExtras(const WorkRow& row)
{
    if (m_setup.page == PageText) {
        // The own text as typed, each of its lines after the margin; a line
        // break of any kind ends a line, other control characters are blanks.
        const QString text = m_data.OwnText(row.parskup, row.parcis, row.parpod, row.pardil);
        if (text.isEmpty())
            return;
        static const QRegularExpression breaks(QStringLiteral("\r\n|\r|\n|\f|\v|\u2028|\u2029"));
        for (const QString& line : text.split(breaks))
            Write(SingleLine(line));
    } else if (m_setup.page == PageBonita) {
        Write(QStringLiteral("    Výměra   Bonita   Výkaz"));
        for (const TListingData::SoilRow& s : m_data.SoilOf(row.parskup, row.parcis, row.parpod))
            Write(Format(QStringLiteral("%10d  %7d  %6d"), s.vymera, s.bonita, s.bpolvz));
    } else if (m_setup.page == PagePK && CadastralTables::IsCurrentCadastre(row.parskup)) {
        WriteOlderRegister(row);
    }
}

void TTextListing::WriteOlderRegister(const WorkRow& row)
{
    const QList<QPair<int, QString>> refs = m_data.OlderRegisterOf(int(row.parcis), row.parpod);
    // Six references to a line; the first line after the caption, the others
    // under it.
    const QString caption = QStringLiteral("Odkaz z parcely PK: ");
    QStringList items;
    for (const auto& [group, number] : refs)
        items << Format(QStringLiteral("[%d:%s]"), group, SingleLine(number));
    for (int i = 0; i < qMax(1, int(items.size())); i += 6) {
        const QString lead = i == 0 ? caption : QString(caption.size(), u' ');
        Write(lead + QStringList(items.mid(i, 6)).join(u' '));
    }
}

// ---- owners listing and area summary ----

void TTextListing::WriteOwnersListing(const QList<OwnerRow>& owners)
{
    WriteTitleBlock();
    Write(QString());
    const QString caption = QStringLiteral("Přehled vlastníků parcel");
    Write(caption, {{0, int(caption.size())}});
    Write(Rule());
    Write(QStringLiteral("List vl.  Identifik.  Vlastník (jméno nebo název a adresa)"));
    Write(Rule());
    if (m_progress.start)
        m_progress.start(int(owners.size()));
    for (const OwnerRow& o : owners) {
        if (m_progress.step && m_progress.step())
            break;
        Write(Format(QStringLiteral("%7d  %11s  %s"), o.ellvcis, m_data.IdentText(o.ident),
                     SingleLine(o.nazev)));
    }
    if (m_progress.finish)
        m_progress.finish();
}

void TTextListing::WriteAreaSummary(const TAreaSums& sums)
{
    auto value = [&](int i) { return AreaValue(sums.area[i], sums.parts[i]); };
    const QString rule = QStringLiteral(
        "  --------------------------------        --------------------------------");
    WriteTitleBlock();
    Write(QString());
    Write(QStringLiteral(
        "  ZEMĚDĚLSKÁ PŮDA      ha   počet         NEZEMĚDĚLSKÁ PŮDA    ha   počet "));
    Write(rule);
    const struct
    {
        const char* left;
        int leftIndex;
        const char* right;
        int rightIndex;
    } rows[] = {{"  Orná půda    ", 2, "         Lesní půda   ", 10},
                {"  Chmelnice    ", 3, "         Vodní plocha ", 11},
                {"  Vinice       ", 4, "         Zastavěná pl.", 13},
                {"  Zahrada      ", 5, "         Ostatní pl.  ", 14},
                {"  Ovocný sad   ", 6, nullptr, 0},
                {"  Louka        ", 7, nullptr, 0},
                {"  Pastvina     ", 8, nullptr, 0}};
    for (const auto& r : rows) {
        QString line = QString::fromUtf8(r.left) + value(r.leftIndex);
        if (r.right)
            line += QString::fromUtf8(r.right) + value(r.rightIndex);
        Write(line);
    }
    Write(rule);
    Write(QStringLiteral("  CELKEM       ") + value(TAreaSums::Agricultural) +
          QStringLiteral("         CELKEM       ") + value(TAreaSums::NonAgricultural));
    Write(rule);
    if (sums.area[TAreaSums::AgriculturalLand] > 0 || sums.area[TAreaSums::Unregistered] > 0)
        Write(QStringLiteral("  Zemědělská p.") + value(TAreaSums::AgriculturalLand) +
              QStringLiteral("         Neevidovaná  ") + value(TAreaSums::Unregistered));
    Write(QString());
    Write(QStringLiteral("                   PARCELY CELKEM                      ") +
          value(TAreaSums::All));
    Write(QString());
    Write(QStringLiteral("  Počet staveb s č.popis.:") +
          QString::number(sums.withHouseNumber).rightJustified(7) +
          QStringLiteral("         Počet staveb s č.evid.:") +
          QString::number(sums.withRegistrationNumber).rightJustified(8));
}
