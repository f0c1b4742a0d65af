#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tav {

// One step of a walk is repeated at most this often, and a walk has at most this many
// steps in all: a longer one is refused rather than flooding the game.
inline constexpr int kMaxWalkRepeat = 99;
inline constexpr int kMaxWalkSteps = 500;
// Direction words taken from a list: at most this many, each at most this long.
inline constexpr std::size_t kMaxWalkDirections = 32;
inline constexpr std::size_t kMaxWalkDirectionChars = 16;

// The direction words of a list separated by commas or spaces ("n,s,e,ne"): empty
// words, words with digits and words past the bounds are left out.
std::vector<std::string> WalkDirections(std::string_view list);

// What a text is as a speedwalk such as ".3n2e": the prefix, then steps of an optional
// count (1..kMaxWalkRepeat) and a direction word, longest word first ("ne" before "n").
struct Walk {
    enum class Kind {
        None,    // not a walk (no prefix, nothing after it, or something not a step)
        TooLong, // a walk, but over kMaxWalkRepeat in one step or kMaxWalkSteps in all
        Steps    // a walk: `steps` holds one direction word per move
    } kind = Kind::None;
    std::vector<std::string> steps;
};
Walk ParseWalk(std::string_view text, std::string_view prefix,
               const std::vector<std::string>& directions);

} // namespace tav
