#pragma once

#include <QDialog>

#include <string>

class QLineEdit;
class QPlainTextEdit;

namespace tav {

// "TavTerm Custom Button Config": edits a custom button's name and command. OK copies the
// fields into the strings it was given, once the command passes ButtonCommandProblem
// (otherwise a message says why and the dialog stays open); Cancel changes nothing. CR
// and LF typed or pasted into the name are dropped; in the command Enter starts a line.
class tcustombuttoncfg : public QDialog {
    Q_OBJECT
public:
    tcustombuttoncfg(std::string& name, std::string& command, QWidget* parent);

    void accept() override;

private:
    std::string& name_;
    std::string& command_;
    QLineEdit* nameEdit_;
    QPlainTextEdit* commandEdit_;
};

} // namespace tav
