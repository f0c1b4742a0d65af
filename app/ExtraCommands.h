#pragma once

#include <QObject>

#include <functional>
#include <span>
#include <string>

class QWidget;

namespace tav {

class tmudterm;

// The main window's commands for what a profile keeps beside the classic files: the
// timers. Each dialog is modal and runs once at a time; nothing runs without a profile.
class ExtraCommands : public QObject {
    Q_OBJECT
public:
    // `profile` names the loaded profile, empty before one is.
    ExtraCommands(tmudterm& term, QWidget& owner, std::function<std::string()> profile);

    static std::span<const int> Ids();
    static bool Handles(int id);
    void Run(int id);

private:
    void RunTimers();

    tmudterm& term_;
    QWidget& owner_;
    std::function<std::string()> profile_;
    bool busy_ = false;
};

} // namespace tav
