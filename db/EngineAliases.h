#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The engine's named database aliases, kept in the INI file "aliases.conf" of
// the configuration directory. Each section is one alias; its keys are the
// alias parameters (DRIVER and PATH for a directory of Paradox tables). The
// order of the sections is the engine's order of the aliases and is kept
// across loads and saves. Alias names are compared without regard to case.
class EngineAliases
{
public:
    struct Alias
    {
        QString name;
        QString driver;
        QList<QPair<QString, QString>> params; // in file order, DRIVER excluded
    };

    // The driver of a directory of Paradox (and dBASE) tables.
    static QString standardDriver() { return QStringLiteral("STANDARD"); }

    // aliases.conf in the program's configuration directory.
    static QString defaultFilePath();

    EngineAliases() = default;
    explicit EngineAliases(QString filePath);

    // A section whose alias name an earlier section already has.
    struct Duplicate
    {
        QString name;
        int line = 0;      // line of the repeated section header
        int firstLine = 0; // line of the first section of that name
    };
    enum class Duplicates
    {
        Refuse, // raise ETalvekException naming the line
        Keep    // keep every section, for a repair that removes or replaces them
    };

    // Reads the file; a missing file gives no aliases. A malformed line raises
    // ETalvekException naming the file and line; so does a repeated alias
    // name unless `duplicates` is Keep.
    void load(Duplicates duplicates = Duplicates::Refuse);
    // The repeated sections found by the last load with Duplicates::Keep.
    const QList<Duplicate>& duplicates() const { return m_duplicates; }
    // "Soubor aliasů '…', řádek n: …" for a repeated section.
    QString duplicateMessage(const Duplicate& duplicate) const;
    // Writes the file atomically (temporary file renamed over the old one).
    void save() const;

    const QString& filePath() const { return m_filePath; }
    QStringList names() const;
    bool contains(const QString& name) const;
    QString driverName(const QString& name) const;
    // Parameters as "NAME=VALUE" lines, PATH included.
    QStringList params(const QString& name) const;
    QString param(const QString& name, const QString& key) const;
    QString path(const QString& name) const { return param(name, QStringLiteral("PATH")); }

    // Adds an alias at the end; an existing name raises ETalvekException.
    void add(const QString& name, const QString& driver, const QStringList& params);
    void addStandard(const QString& name, const QString& directory);
    // Replaces or adds the given "NAME=VALUE" parameters of an existing alias.
    void modify(const QString& name, const QStringList& params);
    // Removes the alias, with every repeated section of its name.
    void remove(const QString& name);

private:
    int indexOf(const QString& name) const;
    const Alias& aliasOrThrow(const QString& name) const;
    static void checkName(const QString& name);
    static QPair<QString, QString> splitParam(const QString& line);

    QString m_filePath;
    QList<Alias> m_aliases;
    QList<Duplicate> m_duplicates;
};
