// Before any Qt header: the session headers use names Qt defines as macros ("slots").
#include "term/TermSession.h"
#include "term/TextTransfer.h"

#include "app/FrameCommands.h"

#include "app/MenuCommands.h"
#include "screen/qt/GameText.h"
#include "screen/qt/ScreenFonts.h"
#include "screen/qt/ScreenWidget.h"
#include "settings/Latin1Text.h"
#include "windows/TermWindow.h"
#include "windows/ToolChoosers.h"

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFontDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace tav {

namespace {

constexpr int kFrameIds[] = {
    kCmPasteToMud, kCmPasteToMudNl, kCmSelectedToMud, kCmSelectedToMudNl, kCmSaveSelected,
    kCmBeginLog,   kCmEndLog,       kCmTextColor,     kCmBkgndColor,      kCmTermFont,
    kCmInputFont,  kCmRoomFont,     kCmExitFont,      kCmContentsFont,    kCmClearScreen,
    kCmRepaint,    kCmMixer,        kCmClientHelp,
};

constexpr const char* kHelpFile = "clienthelp.txt";
// The file types of the log chooser: the second also writes the HTML log in colour
// beside the text log.
const QString kTextFileType = QStringLiteral("Text files (*.txt)");
const QString kTextAndHtmlFileType =
    QStringLiteral("Text files, and an HTML log with colors beside them (*.txt)");

std::optional<QString> SystemClipboardText() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (data == nullptr || !data->hasText()) return std::nullopt;
    return data->text();
}

} // namespace

FrameCommands::FrameCommands(tmudterm& term, StoredValues& stored, QWidget& owner,
                             std::function<void()> save)
    : QObject(&owner), term_(term), stored_(stored), owner_(owner), save_(std::move(save)),
      qtBoxes_(&owner), log_(static_cast<MessageBoxes&>(*this)),
      colorLog_(static_cast<MessageBoxes&>(*this),
                [this] { return term_.MainScreenWidget().Palette(); }) {
    choosers_.file = [this](const QString& title, const QString& startDir,
                            const QStringList& types) {
        (void)title;
        FileChoice choice;
        choice.path = ChooseFileToSave(&owner_, types, startDir, &choice.type);
        return choice;
    };
    choosers_.color = [this](const QColor& initial, const QString& title) {
        return QtColorAsker(&owner_, title)(initial);
    };
    choosers_.font = [this](const QFont& initial) -> std::optional<QFont> {
        bool ok = false;
        const QFont font = QFontDialog::getFont(&ok, initial, &owner_);
        if (!ok) return std::nullopt;
        return font;
    };
    choosers_.clipboard = SystemClipboardText;
    choosers_.confirm = [this](const QString& text, const QString& title) {
        QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No,
                        &owner_);
        box.setDefaultButton(QMessageBox::No);
        box.setTextFormat(Qt::PlainText);
        return box.exec() == QMessageBox::Yes;
    };

    const QString programDir = QCoreApplication::applicationDirPath();
    helpFolders_ = {programDir, QDir(programDir).filePath(QStringLiteral("../share/tavclient")),
                    QDir::currentPath()};
    term_.SetLineLog(static_cast<LineLog*>(this));
}

FrameCommands::~FrameCommands() {
    term_.SetLineLog(nullptr);
}

std::span<const int> FrameCommands::Ids() {
    return kFrameIds;
}

bool FrameCommands::Handles(int id) {
    return std::find(std::begin(kFrameIds), std::end(kFrameIds), id) != std::end(kFrameIds);
}

const std::vector<QStringList>& FrameCommands::MixerPrograms() {
    static const std::vector<QStringList> programs = {
        {QStringLiteral("pavucontrol")},
        {QStringLiteral("pavucontrol-qt")},
        {QStringLiteral("pwvucontrol")},
        {QStringLiteral("mate-volume-control")},
        {QStringLiteral("gnome-control-center"), QStringLiteral("sound")},
    };
    return programs;
}

void FrameCommands::Run(int id) {
    if (busy_.count(id) != 0) return; // its chooser is open already
    busy_.insert(id);
    switch (id) {
    case kCmPasteToMud: Paste(false); break;
    case kCmPasteToMudNl: Paste(true); break;
    case kCmSelectedToMud: SelectedToGame(false); break;
    case kCmSelectedToMudNl: SelectedToGame(true); break;
    case kCmSaveSelected: SaveSelected(); break;
    case kCmBeginLog: BeginLog(); break;
    case kCmEndLog: EndLog(); break;
    case kCmTextColor: ChooseScreenColor(false); break;
    case kCmBkgndColor: ChooseScreenColor(true); break;
    case kCmTermFont:
    case kCmInputFont:
    case kCmRoomFont:
    case kCmExitFont:
    case kCmContentsFont: ChooseFont(id); break;
    case kCmClearScreen:
        term_.MainScreen().ClearScreen();
        term_.MainScreenWidget().InvalidateScreen();
        break;
    case kCmRepaint: term_.MainScreenWidget().InvalidateScreen(); break;
    case kCmMixer: StartMixer(); break;
    case kCmClientHelp: OpenClientHelp(); break;
    default: break;
    }
    busy_.erase(id);
}

// --- text to the game and to files ------------------------------------------------------

void FrameCommands::Paste(bool lineEnd) {
    std::optional<std::string> bytes;
    if (const std::optional<QString> text = choosers_.clipboard())
        bytes = QStringToGameBytes(*text, term_.Session().Encoding());
    PasteToGame(term_.Session(), *boxes_, bytes, lineEnd);
}

void FrameCommands::SelectedToGame(bool lineEnd) {
    SelectionToGame(term_.Session(), term_.MainScreen().GetSelectedText(), lineEnd);
}

FrameCommands::FileChoice FrameCommands::ChooseTextFile(const QString& title,
                                                        const QStringList& types) {
    const FileChoice choice = choosers_.file(title, lastFolder_, types);
    if (!choice.path.isEmpty()) lastFolder_ = QFileInfo(choice.path).absolutePath();
    return choice;
}

void FrameCommands::SaveSelected() {
    const std::optional<std::string> text = term_.MainScreen().GetSelectedText();
    if (!text) {
        boxes_->ShowMessage(kNothingSelected, kErrorTitle);
        return;
    }
    const QString path =
        ChooseTextFile(QStringLiteral("Save selected as..."), {kTextFileType}).path;
    if (!path.isEmpty()) SaveTextAs(*boxes_, path.toStdString(), *text);
}

void FrameCommands::BeginLog() {
    // A colour log left open after its text log failed still counts as logging.
    if (colorLog_.IsOpen()) {
        boxes_->ShowMessage(kAlreadyLogging, kErrorTitle);
        return;
    }
    if (!log_.CheckNotLogging()) return;
    const FileChoice choice =
        ChooseTextFile(QStringLiteral("Begin log"), {kTextFileType, kTextAndHtmlFileType});
    if (choice.path.isEmpty()) return;
    const std::string path = choice.path.toStdString();
    const bool withHtml = choice.type == 1;
    const std::string htmlPath = HtmlLogPathBeside(path);
    // The chooser asked about the text file it names; the HTML file beside it is asked
    // about here, before either file is touched.
    if (withHtml) {
        const QFileInfo html(QString::fromStdString(htmlPath));
        if ((html.exists() || html.isSymLink()) &&
            !choosers_.confirm(QStringLiteral("%1 already exists.\nDo you want to replace it?")
                                   .arg(html.filePath()),
                               QStringLiteral("Begin log")))
            return;
    }
    // Both logs or neither: an HTML log that cannot begin ends the text log again.
    if (!log_.Begin(path) || !withHtml) return;
    if (!colorLog_.Begin(htmlPath)) {
        log_.End();
        return;
    }
    colorLog_.SetUtf8Text(HasUnicodeCells(term_.Session().Encoding()));
    // The screen keeps each line's colours for the HTML log from now on.
    term_.MainScreen().keepLineAttributes = true;
}

void FrameCommands::EndLog() {
    log_.End();
    colorLog_.End();
    term_.MainScreen().keepLineAttributes = false;
}

// --- colours and fonts ------------------------------------------------------------------

void FrameCommands::ChooseScreenColor(bool background) {
    const QString title =
        background ? QStringLiteral("Background color") : QStringLiteral("Text color");
    const ColorAsker ask = [this, &title](const QColor& initial) {
        return choosers_.color(initial, title);
    };
    const std::optional<ColorRef> chosen =
        ChooseColor(ask, background ? stored_.bcolor : stored_.tcolor, stored_.custcolors);
    if (!chosen) return;
    term_.SetScreenColor(background ? ScreenColor::Background : ScreenColor::Text, *chosen);
    save_();
}

void FrameCommands::ChooseFont(int id) {
    struct Target {
        FontSpec* stored;
        FontItem item;
    };
    Target target{};
    switch (id) {
    case kCmTermFont: target = {&stored_.termfont, FontItem::Term}; break;
    case kCmInputFont: target = {&stored_.inputfont, FontItem::Input}; break;
    case kCmRoomFont: target = {&stored_.descfont, FontItem::Desc}; break;
    case kCmExitFont: target = {&stored_.exitfont, FontItem::Exit}; break;
    default: target = {&stored_.listfont, FontItem::List}; break;
    }
    const std::optional<QFont> font = choosers_.font(FontFromSpec(*target.stored));
    if (!font) return;
    const FontSpec chosen = SpecFromFont(*font);
    const bool changed = !SameFontSpec(chosen, *target.stored);
    *target.stored = chosen;
    term_.ReplaceFont(target.item, chosen);
    if (target.item == FontItem::Term) {
        // The panes show the terminal font until the profile is applied again.
        for (FontItem pane : {FontItem::Desc, FontItem::Exit, FontItem::List})
            term_.ReplaceFont(pane, chosen);
        if (changed) term_.Relayout();
        term_.UpdateSizeText();
        term_.UpdateCursorText();
        term_.MainScreenWidget().InvalidateScreen();
    } else {
        term_.Relayout();
    }
    save_();
}

// --- programs of the desktop -------------------------------------------------------------

void FrameCommands::StartMixer() {
    for (const QStringList& argv : MixerPrograms()) {
        const QString program = QStandardPaths::findExecutable(argv.front());
        if (program.isEmpty()) continue;
        // Run directly, never through a shell; the client's own descriptors are all
        // close-on-exec, so the mixer holds none of its sockets or files.
        if (QProcess::startDetached(program, argv.mid(1), QDir::homePath())) return;
        break;
    }
    boxes_->ShowMessage(kStartFailed, kErrorTitle);
}

void FrameCommands::OpenClientHelp() {
    for (const QString& folder : helpFolders_) {
        const QFileInfo file(QDir(folder).filePath(QLatin1String(kHelpFile)));
        if (!file.isFile()) continue;
        if (QDesktopServices::openUrl(QUrl::fromLocalFile(file.absoluteFilePath()))) return;
        break;
    }
    boxes_->ShowMessage(kStartFailed, kErrorTitle);
}

} // namespace tav
