// Runs the portable examination on bytes in memory, as the tests and the
// fuzz target do, and reads the record back as plain values.
#pragma once

#include "util/strlist.h"
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

inline std::vector<std::string> Items(const StrList &list)
{
    std::vector<std::string> items;
    for (const StrListNode *node = list.first; node; node = node->next)
        items.push_back(node->text);
    return items;
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

} // namespace exefix
