#include "sound/LoggingWavPlayer.h"

#include "settings/LogSink.h"

namespace tav {

void LoggingWavPlayer::PlayAsync(const std::string& path) {
    log_.LogLine("No WAV output: " + path + " not played.");
}

} // namespace tav
