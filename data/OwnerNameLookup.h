#pragma once

#include <QHash>
#include <QPair>
#include <QString>

#include <memory>

class Table;

// The name of an owner or user (NAZEV of the owner table NYSOBORG) for the
// IDENT and UVCHAR of a relation row. The browser, the text listings and the
// printed forms all name people through this one rule: the row with both
// values; else the first row, in key order, with the same IDENT, since the
// owner table may carry the person under another characteristic than the
// relation does (and that row may sort before the relation's key or after
// it); else "nenalezen".
class OwnerNameLookup
{
public:
    // Looks names up in the owner table of `database` (an alias or a
    // directory), opened read-only on first use; each key is looked up once.
    explicit OwnerNameLookup(const QString& database);
    ~OwnerNameLookup();
    QString Name(double ident, int uvchar);
    // Whether the owner table lists `ident` under a person's characteristic
    // (BirthNumberMask::IsPersonCharacteristic): for outputs whose rows do
    // not carry the characteristic, such as the owners listing.
    bool IsPerson(double ident);

    // The rule on an owner table ordered by IDENT;UVCHAR; "nenalezen" when
    // the table is not open.
    static QString Find(Table& owners, double ident, int uvchar);
    static QString NotFound();

private:
    Table& Owners();

    QString m_database;
    std::unique_ptr<Table> m_owners;
    QHash<QPair<double, int>, QString> m_names;
    QHash<double, bool> m_persons;
};
