#pragma once

#include "sound/FocusKeeper.h"
#include "sound/MidiDevice.h"
#include "sound/ProcessLauncher.h"
#include "sound/WavPlayer.h"

#include <memory>

namespace tav {

// The outside world of SoundPlayer: player processes, WAV output, the MIDI device and
// the window focus.
struct SoundBackends {
    ProcessLauncher& processes;
    WavPlayer& wav;
    MidiDevice& midi;
    FocusKeeper& focus;
};

// An owned set of backends as the factories build them; View() lends them to a
// SoundPlayer, which must not outlive the set.
struct SoundBackendSet {
    std::unique_ptr<ProcessLauncher> processes;
    std::unique_ptr<WavPlayer> wav;
    std::unique_ptr<MidiDevice> midi;
    std::unique_ptr<FocusKeeper> focus;

    SoundBackends View() const { return {*processes, *wav, *midi, *focus}; }
};

} // namespace tav
