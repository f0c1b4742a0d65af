#pragma once

#include "settings/ProfileFileNames.h"
#include "triggers/Trigger.h"
#include "triggers/TriggerPrefilter.h"
#include "triggers/TriggerSender.h"
#include "triggers/TriggerVars.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

// Told of every trigger that fires on a line and where its pattern matched, before its
// reaction is sent: how the terminal learns which lines to colour, gag, sound or copy.
class TriggerObserver {
public:
    virtual ~TriggerObserver() = default;
    virtual void TriggerFired(const TTrigger& trigger, MatchSpan span) = 0;
    // False when a trigger firing again (TriggerList::FiringAgain) on the line of the last
    // firing would do nothing to it: such a firing is then not told.
    virtual bool FiringAgainActs() const { return true; }
};

// The triggers of the current profile, kept in ascending order of their patterns compared
// without regard to letter case (patterns equal but for case: in byte order; equal
// patterns: in the order they were added), plus the trigger variables, the ignore switch
// and the per-line trigger pass. The terminal session offers each completed line to
// CheckTriggers; the trigger dialogs read the list and change it through Add, Replace and
// Delete, then call SaveTriggers.
//
// Reactions go out through the TriggerSender. A send may print a line into the terminal
// ("not connected") that comes straight back into CheckTriggers; lines that arrive while a
// reaction is being sent are not matched, so no trigger can keep firing on its own output.
//
// A line is tested only against the triggers a TriggerPrefilter picks for it, in list
// order, which gives the same firings as testing every trigger in turn. The index behind
// it is rebuilt on the first line after the list changed.
class TriggerList {
public:
    static constexpr std::string_view kDefaultProfilesRoot = "./profiles";
    static constexpr std::string_view kFileName = kTriggerFileName;
    static constexpr std::string_view kActionFileName = kTriggerActionFileName;

    // `profilesRoot` is the directory holding one directory per profile.
    explicit TriggerList(std::string profilesRoot = std::string(kDefaultProfilesRoot));

    TriggerList(const TriggerList&) = delete;
    TriggerList& operator=(const TriggerList&) = delete;

    // Where reactions are sent; null sends nothing.
    void SetSender(TriggerSender* sender) { sender_ = sender; }
    // Told of every firing; null for nobody.
    void SetObserver(TriggerObserver* observer) { observer_ = observer; }

    std::size_t Count() const { return triggers_.size(); }
    bool Empty() const { return triggers_.empty(); }
    // The trigger at list position `pos` (< Count()).
    const TTrigger& At(std::size_t pos) const { return *triggers_.at(pos); }

    // Inserts a new trigger at its sorted position and returns that position. The texts are
    // stored in their normalized form (NormalizePattern, NormalizeReaction).
    std::size_t AddTrigger(std::string_view pattern, std::string_view reaction);
    // Changes the texts of the trigger at `pos` and moves it to its new sorted position,
    // which is returned; nothing when `pos` is not in the list.
    std::optional<std::size_t> ReplaceTrigger(std::size_t pos, std::string_view pattern,
                                              std::string_view reaction);
    // Removes the trigger at `pos`; false when `pos` is not in the list.
    bool DeleteTrigger(std::size_t pos);
    void ClearTriggers();

    // Replaces the actions of the trigger at `pos` (< Count()).
    void SetActions(std::size_t pos, TriggerActions actions) {
        triggers_.at(pos)->SetActions(std::move(actions));
        Changed();
    }
    // Switches every trigger of `group` on or off; returns how many there are (none for an
    // empty name).
    std::size_t SetGroupEnabled(std::string_view group, bool enabled);

    // "<root>/<profile>/trigs.ndx".
    std::string TriggerFilePath(std::string_view profile) const;
    // "<root>/<profile>/trigs.act", the triggers' further actions (TriggerActionFile.h).
    std::string ActionFilePath(std::string_view profile) const;
    // Empties the list, then reads the profile's trigger file into it, and the actions
    // file onto its triggers. A missing or unreadable trigger file leaves the list empty;
    // false then.
    bool LoadTriggers(std::string_view profile);
    // Writes the whole list to the profile's trigger file, or deletes the file when the
    // list is empty; the same for the actions file when no trigger has actions. On a
    // failed write the old file stays as it was, and so does a file that cannot be
    // deleted; false then.
    bool SaveTriggers(std::string_view profile) const;
    // What the last load found wrong in the actions file, once: the texts are handed over
    // and forgotten.
    std::vector<std::string> TakeActionFileProblems() { return std::move(actionProblems_); }

    // The per-line pass: unless IgnoreTrigs is on or a reaction is being sent, every
    // enabled trigger whose pattern matches `line` (a completed line without its line
    // end) is told to the observer, switches the groups its actions name and sends its
    // expanded reaction, in list order, each once.
    void CheckTriggers(std::string_view line);

    // The list positions, in list order, of the triggers whose patterns match `line`,
    // whatever IgnoreTrigs says. The trigger variables are left as they are.
    std::vector<std::size_t> MatchingTriggers(std::string_view line) const;

    bool IgnoreTrigs() const { return ignoreTrigs_; }
    void SetIgnoreTrigs(bool on) { ignoreTrigs_ = on; }
    void ToggleIgnoreTrigs() { ignoreTrigs_ = !ignoreTrigs_; }

    // True while CheckTriggers is sending a reaction.
    bool Sending() const { return sendDepth_ > 0; }
    // While the observer is told of a firing: true when the trigger fired just before it,
    // on the same line, had the same pattern, so that this one matched the same spans.
    bool FiringRepeatsLast() const { return firingRepeats_; }
    // More than that: the two triggers are the same but for their places in the list and
    // their Enabled flags (pattern, reaction and actions), so that whatever this firing
    // does to the line once, the one before it has done already.
    bool FiringAgain() const { return firingAgain_; }
    // While the observer is told of a firing: true when the span it is given is known to be
    // the only match of the trigger's pattern in the line (false when not known).
    bool FiringMatchIsOnly() const { return firingOnly_; }

    TriggerVars& Vars() { return vars_; }
    const TriggerVars& Vars() const { return vars_; }

    // The pattern of the trigger that fired last (kept across profiles, as the variables
    // are), and who is told each time one fires (after its match, before its reaction).
    std::optional<std::string> LastFired() const {
        return lastFiredTrigger_ != nullptr ? std::optional(lastFiredTrigger_->pattern())
                                            : lastFired_;
    }
    void SetFiredListener(std::function<void()> listener) { firedListener_ = std::move(listener); }

private:
    std::size_t Insert(std::unique_ptr<TTrigger> trigger);
    void Changed();
    // Fills `out` with the positions of the triggers that may match `line`, ascending, and
    // `keyed`, when given, with the runs of them keyed by a literal (see TriggerPrefilter).
    void Candidates(std::string_view line, std::vector<std::uint32_t>& out,
                    std::vector<TriggerPrefilter::KeyedRun>* keyed = nullptr) const;
    // Records the trigger as the last fired and tells the listener, switches the groups it
    // names, then sends its reaction.
    void SendReaction(const TTrigger& trigger);
    // What a firing trigger that is not the one before it again records: whether it
    // switches groups, its pattern as the last fired, its reaction expanded.
    void RecordFiring(const TTrigger& trigger);
    void SwitchGroups(const TriggerActions& actions);
    // Expands the trigger's reaction into reaction_.
    void ExpandFor(const TTrigger& trigger);
    // Reads each trigger's traits_ afresh.
    void RebuildTraits() const;
    // Whether a trigger that is the one just fired again would do anything: be told to
    // the observer or the listener, switch groups or send.
    bool FiringAgainActs() const;
    // Copies the last fired trigger's pattern, before that trigger changes or goes.
    void KeepLastFired();
    // Tests every trigger from `pos` on, one after the other.
    void CheckFrom(std::size_t pos, std::string_view line);

    std::vector<std::unique_ptr<TTrigger>> triggers_;
    TriggerVars vars_;
    // LastFired: the trigger itself while it is in the list unchanged, which spares a copy
    // of its pattern at each firing; its pattern once it is about to change or leave.
    const TTrigger* lastFiredTrigger_ = nullptr;
    std::optional<std::string> lastFired_;
    std::function<void()> firedListener_;
    TriggerSender* sender_ = nullptr;
    TriggerObserver* observer_ = nullptr;
    std::vector<std::string> actionLeading_;
    std::vector<std::string> actionProblems_;
    std::string profilesRoot_;
    bool ignoreTrigs_ = false;
    bool firingRepeats_ = false; // FiringRepeatsLast
    bool firingAgain_ = false;   // FiringAgain
    bool firingOnly_ = false;    // FiringMatchIsOnly
    // Whether the last trigger fired that was not fired again switched groups.
    bool lastSwitchedGroups_ = false;
    int sendDepth_ = 0;
    // Counts the changes to the list, so that a pass notices one made while it sends.
    std::uint64_t generation_ = 0;
    mutable TriggerPrefilter prefilter_;
    mutable std::uint64_t prefilterGeneration_ = 0; // the generation it indexes
    mutable bool prefilterBuilt_ = false;
    // By position, for the generation the prefilter indexes: what the pass asks of every
    // candidate, kept together so that a line's candidates do not each bring their whole
    // trigger into the caches. SetGroupEnabled keeps the Enabled bits up to date.
    static constexpr std::uint8_t kEnabledTrait = 1;
    static constexpr std::uint8_t kRepeatsTrait = 2; // the pattern before it, again
    static constexpr std::uint8_t kAgainTrait = 4;   // the trigger before it, again
    static constexpr std::uint8_t kLiteralTrait = 8; // a pattern without variables
    mutable std::vector<std::uint8_t> traits_;
    // CheckTriggers's, kept to spare allocations.
    std::vector<std::uint32_t> passCandidates_;
    std::vector<TriggerPrefilter::KeyedRun> passKeyed_;
    std::string reaction_;                              // the text last sent,
    std::string expandedFrom_;                          // expanded from this reaction
    std::uint64_t expandedVersion_ = ~std::uint64_t{0}; // with the variables at this version
};

// Orders patterns as the list does: case-insensitively (ASCII letters), then by bytes.
bool TriggerPatternLess(std::string_view a, std::string_view b);

} // namespace tav
