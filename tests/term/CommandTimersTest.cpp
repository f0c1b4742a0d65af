#include "term/CommandTimers.h"
#include "tests/term/SessionHarness.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

namespace tav {
namespace {

using namespace std::chrono_literals;

struct CommandTimersFixture : ::testing::Test, test::SessionHarness {
    std::string sent;
    std::unique_ptr<CommandTimers> timers;

    void SetUp() override {
        TermServices services = Recorded();
        services.onSent = [this](std::string_view bytes) { sent += bytes; };
        Open(services);
        timers = std::make_unique<CommandTimers>(*session, loop);
    }
    ~CommandTimersFixture() override {
        timers.reset();
        session.reset();
    }
};

TEST_F(CommandTimersFixture, SendOnlyWhileConnectedAndStartAgainOnConnect) {
    timers->SetTimers(
        {{"walk", 1, true, "look;n"}, {"idle", 1, false, "never;"}, {"cheer", 1, true, "smile"}});
    ASSERT_NO_FATAL_FAILURE(Connect());
    const std::string first = ReadUntil("look\nn\n");
    EXPECT_TRUE(first.find("look\nn\n") != std::string::npos &&
                (first.find("smile\n") != std::string::npos || PeerReceives("smile\n")));

    session->TermDisconnect();
    EXPECT_FALSE(timers->Running());
    sent.clear();
    loop.RunFor(1500ms); // longer than the interval: a live timer would have fired
    EXPECT_EQ(sent, "");
    EXPECT_FALSE(Shown("Not connected"));

    ASSERT_NO_FATAL_FAILURE(Connect());
    EXPECT_TRUE(PeerReceives("look\nn\n"));
    EXPECT_EQ(sent.find("never"), std::string::npos);

    // Timers changed while connected run at once as they are now, the old ones no more,
    // also where a switched-off timer now stands in the place of a running one.
    timers->SetTimers(
        {{"idle", 1, true, "never"}, {"off", 60, false, "no"}, {"late", 60, false, "late"}});
    sent.clear();
    EXPECT_TRUE(PeerReceives("never\n"));
    loop.RunFor(1200ms); // past the interval of every old timer
    for (const char* old : {"look", "smile", "late"})
        EXPECT_EQ(sent.find(old), std::string::npos) << old;
}

TEST_F(CommandTimersFixture, FileKeepsUnknownLinesAndReportsBadOnesOnce) {
    const test::TempDir dir;
    const std::string path = (dir.path / "timers.cfg").string();
    WriteTextFile(path, "# mine\ntimer=a|5|on|say hi|there\ntimer=b|0|on|x\n");
    timers->Load(path);
    ASSERT_EQ(timers->Timers().size(), 1u);
    EXPECT_EQ(timers->Timers()[0], (CommandTimer{"a", 5, true, "say hi|there"}));
    EXPECT_EQ(TimesShown("timers.cfg: 1 line(s)"), 1u);

    timers->SetTimers({{"c", 86400, false, ""}});
    ASSERT_TRUE(timers->Save());
    EXPECT_EQ(test::Contents(path), "timer=c|86400|off|\r\n# mine\r\ntimer=b|0|on|x\r\n");
}

} // namespace
} // namespace tav
