#include "data/DemoDistrictGenerator.h"

#include "base/ETalvekException.h"
#include "base/ParallelJobs.h"
#include "data/DemoCodeTables.h"
#include "data/DemoDistrictPlan.h"
#include "data/DemoAreaBuilder.h"
#include "data/DemoOwnerPool.h"
#include "data/DemoRandom.h"

#include <QDir>

#include <mutex>
#include <thread>

namespace {

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
void buildAreas(const QString& dir, const DemoDistrictPlan& plan, const DemoOwnerPool& pool,
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
    DemoDistrictPlan::createEmptyDirectory(dir);
    DemoDistrictPlan::makeDirectory(workDb);
    DemoCodeTables::writeAll(workDb);

    const bool city = m_options.size == Size::City;
    const SizePlan size = planFor(m_options.size);
    DemoRandom random(m_options.seed);
    const DemoDistrictPlan plan = DemoDistrictPlan::make(
        city ? QStringLiteral("VZOROVÉ MĚSTO") : QStringLiteral("VZOROVÝ OKRES"),
        size.municipalities, size.areas, size.parts, random, 0, city ? 3 : 0);
    DemoOwnerPool pool(size.owners, plan.municipalities, random);

    Summary summary;
    summary.municipalities = int(plan.municipalities.size());
    summary.areas = int(plan.areas.size());
    summary.owners = pool.owners().size();
    plan.writeCatalogue(dir);
    DemoDistrictPlan::writeOwners(dir, pool.owners());
    buildAreas(dir, plan, pool, m_options.seed, city, summary);
    return summary;
}
