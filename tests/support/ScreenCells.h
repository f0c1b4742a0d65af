#pragma once

#include "screen/ScreenBuffer.h"

#include <string>

namespace tav::test {

// The first `count` cells of a line as the bytes of an 8-bit screen (empty cells as NUL).
inline std::string CellBytes(const ScreenLine& line, int count) {
    std::string bytes;
    for (int k = 0; k < count; ++k)
        bytes.push_back(static_cast<char>(line.ch[k]));
    return bytes;
}

} // namespace tav::test
