#pragma once

#include "app/core/RegValue.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// The contents of one registry file in the REGEDIT4 text format: keys in file
// order, each with its values in file order. Key and value names are compared
// ignoring case, as the registry does; the spelling first written is kept.
class RegDocument
{
public:
    // Parses the bytes of a file. On failure returns false and sets `error`
    // to a Czech description naming the line.
    static bool parse(const QByteArray& bytes, RegDocument& out, QString& error);
    QByteArray serialize() const;

    bool isEmpty() const { return m_keys.isEmpty(); }
    bool hasKey(const QString& key) const;
    void ensureKey(const QString& key);
    // Removes the key and all keys below it.
    void removeKey(const QString& key);

    const RegValue* value(const QString& key, const QString& name) const;
    QStringList valueNames(const QString& key) const;
    void setValue(const QString& key, const QString& name, const RegValue& value);
    bool removeValue(const QString& key, const QString& name);

    static QString normalizedKey(const QString& key);

private:
    struct Entry
    {
        QString name;
        RegValue value;
    };
    struct Key
    {
        QString path;
        QList<Entry> entries;
        QHash<QString, qsizetype> byName; // case-folded name -> index in entries
    };

    const Key* findKey(const QString& key) const;
    Key& keyForWriting(const QString& key);

    QList<Key> m_keys;
};
