#include "app/StatusBar.h"
#include "settings/Latin1Text.h"

#include "app/ConnectionIndicator.h"
#include "app/CustomGauge.h"
#include "app/KeyboardModeWatcher.h"

#include <QFrame>
#include <QLabel>
#include <QThread>

namespace tav {

namespace {

constexpr int kGadgetPointSize = 8;
// The text fields are five average characters wide, enough for "80 x 24" and "Hidden"
// in the small gadget font, and grow when a text needs more.
constexpr int kTextFieldChars = 5;
constexpr int kSeparatorWidth = 4;
// What the lock indicators show while their locks are on: Caps, Num and Scroll Lock.
constexpr std::array<const char*, 3> kModeTexts = {"CAPS", "NUM", "SCRL"};

} // namespace

StatusBar::StatusBar(QWidget* parent) : QStatusBar(parent) {
    QFont gadgetFont = font();
    gadgetFont.setPointSize(kGadgetPointSize);
    setFont(gadgetFont);
    setSizeGripEnabled(true);

    message_ = new QLabel(QStringLiteral("TavClient client status..."), this);
    message_->setTextFormat(Qt::PlainText);
    // A long message is cut, never a reason for the main window to grow.
    message_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    addWidget(message_, 1);
    AddSeparator();
    latency_ = AddTextField(QStringLiteral("999 ms"));
    AddSeparator();
    cursor_ = AddTextField(QStringLiteral("0,0"));
    AddSeparator();
    size_ = AddTextField(QStringLiteral("80 x 24"));
    AddSeparator();
    gauge_ = new TCustomGauge(this);
    addPermanentWidget(gauge_);
    AddSeparator();
    term_ = new ConnectionIndicator(ConnectionIndicator::Picture::Term, this);
    term_->setToolTip(QStringLiteral("TavTerm"));
    addPermanentWidget(term_);
    client_ = new ConnectionIndicator(ConnectionIndicator::Picture::Client, this);
    client_->setToolTip(QStringLiteral("TavClient"));
    addPermanentWidget(client_);
    AddModeIndicators();
    RefreshKeyboardModes();
    // Screen readers read each field's text as its name and say what the field is.
    const std::pair<QWidget*, const char*> fields[] = {{message_, "Message"},
                                                       {latency_, "Latency"},
                                                       {cursor_, "Cursor position"},
                                                       {size_, "Screen size"},
                                                       {gauge_, "Transfer"},
                                                       {term_, "TavTerm connection"},
                                                       {client_, "TavClient connection"}};
    for (const auto& [field, what] : fields)
        field->setAccessibleDescription(QString::fromLatin1(what));
    term_->setAccessibleName(QStringLiteral("TavTerm"));
    client_->setAccessibleName(QStringLiteral("TavClient"));
    gauge_->setAccessibleName(QStringLiteral("Transfer"));
    // Lock keys are watched through key and activation events: a state changed while
    // another program had the keyboard is read when this one becomes active again.
    new KeyboardModeWatcher([this] { RefreshKeyboardModes(); }, this);
}

void StatusBar::AddModeIndicators() {
    const QFontMetrics metrics(font());
    for (std::size_t i = 0; i < modes_.size(); ++i) {
        const QString text = QString::fromLatin1(kModeTexts[i]);
        auto* label = new QLabel(this);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignCenter);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setAccessibleName(text);
        label->setFixedWidth(metrics.horizontalAdvance(text) + 2 * label->frameWidth() + 6);
        label->hide();
        addPermanentWidget(label);
        modes_[i] = label;
    }
}

void StatusBar::ShowKeyboardModes(const std::optional<KeyboardModes>& modes) {
    const bool on[] = {modes && modes->caps, modes && modes->num, modes && modes->scroll};
    for (std::size_t i = 0; i < modes_.size(); ++i) {
        QLabel* label = modes_[i];
        label->setText(on[i] ? QString::fromLatin1(kModeTexts[i]) : QString());
        label->setVisible(modes.has_value());
    }
}

void StatusBar::RefreshKeyboardModes() {
    ShowKeyboardModes(ReadKeyboardModes());
}

QLabel* StatusBar::AddTextField(const QString& initial) {
    auto* label = new QLabel(initial, this);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignCenter);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    QFontMetrics metrics(font());
    label->setMinimumWidth(std::max(metrics.averageCharWidth() * kTextFieldChars,
                                    metrics.horizontalAdvance(QStringLiteral("80 x 24"))) +
                           2 * label->frameWidth() + 4);
    addPermanentWidget(label);
    return label;
}

void StatusBar::AddSeparator() {
    auto* gap = new QWidget(this);
    gap->setFixedWidth(kSeparatorWidth);
    addPermanentWidget(gap);
}

void StatusBar::SetMessageText(std::string_view text) {
    OnUiThread([this, t = Latin1ToQString(text)] { message_->setText(t); });
}

void StatusBar::SetLatencyText(std::string_view text) {
    OnUiThread([this, t = Latin1ToQString(text)] { latency_->setText(t); });
}

void StatusBar::SetCursorText(std::string_view text) {
    OnUiThread([this, t = Latin1ToQString(text)] { cursor_->setText(t); });
}

void StatusBar::SetSizeText(std::string_view text) {
    OnUiThread([this, t = Latin1ToQString(text)] { size_->setText(t); });
}

void StatusBar::ShowTermState(bool connected) {
    OnUiThread([this, connected] { term_->SetImage(connected ? 1 : 0); });
}

void StatusBar::ShowTermSecure(bool secure) {
    OnUiThread([this, secure] {
        if (secure)
            term_->SetImage(2);
        else if (term_->Image() == 2)
            term_->SetImage(1);
        const QString words =
            secure ? QStringLiteral("TavTerm (secure connection)") : QStringLiteral("TavTerm");
        term_->setToolTip(words);
        term_->setAccessibleName(words);
    });
}

void StatusBar::ShowClientState(bool connected) {
    OnUiThread([this, connected] { client_->SetImage(connected ? 1 : 0); });
}

void StatusBar::ShowProgress(long long received, long long total) {
    OnUiThread([this, received, total] { gauge_->ShowProgress(received, total); });
}

QString StatusBar::MessageText() const {
    return message_->text();
}
QString StatusBar::LatencyText() const {
    return latency_->text();
}
QString StatusBar::CursorText() const {
    return cursor_->text();
}
QString StatusBar::SizeText() const {
    return size_->text();
}

} // namespace tav
