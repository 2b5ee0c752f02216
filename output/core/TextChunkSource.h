#pragma once

#include "report/DatasetReportSource.h"

#include <QFont>
#include <QStringList>

// The text records of a dataset as rows of at most `maxLines` printed lines:
// each record's multi-line text field is wrapped to the memo's width and
// split into pieces, so that a text longer than a page continues on the next
// page instead of running off it. A record with an empty text is one row with
// no lines.
class TextChunkSource : public ReportDataSource
{
public:
    TextChunkSource(Dataset& dataset, const QString& textField, const QFont& font, double width,
                    int maxLines);

    void first() override;
    void next() override;
    bool eof() const override;
    QVariant value(const QString& field) const override;

    // The lines of the current piece.
    const QStringList& lines() const { return m_lines; }

private:
    void loadRecord();
    void takePiece();

    DatasetReportSource m_records;
    QString m_textField;
    QFont m_font;
    double m_width;
    int m_maxLines;
    QStringList m_rest;  // lines of the current record not yet handed out
    QStringList m_lines; // the current piece
};
