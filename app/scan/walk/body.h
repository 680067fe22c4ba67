// The string scanner's byte walk: its step machine and its state, built
// three times, by walker_plain.cpp (plain loops, any processor),
// walker_sse2.cpp (16 bytes at a time with SSE2) and walker_avx2.cpp (32
// bytes at a time with AVX2).  Each includes it inside an unnamed
// namespace, after the vector types of its build (BlockVec, SearchVecs:
// vector.h), so the builds never meet at link time; each defines its
// factory from MakeBodyWalker.
//
// The rules of each kind of text, their sieves and their tables live in a
// header of their own (texts.h includes them): single_byte.h (single-byte
// runs with Shift-JIS pairs), utf16.h (UTF-16LE text of ASCII units),
// utf16_japanese.h (Japanese UTF-16 text with string tables' length
// words), utf8_text.h (UTF-8 text); the steps here call into them, and the
// sift (sift.h) classifies 64 positions with their sieves.  The texts the
// walk ends go to the row emitter (scan/rowfilter.h), which holds every
// row filter.
//
// The walk is a small state machine over the bytes (candidate, its start,
// the wide flag).  Besides the plain one-position step it has three fast
// paths that take many positions at once, each only where the plain steps
// would do exactly the same:
//   - with no candidate, the sift passes over 64 positions at a time that
//     hold only runs too short for a row, ended by bytes that flush them.
//     Elsewhere a run of printable bytes (with SearchKanji, and pairs) that
//     the next byte flushes is emitted (or dropped) straight from the data;
//   - in single-byte text, a run of printable bytes (with SearchKanji, and
//     pairs) is appended at once;
//   - in UTF-16 text, "printable, zero" code units followed by a printable
//     byte are taken two (or sixteen, or thirty-two) positions at a time.
//
// With SearchWideJapanese, UTF-16 text also takes the code units of
// Japanese characters (utf16_japanese.h tells where).  With SearchUtf8,
// single-byte text also takes well-formed multi-byte UTF-8 characters, at
// the plain step: a byte that may begin one ends the fast paths.  A run of
// text takes its first such character only where UTF-8 text is likely
// (Utf8Text::Begins); where it does not, the bytes go by their classes as
// without SearchUtf8.
//
// Where two kinds of text read the same bytes as Japanese, the judge
// decides which reading the walk takes, not the order of the steps:
// Japanese UTF-16 text does not begin where the bytes read better as
// Shift-JIS or UTF-8 text (OtherReadingWins), and Shift-JIS text gives way
// to UTF-8 text that reads better (Utf8WinsPair), which takes the bytes
// right before it that read as UTF-8 text (FlushBeforeTail).
//
// None of the fast paths crosses a checkpoint, so the host sees the same
// progress, event and abort calls as a walk that took one position at a
// time; and none looks at a byte the window does not hold (where a byte
// past the window would decide, they leave the position to the plain
// step).

#include "scan/walk/texts.h"
#include "scan/walk/sift.h"

// Where a position of UTF-16 text stands in its code unit: at its first
// byte (right after a Japanese character unlike single-byte text, after
// one that looks like it, or otherwise), at the zero after an ASCII unit's
// byte, or not known (after bytes the text passed over).
enum UnitPlace : uint8_t {
    kUnitAfterUnlike,
    kUnitAfterJapanese,
    kUnitBegin,
    kUnitHigh,
    kUnitUnknown
};

// Built once for each value of SearchWideJapanese and of SearchUtf8:
// without them, none of the work for Japanese UTF-16 text or for UTF-8
// text is in the walk at all.
template <bool wideJapanese_, bool utf8Text_>
class BodyWalker final : public WalkCore {
public:
    // How many bytes after a position the steps may look at: the most that
    // the rules of the kinds of text this walk takes read.
    static constexpr size_t kLookAhead =
        std::max({Utf16Text::kLookAhead, wideJapanese_ ? JapaneseUtf16::kLookAhead : 0,
                  utf8Text_ ? Utf8Text::kLookAhead : 0});
    static_assert(kLookAhead <= kMaxLookAhead, "a stream keeps the look-ahead for its next piece");

    explicit BodyWalker(const WalkSetup &setup)
        : WalkCore(setup),
          sift_(std::min(emitter_.MinLength(), rowLimit_ + 1), emitter_.ShortestPairText()),
          single_(*setup.settings, utf8Text_), utf16_(*setup.settings), utf8_(*setup.settings),
          japanese_(*setup.settings)
    {
    }

    bool Walk(const uint8_t *d, uint64_t base, size_t avail, bool final) override
    {
        // The last position whose look-ahead is known.
        if (avail == 0 || (!final && avail <= kLookAhead))
            return true;
        const size_t last = final ? avail - 1 : avail - 1 - kLookAhead;
        w_.Open(d, base, avail);
        sift_.Reset();
        size_t i = static_cast<size_t>(pos_ - base);
        while (i <= last) {
            // The block's last position, or the window's; a lead step there
            // may take the byte after it as its trail byte.
            const uint64_t blockLast = blockLast_;
            const size_t limit =
                blockLast - base < last ? static_cast<size_t>(blockLast - base) : last;
            while (i <= limit)
                i = Step(i, limit);
            // i is one past the position that the last step ended on.
            const uint64_t at = base + i - 1;
            if (at >= blockLast || (final && i >= avail)) {
                if (!Checkpoint(at)) {
                    pos_ = base + i;
                    return false;
                }
            }
        }
        pos_ = base + i;
        // The next window begins at pos_.
        w_.Keep(i);
        return true;
    }

private:
    // Runs the step of position i (and any fast path from there, never past
    // `limit`) and returns the next position to examine.  The walk's state
    // decides which fast paths may run; the plain step goes by the class of
    // the byte.
    size_t Step(size_t i, size_t limit)
    {
        if (tableNext_ != kNone) {
            size_t next;
            if (TableStep(i, &next))
                return next;
        }
        if (candidate_.empty())
            return StepWithoutCandidate(i, limit);
        if (facts_.wide)
            return StepInWideText(i, limit);
        return StepByClass(i, limit);
    }

    // No candidate, so no UTF-16 text either (it always has one): passes
    // over what begins no string, then starts Japanese UTF-16 text or a run
    // of printable bytes, or leaves the position to the plain step.
    size_t StepWithoutCandidate(size_t i, size_t limit)
    {
        if (resume_) {
            resume_ = false;
            if (japanese_.BeginsAt(w_, i, true, afterLength_))
                return OtherReadingWins(I(i), I(i)) ? StepByClass(i, limit)
                                                    : BeginJapanese(i, true);
        }
        // The fast paths stop before a string table's next length word.
        const size_t stop = Stop(limit);
        i = sift_.SkipEmpty(View(), i, stop);
        if (i > stop)
            return i;
        if (wideJapanese_) {
            bool japanese = false, none = false;
            i = sift_.FindStartOrJapanese(View(), i, stop, &japanese, &none);
            if (i > stop || none)
                return i;
            if (japanese)
                return OtherReadingWins(I(i), I(i))
                           ? StepByClass(i, limit)
                           : BeginJapanese(i, japanese_.StrongAt(w_, static_cast<ptrdiff_t>(i),
                                                                 afterLength_));
        } else {
            const size_t start = single_.StartSet().Find<true>(w_.data, i, limit + 1);
            // Or, before it, a UTF-8 character that begins UTF-8 text.
            if (utf8Text_) {
                const ByteSet &leads = utf8_.LeadSet();
                for (size_t k = leads.Find<true>(w_.data, i, start); k < start;
                     k = leads.Find<true>(w_.data, k + 1, start))
                    if (StartsUtf8(k))
                        return StepByClass(k, limit);
            }
            i = start;
            if (i > limit)
                return i;
        }
        if (settings_.SearchKanji) {
            const size_t next = StartMixed(i, stop);
            return next != i ? next : StepByClass(i, limit);
        }
        if (single_.Printable(w_.data[i]) && !(utf8Text_ && utf8_.MayLead(w_.data[i])))
            return StartRun(i, stop);
        return StepByClass(i, limit);
    }

    // With no candidate, a run of printable bytes from i to j - 1.  When the
    // byte at j flushes, the run is emitted (or dropped) from the data as it
    // stands, without gathering it.  A zero after a single byte may begin
    // UTF-16 text and takes the plain way.
    size_t StartRun(size_t i, size_t limit)
    {
        const uint8_t *d = w_.data;
        const size_t j = RunEnd(i + 1, limit + 1);
        facts_.start = w_.base + i;
        // Only UTF-8 text of the texts begun here may hold Japanese.
        if (utf8Text_ && judging_)
            facts_.before = w_.BytesBefore(i);
        const auto startsUtf8 = [this](size_t k) { return StartsUtf8(k); };
        if (j <= limit && j - i <= rowLimit_ &&
            single_.Flushes<utf8Text_>(w_, j, j - i, startsUtf8)) {
            Emit(reinterpret_cast<const char *>(d + i), j - i, false,
                 utf8Text_ && judging_ && IsCleanEdgeByte(d[j]));
            return j + 1;
        }
        AppendBytes(d, w_.base, i, j);
        return j;
    }

    // The first position in [i, end) whose byte is not in the run set
    // (`end` when there is none): from the printable bytes of the 64
    // positions the sift classified last where they tell.
    size_t RunEnd(size_t i, size_t end) const
    {
        size_t j;
        if (single_.SameRun() && sift_.KnownRunEnd(i, end, &j))
            return j;
        return single_.RunSet().Find<false>(w_.data, i, end);
    }

    // In UTF-16 text: takes the ASCII code units that a printable byte
    // follows at once; with Japanese text, takes a Japanese character at a
    // code unit's first byte, or ends text with Japanese in it.  Anything
    // else goes to the plain step.
    size_t StepInWideText(size_t i, size_t limit)
    {
        const size_t from = i, taken = candidate_.size();
        const size_t stop = Stop(limit);
        // Up to the row limit: a code unit there takes the plain step.
        const size_t room = candidate_.size() < rowLimit_ ? rowLimit_ - candidate_.size() : 0;
        if (room > 0)
            i = utf16_.Run(w_, i, std::min(stop, i + 2 * room - 1), candidate_);
        if (i != from) {
            unit_ = kUnitBegin;
            if (wideJapanese_ && judging_)
                Mark(taken, w_.base + from);
        }
        if (i > stop)
            return i;
        if (wideJapanese_ && unit_ <= kUnitBegin) {
            if (Takes(i))
                return TakeJapanese(i);
            // Text with Japanese in it ends at any other code unit than an
            // ASCII one.  A byte that may begin single-byte text is then
            // examined again, with no candidate.
            if (JapaneseSeen() && !japanese_.AsciiUnit(w_, static_cast<ptrdiff_t>(i))) {
                if (!single_.Printable(w_.data[i]))
                    return EndWide(i);
                Flush();
                return i;
            }
        }
        return StepByClass(i, limit);
    }

    // The plain step of position i: single-byte text looks for a UTF-8
    // character first, then goes by the class of the byte.
    size_t StepByClass(size_t i, size_t limit)
    {
        if (wideJapanese_ && w_.base + i == pairEnd_ && !facts_.wide && judging_) [[unlikely]] {
            if (japanese_.Japanese(w_, I(i)) && WideAfterPair(i))
                return WideAfterText(i);
            // A katakana byte there that single-byte text did not take (a
            // UTF-8 character begins at it) is passed over as well.
            if (sjis::IsHalfWidthKana(w_.data[i]))
                pairEnd_ = w_.base + i + 1;
        }
        // Other text takes a UTF-8 character only where UTF-8 text begins.
        if (utf8Text_ && !facts_.wide && utf8_.MayLead(w_.data[i]) &&
            (facts_.utf8 || !sift_.NoUtf8Start(i))) {
            uint32_t code;
            if (const unsigned length = utf8_.CharAt(w_, static_cast<ptrdiff_t>(i), &code))
                return Utf8Step(i, limit, length, code);
        }
        return ClassStep(i, limit);
    }
    // Inlined by force: the compiler leaves it out of line in the walks
    // with UTF-8 text, where a call for most steps costs a sixth of the
    // walk's time.
    __attribute__((always_inline)) size_t ClassStep(size_t i, size_t limit)
    {
        switch (single_.Class(w_.data[i])) {
        case kZero:
            return ZeroStep(i);
        case kPrintable:
            return PrintableStep(i, limit);
        case kLead:
            return LeadStep(i, limit);
        default:  // kOther
            return EndText(i);
        }
    }

    // A zero byte.  In UTF-16 text it is the high byte of the code unit
    // just taken; after a single byte it may make that byte the first code
    // unit of UTF-16 text; elsewhere it ends the candidate.
    size_t ZeroStep(size_t i)
    {
        const ptrdiff_t z = static_cast<ptrdiff_t>(i);
        if (facts_.wide) {
            // The text goes on with a printable byte, or with a Japanese
            // character (or, in Japanese text, a symbol) after an ASCII
            // unit.  Text of ASCII units gives way before its first
            // Japanese character where the judge reads the bytes from
            // there better as other text (".N.Q.v." before "ルク" of
            // Shift-JIS text).
            if (utf16_.Printable(w_.At(z + 1)) ||
                (wideJapanese_ && unit_ == kUnitHigh &&
                 ((japanese_.Japanese(w_, z + 1) &&
                   (JapaneseSeen() || !OtherReadingWins(z - 1, z + 1))) ||
                  (JapaneseSeen() && japanese_.Symbol(w_, z + 1)))))
                unit_ = unit_ == kUnitHigh ? kUnitBegin : kUnitUnknown;
            else
                return EndWide(i);
        } else if (candidate_.size() == 1 && !(utf8Text_ && facts_.utf8) && !facts_.piece) {
            // A single byte and a zero: a string table's length word right
            // after an empty string or a control unit (not text: the
            // string begins after it, and the table is followed from
            // there); the first code unit of UTF-16 text if another ASCII
            // unit (or a Japanese character) follows; otherwise nothing.
            const ptrdiff_t k = z - 1;
            if (wideJapanese_ && japanese_.LengthWordAfterControl(w_, k)) {
                const uint8_t v = w_.At(k);
                Clear();
                afterLength_ = w_.base + i + 1;
                tableNext_ = w_.base + i + 1 + 2 * static_cast<uint64_t>(v);
            } else if (utf16_.BeginsAt(w_, i) ||
                       (wideJapanese_ && japanese_.Japanese(w_, z + 1) &&
                        !OtherReadingWins(k, z + 1))) {
                BeginWide(k);
            } else {
                Clear();
            }
        } else if (size_t keep; UnitAfterPair(i, &keep)) {
            // The text's last byte begins the UTF-16 text (a pair whose
            // trail byte it was leaves its lead byte to neither).
            const char b = candidate_.data()[candidate_.size() - 1];
            candidate_.truncate(keep);
            while (!facts_.marks.empty() && facts_.marks.back().first >= keep)
                facts_.marks.pop_back();
            Flush();
            facts_.start = w_.base + i - 1;
            candidate_.push_back(b);
            BeginWide(z - 1);
        } else {
            Flush(false, true);
        }
        return i + 1;
    }
    // The single byte of the text at k begins UTF-16 text.
    void BeginWide(ptrdiff_t k)
    {
        facts_.wide = true;
        unit_ = kUnitBegin;
        if (wideJapanese_) {
            facts_.whole = japanese_.StrongAt(w_, k, afterLength_);
            Follow(k);
            if (judging_)
                facts_.before = uint32_t(w_.Back(k, 1)) | uint32_t(w_.Back(k, 2)) << 8 |
                                uint32_t(w_.Back(k, 3)) << 16 | uint32_t(w_.Back(k, 4)) << 24;
        }
    }
    // At the zero at i, after single-byte text with pairs or UTF-8 text:
    // whether its last byte, printable and right before the zero, begins
    // UTF-16 text that another ASCII unit goes on with and that the judge
    // reads as Japanese (with SearchWideJapanese), as it would after any
    // other bytes: the pairs or UTF-8 characters before it, the ASCII
    // bytes after them (code bytes that a pair took in, "ED A5 41 67"),
    // or a pair that took it as its trail byte ("98 41" before "41 00 49
    // 00"), keep the unit's first byte from the UTF-16 text no more than a
    // byte that ends the text would.  *keep: how many of the text's bytes
    // stay before the UTF-16 text.  (MayBeUnitAfterPair tells where it
    // cannot after pairs.)
    bool UnitAfterPair(size_t i, size_t *keep) const
    {
        const size_t size = candidate_.size();
        const bool utf8 = utf8Text_ && facts_.utf8;
        if (!wideJapanese_ || !judging_ || facts_.piece || size < 2 ||
            !(utf8 || (settings_.SearchKanji && facts_.doubles)) || !UnitBeginsAt(i) ||
            !single_.Printable(static_cast<uint8_t>(candidate_.data()[size - 1])) ||
            !LiesAt(size - 1, w_.base + i - 1))
            return false;
        *keep = size - 1;
        if (OddLeadsBefore(size - 1)) {
            // (A UTF-8 character's code page 932 form is no pair of the
            // file's bytes.)
            if (utf8 || !LiesAt(size - 2, w_.base + i - 2))
                return false;
            *keep = size - 2;
        }
        if (MarginAt(Reading::Utf16Le, I(i) - 1, kBeginReach) == INT32_MIN)
            return false;
        if (utf16_.BeginsAt(w_, i))
            return true;
        // A Japanese character follows: only where a pair of code took the
        // byte as its trail byte or stands right before it (not after an
        // ASCII string and its zero), and the bytes read better so.
        return !utf8 &&
               (*keep == size - 2 ||
                (size >= 3 && OddLeadsBefore(size - 2) && LiesAt(size - 2, w_.base + i - 2))) &&
               !OtherReadingWins(I(i) - 1, I(i) + 1);
    }
    // At the zero at i: another ASCII unit follows, or a Japanese
    // character (" コード" after code's pair).
    bool UnitBeginsAt(size_t i) const
    {
        return utf16_.BeginsAt(w_, i) || japanese_.Japanese(w_, I(i) + 1);
    }
    bool MayBeUnitAfterPair(size_t i, size_t run) const
    {
        return wideJapanese_ && judging_ && settings_.SearchKanji && run >= 2 && UnitBeginsAt(i);
    }
    // Whether text byte k lies at file offset `at` (the judge's marks tell).
    bool LiesAt(size_t k, uint64_t at) const
    {
        const auto &marks = facts_.marks;
        size_t m = marks.size();
        while (m > 0 && marks[m - 1].first > k)
            --m;
        return facts_.start + (m > 0 ? marks[m - 1].second + (k - marks[m - 1].first) : k) == at;
    }

    // A byte of the printable range.  A left-out katakana byte is passed
    // over and the candidate goes on.  Single-byte text takes the whole run
    // from here; UTF-16 text takes the byte when a zero follows it and
    // leaves it out otherwise.
    size_t PrintableStep(size_t i, size_t limit)
    {
        const uint8_t b = w_.data[i];
        // UTF-8 text is ASCII and UTF-8 characters: it ends at katakana,
        // where Japanese UTF-16 text may begin as after a zero ("C5 60",
        // "情").
        if (utf8Text_ && facts_.utf8 && b > 0x7E) {
            if (wideJapanese_ && judging_ && japanese_.BeginsAt(w_, i, true, afterLength_) &&
                !OtherReadingWins(I(i), I(i)))
                return WideAfterText(i);
            return EndText(i);
        }
        if (!single_.Printable(b)) {
            unit_ = kUnitUnknown;
            return i + 1;
        }
        if (!facts_.wide) {
            if (!settings_.SearchKanji || facts_.utf8)
                return AppendRun(i, limit);
            // The byte may begin a UTF-8 character that the step did not
            // take: it is taken here as what it is, text.
            Room(1, w_.base + i);
            BeginOrMark(i);
            candidate_.push_back(static_cast<char>(b));
            return i + 1 <= limit ? GatherMixed(i + 1, limit) : i + 1;
        }
        if (w_.At(static_cast<ptrdiff_t>(i) + 1) == 0) {
            Room(1, w_.base + i);
            if (candidate_.empty())
                facts_.start = w_.base + i;
            else if (wideJapanese_ && judging_)
                Mark(candidate_.size(), w_.base + i);
            candidate_.push_back(static_cast<char>(b));
            unit_ = kUnitHigh;
        } else {
            unit_ = kUnitUnknown;
        }
        return i + 1;
    }

    // A lead byte.  With SearchKanji, single-byte text takes it and the
    // trail byte after it as one character, so the trail byte is not
    // examined again, and the text that follows it at once; otherwise it
    // ends the text and is left out.
    size_t LeadStep(size_t i, size_t limit)
    {
        if (settings_.SearchKanji && !facts_.wide && single_.TrailAfter(w_, i)) {
            if (wideJapanese_ && judging_ && japanese_.Japanese(w_, I(i) + 1) && WideAfterLead(i))
                return WideAfterText(i + 1);
            if (utf8Text_ && judging_ && utf8_.MayLead(w_.data[i + 1]) && Utf8AfterLead(i))
                return EndBefore(i + 1);
            // A pair ends UTF-8 text.
            if (utf8Text_ && facts_.utf8)
                Flush();
            Room(2, w_.base + i);
            BeginOrMark(i);
            candidate_.push_back(static_cast<char>(w_.data[i]));
            candidate_.push_back(static_cast<char>(w_.data[i + 1]));
            facts_.doubles = true;
            if (i + 2 <= limit)
                return GatherMixed(i + 2, limit, true);
            if (wideJapanese_)
                pairEnd_ = w_.base + i + 2;
            return i + 2;
        }
        return EndText(i);
    }

    // With SearchKanji, the text that SingleByteText::MixedEnd takes, with
    // no candidate: emitted (or dropped) straight from the data when the
    // byte after it flushes and no katakana were left out.  Returns i when
    // it takes nothing.
    size_t StartMixed(size_t i, size_t limit)
    {
        bool leftOut = false, pairs = false;
        const size_t j = single_.MixedEnd(w_, i, limit, &leftOut, &pairs, Utf8Here());
        if (j == i)
            return i;
        facts_.start = w_.base + i;
        if (judging_)
            facts_.before = w_.BytesBefore(i);
        if ((wideJapanese_ || utf8Text_) && judging_ && pairs) {
            Other other = Other::Utf8;
            if (const size_t at = LeadBeforeOther(i, j, false, &other); at < j)
                return TakeBeforeOther(i, at, other);
        }
        // (A byte other than zero after the text's last pair, a lead byte
        // or one that ends the text, is examined by the plain step:
        // UTF-16 text may begin there.)
        if (!leftOut && j <= limit && j - i <= rowLimit_ &&
            !(wideJapanese_ && w_.base + j == pairEnd_ && w_.data[j] != 0) &&
            single_.MixedFlushes<utf8Text_>(w_, j, j - i, Utf8Here()) &&
            !(w_.data[j] == 0 && MayBeUnitAfterPair(j, j - i))) {
            facts_.doubles = pairs;
            Emit(reinterpret_cast<const char *>(w_.data + i), j - i, false,
                 judging_ && IsCleanEdgeByte(w_.data[j]));
            facts_.doubles = false;
            return j + 1;
        }
        return TakeMixed(i, j, leftOut, pairs);
    }
    // Single-byte text that is not UTF-8 text goes on from i (right after
    // a pair: `afterPair`).
    size_t GatherMixed(size_t i, size_t limit, bool afterPair = false)
    {
        bool leftOut = false, pairs = false;
        const size_t j = single_.MixedEnd(w_, i, limit, &leftOut, &pairs, Utf8Here());
        if ((wideJapanese_ || utf8Text_) && judging_ && (pairs || (wideJapanese_ && afterPair))) {
            Other other = Other::Utf8;
            if (const size_t at = LeadBeforeOther(i, j, afterPair, &other); at < j)
                return TakeBeforeOther(i, at, other);
        }
        return TakeMixed(i, j, leftOut, pairs);
    }
    // What begins inside single-byte text with pairs, and where
    // (LeadBeforeOther): Japanese UTF-16 text or UTF-8 text from a pair's
    // trail byte, or Japanese UTF-16 text right after a pair.
    enum class Other : uint8_t { WideAtTrail, Utf8, WideAfterPair };
    // With SearchKanji, in the text bytes [i, j) (as MixedEnd takes them;
    // `afterPair`: i is right after a pair), the first place where other
    // text begins: the lead byte of a pair whose trail byte begins
    // Japanese UTF-16 text or UTF-8 text that reads better than the pair
    // (WideAfterLead, Utf8AfterLead), or the byte after a pair that begins
    // Japanese UTF-16 text (WideAfterPairIn); *other tells which.  j
    // when there is none; the position after the text's last pair is kept
    // (pairEnd_) for the step there.
    __attribute__((always_inline)) size_t LeadBeforeOther(size_t i, size_t j, bool afterPair,
                                                          Other *other)
    {
        const uint8_t *d = w_.data;
        size_t k = i;
        if (wideJapanese_ && afterPair && WideAfterPairIn(&k, j)) {
            *other = Other::WideAfterPair;
            return k;
        }
        while (k + 1 < j) {
            if (single_.Class(d[k]) != kLead) {
                ++k;
                continue;
            }
            // (The unit at the trail byte is read straight from the data
            // where the window holds both its bytes.)
            if (wideJapanese_ &&
                (k + 2 < w_.avail ? japanese_.JapaneseUnit(d[k + 1] | d[k + 2] << 8)
                                  : japanese_.Japanese(w_, I(k) + 1)) &&
                WideAfterLead(k)) {
                *other = Other::WideAtTrail;
                return k;
            }
            if (utf8Text_ && utf8_.MayLead(d[k + 1]) && Utf8AfterLead(k)) {
                *other = Other::Utf8;
                return k;
            }
            k += 2;
            if (wideJapanese_ && WideAfterPairIn(&k, j)) {
                *other = Other::WideAfterPair;
                return k;
            }
        }
        return j;
    }
    // After a pair that ends at *k, inside the text bytes up to j: whether
    // Japanese UTF-16 text begins there (WideAfterPair), at *k or after
    // half-width katakana bytes that *k is moved past: a code byte of that
    // range may stand between machine code's last pair and the text ("E8
    // 95 DA" before "BB 30", "セ").  The place where the pair or those
    // bytes end the text is kept for the step there (pairEnd_).
    __attribute__((always_inline)) bool WideAfterPairIn(size_t *k, size_t j)
    {
        // Most bytes after a pair begin no Japanese unit and are no
        // katakana, and most katakana bytes there are followed by such a
        // byte: those are passed over here as WideAfterKana would.
        const uint8_t *d = w_.data;
        size_t at = *k;
        while (at < j && at + 1 < w_.avail && !japanese_.JapaneseUnit(d[at] | d[at + 1] << 8)) {
            if (!sjis::IsHalfWidthKana(d[at])) {
                *k = at;
                return false;
            }
            ++at;
        }
        *k = at;
        // Where the pair or those bytes end the text, nothing begins after
        // them in it (WideAfterKana, without the call).
        if (at >= j) {
            pairEnd_ = w_.base + j;
            return false;
        }
        return WideAfterKana(k, j);
    }
    __attribute__((noinline)) bool WideAfterKana(size_t *k, size_t j)
    {
        for (; *k < j; ++*k) {
            if (japanese_.Japanese(w_, I(*k)) && WideAfterPair(*k))
                return true;
            if (!sjis::IsHalfWidthKana(w_.data[*k]))
                return false;
        }
        pairEnd_ = w_.base + j;
        return false;
    }
    // Whether Japanese UTF-16 text begins at p, right after a pair of
    // single-byte text, as it would with no candidate: where the judge
    // reads it as Japanese and better than the Shift-JIS or UTF-8 text
    // from p or the byte after it.  Machine code's last two bytes read as
    // a pair before it ("91 A0" before "]0n0" of "その"), and the text's
    // first byte may be a control byte ("89 C7" before "1F 67", "期").
    __attribute__((noinline)) bool WideAfterPair(size_t p) const
    {
        const ptrdiff_t s = I(p);
        if (w_.data[p] == 0 || !japanese_.Japanese(w_, s) ||
            !japanese_.BeginsAt(w_, p, false, afterLength_))
            return false;
        const int32_t wide = MarginAt(Reading::Utf16Le, s, kBeginReach);
        return wide != INT32_MIN && wide > OtherMargin(s);
    }
    // Whether the trail byte of the pair at `lead` begins UTF-8 text (as
    // it would with no candidate) that the judge reads better than the
    // Shift-JIS text from the lead byte or from the trail byte: machine
    // code's last byte there took the first byte of a UTF-8 character.
    // (Most trail bytes of machine code's pairs that may begin a character
    // begin none: the byte after them continues no UTF-8 character.)
    bool Utf8AfterLead(size_t lead) const
    {
        return utf8::kContinuation.Holds(w_.At(I(lead) + 2)) && Utf8CharAfterLead(lead);
    }
    __attribute__((noinline)) bool Utf8CharAfterLead(size_t lead) const
    {
        const ptrdiff_t s = I(lead) + 1;
        uint32_t code;
        const unsigned length = utf8_.CharAt(w_, s, &code);
        if (length == 0 || !utf8_.IsText(code) || !utf8_.Begins(w_, s, length, code))
            return false;
        // Most such characters of machine code read as no Japanese text:
        // the Shift-JIS readings need not be weighed then.
        const int32_t utf8 = MarginAt(Reading::Utf8, s, kTieReach);
        return utf8 != INT32_MIN && utf8 > MarginAt(Reading::ShiftJis, s - 1, kTieReach) &&
               utf8 > MarginAt(Reading::ShiftJis, s, kTieReach);
    }
    // Whether the trail byte of the pair at `lead` begins Japanese UTF-16
    // text (as it would with no candidate) that the judge reads better
    // than the Shift-JIS or UTF-8 text from the lead byte or from the
    // trail byte: machine code's last byte there is no lead byte of text.
    bool WideAfterLead(size_t lead) const
    {
        const ptrdiff_t s = I(lead) + 1;
        if (!japanese_.BeginsAt(w_, lead + 1, false, afterLength_))
            return false;
        const int32_t wide = MarginAt(Reading::Utf16Le, s, kBeginReach);
        if (wide == INT32_MIN)
            return false;
        int32_t other = INT32_MIN;
        for (ptrdiff_t k = s - 1; k <= s; ++k) {
            other = std::max(other, MarginAt(Reading::ShiftJis, k, kBeginReach));
            if (utf8Text_)
                other = std::max(other, MarginAt(Reading::Utf8, k, kBeginReach));
        }
        return wide > other;
    }
    // The text takes its bytes from i up to `at` (where LeadBeforeOther
    // found `other`) and ends there.  A lead byte there is left out and
    // the other text begins after it; right after a pair, Japanese UTF-16
    // text begins at `at`.
    size_t TakeBeforeOther(size_t i, size_t at, Other other)
    {
        if (at > i) {
            bool leftOut = false, pairs = false;
            const size_t j = single_.MixedEnd(w_, i, at - 1, &leftOut, &pairs, Utf8Here());
            TakeMixed(i, j, leftOut, pairs);
        }
        switch (other) {
        case Other::WideAtTrail:
            return WideAfterText(at + 1);
        case Other::WideAfterPair:
            return WideAfterText(at);
        case Other::Utf8:
            break;
        }
        return EndBefore(at + 1);
    }
    // The text ends before k, where Japanese UTF-16 text begins.
    size_t WideAfterText(size_t k)
    {
        EndBefore(k);
        return BeginJapanese(k, japanese_.StrongAt(w_, I(k), afterLength_));
    }
    // The text ends before k, where other text begins; returns k.
    size_t EndBefore(size_t k)
    {
        if (candidate_.empty())
            Clear();
        else
            Flush();
        return k;
    }
    // Appends the bytes from i to j - 1 to the text, without the katakana
    // left out; returns j.
    __attribute__((always_inline)) size_t TakeMixed(size_t i, size_t j, bool leftOut, bool pairs)
    {
        if (candidate_.size() + (j - i) > rowLimit_)
            return TakeMixedInPieces(i, j);
        if (judging_ && !candidate_.empty())
            Mark(candidate_.size(), w_.base + i);
        const size_t marked = facts_.marks.size();
        single_.TakeMixed(w_, i, j, leftOut, candidate_,
                          judging_ ? &facts_.marks : nullptr,
                          static_cast<uint32_t>(w_.base - facts_.start));
        for (size_t m = marked; m < facts_.marks.size(); ++m)
            NoteLoneByte(m);
        facts_.doubles = facts_.doubles || pairs;
        return j;
    }
    // The same, character by character, where the text may reach the row
    // limit: a piece never ends inside a pair.  (Out of line, and TakeMixed
    // inlined by force, so that the steps' code stays as compact as it was
    // without the limit, which is reached once a megabyte at most.)
    // The judge's marks are left as TakeMixed leaves them.
    __attribute__((noinline)) size_t TakeMixedInPieces(size_t i, size_t j)
    {
        if (judging_ && !candidate_.empty())
            Mark(candidate_.size(), w_.base + i);
        bool skipped = false;
        for (size_t k = i; k < j; ++k) {
            const bool pair = single_.Class(w_.data[k]) == kLead;
            if (!pair && !single_.Printable(w_.data[k])) {
                skipped = true;
                continue;
            }
            Room(pair ? 2 : 1, w_.base + k);
            if (judging_ && skipped)
                Mark(candidate_.size(), w_.base + k);
            skipped = false;
            candidate_.append(reinterpret_cast<const char *>(w_.data + k), pair ? 2 : 1);
            facts_.doubles = facts_.doubles || pair;
            k += pair;
        }
        return j;
    }

    // With SearchUtf8, single-byte text at the well-formed UTF-8 sequence
    // of `length` bytes at i, of the character `code`:
    //   - UTF-8 text takes it if it is text (Utf8Text::IsText); otherwise
    //     the text ends before it and it is passed over whole;
    //   - other text takes it where UTF-8 text begins (Utf8Text::Begins),
    //     or, with SearchKanji, where its first two bytes are a Shift-JIS
    //     pair as well, the text holds no pair yet and the UTF-8 reading
    //     runs on (Utf8Text::RunsOn); text with pairs ends before it, and
    //     takes it only where it would begin UTF-8 text and the judge
    //     reads it better as UTF-8 (Utf8WinsPair);
    //   - otherwise the byte at i goes by its class, as without SearchUtf8
    //     (a pair, if there is one there).
    size_t Utf8Step(size_t i, size_t limit, unsigned length, uint32_t code)
    {
        if (facts_.utf8) {
            if (!utf8_.IsText(code)) {
                Flush();
            } else if (!(code <= 0xFFFF && IsJapaneseUnit(static_cast<uint16_t>(code))) &&
                       OtherInside(i, length)) {
                // A character of other text than Japanese whose later bytes
                // begin Japanese text that reads better ends the UTF-8 text,
                // and its first byte is passed over: the Greek "CE 99"
                // before "99 5B", "兌".
                Flush();
                return i + 1;
            } else {
                TakeUtf8(i, code);
            }
            return i + length;
        }
        const bool pair = single_.PairAt(w_, i);
        const ptrdiff_t k = static_cast<ptrdiff_t>(i);
        if (utf8_.IsText(code) && !(Doubles() && pair && !Utf8WinsPair(i, length, code)) &&
            (utf8_.Begins(w_, k, length, code) || (pair && utf8_.RunsOn(w_, k + length))) &&
            !OtherInside(i, length)) {
            if (Doubles())
                FlushBeforeTail(i);
            TakeUtf8(i, code);
            return i + length;
        }
        return ClassStep(i, limit);
    }
    // Text with Shift-JIS pairs ends before UTF-8 text at i.  Its last
    // bytes that read as UTF-8 text on their own and lie right before i
    // (Utf8Tail: its ASCII head, and characters whose bytes the pairs
    // took) go on into the UTF-8 text, as they would after any other
    // bytes; a pair they cut leaves its lead byte to neither.  (With the
    // judge, whose marks tell where the text's bytes lie.)
    void FlushBeforeTail(size_t i)
    {
        const size_t t = judging_ ? Utf8Tail(i) : 0;
        if (t == 0) {
            Flush();
            return;
        }
        const char *text = candidate_.data();
        size_t keep = candidate_.size() - t;
        // (A piece of a long run counts as after a clean edge; the tail of
        // one is text after the bytes before it in the file.)
        const uint8_t before = keep > 0      ? static_cast<uint8_t>(text[keep - 1])
                               : facts_.piece ? w_.Back(I(i), t + 1)
                                              : static_cast<uint8_t>(facts_.before);
        if (keep > 0 && OddLeadsBefore(keep))
            --keep;
        const std::string tail(text + candidate_.size() - t, t);
        candidate_.truncate(keep);
        while (!facts_.marks.empty() && facts_.marks.back().first >= keep)
            facts_.marks.pop_back();
        if (keep > 0)
            Flush();
        else
            Clear();
        facts_.start = w_.base + i - t;
        facts_.before = before;
        // The tail lies right before i in the file: its ASCII bytes as they
        // are, its characters as UTF-8 text holds them (code page 932
        // forms), never as the raw bytes a pair had taken.
        for (size_t k = 0; k < t;) {
            const auto b = static_cast<uint8_t>(tail[k]);
            if (b < 0x80) {
                candidate_.push_back(static_cast<char>(b));
                ++k;
                continue;
            }
            uint8_t seq[4] = {};
            for (size_t n = 0; n < sizeof seq && k + n < t; ++n)
                seq[n] = static_cast<uint8_t>(tail[k + n]);
            uint32_t code;
            const unsigned length = utf8::Sequence(seq, &code);
            if (length == 0)
                break;  // (none: Utf8Tail takes well-formed characters only)
            AppendUtf8Form(code);
            k += length;
            Mark(candidate_.size(), facts_.start + k);
        }
    }
    // Whether text byte k is a pair's trail byte: every lead-range byte of
    // text with pairs is in a pair, so after an odd number of them in a
    // row it is.
    bool OddLeadsBefore(size_t k) const
    {
        const char *text = candidate_.data();
        size_t leads = 0;
        while (leads < k && sjis::IsLead(static_cast<uint8_t>(text[k - 1 - leads])))
            ++leads;
        return leads & 1;
    }
    // The most bytes that Utf8Tail gives to UTF-8 text: a message's ASCII
    // head before its first UTF-8 character, as long as messages have.
    static constexpr size_t kTailReach = 1024;
    // How many of the text's last bytes (up to kTailReach) lie one after
    // the other right up to i and read as UTF-8 text: printable ASCII and
    // well-formed characters of text, the longest such tail.
    size_t Utf8Tail(size_t i) const
    {
        const uint8_t *text = reinterpret_cast<const uint8_t *>(candidate_.data());
        const size_t size = candidate_.size();
        const auto &marks = facts_.marks;
        size_t m = marks.size(), lying = 0;
        for (; lying < size && lying < kTailReach; ++lying) {
            const size_t k = size - 1 - lying;
            // Its place: from the last mark at or before it.
            while (m > 0 && marks[m - 1].first > k)
                --m;
            const uint64_t at =
                facts_.start + (m > 0 ? marks[m - 1].second + (k - marks[m - 1].first) : k);
            if (at != w_.base + i - 1 - lying)
                break;
        }
        // From the end back: whether the bytes from each place on read as
        // UTF-8 text (an ASCII byte or a character, then bytes that do);
        // the first such place begins the tail.
        std::bitset<kTailReach + 1> reads;
        const size_t first = size - lying;
        reads.set(lying);
        size_t from = size;
        for (size_t k = size; k-- > first;) {
            size_t next = k + 1;
            if (text[k] < 0x20 || text[k] > 0x7E) {
                uint8_t seq[4] = {};
                std::copy(text + k, text + std::min(size, k + 4), seq);
                uint32_t code;
                const unsigned length = utf8::Sequence(seq, &code);
                if (length == 0 || !utf8_.IsText(code))
                    continue;
                next = k + length;
            }
            if (reads.test(next - first)) {
                reads.set(k - first);
                from = k;
            }
        }
        return size - from;
    }
    // Text that begins at a later byte of the UTF-8 character at i keeps
    // its bytes where the judge reads it better than the UTF-8 text from
    // i: Shift-JIS text from a lead byte (SearchKanji), or Japanese UTF-16
    // text.  A code byte or two and the text's first byte form a UTF-8
    // character ("E8 BC" of code before "83 41", "ア"; "E8 AD" before "BF
    // 30", "タ") that would take the head of the text.
    bool OtherInside(size_t i, unsigned length) const
    {
        if (!judging_ || !(settings_.SearchKanji || wideJapanese_))
            return false;
        for (size_t k = i + 1; k < i + length; ++k) {
            int32_t other = INT32_MIN;
            if (settings_.SearchKanji && sjis::IsLead(w_.data[k]))
                other = MarginAt(Reading::ShiftJis, I(k), kTieReach);
            if (wideJapanese_ && japanese_.Japanese(w_, I(k)))
                other = std::max(other, MarginAt(Reading::Utf16Le, I(k), kBeginReach));
            if (other != INT32_MIN && Better(other, MarginAt(Reading::Utf8, I(i), kTieReach)))
                return true;
        }
        return false;
    }
    // In text with Shift-JIS pairs, a UTF-8 character at i whose first two
    // bytes are a pair too: UTF-8 text begins there where it would begin
    // in other text and the judge reads the bytes from i better as UTF-8
    // than as Shift-JIS.
    bool Utf8WinsPair(size_t i, unsigned length, uint32_t code) const
    {
        return judging_ && utf8_.Begins(w_, static_cast<ptrdiff_t>(i), length, code) &&
               Better(MarginAt(Reading::Utf8, I(i), kTieReach),
                      MarginAt(Reading::ShiftJis, I(i), kTieReach));
    }
    // Japanese UTF-16 text that may begin at u gives way where the judge
    // reads the bytes from s (u, or the Japanese character after an ASCII
    // unit at u) or from s + 1 (the character's second byte) better as
    // single-byte text with Shift-JIS pairs (SearchKanji) or as UTF-8
    // text: the walk reads them so.  It gives way too where the judge
    // reads it as no Japanese text: kanji of machine code ("證假" of
    // "49 8B 47 50") would take the head of the Shift-JIS or UTF-8 text
    // after them.
    bool OtherReadingWins(ptrdiff_t u, ptrdiff_t s) const
    {
        if (!judging_ || !(settings_.SearchKanji || utf8Text_))
            return false;
        const int32_t wide = MarginAt(Reading::Utf16Le, u, kBeginReach);
        return wide == INT32_MIN || Better(OtherMargin(s), wide);
    }
    // The judge's best margin of the bytes from s or from the byte after
    // it read as Shift-JIS text (SearchKanji) or UTF-8 text.
    int32_t OtherMargin(ptrdiff_t s) const
    {
        int32_t other = INT32_MIN;
        for (ptrdiff_t k = s; k <= s + 1; ++k) {
            if (settings_.SearchKanji)
                other = std::max(other, MarginAt(Reading::ShiftJis, k, kBeginReach));
            if (utf8Text_)
                other = std::max(other, MarginAt(Reading::Utf8, k, kBeginReach));
        }
        return other;
    }
    static ptrdiff_t I(size_t i) { return static_cast<ptrdiff_t>(i); }
    // Of two readings' margins, whether the first reads as Japanese and
    // beats the second.
    static bool Better(int32_t margin, int32_t other)
    {
        return margin != INT32_MIN && margin > other;
    }
    // The judge's margin of the `reach` bytes from i (zeros past the
    // data's end) read in `reading`, after the byte before i as an edge.
    // A tie in UTF-8 text reads a few characters; where Japanese UTF-16
    // text begins, single-byte text may begin with a long ASCII head.
    static constexpr size_t kTieReach = 32;
    static constexpr size_t kBeginReach = 128;
    static_assert(kTieReach <= Utf8Text::kLookAhead && kBeginReach <= JapaneseUtf16::kLookAhead,
                  "the bytes a tie reads are in the window");
    int32_t MarginAt(Reading reading, ptrdiff_t i, size_t reach) const
    {
        const japanese::RowEdges edges{IsCleanEdgeByte(w_.At(i - 1)), false};
        if (i >= 0 && static_cast<size_t>(i) + reach <= w_.avail)
            return ReadingMargin(reading, w_.data + i, reach, settings_.CheckHalfKana, edges);
        uint8_t b[kBeginReach];
        for (size_t k = 0; k < reach; ++k)
            b[k] = w_.At(i + static_cast<ptrdiff_t>(k));
        return ReadingMargin(reading, b, reach, settings_.CheckHalfKana, edges);
    }

    // Appends the UTF-8 character at i to the text, as its code page 932
    // bytes or a stand-in.
    void TakeUtf8(size_t i, uint32_t code)
    {
        Room(Utf8FormBytes(code), w_.base + i);
        BeginOrMark(i);
        AppendUtf8Form(code);
        // The text that follows lies after the character's own bytes,
        // whatever its code page 932 form reads back as.
        if (judging_)
            Mark(candidate_.size(),
                 w_.base + i + (code < 0x800 ? 2 : code < 0x10000 ? 3 : 4));
    }
    // The bytes of a UTF-8 character's code page 932 form, or of its
    // stand-in.
    static size_t Utf8FormBytes(uint32_t code)
    {
        const uint16_t form = Cp932Form(code);
        char standIn[kMaxStandIn];
        return form == 0 ? PutStandIn(code, standIn) : form > 0xFF ? 2 : 1;
    }
    // Appends the character's code page 932 form (or its stand-in) to the
    // text, which is UTF-8 text from here.
    void AppendUtf8Form(uint32_t code)
    {
        const uint16_t form = Cp932Form(code);
        const size_t before = candidate_.size();
        if (form == 0) {
            char standIn[kMaxStandIn];
            facts_.standIns.push_back(before);
            candidate_.append(standIn, PutStandIn(code, standIn));
        } else {
            if (form > 0xFF)
                candidate_.push_back(static_cast<char>(form >> 8));
            candidate_.push_back(static_cast<char>(form & 0xFF));
        }
        facts_.extra += candidate_.size() - before - 1;
        facts_.utf8 = true;
    }

    // A byte that ends the text at i and is left out.
    size_t EndText(size_t i)
    {
        if (facts_.wide)
            return EndWide(i);
        Flush(false, judging_ && IsCleanEdgeByte(w_.data[i]));
        return i + 1;
    }

    // UTF-16 text ends at position i.  Right after a Japanese character the
    // code unit there is passed over whole: its second byte belongs to it
    // and begins nothing.
    //
    // The code unit that ends it (when the walk knows where units begin)
    // tells whether the text ended for good, at a zero or control unit;
    // it, or the unit after a line break that ends the text, may be a
    // string table's length word.  (Inlined by force: as a call it costs
    // the default walk a hundredth of its time.)
    __attribute__((always_inline)) size_t EndWide(size_t i)
    {
        const bool wholeUnit = unit_ <= kUnitAfterJapanese && i + 1 < w_.avail;
        const ptrdiff_t end = unit_ <= kUnitBegin ? static_cast<ptrdiff_t>(i)
                              : unit_ == kUnitHigh ? static_cast<ptrdiff_t>(i) + 1
                                                   : -1;
        const bool hard = end >= 0 && japanese_.HardEnd(w_, end);
        Flush(hard, wideJapanese_ && judging_ &&
                        (hard || (end >= 0 && IsCleanEdgeUnit(w_.Unit(end)))));
        if (wideJapanese_ && end >= 0) {
            FollowFrom(end);
            if (japanese_.LineBreak(w_, end))
                FollowFrom(end + 2);
        }
        resume_ = wholeUnit;
        return wholeUnit ? i + 2 : i + 1;
    }

    // A string table's length word with Japanese text in its string at k
    // (JapaneseUtf16::FollowsFrom): the table is followed from there,
    // unless one is followed already.
    void FollowFrom(ptrdiff_t k)
    {
        if (tableNext_ == kNone && japanese_.FollowsFrom(w_, k))
            tableNext_ = w_.base + static_cast<uint64_t>(k) + 2 + 2 * uint64_t(w_.At(k));
    }
    // UTF-16 text that begins at k, right after such a code unit (inlined by
    // force, as the rules it reads).
    __attribute__((always_inline)) void Follow(ptrdiff_t k)
    {
        if (w_.base + static_cast<uint64_t>(k) >= 2)
            FollowFrom(k - 2);
    }

    // A string table being followed: at its next length word, UTF-16 text
    // ends, and an ASCII unit there is passed over (the string after it
    // begins as a whole one).  Returns true with the next position in
    // *next when it did so.
    bool TableStep(size_t i, size_t *next)
    {
        const uint64_t at = w_.base + i;
        if (tableNext_ < at || (tableNext_ == at && !facts_.wide && !candidate_.empty())) {
            tableNext_ = kNone;
            return false;
        }
        if (tableNext_ != at)
            return false;
        const ptrdiff_t k = static_cast<ptrdiff_t>(i);
        const uint8_t v = w_.data[i];
        if (japanese_.AsciiLengthWord(w_, k, -1, false)) {
            if (!candidate_.empty())
                Flush(true, true);
            tableNext_ = at + 2 + 2 * uint64_t(v);
            afterLength_ = at + 2;
            resume_ = false;
            *next = i + 2;
            return true;
        }
        tableNext_ = w_.At(k + 1) == 0 ? at + 2 + 2 * uint64_t(v) : kNone;
        return false;
    }
    // The last position up to `limit` that the fast paths may take: the
    // one before a string table's next length word (which lies past the
    // position being stepped: TableStep moved it on).
    size_t Stop(size_t limit) const
    {
        if (tableNext_ == kNone || tableNext_ > w_.base + limit)
            return limit;
        return static_cast<size_t>(tableNext_ - w_.base) - 1;
    }

    // Begins Japanese text at i (`strong`: as a whole string).
    size_t BeginJapanese(size_t i, bool strong)
    {
        Follow(static_cast<ptrdiff_t>(i));
        const size_t next = TakeJapanese(i);
        facts_.whole = strong;
        return next;
    }
    // Whether UTF-16 text takes the character at i: a Japanese character;
    // one that looks like single-byte text only next to one that does not,
    // or when text runs from it to its end.  Japanese text takes symbols
    // too.
    bool Takes(size_t i) const
    {
        const ptrdiff_t k = static_cast<ptrdiff_t>(i);
        if (JapaneseSeen() && japanese_.Symbol(w_, k))
            return true;
        return japanese_.Japanese(w_, k) &&
               (!japanese_.TextLike(w_, k) || unit_ == kUnitAfterUnlike ||
                japanese_.UnlikeAhead(w_, i) ||
                japanese_.TextToEnd(w_, k, unlikeSeen_ || OtherChars() >= 2));
    }
    // Appends the Japanese character at i (a code unit, two positions) to
    // the UTF-16 text, as its Shift-JIS bytes.
    size_t TakeJapanese(size_t i)
    {
        const ptrdiff_t k = static_cast<ptrdiff_t>(i);
        const uint16_t unit = static_cast<uint16_t>(w_.data[i] | w_.data[i + 1] << 8);
        const uint16_t form = JapaneseUnitCp932(unit);
        unlikeSeen_ = unlikeSeen_ || (!candidate_.empty() && !japanese_.TextLike(w_, k));
        Room(form > 0xFF ? 2 : 1, w_.base + i);
        BeginOrMark(i);
        ++facts_.japanese;
        facts_.kana = facts_.kana || IsKanaOrSymbol(unit);
        facts_.ideographs =
            facts_.ideographs || kIdeographHigh.Holds(static_cast<uint8_t>(unit >> 8));
        facts_.rising = facts_.rising && unit >= 0x3000 && unit <= 0x30FF && unit > lastUnit_;
        lastUnit_ = unit;
        if (form > 0xFF) {
            candidate_.push_back(static_cast<char>(form >> 8));
            ++facts_.extra;
        }
        candidate_.push_back(static_cast<char>(form & 0xFF));
        facts_.wide = true;
        unit_ = japanese_.TextLike(w_, k) ? kUnitAfterJapanese : kUnitAfterUnlike;
        return i + 2;
    }

    // Single-byte text from position i (printable, kept): appends every
    // following byte of the printable range up to `limit`, leaving out the
    // katakana bytes that are not printable.  The printable step of
    // single-byte text does not look at the next byte, so the run can be
    // taken whole; with UTF-8 text, up to a byte that may begin a UTF-8
    // character (the one at i begins none: the step looked).
    size_t AppendRun(size_t i, size_t limit)
    {
        const uint8_t *d = w_.data;
        if (candidate_.empty()) {
            facts_.start = w_.base + i;
            if (utf8Text_ && judging_)
                facts_.before = w_.BytesBefore(i);
        }
        size_t j = i;
        // UTF-8 text takes ASCII only (PrintableStep ends it at katakana).
        const bool ascii = utf8Text_ && facts_.utf8;
        const ByteSet &run = ascii ? utf8_.AsciiSet() : single_.RunSet();
        // For the judge, the text byte after katakana left out is marked
        // with its place (an earlier step may have passed over the
        // katakana right before i).
        if (judging_ && !candidate_.empty() && single_.LeftOut(w_.Before(i)))
            Mark(candidate_.size(), w_.base + i);
        if (utf8Text_ && utf8_.MayLead(d[i])) {
            Room(1, w_.base + j);
            candidate_.push_back(static_cast<char>(d[j++]));
        }
        bool skipped = false;
        while (j <= limit) {
            const size_t k = run.Find<false>(d, j, limit + 1);
            if (skipped && judging_ && k > j)
                Mark(candidate_.size(), w_.base + j);
            AppendBytes(d, w_.base, j, k);
            j = k;
            // Left-out katakana do not end the run, unless a UTF-8 character
            // that begins UTF-8 text is there.
            while (j <= limit && !ascii && single_.LeftOut(d[j]) &&
                   !(utf8Text_ && utf8_.MayLead(d[j]) && StartsUtf8(j)))
                ++j;
            if (j == k)
                break;
            skipped = true;
        }
        return j;
    }

    // For the judge: text byte `text` of the candidate lies at file offset
    // `at`, and the byte left out alone before it is noted.
    void Mark(size_t text, uint64_t at)
    {
        WalkCore::Mark(text, at);
        NoteLoneByte(facts_.marks.size() - 1);
    }
    // Mark m of single-byte text: when one byte lies between its text byte
    // and the one before, that byte is noted (TextFacts::loneBytes).
    void NoteLoneByte(size_t m)
    {
        const auto &marks = facts_.marks;
        const uint32_t text = marks[m].first, pos = marks[m].second;
        if (facts_.wide || text == 0 || pos < 2)
            return;
        // The file position of text byte text - 1, from the last mark at or
        // before it.
        size_t k = m;
        while (k > 0 && marks[k - 1].first > text - 1)
            --k;
        const uint32_t before = k > 0 ? marks[k - 1].second + (text - 1 - marks[k - 1].first)
                                      : text - 1;
        if (before + 2 != pos)
            return;
        const uint64_t at = facts_.start + pos - 1;
        facts_.loneBytes.emplace_back(pos - 1, w_.At(static_cast<ptrdiff_t>(at - w_.base)));
    }

    // A character of Shift-JIS, Japanese UTF-16 or UTF-8 text at i: it
    // begins the text, or (for the Japanese-text judge) its place is marked.
    // A piece of a long run begins at a clean edge: the cut.
    void BeginOrMark(size_t i)
    {
        if (candidate_.empty()) {
            facts_.start = w_.base + i;
            if (judging_)
                facts_.before = facts_.piece ? 0 : w_.BytesBefore(i);
        } else if (judging_) {
            Mark(candidate_.size(), w_.base + i);
        }
    }

    // What the sift reads.
    SiftView View() const { return SiftView{w_, single_, utf16_, japanese_, utf8_, afterLength_}; }
    // Whether UTF-8 text begins at k (Utf8Text::Starts, by the sift).
    bool StartsUtf8(size_t k) const { return sift_.StartsUtf8(View(), k); }
    // Whether a well-formed UTF-8 character stands at j.
    auto Utf8Here() const
    {
        return [this](size_t j) { return utf8_.Here(w_, j); };
    }

    // The window being walked.
    Window w_;
    // What the positions classified last told.
    Sift<wideJapanese_, utf8Text_> sift_;
    UnitPlace unit_ = kUnitUnknown;  // in UTF-16 text
    // Japanese text ended at a code unit passed over whole: new text may
    // begin right after it.
    bool resume_ = false;
    // A string table being followed: the file offset of its next length
    // word (kNone: none), and the offset right after a length word passed
    // over.
    static constexpr uint64_t kNone = UINT64_MAX;
    uint64_t tableNext_ = kNone;
    uint64_t afterLength_ = kNone;
    // The file offset right after the pair that single-byte text took last
    // where the step there examines it (StepByClass): Japanese UTF-16 text
    // may begin there.
    uint64_t pairEnd_ = kNone;
    // The kinds of text: their tables.  Japanese UTF-16 text's are the
    // largest: last, so that the members the walk reads at every step stay
    // together.
    const SingleByteText single_;
    const Utf16Text utf16_;
    const Utf8Text utf8_;
    const JapaneseUtf16 japanese_;
};

std::unique_ptr<WalkCore> MakeBodyWalker(const WalkSetup &setup)
{
    const ExtractionSettings &s = *setup.settings;
    if (s.SearchWideJapanese)
        return s.SearchUtf8 ? std::unique_ptr<WalkCore>(new BodyWalker<true, true>(setup))
                            : std::unique_ptr<WalkCore>(new BodyWalker<true, false>(setup));
    return s.SearchUtf8 ? std::unique_ptr<WalkCore>(new BodyWalker<false, true>(setup))
                        : std::unique_ptr<WalkCore>(new BodyWalker<false, false>(setup));
}
