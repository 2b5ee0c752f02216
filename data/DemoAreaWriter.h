#pragma once

#include "data/DemoAreaContent.h"
#include "data/DemoDistrictSummary.h"

#include <QString>

class DemoOwnerPool;

// Writes one built area of the demo district into its tables NYSPA, NYSUV,
// NYSVL, NYSTX, NYSBO and ORVTX + suffix + ".DB".
class DemoAreaWriter
{
public:
    // `porcis` is the area's ordinal; `pool` holds the owners the sheets
    // point to. Neither `pool` nor `area` is copied.
    DemoAreaWriter(int porcis, const DemoOwnerPool& pool, const DemoAreaContent& area);

    // Writes the tables into `dir` and adds their counts to `summary`.
    void write(const QString& dir, DemoDistrictSummary& summary) const;

private:
    void writeParts(const QString& path) const;
    qint64 writeRelations(const QString& path) const;
    void writeRecords(const QString& dir, const QString& suffix,
                      DemoDistrictSummary& summary) const;
    qint64 writeSoil(const QString& path) const;
    void writeUserTexts(const QString& path) const;

    int m_porcis;
    const DemoOwnerPool& m_pool;
    const DemoAreaContent& m_area;
};
