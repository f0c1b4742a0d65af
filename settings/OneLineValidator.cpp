#include "settings/OneLineValidator.h"

#include <algorithm>

namespace tav {

QValidator::State OneLineValidator::validate(QString& input, int& pos) const {
    const auto isBreak = [](QChar c) { return c == QLatin1Char('\r') || c == QLatin1Char('\n'); };
    if (std::none_of(input.begin(), input.end(), isBreak)) return Acceptable;
    QString kept;
    kept.reserve(input.size());
    int newPos = pos;
    for (int i = 0; i < input.size(); ++i) {
        const QChar c = input.at(i);
        if (!isBreak(c)) {
            kept.append(c);
            continue;
        }
        // CR LF is one line break.
        const bool pairedWithNext =
            c == QLatin1Char('\r') && i + 1 < input.size() && input.at(i + 1) == QLatin1Char('\n');
        const int taken = pairedWithNext ? 2 : 1;
        const int added = lineBreak_.isNull() ? 0 : 1;
        if (!lineBreak_.isNull()) kept.append(lineBreak_);
        if (i < pos) newPos -= std::min(taken, pos - i) - (i + taken <= pos ? added : 0);
        if (pairedWithNext) ++i;
    }
    input = kept;
    pos = newPos;
    return Acceptable;
}

} // namespace tav
