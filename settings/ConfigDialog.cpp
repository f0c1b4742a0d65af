#include "settings/ConfigDialog.h"

#include "settings/Latin1Refusal.h"
#include "settings/Latin1Text.h"
#include "settings/OneLineValidator.h"
#include "settings/PlayerCommand.h"
#include "settings/TextMode.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSortFilterProxyModel>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <tuple>

namespace tav {

namespace {

// Keeps directories and the files the user may run: on this system a program is marked
// executable, whatever its name ends in.
class ProgramFilter : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
        auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
        if (files == nullptr) return true;
        const QFileInfo info = files->fileInfo(files->index(row, 0, parent));
        return info.isDir() || info.isExecutable();
    }
};

// A file chooser for an existing file that starts in `startDir` and leaves the working
// directory alone (the program's paths are relative to it); empty when cancelled.
QString ChooseExistingFile(QWidget* owner, const QString& filter, const QString& startDir,
                           bool programsOnly) {
    QFileDialog dialog(owner, QString(), startDir.isEmpty() ? QDir::currentPath() : startDir,
                       filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    if (programsOnly) dialog.setProxyModel(new ProgramFilter(&dialog));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

void ShowError(QWidget* owner, const QString& text) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Error..."), text, QMessageBox::Ok,
                    owner);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

// The player setting for a chosen program, as the field shows it: the path's own bytes
// (each shown as its Latin-1 character, as every setting is), quoted when it has blanks,
// so that the launcher, which splits the setting into words, starts exactly this file.
// Nothing, after saying why, when no setting can name it.
std::optional<QString> PlayerFieldText(QWidget* owner, const QString& chosen) {
    const std::optional<std::string> command =
        PlayerCommandFor(QFile::encodeName(chosen).toStdString());
    if (!command) {
        ShowError(owner, QStringLiteral("A player's path cannot hold a double quote (\"). "
                                        "Rename the player or its folder, then choose it "
                                        "again."));
        return std::nullopt;
    }
    if (command->size() > 255) {
        ShowError(owner, QStringLiteral("The player's path is too long: a player setting "
                                        "holds at most 255 characters."));
        return std::nullopt;
    }
    return Latin1ToQString(*command);
}

// A one-line field: `maxBytes` characters at most, line breaks dropped as they are typed
// or pasted (Store drops any that arrive otherwise).
QLineEdit* MakeEdit(QWidget* parent, int maxBytes, const QString& name) {
    auto* edit = new QLineEdit(parent);
    edit->setMaxLength(maxBytes);
    edit->setAccessibleName(name);
    edit->setValidator(new OneLineValidator(edit));
    return edit;
}

// Digits only, which also keeps line breaks out.
QLineEdit* MakeNumberEdit(QWidget* parent, const QString& name) {
    QLineEdit* edit = MakeEdit(parent, 15, name);
    edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
    return edit;
}

// A label that names `field` for the eye and for screen readers.
QLabel* MakeLabel(QWidget* parent, const QString& text, QWidget* field) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setBuddy(field);
    return label;
}

QCheckBox* MakeBox(QWidget* parent, const QString& text) {
    auto* box = new QCheckBox(text, parent);
    box->setAccessibleName(text);
    return box;
}

// A button named by its text, or by `name` where several share one text.
QPushButton* MakeButton(QWidget* parent, const QString& text, const QString& description,
                        const QString& name = {}) {
    auto* button = new QPushButton(text, parent);
    button->setAccessibleName(name.isEmpty() ? text : name);
    button->setAccessibleDescription(description);
    button->setAutoDefault(false);
    return button;
}

template <std::size_t N> std::span<char> TextField(Settings& s, char (Settings::*field)[N]) {
    return std::span<char>(s.*field, N);
}

} // namespace

// One control and the record field it edits: a text field or a flag.
struct tmarrowcfg::Field {
    QLineEdit* edit = nullptr;
    QAbstractButton* button = nullptr;
    std::span<char> (*text)(Settings&) = nullptr;
    Flag Settings::*flag = nullptr;
};

tmarrowcfg::tmarrowcfg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("TavClient Configuration"));
    setAccessibleName(windowTitle());
    Build();
}

tmarrowcfg::~tmarrowcfg() = default;

void tmarrowcfg::Build() {
    // Every control first, then the fields in the record's order, then the layout.
    midiPlayer_ = MakeEdit(this, 255, QStringLiteral("Midi player"));
    modPlayer_ = MakeEdit(this, 255, QStringLiteral("Mod Player:"));
    mp3Player_ = MakeEdit(this, 255, QStringLiteral("MP3 Player:"));
    QLineEdit* user = MakeEdit(this, 255, QStringLiteral("Username:"));
    QLineEdit* passwd = MakeEdit(this, 255, QStringLiteral("Password:"));
    passwd->setEchoMode(QLineEdit::Password);
    QLineEdit* addy = MakeEdit(this, 255, QStringLiteral("TavServer IP Address:"));
    QLineEdit* port = MakeNumberEdit(this, QStringLiteral("Port:"));
    QCheckBox* minimizeOnEdit = MakeBox(this, QStringLiteral("Minimize on edit reply."));
    QCheckBox* noMidi = MakeBox(this, QStringLiteral("Midi"));
    QCheckBox* noMod = MakeBox(this, QStringLiteral("Mod"));
    QCheckBox* noWav = MakeBox(this, QStringLiteral("Wav"));
    QCheckBox* hidePlayers = MakeBox(this, QStringLiteral("Attempt to hide sound players."));
    QCheckBox* noMp3 = MakeBox(this, QStringLiteral("Mp3"));
    QCheckBox* ignoreQueries = MakeBox(this, QStringLiteral("Ignore all server sound queries."));
    QCheckBox* onTop = MakeBox(this, QStringLiteral("Main window on top."));
    QCheckBox* downloadAll = MakeBox(this, QStringLiteral("Always download server files."));
    QCheckBox* savePasswd = MakeBox(this, QStringLiteral("Save password."));
    QCheckBox* autowrap = MakeBox(this, QStringLiteral("Autowrap."));
    QCheckBox* appendCr = MakeBox(this, QStringLiteral("Append CR to LF."));
    QCheckBox* smoothScroll = MakeBox(this, QStringLiteral("Smooth scroll."));
    QCheckBox* explicitMode = MakeBox(this, QStringLiteral("Text explicit mode."));
    QCheckBox* ignoreRedundant = MakeBox(this, QStringLiteral("Ignore redundant sounds."));
    QCheckBox* autoTerm = MakeBox(this, QStringLiteral("AutoConnect TavTerm."));
    autoClient_ = MakeBox(this, QStringLiteral("AutoConnect Client:"));
    waitClient_ = MakeBox(this, QStringLiteral("Wait "));
    QLineEdit* loginCom =
        MakeEdit(this, 255, QStringLiteral("TavTerm Login Commands (use ; for newline):"));
    QLineEdit* waitSecs = MakeNumberEdit(this, QStringLiteral("seconds after Term connects."));
    waitSecs->setAlignment(Qt::AlignCenter);
    waitSecs->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
    QLineEdit* scrollLines = MakeNumberEdit(this, QStringLiteral("Scroll lines:"));
    QLineEdit* inputLines = MakeNumberEdit(this, QStringLiteral("Input buffer lines:"));
    auto* cursorNone = new QRadioButton(QStringLiteral("None"), this);
    auto* cursorLine = new QRadioButton(QStringLiteral("Line"), this);
    auto* cursorBlock = new QRadioButton(QStringLiteral("Block"), this);
    for (QRadioButton* radio : {cursorNone, cursorLine, cursorBlock})
        radio->setAccessibleName(radio->text());
    bell_ = MakeEdit(this, 255, QStringLiteral("Bell wav file"));
    midiInternal_ = MakeBox(this, QStringLiteral("Internal MIDI (MCI)"));
    midiExternal_ = MakeBox(this, QStringLiteral("External->"));
    QCheckBox* customColors = MakeBox(this, QStringLiteral("Use custom MUD colors ->"));
    QCheckBox* noErase = MakeBox(this, QStringLiteral("No erase on input."));
    QCheckBox* neverHidePw = MakeBox(this, QStringLiteral("Never hide pword."));
    QCheckBox* visualBell = MakeBox(this, QStringLiteral("Visual bell."));
    QCheckBox* boardNotify = MakeBox(this, QStringLiteral("Board notification."));
    QCheckBox* multiScreen = MakeBox(this, QStringLiteral("MultiScreen."));
    QCheckBox* enhancedTerm = MakeBox(this, QStringLiteral("Enhanced Term."));
    QCheckBox* urlAware = MakeBox(this, QStringLiteral("URL aware."));
    QCheckBox* noAutoPing = MakeBox(this, QStringLiteral("Disable AutoPing."));
    QCheckBox* cdmDebug = MakeBox(this, QStringLiteral("CDM (debug)."));

#define TAV_TEXT(edit, member)                                                                     \
    Field{edit, nullptr, [](Settings& s) { return TextField(s, &Settings::member); }, nullptr}
#define TAV_FLAG(button, member)                                                                   \
    Field {                                                                                        \
        nullptr, button, nullptr, &Settings::member                                                \
    }
    fields_ = {
        TAV_TEXT(midiPlayer_, midiplayer),
        TAV_TEXT(modPlayer_, modplayer),
        TAV_TEXT(mp3Player_, mp3player),
        TAV_TEXT(user, user),
        TAV_TEXT(passwd, passwd),
        TAV_TEXT(addy, addy),
        TAV_TEXT(port, port),
        TAV_FLAG(minimizeOnEdit, minimizeonedit),
        TAV_FLAG(noMidi, nomidi),
        TAV_FLAG(noMod, nomod),
        TAV_FLAG(noWav, nowav),
        TAV_FLAG(hidePlayers, hideplayers),
        TAV_FLAG(noMp3, nomp3),
        TAV_FLAG(ignoreQueries, ignorequeries),
        TAV_FLAG(onTop, ontop),
        TAV_FLAG(downloadAll, downloadall),
        TAV_FLAG(savePasswd, savepasswd),
        TAV_FLAG(autowrap, autowrap),
        TAV_FLAG(appendCr, appendcr),
        TAV_FLAG(smoothScroll, smoothscroll),
        TAV_FLAG(explicitMode, explicitmode),
        TAV_FLAG(ignoreRedundant, ignoreredundant),
        TAV_FLAG(autoTerm, autoterm),
        TAV_FLAG(autoClient_, autoclient),
        TAV_FLAG(waitClient_, waitclient),
        TAV_TEXT(loginCom, logincom),
        TAV_TEXT(waitSecs, waitsecs),
        TAV_TEXT(scrollLines, scrolllines),
        TAV_TEXT(inputLines, inputlines),
        TAV_FLAG(cursorNone, cursornone),
        TAV_FLAG(cursorLine, cursorline),
        TAV_FLAG(cursorBlock, cursorblock),
        TAV_TEXT(bell_, bell),
        TAV_FLAG(midiInternal_, midiinternal),
        TAV_FLAG(midiExternal_, midiexternal),
        TAV_FLAG(customColors, customcolors),
        TAV_FLAG(noErase, noerase),
        TAV_FLAG(neverHidePw, neverhidepw),
        TAV_FLAG(visualBell, visualbell),
        TAV_FLAG(boardNotify, boardnotify),
        TAV_FLAG(multiScreen, multiscreen),
        TAV_FLAG(enhancedTerm, enhancedterm),
        TAV_FLAG(urlAware, urlaware),
        TAV_FLAG(noAutoPing, noautoping),
        TAV_FLAG(cdmDebug, cdmdebug),
    };
#undef TAV_TEXT
#undef TAV_FLAG

    auto* browseMidi = MakeButton(this, QStringLiteral("browse..."),
                                  QStringLiteral("Choose the MIDI player program"),
                                  QStringLiteral("Browse: MIDI player"));
    auto* browseMod = browseMod_ = MakeButton(this, QStringLiteral("browse..."),
                                              QStringLiteral("Choose the MOD player program"),
                                              QStringLiteral("Browse: MOD player"));
    auto* browseMp3 = browseMp3_ = MakeButton(this, QStringLiteral("browse..."),
                                              QStringLiteral("Choose the MP3 player program"),
                                              QStringLiteral("Browse: MP3 player"));
    builtInMod_ = MakeBox(this, QStringLiteral("Built-in"));
    builtInMod_->setAccessibleName(QStringLiteral("Built-in MOD player"));
    builtInMod_->setAccessibleDescription(
        QStringLiteral("Play MOD files with TavClient's own player: no program needed"));
    builtInMp3_ = MakeBox(this, QStringLiteral("Built-in"));
    builtInMp3_->setAccessibleName(QStringLiteral("Built-in MP3 player"));
    builtInMp3_->setAccessibleDescription(
        QStringLiteral("Play MP3 files with TavClient's own player: no program needed"));
    auto* browseBell = MakeButton(this, QStringLiteral("Bell Wav..."),
                                  QStringLiteral("Choose the bell's sound file"));
    colors_ = MakeButton(this, QStringLiteral("Colors..."),
                         QStringLiteral("Choose the custom MUD colours"));
    colors_->setEnabled(false);

    // Left column: players, sound and behaviour, then the server and the login.
    auto* midiGroup = new QGroupBox(QStringLiteral("Midi Configuration"), this);
    auto* midiGrid = new QGridLayout(midiGroup);
    midiGrid->addWidget(midiInternal_, 0, 0, 1, 3);
    midiGrid->addWidget(midiExternal_, 1, 0);
    midiGrid->addWidget(midiPlayer_, 1, 1);
    midiGrid->addWidget(browseMidi, 1, 2);
    midiGrid->addWidget(MakeLabel(this, QStringLiteral("Mod Player:"), modPlayer_), 2, 0);
    midiGrid->addWidget(modPlayer_, 2, 1);
    midiGrid->addWidget(browseMod, 2, 2);
    midiGrid->addWidget(builtInMod_, 2, 3);
    midiGrid->addWidget(MakeLabel(this, QStringLiteral("MP3 Player:"), mp3Player_), 3, 0);
    midiGrid->addWidget(mp3Player_, 3, 1);
    midiGrid->addWidget(browseMp3, 3, 2);
    midiGrid->addWidget(builtInMp3_, 3, 3);

    auto* dontPlay = new QGroupBox(QStringLiteral("Don't play:"), this);
    auto* dontPlayRow = new QHBoxLayout(dontPlay);
    for (QCheckBox* box : {noMidi, noMod, noWav, noMp3})
        dontPlayRow->addWidget(box);
    auto* behaviour = new QVBoxLayout;
    for (QCheckBox* box : {hidePlayers, ignoreQueries, ignoreRedundant, downloadAll, minimizeOnEdit,
                           onTop, noAutoPing, cdmDebug})
        behaviour->addWidget(box);

    auto* server = new QGridLayout;
    server->addWidget(MakeLabel(this, QStringLiteral("TavServer IP Address:"), addy), 0, 0);
    server->addWidget(addy, 0, 1);
    server->addWidget(MakeLabel(this, QStringLiteral("Port:"), port), 0, 2);
    server->addWidget(port, 0, 3);
    server->addWidget(MakeLabel(this, QStringLiteral("Username:"), user), 1, 0);
    server->addWidget(user, 1, 1);
    server->addWidget(MakeLabel(this, QStringLiteral("Password:"), passwd), 2, 0);
    server->addWidget(passwd, 2, 1);
    server->addWidget(savePasswd, 2, 2, 1, 2);

    auto* left = new QVBoxLayout;
    left->addWidget(midiGroup);
    left->addWidget(dontPlay);
    left->addLayout(behaviour);
    left->addStretch(1);
    left->addLayout(server);

    // Right column: the terminal's options.
    auto* term = new QGroupBox(QStringLiteral("TavTerm Options:"), this);
    auto* termLayout = new QVBoxLayout(term);
    auto* termBoxes = new QGridLayout;
    QCheckBox* const termOrder[] = {autowrap,    appendCr,     smoothScroll, explicitMode,
                                    noErase,     neverHidePw,  visualBell,   boardNotify,
                                    multiScreen, enhancedTerm, urlAware,     autoTerm};
    int index = 0;
    for (QCheckBox* box : termOrder) {
        termBoxes->addWidget(box, index / 2, index % 2);
        ++index;
    }
    termLayout->addLayout(termBoxes);

    auto* cursorGroup = new QGroupBox(QStringLiteral("Cursor"), this);
    auto* cursorRow = new QHBoxLayout(cursorGroup);
    for (QRadioButton* radio : {cursorNone, cursorLine, cursorBlock})
        cursorRow->addWidget(radio);
    auto* colorsRow = new QHBoxLayout;
    colorsRow->addWidget(customColors);
    colorsRow->addWidget(colors_);
    colorsRow->addStretch(1);
    auto* sizes = new QGridLayout;
    sizes->addWidget(MakeLabel(this, QStringLiteral("Scroll lines:"), scrollLines), 0, 0);
    sizes->addWidget(scrollLines, 0, 1);
    sizes->addWidget(MakeLabel(this, QStringLiteral("Input buffer lines:"), inputLines), 1, 0);
    sizes->addWidget(inputLines, 1, 1);
    sizes->addWidget(browseBell, 2, 0);
    sizes->addWidget(bell_, 2, 1);
    auto* waitRow = new QHBoxLayout;
    waitRow->addWidget(autoClient_);
    waitRow->addWidget(waitClient_);
    waitRow->addWidget(waitSecs);
    waitRow->addWidget(MakeLabel(this, QStringLiteral("seconds after Term connects."), waitSecs));
    waitRow->addStretch(1);
    termLayout->addWidget(cursorGroup);
    termLayout->addLayout(colorsRow);
    termLayout->addLayout(sizes);
    termLayout->addLayout(waitRow);
    termLayout->addWidget(
        MakeLabel(this, QStringLiteral("TavTerm Login Commands (use ; for newline):"), loginCom));
    termLayout->addWidget(loginCom);
    termLayout->addStretch(1);

    for (QGroupBox* group : findChildren<QGroupBox*>())
        group->setAccessibleName(group->title());

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    for (QAbstractButton* button : buttons->buttons())
        button->setAccessibleName(button->text().remove(QLatin1Char('&')));
    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addWidget(term, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(browseMidi, &QPushButton::clicked, this, [this] { OnBrowse(Browse::MidiPlayer); });
    connect(browseMod, &QPushButton::clicked, this, [this] { OnBrowse(Browse::ModPlayer); });
    connect(browseMp3, &QPushButton::clicked, this, [this] { OnBrowse(Browse::Mp3Player); });
    connect(browseBell, &QPushButton::clicked, this, [this] { OnBrowse(Browse::Bell); });
    connect(colors_, &QPushButton::clicked, this, [this] {
        if (colorsAction_) colorsAction_();
    });
    for (QCheckBox* box : {builtInMod_, builtInMp3_})
        connect(box, &QCheckBox::toggled, this, [this] { ShowBuiltInChoices(); });
    for (ConfigBox box : {ConfigBox::MidiInternal, ConfigBox::MidiExternal, ConfigBox::AutoClient,
                          ConfigBox::WaitClient})
        connect(&Box(box), &QCheckBox::clicked, this, [this, box] { OnBoxClicked(box); });
}

int tmarrowcfg::Run(Settings& record) {
    Load(record);
    if (exec() != QDialog::Accepted) return 2;
    Store(record);
    return 1;
}

int tmarrowcfg::Run(Settings& record, BuiltInPlayers& builtIn) {
    Load(record, builtIn);
    if (exec() != QDialog::Accepted) return 2;
    Store(record);
    builtIn = BuiltIn();
    return 1;
}

BuiltInPlayers tmarrowcfg::BuiltIn() const {
    return {builtInMod_->isChecked(), builtInMp3_->isChecked()};
}

void tmarrowcfg::ShowBuiltInChoices() {
    // The program field keeps its text for when the box is cleared again.
    for (auto [box, edit, browse] : {std::tuple{builtInMod_, modPlayer_, browseMod_},
                                     std::tuple{builtInMp3_, mp3Player_, browseMp3_}}) {
        edit->setEnabled(!box->isChecked());
        browse->setEnabled(!box->isChecked());
    }
}

void tmarrowcfg::Load(const Settings& record, BuiltInPlayers builtIn) {
    builtInMod_->setChecked(builtIn.mod);
    builtInMp3_->setChecked(builtIn.mp3);
    ShowBuiltInChoices();
    Settings copy = record;
    for (const Field& field : fields_) {
        if (field.edit != nullptr) {
            const std::span<char> text = field.text(copy);
            field.edit->setText(
                Latin1ToQString(std::string_view(text.data(), strnlen(text.data(), text.size()))));
            continue;
        }
        // A radio button of an exclusive set cannot be unchecked while it is the checked
        // one; a record with no cursor style chosen shows none.
        const bool exclusive = field.button->autoExclusive();
        field.button->setAutoExclusive(false);
        field.button->setChecked(copy.*field.flag != 0);
        field.button->setAutoExclusive(exclusive);
    }
}

void tmarrowcfg::Store(Settings& record) const {
    for (const Field& field : fields_) {
        if (field.edit != nullptr) {
            const std::span<char> text = field.text(record);
            const std::string bytes = WithoutLineBreaks(QStringToLatin1(field.edit->text()));
            std::size_t n = std::min(bytes.size(), text.size() - 1);
            std::fill(text.begin(), text.end(), '\0');
            std::copy_n(bytes.begin(), n, text.begin());
        } else {
            record.*field.flag = field.button->isChecked() ? 1 : 0;
        }
    }
}

void tmarrowcfg::done(int result) {
    if (result == Accepted) {
        std::vector<QWidget*> edits;
        for (const Field& field : fields_)
            if (field.edit != nullptr) edits.push_back(field.edit);
        if (RefuseNonLatin1(this, edits, "the settings")) return;
    }
    QDialog::done(result);
}

void tmarrowcfg::SetColorsAction(std::function<void()> action) {
    colorsAction_ = std::move(action);
    colors_->setEnabled(static_cast<bool>(colorsAction_));
}

QCheckBox& tmarrowcfg::Box(ConfigBox box) const {
    switch (box) {
    case ConfigBox::MidiInternal: return *midiInternal_;
    case ConfigBox::MidiExternal: return *midiExternal_;
    case ConfigBox::AutoClient: return *autoClient_;
    case ConfigBox::WaitClient: break;
    }
    return *waitClient_;
}

void tmarrowcfg::OnBoxClicked(ConfigBox clicked) {
    const ConfigBoxStates states =
        ApplyConfigInterlock({midiInternal_->isChecked(), midiExternal_->isChecked(),
                              autoClient_->isChecked(), waitClient_->isChecked()},
                             clicked);
    midiInternal_->setChecked(states.midiInternal);
    midiExternal_->setChecked(states.midiExternal);
    autoClient_->setChecked(states.autoClient);
    waitClient_->setChecked(states.waitClient);
}

void tmarrowcfg::OnBrowse(Browse which) {
    QLineEdit* edit = nullptr;
    QString startDir;
    switch (which) {
    case Browse::MidiPlayer:
        edit = midiPlayer_;
        // Starts where the current player is, when it names one.
        if (const std::vector<std::string> words =
                SplitPlayerCommand(QStringToLatin1(edit->text()));
            !words.empty())
            startDir = QFileInfo(QFile::decodeName(QByteArray::fromStdString(words.front())))
                           .absolutePath();
        break;
    case Browse::ModPlayer: edit = modPlayer_; break;
    case Browse::Mp3Player: edit = mp3Player_; break;
    case Browse::Bell: edit = bell_; break;
    }
    const bool program = which != Browse::Bell;
    const QString chosen = ChooseExistingFile(
        this, program ? QStringLiteral("Programs (*)") : QStringLiteral("Wavs (*.wav *.WAV)"),
        startDir, program);
    if (chosen.isEmpty()) return;
    if (!program) {
        edit->setText(chosen);
        return;
    }
    if (const std::optional<QString> text = PlayerFieldText(this, chosen)) edit->setText(*text);
}

} // namespace tav
