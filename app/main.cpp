// tavclient: the desktop MUD client. Runs in its data directory (--data-dir DIR, default
// $XDG_DATA_HOME/tavclient), where the profiles and downloaded files live; tavclient --help
// lists the options.
#include "app/CommandLine.h"
#include "app/DataDirectory.h"
#include "app/MainFrame.h"
#include "app/StartProfile.h"
#include "app/TmarrowApp.h"
#include "settings/ProfileStore.h"

#include <QEvent>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

namespace {

// The exit status for a command line the program cannot follow.
constexpr int kUsageError = 2;

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
    const tav::CommandLine command = tav::CommandLine::Parse({argv, argv + argc});
    switch (command.action) {
    case tav::CommandLine::Action::Run: break;
    case tav::CommandLine::Action::Help:
        std::fputs(tav::CommandLine::HelpText().toLocal8Bit().constData(), stdout);
        return 0;
    case tav::CommandLine::Action::Version:
        std::printf("%s\n", tav::CommandLine::VersionText().toLocal8Bit().constData());
        return 0;
    case tav::CommandLine::Action::Refused:
        // The error quotes the argument's own bytes (read as Latin-1 to keep each one).
        std::fprintf(stderr, "tavclient: %s\n\n%s", command.error.toLatin1().constData(),
                     tav::CommandLine::HelpText().toLocal8Bit().constData());
        return kUsageError;
    }
    std::string dir = command.dataDir.value_or(tav::DataDirectory::Default());
    if (auto error = tav::DataDirectory::Enter(dir)) {
        std::fprintf(stderr, "tavclient: %s\n", error->c_str());
        return 1;
    }
    if (command.profile) {
        if (auto error = tav::CheckStartProfile(tav::ProfileStore("."), *command.profile)) {
            std::fprintf(stderr, "tavclient: %s (data directory %s)\n", error->c_str(),
                         dir.c_str());
            return kUsageError;
        }
    }

    try {
        tav::TmarrowApp app(argc, argv);
        if (!app.InitMainWindow(command.profile, command.game)) return 0;
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
