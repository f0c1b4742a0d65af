// The sound rules as short scripts against a recorder of every backend.
#include "sound/SoundPlayer.h"
#include "tests/sound/SoundTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

namespace tav::test {
namespace {

// Runs steps separated by ", " and returns what happened after the last "|", joined with
// " / ". Steps: "play NAME", "mod" (play binary/old.mod: player 100), "stop", "poll",
// "exit PID", "notify ID", "set FLAG", "player TEXT" (the MOD player setting),
// "openRc N" / "playRc N" / "closeRc N", "startError", "builtin" (both kinds),
// "musicError", "musicEnd". A Play that does not return 1 adds "-> result".
std::string RunScript(std::string_view script) {
    Recorder rec;
    Settings settings = PlayerSettings();
    SoundPlayer player(settings, rec, rec.All());
    auto play = [&](std::string_view name) {
        if (const int rc = player.Play(name); rc != 1) rec.Add("-> " + std::to_string(rc));
    };
    const std::map<std::string, Flag Settings::*> flags = {
        {"ignoreredundant", &Settings::ignoreredundant},
        {"midiinternal", &Settings::midiinternal},
        {"cdmdebug", &Settings::cdmdebug},
        {"hideplayers", &Settings::hideplayers},
        {"nowav", &Settings::nowav},
        {"nomod", &Settings::nomod},
        {"nomidi", &Settings::nomidi}};
    using Arg = const std::string&;
    const std::map<std::string, std::function<void(Arg)>> steps = {
        {"|", [&](Arg) { rec.Take(); }},
        {"play", [&](Arg name) { play(name); }},
        {"mod", [&](Arg) { play("binary/old.mod"); }},
        {"stop", [&](Arg) { player.Stop(); }},
        {"poll", [&](Arg) { player.PollPlayer(); }},
        {"exit", [&](Arg pid) { rec.running.erase(std::stoi(pid)); }},
        {"notify", [&](Arg id) { player.OnMidiNotify(std::stoi(id)); }},
        {"set", [&](Arg flag) { settings.*flags.at(flag) = 1; }},
        {"player", [&](Arg text) { CopyField(settings.modplayer, text.c_str()); }},
        {"openRc", [&](Arg rc) { rec.openRc = std::stoi(rc); }},
        {"playRc", [&](Arg rc) { rec.playRc = std::stoi(rc); }},
        {"closeRc", [&](Arg rc) { rec.closeRc = std::stoi(rc); }},
        {"startError", [&](Arg) { rec.startError = "no such player"; }},
        {"builtin",
         [&](Arg) {
             player.SetBuiltInPlayers({true, true});
         }},
        {"musicError", [&](Arg) { rec.musicError = "no device"; }},
        {"musicEnd", [&](Arg) { rec.musicPlaying = false; }},
    };
    while (!script.empty()) {
        const std::size_t end = std::min(script.find(", "), script.size());
        const std::string step(script.substr(0, end));
        script.remove_prefix(std::min(end + 2, script.size()));
        const std::size_t space = step.find(' ');
        const auto found = steps.find(step.substr(0, space));
        if (found == steps.end())
            ADD_FAILURE() << "unknown step " << step;
        else
            found->second(space == std::string::npos ? "" : step.substr(space + 1));
    }
    std::string trace;
    for (const std::string& event : rec.Take())
        trace += (trace.empty() ? "" : " / ") + event;
    return trace;
}

const std::string kStops = "Stopping sound... / kill 100";
const std::string kModStart = " / remember / start console modplay -q ";

TEST(SoundPlayerTest, EachScriptLeavesItsTrace) {
    const std::pair<const char*, std::string> cases[] = {
        // script, trace
        // The first matching extension decides.
        {"mod, |, play binary/a.wav", "Playing binary/a.wav... / wav binary/a.wav"},
        {"mod, |, play binary/a.wav.mod", "Playing binary/a.wav.mod... / wav binary/a.wav.mod"},
        {"mod, |, play binary/a.Wav", kStops},
        {"mod, |, play binary/a.mod.mp3",
         kStops + " / Playing binary/a.mod.mp3..." + kModStart + "binary/a.mod.mp3 / restore"},
        {"mod, |, play binary/a.MP3.mid", kStops + " / Playing binary/a.MP3.mid... / remember / "
                                                   "start console mp3play binary/a.MP3.mid / "
                                                   "restore"},
        {"mod, |, play binary/a.MIDI",
         kStops + " / Playing binary/a.MIDI... / remember / start midiplay binary/a.MIDI / "
                  "restore"},
        {"set midiinternal, mod, |, play binary/a.mid",
         kStops + " / Playing binary/a.mid... / open $CWD/binary/a.mid midi1 / play midi1"},
        {"set midiinternal, mod, |, play binary/a.Mid", kStops},
        // A setting not to play a kind skips it after stopping.
        {"mod, set nowav, |, play binary/a.wav", "Not playing binary/a.wav..."},
        {"mod, set nomod, |, play binary/a.mod", kStops + " / Not playing binary/a.mod..."},
        {"mod, set nomidi, |, play binary/a.mid", kStops + " / Not playing binary/a.mid..."},
        {"set midiinternal, mod, set nomidi, |, play binary/a.mid",
         kStops + " / Not playing binary/a.mid..."},
        // A redundant cue is ignored only while its player runs.
        {"set ignoreredundant, mod, |, play binary/old.mod", "Ignoring redundancy..."},
        {"mod, |, play binary/old.mod",
         kStops + " / Playing binary/old.mod..." + kModStart + "binary/old.mod / restore"},
        {"set ignoreredundant, mod, |, play binary/OLD.mod",
         kStops + " / Playing binary/OLD.mod..." + kModStart + "binary/OLD.mod / restore"},
        {"set ignoreredundant, mod, exit 100, poll, |, play binary/old.mod",
         "Playing binary/old.mod..." + kModStart + "binary/old.mod / restore"},
        {"set ignoreredundant, play binary/a.wav, |, play binary/a.wav",
         "Playing binary/a.wav... / wav binary/a.wav"},
        {"set ignoreredundant, set midiinternal, play binary/a.mid, |, play binary/a.mid",
         "Stopping sound... / close midi1 / Playing binary/a.mid... / open $CWD/binary/a.mid "
         "midi1 / play midi1"},
        // Stop, poll and the player's start.
        {"stop", ""},
        {"mod, |, stop, stop", kStops},
        {"set cdmdebug, mod, |, stop",
         "Stopping sound... / Terminating sound process: 100 / kill 100"},
        {"mod, |, poll, poll, exit 100, poll, poll, stop",
         "remember / remember / Sound finished... / restore"},
        {"set cdmdebug, set hideplayers, |, play binary/a b.mod",
         "Playing binary/a b.mod... / remember / modplay -q binary/a b.mod / start hidden "
         "console modplay -q binary/a b.mod / restore"},
        {"startError, play binary/a.mod, stop",
         "Playing binary/a.mod..." + kModStart +
             "binary/a.mod / CreateProcess() failed: / no such player / -> -1"},
        // Without a player the sound file itself must not become the program.
        {"player  , play binary/a.mod",
         "Playing binary/a.mod... / remember / CreateProcess() failed: / No player is set. / -> "
         "-1"},
        // The built-in player stands in for the programs: no process, no focus.
        {"builtin, set cdmdebug, play binary/a.mod, |, poll, play binary/a.MP3, stop",
         "Stopping sound... / music stop / Playing binary/a.MP3... / music binary/a.MP3 / "
         "Stopping sound... / music stop"},
        {"builtin, play binary/a.mod, |, musicEnd, poll, poll, stop", "Sound finished..."},
        {"builtin, musicError, play binary/a.mp3, stop",
         "Playing binary/a.mp3... / music binary/a.mp3 / no device / -> -1"},
        // Internal MIDI: its steps, its errors and its completion.
        {"set midiinternal, set cdmdebug, play binary/a.mid",
         "Playing binary/a.mid... / open $CWD/binary/a.mid type sequencer alias midi1 / open "
         "$CWD/binary/a.mid midi1 / play midi1"},
        // A failed open leaves device id 0, which the next stop still closes.
        {"set midiinternal, openRc 262, playRc 263, play binary/a.mid, stop",
         "Playing binary/a.mid... / open $CWD/binary/a.mid midi1 / error 262 / play midi1 / "
         "error 263 / close midi1 / Stopping sound... / close midi1"},
        {"set midiinternal, playRc 296, play binary/a.mid",
         "Playing binary/a.mid... / open $CWD/binary/a.mid midi1 / play midi1 / error 296 / close "
         "midi1"},
        {"set midiinternal, play binary/a.mid, closeRc 288, |, stop, stop",
         "Stopping sound... / close midi1"},
        {"set midiinternal, play binary/a.mid, closeRc 65824, |, stop",
         "Stopping sound... / close midi1"},
        {"set midiinternal, play binary/a.mid, closeRc 263, |, stop",
         "Stopping sound... / close midi1 / error 263"},
        {"set midiinternal, play binary/a.mid, |, notify 6, closeRc 288, notify 7, notify 7, stop",
         "Midi complete... / close midi1"},
        {"set midiinternal, play binary/a.mid, |, closeRc 263, notify 7",
         "Midi complete... / close midi1 / error 263"},
    };
    const std::string cwd = std::filesystem::current_path().string();
    for (const auto& [script, trace] : cases) {
        std::string expected = trace;
        for (std::size_t at; (at = expected.find("$CWD")) != std::string::npos;)
            expected.replace(at, 4, cwd);
        EXPECT_EQ(RunScript(script), expected) << script;
    }
}

TEST(SoundPlayerTest, LastSoundIsBounded) {
    Recorder rec;
    Settings settings = PlayerSettings();
    settings.ignoreredundant = 1;
    SoundPlayer player(settings, rec, rec.All());
    const std::string name = "binary/" + std::string(300, 'x') + ".mod";
    player.Play(name);
    EXPECT_EQ(player.LastSound(), name.substr(0, kLastSoundChars));
    EXPECT_NE(rec.Take().at(2).find(name), std::string::npos); // the player gets it whole
    player.Play(name);
    EXPECT_EQ(rec.Take(), std::vector<std::string>{"Ignoring redundancy..."});
}

} // namespace
} // namespace tav::test
