#pragma once

#include "sound/FocusKeeper.h"
#include "sound/MidiDevice.h"
#include "sound/MusicPlayer.h"
#include "sound/ProcessLauncher.h"
#include "sound/WavPlayer.h"

#include <memory>

namespace tav {

// The outside world of SoundPlayer: player processes, WAV output, the MIDI device, the
// window focus and the built-in music player.
struct SoundBackends {
    ProcessLauncher& processes;
    WavPlayer& wav;
    MidiDevice& midi;
    FocusKeeper& focus;
    MusicPlayer& music;
};

// An owned set of backends as the factories build them; View() lends them to a
// SoundPlayer, which must not outlive the set.
struct SoundBackendSet {
    std::unique_ptr<ProcessLauncher> processes;
    std::unique_ptr<WavPlayer> wav;
    std::unique_ptr<MidiDevice> midi;
    std::unique_ptr<FocusKeeper> focus;
    std::unique_ptr<MusicPlayer> music;

    SoundBackends View() const { return {*processes, *wav, *midi, *focus, *music}; }
};

} // namespace tav
