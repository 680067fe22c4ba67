// The LHA exports as a program of the suite calls them: listing and
// extracting archives that jlha made, compared with what lhasa unpacked, and
// hand-made archives for the rules a real tool never exercises.
#include "archive_builders.h"
#include "archive_win_fixture.h"

namespace {

using namespace archive_test;
using loom::archive::test::BuildLha;
using loom::archive::test::LhaMember;

const char *const kLhaArchives[] = {"l0_lh0", "l0_lh5", "l0_lh6", "l0_lh7", "l1_lh0",
                                    "l1_lh5", "l1_lh6", "l1_lh7", "l2_lh0", "l2_lh5",
                                    "l2_lh6", "l2_lh7", "small_lh4", "small_lh5", "l0_dirs",
                                    "l1_dirs", "l2_dirs"};

class LhaExports : public TempFolderTest {
protected:
    // The members and the end mark.
    std::string Archive(const std::vector<LhaMember> &members)
    {
        return WriteArchive(Path("made.lzh"), members, BuildLha, Bytes{0});
    }
};

TEST_F(LhaExports, EnumListsWhatLhasaUnpacked)
{
    for (const char *name : kLhaArchives) {
        const std::string archive = std::string(name) + ".lzh";
        const Collected collected = ListLikePeer(LhaEnum, "lha", archive);
        for (const ArchiveEntry &entry : collected.entries) {
            EXPECT_EQ(2u, entry.kind);
            EXPECT_STREQ("", entry.text);
            const std::string peerFile =
                Fixture("peer\\" + archive + "\\" + std::string(entry.name));
            EXPECT_EQ(ReadBytes(peerFile).size(), entry.originalSize) << name << " " << entry.name;
        }
    }
}

TEST_F(LhaExports, ExtractionMatchesLhasaBytesAndTimes)
{
    for (const char *name : kLhaArchives) {
        const std::string archive = std::string(name) + ".lzh";
        const std::string out = Folder(name);
        ASSERT_EQ(1, LhaExtractAllFiles(0, Fixture("lha\\" + archive).c_str(), out.c_str()));
        ExpectSameAsPeer(out, archive);
    }
}

TEST_F(LhaExports, ReadOnlyMembersGetTheirTimesAndThenTheAttribute)
{
    const std::string out = Folder("out");
    ASSERT_EQ(1, LhaExtractFiles(0, Fixture("lha\\l0_readonly.lzh").c_str(), out.c_str(), nullptr));
    ExpectSameAsPeer(out, "l0_readonly.lzh");
    for (const std::string &name : FolderContents(out))
        EXPECT_TRUE(GetFileAttributesA((out + "\\" + name).c_str()) & FILE_ATTRIBUTE_READONLY)
            << name;
}

TEST_F(LhaExports, NameListSelectsWholeStoredNamesInAnyCase)
{
    const std::string archive = Fixture("lha\\l2_lh5.lzh");
    struct Case {
        std::vector<const char *> items;
        std::vector<std::string> written;
    } cases[] = {
        {{"NESTED.TXT"}, {}},
        {{"SUB\\DEEPER\\NESTED.TXT"}, {"nested.txt"}},
        {{"Hello.Txt", "words.txt", "missing"}, {"hello.txt", "words.txt"}},
        {{}, {}},
    };
    int round = 0;
    for (const auto &c : cases)
        ExpectListExtracts(LhaExtractFiles, archive, Path("out" + std::to_string(round++)), c.items, c.written);
}

TEST_F(LhaExports, SelfExtractingProgramListsLikeItsArchive)
{
    Collected plain, sfx;
    ASSERT_EQ(1, LhaEnum(Fixture("lha\\l2_lh5.lzh").c_str(), &plain, Collect));
    ASSERT_EQ(1, LhaEnum(Fixture("sfx\\lha.exe").c_str(), &sfx, Collect));
    EXPECT_EQ(NamesOf(plain), NamesOf(sfx));
    const std::string out = Folder("out");
    ASSERT_EQ(1, LhaExtractAllFiles(0, Fixture("sfx\\lha.exe").c_str(), out.c_str()));
    ExpectSameAsPeer(out, "l2_lh5.lzh");
}

TEST_F(LhaExports, StoredNamesNeverPlaceFilesOutsideTheDestination)
{
    std::vector<LhaMember> members;
    const char *const names[] = {"..\\..\\evil1.txt", "C:\\evil2.txt", "\\evil3.txt",
                                 "sub/../../evil4.txt", "..", "folder\\", "", "CON"};
    for (int level = 0; level <= 2; level += 2) {
        for (const char *name : names) {
            LhaMember m;
            m.level = level;
            m.name = name;
            m.data = Bytes{'x'};
            members.push_back(m);
        }
    }
    const std::string archive = Archive(members);
    const std::string out = Folder("dest");
    ASSERT_EQ(1, LhaExtractAllFiles(0, archive.c_str(), out.c_str()));
    EXPECT_EQ((std::vector<std::string>{"evil1.txt", "evil2.txt", "evil3.txt", "evil4.txt"}),
              FolderContents(out));
    // Next to the destination there is only the archive.
    EXPECT_EQ((std::vector<std::string>{"dest", "made.lzh"}), FolderContents(root_));
}

TEST_F(LhaExports, Level2StampIsTheSameInstant)
{
    LhaMember m;
    m.level = 2;
    m.name = "utc.txt";
    m.data = Bytes{'u'};
    m.stamp = 1614834367u; // 2021-03-04 05:06:07 UTC
    const std::string out = Folder("out");
    ASSERT_EQ(1, LhaExtractAllFiles(0, Archive({m}).c_str(), out.c_str()));
    // Seconds from 1601 to 1970, plus the stamp, less the odd second that
    // DOS times cannot hold.
    const long long expected = 11644473600ll + 1614834366ll;
    EXPECT_EQ(expected, TimesOf(out + "\\utc.txt").written);
    EXPECT_EQ(expected, TimesOf(out + "\\utc.txt").created);
}

TEST_F(LhaExports, EmptyMembersGiveEmptyFilesUnsupportedOnesNone)
{
    LhaMember empty;
    empty.method = "-lh5-";
    empty.name = "empty.bin";
    LhaMember unsupported;
    unsupported.method = "-lh1-";
    unsupported.name = "lh1.bin";
    unsupported.data = Bytes(40, 0x55);
    unsupported.originalSize = 100;
    unsupported.attributes = 0x21;
    const std::string out = Folder("out");
    ASSERT_EQ(1, LhaExtractAllFiles(0, Archive({empty, unsupported}).c_str(), out.c_str()));
    EXPECT_EQ(DWORD(ERROR_NOT_SUPPORTED), GetLastError());
    EXPECT_EQ((std::vector<std::string>{"empty.bin"}), FolderContents(out));
    EXPECT_TRUE(ReadBytes(out + "\\empty.bin").empty());
    EXPECT_NE(0, TimesOf(out + "\\empty.bin").written);
}

TEST_F(LhaExports, FolderMembersAreNotListedNorWritten)
{
    LhaMember folder;
    folder.level = 2;
    folder.method = "-lhd-";
    folder.name = "";
    folder.directory = "sub\xFF";
    folder.attributes = 0x10;
    LhaMember file;
    file.level = 2;
    file.name = "f.txt";
    file.directory = "sub\xFF";
    file.data = Bytes{'f'};
    const std::string archive = Archive({folder, file});
    Collected collected;
    ASSERT_EQ(1, LhaEnum(archive.c_str(), &collected, Collect));
    EXPECT_EQ((std::vector<std::string>{"sub/f.txt"}), NamesOf(collected));
    const std::string out = Folder("out");
    ASSERT_EQ(1, LhaExtractAllFiles(0, archive.c_str(), out.c_str()));
    EXPECT_EQ((std::vector<std::string>{"f.txt"}), FolderContents(out));
}

TEST_F(LhaExports, Results)
{
    const std::string good = Fixture("lha\\small_lh5.lzh");
    const std::string none = Path("none.bin");
    WriteBytes(none, Bytes(5000, 'z'));
    const std::string empty = Path("empty.bin");
    WriteBytes(empty, Bytes());
    Collected collected;
    struct Case {
        const char *what;
        int result;
    } cases[] = {
        {"no callback", LhaEnum(good.c_str(), &collected, nullptr)},
        {"missing file", LhaEnum(Path("missing.lzh").c_str(), &collected, Collect)},
        {"empty file", LhaEnum(empty.c_str(), &collected, Collect)},
        {"no header", LhaEnum(none.c_str(), &collected, Collect)},
        {"null path", LhaEnum(nullptr, &collected, Collect)},
        {"extract, no header", LhaExtractAllFiles(0, none.c_str(), root_.c_str())},
        {"extract, missing file", LhaExtractAllFiles(0, Path("missing").c_str(), root_.c_str())},
    };
    for (const auto &c : cases)
        EXPECT_EQ(0, c.result) << c.what;
    EXPECT_TRUE(collected.entries.empty());
    // An archive found but a destination that does not exist: members are
    // skipped, the archive was still found.
    EXPECT_EQ(1, LhaExtractAllFiles(0, good.c_str(), Path("no\\such\\folder").c_str()));
    EXPECT_FALSE(Exists(Path("no")));
}

} // namespace
