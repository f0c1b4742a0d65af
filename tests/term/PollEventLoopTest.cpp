#include "term/PollEventLoop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace tav {
namespace {

using namespace std::chrono_literals;

// A one-off wait never takes the place of a timer on the loop they share.
TEST(PollEventLoopTest, SingleShotsNeverReplaceATimer) {
    PollEventLoop loop;
    int ticks = 0;
    int shots = 0;
    for (int id = 0; id < 3; ++id)
        loop.StartTimer(id, 10, [&] { ++ticks; });
    for (int k = 0; k < 4; ++k)
        loop.SingleShot(0, [&] { ++shots; });
    ASSERT_TRUE(loop.RunUntil([&] { return shots == 4 && ticks >= 6; }, 5s));
    EXPECT_TRUE(loop.TimerActive(0) && loop.TimerActive(1) && loop.TimerActive(2));
}

// RunFor asks for the time left after checking that some is: on a busy machine that is
// below zero, which poll(2) takes as "wait for ever".
TEST(PollEventLoopTest, AWaitAlreadyOverDoesNotBlock) {
    PollEventLoop loop;
    std::atomic<bool> returned = false;
    std::thread runner([&] {
        loop.RunOnce(-2ms);
        returned = true;
    });
    for (int k = 0; k < 500 && !returned; ++k)
        std::this_thread::sleep_for(10ms);
    EXPECT_TRUE(returned);
    loop.Post([] {}); // wakes a loop that did block
    runner.join();
}

} // namespace
} // namespace tav
