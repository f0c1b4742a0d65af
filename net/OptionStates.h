#pragma once

#include <array>
#include <cstdint>

namespace tav {

// Who asked for an option to change and what the connection answers: the "Q method" of
// RFC 1143, which keeps, for each option and each side, whether it is on, off, or asked
// for and awaited, so that no request is ever answered twice and two peers cannot loop.
class OptionStates {
public:
    enum class Side { Us, Him };
    enum class Command : unsigned char { Will = 251, Wont = 252, Do = 253, Dont = 254 };

    // What the peer's command asks of us: the command to send back (none when nothing is to
    // be said) and whether the option changed state on that side.
    struct Answer {
        bool send = false;
        Command reply = Command::Dont;
        bool changed = false;
        bool enabled = false; // the option's state on that side after the command
    };

    // The peer sent WILL/WONT (about its side) or DO/DONT (about ours); `accept` says whether
    // this side agrees to the option being on.
    Answer Received(Command command, unsigned char option, bool accept);
    // Our own request to turn an option on or off; the command to send, if any.
    Answer Request(Side side, unsigned char option, bool enable);

    bool Enabled(Side side, unsigned char option) const { return Get(side, option) == State::Yes; }
    void Reset() { states_.fill(0); }

private:
    enum class State : std::uint8_t { No, Yes, WantNo, WantYes };
    // The queue bit of RFC 1143: a request opposite to the one awaited was made meanwhile.
    static constexpr std::uint8_t kOpposite = 4;

    State Get(Side side, unsigned char option) const {
        return static_cast<State>(Raw(side, option) & 3);
    }
    std::uint8_t& Raw(Side side, unsigned char option) {
        return states_[static_cast<std::size_t>(side == Side::Us) * 256 + option];
    }
    std::uint8_t Raw(Side side, unsigned char option) const {
        return states_[static_cast<std::size_t>(side == Side::Us) * 256 + option];
    }

    std::array<std::uint8_t, 512> states_{};
};

} // namespace tav
