#pragma once

#include "sound/AudioOutput.h"

#include <string>
#include <vector>

struct pa_simple;
typedef struct _snd_pcm snd_pcm_t;

namespace tav {

// The desktop's sound device: a PulseAudio stream (which PipeWire serves too), else
// ALSA's default device. Open fails with a text naming what was tried on a machine
// without either. About a fifth of a second is queued, so a stop is heard soon.
class SystemAudioOutput final : public AudioOutput {
public:
    SystemAudioOutput() = default;
    ~SystemAudioOutput() override;
    SystemAudioOutput(const SystemAudioOutput&) = delete;
    SystemAudioOutput& operator=(const SystemAudioOutput&) = delete;

    std::string Open(int rate) override;
    bool Write(const std::int16_t* samples, std::size_t frames) override;
    void Close(bool drain) override;

private:
    pa_simple* pulse_ = nullptr;
    snd_pcm_t* alsa_ = nullptr;
};

} // namespace tav
