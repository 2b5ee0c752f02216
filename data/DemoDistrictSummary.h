#pragma once

#include <QtGlobal>

// The counts of what the demo generator wrote: municipalities and areas of the
// catalogue, then rows by table. Each area's builder adds its own.
struct DemoDistrictSummary
{
    int municipalities = 0;
    int areas = 0;
    qint64 parcelParts = 0;
    qint64 owners = 0;
    qint64 ownershipRelations = 0;
    qint64 sheets = 0;
    qint64 records = 0;
    qint64 recordTexts = 0;
    qint64 soilRecords = 0;
};
