#pragma once

#include "settings/Rect.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <span>
#include <string>

class QWidget;

namespace tav {

class TriggerList;
class VariablesWindow;
class tmudterm;

// The main window's commands for what a profile keeps beside the classic files: the
// timers, the variables view. Each dialog is modal and runs once at a time; nothing runs
// without a profile.
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

    // The variables window, made the first time; the alias code reports its arguments to it.
    VariablesWindow& Variables();

private:
    void RunTimers();

    tmudterm& term_;
    TriggerList& triggers_;
    QPointer<VariablesWindow> variables_;
    Rect variablesRect_{}; // where the variables window was last, for this run only
    QWidget& owner_;
    std::function<std::string()> profile_;
    bool busy_ = false;
};

} // namespace tav
