// The colour, function-key and profile dialogs driven like a user: real widgets offscreen,
// real files.
#include "settings/ColorDialog.h"
#include "settings/FKeyDialog.h"
#include "settings/MoreOptionsDialog.h"
#include "settings/ProfileDialogs.h"
#include "settings/ProfileSession.h"
#include "settings/ProfileStore.h"
#include "tests/app/AppTestSupport.h"
#include "tests/settings/SettingsTestSupport.h"
#include "tests/support/WidgetLookup.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QColorDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>

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
        std::vector<QColor> ours;
        for (ColorRef c : values.custcolors)
            ours.push_back(ToQColor(c));
        ModalScript script;
        script.Then([&](QWidget* modal) {
            auto* chooser = qobject_cast<QColorDialog*>(modal);
            ASSERT_NE(chooser, nullptr);
            for (int i = 0; i < 16; ++i)
                EXPECT_EQ(QColorDialog::customColor(i), ours[i]) << "copied in: " << i;
            QColorDialog::setCustomColor(5, custom5);
            if (color) {
                chooser->setCurrentColor(*color);
                chooser->accept();
            } else {
                chooser->reject();
            }
        });
        ButtonText(&dialog, entry)->click();
        EXPECT_TRUE(WaitFor([&] { return script.Done(); }));
        EXPECT_EQ(ToQColor(values.custcolors[5]), custom5) << "copied back";
    }

    StoredValues values = StoredValues::Defaults();
};

TEST_F(ColorDialogTest, ChosenColoursReachTheStoredValues) {
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
    std::vector<ColorRef> mud(kMudColorCount, 0), custom;
    mud[5] = MakeColor(0, 0, 255);
    mud[9] = MakeColor(0x12, 0x34, 0x56);
    for (std::size_t i = 0; i < kCustomColorCount; ++i)
        custom.push_back(i == 5 ? MakeColor(0xAA, 0xBB, 0xCC)
                                : MakeColor(static_cast<int>(i), 0, 0));
    EXPECT_EQ(std::vector(std::begin(values.mudcolors), std::end(values.mudcolors)), mud);
    EXPECT_EQ(std::vector(std::begin(values.custcolors), std::end(values.custcolors)), custom);
}

// The field a label names, as a screen reader finds it.
QLineEdit* Labelled(QWidget* root, const QString& label) {
    for (QLabel* l : root->findChildren<QLabel*>())
        if (l->text() == label) return qobject_cast<QLineEdit*>(l->buddy());
    return nullptr;
}

// Full colour is one box, named by its words, and kept in the
// options the dialog gives back with everything else as it was.
TEST(MoreOptionsDialogTest, TheFullColourBoxChoosesTheColourMode) {
    ProfileOptions options;
    options.encoding = TextEncoding::Utf8;
    MoreOptionsDialog dialog(options, nullptr);
    QCheckBox& box = dialog.FullColourBox();
    EXPECT_EQ(box.accessibleName(), "Full colour (256 colours, true colour, backgrounds)");
    EXPECT_FALSE(box.isChecked());
    box.click();
    options.colours = ColourMode::Full;
    EXPECT_EQ(dialog.Options(), options);
    EXPECT_TRUE(MoreOptionsDialog(options, nullptr).FullColourBox().isChecked());
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
    return [name, offered](QWidget* w) {
        auto* dialog = qobject_cast<QInputDialog*>(w);
        ASSERT_NE(dialog, nullptr) << w->metaObject()->className();
        if (offered) *offered = dialog->textValue();
        dialog->setTextValue(name);
        dialog->accept();
    };
}
ModalScript::Step InDialog(std::function<void(tprofdlg&)> act) {
    return [act](QWidget* w) {
        auto* dialog = qobject_cast<tprofdlg*>(w);
        ASSERT_NE(dialog, nullptr) << w->metaObject()->className();
        act(*dialog);
    };
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
    script.Then(InDialog([](tprofdlg& d) {
        d.List().setCurrentRow(1); // hero
        d.DeleteButton().click();
    }));
    script.Then(AnswerBox(nullptr, QMessageBox::Yes));
    script.Then(InDialog([&](tprofdlg& d) {
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

} // namespace
} // namespace tav::test
