// The walk built with plain loops, for processors without SSE2: its sieves
// classify 64 positions a byte at a time, and byte sets search by table.
#include "scan/walk/walker.h"

namespace lex {
namespace {

#include "scan/walk/vector.h"
#include "scan/walk/vector_plain.h"
using BlockVec = Vec1;
using SearchVecs = Vectors<>;
#include "scan/walk/body.h"
#include "scan/walk/encoded.h"

} // namespace

std::unique_ptr<WalkCore> MakePlainWalker(const WalkSetup &setup)
{
    return MakeBodyWalker(setup);
}

std::unique_ptr<EncodedWalk> MakePlainEncodedWalk(const ExtractionSettings &s, EncodedRows &rows)
{
    return MakeEncodedBody(s, rows);
}

} // namespace lex
