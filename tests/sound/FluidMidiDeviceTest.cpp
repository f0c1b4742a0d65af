// The FluidSynth MIDI device: offline rendering, a live device on FluidSynth's "file"
// audio driver, and a machine without audio.
#include "sound/FluidMidiDevice.h"
#include "sound/MidiError.h"
#include "sound/SoundPlayer.h"
#include "term/PollEventLoop.h"
#include "tests/sound/SoundTestSupport.h"

#include <gtest/gtest.h>

namespace tav::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct MidiRig {
    TempDir dir;
    Recorder rec;
    Settings settings = PlayerSettings();
    PollEventLoop loop;
    int completions = 0; // run on the loop, as the window's thread would
    std::unique_ptr<FluidMidiDevice> midi;
    std::unique_ptr<SoundPlayer> player;

    explicit MidiRig(std::vector<std::string> drivers) {
        fs::create_directory(dir.path / "binary");
        WriteFileAtomically((dir.path / "binary/tune.mid").string(), SoundFixture("tune.mid"));
        WriteFileAtomically((dir.path / "binary/text.mid").string(), "not a MIDI file");
        settings.midiinternal = 1;
        midi = std::make_unique<FluidMidiDevice>(
            FluidMidiOptions{kGeneralMidiSoundFont, std::move(drivers), Path("out.wav")});
        player =
            std::make_unique<SoundPlayer>(settings, rec, SoundBackends{rec, rec, *midi, rec, rec});
        midi->SetCompletionCallback([this](int id) {
            loop.Post([this, id] {
                ++completions;
                player->OnMidiNotify(id);
            });
        });
    }
    std::string Path(const char* name) const { return (dir.path / name).string(); }
};

TEST(FluidMidiDeviceTest, RendersAMidiFileWithTheSoundFont) {
    MidiRig rig({});
    const std::string wav = rig.Path("tune.wav");
    ASSERT_EQ(FluidMidiDevice::RenderToWav(rig.Path("binary/tune.mid"), wav), "");
    const std::string bytes = ReadFile(wav);
    ASSERT_GT(bytes.size(), 44u + 44100u); // a quarter second of 16-bit stereo at 44.1 kHz
    EXPECT_GT(Peak(bytes, 44), 500);       // not silence

    EXPECT_EQ(FluidMidiDevice::RenderToWav(rig.Path("none.mid"), wav),
              MidiErrorText(kMidiFileNotFound));
    EXPECT_EQ(FluidMidiDevice::RenderToWav(rig.Path("binary/text.mid"), wav),
              MidiErrorText(kMidiInvalidFile));
    EXPECT_EQ(FluidMidiDevice::RenderToWav(rig.Path("binary/tune.mid"), wav, "/none.sf2")
                  .rfind(MidiErrorText(kMidiCannotLoadDriver), 0),
              0u);
}

TEST(FluidMidiDeviceTest, LiveDeviceReportsTheEndToTheUserInterfaceThread) {
    MidiRig rig({"no-such-driver", "file"});
    ScopedCwd cwd(rig.dir.path);
    FluidMidiDevice& midi = *rig.midi;
    EXPECT_EQ(rig.player->Play("binary/tune.mid"), 1);
    const int id = rig.player->MidiDeviceId();
    EXPECT_EQ(id, midi.DeviceId(kMidiAlias));
    EXPECT_GE(id, 1);
    EXPECT_EQ(midi.Open(rig.Path("binary/tune.mid"), kMidiAlias), kMidiDuplicateAlias);
    ASSERT_TRUE(rig.loop.RunUntil([&] { return rig.completions == 1; }, 10s));
    EXPECT_EQ(rig.rec.Take(),
              (std::vector<std::string>{"Playing binary/tune.mid...", "Midi complete..."}));
    EXPECT_EQ(midi.DeviceId(kMidiAlias), 0);
    EXPECT_EQ(midi.Close(kMidiAlias), kMidiInvalidDeviceName);

    // Stopped while it plays: a new device id, and no completion.
    rig.player->Play("binary/tune.mid");
    EXPECT_GT(rig.player->MidiDeviceId(), id);
    rig.player->Stop();
    rig.loop.RunFor(400ms);
    EXPECT_EQ(rig.completions, 1);
    EXPECT_EQ(rig.rec.Take().back(), "Stopping sound...");

    rig.player->Play("binary/text.mid");
    EXPECT_EQ(rig.rec.Take().at(1), MidiErrorText(kMidiInvalidFile));
}

TEST(FluidMidiDeviceTest, WithoutAudioPlayLogsAndGoesOn) {
    MidiRig rig({"no-such-driver"});
    ScopedCwd cwd(rig.dir.path);
    EXPECT_EQ(rig.player->Play("binary/tune.mid"), 1);
    EXPECT_EQ(rig.rec.Take(),
              (std::vector<std::string>{
                  "Playing binary/tune.mid...",
                  "No audio output could be opened for MIDI playback (no-such-driver: Couldn't "
                  "find the requested audio driver 'no-such-driver'.).",
                  MidiErrorText(kMidiInvalidDeviceName)}));
    rig.loop.RunFor(0ms);
    EXPECT_EQ(rig.completions, 0);

    // Whatever this machine has, the usual drivers open or fail (a driver that waits for
    // a device would hang here, until the test's time-out).
    FluidMidiDevice usual;
    const int rc = usual.Open(rig.Path("binary/tune.mid"), kMidiAlias);
    EXPECT_TRUE(rc == kMidiOk || rc == kMidiNoAudioOutput) << usual.ErrorText(rc);
}

} // namespace
} // namespace tav::test
