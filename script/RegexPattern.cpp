#include "script/RegexPattern.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <algorithm>
#include <cctype>
#include <optional>

namespace tav {

namespace {

// Memory one match may take for its backtracking, in KiB.
constexpr unsigned kHeapLimitKiB = 16 * 1024;

pcre2_match_context* MatchContext() {
    static pcre2_match_context* const context = [] {
        pcre2_match_context* made = pcre2_match_context_create(nullptr);
        if (made != nullptr) {
            pcre2_set_match_limit(made, RegexPattern::kMatchLimit);
            pcre2_set_depth_limit(made, RegexPattern::kMatchLimit);
            pcre2_set_heap_limit(made, kHeapLimitKiB);
        }
        return made;
    }();
    return context;
}

std::vector<std::pair<std::string, int>> NamedGroups(const pcre2_code* code) {
    std::vector<std::pair<std::string, int>> names;
    std::uint32_t count = 0, entrySize = 0;
    PCRE2_SPTR table = nullptr;
    if (pcre2_pattern_info(code, PCRE2_INFO_NAMECOUNT, &count) != 0 || count == 0) return names;
    pcre2_pattern_info(code, PCRE2_INFO_NAMEENTRYSIZE, &entrySize);
    pcre2_pattern_info(code, PCRE2_INFO_NAMETABLE, &table);
    for (std::uint32_t i = 0; i < count; ++i) {
        const PCRE2_SPTR entry = table + std::size_t{i} * entrySize;
        const int group = (entry[0] << 8) | entry[1];
        names.emplace_back(reinterpret_cast<const char*>(entry + 2), group);
    }
    return names;
}

} // namespace

struct RegexPattern::Code {
    pcre2_code* code = nullptr;
    pcre2_match_data* data = nullptr;
    bool jit = false;
};

RegexPattern::~RegexPattern() {
    Release();
}

RegexPattern::RegexPattern(RegexPattern&& other) noexcept
    : code_(std::exchange(other.code_, nullptr)), names_(std::move(other.names_)) {}

RegexPattern& RegexPattern::operator=(RegexPattern&& other) noexcept {
    if (this != &other) {
        Release();
        code_ = std::exchange(other.code_, nullptr);
        names_ = std::move(other.names_);
    }
    return *this;
}

void RegexPattern::Release() {
    if (code_ == nullptr) return;
    pcre2_match_data_free(code_->data);
    pcre2_code_free(code_->code);
    delete code_;
    code_ = nullptr;
}

RegexPattern RegexPattern::Compile(std::string_view expression, std::string& error) {
    RegexPattern pattern;
    if (expression.size() > kMaxPatternBytes) {
        error = "the expression is longer than " + std::to_string(kMaxPatternBytes) + " bytes";
        return pattern;
    }
    int code = 0;
    PCRE2_SIZE offset = 0;
    pcre2_code* compiled = pcre2_compile(
        reinterpret_cast<PCRE2_SPTR>(expression.data()), expression.size(),
        PCRE2_UTF | PCRE2_MATCH_INVALID_UTF | PCRE2_NEVER_BACKSLASH_C, &code, &offset, nullptr);
    if (compiled == nullptr) {
        PCRE2_UCHAR message[256];
        pcre2_get_error_message(code, message, sizeof message);
        error = reinterpret_cast<const char*>(message);
        error += " at offset " + std::to_string(offset);
        return pattern;
    }
    // Without JIT (a machine PCRE2 has none for) the interpreter matches the same.
    const bool jit = pcre2_jit_compile(compiled, PCRE2_JIT_COMPLETE) == 0;
    pcre2_match_data* data = pcre2_match_data_create_from_pattern(compiled, nullptr);
    if (data == nullptr) {
        pcre2_code_free(compiled);
        error = "out of memory";
        return pattern;
    }
    pattern.code_ = new Code{compiled, data, jit};
    pattern.names_ = NamedGroups(compiled);
    return pattern;
}

RegexPattern::Result RegexPattern::Match(std::string_view line, std::vector<Span>* groups) const {
    if (code_ == nullptr) return Result::NoMatch;
    const auto subject = reinterpret_cast<PCRE2_SPTR>(line.data());
    // The JIT entry skips the checks pcre2_match makes of what is always the same here.
    const int rc =
        code_->jit
            ? pcre2_jit_match(code_->code, subject, line.size(), 0, 0, code_->data, MatchContext())
            : pcre2_match(code_->code, subject, line.size(), 0, 0, code_->data, MatchContext());
    if (rc == PCRE2_ERROR_NOMATCH) return Result::NoMatch;
    if (rc < 0) return Result::GaveUp; // a limit was reached
    if (groups != nullptr) {
        const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(code_->data);
        const std::uint32_t count = pcre2_get_ovector_count(code_->data);
        groups->assign(count, Span{});
        for (std::uint32_t i = 0; i < count; ++i) {
            if (ovector[2 * i] == PCRE2_UNSET) continue;
            (*groups)[i] = Span{ovector[2 * i], ovector[2 * i + 1]};
        }
    }
    return Result::Match;
}

// --- Required literals ---------------------------------------------------------------------

namespace {

// Where the group opened at `at` ends (just past its ')'), or npos when it never closes.
std::size_t SkipGroup(std::string_view re, std::size_t at);

// Where the character class opened at `at` ends (just past its ']'), or npos.
std::size_t SkipClass(std::string_view re, std::size_t at) {
    std::size_t i = at + 1;
    if (i < re.size() && re[i] == '^') ++i;
    if (i < re.size() && re[i] == ']') ++i; // a leading ']' is a member
    while (i < re.size()) {
        if (re[i] == '\\') {
            i += 2;
        } else if (re[i] == '[' && i + 1 < re.size() && re[i + 1] == ':') {
            const std::size_t end = re.find(":]", i + 2);
            i = end == std::string_view::npos ? i + 1 : end + 2;
        } else if (re[i] == ']') {
            return i + 1;
        } else {
            ++i;
        }
    }
    return std::string_view::npos;
}

std::size_t SkipGroup(std::string_view re, std::size_t at) {
    std::size_t i = at + 1;
    while (i < re.size()) {
        if (re[i] == '\\') {
            i += 2;
        } else if (re[i] == '[') {
            i = SkipClass(re, i);
            if (i == std::string_view::npos) return i;
        } else if (re[i] == '(') {
            i = SkipGroup(re, i);
            if (i == std::string_view::npos) return i;
        } else if (re[i] == ')') {
            return i + 1;
        } else {
            ++i;
        }
    }
    return std::string_view::npos;
}

// Where the quantifier "{n}", "{n,}", "{n,m}" or "{,m}" at `at` ends, or npos when the
// brace starts none (PCRE2 then takes it as a plain character).
std::size_t QuantifierEnd(std::string_view re, std::size_t at) {
    std::size_t i = at + 1;
    bool digits = false;
    while (i < re.size() &&
           (std::isdigit(static_cast<unsigned char>(re[i])) || re[i] == ',' || re[i] == ' ')) {
        digits = digits || re[i] != ',';
        ++i;
    }
    return digits && i < re.size() && re[i] == '}' ? i + 1 : std::string_view::npos;
}

// Whether "(?" at `at` opens a group whose contents may be skipped (a plain, named,
// atomic, branch-reset or look-around group or a comment) rather than setting options.
bool SkippableGroup(std::string_view re, std::size_t at) {
    if (at + 1 >= re.size() || re[at + 1] != '?') return true;
    if (at + 2 >= re.size()) return false;
    const char kind = re[at + 2];
    return kind == ':' || kind == '<' || kind == 'P' || kind == '\'' || kind == '=' ||
           kind == '!' || kind == '>' || kind == '|' || kind == '#';
}

// Bytes of the UTF-8 character starting with `lead`.
std::size_t CharBytes(unsigned char lead) {
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    return 1;
}

// The alternatives of the group at `at` ("(a|b)", "(?:a|b)", "(?<n>a|b)"), when each is
// plain text; nullopt for any other group.
std::optional<std::vector<std::string>> PlainAlternatives(std::string_view re, std::size_t at) {
    const std::size_t end = SkipGroup(re, at);
    if (end == std::string_view::npos) return std::nullopt;
    std::size_t i = at + 1;
    if (re.substr(i, 2) == "?:") {
        i += 2;
    } else if (re.substr(i, 3) == "?<=" || re.substr(i, 3) == "?<!") {
        return std::nullopt;
    } else if (re.substr(i, 2) == "?<" || re.substr(i, 2) == "?'" || re.substr(i, 3) == "?P<") {
        const char close = re[i + 1] == '\'' ? '\'' : '>';
        i = re.find(close, i + 2);
        if (i == std::string_view::npos || i >= end) return std::nullopt;
        ++i;
    } else if (re[i] == '?') {
        return std::nullopt; // look-arounds, atomic and other groups
    }
    static constexpr std::string_view kSpecial = "\\()[].^$*+?{}|";
    std::vector<std::string> alternatives(1);
    for (; i + 1 < end; ++i) {
        const char c = re[i];
        if (c == '|') {
            alternatives.emplace_back();
        } else if (c == '\\' && i + 2 < end &&
                   !std::isalnum(static_cast<unsigned char>(re[i + 1])) &&
                   static_cast<unsigned char>(re[i + 1]) < 0x80) {
            alternatives.back().push_back(re[++i]);
        } else if (kSpecial.find(c) != std::string_view::npos) {
            return std::nullopt;
        } else {
            alternatives.back().push_back(c);
        }
    }
    return alternatives;
}

// One step of an expression's top level, as the readers of its certain text see it.
struct TopLevelStep {
    enum class Kind {
        Character,  // a plain character (`text`: its bytes, an escaped one unescaped)
        Group,      // a group that may be skipped, starting at `at`
        Quantifier, // '*', '?', '+' or a count ('{'), on the step before
        Break,      // anything else: a class, an assertion, '.', '^', '$'
    };
    Kind kind = Kind::Break;
    std::string_view text;
    std::size_t at = 0;
    char quantifier = 0;
};

// Walks the top level of `re`, handing each step to `step`. False when the expression
// holds nothing certain to a plain reading: top-level alternatives, inline options,
// verbs such as (*CR), quoted text (\Q...\E), escapes that take arguments, or an
// unclosed group or class.
template <typename Step> bool WalkTopLevel(std::string_view re, Step&& step) {
    if (re.find("(*") != std::string_view::npos || re.find("\\Q") != std::string_view::npos)
        return false;
    using Kind = TopLevelStep::Kind;
    std::size_t i = 0;
    while (i < re.size()) {
        const char c = re[i];
        if (c == '|') return false; // alternatives: no text is certain
        if (c == '(') {
            if (!SkippableGroup(re, i)) return false; // inline options change what follows
            const std::size_t end = SkipGroup(re, i);
            if (end == std::string_view::npos) return false;
            step(TopLevelStep{Kind::Group, {}, i, 0});
            i = end;
            continue;
        }
        if (c == '[') {
            step(TopLevelStep{});
            i = SkipClass(re, i);
            if (i == std::string_view::npos) return false;
            continue;
        }
        if (c == '*' || c == '?' || c == '+' || c == '{') {
            const std::size_t end = c == '{' ? QuantifierEnd(re, i) : i + 1;
            if (c == '{' && end == std::string_view::npos) {
                step(TopLevelStep{}); // a plain '{', though not counted on
                ++i;
                continue;
            }
            step(TopLevelStep{Kind::Quantifier, {}, i, c});
            i = end;
            if (i < re.size() && (re[i] == '?' || re[i] == '+')) ++i; // lazy or possessive
            continue;
        }
        if (c == '\\') {
            if (i + 1 >= re.size()) return false;
            const auto next = static_cast<unsigned char>(re[i + 1]);
            if (std::isalnum(next) || next >= 0x80) {
                // A class, an assertion, a back reference or a coded character: some take
                // arguments, which this reading would mistake for text.
                static constexpr std::string_view kSingle = "dDwWsShHvVRXbBAzZGKNtnrefa";
                if (kSingle.find(static_cast<char>(next)) == std::string_view::npos) return false;
                if (next == 'N' && i + 2 < re.size() && re[i + 2] == '{') return false;
                step(TopLevelStep{});
                i += 2;
                continue;
            }
            step(TopLevelStep{Kind::Character, re.substr(i + 1, 1), i, 0});
            i += 2;
            continue;
        }
        if (c == '.' || c == '^' || c == '$' || c == ')') {
            step(TopLevelStep{});
            ++i;
            continue;
        }
        const std::size_t bytes = std::min(CharBytes(static_cast<unsigned char>(c)), re.size() - i);
        step(TopLevelStep{Kind::Character, re.substr(i, bytes), i, 0});
        i += bytes;
    }
    return true;
}

} // namespace

std::vector<std::string> RequiredLiterals(std::string_view re) {
    std::vector<std::string> runs;
    std::string run;
    std::size_t lastAtom = std::string::npos; // where the run's last character starts
    auto endRun = [&] {
        if (!run.empty()) runs.push_back(run);
        run.clear();
        lastAtom = std::string::npos;
    };
    using Kind = TopLevelStep::Kind;
    const bool plain = WalkTopLevel(re, [&](const TopLevelStep& step) {
        if (step.kind == Kind::Character) {
            lastAtom = run.size();
            run.append(step.text);
            return;
        }
        // The atom before a quantifier may be absent (or, with '+', repeated): it cannot be
        // relied on to stand next to what follows.
        if (step.kind == Kind::Quantifier && lastAtom != std::string::npos &&
            step.quantifier != '+')
            run.erase(lastAtom);
        endRun();
    });
    if (!plain) return {};
    endRun();
    return runs;
}

std::vector<std::string> RequiredAlternatives(std::string_view re) {
    // A stretch: the spellings each of its places may take, one place after another.
    std::vector<std::vector<std::string>> stretch;
    std::vector<std::string> best;
    std::size_t bestShortest = 0;
    auto endStretch = [&] {
        // The window of adjacent places whose shortest spelling is longest, within the
        // bound; the first such, and of it the fewest places. Windows are slid along the
        // stretch (a place with one spelling leaves the count as it is), and only the
        // window chosen is spelled out, so a long expression costs time in its length.
        const std::size_t places = stretch.size();
        std::vector<std::size_t> least(places, std::string::npos);
        for (std::size_t k = 0; k < places; ++k)
            for (const std::string& choice : stretch[k])
                least[k] = std::min(least[k], choice.size());
        std::optional<std::pair<std::size_t, std::size_t>> chosen; // first and last place
        std::size_t end = 0;                                       // past the window's last place
        std::size_t count = 1;                                     // spellings of the window
        std::size_t shortest = 0;
        for (std::size_t first = 0; first < places; ++first) {
            if (end <= first) {
                end = first;
                count = 1;
                shortest = 0;
            }
            while (end < places && count * stretch[end].size() <= kMaxRequiredAlternatives) {
                count *= stretch[end].size();
                shortest += least[end];
                ++end;
            }
            if (end == first) continue; // one place alone has too many spellings
            if (shortest > bestShortest) {
                std::size_t last = end - 1;
                while (least[last] == 0) // places that may stay empty add nothing at the end
                    --last;
                chosen = {first, last};
                bestShortest = shortest;
            }
            count /= stretch[first].size();
            shortest -= least[first];
        }
        if (chosen) {
            std::vector<std::string> spellings{std::string()};
            for (std::size_t k = chosen->first; k <= chosen->second; ++k) {
                if (stretch[k].size() == 1) { // a plain character: every spelling grows
                    for (std::string& head : spellings)
                        head += stretch[k].front();
                    continue;
                }
                std::vector<std::string> longer;
                for (const std::string& head : spellings)
                    for (const std::string& choice : stretch[k])
                        longer.push_back(head + choice);
                spellings.swap(longer);
            }
            std::sort(spellings.begin(), spellings.end());
            spellings.erase(std::unique(spellings.begin(), spellings.end()), spellings.end());
            best = std::move(spellings);
        }
        stretch.clear();
    };
    using Kind = TopLevelStep::Kind;
    const bool plain = WalkTopLevel(re, [&](const TopLevelStep& step) {
        switch (step.kind) {
        case Kind::Character: stretch.push_back({std::string(step.text)}); return;
        case Kind::Group:
            if (auto alternatives = PlainAlternatives(re, step.at))
                stretch.push_back(std::move(*alternatives));
            else
                endStretch();
            return;
        case Kind::Quantifier:
            if (step.quantifier == '?' && !stretch.empty()) {
                stretch.back().emplace_back(); // the place may stay empty
                return;
            }
            // Absent, repeated or counted: a place is kept only as what it holds at least
            // once ('+'), and nothing after it is sure to stand next to it.
            if (step.quantifier != '+' && !stretch.empty()) stretch.pop_back();
            endStretch();
            return;
        case Kind::Break: endStretch(); return;
        }
    });
    if (!plain) return {};
    endStretch();
    return best;
}

} // namespace tav
