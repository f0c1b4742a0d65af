#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tav::bench {

// Deterministic game-like output: mostly text lines of 40-100 characters, about a
// quarter with SGR colour changes, prompts followed by IAC GA, some URLs and some long
// lines that wrap. The same size always gives the same bytes.
std::string GameCorpus(std::size_t bytes);

// Output of a game that colours everything, in UTF-8: most words in their own 256 or true
// colour, some on a background, with italic and bold runs and accented words. The same
// size always gives the same bytes.
std::string ColourfulCorpus(std::size_t bytes);

// The corpus split into its lines (without CR LF and with escapes removed), for the
// benchmarks that work on completed lines.
std::vector<std::string> CorpusLines(std::size_t count);

// `count` trigger patterns, each a 12-byte stretch from the middle of a line of the corpus,
// so that they keep firing; some lines give the same stretch, and so some patterns repeat.
std::vector<std::string> HighlightPatterns(std::size_t count);

// Script trigger expression number `i` (PCRE2), as players write them for such a game.
std::string ScriptExpression(std::size_t i);
// Plain trigger pattern number `i`: one or two words without variables, no two alike,
// made-up words and every hundredth a pair of the corpus's own words, which fires now and
// then.
std::string PlainTriggerPattern(std::size_t i);
// A Lua string literal holding `text` byte for byte.
std::string LuaString(std::string_view text);

} // namespace tav::bench
