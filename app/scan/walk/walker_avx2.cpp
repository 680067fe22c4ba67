// The walk built with AVX2 searches, 32 bytes at a time (and 16 for what is
// too short for 32).  No other code of either build is made for AVX2: here
// the walk's own functions (and only they: everything they use was defined
// above the switch) are built for it, and the scanner calls them only after
// the processor and the operating system said that they run AVX2 code.
#include "scan/walk/walker.h"

#include <immintrin.h>

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC target("avx2")
#endif

namespace lex {
namespace {

#include "scan/walk/vector.h"
#include "scan/walk/vector_sse2.h"
#include "scan/walk/vector_avx2.h"
using BlockVec = Vec32;
using SearchVecs = Vectors<Vec32, Vec16>;
#include "scan/walk/body.h"
#include "scan/walk/encoded.h"

} // namespace

std::unique_ptr<WalkCore> MakeAvx2Walker(const WalkSetup &setup)
{
    return MakeBodyWalker(setup);
}

std::unique_ptr<EncodedWalk> MakeAvx2EncodedWalk(const ExtractionSettings &s, EncodedRows &rows)
{
    return MakeEncodedBody(s, rows);
}

} // namespace lex

#if defined(__clang__)
#pragma clang attribute pop
#endif
