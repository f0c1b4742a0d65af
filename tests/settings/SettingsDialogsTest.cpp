// The colour, function-key and profile dialogs driven like a user: real widgets offscreen,
// real files.
#include "settings/ColorDialog.h"
#include "settings/FKeyDialog.h"
#include "settings/ProfileDialogs.h"
#include "settings/ProfileSession.h"
#include "settings/ProfileStore.h"
#include "settings/SettingsFile.h"
#include "tests/app/AppTestSupport.h"
#include "tests/settings/SettingsTestSupport.h"
#include "tests/support/WidgetLookup.h"

#include <QApplication>
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

std::string LittleEndian(std::initializer_list<ColorRef> colors) {
    std::string bytes;
    for (ColorRef c : colors)
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(static_cast<char>((c >> shift) & 0xFF));
    return bytes;
}

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

    TempDir dir{{"profiles/hero"}};
    StoredValues values = StoredValues::Defaults();
    Settings settings{};
    Recorder recorder;
};

TEST_F(ColorDialogTest, ChosenColoursReachColorsDat) {
    mcolordlg dialog(values.mudcolors, values.custcolors, nullptr);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "TavTerm MUD Color Selection Dialog");
    for (std::size_t i = 0; i < kMudColorCount; ++i)
        EXPECT_EQ(dialog.Swatch(i)->grab().toImage().pixelColor(10, 10), QColor(Qt::black))
            << "no colors.dat: every swatch black (" << i << ")";

    Choose(dialog, "Bold Blue", QColor(0x12, 0x34, 0x56), QColor(1, 1, 1));
    EXPECT_EQ(values.mudcolors[9], 0x00563412u);
    EXPECT_EQ(dialog.Swatch(9)->grab().toImage().pixelColor(10, 10), QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(dialog.Swatch(9)->accessibleName(), "Bold Blue colour");
    EXPECT_EQ(dialog.Swatch(9)->accessibleDescription(), "#123456");

    Choose(dialog, "Red", QColor(255, 0, 0), QColor(2, 2, 2));
    Choose(dialog, "Cyan", QColor::fromHsv(240, 255, 255), QColor(3, 3, 3)); // stored as RGB
    Choose(dialog, "Gray", std::nullopt, QColor(0xAA, 0xBB, 0xCC));
    EXPECT_EQ(values.mudcolors[14], 0u) << "Cancel leaves the entry";
    ButtonText(&dialog, "Close")->click();

    SettingsFile file(settings, values, recorder, recorder, recorder, dir.path.string());
    ASSERT_TRUE(file.SaveColors("hero"));
    std::string expected = LittleEndian({0x000000, 0x000001, 0x000002, 0x000003, 0x000004, 0xCCBBAA,
                                         0x000006, 0x000007, 0x000008, 0x000009, 0x00000A, 0x00000B,
                                         0x00000C, 0x00000D, 0x00000E, 0x00000F});
    expected += LittleEndian({0x0000FF, 0, 0, 0, 0, 0xFF0000, 0, 0, 0, 0x563412, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(ReadBytes(dir.path / "profiles/hero/colors.dat"), expected);
}

// The field a label names, as a screen reader finds it.
QLineEdit* Labelled(QWidget* root, const QString& label) {
    for (QLabel* l : root->findChildren<QLabel*>())
        if (l->text() == label) return qobject_cast<QLineEdit*>(l->buddy());
    return nullptr;
}

class FKeyDialogTest : public ::testing::Test {
protected:
    FKeyDialogTest() {
        Set(values.fkeys[0], "look");
        Set(values.fkeys[1], "score;inventory");
        Set(values.fkeys[9], "menu text");
    }
    // Runs the dialog; `edit` changes the fields before `button` is clicked.
    int Run(const std::function<void(QWidget*)>& edit, const QString& button) {
        fkeydlg dialog(values, nullptr);
        ModalScript script;
        script.Then([&](QWidget* modal) {
            edit(modal);
            ButtonText(modal, button)->click();
        });
        return dialog.Run();
    }

    StoredValues values = StoredValues::Defaults();
};

// Cancel changes nothing; OK stores what is typed, one line each.
TEST_F(FKeyDialogTest, CancelKeepsAndOkStoresWhatIsTypedOneLineEach) {
    const StoredValues before = values;
    const auto changeAll = [](QWidget* modal) {
        for (int key = 1; key <= 12; ++key)
            Labelled(modal, QStringLiteral("F%1").arg(key))->setText("changed");
    };
    EXPECT_EQ(Run(changeAll, "Cancel"), QDialog::Rejected);
    EXPECT_TRUE(SameBytes(before, values));

    QStringList shown;
    const int result = Run(
        [&](QWidget* modal) {
            for (int key = 1; key <= 12; ++key)
                shown << Labelled(modal, QStringLiteral("F%1").arg(key))->text();
            QLineEdit* f10 = Labelled(modal, "F10");
            EXPECT_TRUE(f10->isReadOnly());
            EXPECT_EQ(f10->placeholderText(), "(menu shortcut)");
            QTest::keyClick(Labelled(modal, "F1"), Qt::Key_End);
            QTest::keyClicks(Labelled(modal, "F1"), ";n");
            // Pasted lines become the ';' that sends each: CR LF, CR and LF alike.
            QApplication::clipboard()->setText("get all\r\nsay done\rwho\n");
            Labelled(modal, "F3")->paste();
            QTest::keyClicks(Labelled(modal, "F3"), "x");
            Labelled(modal, "F12")->setText(QString(300, 'k'));
            QTest::keyClicks(f10, "x"); // read-only: nothing changes
        },
        "OK");
    EXPECT_EQ(result, QDialog::Accepted);
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
