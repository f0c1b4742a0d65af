#include "screen/qt/ScreenAccessible.h"

#include "screen/qt/GameText.h"

#include "screen/ScreenTextMap.h"
#include "screen/qt/ScreenWidget.h"

#include <algorithm>

namespace tav {

namespace {

// Pieces of one line (its text with the '\n' after it) for the character, word and
// sentence boundaries, found here rather than by Qt's default boundary code, which never
// returns on lines without a word (a blank line, a ruler, a prompt). Every loop moves
// forwards or backwards through the one line, so a query costs at most a few passes over
// 133 characters.
struct Span {
    int start;
    int end; // exclusive
};

enum class CharClass { LineEnd, Blank, Word, Sign };

CharClass ClassOf(QChar c) {
    if (c == QLatin1Char('\n')) return CharClass::LineEnd;
    if (c.isSpace()) return CharClass::Blank;
    if (c.isLetterOrNumber() || c == QLatin1Char('_')) return CharClass::Word;
    return CharClass::Sign;
}

// A word is a run of letters and digits, a run of blanks or a run of other signs; the
// line end is a piece of its own.
Span WordAt(const QString& line, int col) {
    const int n = static_cast<int>(line.size());
    const CharClass kind = ClassOf(line[col]);
    if (kind == CharClass::LineEnd) return {col, col + 1};
    int start = col;
    while (start > 0 && ClassOf(line[start - 1]) == kind)
        --start;
    int end = col + 1;
    while (end < n && ClassOf(line[end]) == kind)
        ++end;
    return {start, end};
}

bool EndsSentence(QChar c) {
    return c == QLatin1Char('.') || c == QLatin1Char('!') || c == QLatin1Char('?');
}

// Where the sentence starting at from ends: after a run of '.', '!' or '?' that a blank
// or the line end follows, with the blanks after it; the line end belongs to the last
// sentence of its line. Always beyond from while from is inside the line.
int SentenceEnd(const QString& line, int from) {
    const int n = static_cast<int>(line.size());
    int k = from;
    while (k < n) {
        if (line[k] == QLatin1Char('\n')) return k + 1;
        if (!EndsSentence(line[k])) {
            ++k;
            continue;
        }
        while (k < n && EndsSentence(line[k]))
            ++k;
        if (k < n && !line[k].isSpace()) continue; // "x.org": no sentence ends here
        while (k < n && line[k].isSpace() && line[k] != QLatin1Char('\n'))
            ++k;
        if (k < n && line[k] == QLatin1Char('\n')) ++k;
        return k;
    }
    return n;
}

Span SentenceAt(const QString& line, int col) {
    const int n = static_cast<int>(line.size());
    int start = 0;
    while (start < n) {
        const int end = SentenceEnd(line, start);
        if (col < end) return {start, end};
        start = end;
    }
    return {n, n};
}

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
    return ScreenTextToQString(Map().Text(startOffset, endOffset), Screen()->Screen().Encoding());
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
    if (offset >= lineEnd) { // past the last character: no piece holds it
        *startOffset = *endOffset = offset;
        return {};
    }
    const QString single = text(lineStart, lineEnd);
    const int col = offset - lineStart;
    Span span{col, col + 1};
    if (boundaryType == QAccessible::WordBoundary) span = WordAt(single, col);
    if (boundaryType == QAccessible::SentenceBoundary) span = SentenceAt(single, col);
    *startOffset = lineStart + span.start;
    *endOffset = lineStart + span.end;
    return single.mid(span.start, span.end - span.start);
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
    textAtOffset(offset, boundaryType, &start, &end);
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
    textAtOffset(offset, boundaryType, &start, &end);
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
    screen.BeginSelection({from.line, std::min(from.col, screen.BufferColumns() - 1)});
    screen.ExtendSelection({to.line, std::min(to.col, screen.BufferColumns() - 1)});
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
    const int cw = Screen()->CellWidth();
    const int ch = Screen()->CellHeight();
    const QRect cell((at.col - Screen()->FirstColumn()) * cw, row * ch, cw, ch);
    return QRect(widget()->mapToGlobal(cell.topLeft()), cell.size());
}

int ScreenAccessible::offsetAtPoint(const QPoint& point) const {
    const QPoint local = widget()->mapFromGlobal(point);
    const auto cell = Screen()->CellAt(local);
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
