#pragma once

#include "sound/SoundBackends.h"

namespace tav {

class LogSink;

// The desktop's backends: player processes, FluidSynth for MIDI, QSoundEffect for WAV and
// the application's window focus, and the built-in music player. Call on the user-interface thread
// once the QApplication exists. The MIDI completion callback is left for the owner to set, e.g.
//   set.midi->SetCompletionCallback([&loop, &player](int id) {
//       loop.Post([&player, id] { player.OnMidiNotify(id); });
//   });
SoundBackendSet MakeQtSoundBackends(LogSink& log);

} // namespace tav
