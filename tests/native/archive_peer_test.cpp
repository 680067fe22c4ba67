// The portable readers on archives that real tools made at test time
// (tests/support/make-archives.sh): every member's name, bytes and time
// stamp against what lhasa and unzip unpacked from the same archive.
#include "archive/cab_search.h"
#include "archive/lha_archive.h"
#include "archive/zip_archive.h"

#include "archive_builders.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace loom::archive;
using test::Bytes;
using test::Recorder;

std::string Fixtures()
{
    const char *dir = std::getenv("LOOM_ARCHIVE_FIXTURES");
    return dir ? dir : "";
}

Bytes ReadAll(const std::string &path)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    Bytes bytes(in ? static_cast<std::size_t>(in.tellg()) : 0);
    in.seekg(0);
    in.read(reinterpret_cast<char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

std::vector<std::string> ReadLines(const std::string &path)
{
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Level-2 stamps to local DOS time, as the Windows shell converts them.
uint32_t LocalUnixToDos(uint32_t unixTime)
{
    const std::time_t t = unixTime;
    std::tm tm{};
    localtime_r(&t, &tm);
    if (tm.tm_year < 80)
        return 0x00210000;
    const uint32_t date = static_cast<uint32_t>(tm.tm_year - 80) << 9 |
                          static_cast<uint32_t>(tm.tm_mon + 1) << 5 |
                          static_cast<uint32_t>(tm.tm_mday);
    const uint32_t time = static_cast<uint32_t>(tm.tm_hour) << 11 |
                          static_cast<uint32_t>(tm.tm_min) << 5 |
                          static_cast<uint32_t>(tm.tm_sec / 2);
    return date << 16 | time;
}

std::time_t DosToUnixLocal(uint32_t date, uint32_t time)
{
    std::tm tm{};
    tm.tm_year = static_cast<int>(date >> 9) + 80;
    tm.tm_mon = static_cast<int>((date >> 5) & 15) - 1;
    tm.tm_mday = static_cast<int>(date & 31);
    tm.tm_hour = static_cast<int>(time >> 11);
    tm.tm_min = static_cast<int>((time >> 5) & 63);
    tm.tm_sec = static_cast<int>(time & 31) * 2;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

std::time_t ModifiedTime(const std::string &path)
{
    struct stat info{};
    if (stat(path.c_str(), &info) != 0)
        return -1;
    return info.st_mtime;
}

std::string Slashes(std::string name)
{
    std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

// Compares the files a walk unpacked with what the peer unpacked into
// peer/<peerName>/: the same names, the same bytes, the same time stamps
// (the peer's to the second; DOS keeps even seconds).
void ExpectSameAsPeer(const std::vector<Recorder::Member> &files, const std::string &peerName)
{
    const std::string peer = Fixtures() + "/peer/" + peerName;
    std::vector<std::string> names;
    for (const auto &file : files)
        names.push_back(Slashes(file.entry.name));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(ReadLines(peer + ".list"), names) << peerName;
    for (const auto &file : files) {
        const std::string path = peer + "/" + Slashes(file.entry.name);
        const Bytes expected = ReadAll(path);
        EXPECT_TRUE(file.outcome.complete()) << peerName << " " << file.entry.name;
        EXPECT_TRUE(file.bytes == expected) << peerName << " " << file.entry.name << ": "
                                            << file.bytes.size() << " bytes, peer "
                                            << expected.size();
        EXPECT_EQ(expected.size(), file.entry.originalSize) << peerName << " " << file.entry.name;
        const std::time_t ours = DosToUnixLocal(file.entry.date, file.entry.time);
        const std::time_t theirs = ModifiedTime(path);
        EXPECT_GE(theirs, ours) << peerName << " " << file.entry.name;
        EXPECT_LE(theirs - ours, 1) << peerName << " " << file.entry.name;
    }
}

std::vector<Recorder::Member> WalkLhaFile(const std::string &path, bool *found = nullptr)
{
    const Bytes archive = ReadAll(path);
    MemorySource source(archive);
    Recorder recorder;
    LhaOptions options;
    options.unixToDos = LocalUnixToDos;
    const bool walked = WalkLha(source, options, recorder);
    if (found)
        *found = walked;
    // Folder members are not files: the peers list files only.
    std::vector<Recorder::Member> files;
    for (auto &member : recorder.members)
        if (!IsLhaFolder(member.entry))
            files.push_back(member);
    return files;
}

std::vector<Recorder::Member> WalkZipFile(const std::string &path)
{
    const Bytes archive = ReadAll(path);
    MemorySource source(archive);
    Recorder recorder;
    WalkZip(source, recorder);
    std::vector<Recorder::Member> files;
    for (auto &member : recorder.members) {
        const std::string name = member.entry.name;
        if (name.empty() || name.back() != '/')
            files.push_back(member);
    }
    return files;
}

class PeerArchives : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(Fixtures().empty()) << "LOOM_ARCHIVE_FIXTURES names the archives' folder";
    }
};

TEST_F(PeerArchives, LhaEveryLevelAndMethodMatchesLhasa)
{
    struct Case {
        const char *archive;
        unsigned packedMethod; // the method of the members that jlha packed
    } cases[] = {
        {"l0_lh0", 0}, {"l0_lh5", 5}, {"l0_lh6", 6}, {"l0_lh7", 7},
        {"l1_lh0", 0}, {"l1_lh5", 5}, {"l1_lh6", 6}, {"l1_lh7", 7},
        {"l2_lh0", 0}, {"l2_lh5", 5}, {"l2_lh6", 6}, {"l2_lh7", 7},
        {"small_lh4", 4}, {"small_lh5", 5},
        // Folders as jlha writes them: -lhd- with the attribute byte 0x20.
        {"l0_dirs", 0}, {"l1_dirs", 0}, {"l2_dirs", 0},
    };
    for (const auto &c : cases) {
        bool found = false;
        const auto files = WalkLhaFile(Fixtures() + "/lha/" + c.archive + ".lzh", &found);
        EXPECT_TRUE(found) << c.archive;
        ExpectSameAsPeer(files, std::string(c.archive) + ".lzh");
        // jlha stores a member as lh0 when packing does not make it
        // smaller; text packs with the archive's method.
        bool sawMethod = false;
        for (const auto &file : files) {
            EXPECT_TRUE(file.entry.method == 0 || file.entry.method == c.packedMethod)
                << c.archive << " " << file.entry.name << " method " << file.entry.method;
            sawMethod = sawMethod || file.entry.method == c.packedMethod;
            EXPECT_EQ(uint32_t{ARCHIVE_KIND_LHA}, file.entry.kind);
        }
        EXPECT_TRUE(sawMethod) << c.archive;
    }
}

TEST_F(PeerArchives, LzMarkDecodesByItsDigit)
{
    const auto files = WalkLhaFile(Fixtures() + "/lha/small_lz5.lzh");
    ASSERT_EQ(2u, files.size());
    ExpectSameAsPeer(files, "small_lh5.lzh");
}

TEST_F(PeerArchives, ReadOnlyAttributeComesThrough)
{
    const auto files = WalkLhaFile(Fixtures() + "/lha/l0_readonly.lzh");
    ASSERT_FALSE(files.empty());
    for (const auto &file : files)
        EXPECT_EQ(0x21u, file.entry.attributes) << file.entry.name;
    ExpectSameAsPeer(files, "l0_readonly.lzh");
}

TEST_F(PeerArchives, ZipStoredDeflatedStreamedMatchUnzip)
{
    for (const char *name : {"stored", "deflated", "streamed", "stdin"}) {
        const auto files = WalkZipFile(Fixtures() + "/zip/" + name + ".zip");
        ExpectSameAsPeer(files, std::string(name) + ".zip");
        for (const auto &file : files) {
            EXPECT_EQ(uint32_t{ARCHIVE_KIND_ZIP}, file.entry.kind);
            // Sizes after the data exactly when zip wrote to a pipe.
            EXPECT_EQ(std::string(name) == "streamed", (file.entry.attributes & 8) != 0)
                << name << " " << file.entry.name;
        }
    }
}

TEST_F(PeerArchives, ZipFoldersAreMembersEndingInSlash)
{
    const Bytes archive = ReadAll(Fixtures() + "/zip/deflated.zip");
    MemorySource source(archive);
    Recorder recorder(false);
    WalkZip(source, recorder);
    std::vector<std::string> folders;
    for (const auto &member : recorder.members)
        if (std::string(member.entry.name).back() == '/')
            folders.push_back(member.entry.name);
    EXPECT_EQ((std::vector<std::string>{"sub/", "sub/deeper/"}), folders);
}

TEST_F(PeerArchives, SelfExtractingProgramsReadLikeTheirArchives)
{
    const auto plainLha = WalkLhaFile(Fixtures() + "/lha/l2_lh5.lzh");
    bool found = false;
    const auto sfxLha = WalkLhaFile(Fixtures() + "/sfx/lha.exe", &found);
    EXPECT_TRUE(found);
    ASSERT_EQ(plainLha.size(), sfxLha.size());
    for (std::size_t i = 0; i < sfxLha.size(); ++i) {
        EXPECT_STREQ(plainLha[i].entry.name, sfxLha[i].entry.name);
        EXPECT_TRUE(plainLha[i].bytes == sfxLha[i].bytes) << sfxLha[i].entry.name;
    }
    ExpectSameAsPeer(WalkZipFile(Fixtures() + "/sfx/zip.exe"), "deflated.zip");

    // The program in front is a real Windows program.
    const Bytes sfxCab = ReadAll(Fixtures() + "/sfx/cab.exe");
    ASSERT_GT(sfxCab.size(), 2u);
    EXPECT_EQ('M', sfxCab[0]);
    EXPECT_EQ('Z', sfxCab[1]);
    MemorySource source(sfxCab);
    SourceReader reader(source);
    uint64_t offset = 0;
    uint32_t size = 0;
    ASSERT_EQ(CabSearchResult::Found, FindCabinet(reader, offset, size));
    EXPECT_EQ(ReadAll(Fixtures() + "/sfx/stub.exe").size(), offset);
    EXPECT_EQ(ReadAll(Fixtures() + "/cab/mszip.cab").size(), size);
}

} // namespace
