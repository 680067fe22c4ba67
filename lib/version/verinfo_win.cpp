// GetFileVerInfo and GetFileVerLCID: the string table of a file's version
// resource, read through version.dll in the language and code page of the
// first translation entry.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "util/boundary.h"
#include "util/libtext.h"
#include "util/mbcs.h"
#include "version/loomver.h"
#include "version/vertext.h"

namespace {

// Message 36: the version of an update file cannot be examined.
constexpr unsigned kMsgCannotExamine = 36;

struct FreeDeleter {
    void operator()(void *p) const { std::free(p); }
};

// A file's version information block, read whole; empty when the file has
// no version resource or it cannot be read.
class VersionBlock {
public:
    explicit VersionBlock(const char *path)
    {
        DWORD ignored = 0;
        DWORD size = GetFileVersionInfoSizeA(path, &ignored);
        if (size == 0)
            return;
        std::unique_ptr<void, FreeDeleter> block(std::malloc(size));
        if (!block)
            return;
        if (!GetFileVersionInfoA(path, 0, size, block.get()))
            return;
        block_ = std::move(block);
    }

    // The first translation entry: language identifier and code page.  A
    // table shorter than one entry counts as missing rather than being read
    // past its end.
    bool FirstTranslation(WORD *lang, WORD *codePage) const
    {
        void *value = nullptr;
        UINT len = 0;
        if (!block_ ||
            !VerQueryValueA(block_.get(), "\\VarFileInfo\\Translation", &value, &len) ||
            value == nullptr || len < 2 * sizeof(WORD))
            return false;
        WORD entry[2];
        std::memcpy(entry, value, sizeof entry);
        *lang = entry[0];
        *codePage = entry[1];
        return true;
    }

    // The string value `key` of the given translation; false when absent.
    bool StringValue(WORD lang, WORD codePage, const char *key, std::string *text) const
    {
        char query[128];
        std::snprintf(query, sizeof query, "\\StringFileInfo\\%04x%04x\\%s",
                      static_cast<unsigned>(lang), static_cast<unsigned>(codePage), key);
        void *value = nullptr;
        UINT len = 0;
        if (!VerQueryValueA(block_.get(), query, &value, &len) || value == nullptr)
            return false;
        // The reported length may or may not count the terminator; never
        // read past it either way.
        const char *chars = static_cast<const char *>(value);
        text->assign(chars, strnlen(chars, len));
        return true;
    }

private:
    std::unique_ptr<void, FreeDeleter> block_;
};

// How a string value is taken into its field.
enum class Treatment { AsStored, Flattened };

struct StringField {
    const char *key;
    char (FileVerInfo::*field)[FILEVERINFO_FIELD_SIZE];
    Treatment treatment;
};

void CopyField(char *field, const char *text)
{
    loom::CopyBounded(field, text, vertext::kMaxValueBytes, loom::SystemLeadByte);
}

void ClearFields(FileVerInfo *out)
{
    // The first 254 bytes of each field; the last byte is never written.
    char *fields[] = {out->FileVersion, out->FileDescription, out->LegalCopyright,
                      out->Comments, out->CompanyName, out->Language,
                      out->LegalTrademarks, out->OriginalFileName,
                      out->ProductVersion, out->ProductName, out->InternalName};
    for (char *field : fields)
        std::memset(field, 0, FILEVERINFO_FIELD_SIZE - 1);
}

bool IsWindows95Family()
{
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    return GetVersionExA(&info) && info.dwPlatformId != VER_PLATFORM_WIN32_NT;
}

void FillString(const VersionBlock &block, WORD lang, WORD codePage,
                const char *key, Treatment treatment, char *field)
{
    std::string text;
    if (!block.StringValue(lang, codePage, key, &text))
        return;
    if (treatment == Treatment::Flattened)
        vertext::FlattenLineBreaks(&text[0], loom::SystemLeadByte);
    CopyField(field, text.c_str());
}

void FillLanguage(WORD lang, char *field)
{
    char name[255] = {};
    if (VerLanguageNameA(lang, name, sizeof name) == 0)
        return;
    name[sizeof name - 1] = '\0';
    CopyField(field, name);
}

int FillVerInfo(const char *path, FileVerInfo *out)
{
    if (out == nullptr)
        return 0;
    ClearFields(out);
    if (path == nullptr)
        return 0;

    // The Windows 95 family cannot examine the update package's own files
    // while it is being installed; say so instead of opening them.
    if (IsWindows95Family() && vertext::IsSkippedUpdateFile(path, loom::SystemLeadByte)) {
        loom::CopyBounded(out->Comments, LoadLibText(kMsgCannotExamine),
                          FILEVERINFO_FIELD_SIZE - 1, loom::SystemLeadByte);
        return 1;
    }

    VersionBlock block(path);
    WORD lang = 0, codePage = 0;
    if (!block.FirstTranslation(&lang, &codePage))
        return 0;

    // In record order; the language name sits between CompanyName and
    // LegalTrademarks.
    static const StringField before[] = {
        {"FileVersion", &FileVerInfo::FileVersion, Treatment::AsStored},
        {"FileDescription", &FileVerInfo::FileDescription, Treatment::Flattened},
        {"LegalCopyright", &FileVerInfo::LegalCopyright, Treatment::Flattened},
        {"Comments", &FileVerInfo::Comments, Treatment::Flattened},
        {"CompanyName", &FileVerInfo::CompanyName, Treatment::Flattened},
    };
    static const StringField after[] = {
        {"LegalTrademarks", &FileVerInfo::LegalTrademarks, Treatment::Flattened},
        {"OriginalFileName", &FileVerInfo::OriginalFileName, Treatment::AsStored},
        {"ProductVersion", &FileVerInfo::ProductVersion, Treatment::AsStored},
        {"ProductName", &FileVerInfo::ProductName, Treatment::AsStored},
        {"InternalName", &FileVerInfo::InternalName, Treatment::AsStored},
    };
    for (const StringField &f : before)
        FillString(block, lang, codePage, f.key, f.treatment, out->*f.field);
    FillLanguage(lang, out->Language);
    for (const StringField &f : after)
        FillString(block, lang, codePage, f.key, f.treatment, out->*f.field);
    return 1;
}

int VerLCID(const char *path)
{
    if (path == nullptr)
        return 0;
    VersionBlock block(path);
    WORD lang = 0, codePage = 0;
    if (!block.FirstTranslation(&lang, &codePage))
        return 0;
    return lang;
}

} // namespace

extern "C" int LOOM_CDECL GetFileVerInfo(const char *path, FileVerInfo *out)
{
    // Without memory for a value the record keeps what it had so far.
    return loom::CallGuarded(0, [&] { return FillVerInfo(path, out); });
}

extern "C" int LOOM_CDECL GetFileVerLCID(const char *path)
{
    return loom::CallGuarded(0, [&] { return VerLCID(path); });
}
