#pragma once

#include <QString>

#include <array>

// Areas of the marked parts of a work table summed by kind of land, in
// square metres, with the number of parts, and the buildings counted by the
// kind of their number. Sums are 64-bit: the parts of a whole district (or
// country) overflow 32 bits of square metres.
//
// Index: 0 every marked part; 2..11, 13, 14 the kind of land of that code;
// 1 agricultural total (2..8); 15 non-agricultural total (10..14);
// 12 unregistered land, the remainder 0 - 1 - 9 - 15 (kind 12 itself and
// codes outside 2..14 end there).
class TAreaSums
{
public:
    static constexpr int Count = 16;
    static constexpr int All = 0;
    static constexpr int Agricultural = 1;
    static constexpr int AgriculturalLand = 9;
    static constexpr int Unregistered = 12;
    static constexpr int NonAgricultural = 15;

    std::array<qint64, Count> area{}; // square metres
    std::array<qint64, Count> parts{};
    qint64 withHouseNumber = 0;        // built-up parts with a descriptive number
    qint64 withRegistrationNumber = 0; // built-up parts with a registration number

    // Sums the marked rows of the work table (full path of its .DB file);
    // engine errors pass on with the engine's message.
    static TAreaSums ComputeAreaSums(const QString& workTablePath);
    // The totals 1, 15 and the remainder 12 from the queried kinds.
    void completeTotals();
};
