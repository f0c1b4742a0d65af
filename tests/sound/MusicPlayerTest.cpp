// The built-in music player: real MOD and MP3 decoding, rendered to WAV and played
// through the sound rules into a recording stand-in for the audio device.
#include "sound/BuiltInMusicPlayer.h"
#include "sound/MusicDecoder.h"
#include "sound/SoundPlayer.h"
#include "sound/SystemAudioOutput.h"
#include "tests/sound/SoundTestSupport.h"

#include <gtest/gtest.h>

#include <condition_variable>

namespace tav::test {
namespace {

namespace fs = std::filesystem;

// Records what reaches the device: "open RATE", "close drain" or "close drop" and the
// samples. While `hold` is set a write waits, after recording, until it is interrupted.
struct Device {
    std::mutex mutex;
    std::condition_variable wake;
    std::vector<std::string> events;
    std::string samples; // 16-bit little-endian, as a WAV file holds them
    bool hold = true;
    std::string openError;

    std::size_t Frames() {
        std::lock_guard lock(mutex);
        return samples.size() / 4;
    }
    AudioOutputFactory Factory() {
        struct Output : AudioOutput {
            explicit Output(Device& d) : device(d) {}
            Device& device;
            bool interrupted = false;
            std::string Open(int rate) override {
                std::lock_guard lock(device.mutex);
                device.events.push_back("open " + std::to_string(rate));
                device.samples.clear();
                return device.openError;
            }
            bool Write(const std::int16_t* samples, std::size_t frames) override {
                std::unique_lock lock(device.mutex);
                device.samples.append(reinterpret_cast<const char*>(samples), frames * 4);
                device.wake.wait(lock, [&] { return !device.hold || interrupted; });
                return !interrupted;
            }
            void Interrupt() override {
                std::lock_guard lock(device.mutex);
                interrupted = true;
                device.wake.notify_all();
            }
            void Close(bool drain) override {
                std::lock_guard lock(device.mutex);
                device.events.push_back(drain ? "close drain" : "close drop");
            }
        };
        return [this] { return std::make_unique<Output>(*this); };
    }
};

struct MusicRig {
    TempDir dir;
    ScopedCwd cwd{dir.path};
    MusicRig() {
        fs::create_directory("binary");
        WriteFileAtomically("binary/square.mod", SquareWaveMod());
        WriteFileAtomically("binary/tone.mp3", SoundFixture("tone.mp3"));
        WriteFileAtomically("binary/text.mod", "not music at all");
    }
};

TEST(BuiltInMusicPlayerTest, RendersModAndMp3AndSaysWhyNot) {
    MusicRig rig;
    struct Case {
        const char* path;
        MusicKind kind;
        std::uint32_t rate;
        std::size_t minFrames, maxFrames; // after the 44-byte header
    };
    // A little-endian field of a WAV header.
    const auto field = [](std::uint32_t value, int bytes) {
        std::string out;
        for (int i = 0; i < bytes; ++i)
            out += static_cast<char>(value >> (8 * i) & 0xFF);
        return out;
    };
    // The module's four rows at 44.1 kHz (and a fade), the MP3's half second at its own
    // 22.05 kHz (and the encoder's padding).
    for (const Case& c : {Case{"binary/square.mod", MusicKind::Mod, 44100, 21000, 26500},
                          Case{"binary/tone.mp3", MusicKind::Mp3, 22050, 10500, 13000}}) {
        ASSERT_EQ(BuiltInMusicPlayer::RenderToWav(c.path, c.kind, "out.wav"), "") << c.path;
        const std::string wav = ReadFile("out.wav");
        // A 16-bit stereo PCM header whose lengths are the file's.
        const auto data = static_cast<std::uint32_t>(wav.size() - 44);
        EXPECT_EQ(wav.substr(0, 44), "RIFF" + field(36 + data, 4) + "WAVEfmt " + field(16, 4) +
                                         field(1, 2) + field(2, 2) + field(c.rate, 4) +
                                         field(c.rate * 4, 4) + field(4, 2) + field(16, 2) +
                                         "data" + field(data, 4))
            << c.path;
        EXPECT_GE((wav.size() - 44) / 4, c.minFrames) << c.path;
        EXPECT_LE((wav.size() - 44) / 4, c.maxFrames) << c.path;
        EXPECT_GT(Peak(wav, 44), 2000) << c.path; // not silence
    }
    EXPECT_EQ(BuiltInMusicPlayer::RenderToWav("binary/none.mp3", MusicKind::Mp3, "out.wav"),
              "Cannot play binary/none.mp3 as MP3: cannot be read.");
    EXPECT_EQ(BuiltInMusicPlayer::RenderToWav("binary/text.mod", MusicKind::Mp3, "out.wav"),
              "Cannot play binary/text.mod as MP3: no MPEG audio frame.");
    EXPECT_EQ(BuiltInMusicPlayer::RenderToWav("binary/text.mod", MusicKind::Mod, "out.wav")
                  .rfind("Cannot play binary/text.mod as MOD: ", 0),
              0u);
    std::string error;
    EXPECT_EQ(
        MusicDecoder::OpenBytes(std::string(kMaxMusicFileBytes + 1, 'x'), MusicKind::Mp3, error),
        nullptr);
    EXPECT_EQ(error, "larger than 64 MB");
}

// A MOD plays, the same cue again is ignored while it plays, an MP3 cue stops it and
// plays to its end, which the poll notices.
TEST(BuiltInMusicPlayerTest, PlaysThroughTheSoundRulesAsAPlayerProgramWould) {
    MusicRig rig;
    Recorder rec;
    Device device;
    BuiltInMusicPlayer music(device.Factory());
    Settings settings{}; // no player programs at all
    settings.ignoreredundant = 1;
    SoundPlayer player(settings, rec, {rec, rec, rec, rec, music});
    player.SetBuiltInPlayers({true, true});

    EXPECT_EQ(player.Play("binary/square.mod"), 1);
    ASSERT_TRUE(WaitFor([&] { return device.Frames() > 0; }, 5000));
    EXPECT_GT(Peak(device.samples), 2000);
    EXPECT_EQ(player.Play("binary/square.mod"), 1);
    EXPECT_TRUE(player.PlayerRunning());
    {
        std::lock_guard lock(device.mutex);
        device.hold = false;
    }
    EXPECT_EQ(player.Play("binary/tone.mp3"), 1);
    ASSERT_TRUE(WaitFor(
        [&] {
            player.PollPlayer();
            return !player.PlayerRunning();
        },
        5000));
    EXPECT_EQ(rec.Take(),
              (std::vector<std::string>{"Playing binary/square.mod...", "Ignoring redundancy...",
                                        "Stopping sound...", "Playing binary/tone.mp3...",
                                        "Sound finished..."}));
    EXPECT_EQ(device.events,
              (std::vector<std::string>{"open 44100", "close drop", "open 22050", "close drain"}));
    EXPECT_GE(device.Frames(), 10500u);
    EXPECT_GT(Peak(device.samples), 2000);

    // A file that is no module, and a machine without a device: one line each, nothing
    // plays, and the next cue is not taken as redundant.
    EXPECT_EQ(player.Play("binary/text.mod"), -1);
    device.openError = "no device here";
    EXPECT_EQ(player.Play("binary/tone.mp3"), -1);
    EXPECT_FALSE(player.PlayerRunning());
    const std::vector<std::string> lines = rec.Take();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1].rfind("Cannot play binary/text.mod as MOD: ", 0), 0u) << lines[1];
    EXPECT_EQ(lines[3], "No audio output could be opened for MP3 playback (no device here).");

    // The desktop's device opens, or fails with what it tried.
    SystemAudioOutput system;
    const std::string opened = system.Open(44100);
    EXPECT_TRUE(opened.empty() || opened.find("; alsa: ") != std::string::npos) << opened;
}

} // namespace
} // namespace tav::test
