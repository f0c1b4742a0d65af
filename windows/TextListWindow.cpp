#include "windows/TextListWindow.h"

#include "screen/qt/ScreenFonts.h"
#include "screen/qt/ScreenWidget.h"
#include "settings/Latin1Text.h"
#include "settings/UserFile.h"
#include "term/qt/QtMessageBoxes.h"
#include "windows/FindBar.h"
#include "windows/QtRect.h"
#include "windows/ToolChoosers.h"

#include <QCheckBox>
#include <QFontDialog>
#include <QFrame>
#include <QKeyEvent>
#include <QPushButton>
#include <QShortcut>

#include <algorithm>

namespace tav {

namespace {

constexpr int kButtonTop = 4;
constexpr int kButtonGap = 4;
constexpr int kFrameLeft = 2;

QPushButton* SizedButton(const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setAccessibleName(text);
    button->resize(button->sizeHint());
    return button;
}

} // namespace

txtdlg::txtdlg(const QString& caption, TextListStore store, const Settings& settings,
               const ColorRef* mudColors, QWidget* owner)
    : ToolWindow(caption, store.rect, owner), store_(store) {
    if (store_.onTop == nullptr) store_.onTop = &unsavedOnTop_;
    screen_ = std::make_unique<TMudScreen>(settings);
    screen_->queueLines = false;
    screen_->ResetScreen(kTextListLines);

    font_ = SizedButton("Font...", this);
    saveAs_ = SizedButton("Save As...", this);
    onTopBox_ = new QCheckBox("Always on top.", this);
    onTopBox_->setAccessibleName("Always on top.");
    onTopBox_->resize(onTopBox_->sizeHint());
    close_ = SizedButton("Close", this);
    font_->move(kButtonGap, kButtonTop);
    saveAs_->move(font_->geometry().right() + 1 + kButtonGap, kButtonTop);
    onTopBox_->move(0, kButtonTop + (font_->height() - onTopBox_->height()) / 2);
    close_->move(0, kButtonTop);

    frame_ = new QFrame(this);
    frame_->setObjectName("Frame1");
    frame_->setFrameShape(QFrame::HLine);
    frame_->setGeometry(kFrameLeft, kButtonTop + font_->height() + kButtonGap, 10, 1);

    view_ = new ScreenWidget(*screen_, settings, mudColors, this);
    view_->setWindowTitle("TavClient MudScreen");
    view_->setAccessibleName("TavClient MudScreen");

    const TextListLayoutInput in = LayoutInput();
    // Room for the buttons and a few lines of text.
    setMinimumSize(TextListMinimumWidth(in, saveAs_->geometry().right() + 1),
                   TextListMinimumHeight(in) + 3 * font_->height());

    connect(close_, &QPushButton::clicked, this, &txtdlg::hide);
    connect(font_, &QPushButton::clicked, this, &txtdlg::ChooseFont);
    connect(saveAs_, &QPushButton::clicked, this, &txtdlg::ChooseFileAndSave);
    connect(onTopBox_, &QCheckBox::clicked, this, &txtdlg::OnTopClicked);
}

txtdlg::~txtdlg() {
    // The widget reads the screen until it goes.
    delete view_;
}

void txtdlg::SetUp() {
    if (store_.font.face[0] != '\0') view_->SetScreenFont(store_.font);
    screen_->autowrap = false;
    screen_->appendcr = true;
    screen_->smoothscroll = false;
    screen_->explicitmode = true;
    onTopBox_->setChecked(*store_.onTop != 0);
    PlaceStored(onTopBox_->isChecked());
    Layout();
}

void txtdlg::ShowRaised() {
    showNormal();
    raise();
    activateWindow();
}

TextListLayoutInput txtdlg::LayoutInput() const {
    TextListLayoutInput in;
    in.width = width();
    in.height = height();
    in.frameLeft = frame_->x();
    in.frameTop = frame_->y();
    in.closeTop = close_->y();
    in.closeWidth = close_->width();
    in.closeHeight = close_->height();
    in.checkTop = onTopBox_->y();
    in.checkWidth = onTopBox_->width();
    in.checkHeight = onTopBox_->height();
    return in;
}

void txtdlg::Layout() {
    if (view_ == nullptr) return; // sized before its children are all there
    const TextListLayout layout = ComputeTextListLayout(LayoutInput());
    frame_->setGeometry(ToQRect(layout.frame));
    close_->setGeometry(ToQRect(layout.close));
    onTopBox_->setGeometry(ToQRect(layout.check));
    QRect screen = ToQRect(layout.screen);
    if (find_ != nullptr && !find_->isHidden()) {
        // The find bar takes the bottom of the screen's place.
        const int barHeight = std::min(find_->sizeHint().height(), screen.height());
        screen.setHeight(screen.height() - barHeight);
        find_->setGeometry(screen.left(), screen.bottom() + 1, screen.width(), barHeight);
    }
    view_->SetScreenRect(screen, true);
}

void txtdlg::resizeEvent(QResizeEvent* event) {
    ToolWindow::resizeEvent(event);
    Layout();
}

void txtdlg::keyPressEvent(QKeyEvent* event) {
    if (find_ != nullptr && find_->TakeKey(*event)) return event->accept();
    ToolWindow::keyPressEvent(event);
}

void txtdlg::AddFindBar() {
    if (find_ != nullptr) return;
    find_ = new FindBar(*screen_, this);
    // The window's own shortcut: the main window's Find... serves the main screen.
    auto* shortcut = new QShortcut(QKeySequence("Ctrl+Shift+F"), this);
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, this, &txtdlg::OpenFindBar);
    connect(find_, &FindBar::foundChanged, this, &txtdlg::ShowFoundText);
    connect(find_, &FindBar::closed, this, &txtdlg::OnFindClosed);
}

void txtdlg::OpenFindBar() {
    find_->show();
    Layout();
    find_->Open();
}

void txtdlg::ShowFoundText() {
    const std::optional<SearchMatch> current = find_->Current();
    view_->SetFoundText(find_->Matches(), current);
    if (current) RevealFound(*current);
}

void txtdlg::RevealFound(const SearchMatch& match) {
    const std::optional<int> line = BufferLineOf(*screen_, match);
    if (!line) return;
    const int rows = screen_->Rows();
    if (*line >= screen_->Top() && *line < screen_->Top() + rows) return;
    screen_->ScrollBar(ScrollRequest::ThumbTrack, *line - rows / 2);
}

void txtdlg::OnFindClosed() {
    Layout();
    view_->setFocus();
}

void txtdlg::OnTopClicked(bool checked) {
    SetTopmost(checked);
    *store_.onTop = checked ? 1 : 0;
}

void txtdlg::ChooseFont() {
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, FontFromSpec(view_->ScreenFont()), this);
    if (!ok) return;
    const FontSpec spec = SpecFromFont(chosen);
    const bool changed = !SameFontSpec(spec, view_->ScreenFont());
    store_.font = spec;
    view_->SetScreenFont(spec);
    if (changed) Layout();
    view_->update();
}

void txtdlg::ChooseFileAndSave() {
    const QString path = ChooseFileToSave(this, "Text files (*.txt)");
    if (!path.isEmpty()) SaveTo(path);
}

bool txtdlg::SaveTo(const QString& path) {
    const std::string file = path.toLocal8Bit().toStdString();
    switch (WriteUserFile(file, screen_->GetAllText())) {
    case UserFileResult::Written: return true;
    case UserFileResult::NotOpened:
        ExecPlainMessageBox(this, BoxIcon::Critical, "Error...",
                            "Unable to open file for writing.");
        return false;
    case UserFileResult::NotWritten: break;
    }
    ExecPlainMessageBox(this, BoxIcon::Critical, "Error...",
                        "Unable to write the whole text to the file.");
    return false;
}

} // namespace tav
