#include "windows/TermWindow.h"

#include "screen/ScrollbackSearch.h"
#include "screen/qt/ScreenWidget.h"
#include "term/TermSession.h"
#include "term/qt/InputLine.h"
#include "windows/Divider.h"
#include "windows/FindBar.h"
#include "windows/MapWindow.h"
#include "windows/QtRect.h"
#include "windows/StatusWindow.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>

#include <algorithm>
#include <cstdio>

// The terminal window's layout: where its screens, panes, dividers, find bar and input
// line go, the split view and hidden mode, and the size and cursor texts they change.

namespace tav {

namespace {

// The frame's bottom lies this far below the date text in hidden mode.
constexpr int kHiddenBottomGap = 7;
constexpr int kTimeTextTop = 2;

} // namespace

int tmudterm::TimeTextHeight() const {
    return time_->sizeHint().height();
}

void tmudterm::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    Layout(e->size().width(), e->size().height());
}

void tmudterm::Relayout() {
    // The current size: it differs from the last laid-out one only when the window was
    // resized while the layout was locked.
    Layout(width(), height());
}

void tmudterm::SetLayoutLock(bool locked) {
    layoutLock_ = locked;
    if (locked) return;
    if (dividersPending_) PlaceInitialDividers();
    Relayout();
}

void tmudterm::PlaceInitialDividers() {
    dividersPending_ = false;
    const DividerRects d = InitialDividers(FromQRect(rect()), TimeTextHeight());
    hdiv_->setGeometry(ToQRect(d.hdiv));
    h2div_->setGeometry(ToQRect(d.h2div));
    vdiv_->setGeometry(ToQRect(d.vdiv));
}

void tmudterm::Layout(int width, int height) {
    if (layoutLock_ || hidden_) return;
    lastWidth_ = width;
    lastHeight_ = height;

    TermLayoutInput in;
    in.width = width;
    in.height = height;
    in.inputFontHeight = QFontMetrics(input_->font()).height();
    in.timeTextHeight = TimeTextHeight();
    in.mlSendWidth = mlSend_->width();
    in.clientConnected = clientConnected_;
    in.multiscreen = settings_.multiscreen != 0;
    in.enhancedterm = settings_.enhancedterm != 0;
    in.splitView = splitView_;
    in.screenLineHeight = mainWidget_->CellHeight();
    in.dividers = {FromQRect(hdiv_->geometry()), FromQRect(h2div_->geometry()),
                   FromQRect(vdiv_->geometry())};
    const TermLayoutResult r = LayoutTerm(in);
    lastLayout_ = r;

    Place(*hdiv_, r.showPanes, r.dividers.hdiv);
    Place(*h2div_, r.showPanes, r.dividers.h2div);
    Place(*vdiv_, r.showPanes, r.dividers.vdiv);
    for (auto [widget, rect] :
         {std::pair{descWidget_, r.descPane}, std::pair{exitWidget_, r.exitPane},
          std::pair{listWidget_, r.listPane}}) {
        if (r.showPanes) widget->SetScreenRect(ToQRect(rect), false);
        widget->setVisible(r.showPanes);
    }
    Place(*map_, r.showMapAndStatus, r.map);
    Place(*stat_, r.showMapAndStatus, r.status);
    Rect mainScreen = r.mainScreen;
    if (!find_->isHidden()) {
        // The find bar takes the bottom of the main screen's place.
        const int barHeight = std::min(find_->sizeHint().height(), mainScreen.Height());
        mainScreen.bottom -= barHeight;
        find_->setGeometry(mainScreen.left, mainScreen.bottom, mainScreen.Width(), barHeight);
    }
    mainWidget_->SetScreenRect(ToQRect(mainScreen), false);
    if (r.showSplitView) splitWidget_->SetScreenRect(ToQRect(r.splitView), false);
    splitWidget_->setVisible(r.showSplitView);
    input_->setGeometry(ToQRect(r.input));
    mlSend_->setGeometry(ToQRect(r.mlSend));
    Place(*time_, r.showTimeAndDate, r.timeText);
    Place(*date_, r.showTimeAndDate, r.dateText);

    UpdateSizeText();
    UpdateCursorText();
    update();
}

void tmudterm::ToggleSplitView() {
    splitView_ = !splitView_;
    splitOpenedByFind_ = false;
    splitHoldsMainLines_ = false;
    splitWidget_->SetFoundText({}, std::nullopt);
    if (splitView_) {
        split_->ClearScreen();
        split_->SetEncoding(RecentTextEncoding());
        split_->AddText(session_->RecentText());
    }
    Relayout();
}

void tmudterm::OpenFindBar() {
    find_->show();
    Relayout();
    find_->Open();
}

void tmudterm::ShowFoundText() {
    const std::optional<SearchMatch> current = find_->Current();
    mainWidget_->SetFoundText(find_->Matches(), current);
    if (current) RevealFound(*current);
    if (splitHoldsMainLines_) splitWidget_->SetFoundText(find_->Matches(), current);
}

// A match already on the main screen stays where it is; on a screen scrolled back the
// screen goes to it; otherwise the main screen keeps following the game and the split
// view above it shows the match among a copy of the main screen's lines.
void tmudterm::RevealFound(const SearchMatch& match) {
    const std::optional<int> line = BufferLineOf(*main_, match);
    if (!line) return;
    const int rows = main_->Rows();
    if (*line >= main_->Top() && *line < main_->Top() + rows) return;
    if (main_->ScrolledBack()) {
        main_->ScrollBar(ScrollRequest::ThumbTrack, *line - rows / 2);
        return;
    }
    if (!splitView_) {
        ToggleSplitView();
        splitOpenedByFind_ = true;
    }
    split_->CopyLinesFrom(*main_);
    splitHoldsMainLines_ = true;
    split_->ScrollBar(ScrollRequest::ThumbTrack, *line - split_->Rows() / 2);
}

void tmudterm::keyPressEvent(QKeyEvent* e) {
    if (find_->TakeKey(*e)) return e->accept();
    QWidget::keyPressEvent(e);
}

void tmudterm::OnFindClosed() {
    if (splitOpenedByFind_ && splitView_) ToggleSplitView();
    splitWidget_->SetFoundText({}, std::nullopt);
    Relayout();
    input_->setFocus();
}

void tmudterm::ToggleHidden() {
    hidden_ = !hidden_;
    // Hidden mode keeps only the time and date line: no place for the find bar.
    if (hidden_ && !find_->isHidden()) find_->Close();
    const bool wasLocked = layoutLock_;
    layoutLock_ = true;
    // In hidden mode only the time and date line stays: the window keeps the height down
    // to 7 pixels below the date text.
    emit hiddenModeChanged(hidden_,
                           hidden_ ? kTimeTextTop + TimeTextHeight() + kHiddenBottomGap : 0);
    layoutLock_ = wasLocked;
    if (!hidden_) Relayout();
    UpdateSizeText();
    UpdateCursorText();
    update();
}

void tmudterm::UpdateSizeText() {
    if (hidden_) return status_.SetSizeText("Hidden");
    char text[32];
    std::snprintf(text, sizeof text, "%d x %d", main_->Rows(), main_->Columns());
    status_.SetSizeText(text);
}

void tmudterm::UpdateCursorText() {
    if (hidden_) return status_.SetCursorText("Hidden");
    char text[32];
    std::snprintf(text, sizeof text, "%d,%d", main_->CursorRow(), main_->CursorCol());
    status_.SetCursorText(text);
}

} // namespace tav
