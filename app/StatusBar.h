#pragma once

#include "app/StatusBarSink.h"

#include <QStatusBar>

class QLabel;

namespace tav {

class ConnectionIndicator;
class TCustomGauge;

// The main frame's status bar: the message area (the latest log line; a menu hint while
// a menu is open), then the latency, cursor-position and screen-size texts, the transfer
// gauge and the Term and Client indicators. Calls from another thread are queued to the
// user-interface thread.
class StatusBar : public QStatusBar, public StatusBarSink {
    Q_OBJECT
public:
    explicit StatusBar(QWidget* parent = nullptr);

    void SetMessageText(std::string_view text) override;
    void SetLatencyText(std::string_view text) override;
    void SetCursorText(std::string_view text) override;
    void SetSizeText(std::string_view text) override;
    void ShowTermState(bool connected) override;
    void ShowClientState(bool connected) override;
    void ShowProgress(long long received, long long total) override;

    QString MessageText() const;
    QString LatencyText() const;
    QString CursorText() const;
    QString SizeText() const;
    TCustomGauge& Gauge() { return *gauge_; }
    ConnectionIndicator& TermIndicator() { return *term_; }
    ConnectionIndicator& ClientIndicator() { return *client_; }

private:
    QLabel* AddTextField(const QString& initial);
    void AddSeparator();
    // Runs fn now on the user-interface thread, or queues it there.
    template <typename Fn> void OnUiThread(Fn fn);

    QLabel* message_ = nullptr;
    QLabel* latency_ = nullptr;
    QLabel* cursor_ = nullptr;
    QLabel* size_ = nullptr;
    TCustomGauge* gauge_ = nullptr;
    ConnectionIndicator* term_ = nullptr;
    ConnectionIndicator* client_ = nullptr;
};

} // namespace tav
