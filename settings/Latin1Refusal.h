#pragma once

#include <span>
#include <string>
#include <string_view>

class QWidget;

namespace tav {

// What the user is told when a text holds a character that `what` (such as "a custom
// button") cannot store.
inline std::string OnlyLatin1Message(std::string_view what) {
    return "Only Latin-1 characters can be stored in " + std::string(what) + ".";
}

// Refuses text that would not survive being stored: settings, function keys and triggers
// keep bytes, each the Latin-1 character of its value, and any other character would
// become '?'. When one of `fields` (line or plain-text edits) holds such a character,
// says "Only Latin-1 characters can be stored in <what>." in an "Error..." box owned by
// `owner`, gives that field the focus and returns true; the dialog stays open with the
// text as typed.
bool RefuseNonLatin1(QWidget* owner, std::span<QWidget* const> fields, std::string_view what);

// The same for the texts a profile's own files keep (StorableText): nothing is refused in
// a UTF-8 profile.
bool RefuseUnstorable(QWidget* owner, std::span<QWidget* const> fields, std::string_view what);

} // namespace tav
