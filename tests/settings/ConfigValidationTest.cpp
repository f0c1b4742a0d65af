#include "settings/ConfigValidation.h"
#include "settings/PlayerCommand.h"

#include "SettingsTestSupport.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <tuple>

namespace tav::test {
namespace {

// A record the validation takes, with every text the checks look at filled.
Settings ValidSettings() {
    Settings s{};
    Set(s.user, "ann");
    Set(s.passwd, "secret");
    Set(s.midiplayer, "/usr/bin/timidity");
    Set(s.modplayer, "/usr/bin/xmp");
    Set(s.mp3player, "/usr/bin/mpg123");
    Set(s.scrolllines, "500");
    Set(s.inputlines, "100");
    Set(s.port, "4000");
    Set(s.waitsecs, "5");
    return s;
}

// Sets one text of the record.
template <std::size_t N>
std::function<void(Settings&)> Text(char (Settings::*field)[N], const char* text) {
    return [=](Settings& s) { Set(s.*field, text); };
}

TEST(ConfigValidationTest, FirstRefusalInOrder) {
    const char* const scrollRange = "The scrollback buffer size must be a number from 0 to 50000.";
    const char* const inputRange = "The input buffer size must be a number from 0 to 10000.";
    const std::optional<std::string> accepted;
    const std::tuple<const char*, std::function<void(Settings&)>, std::optional<std::string>>
        cases[] = {
            {"fresh record", [](Settings& s) { s = Settings{}; }, "You must enter a username."},
            {"no password", Text(&Settings::passwd, ""), "You must enter a password."},
            {"no midi player", Text(&Settings::midiplayer, ""), "You must enter a midi player."},
            {"internal midi needs no player",
             [](Settings& s) { Set(s.midiplayer, ""), s.midiinternal = 1; }, accepted},
            {"no mod player", Text(&Settings::modplayer, ""), "You must enter a mod player."},
            {"no mp3 player", Text(&Settings::mp3player, ""), "You must enter an mp3 player."},
            {"players before sizes",
             [](Settings& s) { Set(s.mp3player, ""), Set(s.scrolllines, ""); },
             "You must enter an mp3 player."},
            {"no scroll lines", Text(&Settings::scrolllines, ""),
             "You must enter the scrollback buffer size."},
            {"no input lines", Text(&Settings::inputlines, ""),
             "You must enter the input buffer size."},
            {"largest scrollback", Text(&Settings::scrolllines, "50000"), accepted},
            {"scrollback too large", Text(&Settings::scrolllines, "50001"), scrollRange},
            {"ten digits past int", Text(&Settings::scrolllines, "4294967346"), scrollRange},
            {"nine digits", Text(&Settings::scrolllines, "000050000"), accepted},
            {"ten digits", Text(&Settings::scrolllines, "0000000001"), scrollRange},
            {"largest history", Text(&Settings::inputlines, "10000"), accepted},
            {"history too large", Text(&Settings::inputlines, "10001"), inputRange},
            {"history not a number", Text(&Settings::inputlines, " 1"), inputRange},
            {"empty port left to the connection", Text(&Settings::port, ""), accepted},
            {"port 0", Text(&Settings::port, "0"), "Invalid port."},
            {"largest port", Text(&Settings::port, "31999"), accepted},
            {"no wait", Text(&Settings::waitsecs, ""), accepted},
            {"longest wait", Text(&Settings::waitsecs, "60"), accepted},
            {"wait too long", Text(&Settings::waitsecs, "61"),
             "The seconds to wait must be a number from 0 to 60."},
        };
    for (const auto& [name, change, refusal] : cases) {
        Settings s = ValidSettings();
        change(s);
        EXPECT_EQ(ValidateConfig(s).error, refusal) << name;
    }
    // A game of another kind needs no account or players; the other rules stay.
    Settings other = ValidSettings();
    for (char* field :
         {other.user, other.passwd, other.midiplayer, other.modplayer, other.mp3player})
        field[0] = '\0';
    EXPECT_EQ(ValidateConfig(other, true).error, accepted);
    Set(other.port, "32000");
    EXPECT_EQ(ValidateConfig(other, true).error, "Invalid port.");
}

std::string Joined(const auto& lines) {
    std::string joined;
    for (std::string_view line : lines)
        joined += std::string(joined.empty() ? "" : " / ") + std::string(line);
    return joined;
}
std::string LogOf(const Settings& s) {
    return Joined(ValidateConfig(s).logLines);
}

TEST(ConfigValidationTest, LogLinesFollowTheFlagsInOrder) {
    Settings all = ValidSettings();
    for (Flag* flag :
         {&all.minimizeonedit, &all.hideplayers, &all.nomidi, &all.nomod, &all.nowav, &all.nomp3,
          &all.ignorequeries, &all.ontop, &all.downloadall, &all.cdmdebug, &all.autowrap})
        *flag = 7; // any value but 0 is on
    EXPECT_EQ(LogOf(all), "Will minimize on edit response. / Will attempt to hide players. / "
                          "Will not play midis. / Will not play mods. / Will not play wavs. / "
                          "Will not play mp3s. / Will ignore all server sound queries. / "
                          "Always on top mode selected. / Will download all sound files.");
    EXPECT_EQ(LogOf(ValidSettings()), "");
    all.user[0] = '\0'; // a refusal logs nothing
    EXPECT_EQ(LogOf(all), "");
}

TEST(ConfigValidationTest, Interlocks) {
    // {midiInternal, midiExternal, autoClient, waitClient} toggled, the box clicked, after.
    const std::tuple<ConfigBoxStates, ConfigBox, ConfigBoxStates> cases[] = {
        {{true, true, false, false}, ConfigBox::MidiInternal, {true, false, false, false}},
        {{false, false, false, false}, ConfigBox::MidiInternal, {false, true, false, false}},
        {{true, true, false, false}, ConfigBox::MidiExternal, {false, true, false, false}},
        {{false, false, false, false}, ConfigBox::MidiExternal, {true, false, false, false}},
        {{false, false, false, true}, ConfigBox::AutoClient, {false, false, false, false}},
        {{false, false, true, true}, ConfigBox::AutoClient, {false, false, true, true}},
        {{false, false, false, true}, ConfigBox::WaitClient, {false, false, false, false}},
        {{false, false, true, true}, ConfigBox::WaitClient, {false, false, true, true}},
        {{false, false, true, false}, ConfigBox::WaitClient, {false, false, true, false}},
    };
    for (const auto& [toggled, clicked, expected] : cases)
        EXPECT_EQ(ApplyConfigInterlock(toggled, clicked), expected) << static_cast<int>(clicked);
}

// Answers the dialog from a script and records what the command does around it.
struct CommandRecorder : ConfigCommandHost {
    std::deque<std::function<bool(Settings&)>> answers;
    std::vector<std::string> calls;
    BuiltInPlayers chosen; // what each run of the dialog chooses

    bool RunConfigDialog(Settings& edited, BuiltInPlayers& builtIn) override {
        calls.push_back("dialog");
        builtIn = chosen;
        if (answers.empty()) return false;
        auto answer = std::move(answers.front());
        answers.pop_front();
        return answer(edited);
    }
    void ShowConfigError(std::string_view text) override {
        calls.push_back("error " + std::string(text));
    }
    void LogLine(std::string_view line) override { calls.push_back("log " + std::string(line)); }
    void SetTopmost(bool on) override { calls.push_back(on ? "topmost" : "normal"); }
    void ApplyScreenSettings() override { calls.push_back("screen"); }
    void SaveSettings() override { calls.push_back("save"); }
    void ApplySizes() override { calls.push_back("sizes"); }
    void Relayout() override { calls.push_back("relayout"); }
};

TEST(ConfigValidationTest, CommandLoopsUntilValidOrCancelled) {
    auto cancel = [](Settings&) { return false; };
    auto ok = [](Settings&) { return true; };
    auto clearUser = [](Settings& s) {
        s.user[0] = '\0';
        s.multiscreen = 1;
        return true;
    };
    auto fixUser = [](Settings& s) {
        Set(s.user, "bob");
        s.ontop = 1;
        return true;
    };
    const std::string refused = "dialog / error You must enter a username. / dialog";
    // The answers of the dialog's runs, the calls made, and the record's user afterwards.
    using Answers = std::vector<std::function<bool(Settings&)>>;
    const std::tuple<const char*, Answers, std::string, const char*> cases[] = {
        {"cancel", {cancel}, "dialog", "ann"},
        {"ok", {ok}, "dialog / normal / screen / save / sizes", "ann"},
        {"refused, then cancel restores the record", {clearUser, cancel}, refused, "ann"},
        {"refused, then fixed",
         {clearUser, fixUser},
         refused +
             " / log Always on top mode selected. / topmost / screen / save / sizes / relayout",
         "bob"},
    };
    for (const auto& [name, answers, calls, user] : cases) {
        Settings settings = ValidSettings();
        const Settings before = settings;
        CommandRecorder host;
        host.answers.assign(answers.begin(), answers.end());
        const bool taken = RunConfigCommand(settings, host);
        EXPECT_EQ(Joined(host.calls), calls) << name;
        EXPECT_STREQ(settings.user, user) << name;
        EXPECT_EQ(taken, calls.find("save") != std::string::npos) << name; // taken: saved
        EXPECT_TRUE(taken || SameBytes(settings, before)) << name;
    }
}

TEST(PlayerCommandTest, SplitsWordsHonouringQuotes) {
    using Words = std::vector<std::string>;
    const std::pair<const char*, Words> cases[] = {
        {" \t ", {}},
        {"  mpg123   -q\t-o pulse ", {"mpg123", "-q", "-o", "pulse"}},
        {R"("C:\Program Files\play.exe" /q)", {R"(C:\Program Files\play.exe)", "/q"}},
        {R"(play --title="a b" "" "unclosed quote)", {"play", "--title=a b", "", "unclosed quote"}},
        {"play ';' `id`", {"play", "';'", "`id`"}},
    };
    for (const auto& [command, words] : cases)
        EXPECT_EQ(SplitPlayerCommand(command), words) << command;
}

} // namespace
} // namespace tav::test
