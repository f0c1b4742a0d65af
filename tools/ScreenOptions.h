#pragma once

#include "screen/MudScreen.h"

namespace tav::tools {

// The screen options the tools share: geometry, flags and the size of the blocks fed.
struct ScreenOptions {
    int rows = 24;
    int cols = 80;
    int lines = 100;
    int chunk = 0; // 0: the tool's own default
    bool autowrap = true;
    bool appendcr = true;
    TextEncoding encoding = TextEncoding::SevenBit;
    ColourMode colours = ColourMode::Basic;
};

enum class OptionParse { NotMine, Taken, Bad };

// Takes argv[i] (and its value, advancing i) when it is one of --rows, --cols, --lines,
// --chunk, --encoding 7bit|latin1|utf8, --no-autowrap, --no-appendcr, --full-colour.
OptionParse ParseScreenOption(int argc, char** argv, int& i, ScreenOptions& options);

// Applies the options to a new screen as a window of rows x cols cells would set them
// (rows limited to the buffer lines, columns to 132).
void ApplyScreenOptions(const ScreenOptions& options, TMudScreen& screen);

} // namespace tav::tools
