#pragma once

#include "app/SignalPipe.h"

#include <QObject>

#include <initializer_list>
#include <memory>

class QSocketNotifier;

namespace tav {

// Brings the given signals into the Qt event loop: `received` is emitted on the thread
// that made the bridge, from the loop, never from the handler. Caught signals go through
// a SignalPipe watched by a QSocketNotifier.
class SignalBridge final : public QObject {
    Q_OBJECT
public:
    explicit SignalBridge(std::initializer_list<int> caught, QObject* parent = nullptr);
    ~SignalBridge() override;
    bool Ok() const { return pipe_.Ok(); }

signals:
    void received(int signal);

private:
    void Drain();

    SignalPipe pipe_;
    // Held here, not as a Qt child, so that it goes before the pipe it watches.
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace tav
