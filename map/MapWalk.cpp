#include "map/MapWalk.h"

namespace tav {

std::optional<WalkEnd> MapWalk::End(WalkEnd end) {
    steps_.clear();
    next_ = 0;
    return end;
}

void MapWalk::SendNext(Clock::time_point now) {
    sentAt_ = now;
    sender_.SendStep(steps_[next_].command);
}

std::optional<WalkEnd> MapWalk::Start(RoomNumber from, std::vector<PathStep> steps,
                                      Clock::time_point now) {
    steps_ = std::move(steps);
    next_ = 0;
    leaving_ = from;
    if (steps_.empty()) return End(WalkEnd::Arrived);
    SendNext(now);
    return std::nullopt;
}

std::optional<WalkEnd> MapWalk::RoomSeen(RoomNumber room, Clock::time_point now) {
    if (!Walking() || room == leaving_) return std::nullopt;
    if (room != steps_[next_].to) return End(WalkEnd::Unexpected);
    leaving_ = room;
    if (++next_ == steps_.size()) return End(WalkEnd::Arrived);
    SendNext(now);
    return std::nullopt;
}

std::optional<WalkEnd> MapWalk::Stop() {
    if (!Walking()) return std::nullopt;
    return End(WalkEnd::Stopped);
}

std::optional<WalkEnd> MapWalk::Poll(Clock::time_point now) {
    if (!Walking() || now - sentAt_ < kStepAnswerTime) return std::nullopt;
    return End(WalkEnd::NoAnswer);
}

std::optional<RoomNumber> MapWalk::Destination() const {
    if (!Walking()) return std::nullopt;
    return steps_.back().to;
}

} // namespace tav
