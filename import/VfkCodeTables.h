#pragma once

#include "db/TableLock.h"
#include "db/paradox/ParadoxTable.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <memory>
#include <vector>

// Brings the code tables of a code-table directory up to what an import
// needs. An existing table keeps every row it has and gains the codes it
// lacks; a code whose text in the files differs is kept and named in a
// warning. A missing table is made from the files' code lists, completed by
// ORV's own lists (the fixed tables such as PARSKUP or SEKTOR come from
// there). The changed tables are replaced together: all of them or none.
//
// Two imports into one directory at once would each merge into what they read
// and the later write would drop the other's codes, so read, merge and write
// happen under lock(), which takes the engine's lock of every code table.
class StagedDirectory;

class VfkCodeTables
{
public:
    // Table file name -> rows offered by the files (key first).
    using Offered = QMap<QString, QList<QVariantList>>;
    using Locks = std::vector<std::unique_ptr<TableLock>>;

    explicit VfkCodeTables(const QString& directory);
    ~VfkCodeTables();
    // Locks every code table of the (existing) directory, always in the same
    // order so that two importers cannot wait for each other.
    Locks lock() const;
    // Computes the new tables from the directory as it is now, without
    // writing; returns the warnings.
    QStringList merge(const Offered& offered);
    // True when the last merge() changed any table.
    bool changed() const;
    // The codes the last merge() added to tables that existed, one line per
    // table ("Číselník DRUHPOZ.DB: doplněny kódy 98, 99"), for the summary.
    QStringList addedCodes() const { return m_added; }
    // Writes the changed tables into a scratch directory inside the
    // directory; nothing is replaced yet.
    void prepare();
    // Replaces the prepared tables, all of them or, on failure, none.
    void commit();
    // prepare() and commit() in one.
    void write();
    // Texts differing only in case or surrounding blanks are the same code text.
    static bool sameText(const QString& a, const QString& b);

private:
    struct Table
    {
        QString file;
        QList<ParadoxField> fields;
        QList<QVariantList> rows;
        bool changed = false;
    };
    QStringList m_added;
    // A prepared file and the file it replaces.
    struct Move
    {
        QString prepared;
        QString target;
        QString backup; // the old file's second name while replacing, or ""
    };
    QString tablePath(const QString& file) const;
    static void rollBack(const QList<Move>& moves, qsizetype renamed);

    QString m_directory;
    QList<Table> m_tables;
    std::unique_ptr<StagedDirectory> m_scratch;
    QList<Move> m_moves;
};
