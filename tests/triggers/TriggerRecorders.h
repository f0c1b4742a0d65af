#pragma once

#include "triggers/TriggerList.h"

#include <functional>
#include <string>
#include <vector>

namespace tav::test {

// Records every reaction sent; `onSend` plays the terminal's part afterwards.
struct RecordingSender : TriggerSender {
    void Send(std::string_view text) override {
        sent.emplace_back(text);
        if (onSend) onSend();
    }
    std::vector<std::string> sent;
    std::function<void()> onSend;
};

// Records every firing as "pattern@begin-end".
struct RecordingObserver : TriggerObserver {
    std::vector<std::string> fired;
    void TriggerFired(const TTrigger& trigger, MatchSpan span) override {
        fired.push_back(trigger.pattern() + "@" + std::to_string(span.begin) + "-" +
                        std::to_string(span.end));
    }
};

} // namespace tav::test
