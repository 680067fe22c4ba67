// Prints what the examination finds in each file named on the command line,
// one fact per line, for the comparison with objdump and for looking at a
// file by hand:  exe_dump [-f] FILE...   (-f: also the content scan)
#include "posix_file_source.h"
#include "util/strlist.h"
#include "version/exe.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char *MessageText(unsigned id)
{
    static char text[32];
    std::snprintf(text, sizeof text, "(message %u)", id);
    return text;
}

void PrintList(const char *tag, const StrList &list)
{
    for (const StrListNode *node = list.first; node; node = node->next)
        std::printf("%s\t%s\n", tag, node->text);
}

} // namespace

int main(int argc, char **argv)
{
    bool scan = false;
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-f") == 0) {
            scan = true;
            continue;
        }
        PosixFileSource file(argv[i]);
        if (!file.ok()) {
            std::fprintf(stderr, "exe_dump: cannot open %s\n", argv[i]);
            status = 1;
            continue;
        }
        ExeInfo info = {};
        std::snprintf(info.Path, sizeof info.Path, "%s", argv[i]);
        loom::InitExeInfo(&info);
        loom::ExeHooks hooks;
        hooks.message = MessageText;
        int flags = loom::ExamineExe(&info, file, true, scan, loom::kNoNameLimit, hooks);
        std::printf("file\t%s\nflags\t%d\nmachine\t0x%X\nsubsystem\t%u\nlinker\t%u.%u\n",
                    argv[i], flags, info.Machine, info.Subsystem, info.LinkerMajor,
                    info.LinkerMinor);
        std::printf("versions\t%u.%u %u.%u %u.%u\n", info.Versions[0], info.Versions[1],
                    info.Versions[2], info.Versions[3], info.Versions[4], info.Versions[5]);
        std::printf("timestamp\t0x%08X\ncode\t%u\nresource\t%u\ndebug\t%d\ncompiler\t%u\n",
                    info.TimeStamp, info.CodeSize, info.ResourceSize, info.DebugSize,
                    info.CompilerCode);
        std::printf("module\t%s\ndescription\t%s\nmodules\t%u\n", info.ModuleName,
                    info.Description, info.ModuleCount);
        PrintList("dll", info.ImportedDlls);
        PrintList("function", info.ImportedFunctions);
        PrintList("export", info.ExportedNames);
        PrintList("found", info.FoundDlls);
        loom::StrListDestroy(&info.ImportedFunctions);
        loom::StrListDestroy(&info.ExportedNames);
        loom::StrListDestroy(&info.ImportedDlls);
        loom::StrListDestroy(&info.FoundDlls);
    }
    return status;
}
