// The boards window's model: which board a message list belongs to when replies come late,
// what each choice sends, and the heading limits.
#include "windows/BoardModel.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace tav {
namespace {

using Lines = std::vector<std::string>;

// The requests as readable lines; `down` makes every send fail as a closed connection does.
struct RecordingRequests : ClientRequests {
    Lines sent;
    bool down = false;
    std::ptrdiff_t Add(std::string line) {
        if (down) return -1;
        sent.push_back(std::move(line));
        return 272;
    }
    std::ptrdiff_t SendEditReply(std::string_view) override { return Add("edit"); }
    std::ptrdiff_t SendCommand(std::string_view) override { return Add("command"); }
    std::ptrdiff_t SendHelpIndexRequest() override { return Add("helpindex"); }
    std::ptrdiff_t SendHelpFileRequest(std::string_view) override { return Add("helpfile"); }
    std::ptrdiff_t SendBindexRequest() override { return Add("bindex"); }
    std::ptrdiff_t SendMsgIndexRequest(std::int32_t b) override {
        return Add("msgindex " + std::to_string(b));
    }
    std::ptrdiff_t SendMsgRequest(std::int32_t b, std::int32_t p) override {
        return Add("msg " + std::to_string(b) + " " + std::to_string(p));
    }
    std::ptrdiff_t SendMsgDelete(std::int32_t b, std::int32_t p) override {
        return Add("delete " + std::to_string(b) + " " + std::to_string(p));
    }
    std::ptrdiff_t SendMsgPost(std::int32_t b, std::string_view h) override {
        return Add("post " + std::to_string(b) + " [" + std::string(h) + "]");
    }
};

TEST(BoardModel, ReplyHeadingsAndTheirLimit) {
    const std::string long200(200, 'h');
    struct Case {
        std::string line;
        std::string heading;
    };
    const Case cases[] = {
        {"1 Bob :: Hello", "re:  Hello"}, // the space after "::" stays
        {"1 Bob : no heading", ""},
        {"a::b::c", "re: b::c"},
        {"3 Ann ::", "re: "},
        {"x::" + long200, "re: " + long200.substr(0, 123)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReplyHeading(c.line), c.heading) << c.line;
        EXPECT_LE(ReplyHeading(c.line).size(), kMaxHeadingBytes);
    }
    EXPECT_EQ(LimitHeading(long200), long200.substr(0, 127));
    EXPECT_EQ(LimitHeading("short"), "short");
}

TEST(BoardModel, EveryChoiceGoesToTheBoardTheShownListBelongsTo) {
    RecordingRequests requests;
    BoardModel model(requests);
    const std::string long200(200, 'p');

    struct Step {
        const char* what;
        std::function<bool()> act; // what the step returns
        bool result;
        Lines sent;
        std::int32_t current;
        std::int32_t listBoard;
    };
    const Step steps[] = {
        {"nothing to read before an index",
         [&] { return model.ReadMessage(0); },
         false,
         {},
         -1,
         -1},
        {"a board index makes board 0 current",
         [&] {
             model.SetBoards({{10, "General"}, {20, "Trade"}, {30, ""}});
             return true;
         },
         true,
         {},
         0,
         -1},
        {"select a board by position",
         [&] { return model.SelectBoard(0); },
         true,
         {"msgindex 10"},
         10,
         -1},
        {"move on before the reply",
         [&] { return model.SelectBoard(1); },
         true,
         {"msgindex 20"},
         20,
         -1},
        {"the late reply is board 10's",
         [&] {
             model.SetMessages({"1 Bob :: hi", "2 Ann :: sale"});
             return true;
         },
         true,
         {},
         20,
         10},
        {"delete hits board 10, the one shown",
         [&] { return model.DeleteMessage(1); },
         true,
         {"delete 10 1", "msgindex 10"},
         20,
         10},
        {"board 20's reply arrives",
         [&] {
             model.SetMessages({"1 Cid :: wts"});
             return true;
         },
         true,
         {},
         20,
         20},
        {"read goes to board 20", [&] { return model.ReadMessage(0); }, true, {"msg 20 0"}, 20, 20},
        {"a position past the list sends nothing",
         [&] { return model.ReadMessage(1); },
         false,
         {},
         20,
         20},
        {"the index asked after the delete",
         [&] {
             model.SetMessages({"1 Bob :: hi"});
             return true;
         },
         true,
         {},
         20,
         10},
        {"a reply goes to the shown board, cut to 127 bytes",
         [&] { return model.PostReply(long200); },
         true,
         {"post 10 [" + long200.substr(0, 127) + "]"},
         20,
         10},
        {"a post goes to the current board",
         [&] { return model.PostMessage("Hi all"); },
         true,
         {"post 20 [Hi all]"},
         20,
         10},
        {"an unasked reply is the current board's",
         [&] {
             model.SetMessages({"9 Dee :: x"});
             return true;
         },
         true,
         {},
         20,
         20},
        {"no board at that position", [&] { return model.SelectBoard(3); }, false, {}, 20, 20},
        {"requests that could not go are not waited for",
         [&] {
             requests.down = true;
             const bool selected = model.SelectBoard(0);
             requests.down = false;
             model.SetMessages({"1 Eve :: late"});
             return selected;
         },
         true,
         {},
         10,
         10},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        requests.sent.clear();
        EXPECT_EQ(step.act(), step.result);
        EXPECT_EQ(requests.sent, step.sent);
        EXPECT_EQ(model.CurrentBoard(), step.current);
        EXPECT_EQ(model.MessageBoard(), step.listBoard);
    }
}

TEST(BoardModel, BoardUpdatesNotifyOnlyForBoardsInTheList) {
    RecordingRequests requests;
    BoardModel model(requests);
    EXPECT_EQ(model.BoardUpdate(0), std::nullopt) << "no index yet";
    EXPECT_TRUE(requests.sent.empty());

    model.SetBoards({{0, "General"}, {1, "Trade"}, {2, ""}});
    struct Case {
        std::int32_t board;
        std::optional<std::string> title;
        Lines sent;
    };
    const Case cases[] = {
        {0, "General", {"msgindex 0"}}, // the current board is asked for again
        {1, "Trade", {}},
        {2, std::nullopt, {}}, // an empty title notifies nobody
        {3, std::nullopt, {}},
        {-1, std::nullopt, {}},
        {2147483647, std::nullopt, {}},
    };
    for (const Case& c : cases) {
        requests.sent.clear();
        EXPECT_EQ(model.BoardUpdate(c.board), c.title) << c.board;
        EXPECT_EQ(requests.sent, c.sent) << c.board;
    }

    model.ForgetRequests(); // board 0's index, asked above, will never come

    ASSERT_TRUE(model.SelectBoard(1));
    model.SetMessages({"2 Ann :: x"});
    EXPECT_EQ(model.MessageBoard(), 1) << "forgotten requests no longer take replies";
}

} // namespace
} // namespace tav
