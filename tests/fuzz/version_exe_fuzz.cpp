// Fuzz target: the executable examination on arbitrary bytes.  The last
// byte chooses the options (inverted, so that files ending in zero bytes
// run with everything on): bit 0 clear lists names, bit 1 clear runs the
// content scan, bit 2 clear lifts the name limit.  Besides the sanitizers,
// the record must come out in a consistent state; anything else aborts.
#include "exe_exam.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

bool Terminated(const char *field)
{
    return std::memchr(field, 0, EXEINFO_TEXT_SIZE) != nullptr;
}

bool Sorted(const std::vector<std::string> &items, bool unique)
{
    for (std::size_t i = 1; i < items.size(); ++i) {
        int order = loom::MbCompare(items[i - 1].c_str(), items[i].c_str(), loom::IsShiftJisLeadByte);
        if (order > 0 || (unique && order == 0))
            return false;
    }
    return true;
}

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
    int flags = loom::ExamineExe(&e.info, source, withNames, scan, limit, hooks);

    Require(flags == e.info.Flags);
    Require((flags & ~(EXEINFO_MZ | EXEINFO_DOS | EXEINFO_PE | EXEINFO_PE64)) == 0);
    Require(Terminated(e.info.Description) && Terminated(e.info.ModuleName));
    const std::vector<std::string> dlls = e.Dlls(), found = e.Found();
    const std::vector<std::string> functions = e.Functions(), exports = e.Exports();
    Require(Sorted(dlls, true) && Sorted(found, true));
    Require(Sorted(exports, false) && Sorted(functions, false));
    Require(e.info.ModuleCount == std::min<std::size_t>(dlls.size(), 0xFFFF) ||
            (flags & EXEINFO_DOS) || !(flags & EXEINFO_MZ));
    if (!withNames)
        Require(functions.empty() && exports.empty());
    if (!scan)
        Require(found.empty());
    if (limit == loom::kActiveXNameLimit && !(e.info.Subsystem == 2 && !(flags & EXEINFO_PE)))
        Require(exports.size() <= limit + 1);
    std::set<std::string> imported(dlls.begin(), dlls.end());
    for (const std::string &name : found) {
        Require(name.size() > 5 && name.size() <= 24);
        Require(!imported.count(name));
    }
    for (const std::string &line : functions)
        Require(line.size() >= 16 && line.find("  ") != std::string::npos);
    return 0;
}
