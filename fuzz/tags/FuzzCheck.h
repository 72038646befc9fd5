#pragma once
// A check that every reading must pass whatever the bytes were. A failed check stops the fuzzer with
// the input that caused it.

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                                              \
    do {                                                                                                   \
        if (!(condition)) {                                                                                \
            std::fprintf(stderr, "check failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__);            \
            std::abort();                                                                                  \
        }                                                                                                  \
    } while (0)
