#pragma once

#include "triggers/TriggerVars.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

// Where a command that takes arguments (an alias) reports them when it runs, so the
// variables view can show them beside the trigger variables.
class AliasArgumentsSink {
public:
    virtual ~AliasArgumentsSink() = default;
    virtual void SetAliasArguments(std::string_view alias,
                                   const std::vector<std::string>& arguments) = 0;
};

struct AliasCall {
    std::string alias;
    std::vector<std::string> arguments;
};

// The digits of the variables a trigger pattern holds, each once, in ascending order.
std::vector<int> PatternVariables(std::string_view pattern);

// The text of the variables view: the last trigger that fired with the variables its
// pattern captured, then the last alias with its arguments; "none" for either not seen.
std::string VariablesText(const std::optional<std::string>& lastTrigger, const TriggerVars& vars,
                          const std::optional<AliasCall>& alias);

} // namespace tav
