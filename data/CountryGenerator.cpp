#include "data/CountryGenerator.h"

#include "base/CzechPlural.h"
#include "base/ETalvekException.h"
#include "base/ParallelJobs.h"
#include "data/CadastralTables.h"
#include "data/DemoDistrictPlan.h"
#include "data/DemoFields.h"
#include "data/DemoOwnerPool.h"
#include "data/DemoRandom.h"
#include "db/EngineAliases.h"
#include "db/paradox/ParadoxTable.h"

#include <QDir>
#include <QSet>

#include <algorithm>
#include <mutex>
#include <thread>

namespace {

constexpr int MunicipalitySheet = 10001;
constexpr int StateSheet = 10002;
// Of the private owners on a sheet, this percentage comes from the
// nationwide pool; the others live in the district.
constexpr int NationalPercent = 6;
// Owners of a district per relation row of it.
constexpr int RelationsPerLocalOwner = 2;

qint64 share(int numerator, int denominator)
{
    return qint64(numerator) * 100000 + denominator;
}

// Where the owners of one district's sheets come from.
struct OwnerSources
{
    const DemoOwnerPool& national;
    const QSet<qint64>& nationalIdents;
    const DemoOwnerPool& local;
};

// The relation rows of one area and the nationwide owners they name.
class AreaRelations
{
public:
    AreaRelations(const OwnerSources& owners, quint64 seed) : m_owners(owners), m_random(seed) {}

    qint64 write(const QString& path, const DemoAreaPlan& area, qint64 rowsWanted)
    {
        ParadoxWriter writer(path, DemoFields::relationFields(), 2);
        const DemoOwnerPool& national = m_owners.national;
        const int stateBody = national.stateBody(m_random);
        m_nationalUsed << national.stateOwner() << stateBody;
        add(writer, MunicipalitySheet,
            {&m_owners.local.owners()[m_owners.local.municipality(area.municipality)]});
        add(writer, StateSheet,
            {&national.owners()[national.stateOwner()], &national.owners()[stateBody]});
        // Private sheets run past the municipality's and the State's sheets
        // in a large area: they skip those numbers.
        for (int sheet = 1; writer.rowCount() < rowsWanted; ++sheet) {
            if (sheet == MunicipalitySheet || sheet == StateSheet)
                continue;
            add(writer, sheet, privateOwners());
        }
        writer.commit();
        return writer.rowCount();
    }
    const QSet<int>& nationalUsed() const { return m_nationalUsed; }

private:
    // 1 to 4 distinct owners, most sheets having one.
    QList<const DemoOwner*> privateOwners()
    {
        const int kind = m_random.below(100);
        const int count = kind < 78 ? 1 : kind < 92 ? 2 : kind < 97 ? 3 : 4;
        QList<const DemoOwner*> owners;
        while (owners.size() < count) {
            const DemoOwner* owner = drawPrivate();
            if (std::none_of(owners.begin(), owners.end(),
                             [&](const DemoOwner* o) { return o->ident == owner->ident; }))
                owners << owner;
        }
        return owners;
    }

    const DemoOwner* drawPrivate()
    {
        if (m_random.percent(NationalPercent)) {
            const int index = m_owners.national.randomPrivate(m_random);
            m_nationalUsed << index;
            return &m_owners.national.owners()[index];
        }
        // A local number that a nationwide owner has is drawn again, so that
        // one IDENT never names two people in a district.
        for (;;) {
            const DemoOwner& owner =
                m_owners.local.owners()[m_owners.local.randomPrivate(m_random)];
            if (!m_owners.nationalIdents.contains(owner.ident))
                return &owner;
        }
    }

    void add(ParadoxWriter& writer, int sheet, const QList<const DemoOwner*>& owners)
    {
        const int count = int(owners.size());
        for (int i = 0; i < count; ++i)
            writer.addRow({double(sheet), i + 1, double(owners[i]->ident), owners[i]->uvchar,
                           double(share(1, count)), owners[i]->sector});
    }

    const OwnerSources& m_owners;
    DemoRandom m_random;
    QSet<int> m_nationalUsed;
};

QString districtName(int index, int districts)
{
    const int width = std::max(2, int(QString::number(districts).size()));
    return QStringLiteral("OKRES%1").arg(index + 1, width, 10, QLatin1Char('0'));
}

// The owner table: the district's own owners and the nationwide ones that
// hold a sheet in it.
QList<DemoOwner> districtOwners(const OwnerSources& sources, const QSet<int>& nationalUsed)
{
    QList<DemoOwner> owners;
    for (const DemoOwner& owner : sources.local.owners())
        if (!sources.nationalIdents.contains(owner.ident))
            owners << owner;
    QList<int> used(nationalUsed.begin(), nationalUsed.end());
    std::sort(used.begin(), used.end());
    for (const int index : used)
        owners << sources.national.owners()[index];
    return owners;
}

} // namespace

CountryGenerator::CountryGenerator(const Options& options) : m_options(options) {}

CountryGenerator::Summary CountryGenerator::generate(const QString& directory,
                                                     const Progress& progress) const
{
    const Options& o = m_options;
    if (o.districts < 1 || o.areas < o.districts || o.areas > o.districts * 999 ||
        o.nationalOwners < 20)
        throw ETalvekException(
            QStringLiteral("Nesmyslná velikost země: %1, %2 území.")
                .arg(CzechPlural::Count(o.districts, QStringLiteral("okres"),
                                        QStringLiteral("okresy"), QStringLiteral("okresů")))
                .arg(o.areas));
    const QString root = QDir::cleanPath(directory);
    DemoDistrictPlan::createEmptyDirectory(root);
    DemoRandom countryRandom(o.seed);
    const DemoOwnerPool national(o.nationalOwners, {}, countryRandom);
    QSet<qint64> nationalIdents;
    for (const DemoOwner& owner : national.owners())
        nationalIdents << owner.ident;

    Summary summary;
    const qint64 rowsPerArea = std::max<qint64>(4, o.relations / o.areas);
    for (int d = 0; d < o.districts; ++d) {
        District district;
        district.name = districtName(d, o.districts);
        district.directory = root + QLatin1Char('/') + district.name;
        district.areas = o.areas / o.districts + (d < o.areas % o.districts ? 1 : 0);
        DemoDistrictPlan::makeDirectory(district.directory);
        DemoRandom random(o.seed * 1000003 + quint64(d) + 1);
        const DemoDistrictPlan plan = DemoDistrictPlan::make(
            QStringLiteral("SYNTETICKÝ OKRES %1").arg(d + 1), std::max(1, district.areas * 6 / 10),
            district.areas, district.areas * rowsPerArea, random, d * 1000);
        const DemoOwnerPool local(
            int(std::max<qint64>(100, district.areas * rowsPerArea / RelationsPerLocalOwner)),
            plan.municipalities, random);
        const OwnerSources sources{national, nationalIdents, local};
        QSet<int> nationalUsed;
        std::mutex mutex;
        // Writing a table waits mostly for the disk to confirm it: several at once.
        const int threads = std::clamp(int(std::thread::hardware_concurrency()) * 8, 4, 16);
        RunParallelJobs(district.areas, threads, [&](int a) {
            const DemoAreaPlan& area = plan.areas[a];
            AreaRelations relations(sources,
                                    (o.seed * 1000003 + quint64(d)) * 1009 + quint64(area.porcis));
            const qint64 rows = relations.write(
                district.directory + QLatin1Char('/') +
                    CadastralTables::PerAreaTable(CadastralTables::RelationPrefix,
                                                  CadastralTables::AreaSuffix(area.porcis)),
                area, rowsPerArea * (60 + (area.porcis * 37) % 81) / 100);
            const std::lock_guard lock(mutex);
            district.relations += rows;
            nationalUsed += relations.nationalUsed();
        });
        const QList<DemoOwner> owners = districtOwners(sources, nationalUsed);
        DemoDistrictPlan::writeOwners(district.directory, owners);
        plan.writeCatalogue(district.directory);
        district.owners = owners.size();
        summary.areas += district.areas;
        summary.relations += district.relations;
        summary.districts << district;
        if (progress)
            progress(d + 1, o.districts);
    }
    return summary;
}

QStringList CountryGenerator::districtNames() const
{
    QStringList names;
    for (int d = 0; d < m_options.districts; ++d)
        names << districtName(d, m_options.districts);
    return names;
}

void CountryGenerator::checkAliasesFree(const EngineAliases& aliases) const
{
    for (const QString& name : districtNames())
        if (aliases.contains(name))
            throw ETalvekException(
                QStringLiteral("Alias '%1' už je definován; země se nezapíše.").arg(name));
}

void CountryGenerator::defineAliases(EngineAliases& aliases, const Summary& summary)
{
    for (const District& district : summary.districts)
        aliases.addStandard(district.name, district.directory);
}
