// Shared by the archive export tests under Wine: the folder of archives that
// real tools made (tests/support/make-archives.sh, reached through Wine's
// Z: drive), a fresh temporary folder per test, reading files and their
// times, and an enumeration callback that collects entries.
#pragma once

#include "archive/loomarchive.h"
#include "util/loomutil.h"
#include "win_test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace archive_test {

using Bytes = std::vector<unsigned char>;

// The fixtures folder as a Windows path.
inline std::string Fixtures()
{
    const char *dir = std::getenv("LOOM_ARCHIVE_FIXTURES");
    return dir ? dir : "";
}

inline std::string Fixture(const std::string &relative)
{
    std::string path = Fixtures() + "\\" + relative;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

using testsupport::Exists;

inline std::wstring Wide(const std::string &text, UINT codePage = CP_ACP)
{
    if (text.empty())
        return std::wstring();
    const int length =
        MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
    return wide;
}

inline std::string Utf8(const std::wstring &text)
{
    if (text.empty())
        return std::string();
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &utf8[0], length,
                        nullptr, nullptr);
    return utf8;
}

inline Bytes ReadBytes(const std::wstring &path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    Bytes bytes;
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    std::vector<unsigned char> buffer(65536);
    DWORD got;
    while (ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) &&
           got > 0)
        bytes.insert(bytes.end(), buffer.begin(), buffer.begin() + got);
    CloseHandle(file);
    return bytes;
}

inline Bytes ReadBytes(const std::string &path)
{
    return ReadBytes(Wide(path));
}

inline void WriteBytes(const std::string &path, const Bytes &bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << path;
    DWORD written = 0;
    if (!bytes.empty())
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    ASSERT_EQ(bytes.size(), written) << path;
}

// A file's times in seconds since 1601 (universal time); 0 when unreadable.
struct FileTimes {
    long long created = 0, written = 0;
};

inline long long Seconds(const FILETIME &time)
{
    return static_cast<long long>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32 |
                                   time.dwLowDateTime) /
                                  10000000ull);
}

inline FileTimes TimesOf(const std::wstring &path)
{
    FileTimes times;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return times;
    FILETIME created, accessed, written;
    if (GetFileTime(file, &created, &accessed, &written)) {
        times.created = Seconds(created);
        times.written = Seconds(written);
    }
    CloseHandle(file);
    return times;
}

inline FileTimes TimesOf(const std::string &path)
{
    return TimesOf(Wide(path));
}

inline std::vector<std::string> ReadLines(const std::string &path)
{
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The files and folders directly in a folder, sorted, as UTF-8 texts.
inline std::vector<std::string> FolderContents(const std::wstring &folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::wstring name = entry.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(Utf8(name));
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

inline std::vector<std::string> FolderContents(const std::string &folder)
{
    return FolderContents(Wide(folder));
}

inline std::string Slashes(std::string name)
{
    std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

// What an enumeration reported.
struct Collected {
    std::vector<ArchiveEntry> entries;
    int nonNullPaths = 0;
};

inline int CALLBACK Collect(ArchiveEntry *entry, void *user, const char *path)
{
    auto *collected = static_cast<Collected *>(user);
    collected->entries.push_back(*entry);
    if (path)
        ++collected->nonNullPaths;
    return 0;
}

inline std::vector<std::string> NamesOf(const Collected &collected)
{
    std::vector<std::string> names;
    for (const auto &entry : collected.entries)
        names.push_back(Slashes(entry.name));
    std::sort(names.begin(), names.end());
    return names;
}

using EnumFn = int(__cdecl *)(const char *, void *, ArchiveCallback);

// Enumerates the fixture folder\archive through the ArchiveCallback type:
// 1, the names that the peer unpacked, a null third argument each time.
inline Collected ListLikePeer(EnumFn enumerate, const std::string &folder,
                              const std::string &archive)
{
    Collected collected;
    const ArchiveCallback callback = Collect;
    EXPECT_EQ(1, enumerate(Fixture(folder + "\\" + archive).c_str(), &collected, callback))
        << archive;
    EXPECT_EQ(ReadLines(Fixture("peer\\" + archive + ".list")), NamesOf(collected)) << archive;
    EXPECT_EQ(0, collected.nonNullPaths) << archive;
    return collected;
}

using ExtractFn = int(__cdecl *)(DWORD, const char *, const char *, StrList *);

// Extracts into the new folder `out` with a name list of the items: the
// export answers 1 and writes exactly the files named `written`.
inline void ExpectListExtracts(ExtractFn extract, const std::string &archive,
                               const std::string &out, const std::vector<const char *> &items,
                               const std::vector<std::string> &written)
{
    CreateDirectoryA(out.c_str(), nullptr);
    StrList list;
    StrList_New(&list);
    for (const char *item : items)
        StrList_Add(&list, item);
    EXPECT_EQ(1, extract(0, archive.c_str(), out.c_str(), &list)) << archive;
    EXPECT_EQ(written, FolderContents(out)) << archive << " " << items.size() << " items";
    StrList_Destroy(&list);
}

// The members' bytes one after the other (and a trailer) in a new file.
template <class Member, class Build>
std::string WriteArchive(const std::string &path, const std::vector<Member> &members, Build build,
                         const Bytes &trailer = Bytes())
{
    Bytes bytes;
    for (const auto &member : members) {
        const auto one = build(member);
        bytes.insert(bytes.end(), one.begin(), one.end());
    }
    bytes.insert(bytes.end(), trailer.begin(), trailer.end());
    WriteBytes(path, bytes);
    return path;
}

// A fresh folder below the temporary folder for each test, removed with
// everything in it afterwards.
class TempFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(Fixtures().empty()) << "LOOM_ARCHIVE_FIXTURES names the archives' folder";
        char temp[MAX_PATH];
        ASSERT_NE(0u, GetTempPathA(sizeof temp, temp));
        root_ = std::string(temp) + "loomarc-" + std::to_string(GetCurrentProcessId()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
        Clear(root_);
        ASSERT_TRUE(CreateDirectoryA(root_.c_str(), nullptr)) << root_;
    }
    void TearDown() override { Clear(root_); }

    static void Clear(const std::wstring &path)
    {
        for (const std::string &name : FolderContents(path)) {
            const std::wstring child = path + L"\\" + Wide(name, CP_UTF8);
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (GetFileAttributesW(child.c_str()) & FILE_ATTRIBUTE_DIRECTORY)
                Clear(child);
            else
                DeleteFileW(child.c_str());
        }
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        RemoveDirectoryW(path.c_str());
    }
    static void Clear(const std::string &path) { Clear(Wide(path)); }

    std::string Path(const std::string &relative) const { return root_ + "\\" + relative; }
    // A new folder below the test's folder.
    std::string Folder(const std::string &name) const
    {
        const std::string path = Path(name);
        CreateDirectoryA(path.c_str(), nullptr);
        return path;
    }

    std::string root_;
};

// Compares the files that an extraction wrote into `ours` (flat, base
// names) with what the peer unpacked into peer\<archive> (with folders):
// the same files, the same bytes, the same last-write time (DOS times keep
// even seconds; a peer may keep the odd one), creation time equal to the
// last-write time.
inline bool IsAscii(const std::string &text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; });
}

// Whether the file system under this Wine can hold a name outside ASCII:
// Wine maps names to Unix bytes in the Unix locale's character set, and
// without a UTF-8 locale installed such names cannot be created.
inline bool CanHoldUnicodeNames(const std::string &folder)
{
    const std::wstring probe = Wide(folder) + L"\\\x65E5\x672C.probe";
    HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    DeleteFileW(probe.c_str());
    return true;
}

inline void ExpectSameAsPeer(const std::string &ours, const std::string &archive,
                             bool asciiOnly = false)
{
    auto peerNames = ReadLines(Fixture("peer\\" + archive + ".list"));
    if (asciiOnly)
        peerNames.erase(std::remove_if(peerNames.begin(), peerNames.end(),
                                       [](const std::string &name) { return !IsAscii(name); }),
                        peerNames.end());
    ASSERT_FALSE(peerNames.empty()) << archive;
    const std::wstring peer = Wide(Fixture("peer\\" + archive));
    std::vector<std::string> bases;
    for (const std::string &name : peerNames) {
        // Names in the list are UTF-8 and "/"-separated.
        const std::string base = name.substr(name.rfind('/') + 1);
        bases.push_back(base);
        const std::wstring mine = Wide(ours) + L"\\" + Wide(base, CP_UTF8);
        std::wstring theirs = peer + L"\\" + Wide(name, CP_UTF8);
        std::replace(theirs.begin(), theirs.end(), L'/', L'\\');
        EXPECT_TRUE(ReadBytes(mine) == ReadBytes(theirs)) << archive << " " << name;
        const FileTimes a = TimesOf(mine), b = TimesOf(theirs);
        EXPECT_NE(0, a.written) << archive << " " << name;
        EXPECT_LE(a.written, b.written) << archive << " " << name;
        EXPECT_LE(b.written - a.written, 1) << archive << " " << name;
        EXPECT_EQ(a.written, a.created) << archive << " " << name;
    }
    std::sort(bases.begin(), bases.end());
    EXPECT_EQ(bases, FolderContents(ours)) << archive;
}

} // namespace archive_test
