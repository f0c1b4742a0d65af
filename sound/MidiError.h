#pragma once

#include <string>

namespace tav {

// Error codes of MidiDevice steps, numbered as the multimedia command interface numbers
// them so logs and the close rule read the same.
enum MidiError : int {
    kMidiOk = 0,
    kMidiNoAudioOutput = 262,     // no audio driver could be opened
    kMidiInvalidDeviceName = 263, // no device is open under that alias
    kMidiCannotLoadDriver = 266,  // the synthesizer or its sound font would not load
    kMidiFileNotFound = 275,
    kMidiDeviceClosing = 288, // the device is being closed; quiet when closing
    kMidiDuplicateAlias = 289,
    kMidiInvalidFile = 296, // not a MIDI file
};

// The text of a MidiError; unknown codes give "Unknown MIDI device error <code>.".
std::string MidiErrorText(int code);

} // namespace tav
