#pragma once

#include <string_view>

namespace tav {

// Sound as the Client connection drives it: play a cue, stop what plays, notice that a
// player program has ended. Unlike the window effects these are called at once on the
// caller's thread (the network thread for messages and disconnects, the user-interface
// thread for the poll timer and the commands), so the player's log lines ("Playing ...",
// "Stopping sound...") fall between the handler's own lines in the order they happen.
// An implementation must accept calls from either thread and hand anything that must run
// on the user-interface thread (a Qt audio output, the window focus) over to it.
class ClientSound {
public:
    virtual ~ClientSound() = default;
    // Plays a file (a path such as "binary/x.wav").
    virtual void PlaySound(std::string_view path) = 0;
    virtual void StopSound() = 0;
    // Checks whether an external player has finished.
    virtual void PollSoundPlayer() = 0;
};

} // namespace tav
