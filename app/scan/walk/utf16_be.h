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
    // Find gives only positions where Begins holds: the room need not ask.
    static constexpr bool kFoundBegins = true;
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
        for (unsigned u = 0x80; u < 0x10000; ++u) {
            const auto unit = static_cast<uint16_t>(u);
            // (And the multiplication and division signs, 00 D7 and 00 F7,
            // which Japanese text sets between numbers: "2816×2212".)
            if (IsJapaneseUnit(unit) || IsJapaneseSymbol(unit) || u == 0xD7 || u == 0xF7)
                japanese_[u >> 5] |= uint32_t(1) << (u & 31);
        }
    }

    // Where a Japanese unit whose high byte is a kana's, a kanji's or a
    // full-width form's, and that does not read as two ASCII bytes, is
    // followed by another such Japanese unit: a position where Begins
    // holds (the sieve's masks hold no more positions than Starts does,
    // and the units are read whole), or `end`.
    size_t Find(const RoomView &v, size_t i, size_t end) const
    {
        // The first two positions of the window have no unit before them in
        // it: read one by one.
        for (; i < 2 && i < end; ++i)
            if (Starts(v, i) && Japanese(v, i) && Japanese(v, i + 2))
                return i;
        // (The window holds the units at every position of the 64, and the
        // two bytes before them.)
        for (;;) {
            size_t at = i;
            uint64_t m;
            if (v.sieve.Holds(i) && v.sieve.at + 64 <= end) {
                at = v.sieve.at;
                m = v.sieve.mask & (~uint64_t(0) << (i - at));
            } else if (i + 64 <= end && i + 67 <= v.avail) {
                m = Candidates64(v.d + i);
            } else {
                break;
            }
            const uint8_t *p = v.d + at;
            // Each position the masks leave is read whole here, so that a
            // pair of units that are no Japanese characters (machine code
            // makes many) costs no second pass over the 64.
            for (; m; m &= m - 1) {
                const size_t k = static_cast<size_t>(__builtin_ctzll(m));
                if (JapaneseUnit(UnitAt(p + k)) && JapaneseUnit(UnitAt(p + k + 2))) {
                    v.sieve.at = at;
                    v.sieve.mask = m;
                    return at + k;
                }
            }
            i = at + 64;
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
        const uint16_t unit = UnitAt(v.d + i);
        if (!Ascii(unit) && !JapaneseUnit(unit))
            return RoomRead::kEnd;
        *c = {unit, v.Offset(i), v.Offset(i + 2)};
        *next = i + 2;
        return RoomRead::kChar;
    }
    void Reset(State &) const {}
    // Whether the text that begins at q (where Begins holds) ends after
    // its first two units: Read ends it at the unit after them.
    bool PairAlone(const RoomView &v, size_t q) const
    {
        if (q + 5 >= v.avail)
            return true;
        const uint16_t unit = UnitAt(v.d + q + 4);
        return !Ascii(unit) && !JapaneseUnit(unit);
    }

    // The head: ASCII and Japanese units before q (the units of machine
    // code glued to its start are EncodedRows' to cut).
    size_t Head(const RoomView &v, size_t q, size_t floor) const
    {
        size_t h = q;
        // (The units before q lie in the window.)
        while (h >= floor + 2 && (Ascii(UnitAt(v.d + h - 2)) || JapaneseUnit(UnitAt(v.d + h - 2))))
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
        // (FE FF before a unit FF xx is a negative number's bytes, as
        // "E9 93 FE FF FF" of a jump back, not a byte-order mark.)
        const uint16_t unit = v.UnitBe(h - 2);
        return unit < 0x20 || (unit == 0xFEFF && v.At(h) != 0xFF);
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
    static uint16_t UnitAt(const uint8_t *p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }
    // Bit k set where position k of the 64 at p (with the two bytes before
    // them and the three after) may begin the text: a high byte of kana,
    // kanji or full-width forms there and two bytes on, not the unit FFFF
    // (which fills so much of the data), and either unlike ASCII there (a
    // high byte of 0x7F or above), a low byte that is no printable ASCII,
    // a zero high byte or a byte-order mark in the unit before.  Each
    // vector of the 64 is read at five offsets (unaligned loads cost no
    // more than aligned ones), so that no mask is shifted across vectors.
    static uint64_t Candidates64(const uint8_t *p)
    {
        using V = BlockVec;
        using T = typename V::T;
        uint64_t mask = 0;
        for (size_t k = 0; k < 64; k += V::kBytes) {
            const T b0 = V::Load(p + k), b1 = V::Load(p + k + 1), b2 = V::Load(p + k + 2);
            const T before2 = V::Load(p + k - 2), before1 = V::Load(p + k - 1);
            const T all = V::Equal(b0, b0);
            const T ff = V::Splat(0xFF);
            const T pair = V::AndNot(V::And(V::Equal(b0, ff), V::Equal(b1, ff)),
                                     V::And(HighSet<V>(b0), HighSet<V>(b2)));
            const T notAscii1 = V::AndNot(InRange<V>(b1, V::Splat(0x20), V::Splat(0x7E - 0x20)), all);
            const T zeroBefore = V::Equal(before2, V::Zero());
            const T bomBefore = V::And(V::Equal(before2, V::Splat(0xFE)), V::Equal(before1, ff));
            const T unlikeHigh = V::Or(V::Less(b0, V::Zero()), V::Equal(b0, V::Splat(0x7F)));
            const T unlike = V::Or(V::Or(unlikeHigh, notAscii1), V::Or(zeroBefore, bomBefore));
            mask |= static_cast<uint64_t>(V::Bits(V::And(pair, unlike))) << k;
        }
        return mask;
    }
    // All ones where a byte of b is the high byte of kana, kanji or
    // full-width forms (the set high_).
    template <class V>
    static typename V::T HighSet(typename V::T b)
    {
        return V::Or(V::Or(V::Equal(b, V::Splat(0x30)), V::Equal(b, V::Splat(0xFF))),
                     InRange<V>(b, V::Splat(0x4E), V::Splat(0x9F - 0x4E)));
    }

    ByteSet high_, unlikeHigh_, notAscii_;
    uint32_t japanese_[65536 / 32] = {};
};
