#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace tav {

// The one conversion between the program's bytes (what the screens, the settings files
// and the wire hold) and the text Qt shows: each byte is the Latin-1 character of its
// value, so every byte shows and comes back unchanged.
inline QString Latin1ToQString(std::string_view bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// True when every character of text has a Latin-1 byte (and so survives the way back).
inline bool IsLatin1(const QString& text) {
    for (const QChar c : text)
        if (c.unicode() > 0xFF) return false;
    return true;
}

// The bytes of text; a character outside Latin-1 becomes '?'. Callers that must not
// lose such characters check IsLatin1 first.
inline std::string QStringToLatin1(const QString& text) {
    return text.toLatin1().toStdString();
}

} // namespace tav
