#pragma once

#include "app/core/IAlias.h"

// One alias held as its own copy of the text "name=directory". Changing the
// name or the directory changes only this object, never the list or registry.
class TOAlias : public IAlias
{
public:
    explicit TOAlias(QString entry);

    // The name of the work alias, the one internal alias of the program.
    static QString WorkAliasName() { return QStringLiteral("Pracovní"); }

    QString Name() const override;
    void SetName(const QString& name) override;
    QString Path() const override;
    void SetPath(const QString& path) override;
    bool Internal() const override;

    const QString& Entry() const { return m_entry; }

private:
    QString directoryPart() const;

    QString m_entry;
};
