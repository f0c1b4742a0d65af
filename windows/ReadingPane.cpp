#include "windows/ReadingPane.h"

#include "screen/qt/ScreenWidget.h"
#include "windows/Divider.h"

#include <algorithm>

namespace tav {

ReadingPane::ReadingPane(const Settings& settings, StoredValues& stored,
                         const QString& dividerTitle, QWidget* window)
    : screen_(std::make_unique<TMudScreen>(settings)) {
    divider_ = new Divider(Qt::Horizontal, window);
    divider_->setWindowTitle(dividerTitle);
    divider_->setAccessibleName(dividerTitle);

    screen_->queueLines = false;
    screen_->ResetScreen(kScreenLines);
    screen_->autowrap = false;
    screen_->appendcr = true;
    screen_->smoothscroll = false;
    screen_->explicitmode = true;
    widget_ = new ScreenWidget(*screen_, settings, stored.mudcolors, window);
    // Lines are kept whole (autowrap off): a text wider than the window is scrolled to.
    widget_->SetHorizontalScroll(true);
    widget_->setWindowTitle(QStringLiteral("TavClient MudScreen"));
    widget_->setAccessibleName(widget_->windowTitle());
}

ReadingPane::~ReadingPane() {
    delete widget_;
}

int ReadingPane::Place(int listTop, int w, int h) {
    if (dividerTop_ < 0) dividerTop_ = h / 2 - kDividerThickness / 2;
    const int highest = listTop + kMinPane;
    const int lowest = std::max(highest, h - kMargin - kMinPane - kDividerThickness);
    dividerTop_ = std::clamp(dividerTop_, highest, lowest);

    divider_->setGeometry(0, dividerTop_, w, kDividerThickness);
    const int textTop = dividerTop_ + kDividerThickness;
    widget_->SetScreenRect(
        QRect(kMargin, textTop, std::max(0, w - 2 * kMargin), std::max(0, h - kMargin - textTop)),
        true);
    return dividerTop_;
}

} // namespace tav
