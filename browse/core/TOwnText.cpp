#include "browse/core/TOwnText.h"

#include "base/ETalvekException.h"
#include "browse/core/ParDilyRules.h"
#include "data/CadastralTables.h"
#include "db/Table.h"
#include "db/paradox/CodePage.h"

namespace {

const int OwnTextCodePage = 1250;

} // namespace

TOwnText::TOwnText(Table& table, const QString& alias, const QString& suffix)
    : m_table(table), m_alias(alias), m_suffix(suffix)
{
}

QString TOwnText::Prepare()
{
    try {
        m_table.close();
    } catch (const ETalvekException&) {
    }
    m_table.setDatabaseName(m_alias);
    m_table.setTableName(CadastralTables::PerAreaTable(CadastralTables::UserTextPrefix, m_suffix));
    try {
        if (!m_table.exists()) {
            m_table.setFieldDefs(ParDilyRules::OwnTextFields());
            m_table.setIndexDefs(ParDilyRules::OwnTextIndexes());
            m_table.createTable();
            m_table.close();
        }
        m_table.setIndexFieldNames(CadastralTables::ParcelIndexFields);
        m_table.open();
    } catch (const ETalvekException& e) {
        return e.message();
    }
    return QString();
}

bool TOwnText::IsOpen() const
{
    return m_table.isActive();
}

QString TOwnText::Load(const QVariantList& key)
{
    m_key = key;
    m_changed = false;
    if (!key.isEmpty() && m_table.isActive() && m_table.findKey(key))
        return m_table.asString("TEXT");
    return QString();
}

void TOwnText::Post(const QString& text)
{
    if (!m_changed || m_key.isEmpty() || !m_table.isActive())
        return;
    CheckCharacters(text, m_table.tableName());
    const bool exists = m_table.findKey(m_key);
    if (exists || !text.isEmpty())
        store(text, exists);
    m_changed = false;
}

void TOwnText::store(const QString& text, bool exists)
{
    try {
        if (exists) {
            m_table.edit();
        } else {
            m_table.append();
            const QStringList keys = {"PARSKUP", "PARCIS", "PARPOD", "PARDIL"};
            for (int i = 0; i < keys.size(); ++i)
                m_table.setValue(keys[i], m_key[i]);
        }
        m_table.setValue("TEXT", text);
        m_table.post();
    } catch (const ETalvekException& e) {
        if (m_table.state() != Dataset::State::Browse)
            m_table.cancel();
        throw ETalvekException(QStringLiteral("Vlastní text nelze uložit: ") + e.message());
    }
}

void TOwnText::CheckCharacters(const QString& text, const QString& tableName)
{
    // The memo is stored in code page 1250; a character outside it is refused
    // with its line, never dropped or replaced.
    QByteArray encoded;
    qsizetype bad = 0;
    if (CodePage::require(OwnTextCodePage).encode(text, encoded, &bad))
        return;
    const qsizetype length = bad + 1 < text.size() && text.at(bad).isHighSurrogate() ? 2 : 1;
    const int line = int(QStringView(text).left(bad).count(u'\n')) + 1;
    throw ETalvekException(
        QStringLiteral("Vlastní text nelze uložit: znak \"%1\" na %2. řádku nelze zapsat "
                       "v kódové stránce %3 tabulky \"%4\"")
            .arg(text.mid(bad, length))
            .arg(line)
            .arg(OwnTextCodePage)
            .arg(tableName));
}
