#include "import/VfkCodeTables.h"
#include "base/ETalvekException.h"
#include "base/ParallelJobs.h"
#include "base/StagedDirectory.h"
#include "data/CadastralTables.h"
#include "data/DemoCodeTables.h"
#include "db/paradox/ParadoxTable.h"

#include <QDir>
#include <QHash>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <map>
#include <optional>

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
// (well under a second). The engine takes a lock over as left by a crashed
// writer after 30 s: waiting longer than that, an import killed while holding
// the locks delays the next one instead of failing it.
constexpr int LockWaitMs = 35000;

QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

// Scratch directories of imports in this process get different names.
std::atomic<int> scratchCount{0};

struct OwnTable
{
    QList<ParadoxField> fields;
    QList<QVariantList> rows;
};

// ORV's own code lists, as its code-table writer makes them: written once per
// process into a scratch directory and read back (every import merges twice,
// and each writing costs a disk confirmation per table).
const QHash<QString, OwnTable>& ownTables()
{
    static const QHash<QString, OwnTable> tables = [] {
        QTemporaryDir own;
        if (!own.isValid())
            throw ETalvekException(QStringLiteral("Dočasný adresář pro číselníky nelze vytvořit."));
        DemoCodeTables::writeAll(own.path());
        QHash<QString, OwnTable> read;
        for (const char* name : TableFiles) {
            const ParadoxReader reader(own.filePath(QString::fromLatin1(name)));
            read.insert(QString::fromLatin1(name), {reader.header().fields, reader.readAll()});
        }
        return read;
    }();
    return tables;
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
    m_added.clear();
    for (const char* name : TableFiles) {
        const QString file = QString::fromLatin1(name);
        const QString existing = ParadoxFiles::resolveCaseInsensitive(m_directory, file);
        const bool exists = !existing.isEmpty();
        const OwnTable& own = ownTables()[file];
        std::optional<ParadoxReader> base;
        if (exists)
            base.emplace(existing);
        Table table{file, exists ? base->header().fields : own.fields, {}, !exists};
        std::map<qint64, QVariantList> rows;
        const QList<QVariantList> baseRows = exists ? base->readAll() : own.rows;
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
            QStringList added;
            for (const QVariantList& row : offered.value(file))
                if (take(row, true)) {
                    table.changed = true;
                    added.append(row.value(0).toString());
                }
            if (!added.isEmpty())
                m_added.append(QStringLiteral("Číselník %1: doplněny kódy %2")
                                   .arg(file, added.join(QStringLiteral(", "))));
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
    // The tables are written complete (each file confirmed by the disk) into
    // a scratch directory beside them, so that replacing them is renaming.
    // A killed import leaves its scratch directory to the next one.
    StagedDirectory::removeAbandoned(m_directory);
    m_scratch = std::make_unique<StagedDirectory>(m_directory + QStringLiteral("/.ciselniky-") +
                                                  QString::number(++scratchCount));
    const QString scratch = m_scratch->path() + QLatin1Char('/');
    QList<const Table*> changed;
    for (const Table& table : m_tables)
        if (table.changed)
            changed.append(&table);
    // Every table waits mostly for the disk to confirm it: write them at once.
    RunParallelJobs(int(changed.size()), 8, [&](int i) {
        ParadoxWriter::writeTable(scratch + changed[i]->file, changed[i]->fields, 1,
                                  changed[i]->rows);
    });
    m_moves.clear();
    for (const Table* table : changed) {
        const QString target = tablePath(table->file);
        const QString base = QFileInfo(table->file).completeBaseName();
        const QString index = ParadoxFiles::companionFile(target, QStringLiteral("PX"));
        const bool lower = QFileInfo(target).suffix() == QLatin1String("db");
        // The .DB comes last: a reader finds the old table or the new one.
        m_moves.append({scratch + base + QLatin1String(".PX"),
                        index.isEmpty() ? m_directory + QLatin1Char('/') + base +
                                              QLatin1String(lower ? ".px" : ".PX")
                                        : index,
                        {}});
        m_moves.append({scratch + table->file, target, {}});
    }
}

// Puts the old files back over the `renamed` first moves and removes the
// second names of the rest.
void VfkCodeTables::rollBack(const QList<Move>& moves, qsizetype renamed)
{
    for (qsizetype i = 0; i < moves.size(); ++i) {
        const Move& move = moves[i];
        if (i < renamed && move.backup.isEmpty())
            QFile::remove(move.target); // there was no old file
        else if (i < renamed)
            std::rename(native(move.backup).constData(), native(move.target).constData());
        else if (!move.backup.isEmpty())
            QFile::remove(move.backup);
    }
}

void VfkCodeTables::commit()
{
    QList<Move> moves = std::move(m_moves);
    m_moves.clear();
    qsizetype renamed = 0;
    try {
        // The old files are kept under a second name (a hard link, or a copy
        // where the file system has none) until every new one is in place.
        for (Move& move : moves) {
            struct stat st = {};
            if (::lstat(native(move.target).constData(), &st) != 0)
                continue;
            move.backup = move.target + QStringLiteral(".orv-old");
            ::unlink(native(move.backup).constData()); // left by an interrupted run
            if (::link(native(move.target).constData(), native(move.backup).constData()) != 0) {
                const int linkError = errno;
                if (!QFile::copy(move.target, move.backup))
                    throw ETalvekException(
                        QStringLiteral("Číselník %1 nelze nahradit: %2")
                            .arg(QDir::toNativeSeparators(move.target),
                                 QString::fromLocal8Bit(std::strerror(linkError))));
            }
        }
        for (const Move& move : std::as_const(moves)) {
            if (std::rename(native(move.prepared).constData(), native(move.target).constData()) !=
                0)
                throw ETalvekException(QStringLiteral("Číselník %1 nelze nahradit: %2")
                                           .arg(QDir::toNativeSeparators(move.target),
                                                QString::fromLocal8Bit(std::strerror(errno))));
            ++renamed;
        }
    } catch (...) {
        rollBack(moves, renamed);
        m_scratch.reset();
        throw;
    }
    for (const Move& move : std::as_const(moves))
        if (!move.backup.isEmpty())
            QFile::remove(move.backup);
    m_scratch.reset();
}

void VfkCodeTables::write()
{
    prepare();
    commit();
}
