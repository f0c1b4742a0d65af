// help.ndx as anything may have left it: no kept topic holds a line end, and a saved
// index reads back the same.
#include "fuzz/FuzzSupport.h"
#include "settings/HelpIndexFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> topics = tav::ParseHelpIndex(bytes);
    for (const std::string& topic : topics)
        FUZZ_CHECK(topic.find_first_of("\r\n") == std::string::npos, "a topic holds no line end");
    tav::SortHelpTopics(topics);
    const std::string saved = tav::FormatHelpIndex(topics);
    std::vector<std::string> again = tav::ParseHelpIndex(saved);
    tav::SortHelpTopics(again);
    FUZZ_CHECK(tav::FormatHelpIndex(again) == saved, "a saved index reads back the same");
    return 0;
}
