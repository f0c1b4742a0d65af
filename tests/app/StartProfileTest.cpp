// The profile named on the command line, checked against a real profile list on disk.
#include "app/StartProfile.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

namespace tav::test {
namespace {

TEST(StartProfileTest, TakesOnlyAListedSafeName) {
    const TempDir root;
    const ProfileStore store(root.path.string());
    // Before there is a list, no name is a profile.
    EXPECT_TRUE(CheckStartProfile(store, "hero").has_value());

    // The list as the program writes it (CR LF), with a line too unsafe to be shown and a
    // one-character name the selection cannot take.
    std::ofstream(root.path / "profiles.cfg", std::ios::binary)
        << "hero\r\nMr..T\r\ncaf\xe9\r\nx\r\na/b\r\n";
    struct Row {
        std::string name;
        bool accepted;
        std::string errorPart;
    };
    const Row rows[] = {
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
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto error = CheckStartProfile(store, row.name);
        EXPECT_EQ(!error.has_value(), row.accepted);
        if (error) {
            EXPECT_NE(error->find(row.errorPart), std::string::npos) << *error;
            // A control character never reaches the terminal.
            EXPECT_EQ(error->find('\x1b'), std::string::npos);
        }
    }
}

} // namespace
} // namespace tav::test
