// The function-key dialog driven like a user: real widgets offscreen.
#include "settings/FKeyDialog.h"
#include "tests/app/AppTestSupport.h"
#include "tests/settings/SettingsTestSupport.h"
#include "tests/support/WidgetLookup.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QtTest/QTest>
#include <gtest/gtest.h>

namespace tav::test {
namespace {

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

} // namespace
} // namespace tav::test
