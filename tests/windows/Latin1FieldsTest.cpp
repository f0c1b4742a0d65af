// Text a dialog cannot store is refused where it is typed: the settings, function keys
// and triggers hold Latin-1 bytes, and anything else would become '?' without a word.
#include "settings/ConfigDialog.h"
#include "settings/FKeyDialog.h"
#include "settings/ProfileText.h"
#include "tests/app/AppTestSupport.h"
#include "tests/support/WidgetLookup.h"
#include "windows/TriggerDialogs.h"

#include <QPlainTextEdit>

#include <cstring>
#include <tuple>

namespace tav::test {
namespace {

void Type(QWidget* dialog, const QString& field, const QString& text) {
    QWidget* widget = Named(dialog, field);
    ASSERT_NE(widget, nullptr) << "no field " << field.toStdString();
    if (auto* line = qobject_cast<QLineEdit*>(widget)) line->setText(text);
    if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) plain->setPlainText(text);
}

TEST(Latin1Fields, OkIsRefusedWhileAFieldHoldsTextOutsideLatin1ButNotInAUtf8Profile) {
    const QString password = QString::fromUtf8("пароль€1");
    Settings settings{};
    StoredValues stored = StoredValues::Defaults();
    TriggerTexts trigger;
    tmarrowcfg config;
    fkeydlg keys(stored, nullptr);
    ttrigedit edit(trigger, nullptr);
    // Each dialog, its field, how it runs, and whether what it would store is still unset.
    const std::tuple<const char*, QString, std::function<int()>, std::function<bool()>> cases[] = {
        {"configuration", QStringLiteral("Password:"), [&] { return config.Run(settings); },
         [&] { return settings.passwd[0] == '\0'; }},
        {"function keys", QStringLiteral("F1"), [&] { return keys.Run(); },
         [&] { return stored.fkeys[0][0] == '\0'; }},
        {"trigger pattern", QStringLiteral("Trigger:"), [&] { return edit.Run(); },
         [&] { return trigger.pattern.empty(); }},
        {"trigger reaction", QStringLiteral("Reaction:"), [&] { return edit.Run(); },
         [&] { return trigger.reaction.empty(); }},
    };
    for (const auto& [what, field, run, unchanged] : cases) {
        SCOPED_TRACE(what);
        std::memset(stored.fkeys[0], 0, sizeof stored.fkeys[0]);
        ModalScript script;
        QString said;
        bool stillOpen = false;
        script.Then([&](QWidget* dialog) {
            Type(dialog, field, password);
            ButtonText(dialog, "OK")->click();
        });
        script.Then(AnswerBox(&said));
        script.Then([&](QWidget* dialog) { // back in the dialog, the text as typed
            stillOpen = true;
            auto* focused = dialog->focusWidget();
            ASSERT_NE(focused, nullptr);
            EXPECT_EQ(focused->accessibleName(), field);
            qobject_cast<QDialog*>(dialog)->reject();
        });
        const int result = run();
        EXPECT_TRUE(WaitFor([&] { return script.Done(); }));
        EXPECT_NE(result, QDialog::Accepted);
        EXPECT_TRUE(stillOpen);
        EXPECT_TRUE(said.contains(QStringLiteral(" | Only Latin-1 characters")))
            << said.toStdString();
        EXPECT_TRUE(unchanged());
    }

    // A profile whose screen holds Unicode characters stores them as UTF-8 and refuses none.
    const QString text = QString::fromUtf8("go \u5317 \u2192 caf\u00E9");
    const std::string utf8 = text.toUtf8().toStdString();
    SetProfileTextUtf8(true);
    const std::tuple<QStringList, std::function<int()>> utf8Cases[] = {
        {{QStringLiteral("F1")}, [&] { return keys.Run(); }},
        {{QStringLiteral("Trigger:"), QStringLiteral("Reaction:")}, [&] { return edit.Run(); }},
    };
    for (const auto& [fields, run] : utf8Cases) {
        ModalScript script;
        script.Then([&](QWidget* dialog) {
            for (const QString& field : fields)
                Type(dialog, field, text);
            ButtonText(dialog, "OK")->click();
        });
        EXPECT_EQ(run(), QDialog::Accepted);
        EXPECT_TRUE(WaitFor([&] { return script.Done(); }));
    }
    SetProfileTextUtf8(false);
    EXPECT_EQ(std::string(stored.fkeys[0]), utf8);
    EXPECT_EQ(trigger.pattern, utf8);
    EXPECT_EQ(trigger.reaction, utf8);
}

} // namespace
} // namespace tav::test
