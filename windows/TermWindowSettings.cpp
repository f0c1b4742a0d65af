#include "windows/TermWindow.h"

#include "commands/AliasFile.h"
#include "commands/Speedwalk.h"
#include "net/CertificateTrust.h"
#include "screen/TextDecoder.h"
#include "screen/qt/ScreenFonts.h"
#include "settings/ProfileText.h"
#include "settings/SizesStep.h"
#include "term/TermSession.h"
#include "term/qt/InputLine.h"
#include "windows/Divider.h"
#include "windows/MapWindow.h"
#include "windows/QtRect.h"
#include "windows/StatusWindow.h"

#include <QWidget>

// The terminal window's profile: its aliases and options, applied to the session, the
// screens and the input line, and the fonts, colours and sizes the settings give them.

namespace tav {

void tmudterm::LoadAliases() {
    AliasFileContents contents = LoadAliasFile(AliasFilePath(dataRoot_, profileName_));
    aliases_ = std::move(contents.aliases);
    if (contents.notUnderstood > 0)
        session_->PrintLocal("aliases.cfg: " + std::to_string(contents.notUnderstood) +
                             " line(s) not understood, kept as they are...\r\n");
}

bool tmudterm::SetAliases(std::vector<Alias> aliases) {
    aliases_ = std::move(aliases);
    // Only the typed-line rules: the rest of the options (an encoding the server agreed
    // on) stays as it is.
    ApplyCommandRules();
    if (SaveAliasFile(AliasFilePath(dataRoot_, profileName_), aliases_)) return true;
    session_->PrintLocal("Unable to open aliases.cfg for writing...\r\n");
    return false;
}

std::string tmudterm::OptionsPath() const {
    return ProfileOptionsPath(dataRoot_, profileName_);
}

void tmudterm::ApplyOptions() {
    session_->SetEncoding(options_.encoding);
    session_->SetColourMode(options_.colours);
    split_->SetColourMode(options_.colours);
    session_->SetEchoColour(options_.echoColoured ? std::optional(options_.echoColour)
                                                  : std::nullopt);
    SetProfileTextUtf8(HasUnicodeCells(options_.encoding));
    session_->SetAutoReconnect(options_.autoReconnect);
    session_->SetNegotiation(options_.negotiate);
    input_->SetTabCompletion(options_.tabComplete);
    input_->SetLongLines(options_.longLines);
    input_->SetPasteToInput(options_.pasteToInput);
    session_->SetInputLimit(options_.longLines ? kLongInputBytes : kMaxHistoryChars);
    session_->SetGaPrompts(options_.gaPrompts);
    session_->SetConnectLogin(options_.connectLogin);
    const int columns = options_.wideScreen ? kWideBufferColumns : kBufferColumns;
    main_->SetBufferColumns(columns);
    split_->SetBufferColumns(columns);
    session_->SetTls(
        {options_.tls, options_.tlsPort, CertificateTrustPath(dataRoot_, profileName_)});
    ApplyCommandRules();
    emit optionsApplied();
}

void tmudterm::ApplyCommandRules() {
    session_->SetCommandRules({options_.separator, options_.speedwalk,
                               WalkDirections(options_.speedwalkDirections), aliases_});
}

bool tmudterm::SetOptions(const ProfileOptions& options) {
    options_ = options;
    ApplyOptions();
    return SaveOptions();
}

bool tmudterm::SaveOptions() {
    if (SaveProfileOptions(OptionsPath(), options_)) return true;
    session_->PrintLocal("Unable to open options.cfg for writing...\r\n");
    return false;
}

void tmudterm::ApplyScreenSettings(bool initial) {
    struct Screen {
        TMudScreen& screen;
        ScreenWidget& widget;
        const FontSpec& font;
    };
    const Screen screens[] = {{*main_, *mainWidget_, stored_.termfont},
                              {*split_, *splitWidget_, stored_.termfont},
                              {*desc_, *descWidget_, stored_.descfont},
                              {*exit_, *exitWidget_, stored_.exitfont},
                              {*list_, *listWidget_, stored_.listfont}};
    for (const Screen& s : screens) {
        if (s.font.face[0] != '\0') s.widget.SetScreenFont(s.font);
        s.screen.autowrap = settings_.autowrap != 0;
        s.screen.appendcr = settings_.appendcr != 0;
        s.screen.smoothscroll = settings_.smoothscroll != 0;
        s.screen.explicitmode = settings_.explicitmode != 0;
        s.screen.bellPath = settings_.bell;
    }

    const bool panes = settings_.multiscreen != 0;
    for (QWidget* w : {static_cast<QWidget*>(descWidget_), static_cast<QWidget*>(exitWidget_),
                       static_cast<QWidget*>(listWidget_), static_cast<QWidget*>(hdiv_),
                       static_cast<QWidget*>(h2div_), static_cast<QWidget*>(vdiv_)})
        w->setVisible(panes);
    map_->setVisible(settings_.enhancedterm != 0);
    stat_->setVisible(settings_.enhancedterm != 0);

    if (initial) {
        // While a profile is being applied the window does not have its final size yet
        // (the frame is placed afterwards): the first positions are then taken from the
        // size the window has when the layout is released.
        if (layoutLock_)
            dividersPending_ = true;
        else
            PlaceInitialDividers();
    }
    if (stored_.inputfont.face[0] != '\0') input_->setFont(FontFromSpec(stored_.inputfont));
}

void tmudterm::ApplySizes() {
    const SizesStep step = ComputeSizesStep(settings_, main_->Lines(), session_->History().Slots());
    if (step.scrollLines) {
        main_->ResetScreen(*step.scrollLines);
        split_->ResetScreen(*step.scrollLines);
        emit scrollLinesChanged(*step.scrollLines);
    }
    if (step.historyLines) session_->History().Resize(*step.historyLines);
}

void tmudterm::ReplaceFont(FontItem item, const FontSpec& font) {
    switch (item) {
    case FontItem::Term:
        mainWidget_->SetScreenFont(font);
        splitWidget_->SetScreenFont(font);
        break;
    case FontItem::Input: input_->setFont(FontFromSpec(font)); break;
    case FontItem::Desc: descWidget_->SetScreenFont(font); break;
    case FontItem::Exit: exitWidget_->SetScreenFont(font); break;
    case FontItem::List: listWidget_->SetScreenFont(font); break;
    default: break; // the tool windows take their fonts from the stored values
    }
}

void tmudterm::SetScreenColor(ScreenColor which, ColorRef color) {
    for (ScreenWidget* w : {mainWidget_, splitWidget_, descWidget_, exitWidget_, listWidget_}) {
        if (which == ScreenColor::Background)
            w->SetBackgroundColor(color);
        else
            w->SetTextColor(color);
    }
    (which == ScreenColor::Background ? stored_.bcolor : stored_.tcolor) = color;
}

void tmudterm::SetTopmost(bool topmost) {
    emit topmostRequested(topmost);
}

void tmudterm::PlaceFrame(const Rect& frame) {
    emit placeFrameRequested(ToQRect(frame));
}

void tmudterm::PostConfigCommand() {
    QMetaObject::invokeMethod(
        this, [this] { emit configRequested(); }, Qt::QueuedConnection);
}

} // namespace tav
