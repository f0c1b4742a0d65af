#include "sound/QtSoundBackends.h"

#include "sound/BuiltInMusicPlayer.h"
#include "sound/FluidMidiDevice.h"
#include "sound/ProcessRunner.h"
#include "sound/QtFocusKeeper.h"
#include "sound/QtWavPlayer.h"

namespace tav {

SoundBackendSet MakeQtSoundBackends(LogSink& log) {
    SoundBackendSet set;
    set.processes = std::make_unique<ProcessRunner>();
    set.wav = std::make_unique<QtWavPlayer>(log);
    set.midi = std::make_unique<FluidMidiDevice>();
    set.focus = std::make_unique<QtFocusKeeper>();
    set.music = std::make_unique<BuiltInMusicPlayer>();
    return set;
}

} // namespace tav
