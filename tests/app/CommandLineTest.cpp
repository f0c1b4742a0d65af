// The command line read before the window system: which arguments start the program,
// which ask for help or the version, and which are refused.
#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace tav::test {
namespace {

using Action = CommandLine::Action;

struct Case {
    std::vector<std::string> args; // after the program name
    Action action;
    std::optional<std::string> dataDir;
    std::optional<std::string> profile;
};

void PrintTo(const Case& c, std::ostream* os) {
    for (const std::string& arg : c.args)
        *os << '"' << arg << "\" ";
}

class CommandLineTest : public testing::TestWithParam<Case> {};

TEST_P(CommandLineTest, ReadsTheArguments) {
    const Case& c = GetParam();
    std::vector<std::string> args{"tavclient"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const CommandLine line = CommandLine::Parse(args);
    EXPECT_EQ(line.action, c.action) << line.error.toStdString();
    EXPECT_EQ(line.error.isEmpty(), c.action != Action::Refused);
    EXPECT_EQ(line.dataDir, c.dataDir);
    EXPECT_EQ(line.profile, c.profile);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLineTest,
    testing::Values(
        Case{{}, Action::Run, {}, {}}, Case{{"--data-dir", "/tmp/a"}, Action::Run, "/tmp/a", {}},
        Case{{"--data-dir=/tmp/b", "--profile", "hero"}, Action::Run, "/tmp/b", "hero"},
        // The last of a repeated option counts.
        Case{{"--profile=a b", "--profile", "Mr..T"}, Action::Run, {}, "Mr..T"},
        // Qt's own options pass, in either form, with their values.
        Case{{"-platform", "offscreen", "--style=Fusion", "-reverse", "--data-dir", "d"},
             Action::Run,
             "d",
             {}},
        // Bytes that are not text in the locale arrive unchanged.
        Case{{"--profile", "caf\xe9", "--data-dir", "/tmp/\xff"},
             Action::Run,
             "/tmp/\xff",
             "caf\xe9"},
        Case{{"--help"}, Action::Help, {}, {}}, Case{{"-h", "--bogus"}, Action::Refused, {}, {}},
        Case{{"--data-dir", "x", "-v"}, Action::Version, {}, {}},
        Case{{"--version"}, Action::Version, {}, {}}, Case{{"--bogus"}, Action::Refused, {}, {}},
        Case{{"-x"}, Action::Refused, {}, {}}, Case{{"somefile"}, Action::Refused, {}, {}},
        Case{{"--data-dir"}, Action::Refused, {}, {}},
        Case{{"--data-dir="}, Action::Refused, {}, {}},
        Case{{"--profile="}, Action::Refused, {}, {}},
        Case{{"--profile"}, Action::Refused, {}, {}}));

TEST(CommandLineHelpTest, NamesTheProgramAndEveryOptionButQtsOwn) {
    const std::string help = CommandLine::HelpText().toStdString();
    EXPECT_EQ(help.rfind("Usage: tavclient [options]\n", 0), 0u) << help;
    for (const char* option : {"--help", "--version", "--data-dir <DIR>", "--profile <NAME>"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
    EXPECT_EQ(help.find("--platform"), std::string::npos);
    EXPECT_EQ(CommandLine::VersionText().toStdString().rfind("tavclient ", 0), 0u);
}

} // namespace
} // namespace tav::test
