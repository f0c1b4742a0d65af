#include "windows/GaugeReading.h"

#include <algorithm>
#include <cstdint>

namespace tav {

GaugeReading ReadGauge(int value, int maximum) {
    if (maximum <= 0) return {0, GaugeBand::Red};
    const std::int64_t percent = std::int64_t{value} * 100 / maximum;
    const int shown = static_cast<int>(std::clamp<std::int64_t>(percent, 0, 100));
    const GaugeBand band = shown >= kGaugeGreenFrom    ? GaugeBand::Green
                           : shown >= kGaugeYellowFrom ? GaugeBand::Yellow
                                                       : GaugeBand::Red;
    return {shown, band};
}

ColorRef GaugeColor(GaugeBand band) {
    switch (band) {
    case GaugeBand::Green: return MakeColor(10, 250, 10);
    case GaugeBand::Yellow: return MakeColor(250, 250, 10);
    case GaugeBand::Red: return MakeColor(250, 10, 10);
    }
    return MakeColor(250, 10, 10);
}

} // namespace tav
