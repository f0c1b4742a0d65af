// Before any Qt header: the session headers use names Qt defines as macros ("slots").
#include "term/CommandTimers.h"
#include "term/TermSession.h"

#include "app/ExtraCommands.h"

#include "app/MenuCommands.h"
#include "commands/ProfileBundle.h"
#include "settings/Latin1Text.h"
#include "settings/ProfileText.h"
#include "settings/TextMode.h"
#include "term/qt/QtMessageBoxes.h"
#include "windows/TermWindow.h"
#include "windows/TimersDialog.h"
#include "windows/ToolChoosers.h"
#include "windows/VariablesWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>

#include <algorithm>

namespace tav {

namespace {

constexpr int kExtraIds[] = {kCmTimers, kCmVariables, kCmExportSettings, kCmImportSettings,
                             kCmNewWindow};
constexpr const char* kFileTypes = "TavClient settings (*.txt);;All files (*)";
// A report longer than this is cut: a message box must fit the screen.
constexpr std::size_t kReportLines = 30;

std::string LocalPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// "3 added, 1 replaced, 2 refused." and the report's lines, cut to kReportLines.
std::string ImportReportText(const std::vector<std::string>& report) {
    std::size_t added = 0, replaced = 0, refused = 0;
    for (const std::string& line : report) {
        if (line.starts_with("Refused ") || line.find(" refused: ") != std::string::npos)
            ++refused;
        else if (line.find(" replaced") != std::string::npos)
            ++replaced;
        else if (line.find(" added") != std::string::npos)
            ++added;
    }
    std::string text = std::to_string(added) + " added, " + std::to_string(replaced) +
                       " replaced, " + std::to_string(refused) + " refused.\n";
    for (std::size_t i = 0; i < report.size() && i < kReportLines; ++i)
        text += "\n" + report[i];
    if (report.size() > kReportLines)
        text += "\n... and " + std::to_string(report.size() - kReportLines) + " more.";
    return text;
}

} // namespace

ExtraCommands::ExtraCommands(tmudterm& term, TriggerList& triggers, QWidget& owner,
                             std::function<std::string()> profile)
    : QObject(&owner), term_(term), triggers_(triggers), owner_(owner),
      profile_(std::move(profile)) {
    // The session may outlive these commands while the frame is taken down.
    term_.Session().SetAliasListener([self = QPointer<ExtraCommands>(this)] {
        if (self && self->variables_) self->ShowLastAlias(*self->variables_);
    });
}

void ExtraCommands::ShowLastAlias(VariablesWindow& window) {
    if (const auto& call = term_.Session().LastAlias())
        window.SetAliasArguments(call->alias, call->arguments);
}

ExtraCommands::~ExtraCommands() {
    delete variables_.data();
}

VariablesWindow& ExtraCommands::Variables() {
    if (!variables_) {
        variables_ = new VariablesWindow(triggers_, variablesRect_, &owner_);
        ShowLastAlias(*variables_);
    }
    return *variables_;
}

std::span<const int> ExtraCommands::Ids() {
    return kExtraIds;
}

bool ExtraCommands::Handles(int id) {
    return std::find(std::begin(kExtraIds), std::end(kExtraIds), id) != std::end(kExtraIds);
}

void ExtraCommands::Run(int id) {
    // A tool window, not a dialog: it toggles at any time.
    if (id == kCmVariables) return Variables().Toggle();
    if (id == kCmNewWindow) return StartNewWindow();
    if (busy_ || profile_().empty()) return;
    busy_ = true;
    switch (id) {
    case kCmTimers: RunTimers(); break;
    case kCmExportSettings: RunExport(); break;
    case kCmImportSettings: RunImport(); break;
    default: break;
    }
    busy_ = false;
}

void ExtraCommands::StartNewWindow() {
    // The new process shares the data directory, which is this one's working directory; the
    // profile lock keeps it off the profiles open here.
    const QString program = program_.isEmpty() ? QCoreApplication::applicationFilePath() : program_;
    if (!QProcess::startDetached(program, {QStringLiteral("--data-dir"), QDir::currentPath()}))
        QtMessageBoxes(&owner_).ShowMessage("Unable to start another TavClient.", "Error...");
}

void ExtraCommands::RunTimers() {
    CommandTimers& timers = term_.Timers();
    TimersDialog dialog(timers.Timers(), &owner_);
    if (dialog.exec() != QDialog::Accepted) return;
    timers.SetTimers(dialog.Timers());
    if (!timers.Save())
        QtMessageBoxes(&owner_).ShowMessage("Unable to save timers.cfg.", "Error...");
}

void ExtraCommands::RunExport() {
    const QString path = ChooseFileToSave(&owner_, QString::fromLatin1(kFileTypes));
    if (path.isEmpty()) return;
    const ProfilePlaces places{term_.DataRoot(), profile_(), triggers_, term_.Stored(),
                               ProfileTextUtf8()};
    const std::string text =
        FormatSettingsExport(ReadProfileBundle(places, term_.Timers().Timers()));
    if (WriteFileAtomically(LocalPath(path), text))
        term_.Session().PrintLocal("Settings exported.\r\n");
    else
        QtMessageBoxes(&owner_).ShowMessage("Unable to write the settings file.", "Error...");
}

void ExtraCommands::RunImport() {
    const QString path = ChooseFileToOpen(&owner_, QString::fromLatin1(kFileTypes));
    if (path.isEmpty()) return;
    const std::optional<std::string> bytes = ReadFileBytes(LocalPath(path));
    if (!bytes) {
        QtMessageBoxes(&owner_).ShowMessage("Unable to read the settings file.", "Error...");
        return;
    }
    const ProfilePlaces places{term_.DataRoot(), profile_(), triggers_, term_.Stored(),
                               ProfileTextUtf8()};
    const ImportOutcome outcome =
        ApplyImport(places, term_.Timers().Timers(), ParseSettingsImport(*bytes, places.utf8));
    std::vector<std::string> report = outcome.report;
    if (outcome.timers) {
        term_.Timers().SetTimers(*outcome.timers);
        if (!term_.Timers().Save()) report.push_back("Unable to write timers.cfg.");
    }
    if (outcome.functionKeysChanged) term_.SaveSettings();
    if (importFollowUp_) importFollowUp_();
    QtMessageBoxes(&owner_).ShowMessage(ImportReportText(report), "Import settings");
}

} // namespace tav
