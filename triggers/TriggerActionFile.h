#pragma once

#include "triggers/TriggerActions.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

class TriggerList;

// The per-profile file "trigs.act" beside trigs.ndx: what triggers do beyond sending their
// reactions, so trigs.ndx stays exactly the pattern and reaction records it always was.
// A text-mode file of entries, one per trigger that has any action:
//
//   [trigger]
//   pattern=<the trigger's pattern, byte for byte>
//   occurrence=<n>            the n-th trigger with that pattern; 1 when left out
//   enabled=no
//   group=<name>
//   group-on=<name>           switched on each time the trigger fires
//   group-off=<name>          switched off each time the trigger fires
//   highlight=match|line
//   text=#RRGGBB
//   back=#RRGGBB
//   gag=yes
//   gag-log=yes
//   sound=<path of a WAV file>
//   channel=yes
//
// An entry names its trigger by pattern and occurrence among equal patterns: trigs.ndx
// keeps equal patterns in the order they were added and the list keeps that order when it
// loads them, so the n-th one is the same trigger on the next load, and trigs.ndx needs
// no key of its own. (The reaction would not help: equal patterns may share it too.)
// Lines before the first entry and lines of an entry that are not understood are kept
// and written back; an entry whose trigger is gone is dropped at the next save, as its
// trigger was.

struct TriggerActionRecord {
    std::string pattern;
    std::size_t occurrence = 1;
    TriggerActions actions;
};

struct TriggerActionFile {
    std::vector<std::string> leading; // lines before the first entry, as read
    std::vector<TriggerActionRecord> records;
    // One text per line that could not be used, said once when the file is read.
    std::vector<std::string> problems;
};

// Parses the file's text (CR LF already turned into LF). Bounded: at most
// kMaxActionFileBytes are read, values and kept lines are cut to their limits.
TriggerActionFile ParseTriggerActionFile(std::string_view text);

// The file's text for the actions of `list` (before the text-mode translation), with the
// `leading` lines first; empty when there is nothing to keep.
std::string FormatTriggerActionFile(const TriggerList& list,
                                    const std::vector<std::string>& leading);

// The records of the triggers of `list` that have actions, keyed as the file keys them.
std::vector<TriggerActionRecord> TriggerActionRecords(const TriggerList& list);

// Gives each trigger of `list` the actions of its record; records naming no trigger are
// left out. Returns how many were attached.
std::size_t AttachTriggerActions(TriggerList& list,
                                 const std::vector<TriggerActionRecord>& records);

} // namespace tav
