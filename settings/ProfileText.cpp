#include "settings/ProfileText.h"

#include "settings/Latin1Text.h"

namespace tav {

namespace {

bool profileTextUtf8 = false;

} // namespace

void SetProfileTextUtf8(bool utf8) {
    profileTextUtf8 = utf8;
}

bool ProfileTextUtf8() {
    return profileTextUtf8;
}

QString StoredToQString(std::string_view bytes) {
    if (profileTextUtf8) {
        const QByteArray raw(bytes.data(), static_cast<qsizetype>(bytes.size()));
        const QString text = QString::fromUtf8(raw);
        if (text.toUtf8() == raw) return text;
    }
    return Latin1ToQString(bytes);
}

std::string QStringToStored(const QString& text) {
    return profileTextUtf8 ? text.toUtf8().toStdString() : QStringToLatin1(text);
}

bool StorableText(const QString& text) {
    return profileTextUtf8 || IsLatin1(text);
}

} // namespace tav
