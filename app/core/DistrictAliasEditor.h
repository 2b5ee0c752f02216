#pragma once

#include <QList>
#include <QString>

class EngineAliases;

// Edits the district aliases of the engine (driver "STANDARD", one directory
// of Paradox tables per district) in the engine's alias file. Every change is
// checked first and written at once (atomically); on an error nothing is
// changed and ETalvekException carries a Czech message. Aliases of other
// drivers in the same file are kept as they are, in their places.
class DistrictAliasEditor
{
public:
    struct District
    {
        QString name;
        QString directory;
    };

    // The engine's alias file (aliases.conf of the configuration directory).
    DistrictAliasEditor();
    explicit DistrictAliasEditor(QString filePath);

    // The district aliases in the engine's order, read from the file now.
    QList<District> districts() const;

    // A new alias bound to `directory`, which must hold a readable district
    // catalogue NYSKATAL.DB. The name must be new (case is ignored) and may
    // not contain [ ] = : / or a backslash.
    void add(const QString& name, const QString& directory);
    // Renames an alias; it keeps its directory and its place in the list.
    void rename(const QString& name, const QString& newName);
    // Binds an alias to another district directory (checked as for add).
    void repoint(const QString& name, const QString& directory);
    void remove(const QString& name);

    // Repairs for the command line, which may meet a hand-edited file: the
    // alias `name` with every repeated section of its name is removed, or
    // replaced by one alias of the district driver bound to `directory` (which
    // must exist; its catalogue is not checked). Repeated sections of other
    // names refuse the change, naming their line.
    void removeAll(const QString& name);
    void replace(const QString& name, const QString& directory);

    // The directory as stored: absolute, cleaned, with "/" separators.
    static QString normalizedDirectory(const QString& directory);
    // Throws when the name can't be an alias name.
    static void checkName(const QString& name);
    // Throws when the name can't be an alias name or is taken, so that work
    // meant to end with add() is refused before it starts.
    void checkNew(const QString& name) const;

private:
    EngineAliases load() const;
    EngineAliases loadForRepair(const QString& name) const;
    void save(const EngineAliases& aliases) const;
    void checkDistrict(const EngineAliases& aliases, const QString& name) const;

    QString m_filePath;
};
