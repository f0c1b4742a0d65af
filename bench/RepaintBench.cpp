// Repaint cost of the screen view: a full repaint of a 132 x 50 screen of coloured text,
// painted cell by cell (explicit mode) and run by run, rendered offscreen into an image;
// then a flood of game text through a visible screen, to show what the coalescing of
// invalidations leaves to paint.
#include "bench/Corpus.h"
#include "screen/qt/ScreenWidget.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QImage>
#include <QScrollBar>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

namespace {

constexpr int kColumns = 132;
constexpr int kRows = 50;
constexpr int kRepaints = 20;
constexpr int kRounds = 10;
constexpr std::size_t kFloodBytes = 4u << 20;
constexpr std::size_t kBlock = 1024;

// Rows of 131 characters (the autowrap limit) in changing colours, bold and plain.
std::string ColouredScreen() {
    std::string text;
    unsigned seed = 12345;
    auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
    for (int row = 0; row < kRows - 1; ++row) {
        int col = 0;
        while (col < kColumns - 1) {
            const unsigned pick = next();
            text +=
                "\x1b[" + std::string(pick & 1 ? "1;" : "0;") + std::to_string(31 + pick % 7) + "m";
            const int word = std::min<int>(3 + static_cast<int>(next() % 9), kColumns - 1 - col);
            for (int k = 0; k < word; ++k)
                text += static_cast<char>('a' + (next() % 26));
            col += word;
        }
    }
    return text;
}

struct Bench {
    tav::Settings settings{};
    tav::StoredValues stored = tav::StoredValues::Defaults();
    tav::TMudScreen screen{settings};
    tav::ScreenWidget widget{screen, settings, stored.mudcolors};

    Bench() {
        tav::ScreenWidget::SetLogoPending(false);
        widget.SetScreenFont(stored.termfont);
        const int bar = widget.findChild<QScrollBar*>()->sizeHint().width();
        widget.SetScreenRect(
            QRect(0, 0, kColumns * widget.CellWidth() + 4 + bar, kRows * widget.CellHeight()),
            true);
    }
};

// Counts the paint events a widget receives.
struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

double CpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Milliseconds per full repaint, wall clock and CPU time, each the best of several rounds
// so that other work on the machine disturbs the figures less.
struct Cost {
    double wall;
    double cpu;
};
Cost MsPerRepaint(Bench& b) {
    QImage image(b.widget.size(), QImage::Format_ARGB32_Premultiplied);
    b.widget.render(&image); // warm the glyph cache
    Cost best{1e30, 1e30};
    for (int round = 0; round < kRounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        const double cpu = CpuMs();
        for (int n = 0; n < kRepaints; ++n)
            b.widget.render(&image);
        best.cpu = std::min(best.cpu, (CpuMs() - cpu) / kRepaints);
        best.wall =
            std::min(best.wall, static_cast<double>(timer.nsecsElapsed()) / 1e6 / kRepaints);
    }
    return best;
}

} // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);

    Bench b;
    b.screen.AddText(ColouredScreen());
    std::printf("screen %d x %d cells of %d x %d pixels (%s)\n", b.screen.Columns(),
                b.screen.Rows(), b.widget.CellWidth(), b.widget.CellHeight(),
                qPrintable(b.widget.CellFont().family()));
    for (bool explicitMode : {true, false}) {
        b.screen.explicitmode = explicitMode;
        const Cost cost = MsPerRepaint(b);
        std::printf("full repaint, explicit mode %-3s: %6.2f ms (cpu %.2f ms)\n",
                    explicitMode ? "on" : "off", cost.wall, cost.cpu);
    }
    b.screen.explicitmode = true;
    b.screen.SelectAll();
    const Cost selected = MsPerRepaint(b);
    std::printf("full repaint, all selected:      %6.2f ms (cpu %.2f ms)\n", selected.wall,
                selected.cpu);

    // A flood through a visible screen: AddText in 1024-byte blocks, the event loop run
    // after each block as the socket notifications would.
    Bench flood;
    flood.widget.show();
    PaintCounter counter;
    flood.widget.installEventFilter(&counter);
    const std::string corpus = tav::bench::GameCorpus(kFloodBytes);
    QElapsedTimer timer;
    timer.start();
    for (std::size_t at = 0; at < corpus.size(); at += kBlock) {
        flood.screen.AddText(corpus.data() + at, std::min(kBlock, corpus.size() - at));
        while (flood.screen.TakeLine()) {
        }
        QCoreApplication::processEvents();
    }
    const double secs = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    std::printf("flood of %.1f MB through a visible screen: %.2f s (%.1f MB/s), %d paints\n",
                static_cast<double>(corpus.size()) / 1e6, secs,
                static_cast<double>(corpus.size()) / 1e6 / secs, counter.paints);
    return 0;
}
