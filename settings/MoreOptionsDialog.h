#pragma once

#include "settings/ProfileOptions.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QSpinBox;
class QRadioButton;

namespace tav {

// "More options...": the profile's options that tav.cfg has no place for (the text
// encoding of the Term connection, reconnecting automatically, telnet negotiation and
// prompts at GA/EOR, TLS, full colour, the command separator and the speedwalk prefix of
// typed lines, Tab completion, long input lines, pasting into the input line, a game of
// another kind). It edits a copy; the caller takes Options() only when the dialog was
// accepted.
class MoreOptionsDialog : public QDialog {
    Q_OBJECT
public:
    MoreOptionsDialog(const ProfileOptions& options, QWidget* parent);

    ProfileOptions Options() const;

    QRadioButton& EncodingButton(TextEncoding encoding) const;
    QCheckBox& ReconnectBox() const { return *reconnect_; }
    QCheckBox& NegotiateBox() const { return *negotiate_; }
    QCheckBox& GaPromptsBox() const { return *gaPrompts_; }
    QCheckBox& TlsBox() const { return *tls_; }
    QSpinBox& TlsPortBox() const { return *tlsPort_; }
    QLineEdit& SeparatorField() const { return *separator_; }
    QLineEdit& SpeedwalkField() const { return *speedwalk_; }
    QCheckBox& FullColourBox() const { return *fullColour_; }
    QCheckBox& TabCompleteBox() const { return *tabComplete_; }
    QCheckBox& LongLinesBox() const { return *longLines_; }
    QCheckBox& PasteToInputBox() const { return *pasteToInput_; }
    QCheckBox& OtherGameBox() const { return *otherGame_; }
    QCheckBox& ConnectLoginBox() const { return *connectLogin_; }
    QCheckBox& WideScreenBox() const { return *wideScreen_; }

private:
    QRadioButton* sevenBit_ = nullptr;
    QRadioButton* latin1_ = nullptr;
    QRadioButton* utf8_ = nullptr;
    QRadioButton* gb18030_ = nullptr;
    QRadioButton* big5_ = nullptr;
    QCheckBox* reconnect_ = nullptr;
    QCheckBox* negotiate_ = nullptr;
    QCheckBox* gaPrompts_ = nullptr;
    QCheckBox* tls_ = nullptr;
    QSpinBox* tlsPort_ = nullptr;
    QLineEdit* separator_ = nullptr;
    QLineEdit* speedwalk_ = nullptr;
    QCheckBox* fullColour_ = nullptr;
    QCheckBox* tabComplete_ = nullptr;
    QCheckBox* longLines_ = nullptr;
    QCheckBox* pasteToInput_ = nullptr;
    QCheckBox* otherGame_ = nullptr;
    QCheckBox* connectLogin_ = nullptr;
    QCheckBox* wideScreen_ = nullptr;
    ProfileOptions options_; // keeps the options this dialog does not show
};

} // namespace tav
