#include "data/DemoDistrictGenerator.h"

#include "base/ETalvekException.h"
#include "base/ParallelJobs.h"
#include "data/CadastralTables.h"
#include "data/DemoCodeTables.h"
#include "data/DemoAreaBuilder.h"
#include "data/DemoFields.h"
#include "data/DemoNameSource.h"
#include "data/DemoOwnerPool.h"
#include "data/DemoRandom.h"
#include "db/paradox/ParadoxTable.h"

#include <QDir>
#include <QFileInfo>

#include <mutex>
#include <thread>

namespace {

using namespace CadastralTables;
using namespace DemoFields;

struct SizePlan
{
    int municipalities;
    int areas;
    qint64 parts;
    int owners;
};

SizePlan planFor(DemoDistrictGenerator::Size size)
{
    switch (size) {
    case DemoDistrictGenerator::Size::District:
        return {60, 170, 270000, 55000};
    case DemoDistrictGenerator::Size::City:
        return {1, 1, 40000, 10000};
    case DemoDistrictGenerator::Size::Small:
        break;
    }
    return {2, 3, 1200, 300};
}

// ---------------------------------------------------------------------------
// The district: catalogue and area plans.

struct DistrictPlan
{
    QString name;
    QString identcis;
    QStringList municipalities;
    QStringList municipalityCodes;
    QList<DemoAreaPlan> areas;
};

DistrictPlan planDistrict(const SizePlan& size, DemoRandom& random, bool city)
{
    DemoNameSource names(random);
    DistrictPlan plan;
    plan.name = city ? QStringLiteral("VZOROVÉ MĚSTO") : QStringLiteral("VZOROVÝ OKRES");
    plan.identcis = QStringLiteral("003%1").arg(random.between(100, 999));
    for (int m = 0; m < size.municipalities; ++m) {
        plan.municipalities.append(names.placeName(m * 7 + (city ? 3 : 0)));
        plan.municipalityCodes.append(QString::number(530000 + m * 97 + random.below(90)));
    }
    // Areas are spread over the municipalities; the first area of each one
    // carries its name.
    QList<int> areasInMunicipality(size.municipalities, 0);
    const qint64 average = size.parts / size.areas;
    qint64 assigned = 0;
    for (int a = 0; a < size.areas; ++a) {
        DemoAreaPlan area;
        area.porcis = a + 1;
        area.municipality = a < size.municipalities ? a : random.below(size.municipalities);
        const int local = ++areasInMunicipality[area.municipality];
        // Other areas get names of their own, distinct from all municipalities.
        area.name = local == 1 ? plan.municipalities[area.municipality]
                               : names.placeName(size.municipalities * 7 + a);
        area.katuz = QStringLiteral("%1%2")
                         .arg(area.municipality + 1, 3, 10, QLatin1Char('0'))
                         .arg(local, 2, 10, QLatin1Char('0'));
        area.identcis = QString::number(600000 + a * 113 + random.below(100));
        area.parts =
            a == size.areas - 1 ? size.parts - assigned : average * random.between(60, 140) / 100;
        assigned += area.parts;
        plan.areas.append(area);
    }
    return plan;
}

void writeCatalogue(const QString& dir, const DistrictPlan& plan)
{
    QList<QVariantList> rows;
    rows.append({QStringLiteral("00000"), plan.identcis, QStringLiteral("000"), plan.name});
    for (int m = 0; m < plan.municipalities.size(); ++m)
        rows.append(
            {QStringLiteral("%1").arg(m + 1, 3, 10, QLatin1Char('0')) + QStringLiteral("00"),
             plan.municipalityCodes[m], QStringLiteral("000"), plan.municipalities[m]});
    for (const DemoAreaPlan& a : plan.areas)
        rows.append({a.katuz, a.identcis, AreaSuffix(a.porcis), a.name});
    ParadoxWriter::writeTable(dir + QLatin1Char('/') + QLatin1String(CatalogueTable),
                              {alphaField("KATUZ", 5), alphaField("IDENTCIS", 6),
                               alphaField("PORCIS", 3), alphaField("NAZEV", 30)},
                              1, rows);
}

void writeOwners(const QString& dir, const DemoOwnerPool& pool)
{
    ParadoxWriter writer(dir + QLatin1Char('/') + QLatin1String(OwnerTable),
                         {numberField("IDENT"), shortField("UVCHAR"), alphaField("NAZEV", 60)}, 2);
    for (const DemoOwner& o : pool.owners())
        writer.addRow({double(o.ident), o.uvchar, o.name});
    writer.commit();
}

void makeDirectory(const QString& path)
{
    if (!QDir().mkpath(path))
        throw ETalvekException(
            QStringLiteral("Adresář %1 nelze vytvořit.").arg(QDir::toNativeSeparators(path)));
}

void addUp(DemoDistrictGenerator::Summary& total, const DemoDistrictGenerator::Summary& area)
{
    total.parcelParts += area.parcelParts;
    total.ownershipRelations += area.ownershipRelations;
    total.sheets += area.sheets;
    total.records += area.records;
    total.recordTexts += area.recordTexts;
    total.soilRecords += area.soilRecords;
}

// Areas are independent (each has its own random sequence and files), so
// several are built at once: writing a table waits mostly for the disk to
// confirm the file, and those waits overlap.
void buildAreas(const QString& dir, const DistrictPlan& plan, const DemoOwnerPool& pool,
                quint64 seed, bool city, DemoDistrictGenerator::Summary& summary)
{
    std::mutex mutex;
    const int threads = std::clamp(int(std::thread::hardware_concurrency()) * 8, 4, 16);
    RunParallelJobs(int(plan.areas.size()), threads, [&](int i) {
        DemoDistrictGenerator::Summary mine;
        const DemoAreaPlan& area = plan.areas[i];
        DemoAreaBuilder builder(area, pool, seed * 1000003 + quint64(area.porcis), city);
        builder.build();
        builder.write(dir, mine);
        const std::lock_guard lock(mutex);
        addUp(summary, mine);
    });
}

} // namespace

DemoDistrictGenerator::DemoDistrictGenerator(const Options& options) : m_options(options) {}

DemoDistrictGenerator::Size DemoDistrictGenerator::parseSize(const QString& name)
{
    if (name == QLatin1String("small"))
        return Size::Small;
    if (name == QLatin1String("district"))
        return Size::District;
    if (name == QLatin1String("city"))
        return Size::City;
    throw ETalvekException(
        QStringLiteral("Neznámá velikost okresu \"%1\" (možnosti: small, district, city).")
            .arg(name));
}

DemoDistrictGenerator::Summary DemoDistrictGenerator::generate(const QString& directory) const
{
    const QString dir = QDir::cleanPath(directory);
    const QString workDb = dir + QLatin1Char('/') + codeTableSubdirectory();
    // Never overwrite tables of a real district given by mistake.
    if (QFileInfo::exists(dir) &&
        !QDir(dir).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
        throw ETalvekException(
            QStringLiteral("Adresář %1 není prázdný; ukázkový okres se zapisuje jen "
                           "do nového nebo prázdného adresáře.")
                .arg(QDir::toNativeSeparators(dir)));
    makeDirectory(dir);
    makeDirectory(workDb);
    DemoCodeTables::writeAll(workDb);

    const bool city = m_options.size == Size::City;
    const SizePlan size = planFor(m_options.size);
    DemoRandom random(m_options.seed);
    const DistrictPlan plan = planDistrict(size, random, city);
    DemoOwnerPool pool(size.owners, plan.municipalities, random);

    Summary summary;
    summary.municipalities = int(plan.municipalities.size());
    summary.areas = int(plan.areas.size());
    summary.owners = pool.owners().size();
    writeCatalogue(dir, plan);
    writeOwners(dir, pool);
    buildAreas(dir, plan, pool, m_options.seed, city, summary);
    return summary;
}
