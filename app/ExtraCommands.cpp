// Before any Qt header: the session headers use names Qt defines as macros ("slots").
#include "term/CommandTimers.h"
#include "term/TermSession.h"

#include "app/ExtraCommands.h"

#include "app/MenuCommands.h"
#include "term/QtMessageBoxes.h"
#include "windows/TermWindow.h"
#include "windows/TimersDialog.h"
#include "windows/VariablesWindow.h"

#include <algorithm>

namespace tav {

namespace {

constexpr int kIds[] = {kCmTimers, kCmVariables};

} // namespace

ExtraCommands::ExtraCommands(tmudterm& term, TriggerList& triggers, QWidget& owner,
                             std::function<std::string()> profile)
    : QObject(&owner), term_(term), triggers_(triggers), owner_(owner),
      profile_(std::move(profile)) {}

ExtraCommands::~ExtraCommands() {
    delete variables_.data();
}

VariablesWindow& ExtraCommands::Variables() {
    if (!variables_) variables_ = new VariablesWindow(triggers_, variablesRect_, &owner_);
    return *variables_;
}

std::span<const int> ExtraCommands::Ids() {
    return kIds;
}

bool ExtraCommands::Handles(int id) {
    return std::find(std::begin(kIds), std::end(kIds), id) != std::end(kIds);
}

void ExtraCommands::Run(int id) {
    // A tool window, not a dialog: it toggles at any time.
    if (id == kCmVariables) return Variables().Toggle();
    if (busy_ || profile_().empty()) return;
    busy_ = true;
    switch (id) {
    case kCmTimers: RunTimers(); break;
    default: break;
    }
    busy_ = false;
}

void ExtraCommands::RunTimers() {
    CommandTimers& timers = term_.Timers();
    TimersDialog dialog(timers.Timers(), &owner_);
    if (dialog.exec() != QDialog::Accepted) return;
    timers.SetTimers(dialog.Timers());
    if (!timers.Save())
        QtMessageBoxes(&owner_).ShowMessage("Unable to save timers.cfg.", "Error...");
}

} // namespace tav
