#include "import/VfkCodeTables.h"
#include "base/ETalvekException.h"
#include "base/ParallelJobs.h"
#include "data/CadastralTables.h"
#include "data/DemoCodeTables.h"
#include "db/paradox/ParadoxTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <map>

namespace {

const char* const TableFiles[] = {CadastralTables::ParcelGroupTable,
                                  CadastralTables::AreaQualityTable,
                                  CadastralTables::LandKindTable,
                                  CadastralTables::LandUseTable,
                                  CadastralTables::ProtectionTable,
                                  "OCHRNEM2.DB",
                                  "OCHRNEM3.DB",
                                  CadastralTables::LegalRelationTable,
                                  CadastralTables::OwnerCharacteristicTable,
                                  CadastralTables::SectorTable,
                                  CadastralTables::RecordKindTable,
                                  CadastralTables::DeedKindTable};

// Texts cut to the width of their Alpha fields, numbers as they are.
QVariantList fitted(const QVariantList& row, const QList<ParadoxField>& fields)
{
    QVariantList out;
    for (int i = 0; i < fields.size(); ++i) {
        const QVariant v = row.value(i);
        if (fields[i].type == ParadoxFieldType::Alpha)
            out.append(v.toString().left(fields[i].size));
        else
            out.append(v.isValid() ? QVariant(v.toLongLong()) : QVariant());
    }
    return out;
}

// The second import waits while the first merges and writes the code tables
// (well under a second); the engine's lock counts as stale only after 30 s.
constexpr int LockWaitMs = 20000;

QByteArray fileContents(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ETalvekException(QStringLiteral("Soubor %1 nelze přečíst: %2")
                                   .arg(QDir::toNativeSeparators(path), file.errorString()));
    return file.readAll();
}

} // namespace

VfkCodeTables::VfkCodeTables(const QString& directory) : m_directory(directory) {}

VfkCodeTables::~VfkCodeTables() = default;

QString VfkCodeTables::tablePath(const QString& file) const
{
    const QString existing = ParadoxFiles::resolveCaseInsensitive(m_directory, file);
    return existing.isEmpty() ? m_directory + QLatin1Char('/') + file : existing;
}

VfkCodeTables::Locks VfkCodeTables::lock() const
{
    Locks locks;
    for (const char* name : TableFiles)
        locks.push_back(
            std::make_unique<TableLock>(tablePath(QString::fromLatin1(name)), LockWaitMs));
    return locks;
}

bool VfkCodeTables::sameText(const QString& a, const QString& b)
{
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

QStringList VfkCodeTables::merge(const Offered& offered)
{
    QStringList warnings;
    m_tables.clear();
    QTemporaryDir own;
    if (!own.isValid())
        throw ETalvekException(QStringLiteral("Dočasný adresář pro číselníky nelze vytvořit."));
    DemoCodeTables::writeAll(own.path());
    for (const char* name : TableFiles) {
        const QString file = QString::fromLatin1(name);
        const QString existing = ParadoxFiles::resolveCaseInsensitive(m_directory, file);
        const bool exists = !existing.isEmpty();
        const ParadoxReader base(exists ? existing : own.path() + QLatin1Char('/') + file);
        Table table{file, base.header().fields, {}, !exists};
        std::map<qint64, QVariantList> rows;
        const QList<QVariantList> baseRows = base.readAll();
        auto take = [&](const QVariantList& row, bool fromFile) {
            const QVariantList fit = fitted(row, table.fields);
            const qint64 key = fit.value(0).toLongLong();
            const auto it = rows.find(key);
            if (it == rows.end()) {
                rows.emplace(key, fit);
                return true;
            }
            const int text =
                int(table.fields.size()) - (file == QLatin1String("NIXDTEXT.DB") ? 3 : 1);
            if (fromFile && exists &&
                !sameText(it->second.value(text).toString(), fit.value(text).toString()))
                warnings.append(
                    QStringLiteral("Číselník %1: kód %2 má v souboru text „%3“, ponechán "
                                   "dosavadní „%4“.")
                        .arg(file)
                        .arg(key)
                        .arg(fit.value(text).toString(), it->second.value(text).toString()));
            return false;
        };
        if (exists) {
            for (const QVariantList& row : baseRows)
                take(row, false);
            for (const QVariantList& row : offered.value(file))
                table.changed = take(row, true) || table.changed;
        } else {
            for (const QVariantList& row : offered.value(file))
                take(row, true);
            for (const QVariantList& row : baseRows)
                take(row, false);
        }
        for (auto& [key, row] : rows)
            table.rows.append(std::move(row));
        m_tables.append(std::move(table));
    }
    return warnings;
}

bool VfkCodeTables::changed() const
{
    return std::any_of(m_tables.cbegin(), m_tables.cend(),
                       [](const Table& table) { return table.changed; });
}

void VfkCodeTables::prepare()
{
    // Each table is written by the Paradox writer into a scratch directory
    // and its files then replace the directory's as one set.
    QTemporaryDir scratch;
    if (!scratch.isValid())
        throw ETalvekException(QStringLiteral("Dočasný adresář pro číselníky nelze vytvořit."));
    QList<const Table*> changed;
    for (const Table& table : m_tables)
        if (table.changed)
            changed.append(&table);
    // Every table waits mostly for the disk to confirm it: write them at once.
    RunParallelJobs(int(changed.size()), 8, [&](int i) {
        ParadoxWriter::writeTable(scratch.filePath(changed[i]->file), changed[i]->fields, 1,
                                  changed[i]->rows);
    });
    m_prepared = std::make_unique<ParadoxFileSet>();
    for (const Table* table : changed) {
        const QString target = tablePath(table->file);
        const QString base = QFileInfo(table->file).completeBaseName();
        const bool lower = QFileInfo(target).suffix() == QLatin1String("db");
        const QString index = ParadoxFiles::companionFile(target, QStringLiteral("PX"));
        // The .DB comes last: a reader finds either the old table or the new.
        m_prepared->write(index.isEmpty()
                              ? m_directory + QLatin1Char('/') + base +
                                    (lower ? QLatin1String(".px") : QLatin1String(".PX"))
                              : index,
                          fileContents(scratch.filePath(base + QLatin1String(".PX"))));
        m_prepared->write(target, fileContents(scratch.filePath(table->file)));
    }
}

void VfkCodeTables::commit()
{
    if (m_prepared)
        m_prepared->commit();
    m_prepared.reset();
}

void VfkCodeTables::write()
{
    prepare();
    commit();
}
