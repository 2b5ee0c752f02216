#pragma once

#include "data/DemoDistrictSummary.h"

#include <QString>

#include <memory>

class DemoOwnerPool;

// What one cadastral area of the demo district is to hold.
struct DemoAreaPlan
{
    int porcis = 0;
    int municipality = 0; // index into the district's municipalities
    QString name;
    QString katuz;
    QString identcis;
    qint64 parts = 0;
};

// Builds the tables of one cadastral area of the demo district: parcels of
// all groups with their parts, house numbers, sheets with owners and shares,
// supplementary records with their texts, soil-quality records and user
// texts. An area draws from its own random sequence, so areas can be built
// in parallel and each comes out the same whatever the order.
class DemoAreaBuilder
{
public:
    DemoAreaBuilder(const DemoAreaPlan& plan, const DemoOwnerPool& pool, quint64 seed, bool city);
    ~DemoAreaBuilder();

    void build();
    // Writes NYSPA, NYSUV, NYSVL, NYSTX, NYSBO and ORVTX + suffix + ".DB" into
    // `directory` and adds their counts to `summary`.
    void write(const QString& directory, DemoDistrictSummary& summary) const;

private:
    class Impl;
    std::unique_ptr<Impl> d;
};
