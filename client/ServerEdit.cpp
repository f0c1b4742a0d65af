#include "client/ServerEdit.h"

#include "client/ClientRequests.h"
#include "client/PendingEdit.h"
#include "term/TermServices.h"

#include <algorithm>

namespace tav {

std::string EditHeading(std::string_view text1) {
    std::string heading(text1.substr(0, kEditHeadingBytes));
    std::replace_if(
        heading.begin(), heading.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return heading;
}

std::string ToEditorLineEnds(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n') {
            out.push_back(c);
            continue;
        }
        out.push_back('\n');
        // The other half of a CR LF or LF CR pair belongs to the same line end.
        const char pair = c == '\r' ? '\n' : '\r';
        if (i + 1 < bytes.size() && bytes[i + 1] == pair) ++i;
    }
    return out;
}

std::string ToGameLineEnds(std::string_view editorText) {
    std::string out;
    out.reserve(editorText.size() + editorText.size() / 16);
    for (std::size_t i = 0; i < editorText.size(); ++i) {
        const char c = editorText[i];
        if (c == '\n' && (i == 0 || editorText[i - 1] != '\r')) out.push_back('\r');
        out.push_back(c);
    }
    return out;
}

std::size_t EditByteLimit(std::string_view received) {
    // The editor's game form of the received text (CR LF line ends) may be the longer.
    const std::size_t shown = ToGameLineEnds(ToEditorLineEnds(received)).size();
    return std::max({kEditTextBytes - 1, received.size(), shown});
}

EditOutcome AnswerEditRequest(PendingEdit& pending, ClientRequests& requests,
                              EditDialogRunner& dialog, MessageBoxes& boxes) {
    const std::optional<ClientMessage> request = pending.Current();
    if (!request) {
        boxes.ShowMessage(kNoEditBlockMessage, "Error...");
        return EditOutcome::NoRequest;
    }
    const std::string received(request->DataText());
    const std::string shown = ToEditorLineEnds(received);
    const std::optional<std::string> edited =
        dialog.RunEditDialog(EditHeading(request->Text1()), shown, EditByteLimit(received));
    // A text the user left as it was goes back as it came, its line ends included.
    const bool changed = edited && *edited != shown;
    const std::string reply = changed ? ToGameLineEnds(*edited) : received;
    pending.Clear();
    requests.SendEditReply(reply);
    return EditOutcome::Answered;
}

} // namespace tav
