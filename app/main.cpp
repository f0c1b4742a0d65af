// tavclient: the desktop MUD client. Runs in its data directory (--data-dir DIR, default
// $XDG_DATA_HOME/tavclient), where the profiles and downloaded files live.
#include "app/DataDirectory.h"
#include "app/MainFrame.h"
#include "app/TmarrowApp.h"

#include <QEvent>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

namespace {

// With TAV_REPORT_SHOWN set, the main frame's first paint once a profile is applied prints
// "shown <ms>" (milliseconds since main began) to stderr, for the start-up benchmark.
class ShownReport : public QObject {
public:
    explicit ShownReport(std::chrono::steady_clock::time_point start) : start_(start) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            const std::chrono::duration<double, std::milli> took =
                std::chrono::steady_clock::now() - start_;
            std::fprintf(stderr, "shown %.1f\n", took.count());
            std::fflush(stderr);
            watched->removeEventFilter(this);
        }
        return false;
    }

private:
    std::chrono::steady_clock::time_point start_;
};

} // namespace

int main(int argc, char** argv) {
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::string> args(argv, argv + argc);
    tav::DataDirectory::Options options = tav::DataDirectory::Parse(args);
    if (options.help) {
        std::printf("Usage: %s [--data-dir DIR] [Qt options]\n"
                    "Runs TavClient with its profiles and files in DIR\n"
                    "(default: $XDG_DATA_HOME/tavclient or ~/.local/share/tavclient).\n",
                    argv[0]);
        return 0;
    }
    if (!options.error.empty()) {
        std::fprintf(stderr, "tavclient: %s\n", options.error.c_str());
        return 2;
    }
    std::string dir = options.dataDir.value_or(tav::DataDirectory::Default());
    if (auto error = tav::DataDirectory::Enter(dir)) {
        std::fprintf(stderr, "tavclient: %s\n", error->c_str());
        return 1;
    }

    try {
        tav::TmarrowApp app(argc, argv);
        if (!app.InitMainWindow()) return 0;
        ShownReport shown(start);
        if (std::getenv("TAV_REPORT_SHOWN") != nullptr) {
            app.Frame()->installEventFilter(&shown);
            app.Frame()->update(); // in case it was painted before the filter was in place
        }
        return app.Run();
    } catch (const std::exception& e) {
        // The program's own code throws nothing; this is a library error escaping the loop.
        std::fprintf(stderr, "tavclient: %s\n", e.what());
        return 1;
    }
}
