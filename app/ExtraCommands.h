#pragma once

#include "settings/Rect.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <span>
#include <string>

class QWidget;

namespace tav {

class TriggerList;
class VariablesWindow;
class tmudterm;

// The main window's commands for what a profile keeps beside the classic files: the
// timers, the variables view, and the export and import of the settings a player shares;
// and "New window", another TavClient process on the same data directory. Each dialog is
// modal and runs once at a time; nothing runs without a profile.
class ExtraCommands : public QObject {
    Q_OBJECT
public:
    // `profile` names the loaded profile, empty before one is.
    ExtraCommands(tmudterm& term, TriggerList& triggers, QWidget& owner,
                  std::function<std::string()> profile);
    ~ExtraCommands() override;

    static std::span<const int> Ids();
    static bool Handles(int id);
    void Run(int id);

    // Called after an import changed the profile's files: the trigger window and the
    // custom bar show them again.
    void SetImportFollowUp(std::function<void()> followUp) {
        importFollowUp_ = std::move(followUp);
    }

    // The variables window, made the first time; it shows the last typed alias's words.
    VariablesWindow& Variables();
    // The program "New window" starts; this program unless set.
    void SetProgram(QString program) { program_ = std::move(program); }

private:
    void ShowLastAlias(VariablesWindow& window);
    void RunTimers();
    void StartNewWindow();
    void RunExport();
    void RunImport();

    tmudterm& term_;
    TriggerList& triggers_;
    QPointer<VariablesWindow> variables_;
    Rect variablesRect_{}; // where the variables window was last, for this run only
    QWidget& owner_;
    std::function<std::string()> profile_;
    std::function<void()> importFollowUp_;
    bool busy_ = false;
    QString program_;
};

} // namespace tav
