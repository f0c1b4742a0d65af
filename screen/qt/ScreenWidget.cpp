#include "screen/qt/ScreenWidget.h"

#include "screen/CellColors.h"
#include "screen/qt/GameText.h"
#include "screen/qt/ScreenAccessible.h"
#include "screen/qt/ScreenFonts.h"
#include "settings/QtColor.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSoundEffect>
#include <QThread>
#include <QUrl>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>

namespace tav {

namespace {

constexpr int kPreferredColumns = 80;
constexpr int kPreferredRows = 24;
constexpr char kErrorTitle[] = "Error...";

// The address a click on a marked run opens: only a whole web address (http or https
// with a host). The run is game text: a file, a program option or any other scheme
// handed to the system's opener could do more than show a page.
std::optional<QUrl> WebAddress(const std::string& run, TextEncoding encoding) {
    const QUrl url(ScreenTextToQString(run, encoding), QUrl::TolerantMode);
    const QString scheme = url.scheme();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")) ||
        url.host().isEmpty() || url.toEncoded().startsWith('-'))
        return std::nullopt;
    return url;
}

FontSpec InitialFont() {
    FontSpec font{};
    CopyField(font.face, "fixedsys");
    font.height = 15;
    font.width = 7;
    return font;
}

} // namespace

ScreenWidget::ScreenWidget(TMudScreen& screen, const Settings& settings, const ColorRef* mudColors,
                           QWidget* parent)
    : QWidget(parent), screen_(screen), settings_(settings), mudColors_(mudColors) {
    ScreenAccessible::Install();
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setCursor(Qt::IBeamCursor);
    // Reachable with Tab, so a screen reader can read it; a click leaves the focus where
    // it was (the input line).
    setFocusPolicy(Qt::TabFocus);

    scrollBar_ = new QScrollBar(Qt::Vertical, this);
    scrollBar_->setFocusPolicy(Qt::NoFocus);
    connect(scrollBar_, &QAbstractSlider::actionTriggered, this, &ScreenWidget::OnScrollAction);
    connect(scrollBar_, &QAbstractSlider::sliderReleased, this, [this] {
        screen_.ScrollBar(ScrollRequest::ThumbPosition, scrollBar_->sliderPosition());
        screen_.ScrollBar(ScrollRequest::EndScroll);
    });

    frameTimer_.setSingleShot(true);
    connect(&frameTimer_, &QTimer::timeout, this, &ScreenWidget::FlushMarks);
    flashTimer_.setSingleShot(true);
    connect(&flashTimer_, &QTimer::timeout, this, [this] {
        flashing_ = false;
        InvalidateScreen();
    });

    BuildContextMenu();
    SetScreenFont(InitialFont());
    preferredCells_ = QSize(cellWidth_ * kPreferredColumns, cellHeight_ * kPreferredRows);
    screen_.SetView(this);
    Scrolled();
}

ScreenWidget::~ScreenWidget() {
    screen_.SetView(nullptr);
}

// --- fonts and colours ----------------------------------------------------------------

void ScreenWidget::SetScreenFont(const FontSpec& stored, bool setPreferredSize) {
    fontSpec_ = stored;
    font_ = FontFromSpec(stored);
    glyphs_.SetFont(font_);

    const QFontMetricsF metrics(font_);
    ascent_ = static_cast<int>(std::lround(metrics.ascent()));
    underlineOffset_ = static_cast<int>(std::lround(metrics.underlinePos()));
    underlineWidth_ = std::max(1, static_cast<int>(std::lround(metrics.lineWidth())));
    strikeOffset_ = static_cast<int>(std::lround(metrics.strikeOutPos()));
    const CellSize cell = CellSizeOf(font_);
    cellWidth_ = std::max(cell.width, 1);
    cellHeight_ = std::max(cell.height, 1);
    if (setPreferredSize) {
        preferredCells_ = QSize(cell.width * kBufferColumns, cell.height * screen_.Lines());
        updateGeometry();
    }
    if (modelSize_.isValid()) { // the model has been placed before: place it again
        modelSize_ = QSize();
        ApplyModelGeometry();
    }
    InvalidateScreen();
}

void ScreenWidget::SetBackgroundColor(ColorRef color) {
    background_ = color;
    InvalidateScreen();
}

void ScreenWidget::SetTextColor(ColorRef color) {
    textColor_ = color;
    InvalidateScreen();
}

ScreenPalette ScreenWidget::Palette() const {
    ScreenPalette palette{textColor_,
                          background_,
                          {},
                          settings_.customcolors != 0,
                          screen_.Colours() == ColourMode::Full};
    if (mudColors_) std::copy_n(mudColors_, palette.mudColors.size(), palette.mudColors.begin());
    return palette;
}

QSize ScreenWidget::sizeHint() const {
    return preferredCells_ + QSize(ScrollBarWidth(), HorizontalBarHeight());
}

// --- geometry ---------------------------------------------------------------------------

int ScreenWidget::ScrollBarWidth() const {
    return scrollBar_->sizeHint().width();
}

int ScreenWidget::HorizontalBarHeight() const {
    return horizontalBar_ != nullptr ? horizontalBar_->sizeHint().height() : 0;
}

QRect ScreenWidget::ClientRect() const {
    return QRect(0, 0, std::max(0, width() - ScrollBarWidth()),
                 std::max(0, height() - HorizontalBarHeight()));
}

void ScreenWidget::ApplyModelGeometry() {
    const QRect cells = ClientRect();
    scrollBar_->setGeometry(cells.width(), 0, ScrollBarWidth(), cells.height());
    if (horizontalBar_ != nullptr)
        horizontalBar_->setGeometry(0, cells.height(), cells.width(), HorizontalBarHeight());
    if (modelSize_ == size()) return;
    modelSize_ = size();
    // Cells start at the left edge; a margin of kScreenMargin pixels stays free on the right.
    screen_.SetSize(cells.height() / cellHeight_, (cells.width() - kScreenMargin) / cellWidth_);
    rowMarks_.assign(static_cast<std::size_t>(screen_.Rows()), 0);
    markedRows_ = 0;
    SyncHorizontalBar();
    InvalidateScreen();
}

void ScreenWidget::SetScreenRect(const QRect& rect, bool repaint) {
    setGeometry(rect);
    ApplyModelGeometry(); // a hidden widget gets its resize event only when shown
    if (repaint) InvalidateScreen();
}

std::optional<TMudScreen::CellPos> ScreenWidget::CellAt(QPoint at) const {
    const int x = at.x() + Shift();
    if (x < 0 || at.y() < 0) return std::nullopt;
    return screen_.CellInView(at.y() / cellHeight_, x / cellWidth_);
}

void ScreenWidget::resizeEvent(QResizeEvent* /*event*/) {
    ApplyModelGeometry();
}

// --- scroll bar -------------------------------------------------------------------------

void ScreenWidget::Scrolled() {
    // Read here, on the thread that changes the model; the bar follows on the widget's.
    // Every line of a flood scrolls: plain stores, published by the flag's exchange.
    scrollMax_.store(std::max(0, screen_.ScrollMax()), std::memory_order_relaxed);
    scrollPos_.store(screen_.Top(), std::memory_order_relaxed);
    if (!scrollSyncPosted_.exchange(true, std::memory_order_acq_rel))
        QMetaObject::invokeMethod(this, &ScreenWidget::SyncScrollBar, Qt::QueuedConnection);
}

void ScreenWidget::SyncScrollBar() {
    // The exchange reads the flag's last setting, so the values stored before that are the
    // ones read below; a change after it finds the flag clear and posts again.
    scrollSyncPosted_.exchange(false, std::memory_order_acq_rel);
    syncingScrollBar_ = true;
    scrollBar_->setRange(0, scrollMax_.load(std::memory_order_relaxed));
    scrollBar_->setPageStep(std::max(1, screen_.Rows()));
    scrollBar_->setValue(scrollPos_.load(std::memory_order_relaxed));
    syncingScrollBar_ = false;
}

void ScreenWidget::OnScrollAction(int action) {
    if (syncingScrollBar_) return;
    const int position = scrollBar_->sliderPosition();
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub: screen_.ScrollBar(ScrollRequest::LineUp); break;
    case QAbstractSlider::SliderSingleStepAdd: screen_.ScrollBar(ScrollRequest::LineDown); break;
    case QAbstractSlider::SliderPageStepSub: screen_.ScrollBar(ScrollRequest::PageUp); break;
    case QAbstractSlider::SliderPageStepAdd: screen_.ScrollBar(ScrollRequest::PageDown); break;
    case QAbstractSlider::SliderMove: screen_.ScrollBar(ScrollRequest::ThumbTrack, position); break;
    case QAbstractSlider::SliderToMinimum: screen_.ScrollBar(ScrollRequest::Top); break;
    case QAbstractSlider::SliderToMaximum: screen_.ScrollBar(ScrollRequest::Bottom); break;
    default: return;
    }
    // The slider applies its own idea of the action after this returns: make it the model's.
    scrollBar_->setSliderPosition(screen_.Top());
}

void ScreenWidget::SetHorizontalScroll(bool on) {
    if (on == (horizontalBar_ != nullptr)) return;
    if (on) {
        horizontalBar_ = new QScrollBar(Qt::Horizontal, this);
        horizontalBar_->setFocusPolicy(Qt::NoFocus);
        horizontalBar_->setAccessibleName(QStringLiteral("Columns"));
        horizontalBar_->show();
        connect(horizontalBar_, &QAbstractSlider::valueChanged, this, [this](int column) {
            if (column == firstColumn_) return;
            firstColumn_ = column;
            InvalidateScreen();
        });
    } else {
        delete horizontalBar_;
        horizontalBar_ = nullptr;
        firstColumn_ = 0;
    }
    if (modelSize_.isValid()) { // placed before: the cell area changes
        modelSize_ = QSize();
        ApplyModelGeometry();
    }
}

// The range reaches from column 0 to where the widest line in the buffer ends in view.
void ScreenWidget::SyncHorizontalBar() {
    if (horizontalBar_ == nullptr) return;
    int widest = 0;
    for (int n = 0; n < screen_.Lines() && widest < screen_.BufferColumns(); ++n) {
        const ScreenLine& line = screen_.Line(n);
        for (int col = line.width - 1; col >= widest; --col)
            if (line.ch[col] != 0) {
                widest = col + 1;
                break;
            }
    }
    const int columns = std::max(1, screen_.Columns());
    const QSignalBlocker blocker(horizontalBar_);
    horizontalBar_->setRange(0, std::max(0, widest - columns));
    horizontalBar_->setPageStep(columns);
    // Text that replaced the lines read (or pushed them out) is read from its start.
    if (screen_.LinesDropped() != droppedAtSync_) {
        droppedAtSync_ = screen_.LinesDropped();
        horizontalBar_->setValue(0);
    }
    if (horizontalBar_->value() != firstColumn_) {
        firstColumn_ = horizontalBar_->value(); // the range cut it
        InvalidateScreen();
    }
}

void ScreenWidget::PageUp(bool now) {
    screen_.PageUp(now);
}

void ScreenWidget::PageDown(bool now) {
    screen_.PageDown(now);
}

// --- repaint coalescing -----------------------------------------------------------------

bool ScreenWidget::OnForeignThread() const {
    return QThread::currentThread() != thread();
}

void ScreenWidget::PostRefresh() {
    if (refreshPosted_.exchange(true)) return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            refreshPosted_ = false;
            InvalidateScreen();
        },
        Qt::QueuedConnection);
}

void ScreenWidget::InvalidateRow(int row) {
    textMap_.Invalidate();
    if (OnForeignThread()) return PostRefresh();
    // Scrolled back, output counts rows from the live top line while the view shows
    // others: the changed row may be shown anywhere, or not at all.
    if (screen_.ScrolledBack()) return InvalidateScreen();
    if (fullMarked_ || row < 0) return;
    const auto k = static_cast<std::size_t>(row);
    if (k >= rowMarks_.size()) rowMarks_.resize(k + 1, 0);
    if (rowMarks_[k]) return;
    rowMarks_[k] = 1;
    ++markedRows_;
    ScheduleFlush();
}

void ScreenWidget::InvalidateScreen() {
    textMap_.Invalidate();
    if (OnForeignThread()) return PostRefresh();
    if (fullMarked_) return;
    fullMarked_ = true;
    ScheduleFlush();
}

void ScreenWidget::ScrollPixels(int /*dy*/) {
    textMap_.Invalidate();
    if (OnForeignThread()) return PostRefresh();
    // The rows are repainted from the buffer, which already holds the new top line; the
    // cursor phase restarts.
    cursorPhase_ = false;
    InvalidateScreen();
}

void ScreenWidget::ScheduleFlush() {
    if (frameTimer_.isActive()) return;
    const qint64 since = lastFlush_.isValid() ? lastFlush_.elapsed() : kFrameMs;
    frameTimer_.start(static_cast<int>(std::max<qint64>(0, kFrameMs - since)));
}

QRect ScreenWidget::MarkedRect() const {
    if (fullMarked_) return rect();
    int first = -1;
    int last = -1;
    for (std::size_t k = 0; k < rowMarks_.size(); ++k)
        if (rowMarks_[k]) {
            if (first < 0) first = static_cast<int>(k);
            last = static_cast<int>(k);
        }
    if (first < 0) return {};
    const int ch = cellHeight_;
    return QRect(0, first * ch, ClientRect().width(), (last - first + 1) * ch);
}

void ScreenWidget::FlushMarks() {
    frameTimer_.stop();
    lastFlush_.start();
    SyncHorizontalBar();
    if (fullMarked_) {
        update();
    } else if (markedRows_ > 0) {
        const int ch = cellHeight_;
        const int w = ClientRect().width();
        const int n = static_cast<int>(rowMarks_.size());
        for (int k = 0; k < n;) {
            if (!rowMarks_[static_cast<std::size_t>(k)]) {
                ++k;
                continue;
            }
            int end = k;
            while (end < n && rowMarks_[static_cast<std::size_t>(end)])
                ++end;
            update(0, k * ch, w, (end - k) * ch);
            k = end;
        }
    }
    fullMarked_ = false;
    markedRows_ = 0;
    std::fill(rowMarks_.begin(), rowMarks_.end(), 0);
}

void ScreenWidget::UpdateView() {
    if (OnForeignThread() || (!fullMarked_ && markedRows_ == 0) || !isVisible()) return;
    // Painting synchronously is only worth it when the event loop has not had a frame's
    // chance to do it (a long run of text on this thread); otherwise the flush timer paints.
    if (lastFlush_.isValid() && lastFlush_.elapsed() < kFrameMs) return;
    const QRect dirty = MarkedRect();
    FlushMarks();
    repaint(dirty);
}

// --- notifications with effects of their own -----------------------------------------

void ScreenWidget::Bell(const std::string& wavPath) {
    if (OnForeignThread()) {
        QMetaObject::invokeMethod(
            this, [this, wavPath] { Bell(wavPath); }, Qt::QueuedConnection);
        return;
    }
    if (wavPath.empty()) {
        QApplication::beep();
        return;
    }
    if (bellSound_ == nullptr) bellSound_ = new QSoundEffect(this);
    const QUrl source = QUrl::fromLocalFile(QString::fromLocal8Bit(wavPath));
    if (bellSound_->source() != source) bellSound_->setSource(source);
    bellSound_->play(); // loads and plays in the background; a missing file stays silent
}

void ScreenWidget::VisualBell() {
    if (OnForeignThread()) {
        QMetaObject::invokeMethod(
            this, [this] { VisualBell(); }, Qt::QueuedConnection);
        return;
    }
    flashing_ = true;
    flashTimer_.start(kVisualBellMs);
    InvalidateScreen();
}

void ScreenWidget::FrameHold(bool held) {
    if (OnForeignThread()) {
        QMetaObject::invokeMethod(
            this, [this, held] { FrameHold(held); }, Qt::QueuedConnection);
        return;
    }
    if (held == held_) return;
    held_ = held;
    const QRect r = ClientRect();
    update(QRegion(r).subtracted(r.adjusted(1, 1, -1, -1)));
}

QRegion ScreenWidget::FocusFrame() const {
    // Inside the one-pixel hold frame, so both show at once.
    const QRect outer = ClientRect().adjusted(1, 1, -1, -1);
    return QRegion(outer).subtracted(
        outer.adjusted(kFocusFrameWidth, kFocusFrameWidth, -kFocusFrameWidth, -kFocusFrameWidth));
}

void ScreenWidget::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update(FocusFrame());
}

void ScreenWidget::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update(FocusFrame());
}

void ScreenWidget::ToggleCursor(CursorStyle style) {
    cursorStyle_ = style;
    cursorPhase_ = !cursorPhase_;
    // Where it was last drawn too: the cursor may have moved without its row changing.
    update(drawnCursor_.united(CursorRect()));
}

QRect ScreenWidget::CursorRect() const {
    // Scrolled back, the cursor goes with its line (or out of view with it); drawn at its
    // screen row it would stand in older text.
    const std::optional<int> row = screen_.CursorViewRow();
    if (!row || screen_.CursorCol() >= screen_.Columns()) return {};
    const int cw = cellWidth_;
    const int ch = cellHeight_;
    const QRect cell(screen_.CursorCol() * cw - Shift(), *row * ch, cw, ch);
    if (cursorStyle_ == CursorStyle::Block) return cell;
    const int line = ch / 4;
    return QRect(cell.left(), cell.bottom() + 1 - line, cw, line);
}

// --- selection, clipboard and URLs ------------------------------------------------------

void ScreenWidget::SelectAll() {
    screen_.SelectAll();
}

void ScreenWidget::ClearSelection() {
    screen_.ClearSelection();
}

void ScreenWidget::CopySelection() {
    if (!screen_.HasSelection()) return;
    const std::optional<std::string> text = screen_.GetSelectedText();
    if (!text || text->empty()) return;
    const QString copied = ScreenTextToQString(*text, screen_.Encoding());
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(copied);
    if (clipboard->text() != copied) ShowError("Error setting clipboard data.");
}

void ScreenWidget::ShowError(const char* text) {
    if (messageBoxes_ != nullptr) {
        messageBoxes_->ShowMessage(text, kErrorTitle);
        return;
    }
    QMessageBox box(QMessageBox::Critical, QString::fromLatin1(kErrorTitle),
                    QString::fromLatin1(text), QMessageBox::Ok, this);
    box.exec();
}

void ScreenWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    const QPoint at = event->position().toPoint();
    const auto cell = CellAt(at);
    if (!cell) return;
    if (settings_.urlaware) {
        const auto run = screen_.UrlAt(*cell);
        if (const auto target = run ? WebAddress(*run, screen_.Encoding()) : std::nullopt) {
            if (!QDesktopServices::openUrl(*target)) ShowError("Unable to launch web browser.");
            return;
        }
    }
    screen_.BeginSelection(*cell);
}

void ScreenWidget::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const auto cell = CellAt(at);
    if (!cell) return;
    if (!screen_.Selecting()) {
        // The hand only where a click opens something.
        const auto run = screen_.UrlAt(*cell);
        const bool hand = run && WebAddress(*run, screen_.Encoding());
        if (hand != handPointer_) {
            handPointer_ = hand;
            setCursor(hand ? Qt::PointingHandCursor : Qt::IBeamCursor);
        }
        return;
    }
    screen_.ExtendSelection(*cell);
}

void ScreenWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
    screen_.EndSelection();
}

void ScreenWidget::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_PageUp: PageUp(true); break;
    case Qt::Key_PageDown: PageDown(true); break;
    case Qt::Key_Left:
    case Qt::Key_Right:
        if (horizontalBar_ == nullptr) return QWidget::keyPressEvent(event);
        horizontalBar_->triggerAction(event->key() == Qt::Key_Left
                                          ? QAbstractSlider::SliderSingleStepSub
                                          : QAbstractSlider::SliderSingleStepAdd);
        break;
    default: QWidget::keyPressEvent(event); return;
    }
}

// The wheel over the cells moves the scroll bar, which asks the model as a thumb track; a
// sideways turn moves the horizontal one.
void ScreenWidget::wheelEvent(QWheelEvent* event) {
    const bool sideways = std::abs(event->angleDelta().x()) > std::abs(event->angleDelta().y());
    QCoreApplication::sendEvent(sideways && horizontalBar_ ? horizontalBar_ : scrollBar_, event);
}

// --- context menu -----------------------------------------------------------------------

void ScreenWidget::BuildContextMenu() {
    menu_ = new QMenu(this);
    auto item = [this](const char* text, auto handler) {
        QAction* action = menu_->addAction(QString::fromLatin1(text));
        connect(action, &QAction::triggered, this, handler);
    };
    auto parentItem = [&](const char* text, ScreenCommand command) {
        item(text, [this, command] { emit parentCommand(command); });
    };
    item("&Copy selected", [this] { CopySelection(); });
    item("Select &all", [this] { SelectAll(); });
    menu_->addSeparator();
    parentItem("&Paste to Mud", ScreenCommand::PasteToMud);
    parentItem("Paste to Mud w/&nl", ScreenCommand::PasteToMudNl);
    parentItem("Selected to &Mud", ScreenCommand::SelectedToMud);
    parentItem("Selected to Mud &w/nl", ScreenCommand::SelectedToMudNl);
    menu_->addSeparator();
    parentItem("&Save selected...", ScreenCommand::SaveSelected);
    parentItem("&Begin log...", ScreenCommand::BeginLog);
    parentItem("End l&og", ScreenCommand::EndLog);
    parentItem("&Edit Scroll Buffer", ScreenCommand::EditScrollBuffer);
    menu_->addSeparator();
    item("C&lear", [this] { screen_.ClearScreen(); });
    item("&Refresh", [this] { InvalidateScreen(); });
}

void ScreenWidget::contextMenuEvent(QContextMenuEvent* event) {
    menu_->exec(event->globalPos());
}

} // namespace tav
