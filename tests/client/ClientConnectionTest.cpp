// The Client connection end to end: a real socket to a loopback peer, the network
// thread, and the window effects arriving on the loop's thread.
#include "tests/client/ConnectionTestSupport.h"

#include "client/ClientSocket.h"
#include "screen/MudScreen.h"
#include "settings/TextMode.h"
#include "sound/ProcessRunner.h"
#include "sound/SoundPlayer.h"
#include "term/TermSession.h"
#include "tests/sound/SoundTestSupport.h"

#include <gmock/gmock.h>

namespace tav::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsSubsetOf;
using namespace std::string_literals;

// Requests fail after their debug line while not connected; a second Connect while
// connected does nothing; a reconnect right after a disconnect is a fresh connection the
// old thread never touches; the connection goes while its thread waits for a box.
TEST(ClientConnection, ConnectRequestDisconnectReconnectAndDestroyInOrder) {
    ConnectionRig rig(/*debug=*/true);
    const auto requests = [&] {
        ClientConnection& c = *rig.connection;
        return std::vector<std::ptrdiff_t>{c.SendCommand("look"), c.SendEditReply("text"),
                                           c.SendMsgPost(1, "Re: x")};
    };
    const std::vector<std::ptrdiff_t> allFailed(3, -1);
    EXPECT_EQ(requests(), allFailed);
    ASSERT_TRUE(rig.ConnectAndLogin());
    const std::string port = rig.settings.port;
    EXPECT_THAT(rig.log.Lines(),
                ElementsAre("MSGSEND: command look", "Attempting to connect to 127.0.0.1 " + port,
                            "MSGSEND: login_request", "Creating network thread.",
                            "Connected to 127.0.0.1 " + port));
    ASSERT_TRUE(rig.Pump([&] { return rig.status.calls.size() >= 2; }));
    EXPECT_THAT(rig.status.calls, ElementsAre("client off", "client on"));
    rig.connection->Connect();
    rig.loop.RunFor(50ms);
    EXPECT_EQ(rig.log.Lines().size(), 5u);
    EXPECT_FALSE(rig.server.Accept(100ms));

    rig.connection->Disconnect();
    ASSERT_TRUE(rig.WaitForThreadEnd());
    const std::size_t before = rig.log.Lines().size();
    EXPECT_EQ(requests(), allFailed);
    EXPECT_EQ(rig.log.After(before), std::vector<std::string>{"MSGSEND: command look"});
    EXPECT_TRUE(rig.ReadFrames(100ms).empty());

    ASSERT_TRUE(rig.ConnectAndLogin());
    rig.connection->Disconnect();
    ASSERT_TRUE(rig.ConnectAndLogin());
    rig.loop.RunFor(50ms);
    EXPECT_TRUE(rig.connection->IsConnected());
    rig.server.Send(ServerFrame(60, "", "", "second life"));
    ASSERT_TRUE(rig.Pump([&] { return !rig.windows.calls.empty(); }));
    EXPECT_THAT(rig.windows.calls, ElementsAre("append channel second life"));
    EXPECT_THAT(rig.sound.Calls(), ElementsAre("stop", "stop")); // the two ends only
    EXPECT_EQ(rig.connection->SendBindexRequest(), 276);
    EXPECT_EQ(rig.ReadFrames().at(0).Type(), 12);

    // The loop is not run, so the thread waits for a box that never opens.
    rig.server.Send(ServerFrame(72, "never shown"));
    ASSERT_TRUE(WaitFor([&] { return rig.log.Has("MSGRECV: msgbox"); }, 3000));
    rig.connection.reset(); // the fault hangs here, until the test's time-out
}

// The settings are checked first (every message is ConfigValidationTest's), then the
// address (TermSessionTest has the Term session's own check); a refused or unresolved
// connect ends the thread with its line.
TEST(ClientConnection, ConnectChecksStopWithTheirMessages) {
    struct Case {
        const char* user;
        const char* host;
        std::string port;
        bool addressValid;
        std::vector<std::string> boxes;
        std::string lastLog; // "" when nothing is logged
    };
    const ClosedPort closed; // the client connects to the text port + 1
    const Case cases[] = {
        {"", "127.0.0.1", "4000", true, {"Error... You must enter a username."}, ""},
        {"me", "127.0.0.1", "4000", false, {}, ""},
        {"me", "127.0.0.1", std::to_string(closed.Port() - 1), true, {}, "Connection refused."},
        {"me", "no-such-host.invalid", "4000", true, {}, "Unable to resolve hostname."},
    };
    for (const Case& c : cases) {
        ConnectionRig rig;
        rig.address.valid = c.addressValid;
        CopyField(rig.settings.user, c.user);
        CopyField(rig.settings.addy, c.host);
        CopyField(rig.settings.port, c.port.c_str());
        rig.connection->Connect();
        ASSERT_TRUE(c.lastLog.empty() || rig.WaitForThreadEnd()) << c.lastLog;
        const std::string attempt =
            "Attempting to connect to " + std::string(c.host) + " " + c.port;
        EXPECT_EQ(rig.log.Lines(),
                  (c.lastLog.empty() ? std::vector<std::string>{}
                                     : std::vector<std::string>{attempt, c.lastLog}));
        EXPECT_EQ(rig.boxes.shown, c.boxes);
        EXPECT_FALSE(rig.connection->IsConnected());
    }
}

// The terminal's ping tick stamps the time and pings only without noautoping; a response
// (even an unasked one) is measured from that stamp.
TEST(ClientConnection, APingResponseShowsHalfTheTimeSinceTheLastTick) {
    // Whether noautoping is set, the tick's time, the response's time, and what it shows.
    const std::tuple<bool, std::int32_t, std::int32_t, const char*> cases[] = {
        {false, 1000, 1300, "latency 150 ms"},
        {false, 1000, 1001, "latency 0 ms"},
        {false, INT32_MAX - 99, INT32_MIN + 100, "latency 100 ms"}, // the clock wrapped
        {false, 5000, 4000, "latency -500 ms"},
        {true, 20000, 20300, "latency 150 ms"},
        {false, 30000, 30600, "latency 300 ms"},
    };
    ConnectionRig rig(true);
    struct ClientOfTerm : ClientControl {
        ClientConnection* connection = nullptr;
        bool IsConnected() override { return connection->IsConnected(); }
        void Connect() override { connection->Connect(); }
        void SendPing() override { connection->SendPing(); }
        void PollSoundPlayer() override { connection->PollSoundPlayer(); }
    } client;
    TMudScreen screen{rig.settings};
    TermServices services;
    services.clock = &rig.clock;
    services.client = &client;
    TermSession term(rig.settings, screen, rig.loop, services);
    rig.Rebuild(rig.sound, term.PingStamp());
    client.connection = rig.connection.get();
    ASSERT_TRUE(rig.ConnectAndLogin());

    for (const auto& [noautoping, tick, response, latency] : cases) {
        rig.settings.noautoping = noautoping;
        rig.clock.now = tick;
        term.OnTimer(kPingTimer);
        const auto frames = rig.ReadFrames();
        ASSERT_EQ(frames.size(), noautoping ? 0u : 1u) << latency;
        for (const ClientMessage& ping : frames)
            EXPECT_EQ(ping.Type(), 4);
        rig.clock.now = response;
        rig.server.Send(ServerFrame(63));
        ASSERT_TRUE(rig.Pump([&] {
            return !rig.status.calls.empty() && rig.status.calls.back() == latency;
        })) << latency;
    }
    EXPECT_TRUE(rig.log.Has("MSGSEND: ping"));
    EXPECT_TRUE(rig.log.Has("MSGRECV: pingresponse"));
    rig.connection.reset(); // it reads the stamp of the session about to go
}

// Every message type in one stream: the effects come in the order of the messages.
TEST(ClientConnection, EveryMessageTypeHasItsEffectInOrder) {
    const std::string boards = BoardRecords({{3, "News"}, {5, "Ideas"}});
    const std::string help = Records(10, {"look", "kill", "", "x"});
    std::string map(kMapBytes, '\0');
    StoreLe32(reinterpret_cast<std::uint8_t*>(&map[kMapBytes - 4]), 483);
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {ServerFrame(74, "", "", "A room.\0junk"s), {"clear desc", "append desc A room."}},
        {ServerFrame(59), {}}, // no data: the who window stays as it was
        {ServerFrame(59, "", "", "Bob"), {"clear who", "append who Bob"}},
        {ServerFrame(60, "", "", "hi"), {"append channel hi"}},
        {ServerFrame(65, "", "", "topic"), {"clear help", "append help topic"}},
        {ServerFrame(77, "", "", map), {"map 483"}},
        {ServerFrame(66, "10/20 30/40 50/60"),
         {"gauge 101 10 20", "gauge 102 30 40", "gauge 103 50 60", "status 10/60"}},
        {ServerFrame(67, "12"), {"level 12"}},
        {ServerFrame(73, "4"), {"brdupdate 4"}},
        {ServerFrame(69, "2", "", boards), {"boards 2"}},
        {ServerFrame(70, "5", "", Records(128, {"1 a::Hello"}) + "short"), {"msgindex 1 a::Hello"}},
        {ServerFrame(64, "10 4", "", help), {"helpindex 2"}},
        {ServerFrame(58, "12:00\r\nx", "Day 3\nmore"), {"time [12:00] [Day 3]"}},
        {ServerFrame(72, "Hello there"), {"box Msg from server... Hello there"}},
        {ServerFrame(998), {}}, // sound: checked below
        {ServerFrame(1000), {}},
        {ServerFrame(57, "Edit it", "", "old text"), {"command 5624"}},
        {ServerFrame(57, "Second"), {}}, // already editing
        {ServerFrame(60, "", "", "end"), {"append channel end"}},
    };
    ConnectionRig rig(true);
    ASSERT_TRUE(rig.ConnectAndLogin());
    std::string stream;
    std::vector<std::string> expected;
    for (const auto& [frame, effects] : cases) {
        stream += frame;
        expected.insert(expected.end(), effects.begin(), effects.end());
    }
    rig.server.Send(stream);
    ASSERT_TRUE(rig.Pump([&] { return rig.windows.calls.size() >= expected.size(); }));
    rig.loop.RunFor(50ms);
    EXPECT_EQ(rig.windows.calls, expected);
    EXPECT_EQ(rig.windows.offThread, 0);
    EXPECT_EQ(rig.sound.Calls(), std::vector<std::string>{"stop"});
    EXPECT_TRUE(rig.connection->IsConnected());

    const auto log = rig.log.Lines();
    EXPECT_THAT((std::vector<std::string>{"MSGRECV: desctext", "MSGRECV: mapinfo",
                                          "MSGRECV: <unknown type>", "Level reported as 12.",
                                          "Received soundstop from server.",
                                          "Edit request ignored, already editing..."}),
                IsSubsetOf(log));
}

// Downloads, identifications and the messages that only log, without the debug lines,
// through the real sound player: its own lines come where each message's handling puts
// them. Only the WAV output records, for want of an audio device.
TEST(ClientConnection, DownloadsIdentificationsAndSoundLinesInOrder) {
    Recorder rec; // the WAV output and the focus
    ConnectionRig rig;
    CopyField(rig.settings.modplayer, "true"); // a real player program that ends at once
    ProcessRunner processes;
    SoundPlayer player(rig.settings, rig.log, SoundBackends{processes, rec, rec, rec, rec});
    struct PlayerSound : ClientSound {
        explicit PlayerSound(SoundPlayer& p) : player(p) {}
        SoundPlayer& player;
        void PlaySound(std::string_view path) override { player.Play(path); }
        void StopSound() override { player.Stop(); }
        void PollSoundPlayer() override { player.PollPlayer(); }
    } sound(player);
    rig.Rebuild(sound, rig.pingStamp);
    struct EndsFirst { // the connection goes before the player it calls
        ConnectionRig& rig;
        ~EndsFirst() { rig.connection.reset(); }
    } endsFirst{rig};
    WriteFileAtomically((rig.dir.path / "binary/x.mod").string(), "MOD");
    ASSERT_TRUE(rig.ConnectAndLogin());
    const std::string wav = "RIFF\0\x01\x02\xff"s + std::string(2000, '\x80');
    rig.server.Send(ServerFrame(50, "notes.txt", "", "line1\nline2\n\0tail"s) +
                    ServerFrame(51, "rain.wav", "", wav) + ServerFrame(50, "empty.txt") +
                    ServerFrame(68, "sword") + ServerFrame(68, "sword", "", "Sharp.") +
                    ServerFrame(68, "../evil", "", "Bad.") + ServerFrame(53, "one") +
                    ServerFrame(67, "3") + ServerFrame(54, "x.mod") + ServerFrame(998) +
                    ServerFrame(53, "two"));
    const std::string root = std::filesystem::absolute(rig.dir.path).lexically_normal().string();
    EXPECT_EQ(
        rig.LogAfterConnect(17),
        (std::vector<std::string>{
            "Text file: notes.txt written successfully.", "Sound File received.",
            "Sound file: binary/rain.wav written successfully.", "Playing binary/rain.wav...",
            "Text file: empty.txt written successfully.",
            "Unable to open " + root + "/text/../evil.id for write.", "Server msg:", "one", "",
            "Level reported as 3.", "Sound query acknowledged.", "Playing binary/x.mod...",
            "Received soundstop from server.", "Stopping sound...", "Server msg:", "two", ""}));
    ASSERT_TRUE(rig.Pump([&] { return rig.windows.calls.size() >= 3; }));
    EXPECT_THAT(rig.windows.calls, ElementsAre("id sword [" + root + "/text/sword.id] Sharp.",
                                               "id ../evil [] Bad.", "level 3"));
    EXPECT_TRUE(rig.connection->IsConnected());
    EXPECT_EQ(ReadFileBytes((rig.dir.path / "text/notes.txt").string()), "line1\r\nline2\r\n");
    EXPECT_EQ(ReadFileBytes((rig.dir.path / "binary/rain.wav").string()), wav);
    EXPECT_EQ(ReadFileBytes((rig.dir.path / "text/empty.txt").string()), "");
    EXPECT_EQ(rec.Take(), (std::vector<std::string>{"wav binary/rain.wav", "remember", "restore"}));
    EXPECT_FALSE(player.PlayerRunning());
    // The status bar's calls are queued on the loop.
    EXPECT_TRUE(rig.Pump([&] {
        return !rig.status.calls.empty() && rig.status.calls.back() == "progress 2280/2280";
    }));
}

// Each connection may write only so many bytes (as stored, CR LF and all); a file beyond
// is refused with a line, neither written nor played, and the next connection starts afresh.
// A limit of whole MiB is told in MiB, any other in bytes.
TEST(ClientConnection, DownloadsBeyondTheConnectionsLimitAreRefusedUntilTheNextConnection) {
    constexpr std::uint64_t kMiB = 1u << 20;
    for (const auto& [limit, told] :
         {std::pair<std::uint64_t, std::string>{kMiB + 1000, "1049576 bytes"}, {kMiB, "1 MiB"}}) {
        SCOPED_TRACE(told);
        ConnectionRig rig;
        rig.Rebuild(rig.sound, rig.pingStamp, limit);
        ASSERT_TRUE(rig.ConnectAndLogin());
        rig.server.Send(ServerFrame(50, "a.txt", "", std::string(299, 'a') + "\n") +  // 301 stored
                        ServerFrame(51, "b.mod", "", std::string(limit - 400, 'b')) + // 99 left
                        ServerFrame(50, "c.txt", "", std::string(100, 'c')) +         // refused
                        ServerFrame(51, "d.mod", "", std::string(100, 'd')) +         // refused
                        ServerFrame(51, "e.wav", "", std::string(99, 'e')) +          // full
                        ServerFrame(53, "done"));
        const std::string refused = " would pass the " + told + " this connection may download.";
        EXPECT_THAT(rig.LogAfterConnect(11),
                    ElementsAre("Text file: a.txt written successfully.", "Sound File received.",
                                "Sound file: binary/b.mod written successfully.",
                                "Not written: text/c.txt" + refused, "Sound File received.",
                                "Not written: binary/d.mod" + refused, "Sound File received.",
                                "Sound file: binary/e.wav written successfully.",
                                "Server msg:", "done", ""));
        EXPECT_FALSE(std::filesystem::exists(rig.dir.path / "text/c.txt"));
        EXPECT_FALSE(std::filesystem::exists(rig.dir.path / "binary/d.mod"));
        EXPECT_THAT(rig.sound.Calls(), ElementsAre("play binary/b.mod", "play binary/e.wav"));
        EXPECT_TRUE(rig.connection->IsConnected());

        rig.connection->Disconnect();
        ASSERT_TRUE(rig.ConnectAndLogin());
        rig.server.Send(ServerFrame(50, "c.txt", "", std::string(100, 'c')));
        ASSERT_TRUE(
            rig.Pump([&] { return rig.log.Has("Text file: c.txt written successfully."); }));
        EXPECT_EQ(ReadFileBytes((rig.dir.path / "text/c.txt").string()), std::string(100, 'c'));
    }
}

// A name outside binary/ is declined even with downloadall, and never played from its
// cache; the connection goes on.
TEST(ClientConnection, SoundQueryFollowsTheCacheRule) {
    struct Case {
        bool ignore;
        bool downloadAll;
        std::string name;    // cached in binary/ when not empty
        std::int32_t answer; // soundnogo 2, soundgo 3
        std::vector<std::string> log;
        std::vector<std::string> sound;
    };
    const std::string ack = "Sound query acknowledged.";
    const std::vector<Case> cases = {
        {true, true, "x.mod", 2, {"Sound query ignored."}, {}},
        {false, true, "x.mod", 3, {ack, "Ignoring cache, downloading binary/x.mod..."}, {}},
        {false, false, "x.mod", 2, {ack}, {"play binary/x.mod"}},
        {false, false, "", 3, {ack, "Downloading binary/x.mod..."}, {}},
        {false, true, "../x.wav", 2, {"Sound query ignored."}, {}},
        {false, false, "../x.wav", 2, {"Sound query ignored."}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ConnectionRig rig;
        rig.settings.ignorequeries = c.ignore;
        rig.settings.downloadall = c.downloadAll;
        const std::string name = c.name.empty() ? "x.mod" : c.name;
        if (!c.name.empty()) WriteFileAtomically((rig.dir.path / "binary" / name).string(), "x");
        ASSERT_TRUE(rig.ConnectAndLogin());
        rig.server.Send(ServerFrame(54, name) + ServerFrame(60, "", "", "still here"));
        const auto frames = rig.ReadFrames(500ms);
        ASSERT_EQ(frames.size(), 1u);
        EXPECT_EQ(std::pair(frames[0].Type(), frames[0].Text1()),
                  std::pair(c.answer, std::string_view(name)));
        ASSERT_TRUE(rig.Pump([&] { return !rig.windows.calls.empty(); }));
        EXPECT_THAT(rig.windows.calls, ElementsAre("append channel still here"));
        EXPECT_EQ(rig.log.After(2), c.log);
        EXPECT_EQ(rig.sound.Calls(), c.sound);
        EXPECT_TRUE(rig.connection->IsConnected());
    }
}

// A file that cannot be opened (a hostile name, a missing folder) ends the connection
// too; ClientFiles.OnlyPlainNamesAreUsed has every kind of unsafe name.
TEST(ClientConnection, EveryWayOutEndsTheThreadAndResetsTheIndicators) {
    const std::string longFrame = ServerFrame(60, "", "", std::string(1000, 'x'));
    // How the connection ends, and the log after the two connect lines.
    using End = std::function<void(ConnectionRig&)>;
    const std::tuple<const char*, End, std::vector<std::string>> cases[] = {
        {"server closes",
         [](ConnectionRig& r) { r.server.CloseClient(); },
         {"Connection closed by server...", "Disconnecting..."}},
        {"disconnect message",
         [](ConnectionRig& r) { r.server.Send(ServerFrame(999)); },
         {"Server terminated client connection.", "Disconnecting..."}},
        {"user while waiting",
         [](ConnectionRig& r) { r.connection->Disconnect(); },
         {"Disconnecting..."}},
        {"user mid-frame",
         [&](ConnectionRig& r) {
             r.server.Send(longFrame.substr(0, 600));
             r.loop.RunFor(50ms);
             r.connection->Disconnect();
         },
         {"Disconnecting..."}},
        {"hostile text file name",
         [](ConnectionRig& r) { r.server.Send(ServerFrame(50, "../escape", "", "payload")); },
         {"Unable to open text/../escape for write.", "Disconnecting..."}},
        {"sound file without its folder",
         [](ConnectionRig& r) {
             std::filesystem::remove_all(r.dir.path / "binary");
             r.server.Send(ServerFrame(51, "x.wav", "", "payload"));
         },
         {"Sound File received.", "Unable to open binary/x.wav for write.", "Disconnecting..."}},
    };
    for (const auto& [what, end, log] : cases) {
        ConnectionRig rig;
        ASSERT_TRUE(rig.ConnectAndLogin());
        end(rig); // each must end the thread at once: the wait is bounded
        ASSERT_TRUE(rig.WaitForThreadEnd()) << what;
        EXPECT_EQ(rig.log.After(2), log) << what;
        ASSERT_TRUE(rig.Pump([&] {
            return rig.status.calls.size() >= 2 && rig.status.calls.back() == "progress 0/0";
        })) << what;
        EXPECT_EQ(rig.sound.Calls(), std::vector<std::string>{"stop"}) << what;
        EXPECT_TRUE(rig.windows.calls.empty()) << what;
        EXPECT_EQ(rig.status.calls[rig.status.calls.size() - 2], "client off") << what;
        EXPECT_FALSE(rig.connection->IsConnected());
        EXPECT_EQ(rig.connection->SendCommand("look"), -1);
    }
}

// A sound file larger than the memory taken on trust arrives whole; a frame beyond the
// limit ends the connection with its line.
TEST(ClientConnection, LargeSoundFilesArriveButFramesBeyondTheLimitEndTheConnection) {
    std::string hugeFrame(4, '\0'); // its length word is all the peer needs to send
    StoreLe32(reinterpret_cast<std::uint8_t*>(hugeFrame.data()),
              static_cast<std::uint32_t>(kMaxFrameBytes + 1));
    std::string mp3(kFrameBytesAhead + (4u << 20), '\0');
    for (std::size_t i = 0; i < mp3.size(); ++i)
        mp3[i] = static_cast<char>(i * 31 + i / 4096);
    ConnectionRig rig;
    ASSERT_TRUE(rig.ConnectAndLogin());
    std::thread peer([&] {
        rig.server.Send(ServerFrame(51, "long.mp3", "", mp3) + ServerFrame(60, "", "", "before") +
                        hugeFrame + ServerFrame(60, "", "", "after"));
    });
    const bool ended = rig.Pump([&] { return !rig.connection->ThreadRunning(); }, 60s);
    peer.join();
    ASSERT_TRUE(ended);
    EXPECT_THAT(rig.log.After(2),
                ElementsAre("Sound File received.",
                            "Sound file: binary/long.mp3 written successfully.",
                            "Frame of 268435457 bytes exceeds the limit of 268435456 bytes "
                            "(read_dblock).",
                            "Disconnecting..."));
    EXPECT_TRUE(ReadFileBytes((rig.dir.path / "binary/long.mp3").string()) == mp3);
    EXPECT_THAT(rig.sound.Calls(), ElementsAre("play binary/long.mp3", "stop"));
    ASSERT_TRUE(rig.Pump([&] { return !rig.windows.calls.empty(); }));
    EXPECT_THAT(rig.windows.calls, ElementsAre("append channel before"));
}

// A gone peer, closed or reset, reads as a close and takes no bytes (a partial count would
// make the sender go on) and a shut socket refuses everything;
// ConnectChecksStopWithTheirMessages has the stages of a failed open. Whatever one
// receive from the kernel brings, a single byte too, reaches the caller's buffer.
TEST(ClientSocketTest, AGonePeerIsACloseAndAShutSocketRefusesEverything) {
    using Result = std::pair<std::ptrdiff_t, int>;
    const auto result = [](IoResult r) { return Result(r.count, r.error); };
    LoopbackServer server;
    std::uint8_t buffer[8] = {};
    for (const bool reset : {false, true}) {
        SCOPED_TRACE(reset ? "reset" : "closed");
        ClientSocket socket;
        ASSERT_EQ(socket.Open("127.0.0.1", server.Port(), 5s), OpenStage::Connected);
        ASSERT_TRUE(server.Accept());
        for (const std::string sent : {"a", "bc"}) {
            server.Send(sent);
            ASSERT_EQ(socket.WaitReadable(), ClientSocket::Readiness::Readable);
            const IoResult got = socket.Receive(buffer);
            EXPECT_EQ(std::string(buffer, buffer + std::max<std::ptrdiff_t>(got.count, 0)), sent);
        }
        if (reset)
            server.ResetClient();
        else
            server.CloseClient();
        ASSERT_EQ(socket.WaitReadable(), ClientSocket::Readiness::Readable);
        EXPECT_EQ(result(socket.Receive(buffer)), Result(0, 0));
        IoResult sent{5, 0}; // the first send after a close still goes out; the peer resets
        WaitFor([&] { return (sent = socket.Send(std::span(buffer).first(5))).count != 5; }, 3000);
        EXPECT_EQ(result(sent), Result(0, 0));
    }

    ClientSocket socket;
    ASSERT_EQ(socket.Open("127.0.0.1", server.Port(), 5s), OpenStage::Connected);
    socket.Shutdown();
    EXPECT_EQ(socket.WaitReadable(), ClientSocket::Readiness::Shut);
    EXPECT_EQ(socket.Receive(buffer).error, ECONNABORTED);
    EXPECT_EQ(socket.Send(buffer).error, ECONNABORTED);
}

} // namespace
} // namespace tav::test
