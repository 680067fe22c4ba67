// The cabinet exports over the system's cabinet.dll: cabinets that gcab
// made, compared with what cabextract unpacked; cabinets that
// CabCompressFiles makes, read back here and checked by cabextract in a
// later test; embedded cabinets cut out of a program.
#include "archive_win_fixture.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

using namespace archive_test;

const char *const kCabinets[] = {"mszip", "stored"};
// 日本語.txt in UTF-8, as gcab stores it (attribute 0x80).
const char kUtf8Name[] = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.txt";

class CabExports : public TempFolderTest {};

TEST_F(CabExports, EnumListsWhatCabextractUnpacked)
{
    for (const char *name : kCabinets) {
        const Collected collected = ListLikePeer(CabEnum, "cab", std::string(name) + ".cab");
        for (const ArchiveEntry &entry : collected.entries) {
            EXPECT_EQ(1u, entry.kind);
            EXPECT_EQ(0u, entry.packedSize);
            const bool utf8 = std::strcmp(entry.name, kUtf8Name) == 0;
            EXPECT_EQ(utf8 ? 0xA0u : 0x20u, entry.attributes) << entry.name;
        }
    }
}

TEST_F(CabExports, ExtractionMatchesCabextractWithRealUtf8Names)
{
    const bool unicodeNames = CanHoldUnicodeNames(root_);
    if (!unicodeNames)
        std::printf("note: no UTF-8 Unix locale under this Wine: 日本語.txt cannot be created, "
                    "so extraction must report failure after the other members\n");
    for (const char *name : kCabinets) {
        const std::string archive = std::string(name) + ".cab";
        const std::string out = Folder(name);
        const int result = CabExtractAllFiles(0, Fixture("cab\\" + archive).c_str(), out.c_str());
        EXPECT_EQ(unicodeNames ? 1 : 0, result) << name;
        // The comparison reaches 日本語.txt through its Unicode name.
        ExpectSameAsPeer(out, archive, !unicodeNames);
        if (unicodeNames) {
            const std::wstring real = Wide(out) + L"\\\x65E5\x672C\x8A9E.txt";
            EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(real.c_str()));
        }
    }
}

TEST_F(CabExports, NameListAndMembersSharingABaseName)
{
    const std::string cabinet = Fixture("cab\\mszip.cab");
    struct Case {
        std::vector<const char *> items;
        std::vector<std::string> written;
    } cases[] = {
        {{"nested.txt"}, {}},
        {{"SUB\\DEEPER\\NESTED.TXT", "HELLO.txt"}, {"hello.txt", "nested.txt"}},
    };
    int round = 0;
    for (const auto &c : cases)
        ExpectListExtracts(CabExtractFiles, cabinet, Path("out" + std::to_string(round++)), c.items, c.written);
    // a\x.txt, then b\x.txt: the later one remains.
    const std::string out = Folder("dupes");
    ASSERT_EQ(1, CabExtractAllFiles(0, Fixture("cab\\dupes.cab").c_str(), out.c_str()));
    EXPECT_EQ((std::vector<std::string>{"x.txt"}), FolderContents(out));
    EXPECT_EQ((Bytes{'s', 'e', 'c', 'o', 'n', 'd', '\n'}), ReadBytes(out + "\\x.txt"));
}

TEST_F(CabExports, CompressedCabinetReadsBackWithTimesAndAttributes)
{
    const std::string source = Folder("source");
    WriteBytes(source + "\\plain.txt", Bytes(5000, 'p'));
    WriteBytes(source + "\\locked.txt", Bytes{'l', 'o', 'c', 'k'});
    SetFileAttributesA((source + "\\locked.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    Folder("source\\subfolder");
    WriteBytes(source + "\\subfolder\\not-added.txt", Bytes{'n'});

    const std::string cabinet = Path("made.cab");
    ASSERT_EQ(1, CabCompressFiles(cabinet.c_str(), (source + "\\*.*").c_str()));
    EXPECT_EQ(1, IsFileCabinet(cabinet.c_str()));
    EXPECT_FALSE(Exists(Path("~TMP.cab")));

    Collected collected;
    ASSERT_EQ(1, CabEnum(cabinet.c_str(), &collected, Collect));
    EXPECT_EQ((std::vector<std::string>{"locked.txt", "plain.txt"}), NamesOf(collected));
    for (const auto &entry : collected.entries)
        EXPECT_EQ(std::strcmp(entry.name, "locked.txt") == 0 ? 0x21u : 0x20u,
                  entry.attributes & 0x27u)
            << entry.name;

    const std::string out = Folder("out");
    ASSERT_EQ(1, CabExtractAllFiles(0, cabinet.c_str(), out.c_str()));
    EXPECT_EQ((std::vector<std::string>{"locked.txt", "plain.txt"}), FolderContents(out));
    for (const char *name : {"plain.txt", "locked.txt"}) {
        const std::string mine = out + "\\" + name, original = source + "\\" + name;
        EXPECT_TRUE(ReadBytes(mine) == ReadBytes(original)) << name;
        // DOS times keep even seconds.
        EXPECT_LE(TimesOf(original).written - TimesOf(mine).written, 1) << name;
        EXPECT_GE(TimesOf(original).written, TimesOf(mine).written) << name;
        EXPECT_EQ(TimesOf(mine).written, TimesOf(mine).created) << name;
    }
    EXPECT_TRUE(GetFileAttributesA((out + "\\locked.txt").c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(GetFileAttributesA((out + "\\plain.txt").c_str()) & FILE_ATTRIBUTE_READONLY);

    // For cabextract: the cabinet and its sources where a later test on the
    // Linux side finds them.
    const char *handOff = std::getenv("LOOM_ARCHIVE_OUTPUT");
    if (handOff) {
        const std::string to = handOff;
        CreateDirectoryA(to.c_str(), nullptr);
        EXPECT_TRUE(CopyFileA(cabinet.c_str(), (to + "\\made.cab").c_str(), FALSE));
        for (const char *name : {"plain.txt", "locked.txt"}) {
            WriteBytes(to + "\\" + name, ReadBytes(source + "\\" + name));
        }
    }
}

TEST_F(CabExports, CompressionWithOnlyFoldersMatchingStillSucceeds)
{
    Folder("only");
    Folder("only\\folder");
    EXPECT_EQ(1, CabCompressFiles(Path("empty.cab").c_str(), Path("only\\*").c_str()));
}

TEST_F(CabExports, EmbeddedCabinetsAreCutOut)
{
    char out[MAX_PATH];
    const std::string dest = Path("new\\deeper");
    ASSERT_EQ(1, ExtractCabFromFile(Fixture("sfx\\cab.exe").c_str(), dest.c_str(), out));
    EXPECT_EQ(0, std::strncmp(out, (dest + "\\cab").c_str(), dest.size() + 4)) << out;
    EXPECT_TRUE(ReadBytes(out) == ReadBytes(Fixture("cab\\mszip.cab")));
    EXPECT_EQ(1, IsFileCabinet(out));

    // A plain cabinet is found at offset 0 and copied whole.
    ASSERT_EQ(1, ExtractCabFromFile(Fixture("cab\\stored.cab").c_str(), dest.c_str(), out));
    EXPECT_TRUE(ReadBytes(out) == ReadBytes(Fixture("cab\\stored.cab")));

    // No cabinet: 0 with the buffer emptied; no file: buffer untouched.
    std::strcpy(out, "untouched");
    EXPECT_EQ(0, ExtractCabFromFile(Fixture("lha\\l0_lh5.lzh").c_str(), dest.c_str(), out));
    EXPECT_STREQ("", out);
    std::strcpy(out, "untouched");
    EXPECT_EQ(0, ExtractCabFromFile(Path("missing.exe").c_str(), dest.c_str(), out));
    EXPECT_STREQ("untouched", out);
    // A relative destination cannot be created.
    EXPECT_EQ(0, ExtractCabFromFile(Fixture("sfx\\cab.exe").c_str(), "relative\\dir", out));
    EXPECT_STREQ("", out);

    // A declared size past the end of the file fails the call.
    Bytes cut = ReadBytes(Fixture("cab\\small.cab"));
    cut.resize(cut.size() - 1);
    WriteBytes(Path("cut.cab"), cut);
    EXPECT_EQ(0, ExtractCabFromFile(Path("cut.cab").c_str(), dest.c_str(), out));

    // A destination of 247 characters leaves no room for the new file's
    // name: refused before anything is made.
    const std::string deep = Path(std::string(246 - root_.size(), 'e'));
    ASSERT_EQ(247u, deep.size());
    SetLastError(0);
    EXPECT_EQ(0, ExtractCabFromFile(Fixture("sfx\\cab.exe").c_str(), deep.c_str(), out));
    EXPECT_EQ(DWORD(ERROR_FILENAME_EXCED_RANGE), GetLastError());
    EXPECT_STREQ("", out);
    EXPECT_FALSE(Exists(deep));
}

// On a volume that fills (every file this process writes is limited to
// LOOM_FILE_LIMIT_KIB kibibytes, as with-file-limit.sh runs it), a cabinet
// that does not fit is reported and no part of it stays.
TEST_F(CabExports, AFullVolumeLeavesNoPartOfTheCabinet)
{
    const char *limit = std::getenv("LOOM_FILE_LIMIT_KIB");
    if (!limit)
        GTEST_SKIP() << "run by the test archive.full-volume, which limits the file size";
    const std::string program = Fixture("sfx\\cab.exe");
    ASSERT_GT(ReadBytes(Fixture("cab\\mszip.cab")).size(), std::strtoul(limit, nullptr, 10) * 1024u);
    char out[MAX_PATH] = "untouched";
    const std::string dest = Folder("full");
    SetLastError(0);
    EXPECT_EQ(0, ExtractCabFromFile(program.c_str(), dest.c_str(), out));
    EXPECT_EQ(DWORD(ERROR_DISK_FULL), GetLastError());
    EXPECT_STREQ("", out);
    EXPECT_EQ(std::vector<std::string>{}, FolderContents(dest));
}

TEST_F(CabExports, Results)
{
    Collected collected;
    const std::string cabinet = Fixture("cab\\mszip.cab");
    struct Case {
        const char *what;
        int result, expected;
    } cases[] = {
        {"cabinet", IsFileCabinet(cabinet.c_str()), 1},
        {"LHA archive", IsFileCabinet(Fixture("lha\\l0_lh5.lzh").c_str()), 0},
        {"program with a cabinet appended", IsFileCabinet(Fixture("sfx\\cab.exe").c_str()), 0},
        {"missing file", IsFileCabinet(Path("missing.cab").c_str()), 0},
        {"enum without callback", CabEnum(cabinet.c_str(), &collected, nullptr), 0},
        {"enum of a missing cabinet", CabEnum(Path("missing.cab").c_str(), &collected, Collect), 0},
        {"enum of an LHA archive",
         CabEnum(Fixture("lha\\l0_lh5.lzh").c_str(), &collected, Collect), 0},
        {"extract into a missing folder",
         CabExtractAllFiles(0, cabinet.c_str(), Path("no\\such").c_str()), 0},
        {"extract a missing cabinet",
         CabExtractAllFiles(0, Path("missing.cab").c_str(), root_.c_str()), 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.expected, c.result) << c.what;
    EXPECT_TRUE(collected.entries.empty());
    EXPECT_FALSE(Exists(Path("no")));
}

} // namespace
