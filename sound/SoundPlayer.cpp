#include "sound/SoundPlayer.h"

#include "settings/LogSink.h"
#include "settings/PlayerCommand.h"
#include "settings/Settings.h"
#include "sound/MidiError.h"

#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace tav {

namespace {

bool Contains(std::string_view name, std::string_view lower, std::string_view upper) {
    return name.find(lower) != std::string_view::npos || name.find(upper) != std::string_view::npos;
}

std::string_view FieldText(const char* field, std::size_t size) {
    return {field, strnlen(field, size)};
}

std::string CurrentDirectory() {
    char buffer[kCurrentDirChars];
    if (::getcwd(buffer, sizeof buffer) == nullptr) return ".";
    return buffer;
}

} // namespace

SoundPlayer::SoundPlayer(const Settings& settings, LogSink& log, SoundBackends backends)
    : settings_(settings), log_(log), backends_(backends) {}

int SoundPlayer::Play(std::string_view name) {
    std::lock_guard lock(mutex_);
    const std::string_view remembered = name.substr(0, kLastSoundChars);
    if (settings_.ignoreredundant != 0 && playerRunning_ && remembered == lastSound_) {
        Log("Ignoring redundancy...");
        return 1;
    }
    lastSound_ = remembered;

    // The first matching extension decides; only these two letter cases count.
    if (Contains(name, ".wav", ".WAV")) {
        if (settings_.nowav != 0) {
            Log("Not playing %s...", name);
            return 1;
        }
        Log("Playing %s...", name);
        backends_.wav.PlayAsync(std::string(name));
        return 1;
    }

    StopLocked();
    std::fflush(nullptr);

    if (Contains(name, ".mod", ".MOD")) {
        if (settings_.nomod != 0) {
            Log("Not playing %s...", name);
            return 1;
        }
        Log("Playing %s...", name);
        if (builtIn_.mod) return StartBuiltIn(name, MusicKind::Mod);
        return StartPlayer(settings_.modplayer, sizeof settings_.modplayer, name, true);
    }
    if (Contains(name, ".mp3", ".MP3")) {
        if (settings_.nomp3 != 0) {
            Log("Not playing %s...", name);
            return 1;
        }
        Log("Playing %s...", name);
        if (builtIn_.mp3) return StartBuiltIn(name, MusicKind::Mp3);
        return StartPlayer(settings_.mp3player, sizeof settings_.mp3player, name, true);
    }
    if (Contains(name, ".mid", ".MID")) {
        if (settings_.nomidi != 0) {
            Log("Not playing %s...", name);
            return 1;
        }
        Log("Playing %s...", name);
        if (settings_.midiinternal == 0)
            return StartPlayer(settings_.midiplayer, sizeof settings_.midiplayer, name, false);
        PlayInternalMidi(name);
        return 1;
    }
    return 1;
}

void SoundPlayer::SetBuiltInPlayers(BuiltInPlayers players) {
    std::lock_guard lock(mutex_);
    builtIn_ = players;
}

int SoundPlayer::Stop() {
    std::lock_guard lock(mutex_);
    return StopLocked();
}

int SoundPlayer::StopLocked() {
    if (midiDevice_ == -1 && !playerRunning_) return 1;
    Log("Stopping sound...");
    if (midiDevice_ >= 0) {
        CloseMidi();
        midiDevice_ = -1;
    }
    if (playerRunning_ && builtInRunning_) {
        backends_.music.Stop();
    } else if (playerRunning_) {
        if (settings_.cdmdebug != 0)
            Log("Terminating sound process: %s", std::to_string(playerPid_));
        backends_.processes.Terminate(playerPid_);
    }
    playerRunning_ = builtInRunning_ = false;
    return 1;
}

void SoundPlayer::PollPlayer() {
    std::lock_guard lock(mutex_);
    if (!playerRunning_) return;
    if (builtInRunning_) {
        // No window of its own, so the focus is left alone.
        if (backends_.music.IsPlaying()) return;
        playerRunning_ = builtInRunning_ = false;
        Log("Sound finished...");
        return;
    }
    if (backends_.processes.IsRunning(playerPid_)) {
        backends_.focus.RememberForeground();
        return;
    }
    playerRunning_ = false;
    Log("Sound finished...");
    backends_.focus.RestoreForeground();
}

void SoundPlayer::OnMidiNotify(int deviceId) {
    std::lock_guard lock(mutex_);
    if (deviceId != midiDevice_) return;
    Log("Midi complete...");
    CloseMidi();
    midiDevice_ = -1;
}

bool SoundPlayer::PlayerRunning() const {
    std::lock_guard lock(mutex_);
    return playerRunning_;
}

int SoundPlayer::MidiDeviceId() const {
    std::lock_guard lock(mutex_);
    return midiDevice_;
}

std::string SoundPlayer::LastSound() const {
    std::lock_guard lock(mutex_);
    return lastSound_;
}

int SoundPlayer::StartPlayer(const char* playerSetting, std::size_t settingSize,
                             std::string_view name, bool newConsole) {
    const std::string_view player = FieldText(playerSetting, settingSize);
    backends_.focus.RememberForeground();
    if (settings_.cdmdebug != 0) {
        std::string commandLine(player);
        commandLine.append(" ").append(name);
        Log(commandLine);
    }
    // The player setting gives the program and its options; the sound name is always one
    // more argument of its own, however it is spelled.
    PlayerLaunch launch;
    launch.argv = SplitPlayerCommand(player);
    const bool hasProgram = !launch.argv.empty();
    launch.argv.emplace_back(name);
    launch.hidden = settings_.hideplayers != 0;
    launch.newConsole = newConsole;

    const LaunchResult result =
        hasProgram ? backends_.processes.Start(launch) : LaunchResult{-1, "No player is set."};
    if (!result.Started()) {
        Log("CreateProcess() failed:");
        Log(result.error);
        return -1;
    }
    playerPid_ = result.pid;
    playerRunning_ = true;
    backends_.focus.RestoreForeground();
    return 1;
}

int SoundPlayer::StartBuiltIn(std::string_view name, MusicKind kind) {
    if (const std::string error = backends_.music.Play(std::string(name), kind); !error.empty()) {
        Log(error);
        return -1;
    }
    playerRunning_ = builtInRunning_ = true;
    return 1;
}

void SoundPlayer::PlayInternalMidi(std::string_view name) {
    std::string path = CurrentDirectory();
    path.append("/").append(name);
    if (settings_.cdmdebug != 0) Log("open " + path + " type sequencer alias " + kMidiAlias);
    MidiDevice& midi = backends_.midi;
    if (const int rc = midi.Open(path, kMidiAlias); rc != kMidiOk) Log(midi.ErrorText(rc));
    midiDevice_ = midi.DeviceId(kMidiAlias);
    if (const int rc = midi.Play(kMidiAlias); rc != kMidiOk) {
        Log(midi.ErrorText(rc));
        midi.Close(kMidiAlias);
    }
}

void SoundPlayer::CloseMidi() {
    constexpr int kLow16Bits = 0xFFFF;
    MidiDevice& midi = backends_.midi;
    const int rc = midi.Close(kMidiAlias);
    if (rc != kMidiOk && (rc & kLow16Bits) != kMidiDeviceClosing) Log(midi.ErrorText(rc));
}

void SoundPlayer::Log(std::string_view line) {
    log_.LogLine(line);
}

void SoundPlayer::Log(std::string_view format, std::string_view arg) {
    const std::size_t at = format.find("%s");
    std::string line(format.substr(0, at));
    line.append(arg).append(format.substr(at + 2));
    log_.LogLine(line);
}

} // namespace tav
