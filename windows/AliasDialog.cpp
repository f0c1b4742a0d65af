#include "windows/AliasDialog.h"

#include "commands/AliasFile.h"
#include "settings/Latin1Refusal.h"
#include "settings/Latin1Text.h"
#include "term/qt/QtMessageBoxes.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

namespace tav {

namespace {

QPushButton* ListButton(const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setAccessibleName(QString(text).remove(QLatin1Char('&')));
    button->setAutoDefault(false);
    return button;
}

} // namespace

AliasDialog::AliasDialog(std::vector<Alias> aliases, QWidget* parent)
    : QDialog(parent), aliases_(std::move(aliases)), list_(new QListWidget(this)),
      name_(new QLineEdit(this)), body_(new QLineEdit(this)) {
    setWindowTitle(QStringLiteral("TavClient Aliases"));
    setAccessibleName(windowTitle());
    list_->setAccessibleName(QStringLiteral("Aliases"));
    list_->setAccessibleDescription(QStringLiteral("Each alias as name = body"));

    name_->setMaxLength(static_cast<int>(kMaxAliasName));
    body_->setMaxLength(static_cast<int>(kMaxAliasBody));
    body_->setToolTip(QStringLiteral("%1 to %9 are the words typed after the name, %* all of "
                                     "them, and words no mark uses go after the body; the "
                                     "command separator splits the body into commands"));
    body_->setAccessibleDescription(body_->toolTip());
    auto* fields = new QFormLayout;
    for (auto [label, field] :
         {std::pair{QStringLiteral("&Name:"), name_}, std::pair{QStringLiteral("&Body:"), body_}}) {
        auto* text = new QLabel(label, this);
        text->setBuddy(field);
        field->setAccessibleName(text->text().remove(QLatin1Char('&')).chopped(1));
        fields->addRow(text, field);
    }

    auto* create = ListButton(QStringLiteral("Ne&w"), this);
    auto* edit = ListButton(QStringLiteral("&Edit"), this);
    auto* remove = ListButton(QStringLiteral("&Delete"), this);
    connect(create, &QPushButton::clicked, this, &AliasDialog::AddNew);
    connect(edit, &QPushButton::clicked, this, &AliasDialog::EditPicked);
    connect(remove, &QPushButton::clicked, this, &AliasDialog::DeletePicked);
    connect(list_, &QListWidget::currentRowChanged, this, &AliasDialog::ShowPicked);
    auto* listButtons = new QHBoxLayout;
    for (QPushButton* button : {create, edit, remove})
        listButtons->addWidget(button);
    listButtons->addStretch(1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancel"));
    for (QAbstractButton* button : buttons->buttons())
        button->setAccessibleName(button->text());
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addLayout(fields);
    layout->addLayout(listButtons);
    layout->addWidget(buttons);
    resize(480, 320);
    Refill(aliases_.empty() ? -1 : 0);
}

void AliasDialog::Refill(int current) {
    list_->clear();
    for (const Alias& alias : aliases_)
        list_->addItem(Latin1ToQString(alias.name + " = " + alias.body));
    list_->setCurrentRow(current);
}

void AliasDialog::ShowPicked() {
    if (const auto k = Picked()) {
        name_->setText(Latin1ToQString(aliases_[*k].name));
        body_->setText(Latin1ToQString(aliases_[*k].body));
    }
}

std::optional<std::size_t> AliasDialog::Picked() const {
    const int row = list_->currentRow();
    if (row < 0 || static_cast<std::size_t>(row) >= aliases_.size()) return std::nullopt;
    return static_cast<std::size_t>(row);
}

std::optional<Alias> AliasDialog::FieldsAlias(std::optional<std::size_t> replacing) {
    const std::array<QWidget*, 2> fields{name_, body_};
    if (RefuseNonLatin1(this, fields, "an alias")) return std::nullopt;
    Alias alias{QStringToLatin1(name_->text().trimmed()), QStringToLatin1(body_->text().trimmed())};
    std::optional<std::string> problem = AliasNameProblem(alias.name);
    QLineEdit* wrong = name_;
    if (!problem) {
        const auto same = std::find_if(aliases_.begin(), aliases_.end(),
                                       [&](const Alias& a) { return a.name == alias.name; });
        if (same != aliases_.end() &&
            replacing != static_cast<std::size_t>(same - aliases_.begin()))
            problem = "There is an alias " + alias.name + " already.";
        else if (!replacing && aliases_.size() >= kMaxAliases)
            problem = "A profile has at most " + std::to_string(kMaxAliases) + " aliases.";
    }
    if (!problem && (problem = AliasBodyProblem(alias.body))) wrong = body_;
    if (problem) {
        ExecPlainMessageBox(this, BoxIcon::Warning, "Error...", *problem);
        wrong->setFocus();
        return std::nullopt;
    }
    return alias;
}

void AliasDialog::AddNew() {
    if (auto alias = FieldsAlias(std::nullopt)) {
        aliases_.push_back(std::move(*alias));
        Refill(static_cast<int>(aliases_.size()) - 1);
    }
}

void AliasDialog::EditPicked() {
    const auto k = Picked();
    if (!k) return;
    if (auto alias = FieldsAlias(k)) {
        aliases_[*k] = std::move(*alias);
        Refill(static_cast<int>(*k));
    }
}

void AliasDialog::DeletePicked() {
    const auto k = Picked();
    if (!k) return;
    aliases_.erase(aliases_.begin() + static_cast<std::ptrdiff_t>(*k));
    Refill(std::min(static_cast<int>(*k), static_cast<int>(aliases_.size()) - 1));
    if (aliases_.empty()) {
        name_->clear();
        body_->clear();
    }
}

} // namespace tav
