#pragma once

// Helpers the term tests share: message boxes that record, a scratch folder, file
// contents, counting, and feeding a screen model.

#include "settings/TextMode.h"
#include "term/MudScreen.h"
#include "term/TermServices.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tav::test {

// Records every message box as "title text".
struct RecordingBoxes : MessageBoxes {
    std::vector<std::string> shown;
    void ShowMessage(std::string_view text, std::string_view title) override {
        shown.push_back(std::string(title) + " " + std::string(text));
    }
};

// A fresh folder under the system's temporary folder, removed with everything in it.
struct ScratchFolder {
    std::filesystem::path path;
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tav-term-XXXXXX").string();
        if (::mkdtemp(pattern.data())) path = pattern;
    }
    ~ScratchFolder() {
        if (!path.empty()) std::filesystem::remove_all(path);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
};

inline std::string Contents(const std::filesystem::path& path) {
    return ReadFileBytes(path.string()).value_or("<missing>");
}

// How many times `what` occurs in `text`, overlapping ones included.
inline std::size_t CountOf(std::string_view text, std::string_view what) {
    std::size_t count = 0;
    for (auto at = text.find(what); at != std::string_view::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

// Feeds bytes to a screen and returns the lines they completed.
inline std::vector<std::string> FeedLines(TMudScreen& screen, std::string_view bytes) {
    screen.AddText(bytes);
    std::vector<std::string> lines;
    while (auto line = screen.TakeLine())
        lines.push_back(*line);
    return lines;
}

} // namespace tav::test
