#pragma once

#include <string>

namespace tav {

// Plays a WAV file by name without waiting for it; a new request replaces the sound
// that is playing. Callable from any thread. Failures are the implementation's to report.
class WavPlayer {
public:
    virtual ~WavPlayer() = default;
    virtual void PlayAsync(const std::string& path) = 0;
};

} // namespace tav
