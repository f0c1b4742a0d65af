// Real signals raised in this process, caught by the self-pipe.
#include "app/SignalPipe.h"

#include <gtest/gtest.h>

#include <csignal>
#include <poll.h>

namespace tav::test {
namespace {

bool Readable(int fd) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, 0) == 1 && (p.revents & POLLIN) != 0;
}

auto Handler(int signal) {
    struct sigaction current {};
    ::sigaction(signal, nullptr, &current);
    return current.sa_handler;
}

TEST(SignalPipeTest, CaughtSignalsWakeTheLoopInOrderAndAreCaughtOnce) {
    const std::vector<int> rows[] = {{SIGTERM}, {SIGHUP, SIGINT}, {SIGINT, SIGTERM, SIGHUP}};
    for (const std::vector<int>& raised : rows) {
        SCOPED_TRACE(raised.size());
        SignalPipe pipe({SIGTERM, SIGHUP, SIGINT});
        ASSERT_TRUE(pipe.Ok());
        EXPECT_FALSE(Readable(pipe.ReadFd()));
        for (int signal : raised)
            ASSERT_EQ(std::raise(signal), 0);
        EXPECT_TRUE(Readable(pipe.ReadFd()));
        EXPECT_EQ(pipe.Take(), raised);
        EXPECT_FALSE(Readable(pipe.ReadFd()));
        EXPECT_TRUE(pipe.Take().empty());
        // A second one of the same kind would end the program.
        for (int signal : raised)
            EXPECT_EQ(Handler(signal), SIG_DFL);
    }
}

TEST(SignalPipeTest, PutsThePreviousHandlersBack) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction before {};
    ASSERT_EQ(::sigaction(SIGHUP, &ignore, &before), 0);
    {
        SignalPipe pipe({SIGHUP});
        EXPECT_NE(Handler(SIGHUP), SIG_IGN);
    }
    EXPECT_EQ(Handler(SIGHUP), SIG_IGN);
    ::sigaction(SIGHUP, &before, nullptr);
}

} // namespace
} // namespace tav::test
