// Single-byte text, and (with SearchKanji) the Shift-JIS double-byte
// characters in it: the byte classes by which the plain step goes, the
// printable test P(x), what a run of text takes at once, whether the byte
// after a run ends it, and the classification of 64 positions into runs
// that the sieves of every kind of text start from.

enum ByteClass : uint8_t { kZero, kPrintable, kLead, kOther };

inline ByteClass ClassOf(uint8_t b)
{
    if (b == 0)
        return kZero;
    if (sjis::IsPrintableAscii(b) || sjis::IsHalfWidthKana(b))
        return kPrintable;
    if (sjis::IsLead(b))
        return kLead;
    return kOther;
}

// A byte in single-byte text with Shift-JIS pairs: text, a katakana left
// out, a lead byte, anything else, or (with SearchUtf8) a byte that may
// begin a UTF-8 character, which is one of the others where none begins.
enum MixedByte : uint8_t { kMixedText, kMixedLeftOut, kMixedLead, kMixedEnd, kMixedUtf8 };

// The printable test P(x) as a byte set: printable ASCII, and half-width
// katakana while they count as printable (CheckHalfKana off).  Single-byte
// text and the code units of UTF-16 text both read it.
inline ByteSet PrintableBytes(const ExtractionSettings &settings)
{
    ByteSet set;
    set.Add(sjis::kPrintableAscii);
    if (!settings.CheckHalfKana)
        set.Add(sjis::kHalfWidthKana);
    return set;
}

// 64 positions classified for single-byte text, bit k for position k:
// printable bytes, katakana left out (CheckHalfKana on), runs (stretches
// of both: left-out katakana neither end a candidate nor join it), and
// the bytes that text may hold (with SearchKanji, the bytes of Shift-JIS
// pairs too; otherwise the runs).
struct RunBits {
    uint64_t printable;
    uint64_t kana;
    uint64_t run;
    uint64_t text;
};

class SingleByteText {
public:
    // `utf8Text`: the walk takes UTF-8 text too (SearchUtf8), which single
    // -byte text gives way to at a byte that may begin a UTF-8 character.
    SingleByteText(const ExtractionSettings &settings, bool utf8Text)
        : printableSet_(PrintableBytes(settings)), kanji_(settings.SearchKanji),
          hideKana_(settings.CheckHalfKana)
    {
        for (int v = 0; v < 256; ++v) {
            const auto b = static_cast<uint8_t>(v);
            class_[b] = ClassOf(b);
            printable_[b] = printableSet_.Has(b);
            trail_[b] = sjis::IsTrail(b);
            mixed_[b] = utf8Text && utf8::kLead.Holds(b) ? kMixedUtf8 : MixedOf(b);
            take_[b] = static_cast<uint8_t>((printable_[b] ? 1 : 0) | (class_[b] == kLead ? 2 : 0));
        }
        // With no candidate, only printable bytes and (with SearchKanji)
        // lead bytes change anything.
        startSet_ = printableSet_;
        if (kanji_)
            startSet_.Add(sjis::kLead);
        // Runs of printable bytes that the fast paths take whole: with UTF-8
        // text, without the bytes that may begin a UTF-8 character.
        runSet_ = printableSet_;
        if (utf8Text) {
            runSet_ = ByteSet();
            runSet_.Add(sjis::kPrintableAscii);
            if (!hideKana_)
                runSet_.Add(sjis::kHalfWidthKana.first, utf8::kLead.first - 1);
        }
        sameRun_ = !(utf8Text && !hideKana_);
        zeroSet_.Add(0, 0);
        // Printable bytes, katakana, and the bytes of Shift-JIS pairs.
        textSet_ = printableSet_;
        textSet_.Add(sjis::kLead);
        textSet_.Add(sjis::kTrail);
        kanaSet_.Add(sjis::kHalfWidthKana);
    }

    ByteClass Class(uint8_t b) const { return class_[b]; }
    // P(x).
    bool Printable(uint8_t b) const { return printable_[b]; }
    // A half-width katakana byte that text leaves out (CheckHalfKana).
    bool LeftOut(uint8_t b) const { return class_[b] == kPrintable && !printable_[b]; }
    MixedByte Mixed(uint8_t b) const { return mixed_[b]; }
    bool Kanji() const { return kanji_; }
    // A trail byte in the window right after the lead byte at k.
    bool TrailAfter(const Window &w, size_t k) const
    {
        return k + 1 < w.avail && trail_[w.data[k + 1]];
    }
    // A Shift-JIS pair at k that single-byte text takes (SearchKanji).
    bool PairAt(const Window &w, size_t k) const
    {
        return kanji_ && class_[w.data[k]] == kLead && TrailAfter(w, k);
    }

    // The bytes that begin a string where none is gathered (printable
    // bytes, and with SearchKanji lead bytes), the printable bytes, those
    // that the fast paths take as a run, and whether those two are the
    // same.
    const ByteSet &StartSet() const { return startSet_; }
    const ByteSet &PrintableSet() const { return printableSet_; }
    const ByteSet &RunSet() const { return runSet_; }
    bool SameRun() const { return sameRun_; }
    // Bit k set where byte k of the 64 at d is zero.
    uint64_t Zeros(const uint8_t *d) const { return zeroSet_.Mask64(d); }
    const ByteSet &ZeroSet() const { return zeroSet_; }

    // The 64 positions at d.
    RunBits Classify(const uint8_t *d) const
    {
        RunBits b;
        b.printable = printableSet_.Mask64(d);
        b.kana = hideKana_ ? kanaSet_.Mask64(d) : 0;
        b.run = b.printable | b.kana;
        b.text = kanji_ ? textSet_.Mask64(d) : b.run;
        return b;
    }
    // Bits where `length` bytes of `run` in a row begin, by doubling (none
    // when the length is 64 or more).
    static uint64_t LongStarts(uint64_t run, size_t length)
    {
        if (length >= 64)
            return 0;
        // At most six steps, with bounds the compiler knows, so that it
        // unrolls them; the length is the same for a whole walk, so the
        // tests always go the same way.  `have` bytes in a row after each.
        size_t have = 1;
        for (unsigned step = 1; step < 64; step *= 2) {
            if (step * 2 > length)
                break;
            run &= run >> step;
            have = step * 2;
        }
        if (have < length)
            run &= run >> (length - have);
        return run;
    }
    // The runs that may hold exactly one text byte, marked at their last
    // byte: a single printable byte, or any run with katakana in it (each
    // katakana bit spread upwards through its run).
    static uint64_t Singles(const RunBits &b)
    {
        const uint64_t starts = b.run & ~(b.run << 1);
        uint64_t single = starts & b.printable & ~(b.run >> 1);
        if (b.kana)
            single |= SpreadInRuns(b.kana, b.run);
        return single;
    }

    // With SearchKanji, single-byte text from position i on: printable
    // bytes, left-out katakana and Shift-JIS pairs taken at once up to
    // `limit`, as their steps would take them one by one.  Stops at any
    // other byte, at a pair that `limit` cuts, and (with UTF-8 text) at a
    // byte where utf8Here(j) finds a well-formed UTF-8 character, which the
    // plain step reads.  *leftOut: katakana were left out; *pairs: a pair
    // was taken.
    template <class Utf8Here>
    size_t MixedEnd(const Window &w, size_t i, size_t limit, bool *leftOut, bool *pairs,
                    Utf8Here utf8Here) const
    {
        const uint8_t *d = w.data;
        bool left = false, taken = false;
        size_t j = i;
        while (j <= limit) {
            MixedByte m = mixed_[d[j]];
            if (m == kMixedText) {
                ++j;
                continue;
            }
            if (m == kMixedUtf8) {
                if (utf8Here(j))
                    break;
                m = MixedOf(d[j]);
            }
            if (m == kMixedText || m == kMixedLeftOut) {
                left = left || m == kMixedLeftOut;
                ++j;
                continue;
            }
            if (m != kMixedLead || j + 1 > limit || !trail_[d[j + 1]])
                break;
            taken = true;
            j += 2;
        }
        *leftOut = left;
        *pairs = taken;
        return j;
    }
    // Whether the step of the byte at j, after `run` bytes of single-byte
    // text that is not UTF-8 text, flushes it: control bytes and the like,
    // a lead byte without a trail byte, and a zero after two bytes or more
    // (a zero after one may begin UTF-16 text); not a UTF-8 character
    // (utf8Here, asked only where `utf8Text`).
    template <bool utf8Text, class Utf8Here>
    bool MixedFlushes(const Window &w, size_t j, size_t run, Utf8Here utf8Here) const
    {
        const uint8_t after = w.data[j];
        if (utf8Text && mixed_[after] == kMixedUtf8 && utf8Here(j))
            return false;
        switch (class_[after]) {
        case kZero:
            return run >= 2;
        case kLead:
            return !TrailAfter(w, j);
        case kPrintable:
            return false;
        default:
            return true;
        }
    }
    // Whether the byte at j after a run of `run` printable bytes, examined
    // with no wide text, ends the run with a flush: control bytes and the
    // like, lead bytes without SearchKanji, and a zero after two bytes or
    // more; not a UTF-8 character that begins UTF-8 text (utf8Starts,
    // asked only where `utf8Text`).
    template <bool utf8Text, class Utf8Starts>
    bool Flushes(const Window &w, size_t j, size_t run, Utf8Starts utf8Starts) const
    {
        const uint8_t after = w.data[j];
        if (utf8Text && mixed_[after] == kMixedUtf8 && utf8Starts(j))
            return false;
        const ByteClass c = class_[after];
        return c == kOther || (c == kLead && !kanji_) || (c == kZero && run >= 2);
    }
    // Appends the bytes from i to j - 1, as MixedEnd took them, to `text`
    // without the katakana left out.  With `marks`, the text byte after
    // each katakana left out is marked with its file position (window
    // position + `shift`, as the text's marks count it).
    void TakeMixed(const Window &w, size_t i, size_t j, bool leftOut, TextBuffer &text,
                   std::vector<std::pair<uint32_t, uint32_t>> *marks, uint32_t shift) const
    {
        // (The plain append stays inline: it costs the caller no frame.)
        if (!leftOut) {
            text.append(reinterpret_cast<const char *>(w.data + i), j - i);
            return;
        }
        TakeLeftOut(w, i, j, text, marks, shift);
    }

private:
    __attribute__((noinline)) void TakeLeftOut(const Window &w, size_t i, size_t j,
                                               TextBuffer &text,
                                               std::vector<std::pair<uint32_t, uint32_t>> *marks,
                                               uint32_t shift) const
    {
        const uint8_t *d = w.data;
        // A katakana byte of a pair is its trail byte and stays.  Every
        // byte is written and only those kept are counted, so that machine
        // code's random mix of katakana, pairs and ASCII costs no branch a
        // byte; the text byte after each stretch left out is marked.
        char *out = text.Reserve(j - i);
        const size_t size = text.size();
        size_t n = 0;
        unsigned skipped = 0, trail = 0;
        for (size_t k = i; k < j; ++k) {
            const uint8_t b = d[k];
            const unsigned take = take_[b];
            const unsigned lead = (take >> 1) & ~trail;
            const unsigned keep = trail | lead | (take & 1);
            if ((keep & skipped) && marks)
                marks->emplace_back(static_cast<uint32_t>(size + n),
                                    static_cast<uint32_t>(k) + shift);
            out[n] = static_cast<char>(b);
            n += keep;
            skipped = keep ^ 1;
            trail = lead;
        }
        text.Added(n);
    }

    MixedByte MixedOf(uint8_t b) const
    {
        return printable_[b]                ? kMixedText
               : class_[b] == kPrintable    ? kMixedLeftOut
               : class_[b] == kLead         ? kMixedLead
                                            : kMixedEnd;
    }

    ByteClass class_[256];
    bool printable_[256];
    bool trail_[256];
    MixedByte mixed_[256];  // what single-byte text with Shift-JIS pairs does with a byte
    uint8_t take_[256];     // for TakeMixed: 1 for a printable byte, 2 for a lead byte
    ByteSet printableSet_;
    ByteSet startSet_;
    ByteSet runSet_;
    ByteSet zeroSet_;
    ByteSet textSet_;
    ByteSet kanaSet_;
    bool kanji_;      // SearchKanji
    bool hideKana_;   // CheckHalfKana: half-width katakana are left out
    bool sameRun_;    // runSet_ holds the printable bytes, no more, no less
};
