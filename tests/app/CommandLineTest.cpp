// The command line read before the window system: which arguments start the program,
// which ask for help or the version, and which are refused; the profile named there,
// checked against a real profile list on disk.
#include "app/CommandLine.h"
#include "app/StartProfile.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace tav::test {
namespace {

using Action = CommandLine::Action;

TEST(CommandLineTest, ReadsTheArguments) {
    // The arguments after the program name; what they ask for; the data directory; the profile.
    using Opt = std::optional<std::string>;
    const std::tuple<std::vector<std::string>, Action, Opt, Opt> cases[] = {
        {{}, Action::Run, {}, {}},
        {{"--data-dir", "/tmp/a"}, Action::Run, "/tmp/a", {}},
        {{"--data-dir=/tmp/b", "--profile", "hero"}, Action::Run, "/tmp/b", "hero"},
        // The last of a repeated option counts.
        {{"--profile=a b", "--profile", "Mr..T"}, Action::Run, {}, "Mr..T"},
        // Qt's own options pass, in either form, with their values.
        {{"-platform", "offscreen", "--style=Fusion", "-reverse", "--data-dir", "d"},
         Action::Run,
         "d",
         {}},
        // Bytes that are not text in the locale arrive unchanged.
        {{"--profile", "caf\xe9", "--data-dir", "/tmp/\xff"}, Action::Run, "/tmp/\xff", "caf\xe9"},
        {{"--help"}, Action::Help, {}, {}},
        {{"-h", "--bogus"}, Action::Refused, {}, {}},
        {{"--data-dir", "x", "-v"}, Action::Version, {}, {}},
        {{"--version"}, Action::Version, {}, {}},
    };
    for (const auto& [after, action, dataDir, profile] : cases) {
        std::vector<std::string> args{"tavclient"};
        args.insert(args.end(), after.begin(), after.end());
        SCOPED_TRACE(testing::PrintToString(args));
        const CommandLine line = CommandLine::Parse(args);
        EXPECT_EQ(line.action, action) << line.error.toStdString();
        EXPECT_EQ(line.error.isEmpty(), action != Action::Refused);
        EXPECT_EQ(std::pair(line.dataDir, line.profile), std::pair(dataDir, profile));
    }
    // A game to connect to: a telnet link or host and port; not beside --profile.
    const std::pair<std::vector<std::string>, std::optional<QuickGame>> games[] = {
        {{"tavclient", "telnet://mud.example.org:4000/"},
         QuickGame{"mud.example.org", "mud.example.org", 4000}},
        {{"tavclient", "--data-dir", "d", "10.0.0.2", "2860"},
         QuickGame{"10.0.0.2", "10.0.0.2", 2860}},
        {{"tavclient", "a.b", "23", "x"}, std::nullopt},
        {{"tavclient", "telnet://a.b", "--profile", "hero"}, std::nullopt},
    };
    for (const auto& [args, game] : games) {
        const CommandLine line = CommandLine::Parse(args);
        EXPECT_EQ(line.game, game) << args[1];
        EXPECT_EQ(line.action, game ? Action::Run : Action::Refused) << args[1];
    }
    for (const char* refused :
         {"--bogus", "-x", "somefile", "--data-dir", "--data-dir=", "--profile=", "--profile"}) {
        const CommandLine line = CommandLine::Parse({"tavclient", refused});
        EXPECT_EQ(line.action, Action::Refused) << refused;
        EXPECT_FALSE(line.error.isEmpty()) << refused;
        EXPECT_FALSE(line.dataDir || line.profile) << refused;
    }
}

TEST(StartProfileTest, TakesOnlyAListedSafeName) {
    const TempDir root;
    const ProfileStore store(root.path.string());
    // Before there is a list, no name is a profile.
    EXPECT_TRUE(CheckStartProfile(store, "hero").has_value());

    // The list as the program writes it (CR LF), with a line too unsafe to be shown and a
    // one-character name the selection cannot take.
    std::ofstream(root.path / "profiles.cfg", std::ios::binary)
        << "hero\r\nMr..T\r\ncaf\xe9\r\nx\r\na/b\r\n";
    const std::tuple<std::string, bool, std::string> rows[] = {
        {"hero", true, ""},
        {"Mr..T", true, ""},
        {"caf\xe9", true, ""},
        {"Hero", false, "no profile named \"Hero\""},
        {"x", false, "no profile named"},
        {"a/b", false, "contains '/'"},
        {"..", false, "not a directory of its own"},
        {"", false, "needs a profile name"},
        {"he\x1bro", false, "control characters"},
    };
    for (const auto& [name, accepted, errorPart] : rows) {
        SCOPED_TRACE(name);
        const auto error = CheckStartProfile(store, name);
        EXPECT_EQ(!error.has_value(), accepted);
        if (error) {
            EXPECT_NE(error->find(errorPart), std::string::npos) << *error;
            // A control character never reaches the terminal.
            EXPECT_EQ(error->find('\x1b'), std::string::npos);
        }
    }
}

} // namespace
} // namespace tav::test
