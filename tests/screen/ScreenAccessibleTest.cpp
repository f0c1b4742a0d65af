#include "screen/qt/ScreenAnnouncer.h"
#include "screen/qt/ScreenWidget.h"
#include "tests/screen/ScreenWidgetFixture.h"

#include <QAccessible>
#include <QString>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tav {
namespace {

using Screen = test::WidgetScreen;

// The screen as a screen reader sees it.
struct Reader {
    explicit Reader(QWidget* widget)
        : iface(QAccessible::queryAccessibleInterface(widget)),
          text(iface ? iface->textInterface() : nullptr) {}
    QString All() const { return text->text(0, text->characterCount()); }
    QAccessibleInterface* iface;
    QAccessibleTextInterface* text;
};

TEST(ScreenAccessible, IsANamedTerminalWhoseTextIsTheBufferWithItsSelectionAndCells) {
    Screen s(6, 4, 30);
    s.widget->setAccessibleName("Room description");
    Reader r(s.widget.get());
    ASSERT_NE(r.text, nullptr);
    EXPECT_EQ(r.iface->role(), QAccessible::Terminal);
    EXPECT_EQ(r.iface->text(QAccessible::Name), "Room description");
    EXPECT_TRUE(r.iface->state().readOnly);
    s.Feed("first line\r\nsecond\r\nthi");
    EXPECT_EQ(r.All(), "first line\nsecond\nthi\n\n\n");
    // The caret is the screen's cursor, after "thi".
    EXPECT_EQ(r.text->cursorPosition(), 21);
    // New text is seen without any other step.
    s.Feed("rd\r\ntet");
    EXPECT_EQ(r.All(), "first line\nsecond\nthird\ntet\n\n");

    // Two more lines: four rows show lines 2..5.
    s.Feed("\r\nfive\r\nsix");
    ASSERT_EQ(s.model.Top(), 2);
    EXPECT_EQ(r.text->selectionCount(), 0);
    r.text->setSelection(0, 8, 16); // "ne\nsecon"
    EXPECT_EQ(r.text->selectionCount(), 1);
    EXPECT_EQ(s.model.GetSelectedText(), "ne\r\nsecon");
    int start = 0;
    int end = 0;
    r.text->selection(0, &start, &end);
    EXPECT_EQ(std::pair(start, end), std::pair(8, 16));
    s.model.SelectAll();
    r.text->selection(0, &start, &end);
    EXPECT_EQ(r.text->text(start, end), "first line\nsecond\nthird\ntet\nfive\nsix");
    r.text->removeSelection(0);
    EXPECT_EQ(r.text->selectionCount(), 0);

    // A visible character is found again at its place; one scrolled off has none.
    const int third = 18;
    const QRect cell = r.text->characterRect(third + 2);
    ASSERT_FALSE(cell.isEmpty());
    EXPECT_EQ(cell.topLeft(), s.widget->mapToGlobal(QPoint(2 * s.widget->CellWidth(), 0)));
    EXPECT_EQ(r.text->offsetAtPoint(cell.center()), third + 2);
    EXPECT_TRUE(r.text->characterRect(1).isEmpty());
    // Asking for it brings it into view.
    r.text->scrollToSubstring(1, 3);
    EXPECT_EQ(s.model.Top(), 0);
    EXPECT_FALSE(r.text->characterRect(1).isEmpty());
}

// Game screens are full of blank lines, rulers and prompts: at every offset and boundary
// each query answers a piece of the text (or nothing), and pieces read on join up to it.
TEST(ScreenAccessible, EveryBoundaryAtEveryOffsetAnswersAndReadsTheWholeText) {
    const char* const kScreen = "\r\n   \r\n---\r\n> prompt\r\nlook at x.org. Go north!  \r\n";
    const std::pair<int, const char*> screens[] = {{1, ""}, {5, ""}, {8, kScreen}};
    for (const auto& [lines, bytes] : screens) {
        Screen s(lines, 4, 30);
        Reader r(s.widget.get());
        s.Feed(bytes);
        const QString all = r.All();
        const int count = r.text->characterCount();
        for (int kind = QAccessible::CharBoundary; kind <= QAccessible::NoBoundary; ++kind) {
            const auto boundary = static_cast<QAccessible::TextBoundaryType>(kind);
            SCOPED_TRACE("kind " + std::to_string(kind) + " of " + all.toStdString());
            // A piece is either nothing (-1, -1) or the text between its offsets.
            int start = -2;
            int end = -2;
            const auto check = [&](const char* call, int offset, const QString& piece) {
                SCOPED_TRACE(std::string(call) + " offset " + std::to_string(offset));
                if (start == -1 && end == -1) {
                    EXPECT_TRUE(piece.isEmpty());
                } else {
                    ASSERT_TRUE(0 <= start && start <= end && end <= count);
                    EXPECT_EQ(piece, all.mid(start, end - start));
                }
            };
            for (int offset = -1; offset <= count + 1; ++offset) {
                check("at", offset, r.text->textAtOffset(offset, boundary, &start, &end));
                const int clamped = std::clamp(offset, 0, count);
                EXPECT_TRUE(start <= clamped && clamped <= end) << "at " << offset;
                check("before", offset, r.text->textBeforeOffset(offset, boundary, &start, &end));
                check("after", offset, r.text->textAfterOffset(offset, boundary, &start, &end));
            }
            // Reading on from the first piece, or back from the last, joins up to the text.
            for (bool forwards : {true, false}) {
                QString read = r.text->textAtOffset(forwards ? 0 : count, boundary, &start, &end);
                for (int steps = 0; steps <= count; ++steps) {
                    int nextStart = 0;
                    int nextEnd = 0;
                    const QString next =
                        forwards ? r.text->textAfterOffset(start, boundary, &nextStart, &nextEnd)
                                 : r.text->textBeforeOffset(start, boundary, &nextStart, &nextEnd);
                    if (nextStart == -1) break;
                    ASSERT_EQ(forwards ? nextStart : nextEnd, forwards ? end : start) << start;
                    read = forwards ? read + next : next + read;
                    start = nextStart;
                    end = nextEnd;
                }
                EXPECT_EQ(read, all) << (forwards ? "forwards" : "backwards");
            }
        }
    }

    // A line's piece ends with its line end; words are runs of letters, of blanks or of
    // other signs; a sentence ends after its stop and the blanks that follow.
    Screen s(8, 4, 30);
    Reader r(s.widget.get());
    s.Feed(kScreen);
    const QString all = r.All();
    const std::tuple<const char*, QAccessible::TextBoundaryType, const char*> pieces[] = {
        // The piece that holds the first character of the text on the left.
        {"rompt", QAccessible::CharBoundary, "r"},
        {"ompt", QAccessible::LineBoundary, "> prompt\n"},
        {"---", QAccessible::ParagraphBoundary, "---\n"},
        {"\n   ", QAccessible::WordBoundary, "\n"},
        {"   ", QAccessible::WordBoundary, "   "},
        {"---", QAccessible::WordBoundary, "---"},
        {"> ", QAccessible::WordBoundary, ">"},
        {"prompt", QAccessible::WordBoundary, "prompt"},
        {"x.org", QAccessible::SentenceBoundary, "look at x.org. "},
        {"Go", QAccessible::SentenceBoundary, "Go north!  \n"},
        {"   ", QAccessible::SentenceBoundary, "   \n"},
    };
    for (const auto& [near, kind, expected] : pieces) {
        int start = 0;
        int end = 0;
        EXPECT_EQ(r.text->textAtOffset(static_cast<int>(all.indexOf(near)), kind, &start, &end),
                  expected)
            << near;
    }
}

struct TestClock : IntervalClock {
    std::int32_t now = 0;
    std::int32_t NowMs() override { return now; }
};

TEST(ScreenAnnouncer, CompletedLinesAreInsertedTextWithinTheLimit) {
    Screen s;
    TestClock clock;
    ScreenAnnouncer announcer(*s.widget, clock, {2, 50});
    std::vector<std::pair<int, QString>> inserted;
    announcer.SetSink(
        [&](int position, const QString& text) { inserted.emplace_back(position, text); });
    s.Feed("look\r\nhere");
    bool listening = false;
    announcer.SetListening([&] { return listening; });
    announcer.LineCompleted("unheard");
    EXPECT_TRUE(inserted.empty());

    listening = true;
    for (const char* line : {"one", "two", "three", "four"})
        announcer.LineCompleted(line);
    clock.now = 60;
    EXPECT_TRUE(QTest::qWaitFor([&] { return inserted.size() == 3; }, 2000));
    // Inserted at the start of the cursor line, after "look\n".
    EXPECT_EQ(inserted, (std::vector<std::pair<int, QString>>{
                            {5, "one\n"}, {5, "two\n"}, {5, "2 more lines\n"}}));
}

} // namespace
} // namespace tav
