#pragma once

#include <QValidator>

namespace tav {

// Keeps a line edit to one line: CR and LF typed or pasted are dropped at once, since
// the text becomes one line of a file where a line break would shift every later line.
class OneLineValidator final : public QValidator {
public:
    explicit OneLineValidator(QObject* parent = nullptr) : QValidator(parent) {}
    State validate(QString& input, int& pos) const override;
};

} // namespace tav
