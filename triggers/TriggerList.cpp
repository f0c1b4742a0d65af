#include "triggers/TriggerList.h"

#include "settings/TextMode.h"
#include "triggers/ExpandReaction.h"
#include "triggers/TriggerActionFile.h"
#include "triggers/TriggerFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
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
    return pos;
}

std::size_t TriggerList::AddTrigger(std::string_view pattern, std::string_view reaction) {
    return Insert(std::make_unique<TTrigger>(pattern, reaction));
}

std::optional<std::size_t> TriggerList::ReplaceTrigger(std::size_t pos, std::string_view pattern,
                                                       std::string_view reaction) {
    if (pos >= triggers_.size()) return std::nullopt;
    std::unique_ptr<TTrigger> trigger = std::move(triggers_[pos]);
    triggers_.erase(triggers_.begin() + static_cast<std::ptrdiff_t>(pos));
    trigger->Set(pattern, reaction);
    return Insert(std::move(trigger));
}

bool TriggerList::DeleteTrigger(std::size_t pos) {
    if (pos >= triggers_.size()) return false;
    triggers_.erase(triggers_.begin() + static_cast<std::ptrdiff_t>(pos));
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
    for (auto& trigger : triggers_) {
        if (group.empty() || trigger->Actions().group != group) continue;
        TriggerActions actions = trigger->Actions();
        actions.enabled = enabled;
        trigger->SetActions(std::move(actions));
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
    for (const TriggerRecord& record : ParseTriggerFile(*text))
        AddTrigger(record.pattern, record.reaction);
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
    // A file that cannot be removed would bring the deleted triggers back at the next
    // load; a missing one is just as good as a removed one.
    auto removed = [](const std::string& file) {
        return std::remove(file.c_str()) == 0 || errno == ENOENT;
    };
    if (triggers_.empty()) return removed(path) && removed(ActionFilePath(profile));
    if (!WriteTextFile(path, FormatTriggerFile(*this))) return false;
    const std::string actions = FormatTriggerActionFile(*this, actionLeading_);
    const std::string actionPath = ActionFilePath(profile);
    return actions.empty() ? removed(actionPath) : WriteTextFile(actionPath, actions);
}

void TriggerList::CheckTriggers(std::string_view line) {
    // A line completed by sending a reaction (the "not connected" message) is not matched:
    // a trigger on that line would otherwise fire again for ever.
    if (ignoreTrigs_ || sendDepth_ > 0) return;
    if (line.empty() || triggers_.empty()) return; // an empty line matches nothing
    const LineBigrams bigrams(line);
    // By index: a sender may print lines, and the list must survive whatever it does.
    for (std::size_t i = 0; i < triggers_.size(); ++i) {
        const TTrigger& trigger = *triggers_[i];
        const TriggerPattern& pattern = trigger.Compiled();
        MatchSpan span;
        if (!trigger.Actions().enabled || !pattern.MayMatch(bigrams) ||
            !pattern.Match(line, vars_, &span))
            continue;
        if (observer_ != nullptr) observer_->TriggerFired(trigger, span);
        const std::string text = ExpandReaction(trigger.reaction(), vars_);
        if (sender_ == nullptr) continue;
        ++sendDepth_;
        sender_->Send(text);
        --sendDepth_;
    }
}

} // namespace tav
