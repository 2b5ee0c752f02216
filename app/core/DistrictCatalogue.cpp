#include "app/core/DistrictCatalogue.h"

#include "app/core/TKUInfo.h"
#include "base/ETalvekException.h"
#include "data/CadastralTables.h"
#include "db/Engine.h"
#include "db/Table.h"
#include "settings/ISettings.h"

#include <QCollator>
#include <algorithm>

namespace {
const QString aliasSetting = QStringLiteral("KatDialog.Okres");
const QString areaSetting = QStringLiteral("KatDialog.Katastr");
const QString modeSetting = QStringLiteral("KatDialog.PodleKat");
} // namespace

QString DistrictCatalogue::tableName()
{
    return QString::fromLatin1(CadastralTables::CatalogueTable);
}

QString DistrictCatalogue::districtRow()
{
    return QStringLiteral("PORCIS = '000' and KATUZ = '00000'");
}

QString DistrictCatalogue::municipalityRows()
{
    return QStringLiteral("PORCIS = '000' and KATUZ > '00000'");
}

QString DistrictCatalogue::areaRows()
{
    return QStringLiteral("PORCIS > '000'");
}

QString DistrictCatalogue::areasOfMunicipality(const QString& municipalityKatuz)
{
    const QString prefix = municipalityKatuz.left(3);
    return QStringLiteral("KATUZ >= %1 and KATUZ <= %2")
        .arg(quoted(prefix + QStringLiteral("01")), quoted(prefix + QStringLiteral("99")));
}

QString DistrictCatalogue::municipalityOfArea(const QString& areaKatuz)
{
    return QStringLiteral("KATUZ = %1").arg(quoted(areaKatuz.left(3) + QStringLiteral("00")));
}

QString DistrictCatalogue::areasNamed(const QString& typed)
{
    return areaRows() + QStringLiteral(" and NAZEV = ") + quoted(typed.toUpper() + u'*');
}

QString DistrictCatalogue::areasNumbered(const QString& number)
{
    // A trailing "*" would make "=" a prefix match; the range form compares
    // the text exactly.
    const QString value = quoted(number);
    const QString condition = number.endsWith(u'*')
                                  ? QStringLiteral("PORCIS >= %1 and PORCIS <= %1").arg(value)
                                  : QStringLiteral("PORCIS = %1").arg(value);
    return areaRows() + QStringLiteral(" and ") + condition;
}

void DistrictCatalogue::bind(Table& table, const QString& database)
{
    table.setDatabaseName(database);
    table.setTableName(tableName());
    table.setReadOnly(true);
    table.setIndexFieldNames(QStringLiteral("NAZEV"));
}

QString DistrictCatalogue::areaKey(const QString& katuz, const QString& porcis)
{
    return katuz + u'|' + porcis;
}

QList<int> DistrictCatalogue::ordinalsInNameOrder(const QString& database,
                                                  const QSet<QString>& keys)
{
    QList<int> ordinals;
    Table all;
    bind(all, database);
    all.open();
    for (all.first(); !all.eof(); all.next()) {
        const QString porcis = all.asString(QStringLiteral("PORCIS"));
        if (keys.contains(areaKey(all.asString(QStringLiteral("KATUZ")), porcis)))
            ordinals.append(ordinalValue(porcis));
    }
    return ordinals;
}

int DistrictCatalogue::ordinalValue(const QString& text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? value : 0;
}

QStringList DistrictCatalogue::districtAliases()
{
    const EngineAliases& aliases = Engine::instance().aliases();
    QStringList names;
    for (const QString& name : aliases.names()) {
        if (aliases.driverName(name) == EngineAliases::standardDriver())
            names.append(name);
    }
    return names;
}

QStringList DistrictCatalogue::districtAliasesInNameOrder()
{
    QStringList names = districtAliases();
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(names.begin(), names.end(), [&](const QString& a, const QString& b) {
        return collator.compare(a, b) < 0;
    });
    return names;
}

QString DistrictCatalogue::districtAlias(const QString& alias)
{
    const QStringList names = districtAliases();
    if (names.isEmpty())
        throw ETalvekException(QStringLiteral("Není nadefinován žádný databázový alias"));
    for (const QString& name : names) {
        if (name.compare(alias, Qt::CaseInsensitive) == 0)
            return name;
    }
    throw ETalvekException(QStringLiteral("Alias okresu '%1' nebyl nalezen").arg(alias));
}

bool DistrictCatalogue::lookup(const QString& alias, const QString& suffix, TKUInfo& info)
{
    Table catalogue;
    bind(catalogue, districtAlias(alias));
    catalogue.setFilter(districtRow());
    catalogue.setFiltered(true);
    catalogue.open();
    const QString district = catalogue.asString(QStringLiteral("NAZEV"));
    // Of several areas with one ordinal (a damaged catalogue) the first by name.
    catalogue.setFilter(areasNumbered(suffix));
    if (catalogue.isEmpty())
        return false;
    const QString area = catalogue.asString(QStringLiteral("NAZEV"));
    const QString code = catalogue.asString(QStringLiteral("IDENTCIS"));
    catalogue.setFilter(municipalityOfArea(catalogue.asString(QStringLiteral("KATUZ"))));
    info.Okres = district;
    info.Obec = catalogue.asString(QStringLiteral("NAZEV"));
    info.Katastr = area;
    info.Kod = code;
    return true;
}

DistrictCatalogue::Choice DistrictCatalogue::rememberedChoice(ISettings& settings)
{
    Choice choice;
    choice.alias = settings.GetValue(aliasSetting, QString()).toString();
    choice.area = settings.GetValue(areaSetting, QString()).toString();
    choice.byArea = settings.GetValue(modeSetting, true).toBool();
    return choice;
}

void DistrictCatalogue::rememberChoice(ISettings& settings, const Choice& choice)
{
    settings.SetValue(aliasSetting, choice.alias);
    settings.SetValue(areaSetting, choice.area);
    settings.SetValue(modeSetting, choice.byArea);
}

void DistrictCatalogue::rememberDistrict(ISettings& settings, const QString& alias)
{
    settings.SetValue(aliasSetting, alias);
    settings.SetValue(areaSetting, QString());
}

QString DistrictCatalogue::quoted(const QString& text)
{
    return u'\'' + QString(text).replace(u'\'', QStringLiteral("''")) + u'\'';
}
