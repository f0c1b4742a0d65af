#include "sound/SystemAudioOutput.h"

#include <alsa/asoundlib.h>
#include <pulse/error.h>
#include <pulse/simple.h>

#include <mutex>

namespace tav {

namespace {

constexpr pa_usec_t kQueuedMicroseconds = 200000;
constexpr int kChannels = 2;

// ALSA prints its errors to standard error; they come back here as return codes.
void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}

} // namespace

SystemAudioOutput::~SystemAudioOutput() {
    Close(false);
}

std::string SystemAudioOutput::Open(int rate) {
    Close(false);
    const pa_sample_spec spec{PA_SAMPLE_S16LE, static_cast<std::uint32_t>(rate), kChannels};
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<std::uint32_t>(-1);
    attr.tlength = static_cast<std::uint32_t>(pa_usec_to_bytes(kQueuedMicroseconds, &spec));
    attr.prebuf = static_cast<std::uint32_t>(-1);
    attr.minreq = static_cast<std::uint32_t>(-1);
    attr.fragsize = static_cast<std::uint32_t>(-1);
    int error = 0;
    pulse_ = pa_simple_new(nullptr, "TavClient", PA_STREAM_PLAYBACK, nullptr, "Music", &spec,
                           nullptr, &attr, &error);
    if (pulse_ != nullptr) return {};
    std::string tried = std::string("pulseaudio: ") + pa_strerror(error);

    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(QuietAlsa); });
    int rc = snd_pcm_open(&alsa_, "default", SND_PCM_STREAM_PLAYBACK, 0);
    if (rc >= 0) {
        rc = snd_pcm_set_params(alsa_, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED,
                                kChannels, static_cast<unsigned>(rate), 1, kQueuedMicroseconds);
        if (rc >= 0) return {};
        snd_pcm_close(alsa_);
        alsa_ = nullptr;
    }
    return tried + "; alsa: " + snd_strerror(rc);
}

bool SystemAudioOutput::Write(const std::int16_t* samples, std::size_t frames) {
    if (pulse_ != nullptr) {
        int error = 0;
        return pa_simple_write(pulse_, samples, frames * kChannels * sizeof *samples, &error) == 0;
    }
    if (alsa_ == nullptr) return false;
    while (frames > 0) {
        snd_pcm_sframes_t written = snd_pcm_writei(alsa_, samples, frames);
        if (written < 0) {
            // An underrun or a suspend is recovered from; anything else ends playback.
            if (snd_pcm_recover(alsa_, static_cast<int>(written), 1) < 0) return false;
            continue;
        }
        samples += static_cast<std::size_t>(written) * kChannels;
        frames -= static_cast<std::size_t>(written);
    }
    return true;
}

void SystemAudioOutput::Close(bool drain) {
    if (pulse_ != nullptr) {
        int error = 0;
        if (drain)
            pa_simple_drain(pulse_, &error);
        else
            pa_simple_flush(pulse_, &error);
        pa_simple_free(pulse_);
        pulse_ = nullptr;
    }
    if (alsa_ != nullptr) {
        if (drain)
            snd_pcm_drain(alsa_);
        else
            snd_pcm_drop(alsa_);
        snd_pcm_close(alsa_);
        alsa_ = nullptr;
    }
}

} // namespace tav
