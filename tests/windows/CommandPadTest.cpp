// The command pad against a real Client connection to a loopback game.
#include "windows/CommandPad.h"

#include "client/MessageType.h"
#include "tests/app/AppTestSupport.h"
#include "tests/client/ConnectionTestSupport.h"
#include "tests/support/WidgetLookup.h"

#include <QCheckBox>
#include <QMainWindow>

namespace tav::test {
namespace {

struct CommandPadFixture : ::testing::Test {
    ConnectionRig rig;
    QMainWindow owner;
    Rect rect{};
    std::unique_ptr<tmudcon> pad;
    ModalScript script;

    void SetUp() override {
        ASSERT_TRUE(rig.ConnectAndLogin());
        pad = std::make_unique<tmudcon>(*rig.connection, rect, &owner);
        pad->PlaceStored(false);
        pad->Toggle();
    }
    std::vector<std::string> Sent() {
        std::vector<std::string> words;
        for (const ClientMessage& frame : rig.ReadFrames(std::chrono::milliseconds(150))) {
            EXPECT_EQ(frame.Type(), static_cast<std::int32_t>(OutgoingType::command));
            words.emplace_back(frame.Text1());
        }
        return words;
    }
    QPushButton* Button(const QString& name) { return Named<QPushButton>(pad.get(), name); }
};

TEST_F(CommandPadFixture, EveryButtonAndTheFieldSendWholeCommands) {
    EXPECT_EQ(pad->windowTitle(), "TavClient MUDCom");
    std::vector<std::string> expected;
    for (const PadButton& b : kPadButtons) {
        QPushButton* button = Button(b.label[0] != '\0' ? b.label : "Return");
        ASSERT_NE(button, nullptr) << b.label;
        button->click();
        expected.emplace_back(b.word);
    }
    EXPECT_EQ(Sent(), expected);
    EXPECT_TRUE(pad->isVisible()) << "the pad stays open";

    // The field sends whole commands or nothing.
    QLineEdit& field = pad->Field();
    struct Step {
        const char* what;
        QString text;
        bool clearOnSend;
        std::vector<std::string> sent;
        QString fieldAfter;
        bool refused;
    };
    const QString longest(127, 'x');
    const Step steps[] = {
        {"kept without clear on send", "say hi", false, {"say hi"}, "say hi", false},
        {"cleared with it", "look sword", true, {"look sword"}, "", false},
        {"empty: nothing sent", "", true, {}, "", false},
        {"127 bytes fit", longest, true, {longest.toStdString()}, "", false},
        {"128 refused whole", longest + "y", true, {}, longest + "y", true},
        {"8-bit text as its Latin-1 bytes",
         QString::fromLatin1("say caf\xe9"),
         true,
         {"say caf\xe9"},
         "",
         false},
        {"beyond Latin-1 refused", QString("say \u20ac"), true, {}, QString("say \u20ac"), true},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        pad->ClearOnSend().setChecked(step.clearOnSend);
        field.setText(step.text);
        QString said;
        if (step.refused) script.Then(AnswerBox(&said));
        QTest::keyClick(&field, Qt::Key_Return);
        EXPECT_TRUE(script.Done());
        EXPECT_EQ(said.startsWith("Warning... | "), step.refused) << said.toStdString();
        EXPECT_EQ(Sent(), step.sent);
        EXPECT_EQ(field.text(), step.fieldAfter);
    }
    // Send does what Enter does.
    pad->ClearOnSend().setChecked(false);
    field.setText("score");
    pad->SendButton().click();
    pad->SendButton().click();
    EXPECT_EQ(Sent(), (std::vector<std::string>{"score", "score"}));
    Button("Close")->click();
    EXPECT_FALSE(pad->isVisible());
}

} // namespace
} // namespace tav::test
