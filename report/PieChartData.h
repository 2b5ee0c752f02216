#pragma once

#include <QList>
#include <QString>

// A pie chart as the report holds it: slices in the order they were added,
// each a value with its label, a title and a plain-text legend. Colours are
// chosen automatically when the chart is drawn; slices carry no marks.
class PieChartData
{
public:
    struct Slice
    {
        double value = 0;
        QString label;
    };

    QString title;
    bool showLegend = true;
    // 3D depth, 0 (flat) to 1: the height of the pie's side wall
    // (report/PieChartPainter).
    double depth = 0.5;

    void addSlice(double value, const QString& label);
    void clear();
    const QList<Slice>& slices() const { return m_slices; }
    double total() const;

private:
    QList<Slice> m_slices;
};
