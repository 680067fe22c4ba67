// UTF-8 text (SearchUtf8): single-byte text that takes well-formed
// multi-byte UTF-8 characters (as their code page 932 bytes, or a
// stand-in).  The rule of where UTF-8 text begins (Starts, Begins), and
// its sieve over 64 positions (Sieve), which marks every position where
// the rule may hold: the walk reads the rule only at the positions it
// marks.

class Utf8Text {
public:
    // How far the rule reads after a position: a character and the next
    // one, or the text after a character (kRunsOn bytes) and a character
    // there.
    static constexpr size_t kRunsOn = 32;
    static constexpr size_t kLookAhead = 4 + kRunsOn + 3;

    explicit Utf8Text(const ExtractionSettings &settings) : halfKana_(!settings.CheckHalfKana)
    {
        for (int v = 0; v < 256; ++v)
            lead_[v] = utf8::kLead.Holds(static_cast<uint8_t>(v));
        leadSet_.Add(utf8::kLead);
        asciiSet_.Add(sjis::kPrintableAscii);
        smallSet_.Add('a', 'z');
    }

    // Whether the byte b may begin a multi-byte UTF-8 character.
    bool MayLead(uint8_t b) const { return lead_[b]; }
    const ByteSet &LeadSet() const { return leadSet_; }
    // Printable ASCII, the single bytes UTF-8 text takes.
    const ByteSet &AsciiSet() const { return asciiSet_; }

    // The well-formed UTF-8 sequence at k: its length (0: none) and code
    // point.
    unsigned CharAt(const Window &w, ptrdiff_t k, uint32_t *code) const
    {
        if (k >= 0 && static_cast<size_t>(k) + 4 <= w.avail)
            return utf8::Sequence(w.data + k, code);
        const uint8_t b[4] = {w.At(k), w.At(k + 1), w.At(k + 2), w.At(k + 3)};
        return utf8::Sequence(b, code);
    }
    bool Here(const Window &w, size_t j) const
    {
        uint32_t code;
        return CharAt(w, static_cast<ptrdiff_t>(j), &code) != 0;
    }
    // A character of text: not a control character (U+0080-U+009F), not
    // in planes 4 to 13, where no character is assigned (machine code
    // makes their sequences: F1-F3, then three bytes 80-BF, are also
    // Shift-JIS pairs and katakana), and a half-width katakana only when
    // they are printable.
    bool IsText(uint32_t code) const
    {
        return code >= 0xA0 && (code < 0x40000 || code >= 0xE0000) &&
               (halfKana_ || !IsHalfWidthKatakana(code));
    }

    // Whether UTF-8 text begins with the character `code` of `length` bytes
    // at k:
    //   - three bytes or four, and another multi-byte character of text
    //     follows it at once, or code page 932 holds it (kana, kanji,
    //     full-width forms, symbols) and ASCII or a character follows it;
    //   - two bytes, and another character of two bytes from the same
    //     stretch of the code (a first byte one apart at most: Cyrillic,
    //     Greek, Hebrew, Arabic letters) follows it at once;
    //   - a Latin letter (U+00C0-U+017F but the multiplication and division
    //     signs) inside a word: small ASCII letters right before it and
    //     right after it, or two of them on one side.
    // Machine code makes lone characters of two bytes between other bytes
    // (after a return: C3, then the next function's first byte), and
    // Shift-JIS text read as UTF-8 characters of two bytes from all over
    // the code.
    bool Begins(const Window &w, ptrdiff_t k, unsigned length, uint32_t code) const
    {
        uint32_t next;
        if (length >= 3) {
            const unsigned nextLength = CharAt(w, k + length, &next);
            if (nextLength)
                return IsText(next) || Cp932Form(code) != 0;
            return w.At(k + length) < 0x80 && Cp932Form(code) != 0;
        }
        if (unsigned(w.At(k + 2) + 1 - w.At(k)) <= 2 && CharAt(w, k + 2, &next) == 2 &&
            IsText(next))
            return true;
        auto small = [](uint8_t b) { return b >= 'a' && b <= 'z'; };
        if (code < 0xC0 || code > 0x17F || code == 0xD7 || code == 0xF7)
            return false;
        const bool before = small(w.At(k - 1)), after = small(w.At(k + 2));
        return (before && (small(w.At(k - 2)) || after)) || (after && small(w.At(k + 3)));
    }
    // Whether the UTF-8 character at k begins UTF-8 text in single-byte text
    // (`single`) without Shift-JIS pairs: where Begins holds, or where its
    // first two bytes are a Shift-JIS pair as well and the UTF-8 reading
    // runs on.
    bool Starts(const Window &w, size_t k, const SingleByteText &single) const
    {
        const ptrdiff_t at = static_cast<ptrdiff_t>(k);
        uint32_t code;
        const unsigned length = CharAt(w, at, &code);
        if (!length || !IsText(code))
            return false;
        const bool pair = single.PairAt(w, k);
        return Begins(w, at, length, code) || (pair && RunsOn(w, at + length));
    }
    // Whether the UTF-8 reading runs on from k: printable ASCII bytes up to
    // the end of the text (a byte below 0x20, the data's end) or up to a
    // multi-byte character of text, within kRunsOn bytes.
    bool RunsOn(const Window &w, ptrdiff_t k) const
    {
        for (ptrdiff_t j = k; j < k + static_cast<ptrdiff_t>(kRunsOn); ++j) {
            const uint8_t b = w.At(j);
            if (w.Past(j) || b < 0x20)
                return true;
            if (b > 0x7E) {
                uint32_t code;
                return CharAt(w, j, &code) && IsText(code);
            }
        }
        return true;
    }

    // The sieve: the positions of the 64 at i (as bits) where a UTF-8
    // character may begin UTF-8 text (Starts tells exactly); elsewhere the
    // plain steps read the bytes as without UTF-8 text.  By the bytes, what
    // Begins asks for:
    //   - a first byte E0-EF, two continuation bytes and a byte that is
    //     none (ASCII or another character's first byte); F0-F4 and three
    //     continuation bytes;
    //   - a first byte C2-DF and a continuation byte, then another first
    //     byte one apart at most and its continuation byte, or (C3-C5, a
    //     Latin letter) small ASCII letters around it.
    // The 64 positions' look-ahead is in the window.
    uint64_t Sieve(const Window &w, size_t i) const
    {
        const uint8_t *d = w.data + i;
        uint64_t latin;
        const uint64_t found = Candidates64(d, &latin);
        if (!latin)
            return found;
        // A Latin letter between small ASCII letters: two of them right
        // before it, or one right before it and one right after it, or
        // two right after it.
        const uint64_t small = smallSet_.Mask64(d);
        auto had = [this, &w, i](size_t n) {
            return uint64_t(smallSet_.Has(w.Back(static_cast<ptrdiff_t>(i), n)));
        };
        auto has = [this, d](int k) { return uint64_t(smallSet_.Has(d[64 + k])); };
        const uint64_t before1 = small << 1 | had(1);
        const uint64_t before2 = small << 2 | had(1) << 1 | had(2);
        const uint64_t after2 = small >> 2 | has(0) << 62 | has(1) << 63;
        const uint64_t after3 = small >> 3 | has(0) << 61 | has(1) << 62 | has(2) << 63;
        return found | (latin & ((before1 & (before2 | after2)) | (after2 & after3)));
    }

private:
    // The sieve of the 64 bytes at d, but for the Latin letters'
    // neighbours: returns the characters of three bytes and four and those
    // of two with another after them; *latin gets the Latin letters of two
    // bytes.  One pass over the bytes, without branches: binary data has
    // such bytes in most blocks.
    static uint64_t Candidates64(const uint8_t *d, uint64_t *latin)
    {
        using V = BlockVec;
        uint64_t found = 0, letters = 0;
        // As signed bytes, the continuation bytes 0x80-0xBF are those below
        // 0xC0 (-64).
        const typename V::T below = V::Splat(0xC0);
        for (size_t k = 0; k < 64; k += V::kBytes) {
            const typename V::T v = V::Load(d + k), v2 = V::Load(d + k + 2);
            const typename V::T c1 = V::Less(V::Load(d + k + 1), below);
            const typename V::T c2 = V::Less(v2, below);
            const typename V::T c3 = V::Less(V::Load(d + k + 3), below);
            const typename V::T lead3 = InRange<V>(v, V::Splat(0xE0), V::Splat(0xEF - 0xE0));
            const typename V::T lead4 =
                InRange<V>(v, V::Splat(0xF0), V::Splat(utf8::kLead.last - 0xF0));
            const typename V::T lead2 =
                InRange<V>(v, V::Splat(utf8::kLead.first), V::Splat(0xDF - utf8::kLead.first));
            const typename V::T three =
                V::And(V::And(c1, c2), V::Or(V::AndNot(c3, lead3), V::And(c3, lead4)));
            const typename V::T two = V::And(c1, lead2);
            const typename V::T gap = V::Add(V::Sub(v2, v), V::Splat(1));
            const typename V::T near = V::And(c3, V::Equal(V::Min(gap, V::Splat(2)), gap));
            found |= static_cast<uint64_t>(V::Bits(V::Or(three, V::And(two, near)))) << k;
            letters |= static_cast<uint64_t>(
                           V::Bits(V::And(two, InRange<V>(v, V::Splat(0xC3), V::Splat(2)))))
                       << k;
        }
        *latin = letters;
        return found;
    }

    bool lead_[256];
    ByteSet leadSet_;
    ByteSet asciiSet_;
    ByteSet smallSet_;  // a-z
    bool halfKana_;     // half-width katakana are printable
};
