// The LHA static-Huffman decoder.
//
// Format notes.  The packed data are read most significant bit first as a
// series of blocks.  A block starts with the 16-bit count of codes in it and
// three code-length tables: the pre-tree (19 codes) that packs the character
// lengths, the character table (510 codes: 256 literal bytes and the match
// lengths 3 to 256) and the position table (NP codes).  A position code j
// gives a distance of 0 (j = 0) or 2^(j-1) plus j-1 further bits; a match
// copies its length from distance + 1 bytes back.  Codes are canonical
// Huffman codes of at most 16 bits; a table may instead name one code used
// throughout with no bits at all.
//
// The decoder trusts nothing in the data: a count above its table, a length
// above 16, a code set that is not exactly complete, a table value outside
// its table, an empty block, or a distance reaching before the first byte
// produced or beyond the method's dictionary stop the member.  The output
// never exceeds the original size, and decoding stops as soon as a code
// needed bits beyond the packed data, so a header claiming gigabytes over a
// few bytes of data produces no more than those bytes encode.
#include "archive/lha_decoder.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace loom::archive {

namespace {

constexpr unsigned kCharCodes = 510; // 256 literals + match lengths 3..256
constexpr unsigned kMatchBase = 253; // character code c >= 256 is a match of c - 253
constexpr unsigned kCharBits = 9;    // width of the character-length count
constexpr unsigned kPreCodes = 19;   // pre-tree codes
constexpr unsigned kPreBits = 5;     // width of the pre-tree count
constexpr unsigned kPreSpecial = 3;  // after this many pre-tree lengths, a run of zeros
constexpr unsigned kMaxCodeLength = 16;
constexpr unsigned kCharTableBits = 12;
constexpr unsigned kPosTableBits = 8;
// The position table and the pre-tree share one length array and one lookup
// table; the longest of them has 19 codes.
constexpr unsigned kPosLengths = 19;
// Tree nodes for codes longer than a table's index are numbered from the
// table's code count upward; a complete code of n symbols has n - 1 inner
// nodes, so 2 * 510 - 1 entries hold the largest table.
constexpr unsigned kTreeNodes = 2 * kCharCodes - 1;

// The output ring.  Larger than the largest dictionary (64 KiB) so that a
// match never overlaps itself across the wrap and is written in large
// pieces; the first byte of a distance d is always the byte d + 1 back.
constexpr uint32_t kRingSize = 1u << 17;
constexpr uint32_t kRingMask = kRingSize - 1;

struct MethodParameters {
    uint32_t dictionary;
    unsigned positionCodes; // NP
    unsigned positionBits;  // width of the position-length count
};

bool ParametersFor(unsigned method, MethodParameters &parameters)
{
    switch (method) {
    case 4: parameters = {4096, 14, 4}; return true;
    case 5: parameters = {8192, 14, 4}; return true;
    case 6: parameters = {32768, 16, 5}; return true;
    case 7: parameters = {65536, 17, 5}; return true;
    default: return false;
    }
}

// Bits most significant first from the packed data.  The buffer is a 64-bit
// word whose top `count_` bits are valid.  When the packed data are spent,
// zero bytes are supplied and counted, so the decoder can tell when it has
// consumed bits that the data never held.
class BitReader {
public:
    BitReader(SourceReader &in, uint32_t budget) : in_(in), budget_(budget) {}

    // At least 56 valid bits afterwards.
    void Refill()
    {
        while (count_ <= 56) {
            buffer_ |= static_cast<uint64_t>(NextByte()) << (56 - count_);
            count_ += 8;
        }
    }
    // The next n bits (n <= 32) without consuming them; needs count_ >= n.
    uint32_t Peek(unsigned n) const { return static_cast<uint32_t>(buffer_ >> (64 - n)); }
    bool BitAt(unsigned index) const { return (buffer_ >> (63 - index)) & 1; }
    void Consume(unsigned n)
    {
        buffer_ <<= n;
        count_ -= n;
    }
    uint32_t Get(unsigned n)
    {
        if (n == 0)
            return 0;
        if (count_ < static_cast<int>(n))
            Refill();
        uint32_t value = Peek(n);
        Consume(n);
        return value;
    }
    // True once a bit past the end of the packed data has been consumed.
    bool Overrun() const { return static_cast<uint64_t>(zeroBytes_) * 8 > static_cast<uint64_t>(count_); }

private:
    uint8_t NextByte()
    {
        if (next_ == end_) {
            const uint8_t *data = nullptr;
            std::size_t available = budget_ ? in_.Available(&data) : 0;
            if (available == 0) {
                // Spent, or the file ended early: the rest are zeros.
                budget_ = 0;
                ++zeroBytes_;
                return 0;
            }
            available = std::min<std::size_t>(available, budget_);
            in_.Advance(available);
            budget_ -= static_cast<uint32_t>(available);
            next_ = data;
            end_ = data + available;
        }
        return *next_++;
    }

    SourceReader &in_;
    uint32_t budget_;
    const uint8_t *next_ = nullptr;
    const uint8_t *end_ = nullptr;
    uint64_t buffer_ = 0;
    int count_ = 0;
    uint32_t zeroBytes_ = 0;
};

// The output ring and the sink behind it: decoded bytes go into the ring,
// which is handed to the sink whenever it fills, and at the end.
class OutputRing {
public:
    OutputRing(ByteSink &sink, uint64_t &produced) : sink_(sink), produced_(produced) {}

    // False when the sink refused the ring.
    bool Put(uint8_t byte)
    {
        ring_[position_++] = byte;
        return FlushIfFull();
    }
    // The match of `length` bytes from `distance` + 1 bytes back.
    bool Copy(uint32_t distance, uint32_t length)
    {
        uint32_t from = (position_ - distance - 1) & kRingMask;
        if (distance + 1 >= length && from + length <= kRingSize && position_ + length <= kRingSize) {
            // The two ranges cannot overlap: the ring is twice the largest
            // dictionary.
            std::memcpy(&ring_[position_], &ring_[from], length);
            position_ += length;
            return FlushIfFull();
        }
        while (length-- > 0) {
            if (!Put(ring_[from]))
                return false;
            from = (from + 1) & kRingMask;
        }
        return true;
    }
    // Hands the bytes in the ring to the sink.
    bool Flush()
    {
        if (position_ == 0)
            return true;
        if (!sink_.Write(ring_.data(), position_))
            return false;
        produced_ += position_;
        position_ = 0;
        return true;
    }

private:
    bool FlushIfFull() { return position_ < kRingSize || Flush(); }

    ByteSink &sink_;
    uint64_t &produced_;
    std::vector<uint8_t> ring_ = std::vector<uint8_t>(kRingSize, ' ');
    uint32_t position_ = 0;
};

class HuffmanDecoder {
public:
    HuffmanDecoder(SourceReader &in, uint32_t packed, const MethodParameters &parameters)
        : bits_(in, packed), parameters_(parameters)
    {
    }

    LhaDecodeStatus Run(uint32_t originalSize, ByteSink &sink, uint64_t &produced);

private:
    bool MakeTable(unsigned codes, const uint8_t *lengths, unsigned tableBits, uint16_t *table);
    // A table that names one code used throughout: every lookup gives it,
    // and it takes no bits.
    template <std::size_t Lengths, std::size_t Entries>
    bool ReadSingleCode(unsigned width, unsigned codes, uint8_t (&lengths)[Lengths],
                        uint16_t (&table)[Entries])
    {
        const unsigned only = bits_.Get(width);
        if (only >= codes)
            return false;
        std::fill(lengths, lengths + Lengths, 0);
        std::fill(table, table + Entries, static_cast<uint16_t>(only));
        return true;
    }
    bool ReadPositionLengths(unsigned codes, unsigned countBits, unsigned special);
    bool ReadCharLengths();
    bool StartBlock();
    // Follows the tree below a table entry for the bits after the index.
    bool Walk(uint16_t &code, unsigned tableBits, unsigned codes);
    bool DecodeChar(unsigned &code);
    bool DecodePosition(uint32_t &distance);
    // Whether decoding stops after a code, and why (`decoded`: the code was
    // possible): a code that needed bits beyond the packed data ends the
    // data, an impossible one the member.
    bool Stops(bool decoded, LhaDecodeStatus &status) const
    {
        if (bits_.Overrun())
            status = LhaDecodeStatus::DataEnded;
        else if (!decoded)
            status = LhaDecodeStatus::Damaged;
        else
            return false;
        return true;
    }

    BitReader bits_;
    MethodParameters parameters_;
    uint16_t blockRemaining_ = 0;
    uint8_t charLengths_[kCharCodes] = {};
    uint8_t posLengths_[kPosLengths] = {};
    uint16_t charTable_[1u << kCharTableBits] = {};
    uint16_t posTable_[1u << kPosTableBits] = {};
    uint16_t left_[kTreeNodes] = {};
    uint16_t right_[kTreeNodes] = {};
};

// Builds the lookup table of a canonical code: entries indexed by the next
// tableBits bits give the symbol of every code no longer than that; longer
// codes continue as a binary tree in left_/right_.  Refuses a set of lengths
// that is not a complete prefix code (lengths are checked to be 16 or less
// when read).
bool HuffmanDecoder::MakeTable(unsigned codes, const uint8_t *lengths, unsigned tableBits,
                               uint16_t *table)
{
    uint32_t count[kMaxCodeLength + 1] = {};
    for (unsigned i = 0; i < codes; ++i)
        ++count[lengths[i]];
    uint32_t start[kMaxCodeLength + 2] = {};
    for (unsigned length = 1; length <= kMaxCodeLength; ++length)
        start[length + 1] = start[length] + (count[length] << (kMaxCodeLength - length));
    if (start[kMaxCodeLength + 1] != 1u << kMaxCodeLength)
        return false;

    const unsigned shift = kMaxCodeLength - tableBits;
    uint32_t weight[kMaxCodeLength + 1];
    for (unsigned length = 1; length <= tableBits; ++length) {
        start[length] >>= shift;
        weight[length] = 1u << (tableBits - length);
    }
    for (unsigned length = tableBits + 1; length <= kMaxCodeLength; ++length)
        weight[length] = 1u << (kMaxCodeLength - length);

    // Entries past the directly filled ones are roots of trees: start empty.
    const uint32_t tableSize = 1u << tableBits;
    for (uint32_t i = start[tableBits + 1] >> shift; i < tableSize; ++i)
        table[i] = 0;

    unsigned available = codes; // next free tree node
    const uint32_t mask = 1u << (kMaxCodeLength - 1 - tableBits);
    for (unsigned symbol = 0; symbol < codes; ++symbol) {
        const unsigned length = lengths[symbol];
        if (length == 0)
            continue;
        const uint32_t next = start[length] + weight[length];
        if (length <= tableBits) {
            for (uint32_t i = start[length]; i < next; ++i)
                table[i] = static_cast<uint16_t>(symbol);
        } else {
            uint32_t code = start[length];
            uint16_t *slot = &table[code >> shift];
            for (unsigned depth = length - tableBits; depth > 0; --depth) {
                if (*slot == 0) {
                    if (available >= kTreeNodes)
                        return false;
                    left_[available] = right_[available] = 0;
                    *slot = static_cast<uint16_t>(available++);
                }
                slot = (code & mask) ? &right_[*slot] : &left_[*slot];
                code <<= 1;
            }
            *slot = static_cast<uint16_t>(symbol);
        }
        start[length] = next;
    }
    return true;
}

// The pre-tree or the position table into posLengths_/posTable_.
bool HuffmanDecoder::ReadPositionLengths(unsigned codes, unsigned countBits, unsigned special)
{
    const unsigned n = bits_.Get(countBits);
    if (n == 0)
        return ReadSingleCode(countBits, codes, posLengths_, posTable_);
    if (n > codes)
        return false;
    unsigned i = 0;
    while (i < n) {
        bits_.Refill();
        // Three bits; 7 grows by one for each 1-bit that follows them.
        unsigned length = bits_.Peek(3);
        if (length == 7) {
            unsigned bit = 3;
            while (bits_.BitAt(bit)) {
                if (++length > kMaxCodeLength)
                    return false;
                ++bit;
            }
        }
        bits_.Consume(length < 7 ? 3 : length - 3);
        posLengths_[i++] = static_cast<uint8_t>(length);
        if (i == special) {
            // A run of zero lengths; the encoder may run it past n.
            unsigned zeros = bits_.Get(2);
            if (i + zeros > codes)
                return false;
            while (zeros-- > 0)
                posLengths_[i++] = 0;
        }
    }
    std::fill(posLengths_ + i, posLengths_ + kPosLengths, 0);
    return MakeTable(codes, posLengths_, kPosTableBits, posTable_);
}

bool HuffmanDecoder::ReadCharLengths()
{
    const unsigned n = bits_.Get(kCharBits);
    if (n == 0)
        return ReadSingleCode(kCharBits, kCharCodes, charLengths_, charTable_);
    if (n > kCharCodes)
        return false;
    unsigned i = 0;
    while (i < n) {
        bits_.Refill();
        uint16_t code = posTable_[bits_.Peek(kPosTableBits)];
        if (code >= kPreCodes && !Walk(code, kPosTableBits, kPreCodes))
            return false;
        bits_.Consume(posLengths_[code]);
        if (code <= 2) {
            // 0: one zero length; 1: 3 to 18 of them; 2: 20 to 531.
            unsigned zeros = code == 0 ? 1 : code == 1 ? bits_.Get(4) + 3 : bits_.Get(9) + 20;
            if (i + zeros > kCharCodes)
                return false;
            while (zeros-- > 0)
                charLengths_[i++] = 0;
        } else {
            charLengths_[i++] = static_cast<uint8_t>(code - 2);
        }
    }
    std::fill(charLengths_ + i, charLengths_ + kCharCodes, 0);
    return MakeTable(kCharCodes, charLengths_, kCharTableBits, charTable_);
}

bool HuffmanDecoder::StartBlock()
{
    blockRemaining_ = static_cast<uint16_t>(bits_.Get(16));
    if (blockRemaining_ == 0)
        return false;
    return ReadPositionLengths(kPreCodes, kPreBits, kPreSpecial) && ReadCharLengths() &&
           ReadPositionLengths(parameters_.positionCodes, parameters_.positionBits, 0);
}

// A table entry of `codes` or more is a tree node; the bits after the table
// index choose the branches.  A complete code ends within 16 bits.
bool HuffmanDecoder::Walk(uint16_t &code, unsigned tableBits, unsigned codes)
{
    for (unsigned bit = tableBits; bit < kMaxCodeLength; ++bit) {
        code = bits_.BitAt(bit) ? right_[code] : left_[code];
        if (code < codes)
            return true;
        if (code >= kTreeNodes)
            return false;
    }
    return false;
}

bool HuffmanDecoder::DecodeChar(unsigned &code)
{
    if (blockRemaining_ == 0 && !StartBlock())
        return false;
    --blockRemaining_;
    bits_.Refill();
    uint16_t value = charTable_[bits_.Peek(kCharTableBits)];
    if (value >= kCharCodes && !Walk(value, kCharTableBits, kCharCodes))
        return false;
    bits_.Consume(charLengths_[value]);
    code = value;
    return true;
}

bool HuffmanDecoder::DecodePosition(uint32_t &distance)
{
    // After a character code at most 16 bits were used of the 56 refilled.
    uint16_t value = posTable_[bits_.Peek(kPosTableBits)];
    if (value >= parameters_.positionCodes && !Walk(value, kPosTableBits, parameters_.positionCodes))
        return false;
    bits_.Consume(posLengths_[value]);
    distance = value == 0 ? 0 : (1u << (value - 1)) + bits_.Get(value - 1);
    return true;
}

LhaDecodeStatus HuffmanDecoder::Run(uint32_t originalSize, ByteSink &sink, uint64_t &produced)
{
    OutputRing out(sink, produced);
    uint64_t done = 0;
    LhaDecodeStatus status = LhaDecodeStatus::Complete;
    while (done < originalSize) {
        // A character code; a match code is followed by its position code.
        unsigned code;
        uint32_t distance = 0;
        const bool decoded = DecodeChar(code) && (code < 256 || DecodePosition(distance));
        if (Stops(decoded, status))
            break;
        if (code < 256) {
            if (!out.Put(static_cast<uint8_t>(code)))
                return LhaDecodeStatus::WriteFailed;
            ++done;
            continue;
        }
        if (distance >= parameters_.dictionary || distance >= done) {
            status = LhaDecodeStatus::Damaged;
            break;
        }
        uint32_t length = code - kMatchBase;
        length = static_cast<uint32_t>(std::min<uint64_t>(length, originalSize - done));
        done += length;
        if (!out.Copy(distance, length))
            return LhaDecodeStatus::WriteFailed;
    }
    if (!out.Flush())
        return LhaDecodeStatus::WriteFailed;
    return status;
}

} // namespace

LhaDecodeResult DecodeLhaMember(SourceReader &reader, uint64_t dataStart, uint32_t packedSize,
                                uint32_t originalSize, unsigned method, ByteSink &sink)
{
    LhaDecodeResult result{LhaDecodeStatus::Complete, 0};
    reader.Seek(dataStart);
    if (method == 0) {
        switch (CopyBytes(reader, packedSize, sink, result.produced)) {
        case CopyResult::Complete: result.status = LhaDecodeStatus::Complete; break;
        case CopyResult::DataEnded: result.status = LhaDecodeStatus::DataEnded; break;
        case CopyResult::WriteFailed: result.status = LhaDecodeStatus::WriteFailed; break;
        }
        return result;
    }
    MethodParameters parameters;
    if (!ParametersFor(method, parameters)) {
        result.status = LhaDecodeStatus::Unsupported;
        return result;
    }
    // The tables and trees take about 13 KiB: on the heap, not the stack.
    auto decoder = std::make_unique<HuffmanDecoder>(reader, packedSize, parameters);
    result.status = decoder->Run(originalSize, sink, result.produced);
    return result;
}

} // namespace loom::archive
