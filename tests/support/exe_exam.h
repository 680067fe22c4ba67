// Runs the portable examination on bytes in memory, as the tests and the
// fuzz target do, and reads the record back as plain values.
#pragma once

#include "strlist_items.h"
#include "version/exe.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace exefix {

inline const char *MessageText(unsigned id)
{
    static char text[16];
    std::snprintf(text, sizeof text, "(msg%u)", id);
    return text;
}

// One examination, its record, and the lists freed at the end.
struct Exam {
    ExeInfo info;
    int flags = -1;
    unsigned pumps = 0;

    Exam() { std::memset(&info, 0, sizeof info); }
    Exam(const Exam &) = delete;
    Exam &operator=(const Exam &) = delete;
    ~Exam()
    {
        loom::StrListDestroy(&info.ImportedFunctions);
        loom::StrListDestroy(&info.ExportedNames);
        loom::StrListDestroy(&info.ImportedDlls);
        loom::StrListDestroy(&info.FoundDlls);
    }

    static loom::ExeHooks Hooks()
    {
        loom::ExeHooks hooks;
        hooks.isLead = loom::IsShiftJisLeadByte;
        hooks.message = MessageText;
        return hooks;
    }

    int Run(const std::vector<std::uint8_t> &bytes, bool withNames = true, bool scan = false,
            unsigned limit = loom::kNoNameLimit, const char *path = "C:\\dir\\file.exe")
    {
        std::snprintf(info.Path, sizeof info.Path, "%s", path);
        loom::InitExeInfo(&info);
        loom::BufferSource source(bytes.data(), bytes.size());
        flags = loom::ExamineExe(&info, source, withNames, scan, limit, Hooks());
        return flags;
    }

    std::vector<std::string> Dlls() const { return Items(info.ImportedDlls); }
    std::vector<std::string> Functions() const { return Items(info.ImportedFunctions); }
    std::vector<std::string> Exports() const { return Items(info.ExportedNames); }
    std::vector<std::string> Found() const { return Items(info.FoundDlls); }
};

// What is wrong with the record after an examination with these options,
// or the empty text: flags only of the known bits, the texts terminated,
// the lists sorted (the module lists without repeats), the module count
// that of ImportedDlls, nothing listed that the options did not ask for,
// found names of a plausible length and not among the imports.
inline std::string RecordProblem(const Exam &e, bool withNames, bool scan, unsigned limit)
{
    const ExeInfo &info = e.info;
    const int flags = e.flags;
    if (flags != info.Flags)
        return "result differs from the flags field";
    if (flags & ~(EXEINFO_MZ | EXEINFO_DOS | EXEINFO_PE | EXEINFO_PE64))
        return "unknown flag bits";
    if (!std::memchr(info.Description, 0, EXEINFO_TEXT_SIZE) ||
        !std::memchr(info.ModuleName, 0, EXEINFO_TEXT_SIZE))
        return "a text field without terminator";
    auto sorted = [](const std::vector<std::string> &items, bool unique) {
        for (std::size_t i = 1; i < items.size(); ++i) {
            int order = loom::MbCompare(items[i - 1].c_str(), items[i].c_str(),
                                        loom::IsShiftJisLeadByte);
            if (order > 0 || (unique && order == 0))
                return false;
        }
        return true;
    };
    const std::vector<std::string> dlls = e.Dlls(), found = e.Found();
    const std::vector<std::string> functions = e.Functions(), exports = e.Exports();
    if (!sorted(dlls, true) || !sorted(found, true) || !sorted(exports, false) ||
        !sorted(functions, false))
        return "a list out of order";
    const bool walked = (flags & EXEINFO_MZ) && !(flags & EXEINFO_DOS);
    if (walked && info.ModuleCount != (dlls.size() < 0xFFFF ? dlls.size() : 0xFFFF))
        return "module count differs from the imported modules";
    if (!withNames && (!functions.empty() || !exports.empty()))
        return "names listed without being asked for";
    if (!scan && !found.empty())
        return "names found without a scan";
    const bool ne = walked && info.Subsystem == 2 && !(flags & EXEINFO_PE);
    if (!ne && exports.size() > std::size_t(limit) + 1)
        return "more exported names than the limit";
    for (const std::string &name : found) {
        if (name.size() <= 5 || name.size() > 24)
            return "a found name of impossible length: " + name;
        for (const std::string &dll : dlls)
            if (dll == name)
                return "a found name that is imported: " + name;
    }
    for (const std::string &line : functions)
        if (line.size() < 16 || line.find("  ") == std::string::npos)
            return "a malformed function line: " + line;
    return std::string();
}

} // namespace exefix
