#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace tav {

// Modal message boxes with one OK button ("Error...", "Warning..." titles), and questions.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual void ShowMessage(std::string_view text, std::string_view title) = 0;
    // A question with Yes and No; true for Yes. Without an answer it is No.
    virtual bool AskYesNo(std::string_view /*text*/, std::string_view /*title*/) { return false; }
    // A question with buttons of its own, `defaultButton` the one Enter and Escape choose;
    // the index of the button chosen. Without an answer it is the default.
    virtual std::size_t Ask(std::string_view /*text*/, std::string_view /*title*/,
                            std::span<const std::string_view> /*buttons*/,
                            std::size_t defaultButton) {
        return defaultButton;
    }
};

} // namespace tav
