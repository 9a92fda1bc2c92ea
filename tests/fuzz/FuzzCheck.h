// The one check of the fuzz targets: a property every input must keep. A broken one is a
// finding like a sanitizer's report: the target says which property on stderr and aborts,
// so libFuzzer keeps the input as a crash artifact.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(cond)                                                                \
    do {                                                                                \
        if (!(cond)) {                                                                  \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                               \
        }                                                                               \
    } while (0)
