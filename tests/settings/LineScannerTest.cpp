#include "settings/LineScanner.h"

#include <array>
#include <climits>
#include <gtest/gtest.h>
#include <vector>

namespace tav {
namespace {

TEST(LineScanner, ScanNumbersReadsLikeSuccessiveDecimalConversions) {
    struct Case {
        std::string_view line;
        std::vector<int> expected; // room for three
    };
    const Case cases[] = {
        {" \t-4 +5", {-4, 5}},
        {"12abc 4", {12}},
        {"- 3", {}},
        {"1 2 3 4 5", {1, 2, 3}},
        {"99999999999 -99999999999", {INT_MAX, INT_MIN}},
    };
    for (const Case& c : cases) {
        std::array<int, 3> out{};
        std::size_t n = ScanNumbers(c.line, out);
        EXPECT_EQ(std::vector<int>(out.begin(), out.begin() + static_cast<long>(n)), c.expected)
            << "line \"" << c.line << "\"";
    }
}

} // namespace
} // namespace tav
