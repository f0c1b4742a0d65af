// The desktop client as a whole: a flood of game text over a real loopback socket into a
// shown terminal window (time against the screen alone, and the longest event-loop stall),
// the same with 1,000 highlight triggers and with 100 script triggers, the resident memory
// of that window with its 10,000-line scrollback, and the time the
// real program takes from start to its shown main window with an existing profile.
//
// Usage: desktop_bench [path/to/tavclient]   (default: ../app/tavclient beside the bench)
#include "bench/Corpus.h"
#include "bench/ResidentMemory.h"
#include "screen/MudScreen.h"
#include "script/ScriptEngine.h"
#include "term/TermSession.h"
#include "triggers/TriggerList.h"
#include "windows/TermWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kCorpusBytes = 32u << 20;
constexpr std::size_t kBlock = 1024;
constexpr int kScrollLines = 10000;
constexpr int kStallTickMs = 1;
constexpr int kFloodTimeoutMs = 600000;
constexpr int kStartRuns = 5;
constexpr int kHighlightRounds = 3;
constexpr int kStartTimeoutMs = 20000;
// The client only accepts ports below this.
constexpr int kPortLimit = 32000;
constexpr int kFirstPort = 21000;

double Ms(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The same bytes through the screen alone: AddText in 1024-byte blocks, lines drained.
double CoreOnlySeconds(const std::string& corpus, const tav::Settings& settings) {
    tav::TMudScreen screen(settings);
    screen.ResetScreen(kScrollLines);
    const auto start = std::chrono::steady_clock::now();
    std::size_t queued = 0;
    for (std::size_t at = 0; at < corpus.size(); at += kBlock) {
        screen.AddText(corpus.data() + at, std::min(kBlock, corpus.size() - at));
        while (auto line = screen.TakeLine())
            queued += line->size();
    }
    const double secs = Ms(std::chrono::steady_clock::now() - start) / 1e3;
    asm volatile("" : : "r"(queued) : "memory");
    return secs;
}

// A listening socket on 127.0.0.1 at a port the client accepts; -1 when none is free.
int Listen(int& port) {
    for (port = kFirstPort + static_cast<int>(getpid() % 1000); port < kPortLimit; ++port) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int on = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(static_cast<std::uint16_t>(port));
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
            ::listen(fd, 1) == 0)
            return fd;
        ::close(fd);
    }
    return -1;
}

// Accepts one client, writes all of `bytes` and closes.
void Serve(int listenFd, const std::string& bytes) {
    pollfd p{listenFd, POLLIN, 0};
    if (::poll(&p, 1, kFloodTimeoutMs) <= 0) return;
    const int fd = ::accept(listenFd, nullptr, nullptr);
    if (fd < 0) return;
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) break;
        sent += static_cast<std::size_t>(n);
    }
    ::close(fd);
}

struct Quiet : tav::StatusBarSink, tav::MessageBoxes {
    void SetSizeText(std::string_view) override {}
    void SetCursorText(std::string_view) override {}
    void SetMessageText(std::string_view) override {}
    void ShowMessage(std::string_view text, std::string_view) override {
        std::fprintf(stderr, "message box: %.*s\n", static_cast<int>(text.size()), text.data());
    }
};

struct FloodResult {
    double totalMs = 0;
    double maxStallMs = 0;
    bool complete = false;
};

// The corpus over a loopback socket into a shown terminal window, until the session has
// seen the server close (every byte before that was processed).
// Lays the window out at a fixed size and shows it, as the floods below need it.
void ShowForFlood(tav::tmudterm& term, Quiet& quiet) {
    term.SetMessageBoxOverride(&quiet);
    term.resize(1024, 768);
    term.ApplyScreenSettings(true);
    term.ApplySizes();
    term.SetLayoutLock(false);
    term.show();
    QCoreApplication::processEvents();
}

FloodResult Flood(tav::tmudterm& term, tav::Settings& settings, const std::string& corpus) {
    FloodResult result;
    int port = 0;
    const int listenFd = Listen(port);
    if (listenFd < 0) {
        std::fprintf(stderr, "no free port below %d\n", kPortLimit);
        return result;
    }
    tav::CopyField(settings.addy, "127.0.0.1");
    tav::CopyField(settings.port, std::to_string(port).c_str());
    std::thread server(Serve, listenFd, std::cref(corpus));

    tav::TermSession& session = term.Session();
    QEventLoop loop;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(kStallTickMs);
    bool wasConnected = false;
    auto last = std::chrono::steady_clock::now();
    const auto start = last;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const auto now = std::chrono::steady_clock::now();
        result.maxStallMs = std::max(result.maxStallMs, Ms(now - last));
        last = now;
        if (session.Connected()) wasConnected = true;
        if (wasConnected && !session.Connected()) {
            result.complete = true;
            loop.quit();
        } else if (Ms(now - start) > kFloodTimeoutMs) {
            loop.quit();
        }
    });
    tick.start();
    if (session.TermConnect([&](int ok) {
            if (ok < 0) loop.quit();
        }) < 0)
        loop.quit();
    else
        loop.exec();
    result.totalMs = Ms(std::chrono::steady_clock::now() - start);
    tick.stop();
    server.join();
    ::close(listenFd);
    return result;
}

// --- start-up of the real program ---------------------------------------------------

fs::path FindClient(int argc, char** argv) {
    if (argc > 1) return argv[1];
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return self.parent_path().parent_path() / "app" / "tavclient";
}

// A data directory with one profile "bench" whose settings connect nowhere at start.
bool MakeProfile(const fs::path& dir) {
    const fs::path golden = fs::path(TAV_SOURCE_DIR) / "tests/settings/data/golden_tav.cfg";
    std::ifstream in(golden, std::ios::binary);
    if (!in) return false;
    std::string cfg((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // The autoterm, autoclient, waitclient flags line follows the text colour.
    const std::size_t at = cfg.find("tcolor:");
    const std::size_t flags = at == std::string::npos ? at : cfg.find('\n', at);
    if (flags == std::string::npos || cfg.compare(flags + 1, 5, "1 1 0") != 0) return false;
    cfg.replace(flags + 1, 5, "0 0 0");
    fs::create_directories(dir / "profiles" / "bench");
    std::ofstream(dir / "profiles.cfg", std::ios::binary) << "bench\r\n";
    std::ofstream(dir / "profiles" / "bench" / "tav.cfg", std::ios::binary) << cfg;
    return true;
}

struct StartResult {
    double wallMs = -1; // from spawning to the report
    double mainMs = -1; // as the program reports it, from its main
};

StartResult StartOnce(const fs::path& client, const fs::path& dataDir) {
    StartResult result;
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return result;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    std::string path = client.string();
    std::string dir = dataDir.string();
    std::vector<char*> args{path.data(), const_cast<char*>("--data-dir"), dir.data(), nullptr};
    setenv("TAV_REPORT_SHOWN", "1", 1);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, path.c_str(), &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (rc != 0) {
        ::close(pipeFds[0]);
        std::fprintf(stderr, "cannot run %s: %s\n", path.c_str(), std::strerror(rc));
        return result;
    }
    std::string text;
    while (text.find("shown ") == std::string::npos ||
           text.find('\n', text.find("shown ")) == std::string::npos) {
        pollfd p{pipeFds[0], POLLIN, 0};
        const int left =
            kStartTimeoutMs - static_cast<int>(Ms(std::chrono::steady_clock::now() - start));
        if (left <= 0 || ::poll(&p, 1, left) <= 0) break;
        char buffer[512];
        const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
        if (n <= 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    const auto shown = std::chrono::steady_clock::now();
    const std::size_t at = text.find("shown ");
    if (at != std::string::npos) {
        result.wallMs = Ms(shown - start);
        result.mainMs = std::strtod(text.c_str() + at + 6, nullptr);
    } else {
        std::fprintf(stderr, "no start report from %s:\n%s\n", path.c_str(), text.c_str());
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    ::close(pipeFds[0]);
    return result;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);

    int failures = 0;
    auto report = [&](const char* what, double value, double goal, const char* unit) {
        const bool met = value >= 0 && value <= goal;
        if (!met) ++failures;
        std::printf("%-44s %9.2f %-4s (goal <= %g %s) %s\n", what, value, unit, goal, unit,
                    met ? "ok" : "MISSED");
    };

    tav::Settings settings{};
    settings.multiscreen = 1;
    settings.enhancedterm = 1;
    settings.urlaware = 1;
    tav::CopyField(settings.scrolllines, std::to_string(kScrollLines).c_str());
    tav::CopyField(settings.inputlines, "100");
    tav::StoredValues stored = tav::StoredValues::Defaults();
    tav::TriggerList triggers{"/nonexistent"};
    Quiet quiet;

    std::printf("rss at start: %.1f MiB\n", tav::bench::ResidentMiB());
    // The floods without triggers after the first, each in a fresh window: the first also
    // pays for the first touch of the scrollback's memory, so the others compare with these.
    std::vector<double> plain;
    {
        std::string corpus = tav::bench::GameCorpus(kCorpusBytes);
        const double mb = static_cast<double>(corpus.size()) / 1e6;
        std::printf("corpus: %.1f MB, scrollback %d lines\n", mb, kScrollLines);

        tav::tmudterm term(settings, stored, triggers, quiet);
        ShowForFlood(term, quiet);

        const FloodResult flood = Flood(term, settings, corpus);
        if (!flood.complete) {
            std::printf("flood did not complete\n");
            return 1;
        }
        std::printf("main screen: %d lines of scrollback, %d x %d cells\n",
                    term.MainScreen().Lines(), term.MainScreen().Columns(),
                    term.MainScreen().Rows());
        // The corpus is the bench's, not the window's: drop it before measuring.
        std::string().swap(corpus);
        QCoreApplication::processEvents();
        const double rss = tav::bench::ResidentMiB();

        corpus = tav::bench::GameCorpus(kCorpusBytes);
        const double core =
            std::min(CoreOnlySeconds(corpus, settings), CoreOnlySeconds(corpus, settings));
        std::printf("core only (AddText, 1024-byte blocks):       %9.2f s    (%.1f MB/s)\n", core,
                    mb / core);
        std::printf("flood through the window:                    %9.2f s    (%.1f MB/s)\n",
                    flood.totalMs / 1e3, mb / (flood.totalMs / 1e3));
        report("flood time / core-only time", flood.totalMs / 1e3 / core, 3, "x");
        report("longest event-loop stall during the flood", flood.maxStallMs, 100, "ms");
        report("resident memory after the flood", rss, 80, "MiB");
    }
    // TAV_BENCH_ONLY=highlight or =scripts runs the first flood and that one's floods alone,
    // so that a profiler sees little else.
    const char* onlyEnv = std::getenv("TAV_BENCH_ONLY");
    const std::string only = onlyEnv != nullptr ? onlyEnv : "";
    if (only.empty() || only == "highlight") {
        // The same flood with 1,000 highlight triggers, each on a stretch of the corpus's own
        // text so that they keep firing; they colour what they matched and send nothing.
        // Against the flood without, in turns, the median.
        tav::TriggerActions highlight;
        highlight.highlight = tav::HighlightScope::Match;
        highlight.textColor = 0x0000FF;
        tav::TriggerList highlighting{"/nonexistent"};
        for (const std::string& pattern : tav::bench::HighlightPatterns(1000))
            highlighting.SetActions(highlighting.AddTrigger(pattern, ""), highlight);
        const std::string corpus = tav::bench::GameCorpus(kCorpusBytes);
        const double mb = static_cast<double>(corpus.size()) / 1e6;
        std::vector<double> highlighted;
        std::vector<double> ratios;
        for (int round = 0; round < kHighlightRounds; ++round) {
            for (tav::TriggerList* list : {&triggers, &highlighting}) {
                tav::tmudterm term(settings, stored, *list, quiet);
                ShowForFlood(term, quiet);
                const FloodResult flood = Flood(term, settings, corpus);
                (list == &triggers ? plain : highlighted)
                    .push_back(flood.complete ? flood.totalMs : -1);
            }
            if (plain.back() > 0 && highlighted.back() > 0)
                ratios.push_back(highlighted.back() / plain.back());
        }
        std::printf("flood without triggers, again (median of %d): %6.2f s    (%.1f MB/s)\n",
                    kHighlightRounds, Median(plain) / 1e3, mb / (Median(plain) / 1e3));
        std::printf("flood with 1,000 highlight triggers:         %9.2f s    (%.1f MB/s)\n",
                    Median(highlighted) / 1e3, mb / (Median(highlighted) / 1e3));
        report("flood time with 1,000 highlight triggers / without",
               ratios.size() == kHighlightRounds ? Median(ratios) : -1, 2, "x");
    }
    if (only.empty() || only == "scripts") {
        // The same flood with the 100 script triggers of script_bench, each counting its
        // firings in Lua.
        const fs::path profile = fs::temp_directory_path() / "tav-desktop-bench-scripts";
        std::error_code ec;
        fs::remove_all(profile, ec);
        fs::create_directories(profile / "scripts", ec);
        {
            std::ofstream init(profile / "scripts/init.lua");
            init << "fired = 0\nlocal function count() fired = fired + 1 end\n";
            for (std::size_t i = 0; i < 100; ++i)
                init << "tav.trigger(" << tav::bench::LuaString(tav::bench::ScriptExpression(i))
                     << ", count, {regex = true})\n";
        }
        const std::string corpus = tav::bench::GameCorpus(kCorpusBytes);
        if (plain.empty()) {
            tav::tmudterm term(settings, stored, triggers, quiet);
            ShowForFlood(term, quiet);
            const FloodResult flood = Flood(term, settings, corpus);
            plain.push_back(flood.complete ? flood.totalMs : -1);
        }
        tav::tmudterm term(settings, stored, triggers, quiet);
        term.Session().OpenScripts(profile.string());
        ShowForFlood(term, quiet);
        const FloodResult flood = Flood(term, settings, corpus);
        const double mb = static_cast<double>(corpus.size()) / 1e6;
        const std::uint64_t calls = term.Session().Scripts()->LuaCalls();
        term.Session().CloseScripts();
        fs::remove_all(profile, ec);
        if (flood.complete)
            std::printf("flood with 100 script triggers:              %9.2f s    (%.1f MB/s, "
                        "%llu calls into Lua)\n",
                        flood.totalMs / 1e3, mb / (flood.totalMs / 1e3),
                        static_cast<unsigned long long>(calls));
        report("flood time with 100 script triggers / without",
               flood.complete && Median(plain) > 0 ? flood.totalMs / Median(plain) : -1, 2, "x");
    }

    if (!only.empty()) return failures == 0 ? 0 : 2;
    const fs::path client = FindClient(argc, argv);
    char pattern[] = "/tmp/desktop_bench.XXXXXX";
    if (::mkdtemp(pattern) == nullptr || !MakeProfile(pattern)) {
        std::printf("cannot prepare a profile directory\n");
        return 1;
    }
    std::vector<double> walls;
    std::vector<double> mains;
    for (int run = 0; run < kStartRuns; ++run) {
        const StartResult r = StartOnce(client, pattern);
        if (r.wallMs < 0) break;
        walls.push_back(r.wallMs);
        mains.push_back(r.mainMs);
    }
    std::error_code ec;
    fs::remove_all(pattern, ec);
    if (walls.size() == kStartRuns) {
        std::printf("start to shown window, runs:");
        for (double w : walls)
            std::printf(" %.0f", w);
        std::printf(" ms (median from main: %.0f ms)\n", Median(mains));
    }
    report("start to shown main window (median of 5)",
           walls.size() == kStartRuns ? Median(walls) : -1, 1000, "ms");
    return failures == 0 ? 0 : 2;
}
