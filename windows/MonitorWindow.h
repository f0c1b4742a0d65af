#pragma once

#include "windows/GaugeReading.h"
#include "windows/ToolWindow.h"

#include <array>

class QCheckBox;
class QProgressBar;

namespace tav {

// The hit/mana/move monitor: three bars, each the per cent of its maximum, green, yellow
// or red by how low it is, with "Close" and an "Always on top" box that is not stored.
// The Client connection sets the bars (kHitGauge, kManaGauge, kMoveGauge); they keep
// their last values while the window is hidden.
class tmonitor : public ToolWindow {
    Q_OBJECT
public:
    // stored: the rectangle the window is placed at and records into.
    tmonitor(Rect& stored, QWidget* owner);

    // Ids other than the three gauges are ignored.
    void SetGauge(int gaugeId, int value, int maximum);
    // The bar of a gauge id, or null for any other id.
    QProgressBar* Gauge(int gaugeId) const;
    GaugeReading Reading(int gaugeId) const;
    QCheckBox& OnTopBox() { return *onTop_; }

private:
    static int IndexOf(int gaugeId);

    std::array<QProgressBar*, 3> bars_{};
    std::array<GaugeReading, 3> readings_{};
    QCheckBox* onTop_ = nullptr;
};

} // namespace tav
