// Real player processes: small shell scripts standing in for player programs.
#include "sound/ProcessRunner.h"
#include "sound/SoundPlayer.h"
#include "tests/sound/SoundTestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tav::test {
namespace {

namespace fs = std::filesystem;

// A player that writes its arguments, one a line, to <script>.args and then plays for
// `seconds`.
fs::path WritePlayer(const fs::path& path, const char* seconds) {
    WriteScript(path, std::string("for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$0.args\"\n"
                                  "exec sleep ") +
                          seconds + "\n");
    return path;
}

// True when no process with this id is left, not even unreaped.
bool Gone(int pid) {
    std::error_code ignored;
    const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    if (stat.empty()) return true;
    const std::size_t close = stat.rfind(')');
    return close != std::string::npos && stat.compare(close + 2, 1, "Z") == 0;
}

bool Collected(int pid) {
    int status = 0;
    return ::waitpid(pid, &status, WNOHANG) == -1 && errno == ECHILD;
}

TEST(ProcessRunnerTest, RunsPollsAndTerminates) {
    TempDir dir;
    const fs::path longPlayer = WritePlayer(dir.Path() / "long.sh", "30");
    const fs::path shortPlayer = WritePlayer(dir.Path() / "short.sh", "0.05");
    ProcessRunner runner;

    const LaunchResult running = runner.Start({{longPlayer.string(), "a.mod"}, false, true});
    ASSERT_TRUE(running.Started()) << running.error;
    EXPECT_TRUE(runner.IsRunning(running.pid));
    runner.Terminate(running.pid);
    EXPECT_FALSE(runner.IsRunning(running.pid));
    EXPECT_TRUE(Collected(running.pid));

    const LaunchResult ending = runner.Start({{shortPlayer.string(), "b.mod"}, true, false});
    ASSERT_TRUE(ending.Started()) << ending.error;
    EXPECT_TRUE(WaitFor([&] { return !runner.IsRunning(ending.pid); }, 5000));
    EXPECT_TRUE(Collected(ending.pid));
    runner.Terminate(ending.pid); // already collected: nothing to do

    const LaunchResult missing = runner.Start({{(dir.Path() / "nope").string(), "c.mod"}});
    EXPECT_FALSE(missing.Started());
    EXPECT_NE(missing.error.find("No such file or directory"), std::string::npos);
    EXPECT_FALSE(runner.Start({}).Started());
}

TEST(ProcessRunnerTest, TerminateEndsWhatThePlayerStarted) {
    TempDir dir;
    const fs::path wrapper = dir.Path() / "wrapper.sh";
    WriteScript(wrapper, "sleep 30 &\necho $! > \"$0.child\"\nwait\n");
    for (const bool newConsole : {false, true}) {
        SCOPED_TRACE(newConsole ? "new session" : "own group");
        ProcessRunner runner;
        const LaunchResult started = runner.Start({{wrapper.string()}, true, newConsole});
        ASSERT_TRUE(started.Started());
        const fs::path childFile = dir.Path() / "wrapper.sh.child";
        ASSERT_TRUE(
            WaitFor([&] { return ReadFile(childFile).find('\n') != std::string::npos; }, 5000));
        const int child = std::stoi(ReadFile(childFile));
        runner.Terminate(started.pid);
        EXPECT_TRUE(Collected(started.pid));
        EXPECT_TRUE(WaitFor([&] { return Gone(child); }, 5000));
        fs::remove(childFile);
    }
}

TEST(ProcessRunnerTest, PlayerSeesOnlyStandardStreams) {
    TempDir dir;
    // Reports which of the descriptors named as arguments it has, and where its output goes.
    const fs::path checker = dir.Path() / "fds.sh";
    WriteScript(checker,
                "for fd in \"$@\"; do [ -e /proc/$$/fd/$fd ] && echo $fd; done > \"$0.fds\"\n"
                "out=$(readlink /proc/$$/fd/1); echo \"$out\" > \"$0.out\"\n");
    int leak[2];
    ASSERT_EQ(::pipe(leak), 0);
    // Inheritable, as sockets and files opened elsewhere in the program may be.
    constexpr int kLeakA = 40, kLeakB = 41;
    ASSERT_EQ(::dup2(leak[0], kLeakA), kLeakA);
    ASSERT_EQ(::dup2(leak[1], kLeakB), kLeakB);
    for (const bool hidden : {true, false}) {
        SCOPED_TRACE(hidden ? "hidden" : "shown");
        ProcessRunner runner;
        const LaunchResult started = runner.Start(
            {{checker.string(), std::to_string(kLeakA), std::to_string(kLeakB)}, hidden, false});
        ASSERT_TRUE(started.Started());
        EXPECT_TRUE(WaitFor([&] { return !runner.IsRunning(started.pid); }, 5000));
        const std::string out = ReadFile(dir.Path() / "fds.sh.out");
        const std::string ours = fs::read_symlink("/proc/self/fd/1").string();
        EXPECT_EQ(out, (hidden ? "/dev/null" : ours) + "\n");
        EXPECT_EQ(ReadFile(dir.Path() / "fds.sh.fds"), "");
    }
    for (const int fd : {leak[0], leak[1], kLeakA, kLeakB})
        ::close(fd);
}

TEST(ProcessRunnerTest, DestructorCollectsRunningPlayers) {
    TempDir dir;
    const fs::path player = WritePlayer(dir.Path() / "long.sh", "30");
    int pid = -1;
    {
        ProcessRunner runner;
        pid = runner.Start({{player.string()}}).pid;
        ASSERT_GT(pid, 0);
    }
    EXPECT_TRUE(Collected(pid));
}

// The sound rules with real players.
struct LiveRig {
    TempDir dir;
    Settings settings = PlayerSettings();
    RecordingLog log;
    ProcessRunner processes;
    RecordingWav wav;
    RecordingMidi midi;
    RecordingFocus focus;
    SoundPlayer player{settings, log, {processes, wav, midi, focus}};
};

TEST(ProcessRunnerTest, SoundNameIsOneArgumentNeverAShellCommand) {
    LiveRig rig;
    const fs::path playerDir = rig.dir.Path() / "my player";
    fs::create_directory(playerDir);
    const fs::path script = WritePlayer(playerDir / "play.sh", "30");
    CopyField(rig.settings.midiplayer, ("\"" + script.string() + "\" --quiet").c_str());
    ScopedCwd cwd(rig.dir.Path());

    const std::string hostile = "binary/x; touch pwned; $(touch pwned2) `touch pwned3` ~.mid";
    EXPECT_EQ(rig.player.Play(hostile), 1);
    ASSERT_TRUE(rig.player.PlayerRunning());
    const fs::path args = playerDir / "play.sh.args";
    ASSERT_TRUE(WaitFor([&] { return !ReadFile(args).empty(); }, 5000));
    EXPECT_EQ(ReadFile(args), "--quiet\n" + hostile + "\n");
    for (const char* canary : {"pwned", "pwned2", "pwned3"})
        EXPECT_FALSE(fs::exists(rig.dir.Path() / canary)) << canary;
    rig.player.Stop();
}

TEST(ProcessRunnerTest, RedundancyPollAndStopWithRealPlayers) {
    LiveRig rig;
    rig.settings.ignoreredundant = 1;
    rig.settings.cdmdebug = 1;
    CopyField(rig.settings.modplayer, WritePlayer(rig.dir.Path() / "long.sh", "30").c_str());
    CopyField(rig.settings.mp3player, WritePlayer(rig.dir.Path() / "short.sh", "0.05").c_str());

    ASSERT_EQ(rig.player.Play("binary/a.mod"), 1);
    rig.player.PollPlayer();
    EXPECT_TRUE(rig.player.PlayerRunning());
    EXPECT_EQ(rig.player.Play("binary/a.mod"), 1);
    rig.log.Take();

    // The still-running MOD player is ended by the next cue, whose player ends by itself.
    ASSERT_EQ(rig.player.Play("binary/b.mp3"), 1);
    const std::vector<std::string> lines = rig.log.Take();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "Stopping sound...");
    const int modPid = std::stoi(lines[1].substr(lines[1].rfind(' ') + 1));
    EXPECT_TRUE(Collected(modPid));
    EXPECT_TRUE(WaitFor(
        [&] {
            rig.player.PollPlayer();
            return !rig.player.PlayerRunning();
        },
        5000));
    EXPECT_EQ(rig.log.Take(), std::vector<std::string>{"Sound finished..."});
    rig.player.Stop();
    EXPECT_TRUE(rig.log.Take().empty());

    // A player that cannot start.
    CopyField(rig.settings.modplayer, (rig.dir.Path() / "missing").c_str());
    EXPECT_EQ(rig.player.Play("binary/a.mod"), -1);
    const std::vector<std::string> failed = rig.log.Take();
    ASSERT_EQ(failed.size(), 4u);
    EXPECT_EQ(failed[2], "CreateProcess() failed:");
}

} // namespace
} // namespace tav::test
