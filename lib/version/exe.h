// Executable identification without the platform: the DOS, NE and PE walks
// over a positioned reader, the runtime rules, the content scan for DLL
// names and the display tables.  The Windows exports open the file, keep
// its times and pass the library's own services in through ExeHooks.
#pragma once

#include "util/mbcs.h"
#include "version/exe_reader.h"
#include "version/exeinfo.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

namespace loom {

// What the examination needs from its host.
struct ExeHooks {
    // The lead-byte rule for lower-casing and comparing names.
    LeadByteFn isLead = NoLeadBytes;
    // The library's message `id` (self-extractor kinds, in-band errors).
    const char *(*message)(unsigned id) = nullptr;
    // Lets the caller's user interface answer during a long walk; called
    // every few entries, so it should decide itself how often to act.
    void (*pump)() = nullptr;
    // A UTF-16 name found by the content scan, in the ANSI code page.  Null:
    // code units below 0x80 stay, others become "?".
    std::string (*utf16ToAnsi)(const std::u16string &name) = nullptr;
};

// Name limit of the full examination: every name is listed.
constexpr unsigned kNoNameLimit = 0xFFFFFFFFu;
// Name limit of IsFileActiveX: the first eleven exported names.
constexpr unsigned kActiveXNameLimit = 10;

// The library's messages that the examination writes.
enum ExeMessage : unsigned {
    kMsgLhExe = 22,         // "LHexe" self-extractor
    kMsgLhSfx = 23,         // "LH's SFX "
    kMsgLhaSfx210 = 24,     // "LHa's SFX "
    kMsgLhaSfx213 = 25,     // "LHA's SFX "
    kMsgLharcSfx = 26,      // "LHarc's SFX "
    kMsgTruncated = 37,     // header sizes exceed the file
    kMsgDamagedEntry = 51,  // a damaged import name
};

// The codes of ExeInfo.CompilerCode: the compiler or runtime that built a
// program, as the examination finds it and CompilerName shows it.
enum Compiler : std::uint16_t {
    kCompilerUnknown = 0,
    kMicrosoftC = 1,
    kVisualC4 = 14,
    kVisualC5Or6 = 15,
    kVisualC6 = 16,
    kVisualC7 = 17,
    kVisualC71 = 18,
    kVisualC2005 = 19,
    kVisualBasic1 = 31,
    kVisualBasic2 = 32,
    kVisualBasic3 = 33,
    kVisualBasic4 = 34,
    kVisualBasic5 = 35,
    kVisualBasic6 = 36,
    kDelphi = 50,
    kDelphi3 = 53,
    kDelphi4 = 54,
    kDelphi5 = 55,
    kDelphi6 = 56,
    kDelphi7 = 57,
    kDelphi2005 = 58,
    kBorlandC = 60,
    kCppBuilder3 = 73,
    kCppBuilder4 = 74,
    kCppBuilder5 = 75,
    kCppBuilder6 = 76,
    kWatcom = 80,
    kDotNet = 91,
};

// Step one of every examination: sizes -1, subsystem 3, every other number
// 0, Description empty, the four lists empty (their old items are
// forgotten, not freed: they belong to the caller).
// Names as an examination collects them: each distinct text once with the
// number of times it was found, in the order of the final lists (MbCompare,
// which tells apart exactly the texts whose bytes differ).  A table that
// names one text millions of times takes the memory of one text and a
// count; only the list handed to the caller holds every copy.
class NameTally {
public:
    explicit NameTally(LeadByteFn isLead) : counts_(Order{isLead}) {}
    void Add(std::string name) { ++counts_[std::move(name)]; }
    bool empty() const { return counts_.empty(); }
    std::size_t distinct() const { return counts_.size(); }
    // Calls fn(name, count) for every distinct name, in order.
    template <class Fn>
    void ForEach(Fn fn) const
    {
        for (const auto &entry : counts_)
            fn(entry.first, entry.second);
    }
    // Appends the names to list in order: each as often as it was found,
    // or once when `once`.  0 when memory ran out.
    int Store(StrList *list, bool once) const;

private:
    struct Order {
        LeadByteFn isLead;
        bool operator()(const std::string &a, const std::string &b) const
        {
            return MbCompare(a.c_str(), b.c_str(), isLead) < 0;
        }
    };
    std::map<std::string, std::size_t, Order> counts_;
};

void InitExeInfo(ExeInfo *info);

// The file's name from the record's Path: at most 254 bytes, since a Path
// with no terminator in its 255 bytes must not be read past the record.
std::string ExePath(const ExeInfo *info);

// Examines an opened file whose size, attributes and times the host has
// already stored.  Returns the flags word.  Memory that runs out throws
// std::bad_alloc; the four lists may then hold items, which the host frees.
int ExamineExe(ExeInfo *info, ByteSource &file, bool withNames, bool scanDlls,
               unsigned nameLimit, const ExeHooks &hooks);

// The content scan alone into FoundDlls: every ".dll" in the file's bytes,
// as single-byte and as UTF-16 text, with the name characters before it.
// Names that begin with ModuleName, equal the file's own name or are in
// ImportedDlls are left out.  Memory that runs out throws std::bad_alloc.
void ScanForDlls(ExeInfo *info, ByteSource &file, const ExeHooks &hooks);

// Whether a byte may be part of a DLL name found by the content scan:
// ASCII letters, digits, "_", and the half-width katakana 0xA6-0xDF while
// no ASCII letter has been accepted for the same name.
bool DllNameChar(unsigned char c, bool letterAccepted);

// A display name: a constant text, or else the library message to show.
struct DisplayName {
    const char *text;
    unsigned message;
};
DisplayName SubSystemDisplayName(int code);
DisplayName MachineDisplayName(int code);
DisplayName CompilerDisplayName(int code);

} // namespace loom
