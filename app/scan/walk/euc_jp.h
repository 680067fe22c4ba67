// EUC-JP text: ASCII, JIS X 0208 pairs (A1-FE A1-FE), half-width katakana
// after SS2 (8E A1-DF; left out while CheckHalfKana holds, as in
// single-byte text) and JIS X 0212 after SS3 (8F A1-FE A1-FE).  Its text
// begins at two Japanese characters in a row (machine code seldom holds
// them): its sieve finds four bytes in a row that may be such, 64
// positions at a time.  Its head, the text before them, holds ASCII and
// JIS X 0208 pairs.

class EucJpText {
public:
    static constexpr Encoding kEncoding = Encoding::EucJp;
    // Find gives positions where the text may begin: Begins decides.
    static constexpr bool kFoundBegins = false;
    struct State {};

    explicit EucJpText(const ExtractionSettings &settings) : hideKana_(settings.CheckHalfKana)
    {
        starts_.Add(0x8E, 0x8F);
        starts_.Add(0xA1, 0xFE);
    }

    // The first position in [i, end) where two Japanese characters may
    // begin: four bytes of SS2, SS3 or A1-FE.
    size_t Find(const RoomView &v, size_t i, size_t end) const
    {
        while (i + 64 <= end && i + 67 <= v.avail) {
            // The 64 bytes classified once; the masks of the bytes one, two
            // and three on are them shifted, with the three bytes after.
            // The bytes after the 64 count only where the last of them is
            // such a byte: each of the last three positions needs it.
            const uint8_t *p = v.d + i;
            const uint64_t s0 = starts_.Mask64(p);
            uint64_t after = 0;
            if (s0 >> 63)
                after = uint64_t(starts_.Has(p[64])) | uint64_t(starts_.Has(p[65])) << 1 |
                        uint64_t(starts_.Has(p[66])) << 2;
            const uint64_t m = s0 & (s0 >> 1 | after << 63) & (s0 >> 2 | after << 62) &
                               (s0 >> 3 | after << 61);
            if (m)
                return i + static_cast<size_t>(__builtin_ctzll(m));
            i += 64;
        }
        for (; i < end; ++i)
            if (starts_.Has(v.d[i]) && starts_.Has(v.At(i + 1)) && starts_.Has(v.At(i + 2)) &&
                starts_.Has(v.At(i + 3)))
                return i;
        return end;
    }
    bool Begins(const RoomView &v, size_t q, State &st) const
    {
        EncodedChar c;
        size_t next = q + 1;
        if (Read(v, q, st, &c, &next) != RoomRead::kChar || !IsJapaneseCode(c.code))
            return false;
        return Read(v, next, st, &c, &next) == RoomRead::kChar && IsJapaneseCode(c.code);
    }
    RoomRead Read(const RoomView &v, size_t i, State &, EncodedChar *c, size_t *next) const
    {
        const uint8_t b = v.At(i);
        if (b >= 0x20 && b <= 0x7E)
            return Take(v, i, 1, b, c, next);
        const uint8_t t = v.At(i + 1);
        if (b >= 0xA1 && b <= 0xFE && t >= 0xA1 && t <= 0xFE) {
            const uint32_t code = JisX0208Char(b - 0x80, t - 0x80);
            if (code)
                return Take(v, i, 2, code, c, next);
        } else if (b == 0x8E && t >= 0xA1 && t <= 0xDF) {
            if (hideKana_) {
                *next = i + 2;
                return RoomRead::kSkip;
            }
            return Take(v, i, 2, kHalfWidthKatakanaFirst + (t - 0xA1u), c, next);
        } else if (b == 0x8F && t >= 0xA1 && t <= 0xFE && v.At(i + 2) >= 0xA1 &&
                   v.At(i + 2) <= 0xFE) {
            const uint32_t code = JisX0212Char(t - 0x80, v.At(i + 2) - 0x80);
            if (code)
                return Take(v, i, 3, code, c, next);
        }
        return RoomRead::kEnd;
    }
    void Reset(State &) const {}

    // The head before position q: its first position, not before `floor`.
    // Back over ASCII and the bytes of pairs, then forward from there as
    // the text reads, from after any byte that begins no character; where
    // that reading does not meet q (a pair across it), ASCII alone.
    size_t Head(const RoomView &v, size_t q, size_t floor) const
    {
        size_t h = q;
        while (h > floor && (Ascii(v.d[h - 1]) || (v.d[h - 1] >= 0xA1 && v.d[h - 1] <= 0xFE)))
            --h;
        // Pairs stand whole between ASCII bytes: an odd number of pair
        // bytes first begins with one of machine code's, glued before
        // them ("B3 B3 C6" before " FILE" is a byte and "各").
        size_t pairBytes = 0;
        while (h + pairBytes < q && !Ascii(v.d[h + pairBytes]))
            ++pairBytes;
        h += pairBytes & 1;
        State st;
        EncodedChar c;
        size_t j = h, next = h + 1;
        while (j < q) {
            if (Read(v, j, st, &c, &next) == RoomRead::kEnd) {
                h = j = j + 1;
                continue;
            }
            j = next;
        }
        if (j == q)
            return h;
        for (h = q; h > floor && Ascii(v.d[h - 1]);)
            --h;
        return h;
    }
    void HeadChars(const RoomView &v, size_t h, size_t q, std::vector<EncodedChar> &out) const
    {
        State st;
        // (Read straight into its place, as the room reads its run.)
        for (size_t next = h + 1; h < q; h = next) {
            out.emplace_back();
            Read(v, h, st, &out.back(), &next);
        }
    }
    bool CleanBefore(const RoomView &v, size_t h) const
    {
        return v.base + h == 0 || IsCleanEdgeByte(v.d[h - 1]);
    }
    bool CleanAt(const RoomView &v, size_t i) const
    {
        return i >= v.avail || IsCleanEdgeByte(v.d[i]);
    }

private:
    static bool Ascii(uint8_t b) { return b >= 0x20 && b <= 0x7E; }
    static RoomRead Take(const RoomView &v, size_t i, size_t bytes, uint32_t code,
                         EncodedChar *c, size_t *next)
    {
        *c = {code, v.Offset(i), v.Offset(i + bytes)};
        *next = i + bytes;
        return RoomRead::kChar;
    }

    bool hideKana_;
    ByteSet starts_;
};
