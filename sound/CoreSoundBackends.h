#pragma once

#include "sound/SoundBackends.h"

namespace tav {

class LogSink;

// The backends of a program without a desktop: player processes, FluidSynth for MIDI,
// a WAV output that only logs, no focus handling, the built-in music player.
SoundBackendSet MakeCoreSoundBackends(LogSink& log);

} // namespace tav
