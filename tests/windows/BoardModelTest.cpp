// The boards window's model: where each choice goes, what it sends, heading limits.
#include "windows/BoardModel.h"

#include "tests/support/RecordingRequests.h"

#include <gtest/gtest.h>

#include <tuple>

namespace tav {
namespace {

using Lines = std::vector<std::string>;
using test::RecordingRequests;

TEST(BoardModel, ReplyHeadingsAndTheirLimit) {
    const std::string long200(200, 'h');
    const std::pair<std::string, std::string> cases[] = {
        {"1 Bob :: Hello", "re:  Hello"}, // the space after "::" stays
        {"1 Bob : no heading", ""},
        {"a::b::c", "re: b::c"},
        {"3 Ann ::", "re: "},
        {"x::" + long200, "re: " + long200.substr(0, 123)},
    };
    for (const auto& [line, heading] : cases)
        EXPECT_EQ(ReplyHeading(line), heading) << line;
    EXPECT_EQ(LimitHeading(long200), long200.substr(0, 127));
    EXPECT_EQ(LimitHeading("short"), "short");
}

// An action with its argument, what it returns and sends, and the current board after.
struct Step {
    const char* action; // boards, select, messages (argument: line count), read, delete,
                        // post, lost post (the connection is down)
    int arg;
    bool result;
    Lines sent;
    std::int32_t current;
};

// Whatever the replies, every choice goes to the board chosen last: a request answered
// with no index (or a reply nobody asked for) shifts nothing.
TEST(BoardModel, EveryChoiceGoesToTheCurrentBoard) {
    RecordingRequests requests;
    BoardModel model(requests);
    const std::string long200(200, 'p');
    const Step steps[] = {
        {"read", 0, false, {}, -1}, // nothing before an index
        {"post", 0, false, {}, -1}, // no board to post to
        {"boards", 0, true, {}, 0}, // board 0 is current, whatever the numbers
        {"select", 0, true, {"msgindex 10"}, 10},
        {"select", 1, true, {"msgindex 20"}, 20}, // board 10 answered with a text only
        {"messages", 2, true, {}, 20},
        {"delete", 1, true, {"delete 20 1", "msgindex 20"}, 20},
        {"read", 0, true, {"msg 20 0"}, 20},
        {"read", 2, false, {}, 20}, // past the list
        {"delete", 2, false, {}, 20},
        {"post", 0, true, {"post 20 [" + long200.substr(0, 127) + "]"}, 20},
        {"lost post", 0, false, {}, 20},
        {"messages", 1, true, {}, 20}, // asked by nobody
        {"read", 0, true, {"msg 20 0"}, 20},
        {"select", 3, false, {}, 20}, // no board there
        {"select", 0, true, {"msgindex 10"}, 10},
        {"read", 0, false, {}, 10}, // the list went with the choice
        {"boards", 0, true, {}, 0},
        {"read", 0, false, {}, 0},
        {"post", 0, true, {"post 0 [" + long200.substr(0, 127) + "]"}, 0}, // board 0 is a board
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(std::string(step.action) + " " + std::to_string(step.arg));
        requests.sent.clear();
        const std::string_view action = step.action;
        bool result = true;
        if (action == "boards") model.SetBoards({{10, "General"}, {20, "Trade"}, {30, ""}});
        if (action == "messages") model.SetMessages(Lines(step.arg, "1 Bob :: hi"));
        if (action == "select") result = model.SelectBoard(step.arg);
        if (action == "read") result = model.ReadMessage(step.arg);
        if (action == "delete") result = model.DeleteMessage(step.arg);
        requests.down = action == "lost post";
        if (action.ends_with("post")) result = model.Post(model.CurrentBoard(), long200);
        EXPECT_EQ(std::tuple(result, requests.sent, model.CurrentBoard()),
                  std::tuple(step.result, step.sent, step.current));
    }
}

TEST(BoardModel, BoardUpdatesNotifyOnlyForBoardsInTheList) {
    RecordingRequests requests;
    BoardModel model(requests);
    EXPECT_EQ(model.BoardUpdate(0), std::nullopt) << "no index yet";
    EXPECT_TRUE(requests.sent.empty());

    model.SetBoards({{0, "General"}, {1, "Trade"}, {2, ""}});
    const std::tuple<std::int32_t, std::optional<std::string>, Lines> cases[] = {
        {0, "General", {"msgindex 0"}}, // the current board is asked for again
        {1, "Trade", {}},
        {2, std::nullopt, {}}, // an empty title notifies nobody
        {3, std::nullopt, {}},
        {-1, std::nullopt, {}},
        {2147483647, std::nullopt, {}},
    };
    for (const auto& [board, title, sent] : cases) {
        requests.sent.clear();
        EXPECT_EQ(model.BoardUpdate(board), title) << board;
        EXPECT_EQ(requests.sent, sent) << board;
    }
}

} // namespace
} // namespace tav
