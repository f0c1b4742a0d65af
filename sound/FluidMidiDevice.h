#pragma once

#include "sound/MidiDevice.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace tav {

// The General MIDI sound font Debian installs with FluidSynth.
inline constexpr const char* kGeneralMidiSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

struct FluidMidiOptions {
    std::string soundFont = kGeneralMidiSoundFont;
    // Audio drivers tried in order when a file is opened.
    std::vector<std::string> drivers = {"pulseaudio", "alsa"};
    // Output file of FluidSynth's "file" driver, when that driver is in the list.
    std::string fileDriverOutput;
};

// The MIDI device as a FluidSynth software synthesizer. Open loads the sound font and the
// file and opens the first audio driver that works; without one it fails with
// kMidiNoAudioOutput and a text naming what was tried. Each open gets a new device id
// (1, 2, ...). While a piece plays, a watcher thread reports its natural end through the
// completion callback; closing the device ends the watcher without a report.
// All operations are safe from any thread.
class FluidMidiDevice final : public MidiDevice {
public:
    explicit FluidMidiDevice(FluidMidiOptions options = {});
    ~FluidMidiDevice() override;
    FluidMidiDevice(const FluidMidiDevice&) = delete;
    FluidMidiDevice& operator=(const FluidMidiDevice&) = delete;

    int Open(const std::string& path, const std::string& alias) override;
    int DeviceId(const std::string& alias) override;
    int Play(const std::string& alias) override;
    int Close(const std::string& alias) override;
    std::string ErrorText(int code) override;
    void SetCompletionCallback(CompletionCallback callback) override;

    // Renders a MIDI file into a WAV file faster than real time, with no audio device.
    // Returns an empty string, or what went wrong.
    static std::string RenderToWav(const std::string& midiPath, const std::string& wavPath,
                                   const std::string& soundFont = kGeneralMidiSoundFont);

private:
    struct Session;

    FluidMidiOptions options_;
    std::mutex mutex_;
    std::map<std::string, std::unique_ptr<Session>> sessions_;
    int nextId_ = 1;
    CompletionCallback callback_;
    std::string noAudioDetail_;
};

} // namespace tav
