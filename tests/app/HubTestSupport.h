#pragma once

// Before any Qt header: the session headers use names Qt defines as macros ("slots").
#include "FrameTestSupport.h"

#include "app/StatusBar.h"
#include "client/MessageType.h"
#include "tests/client/ConnectionTestSupport.h"
#include "tests/support/LoopbackServer.h"

namespace tav::test {

inline std::string Frame(IncomingType type, std::string_view text1 = {},
                         std::string_view text2 = {}, std::string_view data = {}) {
    return ServerFrame(static_cast<std::int32_t>(type), text1, text2, data);
}

// The Client connection as the desktop holds it, logged in as "hero" to a game on the
// loopback, with the terminal window it feeds.
class HubTest : public ::testing::Test {
protected:
    HubTest() {
        CopyField(settings.user, "hero");
        CopyField(settings.passwd, "secret");
        CopyField(settings.addy, "127.0.0.1");
        CopyField(settings.port, std::to_string(server.Port() - 1).c_str());
        for (const char* dir : {"binary", "text", "profiles/hero", "profiles/other"})
            QDir(data.Path()).mkpath(dir);
        term.ProfileName() = "hero";
    }

    // Connects and takes the login frame off the wire.
    ::testing::AssertionResult Connect() {
        hub.Connection().Connect();
        if (!server.Accept()) return ::testing::AssertionFailure() << "no connection arrived";
        if (!WaitFor([&] { return hub.Connection().IsConnected(); }))
            return ::testing::AssertionFailure() << "never connected";
        server.Read();
        return ::testing::AssertionSuccess();
    }
    bool Logged(const std::string& line) {
        return WaitFor([&] { return hub.Log().Text().find(line + "\r\n") != std::string::npos; });
    }

    ScratchDataDir data;
    LoopbackServer server;
    Settings settings{};
    StoredValues stored = StoredValues::Defaults();
    TriggerList triggers;
    StatusBar status;
    tmudterm term{settings, stored, triggers, status};
    ClientHub hub{settings, term, status, &term};
    ModalScript script;
};

} // namespace tav::test
