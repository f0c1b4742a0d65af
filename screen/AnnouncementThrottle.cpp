#include "screen/AnnouncementThrottle.h"

#include <algorithm>
#include <utility>

namespace tav {

AnnouncementThrottle::AnnouncementThrottle(IntervalClock& clock, AnnouncementLimits limits)
    : clock_(clock), limits_(limits) {
    limits_.linesPerWindow = std::max(limits_.linesPerWindow, 1);
    limits_.windowMs = std::max(limits_.windowMs, 1);
}

int AnnouncementThrottle::Elapsed() {
    // The clock wraps in 32 bits; the difference stays right across the wrap. It is
    // negative only when the clock went back (or ran more than 24 days without a line).
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(clock_.NowMs()) -
                                     static_cast<std::uint32_t>(windowStart_));
}

bool AnnouncementThrottle::WindowOver() {
    // A clock that went back ends the window: waiting for it to catch up would silence
    // the reader for as long as it stepped.
    const int elapsed = Elapsed();
    return elapsed < 0 || elapsed >= limits_.windowMs;
}

std::string AnnouncementThrottle::SummaryText(int lines) {
    return std::to_string(lines) + (lines == 1 ? " more line" : " more lines");
}

std::optional<std::string> AnnouncementThrottle::RollWindow() {
    if (started_ && !WindowOver()) return std::nullopt;
    started_ = true;
    windowStart_ = clock_.NowMs();
    announced_ = 0;
    if (held_ == 0) return std::nullopt;
    const int held = std::exchange(held_, 0);
    ++announced_; // the summary takes a place in the new window
    return SummaryText(held);
}

std::vector<std::string> AnnouncementThrottle::Offer(std::string_view line) {
    std::vector<std::string> out;
    if (line.find_first_not_of(" \t\r") == std::string_view::npos) return out;
    if (auto summary = RollWindow()) out.push_back(std::move(*summary));
    if (announced_ < limits_.linesPerWindow) {
        ++announced_;
        out.emplace_back(line);
    } else {
        ++held_;
    }
    return out;
}

std::optional<std::string> AnnouncementThrottle::Tick() {
    if (held_ == 0) return std::nullopt;
    return RollWindow();
}

int AnnouncementThrottle::MsUntilSummary() {
    if (!started_ || WindowOver()) return 0;
    return limits_.windowMs - Elapsed();
}

} // namespace tav
