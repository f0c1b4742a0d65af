#pragma once

#include <QChar>
#include <QValidator>

namespace tav {

// Keeps a line edit to one line, since the text becomes one line of a file where a line
// break would shift every later line. By default CR and LF typed or pasted are dropped at
// once; a field whose text marks line breaks with a character of its own (the function
// keys' ';') gets each line break (CR LF, LF or CR) turned into that character instead.
class OneLineValidator final : public QValidator {
public:
    explicit OneLineValidator(QObject* parent = nullptr, QChar lineBreak = QChar())
        : QValidator(parent), lineBreak_(lineBreak) {}
    State validate(QString& input, int& pos) const override;

private:
    QChar lineBreak_; // null: line breaks are dropped
};

} // namespace tav
