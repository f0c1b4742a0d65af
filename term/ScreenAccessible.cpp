#include "term/ScreenAccessible.h"

#include "term/ScreenTextMap.h"
#include "term/ScreenWidget.h"

#include <algorithm>

namespace tav {

namespace {

QString FromCells(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// One line of the screen as a text on its own, so that Qt's word and sentence
// boundaries are found within the line instead of over the whole scrollback.
class LineText final : public QAccessibleTextInterface {
public:
    explicit LineText(QString text) : text_(std::move(text)) {}
    QString text(int start, int end) const override { return text_.mid(start, end - start); }
    int characterCount() const override { return static_cast<int>(text_.size()); }
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* start, int* end) const override {
        *start = *end = 0;
        return {};
    }

private:
    QString text_;
};

QAccessibleInterface* ScreenFactory(const QString& key, QObject* object) {
    if (key == QLatin1String(ScreenWidget::staticMetaObject.className()) && object &&
        object->isWidgetType())
        return new ScreenAccessible(static_cast<ScreenWidget*>(object));
    return nullptr;
}

} // namespace

ScreenAccessible::ScreenAccessible(ScreenWidget* widget)
    : QAccessibleWidget(widget, QAccessible::Terminal) {}

void ScreenAccessible::Install() {
    static const bool installed = [] {
        QAccessible::installFactory(ScreenFactory);
        return true;
    }();
    (void)installed;
}

ScreenWidget* ScreenAccessible::Screen() const {
    return static_cast<ScreenWidget*>(widget());
}

ScreenTextMap& ScreenAccessible::Map() const {
    return Screen()->TextMap();
}

void* ScreenAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString ScreenAccessible::text(QAccessible::Text t) const {
    if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
        return widget()->windowTitle();
    return QAccessibleWidget::text(t);
}

QAccessible::State ScreenAccessible::state() const {
    QAccessible::State s = QAccessibleWidget::state();
    s.multiLine = true;
    s.readOnly = true;
    s.selectableText = true;
    return s;
}

// --- text ---------------------------------------------------------------------------------

int ScreenAccessible::characterCount() const {
    return Map().CharacterCount();
}

QString ScreenAccessible::text(int startOffset, int endOffset) const {
    return FromCells(Map().Text(startOffset, endOffset));
}

QString ScreenAccessible::AtOffsetInLine(int offset, QAccessible::TextBoundaryType boundaryType,
                                         int* startOffset, int* endOffset) const {
    ScreenTextMap& map = Map();
    const int count = map.CharacterCount();
    offset = std::clamp(offset, 0, count);
    const int line = map.PositionAt(offset).line;
    const int lineStart = map.LineStart(line);
    const int lineEnd = std::min(lineStart + map.LineLength(line) + 1, count);
    if (boundaryType == QAccessible::LineBoundary ||
        boundaryType == QAccessible::ParagraphBoundary) {
        *startOffset = lineStart;
        *endOffset = lineEnd;
        return text(lineStart, lineEnd);
    }
    const LineText single(text(lineStart, lineEnd));
    const QString found =
        single.textAtOffset(offset - lineStart, boundaryType, startOffset, endOffset);
    if (*startOffset >= 0) *startOffset += lineStart;
    if (*endOffset >= 0) *endOffset += lineStart;
    return found;
}

QString ScreenAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                       int* startOffset, int* endOffset) const {
    if (boundaryType == QAccessible::NoBoundary) {
        *startOffset = 0;
        *endOffset = characterCount();
        return text(0, *endOffset);
    }
    return AtOffsetInLine(offset, boundaryType, startOffset, endOffset);
}

QString ScreenAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                           int* startOffset, int* endOffset) const {
    int start = 0;
    int end = 0;
    AtOffsetInLine(offset, boundaryType, &start, &end);
    if (start <= 0) {
        *startOffset = *endOffset = -1;
        return {};
    }
    return AtOffsetInLine(start - 1, boundaryType, startOffset, endOffset);
}

QString ScreenAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                          int* startOffset, int* endOffset) const {
    int start = 0;
    int end = 0;
    AtOffsetInLine(offset, boundaryType, &start, &end);
    if (end >= characterCount() || end <= offset) {
        *startOffset = *endOffset = -1;
        return {};
    }
    return AtOffsetInLine(end, boundaryType, startOffset, endOffset);
}

QString ScreenAccessible::attributes(int offset, int* startOffset, int* endOffset) const {
    *startOffset = *endOffset = std::clamp(offset, 0, characterCount());
    return {};
}

// --- caret and selection -----------------------------------------------------------------

int ScreenAccessible::cursorPosition() const {
    const TMudScreen& screen = Screen()->Screen();
    return Map().OffsetAt(screen.BufferLine(), screen.BufferCol());
}

void ScreenAccessible::setCursorPosition(int /*position*/) {
    // The cursor is where the game writes; a reader cannot move it.
}

int ScreenAccessible::selectionCount() const {
    return Screen()->Screen().HasSelection() ? 1 : 0;
}

void ScreenAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const {
    const TMudScreen& screen = Screen()->Screen();
    if (selectionIndex != 0 || !screen.HasSelection()) {
        *startOffset = *endOffset = 0;
        return;
    }
    TMudScreen::CellPos first = screen.SelectionAnchor();
    TMudScreen::CellPos last = screen.SelectionEnd();
    if (last.line < first.line || (last.line == first.line && last.col < first.col))
        std::swap(first, last);
    // The last selected cell is part of the selection.
    *startOffset = Map().OffsetAt(first.line, first.col);
    *endOffset = Map().OffsetAt(last.line, last.col + 1);
}

void ScreenAccessible::setSelection(int selectionIndex, int startOffset, int endOffset) {
    if (selectionIndex != 0) return;
    removeSelection(0);
    addSelection(startOffset, endOffset);
}

void ScreenAccessible::addSelection(int startOffset, int endOffset) {
    if (endOffset <= startOffset) return;
    TMudScreen& screen = Screen()->Screen();
    const ScreenTextMap::Position from = Map().PositionAt(startOffset);
    const ScreenTextMap::Position to = Map().PositionAt(endOffset - 1);
    screen.BeginSelection({from.line, std::min(from.col, kBufferColumns - 1)});
    screen.ExtendSelection({to.line, std::min(to.col, kBufferColumns - 1)});
    screen.EndSelection();
    Screen()->InvalidateScreen();
}

void ScreenAccessible::removeSelection(int selectionIndex) {
    if (selectionIndex == 0) Screen()->ClearSelection();
}

// --- places on the screen ------------------------------------------------------------------

QRect ScreenAccessible::characterRect(int offset) const {
    const TMudScreen& screen = Screen()->Screen();
    const ScreenTextMap::Position at = Map().PositionAt(offset);
    const int row = at.line - screen.Top();
    if (row < 0 || row >= screen.Rows()) return {};
    const QRect cell(at.col * screen.CellWidth(), row * screen.CellHeight(), screen.CellWidth(),
                     screen.CellHeight());
    return QRect(widget()->mapToGlobal(cell.topLeft()), cell.size());
}

int ScreenAccessible::offsetAtPoint(const QPoint& point) const {
    const QPoint local = widget()->mapFromGlobal(point);
    const auto cell = Screen()->Screen().CellAt(local.x(), local.y());
    if (!cell) return -1;
    return Map().OffsetAt(cell->line, cell->col);
}

void ScreenAccessible::scrollToSubstring(int startIndex, int /*endIndex*/) {
    TMudScreen& screen = Screen()->Screen();
    const int line = Map().PositionAt(startIndex).line;
    if (line >= screen.Top() && line < screen.Top() + screen.Rows()) return;
    // The line comes to the middle of the screen, or as near as the buffer allows.
    screen.ScrollBar(ScrollRequest::ThumbTrack, std::max(line - screen.Rows() / 2, 0));
    screen.ScrollBar(ScrollRequest::EndScroll);
}

} // namespace tav
