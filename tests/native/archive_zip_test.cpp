// The ZIP local-header walk and the cabinet signature search on hand-made
// bytes.
#include "archive/cab_search.h"
#include "archive/zip_archive.h"

#include "archive_builders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using namespace loom::archive;
using namespace loom::archive::test;

Bytes Text(const std::string &text)
{
    return Bytes(text.begin(), text.end());
}

std::vector<Recorder::Member> Walk(const Bytes &file, bool unpack = true)
{
    MemorySource source(file);
    Recorder recorder(unpack);
    WalkZip(source, recorder);
    return recorder.members;
}

Bytes Sample()
{
    Bytes plain;
    for (int i = 0; i < 3000; ++i)
        Append(plain, "line " + std::to_string(i % 97) + "\n");
    return plain;
}

TEST(ZipWalk, StoredAndDeflatedMembersWithTheirFields)
{
    const Bytes plain = Sample();
    ZipMember stored;
    stored.name = "dir/stored.txt";
    stored.data = Text("stored bytes");
    stored.flags = 0x0800;
    ZipMember deflated = Deflated("deflated.txt", plain);
    deflated.flags = 0x0002;
    deflated.time = 0x1234;
    deflated.date = 0x5678;
    Bytes file = BuildZip(stored);
    Append(file, BuildZip(deflated));
    Append(file, Text("PK\1\2 central directory is never read"));

    const auto members = Walk(file);
    ASSERT_EQ(2u, members.size());
    const ArchiveEntry &a = members[0].entry;
    EXPECT_STREQ("dir/stored.txt", a.name);
    EXPECT_STREQ("", a.text);
    EXPECT_EQ(12u, a.packedSize);
    EXPECT_EQ(12u, a.originalSize);
    EXPECT_EQ(0x0800u, a.attributes);
    EXPECT_EQ(uint32_t{ARCHIVE_KIND_ZIP}, a.kind);
    EXPECT_EQ(0u, a.method);
    EXPECT_EQ(0u, a.check);
    EXPECT_EQ(Text("stored bytes"), members[0].bytes);
    const ArchiveEntry &b = members[1].entry;
    EXPECT_EQ(deflated.data.size(), b.packedSize);
    EXPECT_EQ(plain.size(), b.originalSize);
    EXPECT_EQ(0x1234u, b.time);
    EXPECT_EQ(0x5678u, b.date);
    EXPECT_EQ(2u, b.attributes);
    EXPECT_TRUE(members[1].outcome.complete());
    EXPECT_EQ(plain, members[1].bytes);
}

TEST(ZipWalk, SizesAfterTheDataInflateToTheStreamsEnd)
{
    const Bytes plain = Sample();
    ZipMember streamed;
    streamed.name = "streamed.txt";
    streamed.method = 8;
    streamed.flags = 0x0008;
    streamed.data = Deflate(plain);
    streamed.compressedSize = 0;
    streamed.uncompressedSize = 0;
    const std::size_t packed = streamed.data.size();
    // The data descriptor that follows.
    Append(streamed.data, Text("PK\7\x08"));
    PutLe32(streamed.data, Crc32(plain));
    PutLe32(streamed.data, static_cast<uint32_t>(packed));
    PutLe32(streamed.data, static_cast<uint32_t>(plain.size()));
    ZipMember next;
    next.name = "next.txt";
    next.data = Text("after the stream");
    Bytes file = BuildZip(streamed);
    Append(file, BuildZip(next));

    for (bool unpack : {true, false}) {
        const auto members = Walk(file, unpack);
        ASSERT_EQ(2u, members.size());
        // The entry tells the sizes that the stream showed.
        EXPECT_EQ(packed, members[0].entry.packedSize);
        EXPECT_EQ(plain.size(), members[0].entry.originalSize);
        EXPECT_EQ(8u, members[0].entry.attributes);
        EXPECT_STREQ("next.txt", members[1].entry.name);
        if (unpack) {
            EXPECT_EQ(plain, members[0].bytes);
            EXPECT_TRUE(members[0].outcome.complete());
            EXPECT_EQ(Text("after the stream"), members[1].bytes);
        }
    }
}

// A writer that streams to a pipe leaves CRC and sizes to the data
// descriptor: they come from the central directory, else from the
// descriptor.  The stored member is itself a ZIP archive, whose member must
// never be taken for one of the outer archive.
TEST(ZipWalk, SizesAfterTheDataComeFromTheDirectoryOrTheDescriptor)
{
    ZipMember inner;
    inner.name = "inner.txt";
    inner.data = Text("inside the inner archive");
    ZipMember stored;
    stored.name = "inner.zip";
    stored.data = BuildZip(inner);
    const Bytes plain = Sample();
    const ZipMember deflated = Deflated("deflated.txt", plain);
    const Bytes program = Text("MZ a program the archive was appended to PK");
    struct Case {
        const char *what;
        StreamedZip how;
        std::vector<std::string> names; // listed
        std::vector<bool> complete;     // of the unpacked ones
    } cases[] = {
        {"with a directory", {}, {"inner.zip", "deflated.txt"}, {true, true}},
        {"appended to a program", {program, true, false}, {"inner.zip", "deflated.txt"},
         {true, true}},
        {"no directory", {{}, false}, {"inner.zip", "deflated.txt"}, {true, true}},
        // The stored member's end cannot be known: it is listed, the walk
        // ends there.
        {"no directory, no descriptors", {{}, false, true, false}, {"inner.zip"}, {}},
    };
    for (const auto &c : cases) {
        const auto members = Walk(BuildStreamedZip({stored, deflated}, c.how));
        std::vector<std::string> names;
        std::vector<bool> complete;
        for (const auto &member : members) {
            names.push_back(member.entry.name);
            if (member.unpacked)
                complete.push_back(member.outcome.complete());
        }
        EXPECT_EQ(c.names, names) << c.what;
        EXPECT_EQ(c.complete, complete) << c.what;
        if (!c.complete.empty()) {
            EXPECT_EQ(stored.data.size(), members[0].entry.originalSize) << c.what;
            EXPECT_EQ(stored.data, members[0].bytes) << c.what;
            EXPECT_EQ(plain, members[1].bytes) << c.what;
            EXPECT_EQ(plain.size(), members[1].entry.originalSize) << c.what;
        }
    }
}

TEST(ZipWalk, Zip64SizesInTheExtraField)
{
    ZipMember m;
    m.data = Text("zip64 sized");
    m.compressedSize = 0xFFFFFFFFu;
    m.uncompressedSize = 0xFFFFFFFFu;
    PutLe16(m.extra, 0x5455); // another field first
    PutLe16(m.extra, 1);
    m.extra.push_back(0);
    PutLe16(m.extra, 0x0001);
    PutLe16(m.extra, 16);
    PutLe32(m.extra, 11); // uncompressed, then compressed, 64 bits each
    PutLe32(m.extra, 0);
    PutLe32(m.extra, 11);
    PutLe32(m.extra, 0);
    const auto members = Walk(BuildZip(m));
    ASSERT_EQ(1u, members.size());
    EXPECT_EQ(11u, members[0].entry.packedSize);
    EXPECT_EQ(11u, members[0].entry.originalSize);
    EXPECT_EQ(Text("zip64 sized"), members[0].bytes);
}

ZipMember Named(const std::string &name, uint16_t method = 0)
{
    ZipMember m;
    m.name = name;
    m.method = method;
    return m;
}

TEST(ZipWalk, WhichHeadersAreMembers)
{
    struct Case {
        const char *what;
        ZipMember member;
        std::size_t members; // of this one and a good one after it
    } cases[] = {
        {"method 1", Named("m1", 1), 2},
        {"method 6", Named("m6", 6), 2},
        {"method 7", Named("m7", 7), 1},
        // Methods the format defines: listed, their data passed over.
        {"method 9 (Deflate64)", Named("m9", 9), 2},
        {"method 12 (bzip2)", Named("m12", 12), 2},
        {"method 14 (LZMA)", Named("m14", 14), 2},
        {"method 99 (AES)", Named("m99", 99), 2},
        {"method 11", Named("m11", 11), 1},
        {"method 100", Named("m100", 100), 1},
        {"NUL in the name", Named(std::string("a\0b", 3)), 1},
        {"empty name", Named(""), 2},
    };
    ZipMember good;
    good.name = "good";
    good.data = Text("good data");
    for (auto &c : cases) {
        c.member.data = Text("0123456789");
        Bytes file = BuildZip(c.member);
        Append(file, BuildZip(good));
        const auto members = Walk(file);
        ASSERT_EQ(c.members, members.size()) << c.what;
        EXPECT_STREQ("good", members.back().entry.name) << c.what;
        EXPECT_EQ(Text("good data"), members.back().bytes) << c.what;
        if (c.members == 2) {
            // Listed; a method without a decoder is not unpacked.
            EXPECT_EQ(c.member.method == 0, members[0].decodable) << c.what;
            EXPECT_EQ(c.member.method == 0 ? 10u : 0u, members[0].bytes.size()) << c.what;
        }
    }
}

TEST(ZipWalk, SignatureAfterAPAndInsideJunk)
{
    ZipMember m;
    m.name = "after-p";
    m.data = Text("x");
    Bytes file = Text("MZ program PK\3 PK\3\3 PP");
    Append(file, BuildZip(m));
    const auto members = Walk(file);
    ASSERT_EQ(1u, members.size());
    EXPECT_STREQ("after-p", members[0].entry.name);

    EXPECT_TRUE(Walk(Text("no archive here, not even PK\3")).empty());
    EXPECT_TRUE(Walk(Bytes()).empty());
}

// A name is listed with at most 259 bytes; a longer one is never
// unpacked, since its first 259 bytes may name another file.
TEST(ZipWalk, LongNamesAreListedCutAndNeverUnpacked)
{
    struct Case {
        std::string name;
        bool unpacked;
    } cases[] = {
        {std::string(259, 'n'), true},
        {std::string(260, 'n'), false},
        {std::string(250, 'x') + "/evil.exe/real.txt", false},
        {std::string(300, 'd') + "/", false},
    };
    for (const Case &c : cases) {
        ZipMember m;
        m.name = c.name;
        m.data = Text("data");
        const auto members = Walk(BuildZip(m));
        ASSERT_EQ(1u, members.size()) << c.name;
        EXPECT_EQ(c.name.substr(0, 259), members[0].entry.name);
        EXPECT_EQ(c.unpacked, members[0].decodable) << c.name;
        EXPECT_EQ(c.unpacked ? Text("data") : Bytes(), members[0].bytes) << c.name;
    }
}

TEST(ZipWalk, SizesPastTheEndOfTheFile)
{
    ZipMember first;
    first.name = "first";
    first.data = Text("kept");
    // A compressed size of 4 GiB with no ZIP64 field.
    ZipMember huge;
    huge.name = "huge";
    huge.data = Text("short");
    huge.compressedSize = 0xFFFFFFFFu;
    huge.uncompressedSize = 0xFFFFFFFFu;
    ZipMember later;
    later.name = "later";
    Bytes file = BuildZip(first);
    Append(file, BuildZip(huge));
    Append(file, BuildZip(later));
    auto members = Walk(file);
    ASSERT_EQ(1u, members.size());
    EXPECT_STREQ("first", members[0].entry.name);

    // A name or extra field longer than the file: not a header at all.
    ZipMember longName;
    longName.name = "x";
    Bytes bad = BuildZip(longName);
    bad[26] = 0xFF; // name length 0xFF01
    EXPECT_TRUE(Walk(bad).empty());
    bad = BuildZip(longName);
    bad[28] = 0x40; // extra length 0x40
    EXPECT_TRUE(Walk(bad).empty());
}

TEST(ZipWalk, DamagedDeflateDataEndsOnlyThatMember)
{
    // A stored deflate block of 5 bytes, then a block of the reserved type.
    ZipMember damaged;
    damaged.name = "damaged";
    damaged.method = 8;
    damaged.data = {0x00, 5, 0, 0xFA, 0xFF, 'a', 'b', 'c', 'd', 'e', 0x07, 0, 0, 0};
    ZipMember next;
    next.name = "next";
    next.data = Text("fine");
    Bytes file = BuildZip(damaged);
    Append(file, BuildZip(next));
    const auto members = Walk(file);
    ASSERT_EQ(2u, members.size());
    EXPECT_FALSE(members[0].outcome.complete());
    EXPECT_EQ(Text("abcde"), members[0].bytes);
    EXPECT_EQ(Text("fine"), members[1].bytes);
}

TEST(ZipWalk, TruncatedAtEveryByteGivesOnlyWholeMembers)
{
    const Bytes plain = Sample();
    const ZipMember a = Deflated("a", plain);
    ZipMember b;
    b.name = "b";
    b.data = Text("second member");
    ZipMember c;
    c.name = "c";
    c.method = 8;
    c.flags = 8;
    c.data = Deflate(Text("streamed third"));
    c.compressedSize = c.uncompressedSize = 0;
    Bytes file = BuildZip(a);
    Append(file, BuildZip(b));
    Append(file, BuildZip(c));
    for (std::size_t cut = 0; cut <= file.size(); cut += (cut < 100 || cut > file.size() - 200) ? 1 : 7) {
        const auto members = Walk(Bytes(file.begin(), file.begin() + cut));
        ASSERT_LE(members.size(), 3u);
        if (members.size() >= 1)
            EXPECT_EQ(plain, members[0].bytes) << "cut at " << cut;
        if (members.size() >= 2)
            EXPECT_EQ(Text("second member"), members[1].bytes) << "cut at " << cut;
        if (cut == file.size()) {
            ASSERT_EQ(3u, members.size());
            EXPECT_EQ(Text("streamed third"), members[2].bytes);
        }
    }
}

TEST(CabSearch, SignatureRules)
{
    const auto cab = [](uint32_t size, uint32_t reserved = 0) {
        Bytes b = Text("MSCF");
        PutLe32(b, reserved);
        PutLe32(b, size);
        return b;
    };
    struct Case {
        const char *what;
        Bytes file;
        CabSearchResult result;
        uint64_t offset;
        uint32_t size;
    } cases[] = {
        {"plain cabinet", cab(20), CabSearchResult::Found, 0, 20},
        {"too short", Bytes{'M', 'S', 'C', 'F', 0, 0, 0, 0, 11, 0, 0}, CabSearchResult::NotFound,
         0, 0},
        {"no signature", Bytes(100, 'F'), CabSearchResult::NotFound, 0, 0},
        {"size past the end", cab(21), CabSearchResult::SizePastEnd, 0, 0},
    };
    for (auto &c : cases) {
        if (c.result == CabSearchResult::Found || c.result == CabSearchResult::SizePastEnd)
            c.file.resize(20, 0);
        MemorySource source(c.file);
        SourceReader reader(source);
        uint64_t offset = 0;
        uint32_t size = 0;
        EXPECT_EQ(c.result, FindCabinet(reader, offset, size)) << c.what;
        if (c.result == CabSearchResult::Found) {
            EXPECT_EQ(c.offset, offset) << c.what;
            EXPECT_EQ(c.size, size) << c.what;
        }
    }

    // A signature followed by a non-zero value is passed over; the next one
    // counts, 8 bytes on.
    Bytes file{'M', 'S', 'C', 'F', 1, 0, 0, 0};
    Append(file, cab(40));
    file.resize(48, 0);
    MemorySource source(file);
    SourceReader reader(source);
    uint64_t offset = 0;
    uint32_t size = 0;
    EXPECT_EQ(CabSearchResult::Found, FindCabinet(reader, offset, size));
    EXPECT_EQ(8u, offset);
    EXPECT_EQ(40u, size);

    // The first signature decides, even when a good one follows.
    file = cab(1000);
    Append(file, cab(12));
    file.resize(64, 0);
    MemorySource first(file);
    SourceReader firstReader(first);
    EXPECT_EQ(CabSearchResult::SizePastEnd, FindCabinet(firstReader, offset, size));

    // The search tests a candidate only while 12 bytes follow its "F": a
    // cabinet is seen from 15 bytes on.
    file = Bytes(5, 'x');
    Append(file, cab(12));
    file.resize(5 + 15, 0);
    MemorySource late(file);
    SourceReader lateReader(late);
    EXPECT_EQ(CabSearchResult::Found, FindCabinet(lateReader, offset, size));
    EXPECT_EQ(5u, offset);
    file.resize(5 + 14);
    MemorySource tooLate(file);
    SourceReader tooLateReader(tooLate);
    EXPECT_EQ(CabSearchResult::NotFound, FindCabinet(tooLateReader, offset, size));
}

} // namespace
