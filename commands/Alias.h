#pragma once

#include <string>

namespace tav {

// A word that stands for commands: a typed line whose first word is `name` sends `body`
// instead, with %1..%9 and %* taken from the words typed after the name.
struct Alias {
    std::string name;
    std::string body;
    bool operator==(const Alias&) const = default;
};

} // namespace tav
