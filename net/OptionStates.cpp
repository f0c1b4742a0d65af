#include "net/OptionStates.h"

namespace tav {

namespace {

using Command = OptionStates::Command;

// The command that asks for or confirms a state on a side: DO/DONT about the peer's
// side, WILL/WONT about ours.
Command CommandFor(OptionStates::Side side, bool enable) {
    if (side == OptionStates::Side::Him) return enable ? Command::Do : Command::Dont;
    return enable ? Command::Will : Command::Wont;
}

} // namespace

OptionStates::Answer OptionStates::Received(Command command, unsigned char option, bool accept) {
    const Side side = command == Command::Will || command == Command::Wont ? Side::Him : Side::Us;
    const bool enable = command == Command::Will || command == Command::Do;
    std::uint8_t& raw = Raw(side, option);
    const State state = static_cast<State>(raw & 3);
    const bool opposite = (raw & kOpposite) != 0;
    Answer answer;
    auto set = [&](State next, bool queued = false) {
        answer.changed = (next == State::Yes) != (state == State::Yes);
        raw = static_cast<std::uint8_t>(static_cast<std::uint8_t>(next) | (queued ? kOpposite : 0));
    };
    auto reply = [&](bool on) {
        answer.send = true;
        answer.reply = CommandFor(side, on);
    };
    if (enable) {
        switch (state) {
        case State::No:
            if (accept) {
                set(State::Yes);
                reply(true);
            } else {
                reply(false);
            }
            break;
        case State::Yes: break;
        case State::WantNo: set(opposite ? State::Yes : State::No); break; // refused a refusal
        case State::WantYes:
            if (opposite) {
                set(State::WantNo);
                reply(false);
            } else {
                set(State::Yes);
            }
            break;
        }
    } else {
        switch (state) {
        case State::No: break;
        case State::Yes:
            set(State::No);
            reply(false);
            break;
        case State::WantNo:
            if (opposite) {
                set(State::WantYes);
                reply(true);
            } else {
                set(State::No);
            }
            break;
        case State::WantYes: set(State::No); break;
        }
    }
    answer.enabled = Get(side, option) == State::Yes;
    return answer;
}

OptionStates::Answer OptionStates::Request(Side side, unsigned char option, bool enable) {
    std::uint8_t& raw = Raw(side, option);
    const State state = static_cast<State>(raw & 3);
    Answer answer;
    auto set = [&](State next, bool queued) {
        raw = static_cast<std::uint8_t>(static_cast<std::uint8_t>(next) | (queued ? kOpposite : 0));
    };
    switch (state) {
    case State::No:
        if (enable) {
            set(State::WantYes, false);
            answer.send = true;
            answer.reply = CommandFor(side, true);
        }
        break;
    case State::Yes:
        if (!enable) {
            set(State::WantNo, false);
            answer.send = true;
            answer.reply = CommandFor(side, false);
        }
        break;
    // A request while one is awaited only queues (or unqueues) the opposite wish.
    case State::WantNo: set(State::WantNo, enable); break;
    case State::WantYes: set(State::WantYes, !enable); break;
    }
    answer.enabled = Get(side, option) == State::Yes;
    return answer;
}

} // namespace tav
