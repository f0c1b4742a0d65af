#pragma once

#include "commands/Alias.h"

#include <QDialog>

#include <optional>
#include <vector>

class QLineEdit;
class QListWidget;

namespace tav {

// "TavClient Aliases": the profile's aliases. The list shows each as "name = body";
// picking one puts it in the Name and Body fields. New adds the fields as an alias, Edit
// makes the picked alias the fields, Delete removes the picked one; a name that cannot
// be one or is taken, or text outside Latin-1, is refused with a message. The dialog edits
// a copy: the caller takes Aliases() only when it was accepted.
class AliasDialog : public QDialog {
    Q_OBJECT
public:
    AliasDialog(std::vector<Alias> aliases, QWidget* parent);

    const std::vector<Alias>& Aliases() const { return aliases_; }
    QListWidget& List() const { return *list_; }
    QLineEdit& NameField() const { return *name_; }
    QLineEdit& BodyField() const { return *body_; }

private:
    void Refill(int current);
    void ShowPicked();
    // The alias in the fields, or nothing (after saying why) when it cannot be kept in
    // the list in place of `replacing` (or added, without one).
    std::optional<Alias> FieldsAlias(std::optional<std::size_t> replacing);
    std::optional<std::size_t> Picked() const;
    void AddNew();
    void EditPicked();
    void DeletePicked();

    std::vector<Alias> aliases_;
    QListWidget* list_;
    QLineEdit* name_;
    QLineEdit* body_;
};

} // namespace tav
