// The walk where no string is being gathered: 64 positions at a time are
// classified with bit masks (single-byte runs, and each kind of text's
// sieve), and passed over whole as long as the plain steps would do
// nothing there but drop short runs of text.  Where a kind of text may
// begin, the sift asks its exact rule.  What the last 64 positions told is
// kept for the walk's next visit among them: the walk comes back after
// each row, mostly within them.
//
// A further kind of text adds its sieve's bits in Interesting, and where
// they are asked exactly in Found.

// What the sift reads: the window, each kind of text, and where the walk
// last passed over a string table's length word (for JapaneseUtf16's
// BeginsAt).
struct SiftView {
    const Window &w;
    const SingleByteText &single;
    const Utf16Text &utf16;
    const JapaneseUtf16 &japanese;
    const Utf8Text &utf8;
    uint64_t afterLength;
};

template <bool wideJapanese_, bool utf8Text_>
class Sift {
public:
    // `minLength`: the shortest run that may be listed (the rows' minimum
    // length, or a run over the row limit, whose pieces are listed
    // whatever their length); `pairText`: the fewest bytes of a stretch
    // with a Shift-JIS pair that may hold a row (SearchKanji; more than
    // the minimum length when none is shorter).
    Sift(size_t minLength, size_t pairText) : min_(minLength), pairText_(pairText) {}

    // A new window: nothing of it is classified yet.
    void Reset()
    {
        from_ = to_ = 0;
        begunAt_ = SIZE_MAX;
    }

    // With no candidate, from position i: passes over 64 positions at a
    // time as long as the plain steps would do nothing there but drop short
    // runs of text.  Returns the start of the first run (or the lead byte)
    // that needs the plain steps, or a position past `limit`.
    //
    // A run here is a stretch of printable bytes and left-out katakana
    // (which neither end a candidate nor join it).  With SearchKanji, text
    // is gathered across stretches of runs and Shift-JIS pairs, whose bytes
    // all lie in the text bytes; such a stretch (RunBits::text) holds no
    // more text than its bytes, and the bytes around it end any text.
    size_t SkipEmpty(const SiftView &v, size_t i, size_t limit)
    {
        const uint8_t *d = v.w.data;
        const size_t avail = v.w.avail;
        // What the last 64 positions classified still tell about those
        // after i.  Runs must begin where they began then: not in the
        // middle of one (after UTF-8 text that ended at a katakana byte).
        const int shift = static_cast<int>(i - from_);
        if (i >= from_ && i < to_ && to_ <= limit + 1 &&
            (shift == 0 || !((run_ >> (shift - 1)) & 1))) {
            if (const uint64_t at = Found(v, i, interesting_ >> shift, begins_ >> shift,
                                          utf8_ >> shift))
                return i + BackToStretch(text_ >> shift, LowestBit(at));
            i = to_;
        }
        while (limit + 1 - i >= 64 && avail - i >= kReach) {
            const RunBits b = v.single.Classify(d + i);
            // A stretch that reaches the window's end is left for the next
            // window, which begins at the stretch's start.
            const uint64_t other = ~b.text;
            if (other == 0)
                return i;
            const int cut = (b.text >> 63) == 0 ? 64 : 64 - LeadingZeros(other);
            const uint64_t valid = cut == 64 ? ~uint64_t(0) : (uint64_t(1) << cut) - 1;
            uint64_t begins = 0, utf8 = 0, japanese = 0;
            const uint64_t interesting = Interesting(v, i, b, &begins, &utf8, &japanese) & valid;
            // Kept for the walk's next visit.
            from_ = i;
            to_ = i + static_cast<size_t>(cut);
            interesting_ = interesting;
            begins_ = begins & valid;
            utf8_ = utf8 & valid;
            text_ = b.text;
            run_ = b.run;
            printable_ = b.printable;
            japanese_ = japanese;
            if (const uint64_t at = Found(v, i, interesting, begins_, utf8_))
                return i + BackToStretch(b.text, LowestBit(at));
            i += static_cast<size_t>(cut);
        }
        return i;
    }

    // With no candidate, from position i: the first position up to `limit`
    // that begins a string (Japanese UTF-16 text, which sets *japanese, a
    // start byte, or a UTF-8 character that begins UTF-8 text); a position
    // past `limit` when there is none.  Or, when none begins up to the end
    // of the positions classified last, that end, with *none set:
    // SkipEmpty goes on from there.
    size_t FindStartOrJapanese(const SiftView &v, size_t i, size_t limit, bool *japanese,
                               bool *none) const
    {
        const Window &w = v.w;
        const ByteSet &startSet = v.single.StartSet();
        // Among the positions classified last: the start byte by a vector
        // search, and Japanese text where it may begin before it.
        if (!utf8Text_ && i >= from_ && i < to_) {
            const size_t end = std::min(limit + 1, to_);
            const size_t start = startSet.Find<true>(w.data, i, end);
            for (uint64_t may = japanese_ >> (i - from_); may; may &= may - 1) {
                const size_t k = i + static_cast<size_t>(LowestBit(may));
                if (k > start || k >= end)
                    break;
                if (Begun(k, v.afterLength) || v.japanese.BeginsAt(w, k, false, v.afterLength)) {
                    *japanese = true;
                    return k;
                }
            }
            if (start == end)
                *none = true;
            return start;
        }
        for (; i <= limit; ++i) {
            if (MayBegin(v, i) &&
                (Begun(i, v.afterLength) || v.japanese.BeginsAt(w, i, false, v.afterLength))) {
                *japanese = true;
                return i;
            }
            if (startSet.Has(w.data[i]) ||
                (utf8Text_ && v.utf8.MayLead(w.data[i]) && StartsUtf8(v, i)))
                return i;
        }
        return i;
    }

    // Where the run of printable bytes from i ends (before `end`), when
    // the positions classified last tell it.
    bool KnownRunEnd(size_t i, size_t end, size_t *j) const
    {
        if (to_ > from_ && i >= from_ && i < from_ + 64) {
            const auto shift = static_cast<unsigned>(i - from_);
            const uint64_t other = ~printable_ >> shift;
            if (other != 0) {
                const size_t at = i + static_cast<size_t>(LowestBit(other));
                if (at < from_ + 64) {
                    *j = std::min(at, end);
                    return true;
                }
            }
        }
        return false;
    }
    // Utf8Text::Starts, known not to hold at the positions classified last
    // where UTF-8 text cannot begin.
    bool StartsUtf8(const SiftView &v, size_t k) const
    {
        return !NoUtf8Start(k) && v.utf8.Starts(v.w, k, v.single);
    }
    bool NoUtf8Start(size_t k) const
    {
        return k >= from_ && k < to_ && !((utf8_ >> (k - from_)) & 1);
    }

private:
    // The first position (as a bit) of the 64 at i that needs the plain
    // steps, of Interesting's bits and its positions where Japanese UTF-16
    // text or UTF-8 text may begin; 0 when there is none.
    uint64_t Found(const SiftView &v, size_t i, uint64_t interesting, uint64_t begins,
                   uint64_t utf8) const
    {
        uint64_t first = interesting & -interesting;
        if (const uint64_t start = utf8Text_ && utf8 ? FirstUtf8(v, i, utf8, first) : 0)
            first = start;
        if (const uint64_t begin =
                wideJapanese_ && begins ? FirstBeginning(v, i, begins, first) : 0)
            first = begin;
        return first;
    }
    // Back from position q of the 64 (of stretches `text`, the first of
    // them taken to begin at 0) to the start of the stretch that holds it or
    // that ends right before it.
    static size_t BackToStretch(uint64_t text, int q)
    {
        int inRun = -1;
        if ((text >> q) & 1)
            inRun = q;
        else if (q > 0 && ((text >> (q - 1)) & 1))
            inRun = q - 1;
        if (inRun < 0)
            return static_cast<size_t>(q);
        const uint64_t starts = (text & ~(text << 1)) | 1;
        return static_cast<size_t>(63 - LeadingZeros(starts & ((uint64_t(2) << inRun) - 1)));
    }

    // The positions of the 64 at i (b), with no candidate, that the plain
    // steps might not pass over silently:
    //   - runs of at least the minimum length (they may hold a row); with
    //     SearchKanji, stretches of text bytes of that length, and shorter
    //     stretches with a pair's bytes (not runs) that may hold a row with
    //     Japanese (marked at those bytes);
    //   - a zero after a run that may hold a single text byte, when UTF-16
    //     text may begin there (Utf16Text's sieve);
    //   - with SearchWideJapanese, a string table's length word there
    //     (JapaneseUtf16::LengthWordBits) or a Japanese character after it;
    //     *begins: positions where Japanese UTF-16 text may begin
    //     (FirstBeginning tells where it does), and *japanese: the
    //     positions of the 64 where BeginsAt may hold at all;
    //   - with SearchUtf8, *utf8: positions where UTF-8 text may begin
    //     (FirstUtf8 tells where it does).
    // Runs that reach the window's end are the caller's concern.
    uint64_t Interesting(const SiftView &v, size_t i, const RunBits &b, uint64_t *begins,
                         uint64_t *utf8, uint64_t *japanese) const
    {
        const uint8_t *d = v.w.data;
        const uint64_t ends = ~b.run & (b.run << 1);  // the byte after each run
        const uint64_t longRuns = SingleByteText::LongStarts(b.text, min_);
        const uint64_t single = SingleByteText::Singles(b);
        const uint64_t followedByPrintable = v.utf16.Sieve(v.w, i, b.printable);
        const uint64_t zero = v.single.Zeros(d + i);
        const uint64_t zeroAfterSingle = ends & zero & (single << 1);
        uint64_t result = longRuns | (zeroAfterSingle & followedByPrintable);
        if (pairText_ < min_)
            result |= SpreadInRuns(SingleByteText::LongStarts(b.text, pairText_), b.text) &
                      b.text & ~b.run;
        if (wideJapanese_) {
            // With SearchKanji, a printable byte right after a pair may
            // begin UTF-16 text before a zero (BodyWalker::UnitAfterPair).
            if (v.single.Kanji())
                result |= zero & followedByPrintable & (b.printable << 1) & (b.text << 2);
            const uint32_t before = v.w.BytesBefore(i);
            const uint64_t notAscii = zeroAfterSingle & ~followedByPrintable;
            result |= v.japanese.LengthWordBits(v.w, i, before, zero, notAscii);
            result |= v.japanese.JapaneseBits(v.w, v.single, i, before, b.printable, b.run, zero,
                                              notAscii, begins, japanese);
        }
        if (utf8Text_)
            *utf8 = v.utf8.Sieve(v.w, i);
        return result;
    }

    // The first of the positions `maybe` of the 64 at i, below the lowest
    // bit of `below`, where UTF-8 text begins (as a bit); 0 when there is
    // none.
    uint64_t FirstUtf8(const SiftView &v, size_t i, uint64_t maybe, uint64_t below) const
    {
        if (below)
            maybe &= (below & -below) - 1;
        for (; maybe; maybe &= maybe - 1) {
            if (v.utf8.Starts(v.w, i + static_cast<size_t>(LowestBit(maybe)), v.single))
                return maybe & -maybe;
        }
        return 0;
    }
    // The first of the positions `begins` of the 64 at i, below the lowest
    // bit of `below`, where Japanese UTF-16 text begins (as a bit); 0 when
    // there is none.
    uint64_t FirstBeginning(const SiftView &v, size_t i, uint64_t begins, uint64_t below) const
    {
        if (below)
            begins &= (below & -below) - 1;
        for (; begins; begins &= begins - 1) {
            const int q = LowestBit(begins);
            if (v.japanese.BeginsAt(v.w, i + static_cast<size_t>(q), false, v.afterLength)) {
                begunAt_ = i + static_cast<size_t>(q);
                begunAfterLength_ = v.afterLength;
                return uint64_t(1) << q;
            }
        }
        return 0;
    }

    // Whether BeginsAt(k, false) may hold: known from the positions
    // classified last, or by the high byte.
    bool MayBegin(const SiftView &v, size_t k) const
    {
        if (k >= from_ && k < to_)
            return (japanese_ >> (k - from_)) & 1;
        return v.japanese.MayBegin(v.w, k);
    }
    // Whether FirstBeginning found that Japanese text begins at k, with the
    // walk as it is now (`afterLength`, the only state BeginsAt depends on).
    bool Begun(size_t k, uint64_t afterLength) const
    {
        return k == begunAt_ && afterLength == begunAfterLength_;
    }

    // How many bytes from the 64 positions on the window must hold: with
    // Japanese and UTF-8 text, the 64 positions' look-ahead too.
    static constexpr size_t kReach =
        64 + (wideJapanese_ ? JapaneseUtf16::kLookAhead : utf8Text_ ? Utf8Text::kLookAhead : 0);

    size_t min_, pairText_;
    // The positions [from_, to_) of the window classified last: where the
    // plain steps are needed, the stretches of text, the runs, the
    // printable bytes, and where Japanese UTF-16 text (BeginsAt) may begin.
    size_t from_ = 0, to_ = 0;
    uint64_t interesting_ = 0, begins_ = 0, utf8_ = 0, text_ = 0, run_ = 0;
    uint64_t printable_ = 0;
    uint64_t japanese_ = 0;
    // Where FirstBeginning found that Japanese text begins, and the walk's
    // afterLength then.
    mutable size_t begunAt_ = SIZE_MAX;
    mutable uint64_t begunAfterLength_ = 0;
};
