// The archive cases in all three formats: each extracts into a folder that
// already holds a file of a member's name (or into a missing or read-only
// folder) and checks the export's result, the thread's last error, every
// file left in the folder and, where the case is about it, the listing.  A
// damaged, cut-off or unsupported member never replaces the file that was
// there, and leaves no file of its own.
#include "archive_builders.h"
#include "archive_win_fixture.h"

#include <functional>
#include <iterator>
#include <map>
#include <optional>

namespace {

using namespace archive_test;
using namespace loom::archive::test;

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

// -lh5- data of `count` copies of one character code, in one block.
Bytes Lh5Block(unsigned count, unsigned charCode)
{
    BitWriter bits;
    PutSingleCodeBlock(bits, count, charCode, 0);
    return bits.Finish();
}

class ArchiveFaults : public TempFolderTest {};

struct Format {
    EnumFn enumerate;
    Extract3 extract;
};
const Format kZip{ZipEnum, ZipExtractAllFiles}, kLha{LhaEnum, LhaExtractAllFiles},
    kCab{CabEnum, CabExtractAllFiles};

// Where a case extracts to.
enum class Place {
    Folder,         // a folder holding a file of the victim's name
    ReadOnlyVictim, // the same, the file read-only
    ReadOnlyFolder, // the same, the folder read-only
    Missing,        // a folder that does not exist
    OddName,        // a folder whose name ends in 85 40, no character of
                    // code page 932
    Deep,           // a folder of more than 246 characters, too long for a
                    // temporary name in it
};

// A path in the form that reaches past MAX_PATH characters.
std::wstring Long(const std::string &path)
{
    return L"\\\\?\\" + Wide(path);
}

TEST_F(ArchiveFaults, EveryCaseLeavesTheOldFileAndReportsWhatFailed)
{
    Bytes text;
    for (unsigned i = 0; text.size() < 300000; ++i)
        Append(text, Bytes{'w', 'o', 'r', 'd', uint8_t('a' + i % 26), '\n'});
    const ZipMember words = Deflated("victim.txt", text);
    const ZipMember zeros = Deflated("victim.txt", Bytes(400000, 0));
    const auto zip = [](std::vector<ZipMember> members) {
        return [members] {
            Bytes bytes;
            for (const ZipMember &m : members)
                Append(bytes, BuildZip(m));
            return bytes;
        };
    };
    const auto fixture = [](const std::string &name) {
        return [name] { return ReadBytes(Fixture(name)); };
    };
    // The peer's names are UTF-8 (the fixtures' folder is ASCII).
    const auto peer = [](const std::string &file) {
        return Summary(ReadBytes(Wide(Fixture("peer\\" + file), CP_UTF8)));
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
    ZipMember encrypted = good;
    encrypted.flags = 1;
    ZipMember wordsWrongCrc = words, moreDeclared = words, storedSizesDiffer = good;
    wordsWrongCrc.crc = *words.crc ^ 1;
    moreDeclared.uncompressedSize = *words.uncompressedSize + 1;
    storedSizesDiffer.uncompressedSize = 2;
    ZipMember device = good;
    device.name = "COM5\x81";
    const auto lha = [](std::vector<LhaMember> members) {
        return [members] {
            Bytes bytes;
            for (const LhaMember &m : members)
                Append(bytes, BuildLha(m));
            bytes.push_back(0);
            return bytes;
        };
    };
    LhaMember stored;
    stored.name = "victim.txt";
    stored.data = Bytes{'n', 'e', 'w'};
    LhaMember storedWrongCrc = stored;
    storedWrongCrc.dataCrc = static_cast<uint16_t>(Crc16(stored.data) ^ 0x100);
    LhaMember lh1 = stored, lzs = stored, lh9 = stored;
    lh1.method = "-lh1-";
    lzs.method = "-lzs-";
    lh9.method = "-lh9-";
    // 1,000 bytes "A".
    LhaMember lh5;
    lh5.method = "-lh5-";
    lh5.name = "victim.txt";
    lh5.data = Lh5Block(1000, 'A');
    lh5.originalSize = 1000;
    lh5.dataCrc = Crc16(Bytes(1000, 'A'));
    LhaMember lh5Damaged = lh5, lh5WrongCrc = lh5, claimsMore = lh5;
    lh5Damaged.data = Lh5Block(1000, 511); // no such code
    lh5WrongCrc.dataCrc = static_cast<uint16_t>(*lh5.dataCrc ^ 1);
    claimsMore.originalSize = 100000;
    LhaMember lhaDevice = stored;
    lhaDevice.name = "COM5\x81";
    // LArc's stored method.
    LhaMember larcStored = stored;
    larcStored.method = "-lz4-";
    // Methods without a decoder here, and AES (its marker method and the
    // encryption flag).
    const auto packedWith = [&](uint16_t method, uint16_t flags) {
        ZipMember m = good;
        m.method = method;
        m.flags = flags;
        return m;
    };
    // Names longer than an entry holds, whose first 259 bytes name another
    // file (or no folder any more).
    ZipMember zipCutName = good;
    zipCutName.name = std::string(250, 'x') + "/evil.exe/real.txt";
    ZipMember zipLongFolder = good;
    zipLongFolder.name = std::string(300, 'd') + "/";
    zipLongFolder.data.clear();
    LhaMember lhaCutName = stored;
    lhaCutName.level = 2;
    lhaCutName.directory = std::string(250, 'A') + "\xFF" "evil.exe\xFF";
    lhaCutName.name = "readme.txt";
    const Bytes cabinet = ReadBytes(Fixture("cab\\small.cab"));
    Bytes badChecksum = cabinet;
    badChecksum[cabinet.size() - 10] ^= 0x55; // inside the compressed data
    // What the peer unpacked from a fixture archive, under the base names.
    const auto peerFiles = [&](const std::string &archive) {
        Files files;
        for (std::string name : ReadLines(Fixture("peer\\" + archive + ".list"))) {
            std::replace(name.begin(), name.end(), '/', '\\');
            files[name.substr(name.rfind('\\') + 1)] = peer(archive + "\\" + name);
        }
        return files;
    };
    const Files smallCab = peerFiles("small.cab");

    using Listing = std::optional<std::vector<std::string>>; // "name size" per member
    struct Case {
        const char *what;
        std::function<Bytes()> archive;
        const Format &format;
        const char *victim; // the file that was there
        int result;
        DWORD lastError;
        Files after;             // the destination afterwards
        Listing listed = {};     // what enumeration reports, where the case is about it
        Place place = Place::Folder;
    } cases[] = {
        {"ZIP good member", zip({good}), kZip, "victim.txt", 1, 0, {{"victim.txt", "new"}}},
        {"ZIP good member, read-only file there", zip({good}), kZip, "victim.txt", 1,
         ERROR_ACCESS_DENIED, {{"victim.txt", kOld}}, {}, Place::ReadOnlyVictim},
        {"ZIP stored members, sizes after the data, one a ZIP (Python on a pipe)",
         fixture("zip\\pystream.zip"), kZip, "victim.txt", 1, 0,
         {{"inner.zip", peer("pystream.zip\\inner.zip")},
          {"nested.txt", "two folders down\n"},
          {"victim.txt", kOld},
          {"words.txt", peer("pystream.zip\\words.txt")}},
         Listing({{"inner.zip 143"}, {"words.txt 300000"}, {"sub/deeper/nested.txt 17"}})},
        {"ZIP stored, wrong CRC-32", zip({wrongCrc}), kZip, "victim.txt", 1, ERROR_CRC,
         {{"victim.txt", kOld}}},
        {"ZIP deflate stream cut short", zip({cut}), kZip, "victim.txt", 1, ERROR_HANDLE_EOF,
         {{"victim.txt", kOld}}},
        {"ZIP 10 bytes declared, 400,000 inflated", zip({tooLong}), kZip, "victim.txt", 1,
         ERROR_CRC, {{"victim.txt", kOld}}},
        {"ZIP deflated, wrong CRC-32", zip({wordsWrongCrc}), kZip, "victim.txt", 1, ERROR_CRC,
         {{"victim.txt", kOld}}},
        {"ZIP one byte more declared than inflated", zip({moreDeclared}), kZip, "victim.txt", 1,
         ERROR_CRC, {{"victim.txt", kOld}}},
        {"ZIP stored, 3 bytes of data, 2 declared", zip({storedSizesDiffer}), kZip, "victim.txt",
         1, ERROR_CRC, {{"victim.txt", kOld}}},
        {"ZIP method 1", zip({shrunk}), kZip, "victim.txt", 1, ERROR_NOT_SUPPORTED,
         {{"victim.txt", kOld}}},
        {"ZIP encrypted", zip({encrypted}), kZip, "victim.txt", 1, ERROR_NOT_SUPPORTED,
         {{"victim.txt", kOld}}},
        {"ZIP member COM5 + lone lead byte", zip({device}), kZip, "victim.txt", 1,
         ERROR_INVALID_NAME, {{"victim.txt", kOld}}},
        {"ZIP archive cut inside a member", [&] {
             Bytes bytes = BuildZip(good);
             const Bytes member = BuildZip(words);
             bytes.insert(bytes.end(), member.begin(), member.begin() + 400);
             return bytes;
         },
         kZip, "words.txt", 1, ERROR_HANDLE_EOF, {{"victim.txt", "new"}, {"words.txt", kOld}}},
        {"LHA lh0 good member", lha({stored}), kLha, "victim.txt", 1, 0, {{"victim.txt", "new"}}},
        {"LHA lh0, wrong CRC-16", lha({storedWrongCrc}), kLha, "victim.txt", 1, ERROR_CRC,
         {{"victim.txt", kOld}}},
        {"LHA lh1", lha({lh1}), kLha, "victim.txt", 1, ERROR_NOT_SUPPORTED, {{"victim.txt", kOld}}},
        {"LHA lzs", lha({lzs}), kLha, "victim.txt", 1, ERROR_NOT_SUPPORTED, {{"victim.txt", kOld}}},
        {"LHA lh9", lha({lh9}), kLha, "victim.txt", 1, ERROR_NOT_SUPPORTED, {{"victim.txt", kOld}}},
        {"LHA lh5 good member", lha({lh5}), kLha, "victim.txt", 1, 0,
         {{"victim.txt", "1000 bytes"}}},
        {"LHA lh5, impossible code", lha({lh5Damaged}), kLha, "victim.txt", 1, ERROR_CRC,
         {{"victim.txt", kOld}}},
        {"LHA lh5, wrong CRC-16", lha({lh5WrongCrc}), kLha, "victim.txt", 1, ERROR_CRC,
         {{"victim.txt", kOld}}},
        {"LHA lh5, 1,000 bytes claiming 100,000", lha({claimsMore}), kLha, "victim.txt", 1,
         ERROR_HANDLE_EOF, {{"victim.txt", kOld}}},
        {"LHA member COM5 + lone lead byte", lha({lhaDevice}), kLha, "victim.txt", 1,
         ERROR_INVALID_NAME, {{"victim.txt", kOld}}},
        {"LHA -lz4- (stored)", lha({larcStored}), kLha, "victim.txt", 1, 0, {{"victim.txt", "new"}}},
        {"ZIP bzip2 (method 12)", zip({packedWith(12, 0)}), kZip, "victim.txt", 1,
         ERROR_NOT_SUPPORTED, {{"victim.txt", kOld}}, Listing({{"victim.txt 3"}})},
        {"ZIP LZMA (method 14)", zip({packedWith(14, 0)}), kZip, "victim.txt", 1,
         ERROR_NOT_SUPPORTED, {{"victim.txt", kOld}}, Listing({{"victim.txt 3"}})},
        {"ZIP Deflate64 (method 9)", zip({packedWith(9, 0)}), kZip, "victim.txt", 1,
         ERROR_NOT_SUPPORTED, {{"victim.txt", kOld}}, Listing({{"victim.txt 3"}})},
        {"ZIP AES (method 99, encrypted)", zip({packedWith(99, 1)}), kZip, "victim.txt", 1,
         ERROR_NOT_SUPPORTED, {{"victim.txt", kOld}}, Listing({{"victim.txt 3"}})},
        {"ZIP name of 268 bytes cut to .../evil.exe", zip({zipCutName}), kZip, "evil.exe", 1,
         ERROR_INVALID_NAME, {{"evil.exe", kOld}}},
        {"ZIP folder of 300 bytes", zip({zipLongFolder}), kZip, "victim.txt", 1,
         ERROR_INVALID_NAME, {{"victim.txt", kOld}}},
        {"LHA folder and name of 270 bytes cut to ...\\evil.exe", lha({lhaCutName}), kLha,
         "evil.exe", 1, ERROR_INVALID_NAME, {{"evil.exe", kOld}}},
        {"ZIP into a folder of 260 characters", zip({good}), kZip, "victim.txt", 1,
         ERROR_FILENAME_EXCED_RANGE, {{"victim.txt", kOld}}, {}, Place::Deep},
        // A UTF-8 name goes through the wide file functions: into the same
        // folder that the ANSI ones take the destination's name for.
        {"cabinet, UTF-8 name into a folder named with 85 40", fixture("cab\\mszip.cab"), kCab,
         "日本語.txt", 1, 0, peerFiles("mszip.cab"), {}, Place::OddName},
        {"LHA folders (-lhd-, attribute 0x20) at level 0", fixture("lha\\l0_dirs.lzh"), kLha,
         "victim.txt", 1, 0, {{"nested.txt", "two folders down\n"}, {"victim.txt", kOld}},
         Listing({{"sub\\deeper\\nested.txt 17"}})},
        {"LHA folders at level 1", fixture("lha\\l1_dirs.lzh"), kLha, "victim.txt", 1, 0,
         {{"nested.txt", "two folders down\n"}, {"victim.txt", kOld}},
         Listing({{"sub\\deeper\\nested.txt 17"}})},
        {"LHA folders at level 2", fixture("lha\\l2_dirs.lzh"), kLha, "victim.txt", 1, 0,
         {{"nested.txt", "two folders down\n"}, {"victim.txt", kOld}},
         Listing({{"sub\\deeper\\nested.txt 17"}})},
        {"cabinet, good", [&] { return cabinet; }, kCab, "hello.txt", 1, 0, smallCab},
        {"cabinet, bad checksum", [&] { return badChecksum; }, kCab, "hello.txt", 0, ERROR_CRC,
         {{"hello.txt", kOld}}},
        // Every format reports a destination that cannot hold files by the
        // same last error; the results keep their meaning (LHA and ZIP: the
        // archive was read; cabinets: the extraction stopped).  Windows lets
        // files be made in a read-only folder.
        {"ZIP, missing folder", fixture("zip\\deflated.zip"), kZip, "", 1, ERROR_PATH_NOT_FOUND,
         {}, {}, Place::Missing},
        {"LHA, missing folder", fixture("lha\\small_lh5.lzh"), kLha, "", 1, ERROR_PATH_NOT_FOUND,
         {}, {}, Place::Missing},
        {"cabinet, missing folder", [&] { return cabinet; }, kCab, "", 0, ERROR_PATH_NOT_FOUND,
         {}, {}, Place::Missing},
        {"ZIP, read-only folder", fixture("zip\\deflated.zip"), kZip, "words.txt", 1, 0,
         peerFiles("deflated.zip"), {}, Place::ReadOnlyFolder},
        {"LHA, read-only folder", fixture("lha\\small_lh5.lzh"), kLha, "hello.txt", 1, 0,
         peerFiles("small_lh5.lzh"), {}, Place::ReadOnlyFolder},
        {"cabinet, read-only folder", [&] { return cabinet; }, kCab, "hello.txt", 1, 0, smallCab,
         {}, Place::ReadOnlyFolder},
    };
    // A member that missed its folder lands in the current one: the test's.
    char previous[MAX_PATH];
    GetCurrentDirectoryA(sizeof previous, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(root_.c_str()));
    int round = 0;
    for (const auto &c : cases) {
        const std::string name = "case" + std::to_string(round++);
        const std::string archive = Path(name + ".bin");
        WriteBytes(archive, c.archive());
        std::string folder =
            c.place == Place::Missing ? Path("missing\\" + name)
            : c.place == Place::OddName ? Folder(name + "\x85\x40")
                                        : Folder(name);
        while (c.place == Place::Deep && folder.size() < 260) {
            folder += "\\" + std::string(std::min<std::size_t>(60, 260 - folder.size()), 'f');
            ASSERT_TRUE(CreateDirectoryW(Long(folder).c_str(), nullptr)) << folder;
        }
        if (c.place != Place::Missing) {
            const std::string victim = folder + "\\" + c.victim;
            const Bytes old(kOld, kOld + sizeof kOld - 1);
            if (c.place == Place::Deep) {
                HANDLE file = CreateFileW(Long(victim).c_str(), GENERIC_WRITE, 0, nullptr,
                                          CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
                DWORD written = 0;
                WriteFile(file, old.data(), static_cast<DWORD>(old.size()), &written, nullptr);
                CloseHandle(file);
            } else {
                WriteBytes(victim, old);
            }
            if (c.place == Place::ReadOnlyVictim)
                SetFileAttributesA(victim.c_str(), FILE_ATTRIBUTE_READONLY);
            if (c.place == Place::ReadOnlyFolder)
                SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_READONLY);
        }
        if (c.listed) {
            Collected collected;
            EXPECT_EQ(1, c.format.enumerate(archive.c_str(), &collected, Collect)) << c.what;
            std::vector<std::string> listed;
            for (const ArchiveEntry &entry : collected.entries)
                listed.push_back(std::string(entry.name) + " " + std::to_string(entry.originalSize));
            EXPECT_EQ(*c.listed, listed) << c.what;
        }
        SetLastError(12345);
        EXPECT_EQ(c.result, c.format.extract(0, archive.c_str(), folder.c_str())) << c.what;
        EXPECT_EQ(c.lastError, GetLastError()) << c.what;
        Files after;
        const std::wstring listed = c.place == Place::Deep ? Long(folder) : Wide(folder);
        for (const std::string &file : FolderContents(listed))
            after[file] = Summary(ReadBytes(listed + L"\\" + Wide(file, CP_UTF8)));
        EXPECT_EQ(c.after, after) << c.what;
    }
    SetCurrentDirectoryA(previous);
    // Nothing landed beside the case folders and their archives.
    EXPECT_FALSE(Exists(Path("missing")));
    EXPECT_EQ(2 * std::size(cases) - 3, FolderContents(root_).size());
}

// A cabinet that cannot be completed is reported, and a file of its name
// stays as it was; so does a file of the spare cabinet's name beside it.
// The cabinet being written is not packed into itself.
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
        std::string mask = {}; // default: source\*.txt
    } cases[] = {
        {"plain", Path("plain.cab"), false, 1, 0},
        {"replacing a cabinet", Path("again.cab"), false, 1, 0},
        {"missing folder", Path("missing\\x.cab"), false, 0, ERROR_PATH_NOT_FOUND},
        {"read-only file there", Path("locked.cab"), true, 0, ERROR_ACCESS_DENIED},
        {"the mask takes every file of the cabinet's folder", source + "\\own.cab", false, 1, 0,
         source + "\\*"},
    };
    WriteBytes(Path("again.cab"), old);
    WriteBytes(Path("~TMP.cab"), old);
    for (const auto &c : cases) {
        if (c.readOnlyOld) {
            WriteBytes(c.cabinet, old);
            SetFileAttributesA(c.cabinet.c_str(), FILE_ATTRIBUTE_READONLY);
        }
        SetLastError(12345);
        EXPECT_EQ(c.result, CabCompressFiles(c.cabinet.c_str(),
                                             c.mask.empty() ? mask.c_str() : c.mask.c_str()))
            << c.what;
        EXPECT_EQ(c.lastError, GetLastError()) << c.what;
        if (c.result == 1) {
            Collected collected;
            EXPECT_EQ(1, CabEnum(c.cabinet.c_str(), &collected, Collect)) << c.what;
            EXPECT_EQ((std::vector<std::string>{"a.txt"}), NamesOf(collected)) << c.what;
        } else if (c.readOnlyOld) {
            EXPECT_EQ(old, ReadBytes(c.cabinet)) << c.what;
        }
    }
    // Nothing else was left in the folder: no temporary file; the user's
    // ~TMP.cab is as it was.
    EXPECT_EQ((std::vector<std::string>{"again.cab", "locked.cab", "plain.cab", "source", "~TMP.cab"}),
              FolderContents(root_));
    EXPECT_EQ(old, ReadBytes(Path("~TMP.cab")));
    EXPECT_EQ((std::vector<std::string>{"a.txt", "own.cab"}), FolderContents(source));
}

} // namespace
