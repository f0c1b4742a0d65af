#include "script/ScriptTriggerSet.h"

#include "triggers/TriggerLimits.h"

#include <algorithm>
#include <unordered_map>

namespace tav {

namespace {

// Removed triggers are swept out once there are this many and they are half the set.
constexpr std::size_t kMinSweep = 64;

// Appends the pieces of `text` a trigger pattern can hold as plain text (no '%', which
// could start a marker, and nothing a stored pattern cuts at), each a stretch every
// match holds, joined to `key` by a marker; stops where the key would grow too long.
void AppendPieces(std::string_view text, std::string& key) {
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end =
            std::min(text.find_first_of(std::string_view("%\r\n\0", 4), at), text.size());
        std::string_view piece = text.substr(at, end - at);
        at = end + 1;
        if (piece.empty()) continue;
        const std::size_t marker = key.empty() ? 0 : 2;
        if (key.size() + marker >= kMaxPatternChars) return;
        if (marker != 0) key += "%0";
        // A piece cut short is still held by every match.
        piece = piece.substr(0, kMaxPatternChars - key.size());
        key.append(piece);
    }
}

// Whether `key` holds a piece long enough for the prefilter to key its trigger by.
bool HasKeyPiece(std::string_view key) {
    std::size_t at = 0;
    while (at < key.size()) {
        const std::size_t end = std::min(key.find("%0", at), key.size());
        if (end - at >= TriggerPrefilter::kMinKeyChars) return true;
        at = end + 2;
    }
    return false;
}

} // namespace

std::string ScriptTriggerSet::KeyFor(std::string_view pattern, bool regex) {
    std::string key;
    if (!regex) {
        AppendPieces(pattern, key);
        return key;
    }
    for (const std::string& literal : RequiredLiterals(pattern))
        AppendPieces(literal, key);
    return key;
}

std::vector<std::string> ScriptTriggerSet::AlternativeKeys(std::string_view expression) {
    std::vector<std::string> choices = RequiredAlternatives(expression);
    std::size_t longestLiteral = 0;
    for (const std::string& literal : RequiredLiterals(expression))
        longestLiteral = std::max(longestLiteral, literal.size());
    for (const std::string& choice : choices) {
        if (choice.size() <= longestLiteral || choice.size() < TriggerPrefilter::kMinKeyChars ||
            choice.size() > kMaxPatternChars ||
            choice.find_first_of(std::string_view("%\r\n\0", 4)) != std::string::npos)
            return {};
    }
    return choices;
}

ScriptTriggerSet::Entry* ScriptTriggerSet::Find(int id) {
    const auto at =
        std::lower_bound(entries_.begin(), entries_.end(), id,
                         [](const Entry& entry, int wanted) { return entry.id < wanted; });
    return at != entries_.end() && at->id == id && at->alive ? &*at : nullptr;
}

const ScriptTriggerSet::Entry* ScriptTriggerSet::Find(int id) const {
    return const_cast<ScriptTriggerSet*>(this)->Find(id);
}

bool ScriptTriggerSet::Add(int id, std::string_view pattern, bool regex, std::string& error) {
    Entry entry;
    entry.id = id;
    entry.isRegex = regex;
    if (regex) {
        entry.regex = RegexPattern::Compile(pattern, error);
        if (!entry.regex.Valid()) return false;
    }
    entry.pattern = pattern;
    entry.key = KeyFor(pattern, regex);
    if (regex && !entry.key.empty()) entry.keyPattern = TriggerPattern(entry.key);
    if (regex) entry.keyChoices = AlternativeKeys(pattern);
    entries_.push_back(std::move(entry));
    dirty_ = true;
    return true;
}

bool ScriptTriggerSet::Remove(int id) {
    Entry* entry = Find(id);
    if (entry == nullptr) return false;
    entry->alive = false;
    entry->regex = RegexPattern();
    entry->pattern.clear();
    entry->key.clear();
    entry->keyChoices.clear();
    entry->keyPattern = TriggerPattern();
    ++dead_;
    if (dead_ >= kMinSweep && dead_ * 2 >= entries_.size()) dirty_ = true;
    return true;
}

void ScriptTriggerSet::SetEnabled(int id, bool enabled) {
    if (Entry* entry = Find(id)) entry->enabled = enabled;
}

void ScriptTriggerSet::Clear() {
    entries_.clear();
    dead_ = 0;
    dirty_ = true;
}

const RegexPattern* ScriptTriggerSet::Regex(int id) const {
    const Entry* entry = Find(id);
    return entry != nullptr && entry->isRegex ? &entry->regex : nullptr;
}

void ScriptTriggerSet::Rebuild() {
    std::erase_if(entries_, [](const Entry& entry) { return !entry.alive; });
    dead_ = 0;
    keys_.ClearTriggers();
    keyOwner_.clear();
    unkeyed_.clear();
    // Expressions several triggers share are keyed once, by their first trigger, which
    // leads to the others.
    std::unordered_map<std::string_view, std::uint32_t> firstWith;
    std::unordered_map<std::uint32_t, std::uint32_t> lastWith;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        Entry& entry = entries_[i];
        const auto self = static_cast<std::uint32_t>(i);
        entry.twin = self;
        entry.nextTwin = kNoTwin;
        entry.hasTwins = false;
        if (!entry.isRegex) continue;
        const auto [first, fresh] = firstWith.emplace(entry.pattern, self);
        if (fresh) {
            lastWith[self] = self;
            continue;
        }
        entry.twin = first->second;
        entry.hasTwins = true;
        entries_[first->second].hasTwins = true;
        std::uint32_t& last = lastWith[first->second];
        entries_[last].nextTwin = self;
        last = self;
    }
    // The key list keeps its own order (by pattern); each key's triggers are found again
    // by their key, equal keys in the order they were added.
    std::unordered_map<std::string, std::vector<std::uint32_t>> byKey;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const Entry& entry = entries_[i];
        const std::string& key = entry.key;
        if (key.empty() && entry.keyChoices.empty()) {
            unkeyed_.push_back(static_cast<std::uint32_t>(i));
            continue;
        }
        if (entry.twin != i) continue;
        for (const std::string& choice : entry.keyChoices) {
            keys_.AddTrigger(choice, {});
            byKey[choice].push_back(static_cast<std::uint32_t>(i));
        }
        if (!entry.keyChoices.empty()) continue;
        keys_.AddTrigger(key, {});
        byKey[key].push_back(static_cast<std::uint32_t>(i));
    }
    std::unordered_map<std::string, std::size_t> taken;
    keyOwner_.resize(keys_.Count());
    for (std::size_t position = 0; position < keys_.Count(); ++position) {
        const std::string& key = keys_.At(position).pattern();
        keyOwner_[position] = byKey[key][taken[key]++];
    }
    prefilter_.Rebuild(keys_);
    // An expression the prefilter can key by one of its literals is a candidate only on
    // lines that hold that literal; checking its other literals as well costs about what
    // the expression's own no does, so it goes straight to PCRE2.
    const bool indexed = keys_.Count() >= TriggerPrefilter::kMinKeyedTriggers &&
                         keys_.Count() <= TriggerPrefilter::kMaxKeyedTriggers;
    for (Entry& entry : entries_)
        entry.keyed =
            indexed && entry.isRegex && (!entry.keyChoices.empty() || HasKeyPiece(entry.key));
    memos_.assign(entries_.size(), Memo{});
    lineNumber_ = 0;
    dirty_ = false;
}

void ScriptTriggerSet::Match(std::string_view line, std::vector<Hit>& hits,
                             std::vector<RegexPattern::Span>& groups) {
    hits.clear();
    groups.clear();
    if (Count() == 0) return;
    if (dirty_) Rebuild();
    prefilter_.Candidates(line, keys_, positions_);
    // The candidates in the order made: the keyed ones the prefilter found, merged with the
    // ones it could not key, which are tried on every line.
    const std::vector<std::uint32_t>* order = &unkeyed_;
    TriggerCaptures literals;
    if (!positions_.empty()) {
        candidates_.clear();
        for (const std::uint32_t position : positions_) {
            // A key too short for the prefilter names its expression on every line: the
            // line must hold the key's literals, checked once for all its twins.
            const Entry& owner = entries_[keyOwner_[position]];
            if (!owner.keyed && owner.isRegex && !owner.key.empty() &&
                !owner.keyPattern.Find(line, literals))
                continue;
            for (std::uint32_t index = keyOwner_[position]; index != kNoTwin;
                 index = entries_[index].nextTwin)
                candidates_.push_back(index);
        }
        // An entry keyed by several spellings is named once for each one the line holds.
        std::sort(candidates_.begin(), candidates_.end());
        candidates_.erase(std::unique(candidates_.begin(), candidates_.end()), candidates_.end());
        order = &candidates_;
        if (!unkeyed_.empty()) {
            // Into a kept vector: std::inplace_merge would take a buffer from the heap.
            merged_.resize(candidates_.size() + unkeyed_.size());
            std::merge(candidates_.begin(), candidates_.end(), unkeyed_.begin(), unkeyed_.end(),
                       merged_.begin());
            order = &merged_;
        }
    }
    ++lineNumber_;
    for (const std::uint32_t index : *order) {
        const Entry& entry = entries_[index];
        if (!entry.alive || !entry.enabled) continue;
        Hit hit;
        hit.id = entry.id;
        if (!entry.isRegex) {
            const std::size_t at = line.find(entry.pattern);
            if (at == std::string_view::npos) continue;
            hit.span = MatchSpan{at, at + entry.pattern.size()};
            hits.push_back(hit);
            continue;
        }
        // Triggers with the same expression (a set made by a loop) share one PCRE2 run a line.
        Memo* memo = entry.hasTwins ? &memos_[entry.twin] : nullptr;
        Memo found;
        if (memo != nullptr && memo->line == lineNumber_) {
            found = *memo;
        } else {
            found.line = lineNumber_;
            if (entry.key.empty() || entry.keyed || entry.keyPattern.Find(line, literals)) {
                found.result = entry.regex.Match(line, &spans_);
                if (found.result == RegexPattern::Result::Match) {
                    found.firstGroup = groups.size();
                    found.groupCount = spans_.size();
                    groups.insert(groups.end(), spans_.begin(), spans_.end());
                }
            }
            if (memo != nullptr) *memo = found;
        }
        if (found.result == RegexPattern::Result::NoMatch) continue;
        hit.gaveUp = found.result == RegexPattern::Result::GaveUp;
        if (!hit.gaveUp) {
            const RegexPattern::Span& whole = groups[found.firstGroup];
            hit.span = MatchSpan{whole.begin, whole.end};
            hit.firstGroup = found.firstGroup;
            hit.groupCount = found.groupCount;
        }
        hits.push_back(hit);
    }
}

} // namespace tav
