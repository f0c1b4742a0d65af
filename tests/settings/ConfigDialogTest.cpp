// The configuration dialog driven like a user: real widgets offscreen, real files.
#include "settings/ConfigDialog.h"
#include "settings/ConfigValidation.h"
#include "settings/PlayerCommand.h"
#include "tests/app/AppTestSupport.h"
#include "tests/settings/SettingsTestSupport.h"
#include "tests/support/WidgetLookup.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace tav::test {
namespace {

// Every text field: its control's name and the field, in the record's order.
struct TextCase {
    const char* name;
    char* (*field)(Settings&);
    bool digits;
};
#define TAV_FIELD(member) [](Settings& s) -> char* { return s.member; }
const TextCase kTexts[] = {
    {"Midi player", TAV_FIELD(midiplayer), false},
    {"Mod Player:", TAV_FIELD(modplayer), false},
    {"MP3 Player:", TAV_FIELD(mp3player), false},
    {"Username:", TAV_FIELD(user), false},
    {"Password:", TAV_FIELD(passwd), false},
    {"TavServer IP Address:", TAV_FIELD(addy), false},
    {"Port:", TAV_FIELD(port), true},
    {"TavTerm Login Commands (use ; for newline):", TAV_FIELD(logincom), false},
    {"seconds after Term connects.", TAV_FIELD(waitsecs), true},
    {"Scroll lines:", TAV_FIELD(scrolllines), true},
    {"Input buffer lines:", TAV_FIELD(inputlines), true},
    {"Bell wav file", TAV_FIELD(bell), false},
};
#undef TAV_FIELD

struct FlagCase {
    const char* name;
    Flag Settings::*flag;
};
const FlagCase kFlags[] = {
    {"Minimize on edit reply.", &Settings::minimizeonedit},
    {"Midi", &Settings::nomidi},
    {"Mod", &Settings::nomod},
    {"Wav", &Settings::nowav},
    {"Attempt to hide sound players.", &Settings::hideplayers},
    {"Mp3", &Settings::nomp3},
    {"Ignore all server sound queries.", &Settings::ignorequeries},
    {"Main window on top.", &Settings::ontop},
    {"Always download server files.", &Settings::downloadall},
    {"Save password.", &Settings::savepasswd},
    {"Autowrap.", &Settings::autowrap},
    {"Append CR to LF.", &Settings::appendcr},
    {"Smooth scroll.", &Settings::smoothscroll},
    {"Text explicit mode.", &Settings::explicitmode},
    {"Ignore redundant sounds.", &Settings::ignoreredundant},
    {"AutoConnect TavTerm.", &Settings::autoterm},
    {"AutoConnect Client:", &Settings::autoclient},
    {"Wait ", &Settings::waitclient},
    {"Internal MIDI (MCI)", &Settings::midiinternal},
    {"External->", &Settings::midiexternal},
    {"Use custom MUD colors ->", &Settings::customcolors},
    {"No erase on input.", &Settings::noerase},
    {"Never hide pword.", &Settings::neverhidepw},
    {"Visual bell.", &Settings::visualbell},
    {"Board notification.", &Settings::boardnotify},
    {"MultiScreen.", &Settings::multiscreen},
    {"Enhanced Term.", &Settings::enhancedterm},
    {"URL aware.", &Settings::urlaware},
    {"Disable AutoPing.", &Settings::noautoping},
    {"CDM (debug).", &Settings::cdmdebug},
};
const FlagCase kCursor[] = {
    {"None", &Settings::cursornone},
    {"Line", &Settings::cursorline},
    {"Block", &Settings::cursorblock},
};

template <typename T> T* Control(const QWidget& dialog, const char* name) {
    T* found = Named<T>(&dialog, QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << "no control named " << name;
    return found;
}

// One dialog through every step: each text field, box and cursor button reaches its member
// and back, a fresh record empties the fields, every control is labelled and named once,
// each click on the four interlocked boxes goes through the rules, and one-line fields keep
// no line breaks.
TEST(ConfigDialogTest, EveryControlReachesItsMemberAndIsNamed) {
    tmarrowcfg dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("TavClient Configuration"));
    Settings record{};
    int n = 0;
    for (const TextCase& c : kTexts)
        std::strcpy(c.field(record), (std::to_string(++n) + (c.digits ? "" : "\xe9")).c_str());
    dialog.Load(record);
    for (const TextCase& c : kTexts) {
        auto* edit = Control<QLineEdit>(dialog, c.name);
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->text(), QString::fromLatin1(c.field(record))) << c.name;
        EXPECT_EQ(edit->maxLength(), c.digits ? 15 : 255) << c.name;
        bool labelled = false;
        for (QLabel* label : dialog.findChildren<QLabel*>())
            labelled |= label->buddy() == edit && label->text() == QString::fromLatin1(c.name);
        // The player and bell paths sit beside their check box and button instead.
        const std::string name = c.name;
        EXPECT_EQ(labelled, name != "Midi player" && name != "Bell wav file") << c.name;
    }
    Settings stored{};
    dialog.Store(stored);
    for (const TextCase& c : kTexts)
        EXPECT_STREQ(c.field(stored), c.field(record)) << c.name;
    dialog.Load(Settings{});
    std::memset(&stored, 0x55, sizeof stored);
    dialog.Store(stored);
    for (const TextCase& c : kTexts)
        EXPECT_STREQ(c.field(stored), "") << c.name;

    // Alternate patterns catch two boxes that trade places.
    for (std::size_t pattern = 0; pattern < 2; ++pattern) {
        record = Settings{};
        for (std::size_t i = 0; i < std::size(kFlags); ++i)
            record.*kFlags[i].flag = i % 2 == pattern ? 1 : 0;
        dialog.Load(record);
        for (const FlagCase& c : kFlags) {
            auto* box = Control<QCheckBox>(dialog, c.name);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->isChecked(), record.*c.flag != 0) << c.name;
            box->setChecked(!box->isChecked());
        }
        stored = Settings{};
        dialog.Store(stored);
        for (const FlagCase& c : kFlags)
            EXPECT_EQ(stored.*c.flag, record.*c.flag ? 0 : 1) << c.name;
    }
    // The cursor style: one of three, or none at all in a fresh record.
    for (int chosen = -1; chosen < 3; ++chosen) {
        record = Settings{};
        if (chosen >= 0) record.*kCursor[chosen].flag = 1;
        dialog.Load(record);
        stored = Settings{};
        dialog.Store(stored);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(Control<QRadioButton>(dialog, kCursor[i].name)->isChecked(), i == chosen);
            EXPECT_EQ(stored.*kCursor[i].flag, i == chosen ? 1 : 0) << kCursor[i].name;
        }
    }

    // What a screen reader hears for every control: a name, and never one another control
    // has (the three "browse..." buttons say which player they choose).
    QStringList names;
    for (QWidget* w : dialog.findChildren<QWidget*>()) {
        if (qobject_cast<QAbstractButton*>(w) == nullptr && qobject_cast<QLineEdit*>(w) == nullptr)
            continue;
        const QString name = QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
        EXPECT_FALSE(name.isEmpty()) << w->metaObject()->className();
        EXPECT_FALSE(names.contains(name)) << "two controls named " << name.toStdString();
        names << name;
    }
    for (const char* words : {"Browse: MIDI player", "Browse: MOD player", "Browse: MP3 player",
                              "Bell Wav...", "Colors...", "OK", "Cancel", "Password:"})
        EXPECT_TRUE(names.contains(QString::fromLatin1(words))) << words;
    for (QGroupBox* group : dialog.findChildren<QGroupBox*>())
        EXPECT_EQ(QAccessible::queryAccessibleInterface(group)->text(QAccessible::Name),
                  group->title());

    // The interlock rules are the core's; here, that every click reaches them and their
    // answer reaches the boxes.
    dialog.Load(Settings{});
    const ConfigBox boxes[] = {ConfigBox::MidiInternal, ConfigBox::MidiExternal,
                               ConfigBox::AutoClient, ConfigBox::WaitClient};
    const auto states = [&] {
        return ConfigBoxStates{dialog.Box(boxes[0]).isChecked(), dialog.Box(boxes[1]).isChecked(),
                               dialog.Box(boxes[2]).isChecked(), dialog.Box(boxes[3]).isChecked()};
    };
    for (int step : {0, 1, 2, 3, 2, 3, 1, 0, 3}) {
        ConfigBoxStates toggled = states();
        bool* flags[] = {&toggled.midiInternal, &toggled.midiExternal, &toggled.autoClient,
                         &toggled.waitClient};
        *flags[step] = !*flags[step];
        dialog.Box(boxes[step]).click();
        EXPECT_EQ(states(), ApplyConfigInterlock(toggled, boxes[step])) << "box " << step;
    }

    dialog.Load(Settings{});
    auto* login = Control<QLineEdit>(dialog, "TavTerm Login Commands (use ; for newline):");
    auto* port = Control<QLineEdit>(dialog, "Port:");
    Control<QLineEdit>(dialog, "TavServer IP Address:")->setText("mud.example.org\r\nport:1");
    QApplication::clipboard()->setText(QStringLiteral(";1;\nwho;\r\n"));
    login->setFocus();
    login->paste();
    QTest::keyClicks(port, QStringLiteral("4a0-0 0"));
    QTest::keyClicks(port, QStringLiteral("12345678901234567890"));
    dialog.Store(stored);
    EXPECT_STREQ(stored.addy, "mud.example.orgport:1");
    EXPECT_STREQ(stored.logincom, ";1;who;");
    EXPECT_STREQ(stored.port, "400012345678901"); // 15 digits at most
    EXPECT_EQ(login->cursorPosition(), login->text().size());
}

// A player chosen in a folder whose name has a blank is stored as one word: not a program
// named after the folder's first word.
TEST(ConfigDialogTest, ABrowsedPlayerIsWhatRunsFromAFolderWithBlanks) {
    ScratchDataDir data;
    ASSERT_TRUE(QDir(data.Path()).mkdir(QStringLiteral("My Players")));
    const QString player = data.Path(QStringLiteral("My Players/modplay"));
    ASSERT_TRUE(WritePlayer(player));

    tmarrowcfg dialog;
    Settings record{};
    ModalScript script;
    script.Then([&](QWidget* shown) {
        for (QPushButton* b : shown->findChildren<QPushButton*>())
            if (b->accessibleDescription() == QStringLiteral("Choose the MOD player program"))
                b->click();
    });
    script.Then(ChooseFile(player));
    script.Then([](QWidget* shown) { ButtonText(shown, QStringLiteral("OK"))->click(); });
    const QString workingDir = QDir::currentPath();
    ASSERT_EQ(dialog.Run(record), 1);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(QDir::currentPath(), workingDir);

    // Running the words of a player setting is the process runner test's.
    EXPECT_EQ(SplitPlayerCommand(record.modplayer), std::vector{player.toStdString()})
        << record.modplayer;
}

} // namespace
} // namespace tav::test
