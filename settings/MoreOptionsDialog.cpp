#include "settings/MoreOptionsDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QVBoxLayout>

namespace tav {

namespace {

// A control whose accessible name is its visible words, without the mnemonic mark.
template <typename Control> Control* Named(Control* control) {
    control->setAccessibleName(control->text().remove(QLatin1Char('&')));
    return control;
}

// A named check box with its description for screen readers, ticked as `checked`.
QCheckBox* Choice(const QString& text, const QString& description, bool checked, QWidget* parent) {
    auto* box = Named(new QCheckBox(text, parent));
    box->setAccessibleDescription(description);
    box->setChecked(checked);
    return box;
}

// A field for a few printable characters that mark commands in typed lines.
QLineEdit* CommandMarkField(const std::string& value, const QString& example,
                            const QString& description, QWidget* parent) {
    auto* field = new QLineEdit(QString::fromLatin1(value), parent);
    field->setMaxLength(static_cast<int>(kMaxCommandMark));
    // Printable ASCII but the space and the backslash, which escapes the separator.
    field->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[!-\\[\\]-~]*")), field));
    field->setPlaceholderText(QStringLiteral("off, e.g. ") + example);
    field->setToolTip(description);
    field->setAccessibleDescription(description);
    return field;
}

} // namespace

MoreOptionsDialog::MoreOptionsDialog(const ProfileOptions& options, QWidget* parent)
    : QDialog(parent), options_(options) {
    setWindowTitle(QStringLiteral("TavClient More Options"));
    setAccessibleName(windowTitle());

    auto* encoding = new QGroupBox(QStringLiteral("Text encoding"), this);
    encoding->setAccessibleName(encoding->title());
    encoding->setAccessibleDescription(
        QStringLiteral("How the game's text is read and what you type is sent"));
    sevenBit_ = Named(new QRadioButton(QStringLiteral("&7-bit"), encoding));
    latin1_ = Named(new QRadioButton(QStringLiteral("&Latin-1"), encoding));
    utf8_ = Named(new QRadioButton(QStringLiteral("&UTF-8"), encoding));
    gb18030_ = Named(new QRadioButton(QStringLiteral("&GB18030 (GBK)"), encoding));
    big5_ = Named(new QRadioButton(QStringLiteral("&Big5"), encoding));
    auto* encodingLayout = new QVBoxLayout(encoding);
    for (QRadioButton* button : {sevenBit_, latin1_, utf8_, gb18030_, big5_})
        encodingLayout->addWidget(button);
    EncodingButton(options.encoding).setChecked(true);

    reconnect_ =
        Choice(QStringLiteral("&Reconnect automatically"),
               QStringLiteral("Connect the game again when the server closes the connection"),
               options.autoReconnect, this);

    negotiate_ =
        Choice(QStringLiteral("&Negotiate telnet options"),
               QStringLiteral("Tell other games the window size, terminal type and character set, "
                              "and accept compression and game data (GMCP, MSDP)"),
               options.negotiate, this);
    gaPrompts_ =
        Choice(QStringLiteral("Prompts &end at GA/EOR"),
               QStringLiteral("Give a prompt to triggers and the log when the game marks its end, "
                              "not when its line ends"),
               options.gaPrompts, this);
    gaPrompts_->setEnabled(options.negotiate); // only a negotiated connection reports them
    connect(negotiate_, &QCheckBox::toggled, gaPrompts_, &QWidget::setEnabled);

    // TLS: a check box and the secure port, which is only used while the box is ticked.
    tls_ =
        Choice(QStringLiteral("&Secure connection (TLS)"),
               QStringLiteral("Connect the game's text port with TLS; never in clear text instead"),
               options.tls, this);
    tlsPort_ = new QSpinBox(this);
    tlsPort_->setRange(0, kMaxTlsPort);
    tlsPort_->setSpecialValueText(QStringLiteral("the game port"));
    tlsPort_->setValue(options.tlsPort);
    // Wide enough for its words when it shows no number.
    tlsPort_->setMinimumWidth(
        tlsPort_->fontMetrics().horizontalAdvance(tlsPort_->specialValueText()) +
        tlsPort_->sizeHint().height() * 2);
    tlsPort_->setEnabled(options.tls);
    auto* tlsPortLabel = new QLabel(QStringLiteral("Secure &port:"), this);
    tlsPortLabel->setBuddy(tlsPort_);
    tlsPort_->setAccessibleName(QStringLiteral("Secure port"));
    connect(tls_, &QCheckBox::toggled, tlsPort_, &QWidget::setEnabled);
    auto* tlsRow = new QHBoxLayout;
    tlsRow->addWidget(tls_);
    tlsRow->addWidget(tlsPortLabel);
    tlsRow->addWidget(tlsPort_);

    separator_ = CommandMarkField(
        options.separator, QStringLiteral(";"),
        QStringLiteral("Splits a typed line into several commands, e.g. ';'; a backslash "
                       "before it sends it as text"),
        this);
    speedwalk_ = CommandMarkField(
        options.speedwalk, QStringLiteral("."),
        QStringLiteral("Starts a speedwalk, e.g. '.' so that .3n2e walks north three times "
                       "and east twice"),
        this);
    auto* commandRows = new QFormLayout;
    for (auto [label, field] : {std::pair{QStringLiteral("Co&mmand separator:"), separator_},
                                std::pair{QStringLiteral("Spee&dwalk prefix:"), speedwalk_}}) {
        auto* text = new QLabel(label, this);
        text->setBuddy(field);
        field->setAccessibleName(text->text().remove(QLatin1Char('&')).chopped(1));
        commandRows->addRow(text, field);
    }
    fullColour_ =
        Choice(QStringLiteral("&Full colour (256 colours, true colour, backgrounds)"),
               QStringLiteral("Show every colour and background the game sends, in italic and "
                              "struck-through text too"),
               options.colours == ColourMode::Full, this);
    tabComplete_ = Choice(
        QStringLiteral("&Tab completes words"),
        QStringLiteral("Tab in the input line completes the word typed from the words the game "
                       "showed lately; off, Tab moves to the next control"),
        options.tabComplete, this);
    longLines_ =
        Choice(QStringLiteral("&Long input lines (4,096 characters)"),
               QStringLiteral("Type, keep in the history and send lines of up to 4,096 characters; "
                              "off, 254"),
               options.longLines, this);
    pasteToInput_ = Choice(
        QStringLiteral("&Paste into the input line"),
        QStringLiteral("Ctrl+V puts the clipboard into the input line for editing before Enter; "
                       "off, it is sent to the game at once"),
        options.pasteToInput, this);
    otherGame_ = Choice(
        QStringLiteral("&Another game: no account or player programs needed"),
        QStringLiteral("The configuration takes this profile without a username, password or "
                       "MIDI, MOD and MP3 player programs, which only a TavServer game uses"),
        options.otherGame, this);
    connectLogin_ = Choice(
        QStringLiteral("Log &in with \"connect character password\" (MUSH, MUX, MOO)"),
        QStringLiteral("The automatic login sends the user name and the password on one line "
                       "after \"connect\"; off, on two lines"),
        options.connectLogin, this);
    wideScreen_ = Choice(
        QStringLiteral("Screen as &wide as the window (up to 256 columns)"),
        QStringLiteral("Game lines fill a window wider than 132 columns, and the game is told the "
                       "width; off, lines stop at 132 columns"),
        options.wideScreen, this);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    for (QAbstractButton* button : buttons->buttons())
        Named(button);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(encoding);
    layout->addWidget(reconnect_);
    layout->addWidget(negotiate_);
    layout->addWidget(gaPrompts_);
    layout->addLayout(tlsRow);
    layout->addLayout(commandRows);
    layout->addWidget(fullColour_);
    layout->addWidget(tabComplete_);
    layout->addWidget(longLines_);
    layout->addWidget(pasteToInput_);
    layout->addWidget(otherGame_);
    layout->addWidget(connectLogin_);
    layout->addWidget(wideScreen_);
    layout->addWidget(buttons);
    EncodingButton(options.encoding).setFocus();
}

QRadioButton& MoreOptionsDialog::EncodingButton(TextEncoding encoding) const {
    switch (encoding) {
    case TextEncoding::Latin1: return *latin1_;
    case TextEncoding::Utf8: return *utf8_;
    case TextEncoding::Gb18030: return *gb18030_;
    case TextEncoding::Big5: return *big5_;
    case TextEncoding::SevenBit: break;
    }
    return *sevenBit_;
}

ProfileOptions MoreOptionsDialog::Options() const {
    ProfileOptions options = options_;
    options.encoding = TextEncoding::SevenBit;
    if (latin1_->isChecked()) options.encoding = TextEncoding::Latin1;
    if (utf8_->isChecked()) options.encoding = TextEncoding::Utf8;
    if (gb18030_->isChecked()) options.encoding = TextEncoding::Gb18030;
    if (big5_->isChecked()) options.encoding = TextEncoding::Big5;
    options.autoReconnect = reconnect_->isChecked();
    options.negotiate = negotiate_->isChecked();
    options.gaPrompts = gaPrompts_->isChecked();
    options.tls = tls_->isChecked();
    options.tlsPort = tlsPort_->value();
    options.separator = separator_->text().toStdString();
    options.speedwalk = speedwalk_->text().toStdString();
    options.colours = fullColour_->isChecked() ? ColourMode::Full : ColourMode::Basic;
    options.tabComplete = tabComplete_->isChecked();
    options.longLines = longLines_->isChecked();
    options.pasteToInput = pasteToInput_->isChecked();
    options.otherGame = otherGame_->isChecked();
    options.connectLogin = connectLogin_->isChecked();
    options.wideScreen = wideScreen_->isChecked();
    return options;
}

} // namespace tav
