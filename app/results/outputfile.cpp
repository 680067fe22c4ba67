// What both implementations of OutputFile share: the space that tests may
// give the files.
#include "results/outputfile.h"

namespace lex {
namespace {

uint64_t g_spaceForTests = OutputFile::kUnlimited;

} // namespace

void OutputFile::SetSpaceForTests(uint64_t bytes)
{
    g_spaceForTests = bytes;
}

void OutputFile::ResetSpace()
{
    space_ = g_spaceForTests;
}

size_t OutputFile::Room(size_t want)
{
    const size_t take = space_ < want ? static_cast<size_t>(space_) : want;
    if (space_ != kUnlimited)
        space_ -= take;
    return take;
}

} // namespace lex
