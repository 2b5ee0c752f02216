#include "import/VfkImportPlan.h"
#include "import/VfkDataSet.h"
#include "import/VfkReader.h"

#include <numeric>

namespace {

QSet<QString> areasOf(const VfkFile& file, std::initializer_list<const char*> blocks)
{
    QSet<QString> areas;
    for (const char* name : blocks) {
        const VfkBlock block = file.blocks.value(QString::fromLatin1(name));
        const int column = block.column(QStringLiteral("KATUZE_KOD"));
        for (qsizetype r = 0; column >= 0 && r < block.rows.size(); ++r)
            areas.insert(block.value(r, column));
    }
    areas.remove(QString());
    return areas;
}

// The areas a file belongs to: those of its parcels. A file of an area
// carries the map points of its neighbours' boundaries too (with the
// neighbour's code): those do not tie it to the neighbour's files, or every
// file of a district would be one group. A map file without parcels
// belongs to the areas of its points.
QSet<QString> areasOf(const VfkFile& file)
{
    const QSet<QString> parcels = areasOf(file, {"PAR"});
    return parcels.isEmpty() ? areasOf(file, {"SOBR", "SPOL"}) : parcels;
}

} // namespace

VfkImportPlan::VfkImportPlan(const QStringList& files, const Progress& progress)
{
    VfkReader::Selection selection = VfkDistrictBuilder::catalogueColumns();
    selection.insert(QStringLiteral("SOBR"), {QStringLiteral("KATUZE_KOD")});
    selection.insert(QStringLiteral("SPOL"), {QStringLiteral("KATUZE_KOD")});
    VfkDataSet data;
    QList<QSet<QString>> areasOfFile;
    for (int i = 0; i < files.size(); ++i) {
        if (progress)
            progress(i, 0);
        VfkFile file = VfkReader::readFile(files[i], selection, [&](qint64 bytes) {
            if (progress)
                progress(i, bytes);
        });
        areasOfFile.append(areasOf(file));
        file.blocks.remove(QStringLiteral("SOBR"));
        file.blocks.remove(QStringLiteral("SPOL"));
        data.add(std::move(file));
    }
    m_district = VfkDistrictBuilder(data).buildCatalogue(m_plan);
    group(areasOfFile);
}

// Files that share an area are one group (joined transitively). A file that
// names no area (code lists, owners alone) may hold what any area needs:
// then every file is one group, as memory allows.
void VfkImportPlan::group(const QList<QSet<QString>>& areasOfFile)
{
    const int n = int(areasOfFile.size());
    QList<int> root(n);
    std::iota(root.begin(), root.end(), 0);
    const auto find = [&](int i) {
        while (root[i] != i)
            i = root[i] = root[root[i]];
        return i;
    };
    QHash<QString, int> fileOfArea;
    bool unplaced = false;
    for (int i = 0; i < n; ++i) {
        unplaced = unplaced || areasOfFile[i].isEmpty();
        for (const QString& area : areasOfFile[i]) {
            const auto known = fileOfArea.constFind(area);
            if (known == fileOfArea.cend())
                fileOfArea.insert(area, i);
            else
                root[find(i)] = find(*known);
        }
    }
    QHash<int, int> groupOfRoot;
    for (int i = 0; i < n; ++i) {
        const int r = unplaced ? 0 : find(i);
        const auto it = groupOfRoot.constFind(r);
        if (it == groupOfRoot.cend()) {
            groupOfRoot.insert(r, int(m_groups.size()));
            m_groups.append(QList<int>{i});
        } else {
            m_groups[*it].append(i);
        }
    }
    for (const QList<int>& files : std::as_const(m_groups)) {
        QSet<QString> codes;
        for (const int i : files)
            codes.unite(areasOfFile[i]);
        QStringList names;
        for (const VfkArea& area : m_district.areas)
            if (unplaced || codes.contains(area.code))
                names.append(area.name);
        m_groupAreas.append(names);
    }
}
