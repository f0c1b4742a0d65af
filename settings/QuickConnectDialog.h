#pragma once

#include "settings/QuickGame.h"

#include <QDialog>

#include <optional>

class QCheckBox;
class QLineEdit;
class QSpinBox;

namespace tav {

// "Connect to a game...": the game's name, host and port, TLS with its port, and
// optionally the character and password to log in with. It only asks; the profile
// selection makes the profile (ProfileSelection::Quick).
class QuickConnectDialog : public QDialog {
    Q_OBJECT
public:
    QuickConnectDialog(const QuickGame& game, QWidget* parent);

    // The values typed; nothing when a text holds a character Latin-1 lacks.
    std::optional<QuickGame> Game() const;

    QLineEdit& NameField() const { return *name_; }
    QLineEdit& HostField() const { return *host_; }
    QSpinBox& PortBox() const { return *port_; }
    QCheckBox& TlsBox() const { return *tls_; }
    QSpinBox& TlsPortBox() const { return *tlsPort_; }
    QLineEdit& CharacterField() const { return *character_; }
    QLineEdit& PasswordField() const { return *password_; }
    QCheckBox& ConnectLoginBox() const { return *connectLogin_; }

private:
    QLineEdit* name_ = nullptr;
    QLineEdit* host_ = nullptr;
    QSpinBox* port_ = nullptr;
    QCheckBox* tls_ = nullptr;
    QSpinBox* tlsPort_ = nullptr;
    QLineEdit* character_ = nullptr;
    QLineEdit* password_ = nullptr;
    QCheckBox* connectLogin_ = nullptr;
};

} // namespace tav
