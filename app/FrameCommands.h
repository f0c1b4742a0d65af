#pragma once

#include "app/ColorChoice.h"
#include "settings/StoredValues.h"
#include "term/HtmlLog.h"
#include "term/TerminalLog.h"
#include "term/qt/QtMessageBoxes.h"

#include <QFont>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <set>
#include <span>
#include <string>

class QWidget;

namespace tav {

class tmudterm;

inline constexpr std::string_view kStartFailed = "CreateProcess() failed!";

// The main window's commands that move text between the terminal and the outside
// (clipboard, selection, file, terminal log), choose its colours and fonts, clear and
// repaint the screen and start the desktop's mixer and the client's help text. The
// choosers and the clipboard are replaceable so that a test can answer them.
class FrameCommands : public QObject, private MessageBoxes, private LineLog {
    Q_OBJECT
public:
    // A file to write and which of the offered file types was chosen with it.
    struct FileChoice {
        QString path; // empty when cancelled
        int type = 0; // index into the types offered
    };
    struct Choosers {
        std::function<FileChoice(const QString& title, const QString& startDir,
                                 const QStringList& types)>
            file;
        std::function<std::optional<QColor>(const QColor& initial, const QString& title)> color;
        std::function<std::optional<QFont>(const QFont& initial)> font;
        // The clipboard's plain text; nothing when it holds none.
        std::function<std::optional<QString>()> clipboard;
        // A Yes/No question; true for Yes.
        std::function<bool(const QString& text, const QString& title)> confirm;
    };

    // `save` saves the profile's settings (nothing without a profile).
    FrameCommands(tmudterm& term, StoredValues& stored, QWidget& owner, std::function<void()> save);
    ~FrameCommands() override;

    // The command ids carried out here.
    static std::span<const int> Ids();
    static bool Handles(int id);
    void Run(int id);

    TerminalLog& Log() { return log_; }
    // The HTML log in colour that Begin log can write beside the text log.
    HtmlLog& ColorLog() { return colorLog_; }
    Choosers& Choose() { return choosers_; }
    void SetMessageBoxes(MessageBoxes* boxes) { boxes_ = boxes ? boxes : &qtBoxes_; }
    // Folders searched, in order, for the help text.
    void SetHelpFolders(QStringList folders) { helpFolders_ = std::move(folders); }
    const QStringList& HelpFolders() const { return helpFolders_; }
    // The mixer programs tried, in order: each an argument vector, the program looked up
    // on PATH.
    static const std::vector<QStringList>& MixerPrograms();

private:
    // Every message goes to the boxes current at the time (the log's too).
    void ShowMessage(std::string_view text, std::string_view title) override {
        boxes_->ShowMessage(text, title);
    }
    // The terminal's lines go to both logs.
    bool IsOpen() const override { return log_.IsOpen() || colorLog_.IsOpen(); }
    void Write(std::string_view text) override { log_.Write(text); }
    void WriteColored(std::string_view line, const LineLook& look) override {
        colorLog_.WriteCells(line, look);
    }
    void Paste(bool lineEnd);
    void SelectedToGame(bool lineEnd);
    void SaveSelected();
    void BeginLog();
    void EndLog();
    FileChoice ChooseTextFile(const QString& title, const QStringList& types);
    void ChooseScreenColor(bool background);
    void ChooseFont(int id);
    void StartMixer();
    void OpenClientHelp();

    tmudterm& term_;
    StoredValues& stored_;
    QWidget& owner_;
    std::function<void()> save_;
    QtMessageBoxes qtBoxes_;
    MessageBoxes* boxes_ = &qtBoxes_;
    TerminalLog log_;
    HtmlLog colorLog_;
    Choosers choosers_;
    QStringList helpFolders_;
    QString lastFolder_;
    // Commands whose chooser is open: asking again meanwhile is ignored.
    std::set<int> busy_;
};

} // namespace tav
