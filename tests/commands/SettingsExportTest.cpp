#include "commands/ProfileBundle.h"

#include "settings/TextMode.h"
#include "tests/support/TempDir.h"
#include "triggers/TriggerList.h"

#include <gtest/gtest.h>

#include <cstring>

namespace tav {
namespace {

using Lines = std::vector<std::string>;

struct Profiles {
    test::TempDir dir{{"profiles/a", "profiles/b"}};
    std::string root = dir.path.string();
    TriggerList triggersA{root + "/profiles"};
    TriggerList triggersB{root + "/profiles"};
    StoredValues storedA{};
    StoredValues storedB{};

    std::string Bytes(const char* file) const {
        return ReadFileBytes(root + "/profiles/" + file).value_or("<missing>");
    }
    void Write(const char* file, std::string_view bytes) const {
        ASSERT_TRUE(WriteFileAtomically(root + "/profiles/" + file, bytes));
    }
};

TEST(SettingsExportTest, AnExportImportedIntoAnEmptyProfileWritesTheSameFilesInEitherEncoding) {
    Profiles p;
    p.Write("a/trigs.ndx", "%1 tells you %2\r\nsay hi\r\r\nwave \xE9\r\r\n#\r\nhungry\r\n#\r\n");
    p.Write("a/custbut.ndx", "L\r\nlook\r\r\n#\r\nEmpty\r\n#\r\n");
    p.Write("a/aliases.cfg", "# mine\r\nk=kill %1\r\n");
    ASSERT_TRUE(p.triggersA.LoadTriggers("a"));
    std::strcpy(p.storedA.fkeys[0], "n;s;");
    std::strcpy(p.storedA.fkeys[11], "say \xE9;");
    const std::vector<CommandTimer> timers = {{"heal", 60, true, "cast heal"}};

    const std::string text =
        FormatSettingsExport(ReadProfileBundle({p.root, "a", p.triggersA, p.storedA}, timers));
    EXPECT_NE(text.find("reaction=wave \xC3\xA9\n"), std::string::npos); // UTF-8
    const SettingsImport imported = ParseSettingsImport(text);
    EXPECT_EQ(imported.refused, Lines{});
    const ImportOutcome outcome = ApplyImport({p.root, "b", p.triggersB, p.storedB}, {}, imported);

    EXPECT_EQ(p.Bytes("b/trigs.ndx"), p.Bytes("a/trigs.ndx"));
    EXPECT_EQ(p.Bytes("b/custbut.ndx"), p.Bytes("a/custbut.ndx"));
    EXPECT_EQ(std::memcmp(p.storedA.fkeys, p.storedB.fkeys, sizeof p.storedA.fkeys), 0);
    EXPECT_TRUE(outcome.functionKeysChanged);
    EXPECT_EQ(outcome.timers, timers);
    // A new alias file is written as the aliases dialog writes one: its note, then the lines.
    const std::string aliases = p.Bytes("b/aliases.cfg");
    EXPECT_TRUE(aliases.starts_with("# Aliases: name=body.") &&
                aliases.ends_with("\r\nk=kill %1\r\n"))
        << aliases;

    // A profile that keeps UTF-8 exports its texts as they are and takes any character back.
    Profiles u;
    const std::string trigs = "\xE5\x8C\x97 %1\r\nsay \xE2\x86\x92\r\r\n#\r\n";
    u.Write("a/trigs.ndx", trigs);
    ASSERT_TRUE(u.triggersA.LoadTriggers("a"));
    const std::string utf8 =
        FormatSettingsExport(ReadProfileBundle({u.root, "a", u.triggersA, u.storedA, true}, {}));
    EXPECT_NE(utf8.find("trigger=\xE5\x8C\x97 %1\nreaction=say \xE2\x86\x92\n"), std::string::npos);
    ApplyImport({u.root, "b", u.triggersB, u.storedB, true}, {}, ParseSettingsImport(utf8, true));
    EXPECT_EQ(u.Bytes("b/trigs.ndx"), trigs);
}

TEST(SettingsExportTest, ImportReplacesByNameAddsTheRestAndRefusesWhatCannotBeKept) {
    Profiles p;
    // Actions of the profile's triggers survive the import that rewrites the list.
    p.triggersB.SetActions(p.triggersB.AddTrigger("hungry", "eat\r\n"), {.group = "food"});
    const std::vector<CommandTimer> timers = {{"heal", 60, true, "cast heal"}};
    const std::string file = "[triggers]\n"
                             "trigger=hungry\nreaction=eat bread\n"
                             "trigger=thirsty\nreaction=#drink\n" +
                             ("trigger=" + std::string(256, 'x') + "\nreaction=x\n") +
                             "trigger=tired\nreaction=sleep\r\n" // a CR LF line end is one too

                             "[timers]\ntimer=heal|30|off|\ntimer=bad|0|on|x\n"
                             "[colours]\nred=1\n"
                             "[buttons]\nbutton=B\ncommand=bash\n"
                             "[function keys]\nF13=x\nF2=flee;\n"
                             "stray \xFF\n";
    const ImportOutcome outcome =
        ApplyImport({p.root, "b", p.triggersB, p.storedB}, timers, ParseSettingsImport(file));
    EXPECT_EQ(outcome.report,
              (Lines{"Refused line 4: a line beginning with '#' cannot be kept",
                     "Refused line 6: a pattern is at most 255 characters",
                     "Refused line 12: not a timer of 1 to 86400 seconds with a short command",
                     "Refused line 13: an unknown section: its lines are not read",
                     "Refused line 14: outside a section",
                     "Refused line 19: not a function key F1 to F12",
                     "Refused line 21: not UTF-8 text of Latin-1 characters",
                     "Trigger replaced: hungry", "Trigger added: tired", "Timer replaced: heal",
                     "Button added: B", "Function key F2 added"}));
    EXPECT_EQ(p.Bytes("b/trigs.ndx"), "hungry\r\neat bread\r\r\n#\r\ntired\r\nsleep\r\r\n#\r\n");
    EXPECT_EQ(p.triggersB.At(0).Actions().group, "food");
    EXPECT_NE(p.Bytes("b/trigs.act").find("group=food"), std::string::npos);
    EXPECT_EQ(p.Bytes("b/custbut.ndx"), "B\r\nbash\r\r\n#\r\n");
    EXPECT_EQ(outcome.timers, (std::vector<CommandTimer>{{"heal", 30, false, ""}}));
    EXPECT_STREQ(p.storedB.fkeys[1], "flee;");
    // A pattern of 255 characters, the most a trigger may have, is kept.
    const std::string longest(255, 'y');
    const ImportOutcome kept =
        ApplyImport({p.root, "b", p.triggersB, p.storedB}, timers,
                    ParseSettingsImport("[triggers]\ntrigger=" + longest + "\nreaction=y\n"));
    EXPECT_EQ(kept.report, (Lines{"Trigger added: " + longest}));
}

} // namespace
} // namespace tav
