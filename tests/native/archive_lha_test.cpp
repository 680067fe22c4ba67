// LHA headers, the archive search, the walk and the decoder on hand-made
// bytes: every field of each header level, the rules that refuse a header,
// and packed data with each kind of impossible value.
#include "archive/lha_archive.h"
#include "archive/lha_decoder.h"

#include "archive_builders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include <string>
#include <vector>

namespace {

using namespace loom;
using namespace loom::archive;
using namespace loom::archive::test;

// Counts what is read from it: the searches must stay linear in the size.
class CountingSource : public MemorySource {
public:
    using MemorySource::MemorySource;
    std::size_t ReadAt(uint64_t offset, void *buffer, std::size_t count) override
    {
        const std::size_t n = MemorySource::ReadAt(offset, buffer, count);
        read += n;
        return n;
    }
    uint64_t read = 0;
};

bool ReadHeader(const Bytes &bytes, LhaHeader &header, uint64_t offset = 0,
                LeadByteFn isLead = NoLeadBytes)
{
    MemorySource source(bytes);
    SourceReader reader(source);
    LhaOptions options;
    options.isLead = isLead;
    return ReadLhaHeader(reader, offset, options, header);
}

Bytes Text(const std::string &text)
{
    return Bytes(text.begin(), text.end());
}

// 2021-03-04 05:06:07 as DOS date and time (seconds halved).
constexpr uint32_t kDosDate = (41u << 9) | (3u << 5) | 4u;
constexpr uint32_t kDosTime = (5u << 11) | (6u << 5) | 3u;
constexpr uint32_t kUnixTime = 1614834367u; // the same instant in UTC

TEST(LhaHeader, EachLevelGivesTheEntryFields)
{
    for (int level = 0; level <= 2; ++level) {
        LhaMember m;
        m.level = level;
        m.method = "-lh5-";
        m.name = "readme.txt";
        m.data = Text("0123456789");
        m.originalSize = 1000;
        m.stamp = level == 2 ? kUnixTime : (kDosDate << 16 | kDosTime);
        m.attributes = 0x21;
        const Bytes bytes = BuildLha(m);
        LhaHeader h;
        ASSERT_TRUE(ReadHeader(bytes, h)) << "level " << level;
        EXPECT_EQ(level, h.level);
        EXPECT_STREQ("readme.txt", h.entry.name);
        EXPECT_STREQ("", h.entry.text);
        EXPECT_EQ(10u, h.entry.packedSize) << "level " << level;
        EXPECT_EQ(1000u, h.entry.originalSize);
        EXPECT_EQ(kDosDate, h.entry.date) << "level " << level;
        EXPECT_EQ(kDosTime, h.entry.time) << "level " << level;
        EXPECT_EQ(0x21u, h.entry.attributes);
        EXPECT_EQ(uint32_t{ARCHIVE_KIND_LHA}, h.entry.kind);
        EXPECT_EQ(5u, h.entry.method);
        EXPECT_EQ(0u, h.entry.reserved[0]);
        EXPECT_EQ(0u, h.entry.reserved[1]);
        // The data follow the header (level 1: after its extensions).
        EXPECT_EQ(bytes.size() - 10, h.dataStart) << "level " << level;
        // The check value is the CRC-16 of the base header alone.
        const std::size_t base = level == 2 ? 26 : bytes[0] + 2u;
        EXPECT_EQ(Crc16Update(0, bytes.data(), base), h.entry.check) << "level " << level;
    }
}

TEST(LhaHeader, Crc16IsTheReflectedPolynomialA001)
{
    const uint8_t check[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(0xBB3D, Crc16Update(0, check, sizeof check)); // CRC-16/ARC check value
}

TEST(LhaHeader, NamesFromExtensionsWithFolderSeparators)
{
    struct Case {
        int level;
        std::string directory, name;
        LeadByteFn rule;
        std::string expected;
    } cases[] = {
        {1, "sub\xFF" "deeper\xFF", "nested.txt", NoLeadBytes, "sub\\deeper\\nested.txt"},
        {2, "sub\xFF", "c.txt", NoLeadBytes, "sub\\c.txt"},
        {2, "", "", NoLeadBytes, ""},
        {0, "", "a\xFF" "b", NoLeadBytes, "a\\b"},
        // 0xFF as the second byte of a double-byte character stays.
        {2, "\x81\xFF\xFF", "x", IsShiftJisLeadByte, "\x81\xFF\\x"},
        {2, "\x81\xFF\xFF", "x", NoLeadBytes, "\x81\\\\x"},
        // Directory and name together are cut to 259 bytes.
        {2, std::string(200, 'd') + "\xFF", std::string(100, 'n'), NoLeadBytes,
         std::string(200, 'd') + "\\" + std::string(58, 'n')},
        {2, "", std::string(300, 'n'), NoLeadBytes, std::string(259, 'n')},
    };
    for (const auto &c : cases) {
        LhaMember m;
        m.level = c.level;
        m.directory = c.directory;
        m.name = c.name;
        LhaHeader h;
        ASSERT_TRUE(ReadHeader(BuildLha(m), h, 0, c.rule)) << c.expected;
        EXPECT_EQ(c.expected, h.entry.name);
    }
}

// The data follow the whole header: after level 1's extensions (which the
// packed size leaves out, and whose attribute extension wins) and level 2's
// padding byte.
TEST(LhaHeader, DataFollowExtensionsAndPadding)
{
    LhaMember one, two;
    one.level = 1;
    one.data = Text("abc");
    one.attributeExtension = 0x0123;
    one.moreExtensions = {Bytes{0x50, 1, 2}, Bytes{0x7F}};
    two.level = 2;
    two.data = Text("payload");
    two.level2Padding = 1;
    for (const LhaMember &m : {one, two}) {
        const Bytes bytes = BuildLha(m);
        LhaHeader h;
        ASSERT_TRUE(ReadHeader(bytes, h)) << m.level;
        EXPECT_EQ(m.data.size(), h.entry.packedSize) << m.level;
        EXPECT_EQ(bytes.size() - m.data.size(), h.dataStart) << m.level;
    }
    LhaHeader h;
    ASSERT_TRUE(ReadHeader(BuildLha(one), h));
    EXPECT_EQ(0x0123u, h.entry.attributes);
}

LhaMember AtLevel(int level)
{
    LhaMember m;
    m.level = level;
    return m;
}

TEST(LhaHeader, RefusesWhatBreaksARule)
{
    struct Case {
        const char *what;
        LhaMember member;
        void (*edit)(Bytes &);
    } cases[] = {
        {"level 3", {}, [](Bytes &b) { b[20] = 3; }},
        {"end mark", {}, [](Bytes &b) { b[0] = 0; }},
        {"no -l", {}, [](Bytes &b) { b[3] = 'L'; }},
        {"level 0 checksum", {}, [](Bytes &b) { b[1] ^= 1; }},
        {"level 0 name past the header", {}, [](Bytes &b) { b[21] = 200; }},
        {"level 0 header shorter than 21", {}, [](Bytes &b) { b[0] = 10; }},
        {"level 1 checksum", AtLevel(1), [](Bytes &b) { b[1] ^= 1; }},
        {"level 1 header CRC", AtLevel(1), [](Bytes &b) { b[b[0] + 2 + 1] ^= 1; }},
        {"level 2 header CRC", AtLevel(2), [](Bytes &b) { b[27] ^= 1; }},
        {"level 2 name byte changed", AtLevel(2), [](Bytes &b) { b[32] ^= 1; }},
        {"level 2 total below 26", AtLevel(2), [](Bytes &b) { b[0] = 25; b[1] = 0; }},
        {"level 2 chain past the total", AtLevel(2), [](Bytes &b) { b[0] -= 3; }},
        // Byte 0 of a level-2 header is the total length's low byte: a
        // total of 256 reads as the end mark.
        {"level 2 total 256", AtLevel(2), [](Bytes &b) { b[0] = 0; b[1] = 1; }},
        {"level 1 extensions larger than the packed size", AtLevel(1),
         [](Bytes &b) { b[7] = 2; b[1] = static_cast<uint8_t>(b[1] - 1); }},
    };
    for (auto &c : cases) {
        c.member.data = Text("data bytes");
        Bytes bytes = BuildLha(c.member);
        LhaHeader h;
        ASSERT_TRUE(ReadHeader(bytes, h)) << c.what << ": unedited";
        c.edit(bytes);
        EXPECT_FALSE(ReadHeader(bytes, h)) << c.what;
    }
}

TEST(LhaHeader, WrongStoredCrcAndTruncationAtEveryByte)
{
    LhaMember m;
    m.level = 2;
    m.wrongHeaderCrc = 0x1234;
    LhaHeader h;
    EXPECT_FALSE(ReadHeader(BuildLha(m), h));

    for (int level = 0; level <= 2; ++level) {
        LhaMember whole;
        whole.level = level;
        whole.directory = level ? "dir\xFF" : "";
        const Bytes bytes = BuildLha(whole); // no data: the header is all
        ASSERT_TRUE(ReadHeader(bytes, h));
        for (std::size_t cut = 0; cut < bytes.size(); ++cut)
            EXPECT_FALSE(ReadHeader(Bytes(bytes.begin(), bytes.begin() + cut), h))
                << "level " << level << " cut at " << cut;
    }
}

TEST(LhaSearch, FindsTheFirstHeaderAfterAnythingElse)
{
    LhaMember m;
    m.level = 1;
    m.name = "found.txt";
    Bytes file = Text("MZ some program bytes -lh5- ");
    // A near-header with a wrong checksum comes first and is passed over.
    LhaMember decoy;
    decoy.name = "decoy";
    Bytes bad = BuildLha(decoy);
    bad[1] ^= 0x55;
    Append(file, bad);
    Append(file, Bytes(1000, 0x90));
    const std::size_t at = file.size();
    Append(file, BuildLha(m));
    MemorySource source(file);
    SourceReader reader(source);
    LhaHeader first;
    ASSERT_TRUE(FindLhaArchive(reader, LhaOptions(), first));
    EXPECT_EQ(at, first.offset);
    EXPECT_STREQ("found.txt", first.entry.name);

    // Shorter than a header: none.
    MemorySource tiny(file.data(), 20);
    SourceReader tinyReader(tiny);
    EXPECT_FALSE(FindLhaArchive(tinyReader, LhaOptions(), first));
}

TEST(LhaSearch, NearHeadersWithLongChainsDoNotMakeTheSearchQuadratic)
{
    // Level-2 candidates every 26 bytes, each declaring extension headers
    // that run on to the end of the file (their CRC never matches).
    Bytes file;
    const std::size_t count = 20000;
    for (std::size_t i = 0; i < count; ++i) {
        Bytes h(26, 'x');
        h[0] = 0xFF;
        h[1] = 0xFF; // total 65535
        std::copy_n("-lh5-", 5, h.begin() + 2);
        h[20] = 2;
        h[24] = 0xFF;
        h[25] = 0x0F; // first extension: 4095 bytes
        Append(file, h);
    }
    CountingSource source(file.data(), file.size());
    SourceReader reader(source);
    LhaHeader first;
    EXPECT_FALSE(FindLhaArchive(reader, LhaOptions(), first));
    EXPECT_LE(source.read, 20 * file.size() + (2u << 20));
}

Bytes TwoMembers()
{
    LhaMember a;
    a.name = "a.txt";
    a.data = Text("first member");
    LhaMember b;
    b.level = 2;
    b.name = "b.txt";
    b.data = Text("second");
    Bytes file = BuildLha(a);
    Append(file, BuildLha(b));
    file.push_back(0); // end of archive
    return file;
}

// Every member in order, whole; cut short at any byte, only the members
// that are whole; shorter than a header, no archive.
TEST(LhaWalk, GivesTheWholeMembersInOrderWhereverTheFileEnds)
{
    const Bytes file = TwoMembers();
    const Bytes expected[] = {Text("first member"), Text("second")};
    const char *names[] = {"a.txt", "b.txt"};
    std::size_t previous = 0;
    for (std::size_t cut = 0; cut <= file.size(); ++cut) {
        MemorySource source(file.data(), cut);
        Recorder recorder;
        const bool found = WalkLha(source, LhaOptions(), recorder);
        if (cut == 10 || cut == file.size()) {
            EXPECT_EQ(cut == file.size(), found) << "cut at " << cut;
        }
        ASSERT_LE(recorder.members.size(), 2u);
        EXPECT_GE(recorder.members.size(), previous) << "cut at " << cut;
        previous = recorder.members.size();
        for (std::size_t i = 0; i < recorder.members.size(); ++i) {
            EXPECT_EQ(expected[i], recorder.members[i].bytes) << "cut at " << cut;
            EXPECT_STREQ(names[i], recorder.members[i].entry.name) << "cut at " << cut;
            EXPECT_TRUE(recorder.members[i].outcome.complete()) << "cut at " << cut;
        }
    }
    EXPECT_EQ(2u, previous);
}

TEST(LhaWalk, PackedSizePastTheEndSkipsTheMemberAndEndsTheWalk)
{
    LhaMember a;
    a.data = Text("kept");
    LhaMember b;
    b.name = "claims.bin";
    b.data = Text("short");
    b.packedSize = 0xFFFFFFFFu;
    b.originalSize = 0xFFFFFFFFu;
    Bytes file = BuildLha(a);
    Append(file, BuildLha(b));
    MemorySource source(file);
    Recorder recorder;
    EXPECT_TRUE(WalkLha(source, LhaOptions(), recorder));
    ASSERT_EQ(1u, recorder.members.size());
    EXPECT_EQ(Text("kept"), recorder.members[0].bytes);
}

// The method mark and the name's length decide whether a member is
// unpacked: -lz4- is LArc's stored method; a folder and name longer than an
// entry holds are listed cut and never unpacked.
TEST(LhaWalk, WhatIsUnpacked)
{
    struct Case {
        const char *what;
        std::string method, directory;
        bool unpacked;
        unsigned listedMethod;
    } cases[] = {
        {"-lh0-", "-lh0-", "", true, 0},
        {"-lz4- holds stored data", "-lz4-", "", true, 4},
        {"-lzs- has no decoder", "-lzs-", "", false, 's' - '0'},
        {"259 bytes of folder and name", "-lh0-", std::string(248, 'A') + "\xFF", true, 0},
        {"260 bytes", "-lh0-", std::string(249, 'A') + "\xFF", false, 0},
        {"a cut name naming another file", "-lh0-", std::string(250, 'A') + "\xFF" "evil.exe\xFF",
         false, 0},
    };
    for (const Case &c : cases) {
        LhaMember m;
        m.level = 2;
        m.method = c.method;
        m.directory = c.directory;
        m.name = "readme.txt";
        m.data = Text("stored bytes");
        const Bytes file = BuildLha(m);
        MemorySource source(file);
        Recorder recorder;
        ASSERT_TRUE(WalkLha(source, LhaOptions(), recorder)) << c.what;
        ASSERT_EQ(1u, recorder.members.size()) << c.what;
        const auto &member = recorder.members[0];
        EXPECT_EQ(c.listedMethod, member.entry.method) << c.what;
        EXPECT_EQ(std::min<std::size_t>(c.directory.size() + 10, 259), std::strlen(member.entry.name))
            << c.what;
        EXPECT_EQ(c.unpacked, member.unpacked) << c.what;
        if (c.unpacked) {
            EXPECT_EQ(Text("stored bytes"), member.bytes) << c.what;
            EXPECT_TRUE(member.outcome.complete()) << c.what;
        }
    }
}

TEST(LhaWalk, FolderMembersReachTheHandler)
{
    LhaMember dir;
    dir.level = 2;
    dir.method = "-lhd-";
    dir.name = "";
    dir.directory = "sub\xFF";
    dir.attributes = 0x10;
    const Bytes file = BuildLha(dir);
    MemorySource source(file);
    Recorder recorder;
    ASSERT_TRUE(WalkLha(source, LhaOptions(), recorder));
    ASSERT_EQ(1u, recorder.members.size());
    EXPECT_STREQ("sub\\", recorder.members[0].entry.name);
    EXPECT_EQ(0x10u, recorder.members[0].entry.attributes);
    // "d" - "0": no decoder; the member is not unpacked.
    EXPECT_FALSE(recorder.members[0].decodable);
    EXPECT_FALSE(recorder.members[0].unpacked);
}

// Packed -lh<method>- data through the decoder.
LhaDecodeResult Decode(const Bytes &packed, uint32_t original, unsigned method, Bytes &out)
{
    MemorySource source(packed);
    SourceReader reader(source);
    VectorSink sink;
    const LhaDecodeResult result =
        DecodeLhaMember(reader, 0, static_cast<uint32_t>(packed.size()), original, method, sink);
    out = sink.bytes;
    EXPECT_EQ(out.size(), result.produced);
    return result;
}

// Pre-tree lengths written as the format packs them (3 bits; 7 and more
// as 7 plus that many 1-bits and a 0).
void PutLength(BitWriter &w, unsigned length)
{
    if (length < 7) {
        w.Put(length, 3);
        return;
    }
    w.Put(7, 3);
    for (unsigned i = 7; i < length; ++i)
        w.Put(1, 1);
    w.Put(0, 1);
}

// Blocks that decode: literals and matches, within the original size the
// header declares (or what the data hold) and the dictionary of the method.
TEST(LhaDecoder, DecodesWhatTheBlocksHold)
{
    // Exactly three pre-tree lengths (1, 2, 2): the encoder still writes
    // the 2-bit run of zeros, which then reaches index 6; valid.
    const BitFields threeLengths = {{2, 16}, {3, 5}, {1, 3}, {2, 3}, {2, 3}, {3, 2}};
    const struct {
        const char *what;
        BitFields fields;
        uint32_t original;
        LhaDecodeStatus status;
        Bytes out;
    } cases[] = {
        {"literals and a match of 5 at distance 0",
         SingleCodeBlock(1, 'A', 0) + SingleCodeBlock(1, 256 + 2, 0) + SingleCodeBlock(2, 'B', 0), 8,
         LhaDecodeStatus::Complete, Text("AAAAAABB")},
        {"a match of 256 where 10 bytes are declared",
         SingleCodeBlock(1, 'z', 0) + SingleCodeBlock(1, 509, 0), 10, LhaDecodeStatus::Complete,
         Bytes(10, 'z')},
        {"a header claiming 4 GiB", SingleCodeBlock(65535, 'A', 0), 0xFFFFFFFFu,
         LhaDecodeStatus::DataEnded, Bytes(65535, 'A')},
        {"a distance of 4096, within -lh5-'s dictionary",
         SingleCodeBlock(4097, 'x', 0) + SingleCodeBlock(1, 256, 13) + BitFields{{0, 12}}, 4100,
         LhaDecodeStatus::Complete, Bytes(4100, 'x')},
        {"a zero run past the pre-tree count",
         threeLengths + BitFields{{0, 9}, {'A', 9}, {0, 4}, {0, 4}}, 2, LhaDecodeStatus::Complete,
         Text("AA")},
    };
    for (const auto &c : cases) {
        Bytes out;
        EXPECT_EQ(c.status, Decode(Pack(c.fields), c.original, 5, out).status) << c.what;
        EXPECT_EQ(c.out, out) << c.what;
    }
}

TEST(LhaDecoder, StopsAtTheFirstImpossibleValue)
{
    // A block's header up to the character table, with one pre-tree code.
    const BitFields onePreCode = {{1, 16}, {0, 5}, {0, 5}};
    const BitFields oneCharA = onePreCode + BitFields{{0, 9}, {'a', 9}};
    struct Case {
        const char *what;
        unsigned method;
        uint32_t original;
        BitFields fields;
        std::size_t produced; // bytes before the fault
    } cases[] = {
        {"match before any output", 5, 10, SingleCodeBlock(1, 256, 0), 0},
        {"distance before the start", 5, 10,
         SingleCodeBlock(1, 'x', 0) + SingleCodeBlock(1, 256, 1), 1},
        {"pre-tree count above 19", 5, 10, {{1, 16}, {20, 5}}, 0},
        {"pre-tree single code 19", 5, 10, {{1, 16}, {0, 5}, {19, 5}}, 0},
        {"character count above 510", 5, 10, onePreCode + BitFields{{511, 9}}, 0},
        {"character single code 510", 5, 10, onePreCode + BitFields{{0, 9}, {510, 9}}, 0},
        {"position count above 14", 5, 10, oneCharA + BitFields{{15, 4}}, 0},
        {"position single code 14", 5, 10, oneCharA + BitFields{{0, 4}, {14, 4}}, 0},
        // 7 and ten 1-bits: a length of 17.
        {"length above 16", 5, 10, {{1, 16}, {1, 5}, {7, 3}, {0x3FF, 10}, {0, 1}}, 0},
        {"incomplete code set", 5, 10, {{1, 16}, {2, 5}, {1, 3}, {2, 3}}, 0},
        {"over-subscribed code set", 5, 10,
         {{1, 16}, {4, 5}, {1, 3}, {1, 3}, {1, 3}, {0, 2}, {1, 3}}, 0},
        // Pre-tree codes 0 "0", 1 "10", 2 "11"; then 20 + 511 zero
        // character lengths, past the 510 of the table.
        {"zero run past the character table", 5, 10,
         {{1, 16}, {3, 5}, {1, 3}, {2, 3}, {2, 3}, {0, 2}, {510, 9}, {3, 2}, {511, 9}}, 0},
        {"empty block", 5, 10, SingleCodeBlock(2, 'q', 0) + SingleCodeBlock(0, 'q', 0), 2},
        {"lh4 distance of 4096", 4, 5000,
         SingleCodeBlock(4097, 'x', 0) + SingleCodeBlock(1, 256, 13) + BitFields{{0, 12}}, 4097},
    };
    for (const auto &c : cases) {
        Bytes packed = Pack(c.fields);
        // Plenty of bits after the fault, so that it is not the data's end
        // that stops the decoder.
        packed.insert(packed.end(), 64, 0x5A);
        Bytes out;
        const auto result = Decode(packed, c.original, c.method, out);
        EXPECT_EQ(LhaDecodeStatus::Damaged, result.status) << c.what;
        EXPECT_EQ(c.produced, out.size()) << c.what;
    }
}

// Canonical Huffman codes from code lengths (shorter codes first, then by
// symbol), the way the deflate format defines them.
std::vector<uint32_t> CanonicalCodes(const std::vector<unsigned> &lengths)
{
    unsigned count[17] = {};
    for (unsigned length : lengths)
        ++count[length];
    count[0] = 0;
    uint32_t next[17] = {};
    uint32_t code = 0;
    for (unsigned length = 1; length <= 16; ++length) {
        code = (code + count[length - 1]) << 1;
        next[length] = code;
    }
    std::vector<uint32_t> codes(lengths.size());
    for (std::size_t symbol = 0; symbol < lengths.size(); ++symbol)
        if (lengths[symbol])
            codes[symbol] = next[lengths[symbol]]++;
    return codes;
}

TEST(LhaDecoder, FullTablesWithCodesUpToSixteenBits)
{
    // Pre-tree: 13 codes of 4 bits and 6 of 5 bits, a complete set.
    std::vector<unsigned> pre(19, 4);
    for (int i = 13; i < 19; ++i)
        pre[i] = 5;
    const auto preCodes = CanonicalCodes(pre);
    // Characters 'a' to 'q' with lengths 1, 2, ..., 16, 16: the codes from
    // 13 bits on are found through the tree below the 12-bit table.
    std::vector<unsigned> chars(510, 0);
    for (unsigned k = 0; k < 17; ++k)
        chars['a' + k] = k < 16 ? k + 1 : 16;
    const auto charCodes = CanonicalCodes(chars);
    const std::string message = "abcdefghijklmnopqqpoa";

    BitWriter w;
    w.Put(static_cast<uint32_t>(message.size()), 16);
    w.Put(19, 5);
    for (unsigned i = 0; i < 19; ++i) {
        PutLength(w, pre[i]);
        if (i == 2)
            w.Put(0, 2);
    }
    w.Put('a' + 17, 9);
    w.Put(preCodes[2], pre[2]); // 20 + 77 zero lengths: 'a' is symbol 97
    w.Put(77, 9);
    for (unsigned k = 0; k < 17; ++k) {
        const unsigned code = chars['a' + k] + 2;
        w.Put(preCodes[code], pre[code]);
    }
    w.Put(0, 4);
    w.Put(0, 4);
    for (char c : message)
        w.Put(charCodes[static_cast<unsigned char>(c)], chars[static_cast<unsigned char>(c)]);
    Bytes out;
    EXPECT_EQ(LhaDecodeStatus::Complete,
              Decode(w.Finish(), static_cast<uint32_t>(message.size()), 5, out).status);
    EXPECT_EQ(Text(message), out);
}

TEST(LhaDecoder, DataCutShortEndsTheMember)
{
    const Bytes whole = Pack(SingleCodeBlock(3, 'A', 0) + SingleCodeBlock(3, 'B', 0));
    Bytes out;
    ASSERT_EQ(LhaDecodeStatus::Complete, Decode(whole, 6, 5, out).status);
    EXPECT_EQ(Text("AAABBB"), out);
    // Each block header is 52 bits: the first is whole from 7 bytes on.
    for (std::size_t cut = 0; cut < whole.size(); ++cut) {
        const auto result = Decode(Bytes(whole.begin(), whole.begin() + cut), 6, 5, out);
        EXPECT_EQ(LhaDecodeStatus::DataEnded, result.status) << "cut at " << cut;
        EXPECT_EQ(cut < 7 ? 0u : 3u, out.size()) << "cut at " << cut;
    }
}

// Takes `room` bytes; a write that would pass them is refused whole.
class LimitedSink : public ByteSink {
public:
    explicit LimitedSink(uint64_t room) : room_(room) {}
    bool Write(const uint8_t *, std::size_t count) override
    {
        if (count > room_ - taken)
            return false;
        taken += count;
        return true;
    }
    uint64_t taken = 0;

private:
    uint64_t room_;
};

TEST(LhaDecoder, ARefusedWriteStopsTheMember)
{
    // The output fills the decoder's 128 KiB of buffered output by literals,
    // by matches copied whole (length 4 from 4 back: one extra position bit
    // each) and by matches copied byte by byte; a short member is written
    // only at its end.
    BitFields wholeMatches = SingleCodeBlock(4, 'a', 0) + SingleCodeBlock(65535, 257, 2);
    wholeMatches.insert(wholeMatches.end(), 65535, {1, 1});
    const struct {
        const char *what;
        BitFields fields;
        uint32_t original;
    } cases[] = {
        {"literals", SingleCodeBlock(65535, 'a', 0) + SingleCodeBlock(65535, 'a', 0) +
                         SingleCodeBlock(65535, 'a', 0), 3 * 65535},
        {"whole matches", wholeMatches, 4 + 65535 * 4},
        {"byte-by-byte matches", SingleCodeBlock(1, 'a', 0) + SingleCodeBlock(768, 509, 0),
         1 + 768 * 256},
        {"short member", SingleCodeBlock(10, 'a', 0), 10},
    };
    constexpr uint64_t kBuffered = 128 * 1024;
    for (const auto &c : cases) {
        const Bytes packed = Pack(c.fields);
        for (uint64_t room : {uint64_t(0), kBuffered, ~uint64_t(0)}) {
            MemorySource source(packed);
            SourceReader reader(source);
            LimitedSink sink(room);
            const LhaDecodeResult result = DecodeLhaMember(
                reader, 0, static_cast<uint32_t>(packed.size()), c.original, 5, sink);
            EXPECT_EQ(sink.taken, result.produced) << c.what << ", room " << room;
            if (room >= c.original) {
                EXPECT_EQ(LhaDecodeStatus::Complete, result.status) << c.what << ", room " << room;
                EXPECT_EQ(c.original, result.produced) << c.what << ", room " << room;
            } else {
                EXPECT_EQ(LhaDecodeStatus::WriteFailed, result.status) << c.what << ", room " << room;
                EXPECT_EQ(room, result.produced) << c.what << ", room " << room;
            }
        }
    }
}

TEST(LhaDecoder, StoredAndUnsupportedMethods)
{
    const Bytes packed = Text("stored bytes");
    Bytes out;
    auto result = Decode(packed, 999, 0, out);
    EXPECT_EQ(LhaDecodeStatus::Complete, result.status);
    EXPECT_EQ(packed, out);
    for (unsigned method : {1u, 2u, 3u, 8u, 52u}) {
        result = Decode(packed, 12, method, out);
        EXPECT_EQ(LhaDecodeStatus::Unsupported, result.status) << method;
        EXPECT_TRUE(out.empty());
    }
}

TEST(LhaDecoder, RandomDataNeverPassesTheDeclaredSize)
{
    uint32_t state = 1;
    const auto next = [&] {
        state = state * 1103515245u + 12345u;
        return static_cast<uint8_t>(state >> 16);
    };
    for (int round = 0; round < 300; ++round) {
        Bytes packed(1 + round * 7 % 500);
        for (auto &byte : packed)
            byte = next();
        const uint32_t original = (round * 977u) % 70000u;
        for (unsigned method = 4; method <= 7; ++method) {
            Bytes out;
            const auto result = Decode(packed, original, method, out);
            EXPECT_LE(out.size(), original);
            if (result.status == LhaDecodeStatus::Complete)
                EXPECT_EQ(original, out.size());
        }
    }
}

} // namespace
