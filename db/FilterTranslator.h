#pragma once

#include "db/FieldDef.h"
#include "db/SqlTokenizer.h"

#include <QVariantMap>

// Turns a dataset filter ("PORCIS > '000' and NAZEV = 'SAL*'") into an SQL
// condition whose values are bound parameters. Grammar: comparisons
// `field op value` (=, <>, <, <=, >, >=) joined by AND/OR, NOT and
// parentheses; a logical field alone means field = TRUE. String values are in
// single quotes; a trailing * after = or <> means "starts with"; '' is blank.
// TRUE/FALSE (and 'T'/'F') compare with logical fields. Comparisons are
// case-sensitive.
class FilterTranslator
{
public:
    static QString translate(const QString& filter, const QList<FieldDef>& fields,
                             QVariantMap& params, const QString& paramPrefix = QStringLiteral("f"));

private:
    FilterTranslator(const QString& filter, const QList<FieldDef>& fields, QVariantMap& params,
                     const QString& prefix);
    QString orExpression();
    QString andExpression();
    QString factor();
    QString comparison();
    QString bindValue(const QVariant& value);
    QVariant parseValue(const FieldDef& field);
    const SqlToken* peek() const;
    [[noreturn]] void fail(const QString& what) const;

    const QString& m_filter;
    QList<SqlToken> m_t;
    int m_i = 0;
    const QList<FieldDef>& m_fields;
    QVariantMap& m_params;
    QString m_prefix;
};
