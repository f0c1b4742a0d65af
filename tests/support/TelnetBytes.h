#pragma once

// Builders for the bytes a telnet peer sends: commands and MCCP-compressed text.

#include <zlib.h>

#include <initializer_list>
#include <string>
#include <string_view>

namespace tav::test {

// IAC followed by `bytes`.
inline std::string Iac(std::initializer_list<int> bytes) {
    std::string s = "\xFF";
    for (int b : bytes)
        s.push_back(static_cast<char>(b));
    return s;
}

// `text` as one finished zlib stream.
inline std::string Compressed(std::string_view text) {
    uLongf size = compressBound(text.size());
    std::string out(size, '\0');
    compress(reinterpret_cast<Bytef*>(out.data()), &size,
             reinterpret_cast<const Bytef*>(text.data()), text.size());
    out.resize(size);
    return out;
}

} // namespace tav::test
