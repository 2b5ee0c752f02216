#pragma once

#include <QString>

// One entry of the program's own alias list: a name bound to a directory.
class IAlias
{
public:
    virtual ~IAlias() = default;
    virtual QString Name() const = 0;
    virtual void SetName(const QString& name) = 0;
    // The directory with a trailing separator (unless it is empty).
    virtual QString Path() const = 0;
    virtual void SetPath(const QString& path) = 0;
    // True for the program's internal aliases (the work alias "Pracovní").
    virtual bool Internal() const = 0;
};
