// Damaged and hostile input for every archive export: truncation at every
// byte, random bytes, huge claimed sizes, names of 0 and 300 bytes.  Each
// export must return its documented result and write nothing outside the
// destination folder.
#include "archive_builders.h"
#include "archive_win_fixture.h"

#include <cstring>

namespace {

using namespace archive_test;
using loom::archive::test::BuildLha;
using loom::archive::test::BuildZip;
using loom::archive::test::LhaMember;
using loom::archive::test::ZipMember;

class BadInput : public TempFolderTest {
protected:
    // Runs enumeration and extraction of one format on the bytes; checks
    // that only known base names appear in the destination and nothing
    // beside it.  Returns the enumeration's result.
    using ExtractFn = int(__cdecl *)(DWORD, const char *, const char *);
    int Check(const Bytes &bytes, EnumFn enumerate, ExtractFn extract,
              const std::vector<std::string> &allowed, int extractExpected = -1,
              Collected *out = nullptr)
    {
        const std::string archive = Path("input.bin");
        WriteBytes(archive, bytes);
        const std::string dest = Folder("dest");
        Collected collected;
        const int listed = enumerate(archive.c_str(), out ? out : &collected, Collect);
        const int extracted = extract(0, archive.c_str(), dest.c_str());
        if (extractExpected >= 0) {
            EXPECT_EQ(extractExpected, extracted);
        }
        for (const std::string &name : FolderContents(dest)) {
            EXPECT_NE(allowed.end(), std::find(allowed.begin(), allowed.end(), name)) << name;
        }
        EXPECT_EQ((std::vector<std::string>{"dest", "input.bin"}), FolderContents(root_));
        Clear(dest);
        return listed;
    }
};

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const auto &part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST_F(BadInput, TruncatedAtEveryByte)
{
    const Bytes lha = ReadBytes(Fixture("lha\\small_lh5.lzh"));
    const Bytes cab = ReadBytes(Fixture("cab\\small.cab"));
    ZipMember a;
    a.name = "a/first.txt";
    a.data = Bytes(40, 'a');
    ZipMember b;
    b.name = "second.txt";
    b.data = Bytes(30, 'b');
    const Bytes zip = Concat({BuildZip(a), BuildZip(b)});
    ASSERT_FALSE(lha.empty());
    ASSERT_FALSE(cab.empty());

    for (std::size_t cut = 0; cut < lha.size(); ++cut) {
        const Bytes part(lha.begin(), lha.begin() + cut);
        const int found = Check(part, LhaEnum, LhaExtractAllFiles, {"hello.txt", "spaces.txt"});
        // An archive is found once its first (level-0) header is whole.
        EXPECT_EQ(cut >= lha[0] + 2u ? 1 : 0, found) << "LHA cut at " << cut;
    }
    for (std::size_t cut = 0; cut < zip.size(); ++cut) {
        const Bytes part(zip.begin(), zip.begin() + cut);
        EXPECT_EQ(1, Check(part, ZipEnum, ZipExtractAllFiles, {"first.txt", "second.txt"}, 1))
            << "ZIP cut at " << cut;
    }
    // Listing reads only the cabinet's headers, so a cut in the data still
    // lists; extraction needs every byte.
    int listedFrom = -1;
    for (std::size_t cut = 0; cut < cab.size(); ++cut) {
        const Bytes part(cab.begin(), cab.begin() + cut);
        const int listed = Check(part, CabEnum, CabExtractAllFiles, {"hello.txt", "nested.txt"}, 0);
        if (listed && listedFrom < 0)
            listedFrom = static_cast<int>(cut);
        EXPECT_EQ(listedFrom >= 0 ? 1 : 0, listed) << "cabinet cut at " << cut;
    }
    EXPECT_GT(listedFrom, 36); // not before the header and the folder record
}

TEST_F(BadInput, RandomBytes)
{
    uint32_t state = 7;
    for (int round = 0; round < 20; ++round) {
        Bytes bytes(1000 + round * 997);
        for (auto &byte : bytes) {
            state = state * 1103515245u + 12345u;
            byte = static_cast<unsigned char>(state >> 16);
        }
        // Marks of each format at random places, so that parsers get past
        // their first test.
        std::memcpy(&bytes[100 + round], "-lh5-", 5);
        std::memcpy(&bytes[400 + round], "PK\3\4", 4);
        std::memcpy(&bytes[700 + round], "MSCF\0\0\0\0", 8);
        Check(bytes, LhaEnum, LhaExtractAllFiles, {});
        EXPECT_EQ(1, Check(bytes, ZipEnum, ZipExtractAllFiles, {}, 1));
        Check(bytes, CabEnum, CabExtractAllFiles, {});
        const std::string path = Path("input.bin");
        WriteBytes(path, bytes);
        EXPECT_EQ(0, IsFileCabinet(path.c_str()));
    }
}

TEST_F(BadInput, HeadersClaimingFourGigabytes)
{
    // LHA: a -lh5- member claiming 4 GiB over a few bytes of data, and one
    // whose packed size runs past the end.
    loom::archive::test::BitWriter bits;
    loom::archive::test::PutSingleCodeBlock(bits, 1000, 'A', 0);
    LhaMember huge;
    huge.method = "-lh5-";
    huge.name = "huge.bin";
    huge.data = bits.Finish();
    huge.originalSize = 0xFFFFFFFFu;
    LhaMember past;
    past.name = "past.bin";
    past.data = Bytes(10, 'p');
    past.packedSize = 0xFFFFFFF0u;
    Collected collected;
    EXPECT_EQ(1, Check(Concat({BuildLha(huge), BuildLha(past)}), LhaEnum, LhaExtractAllFiles,
                       {"huge.bin"}, 1, &collected));
    ASSERT_EQ(1u, collected.entries.size());
    EXPECT_EQ(0xFFFFFFFFu, collected.entries[0].originalSize);

    // ZIP: compressed and uncompressed sizes of 4 GiB.
    ZipMember zip;
    zip.name = "huge.bin";
    zip.data = Bytes(10, 'z');
    zip.compressedSize = 0xFFFFFFFFu;
    zip.uncompressedSize = 0xFFFFFFFFu;
    EXPECT_EQ(1, Check(BuildZip(zip), ZipEnum, ZipExtractAllFiles, {}, 1));

    WriteBytes(Path("again.lzh"), Concat({BuildLha(huge), BuildLha(past)}));
    const std::string dest = Folder("huge");
    EXPECT_EQ(1, LhaExtractAllFiles(0, Path("again.lzh").c_str(), dest.c_str()));
    // The data hold 1000 bytes of the 4 GiB: the member is not written.
    EXPECT_EQ(DWORD(ERROR_HANDLE_EOF), GetLastError());
    EXPECT_TRUE(FolderContents(dest).empty());
}

TEST_F(BadInput, NamesOfZeroAnd300Bytes)
{
    LhaMember noName;
    noName.level = 2;
    noName.name = "";
    noName.data = Bytes{'0'};
    LhaMember longName = noName;
    longName.name = std::string(300, 'L');
    Collected collected;
    EXPECT_EQ(1, Check(Concat({BuildLha(noName), BuildLha(longName)}), LhaEnum,
                       LhaExtractAllFiles, {}, 1, &collected));
    ASSERT_EQ(2u, collected.entries.size());
    EXPECT_STREQ("", collected.entries[0].name);
    EXPECT_EQ(std::string(259, 'L'), collected.entries[1].name);

    ZipMember zipNoName;
    zipNoName.name = "";
    ZipMember zipLong;
    zipLong.name = std::string(300, 'Z');
    collected = Collected();
    EXPECT_EQ(1, Check(Concat({BuildZip(zipNoName), BuildZip(zipLong)}), ZipEnum,
                       ZipExtractAllFiles, {}, 1, &collected));
    ASSERT_EQ(2u, collected.entries.size());
    EXPECT_EQ(std::string(259, 'Z'), collected.entries[1].name);
}

TEST_F(BadInput, CabinetPathWithoutAFolderIsInTheCurrentFolder)
{
    WriteBytes(Path("here.cab"), ReadBytes(Fixture("cab\\small.cab")));
    char previous[MAX_PATH];
    GetCurrentDirectoryA(sizeof previous, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(root_.c_str()));
    Collected collected;
    const int listed = CabEnum("here.cab", &collected, Collect);
    SetCurrentDirectoryA(previous);
    EXPECT_EQ(1, listed);
    EXPECT_EQ((std::vector<std::string>{"hello.txt", "sub/deeper/nested.txt"}), NamesOf(collected));
}

} // namespace
