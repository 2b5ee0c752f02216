#include "output/core/TextChunkSource.h"

#include "db/Dataset.h"
#include "report/ReportLayouter.h"

#include <algorithm>

TextChunkSource::TextChunkSource(Dataset& dataset, const QString& textField, const QFont& font,
                                 double width, int maxLines)
    : m_records(dataset), m_textField(textField), m_font(font), m_width(width),
      m_maxLines(std::max(1, maxLines))
{
}

void TextChunkSource::first()
{
    m_records.first();
    loadRecord();
}

void TextChunkSource::next()
{
    if (!m_rest.isEmpty()) {
        takePiece();
        return;
    }
    m_records.next();
    loadRecord();
}

bool TextChunkSource::eof() const
{
    return m_records.eof();
}

QVariant TextChunkSource::value(const QString& field) const
{
    if (field.compare(m_textField, Qt::CaseInsensitive) == 0)
        return m_lines.join(QLatin1Char('\n'));
    return m_records.value(field);
}

void TextChunkSource::loadRecord()
{
    m_rest.clear();
    if (!m_records.eof())
        m_rest = ReportLayouter::wrapText(m_font, m_records.value(m_textField).toString(), m_width);
    takePiece();
}

void TextChunkSource::takePiece()
{
    m_lines = m_rest.mid(0, m_maxLines);
    m_rest.remove(0, std::min<qsizetype>(m_maxLines, m_rest.size()));
}
