// Before any Qt header: the session headers use names Qt defines as macros ("slots").
#include "term/CommandTimers.h"
#include "term/TermSession.h"

#include "app/ExtraCommands.h"

#include "app/MenuCommands.h"
#include "term/QtMessageBoxes.h"
#include "windows/TermWindow.h"
#include "windows/TimersDialog.h"

#include <algorithm>

namespace tav {

namespace {

constexpr int kIds[] = {kCmTimers};

} // namespace

ExtraCommands::ExtraCommands(tmudterm& term, QWidget& owner, std::function<std::string()> profile)
    : QObject(&owner), term_(term), owner_(owner), profile_(std::move(profile)) {}

std::span<const int> ExtraCommands::Ids() {
    return kIds;
}

bool ExtraCommands::Handles(int id) {
    return std::find(std::begin(kIds), std::end(kIds), id) != std::end(kIds);
}

void ExtraCommands::Run(int id) {
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
