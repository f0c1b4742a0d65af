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

// `text` as a zlib stream: finished, or flushed and left open for more.
inline std::string Compressed(std::string_view text, bool finish = true) {
    z_stream z{};
    deflateInit(&z, Z_DEFAULT_COMPRESSION);
    std::string out(deflateBound(&z, text.size()) + 64, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    z.avail_in = static_cast<uInt>(text.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, finish ? Z_FINISH : Z_SYNC_FLUSH);
    out.resize(out.size() - z.avail_out);
    deflateEnd(&z);
    return out;
}

} // namespace tav::test
