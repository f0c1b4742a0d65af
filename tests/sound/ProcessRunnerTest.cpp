// Real player processes: small shell scripts stand in for the player programs.
#include "sound/ProcessRunner.h"
#include "sound/SoundPlayer.h"
#include "tests/sound/SoundTestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/wait.h>
#include <unistd.h>

namespace tav::test {
namespace {

namespace fs = std::filesystem;

// A player that writes its arguments, one a line, to <script>.args, then plays for a while.
std::string WritePlayer(const fs::path& path, const char* seconds) {
    WriteScript(path, "for a in \"$@\"; do echo \"$a\"; done > \"$0.args\"\nexec sleep " +
                          std::string(seconds) + "\n");
    return path.string();
}

bool Collected(int pid) {
    int status = 0;
    return ::waitpid(pid, &status, WNOHANG) == -1 && errno == ECHILD;
}

// No such process, or only an unreaped one.
bool Gone(int pid) {
    const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    return stat.empty() || stat.substr(stat.rfind(')') + 2, 1) == "Z";
}

// A player runs until it ends or is ended, together with what it started, and is always
// collected: also when the runner goes first.
TEST(ProcessRunnerTest, RunsEndsWithWhatItStartedAndIsAlwaysCollected) {
    TempDir dir;
    ProcessRunner runner;
    const LaunchResult running = runner.Start({{WritePlayer(dir.path / "long", "30")}});
    ASSERT_TRUE(running.Started()) << running.error;
    EXPECT_TRUE(runner.IsRunning(running.pid));
    runner.Terminate(running.pid);
    EXPECT_FALSE(runner.IsRunning(running.pid));
    EXPECT_TRUE(Collected(running.pid));

    const LaunchResult ending = runner.Start({{WritePlayer(dir.path / "short", "0.05")}});
    EXPECT_TRUE(WaitFor([&] { return !runner.IsRunning(ending.pid); }, 5000));
    EXPECT_TRUE(Collected(ending.pid));
    const LaunchResult missing = runner.Start({{(dir.path / "none").string()}});
    EXPECT_FALSE(missing.Started());
    EXPECT_NE(missing.error.find("No such file or directory"), std::string::npos);

    const fs::path wrapper = dir.path / "wrapper";
    WriteScript(wrapper, "sleep 30 &\necho $! > \"$0.child\"\nwait\n");
    for (const bool newConsole : {false, true}) {
        const LaunchResult started = runner.Start({{wrapper.string()}, true, newConsole});
        const fs::path childFile = dir.path / "wrapper.child";
        ASSERT_TRUE(WaitFor([&] { return ReadFile(childFile).ends_with('\n'); }, 5000));
        const int child = std::stoi(ReadFile(childFile));
        fs::remove(childFile);
        runner.Terminate(started.pid);
        EXPECT_TRUE(Collected(started.pid));
        EXPECT_TRUE(WaitFor([&] { return Gone(child); }, 5000)) << newConsole;
    }

    const int left = [&] {
        ProcessRunner scoped;
        return scoped.Start({{(dir.path / "long").string()}}).pid;
    }();
    EXPECT_TRUE(Collected(left));
}

TEST(ProcessRunnerTest, PlayerGetsOnlyTheStandardStreams) {
    TempDir dir;
    // Lists which of the descriptors named as arguments it holds, and where its output goes.
    const fs::path checker = dir.path / "fds";
    WriteScript(checker,
                "for fd in \"$@\"; do [ -e /proc/$$/fd/$fd ] && echo $fd; done > "
                "\"$0.held\"\nout=$(readlink /proc/$$/fd/1); echo \"$out\" > \"$0.out\"\n");
    int leak[2];
    ASSERT_EQ(::pipe(leak), 0); // inheritable, as sockets opened elsewhere may be
    for (const bool hidden : {true, false}) {
        ProcessRunner runner;
        const LaunchResult started = runner.Start(
            {{checker.string(), std::to_string(leak[0]), std::to_string(leak[1])}, hidden});
        EXPECT_TRUE(WaitFor([&] { return !runner.IsRunning(started.pid); }, 5000));
        EXPECT_EQ(ReadFile(dir.path / "fds.held"), "");
        const std::string ours = fs::read_symlink("/proc/self/fd/1").string();
        EXPECT_EQ(ReadFile(dir.path / "fds.out"), (hidden ? "/dev/null" : ours) + "\n");
    }
    ::close(leak[0]);
    ::close(leak[1]);
}

TEST(ProcessRunnerTest, SoundNameIsOneArgumentNeverAShellCommand) {
    TempDir dir;
    Recorder rec;
    Settings settings = PlayerSettings();
    ProcessRunner runner;
    SoundPlayer player(settings, rec, {runner, rec, rec, rec, rec});
    fs::create_directory(dir.path / "my player");
    const std::string script = WritePlayer(dir.path / "my player" / "play", "30");
    CopyField(settings.midiplayer, ("\"" + script + "\" --quiet").c_str());
    ScopedCwd cwd(dir.path);

    const std::string hostile = "binary/x; touch pwned; $(touch pwned2) `touch pwned3` ~.mid";
    EXPECT_EQ(player.Play(hostile), 1);
    ASSERT_TRUE(player.PlayerRunning());
    ASSERT_TRUE(WaitFor([&] { return ReadFile(script + ".args").ends_with(".mid\n"); }, 5000));
    EXPECT_EQ(ReadFile(script + ".args"), "--quiet\n" + hostile + "\n");
    for (const char* canary : {"pwned", "pwned2", "pwned3"})
        EXPECT_FALSE(fs::exists(dir.path / canary)) << canary;
}

} // namespace
} // namespace tav::test
