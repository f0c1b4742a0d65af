// The profile selection dialog driven like a user: real widgets offscreen, real files.
#include "settings/ProfileDialogs.h"
#include "settings/ProfileSession.h"
#include "settings/ProfileStore.h"
#include "settings/Settings.h"
#include "tests/app/AppTestSupport.h"
#include "tests/settings/SettingsTestSupport.h"
#include "tests/support/WidgetLookup.h"

#include <QInputDialog>
#include <QListWidget>
#include <gtest/gtest.h>

#include <filesystem>

namespace tav::test {
namespace {

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

// After a deletion nothing is selected, so Select stays in the dialog until the user
// picks a profile.
TEST_F(ProfileDialogTest, DeleteLeavesNothingSelected) {
    QFile file(data.Path("profiles.cfg"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("alt\r\nhero\r\nzed\r\n");
    file.close();

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

// toLatin1() makes "??" of both names below; each must be refused, never merged into
// one profile.
TEST_F(ProfileDialogTest, NamesOutsideLatin1AreRefusedAndAskedAgain) {
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
}

} // namespace
} // namespace tav::test
