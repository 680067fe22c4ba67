// The examination of crafted DOS, NE and PE headers: signatures and flags,
// self-extractor clues, the runtime rules, the import and export walks and
// what damaged or hostile headers yield.
#include "exe_builder.h"
#include "exe_exam.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

using exefix::Exam;
using exefix::Image;
using exefix::Import;
using exefix::PeShape;
using Strings = std::vector<std::string>;

// Byte offsets of the PE32 optional header's data directories in an image
// made by exefix::Pe.
constexpr std::size_t kOpt = exefix::kNewHeader + 24;
constexpr std::size_t kDirs32 = kOpt + 96;
constexpr std::size_t kDirs64 = kOpt + 112;

TEST(ExeSignature, FlagsOfDosHeaders)
{
    struct Case {
        const char *what;
        std::vector<std::uint8_t> bytes;
        int flags;
    } cases[] = {
        {"empty file", {}, 0},
        {"one byte", {'M'}, 0},
        {"not an executable", {'P', 'K', 3, 4, 0, 0}, 0},
        {"MZ alone", {'M', 'Z'}, 3},
        {"ZM alone", {'Z', 'M'}, 3},
        {"mz in lower case", {'m', 'z', 0, 0}, 0},
    };
    for (const Case &c : cases) {
        Exam e;
        EXPECT_EQ(c.flags, e.Run(c.bytes)) << c.what;
    }
}

// A DOS program (flags 3) whose new header is absent, of another kind, or
// past the end of the file (the offset is the whole 32-bit field): nothing
// of a Windows header is read.
TEST(ExeSignature, NoWindowsHeaderNothingElse)
{
    Image dos = exefix::Dos(), other = exefix::Dos("ZM"), far = exefix::Dos();
    dos.U16(24, 0x10);
    dos.Text(0x80, "PE");
    other.Text(0x80, "LE");
    far.Text(0x80, "NE");
    far.U32(60, 0x10080);
    const struct {
        const char *what;
        const Image &image;
        int flags;
    } cases[] = {{"no new header", dos, 3}, {"LE", other, 1}, {"NE past the end", far, 1}};
    for (const auto &c : cases) {
        Exam e;
        EXPECT_EQ(c.flags, e.Run(c.image.bytes)) << c.what;
        EXPECT_EQ(3, e.info.Subsystem) << c.what;
        EXPECT_EQ(0xFFFFFFFFu, e.info.CodeSize) << c.what;
        EXPECT_EQ(0xFFFFFFFFu, e.info.ResourceSize) << c.what;
        EXPECT_EQ(-1, e.info.DebugSize) << c.what;
        EXPECT_EQ(0, e.info.Machine) << c.what;
        EXPECT_EQ(0, e.info.ModuleCount) << c.what;
        EXPECT_TRUE(e.Dlls().empty()) << c.what;
    }
}

TEST(ExeSignature, AllocationsKeptTo16Bits)
{
    struct Case {
        std::uint16_t min, max;
        std::uint16_t minBytes, maxBytes;
    } cases[] = {
        {2, 0xFFFF, 32, 0xFFF0},
        {0x1000, 0x0FFF, 0, 0xFFF0},
        {0, 1, 0, 16},
    };
    for (const Case &c : cases) {
        Image m = exefix::Dos();
        m.U16(10, c.min);
        m.U16(12, c.max);
        Exam e;
        e.Run(m.bytes);
        EXPECT_EQ(c.minBytes, e.info.MinAlloc) << c.min;
        EXPECT_EQ(c.maxBytes, e.info.MaxAlloc) << c.max;
    }
}

TEST(ExeDosClues, SelfExtractorsAndBorland)
{
    struct Case {
        const char *what;
        std::size_t at;
        std::string bytes;
        const char *description;
        int compiler;
    } cases[] = {
        {"Borland stub", 28, std::string("\x01\x00\xFB", 3), "", 60},
        {"Borland word without its byte", 28, std::string("\x01\x00\xFA", 3), "", 0},
        {"LHexe", 28, "LZ", "(msg22)", 0},
        {"LH", 36, std::string("LH's SFX \0", 10), "(msg23)", 0},
        {"LH with a tenth byte", 36, "LH's SFX x", "", 0},
        {"LHa", 36, "LHa's SFX ", "(msg24)", 0},
        {"LHA", 36, "LHA's SFX ", "(msg25)", 0},
        {"LHarc", 37, "LHarc's SFX ", "(msg26)", 0},
        {"LHarc one byte early", 36, "LHarc's SFX ", "", 0},
        {"LHexe then LHA: the later clue wins", 28,
         std::string("LZ\0\0\0\0\0\0LHA's SFX ", 18), "(msg25)", 0},
    };
    for (const Case &c : cases) {
        Image m = exefix::Dos();
        m.U16(24, 0x10);
        m.Text(c.at, c.bytes);
        Exam e;
        EXPECT_EQ(3, e.Run(m.bytes)) << c.what;
        EXPECT_STREQ(c.description, e.info.Description) << c.what;
        EXPECT_EQ(c.compiler, e.info.CompilerCode) << c.what;
    }
}

TEST(ExePe, MachineFlags)
{
    struct Case {
        std::uint16_t machine;
        int flags;
    } cases[] = {
        {0x14C, 5},  {0x8664, 21}, {0x266, 1},   {0x200, 21}, {0x166, 21}, {0x168, 21},
        {0x184, 21}, {0x1A8, 21},  {0x1EF, 21},  {0x284, 21}, {0x1C0, 5},  {0x0, 5},
        {0x1F0, 5},  {0xFFFF, 5},
    };
    for (const Case &c : cases) {
        PeShape shape;
        shape.machine = c.machine;
        Exam e;
        EXPECT_EQ(c.flags, e.Run(exefix::Pe(shape).bytes)) << std::hex << c.machine;
        EXPECT_EQ(c.machine, e.info.Machine);
    }
}

TEST(ExePe, HeaderFieldsOfPe32AndPe32Plus)
{
    for (bool wide : {false, true}) {
        PeShape shape;
        shape.wide = wide;
        shape.linkerMajor = 7;
        shape.linkerMinor = 10;
        shape.subsystem = 3;
        shape.timeStamp = 0xCAFEBABE;
        Image m = exefix::Pe(shape);
        const std::size_t dirs = wide ? kDirs64 : kDirs32;
        m.U32(dirs + 2 * 8 + 4, 0x1234); // resource directory size
        m.U32(dirs + 6 * 8 + 4, 0x1C);   // debug directory size
        Exam e;
        e.Run(m.bytes);
        EXPECT_EQ(7, e.info.LinkerMajor) << wide;
        EXPECT_EQ(10, e.info.LinkerMinor) << wide;
        EXPECT_EQ(3, e.info.Subsystem) << wide;
        EXPECT_EQ(0xCAFEBABEu, e.info.TimeStamp) << wide;
        EXPECT_EQ(0x200u, e.info.CodeSize) << wide;
        EXPECT_EQ(0x1234u, e.info.ResourceSize) << wide;
        EXPECT_EQ(0x1C, e.info.DebugSize) << wide;
        const std::uint16_t versions[6] = {4, 0, 1, 2, 4, 0};
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(versions[i], e.info.Versions[i]) << wide << " version " << i;
    }
}

TEST(ExePe, DirectoriesBeyondTheirCountAreAbsent)
{
    PeShape shape;
    shape.imports = {{"kernel32.dll", {"Sleep"}}};
    shape.exportName = "self.dll";
    Image m = exefix::Pe(shape);
    m.U32(kOpt + 92, 1); // only the export directory is declared
    m.U32(kDirs32 + 2 * 8 + 4, 0x500);
    Exam e;
    e.Run(m.bytes);
    EXPECT_STREQ("self.dll", e.info.ModuleName);
    EXPECT_TRUE(e.Dlls().empty());
    EXPECT_EQ(0u, e.info.ResourceSize);
}

// One imported module, linker version, optional extra sections: the
// compiler code that results.
struct RuleCase {
    const char *module;
    std::uint8_t major, minor;
    std::vector<std::string> sections;
    int code;
};

int CompilerOf(const RuleCase &c, std::vector<Import> imports = {})
{
    PeShape shape;
    shape.linkerMajor = c.major;
    shape.linkerMinor = c.minor;
    shape.extraSections = c.sections;
    imports.push_back({c.module, {"f"}});
    shape.imports = imports;
    Exam e;
    e.Run(exefix::Pe(shape).bytes);
    return e.info.CompilerCode;
}

TEST(ExeRuntimeRules, ByModuleNameAndLinker)
{
    const RuleCase cases[] = {
        {"msvcrt.dll", 7, 10, {}, 18},
        {"MSVCRT.DLL", 5, 12, {}, 15},
        {"msvcrt.dll", 6, 0, {}, 16},
        {"msvcrt.dll", 6, 20, {}, 16},
        {"msvcrt.dll", 7, 0, {}, 17},
        {"msvcrt.dll", 8, 0, {}, 19},
        {"msvcrt.dll", 2, 40, {}, 15},
        {"mfc42.dll", 7, 10, {}, 18},
        {"mfc42u.dll", 7, 10, {}, 0},
        {"msvcrt20.dll", 6, 0, {}, 0},
        {"mfc40.dll", 6, 0, {}, 14},
        {"msvcrt40.dll", 6, 0, {}, 14},
        {"mfc70.dll", 6, 0, {}, 17},
        {"msvcr70.dll", 6, 0, {}, 17},
        {"mfc71.dll", 6, 0, {}, 18},
        {"msvcr71.dll", 6, 0, {}, 18},
        {"mfc80.dll", 6, 0, {}, 19},
        {"MSVCR80.dll", 6, 0, {}, 19},
        {"mscoree.dll", 8, 0, {}, 91},
        {"vbrjp200.dll", 6, 0, {}, 32},
        {"vbrun300.dll", 6, 0, {}, 33},
        {"vb40016.dll", 6, 0, {}, 34},
        {"vb40032.dll", 6, 0, {}, 34},
        {"msvbvm50.dll", 6, 0, {}, 35},
        {"MSVBVM60.DLL", 6, 0, {}, 36},
        {"vcl30.dpl", 2, 25, {}, 53},
        {"vcl35.bpl", 2, 25, {}, 73},
        {"vcl40.bpl", 2, 25, {"CODE"}, 54},
        {"vcl40.bpl", 2, 25, {}, 74},
        {"vcl50.bpl", 2, 25, {"CODE"}, 55},
        {"vcl50.bpl", 2, 25, {}, 75},
        {"vcl60.bpl", 2, 25, {"CODE", "DATA"}, 56},
        {"vcl60.bpl", 2, 25, {".text"}, 76},
        {"vcl70.bpl", 2, 25, {"CODE"}, 57},
        {"vcl70.bpl", 2, 25, {}, 0},
        {"vcl90.bpl", 2, 25, {"CODE"}, 58},
        {"vcl90.bpl", 2, 25, {}, 0},
        {"vcl60.bplx", 2, 25, {"CODE"}, 50},
        {"kernel32.dll", 2, 25, {"CODE"}, 50},
        {"kernel32.dll", 2, 25, {"AUTO"}, 80},
        {"kernel32.dll", 2, 25, {"CODEX"}, 50},
        {"kernel32.dll", 2, 25, {"code"}, 0},
    };
    for (const RuleCase &c : cases) {
        EXPECT_EQ(c.code, CompilerOf(c))
            << c.module << " linker " << int(c.major) << "." << int(c.minor)
            << " sections " << c.sections.size();
    }
}

TEST(ExeRuntimeRules, AppliedInImportOrder)
{
    // The C runtime first sets 16, so vcl60 no longer sees Delphi.
    EXPECT_EQ(76, CompilerOf({"vcl60.bpl", 6, 0, {"CODE"}, 0}, {{"msvcrt.dll", {"f"}}}));
    // A later runtime overrides an earlier one.
    EXPECT_EQ(16, CompilerOf({"msvcrt.dll", 6, 0, {}, 0}, {{"mfc40.dll", {"f"}}}));
    // vcl60 after vcl40 in a Delphi file: 54 is neither 50 nor 56.
    EXPECT_EQ(76, CompilerOf({"vcl60.bpl", 2, 25, {"CODE"}, 0}, {{"vcl40.bpl", {"f"}}}));
}

TEST(ExeImports, ModulesAndFunctionsSortedAndFormatted)
{
    for (bool wide : {false, true}) {
        PeShape shape;
        shape.wide = wide;
        shape.imports = {
            {"USER32.dll", {"MessageBoxA", "CharLowerA"}},
            {"kernel32.dll", {"Sleep", "GetTickCount"}},
            {"api-ms-win-core-synch-l1-2-0.dll", {"WaitOnAddress"}},
            {"kernel32.dll", {"ExitProcess"}},
        };
        Exam e;
        e.Run(exefix::Pe(shape).bytes);
        EXPECT_EQ((Strings{"api-ms-win-core-synch-l1-2-0.dll", "kernel32.dll", "user32.dll"}),
                  e.Dlls())
            << wide;
        EXPECT_EQ(3, e.info.ModuleCount);
        EXPECT_EQ((Strings{"api-ms-win-core-synch-l1-2-0.dll  WaitOnAddress",
                           "kernel32.dll    ExitProcess", "kernel32.dll    GetTickCount",
                           "kernel32.dll    Sleep", "user32.dll      CharLowerA",
                           "user32.dll      MessageBoxA"}),
                  e.Functions())
            << wide;
    }
}

TEST(ExeImports, WithoutNamesOnlyModules)
{
    PeShape shape;
    shape.imports = {{"kernel32.dll", {"Sleep"}}};
    shape.exportName = "mine.dll";
    shape.exports = {"One"};
    Exam e;
    e.Run(exefix::Pe(shape).bytes, false);
    EXPECT_EQ((Strings{"kernel32.dll"}), e.Dlls());
    EXPECT_TRUE(e.Functions().empty());
    EXPECT_TRUE(e.Exports().empty());
    EXPECT_STREQ("mine.dll", e.info.ModuleName);
}

TEST(ExeImports, ModuleNameRules)
{
    struct Case {
        const char *what;
        std::string module;
        Strings dlls;
    } cases[] = {
        {"four bytes: damaged, ends the walk", "a.dl", {"(msg51)", "kernel32.dll"}},
        {"five bytes: damaged", "a.dll", {"(msg51)", "kernel32.dll"}},
        {"six bytes", "ab.dll", {"ab.dll", "kernel32.dll", "zz.dll"}},
        {"no dot and no .dll: damaged", "kernel32_dll", {"(msg51)", "kernel32.dll"}},
        {"other extension", "ntoskrnl.exe", {"kernel32.dll", "ntoskrnl.exe", "zz.dll"}},
        {"cut after .dll", "plugin.dll.bak", {"kernel32.dll", "plugin.dll", "zz.dll"}},
        {"tab and line breaks become blanks", "my\tx\r\n.dll", {"kernel32.dll", "my x  .dll", "zz.dll"}},
        {"upper case", "ADVAPI32.DLL", {"advapi32.dll", "kernel32.dll", "zz.dll"}},
        {"long name kept whole", "api-ms-win-crt-runtime-l1-1-0.dll",
         {"api-ms-win-crt-runtime-l1-1-0.dll", "kernel32.dll", "zz.dll"}},
    };
    for (const Case &c : cases) {
        PeShape shape;
        shape.imports = {{"kernel32.dll", {"Sleep"}}, {c.module, {"f"}}, {"zz.dll", {"g"}}};
        Exam e;
        e.Run(exefix::Pe(shape).bytes);
        EXPECT_EQ(c.dlls, e.Dlls()) << c.what;
        EXPECT_EQ(c.dlls.size(), e.info.ModuleCount) << c.what;
    }
}

TEST(ExeImports, NameLimitAndLongNames)
{
    PeShape shape;
    Import imp{"kernel32.dll", {}};
    for (char c = 'A'; c <= 'P'; ++c)
        imp.functions.push_back(std::string(1, c) + "Func");
    imp.functions.push_back(std::string(70, 'x'));
    shape.imports = {imp};
    {
        Exam e;
        e.Run(exefix::Pe(shape).bytes, true, false, 10);
        EXPECT_EQ(11u, e.Functions().size());
        EXPECT_EQ("kernel32.dll    KFunc", e.Functions().back());
    }
    Exam e;
    e.Run(exefix::Pe(shape).bytes);
    ASSERT_EQ(17u, e.Functions().size());
    EXPECT_EQ("kernel32.dll    " + std::string(60, 'x'), e.Functions().back());
}

// The walk of the import directory on images edited where a case says.
TEST(ExeImports, TheWalkOfTheDirectory)
{
    using Edit = void (*)(Image &, const PeShape &);
    const Import sleep = {"kernel32.dll", {"Sleep"}};
    const Import ordinals = {"comctl32.dll", {"#17", "ImageList_Create", "#413", "ImageList_Add"}};
    const Strings comctl = {"comctl32.dll    ImageList_Add", "comctl32.dll    ImageList_Create"};
    struct Case {
        const char *what;
        Import import;
        std::vector<std::string> sections; // before the data section
        bool wide;
        Edit edit;
        Strings dlls, functions;
    } cases[] = {
        {"257 sections (the whole 16-bit count), the imports in the last", sleep,
         std::vector<std::string>(256, ".pad"), false, nullptr, {"kernel32.dll"},
         {"kernel32.dll    Sleep"}},
        {"ordinal entries are skipped, not the end", ordinals, {}, false, nullptr, {"comctl32.dll"}, comctl},
        {"the same in PE32+", ordinals, {}, true, nullptr, {"comctl32.dll"}, comctl},
        {"an empty name is skipped, one past the end of the file ends the list",
         {"kernel32.dll", {"", "Sleep", "Beep", "ExitProcess"}}, {}, false,
         [](Image &m, const PeShape &s) { m.U32(s.dataRaw + 40 + 8, 0x7FFF0000); }, {"kernel32.dll"},
         {"kernel32.dll    Sleep"}},
        // A section at address 0 would hold an import address of 0.
        {"an absent directory is not walked", sleep, {}, false,
         [](Image &m, const PeShape &s) {
             m.U32(s.sectionTable + 12, 0);
             m.U32(kDirs32 + 8, 0);
         },
         {}, {}},
        // .text: raw data at 0x400, address 0x1000, another address-to-offset
        // difference than the data section's.
        {"a module name in another section", sleep, {".text"}, false,
         [](Image &m, const PeShape &s) {
             m.Text(0x400 + 0x10, std::string("user32.dll\0", 11));
             m.U32(s.dataRaw + 12, 0x1010);
         },
         {"user32.dll"}, {"user32.dll      Sleep"}},
    };
    for (const Case &c : cases) {
        PeShape shape;
        shape.imports = {c.import};
        shape.extraSections = c.sections;
        shape.wide = c.wide;
        Image m = exefix::Pe(shape);
        if (c.edit)
            c.edit(m, shape);
        Exam e;
        e.Run(m.bytes);
        EXPECT_EQ(c.dlls, e.Dlls()) << c.what;
        EXPECT_EQ(c.functions, e.Functions()) << c.what;
    }
}

TEST(ExeExports, NamesSortedWithLimitAndModuleName)
{
    PeShape shape;
    shape.exportName = "a-rather-long-module-name.dll";
    shape.exports = {"Zeta", "Alpha", "DllCanUnloadNow", "Beta", std::string(150, 'n')};
    Exam e;
    e.Run(exefix::Pe(shape).bytes);
    EXPECT_STREQ("a-rather-long-module-name.dll", e.info.ModuleName);
    // A name keeps its first 100 bytes.
    EXPECT_EQ((Strings{"Alpha", "Beta", "DllCanUnloadNow", "Zeta", std::string(100, 'n')}),
              e.Exports());
}

TEST(ExeExports, DllCanUnloadNowEleventhIsSeenTwelfthIsNot)
{
    for (int before : {10, 11}) {
        PeShape shape;
        shape.exportName = "ax.dll";
        for (int i = 0; i < before; ++i)
            shape.exports.push_back("A" + std::to_string(10 + i));
        shape.exports.push_back("DllCanUnloadNow");
        Exam e;
        e.Run(exefix::Pe(shape).bytes, true, false, loom::kActiveXNameLimit);
        Strings names = e.Exports();
        bool found = std::find(names.begin(), names.end(), "DllCanUnloadNow") != names.end();
        EXPECT_EQ(before == 10, found) << before << " names before it";
        EXPECT_EQ(11u, names.size());
    }
}

TEST(ExeTruncated, HeaderSizesBeyondTheFile)
{
    struct Case {
        const char *what;
        std::uint32_t code, resource;
        bool truncated;
    } cases[] = {
        {"fits", 0x200, 0, false},
        {"code size alone too big", 0x100000, 0, true},
        {"sum too big", 0x400, 0x400, true},
        {"sum would wrap in 32 bits", 0xFFFFFFFF, 2, true},
    };
    for (const Case &c : cases) {
        PeShape shape;
        shape.imports = {{"kernel32.dll", {"Sleep"}}};
        shape.exportName = "t.dll";
        Image m = exefix::Pe(shape);
        m.U32(kOpt + 4, c.code);
        m.U32(kDirs32 + 2 * 8 + 4, c.resource);
        Exam e;
        EXPECT_EQ(5, e.Run(m.bytes)) << c.what;
        if (c.truncated) {
            EXPECT_EQ((Strings{"(msg37)"}), e.Dlls()) << c.what;
            EXPECT_STREQ("", e.info.ModuleName) << c.what;
            EXPECT_EQ(1, e.info.ModuleCount) << c.what;
        } else {
            EXPECT_EQ((Strings{"kernel32.dll"}), e.Dlls()) << c.what;
        }
    }
}

TEST(ExeNe, ModulesNamesAndVersions)
{
    exefix::NeShape shape;
    shape.modules = {"KERNEL", "USER", "KEYBOARD", "GDI", "MOUSE", "SYSTEM", "VGA", "Shell", "VBRUN100"};
    shape.resident = {"MYAPP", "WEP", "EXPORTEDFN"};
    shape.nonResident = {"My application 1.0", "HelperFn"};
    Exam e;
    EXPECT_EQ(1, e.Run(exefix::Ne(shape).bytes));
    EXPECT_EQ((Strings{"gdi.exe", "keyboard.drv", "krnl386.exe", "mouse.drv", "shell.dll",
                       "system.drv", "user.exe", "vbrun100.dll", "vga.drv"}),
              e.Dlls());
    EXPECT_EQ(9, e.info.ModuleCount);
    EXPECT_EQ(31, e.info.CompilerCode);
    EXPECT_EQ(2, e.info.Subsystem);
    EXPECT_EQ(5, e.info.LinkerMajor);
    EXPECT_EQ(10, e.info.LinkerMinor);
    EXPECT_EQ(3, e.info.Versions[4]);
    EXPECT_EQ(10, e.info.Versions[5]);
    EXPECT_STREQ("MYAPP", e.info.ModuleName);
    EXPECT_STREQ("My application 1.0", e.info.Description);
    EXPECT_EQ((Strings{"EXPORTEDFN", "HelperFn", "WEP"}), e.Exports());
    EXPECT_TRUE(e.Functions().empty());
}

TEST(ExeNe, WithoutNamesNoModuleNameOrDescription)
{
    exefix::NeShape shape;
    shape.modules = {"KERNEL", "VBRJP200"};
    shape.resident = {"MYAPP", "WEP"};
    shape.nonResident = {"Description"};
    Exam e;
    e.Run(exefix::Ne(shape).bytes, false);
    EXPECT_EQ((Strings{"krnl386.exe", "vbrjp200.dll"}), e.Dlls());
    EXPECT_EQ(32, e.info.CompilerCode);
    EXPECT_STREQ("", e.info.ModuleName);
    EXPECT_STREQ("", e.info.Description);
    EXPECT_TRUE(e.Exports().empty());
}

TEST(ExeNe, ReferenceCountBeyondTheTableEndsAtTheFile)
{
    exefix::NeShape shape;
    shape.modules = {"KERNEL"};
    Image m = exefix::Ne(shape);
    m.U16(exefix::kNewHeader + 30, 0xFFFF);
    Exam e;
    e.Run(m.bytes);
    // Whatever the bytes after the table name, the walk stops at the end of
    // the file and names no empty module.
    for (const std::string &dll : e.Dlls())
        EXPECT_NE(".dll", dll);
    Strings dlls = e.Dlls();
    EXPECT_NE(std::find(dlls.begin(), dlls.end(), "krnl386.exe"), dlls.end());
}

// Every 16- and 32-bit field of the headers and tables, in turn, at 0, at
// its maximum and pointing at itself: the examination ends with a
// consistent record (and the sanitizers see no read outside the bytes).
TEST(ExeHostile, EveryHeaderFieldAtZeroMaximumAndItself)
{
    PeShape pe32, pe64;
    pe32.imports = pe64.imports = {{"KERNEL32.dll", {"Sleep", "#5", "Beep"}}, {"user32.dll", {"f"}}};
    pe32.exportName = pe64.exportName = "hostile.dll";
    pe32.exports = pe64.exports = {"A", "B", "C"};
    pe32.trailer = pe64.trailer = "x plugin.dll";
    pe64.wide = true;
    pe64.machine = 0x8664;
    exefix::NeShape ne;
    ne.modules = {"KERNEL", "USER"};
    ne.resident = {"NE", "X"};
    ne.nonResident = {"Description", "Y"};
    struct Image {
        const char *what;
        std::vector<std::uint8_t> bytes;
    } images[] = {{"PE32", exefix::Pe(pe32).bytes},
                  {"PE32+", exefix::Pe(pe64).bytes},
                  {"NE", exefix::Ne(ne).bytes}};
    for (const Image &image : images) {
        const std::size_t end = std::min<std::size_t>(image.bytes.size(), 0x600);
        for (std::size_t at = 0; at + 2 <= end; at += 2) {
            for (int width : {2, 4}) {
                for (std::uint32_t value : {0u, 0xFFFFFFFFu, static_cast<std::uint32_t>(at)}) {
                    std::vector<std::uint8_t> bytes = image.bytes;
                    for (int k = 0; k < width && at + k < bytes.size(); ++k)
                        bytes[at + k] = static_cast<std::uint8_t>(value >> (8 * k));
                    Exam e;
                    e.Run(bytes, true, true);
                    ASSERT_EQ("", exefix::RecordProblem(e, true, true, loom::kNoNameLimit))
                        << image.what << " field at " << at << " width " << width << " = "
                        << value;
                }
            }
        }
    }
}

// Export tables whose name pointers point at the module's own name alone,
// or at it and at the text after its first letter by turns, the names
// after them cut off.  A name pointed at again right away is listed once;
// the names listed take no more bytes than the file holds (each at least
// its text, terminator and pointer), and the cut is reported as a damaged
// entry.  The sound table they were made from is listed whole.
TEST(ExeHostile, NamesListedAreBoundedByTheFile)
{
    constexpr unsigned kNames = 20000;
    enum Table { Sound, OneName, TwoNames };
    for (const Table kind : {Sound, OneName, TwoNames}) {
        PeShape shape;
        shape.exportName = "crafted.dll";
        for (unsigned i = 0; i < kNames; ++i)
            shape.exports.push_back("Name" + std::to_string(100000 + i));
        Image m = exefix::Pe(shape);
        const auto u32 = [&](std::size_t at) {
            return std::uint32_t(m.bytes[at]) | std::uint32_t(m.bytes[at + 1]) << 8 |
                   std::uint32_t(m.bytes[at + 2]) << 16 | std::uint32_t(m.bytes[at + 3]) << 24;
        };
        if (kind != Sound) {
            // The name pointer table's RVA is at 32 of the directory, the
            // module name's (which follows the table) at 12.
            const std::uint32_t moduleName = u32(shape.exportDir + 12);
            const std::size_t table = u32(shape.exportDir + 32) - shape.dataVa + shape.dataRaw;
            for (unsigned i = 0; i < kNames; ++i)
                m.U32(table + 4 * i, moduleName + (kind == TwoNames ? i % 2 : 0));
            m.bytes.resize(moduleName - shape.dataVa + shape.dataRaw + 12);
        }
        Exam e;
        e.Run(m.bytes);
        const Strings names = e.Exports();
        if (kind == Sound) {
            EXPECT_EQ(kNames, names.size());
            EXPECT_EQ(Strings{}, e.Dlls());
        } else if (kind == OneName) {
            EXPECT_EQ(Strings{"crafted.dll"}, names);
            EXPECT_EQ(Strings{}, e.Dlls());
        } else {
            EXPECT_GT(names.size(), 0u);
            EXPECT_LE(names.size() * (10 + 1 + 4), m.bytes.size());
            EXPECT_EQ(std::count(names.begin(), names.end(), "crafted.dll") +
                          std::count(names.begin(), names.end(), "rafted.dll"),
                      static_cast<std::ptrdiff_t>(names.size()));
            EXPECT_EQ((Strings{"(msg51)"}), e.Dlls());
        }
    }
}

TEST(ExePath, UnterminatedPathIsReadAs254Bytes)
{
    ExeInfo info;
    std::memset(&info, 0, sizeof info);
    std::memset(info.Path, 'p', sizeof info.Path);
    std::memset(info.Description, 'd', sizeof info.Description);
    EXPECT_EQ(std::string(254, 'p'), loom::ExePath(&info));
    std::strcpy(info.Path, "C:\\a.exe");
    EXPECT_EQ("C:\\a.exe", loom::ExePath(&info));
}

TEST(ExeInit, RecordAfterStepOne)
{
    ExeInfo info;
    std::memset(&info, 0x5A, sizeof info);
    loom::InitExeInfo(&info);
    EXPECT_EQ(0xFFFFFFFFu, info.CodeSize);
    EXPECT_EQ(0xFFFFFFFFu, info.ResourceSize);
    EXPECT_EQ(-1, info.DebugSize);
    EXPECT_STREQ("", info.Description);
    EXPECT_EQ(0, info.Flags);
    EXPECT_EQ(0, info.CompilerCode);
    EXPECT_EQ(3, info.Subsystem);
    EXPECT_EQ(0u, info.TimeStamp);
    EXPECT_EQ(0, info.ModuleCount);
    EXPECT_EQ(nullptr, info.ImportedDlls.first);
    EXPECT_EQ(nullptr, info.FoundDlls.first);
    // The reserved field and the caller's input are not written.
    EXPECT_EQ(0x5A, static_cast<unsigned char>(info.Reserved1[0]));
    EXPECT_EQ(0x5A, static_cast<unsigned char>(info.Path[0]));
}

TEST(ExePump, LongWalksLetTheCallerAnswer)
{
    static unsigned pumps;
    pumps = 0;
    PeShape shape;
    shape.exportName = "many.dll";
    for (int i = 0; i < 100; ++i)
        shape.exports.push_back("Fn" + std::to_string(i));
    Image m = exefix::Pe(shape);
    ExeInfo info;
    std::memset(&info, 0, sizeof info);
    loom::InitExeInfo(&info);
    loom::ExeHooks hooks = Exam::Hooks();
    hooks.pump = [] { ++pumps; };
    loom::BufferSource source(m.bytes.data(), m.bytes.size());
    loom::ExamineExe(&info, source, true, false, loom::kNoNameLimit, hooks);
    EXPECT_GE(pumps, 10u);
    loom::StrListDestroy(&info.ExportedNames);
}

} // namespace
