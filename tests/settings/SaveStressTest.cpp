// Every file the program saves, saved over and over by a child process that is killed at a
// random moment: afterwards each file holds one whole version, never an empty or cut one.
#include "SettingsTestSupport.h"
#include "settings/HelpIndexFile.h"
#include "settings/ProfileStore.h"
#include "settings/SettingsFile.h"
#include "settings/TextMode.h"
#include "triggers/TriggerList.h"

#include <gtest/gtest.h>

#include <csignal>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

namespace tav::test {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kProfile = "p";

// One version of everything a profile saves.
struct Version {
    Settings settings{};
    StoredValues values{};
    std::vector<std::pair<std::string, std::string>> triggers;
    std::vector<std::string> profiles;
    std::vector<std::string> helpTopics;
};

Version First() {
    return {FilledSettings(),
            FilledValues(),
            {{"hungry", "eat bread\r\n"}},
            {"p", "alpha"},
            {"armor", "weapons"}};
}

// Larger in every file, so a cut copy of it can never pass for the first version.
Version Second() {
    Version v = First();
    Set(v.settings.user, "another hero");
    Set(v.settings.logincom, std::string(200, 'l'));
    for (ColorRef& color : v.values.mudcolors)
        color ^= 0x00FFFFFFu;
    v.triggers = {{"%1 tells you %2", "tell %1 got it\r\n"},
                  {"hungry", "eat bread\r\ndrink water\r\n"},
                  {std::string(200, 'p'), std::string(200, 'r') + "\r\n"}};
    v.profiles = {"p", "bravo", "charlie", std::string(60, 'd')};
    v.helpTopics = {"armor", "magic", "weapons", std::string(300, 't')};
    return v;
}

// Saves the files of profile "p" below root the way the program does.
class Saver {
public:
    explicit Saver(const std::string& root)
        : file_(settings_, values_, recorder_, recorder_, recorder_, root),
          triggers_(root + "/profiles"), store_(root), helpIndex_(HelpIndexPath(root, kProfile)) {}

    void Save(const Version& v) {
        settings_ = v.settings;
        values_ = v.values;
        file_.SaveSettings(kProfile); // tav.cfg, then colors.dat
        triggers_.ClearTriggers();
        for (const auto& [pattern, reaction] : v.triggers)
            triggers_.AddTrigger(pattern, reaction);
        triggers_.SaveTriggers(kProfile);
        store_.RewriteList(v.profiles);
        SaveHelpIndex(helpIndex_, v.helpTopics);
        recorder_.logged.clear(); // "Configuration saved." on every round
    }

private:
    Settings settings_{};
    StoredValues values_{};
    Recorder recorder_;
    SettingsFile file_;
    TriggerList triggers_;
    ProfileStore store_;
    std::string helpIndex_;
};

TEST(SaveStressTest, AKilledSaveLeavesTheOldFileOrTheNewOneNeverACutOne) {
    const TempDir temp;
    const fs::path& root = temp.path;
    fs::create_directories(root / "profiles" / kProfile);
    const fs::path files[] = {root / "profiles/p/tav.cfg", root / "profiles/p/colors.dat",
                              root / "profiles/p/trigs.ndx", root / "profiles.cfg",
                              root / "profiles/p/help.ndx"};
    const Version first = First();
    const Version second = Second();
    Saver saver(root.string());
    std::vector<std::string> secondBytes, firstBytes;
    saver.Save(second);
    for (const fs::path& file : files)
        secondBytes.push_back(ReadBytes(file));
    saver.Save(first); // the files start out as the first version
    for (const fs::path& file : files) {
        firstBytes.push_back(ReadBytes(file));
        ASSERT_NE(firstBytes.back(), secondBytes[firstBytes.size() - 1]) << file;
    }

    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    // Up to a few rounds of saving: the kill lands anywhere in a save, or between two.
    std::uniform_int_distribution<int> delayUs(0, 15000);
    int secondSeen = 0;
    for (int round = 0; round < 200; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            Saver busy(root.string());
            for (;;) {
                busy.Save(second);
                busy.Save(first);
            }
        }
        ::usleep(static_cast<useconds_t>(delayUs(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);

        for (std::size_t i = 0; i < std::size(files); ++i) {
            const auto bytes = ReadFileBytes(files[i].string());
            ASSERT_TRUE(bytes.has_value()) << files[i] << " missing after kill " << round;
            ASSERT_TRUE(*bytes == firstBytes[i] || *bytes == secondBytes[i])
                << files[i] << " holds " << bytes->size() << " bytes after kill " << round;
            if (*bytes == secondBytes[i]) ++secondSeen;
        }
    }
    RecordProperty("files_found_in_second_version", secondSeen);
}

} // namespace
} // namespace tav::test
