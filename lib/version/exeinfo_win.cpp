// Executable identification exports: the portable examination over a file
// opened here, with the file's three times put back afterwards so that an
// examination leaves no trace (reading would otherwise move the last-access
// time).
#include <windows.h>

#include "util/boundary.h"
#include "util/handles_win.h"
#include "util/libtext.h"
#include "util/loomshell.h"
#include "util/mbcs.h"
#include "util/strlist.h"
#include "version/exe.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

// The file's bytes by positioned reads on an open handle.
class FileSource : public loom::ByteSource {
public:
    FileSource(HANDLE file, std::uint64_t size) : file_(file), size_(size) {}
    std::uint64_t Size() const override { return size_; }
    std::size_t ReadAt(std::uint64_t offset, void *out, std::size_t count) override
    {
        std::size_t done = 0;
        while (done < count && offset + done < size_) {
            OVERLAPPED at = {};
            at.Offset = static_cast<DWORD>(offset + done);
            at.OffsetHigh = static_cast<DWORD>((offset + done) >> 32);
            DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(count - done, 1u << 20));
            DWORD got = 0;
            if (!ReadFile(file_, static_cast<char *>(out) + done, chunk, &got, &at) || got == 0)
                break;
            done += got;
        }
        return done;
    }

private:
    HANDLE file_;
    std::uint64_t size_;
};

// A file opened for an examination.  Its times are read at opening and put
// back when it closes; where the file cannot be opened for changing its
// attributes (a read-only medium, no right to), it is only read.
class ExaminedFile {
public:
    explicit ExaminedFile(const std::string &path) : file_(Open(path, &canRestore_))
    {
        valid_ = file_.valid() && GetFileInformationByHandle(file_.get(), &facts_);
    }
    ExaminedFile(const ExaminedFile &) = delete;
    ExaminedFile &operator=(const ExaminedFile &) = delete;
    ~ExaminedFile()
    {
        if (valid_ && canRestore_)
            SetFileTime(file_.get(), &facts_.ftCreationTime, &facts_.ftLastAccessTime,
                        &facts_.ftLastWriteTime);
    }

    bool valid() const { return valid_; }
    HANDLE get() const { return file_.get(); }
    std::uint64_t Size() const
    {
        return std::uint64_t(facts_.nFileSizeHigh) << 32 | facts_.nFileSizeLow;
    }
    const BY_HANDLE_FILE_INFORMATION &Facts() const { return facts_; }

private:
    static HANDLE Open(const std::string &path, bool *canRestore)
    {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | FILE_WRITE_ATTRIBUTES,
                                  FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                  nullptr);
        *canRestore = file != INVALID_HANDLE_VALUE;
        if (file == INVALID_HANDLE_VALUE)
            file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        return file;
    }

    // Set by Open, so declared before the handle it comes with.
    bool canRestore_ = false;
    loom::FileHandle file_;
    bool valid_ = false;
    BY_HANDLE_FILE_INFORMATION facts_ = {};
};

// The long walks let the caller's window answer: one pending message at a
// time, and no more often than every 10 ms, since each look at the queue
// costs far more than a step of a walk.
void Pump()
{
    static DWORD last;
    DWORD now = GetTickCount();
    if (now - last >= 10) {
        last = now;
        ProcessSingleMessage();
    }
}

std::string ToAnsi(const std::u16string &name)
{
    std::wstring wide(name.begin(), name.end());
    char text[64];
    int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), text,
                                sizeof text, nullptr, nullptr);
    return std::string(text, n > 0 ? n : 0);
}

const char *Message(unsigned id)
{
    return LoadLibText(id);
}

const loom::ExeHooks &Hooks()
{
    static const loom::ExeHooks hooks = [] {
        loom::ExeHooks h;
        h.isLead = loom::SystemLeadByte;
        h.message = Message;
        h.pump = Pump;
        h.utf16ToAnsi = ToAnsi;
        return h;
    }();
    return hooks;
}

int Examine(ExeInfo *info, bool withNames, bool scanDlls, unsigned nameLimit)
{
    loom::InitExeInfo(info);
    ExaminedFile file(loom::ExePath(info));
    if (!file.valid())
        return 0;
    const BY_HANDLE_FILE_INFORMATION &facts = file.Facts();
    info->LastWriteTime.dwLowDateTime = facts.ftLastWriteTime.dwLowDateTime;
    info->LastWriteTime.dwHighDateTime = facts.ftLastWriteTime.dwHighDateTime;
    info->FileSize = facts.nFileSizeLow;
    info->Attributes = facts.dwFileAttributes;
    FileSource source(file.get(), file.Size());
    return loom::ExamineExe(info, source, withNames, scanDlls, nameLimit, Hooks());
}

// The four lists of an examination that failed: emptied, their items freed.
void ReleaseLists(ExeInfo *info)
{
    loom::StrListDestroy(&info->ImportedFunctions);
    loom::StrListDestroy(&info->ExportedNames);
    loom::StrListDestroy(&info->ImportedDlls);
    loom::StrListDestroy(&info->FoundDlls);
}

// Runs an examination that fills the caller's record; when memory runs out
// its lists are released, the result is 0 and the last error
// ERROR_NOT_ENOUGH_MEMORY, so that no list looks whole that is not.
template <class Body>
int FillingRecord(ExeInfo *info, Body &&body)
{
    const int result = loom::CallGuarded(-1, body);
    if (result >= 0)
        return result;
    ReleaseLists(info);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
}

// Unknown codes show a library message; it is handed out as a constant,
// so it must not live in LoadLibText's shared buffer.
const char *Display(loom::DisplayName name)
{
    return name.text ? name.text : ConstantLibText(name.message);
}

} // namespace

extern "C" {

int __cdecl GetExeInfo(ExeInfo *info, int withNames, int scanDlls)
{
    if (loom::NullArgument(info))
        return 0;
    return FillingRecord(info, [&] {
        return Examine(info, withNames != 0, scanDlls != 0, loom::kNoNameLimit);
    });
}

int __cdecl SearchDll(ExeInfo *info)
{
    if (loom::NullArgument(info))
        return 0;
    return FillingRecord(info, [&] {
        loom::StrListInit(&info->ImportedFunctions);
        loom::StrListInit(&info->ExportedNames);
        loom::StrListInit(&info->ImportedDlls);
        loom::StrListInit(&info->FoundDlls);
        std::memset(info->ModuleName, 0, sizeof info->ModuleName);
        ExaminedFile file(loom::ExePath(info));
        if (!file.valid())
            return 0;
        if (file.Size() > 7) {
            FileSource source(file.get(), file.Size());
            loom::ScanForDlls(info, source, Hooks());
        }
        return 1;
    });
}

int __cdecl IsFileExecutable(const char *path)
{
    if (!path)
        return 0;
    return loom::CallGuarded(0, [&] {
        ExaminedFile file(path);
        if (!file.valid())
            return 0;
        char head[2] = {};
        FileSource source(file.get(), file.Size());
        if (source.ReadAt(0, head, sizeof head) != sizeof head)
            return 0;
        return ((head[0] == 'M' && head[1] == 'Z') || (head[0] == 'Z' && head[1] == 'M')) ? 1 : 0;
    });
}

int __cdecl IsFileActiveX(const char *path)
{
    // The record's Path holds 254 bytes: a longer path would name another
    // file once cut.
    if (!path || std::strlen(path) >= EXEINFO_TEXT_SIZE)
        return 0;
    return loom::CallGuarded(0, [&] {
        ExeInfo info = {};
        std::strcpy(info.Path, path);
        struct Lists {
            ExeInfo &info;
            ~Lists() { ReleaseLists(&info); }
        } release{info};
        Examine(&info, true, false, loom::kActiveXNameLimit);
        for (const StrListNode *node = info.ExportedNames.first; node; node = node->next) {
            if (std::strcmp(node->text, "DllCanUnloadNow") == 0)
                return 1;
        }
        return 0;
    });
}

const char *__cdecl SubSystemName(int code)
{
    return Display(loom::SubSystemDisplayName(code));
}

const char *__cdecl MachineName(int code)
{
    return Display(loom::MachineDisplayName(code));
}

const char *__cdecl CompilerName(int code)
{
    return Display(loom::CompilerDisplayName(code));
}

} // extern "C"
