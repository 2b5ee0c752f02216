#include "import/VfkSheetRecords.h"

int VfkSheetRecords::addEntry(Entry entry)
{
    m_entries.append(std::move(entry));
    return int(m_entries.size()) - 1;
}

bool VfkSheetRecords::place(int sheetNumber, int entry)
{
    const int position = sheetNumber == m_lastSheet ? m_lastPosition + 1 : 1;
    const Entry& e = m_entries[entry];
    if (position > MaxPositions || e.lines.size() > MaxPositions)
        return false;
    m_lastSheet = sheetNumber;
    m_lastPosition = position;
    m_placements.push_back({sheetNumber, entry});
    m_records += e.pairUdaj >= 0 ? 2 : 1;
    m_texts += e.lines.size();
    return true;
}

void VfkSheetRecords::release()
{
    QList<Entry>().swap(m_entries);
    std::vector<Placement>().swap(m_placements);
}

// Calls f(sheet, position, entry) in placement order.
template <typename F> void VfkSheetRecords::forEachPlacement(F&& f) const
{
    int sheet = -1, position = 0;
    for (const Placement& p : m_placements) {
        position = p.sheet == sheet ? position + 1 : 1;
        sheet = p.sheet;
        f(double(sheet), position, m_entries[p.entry]);
    }
}

void VfkSheetRecords::forEachRecord(const RowSink& sink) const
{
    forEachPlacement([&](double sheet, int position, const Entry& e) {
        sink({sheet, position, e.code, double(e.udaj), e.deedKind, double(e.deedNumber),
              double(e.legacy), 0});
        if (e.pairUdaj >= 0)
            sink({sheet, position, 90, double(e.pairUdaj), e.deedKind, double(e.deedNumber),
                  double(e.legacy), 0});
    });
}

void VfkSheetRecords::forEachText(const RowSink& sink) const
{
    forEachPlacement([&](double sheet, int position, const Entry& e) {
        for (int i = 0; i < e.lines.size(); ++i)
            sink({sheet, position, i + 1, e.lines[i]});
    });
}

QList<QVariantList> VfkSheetRecords::records() const
{
    QList<QVariantList> rows;
    forEachRecord([&](const QVariantList& row) { rows.append(row); });
    return rows;
}

QList<QVariantList> VfkSheetRecords::texts() const
{
    QList<QVariantList> rows;
    forEachText([&](const QVariantList& row) { rows.append(row); });
    return rows;
}
