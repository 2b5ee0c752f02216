#pragma once

#include <QString>
#include <QtGlobal>

// How many parts of a selection are marked and their area, as the browser
// shows it under the grid: "Označeno: 3 z 12 dílů, výměra 1,2345 ha". Read
// once from the work table, then kept current by the single mark changes
// (a whole-table count after each key press would read every row again).
class TMarkSummary
{
public:
    TMarkSummary() = default;
    TMarkSummary(int parts, int marked, qint64 markedArea)
        : m_parts(parts), m_marked(marked), m_area(markedArea)
    {
    }

    // The parts of the work table at `workTablePath`, the marked ones and
    // the sum of their VYMERA (m²). Engine errors pass on.
    static TMarkSummary Read(const QString& workTablePath);

    // One part of `area` m² changed its mark from `wasMarked` to `marked`.
    void Changed(bool wasMarked, bool marked, qint64 area);

    int Parts() const { return m_parts; }
    int Marked() const { return m_marked; }
    qint64 MarkedArea() const { return m_area; }
    // The line shown, the area in hectares with four decimals (whole m²).
    QString Text() const;

private:
    int m_parts = 0;
    int m_marked = 0;
    qint64 m_area = 0; // m²
};
