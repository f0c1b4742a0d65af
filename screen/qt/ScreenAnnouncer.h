#pragma once

#include "screen/AnnouncementThrottle.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <string>
#include <string_view>

namespace tav {

class ScreenWidget;

// Reads the completed lines of a screen to screen readers as they arrive: each line the
// throttle lets through becomes text inserted at the start of the screen's cursor line,
// and a timer delivers the summary of a burst ("42 more lines"). Nothing is done while
// no assistive technology is listening.
class ScreenAnnouncer final : public QObject {
    Q_OBJECT
public:
    ScreenAnnouncer(ScreenWidget& screen, IntervalClock& clock, AnnouncementLimits limits = {},
                    QObject* parent = nullptr);

    void LineCompleted(std::string_view line);
    // Whether anyone listens; QAccessible::isActive() unless told otherwise (a test on a
    // platform without accessibility).
    void SetListening(std::function<bool()> listening) { listening_ = std::move(listening); }
    // Where announcements go: text inserted at a position of the screen's text, by default
    // as an accessibility event of the screen.
    using Sink = std::function<void(int position, const QString& text)>;
    void SetSink(Sink sink) { sink_ = std::move(sink); }

private:
    void Announce(const std::string& text);
    void ArmTimer();

    ScreenWidget& screen_;
    AnnouncementThrottle throttle_;
    QTimer summaryTimer_;
    std::function<bool()> listening_;
    Sink sink_;
};

} // namespace tav
