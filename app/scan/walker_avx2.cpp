// The walk built with AVX2 searches, 32 bytes at a time.  No other code of
// either build is made for AVX2: here the walk's own functions (and only
// they: everything they use was defined above the switch) are built for
// it, and the scanner calls them only after the processor and the
// operating system said that they run AVX2 code.
#include "scan/walker.h"

#include <immintrin.h>

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC target("avx2")
#endif

#define LEX_WALK_SSE2 1
#define LEX_WALK_AVX2 1
#define LEX_WALK_FACTORY MakeAvx2Walker
#include "scan/walker_body.h"

#if defined(__clang__)
#pragma clang attribute pop
#endif
