#include "settings/SizesStep.h"

#include "settings/LineScanner.h"

#include <algorithm>
#include <string_view>

namespace tav {

namespace {

int FieldNumber(const char* field, std::size_t size) {
    std::string_view text(field, size);
    return TextToNumber(text.substr(0, text.find('\0')));
}

} // namespace

SizesStep ComputeSizesStep(const Settings& settings, int currentScrollLines,
                           int currentHistoryLines) {
    SizesStep step;
    int scroll = FieldNumber(settings.scrolllines, sizeof settings.scrolllines);
    if (scroll > kMinSettingsScrollLines) {
        scroll = std::min(scroll, kMaxScrollLines);
        if (scroll != currentScrollLines) step.scrollLines = scroll;
    }
    int history = FieldNumber(settings.inputlines, sizeof settings.inputlines);
    if (history > 0) {
        history = std::min(history, kMaxInputLines);
        if (history != currentHistoryLines) step.historyLines = history;
    }
    return step;
}

} // namespace tav
