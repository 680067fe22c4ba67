// The executable examination exports called as a program of the suite calls
// them: on mingw-built DLLs and programs of both machines, on the library
// itself, on files that are no executables, and with an eye on the file's
// times and on the bytes around the caller's record.
// Japanese literals are Shift-JIS here, as the library returns them.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "util/loomutil.h"
#include "version/exeinfo.h"
#include "guarded_record.h"
#include "strlist_items.h"
#include "win_test_util.h"

namespace {

using Strings = std::vector<std::string>;

using testsupport::InBin;

std::string TempPath(const std::string &name)
{
    return testsupport::TempDir() + "exeinfo_" + name;
}

std::string WriteTemp(const std::string &name, const std::string &bytes)
{
    const std::string path = TempPath(name);
    return testsupport::WriteAll(path, bytes) ? path : std::string();
}

std::string CopyToTemp(const std::string &file, const std::string &name)
{
    std::string path = TempPath(name);
    EXPECT_TRUE(CopyFileA(InBin(file).c_str(), path.c_str(), FALSE)) << file;
    return path;
}

bool Has(const Strings &items, const std::string &item)
{
    return std::find(items.begin(), items.end(), item) != items.end();
}

// A caller's record, cleared as the caller must, with guard bytes behind it;
// its lists are freed at the end as the caller must.
struct Record : testsupport::Guarded<ExeInfo> {
    ExeInfo &info = record();

    explicit Record(const std::string &path)
    {
        std::strncpy(info.Path, path.c_str(), sizeof info.Path - 1);
    }
    ~Record()
    {
        StrList_Destroy(&info.ImportedFunctions);
        StrList_Destroy(&info.ExportedNames);
        StrList_Destroy(&info.ImportedDlls);
        StrList_Destroy(&info.FoundDlls);
    }
    Strings Dlls() { return Items(&info.ImportedDlls); }
    Strings Functions() { return Items(&info.ImportedFunctions); }
    Strings Exports() { return Items(&info.ExportedNames); }
    Strings Found() { return Items(&info.FoundDlls); }
};

TEST(GetExeInfo, MingwBuiltDllsOfBothMachines)
{
    struct Case {
        const char *file;
        int flags;
        int machine;
    } cases[] = {
        {"fxlib32.dll", 5, 0x14C},
        {"fxlib64.dll", 21, 0x8664},
    };
    for (const Case &c : cases) {
        Record r(InBin(c.file));
        ASSERT_EQ(c.flags, GetExeInfo(&r.info, 1, 1)) << c.file;
        EXPECT_EQ(c.machine, r.info.Machine) << c.file;
        EXPECT_EQ(3, r.info.Subsystem) << c.file;
        EXPECT_STREQ(c.file, r.info.ModuleName);
        EXPECT_EQ((Strings{"advapi32.dll", "kernel32.dll", "msvcrt.dll", "user32.dll"}), r.Dlls())
            << c.file;
        EXPECT_EQ(4, r.info.ModuleCount) << c.file;
        // The C runtime of a GNU linker (2.x) reads as Visual C++ 5.0/6.0.
        EXPECT_EQ(15, r.info.CompilerCode) << c.file;
        EXPECT_EQ((Strings{"DllCanUnloadNow", "DllGetClassObject", "FxAdd", "FxAsk", "FxName"}),
                  r.Exports())
            << c.file;
        Strings functions = r.Functions();
        for (const char *line : {"advapi32.dll    RegOpenKeyExA", "advapi32.dll    RegCloseKey",
                                 "kernel32.dll    GetTickCount", "kernel32.dll    LoadLibraryA",
                                 "user32.dll      MessageBoxA"})
            EXPECT_TRUE(Has(functions, line)) << c.file << ": " << line;
        EXPECT_TRUE(std::is_sorted(functions.begin(), functions.end())) << c.file;
        // In its data as ANSI text, and as UTF-16 in a string resource; the
        // file's own name, a one-letter name and the imports are not found.
        Strings found = r.Found();
        for (const char *name : {"abcd.dll", "plugin_a.dll", "fxhelper.dll"})
            EXPECT_TRUE(Has(found, name)) << c.file << ": " << name;
        for (const char *name : {"fxlib32.dll", "fxlib64.dll", "x.dll", "kernel32.dll", "user32.dll"})
            EXPECT_FALSE(Has(found, name)) << c.file << ": " << name;
        EXPECT_TRUE(r.GuardIntact()) << c.file;

        BY_HANDLE_FILE_INFORMATION facts = {};
        HANDLE h = CreateFileA(InBin(c.file).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        GetFileInformationByHandle(h, &facts);
        CloseHandle(h);
        EXPECT_EQ(facts.nFileSizeLow, r.info.FileSize) << c.file;
        EXPECT_EQ(facts.dwFileAttributes, r.info.Attributes) << c.file;
        EXPECT_EQ(facts.ftLastWriteTime.dwLowDateTime, r.info.LastWriteTime.dwLowDateTime);
        EXPECT_EQ(facts.ftLastWriteTime.dwHighDateTime, r.info.LastWriteTime.dwHighDateTime);
        EXPECT_NE(0u, r.info.TimeStamp) << c.file;
        EXPECT_NE(0xFFFFFFFFu, r.info.CodeSize) << c.file;
    }
}

TEST(GetExeInfo, ProgramsImportingByOrdinal)
{
    for (const char *file : {"fxprog32.exe", "fxprog64.exe"}) {
        Record r(InBin(file));
        GetExeInfo(&r.info, 1, 0);
        EXPECT_EQ((Strings{"comctl32.dll", "kernel32.dll", "msvcrt.dll", "shell32.dll", "user32.dll"}),
                  r.Dlls())
            << file;
        Strings functions = r.Functions();
        EXPECT_TRUE(Has(functions, "shell32.dll     ShellExecuteA")) << file;
        EXPECT_TRUE(Has(functions, "user32.dll      MessageBoxA")) << file;
        // InitCommonControls is imported by its ordinal: no line, no name.
        for (const std::string &line : functions)
            EXPECT_NE(0u, line.find("comctl32.dll")) << file << ": " << line;
        EXPECT_STREQ("", r.info.ModuleName) << file;
        EXPECT_TRUE(r.Exports().empty()) << file;
        EXPECT_TRUE(r.Found().empty()) << file;
    }
}

// The export names of loomlib.dll as its export list states them.
Strings DefinedExports()
{
    std::ifstream def(LOOM_SOURCE_DIR "/lib/loomlib.def");
    EXPECT_TRUE(def.good());
    Strings names;
    std::string line;
    bool exports = false;
    while (std::getline(def, line)) {
        line = line.substr(0, line.find(';'));
        std::istringstream words(line);
        std::string word;
        if (!(words >> word))
            continue;
        if (word == "EXPORTS")
            exports = true;
        else if (exports)
            names.push_back(word);
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(GetExeInfo, TheLibraryItself)
{
    Record r(InBin("loomlib.dll"));
    // The 64-bit test build's library is a PE for a 64-bit-class machine.
    EXPECT_EQ(sizeof(void *) == 4 ? 5 : 21, GetExeInfo(&r.info, 1, 0));
    EXPECT_STREQ("loomlib.dll", r.info.ModuleName);
    EXPECT_EQ(DefinedExports(), r.Exports());
    EXPECT_TRUE(Has(r.Dlls(), "kernel32.dll"));
    EXPECT_EQ(sizeof(void *) == 4 ? 0x14C : 0x8664, r.info.Machine);
}

// The first two bytes make a program; a file that is none gets the
// examination's failure, with a record as a fresh one and nothing written
// past it.
TEST(GetExeInfo, FilesThatAreNoExecutables)
{
    CreateDirectoryA(TempPath("dir").c_str(), nullptr);
    struct Case {
        const char *what;
        std::string path;
        int executable;
    } cases[] = {
        {"MZ", WriteTemp("mz.bin", "MZ"), 1},
        {"ZM", WriteTemp("zm.bin", "ZMxx"), 1},
        {"a program", InBin("fxprog32.exe"), 1},
        {"mz", WriteTemp("lower.bin", "mz"), 0},
        {"missing", TempPath("missing.exe"), 0},
        {"directory", TempPath("dir"), 0},
        {"empty", WriteTemp("empty.bin", ""), 0},
        {"one byte", WriteTemp("one.bin", "M"), 0},
        {"text", WriteTemp("text.txt", "Loads plugin_a.dll\r\n"), 0},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(c.executable, IsFileExecutable(c.path.c_str())) << c.what;
        if (c.executable)
            continue;
        Record r(c.path);
        EXPECT_EQ(0, GetExeInfo(&r.info, 1, 1)) << c.what;
        EXPECT_EQ(0xFFFFFFFFu, r.info.CodeSize) << c.what;
        EXPECT_EQ(-1, r.info.DebugSize) << c.what;
        EXPECT_EQ(3, r.info.Subsystem) << c.what;
        EXPECT_EQ(0, StrList_Count(&r.info.ImportedDlls)) << c.what;
        EXPECT_EQ(0, StrList_Count(&r.info.FoundDlls)) << c.what;
        EXPECT_TRUE(r.GuardIntact()) << c.what;
    }
    EXPECT_EQ(0, IsFileExecutable(nullptr));
    Record dos(WriteTemp("dos.exe", std::string("MZ\0\0\0\0\0\0\0\0\x04\0\x10\0", 14)));
    EXPECT_EQ(3, GetExeInfo(&dos.info, 1, 1));
    EXPECT_EQ(64, dos.info.MinAlloc);
    EXPECT_EQ(256, dos.info.MaxAlloc);
    EXPECT_EQ(14u, dos.info.FileSize);
}

TEST(GetExeInfo, UnterminatedPathIsReadAs254Bytes)
{
    // A file whose full path is exactly 254 bytes.
    std::string prefix = TempPath("");
    std::string path = prefix + std::string(254 - prefix.size() - 4, 'n') + ".dll";
    ASSERT_EQ(254u, path.size());
    ASSERT_TRUE(CopyFileA(InBin("fxlib32.dll").c_str(), path.c_str(), FALSE));
    Record r("");
    std::memcpy(r.info.Path, path.data(), 254);
    r.info.Path[254] = 'X';
    std::strcpy(r.info.Description, "more text after the path");
    EXPECT_EQ(5, GetExeInfo(&r.info, 0, 0));
    EXPECT_EQ(1, SearchDll(&r.info));
    EXPECT_TRUE(Has(r.Found(), "plugin_a.dll"));
    DeleteFileA(path.c_str());
}

FILETIME Time(WORD year)
{
    SYSTEMTIME st = {};
    st.wYear = year;
    st.wMonth = 6;
    st.wDay = 15;
    st.wHour = 12;
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    return ft;
}

// The last-access time lies before the last-write time, which is when a
// plain read moves it forward.
TEST(ExeFileTimes, EveryCallLeavesTheTimesAsTheyWere)
{
    std::string path = CopyToTemp("fxlib32.dll", "times.dll");
    const FILETIME accessed = Time(2001), written = Time(2005);
    struct Call {
        const char *what;
        void (*run)(const std::string &);
    } calls[] = {
        {"GetExeInfo", [](const std::string &p) { Record r(p); GetExeInfo(&r.info, 1, 1); }},
        {"SearchDll", [](const std::string &p) { Record r(p); SearchDll(&r.info); }},
        {"IsFileExecutable", [](const std::string &p) { IsFileExecutable(p.c_str()); }},
        {"IsFileActiveX", [](const std::string &p) { IsFileActiveX(p.c_str()); }},
    };
    for (const Call &call : calls) {
        ASSERT_EQ(1, SetFileDates(path.c_str(), nullptr, &accessed, &written));
        call.run(path);
        FILETIME a = {}, w = {};
        ASSERT_EQ(1, GetFileDates(path.c_str(), nullptr, &a, &w));
        EXPECT_EQ(0, CompareFileTime(&accessed, &a)) << call.what << " moved the last-access time";
        EXPECT_EQ(0, CompareFileTime(&written, &w)) << call.what << " moved the last-write time";
    }
    DeleteFileA(path.c_str());
}

TEST(IsFileActiveX, DllCanUnloadNowAmongTheFirstElevenNames)
{
    struct Case {
        std::string path;
        int result;
    } cases[] = {
        {InBin("fxlib32.dll"), 1},
        {InBin("fxlib64.dll"), 1},
        {InBin("fxax11.dll"), 1},
        {InBin("fxax12.dll"), 0},
        {InBin("fxprog32.exe"), 0},
        {InBin("loomlib.dll"), 0},
        {TempPath("missing.dll"), 0},
        {"C:\\" + std::string(300, 'a') + "\\fxlib32.dll", 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.result, IsFileActiveX(c.path.c_str())) << c.path;
}

TEST(SearchDll, OnlyTheContentScan)
{
    Record r(InBin("fxlib32.dll"));
    std::strcpy(r.info.ModuleName, "plugin");
    EXPECT_EQ(1, SearchDll(&r.info));
    EXPECT_STREQ("", r.info.ModuleName);
    Strings found = r.Found();
    // No import list to leave out: the import names are found too.
    for (const char *name : {"abcd.dll", "plugin_a.dll", "fxhelper.dll", "kernel32.dll"})
        EXPECT_TRUE(Has(found, name)) << name;
    EXPECT_FALSE(Has(found, "fxlib32.dll"));
    EXPECT_TRUE(r.Dlls().empty());
    EXPECT_TRUE(r.Exports().empty());
    EXPECT_EQ(0, r.info.Flags);

    struct Case {
        std::string path;
        int result;
        Strings found;
    } cases[] = {
        {TempPath("missing.dll"), 0, {}},
        {WriteTemp("seven.bin", "abc.dll"), 1, {}},
        {WriteTemp("eight.bin", " abc.dll"), 1, {"abc.dll"}},
    };
    for (const Case &c : cases) {
        Record s(c.path);
        EXPECT_EQ(c.result, SearchDll(&s.info)) << c.path;
        EXPECT_EQ(c.found, s.Found()) << c.path;
        EXPECT_TRUE(s.GuardIntact()) << c.path;
    }
}

// Known codes by their names; unknown codes by the library's messages in
// one shared buffer.
TEST(DisplayNames, ConstantsAndLibraryMessages)
{
    EXPECT_STRNE("", SubSystemName(2));
    EXPECT_STRNE("", MachineName(0x8664));
    EXPECT_STRNE(CompilerName(55), CompilerName(56));
    EXPECT_EQ(testsupport::LibMessage(12), SubSystemName(1));
    EXPECT_EQ(testsupport::LibMessage(11), SubSystemName(4));
    EXPECT_EQ(testsupport::LibMessage(13), MachineName(0x1234));
    EXPECT_EQ(testsupport::LibMessage(13), CompilerName(2));
    EXPECT_EQ(MachineName(0x1234), CompilerName(2));
}

} // namespace
