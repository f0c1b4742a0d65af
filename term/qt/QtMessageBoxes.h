#pragma once

#include "term/TermServices.h"

#include <string_view>

class QWidget;

namespace tav {

// The icon of a message box.
enum class BoxIcon { Information, Warning, Critical };

// Runs a modal message box with one OK button, owned by `owner`. Title and text are shown
// as they are, never read as markup: both may come from the server or from a file.
void ExecPlainMessageBox(QWidget* owner, BoxIcon icon, std::string_view title,
                         std::string_view text);

// Modal message boxes with one OK button, owned by a window: "Error..." boxes show the
// error icon, every other title (such as "Warning...") the warning icon.
class QtMessageBoxes final : public MessageBoxes {
public:
    explicit QtMessageBoxes(QWidget* owner) : owner_(owner) {}
    void ShowMessage(std::string_view text, std::string_view title) override;
    // Yes and No, No the default; the text is shown as plain text.
    bool AskYesNo(std::string_view text, std::string_view title) override;
    // The buttons in the order given; the text is shown as plain text.
    std::size_t Ask(std::string_view text, std::string_view title,
                    std::span<const std::string_view> buttons, std::size_t defaultButton) override;

private:
    QWidget* owner_;
};

} // namespace tav
