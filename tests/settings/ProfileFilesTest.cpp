// A profile's small files byte for byte: custbut.ndx, help.ndx and options.cfg. What the
// lines on disk give, what a save writes, and that a save replaces a file whole or not at all
// (the atomic writer every save goes through last); a file the user picks, written into.
#include "SettingsTestSupport.h"
#include "settings/AtomicFile.h"
#include "settings/CustomButtonFile.h"
#include "settings/HelpIndexFile.h"
#include "settings/ProfileOptions.h"
#include "settings/ProfileStore.h"
#include "settings/QuickGame.h"
#include "settings/TextMode.h"
#include "settings/UserFile.h"
#include "tests/support/FileSizeLimit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <thread>
#include <tuple>
#include <unistd.h>

namespace tav::test {
namespace {

namespace fs = std::filesystem;

using Records = std::vector<CustomButtonRecord>;
using Topics = std::vector<std::string>;
using Enc = TextEncoding;

TEST(CustomButtonFile, ReadsWholeLines) {
    const std::string longName(64, 'n');
    const std::string line100(100, 'a');
    const std::string line300(300, 'b');
    const std::tuple<const char*, std::string, Records> cases[] = {
        {"text mode",
         "Kill\r\nkill orc\r\r\n#\r\nTwo\r\nget all\r\r\nsay done\r\r\n#\r\nEmpty\r\n#\r\n",
         {{"Kill", "kill orc\r\n"}, {"Two", "get all\r\nsay done\r\n"}, {"Empty", ""}}},
        {"LF lines", "A\nlook\n#\n", {{"A", "look\r\n"}}},
        {"last line without an end", "A\r\nlook\r\r\n#", {{"A", "look\r\n"}}},
        {"a long name is cut, not carried into the command",
         longName + "\r\nlook\r\r\n#\r\n",
         {{longName.substr(0, 31), "look\r\n"}}},
        {"long lines stay whole",
         "A\r\n" + line100 + "\r\r\n" + line100 + "\r\r\n#\r\n",
         {{"A", line100 + "\r\n" + line100 + "\r\n"}}},
        {"a line passing the limit is left out whole, with the ones after it",
         "A\r\n" + line100 + "\r\n" + line100 + "\r\n" + line100 + "\r\nshort\r\n#\r\nB\r\n#\r\n",
         {{"A", line100 + "\r\n" + line100 + "\r\n"}, {"B", ""}}},
        {"a line longer than the limit", "A\r\n" + line300 + "\r\n#\r\n", {{"A", ""}}},
        {"the '#' line ends the record whatever follows the '#'",
         "A\r\nx\r\n#junk\r\nB\r\n#\r\n",
         {{"A", "x\r\n"}, {"B", ""}}},
        {"an unfinished last record is left out", "A\r\n#\r\nB\r\nlook\r\n", {{"A", ""}}},
        {"a lone CR inside a line is dropped", "A\rB\r\nsa\ry\r\n#\r\n", {{"AB", "say\r\n"}}},
        {"Latin-1 kept", "Caf\xe9\r\n\xe9t\xe9\r\n#\r\n", {{"Caf\xe9", "\xe9t\xe9\r\n"}}},
        {"empty file", "", {}},
    };
    for (const auto& [what, bytes, records] : cases)
        EXPECT_EQ(ParseCustomButtons(bytes), records) << what;
    const auto& [what, textMode, records] = cases[0];
    EXPECT_EQ(FormatCustomButtons(records), textMode) << what;
}

TEST(CustomButtonFile, EditorKeepsWhatTheFileCanHoldBack) {
    const std::string fits(253, 'x');
    const std::tuple<const char*, std::string, std::string, bool> cases[] = {
        {"one line gets CR LF", "look", "look\r\n", false},
        {"lines end in CR LF", "get all\nsay hi", "get all\r\nsay hi\r\n", false},
        {"a typed last line end is kept once", "look\n", "look\r\n", false},
        {"CR LF typed", "a\r\nb\r\n", "a\r\nb\r\n", false},
        {"lone CRs dropped", "lo\rok", "look\r\n", false},
        {"empty stays empty", "", "", false},
        {"a '#' line would end the record", "say hi\n#grin", "say hi\r\n#grin\r\n", true},
        {"'#' inside a line is fine", "say #1", "say #1\r\n", false},
        {"253 characters and CR LF fit", fits, fits + "\r\n", false},
        {"254 characters do not", fits + "x", fits + "x\r\n", true},
    };
    for (const auto& [what, typed, expected, refused] : cases) {
        const std::string stored = StoredButtonCommand(typed);
        EXPECT_EQ(stored, expected) << what;
        EXPECT_EQ(ButtonCommandProblem(stored).has_value(), refused) << what;
        // Whatever is accepted comes back from the file as it was.
        const Records one = {{"N", stored}};
        if (!refused) {
            EXPECT_EQ(ParseCustomButtons(FormatCustomButtons(one)), one) << what;
        }
    }
    EXPECT_EQ(CleanButtonName(std::string(40, 'z')), std::string(31, 'z'));
    // A new button's id is one past the highest, whatever the order, never one in use.
    EXPECT_EQ(NextCustomButtonId({}), kFirstCustomButtonId);
    EXPECT_EQ(NextCustomButtonId({8003, 8001}), 8004);
}

TEST(HelpIndexFile, ReadsWholeLinesWhateverTheirEnding) {
    const std::string longTopic(300, 'x');
    const std::tuple<const char*, std::string, Topics> cases[] = {
        {"CR LF lines", "armor\r\nweapons\r\n", {"armor", "weapons"}},
        {"LF lines", "armor\nweapons\n", {"armor", "weapons"}},
        {"last line without an end", "armor\r\nweapons", {"armor", "weapons"}},
        {"empty lines left out", "\r\narmor\r\n\r\n\nweapons\r\n\r\n", {"armor", "weapons"}},
        {"a long line is one topic", longTopic + "\r\nshort\r\n", {longTopic, "short"}},
        {"CR CR LF ends a line too", "armor\r\r\nweapons\r\n", {"armor", "weapons"}},
        {"a lone CR inside is left out", "a\rb\r\nc\r\n\r\r", {"c"}},
        {"cut at a NUL", std::string("mag\0ic\r\nwand\r\n", 14), {"mag", "wand"}},
        {"Latin-1 bytes kept", "caf\xe9\r\n", {"caf\xe9"}},
        {"empty file", "", {}},
    };
    for (const auto& [what, bytes, topics] : cases)
        EXPECT_EQ(ParseHelpIndex(bytes), topics) << what;
}

// Only whole topics that come back are written, sorted case-folded then by bytes.
TEST(HelpIndexFile, WritesAndSortsWholeTopics) {
    const std::string longTopic(300, 'y');
    const std::string bytes =
        FormatHelpIndex({"armor", "", "bad\rtopic", "bad\ntopic", longTopic, "weapons"});
    EXPECT_EQ(bytes, "armor\r\n" + longTopic + "\r\nweapons\r\n");
    const Topics back = {"armor", longTopic, "weapons"};
    EXPECT_EQ(ParseHelpIndex(bytes), back) << "round trip";

    Topics topics = {"Zone", "Armor", "armor", "\xe9t\xe9", "ARMOR", "bash", "Bash", "a", "yes"};
    SortHelpTopics(topics);
    EXPECT_EQ(topics,
              (Topics{"a", "ARMOR", "Armor", "armor", "Bash", "bash", "yes", "Zone", "\xe9t\xe9"}));
}

TEST(ProfileOptions, LinesGiveValuesAndAnythingElseLeavesTheDefaults) {
    const std::pair<const char*, ProfileOptions> cases[] = {
        {"", {}},
        {"encoding=utf8\nautoreconnect=1\n", {Enc::Utf8, true}},
        {"encoding=gb18030\n", {Enc::Gb18030, false}},
        {"encoding=big5", {Enc::Big5, false}},
        {"encoding=7bit\nautoreconnect=0\n", {Enc::SevenBit, false}},
        {" encoding = utf8 \r\n", {Enc::Utf8, false}}, // hand-typed spaces, a CR
        // Malformed values and unknown keys are ignored.
        {"encoding=UTF-8\nautoreconnect=yes\n", {}},
        {"encoding=\nautoreconnect=10\nencoding\n", {}},
        {"negotiate=0\nnegotiate=yes\n", {Enc::SevenBit, false, false}},
        {"tls=1\ntlsport=65535\n", {Enc::SevenBit, false, true, true, 65535}},
        {"tls=on\ntlsport=65536\ntlsport=-1\ntlsport=44x\n", {}},
        {"colour=red\n# encoding=utf8\n", {}},
        {"separator=;;&&;;&&\nspeedwalk=.\nspeedwalkdirs=n, s,ne\n",
         {Enc::SevenBit, false, true, false, 0, ColourMode::Basic, ";;&&;;&&", ".", "n, s,ne"}},
        // A space, a backslash or more than eight characters cannot mark commands.
        {"separator=a\\b\nspeedwalk=123456789\nseparator=\x01\nspeedwalk=. .\n", {}},
        // The last valid line of a key counts.
        {"encoding=utf8\nencoding=latin1\n", {Enc::Latin1, false}},
        {"encoding=utf8\nencoding=bogus\n", {Enc::Utf8, false}},
        {"colours=full\n", {Enc::SevenBit, false, true, false, 0, ColourMode::Full}},
        {"colours=full\ncolours=parts\ncolours=Full\n", {}},
        {"colours=full\ncolours=basic\n", {}}, // the word of the first builds
        {"tabcomplete=1\ntabcomplete=on\n", {.tabComplete = true}},
        {"longlines=1\npasteinput=1\nothergame=1\nothergame=yes\n",
         {.longLines = true, .pasteToInput = true, .otherGame = true}},
        {"echocolour=1\nechorgb=#0a0B0c\n",
         {.echoColoured = true, .echoColour = MakeColor(10, 11, 12)}},
        {"echocolour=on\nechorgb=0a0b0c\nechorgb=#0a0b0\nechorgb=#0a0b0g\n", {}},
        {"builtinmod=1\nbuiltinmp3=on\n", {.builtInPlayers = {true}}},
        {"connectlogin=1\nwidescreen=1\n", {.connectLogin = true, .wideScreen = true}},
    };
    for (const auto& [text, options] : cases)
        EXPECT_EQ(ReadProfileOptionsText(text), options) << text;
    // Walk directions are printable text of up to kMaxWalkDirectionsText bytes.
    const std::string longest(kMaxWalkDirectionsText, 'n');
    const auto directions = [](const std::string& text) {
        return ReadProfileOptionsText(text).speedwalkDirections;
    };
    EXPECT_EQ(directions("speedwalkdirs=" + longest + "\n"), longest);
    const std::string defaults = ProfileOptions{}.speedwalkDirections;
    for (const std::string& refused : {longest + "n", std::string("n\x1fs"), std::string("n\x7fs")})
        EXPECT_EQ(directions("speedwalkdirs=" + refused + "\n"), defaults) << refused;
    EXPECT_EQ(directions("speedwalkdirs= n~s \n"), "n~s");
}

TEST(ProfileOptions, RewriteKeepsOtherLinesInPlaceAndRoundTrips) {
    const std::tuple<const char*, ProfileOptions, const char*> cases[] = {
        {"", {}, "encoding=7bit\nautoreconnect=0\n"},
        {"# mine\nencoding=latin1\nfuture=x y\n",
         {Enc::Utf8, false, false},
         "# mine\nencoding=utf8\nfuture=x y\nautoreconnect=0\nnegotiate=0\n"},
        {"autoreconnect=bogus\nnote\n\nnegotiate=2\ntlsport=99999\nencoding=utf8\nencoding=7bit\n",
         {Enc::Latin1, true, true, true, 6697},
         "autoreconnect=1\nnote\n\nnegotiate=1\ntlsport=6697\nencoding=latin1\ntls=1\n"},
        // Keys past the first two appear once they differ from their defaults, and stay.
        {"separator=;\n",
         {Enc::SevenBit, false, true, false, 0, ColourMode::Basic, "", ".", "n,s"},
         "separator=\nencoding=7bit\nautoreconnect=0\nspeedwalk=.\nspeedwalkdirs=n,s\n"},
        // The colour key is written once full colour was chosen, and then kept.
        {"",
         {.colours = ColourMode::Full, .tabComplete = true},
         "encoding=7bit\nautoreconnect=0\ncolours=full\ntabcomplete=1\n"},
        {"colours=full\n", {}, "colours=parts\nencoding=7bit\nautoreconnect=0\n"},
        {"",
         {.longLines = true, .pasteToInput = true, .otherGame = true},
         "encoding=7bit\nautoreconnect=0\nlonglines=1\npasteinput=1\nothergame=1\n"},
        {"", {.echoColoured = true}, "encoding=7bit\nautoreconnect=0\nechocolour=1\n"},
        {"echocolour=1\n",
         {.echoColour = MakeColor(255, 0, 128)},
         "echocolour=0\nencoding=7bit\nautoreconnect=0\nechorgb=#FF0080\n"},
        {"", {.builtInPlayers = {false, true}}, "encoding=7bit\nautoreconnect=0\nbuiltinmp3=1\n"},
        {"", {.connectLogin = true}, "encoding=7bit\nautoreconnect=0\nconnectlogin=1\n"},
        {"widescreen=1\n", {}, "widescreen=0\nencoding=7bit\nautoreconnect=0\n"},
    };
    for (const auto& [existing, options, written] : cases) {
        const std::string text = WriteProfileOptionsText(options, existing);
        EXPECT_EQ(text, written) << existing;
        EXPECT_EQ(ReadProfileOptionsText(text), options) << existing;
    }
}

// Each file sits beside tav.cfg and is replaced whole, never leaving a temporary file;
// a missing profile directory is reported.
TEST(ProfileFiles, SavesReplaceEachFileWholeBesideTavCfg) {
    const TempDir temp({"profiles/hero"});
    const std::string root = temp.path.string();

    const std::string help = HelpIndexPath(root, "hero");
    Topics topics = {"old"};
    EXPECT_FALSE(LoadHelpIndex(help, topics)) << "no file yet";
    EXPECT_EQ(topics, Topics{"old"}) << "a missing file leaves the list as it was";
    ASSERT_TRUE(SaveHelpIndex(help, {"armor", "weapons"}));
    EXPECT_EQ(ReadBytes(help), "armor\r\nweapons\r\n");
    ASSERT_TRUE(LoadHelpIndex(help, topics));
    EXPECT_EQ(topics, (Topics{"armor", "weapons"}));
    EXPECT_TRUE(SaveHelpIndex(help, {}));
    EXPECT_TRUE(SaveHelpIndex(help, {"", "x\ny"}));
    EXPECT_EQ(ReadBytes(help), "armor\r\nweapons\r\n") << "nothing to write keeps the file";
    EXPECT_FALSE(SaveHelpIndex(HelpIndexPath(root, "nobody"), {"armor"}));
    EXPECT_FALSE(fs::exists(temp.path / "profiles" / "nobody"));

    const std::string options = ProfileOptionsPath(root, "alice");
    EXPECT_EQ(LoadProfileOptions(options), ProfileOptions{});     // missing: defaults
    EXPECT_FALSE(SaveProfileOptions(options, {Enc::Utf8, true})); // no profile directory
    fs::create_directories(temp.path / "profiles" / "alice");
    ASSERT_TRUE(WriteFileAtomically(options, "later=1\n"));
    ASSERT_TRUE(SaveProfileOptions(options, {Enc::Utf8, true}));
    EXPECT_TRUE(ReadBytes(options).starts_with("later=1\nencoding=utf8\n"));
    EXPECT_EQ(LoadProfileOptions(options), (ProfileOptions{Enc::Utf8, true}));
}

using Names = std::vector<std::string>;

class AtomicFileTest : public ::testing::Test {
protected:
    Names Entries() const {
        Names names;
        for (const auto& entry : fs::directory_iterator(dir))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string At(const char* name) const { return (dir / name).string(); }

    TempDir temp;
    fs::path dir = temp.path;
};

// Whole replacements in the umask's mode (owner-only: the settings file test), then
// failures that must keep what was there and leave no temporary file behind.
TEST_F(AtomicFileTest, ReplacesWholeOrKeepsWhatWasThere) {
    for (const std::string& bytes : {std::string("first\r\n"), std::string(100000, 'x'),
                                     std::string(), std::string("\0\1", 2)}) {
        ASSERT_TRUE(WriteFileAtomically(At("tav.cfg"), bytes));
        EXPECT_EQ(ReadBytes(At("tav.cfg")), bytes);
        EXPECT_EQ(Entries(), Names{"tav.cfg"});
    }
    const mode_t old = ::umask(022);
    for (const auto& [mask, mode] : {std::pair{022u, fs::perms(0644)}, {077u, fs::perms(0600)}}) {
        ::umask(mask);
        EXPECT_TRUE(WriteFileAtomically(At("mode"), "s"));
        EXPECT_EQ(fs::status(At("mode")).permissions(), mode) << mask;
        fs::remove(At("mode"));
    }
    ::umask(old);
    fs::remove(At("tav.cfg"));

    EXPECT_EQ(ReplaceFileAtomically(At("missing/tav.cfg"), "x"), AtomicWriteResult::NotCreated);
    fs::create_directory(dir / "taken");
    std::ofstream(dir / "taken/inside") << "kept";
    EXPECT_FALSE(WriteFileAtomically(At("taken"), "x"));
    EXPECT_EQ(ReplaceFileAtomically(At("taken"), "x"), AtomicWriteResult::NotWritten);
    EXPECT_EQ(ReadFileBytes(At("taken")), std::nullopt); // a directory in its place reads as none
    EXPECT_EQ(ReadBytes(dir / "taken/inside"), "kept");
    EXPECT_EQ(Entries(), Names{"taken"});
    // A write cut short (here by the file size limit) keeps the whole old file.
    ASSERT_TRUE(WriteFileAtomically(At("sound.mp3"), "old sound"));
    {
        FileSizeLimit limit(4096);
        EXPECT_EQ(ReplaceFileAtomically(At("sound.mp3"), std::string(10000, 'n')),
                  AtomicWriteResult::NotWritten);
    }
    EXPECT_EQ(ReadBytes(At("sound.mp3")), "old sound");
    EXPECT_EQ(Entries(), (Names{"sound.mp3", "taken"}));

    // Removing: gone is success, whether removed now or never there; what stays is not.
    errno = 0;
    EXPECT_EQ(
        (std::vector<bool>{RemoveFileIfPresent(At("sound.mp3")),
                           RemoveFileIfPresent(At("sound.mp3")), RemoveFileIfPresent(At("taken"))}),
        (std::vector<bool>{true, true, false}));
    EXPECT_EQ(Entries(), Names{"taken"});
}

// Names left over by saves that died are stepped over: they cost another attempt, never
// the save. Only such names are leftovers.
TEST_F(AtomicFileTest, LeftoverTemporaryNamesAreSteppedOverAndRecognised) {
    const std::string file = At("tav.cfg");
    // A save that dies mid-write leaves its temporary file, named with the number this
    // process's next save starts from.
    ASSERT_TRUE(CrashesMidWrite([&] { WriteFileAtomically(file, std::string(9999, 'x')); }, 4096));
    const Names left = Entries();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_TRUE(IsTemporaryFileOf(left[0], "tav.cfg")) << left[0]; // deleting a profile takes it
    const int next = std::stoi(left[0].substr(left[0].rfind('-') + 1));
    const std::string ours = file + ".tmp-" + std::to_string(::getpid()) + "-";
    for (int n : {next, next + 1})
        std::ofstream(ours + std::to_string(n)) << "left over";
    EXPECT_TRUE(WriteFileAtomically(file, "saved"));
    EXPECT_EQ(ReadBytes(file), "saved");

    for (const char* name : {"tav.cfg.tmp-4242-0", "tav.cfg.tmp-1-17", "tav.cfg.tmp-9-90"})
        EXPECT_TRUE(IsTemporaryFileOf(name, "tav.cfg")) << name;
    for (const char* name :
         {"tav.cfg", "tav.cfg.tmp-", "tav.cfg.tmp-4242", "tav.cfg.tmp-4242-", "tav.cfg.tmp--1",
          "tav.cfg.tmp-12-3-4", "tav.cfg.tmp-1x-2", "tav.cfg.tmp-1-2 ", "tav.cfg.bak-1-2",
          "colors.dat.tmp-1-2", "xtav.cfg.tmp-1-2", "tav.cfg.tmp-1-2/x"})
        EXPECT_FALSE(IsTemporaryFileOf(name, "tav.cfg")) << name;
}

// A file the user picks is written in place (UserFiles.AreWrittenIntoNotReplaced has the
// kinds of file). A FIFO is refused at once while nobody reads it; with a reader, every
// byte goes in however long the reader leaves the pipe full.
using UserFileTest = AtomicFileTest;

TEST_F(UserFileTest, AFifoIsRefusedWithoutAReaderAndWaitsForOne) {
    const std::string fifo = At("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(WriteUserFile(fifo, "x"), UserFileResult::NotOpened);
    // A device that takes no bytes, and cannot be synced either, is not written.
    EXPECT_EQ(WriteUserFile("/dev/full", "x"), UserFileResult::NotWritten);

    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    const int capacity = ::fcntl(reader, F_GETPIPE_SZ);
    const std::string bytes(static_cast<std::size_t>(capacity) * 4, 'p');
    std::string received;
    std::thread drain([&] {
        // Reads nothing until the writer has filled the pipe, then everything to the end.
        int queued = 0;
        for (int k = 0; k < 1000 && (::ioctl(reader, FIONREAD, &queued) != 0 || queued < capacity);
             ++k)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ::fcntl(reader, F_SETFL, 0);
        char buffer[4096];
        for (ssize_t n; (n = ::read(reader, buffer, sizeof buffer)) > 0;)
            received.append(buffer, static_cast<std::size_t>(n));
    });
    EXPECT_EQ(WriteUserFile(fifo, bytes), UserFileResult::Written);
    drain.join();
    ::close(reader);
    EXPECT_TRUE(received == bytes) << received.size() << " of " << bytes.size() << " bytes";
}

// A game to connect to, from a link or two words, and the refusals of what it cannot be.
TEST(QuickGame, AddressesAndRefusals) {
    const auto game = [](const char* host, int port) {
        return std::optional<QuickGame>(QuickGame{host, host, port});
    };
    const std::tuple<const char*, const char*, std::optional<QuickGame>> addresses[] = {
        {"telnet://mud.example.org:4000", "", game("mud.example.org", 4000)},
        {"telnet://10.0.0.2/", "", game("10.0.0.2", 23)},
        {"mud.example.org", "2860", game("mud.example.org", 2860)},
        {"telnet://a.b:40000/", "", game("a.b", 40000)}, // the dialog refuses the port
        {"telnet://a.b:x", "", std::nullopt},
        {"telnet://:23", "", std::nullopt},
        {"telnet://a.b", "23", std::nullopt},
        {"mud.example.org", "", std::nullopt},
        {"http://a.b", "23", std::nullopt},
        {"a/b", "23", std::nullopt},
    };
    for (const auto& [first, second, expected] : addresses)
        EXPECT_EQ(QuickGameFromAddress(first, second), expected) << first << " " << second;

    const std::string name = "The game's name names its profile: 2 to 63 characters, not \".\" "
                             "or \"..\", without '/' or control characters.";
    const std::string login = "The character and the password must be at most 78 characters.";
    const std::pair<QuickGame, std::optional<std::string>> games[] = {
        {{"Aa", "mud.example.org", 31999, true, 65535, std::string(78, 'c'), "pw"}, {}},
        {{"A", "h"}, name},
        {{"a/b", "h"}, name},
        {{"Aa", ""}, "You must enter the game's host."},
        {{"Aa", "a b"}, "The host must be a name or address of at most 78 characters."},
        {{"Aa", "h", 32000}, "Invalid port."},
        {{"Aa", "h", 23, true, 65536}, "Invalid secure port."},
        {{"Aa", "h", 23, false, 0, "ann\nlook"}, login},
        {{"Aa", "h", 23, false, 0, "", std::string(79, 'p')}, login},
    };
    for (const auto& [quick, refusal] : games)
        EXPECT_EQ(CheckQuickGame(quick), refusal) << quick.name << " " << quick.host;
}

// The profile's files read back as they were made; a character given logs in at connect.
TEST(QuickGame, ProfileFilesReadBackAndACharacterLogsIn) {
    const TempDir temp({"profiles/Aa"});
    const std::string dir = temp.path.string() + "/profiles/Aa";
    QuickProfile made =
        MakeQuickProfile({"Aa", "maze.example.org", 4000, true, 4443, "ann", "", true});
    ASSERT_TRUE(WriteQuickProfile(dir, made));
    EXPECT_EQ(LoadProfileOptions(dir + "/options.cfg"), made.options);
    EXPECT_EQ(std::tuple(made.options.tlsPort, made.options.connectLogin), std::tuple(4443, true));
    EXPECT_NE(ReadBytes(dir + "/tav.cfg").find("user:ann\r\npasswd:\r\n"), std::string::npos);
    EXPECT_EQ(made.settings.autoterm, 1);
    EXPECT_EQ(fs::status(dir + "/tav.cfg").permissions() & fs::perms::group_read, fs::perms::none);
    EXPECT_EQ(MakeQuickProfile({"Aa", "h"}).settings.autoterm, 0);

    // A link finds the listed profile of its host (any letter case) and port.
    const ProfileStore store(temp.path.string());
    EXPECT_EQ(FindGameProfile(store, {"x", "maze.example.org", 4000}), std::nullopt)
        << "no list yet";
    std::ofstream(temp.path / "profiles.cfg") << "Aa\n";
    EXPECT_EQ(FindGameProfile(store, {"x", "MAZE.example.org", 4000}), "Aa");
    EXPECT_EQ(FindGameProfile(store, {"x", "maze.example.org", 4001}), std::nullopt);
    EXPECT_EQ(FindGameProfile(store, {"x", "maze.example", 4000}), std::nullopt);
}

} // namespace
} // namespace tav::test
