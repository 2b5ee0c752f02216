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

VfkOwnerRegistry::VfkOwnerRegistry(const VfkDataSet& data, Surrogates* shared)
    : m_opsub(data, QStringLiteral("OPSUB"))
{
    const VfkColumns charos(data, QStringLiteral("CHAROS"));
    const int kod = charos.optional("KOD");
    const int nazev = charos.optional("NAZEV");
    for (int r = 0; r < charos.rows(); ++r)
        m_charosNames.insert(charos.text(r, kod).toInt(), charos.text(r, nazev));

    // Surrogates collide only by chance; the next free value keeps them unique
    // (in the file's order, so one import gives the same values every time).
    const VfkColumns& opsub = m_opsub;
    // Every column of the owners is looked up once.
    m_c = {opsub.required("ID"),
           opsub.optional("OPSUB_TYPE"),
           opsub.optional("CHAROS_KOD"),
           opsub.optional("ICO"),
           opsub.optional("NAZEV"),
           opsub.optional("RODNE_CISLO"),
           opsub.optional("PRIJMENI"),
           opsub.optional("JMENO"),
           opsub.optional("TITUL_PRED_JMENEM"),
           opsub.optional("TITUL_ZA_JMENEM"),
           opsub.optional("ID_JE_1_PARTNER_BSM"),
           opsub.optional("ID_JE_2_PARTNER_BSM"),
           opsub.optional("NAZEV_ULICE"),
           opsub.optional("CAST_OBCE"),
           opsub.optional("CISLO_DOMOVNI"),
           opsub.optional("CISLO_ORIENTACNI"),
           opsub.optional("OBEC")};
    Surrogates own;
    Surrogates& surrogates = shared ? *shared : own;
    for (int r = 0; r < opsub.rows(); ++r) {
        VfkOwner owner = build(opsub, r);
        const QString id = opsub.text(r, m_c.id);
        if (owner.ident >= double(SurrogateBase)) {
            const auto given = surrogates.ofId.constFind(id);
            auto ident = given != surrogates.ofId.cend() ? *given : qint64(owner.ident);
            if (given == surrogates.ofId.cend()) {
                while (surrogates.taken.contains(ident))
                    ++ident;
                surrogates.taken.insert(ident);
                if (shared)
                    surrogates.ofId.insert(id, ident);
            }
            owner.ident = double(ident);
        }
        m_owners.insert(id, owner);
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

QString VfkOwnerRegistry::personName(int row) const
{
    QStringList parts;
    for (const int column : {m_c.surname, m_c.firstName, m_c.titleBefore, m_c.titleAfter}) {
        const QString part = m_opsub.text(row, column).trimmed();
        if (!part.isEmpty())
            parts.append(part);
    }
    return parts.join(QLatin1Char(' '));
}

QString VfkOwnerRegistry::address(int row) const
{
    auto value = [&](int column) { return m_opsub.text(row, column).trimmed(); };
    QString street = value(m_c.street);
    if (street.isEmpty())
        street = value(m_c.townPart);
    QString number = value(m_c.houseNumber);
    if (!value(m_c.streetNumber).isEmpty())
        number += QLatin1Char('/') + value(m_c.streetNumber);
    const QString line = QStringList{street, number}.join(QLatin1Char(' ')).trimmed();
    QStringList parts;
    for (const QString& part : {line, value(m_c.town)})
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
    auto value = [&](int column) { return opsub.text(r, column).trimmed(); };
    const QString kind = value(m_c.type);
    VfkOwner owner;
    // UVCHAR is a Short.
    owner.uvchar =
        int(opsub.integer(r, m_c.charos, 0, 32767, kind == QLatin1String("BSM") ? 1 : 2));
    owner.sector = sectorOf(kind, owner.uvchar);
    const bool organisation = kind == QLatin1String("OPO");
    const int partner = kind == QLatin1String("BSM") ? opsub.find(value(m_c.partner1)) : -1;
    const int person = partner >= 0 ? partner : r;
    owner.ident =
        organisation ? digitsOf(value(m_c.ico)) : digitsOf(opsub.text(person, m_c.birthNumber));
    QString named;
    if (organisation)
        named = value(m_c.name);
    else if (partner >= 0) {
        const int second = opsub.find(value(m_c.partner2));
        const QString first = personName(partner);
        if (!first.isEmpty())
            named = QStringLiteral("SJM ") + first +
                    (second >= 0 ? QStringLiteral(" A ") + personName(second) : QString());
    } else
        named = personName(r);
    const QString place = address(person);
    if (!named.isEmpty())
        owner.name = upperCut(place.isEmpty() ? named : named + QStringLiteral(", ") + place);
    else
        owner.name = unnamed(kind, owner.uvchar, owner.ident);
    if (owner.ident < 0)
        opsub.refuse(r,
                     QStringLiteral("rodné číslo nebo IČO „%1“ má příliš mnoho číslic.")
                         .arg((organisation ? value(m_c.ico) : opsub.text(person, m_c.birthNumber))
                                  .left(40)));
    if (owner.ident <= 0)
        owner.ident = double(surrogateIdent(opsub.text(person, m_c.id)));
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
    const int row = m_opsub.find(opsubId);
    if (row < 0)
        return QString();
    auto value = [&](int column) { return m_opsub.text(row, column).trimmed(); };
    const QString kind = value(m_c.type);
    if (kind == QLatin1String("OPO") && !value(m_c.name).isEmpty())
        return value(m_c.name);
    if (kind == QLatin1String("OFO") && !personName(row).isEmpty())
        return personName(row);
    if (kind == QLatin1String("OPO"))
        return withoutParenthesis(m_charosNames.value(value(m_c.charos).toInt()));
    return owner(opsubId).name;
}
