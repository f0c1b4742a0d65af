#include "windows/BoardsWindow.h"

#include "screen/qt/ScreenFonts.h"
#include "screen/qt/ScreenWidget.h"
#include "settings/Latin1Text.h"
#include "term/qt/QtMessageBoxes.h"
#include "windows/Divider.h"
#include "windows/MessageListBox.h"

#include <QFontDialog>
#include <QFrame>
#include <QInputDialog>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace tav {

namespace {

constexpr int kEdge = ReadingPane::kMargin;
constexpr int kDividerThickness = ReadingPane::kDividerThickness;
// The least each list keeps when the vertical divider is dragged or the window shrinks.
constexpr int kMinPane = ReadingPane::kMinPane;

} // namespace

brddlg::brddlg(const Settings& settings, StoredValues& stored, ClientRequests& requests,
               QWidget* owner)
    : ToolWindow(QStringLiteral("TavClient BoardWin"), stored.brdpos, owner), settings_(settings),
      stored_(stored), model_(requests) {
    update_ = MakeToolButton(QStringLiteral("Update Board Index"), this);
    font_ = MakeToolButton(QStringLiteral("Font..."), this);
    close_ = MakeToolButton(QStringLiteral("Close"), this);
    line_ = new QFrame(this);
    line_->setFrameShape(QFrame::HLine);
    boards_ = new TMsgListBox(
        QStringLiteral("Board Index"),
        {{QStringLiteral("&Select"), kCmSelect}, {QStringLiteral("&Post"), kCmPost}}, this);
    messages_ = new TMsgListBox(QStringLiteral("Msg Index"),
                                {{QStringLiteral("&Read"), kCmRead},
                                 {QStringLiteral("Re&ply"), kCmReply},
                                 {QStringLiteral("&Delete"), kCmDelete}},
                                this);
    reading_.emplace(settings, stored, QStringLiteral("TavClient BrdHDivWin"), this);
    vdiv_ = new Divider(Qt::Vertical, this);
    vdiv_->setWindowTitle(QStringLiteral("TavClient BrdVDivWin"));
    vdiv_->setAccessibleName(vdiv_->windowTitle());

    const int buttons = update_->sizeHint().height();
    const int minimumWidth = update_->sizeHint().width() + font_->sizeHint().width() +
                             close_->sizeHint().width() + 4 * kEdge;
    setMinimumSize(std::max(minimumWidth, 2 * kEdge + 2 * kMinPane + kDividerThickness),
                   buttons + 3 * kEdge + 1 + 2 * kMinPane + kDividerThickness + kEdge);

    connect(update_, &QPushButton::clicked, this, [&requests] { requests.SendBindexRequest(); });
    connect(font_, &QPushButton::clicked, this, &brddlg::ChooseFont);
    connect(close_, &QPushButton::clicked, this, &QWidget::hide);
    connect(boards_, &IndexList::chosen, this, &brddlg::SelectBoard);
    connect(messages_, &IndexList::chosen, this, &brddlg::ReadMessage);
    connect(boards_, &TMsgListBox::command, this, &brddlg::RunCommand);
    connect(messages_, &TMsgListBox::command, this, &brddlg::RunCommand);
    connect(&reading_->Bar(), &Divider::moved, this, [this](int delta) {
        reading_->Drag(delta);
        Layout();
    });
    connect(vdiv_, &Divider::moved, this, [this](int delta) {
        vdivLeft_ += delta;
        Layout();
    });
}

void brddlg::Restore() {
    reading_->Widget().SetScreenFont(stored_.brdfont, true);
    // Placed first: the first layout puts the dividers at a third of the window's width
    // and half its height.
    PlaceStored(false);
    Layout();
}

void brddlg::SetBoardIndex(std::vector<BoardEntry> boards) {
    model_.SetBoards(std::move(boards));
    QStringList titles;
    for (const BoardEntry& board : model_.Boards())
        titles.push_back(Latin1ToQString(board.title));
    boards_->Fill(titles);
    ShowMessages();
    reading_->Screen().ResetScreen(reading_->Screen().Lines());
    update();
}

void brddlg::SetMessageIndex(std::vector<std::string> lines) {
    model_.SetMessages(std::move(lines));
    ShowMessages(); // the text of the message last read stays
    update();
}

std::optional<std::string> brddlg::BoardUpdate(int board) {
    return model_.BoardUpdate(board);
}

void brddlg::ShowMessages() {
    QStringList lines;
    for (const std::string& line : model_.Messages())
        lines.push_back(Latin1ToQString(line));
    messages_->Fill(lines);
}

void brddlg::RunCommand(int id) {
    switch (id) {
    case kCmSelect: SelectBoard(); break;
    case kCmRead: ReadMessage(); break;
    case kCmReply: Reply(); break;
    case kCmPost: Post(); break;
    case kCmDelete: Delete(); break;
    default: break;
    }
}

void brddlg::SelectBoard() {
    if (!model_.SelectBoard(boards_->SelectedRow())) return;
    ShowMessages();
    reading_->Screen().ResetScreen(reading_->Screen().Lines());
}

void brddlg::ReadMessage() {
    model_.ReadMessage(messages_->SelectedRow());
}

void brddlg::Delete() {
    // No question asked: the server keeps its own rules on who may delete what.
    model_.DeleteMessage(messages_->SelectedRow());
}

// Both take the board when they ask for the heading: a board index arriving while the
// dialog is open changes the current board, not where the heading goes.
void brddlg::Reply() {
    const std::int32_t board = model_.CurrentBoard();
    const std::optional<std::string> proposed = model_.ReplyHeadingAt(messages_->SelectedRow());
    if (!proposed) return;
    if (const auto heading = AskHeading(QStringLiteral("Post reply"), *proposed))
        SendPost(board, *heading);
}

void brddlg::Post() {
    SelectBoard();
    const std::int32_t board = model_.CurrentBoard();
    if (board < 0) return;
    if (const auto heading = AskHeading(QStringLiteral("Post message"), "<no heading>"))
        SendPost(board, *heading);
}

// The user typed the heading: it is never dropped without a word.
void brddlg::SendPost(std::int32_t board, const std::string& heading) {
    if (model_.Post(board, heading)) return;
    ExecPlainMessageBox(this, BoxIcon::Critical, "Error...",
                        "Not connected... the message was not posted.");
}

std::optional<std::string> brddlg::AskHeading(const QString& title, const std::string& heading) {
    QInputDialog dialog(this);
    dialog.setWindowTitle(title);
    dialog.setAccessibleName(title);
    dialog.setLabelText(QStringLiteral("Enter the message heading:"));
    dialog.setTextValue(Latin1ToQString(LimitHeading(heading)));
    // A heading goes into a header text of its own size: the field takes no more, so what
    // is sent is what was shown. One character is one byte (Latin-1, others become '?').
    if (auto* edit = dialog.findChild<QLineEdit*>()) {
        edit->setMaxLength(static_cast<int>(kMaxHeadingBytes));
        edit->setAccessibleName(dialog.labelText());
    }
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return QStringToLatin1(dialog.textValue());
}

void brddlg::ChooseFont() {
    bool ok = false;
    const QFont chosen =
        QFontDialog::getFont(&ok, FontFromSpec(stored_.brdfont), this, QStringLiteral("Font"));
    if (!ok) return;
    stored_.brdfont = SpecFromFont(chosen);
    reading_->Widget().SetScreenFont(stored_.brdfont, true);
    Layout();
}

void brddlg::resizeEvent(QResizeEvent* event) {
    ToolWindow::resizeEvent(event);
    Layout();
}

void brddlg::Layout() {
    const int w = width();
    const int h = height();
    const QSize button = update_->sizeHint();
    update_->setGeometry(kEdge, kEdge, button.width(), button.height());
    font_->setGeometry(update_->geometry().right() + 1 + kEdge, kEdge, font_->sizeHint().width(),
                       button.height());
    const int closeWidth = close_->sizeHint().width();
    close_->setGeometry(w - kEdge - closeWidth, kEdge, closeWidth, button.height());
    const int lineTop = kEdge + button.height() + kEdge;
    line_->setGeometry(kEdge, lineTop, std::max(0, w - 2 * kEdge), 1);
    const int listTop = lineTop + kEdge;

    const int hdivTop = reading_->Place(listTop, w, h);
    if (vdivLeft_ < 0) vdivLeft_ = w / 3 - kDividerThickness / 2;
    // The vertical divider stays inside the window, so it can always be grabbed again.
    const int leftmost = kEdge + kMinPane;
    vdivLeft_ = std::clamp(vdivLeft_, leftmost,
                           std::max(leftmost, w - kEdge - kMinPane - kDividerThickness));
    const int vdivTop = lineTop + 4;
    vdiv_->setGeometry(vdivLeft_, vdivTop, kDividerThickness,
                       std::max(0, std::min(h, hdivTop) - vdivTop));
    boards_->setGeometry(kEdge, listTop, vdivLeft_ - kEdge, hdivTop - listTop);
    const int messagesLeft = vdivLeft_ + kDividerThickness;
    messages_->setGeometry(messagesLeft, listTop, std::max(0, w - kEdge - messagesLeft),
                           hdivTop - listTop);
    update();
}

} // namespace tav
