#include "settings/Latin1Refusal.h"

#include "settings/Latin1Text.h"
#include "settings/ProfileText.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>

namespace tav {

namespace {

QString TextOf(QWidget* field) {
    if (auto* line = qobject_cast<QLineEdit*>(field)) return line->text();
    if (auto* plain = qobject_cast<QPlainTextEdit*>(field)) return plain->toPlainText();
    return {};
}

bool Refuse(QWidget* owner, std::span<QWidget* const> fields, std::string_view what,
            bool (*storable)(const QString&)) {
    for (QWidget* field : fields) {
        if (storable(TextOf(field))) continue;
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Error..."),
                        Latin1ToQString(OnlyLatin1Message(what)), QMessageBox::Ok, owner);
        box.setTextFormat(Qt::PlainText);
        box.exec();
        field->setFocus();
        return true;
    }
    return false;
}

} // namespace

bool RefuseNonLatin1(QWidget* owner, std::span<QWidget* const> fields, std::string_view what) {
    return Refuse(owner, fields, what, &IsLatin1);
}

bool RefuseUnstorable(QWidget* owner, std::span<QWidget* const> fields, std::string_view what) {
    return Refuse(owner, fields, what, &StorableText);
}

} // namespace tav
