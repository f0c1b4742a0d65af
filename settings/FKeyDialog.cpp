#include "settings/FKeyDialog.h"

#include "settings/Latin1Refusal.h"
#include "settings/Latin1Text.h"
#include "settings/OneLineValidator.h"
#include "settings/ProfileText.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstring>
#include <vector>

namespace tav {

namespace {

constexpr std::size_t kMenuKey = 9; // F10

} // namespace

fkeydlg::fkeydlg(StoredValues& stored, QWidget* parent) : QDialog(parent), stored_(stored) {
    setWindowTitle(QStringLiteral("TavClient Function Key Assignments"));
    setAccessibleName(windowTitle());

    auto* title = new QLabel(
        QStringLiteral("Enter function key assignments, use semicolon (;) for newlines:"), this);
    title->setTextFormat(Qt::PlainText);
    auto* form = new QFormLayout;
    for (std::size_t key = 0; key < kFunctionKeyCount; ++key) {
        auto* field = new QLineEdit(this);
        field->setMaxLength(static_cast<int>(kFunctionKeySize - 1));
        // The label says it: ';' is the line break of a function-key text.
        field->setValidator(new OneLineValidator(field, QLatin1Char(';')));
        if (key == kMenuKey) {
            field->setReadOnly(true);
            field->setAlignment(Qt::AlignHCenter);
            field->setPlaceholderText(QStringLiteral("(menu shortcut)"));
        }
        field->setAccessibleName(QStringLiteral("F%1").arg(key + 1));
        form->addRow(QStringLiteral("F%1").arg(key + 1), field);
        fields_[key] = field;
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

int fkeydlg::Run() {
    for (std::size_t key = 0; key < kFunctionKeyCount; ++key)
        fields_[key]->setText(StoredToQString(stored_.fkeys[key]));
    fields_[0]->setFocus();
    return exec();
}

void fkeydlg::done(int result) {
    if (result == Accepted) {
        const std::vector<QWidget*> fields(fields_.begin(), fields_.end());
        if (RefuseUnstorable(this, fields, "a function key")) return;
        for (std::size_t key = 0; key < kFunctionKeyCount; ++key) {
            const std::string text = QStringToStored(fields_[key]->text());
            char(&slot)[kFunctionKeySize] = stored_.fkeys[key];
            std::memset(slot, 0, sizeof slot);
            std::size_t length = std::min(text.size(), sizeof slot - 1);
            // UTF-8 is cut before a character, never inside one.
            if (ProfileTextUtf8())
                while (length > 0 && length < text.size() &&
                       (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
                    --length;
            std::memcpy(slot, text.data(), length);
        }
    }
    QDialog::done(result);
}

} // namespace tav
