#pragma once

#include "settings/StoredValues.h"

namespace tav {

// How full a monitor gauge is, by colour.
enum class GaugeBand { Red, Yellow, Green };

// What a gauge of the hit/mana/move monitor shows for one value of its maximum.
struct GaugeReading {
    int percent = 0; // 0 to 100
    GaugeBand band = GaugeBand::Red;
    friend bool operator==(const GaugeReading&, const GaugeReading&) = default;
};

// Lower bounds of the yellow and green bands, in per cent.
inline constexpr int kGaugeYellowFrom = 15;
inline constexpr int kGaugeGreenFrom = 40;

// value of maximum as a whole per cent, truncated toward zero and held to 0-100; a
// maximum of 0 or less reads 0. Computed in 64-bit integers, so 29 of 100 is 29 and no
// game value can overflow.
GaugeReading ReadGauge(int value, int maximum);

// The bar colour of a band: green (10, 250, 10), yellow (250, 250, 10), red (250, 10, 10).
ColorRef GaugeColor(GaugeBand band);

} // namespace tav
