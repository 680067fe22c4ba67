// The ZIP exports on archives that zip made (stored, deflated, streamed to
// a pipe, packed from standard input) and that Python's zipfile streamed to
// a pipe, compared with what unzip unpacked, and on hand-made headers.
#include "archive_builders.h"
#include "archive_win_fixture.h"

namespace {

using namespace archive_test;
using loom::archive::test::BuildZip;
using loom::archive::test::ZipMember;

const char *const kZipArchives[] = {"stored", "deflated", "streamed", "stdin", "pystream"};

class ZipExports : public TempFolderTest {
protected:
    std::string Archive(const std::vector<ZipMember> &members)
    {
        return WriteArchive(Path("made.zip"), members, BuildZip);
    }
};

TEST_F(ZipExports, EnumListsWhatUnzipUnpacked)
{
    for (const char *name : kZipArchives) {
        const std::string archive = std::string(name) + ".zip";
        // Folder members ("sub/") are not reported.
        const Collected collected = ListLikePeer(ZipEnum, "zip", archive);
        for (const ArchiveEntry &entry : collected.entries) {
            EXPECT_EQ(3u, entry.kind);
            // The attribute field holds the flag word: bit 3 exactly when
            // the writer wrote to a pipe.
            const bool piped = std::string(name) == "streamed" || std::string(name) == "pystream";
            EXPECT_EQ(piped, (entry.attributes & 8) != 0) << entry.name;
            EXPECT_EQ(ReadBytes(Fixture("peer\\" + archive + "\\" + entry.name)).size(),
                      entry.originalSize)
                << name << " " << entry.name;
        }
    }
}

TEST_F(ZipExports, ExtractionMatchesUnzipBytesAndTimes)
{
    for (const char *name : kZipArchives) {
        const std::string archive = std::string(name) + ".zip";
        const std::string out = Folder(name);
        ASSERT_EQ(1, ZipExtractAllFiles(0, Fixture("zip\\" + archive).c_str(), out.c_str()));
        ExpectSameAsPeer(out, archive);
    }
    const std::string out = Folder("sfx");
    ASSERT_EQ(1, ZipExtractFiles(0, Fixture("sfx\\zip.exe").c_str(), out.c_str(), nullptr));
    ExpectSameAsPeer(out, "deflated.zip");
}

TEST_F(ZipExports, NameListSelectsWholeStoredNames)
{
    ExpectListExtracts(ZipExtractFiles, Fixture("zip\\streamed.zip"), Path("out"),
                       {"nested.txt", "SUB/Deeper/Nested.TXT", "WORDS.TXT"},
                       {"nested.txt", "words.txt"});
}

TEST_F(ZipExports, HandMadeMembers)
{
    ZipMember traversal;
    traversal.name = "../../outside.txt";
    traversal.data = Bytes{'1'};
    ZipMember drive;
    drive.name = "C:\\Windows\\drive.txt";
    drive.data = Bytes{'2'};
    ZipMember absolute;
    absolute.name = "/etc/absolute.txt";
    absolute.data = Bytes{'3'};
    ZipMember longName;
    longName.name = std::string(300, 'n');
    longName.data = Bytes{'4'};
    ZipMember method1;
    method1.name = "shrunk.bin";
    method1.method = 1;
    method1.data = Bytes(10, 'x');
    ZipMember dots;
    dots.name = "a/..";
    dots.data = Bytes{'5'};
    const std::string archive = Archive({traversal, drive, absolute, longName, method1, dots});

    Collected collected;
    ASSERT_EQ(1, ZipEnum(archive.c_str(), &collected, Collect));
    ASSERT_EQ(6u, collected.entries.size());
    EXPECT_EQ(std::string(259, 'n'), collected.entries[3].name);
    EXPECT_STREQ("shrunk.bin", collected.entries[4].name);
    EXPECT_STREQ("a/..", collected.entries[5].name);

    const std::string out = Folder("dest");
    ASSERT_EQ(1, ZipExtractAllFiles(0, archive.c_str(), out.c_str()));
    // The long name is longer than a path may be: it cannot be created.
    // Method 1 is listed, but not unpacked: no file.
    EXPECT_EQ((std::vector<std::string>{"absolute.txt", "drive.txt", "outside.txt"}),
              FolderContents(out));
    EXPECT_EQ((Bytes{'1'}), ReadBytes(out + "\\outside.txt"));
    EXPECT_EQ((std::vector<std::string>{"dest", "made.zip"}), FolderContents(root_));
}

TEST_F(ZipExports, Results)
{
    const std::string noHeader = Path("noheader.bin");
    WriteBytes(noHeader, Bytes(3000, 'P'));
    Collected collected;
    EXPECT_EQ(0, ZipEnum(Fixture("zip\\stored.zip").c_str(), &collected, nullptr));
    EXPECT_EQ(0, ZipEnum(Path("missing.zip").c_str(), &collected, Collect));
    EXPECT_EQ(0, ZipExtractAllFiles(0, Path("missing.zip").c_str(), root_.c_str()));
    // A file without a local header is an archive with no members.
    EXPECT_EQ(1, ZipEnum(noHeader.c_str(), &collected, Collect));
    EXPECT_TRUE(collected.entries.empty());
    EXPECT_EQ(1, ZipExtractAllFiles(0, Fixture("zip\\stored.zip").c_str(),
                                    Path("no\\such\\folder").c_str()));
    EXPECT_FALSE(Exists(Path("no")));
}

} // namespace
