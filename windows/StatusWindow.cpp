#include "windows/StatusWindow.h"

#include "screen/qt/ScreenFonts.h"
#include "settings/Settings.h"
#include "windows/StatusBars.h"

#include <QPainter>

namespace tav {

namespace {

// "Small Fonts", 12 pixels.
constexpr int kStatusFontHeight = -12;

QFont StatusFont() {
    FontSpec spec{};
    CopyField(spec.face, "Small Fonts");
    spec.height = kStatusFontHeight;
    spec.width = 0;
    return FontFromSpec(spec);
}

} // namespace

StatusWindow::StatusWindow(QWidget* parent) : QWidget(parent) {
    setWindowTitle("TavClient StatWin");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFont(StatusFont());
}

void StatusWindow::SetStatus(int hit, int hitMax, int mana, int manaMax, int move, int moveMax) {
    hit_ = hit;
    hitMax_ = hitMax;
    mana_ = mana;
    manaMax_ = manaMax;
    move_ = move;
    moveMax_ = moveMax;
    update();
}

void StatusWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    painter.setPen(Qt::white);
    painter.setFont(font());
    const QFontMetrics metrics(font());
    for (const StatusBar& bar :
         ComputeStatusBars(hit_, hitMax_, mana_, manaMax_, move_, moveMax_)) {
        if (!bar.shown) continue;
        if (bar.length > 0)
            painter.fillRect(QRect(kStatusBarLeft, bar.top, bar.length, kStatusBarHeight),
                             QColor(RedOf(bar.color), GreenOf(bar.color), BlueOf(bar.color)));
        // The label's top at the row top.
        painter.drawText(
            QPoint(0, bar.top + metrics.ascent()),
            QString::fromLatin1(bar.label.data(), static_cast<qsizetype>(bar.label.size())));
    }
}

} // namespace tav
