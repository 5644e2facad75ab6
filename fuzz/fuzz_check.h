#pragma once

#include <cstdio>
#include <cstdlib>

// A broken expectation inside a fuzz target: says what broke and aborts, so that libFuzzer
// reports the input as a crash and keeps it.
#define FUZZ_CHECK(condition, ...)                                           \
    do {                                                                     \
        if (!(condition)) {                                                  \
            std::fprintf(stderr, "fuzz check failed: %s: ", #condition);    \
            std::fprintf(stderr, __VA_ARGS__);                               \
            std::fputc('\n', stderr);                                        \
            std::abort();                                                    \
        }                                                                    \
    } while (0)
