#pragma once

#include "db/paradox/ParadoxTable.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <functional>

// Brings the code tables of a code-table directory up to what an import
// needs. An existing table keeps every row it has and gains the codes it
// lacks; a code whose text in the files differs is kept and named in a
// warning. A missing table is made from the files' code lists, completed by
// ORV's own lists (the fixed tables such as PARSKUP or SEKTOR come from
// there). Every changed table is replaced whole through the Paradox writer.
class VfkCodeTables
{
public:
    // Table file name -> rows offered by the files (key first).
    using Offered = QMap<QString, QList<QVariantList>>;

    // Computes the new tables without writing; returns the warnings.
    explicit VfkCodeTables(const QString& directory);
    QStringList merge(const Offered& offered);
    // One job per changed table, each writing it whole (run them at once:
    // every table waits mostly for the disk to confirm it).
    QList<std::function<void()>> writeJobs() const;
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
    QString m_directory;
    QList<Table> m_tables;
};
