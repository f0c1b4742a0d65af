#include "settings/OneLineValidator.h"

namespace tav {

QValidator::State OneLineValidator::validate(QString& input, int& pos) const {
    int removedBeforeCursor = 0;
    QString kept;
    kept.reserve(input.size());
    for (int i = 0; i < input.size(); ++i) {
        const QChar c = input.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (i < pos) ++removedBeforeCursor;
            continue;
        }
        kept.append(c);
    }
    if (kept.size() != input.size()) {
        input = kept;
        pos -= removedBeforeCursor;
    }
    return Acceptable;
}

} // namespace tav
