#pragma once

#include <QList>
#include <QStringList>
#include <QVariantList>

#include <functional>
#include <vector>

// The supplementary records (NYSVL) and their text lines (NYSTX) of one
// area's sheets. A right against a person or a title deed of an owner repeats
// on every sheet of that person, so each distinct record is kept once and a
// sheet only lists which records it carries: memory grows with the input plus
// eight bytes per record written. The rows are produced while the tables are
// written.
class VfkSheetRecords
{
public:
    struct Entry
    {
        int code = 0;          // DOPLKOD
        qint64 udaj = 0;       // DOPLUDAJ
        qint64 pairUdaj = -1;  // DOPLUDAJ of a 90 at the same position (after an 82)
        int deedKind = 0;      // LISTDRUH
        qint64 deedNumber = 0; // LISTCIS
        qint64 legacy = 0;     // DOPLVZ
        QStringList lines;     // NYSTX lines, at most 60 characters each
    };
    // Up to the width of DOPLPOR and RADEK (Short).
    static constexpr int MaxPositions = 32767;

    int addEntry(Entry entry);
    // Puts an entry on a sheet at the sheet's next position. A sheet's
    // records are placed one after another, before the next sheet's.
    // Returns false when the sheet has no position left.
    bool place(int sheetNumber, int entry);

    // Frees the records once written; the counts stay for the summary.
    void release();

    qint64 recordCount() const { return m_records; }
    qint64 textCount() const { return m_texts; }
    using RowSink = std::function<void(const QVariantList&)>;
    // DLVCIS, DOPLPOR, DOPLKOD, DOPLUDAJ, LISTDRUH, LISTCIS, DOPLVZ, DOPLZM
    void forEachRecord(const RowSink& sink) const;
    // DLVCIS, DOPLPOR, RADEK, TEXT
    void forEachText(const RowSink& sink) const;
    QList<QVariantList> records() const;
    QList<QVariantList> texts() const;

private:
    struct Placement
    {
        qint32 sheet;
        qint32 entry;
    };
    template <typename F> void forEachPlacement(F&& f) const;

    QList<Entry> m_entries;
    std::vector<Placement> m_placements;
    qint64 m_records = 0;
    qint64 m_texts = 0;
    int m_lastSheet = -1;
    int m_lastPosition = 0;
};
