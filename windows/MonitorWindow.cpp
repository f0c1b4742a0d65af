#include "windows/MonitorWindow.h"

#include "client/ClientWindows.h"

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace tav {

namespace {

constexpr int kGaugeLeft = 10;
constexpr int kGaugeTops[] = {12, 35, 57};
constexpr int kGaugeWidth = 190;
constexpr int kGaugeHeight = 16;
constexpr int kCaptionLeft = kGaugeLeft + kGaugeWidth + 8;
constexpr int kRowTop = 82;
constexpr const char* kCaptions[] = {"Hit", "Mana", "Move"};

void Paint(QProgressBar& bar, GaugeReading reading) {
    const ColorRef color = GaugeColor(reading.band);
    QPalette palette = bar.palette();
    palette.setColor(QPalette::Highlight, QColor(RedOf(color), GreenOf(color), BlueOf(color)));
    bar.setPalette(palette);
    bar.setValue(reading.percent);
}

} // namespace

tmonitor::tmonitor(Rect& stored, QWidget* owner) : ToolWindow("TavClient Monitor", stored, owner) {
    for (std::size_t i = 0; i < bars_.size(); ++i) {
        auto* bar = new QProgressBar(this);
        bar->setRange(0, 100);
        bar->setTextVisible(false);
        bar->setGeometry(kGaugeLeft, kGaugeTops[i], kGaugeWidth, kGaugeHeight);
        bar->setAccessibleName(kCaptions[i]);
        auto* caption = new QLabel(kCaptions[i], this);
        caption->move(kCaptionLeft, kGaugeTops[i]);
        caption->setBuddy(bar);
        bars_[i] = bar;
        Paint(*bar, readings_[i]);
    }
    auto* close = new QPushButton("Close", this);
    close->setAccessibleName("Close");
    close->move(kGaugeLeft, kRowTop);
    onTop_ = new QCheckBox("Always on top", this);
    onTop_->setAccessibleName("Always on top");
    onTop_->move(close->x() + close->sizeHint().width() + 16, kRowTop + 4);
    close->resize(close->sizeHint());
    onTop_->resize(onTop_->sizeHint());
    const QRect used = childrenRect();
    setMinimumSize(used.right() + 1 + kGaugeLeft, used.bottom() + 1 + kGaugeLeft);
    resize(minimumSize());

    connect(close, &QPushButton::clicked, this, &tmonitor::hide);
    // The state is the window's own: no stored value keeps it.
    connect(onTop_, &QCheckBox::clicked, this, [this](bool checked) { SetTopmost(checked); });
}

int tmonitor::IndexOf(int gaugeId) {
    switch (gaugeId) {
    case kHitGauge: return 0;
    case kManaGauge: return 1;
    case kMoveGauge: return 2;
    default: return -1;
    }
}

void tmonitor::SetGauge(int gaugeId, int value, int maximum) {
    const int index = IndexOf(gaugeId);
    if (index < 0) return;
    readings_[index] = ReadGauge(value, maximum);
    Paint(*bars_[index], readings_[index]);
}

QProgressBar* tmonitor::Gauge(int gaugeId) const {
    const int index = IndexOf(gaugeId);
    return index < 0 ? nullptr : bars_[index];
}

GaugeReading tmonitor::Reading(int gaugeId) const {
    const int index = IndexOf(gaugeId);
    return index < 0 ? GaugeReading{} : readings_[index];
}

} // namespace tav
