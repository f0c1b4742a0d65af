#pragma once

#include "term/qt/PostedCalls.h"

#include <QDialog>

#include <atomic>

class QCloseEvent;
class QPlainTextEdit;
class QPushButton;

namespace tav {

class ClientLog;

// The client log window: a tool window titled "TavClientDlg" that shows the client log's
// text, read-only, with the newest line in view. It follows the log from any thread
// (repaints are queued to its own thread). "Close...", Escape and the window's close
// request only hide it; Toggle shows and hides it, and the log goes on growing while it
// is hidden.
class TmarrowDlgClient final : public QDialog {
    Q_OBJECT
public:
    explicit TmarrowDlgClient(ClientLog& log, QWidget* parent = nullptr);
    ~TmarrowDlgClient() override;

    void Toggle();
    // The log text as shown (for tests).
    QString ShownText() const;
    QPushButton& CloseButton() { return *close_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void Refresh();

    ClientLog& log_;
    QPlainTextEdit* text_ = nullptr;
    QPushButton* close_ = nullptr;
    std::atomic<bool> refreshQueued_{false};
    PostedCalls calls_; // the repaints queued from the network thread
};

} // namespace tav
