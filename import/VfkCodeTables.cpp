#include "import/VfkCodeTables.h"
#include "base/ETalvekException.h"
#include "data/CadastralTables.h"
#include "data/DemoCodeTables.h"
#include "db/paradox/ParadoxTable.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
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

} // namespace

VfkCodeTables::VfkCodeTables(const QString& directory) : m_directory(directory) {}

bool VfkCodeTables::sameText(const QString& a, const QString& b)
{
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

QStringList VfkCodeTables::merge(const Offered& offered)
{
    QStringList warnings;
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

QList<std::function<void()>> VfkCodeTables::writeJobs() const
{
    if (!QDir().mkpath(m_directory))
        throw ETalvekException(QStringLiteral("Adresář číselníků %1 nelze vytvořit.")
                                   .arg(QDir::toNativeSeparators(m_directory)));
    QList<std::function<void()>> jobs;
    for (const Table& table : m_tables) {
        if (!table.changed)
            continue;
        const QString existing = ParadoxFiles::resolveCaseInsensitive(m_directory, table.file);
        const QString path =
            existing.isEmpty() ? m_directory + QLatin1Char('/') + table.file : existing;
        jobs.append(
            [path, &table] { ParadoxWriter::writeTable(path, table.fields, 1, table.rows); });
    }
    return jobs;
}
