// tavclient: the desktop MUD client. Runs in its data directory (--data-dir DIR, default
// $XDG_DATA_HOME/tavclient), where the profiles and downloaded files live.
#include "app/DataDirectory.h"
#include "app/TmarrowApp.h"

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

int main(int argc, char** argv) {
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
        return app.Run();
    } catch (const std::exception& e) {
        // The program's own code throws nothing; this is a library error escaping the loop.
        std::fprintf(stderr, "tavclient: %s\n", e.what());
        return 1;
    }
}
