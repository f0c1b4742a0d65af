#pragma once

#include "client/ClientWindows.h"
#include "net/GameData.h"
#include "settings/ProfileOptions.h"

#include <functional>

namespace tav {

// Shows what another game sends by GMCP or MSDP in the program's own windows, as the
// Client connection would: vitals in the status window and the monitor's gauges, the
// room's name and exits in the description and exits panes, channel text in the channel
// window. Only while the Client connection is not connected, so a game that has one
// keeps its windows to itself. Runs on the user-interface thread.
class GameDataWindows final : public GameDataSink {
public:
    // clientConnected: whether the Client connection is up; encoding: the panes' text
    // encoding (what is appended to them is encoded in it).
    GameDataWindows(ClientWindows& windows, std::function<bool()> clientConnected,
                    std::function<TextEncoding()> encoding);

    void Vitals(const GameVitals& vitals) override;
    void Room(const GameRoom& room) override;
    void ChannelText(const GameChannelText& text) override;

private:
    bool Active() const { return !clientConnected_ || !clientConnected_(); }
    // Whether ESC stays in pane text, where the game's colour sequences are wanted.
    enum class Controls { Removed, EscapeKept };
    // The server's UTF-8 text in the panes' encoding, without control characters (line
    // ends included): what is left is text the pane shows as it reads.
    std::string PaneText(std::string_view utf8, Controls controls) const;

    ClientWindows& windows_;
    std::function<bool()> clientConnected_;
    std::function<TextEncoding()> encoding_;
    // Games send a change alone ("hp" without "maxhp"): the last value of each is kept.
    GameVitals known_;
};

} // namespace tav
