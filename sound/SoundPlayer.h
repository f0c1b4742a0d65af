#pragma once

#include "settings/ProfileOptions.h"
#include "sound/SoundBackends.h"

#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>

namespace tav {

class LogSink;
struct Settings;

// The most characters of a sound name remembered for the redundancy test.
inline constexpr std::size_t kLastSoundChars = 255;
// The most characters of the current directory used to name a MIDI file to the device.
inline constexpr std::size_t kCurrentDirChars = 256;
// The alias the MIDI file is opened under.
inline constexpr const char* kMidiAlias = "midi1";

// Plays the server's sound cues by file extension: WAV through the WAV output, MOD and
// MP3 through the configured player programs or the built-in music player (a profile's
// choice, SetBuiltInPlayers), MIDI through the MIDI device or the configured player. The
// built-in player counts as a running player program. Repeated cues are ignored while their player
// runs (with `ignoreredundant`), every other non-WAV cue stops what plays first. Reports go to the
// client log.
//
// Play and Stop are called from the network thread (sound_query, sound_file, soundstop)
// and the user-interface thread (Stop Sound, Disconnect); PollPlayer every 500 ms from the
// user-interface timer while the Client is connected; OnMidiNotify on the user-interface
// thread with the id the MIDI device's completion callback reported. A mutex keeps the
// state consistent between the two threads.
class SoundPlayer {
public:
    SoundPlayer(const Settings& settings, LogSink& log, SoundBackends backends);

    // Plays the file `name` (a path such as "binary/rain.mod"). Returns 1, or -1 when a
    // player program could not be started.
    int Play(std::string_view name);
    // Which of MOD and MP3 play through the built-in player from the next cue on.
    void SetBuiltInPlayers(BuiltInPlayers players);
    // Stops the MIDI device and ends the player program; quiet when nothing plays.
    // Returns 1.
    int Stop();
    // Notices that the player program has ended by itself.
    void PollPlayer();
    // The MIDI device reports that the piece on deviceId has ended.
    void OnMidiNotify(int deviceId);

    bool PlayerRunning() const;
    int MidiDeviceId() const;
    std::string LastSound() const;

private:
    int StopLocked();
    int StartPlayer(const char* playerSetting, std::size_t settingSize, std::string_view name,
                    bool newConsole);
    int StartBuiltIn(std::string_view name, MusicKind kind);
    void PlayInternalMidi(std::string_view name);
    void CloseMidi();
    void Log(std::string_view line);
    // Logs format with its one "%s" replaced by arg.
    void Log(std::string_view format, std::string_view arg);

    const Settings& settings_;
    LogSink& log_;
    SoundBackends backends_;

    mutable std::mutex mutex_;
    bool playerRunning_ = false;
    bool builtInRunning_ = false; // the running player is the built-in one
    BuiltInPlayers builtIn_;
    int playerPid_ = -1;
    int midiDevice_ = -1;
    std::string lastSound_;
};

} // namespace tav
