#pragma once

#include "client/ClientRequests.h"
#include "screen/MudScreen.h"
#include "settings/Settings.h"
#include "settings/StoredValues.h"
#include "windows/IndexList.h"
#include "windows/ReadingPane.h"
#include "windows/ToolWindow.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class QFrame;
class QPushButton;

namespace tav {

class ScreenWidget;

// The help index window: the server's help topics in a list (kept sorted, cached in the
// profile's help.ndx) and the text of the chosen topic in a screen below a draggable
// divider. Choosing a topic (selecting it, a double click or Enter) asks the server for it;
// "Download new index" asks for the topic list. Replies arrive through SetHelpIndex and
// the screen (ClientScreen::HelpText). Runs on the user-interface thread only.
class tidxdlg : public ToolWindow {
    Q_OBJECT
public:
    // Topics this long or longer cannot be asked for.
    static constexpr std::size_t kMaxTopicRequestBytes = 63;

    // stored: helppos, helpfont and the colours, which must outlive the window.
    tidxdlg(const Settings& settings, StoredValues& stored, ClientRequests& requests,
            QWidget* owner);

    // Takes the stored font, places the window at the stored rectangle (hidden stays
    // hidden) and loads the topics of the given help.ndx, the file later indexes are
    // saved to. Called at start and on every profile switch.
    void Restore(const std::string& indexPath);
    // A received index: replaces the list (sorted) and saves help.ndx.
    void SetHelpIndex(std::vector<std::string> topics);

    TMudScreen& Screen() { return reading_->Screen(); }
    ScreenWidget& TextWidget() { return reading_->Widget(); }
    IndexList& TopicList() { return *list_; }
    const std::vector<std::string>& Topics() const { return topics_; }
    QSize sizeHint() const override { return {520, 460}; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void FillList();
    void TopicChosen(int row);
    void ChooseFont();
    void Layout();

    const Settings& settings_;
    StoredValues& stored_;
    ClientRequests& requests_;
    std::string indexPath_;
    std::vector<std::string> topics_;
    QPushButton* download_ = nullptr;
    QPushButton* font_ = nullptr;
    QPushButton* close_ = nullptr;
    QFrame* line_ = nullptr;
    IndexList* list_ = nullptr;
    // Made after the list, so that it follows the list in the focus chain.
    std::optional<ReadingPane> reading_;
};

} // namespace tav
