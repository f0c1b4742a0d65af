// The Qt event-loop adapter: socket readiness, timers by id, single shots, posted work.
#include "term/qt/QtEventLoop.h"

#include <QTest>
#include <gtest/gtest.h>

#include <thread>
#include <unistd.h>

namespace tav {
namespace {

TEST(QtEventLoop, TimersPostedWorkAndReadableDescriptors) {
    QtEventLoop loop;
    // Three ticks of a timer of the longest period used here: time in which a stopped
    // timer, a second shot or an unwatched descriptor would have called back.
    const auto threeTicks = [&loop] {
        int ticks = 0;
        loop.StartTimer(59, 10, [&ticks] { ++ticks; });
        const bool ticked = QTest::qWaitFor([&] { return ticks >= 3; }, 2000);
        loop.StopTimer(59);
        return ticked;
    };
    int ticks = 0;
    int restarted = 0;
    loop.StartTimer(57, 10, [&] { ++ticks; });
    loop.StartTimer(57, 10, [&] { ++restarted; }); // restarting replaces the callback
    ASSERT_TRUE(QTest::qWaitFor([&] { return restarted >= 2; }, 2000));
    EXPECT_EQ(ticks, 0);
    loop.StopTimer(57);
    EXPECT_FALSE(loop.TimerActive(57));

    // A timer may stop itself from its own tick; a single shot fires once.
    int selfStops = 0;
    loop.StartTimer(58, 5, [&] {
        ++selfStops;
        loop.StopTimer(58);
    });
    int shots = 0;
    loop.SingleShot(5, [&] { ++shots; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return selfStops == 1 && shots == 1; }, 2000));
    const int after = restarted;
    ASSERT_TRUE(threeTicks());
    EXPECT_EQ(restarted, after);
    EXPECT_EQ(selfStops, 1);
    EXPECT_EQ(shots, 1);

    // Posted work runs in order on the loop's thread, whichever thread posted it.
    std::vector<int> order;
    std::vector<std::thread::id> threads;
    std::thread other([&] {
        for (int k = 0; k < 50; ++k)
            loop.Post([&, k] {
                order.push_back(k);
                threads.push_back(std::this_thread::get_id());
            });
    });
    other.join();
    EXPECT_TRUE(order.empty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return order.size() == 50; }, 2000));
    for (int k = 0; k < 50; ++k)
        EXPECT_EQ(order[static_cast<std::size_t>(k)], k);
    EXPECT_EQ(threads.front(), std::this_thread::get_id());

    // A readable descriptor calls back until unwatched from its own callback.
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    std::string got;
    loop.WatchReadable(fds[0], [&] {
        char c;
        if (::read(fds[0], &c, 1) == 1) got.push_back(c);
        if (c == '!') loop.Unwatch(fds[0]);
    });
    ASSERT_EQ(::write(fds[1], "ab!c", 4), 4);
    ASSERT_TRUE(QTest::qWaitFor([&] { return got == "ab!"; }, 2000));
    ASSERT_TRUE(threeTicks());
    EXPECT_EQ(got, "ab!"); // "c" stays unread once unwatched
    EXPECT_FALSE(loop.Watching(fds[0]));

    // A writable descriptor calls back until unwatched; Unwatch ends both kinds of watch.
    int writable = 0;
    loop.WatchReadable(fds[1], [] {});
    loop.WatchWritable(fds[1], [&] { ++writable, loop.Unwatch(fds[1]); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return writable == 1; }, 2000));
    QTest::qWait(30);
    EXPECT_EQ(writable, 1);
    EXPECT_FALSE(loop.Watching(fds[1]) || loop.WatchingWritable(fds[1]));
    ::close(fds[0]);
    ::close(fds[1]);
}

} // namespace
} // namespace tav
