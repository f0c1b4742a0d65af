#pragma once

#include "map/PathFinder.h"

#include <chrono>
#include <optional>
#include <string_view>
#include <vector>

namespace tav {

// How a walk ended.
enum class WalkEnd {
    Arrived,    // the player stands in the walk's last room
    Stopped,    // stopped on request, or the player sent a move of his own
    Unexpected, // the game reported a room other than the one the step leads to
    NoAnswer    // no room was reported within kStepAnswerTime of a step
};

// Sends a walk's steps to the game.
class WalkSender {
public:
    virtual ~WalkSender() = default;
    virtual void SendStep(std::string_view command) = 0;
};

// A walk along a path, one step at a time: it sends a step, waits until the game reports
// the room that step leads to, then sends the next. A report of the room being left (the
// game repeating itself) is waited through; any other room ends the walk. Each function
// that can end it returns how it ended, once; afterwards the walk is idle again.
class MapWalk {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::seconds kStepAnswerTime{10};

    explicit MapWalk(WalkSender& sender) : sender_(sender) {}

    // Walks `steps` from `from`, sending the first step now; a walk under way is replaced.
    // Nothing to walk arrives at once.
    std::optional<WalkEnd> Start(RoomNumber from, std::vector<PathStep> steps,
                                 Clock::time_point now);
    std::optional<WalkEnd> RoomSeen(RoomNumber room, Clock::time_point now);
    std::optional<WalkEnd> Stop();
    std::optional<WalkEnd> Poll(Clock::time_point now);

    bool Walking() const { return next_ < steps_.size(); }
    std::optional<RoomNumber> Destination() const;

private:
    std::optional<WalkEnd> End(WalkEnd end);
    void SendNext(Clock::time_point now);

    WalkSender& sender_;
    std::vector<PathStep> steps_;
    std::size_t next_ = 0; // the step sent and not yet answered
    RoomNumber leaving_ = 0;
    Clock::time_point sentAt_{};
};

} // namespace tav
