#pragma once

#include "commands/TimerFile.h"

#include <QDialog>

#include <vector>

class QCheckBox;
class QLineEdit;
class QListWidget;
class QSpinBox;

namespace tav {

// One timer's fields: name, "Every (seconds)", "Enabled" and the command. OK refuses a
// timer that cannot be kept, saying why, and keeps the typed values.
class TimerEditDialog : public QDialog {
    Q_OBJECT
public:
    TimerEditDialog(const CommandTimer& timer, QWidget* parent = nullptr);
    CommandTimer Timer() const;
    void done(int result) override;

private:
    QLineEdit* name_ = nullptr;
    QSpinBox* seconds_ = nullptr;
    QCheckBox* enabled_ = nullptr;
    QLineEdit* command_ = nullptr;
};

// "Timers...": the profile's timers in a list with New, Edit and Delete. It edits a copy;
// the caller takes Timers() when it ends with Accepted ("OK").
class TimersDialog : public QDialog {
    Q_OBJECT
public:
    TimersDialog(std::vector<CommandTimer> timers, QWidget* parent = nullptr);
    const std::vector<CommandTimer>& Timers() const { return timers_; }

private:
    void Refill(int current);
    void NewTimer();
    void EditTimer();
    void DeleteTimer();
    // Whether another timer than `except` has this name.
    bool NameTaken(const std::string& name, int except) const;

    std::vector<CommandTimer> timers_;
    QListWidget* list_ = nullptr;
};

} // namespace tav
