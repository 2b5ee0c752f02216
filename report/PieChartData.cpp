#include "report/PieChartData.h"

void PieChartData::addSlice(double value, const QString& label)
{
    m_slices.append({value, label});
}

void PieChartData::clear()
{
    m_slices.clear();
}

double PieChartData::total() const
{
    double sum = 0;
    for (const Slice& s : m_slices)
        sum += s.value;
    return sum;
}
