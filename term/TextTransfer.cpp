#include "term/TextTransfer.h"

#include "term/TermSession.h"
#include "term/TerminalLog.h"

namespace tav {

namespace {
constexpr std::string_view kCrLf = "\r\n";
}

void PasteToGame(TermSession& session, MessageBoxes& boxes,
                 const std::optional<std::string>& clipboard, bool lineEnd) {
    if (!clipboard)
        boxes.ShowMessage(kNoClipboardText, kErrorTitle);
    else if (!clipboard->empty())
        session.SendText(*clipboard);
    if (lineEnd) session.SendText(kCrLf);
}

void SelectionToGame(TermSession& session, const std::optional<std::string>& selection,
                     bool lineEnd) {
    if (selection) session.SendText(session.GameBytes(*selection));
    if (lineEnd) session.SendText(kCrLf);
}

} // namespace tav
