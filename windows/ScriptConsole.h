#pragma once

#include "windows/ToolWindow.h"

#include <functional>
#include <string>
#include <string_view>

class QLineEdit;
class QPlainTextEdit;

namespace tav {

// The script console (View > Script console): what the profile's scripts print, every
// error with its script, line and traceback, and a line that runs the Lua typed into it.
// Everything the scripts write is shown as plain text, read as UTF-8; the output keeps
// the newest kMaxBlocks paragraphs, each cut to kMaxTextBytes.
class ScriptConsole : public ToolWindow {
    Q_OBJECT
public:
    static constexpr int kMaxBlocks = 5000;
    static constexpr std::size_t kMaxTextBytes = 64 * 1024;

    // `run` is given each line typed into the console (UTF-8).
    ScriptConsole(Rect& stored, std::function<void(const std::string&)> run, QWidget* owner);

    // One paragraph of output: a print, an error and its traceback.
    void Append(std::string_view text);
    QPlainTextEdit& Output() { return *output_; }
    QLineEdit& Input() { return *input_; }

private:
    void RunTyped();

    std::function<void(const std::string&)> run_;
    QPlainTextEdit* output_ = nullptr;
    QLineEdit* input_ = nullptr;
};

} // namespace tav
