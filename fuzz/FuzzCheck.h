#pragma once

#include <cstdio>
#include <cstdlib>

// A property the fuzz targets insist on. A failure prints what broke and aborts, so
// libFuzzer saves the input as a crash like any sanitizer report.
#define FUZZ_CHECK(condition, what)                                                                \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "FUZZ_CHECK failed at %s:%d: %s (%s)\n", __FILE__, __LINE__,      \
                         what, #condition);                                                        \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
