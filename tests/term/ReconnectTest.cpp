#include "term/ReconnectPolicy.h"
#include "tests/support/TempDir.h"
#include "tests/support/TlsPeer.h"
#include "tests/term/SessionHarness.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <tuple>
#include <vector>

namespace tav {

std::ostream& operator<<(std::ostream& out, const ReconnectStep& step) {
    static const char* const kNames[] = {"None", "TooShort", "Wait", "Try", "GiveUp", "HourFull"};
    return out << kNames[static_cast<int>(step.kind)] << " attempt " << step.attempt << " in "
               << step.seconds << "s";
}

namespace {

using namespace std::chrono_literals;
using Kind = ReconnectStep::Kind;

constexpr SteadyMs kLongSession = kMinReconnectableMs;

// Every try connects and is lost again after `lasted`: short connections go on with one
// series, healthy ones start a new one each, and no hour holds more than ten tries.
TEST(ReconnectPolicy, ConnectionsLostAgainAndAgainAreReconnectedAtMostTenTimesAnHour) {
    // How long each connection lasts, the delay of every try before the end (or 30), the end.
    const std::tuple<const char*, SteadyMs, std::vector<int>, ReconnectStep> cases[] = {
        {"closed after 31 s", 31'000, {2, 4, 8, 16, 32, 60, 60, 60, 60, 60}, {Kind::GiveUp, 10, 0}},
        // Ten tries take just over an hour: they go on, at most ten an hour.
        {"closed after 6 minutes", 6 * 60'000, std::vector<int>(30, 2), {Kind::Wait, 1, 2}},
        // Ten tries in well under an hour: the next loss gives up, the hour being full.
        {"closed after 5.5 minutes", 330'000, std::vector<int>(10, 2), {Kind::HourFull, 0, 0}},
    };
    for (const auto& [name, lasted, expectedDelays, end] : cases) {
        ReconnectPolicy policy;
        policy.SetEnabled(true);
        SteadyMs now = 0;
        policy.Connected(now);
        now += lasted;
        ReconnectStep step = policy.Lost(now);
        std::vector<int> delays;
        std::vector<SteadyMs> tries;
        while (step.kind == Kind::Wait && tries.size() < 30) {
            delays.push_back(step.seconds);
            now += step.seconds * 1000;
            ASSERT_EQ(policy.Tick(now).kind, Kind::Try) << name;
            tries.push_back(now);
            policy.Connected(now);
            now += lasted;
            step = policy.Lost(now);
        }
        EXPECT_EQ(delays, expectedDelays) << name;
        EXPECT_EQ(step, end) << name;
        for (std::size_t k = kMaxReconnectsPerWindow; k < tries.size(); ++k)
            EXPECT_GE(tries[k] - tries[k - kMaxReconnectsPerWindow], kReconnectWindowMs) << name;
    }
}

TEST(ReconnectPolicy, WaitsRoundUpATryStartsOnceAndANewConnectionStartsAfresh) {
    ReconnectPolicy policy;
    policy.SetEnabled(true);
    policy.Connected(0);
    ASSERT_EQ(policy.Lost(kLongSession).seconds, 2);
    const std::pair<SteadyMs, int> left[] = {{0, 2}, {1, 2}, {999, 2}, {1000, 1}, {1999, 1}};
    for (auto [elapsed, seconds] : left)
        EXPECT_EQ(policy.Tick(kLongSession + elapsed), (ReconnectStep{Kind::Wait, 1, seconds}))
            << elapsed;
    EXPECT_EQ(policy.Tick(kLongSession + 2000), (ReconnectStep{Kind::Try, 1, 0}));
    EXPECT_TRUE(policy.Trying());
    EXPECT_EQ(policy.Tick(kLongSession + 2500), ReconnectStep{});
    policy.TryFailed(kLongSession + 2000); // try 2 waits 4 s

    // A try that connects ends the waiting; a healthy one's loss starts at 2 s again.
    policy.Tick(kLongSession + 6000);
    policy.Connected(kLongSession + 6000);
    EXPECT_FALSE(policy.Pending());
    EXPECT_EQ(policy.Lost(kLongSession + 6000 + kHealthyConnectionMs),
              (ReconnectStep{Kind::Wait, 1, 2}));

    // Turned off while waiting: stops; turned on again, the open connection counts.
    policy.Connected(0);
    policy.Lost(kLongSession);
    policy.Connected(kLongSession);
    policy.SetEnabled(false);
    policy.SetEnabled(true);
    EXPECT_EQ(policy.Lost(3 * kLongSession), (ReconnectStep{Kind::Wait, 1, 2}));
}

// A steady clock the test moves (sockets and loop are real); Advance ticks the timer.
struct TestSteadyClock : SteadyClock {
    SteadyMs now = 1'000'000;
    std::int64_t SteadyNowMs() override { return now; }
};

struct ReconnectFixture : ::testing::Test, test::SessionHarness {
    TestSteadyClock clock;

    void SetUp() override {
        TermServices services = Recorded();
        services.steadyClock = &clock;
        Open(services);
        session->SetAutoReconnect(true);
    }
    ~ReconnectFixture() override { session.reset(); } // before the clock it uses
    bool ReconnectTimerRunning() const { return loop.TimerActive(kReconnectTimer); }
    void Advance(SteadyMs ms) {
        clock.now += ms;
        if (ReconnectTimerRunning()) session->OnTimer(kReconnectTimer);
    }
    void DropAfter(SteadyMs lasted) {
        Advance(lasted);
        server.CloseClient();
        ASSERT_TRUE(loop.RunUntil([&] { return !session->Connected(); }, 5s));
    }
    // Waits for what a try started (its connect runs on a worker thread).
    bool Settled() {
        return loop.RunUntil([&] { return !session->Connecting(); }, 5s);
    }
    // The seconds of the last "... of 10 in N secs" shown; 0 when none is.
    int ShownWait() const {
        const std::string_view waiting = " of 10 in ";
        const std::string text(session->RecentText());
        const auto at = text.rfind(waiting);
        return at == std::string::npos ? 0 : std::stoi(text.substr(at + waiting.size()));
    }
};

TEST_F(ReconnectFixture, ALostConnectionIsReopenedWithTheLoginAndTheClientFollows) {
    CopyField(settings.user, "bob");
    CopyField(settings.passwd, "secret");
    CopyField(settings.logincom, ";look;");
    settings.autoclient = 1;
    Connect();
    DropAfter(kMinReconnectableMs);

    EXPECT_TRUE(
        Shown("TavTerm disconnecting...\r\nAttempting TavTerm reconnect 1 of 10 in 2 secs...\r\n"));
    ASSERT_TRUE(ReconnectTimerRunning());
    EXPECT_TRUE(session->ReconnectPending());

    Advance(1000); // the countdown shows in the status bar, not on the screen
    EXPECT_EQ(rec.messages.back(), "Attempting TavTerm reconnect 1 of 10 in 1 secs...");
    EXPECT_EQ(TimesShown("in 1 secs"), 0u);

    Advance(1000);
    EXPECT_FALSE(ReconnectTimerRunning());
    EXPECT_TRUE(Shown("Attempting TavTerm reconnect 1 of 10...\r\n"));
    ASSERT_TRUE(loop.RunUntil([&] { return session->Connected(); }, 5s));
    ASSERT_TRUE(server.Accept());
    EXPECT_EQ(server.Read(), "bob\nsecret\n");
    // After the login pause: the login commands, then the Client as the autoconnect would.
    loop.RunFor(1200ms);
    EXPECT_EQ(server.Read(), "\nlook\n");
    EXPECT_EQ(rec.clientConnects, 1);
    EXPECT_FALSE(session->ReconnectPending());
    EXPECT_EQ(TimesShown("Connecting to 127.0.0.1"), 2u);
}

TEST_F(ReconnectFixture, RefusedTriesBackOffAndStopAfterTen) {
    Connect();
    const test::ClosedPort closed;
    CopyField(settings.port, std::to_string(closed.Port()).c_str());
    DropAfter(10 * kMinReconnectableMs);

    // Each try starts when the shown wait is over (the delays are the policy test's).
    for (int attempt = 1; attempt <= kMaxReconnectTries; ++attempt) {
        ASSERT_TRUE(
            Shown("Attempting TavTerm reconnect " + std::to_string(attempt) + " of 10 in "));
        const int seconds = ShownWait();
        Advance(seconds * 1000 - 1);
        EXPECT_FALSE(session->Connecting()) << "try " << attempt << " started early";
        Advance(1);
        EXPECT_TRUE(
            Shown("Attempting TavTerm reconnect " + std::to_string(attempt) + " of 10...\r\n"));
        ASSERT_TRUE(Settled());
    }
    EXPECT_EQ(TimesShown("Connect()\r\n"), 10u);
    EXPECT_TRUE(Shown("TavTerm reconnect given up after 10 tries without a 5-minute "
                      "connection.\r\n"));
    EXPECT_FALSE(session->ReconnectPending());
    EXPECT_FALSE(ReconnectTimerRunning());
}

// A server closing every connection after 5 minutes: each try starts a new series, yet
// the hour's limit ends them, said on the screen and in the status bar.
TEST_F(ReconnectFixture, AServerClosingEverySessionIsGivenUpOn) {
    const std::string givenUp = "TavTerm reconnect given up: at most 10 reconnects in any hour.";
    Connect();
    int reconnects = 0;
    for (int round = 0; round < 3 * kMaxReconnectTries; ++round) {
        DropAfter(kHealthyConnectionMs);
        if (!ReconnectTimerRunning()) break;
        ASSERT_GT(ShownWait(), 0);
        Advance(ShownWait() * 1000);
        ASSERT_TRUE(loop.RunUntil([&] { return session->Connected(); }, 5s));
        ASSERT_TRUE(server.Accept());
        ++reconnects;
    }
    EXPECT_EQ(reconnects, kMaxReconnectTries);
    EXPECT_TRUE(Shown(givenUp + "\r\n"));
    EXPECT_EQ(rec.messages.back(), givenUp);
    EXPECT_FALSE(session->ReconnectPending());
}

TEST_F(ReconnectFixture, ShortSessionsUserDisconnectsAndTheOffSwitchNeverReconnect) {
    // How the connection ends, and what the screen then says, if anything.
    const std::tuple<const char*, std::function<void()>, const char*> cases[] = {
        {"a refused login closes at once", [&] { DropAfter(kMinReconnectableMs - 1); },
         "TavTerm connection lasted under 30 secs: not reconnecting.\r\n"},
        {"the user's Disconnect",
         [&] {
             Advance(kMinReconnectableMs);
             session->TermDisconnect();
         },
         nullptr},
        {"the profile switch or exit",
         [&] {
             Advance(kMinReconnectableMs);
             session->CancelConnect();
             session->TermDisconnect();
         },
         nullptr},
        {"reconnecting turned off",
         [&] {
             session->SetAutoReconnect(false);
             DropAfter(kMinReconnectableMs);
         },
         nullptr},
    };
    for (const auto& [name, end, shown] : cases) {
        session->SetAutoReconnect(true);
        Connect();
        end();
        loop.RunFor(50ms);
        EXPECT_FALSE(session->ReconnectPending()) << name;
        EXPECT_FALSE(ReconnectTimerRunning()) << name;
        EXPECT_EQ(TimesShown("Attempting TavTerm reconnect"), 0u) << name;
        if (shown) {
            EXPECT_TRUE(Shown(shown)) << name;
        }
        server.CloseClient();
    }
}

TEST_F(ReconnectFixture, TheUsersConnectOrDisconnectCancelsAPendingTry) {
    const std::tuple<const char*, std::function<void()>, bool> cases[] = {
        {"Connect", [&] { session->TermConnect(); }, true},
        {"Disconnect while waiting", [&] { session->CancelReconnect(); }, false},
        {"_disconnect typed", [&] { Type("_disconnect"); }, false},
        {"profile switch or exit", [&] { session->CancelConnect(); }, false},
        {"a try already connecting",
         [&] {
             Advance(2000); // the try starts
             session->CancelReconnect();
         },
         false},
    };
    for (const auto& [name, act, connectedAfter] : cases) {
        Connect();
        DropAfter(kMinReconnectableMs);
        ASSERT_TRUE(session->ReconnectPending()) << name;
        act();
        EXPECT_FALSE(session->ReconnectPending()) << name;
        EXPECT_FALSE(ReconnectTimerRunning()) << name;
        EXPECT_TRUE(Shown("TavTerm reconnect cancelled.\r\n")) << name;
        loop.RunFor(100ms);
        Advance(120'000); // no try comes any more
        EXPECT_EQ(session->Connected(), connectedAfter) << name;
        if (connectedAfter) {
            ASSERT_TRUE(server.Accept());
            session->TermDisconnect();
        }
        server.CloseClient();
    }
}

// A certificate the player refuses (a real openssl server) ends the series.
TEST_F(ReconnectFixture, ARefusedCertificateEndsTheReconnectSeries) {
    const test::TempDir temp;
    const test::TlsPeer peer(temp.path);
    if (!peer.Ready()) GTEST_SKIP() << "openssl cannot serve TLS here";
    Connect();
    session->SetTls({true, peer.Port(), (temp.path / "trusted.cfg").string()});
    DropAfter(kLongSession);
    ASSERT_TRUE(session->ReconnectPending());
    Advance(2000); // the first try, to the TLS port: the recorder answers No
    ASSERT_TRUE(Settled());
    EXPECT_TRUE(Shown("The server's certificate was not accepted."));
    EXPECT_FALSE(session->Connected());
    EXPECT_FALSE(session->ReconnectPending());
    EXPECT_TRUE(Shown("TavTerm reconnect cancelled."));
    EXPECT_FALSE(std::filesystem::exists(temp.path / "trusted.cfg"));
}

} // namespace
} // namespace tav
