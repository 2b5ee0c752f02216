#include "import/VfkOwnerRegistry.h"
#include "import/VfkColumns.h"

#include <QRegularExpression>
#include <algorithm>

namespace {

constexpr qint64 SurrogateBase = 100'000'000'000LL;      // above every birth number and IČO
constexpr qint64 SurrogateRange = 900'000'000'000'000LL; // keeps IDENT below 2^53 (exact double)
constexpr int NameLength = 60;

QString upperCut(const QString& text)
{
    return text.simplified().toUpper().left(NameLength);
}

// Birth number or IČO as a number; 0 when blank or not a number, -1 when
// too long to be one (it would reach the surrogates).
double digitsOf(QString text)
{
    text.remove(QLatin1Char('/'));
    text = text.trimmed();
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    if (!ok)
        return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.isDigit(); }) &&
                       !text.isEmpty()
                   ? -1.0
                   : 0.0;
    return value >= SurrogateBase ? -1.0 : value < 0 ? 0.0 : double(value);
}

QString withoutParenthesis(const QString& text)
{
    static const QRegularExpression parenthesis(QStringLiteral("\\s*\\(.*\\)\\s*$"));
    QString cut = text;
    cut.remove(parenthesis);
    return cut;
}

} // namespace

VfkOwnerRegistry::VfkOwnerRegistry(const VfkDataSet& data)
    : m_data(data), m_block(data.block(QStringLiteral("OPSUB")))
{
    const VfkBlock& charos = data.block(QStringLiteral("CHAROS"));
    const int kod = charos.column(QStringLiteral("KOD"));
    const int nazev = charos.column(QStringLiteral("NAZEV"));
    for (const QStringList& row : charos.rows)
        m_charosNames.insert(vfkValue(row, kod).toInt(), vfkValue(row, nazev));

    // Surrogates collide only by chance; the next free value keeps them unique
    // (in the file's order, so one import gives the same values every time).
    QSet<qint64> taken;
    const VfkColumns opsub(data, QStringLiteral("OPSUB"));
    const int id = opsub.required("ID");
    for (int r = 0; r < opsub.rows(); ++r) {
        VfkOwner owner = build(opsub, r);
        if (owner.ident >= double(SurrogateBase)) {
            auto ident = qint64(owner.ident);
            while (taken.contains(ident))
                ++ident;
            taken.insert(ident);
            owner.ident = double(ident);
        }
        m_owners.insert(opsub.text(r, id), owner);
    }
}

qint64 VfkOwnerRegistry::surrogateIdent(const QString& opsubId)
{
    // FNV-1a over the ID's UTF-8 bytes: stable across runs and platforms.
    quint64 hash = 14695981039346656037ULL;
    for (const char c : opsubId.toUtf8()) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ULL;
    }
    return SurrogateBase + qint64(hash % quint64(SurrogateRange));
}

int VfkOwnerRegistry::sectorOf(const QString& kind, int charos)
{
    if (kind == QLatin1String("OFO") || kind == QLatin1String("BSM"))
        return 4;
    if (kind != QLatin1String("OPO"))
        return 5;
    static const QSet<int> state{3, 4, 6, 7, 8, 19, 20, 21, 99};
    static const QSet<int> municipal{9, 10, 15};
    if (state.contains(charos))
        return 1;
    return municipal.contains(charos) ? 2 : 3;
}

QString VfkOwnerRegistry::personName(const QStringList& row) const
{
    QStringList parts;
    for (const char* column : {"PRIJMENI", "JMENO", "TITUL_PRED_JMENEM", "TITUL_ZA_JMENEM"}) {
        const QString part = vfkValue(row, m_block.column(QLatin1String(column))).trimmed();
        if (!part.isEmpty())
            parts.append(part);
    }
    return parts.join(QLatin1Char(' '));
}

QString VfkOwnerRegistry::address(const QStringList& row) const
{
    auto value = [&](const char* column) {
        return vfkValue(row, m_block.column(QLatin1String(column))).trimmed();
    };
    QString street = value("NAZEV_ULICE");
    if (street.isEmpty())
        street = value("CAST_OBCE");
    QString number = value("CISLO_DOMOVNI");
    if (!value("CISLO_ORIENTACNI").isEmpty())
        number += QLatin1Char('/') + value("CISLO_ORIENTACNI");
    const QString line = QStringList{street, number}.join(QLatin1Char(' ')).trimmed();
    QStringList parts;
    for (const QString& part : {line, value("OBEC")})
        if (!part.isEmpty())
            parts.append(part);
    return parts.join(QStringLiteral(", "));
}

QString VfkOwnerRegistry::unnamed(const QString& kind, int charos, double ico) const
{
    if (kind == QLatin1String("OFO"))
        return QStringLiteral("FYZICKÁ OSOBA (BEZ OSOBNÍCH ÚDAJŮ)");
    if (kind == QLatin1String("BSM"))
        return QStringLiteral("SJM (BEZ OSOBNÍCH ÚDAJŮ)");
    QString what = withoutParenthesis(m_charosNames.value(charos));
    if (what.isEmpty())
        what = QStringLiteral("PRÁVNICKÁ OSOBA");
    if (ico <= 0)
        return upperCut(what);
    // The IČO stays whole; the kind's name gives way.
    const QString suffix = QStringLiteral(" (IČO %1)").arg(qint64(ico), 8, 10, QLatin1Char('0'));
    return upperCut(what).left(NameLength - suffix.size()).trimmed() + suffix;
}

VfkOwner VfkOwnerRegistry::build(const VfkColumns& opsub, int r) const
{
    const QStringList& row = opsub.block().rows[r];
    auto value = [&](const char* column) {
        return vfkValue(row, m_block.column(QLatin1String(column))).trimmed();
    };
    const QString kind = value("OPSUB_TYPE");
    VfkOwner owner;
    // UVCHAR is a Short.
    owner.uvchar = int(opsub.integer(r, opsub.optional("CHAROS_KOD"), 0, 32767,
                                     kind == QLatin1String("BSM") ? 1 : 2));
    owner.sector = sectorOf(kind, owner.uvchar);
    const bool organisation = kind == QLatin1String("OPO");
    const QStringList* partner =
        kind == QLatin1String("BSM")
            ? m_data.find(QStringLiteral("OPSUB"), value("ID_JE_1_PARTNER_BSM"))
            : nullptr;
    const QStringList& person = partner ? *partner : row;
    owner.ident = organisation
                      ? digitsOf(value("ICO"))
                      : digitsOf(vfkValue(person, m_block.column(QStringLiteral("RODNE_CISLO"))));
    QString named;
    if (organisation)
        named = value("NAZEV");
    else if (partner) {
        const QStringList* second =
            m_data.find(QStringLiteral("OPSUB"), value("ID_JE_2_PARTNER_BSM"));
        const QString first = personName(*partner);
        if (!first.isEmpty())
            named = QStringLiteral("SJM ") + first +
                    (second ? QStringLiteral(" A ") + personName(*second) : QString());
    } else
        named = personName(row);
    const QString place = address(person);
    if (!named.isEmpty())
        owner.name = upperCut(place.isEmpty() ? named : named + QStringLiteral(", ") + place);
    else
        owner.name = unnamed(kind, owner.uvchar, owner.ident);
    if (owner.ident < 0)
        opsub.refuse(
            r, QStringLiteral("rodné číslo nebo IČO „%1“ má příliš mnoho číslic.")
                   .arg((organisation
                             ? value("ICO")
                             : vfkValue(person, m_block.column(QStringLiteral("RODNE_CISLO"))))
                            .left(40)));
    if (owner.ident <= 0)
        owner.ident =
            double(surrogateIdent(vfkValue(person, m_block.column(QStringLiteral("ID")))));
    return owner;
}

const VfkOwner& VfkOwnerRegistry::owner(const QString& opsubId) const
{
    static const VfkOwner blank;
    const auto it = m_owners.constFind(opsubId);
    return it == m_owners.constEnd() ? blank : *it;
}

QString VfkOwnerRegistry::displayName(const QString& opsubId) const
{
    const QStringList* row = m_data.find(QStringLiteral("OPSUB"), opsubId);
    if (!row)
        return QString();
    auto value = [&](const char* column) {
        return vfkValue(*row, m_block.column(QLatin1String(column))).trimmed();
    };
    const QString kind = value("OPSUB_TYPE");
    if (kind == QLatin1String("OPO") && !value("NAZEV").isEmpty())
        return value("NAZEV");
    if (kind == QLatin1String("OFO") && !personName(*row).isEmpty())
        return personName(*row);
    if (kind == QLatin1String("OPO"))
        return withoutParenthesis(m_charosNames.value(value("CHAROS_KOD").toInt()));
    return owner(opsubId).name;
}
