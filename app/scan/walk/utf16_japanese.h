// Japanese UTF-16LE text (SearchWideJapanese): UTF-16 text that takes the
// code units of Japanese characters (as their Shift-JIS bytes), and the
// length words of the string tables that hold such text.
//
// Such text may begin where no string is being gathered, after a zero
// byte, at three code units: a Japanese character, then Japanese
// characters or ASCII units, with at least one of the Japanese characters
// unlike single-byte text (after another byte that is not text, with kana,
// a symbol or ASCII among them), or as a whole string (BeginsAt).  Where
// UTF-16 text is going on, it takes Japanese characters at a code unit's
// first byte (one that looks like single-byte text only next to one that
// does not).  Text with Japanese in it ends at a code unit that is neither
// Japanese nor ASCII.  A string of a string table begins after its length
// word, which is no text (LengthWordAfterControl, FollowsFrom).
//
// The sieves (JapaneseBits, LengthWordBits) mark every position of 64
// where those rules may hold: the walk reads the rules only there.
//
// The rules that the steps read at most code units, and the sieve, are
// inlined by force (always_inline): each of the four walks calls them from
// its own steps, and as calls they cost the walk with Japanese UTF-16 text
// about a hundredth of its time.

// The high bytes of Japanese UTF-16 code units: kana and CJK symbols
// (U+3000-U+30FF), CJK ideographs (U+4E00-U+9FFF), full-width and
// half-width forms (U+FF01-U+FF9F).
constexpr uint8_t kKanaHigh = 0x30;
constexpr loom::ByteRange kIdeographHigh{0x4E, 0x9F};
constexpr uint8_t kFormsHigh = 0xFF;
// The high bytes of code page 932's other symbols: Greek and Cyrillic,
// punctuation, arrows and signs, circled and squared forms, compatibility
// ideographs.
constexpr loom::ByteRange kSymbolHigh[] = {{0x03, 0x04}, {0x20, 0x26}, {0x32, 0x33}, {0xF9, 0xFA}};

class JapaneseUtf16 {
public:
    // How far the rules read after a position: a string table's length
    // word and the strings it spans (up to 255 code units after one read
    // from a control unit; three strings of up to 126 after ASCII ones,
    // 762 bytes with their length words and the unit that ends them), and
    // a whole string's first sixteen code units.
    static constexpr size_t kLookAhead = 768;

    explicit JapaneseUtf16(const ExtractionSettings &settings)
        : printable_(PrintableBytes(settings)), halfKana_(!settings.CheckHalfKana)
    {
        // The high bytes of Japanese code units, and of text in Japanese
        // UTF-16 text (those, the symbols' and zero, in a few ranges that
        // hold them all).
        highSet_.Add(kKanaHigh, kKanaHigh);
        highSet_.Add(kFormsHigh, kFormsHigh);
        highSet_.Add(kIdeographHigh);
        // The high bytes of the code units that mark Japanese text (kana,
        // forms, symbols), in four ranges that hold them all.
        markHighSet_.Add(0x03, 0x04);
        markHighSet_.Add(0x20, 0x26);
        markHighSet_.Add(kKanaHigh, 0x33);
        markHighSet_.Add(0xF9, kFormsHigh);
        ideographHighSet_.Add(kIdeographHigh);
        // Bytes below 0x20, line breaks, and (in four ranges that hold
        // them all) the high bytes of Japanese characters and symbols.
        controlSet_.Add(0x00, 0x1F);
        breakSet_.Add(0x09, 0x0A);
        breakSet_.Add(0x0D, 0x0D);
        spanHighSet_.Add(0x03, 0x04);
        spanHighSet_.Add(0x20, 0x33);
        spanHighSet_.Add(kIdeographHigh);
        spanHighSet_.Add(0xF9, 0xFF);
        std::memcpy(japaneseUnits_, kJapaneseUnitBits, sizeof japaneseUnits_);
        if (!halfKana_) {
            for (unsigned unit = kHalfWidthKatakanaFirst; unit <= kHalfWidthKatakanaLast; ++unit)
                japaneseUnits_[unit >> 5] &= ~(uint32_t(1) << (unit & 31));
        }
        std::memcpy(textUnits_, japaneseUnits_, sizeof textUnits_);
        for (unsigned unit = 0; unit < 0x100; ++unit) {
            if (printable_.Has(static_cast<uint8_t>(unit)))
                textUnits_[unit >> 5] |= uint32_t(1) << (unit & 31);
        }
        ByteSet symbolHigh;
        symbolHigh.Add(kSymbolHigh);
        for (int v = 0; v < 256; ++v) {
            const auto b = static_cast<uint8_t>(v);
            markHigh_[b] = b == 0 || b == kKanaHigh || b == kFormsHigh || symbolHigh.Has(b);
        }
    }

    // Whether the code unit at k is a Japanese character that code page
    // 932 holds (half-width katakana only when they are printable).
    bool Japanese(const Window &w, ptrdiff_t k) const { return JapaneseUnit(w.Unit(k)); }
    bool JapaneseUnit(unsigned u) const { return (japaneseUnits_[u >> 5] >> (u & 31)) & 1; }

    // Whether both bytes of the code unit at k could be single-byte text:
    // a high byte that is printable ASCII other than '0', and a low byte
    // that is printable ASCII or zero.  "ge" reads as a CJK ideograph, so
    // such a unit alone does not begin Japanese text; hiragana (high byte
    // '0') may.
    bool TextLike(const Window &w, ptrdiff_t k) const
    {
        return TextLikeUnit(w.At(k), w.At(k + 1));
    }
    static bool TextLikeUnit(uint8_t lo, uint8_t hi)
    {
        return sjis::IsPrintableAscii(hi) &&
               (lo == 0 || (sjis::IsPrintableAscii(lo) && hi != kKanaHigh));
    }

    // Whether the code unit at k is "printable byte, zero".
    bool AsciiUnit(const Window &w, ptrdiff_t k) const
    {
        return printable_.Has(w.At(k)) && w.At(k + 1) == 0;
    }

    // A symbol of code page 932 (it goes on with Japanese text, and never
    // begins it), and any code unit of Japanese text.
    bool Symbol(const Window &w, ptrdiff_t k) const { return IsJapaneseSymbol(w.Unit(k)); }
    bool TextUnit(const Window &w, ptrdiff_t k) const
    {
        return Japanese(w, k) || Symbol(w, k) || AsciiUnit(w, k);
    }
    // A zero or control code unit, or the data's end: where UTF-16 text
    // ends for good.
    bool HardEnd(const Window &w, ptrdiff_t k) const
    {
        return w.Past(k) || (w.At(k + 1) == 0 && w.At(k) < 0x20);
    }
    static bool BreakValue(uint8_t v) { return v == 0x09 || v == 0x0A || v == 0x0D; }
    // A line break: a code unit 0x0009, 0x000A or 0x000D.
    bool LineBreak(const Window &w, ptrdiff_t k) const
    {
        return w.At(k + 1) == 0 && BreakValue(w.At(k));
    }
    // Whether a zero or control code unit stands right before k.
    bool ControlBefore(const Window &w, ptrdiff_t k) const
    {
        return w.Back(k, 1) == 0 && w.Back(k, 2) < 0x20;
    }
    // Whether a string may begin at k as a whole one: right after a zero
    // or control code unit, a string table's length word (the walk passed
    // over one that ended right before `afterLength`, a file offset), or
    // the words of a menu or dialog item.
    bool StrongAt(const Window &w, ptrdiff_t k, uint64_t afterLength) const
    {
        return afterLength == w.base + static_cast<uint64_t>(k) || ControlBefore(w, k) ||
               ItemWordsBefore(w, k);
    }
    // Right before k, in the data: a popup menu's flags or a dialog item's
    // class (a unit 0x0080-0x00FF after a zero unit or 0xFFFF), or a menu
    // item's flags (0x0000 or 0x0080 after a zero unit) and identifier.
    bool ItemWordsBefore(const Window &w, ptrdiff_t k) const
    {
        if (static_cast<int64_t>(w.base) + k < 6)
            return false;
        const unsigned flags = w.Back(k, 4) | w.Back(k, 3) << 8;
        if (w.Back(k, 1) == 0 && w.Back(k, 2) >= 0x80 && (flags == 0 || flags == 0xFFFF))
            return true;
        return (flags & 0xFF7F) == 0 && w.Back(k, 6) == 0 && w.Back(k, 5) == 0;
    }

    // UTF-16 text from k to its end: Japanese characters, symbols and
    // ASCII units up to a zero or control unit right after a character
    // that is not ASCII, or with a character unlike single-byte text or two
    // ASCII units in a row after the first (single-byte strings read as
    // UTF-16 have neither before their zero byte), or after text that had
    // either (`evidence`); within sixteen code units.
    __attribute__((always_inline)) bool TextToEnd(const Window &w, ptrdiff_t k,
                                                  bool evidence) const
    {
        for (ptrdiff_t u = 0; u < 16; ++u) {
            const ptrdiff_t p = k + 2 * u;
            if (u > 0 && HardEnd(w, p))
                return evidence || !AsciiUnit(w, p - 2);
            if (w.Past(p + 1) || !TextUnit(w, p))
                return false;
            const bool ascii = AsciiUnit(w, p);
            evidence = evidence || (u > 0 && !ascii && !TextLike(w, p)) ||
                       (ascii && AsciiUnit(w, p + 2));
        }
        return evidence;
    }

    // Whether Japanese text begins at k as a whole string: a Japanese
    // character and two more Japanese characters or ASCII units, then text
    // that ends at a zero or control unit within sixteen code units (or
    // runs on past them), with a character unlike single-byte text after
    // the first, or two ASCII units in a row (single-byte strings read as
    // UTF-16 have neither before their zero byte); `marked`: with kana, a
    // symbol or an ASCII unit among them too, and not beginning with a
    // zero byte.
    bool BeginsWhole(const Window &w, ptrdiff_t k, bool marked) const
    {
        if (!Japanese(w, k) || (marked && w.At(k) == 0))
            return false;
        // A marked string needs a code unit whose high byte is that of a
        // mark or of an end (kana, forms, symbols, ASCII units and zero or
        // control units) among the sixteen: looked for by the high bytes
        // first (Shift-JIS text read as UTF-16 has none).
        if (marked) {
            ptrdiff_t u = 0;
            while (u < 16 && !markHigh_[w.At(k + 2 * u + 1)])
                ++u;
            if (u == 16)
                return false;
        }
        bool evidence = false, marks = !marked;
        for (ptrdiff_t u = 0; u < 16; ++u) {
            const ptrdiff_t p = k + 2 * u;
            if (u > 0 && HardEnd(w, p))
                return evidence && marks && u >= 3;
            const bool ascii = AsciiUnit(w, p);
            if (w.Past(p + 1) || !(ascii || Japanese(w, p) || (u >= 3 && Symbol(w, p))))
                return false;
            evidence = evidence || (u > 0 && !ascii && !TextLike(w, p)) ||
                       (ascii && AsciiUnit(w, p + 2));
            marks = marks || ascii || Symbol(w, p) || IsKanaOrSymbol(w.Unit(p));
        }
        return evidence && marks;
    }

    // Whether Japanese UTF-16 text begins at k: by the three code units
    // that follow a zero byte, or as a whole string (right after a zero or
    // control unit or a length word, StrongAt with `afterLength`; after
    // another byte that is not text, a marked one).
    bool BeginsAt(const Window &w, size_t k, bool resumed, uint64_t afterLength) const
    {
        // Both ways need a Japanese character and two more Japanese
        // characters or ASCII units, not all three with a zero low byte:
        // those are a unit 0x0080-0x00FF (a menu item's flags, a dialog
        // item's class) and ASCII UTF-16 text, read one byte off.
        const ptrdiff_t s = static_cast<ptrdiff_t>(k);
        if (!Japanese(w, s) || !(Japanese(w, s + 2) || AsciiUnit(w, s + 2)) ||
            !(Japanese(w, s + 4) || AsciiUnit(w, s + 4)) ||
            (w.At(s) | w.At(s + 2) | w.At(s + 4)) == 0)
            return false;
        if (BeginsJapanese(w, k, resumed))
            return true;
        if (resumed || StrongAt(w, s, afterLength))
            return BeginsWhole(w, s, false);
        return !printable_.Has(w.Before(k)) && BeginsWhole(w, s, true);
    }
    // Its sieve outside the 64 positions the walk classified last: by the
    // high byte of the unit at k.
    bool MayBegin(const Window &w, size_t k) const
    {
        return highSet_.Has(w.At(static_cast<ptrdiff_t>(k) + 1));
    }

    // Whether Japanese UTF-16 text begins at k: a Japanese character, then
    // two code units each a Japanese character or an ASCII unit, with at
    // least one of the Japanese characters unlike single-byte text.  After
    // a zero byte that is enough (`resumed`: right after Japanese text that
    // ended at a code unit passed over whole counts as after a zero).
    // After another byte that is not text (a menu item's identifier, a
    // font's character set) kana, a CJK symbol or an ASCII unit must be
    // among the three too; and a character whose low byte is zero begins
    // text only after a zero, as a zero and a byte are also ASCII UTF-16
    // text read one byte off.
    bool BeginsJapanese(const Window &w, size_t k, bool resumed) const
    {
        const uint8_t before = resumed ? 0 : w.Before(k);
        if (before != 0 && (w.data[k] == 0 || printable_.Has(before)))
            return false;
        uint8_t b[6];
        for (size_t n = 0; n < 6; ++n)
            b[n] = w.At(k + n);
        bool unlike = false, marked = false;
        for (size_t n = 0; n < 6; n += 2) {
            const unsigned u = b[n] | b[n + 1] << 8;
            if (JapaneseUnit(u)) {
                unlike = unlike || !TextLikeUnit(b[n], b[n + 1]);
                marked = marked || IsKanaOrSymbol(static_cast<uint16_t>(u));
            } else if (n > 0 && printable_.Has(b[n]) && b[n + 1] == 0) {
                marked = true;
            } else {
                return false;
            }
        }
        return unlike && (before == 0 || marked);
    }

    // Whether one of the two code units after k is a Japanese character
    // unlike single-byte text.
    __attribute__((always_inline)) bool UnlikeAhead(const Window &w, size_t k) const
    {
        return (Japanese(w, k + 2) && !TextLike(w, k + 2)) ||
               (Japanese(w, k + 4) && !TextLike(w, k + 4));
    }

    // Whether the v code units from `at` (the string after a code unit
    // read as a string table's length word v) are text or line breaks,
    // with a Japanese character or symbol among them when `japaneseIn`,
    // and end at a unit that may end a string (`depth` length words deep;
    // a line break only when `breakEnds`) or, with `depth` below 0, at
    // anything but a Japanese character or symbol.
    bool LengthSpan(const Window &w, ptrdiff_t at, size_t v, int depth, bool japaneseIn,
                    bool breakEnds = true) const
    {
        // Most spans that must hold Japanese text are ASCII text (UTF-16
        // strings that begin after a zero unit): the first unit that is no
        // ASCII unit or line break must be a Japanese character or symbol.
        if (japaneseIn) {
            const ptrdiff_t p = at + 2 * static_cast<ptrdiff_t>(AsciiUnits(w, at, v));
            if (p == at + 2 * static_cast<ptrdiff_t>(v) || w.Past(p + 1) ||
                !(Japanese(w, p) || Symbol(w, p)))
                return false;
        }
        // Where the units end: it decides most other cases at once.
        const ptrdiff_t after = at + 2 * static_cast<ptrdiff_t>(v);
        if (depth < 0 ? Japanese(w, after) || Symbol(w, after)
                      : !StringEnd(w, after, depth, breakEnds))
            return false;
        for (size_t u = 0; u < v; ++u) {
            const ptrdiff_t p = at + 2 * static_cast<ptrdiff_t>(u);
            if (w.Past(p + 1))
                return false;
            if (!AsciiUnit(w, p) && !LineBreak(w, p) && !Japanese(w, p) && !Symbol(w, p))
                return false;
        }
        return true;
    }
    // How many of the v code units from `at` on are ASCII units or line
    // breaks before the first that is neither (v when all are).
    size_t AsciiUnits(const Window &w, ptrdiff_t at, size_t v) const
    {
        size_t u = 0;
        if (at < 0 || static_cast<size_t>(at) + 2 * v + 2 > w.avail) {
            for (ptrdiff_t p = at; u < v && (AsciiUnit(w, p) || LineBreak(w, p)); p += 2)
                ++u;
            return u;
        }
        const uint8_t *d = w.data + at;
        // With vectors, V::kBytes / 2 units at a time (of the widest):
        // low bytes printable or a line break, high bytes zero.
        bool ended = false;
        SearchVecs::Widest([&](auto vector) {
            using V = decltype(vector);
            constexpr uint32_t even = static_cast<uint32_t>(0x5555555555555555ull) & AllBits<V>();
            for (; v - u >= V::kBytes / 2; u += V::kBytes / 2) {
                const uint8_t *from = d + 2 * u;
                const uint32_t low = printable_.Mask<V>(from) | breakSet_.Mask<V>(from);
                const uint32_t zero = V::Bits(V::Equal(V::Load(from), V::Zero()));
                const uint32_t good = low & (zero >> 1) & even;
                if (good != even) {
                    u += static_cast<size_t>(__builtin_ctz(~good & even)) / 2;
                    ended = true;
                    return;
                }
            }
        });
        if (ended)
            return u;
        while (u < v && (printable_.Has(d[2 * u]) || BreakValue(d[2 * u])) && d[2 * u + 1] == 0)
            ++u;
        return u;
    }
    // A code unit that may end a string of a string table: the data's end,
    // a zero or control unit (a line break only when `breakEnds`), a unit
    // 0x007F-0x00FF that is no text (a length of 127 and more), or, with
    // `depth` above 0, the next string's ASCII length word.
    bool StringEnd(const Window &w, ptrdiff_t k, int depth, bool breakEnds = true) const
    {
        if (w.Past(k) || (w.At(k + 1) == 0 && !AsciiUnit(w, k)))
            return breakEnds || !LineBreak(w, k);
        return depth > 0 && AsciiLengthWord(w, k, depth - 1, false, breakEnds);
    }
    // An ASCII unit (0x20-0x7E) at k that reads as a length word.
    bool AsciiLengthWord(const Window &w, ptrdiff_t k, int depth, bool japaneseIn,
                         bool breakEnds = true) const
    {
        return AsciiUnit(w, k) && w.At(k) <= 0x7E &&
               LengthSpan(w, k + 2, w.At(k), depth, japaneseIn, breakEnds);
    }
    // An ASCII unit at k that reads as a string table's length word with
    // Japanese text in its string (two more length words deep), right
    // after a zero or control unit.  After a line break (the string before
    // ended with one) the string holds a line break only as its last unit,
    // and no string of the three ends at one: the lines of a longer string
    // that begin with ASCII characters would read so otherwise.
    __attribute__((always_inline)) bool LengthWordAfterControl(const Window &w,
                                                               ptrdiff_t k) const
    {
        if (!ControlBefore(w, k))
            return false;
        if (!LineBreak(w, k - 2))
            return AsciiLengthWord(w, k, 2, true);
        if (!AsciiLengthWord(w, k, 2, true, false))
            return false;
        const ptrdiff_t last = k + 2 * static_cast<ptrdiff_t>(w.At(k));
        for (ptrdiff_t p = k + 2; p < last; p += 2) {
            if (LineBreak(w, p))
                return false;
        }
        return true;
    }
    // A code unit at k that reads as a string table's length word with
    // Japanese text in its string (a control unit other than a line break,
    // or one of 0x007F-0x00FF that is no text): the walk follows the table
    // from there.
    bool FollowsFrom(const Window &w, ptrdiff_t k) const
    {
        if (w.Past(k + 1) || w.At(k + 1) != 0)
            return false;
        const uint8_t v = w.At(k);
        if (v == 0 || printable_.Has(v) || BreakValue(v))
            return false;
        return LengthSpan(w, k + 2, v, -1, true);
    }

    // The sieve of LengthWordAfterControl: the positions of the 64 at i (of
    // `zeroAfterSingle`, as bits) where the single byte before the zero may
    // be a string table's length word after a zero or control unit: a
    // zero and a byte below 0x20 before it, and after the zero a code unit
    // that may begin its string (a line break or text; a printable byte or
    // a Japanese character there makes the position interesting anyway).
    // `zero`: the zeros of the 64; `before`: the bytes before them
    // (Window::BytesBefore).
    uint64_t LengthWordBits(const Window &w, size_t i, uint32_t before, uint64_t zero,
                            uint64_t zeroAfterSingle) const
    {
        const auto back = [before](int n) { return static_cast<uint8_t>(before >> 8 * (n - 1)); };
        const uint64_t zero2 = zero << 2 | uint64_t(back(1) == 0) << 1 | uint64_t(back(2) == 0);
        uint64_t bits = zeroAfterSingle & zero2;
        if (bits == 0)
            return 0;
        const uint8_t *d = w.data;
        const uint64_t low3 = controlSet_.Mask64(d + i) << 3 | uint64_t(back(1) < 0x20) << 2 |
                              uint64_t(back(2) < 0x20) << 1 | uint64_t(back(3) < 0x20);
        const uint64_t zeroAt2 =
            zero >> 2 | uint64_t(d[i + 64] == 0) << 62 | uint64_t(d[i + 65] == 0) << 63;
        const uint64_t next =
            (breakSet_.Mask64(d + i + 1) & zeroAt2) | spanHighSet_.Mask64(d + i + 2);
        return bits & low3 & next;
    }

    // With Japanese UTF-16 text, the positions of the 64 at i (as bits)
    // where the plain steps would take a Japanese character: a zero after a
    // single byte (of `zeroAfterSingle`) that one follows (returned), or,
    // with no candidate (outside the text that a run gathers from its first
    // printable byte on, and the byte that ends it), the beginning of
    // Japanese text after a byte that is not text.  Whether such text
    // begins depends on the walk (a length word passed over), so *begins
    // gets the positions where it may, for the walk to ask BeginsAt;
    // *may, those where BeginsAt may hold at all (in runs too), whatever
    // the walk's state.  `p`, `run`, `zero`: the printable bytes, runs and
    // zeros of the 64 (of `single`, whose byte sets also classify the bytes
    // after them); `bytesBefore`: the bytes before them
    // (Window::BytesBefore).  The 64 positions' look-ahead is in the window.
    //
    // The positions are sifted in vector registers first, so that the
    // table of Japanese characters is read for few of them: most blocks of
    // machine code (whose bytes read as CJK ideographs everywhere) and of
    // Shift-JIS text read as UTF-16 keep none.
    __attribute__((always_inline)) uint64_t JapaneseBits(const Window &w,
                                                         const SingleByteText &single, size_t i,
                                                         uint32_t bytesBefore, uint64_t p,
                                                         uint64_t run, uint64_t zero,
                                                         uint64_t zeroAfterSingle, uint64_t *begins,
                                                         uint64_t *may) const
    {
        const uint8_t *d = w.data;
        // Bit q: the code unit at i + q may be a Japanese character
        // (japanese), kana or a symbol among them (kana), an ASCII unit
        // (ascii).  Shifted masks lack their top bits (units past i + 64):
        // those are taken as set, and the exact tests below decide.
        uint64_t japanese, kana;
        UnitMasks64(d + i, &japanese, &kana);
        const uint64_t zero1 = zero >> 1 | uint64_t(d[i + 64] == 0) << 63;
        const uint64_t ascii = zero1 & p;
        const uint64_t text = japanese | ascii;
        uint64_t first = 0;
        // The unit at i + 64, by its high byte.
        const uint64_t japanese64 = highSet_.Has(d[i + 65]);
        for (uint64_t maybe = zeroAfterSingle & (japanese >> 1 | japanese64 << 63); maybe;
             maybe &= maybe - 1) {
            const size_t k = i + static_cast<size_t>(LowestBit(maybe)) + 1;
            if (JapaneseUnit(d[k] | d[k + 1] << 8))
                first |= maybe & -maybe;
        }
        // Japanese text after a byte that is not text: a Japanese
        // character, then two more Japanese characters or ASCII units, not
        // all three with a zero low byte.
        uint64_t maybe = japanese & (text >> 2 | uint64_t(3) << 62) &
                         (text >> 4 | uint64_t(15) << 60) & ~(zero & zero >> 2 & zero >> 4);
        *begins = *may = 0;
        if (maybe == 0)
            return first;
        // After a zero, or (a zero before a zero low byte) right after a
        // menu item's flags and identifier, whatever its bytes: there the
        // bytes 6, 5 and 3 before are zero (and the byte 4 before zero or
        // 0x80), taken by those zeros, and for the first six positions
        // whatever the bytes before.
        const auto before = static_cast<uint8_t>(bytesBefore);
        const uint64_t notText = ~(p << 1 | uint64_t(printable_.Has(before)));
        const uint64_t zeroBefore = zero << 1 | uint64_t(before == 0);
        const uint64_t items = (zero << 6 & zero << 5 & zero << 3) | 0x3F;
        maybe &= (~zero & notText) | (zero & zeroBefore) | items;
        // After another byte, kana, a symbol or an ASCII unit among the
        // three, or text up to one within sixteen code units.
        const uint64_t marks = kana | ascii;
        const uint64_t strong = zeroBefore | items | kana | marks >> 2 | marks >> 4 |
                                uint64_t(15) << 60;
        if (maybe & ~strong)
            maybe &= strong | WholeAhead(w, single, i, zero1, ascii, japanese);
        // The three code units exactly, by the table of text units.
        uint64_t exact = 0;
        for (; maybe; maybe &= maybe - 1) {
            const int q = LowestBit(maybe);
            exact |= uint64_t(TextUnitsAt(d + i + q)) << q;
        }
        *may = exact;
        if (exact)
            *begins = exact & ~(SpreadInRuns(p, run) << 1);
        return first;
    }

private:
    // Whether each of the three code units at u is a Japanese character or
    // an ASCII unit.
    unsigned TextUnitsAt(const uint8_t *u) const
    {
        auto text = [this](const uint8_t *at) {
            const unsigned unit = at[0] | at[1] << 8;
            return (textUnits_[unit >> 5] >> (unit & 31)) & 1;
        };
        return text(u) & text(u + 2) & text(u + 4);
    }

    // Bit q set where, from the code unit at i + q + 6 (the fourth of text
    // that begins at i + q) on, text units run up to a mark of Japanese
    // text (kana, a symbol, an ASCII unit) within the sixteen code units
    // from i + q, and on to a zero or control unit or past the sixteen, by
    // the high bytes (and the low bytes of ASCII units and ends).  Units
    // past i + 96 are taken as marks and ends.  `zero1`: the bytes after
    // the 64 positions that are zero; `ascii` and `japanese`: the units
    // there that are ASCII and may be Japanese.  The printable bytes and
    // zeros of the units after the 64 are read with the byte sets of
    // `single`, which the sift holds ready.
    uint64_t WholeAhead(const Window &w, const SingleByteText &single, size_t i, uint64_t zero1,
                        uint64_t ascii, uint64_t japanese) const
    {
        const uint8_t *d = w.data + i;
        uint64_t markLo = ascii | markHighSet_.Mask64(d + 1);
        uint64_t textLo = markLo | japanese;
        uint64_t endLo = zero1 & controlSet_.Mask64(d);
        // The units at i + 64 .. i + 95.
        const uint64_t zeroHi = single.ZeroSet().Mask32(d + 65);
        const uint64_t asciiHi = single.PrintableSet().Mask32(d + 64) & zeroHi;
        uint64_t markHi = asciiHi | markHighSet_.Mask32(d + 65) | ~uint64_t(0) << 32;
        uint64_t textHi = markHi | ideographHighSet_.Mask32(d + 65);
        uint64_t endHi = (zeroHi & controlSet_.Mask32(d + 64)) | ~uint64_t(0) << 32;
        // Doubling: after the step of s bytes, text holds the units whose
        // s / 2 units from them on are text, and mark and end those from
        // which text units run (up to s - 1 of them) to one.
        uint64_t text8 = 0, text8Hi = 0;
        for (int step = 2; step <= 16; step *= 2) {
            markLo |= textLo & (markLo >> step | markHi << (64 - step));
            markHi |= textHi & (markHi >> step);
            endLo |= textLo & (endLo >> step | endHi << (64 - step));
            endHi |= textHi & (endHi >> step);
            textLo &= textLo >> step | textHi << (64 - step);
            textHi &= textHi >> step;
            if (step == 8) {
                text8 = textLo;
                text8Hi = textHi;
            }
        }
        // Text that runs through the thirteen units 3 to 15 needs no end.
        const uint64_t text13 = text8 & (text8 >> 10 | text8Hi << 54);
        const uint64_t text13Hi = text8Hi & text8Hi >> 10;
        const uint64_t endOrOn = endLo | text13, endOrOnHi = endHi | text13Hi;
        return (markLo >> 6 | markHi << 58) & (endOrOn >> 6 | endOrOnHi << 58);
    }

    // Bit q of *japanese set where the code unit at d + q (its low byte
    // there, its high byte after it) may be a Japanese character: by its
    // high byte (kKanaHigh, kIdeographHigh, kFormsHigh), and forms by their
    // low byte too (0xFF01-0xFF9F, to 0xFF60 when half-width katakana are
    // not printable).  *kana: kana and CJK symbols (kKanaHigh) and
    // half-width katakana.
    void UnitMasks64(const uint8_t *d, uint64_t *japanese, uint64_t *kana) const
    {
        using V = BlockVec;
        using T = typename V::T;
        constexpr uint8_t halfFirst = kHalfWidthKatakanaFirst & 0xFF;
        constexpr uint8_t halfLast = kHalfWidthKatakanaLast & 0xFF;
        const uint8_t formsLast = halfKana_ ? halfLast : halfFirst - 1;
        uint64_t jm = 0, km = 0;
        for (size_t k = 0; k < 64; k += V::kBytes) {
            const T lo = V::Load(d + k), hi = V::Load(d + k + 1);
            const T ideograph = InRange<V>(hi, V::Splat(kIdeographHigh.first),
                                           V::Splat(kIdeographHigh.last - kIdeographHigh.first));
            const T kanaHigh = V::Equal(hi, V::Splat(kKanaHigh));
            const T formsHigh = V::Equal(hi, V::Splat(kFormsHigh));
            const T forms =
                V::And(formsHigh, InRange<V>(lo, V::Splat(0x01), V::Splat(formsLast - 0x01)));
            const T halfWidth = V::And(
                formsHigh, InRange<V>(lo, V::Splat(halfFirst), V::Splat(halfLast - halfFirst)));
            jm |= static_cast<uint64_t>(V::Bits(V::Or(ideograph, V::Or(kanaHigh, forms)))) << k;
            km |= static_cast<uint64_t>(V::Bits(V::Or(kanaHigh, halfWidth))) << k;
        }
        *japanese = jm;
        *kana = km;
    }

    ByteSet printable_;
    bool halfKana_;  // half-width katakana are printable
    ByteSet highSet_;
    ByteSet markHighSet_;
    ByteSet ideographHighSet_;
    ByteSet controlSet_;
    ByteSet breakSet_;
    ByteSet spanHighSet_;
    bool markHigh_[256];  // high bytes of marks and ends of Japanese text
    // Bit u: the code unit u is a Japanese character that code page 932
    // holds (half-width katakana only when they are printable); in
    // textUnits_, or an ASCII unit (printable byte, zero).  Last: the
    // members the walk reads at every step stay together.
    uint32_t japaneseUnits_[65536 / 32];
    uint32_t textUnits_[65536 / 32];
};
