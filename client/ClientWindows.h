#pragma once

#include "client/MessageDecoder.h"

#include <string>
#include <string_view>
#include <vector>

namespace tav {

// The text screens (TMudScreen windows) the Client connection writes into.
enum class ClientScreen {
    Description,  // room description pane
    Exits,        // room exits pane
    Contents,     // room contents pane
    Who,          // who list window
    Channel,      // channel window
    Equipment,    // equipment window
    Inventory,    // inventory window
    BoardMessage, // boards window, message text
    HelpText,     // help index window, topic text
};

// Menu command posted to the main window when an edit request has been parked.
inline constexpr int kEditRequestCommand = 5624;

// Gauges of the hit/mana/move monitor.
inline constexpr int kHitGauge = 101;
inline constexpr int kManaGauge = 102;
inline constexpr int kMoveGauge = 103;

// The character level the terminal window holds before the server has reported one.
inline constexpr int kInitialCharacterLevel = 1;

// Title of the message box a `msgbox` message raises.
inline constexpr std::string_view kServerMessageTitle = "Msg from server...";

// Every effect the Client connection has on the program's windows, one call per effect
// (sound is ClientSound's). The desktop implements it on the user-interface thread; the
// connection reaches it through QueuedClientWindows, so an implementation is only ever
// called on that thread, in the order the messages arrived. Tests record the calls.
class ClientWindows {
public:
    virtual ~ClientWindows() = default;

    // ResetScreen of the screen with its own line count.
    virtual void ClearScreen(ClientScreen screen) = 0;
    // AddString of the text (text data ends at its first NUL).
    virtual void AppendText(ClientScreen screen, std::string_view text) = 0;

    // Map window: a new 22 x 22 grid, groups in the order they arrived.
    virtual void SetMap(const MapGrid& grid) = 0;
    // Status window: the six values of a `hitmanamove`.
    virtual void SetStatusValues(const HitManaMove& values) = 0;
    // Monitor: one gauge (kHitGauge, kManaGauge, kMoveGauge) set to value of maximum.
    virtual void SetGauge(int gaugeId, int value, int maximum) = 0;

    // Boards window.
    virtual void SetBoardIndex(std::vector<BoardEntry> boards) = 0;
    virtual void SetMessageIndex(std::vector<std::string> lines) = 0;
    // May raise the modal board notification: the caller waits until it is closed.
    virtual void BoardUpdate(int board) = 0;

    // Help index window: the topics of a `helpindex_reply`.
    virtual void SetHelpIndex(std::vector<std::string> topics) = 0;

    // Identification window: set the name label, the file name, the text, and write the
    // text to the file. An empty path shows name and text without a file.
    virtual void ShowIdentification(std::string_view name, std::string_view path,
                                    std::string_view text) = 0;

    // Terminal window values. The character level is kInitialCharacterLevel until the
    // first `levelreport`.
    virtual void SetCharacterLevel(int level) = 0;
    virtual void SetTimeAndDate(std::string_view time, std::string_view date) = 0;

    // A modal box with one OK button; the caller waits until the user has closed it.
    virtual void ShowMessageBox(std::string_view text, std::string_view title) = 0;
    // Posts a menu command to the main window (kEditRequestCommand).
    virtual void PostCommand(int commandId) = 0;
};

} // namespace tav
