#pragma once

#include <string_view>

namespace tav {

// Prints program text into the main terminal screen through the same line processing
// as received text. Texts end in "\r\n".
class LocalPrinter {
public:
    virtual ~LocalPrinter() = default;
    virtual void PrintLocal(std::string_view text) = 0;
};

} // namespace tav
