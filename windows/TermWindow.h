#pragma once

#include "client/StatusBarSink.h"
#include "commands/Alias.h"
#include "screen/MudScreen.h"
#include "screen/qt/ScreenWidget.h"
#include "settings/LogSink.h"
#include "settings/ProfileOptions.h"
#include "settings/Settings.h"
#include "settings/SettingsHost.h"
#include "settings/StoredValues.h"
#include "term/TermServices.h"
#include "term/qt/PostedCalls.h"
#include "windows/MapPalette.h"
#include "windows/TermLayout.h"

#include <QPointer>
#include <QWidget>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QLabel;
class QPushButton;

namespace tav {

class Divider;
class FindBar;
class MapWindow;
class QtEventLoop;
class SessionMapper;
class StatusWindow;
class CommandTimers;
class TermSession;
class TriggerList;
class tinedit;
class txtdlg;

// The main terminal window that fills the main frame: the main terminal screen, the
// command input line with its "ml-send" button, the MultiScreen panes (room description,
// exits, contents) between three draggable dividers, the map and status windows, the
// game time and date line and the scroll-back split view. It owns the Term session
// (driven by the Qt event loop) and every screen, implements the session's window
// services, applies the settings to its children and lays them out on every resize.
//
// Construction leaves the layout lock set; the profile flow clears it with
// SetLayoutLock(false) once the first profile is applied, which lays the window out.
// Everything runs on the user-interface thread; SetMap, SetStatusValues, SetTimeAndDate
// and SetClientConnected may also be called from another thread (they are queued).
class tmudterm : public QWidget, public SettingsHost {
    Q_OBJECT
public:
    // The "ml-send" button's command (multi-line send).
    static constexpr int kCmdMultiLineSend = 101;

    tmudterm(Settings& settings, StoredValues& stored, TriggerList& triggers, StatusBarSink& status,
             QWidget* parent = nullptr);
    ~tmudterm() override;

    TermSession& Session();
    // The profile's timers, loaded with its settings; they run while the Term connection is.
    CommandTimers& Timers() { return *timers_; }
    QtEventLoop& Loop();
    TMudScreen& MainScreen();
    ScreenWidget& MainScreenWidget();
    std::string& ProfileName() { return profileName_; }

    // --- settings ----------------------------------------------------------------------
    // The current profile's tav.cfg and colors.dat below the data directory (".").
    void LoadSettings();
    void SaveSettings();
    void SetDataRoot(std::string root) { dataRoot_ = std::move(root); }
    const std::string& DataRoot() const { return dataRoot_; }
    // The current profile's options.cfg, read and written with tav.cfg (a missing file
    // gives the defaults).
    const ProfileOptions& Options() const { return options_; }
    // Takes new options at once (the encoding from the next bytes received on) and writes
    // options.cfg; false, with a line on the screen, when it could not be written.
    bool SetOptions(const ProfileOptions& options);
    std::string OptionsPath() const;
    // The current profile's aliases.cfg, read with the settings; SetAliases takes a new
    // list at once and writes the file (false, with a line on the screen, when it could
    // not be written).
    const std::vector<Alias>& Aliases() const { return aliases_; }
    bool SetAliases(std::vector<Alias> aliases);
    // How the screens fed by the Client connection read its text, which that protocol
    // keeps in Latin-1: as Latin-1, unless the profile keeps to 7-bit text.
    TextEncoding ClientTextEncoding() const {
        return options_.encoding == TextEncoding::SevenBit ? TextEncoding::SevenBit
                                                           : TextEncoding::Latin1;
    }
    // The fonts, rectangles and colours the settings file keeps beside the record.
    StoredValues& Stored() { return stored_; }
    // Fonts, screen flags and bell, panes and map shown or hidden; with initial, the
    // dividers' first positions from the current client size.
    void ApplyScreenSettings(bool initial);
    // New scrollback size for the screens, new input history size (both only on change).
    void ApplySizes();

    // --- layout ------------------------------------------------------------------------
    void Relayout();
    void SetLayoutLock(bool locked);
    bool LayoutLocked() const { return layoutLock_; }
    const TermLayoutResult& LastLayout() const { return lastLayout_; }
    void ToggleHidden();
    bool Hidden() const { return hidden_; }
    void ToggleSplitView();
    bool SplitViewShown() const { return splitView_; }
    // The find bar under the main screen, opened with the keyboard in its field.
    void OpenFindBar();
    void UpdateSizeText();
    void UpdateCursorText();
    void SetClientConnected(bool connected);
    bool ClientConnected() const { return clientConnected_; }

    // --- effects of Client messages ------------------------------------------------------
    void SetMap(const MapGrid& grid); // [x][y]
    void SetStatusValues(int hit, int hitMax, int mana, int manaMax, int move, int moveMax);
    void SetTimeAndDate(std::string_view time, std::string_view date);

    // --- children ----------------------------------------------------------------------
    TMudScreen& DescPane() { return *desc_; }
    TMudScreen& ExitPane() { return *exit_; }
    TMudScreen& ListPane() { return *list_; }
    TMudScreen& SplitViewScreen() { return *split_; }
    ScreenWidget& DescPaneWidget() { return *descWidget_; }
    ScreenWidget& ExitPaneWidget() { return *exitWidget_; }
    ScreenWidget& ListPaneWidget() { return *listWidget_; }
    ScreenWidget& SplitViewWidget() { return *splitWidget_; }
    tinedit& InputLine() { return *input_; }
    Divider& HDivider() { return *hdiv_; }
    Divider& H2Divider() { return *h2div_; }
    Divider& VDivider() { return *vdiv_; }
    MapWindow& Map() { return *map_; }
    // The profile's automapper, fed by the session.
    SessionMapper& Automap() { return *automap_; }
    StatusWindow& Status() { return *stat_; }
    QLabel& TimeText() { return *time_; }
    QLabel& DateText() { return *date_; }
    QPushButton& MlSendButton() { return *mlSend_; }
    FindBar& FindText() { return *find_; }

    // --- text list windows (owned here, top-level windows of the frame) -----------------
    txtdlg& WhoWindow();
    txtdlg& ChannelWindow();
    txtdlg& EquipmentWindow();
    txtdlg& InventoryWindow();
    txtdlg& ScrollWindow();
    // Makes the five windows the first time; every time gives them their stored fonts,
    // on-top flags and places.
    void SetUpTextWindows();
    // How the recent text is to be read.
    TextEncoding RecentTextEncoding() const;
    // The scroll-back window shown and raised, filled with the recent text.
    void ShowScrollBuffer();

    // --- outside services, attached as they come to exist -----------------------------
    void SetClientLog(LogSink* log) { clientLog_ = log; }
    void SetClientControl(ClientControl* client) { client_ = client; }
    void SetLineLog(LineLog* log) { lineLog_ = log; }
    // Message boxes go here instead of modal dialogs (tests, scripted runs).
    void SetMessageBoxOverride(MessageBoxes* boxes) { boxesOverride_ = boxes; }

    // --- SettingsHost --------------------------------------------------------------------
    void ReplaceFont(FontItem item, const FontSpec& font) override;
    void SetScreenColor(ScreenColor which, ColorRef color) override;
    void SetTopmost(bool topmost) override;
    void PlaceFrame(const Rect& frame) override;
    void PostConfigCommand() override;

signals:
    void configRequested();
    void placeFrameRequested(QRect frame);
    void topmostRequested(bool topmost);
    void frameCommand(int id);
    void hiddenModeChanged(bool hidden, int frameHeightHint);
    // Context-menu commands of the main screen, handled by the frame.
    void screenCommand(tav::ScreenCommand command);
    // ApplySizes gave the screens a new scrollback size (the scroll-back text window
    // follows).
    void scrollLinesChanged(int lines);
    // The profile's options (Options()) were loaded or changed.
    void optionsApplied();

protected:
    void resizeEvent(QResizeEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    // Keys the screens leave unhandled: F3, Shift+F3 and Escape reach the open find bar.
    void keyPressEvent(QKeyEvent* e) override;

private:
    void ApplyOptions();
    void ApplyCommandRules();
    bool SaveOptions();
    void LoadAliases();
    class Services;

    void Layout(int width, int height);
    void PlaceInitialDividers();
    void OnInputEnter();
    int TimeTextHeight() const;
    void NameForScreenReaders();
    ScreenWidget* MakeScreen(std::unique_ptr<TMudScreen>& screen, const char* title);
    // The find bar's matches marked on the screens and its current match brought into view.
    void ShowFoundText();
    void RevealFound(const SearchMatch& match);
    void OnFindClosed();

    Settings& settings_;
    StoredValues& stored_;
    ProfileOptions options_;
    std::vector<Alias> aliases_;
    StatusBarSink& status_;
    std::string profileName_;
    std::string dataRoot_ = ".";

    LogSink* clientLog_ = nullptr;
    ClientControl* client_ = nullptr;
    LineLog* lineLog_ = nullptr;
    MessageBoxes* boxesOverride_ = nullptr;
    PostedCalls offThread_; // map, status, time and client state set from another thread

    std::unique_ptr<TMudScreen> main_;
    std::unique_ptr<TMudScreen> desc_;
    std::unique_ptr<TMudScreen> exit_;
    std::unique_ptr<TMudScreen> list_;
    std::unique_ptr<TMudScreen> split_;

    // Children, owned by Qt.
    ScreenWidget* mainWidget_ = nullptr;
    ScreenWidget* descWidget_ = nullptr;
    ScreenWidget* exitWidget_ = nullptr;
    ScreenWidget* listWidget_ = nullptr;
    ScreenWidget* splitWidget_ = nullptr;
    Divider* hdiv_ = nullptr;
    Divider* h2div_ = nullptr;
    Divider* vdiv_ = nullptr;
    MapWindow* map_ = nullptr;
    StatusWindow* stat_ = nullptr;
    tinedit* input_ = nullptr;
    QLabel* time_ = nullptr;
    QLabel* date_ = nullptr;
    QPushButton* mlSend_ = nullptr;
    FindBar* find_ = nullptr;
    QPointer<txtdlg> who_;
    QPointer<txtdlg> chan_;
    QPointer<txtdlg> eq_;
    QPointer<txtdlg> inv_;
    QPointer<txtdlg> scroll_;

    std::unique_ptr<Services> services_;
    std::unique_ptr<QtEventLoop> loop_;
    std::unique_ptr<TermSession> session_;
    std::unique_ptr<CommandTimers> timers_;
    std::unique_ptr<SessionMapper> automap_;

    TermLayoutResult lastLayout_;
    int lastWidth_ = 0;
    int lastHeight_ = 0;
    bool layoutLock_ = true;
    bool hidden_ = false;
    bool dividersPending_ = false; // first divider positions wait for the real size
    bool splitView_ = false;
    bool splitOpenedByFind_ = false;   // closed again with the find bar
    bool splitHoldsMainLines_ = false; // a copy of the main screen's lines, not the recent text
    bool clientConnected_ = false;
};

} // namespace tav
