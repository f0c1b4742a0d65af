// timers.cfg as anything may have left it: every timer read is one the dialog would
// accept, at most kMaxTimers of them, and writing what was read and reading it again
// gives the same timers and keeps every other line.
#include "commands/TimerFile.h"
#include "fuzz/FuzzSupport.h"
#include "settings/TextMode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const tav::TimerFileRead read = tav::ReadTimerText(tav::FromTextMode(bytes));
    FUZZ_CHECK(read.timers.size() <= tav::kMaxTimers, "at most kMaxTimers timers");
    FUZZ_CHECK(read.bad.size() <= read.kept.size(), "every bad line is kept");
    for (const tav::CommandTimer& timer : read.timers)
        FUZZ_CHECK(tav::TimerProblem(timer).empty(), "a timer read is a timer kept");

    const std::string written = tav::WriteTimerText(read.timers, read.kept);
    const tav::TimerFileRead again = tav::ReadTimerText(written);
    FUZZ_CHECK(again.timers == read.timers, "the timers survive a save");
    FUZZ_CHECK(again.kept == read.kept, "the other lines survive a save");
    return 0;
}
