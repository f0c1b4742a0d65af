#pragma once

#include "screen/CellColors.h"
#include "screen/MudScreen.h"
#include "screen/ScreenTextMap.h"
#include "screen/ScreenView.h"
#include "screen/ScrollbackSearch.h"
#include "settings/MessageBoxes.h"
#include "settings/Settings.h"
#include "settings/StoredValues.h"

#include <QElapsedTimer>
#include <QFont>
#include <QRawFont>

#include "screen/qt/GlyphCache.h"
#include <QRegion>
#include <QTimer>
#include <QWidget>

#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

class QMenu;
class QScrollBar;
class QSoundEffect;

namespace tav {

// Context-menu commands the parent window carries out.
enum class ScreenCommand {
    PasteToMud,
    PasteToMudNl,
    SelectedToMud,
    SelectedToMudNl,
    SaveSelected,
    BeginLog,
    EndLog,
    EditScrollBuffer
};

// Frames of the repaint coalescing: invalidations within one frame become one paint.
inline constexpr int kFrameMs = 16;
// How long the visual bell keeps the screen red.
inline constexpr int kVisualBellMs = 80;
// Pixels kept free right of the last whole column.
inline constexpr int kScreenMargin = 4;
// The picture drawn once behind the first screen painted.
inline constexpr int kLogoWidth = 160;
inline constexpr int kLogoHeight = 80;
// Pixels of the frame that shows a screen has the keyboard.
inline constexpr int kFocusFrameWidth = 2;

// The window of a TMudScreen: paints its cells in colour, keeps a vertical scroll bar over
// the scrollback, blinks the text cursor, selects text with the mouse, opens URLs, flashes
// the visual bell, frames held output, frames itself while it has the keyboard and offers
// the screen's context menu.
//
// The widget registers itself as the screen's view. Change notifications only mark rows;
// marked rows are handed to Qt at most once per frame, so a flood of text costs one paint
// per frame. Notifications that arrive from another thread (a pane written by the network
// thread) are turned into one queued full repaint.
class ScreenWidget : public QWidget, public ScreenView {
    Q_OBJECT
public:
    // mudColors: the 16-entry MUD colour table, read at paint time (may be null).
    ScreenWidget(TMudScreen& screen, const Settings& settings, const ColorRef* mudColors,
                 QWidget* parent = nullptr);
    ~ScreenWidget() override;

    TMudScreen& Screen() { return screen_; }
    // The screen's text as screen readers read it (see ScreenAccessible).
    ScreenTextMap& TextMap() { return textMap_; }

    // Copies the font, sets the model's cell size from it and recomputes rows and columns;
    // with setPreferredSize the size hint becomes 132 columns by the buffer's line count.
    void SetScreenFont(const FontSpec& font, bool setPreferredSize = false);
    const FontSpec& ScreenFont() const { return fontSpec_; }
    const QFont& CellFont() const { return font_; }

    void SetBackgroundColor(ColorRef color);
    void SetTextColor(ColorRef color);
    ColorRef BackgroundColor() const { return background_; }
    ColorRef TextColor() const { return textColor_; }
    // The colours the screen draws with now.
    ScreenPalette Palette() const;

    // One blink step of the text cursor: drawn in the text colour, then removed.
    void ToggleCursor(CursorStyle style);
    void PageUp(bool now);
    void PageDown(bool now);
    void SelectAll();
    void ClearSelection();
    // Puts the selected text on the clipboard.
    void CopySelection();

    // Moves the widget to rect (parent coordinates) and gives the model the rows and
    // columns of whole cells that fit the area left of the scroll bar and inside the margin.
    void SetScreenRect(const QRect& rect, bool repaint);
    // The pixel size of one cell, from the font.
    int CellWidth() const { return cellWidth_; }
    int CellHeight() const { return cellHeight_; }
    // The buffer cell under a pixel of the widget, or nothing outside the buffer.
    std::optional<TMudScreen::CellPos> CellAt(QPoint at) const;

    // A second scroll bar, under the cells, moves the view across the columns: for a
    // screen that keeps long lines whole (autowrap off), whose text may be wider than the
    // window. Its range reaches the widest line in the buffer. Off by default.
    void SetHorizontalScroll(bool on);
    // The buffer column shown at the left edge.
    int FirstColumn() const { return firstColumn_; }

    // Text found in the scrollback, marked behind its cells while in view (the cells and
    // their attributes stay as they are); `current` gets a colour of its own.
    void SetFoundText(std::vector<SearchMatch> matches, std::optional<SearchMatch> current);
    const std::vector<SearchMatch>& FoundText() const { return found_; }

    // Where error boxes go; null (the default) shows them as modal message boxes.
    void SetMessageBoxes(MessageBoxes* boxes) { messageBoxes_ = boxes; }

    // Whether the next screen painted draws the logo first (true at program start).
    static void SetLogoPending(bool pending) { logoPending_ = pending; }

    QSize sizeHint() const override;

    // --- ScreenView -------------------------------------------------------------------
    void InvalidateRow(int row) override;
    void InvalidateScreen() override;
    void ScrollPixels(int dy) override;
    void UpdateView() override;
    void Bell(const std::string& wavPath) override;
    void VisualBell() override;
    void Scrolled() override;
    void FrameHold(bool held) override;

signals:
    void parentCommand(tav::ScreenCommand command);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void BuildContextMenu();
    void ShowError(const char* text);
    int ScrollBarWidth() const;
    int HorizontalBarHeight() const; // 0 without the horizontal scroll bar
    QRect ClientRect() const;        // the cell area, left of and above the scroll bars
    void ApplyModelGeometry();
    void OnScrollAction(int action);
    void SyncScrollBar();
    void SyncHorizontalBar();
    // Where the cells of the view's left edge start, in pixels of the buffer's row.
    int Shift() const { return firstColumn_ * cellWidth_; }

    // Repaint coalescing.
    bool OnForeignThread() const;
    void PostRefresh();
    void ScheduleFlush();
    void FlushMarks();
    QRect MarkedRect() const;

    // Painting.
    void PaintCells(QPainter& painter, const QRect& area, bool opaqueCells);
    void DrawCells(QPainter& painter, const ScreenLine& line, int row, int from, int to,
                   bool opaqueCells);
    void DrawFoundText(QPainter& painter, int firstRow, int lastRow, int firstCol,
                       int lastCol) const;
    void DrawLogo(QPainter& painter) const;
    // Where the cursor is drawn; empty when its line is out of view.
    QRect CursorRect() const;
    QRegion FocusFrame() const;

    TMudScreen& screen_;
    ScreenTextMap textMap_{screen_};
    const Settings& settings_;
    const ColorRef* mudColors_;
    MessageBoxes* messageBoxes_ = nullptr;

    FontSpec fontSpec_{};
    QFont font_;
    GlyphCache glyphs_;
    int ascent_ = 0;
    int underlineOffset_ = 0;
    int underlineWidth_ = 1;
    int strikeOffset_ = 0; // above the baseline
    QSize preferredCells_; // preferred size of the cell area in pixels

    ColorRef background_ = MakeColor(0, 0, 0);
    ColorRef textColor_ = MakeColor(210, 210, 210);

    QScrollBar* scrollBar_ = nullptr;
    std::atomic<int> scrollMax_{0};
    std::atomic<int> scrollPos_{0};
    std::atomic<bool> scrollSyncPosted_{false};
    bool syncingScrollBar_ = false;
    QScrollBar* horizontalBar_ = nullptr;
    int firstColumn_ = 0;
    std::int64_t droppedAtSync_ = 0; // the screen's LinesDropped() at the last sync

    QMenu* menu_ = nullptr;
    QSoundEffect* bellSound_ = nullptr;

    std::vector<unsigned char> rowMarks_;
    int markedRows_ = 0;
    bool fullMarked_ = false;
    QTimer frameTimer_;
    QElapsedTimer lastFlush_;
    std::atomic<bool> refreshPosted_{false};

    QSize modelSize_; // widget size the model's rows and columns were computed for
    int cellWidth_ = 7;
    int cellHeight_ = 15;

    bool cursorPhase_ = false;
    CursorStyle cursorStyle_ = CursorStyle::Block;
    QRect drawnCursor_; // where the cursor was drawn last
    bool held_ = false;
    bool flashing_ = false;
    QTimer flashTimer_;
    bool handPointer_ = false;
    std::vector<SearchMatch> found_; // in order, as the search gives them
    std::optional<SearchMatch> currentFound_;

    // The glyphs of one paint gathered by text colour, drawn with one glyph run per
    // colour; kept from paint to paint so their storage is reused.
    struct GlyphBatch {
        QRgb color = 0;
        bool italic = false; // slanted when drawn; positions are moved to make up for it
        int font = 0;        // in glyphs_
        QVector<quint32> glyphs;
        QVector<QPointF> positions;
    };
    std::vector<GlyphBatch> batches_;
    struct Underline {
        QRect rect;
        ColorRef color;
    };
    std::vector<Underline> underlines_;
    std::size_t usedBatches_ = 0;
    GlyphBatch& BatchFor(QRgb color, bool italic, int font = 0);
    ScreenPalette paintPalette_; // the palette of the paint under way
    // Adds the glyphs of a cell holding a character beyond Latin-1 or marks: placed at the
    // cell's left edge when the screen's font has it, centred on the cell (or both cells
    // of a wide character) when a fallback font draws it; moved by `slant` when italic.
    void AddCellGlyphs(const ScreenLine& line, int col, qreal baseline, QRgb color, bool italic,
                       qreal slant);
    void DrawBatches(QPainter& painter);

    inline static bool logoPending_ = true;
};

} // namespace tav
