#include "commands/VariablesReport.h"

#include <algorithm>

namespace tav {

std::vector<int> PatternVariables(std::string_view pattern) {
    std::vector<int> digits;
    for (std::size_t i = 0; i + 1 < pattern.size(); ++i) {
        if (pattern[i] != '%' || pattern[i + 1] < '0' || pattern[i + 1] > '9') continue;
        const int digit = pattern[i + 1] - '0';
        if (std::find(digits.begin(), digits.end(), digit) == digits.end()) digits.push_back(digit);
        ++i;
    }
    std::sort(digits.begin(), digits.end());
    return digits;
}

std::string VariablesText(const std::optional<std::string>& lastTrigger, const TriggerVars& vars,
                          const std::optional<AliasCall>& alias) {
    std::string text = "Last trigger: " + lastTrigger.value_or("none") + "\n";
    if (lastTrigger)
        for (int digit : PatternVariables(*lastTrigger))
            text += "%" + std::to_string(digit) + " = " +
                    std::string(vars.Get(static_cast<std::size_t>(digit))) + "\n";
    text += "\nLast alias: " + (alias ? alias->alias : std::string("none")) + "\n";
    if (alias)
        for (std::size_t k = 0; k < alias->arguments.size(); ++k)
            text += "%" + std::to_string(k + 1) + " = " + alias->arguments[k] + "\n";
    return text;
}

} // namespace tav
