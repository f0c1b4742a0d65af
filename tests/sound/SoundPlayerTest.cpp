// The sound rules through recording backends.
#include "sound/SoundPlayer.h"
#include "sound/PlayerCommand.h"
#include "tests/sound/SoundTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tav::test {
namespace {

using Lines = std::vector<std::string>;
using Words = std::vector<std::string>;

struct Rig {
    Settings settings = PlayerSettings();
    RecordingLog log;
    RecordingProcesses processes;
    RecordingWav wav;
    RecordingMidi midi;
    RecordingFocus focus;
    SoundPlayer player{settings, log, {processes, wav, midi, focus}};

    // A MOD player left running (pid 100), its log lines dropped.
    void StartMod(const char* name = "binary/old.mod") {
        player.Play(name);
        log.Take();
    }
};

// What one cue did, beyond its log lines.
struct Effect {
    Words argv;      // the player started, empty when none
    bool newConsole; // as the player was started
    Words wav;       // WAV files played
    Words midi;      // MIDI device steps
};

struct ExtensionCase {
    const char* name;
    bool internalMidi;
    Lines log;
    Effect effect;
};

TEST(SoundPlayerTest, ExtensionDecidesAndNonWavStopsThePlayer) {
    const std::string cwd = std::filesystem::current_path().string();
    const Lines stopped = {"Stopping sound..."};
    const ExtensionCase cases[] = {
        {"binary/a.wav", false, {"Playing binary/a.wav..."}, {{}, false, {"binary/a.wav"}, {}}},
        {"binary/a.WAV", false, {"Playing binary/a.WAV..."}, {{}, false, {"binary/a.WAV"}, {}}},
        {"binary/a.wav.mod",
         false,
         {"Playing binary/a.wav.mod..."},
         {{}, false, {"binary/a.wav.mod"}, {}}},
        {"binary/a.Wav", false, stopped, {}},
        {"binary/a.mod",
         false,
         {"Stopping sound...", "Playing binary/a.mod..."},
         {{"modplay", "-q", "binary/a.mod"}, true, {}, {}}},
        {"binary/a.MOD",
         false,
         {"Stopping sound...", "Playing binary/a.MOD..."},
         {{"modplay", "-q", "binary/a.MOD"}, true, {}, {}}},
        {"binary/a.mod.mp3",
         false,
         {"Stopping sound...", "Playing binary/a.mod.mp3..."},
         {{"modplay", "-q", "binary/a.mod.mp3"}, true, {}, {}}},
        {"binary/a.mp3",
         false,
         {"Stopping sound...", "Playing binary/a.mp3..."},
         {{"mp3play", "binary/a.mp3"}, true, {}, {}}},
        {"binary/a.MP3.mid",
         false,
         {"Stopping sound...", "Playing binary/a.MP3.mid..."},
         {{"mp3play", "binary/a.MP3.mid"}, true, {}, {}}},
        {"binary/a.mid",
         false,
         {"Stopping sound...", "Playing binary/a.mid..."},
         {{"midiplay", "binary/a.mid"}, false, {}, {}}},
        {"binary/a.MIDI",
         false,
         {"Stopping sound...", "Playing binary/a.MIDI..."},
         {{"midiplay", "binary/a.MIDI"}, false, {}, {}}},
        {"binary/a.mid",
         true,
         {"Stopping sound...", "Playing binary/a.mid..."},
         {{}, false, {}, {"open " + cwd + "/binary/a.mid alias midi1", "play midi1"}}},
        {"binary/a.Mid", true, stopped, {}},
        {"binary/a.ogg", false, stopped, {}},
    };
    for (const ExtensionCase& c : cases) {
        SCOPED_TRACE(std::string(c.name) + (c.internalMidi ? " internal" : ""));
        Rig rig;
        rig.settings.midiinternal = c.internalMidi ? 1 : 0;
        rig.StartMod();
        EXPECT_EQ(rig.player.Play(c.name), 1);
        EXPECT_EQ(rig.log.Take(), c.log);
        const bool isWav = !c.effect.wav.empty();
        // A WAV leaves the MOD player alone; anything else ends it first.
        EXPECT_EQ(rig.processes.terminated, isWav ? std::vector<int>{} : std::vector<int>{100});
        EXPECT_EQ(rig.wav.played, c.effect.wav);
        EXPECT_EQ(rig.midi.steps, c.effect.midi);
        ASSERT_EQ(rig.processes.starts.size(), c.effect.argv.empty() ? 1u : 2u);
        if (!c.effect.argv.empty()) {
            EXPECT_EQ(rig.processes.starts[1].argv, c.effect.argv);
            EXPECT_EQ(rig.processes.starts[1].newConsole, c.effect.newConsole);
        }
        EXPECT_EQ(rig.player.LastSound(), c.name);
    }
}

TEST(SoundPlayerTest, DontPlaySettingsSkipButStillStop) {
    struct Case {
        Flag Settings::*flag;
        const char* name;
        bool stops;
    };
    const Case cases[] = {
        {&Settings::nowav, "binary/a.wav", false},
        {&Settings::nomod, "binary/a.mod", true},
        {&Settings::nomp3, "binary/a.mp3", true},
        {&Settings::nomidi, "binary/a.mid", true},
    };
    for (const Case& c : cases) {
        for (const Flag internal : {Flag{0}, Flag{1}}) {
            SCOPED_TRACE(std::string(c.name) + (internal ? " internal" : ""));
            Rig rig;
            rig.StartMod();
            rig.settings.*c.flag = 1;
            rig.settings.midiinternal = internal;
            EXPECT_EQ(rig.player.Play(c.name), 1);
            Lines expected = {"Not playing " + std::string(c.name) + "..."};
            if (c.stops) expected.insert(expected.begin(), "Stopping sound...");
            EXPECT_EQ(rig.log.Take(), expected);
            EXPECT_EQ(rig.processes.starts.size(), 1u);
            EXPECT_TRUE(rig.wav.played.empty());
            EXPECT_TRUE(rig.midi.steps.empty());
            EXPECT_EQ(rig.player.PlayerRunning(), !c.stops);
        }
    }
}

TEST(SoundPlayerTest, RedundantCueWhilePlayerRuns) {
    struct Case {
        const char* label;
        Flag ignoreredundant;
        const char* second;
        bool firstEnded; // Poll saw the first player end before the second cue
        bool ignored;
    };
    const Case cases[] = {
        {"same name", 1, "binary/old.mod", false, true},
        {"setting off", 0, "binary/old.mod", false, false},
        {"other name", 1, "binary/new.mod", false, false},
        {"case differs", 1, "binary/OLD.mod", false, false},
        {"player ended", 1, "binary/old.mod", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Rig rig;
        rig.settings.ignoreredundant = c.ignoreredundant;
        rig.StartMod("binary/old.mod");
        if (c.firstEnded) {
            rig.processes.Exit(100);
            rig.player.PollPlayer();
            rig.log.Take();
        }
        EXPECT_EQ(rig.player.Play(c.second), 1);
        const Lines log = rig.log.Take();
        if (c.ignored) {
            EXPECT_EQ(log, Lines{"Ignoring redundancy..."});
            EXPECT_EQ(rig.processes.starts.size(), 1u);
            EXPECT_TRUE(rig.processes.terminated.empty());
        } else {
            EXPECT_EQ(log.back(), "Playing " + std::string(c.second) + "...");
            EXPECT_EQ(rig.processes.starts.size(), 2u);
        }
        EXPECT_TRUE(rig.player.PlayerRunning());
    }
}

TEST(SoundPlayerTest, WavAndInternalMidiNeverCountAsRunning) {
    // Two WAV plays; MIDI: open, play, then close, open, play.
    const std::pair<const char*, std::size_t> cases[] = {{"binary/a.wav", 2}, {"binary/a.mid", 5}};
    for (const auto& [name, steps] : cases) {
        SCOPED_TRACE(name);
        Rig rig;
        rig.settings.ignoreredundant = 1;
        rig.settings.midiinternal = 1;
        rig.player.Play(name);
        rig.player.Play(name);
        for (const std::string& line : rig.log.Take())
            EXPECT_NE(line, "Ignoring redundancy...");
        EXPECT_EQ(rig.wav.played.size() + rig.midi.steps.size(), steps);
    }
}

TEST(SoundPlayerTest, StopEndsWhatPlays) {
    struct Case {
        const char* label;
        bool player;
        bool midi;
        int closeResult;
        Flag debug;
        Lines log;
    };
    const Case cases[] = {
        {"nothing", false, false, 0, 1, {}},
        {"player", true, false, 0, 0, {"Stopping sound..."}},
        {"player debug",
         true,
         false,
         0,
         1,
         {"Stopping sound...", "Terminating sound process: 100"}},
        {"midi", false, true, 0, 0, {"Stopping sound..."}},
        {"midi closing", false, true, 288, 0, {"Stopping sound..."}},
        {"midi closing high bits", false, true, 0x10000 + 288, 0, {"Stopping sound..."}},
        {"midi not open", false, true, 263, 0, {"Stopping sound...", "midi error 263"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Rig rig;
        rig.settings.midiinternal = 1;
        if (c.player) rig.StartMod();
        if (c.midi) rig.player.Play("binary/a.mid");
        rig.log.Take();
        rig.midi.steps.clear();
        rig.settings.cdmdebug = c.debug;
        rig.midi.closeResult = c.closeResult;
        EXPECT_EQ(rig.player.Stop(), 1);
        EXPECT_EQ(rig.log.Take(), c.log);
        EXPECT_EQ(rig.processes.terminated, c.player ? std::vector<int>{100} : std::vector<int>{});
        EXPECT_EQ(rig.midi.steps, c.midi ? Words{"close midi1"} : Words{});
        EXPECT_FALSE(rig.player.PlayerRunning());
        EXPECT_EQ(rig.player.MidiDeviceId(), -1);
        // A second stop finds nothing to do.
        rig.player.Stop();
        EXPECT_TRUE(rig.log.Take().empty());
    }
}

TEST(SoundPlayerTest, PollNoticesTheEndAndKeepsTheFocus) {
    Rig rig;
    rig.player.PollPlayer();
    EXPECT_EQ(rig.processes.polls, 0);

    rig.StartMod();
    EXPECT_EQ(rig.focus.events, (Words{"remember", "restore"}));
    rig.player.PollPlayer();
    rig.player.PollPlayer();
    EXPECT_TRUE(rig.log.Take().empty());
    rig.processes.Exit(100);
    rig.player.PollPlayer();
    EXPECT_EQ(rig.log.Take(), Lines{"Sound finished..."});
    EXPECT_EQ(rig.focus.events, (Words{"remember", "restore", "remember", "remember", "restore"}));
    EXPECT_FALSE(rig.player.PlayerRunning());
    rig.player.PollPlayer();
    EXPECT_EQ(rig.processes.polls, 3);
    // Nothing left to stop.
    rig.player.Stop();
    EXPECT_TRUE(rig.processes.terminated.empty());
    EXPECT_TRUE(rig.log.Take().empty());
}

TEST(SoundPlayerTest, PlayerStart) {
    struct Case {
        const char* label;
        const char* modplayer;
        Flag hide;
        Flag debug;
        const char* failWith;
        int result;
        Lines log;
        Words argv; // empty when Start must not be called
    };
    const Case cases[] = {
        {"quoted path",
         R"("/opt/my player/play" -v)",
         0,
         0,
         "",
         1,
         {"Playing binary/a b.mod..."},
         {"/opt/my player/play", "-v", "binary/a b.mod"}},
        {"debug line",
         "modplay -q",
         1,
         1,
         "",
         1,
         {"Playing binary/a b.mod...", "modplay -q binary/a b.mod"},
         {"modplay", "-q", "binary/a b.mod"}},
        {"start fails",
         "modplay",
         0,
         0,
         "modplay: No such file or directory",
         -1,
         {"Playing binary/a b.mod...",
          "CreateProcess() failed:", "modplay: No such file or directory"},
         {"modplay", "binary/a b.mod"}},
        // Without a player the sound file itself must not become the program.
        {"no player",
         "  ",
         0,
         0,
         "",
         -1,
         {"Playing binary/a b.mod...", "CreateProcess() failed:", "No player is set."},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Rig rig;
        CopyField(rig.settings.modplayer, c.modplayer);
        rig.settings.hideplayers = c.hide;
        rig.settings.cdmdebug = c.debug;
        rig.processes.failWith = c.failWith;
        EXPECT_EQ(rig.player.Play("binary/a b.mod"), c.result);
        EXPECT_EQ(rig.log.Take(), c.log);
        ASSERT_EQ(rig.processes.starts.size(), c.argv.empty() ? 0u : 1u);
        if (!c.argv.empty()) {
            EXPECT_EQ(rig.processes.starts[0].argv, c.argv);
            EXPECT_EQ(rig.processes.starts[0].hidden, c.hide != 0);
        }
        EXPECT_EQ(rig.player.PlayerRunning(), c.result == 1);
    }
}

TEST(SoundPlayerTest, InternalMidiStepsAndErrors) {
    const std::string cwd = std::filesystem::current_path().string();
    const std::string open = "open " + cwd + "/binary/a.mid alias midi1";
    struct Case {
        const char* label;
        int openResult;
        int playResult;
        Lines log;
        Words steps;
        int device;
    };
    const Case cases[] = {
        {"plays",
         0,
         0,
         {"Playing binary/a.mid...", "open " + cwd + "/binary/a.mid type sequencer alias midi1"},
         {open, "play midi1"},
         7},
        {"open fails",
         262,
         263,
         {"Playing binary/a.mid...", "open " + cwd + "/binary/a.mid type sequencer alias midi1",
          "midi error 262", "midi error 263"},
         {open, "play midi1", "close midi1"},
         0},
        {"play fails",
         0,
         296,
         {"Playing binary/a.mid...", "open " + cwd + "/binary/a.mid type sequencer alias midi1",
          "midi error 296"},
         {open, "play midi1", "close midi1"},
         7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Rig rig;
        rig.settings.midiinternal = 1;
        rig.settings.cdmdebug = 1;
        rig.midi.openResult = c.openResult;
        rig.midi.playResult = c.playResult;
        EXPECT_EQ(rig.player.Play("binary/a.mid"), 1);
        EXPECT_EQ(rig.log.Take(), c.log);
        EXPECT_EQ(rig.midi.steps, c.steps);
        EXPECT_EQ(rig.player.MidiDeviceId(), c.device);
        EXPECT_FALSE(rig.player.PlayerRunning());
    }
}

TEST(SoundPlayerTest, MidiNotifyClosesOnlyTheCurrentDevice) {
    Rig rig;
    rig.settings.midiinternal = 1;
    rig.player.Play("binary/a.mid");
    rig.log.Take();
    rig.midi.steps.clear();

    rig.player.OnMidiNotify(6); // an earlier device
    EXPECT_TRUE(rig.log.Take().empty());
    rig.midi.closeResult = 288;
    rig.player.OnMidiNotify(7);
    EXPECT_EQ(rig.log.Take(), Lines{"Midi complete..."});
    EXPECT_EQ(rig.midi.steps, Words{"close midi1"});
    EXPECT_EQ(rig.player.MidiDeviceId(), -1);
    rig.player.OnMidiNotify(7);
    rig.player.Stop();
    EXPECT_TRUE(rig.log.Take().empty());

    rig.player.Play("binary/b.mid");
    rig.log.Take();
    rig.midi.closeResult = 263;
    rig.player.OnMidiNotify(7);
    EXPECT_EQ(rig.log.Take(), (Lines{"Midi complete...", "midi error 263"}));
}

TEST(SoundPlayerTest, LastSoundIsBounded) {
    Rig rig;
    rig.settings.ignoreredundant = 1;
    const std::string longName = "binary/" + std::string(300, 'x') + ".mod";
    rig.player.Play(longName);
    EXPECT_EQ(rig.player.LastSound(), longName.substr(0, kLastSoundChars));
    EXPECT_EQ(rig.processes.starts[0].argv.back(), longName);
    rig.player.Play(longName);
    EXPECT_EQ(rig.log.Take().back(), "Ignoring redundancy...");
}

TEST(PlayerCommandTest, SplitsWordsHonouringQuotes) {
    const std::pair<const char*, Words> cases[] = {
        {"", {}},
        {" \t ", {}},
        {"mpg123", {"mpg123"}},
        {"  mpg123   -q\t-o pulse ", {"mpg123", "-q", "-o", "pulse"}},
        {R"("C:\Program Files\Play\play.exe" /q)", {R"(C:\Program Files\Play\play.exe)", "/q"}},
        {R"(play --title="a b" x)", {"play", "--title=a b", "x"}},
        {R"(play "" x)", {"play", "", "x"}},
        {R"(play "unclosed quote)", {"play", "unclosed quote"}},
        {"play ';' `id`", {"play", "';'", "`id`"}},
    };
    for (const auto& [command, words] : cases)
        EXPECT_EQ(SplitPlayerCommand(command), words) << command;
}

} // namespace
} // namespace tav::test
