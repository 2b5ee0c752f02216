#include "import/VfkImporter.h"
#include "base/ETalvekException.h"
#include "base/ParallelJobs.h"
#include "data/CadastralTables.h"
#include "data/DemoFields.h"
#include "import/VfkCodeTables.h"
#include "import/VfkDataSet.h"
#include "import/VfkDistrictBuilder.h"
#include "import/VfkReader.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

using namespace DemoFields;
using namespace CadastralTables;

QString nativePath(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

void cancelIfAsked(const VfkImporter::Progress& progress, int percent, const QString& what)
{
    if (progress && !progress(percent, what))
        throw ETalvekException(QStringLiteral("Import byl zrušen."));
}

using Jobs = QList<std::function<void()>>;

void addTable(Jobs& jobs, const QString& path, const QList<ParadoxField>& fields, int keys,
              const QList<QVariantList>& rows)
{
    jobs.append(
        [path, fields, keys, &rows] { ParadoxWriter::writeTable(path, fields, keys, rows); });
}

void addAreaTables(Jobs& jobs, const VfkArea& area, const QString& dir)
{
    auto path = [&](const char* prefix) {
        return dir + QLatin1Char('/') + PerAreaTable(prefix, area.suffix);
    };
    addTable(jobs, path(ParcelPrefix), parcelFields(), 4, area.parcels);
    addTable(jobs, path(RelationPrefix),
             {numberField("ELLVCIS"), shortField("VLPOR"), numberField("IDENT"),
              shortField("UVCHAR"), numberField("PODIL"), shortField("SEKTOR")},
             2, area.relations);
    // The sheets' records are produced while they are written (they repeat
    // one right on many sheets).
    const QList<ParadoxField> recordFields{numberField("DLVCIS"),  shortField("DOPLPOR"),
                                           shortField("DOPLKOD"),  numberField("DOPLUDAJ"),
                                           shortField("LISTDRUH"), numberField("LISTCIS"),
                                           numberField("DOPLVZ"),  shortField("DOPLZM")};
    const QList<ParadoxField> textFields{numberField("DLVCIS"), shortField("DOPLPOR"),
                                         shortField("RADEK"), alphaField("TEXT", 60)};
    jobs.append([path = path(RecordPrefix), recordFields, &area] {
        ParadoxWriter writer(path, recordFields, 3);
        area.records.forEachRecord([&](const QVariantList& row) { writer.addRow(row); });
        writer.commit();
    });
    jobs.append([path = path(RecordTextPrefix), textFields, &area] {
        ParadoxWriter writer(path, textFields, 3);
        area.records.forEachText([&](const QVariantList& row) { writer.addRow(row); });
        writer.commit();
    });
    addTable(jobs, path(SoilPrefix),
             {shortField("PARSKUP"), numberField("PARCIS"), shortField("PARPOD"),
              numberField("VYMERA"), alphaField("BONITA", 5), numberField("BPOLVZ")},
             0, area.soil);
}

// Writing a table waits mostly for the disk to confirm the file; eight
// tables at once overlap those waits.
void runAll(const Jobs& jobs)
{
    RunParallelJobs(int(jobs.size()), 8, [&jobs](int i) { jobs[i](); });
}

} // namespace

VfkImporter::VfkImporter(Options options, Progress progress)
    : m_options(std::move(options)), m_progress(std::move(progress))
{
}

void VfkImporter::step(int percent, const QString& what) const
{
    cancelIfAsked(m_progress, percent, what);
}

VfkDistrict VfkImporter::readDistrict(const QStringList& files, const Progress& progress)
{
    VfkDataSet data;
    for (int i = 0; i < files.size(); ++i) {
        cancelIfAsked(progress, 5 + 50 * i / int(files.size()),
                      QStringLiteral("Čtu %1").arg(QFileInfo(files[i]).fileName()));
        data.add(VfkReader::readFile(files[i]));
    }
    cancelIfAsked(progress, 60, QStringLiteral("Převádím data okresu"));
    return VfkDistrictBuilder(data).build();
}

void VfkImporter::writeDistrict(const VfkDistrict& district, const QString& dir)
{
    Jobs jobs;
    addTable(jobs, dir + QLatin1Char('/') + QLatin1String(CatalogueTable),
             {alphaField("KATUZ", 5), alphaField("IDENTCIS", 6), alphaField("PORCIS", 3),
              alphaField("NAZEV", 30)},
             1, district.catalogue);
    addTable(jobs, dir + QLatin1Char('/') + QLatin1String(OwnerTable),
             {numberField("IDENT"), shortField("UVCHAR"), alphaField("NAZEV", 60)}, 2,
             district.owners);
    for (const VfkArea& area : district.areas)
        addAreaTables(jobs, area, dir);
    runAll(jobs);
}

VfkDistrict VfkImporter::run()
{
    if (m_options.files.isEmpty())
        throw ETalvekException(QStringLiteral("Není zadán žádný soubor VFK."));
    const QString out = QDir::cleanPath(QFileInfo(m_options.outDir).absoluteFilePath());
    const QFileInfo target(out);
    if (target.exists() &&
        (!target.isDir() ||
         !QDir(out).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)))
        throw ETalvekException(QStringLiteral("Adresář %1 není prázdný; okres se importuje jen do "
                                              "nového nebo prázdného adresáře.")
                                   .arg(nativePath(out)));
    VfkDistrict district = readDistrict(m_options.files, m_progress);
    VfkCodeTables codeTables(m_options.workDb);
    district.warnings += codeTables.merge(district.codeRows);

    const QString parent = target.absolutePath();
    if (!QDir().mkpath(parent))
        throw ETalvekException(
            QStringLiteral("Adresář %1 nelze vytvořit.").arg(nativePath(parent)));

    step(75, QStringLiteral("Zapisuji tabulky okresu"));
    QTemporaryDir temporary(parent + QLatin1Char('/') + target.fileName() +
                            QStringLiteral(".import-XXXXXX"));
    if (!temporary.isValid())
        throw ETalvekException(QStringLiteral("V adresáři %1 nelze vytvořit dočasný adresář: %2")
                                   .arg(nativePath(parent), temporary.errorString()));
    writeDistrict(district, temporary.path());
    step(90, QStringLiteral("Zapisuji číselníky"));
    runAll(codeTables.writeJobs());
    if (target.exists() && !QDir().rmdir(out))
        throw ETalvekException(
            QStringLiteral("Prázdný adresář %1 nelze nahradit.").arg(nativePath(out)));
    if (!QDir().rename(temporary.path(), out))
        throw ETalvekException(QStringLiteral("Dočasný adresář %1 nelze přejmenovat na %2.")
                                   .arg(nativePath(temporary.path()), nativePath(out)));
    temporary.setAutoRemove(false);
    step(100, QStringLiteral("Hotovo"));
    return district;
}

QStringList VfkImporter::summary(const VfkDistrict& district)
{
    QStringList lines;
    lines.append(QStringLiteral("okres %1 (%2): %3 katastrálních území, %4 vlastníků")
                     .arg(district.name, district.code)
                     .arg(district.areas.size())
                     .arg(district.owners.size()));
    for (const VfkArea& area : district.areas)
        lines.append(QStringLiteral("  %1 %2 (%3): %4 dílů parcel, %5 listů vlastnictví, %6 "
                                    "vlastníků, %7 doplňků, %8 řádků textů, %9 bonit")
                         .arg(area.suffix, area.name, area.code)
                         .arg(area.parcels.size())
                         .arg(area.sheets)
                         .arg(area.owners)
                         .arg(area.records.recordCount())
                         .arg(area.records.textCount())
                         .arg(area.soil.size()));
    lines.append(QStringLiteral("opravené dvojitě kódované texty: %1").arg(district.repairedTexts));
    for (const QString& warning : district.warnings)
        lines.append(QStringLiteral("upozornění: ") + warning);
    return lines;
}
