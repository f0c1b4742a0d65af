#pragma once

#include <functional>
#include <string>

namespace tav {

// A MIDI sequencer device driven by open / play / close steps on an alias, each returning
// 0 or an error code (MidiError.h) whose text ErrorText gives.
//   Open(path, alias)      "open <path> type sequencer alias <alias>"
//   Play(alias)            "play <alias> from 0 notify"
//   Close(alias)           "close <alias>"
// DeviceId is the id of the device open under the alias, or 0 when none is.
// When a piece played with Play ends by itself, the completion callback receives the
// device id on the device's own thread; the owner posts it to its event loop. The
// callback must not call back into the device or anything that closes it directly.
class MidiDevice {
public:
    using CompletionCallback = std::function<void(int deviceId)>;
    virtual ~MidiDevice() = default;

    virtual int Open(const std::string& path, const std::string& alias) = 0;
    virtual int DeviceId(const std::string& alias) = 0;
    virtual int Play(const std::string& alias) = 0;
    virtual int Close(const std::string& alias) = 0;
    virtual std::string ErrorText(int code) = 0;
    virtual void SetCompletionCallback(CompletionCallback callback) = 0;
};

} // namespace tav
