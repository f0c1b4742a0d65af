#pragma once

#include <string>

namespace tav {

// The kinds of music file the built-in player decodes.
enum class MusicKind { Mod, Mp3 };

// A music player built into the program, in place of a MOD or MP3 player program. Play
// starts a file and returns at once; IsPlaying stays true until the piece has ended by
// itself or Stop ended it. A new Play stops what plays first.
class MusicPlayer {
public:
    virtual ~MusicPlayer() = default;
    // Empty when the file plays, otherwise one line saying why it does not.
    virtual std::string Play(const std::string& path, MusicKind kind) = 0;
    virtual void Stop() = 0;
    virtual bool IsPlaying() = 0;
};

} // namespace tav
