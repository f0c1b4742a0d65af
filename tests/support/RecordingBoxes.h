#pragma once

#include "term/TermServices.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace tav::test {

// Records every message box as "title text", every question too in `asked` and its
// default button's name in `defaults`; a question is answered with the next button named
// in `answers`, else with its default, after `whileAsking` has run (what happens while a
// question is open).
struct RecordingBoxes : MessageBoxes {
    std::vector<std::string> shown, asked, defaults;
    std::deque<std::string> answers;
    std::function<void()> whileAsking;
    void ShowMessage(std::string_view text, std::string_view title) override {
        shown.push_back(std::string(title) + " " + std::string(text));
    }
    bool AskYesNo(std::string_view text, std::string_view title) override {
        const std::string_view buttons[] = {"Yes", "No"};
        return Ask(text, title, buttons, 1) == 0;
    }
    std::size_t Ask(std::string_view text, std::string_view title,
                    std::span<const std::string_view> buttons, std::size_t defaultButton) override {
        asked.push_back(std::string(title) + " " + std::string(text));
        defaults.emplace_back(defaultButton < buttons.size() ? buttons[defaultButton] : "");
        if (whileAsking) whileAsking();
        if (answers.empty()) return defaultButton;
        const auto named = std::find(buttons.begin(), buttons.end(), answers.front());
        answers.pop_front();
        return named == buttons.end() ? defaultButton
                                      : static_cast<std::size_t>(named - buttons.begin());
    }
};

} // namespace tav::test
