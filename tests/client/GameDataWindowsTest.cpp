#include "client/GameDataWindows.h"
#include "tests/client/ConnectionTestSupport.h"

#include <gtest/gtest.h>

using namespace tav;
using namespace tav::test;

// Another game's GMCP/MSDP data in the program's windows: partial updates build up,
// gauges wait for both their numbers, pane text is made safe, and a live Client
// connection keeps its windows to itself.
TEST(GameDataWindows, FeedsStatusGaugesPanesAndChannelOnlyWithoutTheClientConnection) {
    RecordingWindows windows;
    bool clientUp = false;
    GameDataWindows data(
        windows, [&] { return clientUp; }, [] { return TextEncoding::Latin1; });

    data.Vitals({10, {}, {}, {}, {}, {}});
    data.Vitals({{}, 20, 5, 8, {}, 30});
    data.Room({"Caf\xC3\xA9 \xE2\x86\x92 Bar\r\n", {"n", "se"}});
    data.ChannelText({"ooc", "Bob", "Bob: hi\n\x1B[1mthere"});
    EXPECT_EQ(windows.calls,
              (std::vector<std::string>{
                  "status 10/0", "status 10/30", "gauge 101 10 20", "gauge 102 5 8", "clear desc",
                  "append desc Caf\xE9 ? Bar\r\n", "clear exits", "append exits n se\r\n",
                  "append channel Bob: hi\x1B[1mthere\r\n"}));

    // A gauge waits for both its numbers, whichever comes first.
    for (const GameVitals& half :
         {GameVitals{{}, {}, 7, {}, {}, {}}, GameVitals{{}, {}, {}, 9, {}, {}},
          GameVitals{{}, {}, {}, {}, 3, {}}}) {
        RecordingWindows fresh;
        GameDataWindows alone(
            fresh, [] { return false; }, [] { return TextEncoding::Latin1; });
        alone.Vitals(half);
        EXPECT_EQ(fresh.calls, (std::vector<std::string>{"status 0/0"}));
    }

    // DEL and the C1 controls go, the no-break space after them stays; ESC goes outside
    // the channel.
    windows.calls.clear();
    data.Room({"a\x7F"
               "b\xC2\x80\xC2\x9F\xC2\xA0"
               "c\x1B[1m",
               {}});
    EXPECT_EQ(windows.calls.at(1), "append desc ab\xA0"
                                   "c[1m\r\n");

    clientUp = true;
    windows.calls.clear();
    data.Vitals({1, 2, 3, 4, 5, 6});
    data.Room({"Hall", {}});
    data.ChannelText({"", "", "x"});
    EXPECT_TRUE(windows.calls.empty());
    clientUp = false;
    data.Vitals({});
    EXPECT_EQ(windows.calls.back(), "gauge 103 5 6"); // kept while the Client had them
}
