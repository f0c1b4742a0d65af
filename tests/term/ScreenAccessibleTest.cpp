#include "term/ScreenAccessible.h"
#include "term/ScreenAnnouncer.h"
#include "term/ScreenWidget.h"

#include <QAccessible>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace tav {
namespace {

constexpr int kCols = 30;
constexpr int kRows = 4;

struct Screen {
    Settings settings{};
    std::array<ColorRef, kMudColorCount> table{};
    TMudScreen model{settings};
    std::unique_ptr<ScreenWidget> widget;
    QAccessibleInterface* iface = nullptr;
    QAccessibleTextInterface* text = nullptr;

    explicit Screen(int lines = 10) {
        ScreenWidget::SetLogoPending(false);
        model.ResetScreen(lines);
        widget = std::make_unique<ScreenWidget>(model, settings, table.data());
        widget->setAccessibleName("Room description");
        const int bar = widget->findChild<QScrollBar*>()->sizeHint().width();
        widget->SetScreenRect(
            QRect(0, 0, kCols * model.CellWidth() + 4 + bar, kRows * model.CellHeight()), true);
        iface = QAccessible::queryAccessibleInterface(widget.get());
        text = iface ? iface->textInterface() : nullptr;
    }
    void Feed(std::string_view bytes) {
        model.AddText(bytes);
        while (model.TakeLine()) {
        }
    }
    QString All() const { return text->text(0, text->characterCount()); }
};

TEST(ScreenAccessible, IsANamedTerminalWhoseTextIsTheBufferWithItsSelectionAndCells) {
    Screen s(6);
    ASSERT_NE(s.text, nullptr);
    EXPECT_EQ(s.iface->role(), QAccessible::Terminal);
    EXPECT_EQ(s.iface->text(QAccessible::Name), "Room description");
    EXPECT_TRUE(s.iface->state().readOnly);
    s.Feed("first line\r\nsecond\r\nthi");
    EXPECT_EQ(s.All(), "first line\nsecond\nthi\n\n\n");
    // The caret is the screen's cursor, after "thi".
    EXPECT_EQ(s.text->cursorPosition(), 21);
    // New text is seen without any other step.
    s.Feed("rd\r\ntet");
    EXPECT_EQ(s.All(), "first line\nsecond\nthird\ntet\n\n");

    // Two more lines: four rows show lines 2..5.
    s.Feed("\r\nfive\r\nsix");
    ASSERT_EQ(s.model.Top(), 2);
    EXPECT_EQ(s.text->selectionCount(), 0);
    s.text->setSelection(0, 8, 16); // "ne\nsecon"
    EXPECT_EQ(s.text->selectionCount(), 1);
    EXPECT_EQ(s.model.GetSelectedText(), "ne\r\nsecon");
    int start = 0;
    int end = 0;
    s.text->selection(0, &start, &end);
    EXPECT_EQ(start, 8);
    EXPECT_EQ(end, 16);
    s.model.SelectAll();
    s.text->selection(0, &start, &end);
    EXPECT_EQ(s.text->text(start, end), "first line\nsecond\nthird\ntet\nfive\nsix");
    s.text->removeSelection(0);
    EXPECT_EQ(s.text->selectionCount(), 0);

    // A visible character is found again at its place; one scrolled off has none.
    const int third = 18;
    const QRect cell = s.text->characterRect(third + 2);
    ASSERT_FALSE(cell.isEmpty());
    EXPECT_EQ(cell.topLeft(), s.widget->mapToGlobal(QPoint(2 * s.model.CellWidth(), 0)));
    EXPECT_EQ(s.text->offsetAtPoint(cell.center()), third + 2);
    EXPECT_TRUE(s.text->characterRect(1).isEmpty());
    // Asking for it brings it into view.
    s.text->scrollToSubstring(1, 3);
    EXPECT_EQ(s.model.Top(), 0);
    EXPECT_FALSE(s.text->characterRect(1).isEmpty());
}

// Game screens are full of blank lines, rulers and prompts: at every offset and boundary
// each query answers a piece of the text (or nothing), and pieces read on join up to it.
TEST(ScreenAccessible, EveryBoundaryAtEveryOffsetAnswersAndReadsTheWholeText) {
    const char* const kScreen = "\r\n   \r\n---\r\n> prompt\r\nlook at x.org. Go north!  \r\n";
    const std::pair<int, const char*> screens[] = {{1, ""}, {5, ""}, {8, kScreen}};
    for (const auto& [lines, bytes] : screens) {
        Screen s(lines);
        s.Feed(bytes);
        const QString all = s.All();
        const int count = s.text->characterCount();
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
                check("at", offset, s.text->textAtOffset(offset, boundary, &start, &end));
                const int clamped = std::clamp(offset, 0, count);
                EXPECT_TRUE(start <= clamped && clamped <= end) << "at " << offset;
                check("before", offset, s.text->textBeforeOffset(offset, boundary, &start, &end));
                check("after", offset, s.text->textAfterOffset(offset, boundary, &start, &end));
            }
            // Reading on from the first piece, or back from the last, joins up to the text.
            for (bool forwards : {true, false}) {
                QString read = s.text->textAtOffset(forwards ? 0 : count, boundary, &start, &end);
                for (int steps = 0; steps <= count; ++steps) {
                    int nextStart = 0;
                    int nextEnd = 0;
                    const QString next =
                        forwards ? s.text->textAfterOffset(start, boundary, &nextStart, &nextEnd)
                                 : s.text->textBeforeOffset(start, boundary, &nextStart, &nextEnd);
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
    Screen s(8);
    s.Feed(kScreen);
    const QString all = s.All();
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
        EXPECT_EQ(s.text->textAtOffset(static_cast<int>(all.indexOf(near)), kind, &start, &end),
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
    std::vector<QString> inserted;
    std::vector<int> positions;
    announcer.SetSink([&](int position, const QString& text) {
        positions.push_back(position);
        inserted.push_back(text);
    });
    s.Feed("look\r\nhere");
    // Nobody listening: nothing is sent.
    bool listening = false;
    announcer.SetListening([&] { return listening; });
    announcer.LineCompleted("unheard");
    EXPECT_TRUE(inserted.empty());

    listening = true;
    for (const char* line : {"one", "two", "three", "four"})
        announcer.LineCompleted(line);
    clock.now = 60;
    EXPECT_TRUE(QTest::qWaitFor([&] { return inserted.size() == 3; }, 2000));
    EXPECT_EQ(inserted, (std::vector<QString>{"one\n", "two\n", "2 more lines\n"}));
    // Inserted at the start of the cursor line, after "look\n".
    EXPECT_EQ(positions, (std::vector<int>{5, 5, 5}));
}

} // namespace
} // namespace tav
