// What a monitor gauge shows for a value of its maximum.
#include "windows/GaugeReading.h"

#include <gtest/gtest.h>

#include <climits>
#include <ostream>

namespace tav {

std::ostream& operator<<(std::ostream& out, const GaugeReading& r) {
    static const char* const bands[] = {"red", "yellow", "green"};
    return out << r.percent << "% " << bands[static_cast<int>(r.band)];
}

namespace {

TEST(GaugeReading, PerCentTruncatedHeldAndBanded) {
    struct Case {
        int value;
        int maximum;
        GaugeReading shown;
    };
    const Case cases[] = {
        {14, 100, {14, GaugeBand::Red}},
        {15, 100, {15, GaugeBand::Yellow}},
        {39, 100, {39, GaugeBand::Yellow}},
        {40, 100, {40, GaugeBand::Green}},
        {1, 3, {33, GaugeBand::Yellow}},
        {29, 100, {29, GaugeBand::Yellow}}, // single-precision steps would give 28
        {0, 0, {0, GaugeBand::Red}},
        {50, 0, {0, GaugeBand::Red}},
        {50, -10, {0, GaugeBand::Red}},
        {-5, 100, {0, GaugeBand::Red}},
        {250, 100, {100, GaugeBand::Green}},
        {INT_MAX, 1, {100, GaugeBand::Green}},
        {INT_MIN, 1, {0, GaugeBand::Red}},
        {INT_MAX - 1, INT_MAX, {99, GaugeBand::Green}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReadGauge(c.value, c.maximum), c.shown) << c.value << " of " << c.maximum;
}

} // namespace
} // namespace tav
