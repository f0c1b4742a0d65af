#pragma once

#include "sound/WavPlayer.h"

namespace tav {

class LogSink;

// The WAV output of programs without a sound system: logs
// "No WAV output: %s not played." for each request.
class LoggingWavPlayer final : public WavPlayer {
public:
    explicit LoggingWavPlayer(LogSink& log) : log_(log) {}
    void PlayAsync(const std::string& path) override;

private:
    LogSink& log_;
};

} // namespace tav
