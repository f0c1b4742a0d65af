#pragma once

#include "settings/Clocks.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

// How many lines a screen reader is given during a burst of game text.
struct AnnouncementLimits {
    int linesPerWindow = 3;
    int windowMs = 1000;
};

// Decides which completed lines of the game text are announced to a screen reader, so
// a burst does not flood it: at most linesPerWindow announcements within windowMs; the
// lines beyond that are counted and, once the window is over, announced as one summary
// ("42 more lines"), which opens the next window. Blank lines are never announced.
// The owner calls Offer for every line and, while HoldingBack(), Tick when
// MsUntilSummary() has passed (a timer).
class AnnouncementThrottle {
public:
    explicit AnnouncementThrottle(IntervalClock& clock, AnnouncementLimits limits = {});

    // What to announce for a completed line now: the line, after the summary of the lines
    // held back when their window is over; nothing while the burst is over the limit.
    std::vector<std::string> Offer(std::string_view line);
    // The summary of the lines held back once their window is over.
    std::optional<std::string> Tick();

    bool HoldingBack() const { return held_ > 0; }
    // Milliseconds until the current window is over (0 when it already is).
    int MsUntilSummary();

    static std::string SummaryText(int lines);

private:
    int Elapsed();
    bool WindowOver();
    // Begins a new window at the current time when the last one is over; returns the
    // summary of the lines it held back.
    std::optional<std::string> RollWindow();

    IntervalClock& clock_;
    AnnouncementLimits limits_;
    std::int32_t windowStart_ = 0;
    bool started_ = false;
    int announced_ = 0;
    int held_ = 0;
};

} // namespace tav
