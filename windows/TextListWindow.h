#pragma once

#include "screen/MudScreen.h"
#include "settings/Settings.h"
#include "settings/StoredValues.h"
#include "windows/TextListLayout.h"
#include "windows/ToolWindow.h"

#include <QString>

#include <memory>

class QCheckBox;
class QFrame;
class QPushButton;

namespace tav {

class FindBar;
class ScreenWidget;
struct SearchMatch;

// Lines of a text list window's screen when it is made.
inline constexpr int kTextListLines = 100;

// The stored values one text list window keeps: its rectangle, its font and, for the
// windows whose flag the settings file holds, its always-on-top flag.
struct TextListStore {
    Rect& rect;
    FontSpec& font;
    Flag* onTop; // null: the flag lives with the window and is not saved
};

// A tool window showing a screen of text (the who list, the channel, equipment,
// inventory and the recent terminal text) with "Close", "Font...", "Save As..." and
// "Always on top.". The window owns its screen; the Client connection and the
// scroll-back commands write into Screen(). SetUp() gives it its stored font and place.
class txtdlg : public ToolWindow {
    Q_OBJECT
public:
    txtdlg(const QString& caption, TextListStore store, const Settings& settings,
           const ColorRef* mudColors, QWidget* owner);
    ~txtdlg() override;

    TMudScreen& Screen() { return *screen_; }
    ScreenWidget& View() { return *view_; }

    // The stored font for the screen, its fixed modes, the check box from the stored
    // flag, and the window at its stored rectangle (hidden stays hidden).
    void SetUp();
    // Shows the window restored and raised (visible or not).
    void ShowRaised();
    // Writes the screen's whole text, lines joined by CR LF, into the file at path (in
    // place: a file the user picks keeps its mode and links); on failure an
    // "Error..." box says so and false is returned.
    bool SaveTo(const QString& path);

    QCheckBox& OnTopBox() { return *onTopBox_; }

    // Gives the window a find bar over its screen, opened by Ctrl+Shift+F while the
    // window is active. Once only; the other text lists go without.
    void AddFindBar();
    // The bar under the screen, shown with the keyboard in it; needs AddFindBar().
    void OpenFindBar();
    FindBar* FindText() { return find_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    // F3, Shift+F3 and Escape go to an open find bar before Escape hides the window.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ChooseFont();
    void ChooseFileAndSave();
    void OnTopClicked(bool checked);
    void Layout();
    TextListLayoutInput LayoutInput() const;
    void ShowFoundText();
    // Scrolls the screen so the match's line shows, unless it shows already.
    void RevealFound(const SearchMatch& match);
    void OnFindClosed();

    TextListStore store_;
    Flag unsavedOnTop_ = 0;
    std::unique_ptr<TMudScreen> screen_;
    ScreenWidget* view_ = nullptr;
    QPushButton* close_ = nullptr;
    QPushButton* font_ = nullptr;
    QPushButton* saveAs_ = nullptr;
    QCheckBox* onTopBox_ = nullptr;
    QFrame* frame_ = nullptr;
    FindBar* find_ = nullptr;
};

} // namespace tav
