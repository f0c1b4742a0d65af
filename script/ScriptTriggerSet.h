#pragma once

#include "script/RegexPattern.h"
#include "triggers/TriggerList.h"
#include "triggers/TriggerPrefilter.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

// The patterns of the script triggers, in the order they were made, and the per-line
// search for the ones a line matches. A plain pattern matches a line that holds it
// anywhere (case counts; the empty pattern matches every line); a regular expression
// matches as PCRE2 says. Knows nothing of Lua: the engine keeps what each trigger does.
//
// A line costs time in its length and in the few triggers that may match it: the text
// every match must hold (a plain pattern itself, the required literals of an expression)
// keys each trigger in a TriggerPrefilter, and only the candidates it picks, with the
// triggers it could not key, are matched for real; an expression only once the line holds
// all its literals.
class ScriptTriggerSet {
public:
    struct Hit {
        int id = 0;
        MatchSpan span; // the whole match
        // Its groups in the `groups` vector Match fills; triggers with the same expression
        // share one slice.
        std::size_t firstGroup = 0;
        std::size_t groupCount = 0;
        bool gaveUp = false; // the expression hit its backtracking bound: no match
    };

    // Adds a trigger; `id` must be larger than every id added before. False, with the
    // reason in `error`, when the expression does not compile.
    bool Add(int id, std::string_view pattern, bool regex, std::string& error);
    // Drops the trigger; false when there is none with `id`.
    bool Remove(int id);
    // Switches a trigger on or off; a trigger switched off matches nothing.
    void SetEnabled(int id, bool enabled);
    void Clear();
    std::size_t Count() const { return entries_.size() - dead_; }

    // Fills `hits` with the triggers switched on that match `line`, in the order they were
    // made, and `groups` with the spans of their expressions' groups (the whole match at
    // each hit's firstGroup, then group 1 and on). A trigger whose expression gave up is a
    // hit with gaveUp set.
    void Match(std::string_view line, std::vector<Hit>& hits,
               std::vector<RegexPattern::Span>& groups);

    // The expression of a regex trigger, for its group names; null for a plain one.
    const RegexPattern* Regex(int id) const;

    // The pattern text the prefilter keys a trigger by: the literals every match holds,
    // joined by variable markers, within the bounds of a trigger pattern. Empty when
    // there is nothing to key by.
    static std::string KeyFor(std::string_view pattern, bool regex);
    // An expression's RequiredAlternatives when keying by them beats keying by its
    // required literals (each spelling longer than every literal, and one a trigger
    // pattern can hold whole); empty otherwise.
    static std::vector<std::string> AlternativeKeys(std::string_view expression);

private:
    static constexpr std::uint32_t kNoTwin = UINT32_MAX;
    struct Entry {
        int id = 0;
        std::string pattern; // the pattern's text
        std::string key;     // KeyFor the pattern
        // For an expression with a stretch of alternative spellings longer than any text it
        // must hold (AlternativeKeys), each spelling: the prefilter keys the entry by all of
        // them, and a line holding any one makes it a candidate.
        std::vector<std::string> keyChoices;
        // An expression's key, matched before the expression itself: a quick no for the
        // lines that lack any of its literals, however the prefilter picked the trigger.
        TriggerPattern keyPattern;
        RegexPattern regex;
        bool isRegex = false;
        bool keyed = false; // the prefilter keys it by one of its literals
        // The first live entry with the same expression, which matches a line for all of
        // them; the entry's own index when there is none before it.
        std::uint32_t twin = 0;
        std::uint32_t nextTwin = kNoTwin; // the next entry with the same expression
        bool hasTwins = false;
        bool alive = true;
        bool enabled = true;
    };

    Entry* Find(int id);
    const Entry* Find(int id) const;
    void Rebuild();

    std::vector<Entry> entries_; // in the order made; removed ones stay until a rebuild
    std::size_t dead_ = 0;
    bool dirty_ = true;
    TriggerList keys_;                     // one key pattern per keyed trigger
    TriggerPrefilter prefilter_;           // over keys_
    std::vector<std::uint32_t> keyOwner_;  // by key position: the entry it belongs to
    std::vector<std::uint32_t> unkeyed_;   // entries that are always candidates, ascending
    std::vector<std::uint32_t> positions_; // Match's, kept to spare allocations
    std::vector<std::uint32_t> candidates_;
    std::vector<std::uint32_t> merged_;
    std::vector<RegexPattern::Span> spans_;
    // A line's result for an expression several triggers share, by the first one's index:
    // valid for the line whose number memoLine_ holds.
    struct Memo {
        std::uint64_t line = 0;
        RegexPattern::Result result = RegexPattern::Result::NoMatch;
        std::size_t firstGroup = 0;
        std::size_t groupCount = 0;
    };
    std::vector<Memo> memos_;
    std::uint64_t lineNumber_ = 0;
};

} // namespace tav
