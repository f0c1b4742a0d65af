#include "net/MsspReader.h"

#include "net/TelnetCodes.h"
#include "settings/Utf8Text.h"

#include <algorithm>
#include <cctype>

namespace tav {

namespace {

bool SameWithoutCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// The text up to the next framing byte, taken off the front of `in`.
std::string_view NextText(std::string_view& in) {
    std::size_t end = 0;
    while (end < in.size() && in[end] != static_cast<char>(telnet::kMsspVar) &&
           in[end] != static_cast<char>(telnet::kMsspVal))
        ++end;
    const std::string_view text = in.substr(0, end);
    in.remove_prefix(end);
    return text;
}

} // namespace

std::vector<MsspVariable> ReadMssp(std::string_view payload) {
    std::vector<MsspVariable> variables;
    while (!payload.empty()) {
        if (payload[0] != static_cast<char>(telnet::kMsspVar)) {
            payload.remove_prefix(1); // a stray value or byte before the first name
            continue;
        }
        payload.remove_prefix(1);
        const std::string name = PlainUtf8Line(NextText(payload), kMaxMsspNameBytes);
        std::string value;
        while (!payload.empty() && payload[0] == static_cast<char>(telnet::kMsspVal)) {
            payload.remove_prefix(1);
            const std::string part = PlainUtf8Line(NextText(payload), kMaxMsspValueBytes);
            if (part.empty() || value.size() >= kMaxMsspValueBytes) continue;
            if (!value.empty()) value += ", ";
            value += part;
        }
        if (name.empty()) continue;
        MsspVariable variable{name, PlainUtf8Line(value, kMaxMsspValueBytes)}; // cut once joined
        const auto same = std::find_if(variables.begin(), variables.end(), [&](const auto& v) {
            return SameWithoutCase(v.name, name);
        });
        if (same != variables.end())
            *same = std::move(variable);
        else if (variables.size() < kMaxMsspVariables)
            variables.push_back(std::move(variable));
    }
    return variables;
}

std::string MsspValue(const std::vector<MsspVariable>& variables, std::string_view name) {
    for (const MsspVariable& variable : variables)
        if (SameWithoutCase(variable.name, name)) return variable.value;
    return {};
}

} // namespace tav
