#include "app/SignalBridge.h"

#include <QSocketNotifier>

namespace tav {

SignalBridge::SignalBridge(std::initializer_list<int> caught, QObject* parent)
    : QObject(parent), pipe_(caught) {
    if (!pipe_.Ok()) return;
    notifier_ = std::make_unique<QSocketNotifier>(pipe_.ReadFd(), QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &SignalBridge::Drain);
}

SignalBridge::~SignalBridge() = default;

void SignalBridge::Drain() {
    for (int signal : pipe_.Take())
        emit received(signal);
}

} // namespace tav
