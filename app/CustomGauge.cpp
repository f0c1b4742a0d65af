#include "app/CustomGauge.h"

#include "screen/qt/ScreenFonts.h"

#include <QPainter>

namespace tav {

namespace {

constexpr int kMaxValue = 100;

// The caption's font: "Small Fonts" with a character height of 14 (a negative stored
// height is a character height).
QFont CaptionFont() {
    FontSpec spec{};
    CopyField(spec.face, "Small Fonts");
    spec.height = -14;
    return FontFromSpec(spec);
}

} // namespace

TCustomGauge::TCustomGauge(QWidget* parent) : QWidget(parent) {
    setFixedSize(kWidth, kHeight);
}

QString TCustomGauge::CaptionText() const {
    if (caption_.isEmpty()) return {};
    QString text = caption_;
    text.replace(QStringLiteral("%d"), QString::number(value_));
    text.replace(QStringLiteral("%%"), QStringLiteral("%"));
    return text;
}

void TCustomGauge::SetValue(int value) {
    value_ = std::clamp(value, 0, kMaxValue);
    update();
}

void TCustomGauge::SetCaption(const QString& caption) {
    caption_ = caption;
    update();
}

int TCustomGauge::ProgressPercent(long long received, long long total) {
    if (total < kMinShownBytes || received == total) return -1;
    auto percent =
        static_cast<long long>(static_cast<double>(received) / static_cast<double>(total) * 100.0);
    return (percent >= 0 && percent < kMaxValue) ? static_cast<int>(percent) : -1;
}

void TCustomGauge::ShowProgress(long long received, long long total) {
    int percent = ProgressPercent(received, total);
    if (percent < 0) {
        caption_.clear();
        value_ = 0;
    } else {
        caption_ = QStringLiteral("%d%%");
        value_ = percent;
    }
    // The caller may be busy receiving: paint now.
    repaint();
}

void TCustomGauge::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    QRect inner = rect().adjusted(kMargin, kMargin, -kMargin, -kMargin);
    int filled = inner.width() * value_ / kMaxValue;
    QRect bar(inner.left(), inner.top(), filled, inner.height());
    QRect rest(inner.left() + filled, inner.top(), inner.width() - filled, inner.height());
    QColor face = palette().color(QPalette::Button);
    painter.fillRect(rect(), face);
    painter.fillRect(bar, barColor_);

    QString text = CaptionText();
    if (text.isEmpty()) return;
    painter.setFont(CaptionFont());
    painter.setClipRect(bar);
    painter.setPen(face);
    painter.drawText(inner, Qt::AlignCenter, text);
    painter.setClipRect(rest);
    painter.setPen(barColor_);
    painter.drawText(inner, Qt::AlignCenter, text);
}

} // namespace tav
