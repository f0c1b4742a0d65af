#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace tav {

// A sound device taking interleaved 16-bit stereo frames. One thread writes; Interrupt
// may come from another.
class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    // Empty when the device is open at `rate` frames a second, otherwise why it is not.
    virtual std::string Open(int rate) = 0;
    // Plays `frames` frames, waiting while the device is full; false when it failed.
    virtual bool Write(const std::int16_t* samples, std::size_t frames) = 0;
    // Makes a Write that waits return soon; the writer is about to stop.
    virtual void Interrupt() {}
    // Closes the device, first playing what it holds when `drain`, else dropping it.
    virtual void Close(bool drain) = 0;
};

using AudioOutputFactory = std::function<std::unique_ptr<AudioOutput>()>;

} // namespace tav
