#pragma once

#include <QAccessibleWidget>

namespace tav {

class ScreenWidget;
class ScreenTextMap;

// What a screen reader sees of a character-cell screen: a terminal whose text is the
// whole scrollback, line by line (lines joined with '\n'), the text cursor as the caret
// and the mouse selection as the text selection. Only the visible lines have places on
// the screen (characterRect, offsetAtPoint); scrollToSubstring brings a line into view.
// Offsets come from the screen's ScreenTextMap, so no query copies the whole buffer.
class ScreenAccessible final : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit ScreenAccessible(ScreenWidget* widget);

    // Makes every ScreenWidget answer through this class; safe to call more than once.
    static void Install();

    void* interface_cast(QAccessible::InterfaceType type) override;
    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;

    // --- QAccessibleTextInterface ---------------------------------------------------
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                             int* startOffset, int* endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                            int* startOffset, int* endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                         int* endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

private:
    ScreenWidget* Screen() const;
    ScreenTextMap& Map() const;
    // The text at a boundary within the line holding offset (line boundaries: the line
    // with its '\n').
    QString AtOffsetInLine(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                           int* endOffset) const;
};

} // namespace tav
