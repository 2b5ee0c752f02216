#pragma once

#include "data/ParcelNumber.h"

#include <QList>
#include <QString>
#include <QStringList>

// One cadastral area of the demo district as DemoAreaBuilder makes it and
// DemoAreaWriter writes it into the area's tables: the sheets with their
// owners, shares, parcels and supplementary records, and the parcel parts.
struct DemoAreaContent
{
    struct Record
    {
        int doplpor = 0;
        int doplkod = 0;
        double udaj = 0;
        int listdruh = 0;
        double listcis = 0;
        double doplvz = 0;
        QStringList texts;
    };

    struct Sheet
    {
        int number = 0;
        QList<int> owners;
        QList<qint64> shares;
        QList<ParcelKey> parcels;
        QList<Record> records;
        int nextOrder = 1;
    };

    struct Part
    {
        ParcelKey key;
        int pardil = 0;
        double vymera = 0;
        int kvalita = 2;
        int druhpoz = 2;
        int nemochr = 0;
        int nemvyuz = 0;
        int bonita = 0;
        qint64 cpce = 0;
        int elcis = 0;
        int lvcis = 0;
        int vlvztah = 1;
        QString mapa;
        int typvl = 2;
        int ppolvz = 0;
    };

    // Sheets with a fixed number: the municipality's, the state's, and the
    // first of the sheets that carry one registration each.
    static constexpr int municipalitySheet = 10001;
    static constexpr int stateSheet = 10002;
    static constexpr int firstRegistrationSheet = 20001;

    QList<Sheet> sheets;
    QList<Part> parts;
    QList<int> soilParts; // indexes into `parts` of the parts with soil-quality records
};
