#pragma once
// What failed, where: a broken expectation ends the run like a sanitizer report does.
#include <cstdio>
#include <cstdlib>

#define check(ok)                                                                                 \
    do {                                                                                          \
        if (!(ok)) {                                                                              \
            std::fprintf(stderr, "expectation failed: %s (line %d)\n", #ok, __LINE__);            \
            std::abort();                                                                         \
        }                                                                                         \
    } while (0)
