// No C++ exception leaves an export: with malloc failing inside loomlib.dll
// at each allocation of a call in turn, each export still returns one of
// its documented results, and the caller goes on.  Nor does a null pointer
// crash one: it gives the failure result.
#include "archive/loomarchive.h"
#include "net/loomnet.h"
#include "sysinfo/loomsys.h"
#include "util/loomutil.h"
#include "version/exeinfo.h"
#include "version/loomver.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "malloc_faults.h"

namespace {

std::string TempFolder(const char *name)
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    return std::string(temp) + name + std::to_string(GetCurrentProcessId());
}

std::string LibraryPath()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(GetModuleHandleA("loomlib.dll"), path, sizeof path);
    return path;
}

void MakeTree(const std::string &root)
{
    CreateDirectoryAtOnce((root + "\\a\\b").c_str());
    HANDLE file = CreateFileA((root + "\\a\\b\\f.txt").c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    CloseHandle(file);
}

// One export call: `prepare` runs with malloc working, `call` with the
// faults armed; `call` maps the export's result to 1 (success), 0 (the
// documented failure) or anything else (a result the export must never give).
struct Case {
    const char *name;
    std::function<void()> prepare;
    std::function<int()> call;
};

TEST(ExportGuard, RunningOutOfMemoryGivesTheDocumentedFailure)
{
    faults::MallocFaults faults(GetModuleHandleA("loomlib.dll"));
    ASSERT_TRUE(faults.Patched()) << "loomlib.dll imports no malloc from msvcrt.dll";

    const std::string library = LibraryPath();
    const std::string tree = TempFolder("loomguard-tree");
    const std::string deep = TempFolder("loomguard-mkdir") + "\\x\\y\\z";
    const char regKey[] = "Software\\Halvek\\LoomGuardTest";
    StrList list;
    char size[16];
    char url[64];
    FileVerInfo info;
    // A small program of the test fixtures, beside the library.
    const std::string fixture = library.substr(0, library.rfind('\\') + 1) + "fxlib32.dll";
    ExeInfo exe;
    const Case cases[] = {
        {"GetFileVerInfo", [] {},
         [&] { return GetFileVerInfo(library.c_str(), &info); }},
        {"GetFileVerLCID", [] {},
         [&] {
             const int language = GetFileVerLCID(library.c_str());
             return language == 0x411 ? 1 : language;
         }},
        // A failed examination leaves no list that looks whole.
        {"GetExeInfo", [&] { std::memset(&exe, 0, sizeof exe); std::strcpy(exe.Path, fixture.c_str()); },
         [&] {
             const int flags = GetExeInfo(&exe, 1, 1);
             const int functions = StrList_Count(&exe.ImportedFunctions);
             const int dlls = StrList_Count(&exe.ImportedDlls);
             StrList_Destroy(&exe.ImportedFunctions);
             StrList_Destroy(&exe.ExportedNames);
             StrList_Destroy(&exe.ImportedDlls);
             StrList_Destroy(&exe.FoundDlls);
             if (flags == 0)
                 return GetLastError() == ERROR_NOT_ENOUGH_MEMORY && functions == 0 && dlls == 0
                            ? 0
                            : -1;
             return flags == (EXEINFO_MZ | EXEINFO_PE) && functions > 0 && dlls > 0 ? 1 : -1;
         }},
        {"FormatFileSize", [] {},
         [&] {
             FormatFileSize(1536, 0, size);
             return size[0] == '\0' ? 0 : std::strcmp(size, "1.50 KB") == 0 ? 1 : -1;
         }},
        {"szURLEncode", [&] { std::strcpy(url, "a&b c"); },
         [&] {
             szURLEncode(url);
             return std::strcmp(url, "a&b c") == 0 ? 0 : std::strcmp(url, "a%26b c") == 0 ? 1 : -1;
         }},
        {"DelTree", [&] { MakeTree(tree); }, [&] { return DelTree(tree.c_str()); }},
        {"CreateDirectoryAtOnce", [&] { DelTree(TempFolder("loomguard-mkdir").c_str()); },
         [&] { return CreateDirectoryAtOnce(deep.c_str()); }},
        {"RegDeleteAllSubKeys",
         [&] { RegWriteString(HKEY_CURRENT_USER, (std::string(regKey) + "\\Sub\\Deeper").c_str(), "v", "x"); },
         [&] { return RegDeleteAllSubKeys(HKEY_CURRENT_USER, regKey); }},
        {"StrList_Add", [&] { StrList_New(&list); }, [&] {
             int added = StrList_Add(&list, "item");
             if (added != (StrList_Count(&list) == 1 ? 1 : 0))
                 return -1;  // the result must tell whether the item is there
             StrList_Destroy(&list);
             return added;
         }},
    };

    for (const Case &c : cases) {
        c.prepare();
        faults.FailCall(-1);
        ASSERT_EQ(1, c.call()) << c.name << " without faults";
        const long allocations = faults.Calls();
        for (long failing = 0; failing <= allocations; ++failing) {
            c.prepare();
            faults.FailCall(failing);
            const int result = c.call();
            faults.FailCall(-1);
            EXPECT_TRUE(result == 0 || result == 1)
                << c.name << " gave " << result << " with malloc failing at call " << failing;
        }
        // And it works again once memory is back.
        c.prepare();
        EXPECT_EQ(1, c.call()) << c.name << " after the faults";
    }
    DelTree(TempFolder("loomguard-mkdir").c_str());
    DelTree(tree.c_str());
    RegDeleteAllSubKeys(HKEY_CURRENT_USER, regKey);
    RegDeleteKeyA(HKEY_CURRENT_USER, regKey);
}

// A null pointer where an export needs a list, a text or a buffer: the
// export's failure result, and for the helpers that report it
// ERROR_INVALID_PARAMETER as the last error.  One row per export of the
// families that read through such a pointer, one per family that already
// refused it.
TEST(ExportGuard, NullPointersGiveTheFailureResult)
{
    StrList list;
    StrList_New(&list);
    char path[MAX_PATH] = "C:\\dir";
    char text[8];
    DWORD size = sizeof text;
    const LONG defaultBefore = RegQueryValueExA(HKEY_CURRENT_USER, nullptr, nullptr, nullptr,
                                                reinterpret_cast<BYTE *>(text), &size);
    struct Case {
        const char *call;
        std::function<bool()> failed; // the export gave its failure result
        bool invalidParameter;        // ... with ERROR_INVALID_PARAMETER
    } cases[] = {
        {"StrList_New(NULL)", [] { return StrList_New(nullptr) == 0; }, true},
        {"StrList_Count(NULL)", [] { return StrList_Count(nullptr) == 0; }, true},
        {"StrList_Add(NULL, text)", [] { return StrList_Add(nullptr, "x") == 0; }, true},
        {"StrList_Add(list, NULL)",
         [&] { return StrList_Add(&list, nullptr) == 0 && StrList_Count(&list) == 0; }, true},
        {"StrList_Item(NULL, 1)", [] { return std::strcmp(StrList_Item(nullptr, 1), "") == 0; }, true},
        {"StrList_Delete(NULL, 1)", [] { return StrList_Delete(nullptr, 1) == 0; }, true},
        {"StrList_Destroy(NULL)", [] { return StrList_Destroy(nullptr) == 0; }, true},
        {"StrList_Sort(NULL)", [] { return StrList_Sort(nullptr) == 0; }, true},
        {"StrList_SortAndDelDup(NULL)", [] { return StrList_SortAndDelDup(nullptr) == 0; }, true},
        {"szURLEncode(NULL)", [] { return szURLEncode(nullptr) == nullptr; }, true},
        {"szDeleteRetTab(NULL)", [] { return szDeleteRetTab(nullptr) == nullptr; }, true},
        {"szDeleteRetTabCtrl(NULL)", [] { return szDeleteRetTabCtrl(nullptr) == nullptr; }, true},
        {"FormatFileSize(out NULL)", [] { return FormatFileSize(1, 0, nullptr) == nullptr; }, true},
        {"strExtractFileName(NULL)", [] { return strExtractFileName(nullptr) == nullptr; }, true},
        {"strExtractFileExt(NULL)", [] { return strExtractFileExt(nullptr) == nullptr; }, true},
        {"strExtractFileDir(NULL)", [] { return strExtractFileDir(nullptr) == nullptr; }, true},
        {"strCatPath(NULL, name)", [] { return strCatPath(nullptr, "x") == nullptr; }, true},
        {"strCatPath(path, NULL)",
         [&] { return strCatPath(path, nullptr) == path && std::strcmp(path, "C:\\dir") == 0; },
         true},
        {"RegReadString(out NULL)",
         [] { return RegReadString(HKEY_CURRENT_USER, "Software", "x", nullptr, 10) == nullptr; },
         true},
        {"RegWriteString(HKCU, NULL, NULL, text)",
         [&] {
             DWORD length = sizeof text;
             return RegWriteString(HKEY_CURRENT_USER, nullptr, nullptr, "v") == 0 &&
                    RegQueryValueExA(HKEY_CURRENT_USER, nullptr, nullptr, nullptr,
                                     reinterpret_cast<BYTE *>(text), &length) == defaultBefore;
         },
         true},
        {"GetExeInfo(NULL)", [] { return GetExeInfo(nullptr, 1, 1) == 0; }, true},
        {"SearchDll(NULL)", [] { return SearchDll(nullptr) == 0; }, true},
        {"IsFileExecutable(NULL)", [] { return IsFileExecutable(nullptr) == 0; }, false},
        {"GetFileVerInfo(NULL, NULL)", [] { return GetFileVerInfo(nullptr, nullptr) == 0; }, false},
        {"LoomGetSystemInfo(NULL)", [] { return LoomGetSystemInfo(nullptr, 100) == 0; }, false},
        {"GetFileDates(NULL)",
         [] { return GetFileDates(nullptr, nullptr, nullptr, nullptr) == -1; }, false},
        {"DelTree(NULL)", [] { return DelTree(nullptr) == 0; }, false},
        {"ZipEnum(NULL)", [] { return ZipEnum(nullptr, nullptr, nullptr) == 0; }, false},
        {"Download(NULL)", [] { return Download(nullptr, nullptr, nullptr, 1) == -1; }, false},
    };
    for (const Case &c : cases) {
        SetLastError(0);
        EXPECT_TRUE(c.failed()) << c.call;
        if (c.invalidParameter) {
            EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError()) << c.call;
        }
    }
}

} // namespace
