#include "sound/FluidMidiDevice.h"

#include "sound/MidiError.h"

#include <fluidsynth.h>

#include <chrono>
#include <condition_variable>
#include <thread>
#include <unistd.h>

namespace tav {

namespace {

// How often the watcher looks whether the piece has ended.
constexpr auto kWatchInterval = std::chrono::milliseconds(20);
// The longest piece RenderToWav renders: one hour of 64-frame blocks at 44.1 kHz.
constexpr long kMaxRenderBlocks = 3600L * 44100 / 64;

// FluidSynth reports through one process-wide log function. Errors are kept so a failed
// open can say why; nothing is printed.
std::mutex gFluidLogMutex;
std::string gFluidLastError;

void CaptureFluidLog(int level, const char* message, void*) {
    if (level > FLUID_ERR || message == nullptr) return;
    std::lock_guard lock(gFluidLogMutex);
    gFluidLastError = message;
}

void InstallFluidLog() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (const int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
            fluid_set_log_function(level, CaptureFluidLog, nullptr);
    });
}

std::string TakeFluidError() {
    std::lock_guard lock(gFluidLogMutex);
    std::string error = std::move(gFluidLastError);
    gFluidLastError.clear();
    return error.empty() ? "unknown error" : error;
}

// Settings, synthesizer with the sound font loaded, and a player holding the file; the
// parts every use of FluidSynth here shares.
struct FluidChain {
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    fluid_player_t* player = nullptr;

    FluidChain() = default;
    FluidChain(const FluidChain&) = delete;
    FluidChain& operator=(const FluidChain&) = delete;
    ~FluidChain() {
        if (player != nullptr) delete_fluid_player(player);
        if (synth != nullptr) delete_fluid_synth(synth);
        if (settings != nullptr) delete_fluid_settings(settings);
    }

    // Returns kMidiOk or the error; `detail` says what failed.
    int Build(const std::string& midiPath, const std::string& soundFont, std::string& detail) {
        settings = new_fluid_settings();
        if (settings == nullptr) return Fail(kMidiCannotLoadDriver, detail);
        // The player follows the rendered samples, not a timer of its own.
        fluid_settings_setstr(settings, "player.timing-source", "sample");
        fluid_settings_setint(settings, "synth.lock-memory", 0);
        synth = new_fluid_synth(settings);
        if (synth == nullptr) return Fail(kMidiCannotLoadDriver, detail);
        if (fluid_synth_sfload(synth, soundFont.c_str(), 1) == FLUID_FAILED)
            return Fail(kMidiCannotLoadDriver, detail);
        player = new_fluid_player(synth);
        if (player == nullptr) return Fail(kMidiCannotLoadDriver, detail);
        if (fluid_player_add(player, midiPath.c_str()) != FLUID_OK)
            return Fail(kMidiInvalidFile, detail);
        return kMidiOk;
    }

    static int Fail(int code, std::string& detail) {
        detail = TakeFluidError();
        return code;
    }
};

int CheckMidiFile(const std::string& path) {
    if (::access(path.c_str(), R_OK) != 0) return kMidiFileNotFound;
    if (fluid_is_midifile(path.c_str()) == 0) return kMidiInvalidFile;
    return kMidiOk;
}

} // namespace

// One open device: the synthesizer chain, its audio driver and, while playing, the
// watcher that reports the end of the piece.
struct FluidMidiDevice::Session {
    int id = 0;
    FluidChain chain;
    fluid_audio_driver_t* driver = nullptr;

    std::thread watcher;
    std::mutex mutex;
    std::condition_variable wake;
    bool closing = false;

    ~Session() {
        StopWatcher();
        // The driver goes first: it runs the synthesizer on its own thread.
        if (driver != nullptr) delete_fluid_audio_driver(driver);
        if (chain.player != nullptr) fluid_player_stop(chain.player);
    }

    void StartWatcher(CompletionCallback callback) {
        StopWatcher();
        closing = false;
        watcher = std::thread([this, callback = std::move(callback)] {
            std::unique_lock lock(mutex);
            while (!wake.wait_for(lock, kWatchInterval, [this] { return closing; })) {
                if (fluid_player_get_status(chain.player) != FLUID_PLAYER_DONE) continue;
                lock.unlock();
                if (callback) callback(id);
                return;
            }
        });
    }

    void StopWatcher() {
        if (!watcher.joinable()) return;
        {
            std::lock_guard lock(mutex);
            closing = true;
        }
        wake.notify_all();
        watcher.join();
    }
};

FluidMidiDevice::FluidMidiDevice(FluidMidiOptions options) : options_(std::move(options)) {
    InstallFluidLog();
}

FluidMidiDevice::~FluidMidiDevice() {
    std::map<std::string, std::unique_ptr<Session>> sessions;
    {
        std::lock_guard lock(mutex_);
        sessions.swap(sessions_);
    }
    // Destroying them joins their watchers outside the lock.
}

int FluidMidiDevice::Open(const std::string& path, const std::string& alias) {
    std::lock_guard lock(mutex_);
    if (sessions_.count(alias) != 0) return kMidiDuplicateAlias;
    if (const int rc = CheckMidiFile(path); rc != kMidiOk) return rc;

    auto session = std::make_unique<Session>();
    std::string detail;
    if (const int rc = session->chain.Build(path, options_.soundFont, detail); rc != kMidiOk)
        return rc;
    fluid_settings_t* settings = session->chain.settings;
    if (!options_.fileDriverOutput.empty())
        fluid_settings_setstr(settings, "audio.file.name", options_.fileDriverOutput.c_str());

    std::string tried;
    for (const std::string& name : options_.drivers) {
        fluid_settings_setstr(settings, "audio.driver", name.c_str());
        session->driver = new_fluid_audio_driver(settings, session->chain.synth);
        if (session->driver != nullptr) break;
        if (!tried.empty()) tried += "; ";
        tried += name + ": " + TakeFluidError();
    }
    if (session->driver == nullptr) {
        noAudioDetail_ = tried.empty() ? "no audio driver is configured" : tried;
        return kMidiNoAudioOutput;
    }
    session->id = nextId_++;
    sessions_.emplace(alias, std::move(session));
    return kMidiOk;
}

int FluidMidiDevice::DeviceId(const std::string& alias) {
    std::lock_guard lock(mutex_);
    const auto it = sessions_.find(alias);
    return it == sessions_.end() ? 0 : it->second->id;
}

int FluidMidiDevice::Play(const std::string& alias) {
    std::lock_guard lock(mutex_);
    const auto it = sessions_.find(alias);
    if (it == sessions_.end()) return kMidiInvalidDeviceName;
    Session& session = *it->second;
    session.StopWatcher();
    fluid_player_t* player = session.chain.player;
    if (fluid_player_get_status(player) == FLUID_PLAYER_READY) {
        if (fluid_player_play(player) != FLUID_OK) return kMidiInvalidFile;
    } else {
        fluid_player_seek(player, 0);
        fluid_player_play(player);
    }
    session.StartWatcher(callback_);
    return kMidiOk;
}

int FluidMidiDevice::Close(const std::string& alias) {
    std::unique_ptr<Session> session;
    {
        std::lock_guard lock(mutex_);
        const auto it = sessions_.find(alias);
        if (it == sessions_.end()) return kMidiInvalidDeviceName;
        session = std::move(it->second);
        sessions_.erase(it);
    }
    session.reset();
    return kMidiOk;
}

std::string FluidMidiDevice::ErrorText(int code) {
    std::string text = MidiErrorText(code);
    if (code == kMidiNoAudioOutput) {
        std::lock_guard lock(mutex_);
        text.pop_back(); // the full stop
        text += " (" + noAudioDetail_ + ").";
    } else if (code == kMidiCannotLoadDriver) {
        text.pop_back();
        text += " (" + options_.soundFont + ").";
    }
    return text;
}

void FluidMidiDevice::SetCompletionCallback(CompletionCallback callback) {
    std::lock_guard lock(mutex_);
    callback_ = std::move(callback);
}

std::string FluidMidiDevice::RenderToWav(const std::string& midiPath, const std::string& wavPath,
                                         const std::string& soundFont) {
    InstallFluidLog();
    if (const int rc = CheckMidiFile(midiPath); rc != kMidiOk) return MidiErrorText(rc);
    FluidChain chain;
    std::string detail;
    if (const int rc = chain.Build(midiPath, soundFont, detail); rc != kMidiOk)
        return MidiErrorText(rc) + " " + detail;
    fluid_settings_setstr(chain.settings, "audio.file.name", wavPath.c_str());
    fluid_settings_setstr(chain.settings, "audio.file.type", "wav");
    fluid_file_renderer_t* renderer = new_fluid_file_renderer(chain.synth);
    if (renderer == nullptr) return "Cannot write " + wavPath + ": " + TakeFluidError();
    std::string error;
    if (fluid_player_play(chain.player) != FLUID_OK) error = "The player did not start.";
    for (long block = 0;
         error.empty() && fluid_player_get_status(chain.player) == FLUID_PLAYER_PLAYING; ++block) {
        if (block == kMaxRenderBlocks)
            error = "The piece is longer than an hour.";
        else if (fluid_file_renderer_process_block(renderer) != FLUID_OK)
            error = "Rendering failed: " + TakeFluidError();
    }
    fluid_player_stop(chain.player);
    delete_fluid_file_renderer(renderer);
    return error;
}

} // namespace tav
