#include "settings/QuickConnectDialog.h"
#include "settings/Latin1Text.h"
#include "settings/ProfileStore.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace tav {

namespace {

QLineEdit* TextField(const std::string& value, int maxLength, QWidget* parent) {
    auto* field = new QLineEdit(Latin1ToQString(value), parent);
    field->setMaxLength(maxLength);
    // Room for a host name such as a game listing gives.
    field->setMinimumWidth(field->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 32);
    return field;
}

QSpinBox* NumberBox(int value, int min, int max, QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setRange(min, max);
    box->setValue(value);
    return box;
}

} // namespace

QuickConnectDialog::QuickConnectDialog(const QuickGame& game, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("TavClient - Connect to a Game"));
    setAccessibleName(windowTitle());
    const int textMax = static_cast<int>(kMaxQuickText);
    name_ = TextField(game.name, static_cast<int>(kMaxProfileName), this);
    name_->setToolTip(QStringLiteral("Also the name of the profile made for the game"));
    host_ = TextField(game.host, textMax, this);
    host_->setPlaceholderText(QStringLiteral("e.g. game.example.org"));
    port_ = NumberBox(game.port, kMinPort, kMaxPort, this);
    tls_ = new QCheckBox(QStringLiteral("&Secure connection (TLS)"), this);
    tls_->setAccessibleName(QStringLiteral("Secure connection (TLS)"));
    tls_->setChecked(game.tls);
    tlsPort_ = NumberBox(game.tlsPort, 0, kMaxTlsPort, this);
    tlsPort_->setSpecialValueText(QStringLiteral("the game port"));
    tlsPort_->setEnabled(game.tls);
    connect(tls_, &QCheckBox::toggled, tlsPort_, &QWidget::setEnabled);
    character_ = TextField(game.character, textMax, this);
    password_ = TextField(game.password, textMax, this);
    password_->setEchoMode(QLineEdit::Password);
    connectLogin_ = new QCheckBox(
        QStringLiteral("Log &in with \"connect character password\" (MUSH, MUX, MOO)"), this);
    connectLogin_->setAccessibleName(connectLogin_->text().remove(QLatin1Char('&')));
    connectLogin_->setToolTip(
        QStringLiteral("Off, the character and the password are sent as two lines"));
    connectLogin_->setChecked(game.connectLogin);

    auto* form = new QFormLayout;
    const std::pair<QString, QWidget*> rows[] = {
        {QStringLiteral("&Game name:"), name_},
        {QStringLiteral("&Host:"), host_},
        {QStringLiteral("&Port:"), port_},
        {QString(), tls_},
        {QStringLiteral("Secure p&ort:"), tlsPort_},
        {QStringLiteral("&Character (optional):"), character_},
        {QStringLiteral("Pass&word (optional):"), password_},
        {QString(), connectLogin_},
    };
    for (const auto& [label, field] : rows) {
        if (label.isEmpty()) {
            form->addRow(field);
            continue;
        }
        auto* text = new QLabel(label, this);
        text->setBuddy(field);
        field->setAccessibleName(text->text().remove(QLatin1Char('&')).chopped(1));
        form->addRow(text, field);
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Connect"));
    for (QAbstractButton* button : buttons->buttons())
        button->setAccessibleName(button->text().remove(QLatin1Char('&')));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
    setLayout(form);
    (game.name.empty() ? name_ : host_)->setFocus();
}

std::optional<QuickGame> QuickConnectDialog::Game() const {
    QuickGame game;
    const std::pair<QLineEdit*, std::string*> texts[] = {{name_, &game.name},
                                                         {host_, &game.host},
                                                         {character_, &game.character},
                                                         {password_, &game.password}};
    for (const auto& [field, text] : texts) {
        if (!IsLatin1(field->text())) return std::nullopt;
        *text = QStringToLatin1(field == password_ ? field->text() : field->text().trimmed());
    }
    game.port = port_->value();
    game.tls = tls_->isChecked();
    game.tlsPort = game.tls ? tlsPort_->value() : 0;
    game.connectLogin = connectLogin_->isChecked();
    return game;
}

} // namespace tav
