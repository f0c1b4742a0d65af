#pragma once

#include "sound/AudioOutput.h"
#include "sound/MusicPlayer.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace tav {

// The music player built into the program: decodes MOD and MP3 files (MusicDecoder) on a
// thread of its own into an audio output made by `outputs` for each piece (by default the
// desktop's sound device). Play opens the file and the device before it returns, so what
// fails is said at once. Safe from any thread.
class BuiltInMusicPlayer final : public MusicPlayer {
public:
    explicit BuiltInMusicPlayer(AudioOutputFactory outputs = {});
    ~BuiltInMusicPlayer() override;
    BuiltInMusicPlayer(const BuiltInMusicPlayer&) = delete;
    BuiltInMusicPlayer& operator=(const BuiltInMusicPlayer&) = delete;

    std::string Play(const std::string& path, MusicKind kind) override;
    void Stop() override;
    bool IsPlaying() override;

    // Decodes a file into a 16-bit stereo WAV file, with no audio device. Returns an
    // empty string, or what went wrong.
    static std::string RenderToWav(const std::string& path, MusicKind kind,
                                   const std::string& wavPath);

private:
    void StopLocked();

    AudioOutputFactory outputs_;
    std::mutex mutex_;
    std::shared_ptr<AudioOutput> output_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> playing_{false};
};

} // namespace tav
