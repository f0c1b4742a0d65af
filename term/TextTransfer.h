#pragma once

#include <optional>
#include <string>

namespace tav {

class MessageBoxes;
class TermSession;

inline constexpr const char* kNoClipboardText = "No text available in the clipboard.";
inline constexpr const char* kNothingSelected = "Nothing selected.";

// Sends the clipboard's text (already in the game's bytes) to the game as one byte run with its own
// line ends; nothing on the clipboard (no plain text) is said with a message. With lineEnd a CR LF
// follows, also when there was nothing to send.
void PasteToGame(TermSession& session, MessageBoxes& boxes,
                 const std::optional<std::string>& clipboard, bool lineEnd);

// Sends the selected screen text (its lines joined by CR LF) in the session's encoding, if any,
// then with lineEnd a CR LF as for the paste.
void SelectionToGame(TermSession& session, const std::optional<std::string>& selection,
                     bool lineEnd);

} // namespace tav
