#include "data/DemoDistrictPlan.h"

#include "base/ETalvekException.h"
#include "data/CadastralTables.h"
#include "data/DemoFields.h"
#include "data/DemoNameSource.h"
#include "db/paradox/ParadoxTable.h"

#include <QDir>
#include <QFileInfo>

using namespace CadastralTables;

DemoDistrictPlan DemoDistrictPlan::make(const QString& name, int municipalities, int areas,
                                        qint64 parts, DemoRandom& random, int nameBase,
                                        int municipalityShift)
{
    DemoNameSource names(random);
    DemoDistrictPlan plan;
    plan.name = name;
    plan.identcis = QStringLiteral("003%1").arg(random.between(100, 999));
    for (int m = 0; m < municipalities; ++m) {
        plan.municipalities.append(names.placeName(nameBase + m * 7 + municipalityShift));
        plan.municipalityCodes.append(QString::number(530000 + m * 97 + random.below(90)));
    }
    // Areas are spread over the municipalities; the first area of each one
    // carries its name.
    QList<int> areasInMunicipality(municipalities, 0);
    const qint64 average = parts / areas;
    qint64 assigned = 0;
    for (int a = 0; a < areas; ++a) {
        DemoAreaPlan area;
        area.porcis = a + 1;
        area.municipality = a < municipalities ? a : random.below(municipalities);
        const int local = ++areasInMunicipality[area.municipality];
        // Other areas get names of their own, distinct from all municipalities.
        area.name = local == 1 ? plan.municipalities[area.municipality]
                               : names.placeName(nameBase + municipalities * 7 + a);
        area.katuz = QStringLiteral("%1%2")
                         .arg(area.municipality + 1, 3, 10, QLatin1Char('0'))
                         .arg(local, 2, 10, QLatin1Char('0'));
        area.identcis = QString::number(600000 + a * 113 + random.below(100));
        area.parts = a == areas - 1 ? parts - assigned : average * random.between(60, 140) / 100;
        assigned += area.parts;
        plan.areas.append(area);
    }
    return plan;
}

void DemoDistrictPlan::writeCatalogue(const QString& directory) const
{
    QList<QVariantList> rows;
    rows.append({QStringLiteral("00000"), identcis, QStringLiteral("000"), name});
    for (int m = 0; m < municipalities.size(); ++m)
        rows.append(
            {QStringLiteral("%1").arg(m + 1, 3, 10, QLatin1Char('0')) + QStringLiteral("00"),
             municipalityCodes[m], QStringLiteral("000"), municipalities[m]});
    for (const DemoAreaPlan& a : areas)
        rows.append({a.katuz, a.identcis, AreaSuffix(a.porcis), a.name});
    ParadoxWriter::writeTable(directory + QLatin1Char('/') + QLatin1String(CatalogueTable),
                              DemoFields::catalogueFields(), 1, rows);
}

void DemoDistrictPlan::writeOwners(const QString& directory, const QList<DemoOwner>& owners)
{
    ParadoxWriter writer(directory + QLatin1Char('/') + QLatin1String(OwnerTable),
                         DemoFields::ownerFields(), 2);
    for (const DemoOwner& o : owners)
        writer.addRow({double(o.ident), o.uvchar, o.name});
    writer.commit();
}

void DemoDistrictPlan::makeDirectory(const QString& directory)
{
    if (!QDir().mkpath(directory))
        throw ETalvekException(
            QStringLiteral("Adresář %1 nelze vytvořit.").arg(QDir::toNativeSeparators(directory)));
}

void DemoDistrictPlan::createEmptyDirectory(const QString& directory)
{
    if (QFileInfo::exists(directory) &&
        !QDir(directory).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
        throw ETalvekException(QStringLiteral("Adresář %1 není prázdný; ukázková data se "
                                              "zapisují jen do nového nebo prázdného adresáře.")
                                   .arg(QDir::toNativeSeparators(directory)));
    makeDirectory(directory);
}
