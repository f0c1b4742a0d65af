#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

class ClientRequests;
class MessageBoxes;
class PendingEdit;

// What the server's edit requests and the multi-line send have in common, without a
// window: the texts the edit dialog starts from, the bytes that go back, and the flow
// that answers a parked `edit_request`.
//
// The editor works in LF line ends; the game gets CR LF. Texts here are bytes (what the
// wire and the screens hold); the dialog converts them to and from Latin-1 characters.

// Size of the text buffer the server expects, its NUL included: a reply of up to
// kEditTextBytes - 1 bytes is always accepted.
inline constexpr std::size_t kEditTextBytes = 16384;
// The heading field holds at most this many bytes.
inline constexpr std::size_t kEditHeadingBytes = 255;

inline constexpr std::string_view kNoEditBlockMessage =
    "Edit request received, but no block to edit.";
inline constexpr std::string_view kMultiLinePrompt = "Enter multi-line text, hit done to send:";

// The heading shown for a request: every CR and LF becomes a space (one line), at most
// kEditHeadingBytes.
std::string EditHeading(std::string_view text1);

// Server or user text for the editor: CR LF, LF CR and a lone CR each become one LF.
std::string ToEditorLineEnds(std::string_view bytes);
// Editor text for the game: every LF becomes CR LF (a CR LF already there stays one).
std::string ToGameLineEnds(std::string_view editorText);

// The most bytes a finished edit may send: the buffer the server expects, or the received
// text's own length (also in CR LF line ends) when that is longer, so that a long text
// always goes back whole.
std::size_t EditByteLimit(std::string_view received);

// Runs the edit dialog for one text. Returns the edited text (LF line ends) when the
// user finished with "Done", nothing when the dialog was closed otherwise.
class EditDialogRunner {
public:
    virtual ~EditDialogRunner() = default;
    virtual std::optional<std::string>
    RunEditDialog(std::string_view heading, std::string_view editorText, std::size_t byteLimit) = 0;
};

enum class EditOutcome {
    NoRequest, // the slot was empty: the error box was shown
    Answered,  // the reply was handed to the connection (which may have been down)
};

// Answers the parked `edit_request`: runs the dialog with its heading and text, empties
// the slot, then sends the reply, so a request that arrives at once after the reply is
// parked rather than refused. A dialog closed without "Done", or finished with the text
// as it was, sends the received bytes unchanged; "Done" after a change sends the edited
// text with CR LF line ends. The reply is sent however the dialog ends.
EditOutcome AnswerEditRequest(PendingEdit& pending, ClientRequests& requests,
                              EditDialogRunner& dialog, MessageBoxes& boxes);

} // namespace tav
