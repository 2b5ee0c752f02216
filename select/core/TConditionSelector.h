#pragma once

#include "data/SelectionHistory.h"
#include "db/FieldDef.h"

#include <QString>
#include <QStringList>
#include <QVariantMap>

class Table;

// One condition of the selection by conditions: a field of the area's parcel
// table (by its position in the table), an operator and the value as typed.
struct TCondition
{
    int position = 0;
    QString op;
    QString value;
};

// The statement of one step: its lines (joined by line breaks) and the value
// bound to its parameter.
struct TConditionSql
{
    QStringList lines;
    QVariantMap bindings;
};

// The code table a field's value is picked from: file in the code-table
// directory, the field shown in the list, and the list's width in pixels at
// 96 dots per inch.
struct TConditionCodeTable
{
    const char* table;
    const char* displayField;
    int width;
};

// Selection by conditions without a window: builds each step's statement
// over the area's parcel table, applies it to the work table (adding or
// removing the parts found) and keeps the step-by-step history, so that the
// conditions dialog and "orv-tool select" share every rule. Whole-parcel
// mode takes every part of a parcel one of whose parts fits the condition;
// parts-only mode takes just the parts that fit, and counts parts instead
// of parcels. The value never enters the statement's text: it is bound.
// Errors are raised as ETalvekException with a Czech message.
class TConditionSelector
{
public:
    // The value's parameter in the statement.
    static constexpr char ValueParameter[] = ":HODNOTA";
    static constexpr int MaxSteps = SelectionHistory::MaxTables;

    // "=", ">", ">=", "<", "<=", "<>" in the order of the operator list.
    static const QStringList& Operators();
    // The code table behind a field position, or nullptr for a typed value.
    static const TConditionCodeTable* CodeTable(int position);

    // `parcels` is the area's open parcel table "NYSPA" + suffix + ".DB",
    // `work` the open work table; both stay owned by the caller.
    TConditionSelector(Table& parcels, Table& work, bool partsOnly);

    bool PartsOnly() const { return m_partsOnly; }
    const QList<FieldDef>& Fields() const { return m_fields; }
    // The field list's texts: the caption for the first eighteen positions,
    // "parcelní číslo" for PARCISLO, else the field's name.
    QStringList FieldItems() const;
    int FieldPosition(const QString& name) const; // -1 when the table has no such field
    int ParcisloPosition() const { return FieldPosition(QStringLiteral("PARCISLO")); }
    // The map sheet (position 14) and PARCISLO compare as text in quotes.
    bool IsQuotedField(int position) const;
    // The rule that enables the step buttons: not empty, and a quoted field
    // or a whole number from 0 up.
    bool IsValidValue(int position, const QString& value) const;
    // Everything a step checks before it touches a table: a known field and
    // operator, a valid value that fits the field's type.
    void Check(const TCondition& condition) const;

    // "DRUHPOZ=13", "PARCISLO='125/3'".
    QString ConditionText(const TCondition& condition) const;
    TConditionSql Sql(const TCondition& condition) const;
    // "+ kód druhu pozemku = 13 => 5".
    QString HistoryLine(bool add, const TCondition& condition, int count) const;

    // Parcels (or parts in parts-only mode) of the work table.
    int Count() const;
    // Starts the history with "  počáteční stav => " and the count.
    void Start();
    const QStringList& HistoryLines() const { return m_history.lines(); }
    int StepCount() const { return m_history.tableCount(); }
    bool CanStep() const { return m_history.canStep(); }
    // Adds (`add`) or removes the parts the condition finds, marks every row
    // and appends the history line. False, doing nothing, after MaxSteps
    // steps. A condition that fails Check leaves every table as it was.
    bool Step(bool add, const TCondition& condition);
    // The work table back to the state after history line i; later lines go.
    void Recall(int line);
    // Empties the work table and starts the history again.
    void Clear();
    // Deletes the history tables; the destructor does it as well.
    void Close() { m_history.close(); }

private:
    QString startLine() const;
    QVariant boundValue(const TCondition& condition) const;

    Table& m_parcels;
    Table& m_work;
    bool m_partsOnly;
    QList<FieldDef> m_fields;
    SelectionHistory m_history;
};
