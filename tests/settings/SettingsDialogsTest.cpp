// The configuration, colour, function-key and profile dialogs driven like a user: real
// widgets offscreen, real files.
#include "settings/ColorDialog.h"
#include "settings/ConfigDialog.h"
#include "settings/ConfigValidation.h"
#include "settings/FKeyDialog.h"
#include "settings/MoreOptionsDialog.h"
#include "settings/PlayerCommand.h"
#include "settings/ProfileDialogs.h"
#include "settings/ProfileSession.h"
#include "settings/ProfileStore.h"
#include "tests/app/AppTestSupport.h"
#include "tests/settings/SettingsTestSupport.h"
#include "tests/support/WidgetLookup.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QColorDialog>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <string>

namespace tav::test {
namespace {

class ColorDialogTest : public ::testing::Test {
protected:
    ColorDialogTest() {
        for (std::size_t i = 0; i < kCustomColorCount; ++i)
            values.custcolors[i] = MakeColor(static_cast<int>(i), 0, 0);
    }
    // Clicks an entry's button and answers the chooser: `color` and OK, or Cancel. The user
    // also changes custom colour 5 to `custom5`.
    void Choose(mcolordlg& dialog, const QString& entry, std::optional<QColor> color,
                QColor custom5) {
        // Another chooser of the program left its own custom colours behind.
        for (int i = 0; i < 16; ++i)
            QColorDialog::setCustomColor(i, Qt::white);
        ModalScript script;
        script.Then(In<QColorDialog>([&](QColorDialog& chooser) {
            for (int i = 0; i < 16; ++i)
                EXPECT_EQ(QColorDialog::customColor(i), ToQColor(values.custcolors[i]))
                    << "copied in: " << i;
            QColorDialog::setCustomColor(5, custom5);
            if (color) {
                chooser.setCurrentColor(*color);
                chooser.accept();
            } else {
                chooser.reject();
            }
        }));
        ButtonText(&dialog, entry)->click();
        EXPECT_TRUE(WaitFor([&] { return script.Done(); }));
        EXPECT_EQ(ToQColor(values.custcolors[5]), custom5) << "copied back";
    }

    StoredValues values = StoredValues::Defaults();
};

TEST_F(ColorDialogTest, ChosenColoursReachTheStoredValues) {
    StoredValues expected = values;
    mcolordlg dialog(values.mudcolors, values.custcolors, nullptr);
    dialog.show();
    Choose(dialog, "Bold Blue", QColor(0x12, 0x34, 0x56), QColor(1, 1, 1));
    EXPECT_EQ(dialog.Swatch(9)->accessibleName(), "Bold Blue colour");
    EXPECT_EQ(dialog.Swatch(9)->accessibleDescription(), "#123456");

    Choose(dialog, "Cyan", QColor::fromHsv(240, 255, 255), QColor(3, 3, 3)); // stored as RGB
    Choose(dialog, "Gray", std::nullopt, QColor(0xAA, 0xBB, 0xCC));
    ButtonText(&dialog, "Close")->click();

    // Only the chosen entries and custom colour 5 changed (Cancel left Gray); colors.dat's
    // layout is the settings file test's.
    expected.mudcolors[5] = MakeColor(0, 0, 255);
    expected.mudcolors[9] = MakeColor(0x12, 0x34, 0x56);
    expected.custcolors[5] = MakeColor(0xAA, 0xBB, 0xCC);
    EXPECT_EQ(std::to_array(values.mudcolors), std::to_array(expected.mudcolors));
    EXPECT_EQ(std::to_array(values.custcolors), std::to_array(expected.custcolors));
}

// The field a label names, as a screen reader finds it.
QLineEdit* Labelled(QWidget* root, const QString& label) {
    for (QLabel* l : root->findChildren<QLabel*>())
        if (l->text() == label) return qobject_cast<QLineEdit*>(l->buddy());
    return nullptr;
}

// Full colour and Tab completion are boxes named by their words, kept in the options the
// dialog gives back with everything else as it was.
TEST(MoreOptionsDialogTest, TheFullColourAndTabBoxesChooseTheirOptions) {
    ProfileOptions options;
    options.encoding = TextEncoding::Utf8;
    MoreOptionsDialog dialog(options, nullptr);
    QCheckBox& box = dialog.FullColourBox();
    EXPECT_EQ(box.accessibleName(), "Full colour (256 colours, true colour, backgrounds)");
    EXPECT_FALSE(box.isChecked());
    box.click();
    EXPECT_EQ(dialog.TabCompleteBox().accessibleName(), "Tab completes words");
    EXPECT_FALSE(dialog.TabCompleteBox().isChecked());
    dialog.TabCompleteBox().click();
    for (QCheckBox* added : {&dialog.LongLinesBox(), &dialog.PasteToInputBox(),
                             &dialog.OtherGameBox(), &dialog.ConnectLoginBox()}) {
        EXPECT_FALSE(added->isChecked());
        added->click();
    }
    EXPECT_EQ(dialog.OtherGameBox().accessibleName(),
              "Another game: no account or player programs needed");
    options.colours = ColourMode::Full;
    options.tabComplete = true;
    options.longLines = options.pasteToInput = options.otherGame = options.connectLogin = true;
    EXPECT_EQ(dialog.Options(), options);
    EXPECT_TRUE(MoreOptionsDialog(options, nullptr).FullColourBox().isChecked());
    EXPECT_TRUE(MoreOptionsDialog(options, nullptr).TabCompleteBox().isChecked());
}

// OK stores what is typed, one line each (Cancel keeps the keys: Latin1FieldsTest).
TEST(FKeyDialogTest, OkStoresWhatIsTypedOneLineEach) {
    StoredValues values = StoredValues::Defaults();
    Set(values.fkeys[0], "look");
    Set(values.fkeys[1], "score;inventory");
    Set(values.fkeys[9], "menu text");
    fkeydlg dialog(values, nullptr);
    QStringList shown;
    ModalScript script;
    script.Then([&](QWidget* modal) {
        for (int key = 1; key <= 12; ++key)
            shown << Labelled(modal, QStringLiteral("F%1").arg(key))->text();
        QLineEdit* f10 = Labelled(modal, "F10");
        EXPECT_EQ(f10->placeholderText(), "(menu shortcut)");
        QTest::keyClick(Labelled(modal, "F1"), Qt::Key_End);
        QTest::keyClicks(Labelled(modal, "F1"), ";n");
        // Pasted lines become the ';' that sends each: CR LF, CR and LF alike.
        QApplication::clipboard()->setText("get all\r\nsay done\rwho\n");
        Labelled(modal, "F3")->paste();
        QTest::keyClicks(Labelled(modal, "F3"), "x");
        Labelled(modal, "F12")->setText(QString(300, 'k'));
        QTest::keyClicks(f10, "x"); // read-only: nothing changes
        ButtonText(modal, "OK")->click();
    });
    EXPECT_EQ(dialog.Run(), QDialog::Accepted);
    EXPECT_EQ(shown.mid(0, 3), (QStringList{"look", "score;inventory", ""})) << "';' shown";
    EXPECT_EQ(shown.at(9), "menu text");
    const std::pair<std::size_t, std::string> expected[] = {{0, "look;n"},
                                                            {1, "score;inventory"},
                                                            {2, "get all;say done;who;x"},
                                                            {9, "menu text"},
                                                            {11, std::string(255, 'k')}};
    for (const auto& [key, text] : expected)
        EXPECT_EQ(std::string(values.fkeys[key]), text) << "F" << key + 1;
}

class ProfileDialogTest : public ::testing::Test {
protected:
    // Directory names in Latin-1 bytes are no valid UTF-8 file names for QTemporaryDir.
    ~ProfileDialogTest() override {
        std::error_code ignored;
        std::filesystem::remove_all(data.Path("profiles").toStdString(), ignored);
    }
    int Run() {
        tprofdlg dialog(store, session);
        return dialog.Run();
    }
    QByteArray List() const { return FileBytes(data.Path("profiles.cfg")); }

    ScratchDataDir data;
    ProfileStore store{data.Path().toStdString()};
    Settings settings{};
    std::string current;
    ProfileRecorder host; // a program that is not running yet: nothing to drive
    ProfileSession session{current, settings, host};
    ModalScript script;
};

ModalScript::Step Type(const QString& name, QString* offered = nullptr) {
    return In<QInputDialog>([name, offered](QInputDialog& dialog) {
        if (offered) *offered = dialog.textValue();
        dialog.setTextValue(name);
        dialog.accept();
    });
}

// toLatin1() makes "??" of both names below; each must be refused, never merged into one
// profile. After a deletion nothing is selected, so Select stays in the dialog until the
// user picks a profile.
TEST_F(ProfileDialogTest, NamesOutsideLatin1AreAskedAgainAndADeletionSelectsNothing) {
    QString error;
    QString offeredAgain;
    script.Then(Type(QString::fromUtf8("名前")));
    script.Then(AnswerBox(&error));
    script.Then(Type(QString::fromUtf8("Zoë"), &offeredAgain));
    EXPECT_EQ(Run(), 1);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(error, "Error... | A profile name can hold only Latin-1 characters.");
    EXPECT_EQ(offeredAgain, QString::fromUtf8("名前"));
    EXPECT_EQ(current, "Zo\xEB"); // Latin-1 bytes, as the list file holds them
    EXPECT_EQ(List(), "Zo\xEB\r\n");
    EXPECT_FALSE(QFile::exists(data.Path("profiles/??")));

    ASSERT_TRUE(
        WriteFileAtomically(data.Path("profiles.cfg").toStdString(), "alt\r\nhero\r\nzed\r\n"));
    current.clear();
    bool stayed = false;
    script.Then(In<tprofdlg>([](tprofdlg& d) {
        d.NewButton().click();
        d.List().setCurrentRow(1); // hero
        d.DeleteButton().click();
    }));
    // New... asks for the name alone: the game dialog has its own button beside it.
    script.Then([](QWidget* w) {
        EXPECT_EQ(ButtonText(w, "Connect to a game..."), nullptr);
        qobject_cast<QDialog*>(w)->reject();
    });
    script.Then(AnswerBox(nullptr, QMessageBox::Yes));
    script.Then(In<tprofdlg>([&](tprofdlg& d) {
        EXPECT_TRUE(d.List().selectedItems().isEmpty());
        d.List().setFocus(); // focus may set a current row, which is no choice
        d.SelectButton().click();
        stayed = d.isVisible();
        d.List().setCurrentRow(1); // zed
        d.SelectButton().click();
    }));
    EXPECT_EQ(Run(), 1);
    EXPECT_TRUE(script.Done());
    EXPECT_TRUE(stayed);
    EXPECT_EQ(current, "zed");
    EXPECT_EQ(List(), "alt\r\nzed\r\n");
}

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
    Settings stored{};
    dialog.Store(stored);
    for (const TextCase& c : kTexts) {
        auto* edit = Control<QLineEdit>(dialog, c.name);
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->text(), QString::fromLatin1(c.field(record))) << c.name;
        EXPECT_EQ(edit->maxLength(), c.digits ? 15 : 255) << c.name;
        EXPECT_STREQ(c.field(stored), c.field(record)) << c.name;
        // The player and bell paths sit beside their check box and button instead.
        const std::string name = c.name;
        EXPECT_EQ(Labelled(&dialog, c.name) == edit,
                  name != "Midi player" && name != "Bell wav file")
            << c.name;
    }
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
