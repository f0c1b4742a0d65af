#include "screen/qt/ScreenAnnouncer.h"

#include "screen/qt/GameText.h"

#include "screen/qt/ScreenWidget.h"

#include <QAccessible>

namespace tav {

ScreenAnnouncer::ScreenAnnouncer(ScreenWidget& screen, IntervalClock& clock,
                                 AnnouncementLimits limits, QObject* parent)
    : QObject(parent), screen_(screen), throttle_(clock, limits),
      listening_([] { return QAccessible::isActive(); }) {
    sink_ = [this](int position, const QString& text) {
        QAccessibleTextInsertEvent event(&screen_, position, text);
        QAccessible::updateAccessibility(&event);
    };
    summaryTimer_.setSingleShot(true);
    connect(&summaryTimer_, &QTimer::timeout, this, [this] {
        if (auto summary = throttle_.Tick()) Announce(*summary);
        ArmTimer();
    });
}

void ScreenAnnouncer::LineCompleted(std::string_view line) {
    if (!listening_()) return;
    for (const std::string& text : throttle_.Offer(line))
        Announce(text);
    ArmTimer();
}

void ScreenAnnouncer::ArmTimer() {
    if (throttle_.HoldingBack() && !summaryTimer_.isActive())
        summaryTimer_.start(throttle_.MsUntilSummary());
}

void ScreenAnnouncer::Announce(const std::string& text) {
    const TMudScreen& model = screen_.Screen();
    const int position = screen_.TextMap().LineStart(model.BufferLine());
    sink_(position, ScreenTextToQString(text, model.Encoding()) + QLatin1Char('\n'));
}

} // namespace tav
