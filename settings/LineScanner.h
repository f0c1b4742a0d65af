#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

namespace tav {

// Walks a text file's contents (already turned from CR LF into "\n") one whole line at
// a time. The settings file is read line by line: each value is taken from its own
// line however long it is, so a long or damaged line never shifts the lines after it.
class LineScanner {
public:
    explicit LineScanner(std::string_view text) : rest_(text) {}

    // The next line without its line feed; nothing once the text is used up.
    std::optional<std::string_view> NextLine();

private:
    std::string_view rest_;
};

// The result of matching a key at the start of a line the way a formatted read
// matches literal characters: they are compared up to the first difference.
struct KeyMatch {
    bool matched;          // every character of the key was there
    std::string_view rest; // the line from the first character not matched
};
KeyMatch MatchKey(std::string_view line, std::string_view key);

// Reads decimal numbers from a line as successive "%d" conversions do: leading white
// space, an optional sign, at least one digit. Stops at the first text that is not a
// number or when `out` is full, and returns how many numbers were stored. Values
// beyond the range of int are held at its limits.
std::size_t ScanNumbers(std::string_view line, std::span<int> out);

// The decimal value at the start of a text as the C library's atoi reads it (white
// space, sign, digits); 0 when there is none. Held at the limits of int.
int TextToNumber(std::string_view text);

} // namespace tav
