#include "settings/ProfileDialogs.h"
#include "settings/Latin1Text.h"
#include "settings/QuickConnectDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstdio>

namespace tav {

namespace {

// The bytes of a typed name, or nothing when it holds a character Latin-1 lacks (which
// toLatin1() would turn into '?', merging different names into one profile).
std::optional<std::string> Latin1Bytes(const QString& text) {
    if (!IsLatin1(text)) return std::nullopt;
    return QStringToLatin1(text);
}

// The row the user selected, or -1: the current row alone may be set without a selection.
int SelectedRow(const QListWidget& list) {
    const QList<QListWidgetItem*> items = list.selectedItems();
    return items.isEmpty() ? -1 : list.row(items.front());
}

} // namespace

tprofdlg::tprofdlg(const ProfileStore& store, ProfileSession& session, QWidget* parent)
    : QDialog(parent), selection_(store, session, *this) {
    setWindowTitle(QStringLiteral("TavClient Profile Selection"));
    list_ = new QListWidget(this);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    select_ = new QPushButton(QStringLiteral("Select"), this);
    new_ = new QPushButton(QStringLiteral("New..."), this);
    quick_ = new QPushButton(QStringLiteral("Connect to a game..."), this);
    delete_ = new QPushButton(QStringLiteral("Delete..."), this);
    cancel_ = new QPushButton(Latin1ToQString(selection_.CancelText()), this);
    select_->setDefault(true);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {select_, new_, quick_, delete_, cancel_})
        buttons->addWidget(button);
    buttons->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);

    connect(select_, &QPushButton::clicked, this, &tprofdlg::OnSelect);
    connect(list_, &QListWidget::itemDoubleClicked, this, &tprofdlg::OnSelect);
    connect(new_, &QPushButton::clicked, this, &tprofdlg::OnNew);
    connect(quick_, &QPushButton::clicked, this, &tprofdlg::OnQuick);
    connect(delete_, &QPushButton::clicked, this, &tprofdlg::OnDelete);
    connect(cancel_, &QPushButton::clicked, this, &tprofdlg::reject);
}

int tprofdlg::Run(const std::optional<std::string>& requested) {
    std::optional<std::string> asked = requested;
    for (;;) {
        offerQuick_ = true;
        quickWanted_ = false;
        const auto result = selection_.Open(asked);
        offerQuick_ = false;
        if (!quickWanted_) {
            if (result) return static_cast<int>(*result);
            break;
        }
        if (const auto quick = AskQuick({})) return static_cast<int>(*quick);
        asked.reset(); // refused once already
    }
    Fill();
    return exec();
}

int tprofdlg::RunQuick(const QuickGame& game) {
    return static_cast<int>(AskQuick(game).value_or(ProfileSelection::Result::Cancelled));
}

std::optional<ProfileSelection::Result> tprofdlg::AskQuick(QuickGame game) {
    for (;;) {
        QuickConnectDialog dialog(game, PromptParent());
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
        if (const auto typed = dialog.Game()) {
            game = *typed;
            if (auto result = selection_.Quick(game)) {
                quickChosen_ = true;
                return result;
            }
        } else {
            ShowError("The game's texts can hold only Latin-1 characters.", "Error...");
        }
    }
}

void tprofdlg::Fill() {
    list_->clear();
    for (const std::string& name : selection_.Names())
        list_->addItem(Latin1ToQString(name));
    list_->setCurrentRow(selection_.Selected());
}

void tprofdlg::Finish(std::optional<ProfileSelection::Result> result) {
    if (result) done(static_cast<int>(*result));
}

void tprofdlg::OnSelect() {
    selection_.SetSelected(SelectedRow(*list_));
    Finish(selection_.Select());
}

void tprofdlg::OnNew() {
    Finish(selection_.New());
}

void tprofdlg::OnQuick() {
    Finish(AskQuick({}));
}

void tprofdlg::OnDelete() {
    selection_.SetSelected(SelectedRow(*list_));
    selection_.Delete();
    Fill();
}

void tprofdlg::reject() {
    done(static_cast<int>(selection_.Cancel()));
}

QWidget* tprofdlg::PromptParent() {
    return isVisible() ? this : parentWidget();
}

std::optional<std::string> tprofdlg::AskProfileName(std::string_view initial) {
    return AskName(Latin1ToQString(initial));
}

std::optional<std::string> tprofdlg::AskName(const QString& offered) {
    QInputDialog dialog(PromptParent());
    dialog.setWindowTitle(QStringLiteral("TavClient - Create New Profile"));
    dialog.setLabelText(QStringLiteral("Enter a new profile name:"));
    dialog.setTextValue(offered);
    if (auto* edit = dialog.findChild<QLineEdit*>())
        edit->setMaxLength(static_cast<int>(kMaxProfileName));
    // Asking for a button's text makes the dialog lay out its buttons, which it otherwise
    // does only as it shows.
    dialog.okButtonText();
    auto* buttons = dialog.findChild<QDialogButtonBox*>();
    if (offerQuick_ && buttons) {
        QPushButton* quick = buttons->addButton(QStringLiteral("Connect to a game..."),
                                                QDialogButtonBox::ActionRole);
        quick->setAccessibleName(quick->text());
        connect(quick, &QPushButton::clicked, &dialog, [this, &dialog] {
            quickWanted_ = true;
            dialog.reject();
        });
    }
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    if (auto name = Latin1Bytes(dialog.textValue())) return name;
    ShowError("A profile name can hold only Latin-1 characters.", "Error...");
    return AskName(dialog.textValue()); // asked again with what was typed
}

// The texts name profiles, which come from profiles.cfg: shown as they are, never as markup.
bool tprofdlg::AskYesNo(std::string_view text, std::string_view title) {
    QMessageBox box(QMessageBox::Question, Latin1ToQString(title), Latin1ToQString(text),
                    QMessageBox::Yes | QMessageBox::No, PromptParent());
    box.setDefaultButton(QMessageBox::No);
    box.setTextFormat(Qt::PlainText);
    return box.exec() == QMessageBox::Yes;
}

void tprofdlg::ShowError(std::string_view text, std::string_view title) {
    std::fprintf(stderr, "tavclient: %.*s\n", static_cast<int>(text.size()), text.data());
    std::fflush(stderr);
    QMessageBox box(QMessageBox::Critical, Latin1ToQString(title), Latin1ToQString(text),
                    QMessageBox::Ok, PromptParent());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace tav
