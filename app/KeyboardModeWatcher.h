#pragma once

#include <QObject>

#include <functional>

namespace tav {

// Tells when the lock keys' states may have changed: a lock key went down or up in this
// program, or one of its windows became active (the user may have pressed a lock key in
// another program meanwhile). Several such events in a row give one call, from the event
// loop. It watches the whole application from its creation on.
class KeyboardModeWatcher : public QObject {
    Q_OBJECT
public:
    explicit KeyboardModeWatcher(std::function<void()> changed, QObject* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Schedule();

    std::function<void()> changed_;
    bool scheduled_ = false;
};

} // namespace tav
