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

} // namespace tav::test
