#include "screen/qt/ScreenWidget.h"
#include "screen/CellColors.h"
#include "screen/qt/ScreenFonts.h"
#include "term/TermServices.h"
#include "tests/screen/ScreenWidgetFixture.h"
#include "tests/support/RecordingBoxes.h"

#include <QAction>
#include <QClipboard>
#include <QDesktopServices>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tav {
namespace {

using test::kCols;
using test::kRows;
using test::Q;
using Screen = test::WidgetScreen;

// Whether some pixel of `rect` (with `only`, every pixel) has `color`.
bool Has(const QImage& image, const QRect& rect, const QColor& color, bool only = false) {
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if ((image.pixelColor(x, y) == color) != only) return !only;
    return only;
}
bool Only(const QImage& image, const QRect& rect, const QColor& color) {
    return Has(image, rect, color, true);
}
// Whether a line of `color` one pixel high crosses the whole of `cell`.
bool Crossed(const QImage& image, const QRect& cell, const QColor& color) {
    for (int y = cell.top(); y <= cell.bottom(); ++y)
        if (Only(image, QRect(cell.left(), y, cell.width(), 1), color)) return true;
    return false;
}

// A custom table's entry, the URL underline, the selection, the visual bell and the frame
// of held text, each drawn in its colour (the rules are CellColorsTest's; the cursor's
// block is CursorStaysWithItsLineWhenScrolledBack's).
TEST(ScreenWidgetPaint, ColoursSelectionUrlCursorAndBell) {
    Screen s;
    s.settings.customcolors = 1;
    s.settings.urlaware = 1;
    s.Feed("\x1b[1;34mgo\x1b[0m http://x.org now\r\ncd\r\n");
    QImage image = s.Grab();
    EXPECT_TRUE(Has(image, s.Cell(0, 0), Q(s.table[9]))); // "Bold Blue"
    for (int col : {3, 14})
        EXPECT_TRUE(Crossed(image, s.Cell(0, col), Q(kUrlColor))) << col;
    EXPECT_FALSE(Has(image, s.Cell(0, 16), Q(kUrlColor)));

    s.model.SelectAll(); // black on light gray; empty cells are never drawn
    image = s.Grab();
    EXPECT_TRUE(Has(image, s.Cell(1, 0), Qt::black));
    EXPECT_TRUE(Has(image, s.Cell(1, 0), Q(kSelectedBackground)));
    EXPECT_FALSE(Has(image, s.Cell(1, 0), Q(s.widget->TextColor())));
    EXPECT_TRUE(Only(image, s.Cell(1, 2), Qt::black));
    s.widget->ClearSelection();

    s.widget->VisualBell();
    EXPECT_TRUE(Only(s.Grab(), s.Cell(2, 0), Q(kAlertColor)));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return !Has(s.Grab(), s.Cell(2, 0), Q(kAlertColor)); }, 5000));
    s.model.ToggleHold(); // held text: a red frame
    s.Feed("x");
    EXPECT_EQ(s.Grab().pixelColor(0, 3 * s.ch), Q(kAlertColor));
}

// In full colour the painter draws 256-colour and true-colour text, backgrounds behind
// text and behind erased cells, and a strike-through line.
TEST(ScreenWidgetPaint, FullColourTextBackgroundsAndStrikeThrough) {
    Screen s;
    s.model.SetColourMode(ColourMode::Full);
    s.Feed("\x1b[38;5;196mM\x1b[38;2;1;2;250mM\x1b[48;5;21m \x1b[0;9m \x1b[0m\r\n"
           "\x1b[42m\x1b[K\x1b[0m");
    const QImage image = s.Grab();
    EXPECT_TRUE(Has(image, s.Cell(0, 0), Q(MakeColor(255, 0, 0))));
    EXPECT_TRUE(Has(image, s.Cell(0, 1), Q(MakeColor(1, 2, 250))));
    EXPECT_TRUE(Only(image, s.Cell(0, 2), Q(MakeColor(0, 0, 255))));
    EXPECT_TRUE(Crossed(image, s.Cell(0, 3), Q(s.widget->TextColor())));
    EXPECT_TRUE(Only(image, s.Cell(1, 5), Q(MakeColor(0, 210, 0)))) << "erased in green";
    EXPECT_TRUE(Only(image, s.Cell(2, 5), Qt::black));
}

// The cells the block cursor covers, whichever phase of its blink it is in.
std::vector<QPoint> CursorCells(Screen& s) {
    std::vector<QPoint> cells;
    for (int blink = 0; blink < 2; ++blink) {
        s.widget->ToggleCursor(CursorStyle::Block);
        const QImage image = s.Grab();
        for (int row = 0; row < kRows; ++row)
            for (int col = 0; col < kCols; ++col)
                if (Only(image, s.Cell(row, col), Q(s.widget->TextColor())))
                    cells.emplace_back(col, row);
    }
    return cells;
}

// Scrolled back, the cursor is drawn on the row that shows its line or not at all, and
// text arriving then is repainted where its line is shown.
TEST(ScreenWidgetPaint, CursorStaysWithItsLineWhenScrolledBack) {
    Screen s;
    for (int n = 0; n < 20; ++n)
        s.Feed("line\r\n");
    QScrollBar* bar = s.widget->findChild<QScrollBar*>();
    const int live = s.model.Top();
    const std::tuple<const char*, std::function<void()>, std::vector<QPoint>> steps[] = {
        {"placed", [&] { s.Feed("\x1b[2;5H"); }, {{5, 2}}},
        {"page up", [&] { QTest::keyClick(s.widget.get(), Qt::Key_PageUp); }, {}},
        {"one line back", [&] { bar->setSliderPosition(live - 1); }, {{5, 3}}},
        {"text while back",
         [&] {
             s.widget->invalidRows.clear();
             s.Feed("x"); // repainted where its line is shown, not on the live row
             const auto& rows = s.widget->invalidRows;
             EXPECT_TRUE(std::find(rows.begin(), rows.end(), -1) != rows.end() ||
                         std::find(rows.begin(), rows.end(), 3) != rows.end());
         },
         {{6, 3}}},
        {"a line end returns", [&] { s.Feed("\r\n"); }, {{0, 3}}},
    };
    for (const auto& [what, act, cursor] : steps) {
        act();
        QCoreApplication::processEvents();
        EXPECT_EQ(CursorCells(s), cursor) << what;
    }
}

// A screen reached with Tab shows that it has the keyboard.
TEST(ScreenWidgetPaint, KeyboardFocusIsFramed) {
    Screen s;
    s.Feed("text\r\n");
    QWidget* w = s.widget.get();
    w->show();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    const QColor frame = w->palette().color(QPalette::Highlight);
    const QPoint edges[] = {{1, 3 * s.ch}, {2 * s.cw, 2}, {2 * s.cw, kRows * s.ch - 2}};
    const auto framed = [&] {
        const QImage image = s.Grab();
        return std::all_of(std::begin(edges), std::end(edges),
                           [&](QPoint p) { return image.pixelColor(p) == frame; });
    };
    w->clearFocus(); // an active window gives its first focus stop the keyboard
    EXPECT_FALSE(framed());
    w->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->hasFocus(); }, 2000));
    EXPECT_TRUE(framed());
    w->clearFocus();
    EXPECT_FALSE(framed());
}

TEST(ScreenWidgetPaint, PartialRepaintMatchesFullRepaint) {
    for (bool explicitMode : {true, false}) {
        Screen s;
        s.model.explicitmode = explicitMode;
        s.Feed("ab\x1b[1;33mcdefg\x1b[0mhij\x1b[0;14Hxyz\r\nsecond \x1b[35mline\r\n");
        s.model.SelectAll();
        const QSize size = s.widget->size();
        QImage full(size, QImage::Format_RGB32);
        s.widget->render(&full);
        // Run mode shows only the first text of a row.
        EXPECT_EQ(Only(full, s.Cell(0, 14), Qt::black), !explicitMode);
        // Start in the middle of a cell of the first run, and inside the gap.
        for (int x : {4 * s.cw + s.cw / 2, 12 * s.cw + 3}) {
            QImage part(size, QImage::Format_RGB32);
            part.fill(Qt::magenta);
            const QRect region(x, s.ch / 3, kCols * s.cw - x, 2 * s.ch);
            s.widget->render(&part, region.topLeft(), QRegion(region)); // region stays in place
            EXPECT_EQ(part.copy(region), full.copy(region)) << explicitMode << " " << x;
        }
    }
}

// A window 250 columns wide shows a wide screen's text far past 132 columns; a classic
// screen in it stops at 132.
TEST(ScreenWidgetPaint, AWideScreenFillsAWideWindow) {
    for (bool wide : {false, true}) {
        Screen s(100, kRows, 250);
        s.settings.customcolors = 1;
        if (wide) s.model.SetBufferColumns(kWideBufferColumns);
        s.Feed(std::string(239, '.') + "\x1b[1;34mMM\x1b[0m\r\n");
        EXPECT_EQ(s.model.Columns(), wide ? 250 : kBufferColumns);
        const QImage image = s.Grab();
        EXPECT_EQ(Has(image, s.Cell(0, 240), Q(s.table[9])), wide) << wide;
    }
}

TEST(ScreenWidgetScroll, ScrollBarWheelAndPagingKeysMoveTheModel) {
    Screen s;
    for (int n = 0; n < 40; ++n)
        s.Feed("line\r\n");
    QScrollBar* bar = s.widget->findChild<QScrollBar*>();
    QCoreApplication::processEvents();
    const int live = s.model.Top();
    EXPECT_EQ(bar->maximum(), live - 1); // the range ends one line short of the live position

    const std::tuple<const char*, std::function<void()>, int> steps[] = {
        {"line up", [&] { bar->triggerAction(QAbstractSlider::SliderSingleStepSub); }, live - 1},
        {"page up key", [&] { QTest::keyClick(s.widget.get(), Qt::Key_PageUp); }, live - 1 - kRows},
        {"thumb", [&] { bar->setSliderPosition(3); }, 3},
        {"page down key", [&] { QTest::keyClick(s.widget.get(), Qt::Key_PageDown); }, 3 + kRows},
        {"thumb to the end", [&] { bar->setSliderPosition(live); }, live - 1},
        {"line down to live", [&] { bar->triggerAction(QAbstractSlider::SliderSingleStepAdd); },
         live},
    };
    for (const auto& [what, act, top] : steps) {
        act();
        QCoreApplication::processEvents();
        EXPECT_EQ(s.model.Top(), top) << what;
        EXPECT_EQ(s.model.ScrolledBack(), top != live) << what;
        EXPECT_EQ(bar->value(), std::min(top, bar->maximum())) << what;
    }
    QWheelEvent wheel(QPointF(s.Cell(1, 1).center()), QPointF(), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(s.widget.get(), &wheel);
    EXPECT_LT(s.model.Top(), live);
}

// A flood written on another thread reaches the view through queued repaints, one per
// frame at most, never a paint per line; the scroll range is ScrollBarWheelAndPagingKeys's.
TEST(ScreenWidgetRepaint, FloodFromAnotherThreadIsQueuedAndPaintedOncePerFrame) {
    Screen s;
    s.widget->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(s.widget.get()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return s.widget->paints >= 1; }, 5000));
    s.widget->paints = 0;
    std::thread writer([&] {
        for (int n = 0; n < 60; ++n) // fewer than the ring holds
            s.Feed("pane\r\n");
    });
    writer.join();
    QScrollBar* bar = s.widget->findChild<QScrollBar*>();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return s.widget->paints >= 1 && bar->value() == s.model.Top() - 1; }, 5000));
    QCoreApplication::processEvents();
    EXPECT_LE(s.widget->paints, 3);
    EXPECT_TRUE(Has(s.Grab(), s.Cell(kRows - 2, 0), Q(s.widget->TextColor())));
}

using Urls = std::vector<std::string>;

// Receives the URLs the widget opens.
class UrlSink : public QObject {
    Q_OBJECT
public:
    Urls opened;
public slots:
    void Open(const QUrl& url) { opened.push_back(url.toString().toStdString()); }
};

void SendMouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(at), w->mapToGlobal(QPointF(at)),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(w, &event);
}

TEST(ScreenWidgetMouse, UrlClickOpensOnlyWhenUrlAwareAndOnlyWholeWebAddresses) {
    UrlSink sink;
    const char* schemes[] = {"http", "https", "file", "ftp", "mailto"};
    for (const char* scheme : schemes)
        QDesktopServices::setUrlHandler(scheme, &sink, "Open");
    for (bool aware : {true, false}) {
        Screen s;
        s.settings.urlaware = 1;
        s.Feed("see http://x.org/a b\r\nnext https://y.org/\r\n");
        s.settings.urlaware = aware;
        QWidget* w = s.widget.get();
        const QPoint url = s.Cell(0, 6).center();
        SendMouse(w, QEvent::MouseMove, url, Qt::NoButton);
        EXPECT_EQ(w->cursor().shape(), Qt::PointingHandCursor);
        SendMouse(w, QEvent::MouseMove, s.Cell(1, 1).center(), Qt::NoButton);
        EXPECT_EQ(w->cursor().shape(), Qt::IBeamCursor);
        SendMouse(w, QEvent::MouseButtonPress, url, Qt::LeftButton);
        SendMouse(w, QEvent::MouseMove, s.Cell(1, 2).center(), Qt::LeftButton);
        SendMouse(w, QEvent::MouseButtonRelease, s.Cell(1, 2).center(), Qt::NoButton);
        EXPECT_EQ(s.model.HasSelection(), !aware); // otherwise the press starts a selection
        SendMouse(w, QEvent::MouseButtonPress, s.Cell(1, 8).center(), Qt::LeftButton);
        EXPECT_EQ(sink.opened, (aware ? Urls{"http://x.org/a", "https://y.org/"} : Urls{}));
        sink.opened.clear();
    }

    // A URL whose start was overwritten, or a marked run that is no web address, opens
    // nothing, and the pointer never promises otherwise.
    const char* back = "\x1b[1A\x1b[99D"; // up one row, to column 0
    const std::pair<const char*, const char*> cases[] = {
        // What is printed, then what overwrites its start before the click on column 10.
        {"http:///etc/passwd\r\n", "       "},   {"http://--help-me\r\n", "       "},
        {"http://file:///etc/x\r\n", "       "}, {"http://x.org/abcdef\r\n", "ht"},
        {"ftp://x.org/abcdef\r\n", ""},          {"mailto:me@x.org\r\n", ""},
    };
    for (const auto& [printed, after] : cases) {
        Screen s;
        test::RecordingBoxes boxes;
        s.widget->SetMessageBoxes(&boxes);
        s.settings.urlaware = 1;
        s.Feed(printed);
        if (*after) s.Feed(std::string(back) + after);
        QWidget* w = s.widget.get();
        const QPoint rest = s.Cell(0, 10).center();
        SendMouse(w, QEvent::MouseMove, rest, Qt::NoButton);
        EXPECT_EQ(w->cursor().shape(), Qt::IBeamCursor) << printed;
        SendMouse(w, QEvent::MouseButtonPress, rest, Qt::LeftButton);
        SendMouse(w, QEvent::MouseButtonRelease, rest, Qt::NoButton);
        EXPECT_EQ(sink.opened, Urls{}) << printed;
        EXPECT_TRUE(boxes.shown.empty()) << printed;
    }
    for (const char* scheme : schemes)
        QDesktopServices::unsetUrlHandler(scheme);
}

TEST(ScreenWidgetCommands, ContextMenuAndClipboard) {
    Screen s;
    s.Feed("copy me\r\n");
    QSignalSpy spy(s.widget.get(), &ScreenWidget::parentCommand);
    auto trigger = [&](const char* text) {
        for (QAction* action : s.widget->findChildren<QAction*>())
            if (action->text() == QLatin1String(text)) return action->trigger(), true;
        return false;
    };
    const std::pair<const char*, ScreenCommand> passed[] = {
        {"&Paste to Mud", ScreenCommand::PasteToMud},
        {"Paste to Mud w/&nl", ScreenCommand::PasteToMudNl},
        {"Selected to &Mud", ScreenCommand::SelectedToMud},
        {"Selected to Mud &w/nl", ScreenCommand::SelectedToMudNl},
        {"&Save selected...", ScreenCommand::SaveSelected},
        {"&Begin log...", ScreenCommand::BeginLog},
        {"End l&og", ScreenCommand::EndLog},
        {"&Edit Scroll Buffer", ScreenCommand::EditScrollBuffer},
    };
    for (const auto& [text, command] : passed) {
        ASSERT_TRUE(trigger(text)) << text;
        ASSERT_FALSE(spy.isEmpty());
        EXPECT_EQ(spy.takeLast().at(0).value<ScreenCommand>(), command) << text;
    }

    QGuiApplication::clipboard()->setText("before");
    ASSERT_TRUE(trigger("&Copy selected")); // no selection: nothing happens
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "before");
    ASSERT_TRUE(trigger("Select &all"));
    ASSERT_TRUE(trigger("&Copy selected"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "copy me\r\n");
    ASSERT_TRUE(trigger("C&lear"));
    EXPECT_EQ(s.model.Line(0).ch[0], 0);
    EXPECT_TRUE(trigger("&Refresh"));
    EXPECT_TRUE(spy.isEmpty());
}

// Whether a descriptor of this process other than `except` has the file at `path` open.
bool OpenElsewhere(const QByteArray& path, int except) {
    for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        if (fd.path().filename() != std::to_string(except) &&
            std::filesystem::read_symlink(fd.path(), error) == path.toStdString())
            return true;
    }
    return false;
}

// A bell whose sound cannot load yet (a pipe nobody writes to) never holds the screen; a
// guard frees the pipe after a bound so that a bell that waits fails instead of hanging.
TEST(ScreenWidgetSound, BellWithOrWithoutASoundDoesNotBlock) {
    const QTemporaryDir dir;
    const QByteArray pipe = dir.filePath("bell.wav").toLocal8Bit();
    ASSERT_EQ(::mkfifo(pipe.constData(), 0600), 0);
    const int writer = ::open(pipe.constData(), O_RDWR); // opens at once, never writes
    ASSERT_GE(writer, 0);
    std::atomic<bool> rung = false;
    std::atomic<bool> waited = false;
    std::thread guard([&] {
        for (int k = 0; k < 500 && !rung; ++k)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        waited = !rung;
        if (waited) ::close(writer);
    });
    Screen s;
    s.settings.visualbell = 1;
    s.model.bellPath = pipe.toStdString();
    s.Feed("\a\a");
    s.model.bellPath.clear();
    s.Feed("\a");
    rung = true;
    guard.join();
    EXPECT_FALSE(waited);
    // Qt loads the sound on a thread of its own that the process waits for as it ends: that
    // load opens the pipe and meets its end before the test ends, or the test would hang.
    EXPECT_TRUE(QTest::qWaitFor([&] { return OpenElsewhere(pipe, writer); }, 10000));
    if (!waited) ::close(writer);
}

// Windows faces map to system fonts whose average character is the cell: a monospace
// glyph fits it exactly, a proportional font gets more columns than its 'M' allows.
TEST(ScreenFonts, FacesMapToSystemFontsWhoseAverageCharacterIsTheCell) {
    const std::tuple<const char*, int, bool> fonts[] = {
        {"fixedsys", 15, true},
        {"Fixedsys", -12, true},
        {"MS Sans Serif", 15, false},
        {"MS Sans Serif", -16, false},
    };
    for (const auto& [face, height, monospace] : fonts) {
        SCOPED_TRACE(face + std::to_string(height));
        FontSpec stored{};
        CopyField(stored.face, face);
        stored.height = height;
        const QFont font = FontFromSpec(stored);
        EXPECT_EQ(QFontInfo(font).fixedPitch(), monospace);
        if (height < 0) EXPECT_EQ(font.pixelSize(), -height);
        if (height > 0) EXPECT_LE(CellSizeOf(font).height, height);
        const int width = CellSizeOf(font).width;
        const qreal m = QFontMetricsF(font).horizontalAdvance(QLatin1Char('M'));
        if (monospace)
            EXPECT_LT(width - m, 1.0);
        else
            EXPECT_LT(width, m);
    }
}

} // namespace
} // namespace tav

#include "ScreenWidgetTest.moc"
