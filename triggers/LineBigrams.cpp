#include "triggers/LineBigrams.h"

namespace tav {

LineBigrams::LineBigrams(std::string_view line) {
    for (std::size_t i = 1; i < line.size(); ++i) {
        const std::uint16_t slot = Slot(line[i - 1], line[i]);
        words_[slot >> 6] |= std::uint64_t{1} << (slot & 63);
    }
}

} // namespace tav
