#include "sound/CoreSoundBackends.h"

#include "sound/BuiltInMusicPlayer.h"
#include "sound/FluidMidiDevice.h"
#include "sound/LoggingWavPlayer.h"
#include "sound/ProcessRunner.h"

namespace tav {

SoundBackendSet MakeCoreSoundBackends(LogSink& log) {
    SoundBackendSet set;
    set.processes = std::make_unique<ProcessRunner>();
    set.wav = std::make_unique<LoggingWavPlayer>(log);
    set.midi = std::make_unique<FluidMidiDevice>();
    set.focus = std::make_unique<NoFocusKeeper>();
    set.music = std::make_unique<BuiltInMusicPlayer>();
    return set;
}

} // namespace tav
