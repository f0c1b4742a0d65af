#pragma once

#include "settings/StoredValues.h"

#include <QDialog>

#include <array>

class QLineEdit;

namespace tav {

// The function-key dialog: one field per key F1 to F12 over the stored function-key
// texts, filled when it runs and copied back only on OK (the caller then saves the
// settings). F10 is the menu key, so its field is read-only. Fields hold one line each:
// every line break typed or pasted (CR LF, LF or CR) becomes the ';' that sends one.
// OK is refused, with a message, while a field holds a character Latin-1 lacks.
class fkeydlg : public QDialog {
    Q_OBJECT
public:
    fkeydlg(StoredValues& stored, QWidget* parent);

    // Fills the fields from the stored texts and runs the dialog; Accepted or Rejected.
    int Run();
    void done(int result) override;

    QLineEdit& Field(std::size_t key) const { return *fields_.at(key); }

private:
    StoredValues& stored_;
    std::array<QLineEdit*, kFunctionKeyCount> fields_{};
};

} // namespace tav
