#include "data/CadastralTables.h"

#include "base/ETalvekException.h"

#include <algorithm>
#include <array>

namespace CadastralTables {

namespace {

struct ParcelField
{
    const char* name;
    const char* caption;
};

// Captions are the texts the conditions dialog shows for these positions.
const std::array<ParcelField, FixedParcelFieldCount> parcelFields{{
    {"PARSKUP", "parcelní skupina"},
    {"PARCIS", "kmenové číslo parcely"},
    {"PARPOD", "poddělení čísla parcely"},
    {"PARDIL", "číslo dílu parcely"},
    {"VYMERA", "výměra [m čtverečních]"},
    {"KVALITA", "kvalita určení výměry"},
    {"DRUHPOZ", "kód druhu pozemku"},
    {"NEMOCHR", "kód ochrany nemovitosti"},
    {"NEMVYUZ", "kód využití nemovitosti"},
    {"BONITA", "kód bonity půdy"},
    {"CPCE", "číslo popisné (evidenční)"},
    {"ELCIS", "číslo evidenčního listu"},
    {"LVCIS", "číslo listu vlastnictví"},
    {"VLVZTAH", "právní vztah"},
    {"MAPA", "označení mapy"},
    {"", "umístění"},
    {"", "typ vlastníka (+10=uživatele)"},
    {"PPOLVZ", "položka výkazu změn"},
}};

const std::array<const char*, 9> groupNames{{
    "Katastr nemovitosti - stavební",
    "Katastr nemovitosti - pozemek",
    "Evidence nemovitosti - zaniklý",
    "Pozemkový katastr - stavební",
    "Pozemkový katastr - pozemek",
    "Přídělový plán - stavební",
    "Přídělový plán - pozemek",
    "Z již neexist. KÚ - stavební",
    "Z již neexist. KÚ - pozemek",
}};

} // namespace

QString AreaSuffix(int porcis)
{
    return QStringLiteral("%1").arg(porcis, 3, 10, QLatin1Char('0'));
}

void CheckAreaSuffix(const QString& suffix, const QString& areaName)
{
    const bool threeDigits =
        suffix.size() == 3 && std::all_of(suffix.begin(), suffix.end(), [](QChar c) {
            return c >= QLatin1Char('0') && c <= QLatin1Char('9');
        });
    if (!threeDigits)
        throw ETalvekException(
            QStringLiteral("Katastrální území „%1“ má v katalogu okresu chybné pořadové číslo "
                           "„%2“ (čekají se tři číslice); území nelze otevřít")
                .arg(areaName, suffix));
}

QString PerAreaTable(const char* prefix, const QString& suffix)
{
    return QLatin1String(prefix) + suffix + QStringLiteral(".DB");
}

QString ParcelFieldName(int position)
{
    if (position < 0 || position >= FixedParcelFieldCount)
        return {};
    return QString::fromLatin1(parcelFields[size_t(position)].name);
}

QString ParcelFieldCaption(int position, const QString& fieldName)
{
    if (position >= 0 && position < FixedParcelFieldCount)
        return QString::fromUtf8(parcelFields[size_t(position)].caption);
    if (fieldName.compare(QLatin1String("PARCISLO"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("parcelní číslo");
    return {};
}

QString ParcelGroupName(int parskup)
{
    if (parskup < 1 || parskup > int(groupNames.size()))
        return {};
    return QString::fromUtf8(groupNames[size_t(parskup - 1)]);
}

} // namespace CadastralTables

HouseNumberKind HouseNumberKindOf(int nemvyuz)
{
    switch (nemvyuz % 10) {
    case 0:
        return HouseNumberKind::Descriptive;
    case 2:
        return HouseNumberKind::Garage;
    default:
        return HouseNumberKind::Registration;
    }
}

OlderRegisterTarget OlderRegisterTargetOf(qint64 cpce)
{
    return {int(cpce % 10000), int((cpce / 10000) % 100000)};
}

qint64 OlderRegisterCpce(int parcis, int parpod)
{
    return qint64(parpod) * 10000 + parcis;
}
