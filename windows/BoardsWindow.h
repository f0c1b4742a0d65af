#pragma once

#include "client/ClientRequests.h"
#include "screen/MudScreen.h"
#include "settings/Settings.h"
#include "settings/StoredValues.h"
#include "windows/BoardModel.h"
#include "windows/ReadingPane.h"
#include "windows/ToolWindow.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class QFrame;
class QPushButton;

namespace tav {

class Divider;
class ScreenWidget;
class TMsgListBox;

// The boards window: the boards in one list, the messages of the chosen board in another
// beside it, and the text of the message read in a screen below; a vertical divider
// between the lists and a horizontal one above the screen. Choosing a board (selecting
// it, a double click, Enter or "&Select") asks for its message index, choosing a message for
// its text; the message list's menu replies to and deletes messages, the board list's
// posts. What the server answers arrives through SetBoardIndex, SetMessageIndex,
// BoardUpdate and the screen (ClientScreen::BoardMessage). The rules live in BoardModel;
// this class is its widgets. Runs on the user-interface thread only.
class brddlg : public ToolWindow {
    Q_OBJECT
public:
    // The context menus' commands.
    static constexpr int kCmReply = 11870;
    static constexpr int kCmRead = 11871;
    static constexpr int kCmSelect = 11872;
    static constexpr int kCmPost = 11873;
    static constexpr int kCmDelete = 11864;

    // stored: brdpos, brdfont and the colours, which must outlive the window.
    brddlg(const Settings& settings, StoredValues& stored, ClientRequests& requests,
           QWidget* owner);

    // Takes the stored font and places the window at the stored rectangle (hidden stays
    // hidden). Called at start and on every profile switch.
    void Restore();

    void SetBoardIndex(std::vector<BoardEntry> boards);
    void SetMessageIndex(std::vector<std::string> lines);
    // Asks again for the current board's index when it is the board updated; returns the
    // board's title to notify of, or nothing for a number that is no board of the list.
    std::optional<std::string> BoardUpdate(int board);
    // Carries out a context-menu command.
    void RunCommand(int id);

    TMudScreen& Screen() { return reading_->Screen(); }
    TMsgListBox& BoardList() { return *boards_; }
    TMsgListBox& MessageList() { return *messages_; }
    Divider& HorizontalDivider() { return reading_->Bar(); }
    Divider& VerticalDivider() { return *vdiv_; }
    ScreenWidget& TextWidget() { return reading_->Widget(); }
    const BoardModel& Model() const { return model_; }
    QSize sizeHint() const override { return {600, 480}; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void SelectBoard();
    void ReadMessage();
    void Reply();
    void Post();
    void Delete();
    void ShowMessages();
    std::optional<std::string> AskHeading(const QString& title, const std::string& heading);
    void SendPost(std::int32_t board, const std::string& heading);
    void ChooseFont();
    void Layout();

    const Settings& settings_;
    StoredValues& stored_;
    BoardModel model_;
    QPushButton* update_ = nullptr;
    QPushButton* font_ = nullptr;
    QPushButton* close_ = nullptr;
    QFrame* line_ = nullptr;
    TMsgListBox* boards_ = nullptr;
    TMsgListBox* messages_ = nullptr;
    // Made after the lists, so that it follows them in the focus chain.
    std::optional<ReadingPane> reading_;
    Divider* vdiv_ = nullptr;
    int vdivLeft_ = -1; // placed at a third of the width on the first layout
};

} // namespace tav
