// Fuzz target: the executable examination on arbitrary bytes.  The last
// byte chooses the options (inverted, so that files ending in zero bytes
// run with everything on): bit 0 clear lists names, bit 1 clear runs the
// content scan, bit 2 clear lifts the name limit.  Besides the sanitizers,
// the record must come out in a consistent state; anything else aborts.
#include "exe_exam.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void Pump() {}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::uint8_t options = size ? static_cast<std::uint8_t>(~data[size - 1]) : 0xFF;
    const bool withNames = options & 1, scan = options & 2;
    const unsigned limit = (options & 4) ? loom::kNoNameLimit : loom::kActiveXNameLimit;

    exefix::Exam e;
    std::memset(e.info.Path, 'p', sizeof e.info.Path); // no terminator: read as 254 bytes
    loom::InitExeInfo(&e.info);
    loom::ExeHooks hooks = exefix::Exam::Hooks();
    hooks.pump = Pump;
    loom::BufferSource source(data, size);
    e.flags = loom::ExamineExe(&e.info, source, withNames, scan, limit, hooks);
    if (!exefix::RecordProblem(e, withNames, scan, limit).empty())
        std::abort();
    return 0;
}
