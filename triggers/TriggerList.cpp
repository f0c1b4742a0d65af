#include "triggers/TriggerList.h"

#include "settings/TextMode.h"
#include "triggers/ExpandReaction.h"
#include "triggers/TriggerActionFile.h"
#include "triggers/TriggerFile.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <utility>

namespace tav {

namespace {

unsigned char FoldCase(char ch) {
    const auto byte = static_cast<unsigned char>(ch);
    return (byte >= 'A' && byte <= 'Z') ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

} // namespace

bool TriggerPatternLess(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const unsigned char ca = FoldCase(a[i]);
        const unsigned char cb = FoldCase(b[i]);
        if (ca != cb) return ca < cb;
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b; // std::string_view compares bytes as unsigned
}

TriggerList::TriggerList(std::string profilesRoot) : profilesRoot_(std::move(profilesRoot)) {}

std::size_t TriggerList::Insert(std::unique_ptr<TTrigger> trigger) {
    // After any equal pattern, so equal patterns keep the order they were added in.
    const auto at = std::upper_bound(triggers_.begin(), triggers_.end(), trigger->pattern(),
                                     [](const std::string& pattern, const auto& entry) {
                                         return TriggerPatternLess(pattern, entry->pattern());
                                     });
    const auto pos = static_cast<std::size_t>(at - triggers_.begin());
    triggers_.insert(at, std::move(trigger));
    Changed();
    return pos;
}

void TriggerList::Changed() {
    ++generation_;
}

void TriggerList::KeepLastFired() {
    if (lastFiredTrigger_ == nullptr) return;
    lastFired_ = lastFiredTrigger_->pattern();
    lastFiredTrigger_ = nullptr;
}

void TriggerList::ClearTriggers() {
    KeepLastFired();
    triggers_.clear();
    Changed();
}

std::size_t TriggerList::AddTrigger(std::string_view pattern, std::string_view reaction) {
    return Insert(std::make_unique<TTrigger>(pattern, reaction));
}

std::optional<std::size_t> TriggerList::ReplaceTrigger(std::size_t pos, std::string_view pattern,
                                                       std::string_view reaction) {
    if (pos >= triggers_.size()) return std::nullopt;
    if (triggers_[pos].get() == lastFiredTrigger_) KeepLastFired();
    std::unique_ptr<TTrigger> trigger = std::move(triggers_[pos]);
    triggers_.erase(triggers_.begin() + static_cast<std::ptrdiff_t>(pos));
    Changed();
    trigger->Set(pattern, reaction);
    return Insert(std::move(trigger));
}

bool TriggerList::DeleteTrigger(std::size_t pos) {
    if (pos >= triggers_.size()) return false;
    if (triggers_[pos].get() == lastFiredTrigger_) KeepLastFired();
    triggers_.erase(triggers_.begin() + static_cast<std::ptrdiff_t>(pos));
    Changed();
    return true;
}

std::string TriggerList::TriggerFilePath(std::string_view profile) const {
    std::string path = profilesRoot_;
    path.append("/").append(profile).append("/").append(kFileName);
    return path;
}

std::string TriggerList::ActionFilePath(std::string_view profile) const {
    std::string path = profilesRoot_;
    path.append("/").append(profile).append("/").append(kActionFileName);
    return path;
}

std::size_t TriggerList::SetGroupEnabled(std::string_view group, bool enabled) {
    std::size_t count = 0;
    if (group.empty()) return count;
    const bool traitsKept = traits_.size() == triggers_.size();
    for (std::size_t i = 0; i < triggers_.size(); ++i) {
        TTrigger& trigger = *triggers_[i];
        if (trigger.Actions().group != group) continue;
        trigger.SetEnabled(enabled);
        if (traitsKept) {
            traits_[i] = static_cast<std::uint8_t>(enabled ? traits_[i] | kEnabledTrait
                                                           : traits_[i] & ~kEnabledTrait);
        }
        ++count;
    }
    return count;
}

bool TriggerList::LoadTriggers(std::string_view profile) {
    ClearTriggers();
    actionLeading_.clear();
    actionProblems_.clear();
    const std::optional<std::string> text = ReadTextFile(TriggerFilePath(profile));
    if (!text) return false;
    // A stable sort places every record where adding them one by one would (after its
    // equals), without moving the list once per record.
    for (const TriggerRecord& record : ParseTriggerFile(*text))
        triggers_.push_back(std::make_unique<TTrigger>(record.pattern, record.reaction));
    std::stable_sort(triggers_.begin(), triggers_.end(), [](const auto& a, const auto& b) {
        return TriggerPatternLess(a->pattern(), b->pattern());
    });
    Changed();
    if (const auto actions = ReadTextFile(ActionFilePath(profile))) {
        TriggerActionFile file = ParseTriggerActionFile(*actions);
        AttachTriggerActions(*this, file.records);
        actionLeading_ = std::move(file.leading);
        actionProblems_ = std::move(file.problems);
    }
    return true;
}

bool TriggerList::SaveTriggers(std::string_view profile) const {
    const std::string path = TriggerFilePath(profile);
    if (triggers_.empty())
        return RemoveFileIfPresent(path) && RemoveFileIfPresent(ActionFilePath(profile));
    if (!WriteTextFile(path, FormatTriggerFile(*this))) return false;
    const std::string actions = FormatTriggerActionFile(*this, actionLeading_);
    const std::string actionPath = ActionFilePath(profile);
    return actions.empty() ? RemoveFileIfPresent(actionPath) : WriteTextFile(actionPath, actions);
}

void TriggerList::Candidates(std::string_view line, std::vector<std::uint32_t>& out,
                             std::vector<TriggerPrefilter::KeyedRun>* keyed) const {
    if (!prefilterBuilt_ || prefilterGeneration_ != generation_) {
        prefilter_.Rebuild(*this);
        RebuildTraits();
        prefilterGeneration_ = generation_;
        prefilterBuilt_ = true;
    }
    prefilter_.Candidates(line, *this, out, keyed);
}

void TriggerList::RebuildTraits() const {
    traits_.assign(triggers_.size(), 0);
    for (std::size_t i = 0; i < triggers_.size(); ++i) {
        const TTrigger& trigger = *triggers_[i];
        std::uint8_t traits = trigger.Actions().enabled ? kEnabledTrait : 0;
        if (trigger.Compiled().IsLiteral()) traits |= kLiteralTrait;
        if (i > 0 && prefilter_.RepeatsPrevious(i)) {
            traits |= kRepeatsTrait;
            const TTrigger& previous = *triggers_[i - 1];
            TriggerActions actions = previous.Actions();
            actions.enabled = trigger.Actions().enabled;
            if (trigger.reaction() == previous.reaction() && actions == trigger.Actions())
                traits |= kAgainTrait;
        }
        traits_[i] = traits;
    }
}

void TriggerList::SwitchGroups(const TriggerActions& actions) {
    // Only the Enabled flags change, so the names stay valid even when the trigger
    // switches its own group.
    if (!actions.groupOff.empty()) SetGroupEnabled(actions.groupOff, false);
    if (!actions.groupOn.empty()) SetGroupEnabled(actions.groupOn, true);
}

void TriggerList::ExpandFor(const TTrigger& trigger) {
    ExpandReaction(trigger.reaction(), vars_, reaction_);
    expandedFrom_ = trigger.reaction();
    expandedVersion_ = vars_.Version();
}

void TriggerList::RecordFiring(const TTrigger& trigger) {
    const TriggerActions& actions = trigger.Actions();
    lastSwitchedGroups_ = !actions.groupOff.empty() || !actions.groupOn.empty();
    // A repeated pattern is the one already recorded.
    if (!firingRepeats_) lastFiredTrigger_ = &trigger;
    // The one reaction buffer is safe: nothing expands while a reaction is being sent. The
    // same reaction with the same variables expands to the same text (equal patterns with
    // equal reactions fire one after the other).
    if (sender_ != nullptr && trigger.reaction() != expandedFrom_) ExpandFor(trigger);
}

void TriggerList::SendReaction(const TTrigger& trigger) {
    // A trigger fired again records what the one before it recorded, switches the groups it
    // switched and has its reaction expanded already; it is not read for that, as a long
    // list keeps it out of the caches.
    if (!firingAgain_) RecordFiring(trigger);
    if (firedListener_) firedListener_();
    if (lastSwitchedGroups_) SwitchGroups(trigger.Actions());
    if (sender_ == nullptr) return;
    if (vars_.Version() != expandedVersion_) ExpandFor(trigger);
    ++sendDepth_;
    sender_->Send(reaction_);
    --sendDepth_;
}

bool TriggerList::FiringAgainActs() const {
    // The reaction expanded last is the one a repeat would send, unless the variables have
    // changed since.
    return firedListener_ || lastSwitchedGroups_ ||
           (observer_ != nullptr && observer_->FiringAgainActs()) ||
           (sender_ != nullptr &&
            (vars_.Version() != expandedVersion_ || sender_->SendDoesSomething(reaction_)));
}

void TriggerList::CheckFrom(std::size_t pos, std::string_view line) {
    const LineBigrams bigrams(line);
    // By index: a sender may print lines, and the list must survive whatever it does.
    for (std::size_t i = pos; i < triggers_.size(); ++i) {
        const TTrigger& trigger = *triggers_[i];
        const TriggerPattern& pattern = trigger.Compiled();
        MatchSpan span;
        if (!trigger.Actions().enabled || !pattern.MayMatch(bigrams) ||
            !pattern.Match(line, vars_, &span))
            continue;
        if (observer_ != nullptr) observer_->TriggerFired(trigger, span);
        SendReaction(trigger);
    }
}

void TriggerList::CheckTriggers(std::string_view line) {
    // A line completed by sending a reaction (the "not connected" message) is not matched:
    // a trigger on that line would otherwise fire again for ever.
    if (ignoreTrigs_ || sendDepth_ > 0) return;
    if (line.empty() || triggers_.empty()) return; // an empty line matches nothing
    const std::uint64_t generation = generation_;
    // A line printed while a reaction is sent comes back above, so nothing refills these
    // candidates before the walk is over; a changed list ends the walk below.
    Candidates(line, passCandidates_, &passKeyed_);
    // Equal patterns sit side by side and find the same on the same line: a run of them
    // is searched once (a pattern used with several reactions is common), and its
    // variables stored again only if something changed them in between.
    std::size_t previous = std::numeric_limits<std::size_t>::max();
    bool matched = false;
    bool matchedOnly = false; // the literal found stands nowhere else in the line
    TriggerCaptures captures;
    // The variables' version after the last store, when they were stored for this search.
    bool storedSearch = false;
    std::uint64_t stored = 0;
    std::size_t run = 0; // the keyed run at or after the candidate
    // Whether the trigger fired last, fired again, would do anything; -1 until asked.
    int againActs = -1;
    for (const std::uint32_t pos : passCandidates_) {
        const TTrigger& trigger = *triggers_[pos];
        // Checked as each is reached: a trigger that fired may have switched a group. A skipped
        // trigger ends a run of equal patterns, so the next one is searched afresh.
        const std::uint8_t traits = traits_[pos];
        if ((traits & kEnabledTrait) == 0) continue;
        const bool repeats = (traits & kRepeatsTrait) != 0 && pos - 1 == previous;
        if (!repeats) {
            while (run < passKeyed_.size() && passKeyed_[run].first + passKeyed_[run].count <= pos)
                ++run;
            // A pattern that is one literal is found where the prefilter found it.
            if ((traits & kLiteralTrait) != 0 && run < passKeyed_.size() &&
                passKeyed_[run].first <= pos) {
                captures.set = 0;
                captures.match = {passKeyed_[run].begin, passKeyed_[run].end};
                matched = true;
                matchedOnly = passKeyed_[run].once;
            } else {
                matched = trigger.Compiled().Find(line, captures);
                matchedOnly = false;
            }
            storedSearch = false;
        }
        previous = pos;
        if (!matched) continue;
        // The same trigger again, after a firing that a repeat would not add to (a colour
        // laid already, an empty reaction): nothing to tell, send or store, as long as the
        // variables still hold this search's captures. Nothing has changed since the last
        // firing, so the answer holds for the rest of the run.
        if (repeats && (traits & kAgainTrait) != 0 && storedSearch && stored == vars_.Version()) {
            if (againActs < 0) againActs = FiringAgainActs() ? 1 : 0;
            if (againActs == 0) continue;
        }
        againActs = -1;
        if (!storedSearch || stored != vars_.Version()) {
            captures.Store(line, vars_);
            storedSearch = true;
            stored = vars_.Version();
        }
        // A repeat's search was its predecessor's, which matched, so that one fired last.
        firingRepeats_ = repeats;
        firingAgain_ = repeats && (traits & kAgainTrait) != 0;
        firingOnly_ = matchedOnly;
        if (observer_ != nullptr) observer_->TriggerFired(trigger, captures.match);
        firingOnly_ = false;
        SendReaction(trigger);
        firingRepeats_ = false;
        firingAgain_ = false;
        if (generation_ == generation) continue;
        // The sender changed the list: the candidates no longer name its positions, so
        // the pass goes on from the next position trigger by trigger.
        CheckFrom(pos + std::size_t{1}, line);
        return;
    }
}

std::vector<std::size_t> TriggerList::MatchingTriggers(std::string_view line) const {
    std::vector<std::size_t> matching;
    if (line.empty() || triggers_.empty()) return matching;
    TriggerVars scratch;
    std::vector<std::uint32_t> candidates;
    Candidates(line, candidates);
    for (const std::uint32_t pos : candidates) {
        if (triggers_[pos]->Compiled().Match(line, scratch)) matching.push_back(pos);
    }
    return matching;
}

} // namespace tav
