#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tav {

// A PCRE2 expression compiled once (UTF-8, JIT when the machine has it) and matched
// against game lines, which may hold NUL bytes and invalid UTF-8: such bytes simply match
// no character. A match that backtracks without end gives up at a bound instead.
class RegexPattern {
public:
    // Longest expression taken, in bytes.
    static constexpr std::size_t kMaxPatternBytes = 16 * 1024;
    // Backtracking steps one match may take before it gives up.
    static constexpr unsigned kMatchLimit = 1'000'000;

    // A group's place in the line; begin == npos for a group that took no part.
    struct Span {
        std::size_t begin = std::string_view::npos;
        std::size_t end = std::string_view::npos;
    };
    enum class Result { Match, NoMatch, GaveUp };

    RegexPattern() = default;
    ~RegexPattern();
    RegexPattern(RegexPattern&& other) noexcept;
    RegexPattern& operator=(RegexPattern&& other) noexcept;
    RegexPattern(const RegexPattern&) = delete;
    RegexPattern& operator=(const RegexPattern&) = delete;

    // Compiles `expression`; on failure returns an empty pattern and says why in `error`
    // ("missing closing parenthesis at offset 4").
    static RegexPattern Compile(std::string_view expression, std::string& error);

    bool Valid() const { return code_ != nullptr; }
    // Whether `line` matches; on a match `groups` (when given) holds the whole match
    // first, then each numbered group.
    Result Match(std::string_view line, std::vector<Span>* groups = nullptr) const;
    // The named groups: (name, group number).
    const std::vector<std::pair<std::string, int>>& Names() const { return names_; }

private:
    struct Code;
    void Release();

    Code* code_ = nullptr;
    std::vector<std::pair<std::string, int>> names_;
};

// Stretches of text that every match of `expression` holds, in the order a match holds
// them and without overlap; a line lacking any of them cannot match. Found conservatively:
// only plain characters outside groups, classes and quantified atoms count, and an
// expression with top-level alternatives or inline options gives none.
std::vector<std::string> RequiredLiterals(std::string_view expression);

// Texts one of which every match of `expression` holds: the spellings of its stretch of
// plain characters, optional plain characters ("s?") and groups of plain alternatives
// ("(?:is|leads)") whose shortest spelling is longest, at most kMaxRequiredAlternatives of
// them ("goblins? (?:is|leads) " gives four). Empty when there is no such stretch, or on
// the same grounds as RequiredLiterals.
inline constexpr std::size_t kMaxRequiredAlternatives = 16;
std::vector<std::string> RequiredAlternatives(std::string_view expression);

} // namespace tav
