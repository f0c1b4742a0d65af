#pragma once

#include "windows/ToolWindow.h"

#include <string_view>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace tav {

class ClientRequests;

// One button of the command pad and the word it sends.
struct PadButton {
    const char* label; // empty for the centre of the compass
    std::string_view word;
};

// The pad's buttons: the compass, up and down, and the common game commands.
extern const PadButton kPadButtons[20];

// The MUD command pad: every button sends its word, and "Send" (or Enter in the field)
// sends the field's text, each as one `command` message over the Client connection,
// whether or not it is connected (the connection reports its own failures). A field
// longer than a command message holds is refused with a message, never cut.
class tmudcon : public ToolWindow {
    Q_OBJECT
public:
    // stored: the window's rectangle (not kept in the settings).
    tmudcon(ClientRequests& requests, Rect& stored, QWidget* owner);

    QLineEdit& Field() { return *field_; }
    QCheckBox& ClearOnSend() { return *clearOnSend_; }
    QPushButton& SendButton() { return *send_; }

private:
    void SendField();
    void Refuse(std::string_view why);

    ClientRequests& requests_;
    QLineEdit* field_ = nullptr;
    QCheckBox* clearOnSend_ = nullptr;
    QPushButton* send_ = nullptr;
};

} // namespace tav
