// UTF-16BE text: ASCII code units (00 20-7E) and the Japanese ones that
// code page 932 holds (kana, kanji, Japanese punctuation, full-width
// forms, symbols).  Its text begins at a Japanese code unit of kana,
// kanji or full-width forms that does not read as two ASCII bytes, or
// whose unit before has a zero high byte (an ASCII or a control unit, which
// single-byte text never holds) or is a byte-order mark (FE FF before
// "または", whose bytes read "0~0_0o"), followed by another unit of kana, kanji
// or full-width forms; its sieve finds such pairs of units 64 positions at
// a time.  A leading byte-order mark (FE FF) is
// no part of the text: it stands at a clean edge, as a control unit does.

class Utf16BeText {
public:
    static constexpr Encoding kEncoding = Encoding::Utf16Be;
    struct State {};

    explicit Utf16BeText(const ExtractionSettings &)
    {
        high_.Add(0x30, 0x30);
        high_.Add(0x4E, 0x9F);
        high_.Add(0xFF, 0xFF);
        unlikeHigh_.Add(0x7F, 0x9F);
        unlikeHigh_.Add(0xFF, 0xFF);
        notAscii_.Add(0x00, 0x1F);
        notAscii_.Add(0x7F, 0xFF);
        ff_.Add(0xFF, 0xFF);
        ascii_.Add(0x20, 0x7E);
        for (unsigned u = 0x80; u < 0x10000; ++u) {
            const auto unit = static_cast<uint16_t>(u);
            if (IsJapaneseUnit(unit) || IsJapaneseSymbol(unit))
                japanese_[u >> 5] |= uint32_t(1) << (u & 31);
        }
    }

    // Where a Japanese unit whose high byte is a kana's, a kanji's or a
    // full-width form's, and that does not read as two ASCII bytes, is
    // followed by another such Japanese unit: where Begins holds.
    size_t Find(const RoomView &v, size_t i, size_t end) const
    {
        while (i + 64 <= end && i + 67 <= v.avail) {
            // Each set's mask once for the 64 bytes; the masks of the bytes
            // one and two on are them shifted, with the bytes after.  A
            // high byte of the set is unlike ASCII exactly when it is 0x80
            // or above.  (The unit FFFF, which fills so much of the data,
            // is none.)
            const uint8_t *p = v.d + i;
            const uint64_t high = High64(p);
            const uint64_t high2 =
                high >> 2 | uint64_t(high_.Has(p[64])) << 62 | uint64_t(high_.Has(p[65])) << 63;
            const uint64_t ff = Equal64(p, 0xFF);
            const uint64_t ff1 = ff >> 1 | uint64_t(ff_.Has(p[64])) << 63;
            // Where no two such high bytes stand a unit apart (a quarter
            // of the blocks of machine code), the other masks are not
            // needed.
            const uint64_t pairs = high & high2 & ~(ff & ff1);
            if (pairs == 0) {
                i += 64;
                continue;
            }
            const uint64_t notAscii1 =
                ~(Ascii64(p) >> 1 | uint64_t(ascii_.Has(p[64])) << 63);
            // The high byte of the unit before is zero (before the window's
            // first two bytes: the start of the data, a clean edge).
            const uint64_t zero2 = Equal64(p, 0x00) << 2 |
                                   (i >= 2 ? uint64_t(p[-2] == 0) | uint64_t(p[-1] == 0) << 1 : 3);
            // The unit before is a byte-order mark.
            const uint64_t bom2 = (Equal64(p, 0xFE) << 2 | (i >= 2 ? uint64_t(p[-2] == 0xFE) : 0) |
                                   (i >= 1 ? uint64_t(p[-1] == 0xFE) << 1 : 0)) &
                                  (ff << 1 | (i >= 1 ? uint64_t(p[-1] == 0xFF) : 0));
            // Each position the masks leave is read whole here, so that a
            // pair of units that are no Japanese characters (machine code
            // makes many) costs no second pass over the 64.
            // (The window holds the units at every position of the 64.)
            for (uint64_t m = pairs & (Upper64(p) | notAscii1 | zero2 | bom2); m; m &= m - 1) {
                const size_t k = static_cast<size_t>(__builtin_ctzll(m));
                if (JapaneseUnit(static_cast<uint16_t>(p[k] << 8 | p[k + 1])) &&
                    JapaneseUnit(static_cast<uint16_t>(p[k + 2] << 8 | p[k + 3])))
                    return i + k;
            }
            i += 64;
        }
        for (; i < end; ++i)
            if (Starts(v, i) && Japanese(v, i) && Japanese(v, i + 2))
                return i;
        return end;
    }
    bool Begins(const RoomView &v, size_t q, State &) const
    {
        return Starts(v, q) && Japanese(v, q) && Japanese(v, q + 2);
    }
    RoomRead Read(const RoomView &v, size_t i, State &, EncodedChar *c, size_t *next) const
    {
        if (i + 1 >= v.avail)
            return RoomRead::kEnd;
        const uint16_t unit = v.UnitBe(i);
        if (!Ascii(unit) && !Japanese(v, i))
            return RoomRead::kEnd;
        *c = {unit, v.Offset(i), v.Offset(i + 2)};
        *next = i + 2;
        return RoomRead::kChar;
    }
    void Reset(State &) const {}

    // The head: ASCII and Japanese units before q (the units of machine
    // code glued to its start are EncodedRows' to cut).
    size_t Head(const RoomView &v, size_t q, size_t floor) const
    {
        size_t h = q;
        while (h >= floor + 2 && (Ascii(v.UnitBe(h - 2)) || Japanese(v, h - 2)))
            h -= 2;
        return h;
    }
    void HeadChars(const RoomView &v, size_t h, size_t q, std::vector<EncodedChar> &out) const
    {
        for (size_t k = h; k < q; k += 2)
            out.push_back({v.UnitBe(k), v.Offset(k), v.Offset(k + 2)});
    }
    bool CleanBefore(const RoomView &v, size_t h) const
    {
        if (v.base + h < 2)
            return true;
        const uint16_t unit = v.UnitBe(h - 2);
        return unit < 0x20 || unit == 0xFEFF;
    }
    bool CleanAt(const RoomView &v, size_t i) const
    {
        return i + 1 >= v.avail || v.UnitBe(i) < 0x20;
    }

private:
    bool Starts(const RoomView &v, size_t q) const
    {
        return high_.Has(v.At(q)) && high_.Has(v.At(q + 2)) &&
               (unlikeHigh_.Has(v.At(q)) || notAscii_.Has(v.At(q + 1)) || q < 2 || v.At(q - 2) == 0 ||
                (v.At(q - 2) == 0xFE && v.At(q - 1) == 0xFF));
    }
    static bool Ascii(uint16_t unit) { return unit >= 0x20 && unit <= 0x7E; }
    bool Japanese(const RoomView &v, size_t k) const
    {
        return k + 1 < v.avail && JapaneseUnit(v.UnitBe(k));
    }
    // What JapaneseUnitCp932 gives a form, beyond ASCII, by its bit.
    bool JapaneseUnit(uint16_t unit) const { return (japanese_[unit >> 5] >> (unit & 31)) & 1; }
    // Bit k set where byte k of the 64 at p is b, or (Upper64) 0x80 or above.
    static uint64_t Equal64(const uint8_t *p, uint8_t b)
    {
        using V = BlockVec;
        uint64_t mask = 0;
        for (size_t k = 0; k < 64; k += V::kBytes)
            mask |= static_cast<uint64_t>(V::Bits(V::Equal(V::Load(p + k), V::Splat(b)))) << k;
        return mask;
    }
    // The same for the high bytes of kana, kanji and full-width forms (the
    // set high_), and for printable ASCII.
    static uint64_t High64(const uint8_t *p)
    {
        using V = BlockVec;
        uint64_t mask = 0;
        for (size_t k = 0; k < 64; k += V::kBytes) {
            const typename V::T b = V::Load(p + k);
            const typename V::T in =
                V::Or(V::Or(V::Equal(b, V::Splat(0x30)), V::Equal(b, V::Splat(0xFF))),
                      InRange<V>(b, V::Splat(0x4E), V::Splat(0x9F - 0x4E)));
            mask |= static_cast<uint64_t>(V::Bits(in)) << k;
        }
        return mask;
    }
    static uint64_t Ascii64(const uint8_t *p)
    {
        using V = BlockVec;
        uint64_t mask = 0;
        for (size_t k = 0; k < 64; k += V::kBytes)
            mask |= static_cast<uint64_t>(
                        V::Bits(InRange<V>(V::Load(p + k), V::Splat(0x20), V::Splat(0x7E - 0x20))))
                    << k;
        return mask;
    }
    static uint64_t Upper64(const uint8_t *p)
    {
        using V = BlockVec;
        uint64_t mask = 0;
        for (size_t k = 0; k < 64; k += V::kBytes)
            mask |= static_cast<uint64_t>(V::Bits(V::Less(V::Load(p + k), V::Zero()))) << k;
        return mask;
    }

    ByteSet high_, unlikeHigh_, notAscii_, ff_, ascii_;
    uint32_t japanese_[65536 / 32] = {};
};
