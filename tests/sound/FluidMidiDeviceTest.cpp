// The FluidSynth MIDI device: offline rendering, a live device on FluidSynth's file
// driver, and a machine without audio.
#include "sound/FluidMidiDevice.h"
#include "sound/MidiError.h"
#include "sound/SoundPlayer.h"
#include "tests/sound/SoundTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

namespace tav::test {
namespace {

namespace fs = std::filesystem;

struct MidiFiles {
    TempDir dir;
    fs::path midi = dir.Path() / "tune.mid";
    fs::path notMidi = dir.Path() / "tune.txt";
    fs::path wav = dir.Path() / "tune.wav";
    MidiFiles() {
        WriteFile(midi, TinyMidi());
        WriteFile(notMidi, "not a MIDI file");
    }
};

// Largest absolute 16-bit sample after the 44-byte header.
int Peak(const std::string& wav) {
    int peak = 0;
    for (std::size_t i = 44; i + 1 < wav.size(); i += 2) {
        const auto sample = static_cast<std::int16_t>(static_cast<unsigned char>(wav[i]) |
                                                      static_cast<unsigned char>(wav[i + 1]) << 8);
        peak = std::max(peak, std::abs(static_cast<int>(sample)));
    }
    return peak;
}

TEST(FluidMidiDeviceTest, RendersAMidiFileWithTheSoundFont) {
    MidiFiles files;
    ASSERT_EQ(FluidMidiDevice::RenderToWav(files.midi, files.wav), "");
    const std::string wav = ReadFile(files.wav);
    ASSERT_GT(wav.size(), 44u);
    EXPECT_EQ(wav.substr(0, 4), "RIFF");
    // A quarter second of stereo 16-bit sound at 44.1 kHz, and not silence.
    EXPECT_GT(wav.size(), 44u + 44100u);
    EXPECT_GT(Peak(wav), 500);

    EXPECT_EQ(FluidMidiDevice::RenderToWav(files.dir.Path() / "none.mid", files.wav),
              MidiErrorText(kMidiFileNotFound));
    EXPECT_EQ(FluidMidiDevice::RenderToWav(files.notMidi, files.wav),
              MidiErrorText(kMidiInvalidFile));
    EXPECT_NE(FluidMidiDevice::RenderToWav(files.midi, files.wav, "/nonexistent.sf2")
                  .find(MidiErrorText(kMidiCannotLoadDriver)),
              std::string::npos);
}

TEST(FluidMidiDeviceTest, LiveDeviceReportsTheEndOfThePiece) {
    MidiFiles files;
    FluidMidiOptions options;
    options.drivers = {"no-such-driver", "file"};
    options.fileDriverOutput = files.wav.string();
    FluidMidiDevice device(options);
    std::atomic<int> completed{0};
    device.SetCompletionCallback([&](int id) { completed = id; });

    ASSERT_EQ(device.Open(files.midi, "midi1"), kMidiOk);
    EXPECT_EQ(device.Open(files.midi, "midi1"), kMidiDuplicateAlias);
    const int id = device.DeviceId("midi1");
    EXPECT_GE(id, 1);
    EXPECT_EQ(device.DeviceId("midi2"), 0);
    EXPECT_EQ(device.Play("midi2"), kMidiInvalidDeviceName);
    ASSERT_EQ(device.Play("midi1"), kMidiOk);
    EXPECT_TRUE(WaitFor([&] { return completed != 0; }, 10000));
    EXPECT_EQ(completed, id);
    EXPECT_EQ(device.Close("midi1"), kMidiOk);
    EXPECT_EQ(device.Close("midi1"), kMidiInvalidDeviceName);
    EXPECT_EQ(device.DeviceId("midi1"), 0);

    // A new open is a new device; closing it while it plays reports nothing.
    completed = 0;
    ASSERT_EQ(device.Open(files.midi, "midi1"), kMidiOk);
    EXPECT_GT(device.DeviceId("midi1"), id);
    ASSERT_EQ(device.Play("midi1"), kMidiOk);
    EXPECT_EQ(device.Close("midi1"), kMidiOk);
    EXPECT_EQ(completed, 0);

    EXPECT_EQ(device.Open((files.dir.Path() / "none.mid").string(), "midi1"), kMidiFileNotFound);
    EXPECT_EQ(device.Open(files.notMidi, "midi1"), kMidiInvalidFile);
}

TEST(FluidMidiDeviceTest, WithoutAudioOpenFailsWithAClearText) {
    MidiFiles files;
    FluidMidiOptions options;
    options.drivers = {"no-such-driver"};
    FluidMidiDevice device(options);
    EXPECT_EQ(device.Open(files.midi, "midi1"), kMidiNoAudioOutput);
    const std::string text = device.ErrorText(kMidiNoAudioOutput);
    EXPECT_EQ(text.rfind("No audio output could be opened for MIDI playback (no-such-driver: ", 0),
              0u)
        << text;
    EXPECT_EQ(device.DeviceId("midi1"), 0);

    // Whatever this machine has, the usual drivers either open or fail at once.
    FluidMidiDevice usual;
    const auto start = std::chrono::steady_clock::now();
    const int rc = usual.Open(files.midi, "midi1");
    EXPECT_TRUE(rc == kMidiOk || rc == kMidiNoAudioOutput) << usual.ErrorText(rc);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    usual.Close("midi1");
}

// The rules on the real device, the completion handed over as the event loop would.
struct MidiRig {
    MidiFiles files;
    Settings settings = PlayerSettings();
    RecordingLog log;
    RecordingProcesses processes;
    RecordingWav wav;
    RecordingFocus focus;
    PostQueue loop;
    std::unique_ptr<FluidMidiDevice> midi;
    std::unique_ptr<SoundPlayer> player;

    explicit MidiRig(std::vector<std::string> drivers) {
        settings.midiinternal = 1;
        FluidMidiOptions options;
        options.drivers = std::move(drivers);
        options.fileDriverOutput = files.wav.string();
        midi = std::make_unique<FluidMidiDevice>(options);
        player = std::make_unique<SoundPlayer>(settings, log,
                                               SoundBackends{processes, wav, *midi, focus});
        midi->SetCompletionCallback(
            [this](int id) { loop.Post([this, id] { player->OnMidiNotify(id); }); });
        fs::create_directory(files.dir.Path() / "binary");
        WriteFile(files.dir.Path() / "binary" / "tune.mid", TinyMidi());
    }
};

TEST(FluidMidiDeviceTest, SoundPlayerHearsTheCompletion) {
    MidiRig rig({"file"});
    ScopedCwd cwd(rig.files.dir.Path());
    EXPECT_EQ(rig.player->Play("binary/tune.mid"), 1);
    EXPECT_GE(rig.player->MidiDeviceId(), 1);
    EXPECT_EQ(rig.loop.RunPosted(10000), 1);
    EXPECT_EQ(rig.log.Take(),
              (std::vector<std::string>{"Playing binary/tune.mid...", "Midi complete..."}));
    EXPECT_EQ(rig.player->MidiDeviceId(), -1);
}

TEST(FluidMidiDeviceTest, SoundPlayerWithoutAudioLogsAndGoesOn) {
    MidiRig rig({"no-such-driver"});
    ScopedCwd cwd(rig.files.dir.Path());
    EXPECT_EQ(rig.player->Play("binary/tune.mid"), 1);
    const std::vector<std::string> lines = rig.log.Take();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "Playing binary/tune.mid...");
    EXPECT_EQ(lines[1], rig.midi->ErrorText(kMidiNoAudioOutput));
    EXPECT_EQ(lines[2], MidiErrorText(kMidiInvalidDeviceName));
    // Nothing opened: device id 0, which the next stop still tries to close.
    EXPECT_EQ(rig.player->MidiDeviceId(), 0);
    rig.player->Stop();
    EXPECT_EQ(rig.log.Take(), (std::vector<std::string>{"Stopping sound...",
                                                        MidiErrorText(kMidiInvalidDeviceName)}));
    EXPECT_EQ(rig.loop.RunPosted(0), 0);
}

} // namespace
} // namespace tav::test
