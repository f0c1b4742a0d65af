#include "settings/ProfileStore.h"
#include "SettingsTestSupport.h"
#include "settings/AtomicFile.h"
#include "settings/ProfileSelection.h"
#include "settings/ProfileSession.h"
#include "tests/support/FileSizeLimit.h"

#include <algorithm>
#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <span>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>

namespace tav::test {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

class ProfileTest : public ::testing::Test {
protected:
    void PutList(const std::string& bytes) const {
        std::ofstream(root / "profiles.cfg", std::ios::binary) << bytes;
    }
    std::string List() const { return ReadBytes(root / "profiles.cfg"); }
    ProfileSelection Dialog() { return ProfileSelection(store, session, rec); }
    void BlockProfilesDirectory() const {
        fs::remove_all(root / "profiles");
        std::ofstream(root / "profiles") << "a file in the way";
    }
    void Started(const std::string& name) {
        current = name;
        session.StartWith(true);
        rec.Take();
    }

    TempDir temp;
    fs::path root = temp.path;
    ProfileStore store{root.string()};
    Settings settings{};
    std::string current;
    ProfileRecorder rec;
    ProfileSession session{current, settings, rec};
};

// The selection lists names by their letters without case (A and Z among them), a
// shorter name first, and names that differ only in case by their bytes.
TEST(ProfileNames, ListedByLettersWithoutCase) {
    std::vector<std::string> names = {"beta", "zeta", "alpha", "Zed", "[x]", "Alpha", "_u", "a"};
    std::stable_sort(names.begin(), names.end(), ProfileNameLess);
    EXPECT_EQ(names, (std::vector<std::string>{"[x]", "_u", "a", "Alpha", "alpha", "beta", "Zed",
                                               "zeta"}));
}

// Which names are unsafe, and what each is told, is StartProfileTest.TakesOnlyAListedSafeName's
// too; names existing lists may hold are harmless: dots inside or in front, long names.
TEST_F(ProfileTest, PathsAndListReading) {
    EXPECT_FALSE(store.ListExists());
    EXPECT_FALSE(store.ReadList().has_value());

    const std::string longest(kMaxProfileListLine, 'L');
    // The bytes, then the names shown, the lines a rewrite keeps and whether any was refused.
    const std::tuple<std::string, Lines, Lines, bool> cases[] = {
        {"hero\r\nalt\r\n", {"hero", "alt"}, {}, false},
        {"hero\nalt", {"hero", "alt"}, {}, false}, // LF only, last line end missing
        {"hero\r\nMr..T\r\n.alt\r\n...\r\n" + longest + "\r\n",
         {"hero", "Mr..T", ".alt", "...", longest},
         {},
         false},
        // An empty line ends the list; the rest is kept as it is.
        {"hero\r\n\r\nalt\r\n../x\r\n", {"hero"}, {"", "alt", "../x"}, false},
        // Unsafe names and over-long lines are skipped, and reading goes on.
        {"hero\r\n../x\r\nalt\r\n..\r\nd\x7f\r\nx/\r\n" + longest + "L\r\nzed\r\n",
         {"hero", "alt", "zed"},
         {"../x", "..", "d\x7f", "x/", longest + "L"},
         true},
        {"", {}, {}, false},
    };
    for (const auto& [bytes, names, hidden, refused] : cases) {
        PutList(bytes);
        const auto read = store.ReadList();
        ASSERT_TRUE(read.has_value());
        EXPECT_EQ(std::tie(read->names, read->hidden, read->refused),
                  std::tie(names, hidden, refused))
            << bytes;
    }
    PutList("hero\r\nalt\r\n");
    EXPECT_TRUE(store.ProfileExists("alt"));
    EXPECT_FALSE(store.ProfileExists("Alt"));
    EXPECT_FALSE(store.ProfileExists("al"));
}

TEST_F(ProfileTest, CreateListsAndMakesDirectoriesDeleteRemovesAndRewrites) {
    using enum ProfileStore::CreateResult;
    EXPECT_EQ(store.CreateProfile("hero"), Created);
    EXPECT_EQ(List(), "hero\r\n");
    for (const char* dir : {"profiles", "binary", "text", "profiles/hero"})
        EXPECT_TRUE(fs::is_directory(root / dir)) << dir;
    EXPECT_EQ(store.CreateProfile("hero"), Existing);
    EXPECT_EQ(store.CreateProfile("alt"), Created);
    EXPECT_EQ(List(), "hero\r\nalt\r\n");
    EXPECT_EQ(store.CreateProfile("../escape"), Failed);
    EXPECT_FALSE(fs::exists(root / "escape"));

    // What killed saves left is removed with the profile (which names those are is the
    // atomic file test's); anything else keeps the directory.
    const fs::path hero = root / "profiles/hero";
    using Names = std::span<const std::string_view>;
    for (const Names files : {Names(kStoredProfileFiles), Names(kOwnProfileFiles)})
        for (std::string_view file : files)
            std::ofstream(hero / file) << "x";
    for (const char* leftover : {"tav.cfg.tmp-4242-0", "trigs.ndx.tmp-7-12"})
        std::ofstream(hero / leftover) << "cut";
    std::ofstream(hero / "notes.txt") << "mine";
    store.DeleteProfileFiles("hero");
    EXPECT_EQ(std::distance(fs::directory_iterator(hero), {}), 1);
    fs::remove(hero / "notes.txt");
    std::ofstream(hero / "colors.dat.tmp-1-0") << "cut";
    std::ofstream(hero / "options.cfg.tmp-1-0") << "cut";
    store.DeleteProfileFiles("hero");
    EXPECT_FALSE(fs::exists(hero));
    store.DeleteProfileFiles(".."); // refused, the profiles directory stays
    EXPECT_TRUE(fs::is_directory(root / "profiles"));

    EXPECT_TRUE(store.RewriteList({"alt", "b", "zed"}));
    EXPECT_EQ(List(), "alt\r\nzed\r\n"); // one-character names are dropped
    EXPECT_TRUE(store.RewriteList({}));
    EXPECT_FALSE(store.ListExists());

    PutList("hero"); // a hand-edited list without its last line end
    EXPECT_EQ(store.CreateProfile("third"), Created);
    EXPECT_EQ(List(), "hero\r\nthird\r\n");
    // The directory cannot be made: the name stays listed, the result says so.
    BlockProfilesDirectory();
    EXPECT_EQ(store.CreateProfile("fourth"), Failed);
    EXPECT_TRUE(store.ProfileExists("fourth"));
}

// Cancelled, the program ends with nothing written; at the next start the name is
// taken and the profile applied.
TEST_F(ProfileTest, FirstStartAsksForANameThenApplies) {
    rec.names = {std::nullopt, std::string("default")};
    EXPECT_EQ(Dialog().Open(), ProfileSelection::Result::Cancelled);
    EXPECT_FALSE(session.StartWith(false));
    EXPECT_FALSE(store.ListExists());
    EXPECT_EQ(rec.Take(), Lines{"ask default"});

    auto dialog = Dialog();
    EXPECT_EQ(dialog.CancelText(), "Exit TavClient");
    EXPECT_EQ(dialog.Open(), ProfileSelection::Result::Chosen);
    EXPECT_EQ(current, "default");
    EXPECT_EQ(List(), "default\r\n");
    EXPECT_TRUE(fs::is_directory(root / "profiles/default"));
    EXPECT_EQ(rec.Take(), Lines{"ask default"});

    settings.autoterm = 1;
    EXPECT_TRUE(session.StartWith(true));
    EXPECT_EQ(rec.Take(),
              (Lines{"caption TavClient - default", "load", "screen", "sizes", "place", "windows",
                     "triggers", "startup", "autoconnect", "timers", "release", "bars"}));
    EXPECT_TRUE(session.Loaded());
    EXPECT_EQ(Dialog().CancelText(), "Close");
}

// Unsafe names are asked again; a directory that cannot be made keeps the old name, but
// does not stop the first start.
TEST_F(ProfileTest, UnsafeNamesAreAskedAgainAndFailedDirectoriesStopOnlyLaterCreates) {
    rec.names = {std::string("../x"), std::string("ok")};
    EXPECT_EQ(Dialog().CreateProfile(), ProfileSelection::Result::Chosen);
    const Lines calls = rec.Take();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0], "ask default");
    EXPECT_EQ(calls[1].substr(0, 6), "error ");
    EXPECT_EQ(calls[2], "ask ../x");
    EXPECT_EQ(current, "ok");

    BlockProfilesDirectory();
    rec.names = {std::string("other")};
    EXPECT_EQ(Dialog().CreateProfile(), ProfileSelection::Result::Cancelled);
    EXPECT_EQ(current, "ok");
    EXPECT_EQ(rec.Take(),
              (Lines{"ask default", "error Error creating profile directory. | Error..."}));

    fs::remove(root / "profiles.cfg");
    fs::remove_all(root / "binary");
    current.clear();
    rec.names = {std::string("default")};
    EXPECT_EQ(Dialog().Open(), ProfileSelection::Result::Chosen);
    EXPECT_EQ(current, "default");
    EXPECT_EQ(List(), "default\r\n");
    EXPECT_EQ(rec.Take(), Lines{"ask default"}); // no error box
    EXPECT_TRUE(fs::is_directory(root / "binary"));
}

// One profile is taken at start-up but listed later; a refused name is reported and
// stops that automatic choice.
TEST_F(ProfileTest, OneProfileIsTakenAtStartUpUnlessANameWasRefused) {
    PutList("../bad\r\nhero\r\n");
    auto refused = Dialog();
    EXPECT_EQ(refused.Open(), std::nullopt);
    EXPECT_EQ(refused.Names(), Lines{"hero"});
    EXPECT_EQ(rec.Take(), Lines{"error Error adding profile... | Error..."});
    EXPECT_EQ(current, "");

    PutList("hero\r\n");
    EXPECT_EQ(Dialog().Open(), ProfileSelection::Result::Chosen);
    EXPECT_EQ(current, "hero");
    Started("hero");
    auto later = Dialog();
    EXPECT_EQ(later.Open(), std::nullopt);
    EXPECT_EQ(later.Names(), Lines{"hero"});
    EXPECT_EQ(later.Selected(), 0);
}

TEST_F(ProfileTest, SelectSwitchesARunningProgram) {
    PutList("zed\r\nAlpha\r\nbeta\r\nq\r\n");
    auto dialog = Dialog();
    EXPECT_EQ(dialog.Open(), std::nullopt);
    EXPECT_EQ(dialog.Names(), (Lines{"Alpha", "beta", "q", "zed"}));
    EXPECT_EQ(dialog.Selected(), 0); // the alphabetically first is preselected

    for (int row : {2, -1, 4}) { // a one-character name, no row, past the end
        dialog.SetSelected(row);
        EXPECT_EQ(dialog.Select(), std::nullopt) << row;
    }
    dialog.SetSelected(1);
    EXPECT_EQ(dialog.Select(), ProfileSelection::Result::Chosen);
    EXPECT_EQ(current, "beta");
    EXPECT_TRUE(rec.Take().empty()); // at start-up the caller applies
    Started("beta");

    rec.connected = true;
    auto later = Dialog();
    later.Open();
    later.SetSelected(0);
    EXPECT_EQ(later.Select(), ProfileSelection::Result::Chosen);
    EXPECT_EQ(rec.Take(),
              (Lines{"save", "term off", "client off", "caption TavClient - Alpha", "load",
                     "screen", "sizes", "place", "windows", "triggers", "timers", "release", "bars",
                     "print New profile selected - Alpha\r\n"}));

    // New while running switches even to an existing name; cancelled, it stays.
    rec.names = {std::string("beta"), std::nullopt};
    EXPECT_EQ(later.New(), ProfileSelection::Result::Chosen);
    const Lines calls = rec.Take();
    EXPECT_EQ(calls.front(), "save");
    EXPECT_EQ(calls.back(), "print New profile created - beta\r\n");
    EXPECT_EQ(List(), "zed\r\nAlpha\r\nbeta\r\nq\r\n");
    EXPECT_EQ(later.New(), std::nullopt);
    EXPECT_EQ(current, "beta");
}

// Deleting rewrites the list: what the dialog did not show survives, nothing stays
// selected, and the last deletion drops the list; a new profile is then switched to.
TEST_F(ProfileTest, DeleteKeepsHiddenLinesSelectsNothingAndDropsTheLastList) {
    const std::pair<std::string, std::string> kept[] = {
        {"hero\r\nMr..T\r\nzed\r\n", "Mr..T\r\nzed\r\n"},
        {"hero\r\na/b\r\nzed\r\n", "zed\r\na/b\r\n"},
        {"hero\r\n\r\nold\r\n", "\r\nold\r\n"},
    };
    for (const auto& [before, after] : kept) {
        PutList(before);
        auto dialog = Dialog();
        dialog.Open();
        dialog.SetSelected(0);
        ASSERT_EQ(dialog.Names().front(), "hero") << before;
        dialog.Delete();
        EXPECT_EQ(List(), after) << before;
        rec.Take();
    }
    current.clear(); // the last list held one profile, taken at once

    PutList("zed\r\nhero\r\n");
    ASSERT_TRUE(fs::create_directories(root / "profiles/hero"));
    std::ofstream(root / "profiles/hero/tav.cfg") << "x";
    auto dialog = Dialog();
    dialog.Open();
    dialog.SetSelected(0);
    rec.yes = false;
    dialog.Delete();
    EXPECT_EQ(rec.Take(), Lines{"question Delete profile hero? | Confirm profile deletion..."});
    EXPECT_TRUE(fs::exists(root / "profiles/hero/tav.cfg"));
    rec.yes = true;
    dialog.Delete();
    EXPECT_FALSE(fs::exists(root / "profiles/hero"));
    EXPECT_EQ(dialog.Names(), Lines{"zed"});
    EXPECT_EQ(List(), "zed\r\n");
    EXPECT_EQ(dialog.Selected(), -1);
    EXPECT_EQ(dialog.Select(), std::nullopt);
    EXPECT_EQ(current, "");
    EXPECT_EQ(rec.Take(), Lines{"question Delete profile hero? | Confirm profile deletion..."});
    // The last name goes with the list file; a list that cannot go is reported.
    fs::rename(root / "profiles.cfg", root / "list");
    fs::create_directories(root / "profiles.cfg/in-the-way");
    dialog.SetSelected(0);
    dialog.Delete();
    const std::string asked = "question Delete profile zed? | Confirm profile deletion...";
    EXPECT_EQ(rec.Take(), (Lines{asked, "error Error deleting profile... | Error..."}));
    fs::remove_all(root / "profiles.cfg");
    fs::rename(root / "list", root / "profiles.cfg");
    dialog.Open();
    dialog.SetSelected(0);
    dialog.Delete();
    EXPECT_EQ(rec.Take(), Lines{asked});
    EXPECT_FALSE(store.ListExists());

    Started("hero");
    rec.names = {std::string("fresh")};
    EXPECT_EQ(Dialog().Open(), ProfileSelection::Result::Chosen);
    EXPECT_EQ(rec.Take(), (Lines{"ask default", "client off", "caption TavClient - fresh", "load",
                                 "screen", "sizes", "place", "windows", "triggers", "timers",
                                 "release", "bars", "print New profile created - fresh\r\n"}));
    EXPECT_EQ(current, "fresh");
}

// A profile is kept by one process: another is told so and can neither take nor delete it
// until the holder dies (whose lock file, left behind, keeps nobody out). Opening a profile
// removes what saves of dead processes left, never a running one's file or other names.
TEST_F(ProfileTest, AProfileOpenElsewhereIsRefusedUntilItsProcessDies) {
    PutList("hero\r\n");
    const fs::path hero = root / "profiles/hero";
    fs::create_directories(hero);
    // A process that died holding the profile: its lock file stays.
    const pid_t holder = ::fork();
    if (holder == 0) {
        const ProfileLock lock = store.LockProfile("hero");
        ::raise(SIGKILL);
    }
    ASSERT_EQ(::waitpid(holder, nullptr, 0), holder);
    ASSERT_TRUE(fs::exists(hero / ".lock"));
    // Another process's lock (two locks of one process exclude each other as well).
    ProfileLock other = store.LockProfile("hero");
    ASSERT_EQ(other.GetState(), ProfileLock::State::Held);

    auto dialog = Dialog();
    EXPECT_EQ(dialog.Open(), std::nullopt);       // the single profile is shown, not taken
    EXPECT_EQ(dialog.Open("hero"), std::nullopt); // nor when the command line names it
    dialog.SetSelected(0);
    EXPECT_EQ(dialog.Select(), std::nullopt);
    dialog.Delete();
    rec.names = {std::string("hero"), std::nullopt};
    EXPECT_EQ(dialog.New(), std::nullopt);
    const std::string inUse = "error The profile hero is open in another TavClient. | Error...";
    EXPECT_EQ(rec.Take(), (Lines{inUse, inUse, inUse,
                                 "error The profile hero is open in another TavClient, so it "
                                 "cannot be deleted. | Error...",
                                 "ask default", inUse, "ask hero"}));
    EXPECT_EQ(current, "");

    other = {};
    ASSERT_TRUE(CrashesMidWrite(
        [&] { WriteFileAtomically((hero / "tav.cfg").string(), std::string(9999, 'x')); }, 4096));
    // The save killed above left a temporary file of tav.cfg; this one is a save of a live
    // process, and the others match no temporary name.
    const std::string dead = std::to_string(holder);
    std::set<std::string> kept = {"trigs.ndx.tmp-" + std::to_string(::getpid()) + "-0",
                                  ".tmp-" + dead + "-1", "notes.tmp-" + dead};
    for (const std::string& name : kept)
        std::ofstream(hero / name) << "x";
    std::ofstream(hero / ("trigs.act.tmp-" + dead + "-2")) << "x";
    kept.insert(".lock");
    EXPECT_EQ(dialog.Select(), ProfileSelection::Result::Chosen);
    EXPECT_EQ(current, "hero");
    std::set<std::string> left;
    for (const auto& entry : fs::directory_iterator(hero))
        left.insert(entry.path().filename().string());
    EXPECT_EQ(left, kept);
    EXPECT_TRUE(store.LockProfile("hero").InUse());

    // A switch keeps the new profile and lets the old one go; the loaded one may be deleted.
    Started("hero");
    rec.names = {std::string("alt")};
    EXPECT_EQ(dialog.New(), ProfileSelection::Result::Chosen);
    EXPECT_EQ(store.LockProfile("hero").GetState(), ProfileLock::State::Held);
    EXPECT_TRUE(store.LockProfile("alt").InUse());
    auto later = Dialog();
    later.Open();
    later.SetSelected(0);
    later.Delete();
    EXPECT_FALSE(fs::exists(root / "profiles/alt"));
}

} // namespace
} // namespace tav::test
