// The string scanner's byte walk, built three times: walker_plain.cpp
// includes it with LEX_WALK_SSE2 0 (plain loops, any processor),
// walker_sse2.cpp with LEX_WALK_SSE2 1 (16 bytes at a time with SSE2) and
// walker_avx2.cpp with LEX_WALK_SSE2 and LEX_WALK_AVX2 1 (32 bytes at a
// time with AVX2).  Everything here lives in an unnamed namespace, so the
// builds never meet at link time; the including file names the factory
// with LEX_WALK_FACTORY.  No header may be included from here: walker.h
// (and the including file's intrinsics header) brings in all that the walk
// uses.
//
// The walk is a small state machine over the bytes (candidate, its start,
// the wide flag).  Besides the plain one-position step it has three fast
// paths that take many positions at once, each only where the plain steps
// would do exactly the same:
//   - with no candidate, 64 positions at a time are classified with bit
//     masks; windows that hold only runs too short for a row, ended by
//     bytes that flush them, are passed over whole (with SearchKanji,
//     stretches of the bytes that Shift-JIS text may hold).  What the last
//     64 positions told is kept for the walk's next visit among them.
//     Elsewhere a run of printable bytes (with SearchKanji, and pairs) that
//     the next byte flushes is emitted (or dropped) straight from the data;
//   - in single-byte text, a run of printable bytes (with SearchKanji, and
//     pairs) is appended at once;
//   - in UTF-16 text, "printable, zero" code units followed by a printable
//     byte are taken two (or sixteen) positions at a time.
//
// With SearchWideJapanese, UTF-16 text also takes the code units of
// Japanese characters (as their Shift-JIS bytes).  Such text may begin
// where no string is being gathered, after a zero byte, at three code
// units: a Japanese character, then Japanese characters or ASCII units,
// with at least one of the Japanese characters unlike single-byte text
// (after another byte that is not text, with kana, a symbol or ASCII among
// them).  Where UTF-16 text is going on, it takes Japanese characters at a
// code unit's first byte (one that looks like single-byte text only next
// to one that does not).  Text with Japanese in it ends at a code unit
// that is neither Japanese nor ASCII.
//
// With SearchUtf8, single-byte text also takes well-formed multi-byte UTF-8
// characters (as their code page 932 bytes, or a stand-in), at the plain
// step: a byte that may begin one ends the fast paths.  A run of text takes
// its first such character only where UTF-8 text is likely (Utf8Begins);
// where it does not, the bytes go by their classes as without SearchUtf8.
// None of them crosses a checkpoint, so the host sees the same progress,
// event and abort calls as a walk that took one position at a time; and
// none looks at a byte the window does not hold (where a byte past the
// window would decide, they leave the position to the plain step).

namespace lex {
namespace {

namespace sjis = loom::sjis;

#ifndef LEX_WALK_AVX2
#define LEX_WALK_AVX2 0
#endif

#if LEX_WALK_SSE2
// The few vector operations that the searches use, for vectors of 16 bytes
// (SSE2) and of 32 (AVX2), so that each search is written once for both
// widths.  Bits() gathers the bytes' top bits, byte k's as bit k.
struct Vec16 {
    using T = __m128i;
    static constexpr size_t kBytes = 16;
    static T Load(const uint8_t *d) { return _mm_loadu_si128(reinterpret_cast<const T *>(d)); }
    static T Splat(uint8_t b) { return _mm_set1_epi8(static_cast<char>(b)); }
    static T Zero() { return _mm_setzero_si128(); }
    static T Add(T a, T b) { return _mm_add_epi8(a, b); }
    static T Sub(T a, T b) { return _mm_sub_epi8(a, b); }
    static T Min(T a, T b) { return _mm_min_epu8(a, b); }
    static T Equal(T a, T b) { return _mm_cmpeq_epi8(a, b); }
    static T Or(T a, T b) { return _mm_or_si128(a, b); }
    static T And(T a, T b) { return _mm_and_si128(a, b); }
    static T AndNot(T a, T b) { return _mm_andnot_si128(a, b); }  // ~a & b
    static T Less(T a, T b) { return _mm_cmpgt_epi8(b, a); }  // signed
    static uint32_t Bits(T v) { return static_cast<uint32_t>(_mm_movemask_epi8(v)); }
    // The low bytes of v's 16-bit units (each at most 0xFF), kBytes / 2 of
    // them, to the kBytes at out.
    static void StoreLowBytes(T v, uint8_t *out)
    {
        _mm_storeu_si128(reinterpret_cast<T *>(out), _mm_packus_epi16(v, v));
    }
};

#if LEX_WALK_AVX2
struct Vec32 {
    using T = __m256i;
    static constexpr size_t kBytes = 32;
    static T Load(const uint8_t *d) { return _mm256_loadu_si256(reinterpret_cast<const T *>(d)); }
    static T Splat(uint8_t b) { return _mm256_set1_epi8(static_cast<char>(b)); }
    static T Zero() { return _mm256_setzero_si256(); }
    static T Add(T a, T b) { return _mm256_add_epi8(a, b); }
    static T Sub(T a, T b) { return _mm256_sub_epi8(a, b); }
    static T Min(T a, T b) { return _mm256_min_epu8(a, b); }
    static T Equal(T a, T b) { return _mm256_cmpeq_epi8(a, b); }
    static T Or(T a, T b) { return _mm256_or_si256(a, b); }
    static T And(T a, T b) { return _mm256_and_si256(a, b); }
    static T AndNot(T a, T b) { return _mm256_andnot_si256(a, b); }  // ~a & b
    static T Less(T a, T b) { return _mm256_cmpgt_epi8(b, a); }  // signed
    static uint32_t Bits(T v) { return static_cast<uint32_t>(_mm256_movemask_epi8(v)); }
    // (The 256-bit pack works on each half apart: the halves are packed
    // as 128-bit vectors instead, in order.)
    static void StoreLowBytes(T v, uint8_t *out)
    {
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out),
                         _mm_packus_epi16(_mm256_castsi256_si128(v),
                                          _mm256_extracti128_si256(v, 1)));
    }
};
// The width of the build's searches; the AVX2 build finishes with one
// 16-byte step what is too short for 32 bytes.
using WideVec = Vec32;
#else
using WideVec = Vec16;
#endif

// All ones where a byte of v lies in lo .. lo + span: v - lo <= span,
// unsigned, so min(x, span) == x.
template <class V>
typename V::T InRange(typename V::T v, typename V::T lo, typename V::T span)
{
    const typename V::T x = V::Sub(v, lo);
    return V::Equal(V::Min(x, span), x);
}

// The mask of V::kBytes bits, each bit of it set.
template <class V>
constexpr uint32_t AllBits()
{
    return static_cast<uint32_t>(~uint64_t(0) >> (64 - V::kBytes));
}
#endif

// A set of bytes made of up to four ranges (ranges that overlap or touch
// count as one), with searches that take 16 or 32 and 64 bytes at a time
// where SSE2 or AVX2 is used.
class ByteSet {
public:
    void Add(uint8_t lo, uint8_t hi)
    {
        for (int b = lo; b <= hi; ++b)
            table_[b] = true;
        count_ = 0;
        for (int b = 0; b < 256; ++b) {
            if (!table_[b] || (b > 0 && table_[b - 1]))
                continue;
            int last = b;
            while (last < 255 && table_[last + 1])
                ++last;
#if LEX_WALK_SSE2
            if (count_ < kRanges) {
                std::memset(lo_[count_], b, sizeof lo_[count_]);
                std::memset(span_[count_], last - b, sizeof span_[count_]);
            }
#endif
            ++count_;
        }
    }
    void Add(loom::ByteRange range) { Add(range.first, range.last); }
    template <size_t n>
    void Add(const loom::ByteRange (&ranges)[n])
    {
        for (const loom::ByteRange &range : ranges)
            Add(range);
    }
    bool Has(uint8_t b) const { return table_[b]; }

#if LEX_WALK_SSE2
    // Bit k set where byte k of the V::kBytes at d is in the set.
    template <class V>
    uint32_t Mask(const uint8_t *d) const
    {
        const typename V::T v = V::Load(d);
        typename V::T in = InRange<V>(v, V::Load(lo_[0]), V::Load(span_[0]));
        for (int r = 1; r < count_; ++r)
            in = V::Or(in, InRange<V>(v, V::Load(lo_[r]), V::Load(span_[r])));
        return V::Bits(in);
    }
#endif

    // Bit k set where byte k of the 64 (32) at d is in the set.
    uint64_t Mask64(const uint8_t *d) const { return MaskOf<uint64_t, 64>(d); }
    uint32_t Mask32(const uint8_t *d) const { return MaskOf<uint32_t, 32>(d); }
    template <class Bits, size_t n>
    Bits MaskOf(const uint8_t *d) const
    {
        Bits mask = 0;
#if LEX_WALK_SSE2
        for (size_t k = 0; k < n; k += WideVec::kBytes)
            mask |= static_cast<Bits>(Mask<WideVec>(d + k)) << k;
#else
        for (size_t k = 0; k < n; ++k)
            mask |= static_cast<Bits>(table_[d[k]]) << k;
#endif
        return mask;
    }

    // First position in [i, end) whose byte is (want = true) or is not
    // (want = false) in the set; `end` when there is none.
    template <bool want>
    size_t Find(const uint8_t *d, size_t i, size_t end) const
    {
#if LEX_WALK_SSE2
        // Often the first byte answers.
        if (i < end && table_[d[i]] == want)
            return i;
        size_t at;
        while (end - i >= WideVec::kBytes) {
            if (FindIn<WideVec, want>(d, i, &at))
                return at;
            i += WideVec::kBytes;
        }
        if (LEX_WALK_AVX2 && end - i >= Vec16::kBytes) {
            if (FindIn<Vec16, want>(d, i, &at))
                return at;
            i += Vec16::kBytes;
        }
#endif
        while (i < end && table_[d[i]] != want)
            ++i;
        return i;
    }

private:
#if LEX_WALK_SSE2
    // Whether the V::kBytes at d + i hold a byte that is (want) or is not
    // (!want) in the set; *at gets the first one's position.
    template <class V, bool want>
    bool FindIn(const uint8_t *d, size_t i, size_t *at) const
    {
        uint32_t mask = Mask<V>(d + i);
        if (!want)
            mask ^= AllBits<V>();
        if (mask == 0)
            return false;
        *at = i + static_cast<size_t>(__builtin_ctz(mask));
        return true;
    }
    // Each range's low end and width, once for every byte of the widest
    // vector.  Plain bytes rather than vectors: the 32-bit heap hands out
    // blocks aligned to 8 bytes only, and a vector member would be read
    // with an aligned access.
    static constexpr int kRanges = 4;
    uint8_t lo_[kRanges][WideVec::kBytes];
    uint8_t span_[kRanges][WideVec::kBytes];
#endif
    int count_ = 0;
    bool table_[256] = {};
};

// Of a value that is not zero.  A 32-bit build has no 64-bit bit scan:
// the compiler would call a library function for each, so the halves are
// scanned here.
inline int LeadingZeros(uint64_t v)
{
#if defined(__i386__)
    const auto high = static_cast<uint32_t>(v >> 32);
    return high ? __builtin_clz(high) : 32 + __builtin_clz(static_cast<uint32_t>(v));
#else
    return __builtin_clzll(v);
#endif
}

inline int LowestBit(uint64_t v)
{
#if defined(__i386__)
    const auto low = static_cast<uint32_t>(v);
    return low != 0 ? __builtin_ctz(low) : 32 + __builtin_ctz(static_cast<uint32_t>(v >> 32));
#else
    return __builtin_ctzll(v);
#endif
}

// The number of set bits.  32-bit code without the processor's count would
// call the compiler's library: each half is counted in place instead.
inline int BitCount(uint64_t v)
{
#if defined(__i386__) && !defined(__POPCNT__)
    auto half = [](uint32_t x) {
        x -= (x >> 1) & 0x55555555u;
        x = (x & 0x33333333u) + ((x >> 2) & 0x33333333u);
        x = (x + (x >> 4)) & 0x0F0F0F0Fu;
        return static_cast<int>((x * 0x01010101u) >> 24);
    };
    return half(static_cast<uint32_t>(v)) + half(static_cast<uint32_t>(v >> 32));
#else
    return __builtin_popcountll(v);
#endif
}

enum ByteClass : uint8_t { kZero, kPrintable, kLead, kOther };

// A byte in single-byte text with Shift-JIS pairs: text, a katakana left
// out, a lead byte, anything else, or (with SearchUtf8) a byte that may
// begin a UTF-8 character, which is one of the others where none begins.
enum MixedByte : uint8_t { kMixedText, kMixedLeftOut, kMixedLead, kMixedEnd, kMixedUtf8 };

// The high bytes of Japanese UTF-16 code units: kana and CJK symbols
// (U+3000-U+30FF), CJK ideographs (U+4E00-U+9FFF), full-width and
// half-width forms (U+FF01-U+FF9F).
constexpr uint8_t kKanaHigh = 0x30;
constexpr loom::ByteRange kIdeographHigh{0x4E, 0x9F};
constexpr uint8_t kFormsHigh = 0xFF;

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

// Bits of `bits` spread upwards through the stretches of set bits in
// `runs`: bit j is set when some bit k <= j of `bits` is, with k..j in one
// stretch.
inline uint64_t SpreadInRuns(uint64_t bits, uint64_t runs)
{
    // linked: bit j set when positions j - step .. j all lie in stretches.
    uint64_t linked = runs & (runs << 1);
    for (int step = 1; step < 64; step *= 2) {
        bits |= (bits << step) & linked;
        linked &= linked << step;
    }
    return bits;
}

ByteClass ClassOf(uint8_t b)
{
    if (b == 0)
        return kZero;
    if (sjis::IsPrintableAscii(b) || sjis::IsHalfWidthKana(b))
        return kPrintable;
    if (sjis::IsLead(b))
        return kLead;
    return kOther;
}

// Built once for each value of SearchWideJapanese and of SearchUtf8:
// without them, none of the work for Japanese UTF-16 text or for UTF-8
// text is in the walk at all.
template <bool wideJapanese_, bool utf8Text_>
class BodyWalker final : public WalkCore {
public:
    explicit BodyWalker(const WalkSetup &setup) : WalkCore(setup)
    {
        const ExtractionSettings &settings = *setup.settings;
        for (int v = 0; v < 256; ++v) {
            const auto b = static_cast<uint8_t>(v);
            class_[b] = ClassOf(b);
            printable_[b] = sjis::IsPrintableAscii(b) ||
                            (sjis::IsHalfWidthKana(b) && !settings.CheckHalfKana);
            trail_[b] = sjis::IsTrail(b);
            utf8Lead_[b] = utf8Text_ && utf8::kLead.Holds(b);
            mixed_[b] = utf8Lead_[b] ? kMixedUtf8 : MixedOf(b);
        }
        // With no candidate, only printable bytes and (with SearchKanji)
        // lead bytes change anything.
        printableSet_.Add(sjis::kPrintableAscii);
        if (!settings.CheckHalfKana)
            printableSet_.Add(sjis::kHalfWidthKana);
        startSet_ = printableSet_;
        if (settings.SearchKanji)
            startSet_.Add(sjis::kLead);
        // Runs of printable bytes that the fast paths take whole: with UTF-8
        // text, without the bytes that may begin a UTF-8 character.
        runSet_ = printableSet_;
        if (utf8Text_) {
            runSet_ = ByteSet();
            runSet_.Add(sjis::kPrintableAscii);
            if (!settings.CheckHalfKana)
                runSet_.Add(sjis::kHalfWidthKana.first, utf8::kLead.first - 1);
            asciiSet_.Add(sjis::kPrintableAscii);
            utf8LeadSet_.Add(utf8::kLead);
            smallSet_.Add('a', 'z');
        }
        sameRun_ = !(utf8Text_ && !settings.CheckHalfKana);
        zeroSet_.Add(0, 0);
        // Printable bytes, katakana, and the bytes of Shift-JIS pairs.
        textSet_ = printableSet_;
        textSet_.Add(sjis::kLead);
        textSet_.Add(sjis::kTrail);
        kanaSet_.Add(sjis::kHalfWidthKana);
        lookAhead_ = LookAhead();
        halfKana_ = !settings.CheckHalfKana;
        // The high bytes of Japanese code units, and of text in Japanese
        // UTF-16 text (those, the symbols' and zero, in a few ranges that
        // hold them all).
        highSet_.Add(kKanaHigh, kKanaHigh);
        highSet_.Add(kFormsHigh, kFormsHigh);
        highSet_.Add(kIdeographHigh);
        // The high bytes of the symbols other than those of the Japanese
        // characters' (kFormsHigh).
        symbolHighSet_.Add(0x03, 0x04);
        symbolHighSet_.Add(0x20, 0x26);
        symbolHighSet_.Add(0x32, 0x33);
        symbolHighSet_.Add(0xF9, 0xFA);
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
            for (unsigned unit = 0xFF61; unit <= 0xFF9F; ++unit)
                japaneseUnits_[unit >> 5] &= ~(uint32_t(1) << (unit & 31));
        }
        std::memcpy(textUnits_, japaneseUnits_, sizeof textUnits_);
        for (unsigned unit = 0; unit < 0x100; ++unit) {
            if (printable_[unit])
                textUnits_[unit >> 5] |= uint32_t(1) << (unit & 31);
        }
        for (int v = 0; v < 256; ++v) {
            const auto b = static_cast<uint8_t>(v);
            markHigh_[b] = b == 0 || b == kKanaHigh || b == kFormsHigh || symbolHighSet_.Has(b);
        }
    }

    bool Walk(const uint8_t *d, uint64_t base, size_t avail, bool final) override
    {
        // The last position whose look-ahead is known.
        if (avail == 0 || (!final && avail <= lookAhead_))
            return true;
        const size_t last = final ? avail - 1 : avail - 1 - lookAhead_;
        data_ = d;
        seenFrom_ = seenTo_ = 0;
        begunAt_ = SIZE_MAX;
        base_ = base;
        avail_ = avail;
        size_t i = static_cast<size_t>(pos_ - base);
        while (i <= last) {
            // The block's last position, or the window's; a lead step there
            // may take the byte after it as its trail byte.
            const uint64_t blockLast = blockLast_;
            const size_t limit = blockLast - base < last ? static_cast<size_t>(blockLast - base) : last;
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
        // The next window begins at pos_: the bytes before it.
        uint8_t history[kHistory];
        for (size_t n = 1; n <= kHistory; ++n)
            history[n - 1] = Back(static_cast<ptrdiff_t>(i), n);
        std::memcpy(history_, history, sizeof history_);
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
        if (wide_)
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
            if (BeginsAt(i, true))
                return BeginJapanese(i, true);
        }
        // The fast paths stop before a string table's next length word.
        const size_t stop = Stop(limit);
        i = SkipEmpty(i, stop);
        if (i > stop)
            return i;
        if (wideJapanese_) {
            bool japanese = false, none = false;
            i = FindStartOrJapanese(i, stop, &japanese, &none);
            if (i > stop || none)
                return i;
            if (japanese)
                return BeginJapanese(i, StrongAt(static_cast<ptrdiff_t>(i)));
        } else {
            const size_t start = startSet_.Find<true>(data_, i, limit + 1);
            // Or, before it, a UTF-8 character that begins UTF-8 text.
            if (utf8Text_) {
                for (size_t k = utf8LeadSet_.Find<true>(data_, i, start); k < start;
                     k = utf8LeadSet_.Find<true>(data_, k + 1, start))
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
        if (printable_[data_[i]] && !(utf8Text_ && utf8Lead_[data_[i]]))
            return StartRun(i, stop);
        return StepByClass(i, limit);
    }

    // With no candidate, a run of printable bytes from i to j - 1.  When the
    // byte at j flushes, the run is emitted (or dropped) from the data as it
    // stands, without gathering it.  A zero after a single byte may begin
    // UTF-16 text and takes the plain way.
    size_t StartRun(size_t i, size_t limit)
    {
        const uint8_t *d = data_;
        const size_t j = RunEnd(i + 1, limit + 1);
        start_ = base_ + i;
        if (j <= limit && Flushes(j, j - i)) {
            Emit(reinterpret_cast<const char *>(d + i), j - i);
            return j + 1;
        }
        candidate_.assign(reinterpret_cast<const char *>(d + i), j - i);
        return j;
    }

    // The first position in [i, end) whose byte is not in runSet_ (`end`
    // when there is none): from the printable bytes of the 64 positions
    // SkipEmpty classified last where they tell.
    size_t RunEnd(size_t i, size_t end) const
    {
        if (sameRun_ && seenTo_ > seenFrom_ && i >= seenFrom_ && i < seenFrom_ + 64) {
            const auto shift = static_cast<unsigned>(i - seenFrom_);
            const uint64_t other = ~seenPrintable_ >> shift;
            if (other != 0) {
                const size_t j = i + static_cast<size_t>(LowestBit(other));
                if (j < seenFrom_ + 64)
                    return std::min(j, end);
            }
        }
        return runSet_.Find<false>(data_, i, end);
    }

    // In UTF-16 text: takes the ASCII code units that a printable byte
    // follows at once; with Japanese text, takes a Japanese character at a
    // code unit's first byte, or ends text with Japanese in it.  Anything
    // else goes to the plain step.
    size_t StepInWideText(size_t i, size_t limit)
    {
        const size_t from = i;
        const size_t stop = Stop(limit);
        i = WideRun(i, stop);
        if (i != from)
            unit_ = kUnitBegin;
        if (i > stop)
            return i;
        if (wideJapanese_ && unit_ <= kUnitBegin) {
            if (Takes(i))
                return TakeJapanese(i);
            // Text with Japanese in it ends at any other code unit than an
            // ASCII one.  A byte that may begin single-byte text is then
            // examined again, with no candidate.
            if (japanese_ > 0 && !AsciiUnit(i)) {
                if (!printable_[data_[i]])
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
        // Other text takes a UTF-8 character only where UTF-8 text begins.
        if (utf8Text_ && !wide_ && utf8Lead_[data_[i]] && (utf8_ || !NoUtf8Start(i))) {
            uint32_t code;
            if (const unsigned length = Utf8At(static_cast<ptrdiff_t>(i), &code))
                return Utf8Step(i, limit, length, code);
        }
        return ClassStep(i, limit);
    }
    // Inlined by force: the compiler leaves it out of line in the walks
    // with UTF-8 text, where a call for most steps costs a sixth of the
    // walk's time.
    __attribute__((always_inline)) size_t ClassStep(size_t i, size_t limit)
    {
        switch (class_[data_[i]]) {
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
        const uint8_t x = At(i + 1);
        if (wide_) {
            // The text goes on with a printable byte, or with a Japanese
            // character (or, in Japanese text, a symbol) after an ASCII
            // unit.
            if (printable_[x] || (wideJapanese_ && unit_ == kUnitHigh &&
                                  (Japanese(i + 1) || (japanese_ > 0 && Symbol(i + 1)))))
                unit_ = unit_ == kUnitHigh ? kUnitBegin : kUnitUnknown;
            else
                return EndWide(i);
        } else if (candidate_.size() == 1 && !(utf8Text_ && utf8_)) {
            // A single byte and a zero: a string table's length word right
            // after an empty string or a control unit (not text: the
            // string begins after it, and the table is followed from
            // there); the first code unit of UTF-16 text if another ASCII
            // unit (or a Japanese character) follows; otherwise nothing.
            // A printable byte that no zero follows begins single-byte
            // text: the byte before the zero is then mostly the end of a
            // pointer or a number (0x00420000 is "B", zero), and taking the
            // text as UTF-16 would leave out all of it.
            const ptrdiff_t k = static_cast<ptrdiff_t>(i) - 1;
            if (wideJapanese_ && LengthWordAfterControl(k)) {
                const uint8_t v = At(k);
                Clear();
                afterLength_ = base_ + i + 1;
                tableNext_ = base_ + i + 1 + 2 * static_cast<uint64_t>(v);
            } else if ((printable_[x] && At(i + 2) == 0) || (wideJapanese_ && Japanese(i + 1))) {
                wide_ = true;
                unit_ = kUnitBegin;
                if (wideJapanese_) {
                    whole_ = StrongAt(k);
                    Follow(k);
                }
            } else {
                Clear();
            }
        } else {
            Flush();
        }
        return i + 1;
    }

    // A byte of the printable range.  A left-out katakana byte is passed
    // over and the candidate goes on.  Single-byte text takes the whole run
    // from here; UTF-16 text takes the byte when a zero follows it and
    // leaves it out otherwise.
    size_t PrintableStep(size_t i, size_t limit)
    {
        const uint8_t b = data_[i];
        // UTF-8 text is ASCII and UTF-8 characters: it ends at katakana.
        if (utf8Text_ && utf8_ && b > 0x7E)
            return EndText(i);
        if (!printable_[b]) {
            unit_ = kUnitUnknown;
            return i + 1;
        }
        if (!wide_) {
            if (!settings_.SearchKanji || utf8_)
                return AppendRun(i, limit);
            // The byte may begin a UTF-8 character that the step did not
            // take: it is taken here as what it is, text.
            if (candidate_.empty())
                start_ = base_ + i;
            candidate_.push_back(static_cast<char>(b));
            return i + 1 <= limit ? GatherMixed(i + 1, limit) : i + 1;
        }
        if (At(i + 1) == 0) {
            if (candidate_.empty())
                start_ = base_ + i;
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
        if (settings_.SearchKanji && !wide_ && i + 1 < avail_ && trail_[data_[i + 1]]) {
            // A pair ends UTF-8 text.
            if (utf8Text_ && utf8_)
                Flush();
            if (candidate_.empty())
                start_ = base_ + i;
            candidate_.push_back(static_cast<char>(data_[i]));
            candidate_.push_back(static_cast<char>(data_[i + 1]));
            doubles_ = true;
            return i + 2 <= limit ? GatherMixed(i + 2, limit) : i + 2;
        }
        return EndText(i);
    }

    // With SearchKanji, single-byte text from position i on: printable
    // bytes, left-out katakana and Shift-JIS pairs taken at once up to
    // `limit`, as their steps would take them one by one.  Stops at any
    // other byte, at a pair that `limit` cuts, and (with UTF-8 text) at a
    // well-formed UTF-8 character, which the plain step reads.  *leftOut:
    // katakana were left out; *pairs: a pair was taken.
    size_t MixedEnd(size_t i, size_t limit, bool *leftOut, bool *pairs) const
    {
        const uint8_t *d = data_;
        bool left = false, taken = false;
        size_t j = i;
        while (j <= limit) {
            MixedByte m = mixed_[d[j]];
            if (m == kMixedText) {
                ++j;
                continue;
            }
            if (m == kMixedUtf8) {
                if (Utf8Here(j))
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
    MixedByte MixedOf(uint8_t b) const
    {
        return printable_[b]                ? kMixedText
               : class_[b] == kPrintable    ? kMixedLeftOut
               : class_[b] == kLead         ? kMixedLead
                                            : kMixedEnd;
    }
    bool Utf8Here(size_t j) const
    {
        uint32_t code;
        return Utf8At(static_cast<ptrdiff_t>(j), &code) != 0;
    }
    // Whether the step of the byte at j, after `run` bytes of single-byte
    // text that is not UTF-8 text, flushes it: control bytes and the like,
    // a lead byte without a trail byte, and a zero after two bytes or more
    // (a zero after one may begin UTF-16 text); not a UTF-8 character.
    bool MixedFlushes(size_t j, size_t run) const
    {
        const uint8_t after = data_[j];
        if (utf8Text_ && utf8Lead_[after] && Utf8Here(j))
            return false;
        switch (class_[after]) {
        case kZero:
            return run >= 2;
        case kLead:
            return !(j + 1 < avail_ && trail_[data_[j + 1]]);
        case kPrintable:
            return false;
        default:
            return true;
        }
    }
    // The text that MixedEnd takes, with no candidate: emitted (or
    // dropped) straight from the data when the byte after it flushes and
    // no katakana were left out.  Returns i when it takes nothing.
    size_t StartMixed(size_t i, size_t limit)
    {
        bool leftOut = false, pairs = false;
        const size_t j = MixedEnd(i, limit, &leftOut, &pairs);
        if (j == i)
            return i;
        start_ = base_ + i;
        if (!leftOut && j <= limit && MixedFlushes(j, j - i)) {
            doubles_ = pairs;
            Emit(reinterpret_cast<const char *>(data_ + i), j - i);
            doubles_ = false;
            return j + 1;
        }
        return TakeMixed(i, j, leftOut, pairs);
    }
    // Single-byte text that is not UTF-8 text goes on from i.
    size_t GatherMixed(size_t i, size_t limit)
    {
        bool leftOut = false, pairs = false;
        const size_t j = MixedEnd(i, limit, &leftOut, &pairs);
        return TakeMixed(i, j, leftOut, pairs);
    }
    // Appends the bytes from i to j - 1 to the text, without the katakana
    // left out; returns j.
    size_t TakeMixed(size_t i, size_t j, bool leftOut, bool pairs)
    {
        const char *from = reinterpret_cast<const char *>(data_ + i);
        if (!leftOut) {
            candidate_.append(from, j - i);
        } else {
            // A katakana byte of a pair is its trail byte and stays.
            for (size_t k = i; k < j; ++k) {
                if (class_[data_[k]] == kLead && !printable_[data_[k]]) {
                    candidate_.append(from + (k - i), 2);
                    ++k;
                } else if (printable_[data_[k]]) {
                    candidate_.push_back(static_cast<char>(data_[k]));
                }
            }
        }
        doubles_ = doubles_ || pairs;
        return j;
    }

    // With SearchUtf8, single-byte text at the well-formed UTF-8 sequence
    // of `length` bytes at i, of the character `code`:
    //   - UTF-8 text takes it if it is text (Utf8Text); otherwise the text
    //     ends before it and it is passed over whole;
    //   - other text takes it where UTF-8 text begins (Utf8Begins), or,
    //     with SearchKanji, where its first two bytes are a Shift-JIS pair
    //     as well, the text holds no pair yet and the UTF-8 reading runs on
    //     (Utf8RunsOn); text with pairs ends before it;
    //   - otherwise the byte at i goes by its class, as without SearchUtf8
    //     (a pair, if there is one there).
    size_t Utf8Step(size_t i, size_t limit, unsigned length, uint32_t code)
    {
        if (utf8_) {
            if (Utf8Text(code)) {
                TakeUtf8(i, code);
            } else {
                Flush();
            }
            return i + length;
        }
        const bool pair = settings_.SearchKanji && class_[data_[i]] == kLead && i + 1 < avail_ &&
                          trail_[data_[i + 1]];
        const ptrdiff_t k = static_cast<ptrdiff_t>(i);
        if (Utf8Text(code) && !(doubles_ && pair) &&
            (Utf8Begins(k, length, code) || (pair && Utf8RunsOn(k + length)))) {
            if (doubles_)
                Flush();
            TakeUtf8(i, code);
            return i + length;
        }
        return ClassStep(i, limit);
    }

    // The well-formed UTF-8 sequence at k: its length (0: none) and code
    // point.
    unsigned Utf8At(ptrdiff_t k, uint32_t *code) const
    {
        if (k >= 0 && static_cast<size_t>(k) + 4 <= avail_)
            return utf8::Sequence(data_ + k, code);
        const uint8_t b[4] = {At(k), At(k + 1), At(k + 2), At(k + 3)};
        return utf8::Sequence(b, code);
    }
    // A character of text: not a control character (U+0080-U+009F), and a
    // half-width katakana only when they are printable.
    bool Utf8Text(uint32_t code) const
    {
        return code >= 0xA0 && (halfKana_ || !(code >= 0xFF61 && code <= 0xFF9F));
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
    bool Utf8Begins(ptrdiff_t k, unsigned length, uint32_t code) const
    {
        uint32_t next;
        if (length >= 3) {
            const unsigned nextLength = Utf8At(k + length, &next);
            if (nextLength)
                return Utf8Text(next) || Cp932Form(code) != 0;
            return At(k + length) < 0x80 && Cp932Form(code) != 0;
        }
        if (unsigned(At(k + 2) + 1 - At(k)) <= 2 && Utf8At(k + 2, &next) == 2 && Utf8Text(next))
            return true;
        auto small = [](uint8_t b) { return b >= 'a' && b <= 'z'; };
        if (code < 0xC0 || code > 0x17F || code == 0xD7 || code == 0xF7)
            return false;
        const bool before = small(At(k - 1)), after = small(At(k + 2));
        return (before && (small(At(k - 2)) || after)) || (after && small(At(k + 3)));
    }
    // Utf8Starts, known not to hold at the positions SkipEmpty classified
    // last where UTF-8 text cannot begin.
    bool StartsUtf8(size_t k) const { return !NoUtf8Start(k) && Utf8Starts(k); }
    bool NoUtf8Start(size_t k) const
    {
        return k >= seenFrom_ && k < seenTo_ && !((seenUtf8_ >> (k - seenFrom_)) & 1);
    }
    // Whether the UTF-8 character at k begins UTF-8 text in single-byte text
    // without Shift-JIS pairs.
    bool Utf8Starts(size_t k) const
    {
        const ptrdiff_t at = static_cast<ptrdiff_t>(k);
        uint32_t code;
        const unsigned length = Utf8At(at, &code);
        if (!length || !Utf8Text(code))
            return false;
        const bool pair = settings_.SearchKanji && class_[data_[k]] == kLead && k + 1 < avail_ &&
                          trail_[data_[k + 1]];
        return Utf8Begins(at, length, code) || (pair && Utf8RunsOn(at + length));
    }
    // Whether the UTF-8 reading runs on from k: printable ASCII bytes up to
    // the end of the text (a byte below 0x20, the data's end) or up to a
    // multi-byte character of text, within kUtf8RunsOn bytes.
    bool Utf8RunsOn(ptrdiff_t k) const
    {
        for (ptrdiff_t j = k; j < k + static_cast<ptrdiff_t>(kUtf8RunsOn); ++j) {
            const uint8_t b = At(j);
            if (Past(j) || b < 0x20)
                return true;
            if (b > 0x7E) {
                uint32_t code;
                return Utf8At(j, &code) && Utf8Text(code);
            }
        }
        return true;
    }
    // Appends the UTF-8 character at i to the text, as its code page 932
    // bytes or a stand-in.
    void TakeUtf8(size_t i, uint32_t code)
    {
        if (candidate_.empty())
            start_ = base_ + i;
        const size_t before = candidate_.size();
        const uint16_t form = Cp932Form(code);
        if (form == 0) {
            char standIn[kMaxStandIn];
            standIns_.push_back(before);
            candidate_.append(standIn, PutStandIn(code, standIn));
        } else {
            if (form > 0xFF)
                candidate_.push_back(static_cast<char>(form >> 8));
            candidate_.push_back(static_cast<char>(form & 0xFF));
        }
        extra_ += candidate_.size() - before - 1;
        utf8_ = true;
    }

    // A byte that ends the text at i and is left out.
    size_t EndText(size_t i)
    {
        if (wide_)
            return EndWide(i);
        Flush();
        return i + 1;
    }

    // UTF-16 text ends at position i.  Right after a Japanese character the
    // code unit there is passed over whole: its second byte belongs to it
    // and begins nothing.
    //
    // The code unit that ends it (when the walk knows where units begin)
    // tells whether the text ended for good, at a zero or control unit;
    // it, or the unit after a line break that ends the text, may be a
    // string table's length word.
    size_t EndWide(size_t i)
    {
        const bool wholeUnit = unit_ <= kUnitAfterJapanese && i + 1 < avail_;
        const ptrdiff_t end = unit_ <= kUnitBegin ? static_cast<ptrdiff_t>(i)
                              : unit_ == kUnitHigh ? static_cast<ptrdiff_t>(i) + 1
                                                   : -1;
        Flush(end >= 0 && HardEnd(end));
        if (wideJapanese_ && end >= 0) {
            FollowFrom(end);
            if (LineBreak(end))
                FollowFrom(end + 2);
        }
        resume_ = wholeUnit;
        return wholeUnit ? i + 2 : i + 1;
    }

    // Byte k of the window, k from -kHistory on: before the window, the
    // bytes the walk passed (zeros before the data's first); past the
    // data's end, a zero byte.  (A window that does not end the data holds the look-ahead
    // of every position examined.)
    uint8_t At(ptrdiff_t k) const
    {
        if (static_cast<size_t>(k) < avail_)
            return data_[k];
        return k < 0 ? history_[-k - 1] : 0;
    }
    // The four bytes before position i, byte n before it as bits 8 (n - 1)
    // on.
    uint32_t BytesBefore(size_t i) const
    {
        if (i >= 4) {
            const uint8_t *d = data_ + i - 4;
            return uint32_t(d[3]) | uint32_t(d[2]) << 8 | uint32_t(d[1]) << 16 | uint32_t(d[0]) << 24;
        }
        const ptrdiff_t k = static_cast<ptrdiff_t>(i);
        return uint32_t(Back(k, 1)) | uint32_t(Back(k, 2)) << 8 | uint32_t(Back(k, 3)) << 16 |
               uint32_t(Back(k, 4)) << 24;
    }
    // Byte n (1 to 6) before position k (k from -1 on).
    uint8_t Back(ptrdiff_t k, size_t n) const { return At(k - static_cast<ptrdiff_t>(n)); }
    uint8_t Before(size_t k) const { return Back(static_cast<ptrdiff_t>(k), 1); }
    // Whether position k lies past the data's end (only in the window that
    // ends the data).
    bool Past(ptrdiff_t k) const { return k >= static_cast<ptrdiff_t>(avail_); }
    uint16_t Unit(ptrdiff_t k) const { return static_cast<uint16_t>(At(k) | At(k + 1) << 8); }

    // Whether the code unit at k is a Japanese character that code page
    // 932 holds (half-width katakana only when they are printable).
    bool Japanese(ptrdiff_t k) const { return JapaneseUnit(Unit(k)); }
    bool JapaneseUnit(unsigned u) const { return (japaneseUnits_[u >> 5] >> (u & 31)) & 1; }

    // Whether both bytes of the code unit at k could be single-byte text:
    // a high byte that is printable ASCII other than '0', and a low byte
    // that is printable ASCII or zero.  "ge" reads as a CJK ideograph, so
    // such a unit alone does not begin Japanese text; hiragana (high byte
    // '0') may.
    bool TextLike(ptrdiff_t k) const { return TextLikeUnit(At(k), At(k + 1)); }
    static bool TextLikeUnit(uint8_t lo, uint8_t hi)
    {
        return sjis::IsPrintableAscii(hi) &&
               (lo == 0 || (sjis::IsPrintableAscii(lo) && hi != kKanaHigh));
    }

    // Whether the code unit at k is "printable byte, zero".
    bool AsciiUnit(ptrdiff_t k) const { return printable_[At(k)] && At(k + 1) == 0; }

    // A symbol of code page 932 (it goes on with Japanese text, and never
    // begins it), and any code unit of Japanese text.
    bool Symbol(ptrdiff_t k) const { return IsJapaneseSymbol(Unit(k)); }
    bool TextUnit(ptrdiff_t k) const { return Japanese(k) || Symbol(k) || AsciiUnit(k); }
    // A zero or control code unit, or the data's end: where UTF-16 text
    // ends for good.
    bool HardEnd(ptrdiff_t k) const { return Past(k) || (At(k + 1) == 0 && At(k) < 0x20); }
    static bool BreakValue(uint8_t v) { return v == 0x09 || v == 0x0A || v == 0x0D; }
    // A line break: a code unit 0x0009, 0x000A or 0x000D.
    bool LineBreak(ptrdiff_t k) const { return At(k + 1) == 0 && BreakValue(At(k)); }
    // Whether a zero or control code unit stands right before k.
    bool ControlBefore(ptrdiff_t k) const { return Back(k, 1) == 0 && Back(k, 2) < 0x20; }
    // Whether a string may begin at k as a whole one: right after a zero
    // or control code unit, a string table's length word, or the words of
    // a menu or dialog item.
    bool StrongAt(ptrdiff_t k) const
    {
        return afterLength_ == base_ + static_cast<uint64_t>(k) || ControlBefore(k) ||
               ItemWordsBefore(k);
    }
    // Right before k, in the data: a popup menu's flags or a dialog item's
    // class (a unit 0x0080-0x00FF after a zero unit or 0xFFFF), or a menu
    // item's flags (0x0000 or 0x0080 after a zero unit) and identifier.
    bool ItemWordsBefore(ptrdiff_t k) const
    {
        if (static_cast<int64_t>(base_) + k < 6)
            return false;
        const unsigned flags = Back(k, 4) | Back(k, 3) << 8;
        if (Back(k, 1) == 0 && Back(k, 2) >= 0x80 && (flags == 0 || flags == 0xFFFF))
            return true;
        return (flags & 0xFF7F) == 0 && Back(k, 6) == 0 && Back(k, 5) == 0;
    }

    // UTF-16 text from k to its end: Japanese characters, symbols and
    // ASCII units up to a zero or control unit right after a character
    // that is not ASCII, or with a character unlike single-byte text or two
    // ASCII units in a row after the first (single-byte strings read as
    // UTF-16 have neither before their zero byte), or after text that had
    // either (`evidence`); within sixteen code units.
    bool TextToEnd(ptrdiff_t k, bool evidence) const
    {
        for (ptrdiff_t u = 0; u < 16; ++u) {
            const ptrdiff_t p = k + 2 * u;
            if (u > 0 && HardEnd(p))
                return evidence || !AsciiUnit(p - 2);
            if (Past(p + 1) || !TextUnit(p))
                return false;
            const bool ascii = AsciiUnit(p);
            evidence = evidence || (u > 0 && !ascii && !TextLike(p)) || (ascii && AsciiUnit(p + 2));
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
    bool BeginsWhole(ptrdiff_t k, bool marked) const
    {
        if (!Japanese(k) || (marked && At(k) == 0))
            return false;
        // A marked string needs a code unit whose high byte is that of a
        // mark or of an end (kana, forms, symbols, ASCII units and zero or
        // control units) among the sixteen: looked for by the high bytes
        // first (Shift-JIS text read as UTF-16 has none).
        if (marked) {
            ptrdiff_t u = 0;
            while (u < 16 && !markHigh_[At(k + 2 * u + 1)])
                ++u;
            if (u == 16)
                return false;
        }
        bool evidence = false, marks = !marked;
        for (ptrdiff_t u = 0; u < 16; ++u) {
            const ptrdiff_t p = k + 2 * u;
            if (u > 0 && HardEnd(p))
                return evidence && marks && u >= 3;
            const bool ascii = AsciiUnit(p);
            if (Past(p + 1) || !(ascii || Japanese(p) || (u >= 3 && Symbol(p))))
                return false;
            evidence = evidence || (u > 0 && !ascii && !TextLike(p)) || (ascii && AsciiUnit(p + 2));
            marks = marks || ascii || Symbol(p) || IsKanaOrSymbol(Unit(p));
        }
        return evidence && marks;
    }

    // Whether the v code units from `at` (the string after a code unit
    // read as a string table's length word v) are text or line breaks,
    // with a Japanese character or symbol among them when `japaneseIn`,
    // and end at a unit that may end a string (`depth` length words deep;
    // a line break only when `breakEnds`) or, with `depth` below 0, at
    // anything but a Japanese character or symbol.
    bool LengthSpan(ptrdiff_t at, size_t v, int depth, bool japaneseIn,
                    bool breakEnds = true) const
    {
        // Most spans that must hold Japanese text are ASCII text (UTF-16
        // strings that begin after a zero unit): the first unit that is no
        // ASCII unit or line break must be a Japanese character or symbol.
        if (japaneseIn) {
            const ptrdiff_t p = at + 2 * static_cast<ptrdiff_t>(AsciiUnits(at, v));
            if (p == at + 2 * static_cast<ptrdiff_t>(v) || Past(p + 1) || !(Japanese(p) || Symbol(p)))
                return false;
        }
        // Where the units end: it decides most other cases at once.
        const ptrdiff_t after = at + 2 * static_cast<ptrdiff_t>(v);
        if (depth < 0 ? Japanese(after) || Symbol(after) : !StringEnd(after, depth, breakEnds))
            return false;
        for (size_t u = 0; u < v; ++u) {
            const ptrdiff_t p = at + 2 * static_cast<ptrdiff_t>(u);
            if (Past(p + 1))
                return false;
            if (!AsciiUnit(p) && !LineBreak(p) && !Japanese(p) && !Symbol(p))
                return false;
        }
        return true;
    }
    // How many of the v code units from `at` on are ASCII units or line
    // breaks before the first that is neither (v when all are).
    size_t AsciiUnits(ptrdiff_t at, size_t v) const
    {
        size_t u = 0;
        if (at < 0 || static_cast<size_t>(at) + 2 * v + 2 > avail_) {
            for (ptrdiff_t p = at; u < v && (AsciiUnit(p) || LineBreak(p)); p += 2)
                ++u;
            return u;
        }
        const uint8_t *d = data_ + at;
#if LEX_WALK_SSE2
        // V::kBytes / 2 units at a time: low bytes printable or a line
        // break, high bytes zero.
        using V = WideVec;
        constexpr uint32_t even = static_cast<uint32_t>(0x5555555555555555ull) & AllBits<V>();
        for (; v - u >= V::kBytes / 2; u += V::kBytes / 2) {
            const uint8_t *from = d + 2 * u;
            const uint32_t low = printableSet_.Mask<V>(from) | breakSet_.Mask<V>(from);
            const uint32_t zero = V::Bits(V::Equal(V::Load(from), V::Zero()));
            const uint32_t good = low & (zero >> 1) & even;
            if (good != even)
                return u + static_cast<size_t>(__builtin_ctz(~good & even)) / 2;
        }
#endif
        while (u < v && (printable_[d[2 * u]] || BreakValue(d[2 * u])) && d[2 * u + 1] == 0)
            ++u;
        return u;
    }
    // A code unit that may end a string of a string table: the data's end,
    // a zero or control unit (a line break only when `breakEnds`), a unit
    // 0x007F-0x00FF that is no text (a length of 127 and more), or, with
    // `depth` above 0, the next string's ASCII length word.
    bool StringEnd(ptrdiff_t k, int depth, bool breakEnds = true) const
    {
        if (Past(k) || (At(k + 1) == 0 && !AsciiUnit(k)))
            return breakEnds || !LineBreak(k);
        return depth > 0 && AsciiLengthWord(k, depth - 1, false, breakEnds);
    }
    // An ASCII unit (0x20-0x7E) at k that reads as a length word.
    bool AsciiLengthWord(ptrdiff_t k, int depth, bool japaneseIn, bool breakEnds = true) const
    {
        return AsciiUnit(k) && At(k) <= 0x7E &&
               LengthSpan(k + 2, At(k), depth, japaneseIn, breakEnds);
    }
    // An ASCII unit at k that reads as a string table's length word with
    // Japanese text in its string (two more length words deep), right
    // after a zero or control unit.  After a line break (the string before
    // ended with one) the string holds a line break only as its last unit,
    // and no string of the three ends at one: the lines of a longer string
    // that begin with ASCII characters would read so otherwise.
    bool LengthWordAfterControl(ptrdiff_t k) const
    {
        if (!ControlBefore(k))
            return false;
        if (!LineBreak(k - 2))
            return AsciiLengthWord(k, 2, true);
        if (!AsciiLengthWord(k, 2, true, false))
            return false;
        const ptrdiff_t last = k + 2 * static_cast<ptrdiff_t>(At(k));
        for (ptrdiff_t p = k + 2; p < last; p += 2) {
            if (LineBreak(p))
                return false;
        }
        return true;
    }
    // A code unit at k that reads as a string table's length word with
    // Japanese text in its string (a control unit other than a line break,
    // or one of 0x007F-0x00FF that is no text): the table is followed from
    // there, unless one is followed already.
    void FollowFrom(ptrdiff_t k)
    {
        if (tableNext_ != kNone || Past(k + 1) || At(k + 1) != 0)
            return;
        const uint8_t v = At(k);
        if (v == 0 || printable_[v] || BreakValue(v))
            return;
        if (LengthSpan(k + 2, v, -1, true))
            tableNext_ = base_ + static_cast<uint64_t>(k) + 2 + 2 * uint64_t(v);
    }
    // UTF-16 text that begins at k, right after such a code unit.
    void Follow(ptrdiff_t k)
    {
        if (base_ + static_cast<uint64_t>(k) >= 2)
            FollowFrom(k - 2);
    }

    // A string table being followed: at its next length word, UTF-16 text
    // ends, and an ASCII unit there is passed over (the string after it
    // begins as a whole one).  Returns true with the next position in
    // *next when it did so.
    bool TableStep(size_t i, size_t *next)
    {
        const uint64_t at = base_ + i;
        if (tableNext_ < at || (tableNext_ == at && !wide_ && !candidate_.empty())) {
            tableNext_ = kNone;
            return false;
        }
        if (tableNext_ != at)
            return false;
        const ptrdiff_t k = static_cast<ptrdiff_t>(i);
        const uint8_t v = data_[i];
        if (AsciiLengthWord(k, -1, false)) {
            if (!candidate_.empty())
                Flush(true);
            tableNext_ = at + 2 + 2 * uint64_t(v);
            afterLength_ = at + 2;
            resume_ = false;
            *next = i + 2;
            return true;
        }
        tableNext_ = At(k + 1) == 0 ? at + 2 + 2 * uint64_t(v) : kNone;
        return false;
    }
    // The last position up to `limit` that the fast paths may take: the
    // one before a string table's next length word (which lies past the
    // position being stepped: TableStep moved it on).
    size_t Stop(size_t limit) const
    {
        if (tableNext_ == kNone || tableNext_ > base_ + limit)
            return limit;
        return static_cast<size_t>(tableNext_ - base_) - 1;
    }

    // Whether Japanese UTF-16 text begins at k: by the three code units
    // that follow a zero byte, or as a whole string (right after a zero or
    // control unit or a length word; after another byte that is not text,
    // a marked one).
    bool BeginsAt(size_t k, bool resumed) const
    {
        // Both ways need a Japanese character and two more Japanese
        // characters or ASCII units, not all three with a zero low byte:
        // those are a unit 0x0080-0x00FF (a menu item's flags, a dialog
        // item's class) and ASCII UTF-16 text, read one byte off.
        const ptrdiff_t s = static_cast<ptrdiff_t>(k);
        if (!Japanese(s) || !(Japanese(s + 2) || AsciiUnit(s + 2)) ||
            !(Japanese(s + 4) || AsciiUnit(s + 4)) || (At(s) | At(s + 2) | At(s + 4)) == 0)
            return false;
        if (BeginsJapanese(k, resumed))
            return true;
        if (resumed || StrongAt(s))
            return BeginsWhole(s, false);
        return !printable_[Before(k)] && BeginsWhole(s, true);
    }
    // Begins Japanese text at i (`strong`: as a whole string).
    size_t BeginJapanese(size_t i, bool strong)
    {
        Follow(static_cast<ptrdiff_t>(i));
        const size_t next = TakeJapanese(i);
        whole_ = strong;
        return next;
    }
    // Whether UTF-16 text takes the character at i: a Japanese character;
    // one that looks like single-byte text only next to one that does not,
    // or when text runs from it to its end.  Japanese text takes symbols
    // too.
    bool Takes(size_t i) const
    {
        const ptrdiff_t k = static_cast<ptrdiff_t>(i);
        if (japanese_ > 0 && Symbol(k))
            return true;
        return Japanese(k) &&
               (!TextLike(k) || unit_ == kUnitAfterUnlike || UnlikeAhead(i) ||
                TextToEnd(k, unlikeSeen_ || candidate_.size() - extra_ - japanese_ >= 2));
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
    bool BeginsJapanese(size_t k, bool resumed) const
    {
        const uint8_t before = resumed ? 0 : Before(k);
        if (before != 0 && (data_[k] == 0 || printable_[before]))
            return false;
        uint8_t b[6];
        for (size_t n = 0; n < 6; ++n)
            b[n] = At(k + n);
        bool unlike = false, marked = false;
        for (size_t n = 0; n < 6; n += 2) {
            const unsigned u = b[n] | b[n + 1] << 8;
            if (JapaneseUnit(u)) {
                unlike = unlike || !TextLikeUnit(b[n], b[n + 1]);
                marked = marked || IsKanaOrSymbol(static_cast<uint16_t>(u));
            } else if (n > 0 && printable_[b[n]] && b[n + 1] == 0) {
                marked = true;
            } else {
                return false;
            }
        }
        return unlike && (before == 0 || marked);
    }

    // Whether one of the two code units after k is a Japanese character
    // unlike single-byte text.
    bool UnlikeAhead(size_t k) const
    {
        return (Japanese(k + 2) && !TextLike(k + 2)) || (Japanese(k + 4) && !TextLike(k + 4));
    }

    // Appends the Japanese character at i (a code unit, two positions) to
    // the UTF-16 text, as its Shift-JIS bytes.
    size_t TakeJapanese(size_t i)
    {
        if (candidate_.empty())
            start_ = base_ + i;
        const uint16_t unit = static_cast<uint16_t>(data_[i] | data_[i + 1] << 8);
        const uint16_t form = JapaneseUnitCp932(unit);
        ++japanese_;
        kana_ = kana_ || IsKanaOrSymbol(unit);
        ideographs_ = ideographs_ || kIdeographHigh.Holds(static_cast<uint8_t>(unit >> 8));
        rising_ = rising_ && unit >= 0x3000 && unit <= 0x30FF && unit > lastUnit_;
        lastUnit_ = unit;
        unlikeSeen_ = unlikeSeen_ || (!candidate_.empty() && !TextLike(static_cast<ptrdiff_t>(i)));
        if (form > 0xFF) {
            candidate_.push_back(static_cast<char>(form >> 8));
            ++extra_;
        }
        candidate_.push_back(static_cast<char>(form & 0xFF));
        wide_ = true;
        unit_ = TextLike(i) ? kUnitAfterJapanese : kUnitAfterUnlike;
        return i + 2;
    }

    // With no candidate, from position i: the first position up to `limit`
    // that begins a string (Japanese UTF-16 text, which sets *japanese, a
    // start byte, or a UTF-8 character that begins UTF-8 text); a position
    // past `limit` when there is none.  Or, when none begins up to the end
    // of the positions SkipEmpty classified last, that end, with *none set:
    // SkipEmpty goes on from there.
    size_t FindStartOrJapanese(size_t i, size_t limit, bool *japanese, bool *none) const
    {
        // Among the positions SkipEmpty classified last: the start byte by
        // a vector search, and Japanese text where it may begin before it.
        if (!utf8Text_ && i >= seenFrom_ && i < seenTo_) {
            const size_t end = std::min(limit + 1, seenTo_);
            const size_t start = startSet_.Find<true>(data_, i, end);
            for (uint64_t may = seenJapanese_ >> (i - seenFrom_); may; may &= may - 1) {
                const size_t k = i + static_cast<size_t>(LowestBit(may));
                if (k > start || k >= end)
                    break;
                if (Begun(k) || BeginsAt(k, false)) {
                    *japanese = true;
                    return k;
                }
            }
            if (start == end)
                *none = true;
            return start;
        }
        for (; i <= limit; ++i) {
            if (MayBegin(i) && (Begun(i) || BeginsAt(i, false))) {
                *japanese = true;
                return i;
            }
            if (startSet_.Has(data_[i]) || (utf8Text_ && utf8Lead_[data_[i]] && StartsUtf8(i)))
                return i;
        }
        return i;
    }

    // Whether BeginsAt(k, false) may hold: known from the positions that
    // SkipEmpty classified last, or by the high byte.
    bool MayBegin(size_t k) const
    {
        if (k >= seenFrom_ && k < seenTo_)
            return (seenJapanese_ >> (k - seenFrom_)) & 1;
        return highSet_.Has(At(static_cast<ptrdiff_t>(k) + 1));
    }
    // Whether FirstBeginning found that Japanese text begins at k, with the
    // walk as it is now.
    bool Begun(size_t k) const { return k == begunAt_ && afterLength_ == begunAfterLength_; }

    // In UTF-16 text from position i: takes every code unit "printable
    // byte, zero" that another printable byte follows, two positions at a
    // time (sixteen with SSE2, thirty-two with AVX2), appending the low
    // bytes.  Returns the first position left for the plain step.
    size_t WideRun(size_t i, size_t limit)
    {
        const uint8_t *d = data_;
#if LEX_WALK_SSE2
        i = WideUnits<WideVec>(i, limit);
#if LEX_WALK_AVX2
        i = WideUnits<Vec16>(i, limit);
#endif
#endif
        while (i + 1 <= limit && i + 2 < avail_ && printable_[d[i]] && d[i + 1] == 0 &&
               printable_[d[i + 2]]) {
            candidate_.push_back(static_cast<char>(d[i]));
            i += 2;
        }
        return i;
    }

#if LEX_WALK_SSE2
    // WideRun's code units V::kBytes / 2 at a time: even bytes printable,
    // odd bytes zero, and a printable byte after them.
    template <class V>
    size_t WideUnits(size_t i, size_t limit)
    {
        const uint8_t *d = data_;
        constexpr uint32_t even = static_cast<uint32_t>(0x5555555555555555ull) & AllBits<V>();
        while (i + V::kBytes <= limit && i + V::kBytes < avail_ && printable_[d[i + V::kBytes]]) {
            const typename V::T v = V::Load(d + i);
            const uint32_t printable = printableSet_.Mask<V>(d + i);
            const uint32_t zero = V::Bits(V::Equal(v, V::Zero()));
            if ((printable & even) != even || (zero & even << 1) != even << 1)
                break;
            uint8_t low[V::kBytes];
            V::StoreLowBytes(v, low);
            candidate_.append(reinterpret_cast<const char *>(low), V::kBytes / 2);
            i += V::kBytes;
        }
        return i;
    }
#endif

    // Whether the byte at j after a run of `run` printable bytes, examined
    // with no wide text, ends the run with a flush: control bytes and the
    // like, lead bytes without SearchKanji, and a zero after two bytes or
    // more; not a UTF-8 character that begins UTF-8 text.
    bool Flushes(size_t j, size_t run) const
    {
        const uint8_t after = data_[j];
        if (utf8Text_ && utf8Lead_[after] && StartsUtf8(j))
            return false;
        const ByteClass c = class_[after];
        return c == kOther || (c == kLead && !settings_.SearchKanji) || (c == kZero && run >= 2);
    }

    // With no candidate, from position i: passes over 64 positions at a
    // time as long as the plain steps would do nothing there but drop short
    // runs of text.  Returns the start of the first run (or the lead byte)
    // that needs the plain steps, or a position past `limit`.
    //
    // A run here is a stretch of printable bytes and left-out katakana
    // (which neither end a candidate nor join it).  With SearchKanji, text
    // is gathered across stretches of runs and Shift-JIS pairs, whose bytes
    // all lie in textSet_; such a stretch (`text` below) holds no more text
    // than its bytes, and the bytes around it end any text.
    size_t SkipEmpty(size_t i, size_t limit)
    {
        const uint8_t *d = data_;
        // With Japanese text, the 64 positions' look-ahead must be in the
        // window too.
        const size_t reach = wideJapanese_ || utf8Text_ ? 64 + lookAhead_ : 64;
        const bool kanji = settings_.SearchKanji;
        // What the last 64 positions classified still tell about those
        // after i: the walk comes back here after each row, mostly within
        // them.  Runs must begin where they began then: not in the middle
        // of one (after UTF-8 text that ended at a katakana byte).
        const int shift = static_cast<int>(i - seenFrom_);
        if (i >= seenFrom_ && i < seenTo_ && seenTo_ <= limit + 1 &&
            (shift == 0 || !((seenRun_ >> (shift - 1)) & 1))) {
            if (const uint64_t at = Found(i, seenInteresting_ >> shift, seenBegins_ >> shift,
                                          seenUtf8_ >> shift))
                return i + BackToStretch(seenText_ >> shift, LowestBit(at));
            i = seenTo_;
        }
        while (limit + 1 - i >= 64 && avail_ - i >= reach) {
            const uint64_t p = printableSet_.Mask64(d + i);
            const uint64_t kana = settings_.CheckHalfKana ? kanaSet_.Mask64(d + i) : 0;
            const uint64_t run = p | kana;
            const uint64_t text = kanji ? textSet_.Mask64(d + i) : run;
            // A stretch that reaches the window's end is left for the next
            // window, which begins at the stretch's start.
            const uint64_t other = ~text;
            if (other == 0)
                return i;
            const int cut = (text >> 63) == 0 ? 64 : 64 - LeadingZeros(other);
            const uint64_t valid = cut == 64 ? ~uint64_t(0) : (uint64_t(1) << cut) - 1;
            uint64_t begins = 0, utf8 = 0, japanese = 0;
            const uint64_t interesting =
                Interesting(i, p, kana, text, &begins, &utf8, &japanese) & valid;
            // Kept for the walk's next visit.
            seenFrom_ = i;
            seenTo_ = i + static_cast<size_t>(cut);
            seenInteresting_ = interesting;
            seenBegins_ = begins & valid;
            seenUtf8_ = utf8 & valid;
            seenText_ = text;
            seenRun_ = run;
            seenPrintable_ = p;
            seenJapanese_ = japanese;
            if (const uint64_t at = Found(i, interesting, seenBegins_, seenUtf8_))
                return i + BackToStretch(text, LowestBit(at));
            i += static_cast<size_t>(cut);
        }
        return i;
    }

    // The first position (as a bit) of the 64 at i that needs the plain
    // steps, of Interesting's bits and its positions where Japanese UTF-16
    // text or UTF-8 text may begin; 0 when there is none.
    uint64_t Found(size_t i, uint64_t interesting, uint64_t begins, uint64_t utf8) const
    {
        uint64_t first = interesting & -interesting;
        if (const uint64_t start = utf8Text_ && utf8 ? FirstUtf8(i, utf8, first) : 0)
            first = start;
        if (const uint64_t begin = wideJapanese_ && begins ? FirstBeginning(i, begins, first) : 0)
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

    // The positions of the 64 at i, with no candidate, that the plain
    // steps might not pass over silently (p: printable bytes, kana:
    // left-out katakana; runs are stretches of both):
    //   - runs of at least the minimum length (they may hold a row); with
    //     SearchKanji, stretches of text bytes (`text`) of that length;
    //   - a zero after a run that may hold a single text byte, when a
    //     printable byte may follow (UTF-16 text may begin there);
    //   - with SearchWideJapanese, *begins: positions where Japanese UTF-16
    //     text may begin (FirstBeginning tells where it does), and
    //     *japanese: the positions of the 64 where BeginsAt may hold at all;
    //   - with SearchUtf8, *utf8: positions where UTF-8 text may begin
    //     (FirstUtf8 tells where it does).
    // Runs that reach the window's end are the caller's concern.
    uint64_t Interesting(size_t i, uint64_t p, uint64_t kana, uint64_t text, uint64_t *begins,
                         uint64_t *utf8, uint64_t *japanese) const
    {
        const uint8_t *d = data_;
        const uint64_t run = p | kana;
        const uint64_t starts = run & ~(run << 1);
        const uint64_t ends = ~run & (run << 1);  // the byte after each run
        const uint64_t longRuns = LongStarts(text);
        // Runs that may hold exactly one text byte: a single printable
        // byte, or any run with katakana in it (marked at its last byte by
        // spreading each katakana bit upwards through its run).
        uint64_t single = starts & p & ~(run >> 1);
        if (kana)
            single |= SpreadInRuns(kana, run);
        // The byte after the 64: past the data's end it is a zero byte.
        // (A window that does not end the data always holds it: positions
        // are examined only up to the window's last byte but one.)
        const bool nextPrintable = i + 64 < avail_ && printable_[d[i + 64]];
        const uint64_t followedByPrintable = (p >> 1) | (uint64_t(nextPrintable) << 63);
        const uint64_t zero = zeroSet_.Mask64(d + i);
        const uint64_t zeroAfterSingle = ends & zero & (single << 1);
        uint64_t result = longRuns | (zeroAfterSingle & followedByPrintable);
        if (wideJapanese_) {
            const uint32_t before = BytesBefore(i);
            result |= LengthWordBits(i, before, zero, zeroAfterSingle & ~followedByPrintable);
            result |= JapaneseBits(i, before, p, run, zero, zeroAfterSingle & ~followedByPrintable,
                                   begins, japanese);
        }
        if (utf8Text_)
            *utf8 = Utf8Bits(i);
        return result;
    }

    // Bits where min_ bytes of `run` in a row begin, by doubling (none when
    // the minimum length is 64 or more).
    uint64_t LongStarts(uint64_t run) const
    {
        if (min_ >= 64)
            return 0;
        size_t have = 1;
        while (have * 2 <= min_) {
            run &= run >> have;
            have *= 2;
        }
        if (have < min_)
            run &= run >> (min_ - have);
        return run;
    }

    // With UTF-8 text, the positions of the 64 at i (as bits) where a
    // UTF-8 character may begin UTF-8 text (Utf8Starts tells exactly,
    // FirstUtf8 finds the first); elsewhere the plain steps read the bytes
    // as without UTF-8 text.  By the bytes, what Utf8Begins asks for:
    //   - a first byte E0-EF, two continuation bytes and a byte that is
    //     none (ASCII or another character's first byte); F0-F4 and three
    //     continuation bytes;
    //   - a first byte C2-DF and a continuation byte, then another first
    //     byte one apart at most and its continuation byte, or (C3-C5, a
    //     Latin letter) small ASCII letters around it.
    // The 64 positions' look-ahead is in the window.
    uint64_t Utf8Bits(size_t i) const
    {
        const uint8_t *d = data_ + i;
        uint64_t latin;
        const uint64_t found = Utf8Candidates64(d, &latin);
        if (!latin)
            return found;
        // A Latin letter between small ASCII letters: two of them right
        // before it, or one right before it and one right after it, or
        // two right after it.
        const uint64_t small = smallSet_.Mask64(d);
        auto had = [this, i](size_t n) {
            return uint64_t(smallSet_.Has(Back(static_cast<ptrdiff_t>(i), n)));
        };
        auto has = [this, d](int k) { return uint64_t(smallSet_.Has(d[64 + k])); };
        const uint64_t before1 = small << 1 | had(1);
        const uint64_t before2 = small << 2 | had(1) << 1 | had(2);
        const uint64_t after2 = small >> 2 | has(0) << 62 | has(1) << 63;
        const uint64_t after3 = small >> 3 | has(0) << 61 | has(1) << 62 | has(2) << 63;
        return found | (latin & ((before1 & (before2 | after2)) | (after2 & after3)));
    }

    // Utf8Bits of the 64 bytes at d, but for the Latin letters' neighbours:
    // returns the characters of three bytes and four and those of two with
    // another after them; *latin gets the Latin letters of two bytes.  One
    // pass over the bytes, without branches: binary data has such bytes in
    // most blocks.
    static uint64_t Utf8Candidates64(const uint8_t *d, uint64_t *latin)
    {
        uint64_t found = 0, letters = 0;
#if LEX_WALK_SSE2
        using V = WideVec;
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
#else
        auto cont = [](uint8_t b) { return (b & 0xC0) == 0x80; };
        for (int k = 0; k < 64; ++k) {
            const uint8_t *u = d + k;
            const bool c12 = cont(u[1]) && cont(u[2]);
            const bool three = c12 && ((u[0] >= 0xE0 && u[0] <= 0xEF && !cont(u[3])) ||
                                       (u[0] >= 0xF0 && u[0] <= utf8::kLead.last && cont(u[3])));
            const bool two = cont(u[1]) && u[0] >= utf8::kLead.first && u[0] <= 0xDF;
            const bool near = cont(u[3]) && uint8_t(u[2] + 1 - u[0]) <= 2;
            found |= static_cast<uint64_t>(three || (two && near)) << k;
            letters |= static_cast<uint64_t>(two && u[0] >= 0xC3 && u[0] <= 0xC5) << k;
        }
#endif
        *latin = letters;
        return found;
    }

    // With Japanese UTF-16 text, the positions of the 64 at i (of
    // `zeroAfterSingle`, as bits) where the single byte before the zero may
    // be a string table's length word after a zero or control unit: a
    // zero and a byte below 0x20 before it, and after the zero a code unit
    // that may begin its string (a line break or text; a printable byte or
    // a Japanese character there makes the position interesting anyway).
    // `before`: the bytes before i (BytesBefore).
    uint64_t LengthWordBits(size_t i, uint32_t before, uint64_t zero, uint64_t zeroAfterSingle) const
    {
        const auto back = [before](int n) { return static_cast<uint8_t>(before >> 8 * (n - 1)); };
        const uint64_t zero2 = zero << 2 | uint64_t(back(1) == 0) << 1 | uint64_t(back(2) == 0);
        uint64_t bits = zeroAfterSingle & zero2;
        if (bits == 0)
            return 0;
        const uint8_t *d = data_;
        const uint64_t low3 = controlSet_.Mask64(d + i) << 3 | uint64_t(back(1) < 0x20) << 2 |
                              uint64_t(back(2) < 0x20) << 1 | uint64_t(back(3) < 0x20);
        const uint64_t zeroAt2 = zero >> 2 | uint64_t(d[i + 64] == 0) << 62 | uint64_t(d[i + 65] == 0) << 63;
        const uint64_t next = (breakSet_.Mask64(d + i + 1) & zeroAt2) | spanHighSet_.Mask64(d + i + 2);
        return bits & low3 & next;
    }

    // With Japanese UTF-16 text, the positions of the 64 at i (as bits)
    // where the plain steps would take a Japanese character: a zero after a
    // single byte (of `zeroAfterSingle`) that one follows (returned), or,
    // with no candidate (outside the text that a run gathers from its first
    // printable byte on, and the byte that ends it), the beginning of
    // Japanese text after a byte that is not text.  Whether such text
    // begins depends on the walk (a length word passed over), so *begins
    // gets the positions where it may, for FirstBeginning; *may, those
    // where BeginsAt may hold at all (in runs too), whatever the walk's
    // state.  `bytesBefore`: the bytes before i (BytesBefore).  The 64
    // positions' look-ahead is in the window.
    //
    // The positions are sifted in vector registers first, so that the
    // table of Japanese characters is read for few of them: most blocks of
    // machine code (whose bytes read as CJK ideographs everywhere) and of
    // Shift-JIS text read as UTF-16 keep none.
    uint64_t JapaneseBits(size_t i, uint32_t bytesBefore, uint64_t p, uint64_t run, uint64_t zero,
                          uint64_t zeroAfterSingle, uint64_t *begins, uint64_t *may) const
    {
        const uint8_t *d = data_;
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
        const uint64_t japanese64 = highSet_.Has(d[i + 65]);  // the unit at i + 64, by its high byte
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
        const uint64_t notText = ~(p << 1 | uint64_t(printable_[before]));
        const uint64_t zeroBefore = zero << 1 | uint64_t(before == 0);
        const uint64_t items = (zero << 6 & zero << 5 & zero << 3) | 0x3F;
        maybe &= (~zero & notText) | (zero & zeroBefore) | items;
        // After another byte, kana, a symbol or an ASCII unit among the
        // three, or text up to one within sixteen code units.
        const uint64_t marks = kana | ascii;
        const uint64_t strong = zeroBefore | items | kana | marks >> 2 | marks >> 4 |
                                uint64_t(15) << 60;
        if (maybe & ~strong)
            maybe &= strong | WholeAhead(i, zero1, ascii, japanese);
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
    // there that are ASCII and may be Japanese.
    uint64_t WholeAhead(size_t i, uint64_t zero1, uint64_t ascii, uint64_t japanese) const
    {
        const uint8_t *d = data_ + i;
        uint64_t markLo = ascii | markHighSet_.Mask64(d + 1);
        uint64_t textLo = markLo | japanese;
        uint64_t endLo = zero1 & controlSet_.Mask64(d);
        // The units at i + 64 .. i + 95.
        const uint64_t zeroHi = zeroSet_.Mask32(d + 65);
        const uint64_t asciiHi = printableSet_.Mask32(d + 64) & zeroHi;
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

    // The first of the positions `maybe` of the 64 at i, below the lowest
    // bit of `below`, where UTF-8 text begins (as a bit); 0 when there is
    // none.
    uint64_t FirstUtf8(size_t i, uint64_t maybe, uint64_t below) const
    {
        if (below)
            maybe &= (below & -below) - 1;
        for (; maybe; maybe &= maybe - 1) {
            if (Utf8Starts(i + static_cast<size_t>(LowestBit(maybe))))
                return maybe & -maybe;
        }
        return 0;
    }
    // The first of the positions `begins` of the 64 at i, below the lowest
    // bit of `below`, where Japanese UTF-16 text begins (as a bit); 0 when
    // there is none.
    uint64_t FirstBeginning(size_t i, uint64_t begins, uint64_t below) const
    {
        if (below)
            begins &= (below & -below) - 1;
        for (; begins; begins &= begins - 1) {
            const int q = LowestBit(begins);
            if (BeginsAt(i + static_cast<size_t>(q), false)) {
                begunAt_ = i + static_cast<size_t>(q);
                begunAfterLength_ = afterLength_;
                return uint64_t(1) << q;
            }
        }
        return 0;
    }

    // Bit q of *japanese set where the code unit at d + q (its low byte
    // there, its high byte after it) may be a Japanese character: by its
    // high byte (kKanaHigh, kIdeographHigh, kFormsHigh), and forms by their
    // low byte too (0xFF01-0xFF9F, to 0xFF60 when half-width katakana are
    // not printable).  *kana: kana and CJK symbols (kKanaHigh) and
    // half-width katakana (0xFF61-0xFF9F).
    void UnitMasks64(const uint8_t *d, uint64_t *japanese, uint64_t *kana) const
    {
        const uint8_t formsLast = halfKana_ ? 0x9F : 0x60;
#if LEX_WALK_SSE2
        using V = WideVec;
        using T = typename V::T;
        uint64_t jm = 0, km = 0;
        for (size_t k = 0; k < 64; k += V::kBytes) {
            const T lo = V::Load(d + k), hi = V::Load(d + k + 1);
            const T ideograph = InRange<V>(hi, V::Splat(kIdeographHigh.first),
                                           V::Splat(kIdeographHigh.last - kIdeographHigh.first));
            const T kanaHigh = V::Equal(hi, V::Splat(kKanaHigh));
            const T formsHigh = V::Equal(hi, V::Splat(kFormsHigh));
            const T forms = V::And(formsHigh, InRange<V>(lo, V::Splat(0x01), V::Splat(formsLast - 0x01)));
            const T halfWidth = V::And(formsHigh, InRange<V>(lo, V::Splat(0x61), V::Splat(0x9F - 0x61)));
            jm |= static_cast<uint64_t>(V::Bits(V::Or(ideograph, V::Or(kanaHigh, forms)))) << k;
            km |= static_cast<uint64_t>(V::Bits(V::Or(kanaHigh, halfWidth))) << k;
        }
        *japanese = jm;
        *kana = km;
#else
        uint64_t jm = 0, km = 0;
        for (int q = 0; q < 64; ++q) {
            const uint8_t lo = d[q], hi = d[q + 1];
            const bool forms = hi == kFormsHigh && lo >= 0x01 && lo <= formsLast;
            const bool halfWidth = hi == kFormsHigh && lo >= 0x61 && lo <= 0x9F;
            jm |= uint64_t(kIdeographHigh.Holds(hi) || hi == kKanaHigh || forms) << q;
            km |= uint64_t(hi == kKanaHigh || halfWidth) << q;
        }
        *japanese = jm;
        *kana = km;
#endif
    }

    // Single-byte text from position i (printable, kept): appends every
    // following byte of the printable range up to `limit`, leaving out the
    // katakana bytes that are not printable.  The printable step of
    // single-byte text does not look at the next byte, so the run can be
    // taken whole; with UTF-8 text, up to a byte that may begin a UTF-8
    // character (the one at i begins none: the step looked).
    size_t AppendRun(size_t i, size_t limit)
    {
        const uint8_t *d = data_;
        if (candidate_.empty())
            start_ = base_ + i;
        size_t j = i;
        // UTF-8 text takes ASCII only (PrintableStep ends it at katakana).
        const bool ascii = utf8Text_ && utf8_;
        const ByteSet &run = ascii ? asciiSet_ : runSet_;
        if (utf8Text_ && utf8Lead_[d[i]])
            candidate_.push_back(static_cast<char>(d[j++]));
        while (j <= limit) {
            const size_t k = run.Find<false>(d, j, limit + 1);
            candidate_.append(reinterpret_cast<const char *>(d + j), k - j);
            j = k;
            // Left-out katakana do not end the run, unless a UTF-8 character
            // that begins UTF-8 text is there.
            while (j <= limit && !ascii && class_[d[j]] == kPrintable && !printable_[d[j]] &&
                   !(utf8Text_ && utf8Lead_[d[j]] && StartsUtf8(j)))
                ++j;
            if (j == k)
                break;
        }
        return j;
    }

    // The window being walked.
    const uint8_t *data_ = nullptr;
    // The positions [seenFrom_, seenTo_) of the window that SkipEmpty
    // classified last: where the plain steps are needed, and the stretches
    // of text.
    size_t seenFrom_ = 0, seenTo_ = 0;
    uint64_t seenInteresting_ = 0, seenBegins_ = 0, seenUtf8_ = 0, seenText_ = 0, seenRun_ = 0;
    uint64_t seenPrintable_ = 0;
    // Of those positions, where BeginsAt(k, false) may hold.
    uint64_t seenJapanese_ = 0;
    // Where FirstBeginning found that Japanese text begins, and
    // afterLength_ then (the only state BeginsAt depends on).
    mutable size_t begunAt_ = SIZE_MAX;
    mutable uint64_t begunAfterLength_ = 0;
    // runSet_ holds the printable bytes, no more, no less.
    bool sameRun_ = false;
    uint64_t base_ = 0;
    size_t avail_ = 0;

    ByteClass class_[256];
    bool printable_[256];
    bool trail_[256];
    ByteSet printableSet_;
    ByteSet runSet_;
    ByteSet asciiSet_;
    ByteSet startSet_;
    ByteSet utf8LeadSet_;
    ByteSet smallSet_;  // a-z
    bool utf8Lead_[256];  // bytes that may begin a UTF-8 character (SearchUtf8)
    MixedByte mixed_[256];  // what single-byte text with Shift-JIS pairs does with a byte
    ByteSet zeroSet_;
    ByteSet textSet_;
    ByteSet kanaSet_;
    ByteSet highSet_;
    ByteSet symbolHighSet_;
    ByteSet markHighSet_;
    ByteSet ideographHighSet_;
    ByteSet controlSet_;
    ByteSet breakSet_;
    ByteSet spanHighSet_;
    bool markHigh_[256];  // high bytes of marks and ends of Japanese text
    bool halfKana_;  // half-width katakana are printable
    size_t lookAhead_;
    UnitPlace unit_ = kUnitUnknown;  // in UTF-16 text
    // Japanese text ended at a code unit passed over whole: new text may
    // begin right after it.
    bool resume_ = false;
    // The bytes before the window's first, nearest first.
    static constexpr size_t kHistory = 7;
    uint8_t history_[kHistory] = {};
    // A string table being followed: the file offset of its next length
    // word (kNone: none), and the offset right after a length word passed
    // over.
    static constexpr uint64_t kNone = UINT64_MAX;
    uint64_t tableNext_ = kNone;
    uint64_t afterLength_ = kNone;
    // Bit u: the code unit u is a Japanese character that code page 932
    // holds (half-width katakana only when they are printable); in
    // textUnits_, or an ASCII unit (printable byte, zero).  Last: the
    // members the walk reads at every step stay together.
    uint32_t japaneseUnits_[65536 / 32];
    uint32_t textUnits_[65536 / 32];
};

} // namespace

std::unique_ptr<WalkCore> LEX_WALK_FACTORY(const WalkSetup &setup)
{
    const ExtractionSettings &s = *setup.settings;
    if (s.SearchWideJapanese)
        return s.SearchUtf8 ? std::unique_ptr<WalkCore>(new BodyWalker<true, true>(setup))
                            : std::unique_ptr<WalkCore>(new BodyWalker<true, false>(setup));
    return s.SearchUtf8 ? std::unique_ptr<WalkCore>(new BodyWalker<false, true>(setup))
                        : std::unique_ptr<WalkCore>(new BodyWalker<false, false>(setup));
}

} // namespace lex
