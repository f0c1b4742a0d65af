#include "windows/HelpIndexWindow.h"

#include "client/MessageDecoder.h"
#include "screen/qt/ScreenFonts.h"
#include "screen/qt/ScreenWidget.h"
#include "settings/HelpIndexFile.h"
#include "settings/Latin1Text.h"
#include "windows/Divider.h"

#include <QFontDialog>
#include <QFrame>
#include <QPushButton>

#include <algorithm>

namespace tav {

namespace {

constexpr int kPaneEdge = ReadingPane::kMargin;

} // namespace

tidxdlg::tidxdlg(const Settings& settings, StoredValues& stored, ClientRequests& requests,
                 QWidget* owner)
    : ToolWindow(QStringLiteral("TavClient HelpIndex"), stored.helppos, owner), settings_(settings),
      stored_(stored), requests_(requests) {
    download_ = MakeToolButton(QStringLiteral("Download new index"), this);
    font_ = MakeToolButton(QStringLiteral("Font..."), this);
    close_ = MakeToolButton(QStringLiteral("Close"), this);
    line_ = new QFrame(this);
    line_->setFrameShape(QFrame::HLine);
    list_ = new IndexList(QStringLiteral("Help Index"), this);
    reading_.emplace(settings, stored, QStringLiteral("TavClient IdxDivWin"), this);

    const int buttons = download_->sizeHint().height();
    setMinimumSize(download_->sizeHint().width() + font_->sizeHint().width() +
                       close_->sizeHint().width() + 4 * kPaneEdge,
                   buttons + 4 * kPaneEdge + 2 * ReadingPane::kMinPane +
                       ReadingPane::kDividerThickness + kPaneEdge);

    connect(download_, &QPushButton::clicked, this, [this] { requests_.SendHelpIndexRequest(); });
    connect(font_, &QPushButton::clicked, this, &tidxdlg::ChooseFont);
    connect(close_, &QPushButton::clicked, this, &QWidget::hide);
    connect(list_, &IndexList::chosen, this, &tidxdlg::TopicChosen);
    connect(&reading_->Bar(), &Divider::moved, this, [this](int delta) {
        reading_->Drag(delta);
        Layout();
    });
}

void tidxdlg::Restore(const std::string& indexPath) {
    reading_->Widget().SetScreenFont(stored_.helpfont, true);
    // Placed first: the first layout puts the divider at half the window's height.
    PlaceStored(false);
    Layout();
    indexPath_ = indexPath;
    // Another profile's topics must not be saved into this profile's file, so the list
    // is emptied even when this profile has no help.ndx yet.
    topics_.clear();
    LoadHelpIndex(indexPath_, topics_);
    SortHelpTopics(topics_);
    // A file written by hand may hold more than a list takes; the next save keeps what
    // the list shows.
    if (topics_.size() > kMaxIndexEntries) topics_.resize(kMaxIndexEntries);
    FillList();
}

void tidxdlg::SetHelpIndex(std::vector<std::string> topics) {
    topics_ = std::move(topics);
    SortHelpTopics(topics_);
    FillList();
    if (!indexPath_.empty()) SaveHelpIndex(indexPath_, topics_);
    update();
}

void tidxdlg::FillList() {
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(topics_.size()));
    for (const std::string& topic : topics_)
        texts.push_back(Latin1ToQString(topic));
    list_->Fill(texts);
}

void tidxdlg::TopicChosen(int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= topics_.size()) return;
    const std::string& topic = topics_[static_cast<std::size_t>(row)];
    if (topic.empty() || topic.size() > kMaxTopicRequestBytes) return;
    requests_.SendHelpFileRequest(topic);
}

void tidxdlg::ChooseFont() {
    bool ok = false;
    const QFont chosen =
        QFontDialog::getFont(&ok, FontFromSpec(stored_.helpfont), this, QStringLiteral("Font"));
    if (!ok) return;
    const FontSpec spec = SpecFromFont(chosen);
    const bool changed = !SameFontSpec(spec, stored_.helpfont);
    stored_.helpfont = spec;
    reading_->Widget().SetScreenFont(spec, true);
    if (changed) Layout();
    reading_->Widget().update();
}

void tidxdlg::resizeEvent(QResizeEvent* event) {
    ToolWindow::resizeEvent(event);
    Layout();
}

void tidxdlg::Layout() {
    const int w = width();
    const int h = height();
    const QSize button = download_->sizeHint();
    download_->setGeometry(kPaneEdge, kPaneEdge, button.width(), button.height());
    font_->setGeometry(download_->geometry().right() + 1 + kPaneEdge, kPaneEdge,
                       font_->sizeHint().width(), button.height());
    const int closeWidth = close_->sizeHint().width();
    close_->setGeometry(w - 4 - closeWidth, kPaneEdge, closeWidth, button.height());
    const int lineTop = kPaneEdge + button.height() + kPaneEdge;
    line_->setGeometry(kPaneEdge, lineTop, std::max(0, w - 2 * kPaneEdge), 1);

    const int listTop = lineTop + kPaneEdge;
    const int listBottom = reading_->Place(listTop, w, h);
    list_->setGeometry(kPaneEdge, listTop, std::max(0, w - 2 * kPaneEdge), listBottom - listTop);
    update();
}

} // namespace tav
