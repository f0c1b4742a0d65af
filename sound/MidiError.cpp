#include "sound/MidiError.h"

namespace tav {

std::string MidiErrorText(int code) {
    switch (code) {
    case kMidiOk: return "The specified command was carried out.";
    case kMidiNoAudioOutput: return "No audio output could be opened for MIDI playback.";
    case kMidiInvalidDeviceName:
        return "The specified device is not open or is not recognized by MCI.";
    case kMidiCannotLoadDriver:
        return "The MIDI synthesizer or its sound font could not be loaded.";
    case kMidiFileNotFound:
        return "The specified file cannot be found. Make sure the path and filename are "
               "correct.";
    case kMidiDeviceClosing:
        return "The specified device is now being closed. Wait a few seconds, and then try "
               "again.";
    case kMidiDuplicateAlias:
        return "The specified alias is already being used in this application. Use a unique "
               "alias.";
    case kMidiInvalidFile:
        return "The specified file cannot be played on the specified MCI device. The file "
               "may be corrupt, or not in the correct format.";
    default: return "Unknown MIDI device error " + std::to_string(code) + ".";
    }
}

} // namespace tav
