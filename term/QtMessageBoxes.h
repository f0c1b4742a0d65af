#pragma once

#include "term/TermServices.h"

class QWidget;

namespace tav {

// Modal message boxes with one OK button, owned by a window: "Error..." boxes show the
// error icon, every other title (such as "Warning...") the warning icon.
class QtMessageBoxes final : public MessageBoxes {
public:
    explicit QtMessageBoxes(QWidget* owner) : owner_(owner) {}
    void ShowMessage(std::string_view text, std::string_view title) override;

private:
    QWidget* owner_;
};

} // namespace tav
