#pragma once

#include "commands/VariablesReport.h"
#include "windows/ToolWindow.h"

#include <optional>

class QPlainTextEdit;

namespace tav {

class TriggerList;

// "Variables": a read-only tool window with the trigger variables the last trigger that
// fired captured, and the arguments of the last alias. It follows every firing while it
// is shown (at most once per turn of the event loop).
class VariablesWindow : public ToolWindow, public AliasArgumentsSink {
    Q_OBJECT
public:
    VariablesWindow(TriggerList& triggers, Rect& stored, QWidget* owner);
    ~VariablesWindow() override;

    void SetAliasArguments(std::string_view alias,
                           const std::vector<std::string>& arguments) override;
    QPlainTextEdit& Text() { return *text_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Shows the current values soon, once however often it is asked before then.
    void RefreshSoon();
    void Refresh();

    TriggerList& triggers_;
    std::optional<AliasCall> alias_;
    QPlainTextEdit* text_ = nullptr;
    bool refreshPending_ = false;
};

} // namespace tav
