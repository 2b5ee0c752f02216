#pragma once

#include <QString>
#include <QVariantList>

class Table;

// The own texts of the parts shown in the browser, kept in the area's table
// "ORVTX" + suffix + ".DB" (created with its first use): one text a part,
// loaded when the part is shown and stored when the user leaves it. The
// editor itself stays with the window; this class holds the part whose text
// is in it and whether it was changed.
class TOwnText
{
public:
    // `table` is owned by the caller (the browser's table set).
    TOwnText(Table& table, const QString& alias, const QString& suffix);

    // Opens the table, creating it when the area has none. Returns the reason
    // no text can be typed (an existing table that cannot be opened is left
    // alone), or an empty text when it is open.
    QString Prepare();
    bool IsOpen() const;
    // No part's text is in the editor (another page is shown).
    void Forget() { m_key.clear(); }
    // The stored text of the part with `key` (PARSKUP, PARCIS, PARPOD,
    // PARDIL; empty: none), which becomes the part whose text is edited.
    QString Load(const QVariantList& key);
    // The user changed the text in the editor.
    void MarkChanged() { m_changed = true; }
    // Stores `text` for the loaded part when it was changed; an empty text
    // of a part without one stores nothing. Throws ETalvekException with a
    // Czech message when the table cannot hold it (it stays changed).
    void Post(const QString& text);

    // Refuses a text with a character the table's code page 1250 lacks,
    // naming the character, its line and `tableName`.
    static void CheckCharacters(const QString& text, const QString& tableName);

private:
    void store(const QString& text, bool exists);

    Table& m_table;
    QString m_alias;
    QString m_suffix;
    QVariantList m_key;
    bool m_changed = false;
};
