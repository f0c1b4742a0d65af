// The server edit flow without a window, against a real connection.
#include "client/ServerEdit.h"

#include "ConnectionTestSupport.h"
#include "tests/sound/SoundTestSupport.h"
#include "tests/support/RecordingRequests.h"

namespace tav::test {
namespace {

TEST(ServerEditTextTest, LineEndsHeadingsAndLimits) {
    using Row = std::pair<std::string_view, std::string>; // in, out
    const Row editorRows[] = {
        {"a\r\nb", "a\nb"},           {"a\n\rb", "a\nb"}, {"a\rb\nc", "a\nb\nc"},
        {"a\r\n\r\nb", "a\n\nb"},     {"\r\r", "\n\n"},   {"", ""},
        {"caf\xe9\r\n", "caf\xe9\n"},
    };
    for (const auto& [received, editor] : editorRows)
        EXPECT_EQ(ToEditorLineEnds(received), editor) << received;
    const Row gameRows[] = {
        {"a\nb", "a\r\nb"}, {"\n\n", "\r\n\r\n"}, {"a\r\nb", "a\r\nb"}, {"end\n", "end\r\n"},
        {"", ""},
    };
    for (const auto& [editor, game] : gameRows)
        EXPECT_EQ(ToGameLineEnds(editor), game) << editor;

    // CR LF text comes back the same after an untouched "Done".
    const std::string_view crlf = "line one\r\nline two\r\n\r\nlast";
    EXPECT_EQ(ToGameLineEnds(ToEditorLineEnds(crlf)), crlf);

    EXPECT_EQ(EditHeading("Your\r\ndescription\n"), "Your  description ");
    EXPECT_EQ(EditHeading(std::string(300, 'h')).size(), kEditHeadingBytes);

    EXPECT_EQ(EditByteLimit(""), kEditTextBytes - 1);
    EXPECT_EQ(EditByteLimit(std::string(20000, 'x')), 20000u);
    // Lone LFs grow by a CR each in the game form; an untouched "Done" must still fit.
    std::string lines;
    for (int i = 0; i < 6000; ++i)
        lines += "ab\n";
    EXPECT_EQ(EditByteLimit(lines), 24000u);
}

// Each run records what it was given and gives the next answer.
struct ScriptedDialog : EditDialogRunner {
    struct Run {
        std::string heading, text;
        std::size_t limit;
    };
    std::vector<Run> runs;
    std::deque<std::optional<std::string>> answers;
    std::function<void()> whileOpen;
    std::optional<std::string> RunEditDialog(std::string_view heading, std::string_view text,
                                             std::size_t limit) override {
        runs.push_back({std::string(heading), std::string(text), limit});
        if (whileOpen) whileOpen();
        std::optional<std::string> answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

// An edit request as it arrives from the server.
ClientMessage EditRequest(std::string_view heading, std::string_view data) {
    return ParseFrames(ServerFrame(57, heading, "", data)).at(0);
}

TEST(ServerEditFlowTest, EachEndingOfTheDialogSendsOneReplyAndEmptiesTheSlotForGood) {
    // The request's heading and text, the dialog's answer, and the reply's data on the wire.
    using Row = std::tuple<const char*, std::string_view, std::string_view,
                           std::optional<std::string>, std::string>;
    const Row rows[] = {
        {"done after editing", "Desc\r\nription", "old\r\ntext", "new\ntext\n", "new\r\ntext\r\n"},
        {"closed without done", "Desc", "old\ntext\x01\xe9", std::nullopt, "old\ntext\x01\xe9"},
        {"done untouched", "Desc", "a\nb\rc\r\nd\n\re\xa0", "a\nb\nc\nd\ne\xa0",
         "a\nb\rc\r\nd\n\re\xa0"},
        {"empty request, done", "Desc", "", "", ""},
        {"empty request, closed", "Desc", "", std::nullopt, ""},
    };
    for (const auto& [name, heading, text, answer, reply] : rows) {
        SCOPED_TRACE(name);
        ConnectionRig rig;
        ASSERT_TRUE(rig.ConnectAndLogin());
        ASSERT_TRUE(rig.pendingEdit.Offer(EditRequest(heading, text)));
        ScriptedDialog dialog;
        dialog.answers.push_back(answer);
        dialog.whileOpen = [&] { EXPECT_TRUE(rig.pendingEdit.Busy()); };
        EXPECT_EQ(AnswerEditRequest(rig.pendingEdit, *rig.connection, dialog, rig.boxes),
                  EditOutcome::Answered);
        ASSERT_EQ(dialog.runs.size(), 1u);
        EXPECT_EQ(std::pair(dialog.runs[0].heading, dialog.runs[0].text),
                  std::pair(EditHeading(heading), ToEditorLineEnds(text)));
        EXPECT_FALSE(rig.pendingEdit.Busy());

        const auto frames = rig.ReadFrames();
        ASSERT_EQ(frames.size(), 1u);
        const auto data = frames[0].Data();
        EXPECT_EQ(
            std::tuple(frames[0].Type(), frames[0].Text1(), std::string(data.begin(), data.end())),
            std::tuple(8, "", reply + '\0')); // edit_reply
        EXPECT_TRUE(rig.boxes.shown.empty());

        // The command again finds the slot empty: the error, no dialog, nothing sent.
        EXPECT_EQ(AnswerEditRequest(rig.pendingEdit, *rig.connection, dialog, rig.boxes),
                  EditOutcome::NoRequest);
        EXPECT_EQ(dialog.runs.size(), 1u);
        EXPECT_EQ(rig.boxes.shown, std::vector<std::string>{
                                       "Error... Edit request received, but no block to edit."});
        EXPECT_TRUE(rig.ReadFrames(100ms).empty());
    }
}

// The server answers the reply with a new request before the flow goes on: a flow that
// emptied the slot only after sending would refuse it.
struct ServerAnswersAtOnce : RecordingRequests {
    ConnectionRig& rig;
    std::string replyOnWire;
    explicit ServerAnswersAtOnce(ConnectionRig& r) : rig(r) {}
    std::ptrdiff_t SendEditReply(std::string_view text) override {
        const std::ptrdiff_t sent = rig.connection->SendEditReply(text);
        replyOnWire = rig.server.Read();
        rig.server.Send(ServerFrame(57, "Second edit", "", "second text"));
        const auto parkedOrRefused = [&] {
            const auto current = rig.pendingEdit.Current();
            return (current && current->Text1() == "Second edit") ||
                   rig.log.Has("Edit request ignored, already editing...");
        };
        WaitFor(parkedOrRefused, 3000);
        return sent;
    }
};

TEST(ServerEditFlowTest, ARequestRightAfterTheReplyIsParkedAndAnsweredNextEvenWhenTheLinkGoes) {
    ConnectionRig rig;
    ASSERT_TRUE(rig.ConnectAndLogin());
    rig.server.Send(ServerFrame(57, "First edit", "", "first text"));
    ASSERT_TRUE(rig.Pump([&] { return rig.windows.calls.size() == 1; }));
    EXPECT_EQ(rig.windows.calls[0], "command 5624");

    ServerAnswersAtOnce requests(rig);
    ScriptedDialog dialog;
    dialog.answers = {std::string("first, edited"), std::nullopt};
    ASSERT_EQ(AnswerEditRequest(rig.pendingEdit, requests, dialog, rig.boxes),
              EditOutcome::Answered);
    const auto first = ParseFrames(requests.replyOnWire);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].DataText(), "first, edited");
    EXPECT_FALSE(rig.log.Has("Edit request ignored, already editing..."));
    ASSERT_TRUE(rig.Pump([&] { return rig.windows.calls.size() == 2; }));
    EXPECT_EQ(rig.windows.calls[1], "command 5624");

    ASSERT_EQ(AnswerEditRequest(rig.pendingEdit, *rig.connection, dialog, rig.boxes),
              EditOutcome::Answered);
    EXPECT_EQ(dialog.runs.at(1).heading, "Second edit");
    const auto second = rig.ReadFrames();
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(second[0].DataText(), "second text");

    // The reply is attempted, and the slot emptied, when the connection went down meanwhile.
    ASSERT_TRUE(rig.pendingEdit.Offer(EditRequest("Gone", "text")));
    dialog.answers.push_back(std::string("edited"));
    dialog.whileOpen = [&] {
        rig.connection->Disconnect();
        rig.WaitForThreadEnd();
    };
    EXPECT_EQ(AnswerEditRequest(rig.pendingEdit, *rig.connection, dialog, rig.boxes),
              EditOutcome::Answered);
    EXPECT_FALSE(rig.pendingEdit.Busy());
    EXPECT_TRUE(rig.boxes.shown.empty());
}

} // namespace
} // namespace tav::test
