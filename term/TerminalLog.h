#pragma once

#include "term/TermServices.h"

#include <string>
#include <string_view>

namespace tav {

inline constexpr std::string_view kErrorTitle = "Error...";
inline constexpr std::string_view kAlreadyLogging = "Already logging to file.";
inline constexpr std::string_view kUnableToOpen = "Unable to open file for writing.";
inline constexpr std::string_view kLogWriteFailed =
    "Unable to write to the log file; logging has stopped.";

// The user's terminal log: one text-mode file ("\n" stored as CR LF) that every completed
// terminal line is appended to. Each line goes to the kernel as it is written (no buffer
// of ours), so a crash of the program loses nothing already logged. A write or close
// that fails closes the log and says so once. The descriptor is close-on-exec: programs
// the client starts never hold the log open.
class TerminalLog final : public LineLog {
public:
    explicit TerminalLog(MessageBoxes& boxes) : boxes_(boxes) {}
    ~TerminalLog() override;
    TerminalLog(const TerminalLog&) = delete;
    TerminalLog& operator=(const TerminalLog&) = delete;

    // True when no log is open; otherwise says "Already logging to file." and is false.
    bool CheckNotLogging();
    // Opens `path` and empties it, writing into the file itself (see UserFile.h). False (with its
    // message) when a log is open already or the file cannot be opened.
    bool Begin(const std::string& path);
    // Closes the log, if one is open. No message unless the close itself fails.
    void End();

    bool IsOpen() const override { return fd_ >= 0; }
    void Write(std::string_view text) override;

private:
    void Fail();

    MessageBoxes& boxes_;
    int fd_ = -1;
};

// Writes `text` (lines ended by CR LF or "\n") to `path` with every line end stored as
// CR LF, into the file itself (see UserFile.h). False after saying
// "Unable to open file for writing." when the file could not be written completely.
bool SaveTextAs(MessageBoxes& boxes, const std::string& path, std::string_view text);

} // namespace tav
