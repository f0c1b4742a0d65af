#pragma once

#include "app/KeyboardModes.h"
#include "client/StatusBarSink.h"
#include "term/qt/PostedCalls.h"

#include <QStatusBar>

#include <array>
#include <optional>

class QLabel;

namespace tav {

class ConnectionIndicator;
class TCustomGauge;

// The main frame's status bar: the message area (the latest log line; a menu hint while
// a menu is open), then the latency, cursor-position and screen-size texts, the transfer
// gauge, the Term and Client indicators and the Caps Lock, Num Lock and Scroll Lock
// indicators ("CAPS", "NUM", "SCRL" while on; all hidden where the platform cannot tell
// their states). Calls from another thread are queued to the user-interface thread.
class StatusBar : public QStatusBar, public StatusBarSink {
    Q_OBJECT
public:
    explicit StatusBar(QWidget* parent = nullptr);

    void SetMessageText(std::string_view text) override;
    void SetLatencyText(std::string_view text) override;
    void SetCursorText(std::string_view text) override;
    void SetSizeText(std::string_view text) override;
    void ShowTermState(bool connected) override;
    void ShowTermSecure(bool secure) override;
    void ShowClientState(bool connected) override;
    void ShowProgress(long long received, long long total) override;

    QString MessageText() const;
    QString LatencyText() const;
    QString CursorText() const;
    QString SizeText() const;
    TCustomGauge& Gauge() { return *gauge_; }
    // The lock indicators in the order CAPS, NUM, SCRL: their texts are empty while off.
    const std::array<QLabel*, 3>& ModeIndicators() const { return modes_; }
    // Shows the given lock states, or hides the indicators when nothing can be told.
    void ShowKeyboardModes(const std::optional<KeyboardModes>& modes);
    // Reads the states from the platform and shows them.
    void RefreshKeyboardModes();
    ConnectionIndicator& TermIndicator() { return *term_; }
    ConnectionIndicator& ClientIndicator() { return *client_; }

private:
    QLabel* AddTextField(const QString& initial);
    void AddModeIndicators();
    void AddSeparator();
    // Runs fn now on the user-interface thread, or queues it there.
    template <typename Fn> void OnUiThread(Fn fn) { calls_.Run(std::move(fn)); }

    QLabel* message_ = nullptr;
    QLabel* latency_ = nullptr;
    QLabel* cursor_ = nullptr;
    QLabel* size_ = nullptr;
    TCustomGauge* gauge_ = nullptr;
    ConnectionIndicator* term_ = nullptr;
    ConnectionIndicator* client_ = nullptr;
    std::array<QLabel*, 3> modes_{};
    PostedCalls calls_;
};

} // namespace tav
