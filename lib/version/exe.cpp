// The examination of an executable's headers.  Every offset below comes
// either from the format (named constants) or from the file itself; the
// latter are never trusted: all reads go through PosReader, which answers
// zero past the end, and every loop over a table taken from the file stops
// at the end of the file.  Loops that could multiply (import descriptors
// sharing one lookup table) share a budget proportional to the file's size,
// so no file makes the walks take more than linear time.  So do the names
// listed: in a sound file each imported or exported name takes bytes of
// its own (its text and the table entry pointing at it, and for an import
// the hint), so the names listed may take no more bytes than the file has; a table that points at one name millions
// of times ends there, reported as a damaged entry, instead of listing
// copies without end.
//
// Format notes.  DOS header: signature at 0, minimum and maximum extra
// paragraphs at 10 and 12, the relocation table offset at 24 (0x40 in every
// program with a new-style header), the new header's offset at 60.  NE
// header (offsets from its signature): linker version and revision at 2 and
// 3, module-reference count at 30, non-resident names size at 32, the
// resident-names, module-reference and imported-names tables at 38, 40, 42
// (relative), the non-resident names at 44 (absolute), the expected Windows
// version at 62.  PE: the file header follows the signature, the optional
// header follows it at 24; its magic tells PE32 (0x10B) from PE32+ (0x20B),
// which differ in the place of the data directories and the width of the
// import lookup entries.
#include "version/exe.h"

#include "util/mbcs.h"
#include "util/strlist.h"
#include "util/text.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <utility>
#include <vector>

namespace loom {
namespace {

constexpr std::size_t kFieldLimit = EXEINFO_TEXT_SIZE - 1;
// Names longer than 8.3 are common (kernelbase.dll, api-ms-win-...); a
// module name is read up to what a field holds.
constexpr std::size_t kModuleNameLimit = kFieldLimit;
constexpr std::size_t kImportNameLimit = 60;
constexpr std::size_t kExportNameLimit = 100;

enum DosOffset : std::uint32_t {
    kDosMinAlloc = 10,
    kDosMaxAlloc = 12,
    kDosRelocTable = 24,
    kDosStubWord = 28,
    kDosStubByte = 30,
    kDosSfx10 = 36,
    kDosSfx12 = 37,
    kDosNewHeader = 60,
};
constexpr std::uint16_t kMz = 0x5A4D;
constexpr std::uint16_t kZm = 0x4D5A;
constexpr std::uint16_t kNewStyleRelocTable = 0x40;
constexpr std::uint16_t kNe = 0x454E;
constexpr std::uint16_t kPe = 0x4550;

enum NeOffset : std::uint32_t {
    kNeLinkerVersion = 2,
    kNeLinkerRevision = 3,
    kNeModuleRefCount = 30,
    kNeNonResidentSize = 32,
    kNeResidentTable = 38,
    kNeModuleRefTable = 40,
    kNeImportedNames = 42,
    kNeNonResidentTable = 44,
    kNeWindowsMinor = 62,
    kNeWindowsMajor = 63,
};

enum PeOffset : std::uint32_t {
    kPeMachine = 4,
    kPeSectionCount = 6,
    kPeTimeStamp = 8,
    kPeOptionalSize = 20,
    kPeOptional = 24,
    kPeLinkerMajor = 26,
    kPeLinkerMinor = 27,
    kPeCodeSize = 28,
    kPeVersions = 64,
    kPeSubsystem = 92,
};
// Within the optional header (PE32 has the magic 0x10B).
constexpr std::uint16_t kPe32PlusMagic = 0x20B;
constexpr std::uint32_t kDirCount32 = 92, kDirs32 = 96;
constexpr std::uint32_t kDirCount64 = 108, kDirs64 = 112;
enum Directory : std::uint32_t { kDirExport = 0, kDirImport = 1, kDirResource = 2, kDirDebug = 6 };

// Section header: 40 bytes.
constexpr std::uint32_t kSectionSize = 40;
enum SectionOffset : std::uint32_t { kSecAddress = 12, kSecRawSize = 16, kSecRawPointer = 20 };
// Import descriptor: 20 bytes.
constexpr std::uint32_t kImportDescSize = 20;
enum ImportOffset : std::uint32_t { kImpLookup = 0, kImpName = 12, kImpAddresses = 16 };
// Export directory.
enum ExportOffset : std::uint32_t { kExpName = 12, kExpNameCount = 24, kExpNameTable = 32 };

// Machines of the 64-bit class.
constexpr std::uint16_t kMachines64[] = {0x166, 0x168, 0x184, 0x1A8, 0x1EF, 0x200, 0x284, 0x8664};
constexpr std::uint16_t kMachineMips16 = 0x266;

struct Section {
    char name[4];
    std::uint32_t address, rawSize, rawPointer;
    bool Holds(std::uint32_t rva) const
    {
        return rva >= address && std::uint64_t(rva) < std::uint64_t(address) + rawSize;
    }
};

// The runtime rules: an imported module name (lower case) that names a
// compiler's runtime library sets the compiler code.
enum class Match { Prefix, Whole };
// Set: the rule's code.  ByLinker: the code by the linker's version.
// Delphi: the rule's code for a Delphi program (a "CODE" section gave
// kDelphi, or an earlier rule this code), else `other`.  DelphiOnly: the
// rule's code for a Delphi program, else no change.
enum class Rule { Set, ByLinker, Delphi, DelphiOnly };
struct RuntimeRule {
    const char *name;
    Match match;
    Rule rule;
    Compiler code = kCompilerUnknown;  // Set, Delphi, DelphiOnly: the code when it applies
    Compiler other = kCompilerUnknown; // Delphi: the code otherwise
};
const RuntimeRule kRuntimeRules[] = {
    {"mfc40.", Match::Prefix, Rule::Set, kVisualC4},
    {"msvcrt40.", Match::Prefix, Rule::Set, kVisualC4},
    {"mfc42.", Match::Prefix, Rule::ByLinker},
    {"msvcrt.", Match::Prefix, Rule::ByLinker},
    {"mfc70.", Match::Prefix, Rule::Set, kVisualC7},
    {"msvcr70.", Match::Prefix, Rule::Set, kVisualC7},
    {"mfc71.", Match::Prefix, Rule::Set, kVisualC71},
    {"msvcr71.", Match::Prefix, Rule::Set, kVisualC71},
    {"mfc80.", Match::Prefix, Rule::Set, kVisualC2005},
    {"msvcr80.", Match::Prefix, Rule::Set, kVisualC2005},
    {"mscoree.", Match::Prefix, Rule::Set, kDotNet},
    {"vbrjp200.", Match::Prefix, Rule::Set, kVisualBasic2},
    {"vbrun300.", Match::Prefix, Rule::Set, kVisualBasic3},
    {"vb40016.", Match::Prefix, Rule::Set, kVisualBasic4},
    {"vb40032.", Match::Prefix, Rule::Set, kVisualBasic4},
    {"msvbvm50.", Match::Prefix, Rule::Set, kVisualBasic5},
    {"msvbvm60.", Match::Prefix, Rule::Set, kVisualBasic6},
    {"vcl30.dpl", Match::Whole, Rule::Set, kDelphi3},
    {"vcl35.bpl", Match::Whole, Rule::Set, kCppBuilder3},
    {"vcl40.bpl", Match::Whole, Rule::Delphi, kDelphi4, kCppBuilder4},
    {"vcl50.bpl", Match::Whole, Rule::Delphi, kDelphi5, kCppBuilder5},
    {"vcl60.bpl", Match::Whole, Rule::Delphi, kDelphi6, kCppBuilder6},
    {"vcl70.bpl", Match::Whole, Rule::DelphiOnly, kDelphi7},
    {"vcl90.bpl", Match::Whole, Rule::DelphiOnly, kDelphi2005},
};

// mfc42 and msvcrt serve several versions of Visual C++: the linker's
// version (major * 100 + minor) tells which built the program.
Compiler CodeByLinker(unsigned linker)
{
    switch (linker) {
    case 600:
    case 620:
        return kVisualC6;
    case 700:
        return kVisualC7;
    case 710:
        return kVisualC71;
    case 800:
        return kVisualC2005;
    default:
        return kVisualC5Or6;
    }
}

void ApplyRuntimeRules(const std::string &module, unsigned linker, std::uint16_t *code)
{
    for (const RuntimeRule &r : kRuntimeRules) {
        bool matches = r.match == Match::Prefix ? module.compare(0, std::strlen(r.name), r.name) == 0
                                                : module == r.name;
        if (!matches)
            continue;
        bool delphi = *code == kDelphi || *code == r.code;
        switch (r.rule) {
        case Rule::Set:
            *code = r.code;
            break;
        case Rule::ByLinker:
            *code = CodeByLinker(linker);
            break;
        case Rule::Delphi:
            *code = delphi ? r.code : r.other;
            break;
        case Rule::DelphiOnly:
            if (delphi)
                *code = r.code;
            break;
        }
        return;
    }
}

// The file that an NE module reference names.
std::string NeModuleFile(const std::string &module)
{
    if (module == "kernel")
        return "krnl386.exe";
    if (module == "user" || module == "gdi")
        return module + ".exe";
    static const char *const drivers[] = {"keyboard", "mouse", "system", "vga"};
    for (const char *driver : drivers) {
        if (module == driver)
            return module + ".drv";
    }
    return module + ".dll";
}

class Examiner {
public:
    Examiner(ExeInfo *info, ByteSource &source, bool withNames, unsigned nameLimit,
             const ExeHooks &hooks)
        : info_(info), source_(source), file_(source), withNames_(withNames),
          nameLimit_(nameLimit), hooks_(hooks),
          // Lookup entries of one file occupy distinct bytes of it; entries
          // beyond that many come from tables shared by crafted descriptors.
          entryBudget_(file_.Size() / 4 + 64), nameBudget_(file_.Size()), exports_(hooks.isLead),
          functions_(hooks.isLead),
          dlls_(hooks.isLead)
    {
    }

    int Run(bool scanDlls)
    {
        std::uint16_t signature = file_.U16(0);
        if (signature != kMz && signature != kZm)
            return info_->Flags;
        info_->Flags |= EXEINFO_MZ;
        info_->MinAlloc = static_cast<std::uint16_t>(file_.U16(kDosMinAlloc) * 16u);
        info_->MaxAlloc = static_cast<std::uint16_t>(file_.U16(kDosMaxAlloc) * 16u);
        DosClues();
        if (file_.U16(kDosRelocTable) != kNewStyleRelocTable) {
            // A DOS program has no tables, but may name DLLs in its bytes.
            info_->Flags |= EXEINFO_DOS;
            Finish(scanDlls);
            return info_->Flags;
        }
        // The new header's offset is the format's 32-bit field.
        std::uint64_t header = file_.U32(kDosNewHeader);
        switch (file_.U16(header)) {
        case kNe:
            WalkNe(header);
            break;
        case kPe:
            WalkPe(header);
            break;
        default:
            break;
        }
        Finish(scanDlls);
        return info_->Flags;
    }

private:
    void Pump()
    {
        if (hooks_.pump && ++steps_ % 10 == 0)
            hooks_.pump();
    }

    // Takes a listed name's bytes from the budget: its text with the
    // terminator and `more` bytes of table entries.  False when the file
    // cannot hold that many names: the list ends, with the damage noted.
    bool TakeName(const std::string &name, std::uint64_t more)
    {
        const std::uint64_t cost = name.size() + 1 + more;
        if (cost > nameBudget_) {
            if (!namesCut_)
                dlls_.Add(Message(kMsgDamagedEntry));
            namesCut_ = true;
            nameBudget_ = 0;
            return false;
        }
        nameBudget_ -= cost;
        return true;
    }

    const char *Message(unsigned id) const
    {
        const char *text = hooks_.message ? hooks_.message(id) : nullptr;
        return text ? text : "";
    }

    void SetField(char *field, const std::string &text)
    {
        CopyBounded(field, text.c_str(), kFieldLimit, hooks_.isLead);
    }

    // Self-extractor and compiler clues in the DOS header; later clues win.
    void DosClues()
    {
        if (file_.U16(kDosStubWord) == 1 && file_.U8(kDosStubByte) == 0xFB)
            info_->CompilerCode = kBorlandC;
        if (file_.U16(kDosStubWord) == 0x5A4C)
            SetField(info_->Description, Message(kMsgLhExe));
        std::string sfx10 = file_.Text(kDosSfx10, 10);
        if (sfx10 == "LH's SFX ")
            SetField(info_->Description, Message(kMsgLhSfx));
        else if (sfx10 == "LHa's SFX ")
            SetField(info_->Description, Message(kMsgLhaSfx210));
        else if (sfx10 == "LHA's SFX ")
            SetField(info_->Description, Message(kMsgLhaSfx213));
        if (file_.Text(kDosSfx12, 12) == "LHarc's SFX ")
            SetField(info_->Description, Message(kMsgLharcSfx));
    }

    // A name stored as a length byte and that many bytes; it ends early at
    // a zero byte.
    std::string CountedName(std::uint64_t at)
    {
        std::uint8_t length = file_.U8(at);
        return file_.Text(at + 1, length);
    }

    void WalkNe(std::uint64_t ne)
    {
        info_->LinkerMajor = file_.U8(ne + kNeLinkerVersion);
        info_->LinkerMinor = file_.U8(ne + kNeLinkerRevision);
        info_->Versions[4] = file_.U8(ne + kNeWindowsMajor);
        info_->Versions[5] = file_.U8(ne + kNeWindowsMinor);
        info_->Subsystem = 2;
        std::uint16_t references = file_.U16(ne + kNeModuleRefCount);
        info_->ModuleCount = references;

        const std::uint64_t refTable = ne + file_.U16(ne + kNeModuleRefTable);
        const std::uint64_t names = ne + file_.U16(ne + kNeImportedNames);
        for (unsigned i = 0; i < references; ++i) {
            std::uint64_t entry = refTable + 2u * i;
            if (file_.PastEnd(entry))
                break;
            std::string module = CountedName(names + file_.U16(entry));
            LowerAscii(module, hooks_.isLead);
            Pump();
            // An empty reference names no module.
            if (module.empty())
                continue;
            if (module == "vbrun100")
                info_->CompilerCode = kVisualBasic1;
            else if (module == "vbrjp200")
                info_->CompilerCode = kVisualBasic2;
            dlls_.Add(NeModuleFile(module));
        }
        if (!withNames_)
            return;

        // Resident names: the first is the module's own name.
        ReadNameTable(ne + file_.U16(ne + kNeResidentTable), ~std::uint64_t(0),
                      info_->ModuleName);
        // Non-resident names, within their stated size; the first is the
        // module's description.
        const std::uint64_t start = file_.U32(ne + kNeNonResidentTable);
        ReadNameTable(start, start + file_.U16(ne + kNeNonResidentSize), info_->Description);
    }

    // An NE name table from `at` up to `end`: entries of a length byte, the
    // name and a 16-bit ordinal; an empty name ends the table.  The first
    // name goes into `firstField`, the others are exported names.
    void ReadNameTable(std::uint64_t at, std::uint64_t end, char *firstField)
    {
        for (bool first = true; at < end && !file_.PastEnd(at); first = false) {
            std::uint8_t length = file_.U8(at);
            if (length == 0)
                break;
            std::string name = CountedName(at);
            if (first)
                SetField(firstField, name);
            else
                exports_.Add(name);
            at += 1u + length + 2u;
            Pump();
        }
    }

    void WalkPe(std::uint64_t pe)
    {
        std::uint16_t machine = file_.U16(pe + kPeMachine);
        info_->Machine = machine;
        if (std::find(std::begin(kMachines64), std::end(kMachines64), machine) !=
            std::end(kMachines64))
            info_->Flags |= EXEINFO_PE | EXEINFO_PE64;
        else if (machine != kMachineMips16)
            info_->Flags |= EXEINFO_PE;
        info_->LinkerMajor = file_.U8(pe + kPeLinkerMajor);
        info_->LinkerMinor = file_.U8(pe + kPeLinkerMinor);
        for (int i = 0; i < 6; ++i)
            info_->Versions[i] = file_.U16(pe + kPeVersions + 2u * i);
        info_->Subsystem = file_.U16(pe + kPeSubsystem);
        info_->TimeStamp = file_.U32(pe + kPeTimeStamp);
        info_->CodeSize = file_.U32(pe + kPeCodeSize);

        // PE32+ moves the data directories and widens the lookup entries.
        const std::uint64_t optional = pe + kPeOptional;
        wide_ = file_.U16(optional) == kPe32PlusMagic;
        const std::uint64_t dirs = optional + (wide_ ? kDirs64 : kDirs32);
        const std::uint32_t dirCount = file_.U32(optional + (wide_ ? kDirCount64 : kDirCount32));
        auto dirAddress = [&](Directory d) { return d < dirCount ? file_.U32(dirs + 8u * d) : 0u; };
        auto dirSize = [&](Directory d) { return d < dirCount ? file_.U32(dirs + 8u * d + 4) : 0u; };
        info_->ResourceSize = dirSize(kDirResource);
        info_->DebugSize = static_cast<std::int32_t>(dirSize(kDirDebug));
        const std::uint32_t exportAddress = dirAddress(kDirExport);
        const std::uint32_t importAddress = dirAddress(kDirImport);

        // Sizes that the file cannot hold: report it and trust no section.
        if (std::uint64_t(info_->CodeSize) + info_->ResourceSize >= file_.Size()) {
            dlls_.Add(Message(kMsgTruncated));
            return;
        }
        ReadSections(optional + file_.U16(pe + kPeOptionalSize), file_.U16(pe + kPeSectionCount));
        bool imported = false, exported = false;
        for (const Section &s : sections_) {
            if (std::memcmp(s.name, "AUTO", 4) == 0)
                info_->CompilerCode = kWatcom;
            else if (std::memcmp(s.name, "CODE", 4) == 0)
                info_->CompilerCode = kDelphi;
            // An address of 0 means the directory is absent.  Each walk runs
            // once, in the first section that holds its directory.
            if (importAddress != 0 && !imported && s.Holds(importAddress)) {
                imported = true;
                WalkImports(s, importAddress);
            }
            if (exportAddress != 0 && !exported && s.Holds(exportAddress)) {
                exported = true;
                WalkExports(s, exportAddress);
            }
        }
    }

    void ReadSections(std::uint64_t table, unsigned count)
    {
        for (unsigned i = 0; i < count; ++i) {
            std::uint64_t at = table + std::uint64_t(kSectionSize) * i;
            if (file_.PastEnd(at))
                break;
            Section s;
            file_.Bytes(at, s.name, sizeof s.name);
            s.address = file_.U32(at + kSecAddress);
            s.rawSize = file_.U32(at + kSecRawSize);
            s.rawPointer = file_.U32(at + kSecRawPointer);
            sections_.push_back(s);
        }
        byAddress_.resize(sections_.size());
        for (std::size_t i = 0; i < byAddress_.size(); ++i)
            byAddress_[i] = i;
        std::stable_sort(byAddress_.begin(), byAddress_.end(), [&](std::size_t a, std::size_t b) {
            return sections_[a].address < sections_[b].address;
        });
    }

    // The file offset of an address: through the section that holds it, or
    // else through the section of the walk.  An address below its section
    // maps past the end of the file.
    std::uint64_t FileOffset(std::uint32_t rva, const Section &walk) const
    {
        const Section *s = &walk;
        if (!walk.Holds(rva)) {
            auto it = std::upper_bound(byAddress_.begin(), byAddress_.end(), rva,
                                       [&](std::uint32_t v, std::size_t i) {
                                           return v < sections_[i].address;
                                       });
            if (it != byAddress_.begin() && sections_[*(it - 1)].Holds(rva))
                s = &sections_[*(it - 1)];
        }
        std::uint64_t base = std::uint64_t(rva) + s->rawPointer;
        return base >= s->address ? base - s->address : ~std::uint64_t(0);
    }

    void WalkImports(const Section &section, std::uint32_t address)
    {
        const std::uint64_t table = FileOffset(address, section);
        const unsigned linker = info_->LinkerMajor * 100u + info_->LinkerMinor;
        for (std::uint64_t at = table; !file_.PastEnd(at); at += kImportDescSize) {
            std::uint32_t nameAddress = file_.U32(at + kImpName);
            if (nameAddress == 0)
                break;
            std::string module = file_.Text(FileOffset(nameAddress, section), kModuleNameLimit);
            std::size_t dll = module.find(".dll");
            if (module.size() < 6 || (module[module.size() - 4] != '.' && dll == std::string::npos)) {
                dlls_.Add(Message(kMsgDamagedEntry));
                break;
            }
            if (dll != std::string::npos)
                module.resize(dll + 4);
            LowerAscii(module, hooks_.isLead);
            DeleteRetTab(&module[0]);
            ApplyRuntimeRules(module, linker, &info_->CompilerCode);
            if (!module.empty())
                dlls_.Add(module);
            if (withNames_) {
                std::uint32_t lookup = file_.U32(at + kImpLookup);
                if (lookup == 0)
                    lookup = file_.U32(at + kImpAddresses);
                ListImportedFunctions(module, FileOffset(lookup, section), section);
            }
        }
    }

    void ListImportedFunctions(const std::string &module, std::uint64_t table,
                               const Section &section)
    {
        const unsigned width = wide_ ? 8 : 4;
        for (std::uint64_t n = 0; n <= nameLimit_; ++n) {
            if (entryBudget_ == 0)
                return;
            --entryBudget_;
            std::uint64_t at = table + n * width;
            if (file_.PastEnd(at))
                return;
            std::uint64_t entry = wide_ ? file_.U64(at) : file_.U32(at);
            if (entry == 0)
                return;
            Pump();
            // Imported by ordinal: no name to list, but the entries after it
            // still name their functions.
            const std::uint64_t ordinalFlag = wide_ ? std::uint64_t(1) << 63 : 0x80000000u;
            if (entry & ordinalFlag)
                continue;
            std::uint64_t hint = FileOffset(static_cast<std::uint32_t>(entry & 0x7FFFFFFF), section);
            if (file_.PastEnd(hint))
                return;
            std::string function = file_.Text(hint + 2, kImportNameLimit);
            if (function.empty())
                continue;
            // The lookup entry and the hint before the name.
            if (!TakeName(function, width + 2))
                return;
            // "%-14s  %s": the module padded to 14, two blanks, the name.
            std::string text = module;
            if (text.size() < 14)
                text.append(14 - text.size(), ' ');
            functions_.Add(text + "  " + function);
        }
    }

    void WalkExports(const Section &section, std::uint32_t address)
    {
        const std::uint64_t directory = FileOffset(address, section);
        std::uint32_t nameAddress = file_.U32(directory + kExpName);
        SetField(info_->ModuleName, file_.Text(FileOffset(nameAddress, section), kModuleNameLimit));
        if (!withNames_)
            return;
        const std::uint32_t count = file_.U32(directory + kExpNameCount);
        const std::uint64_t table = FileOffset(file_.U32(directory + kExpNameTable), section);
        std::uint32_t previous = 0;
        for (std::uint64_t i = 0; i < count && i <= nameLimit_; ++i) {
            std::uint64_t at = table + 4 * i;
            if (file_.PastEnd(at))
                return;
            // The table is sorted by name and its names are distinct: a
            // pointer to the name just listed names nothing new.
            const std::uint32_t pointer = file_.U32(at);
            if (i > 0 && pointer == previous)
                continue;
            previous = pointer;
            std::uint64_t name = FileOffset(pointer, section);
            if (file_.PastEnd(name))
                return;
            std::string text = file_.Text(name, kExportNameLimit);
            // The name's pointer.
            if (!TakeName(text, 4))
                return;
            exports_.Add(std::move(text));
            Pump();
        }
    }

    // Memory that runs out while the lists are filled fails the whole
    // examination (std::bad_alloc), rather than leave lists that look whole.
    void Finish(bool scanDlls)
    {
        if (!exports_.Store(&info_->ExportedNames, false) ||
            !functions_.Store(&info_->ImportedFunctions, false) ||
            !dlls_.Store(&info_->ImportedDlls, true))
            throw std::bad_alloc();
        if (scanDlls)
            ScanForDlls(info_, source_, hooks_);
        info_->ModuleCount = static_cast<std::uint16_t>(std::min<std::size_t>(dlls_.distinct(), 0xFFFF));
    }

    ExeInfo *info_;
    ByteSource &source_;
    PosReader file_;
    bool withNames_;
    unsigned nameLimit_;
    const ExeHooks &hooks_;
    unsigned steps_ = 0;
    bool wide_ = false;
    std::uint64_t entryBudget_;
    std::uint64_t nameBudget_; // bytes the names listed may still take
    bool namesCut_ = false;
    std::vector<Section> sections_;
    std::vector<std::size_t> byAddress_;
    NameTally exports_, functions_, dlls_;
};

} // namespace

int NameTally::Store(StrList *list, bool once) const
{
    std::size_t total = 0;
    for (const auto &entry : counts_)
        total += once ? 1 : entry.second;
    std::vector<const char *> pointers;
    pointers.reserve(total);
    for (const auto &entry : counts_)
        pointers.insert(pointers.end(), once ? 1 : entry.second, entry.first.c_str());
    return StrListAddAll(list, pointers.data(), pointers.size());
}

void InitExeInfo(ExeInfo *info)
{
    info->CodeSize = 0xFFFFFFFFu;
    info->ResourceSize = 0xFFFFFFFFu;
    info->DebugSize = -1;
    info->Description[0] = '\0';
    info->Flags = 0;
    info->CompilerCode = kCompilerUnknown;
    for (std::uint16_t &v : info->Versions)
        v = 0;
    info->LinkerMajor = 0;
    info->LinkerMinor = 0;
    info->ModuleCount = 0;
    info->Subsystem = 3;
    info->TimeStamp = 0;
    StrListInit(&info->ImportedFunctions);
    StrListInit(&info->ExportedNames);
    StrListInit(&info->ImportedDlls);
    StrListInit(&info->FoundDlls);
}

std::string ExePath(const ExeInfo *info)
{
    const char *path = info->Path;
    std::size_t length = 0;
    while (length < kFieldLimit && path[length] != '\0')
        ++length;
    return std::string(path, length);
}

int ExamineExe(ExeInfo *info, ByteSource &file, bool withNames, bool scanDlls,
               unsigned nameLimit, const ExeHooks &hooks)
{
    return Examiner(info, file, withNames, nameLimit, hooks).Run(scanDlls);
}

} // namespace loom
