#pragma once

#include "screen/MudScreen.h"
#include "screen/ScrollbackSearch.h"

#include <QWidget>

#include <optional>
#include <vector>

class QCheckBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tav {

// The bar under the main screen that finds text in its scrollback: a search field,
// "Match case" and "Whole words", the position among the matches and Next/Previous.
// Every edit searches again; F3 and Shift+F3 (or Enter and Shift+Enter) step through the
// matches, Escape closes the bar. The owner shows the matches and the current one, and
// learns of changes through foundChanged().
class FindBar : public QWidget {
    Q_OBJECT
public:
    FindBar(const TMudScreen& screen, QWidget* parent = nullptr);

    // Shown with the field's text selected and the keyboard in it; searches at once.
    void Open();
    // Hidden, with no matches left to show; reports closed().
    void Close();
    // Searches again (the text may have moved on) and goes to the next or previous match.
    void Step(bool forward);
    // F3, Shift+F3 and Escape while the bar is open; true when the key was taken.
    bool TakeKey(const QKeyEvent& key);

    const std::vector<SearchMatch>& Matches() const { return result_.matches; }
    std::optional<SearchMatch> Current() const;

    QLineEdit& Field() { return *field_; }
    QCheckBox& MatchCaseBox() { return *matchCase_; }
    QCheckBox& WholeWordsBox() { return *wholeWords_; }
    QLabel& PositionText() { return *position_; }
    QPushButton& NextButton() { return *next_; }
    QPushButton& PreviousButton() { return *previous_; }

signals:
    void foundChanged();
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Search();
    // Picks the current match, updates the position text and tells screen readers.
    void SetCurrent(std::optional<std::size_t> index);

    const TMudScreen& screen_;
    QLineEdit* field_ = nullptr;
    QCheckBox* matchCase_ = nullptr;
    QCheckBox* wholeWords_ = nullptr;
    QLabel* position_ = nullptr;
    QPushButton* next_ = nullptr;
    QPushButton* previous_ = nullptr;

    SearchResult result_;
    std::optional<std::size_t> current_;
    // Where the last current match was: a new search starts from there, so typing more
    // letters keeps the place.
    std::optional<SearchMatch> anchor_;
};

} // namespace tav
