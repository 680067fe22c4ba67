// The walk built with SSE2 searches, 16 bytes at a time.  The 32-bit build
// targets processors without SSE2 everywhere else; here the walk's own
// functions (and only they: everything they use was defined above the
// switch) are built for SSE2, and the scanner calls them only after the
// processor said it has it.
#include "scan/walk/walker.h"

#include <emmintrin.h>

#if defined(__i386__) && !defined(__SSE2__)
#pragma GCC target("sse2")
#endif

namespace lex {
namespace {

#include "scan/walk/vector.h"
#include "scan/walk/vector_sse2.h"
using BlockVec = Vec16;
using SearchVecs = Vectors<Vec16>;
#include "scan/walk/body.h"
#include "scan/walk/encoded.h"

} // namespace

std::unique_ptr<WalkCore> MakeSse2Walker(const WalkSetup &setup)
{
    return MakeBodyWalker(setup);
}

std::unique_ptr<EncodedWalk> MakeSse2EncodedWalk(const ExtractionSettings &s, EncodedRows &rows)
{
    return MakeEncodedBody(s, rows);
}

} // namespace lex
