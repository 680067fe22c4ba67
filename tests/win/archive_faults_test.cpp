// Members that cannot be written whole, in all three formats: each case
// extracts into a folder that already holds a file of the member's name and
// checks the export's result, the thread's last error and every file left
// in the folder.  A damaged, cut-off or unsupported member never replaces
// the file that was there, and leaves no file of its own.
#include "archive_builders.h"
#include "archive_win_fixture.h"

#include <functional>
#include <map>

namespace {

using namespace archive_test;
using loom::archive::test::BuildZip;
using loom::archive::test::Crc32;
using loom::archive::test::ZipMember;

using Files = std::map<std::string, std::string>; // name -> bytes
using Extract3 = int(__cdecl *)(DWORD, const char *, const char *);

const char kOld[] = "the file that was there";

// A file's bytes as the table shows them: short ones as text, long ones by
// their size.
std::string Summary(const Bytes &bytes)
{
    if (bytes.size() > 80)
        return std::to_string(bytes.size()) + " bytes";
    return std::string(bytes.begin(), bytes.end());
}

// A member of a fixture ZIP archive that zip wrote with its sizes in the
// local header, renamed: its real deflate data, CRC and sizes.
ZipMember FixtureMember(const std::string &archive, const std::string &name,
                        const std::string &renamed)
{
    const Bytes zip = ReadBytes(Fixture("zip\\" + archive));
    const auto le16 = [&](std::size_t at) { return unsigned(zip[at] | zip[at + 1] << 8); };
    const auto le32 = [&](std::size_t at) { return uint32_t(le16(at) | le16(at + 2) << 16); };
    ZipMember m;
    for (std::size_t at = 0; at + 30 <= zip.size();) {
        const std::size_t nameLength = le16(at + 26), extra = le16(at + 28);
        const std::size_t data = at + 30 + nameLength + extra;
        const uint32_t packed = le32(at + 18);
        if (std::string(zip.begin() + at + 30, zip.begin() + at + 30 + nameLength) == name) {
            m.name = renamed;
            m.method = static_cast<uint16_t>(le16(at + 8));
            m.crc = le32(at + 14);
            m.uncompressedSize = le32(at + 22);
            m.data.assign(zip.begin() + data, zip.begin() + data + packed);
            break;
        }
        at = data + packed;
    }
    EXPECT_FALSE(m.data.empty()) << archive << " " << name;
    return m;
}

class ArchiveFaults : public TempFolderTest {};

TEST_F(ArchiveFaults, MembersThatCannotBeWrittenWholeLeaveTheOldFile)
{
    const ZipMember words = FixtureMember("deflated.zip", "words.txt", "victim.txt");
    const ZipMember zeros = FixtureMember("deflated.zip", "zeros.bin", "victim.txt");
    const auto zip = [](std::vector<ZipMember> members) {
        return [members] {
            Bytes bytes;
            for (const ZipMember &m : members)
                loom::archive::test::Append(bytes, BuildZip(m));
            return bytes;
        };
    };
    ZipMember good;
    good.name = "victim.txt";
    good.data = Bytes{'n', 'e', 'w'};
    ZipMember wrongCrc = good;
    wrongCrc.crc = Crc32(good.data) ^ 0x80;
    ZipMember cut = words;
    cut.data.resize(cut.data.size() / 3);
    ZipMember tooLong = zeros;
    tooLong.uncompressedSize = 10;
    ZipMember shrunk = good;
    shrunk.method = 1;
    ZipMember device = good;
    device.name = "COM5\x81";
    const Bytes cabinet = ReadBytes(Fixture("cab\\small.cab"));
    Bytes badChecksum = cabinet;
    badChecksum[cabinet.size() - 10] ^= 0x55; // inside the compressed data

    struct Case {
        const char *what;
        std::function<Bytes()> archive;
        Extract3 extract;
        const char *victim; // the file that was there
        int result;
        DWORD lastError;
        Files after;           // the destination afterwards
        bool readOnly = false; // the file that was there is read-only
    } cases[] = {
        {"ZIP good member", zip({good}), ZipExtractAllFiles, "victim.txt", 1, 0,
         {{"victim.txt", "new"}}},
        {"ZIP good member, read-only file there", zip({good}), ZipExtractAllFiles,
         "victim.txt", 1, ERROR_ACCESS_DENIED, {{"victim.txt", kOld}}, true},
        {"ZIP stored, wrong CRC-32", zip({wrongCrc}), ZipExtractAllFiles, "victim.txt", 1,
         ERROR_CRC, {{"victim.txt", kOld}}},
        {"ZIP deflate stream cut short", zip({cut}), ZipExtractAllFiles, "victim.txt", 1,
         ERROR_HANDLE_EOF, {{"victim.txt", kOld}}},
        {"ZIP 10 bytes declared, 400,000 inflated", zip({tooLong}), ZipExtractAllFiles,
         "victim.txt", 1, ERROR_CRC, {{"victim.txt", kOld}}},
        {"ZIP method 1", zip({shrunk}), ZipExtractAllFiles, "victim.txt", 1, ERROR_NOT_SUPPORTED,
         {{"victim.txt", kOld}}},
        {"ZIP member COM5 + lone lead byte", zip({device}), ZipExtractAllFiles, "victim.txt", 1,
         ERROR_INVALID_NAME, {{"victim.txt", kOld}}},
        {"ZIP archive cut inside a member", [&] {
             Bytes bytes = BuildZip(good);
             const Bytes member = BuildZip(words);
             bytes.insert(bytes.end(), member.begin(), member.begin() + 400);
             return bytes;
         },
         ZipExtractAllFiles, "words.txt", 1, ERROR_HANDLE_EOF,
         {{"victim.txt", "new"}, {"words.txt", kOld}}},
        {"cabinet, good", [&] { return cabinet; }, CabExtractAllFiles, "hello.txt", 1, 0,
         {{"hello.txt", Summary(ReadBytes(Fixture("peer\\small.cab\\hello.txt")))},
          {"nested.txt", "two folders down\n"}}},
        {"cabinet, bad checksum", [&] { return badChecksum; }, CabExtractAllFiles, "hello.txt", 0,
         ERROR_CRC, {{"hello.txt", kOld}}},
    };
    int round = 0;
    for (const auto &c : cases) {
        const std::string folder = Folder("case" + std::to_string(round++));
        const std::string archive = folder + ".bin";
        WriteBytes(archive, c.archive());
        const std::string victim = folder + "\\" + c.victim;
        WriteBytes(victim, Bytes(kOld, kOld + sizeof kOld - 1));
        if (c.readOnly)
            SetFileAttributesA(victim.c_str(), FILE_ATTRIBUTE_READONLY);
        SetLastError(12345);
        EXPECT_EQ(c.result, c.extract(0, archive.c_str(), folder.c_str())) << c.what;
        EXPECT_EQ(c.lastError, GetLastError()) << c.what;
        Files after;
        for (const std::string &name : FolderContents(folder))
            after[name] = Summary(ReadBytes(folder + "\\" + name));
        EXPECT_EQ(c.after, after) << c.what;
    }
}

// A cabinet that cannot be completed is reported, and a file of its name
// stays as it was.
TEST_F(ArchiveFaults, CabinetsThatCannotBeWrittenAreReported)
{
    const std::string source = Folder("source");
    WriteBytes(source + "\\a.txt", Bytes(3000, 'a'));
    const std::string mask = source + "\\*.txt";
    const Bytes old(kOld, kOld + sizeof kOld - 1);
    struct Case {
        const char *what;
        std::string cabinet;
        bool readOnlyOld; // a read-only file of the cabinet's name is there
        int result;
        DWORD lastError;
    } cases[] = {
        {"plain", Path("plain.cab"), false, 1, 0},
        {"replacing a cabinet", Path("again.cab"), false, 1, 0},
        {"missing folder", Path("missing\\x.cab"), false, 0, ERROR_PATH_NOT_FOUND},
        {"read-only file there", Path("locked.cab"), true, 0, ERROR_ACCESS_DENIED},
    };
    WriteBytes(Path("again.cab"), old);
    for (const auto &c : cases) {
        if (c.readOnlyOld) {
            WriteBytes(c.cabinet, old);
            SetFileAttributesA(c.cabinet.c_str(), FILE_ATTRIBUTE_READONLY);
        }
        SetLastError(12345);
        EXPECT_EQ(c.result, CabCompressFiles(c.cabinet.c_str(), mask.c_str())) << c.what;
        EXPECT_EQ(c.lastError, GetLastError()) << c.what;
        if (c.result == 1) {
            Collected collected;
            EXPECT_EQ(1, CabEnum(c.cabinet.c_str(), &collected, Collect)) << c.what;
            EXPECT_EQ((std::vector<std::string>{"a.txt"}), NamesOf(collected)) << c.what;
        } else if (c.readOnlyOld) {
            EXPECT_EQ(old, ReadBytes(c.cabinet)) << c.what;
        }
    }
    // Nothing else was left in the folder: no temporary file.
    EXPECT_EQ((std::vector<std::string>{"again.cab", "locked.cab", "plain.cab", "source"}),
              FolderContents(root_));
}

} // namespace
