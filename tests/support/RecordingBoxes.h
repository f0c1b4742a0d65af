#pragma once

#include "term/TermServices.h"

#include <string>
#include <vector>

namespace tav::test {

// Records every message box as "title text".
struct RecordingBoxes : MessageBoxes {
    std::vector<std::string> shown;
    void ShowMessage(std::string_view text, std::string_view title) override {
        shown.push_back(std::string(title) + " " + std::string(text));
    }
};

} // namespace tav::test
