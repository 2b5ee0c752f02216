#pragma once

#include "settings/RegValue.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

// The contents of one registry file in the REGEDIT4 text format: keys in file
// order, each with its values in file order. Key and value names are compared
// ignoring case, as the registry does; the spelling first written is kept.
// Lookups go through indexes and removals leave gaps that are squeezed out
// now and then, so reading a file of n keys and values costs O(n log n).
class RegDocument
{
public:
    // Parses the bytes of a file. On failure returns false and sets `error`
    // to a Czech description naming the line.
    static bool parse(const QByteArray& bytes, RegDocument& out, QString& error);
    QByteArray serialize() const;

    bool isEmpty() const { return m_keyIndex.isEmpty(); }
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
        QString folded; // the name case-folded
        RegValue value;
        bool removed = false;
    };
    // A key's values. Most keys hold a few: they are searched in order; a key
    // with more gets a hash of its names.
    struct Key
    {
        static constexpr qsizetype IndexFrom = 16;

        QString path;
        QList<Entry> entries;
        QHash<QString, qsizetype> byName; // case-folded name -> index in entries
        qsizetype removedEntries = 0;
        bool removed = false;

        qsizetype find(const QString& folded) const;
        void add(Entry entry);
        void compact();
    };

    static void setEntry(Key& k, const QString& name, const RegValue& value);
    static bool removeEntry(Key& k, const QString& name);
    const Key* findKey(const QString& key) const;
    Key& keyForWriting(const QString& key);
    void compactKeys();

    QList<Key> m_keys;
    // Case-folded path -> index in m_keys. Sorted, so that the keys below a
    // key are one range: those starting with its path and a backslash.
    QMap<QString, qsizetype> m_keyIndex;
    qsizetype m_removedKeys = 0;
};
