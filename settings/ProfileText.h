#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace tav {

// How the current profile's own files hold what the user writes in the trigger,
// function-key and custom button dialogs: Latin-1 bytes, or UTF-8 in a profile whose
// screen holds Unicode characters. Set when a profile's options are applied; read on the
// user-interface thread only.
void SetProfileTextUtf8(bool utf8);
bool ProfileTextUtf8();

// Stored bytes as the dialogs show them. In a UTF-8 profile bytes that are not UTF-8
// (written before the profile changed its encoding) read as Latin-1.
QString StoredToQString(std::string_view bytes);
// What the dialogs store; only storable text (StorableText) comes back unchanged.
std::string QStringToStored(const QString& text);
// Any text in a UTF-8 profile; Latin-1 text otherwise.
bool StorableText(const QString& text);

} // namespace tav
