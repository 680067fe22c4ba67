// Display names of subsystem, machine and compiler codes.  Unknown codes
// show a library message (in the user's language), known ones a constant.
#include "version/exe.h"

#include <cstdint>

namespace loom {
namespace {

constexpr unsigned kMsgUnknownOs = 11;
constexpr unsigned kMsgNative = 12;
constexpr unsigned kMsgUnknown = 13;

struct CodeName {
    std::uint16_t code;
    const char *name;
};

const CodeName kSubsystems[] = {
    {2, "Windows GUI"}, {3, "Windows CUI"}, {5, "OS/2 CUI"}, {7, "POSIX CUI"}, {9, "Windows CE"},
};

const CodeName kMachines[] = {
    {0x14C, "Intel 80386"},
    {0x14D, "Intel 80486"},
    {0x14E, "Intel Pentium"},
    {0x160, "MIPS R3000 (big-endian)"},
    {0x162, "MIPS R2000/R3000 (little-endian)"},
    {0x163, "MIPS R6000"},
    {0x166, "MIPS R4000"},
    {0x168, "MIPS R10000"},
    {0x169, "MIPS WCE v2"},
    {0x184, "Alpha AXP"},
    {0x1A2, "HITACHI SH3"},
    {0x1A3, "HITACHI SH3 DSP"},
    {0x1A4, "HITACHI SH3E"},
    {0x1A6, "HITACHI SH4"},
    {0x1A8, "HITACHI SH5"},
    {0x1C0, "ARM"},
    {0x1C2, "ARM 10 Thumb"},
    {0x1D3, "AM33"},
    {0x1DF, "IBM Power PC (big-endian)"},
    {0x1EF, "IBM Power PC64 (big-endian)"},
    {0x1F0, "IBM Power PC (little-endian)"},
    {0x1F1, "IBM Power PC (little-endian)"},
    {0x200, "Intel Itarium (IA-64)"},
    {0x266, "MIPS16"},
    {0x268, "Motorola 68000"},
    {0x284, "Alpha AXP 64"},
    {0x290, "PA-RISC"},
    {0x366, "MIPS FPU"},
    {0x466, "MIPS FPU16"},
    {0x520, "TriCore"},
    {0x522, "TriCore"},
    {0xCEF, "Common Executable Format (CEF)"},
    {0xEBC, "EFI Byte Code"},
    {0x8664, "x64 (AMD64/Intel EM64T)"},
    {0x9041, "renesas M32R"},
    {0x9104, "renesas M32R"},
    {0xC0EE, "CEE"},
};

const CodeName kCompilers[] = {
    {kMicrosoftC, "Microsoft C/C++"},
    {kVisualC4, "Microsoft Visual C++ 4.0"},
    {kVisualC5Or6, "Microsoft Visual C++ 5.0/6.0"},
    {kVisualC6, "Microsoft Visual C++ 6.0"},
    {kVisualC7, "Microsoft Visual C++ 7.0"},
    {kVisualC71, "Microsoft Visual C++ 7.1"},
    {kVisualC2005, "Microsoft Visual C++ 2005"},
    {kVisualBasic1, "Microsoft Visual Basic 1.0"},
    {kVisualBasic2, "Microsoft Visual Basic 2.0"},
    {kVisualBasic3, "Microsoft Visual Basic 3.0"},
    {kVisualBasic4, "Microsoft Visual Basic 4.0"},
    {kVisualBasic5, "Microsoft Visual Basic 5.0"},
    {kVisualBasic6, "Microsoft Visual Basic 6.0"},
    {kDelphi, "Borland Delphi"},
    {kDelphi3, "Borland Delphi 3/3.1"},
    {kDelphi4, "Borland Delphi 4"},
    {kDelphi5, "Borland Delphi 5"},
    {kDelphi6, "Borland Delphi 6"},
    {kDelphi7, "Borland Delphi 7"},
    {kDelphi2005, "Borland Delphi 2005"},
    {kBorlandC, "Borland C/C++"},
    {kCppBuilder3, "Borland C++ Builder 3"},
    {kCppBuilder4, "Borland C++ Builder 4"},
    {kCppBuilder5, "Borland C++ Builder 5"},
    {kCppBuilder6, "Borland C++ Builder 6"},
    {kWatcom, "WATCOM C/C++"},
    {kDotNet, "Microsoft .NET Framework"},
};

// The codes are 16-bit values passed as an int: only the low 16 bits count.
template <std::size_t N>
DisplayName Find(const CodeName (&table)[N], int code, unsigned unknown)
{
    auto key = static_cast<std::uint16_t>(code);
    for (const CodeName &entry : table) {
        if (entry.code == key)
            return {entry.name, 0};
    }
    return {nullptr, unknown};
}

} // namespace

DisplayName SubSystemDisplayName(int code)
{
    if (static_cast<std::uint16_t>(code) == 1)
        return {nullptr, kMsgNative};
    return Find(kSubsystems, code, kMsgUnknownOs);
}

DisplayName MachineDisplayName(int code)
{
    return Find(kMachines, code, kMsgUnknown);
}

DisplayName CompilerDisplayName(int code)
{
    return Find(kCompilers, code, kMsgUnknown);
}

} // namespace loom
