// The string scanner's byte walk and row emitter.
//
// The walk is a small state machine over the bytes (candidate, its start,
// the wide flag).  Besides the plain one-position step it has three fast
// paths that take many positions at once, each only where the plain steps
// would do exactly the same:
//   - with no candidate, 64 positions at a time are classified with bit
//     masks; windows that hold only runs too short for a row, ended by
//     bytes that flush them, are passed over whole.  Elsewhere a run of
//     printable bytes that the next byte flushes is emitted (or dropped)
//     straight from the buffer;
//   - in single-byte text, a run of printable bytes is appended at once;
//   - in UTF-16 text, "printable, zero" code units followed by a printable
//     byte are taken two (or sixteen) positions at a time.
// None of them crosses a checkpoint, so the host sees the same progress,
// event and abort calls as a walk that took one position at a time.
#include "Check/scanner.h"

#include <algorithm>
#include <cstring>
#include <string>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "Check/dictionary.h"
#include "util/mbcs.h"

namespace lex {

bool PassesRepetitionFilter(const char *text, size_t length, int limit)
{
    // Wide arithmetic: a limit read from the registry may be any int, and
    // limit - 1 must not overflow.
    const int64_t threshold = static_cast<int64_t>(limit) - 1;
    uint8_t previous = 0;  // no text byte is zero
    int64_t run = 0;
    for (size_t k = 0; k < length; ++k) {
        const uint8_t c = static_cast<uint8_t>(text[k]);
        run = c == previous ? run + 1 : 0;
        if (run >= threshold && c != ' ' && c != '_' && !(c >= '0' && c <= '9'))
            return false;
        previous = c;
    }
    return true;
}

namespace {

// A set of bytes made of up to four ranges, with searches that take 16 or
// 64 bytes at a time where SSE2 is available.
class ByteSet {
public:
    void Add(uint8_t lo, uint8_t hi)
    {
#if defined(__SSE2__)
        lo_[count_] = _mm_set1_epi8(static_cast<char>(lo));
        span_[count_] = _mm_set1_epi8(static_cast<char>(hi - lo));
#endif
        ++count_;
        for (int b = lo; b <= hi; ++b)
            table_[b] = true;
    }
    bool Has(uint8_t b) const { return table_[b]; }

#if defined(__SSE2__)
    // Bit k set where byte k of the 16 at d is in the set.
    unsigned Mask16(const uint8_t *d) const
    {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(d));
        // b - lo <= span, unsigned: min(x, span) == x.
        __m128i x = _mm_sub_epi8(v, lo_[0]);
        __m128i in = _mm_cmpeq_epi8(_mm_min_epu8(x, span_[0]), x);
        for (int r = 1; r < count_; ++r) {
            x = _mm_sub_epi8(v, lo_[r]);
            in = _mm_or_si128(in, _mm_cmpeq_epi8(_mm_min_epu8(x, span_[r]), x));
        }
        return static_cast<unsigned>(_mm_movemask_epi8(in));
    }
#endif

    // Bit k set where byte k of the 64 at d is in the set.
    uint64_t Mask64(const uint8_t *d) const
    {
#if defined(__SSE2__)
        return static_cast<uint64_t>(Mask16(d)) | static_cast<uint64_t>(Mask16(d + 16)) << 16 |
               static_cast<uint64_t>(Mask16(d + 32)) << 32 |
               static_cast<uint64_t>(Mask16(d + 48)) << 48;
#else
        uint64_t mask = 0;
        for (int k = 0; k < 64; ++k)
            mask |= static_cast<uint64_t>(table_[d[k]]) << k;
        return mask;
#endif
    }

    // First position in [i, end) whose byte is (want = true) or is not
    // (want = false) in the set; `end` when there is none.
    template <bool want>
    size_t Find(const uint8_t *d, size_t i, size_t end) const
    {
#if defined(__SSE2__)
        while (end - i >= 16) {
            unsigned mask = Mask16(d + i);
            if (!want)
                mask ^= 0xFFFF;
            if (mask)
                return i + static_cast<size_t>(__builtin_ctz(mask));
            i += 16;
        }
#endif
        while (i < end && table_[d[i]] != want)
            ++i;
        return i;
    }

private:
#if defined(__SSE2__)
    __m128i lo_[4];
    __m128i span_[4];
#endif
    int count_ = 0;
    bool table_[256] = {};
};

inline int LeadingZeros(uint64_t v)
{
#if defined(__GNUC__)
    return __builtin_clzll(v);
#else
    int k = 0;
    while (!(v >> 63)) {
        v <<= 1;
        ++k;
    }
    return k;
#endif
}

inline int LowestBit(uint64_t v)
{
#if defined(__GNUC__)
    return __builtin_ctzll(v);
#else
    int k = 0;
    while (!(v & 1)) {
        v >>= 1;
        ++k;
    }
    return k;
#endif
}

enum ByteClass : uint8_t { kZero, kPrintable, kLead, kOther };

ByteClass ClassOf(int b)
{
    if (b == 0)
        return kZero;
    if ((b >= 0x20 && b <= 0x7E) || (b >= 0xA1 && b <= 0xDF))
        return kPrintable;
    if (loom::IsShiftJisLeadByte(static_cast<unsigned char>(b)))
        return kLead;
    return kOther;
}

class Walker {
public:
    Walker(const uint8_t *data, size_t size, int minLength, const ExtractionSettings &settings,
           const EnglishWordMarker *marker, ScanHost &host)
        : data_(data), size_(size), min_(static_cast<size_t>(std::max(minLength, 1))),
          settings_(settings), marker_(marker), host_(host)
    {
        for (int b = 0; b < 256; ++b) {
            class_[b] = ClassOf(b);
            printable_[b] = (b >= 0x20 && b <= 0x7E) ||
                            (b >= 0xA1 && b <= 0xDF && !settings.CheckHalfKana);
            trail_[b] = (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
        }
        // With no candidate, only printable bytes and (with SearchKanji)
        // lead bytes change anything.
        printableSet_.Add(0x20, 0x7E);
        if (!settings.CheckHalfKana)
            printableSet_.Add(0xA1, 0xDF);
        startSet_ = printableSet_;
        if (settings.SearchKanji) {
            startSet_.Add(0x81, 0x9F);
            startSet_.Add(0xE0, 0xFC);
        }
        zeroSet_.Add(0, 0);
        kanaSet_.Add(0xA1, 0xDF);
        // The Shift-JIS lead bytes, as ranges for the vector searches.
        leadSet_.Add(0x81, 0x9F);
        leadSet_.Add(0xE0, 0xFC);
    }

    void Run(size_t interval)
    {
        const size_t n = size_;
        if (n == 0)
            return;
        const size_t last = n - 1;
        size_t i = 0;
        while (i < n) {
            // The block's last position; a lead step there may take the
            // first byte of the next block as its trail byte.
            const size_t limit = std::min((i / interval + 1) * interval - 1, last);
            while (i <= limit)
                i = Step(i, limit);
            // i is one past the position that the last step ended on.
            const uint64_t at = i - 1;
            host_.SetProgress(static_cast<int>(at * 100 / n));
            host_.ProcessEvents();
            if (host_.AbortRequested())
                break;
        }
        // The pending candidate is emitted after an abort too.
        Emit();
    }

private:
    // Runs the step of position i (and any fast path from there, never past
    // `limit`) and returns the next position to examine.
    size_t Step(size_t i, size_t limit)
    {
        const uint8_t *d = data_;
        if (candidate_.empty()) {
            // Wide text always has a candidate, so this is single-byte state.
            i = SkipEmpty(i, limit);
            if (i > limit)
                return i;
            i = startSet_.Find<true>(d, i, limit + 1);
            if (i > limit)
                return i;
            if (printable_[d[i]]) {
                // A run of printable bytes from i to j - 1.  When the byte
                // at j flushes, the run is emitted (or dropped) from the
                // buffer as it stands, without gathering it.  A zero after a
                // single byte may begin UTF-16 text and takes the plain way.
                const size_t j = printableSet_.Find<false>(d, i + 1, limit + 1);
                if (j <= limit && Flushes(d[j], j - i)) {
                    start_ = i;
                    Emit(reinterpret_cast<const char *>(d + i), j - i);
                    return j + 1;
                }
                start_ = i;
                candidate_.assign(reinterpret_cast<const char *>(d + i), j - i);
                return j;
            }
        } else if (wide_) {
            i = WideRun(i, limit);
            if (i > limit)
                return i;
        }

        const uint8_t b = d[i];
        const uint8_t x = i + 1 < size_ ? d[i + 1] : 0;  // past the end: a zero byte
        switch (class_[b]) {
        case kZero:
            if (wide_) {
                if (!printable_[x])
                    Flush();
            } else if (candidate_.size() == 1) {
                // A single byte and a zero: the first code unit of UTF-16
                // text if a printable byte follows, otherwise nothing.
                if (printable_[x])
                    wide_ = true;
                else
                    candidate_.clear();
            } else {
                Flush();
            }
            return i + 1;
        case kPrintable:
            if (!printable_[b])
                return i + 1;  // left-out katakana: the candidate goes on
            if (wide_) {
                if (x == 0) {
                    if (candidate_.empty())
                        start_ = i;
                    candidate_.push_back(static_cast<char>(b));
                }
                return i + 1;
            }
            return AppendRun(i, limit);
        case kLead:
            if (settings_.SearchKanji && !wide_ && trail_[x] && i + 1 < size_) {
                if (candidate_.empty())
                    start_ = i;
                candidate_.push_back(static_cast<char>(b));
                candidate_.push_back(static_cast<char>(x));
                return i + 2;
            }
            Flush();
            return i + 1;
        default:
            Flush();
            return i + 1;
        }
    }

    // In UTF-16 text from position i: takes every code unit "printable
    // byte, zero" that another printable byte follows, two positions at a
    // time (sixteen where SSE2 is available), appending the low bytes.
    // Returns the first position left for the plain step.
    size_t WideRun(size_t i, size_t limit)
    {
        const uint8_t *d = data_;
#if defined(__SSE2__)
        // Eight code units at once: even bytes printable, odd bytes zero,
        // and a printable byte after them.
        while (i + 16 <= limit && i + 16 < size_ && printable_[d[i + 16]]) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(d + i));
            const unsigned printable = printableSet_.Mask16(d + i);
            const unsigned zero =
                static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_setzero_si128())));
            if ((printable & 0x5555) != 0x5555 || (zero & 0xAAAA) != 0xAAAA)
                break;
            char low[16];
            _mm_storeu_si128(reinterpret_cast<__m128i *>(low), _mm_packus_epi16(v, v));
            candidate_.append(low, 8);
            i += 16;
        }
#endif
        while (i + 1 <= limit && i + 2 < size_ && printable_[d[i]] && d[i + 1] == 0 &&
               printable_[d[i + 2]]) {
            candidate_.push_back(static_cast<char>(d[i]));
            i += 2;
        }
        return i;
    }

    // Whether the byte after a run of `run` printable bytes, examined with
    // no wide text, ends the run with a flush: control bytes and the like,
    // lead bytes without SearchKanji, and a zero after two bytes or more.
    bool Flushes(uint8_t after, size_t run) const
    {
        const ByteClass c = class_[after];
        return c == kOther || (c == kLead && !settings_.SearchKanji) || (c == kZero && run >= 2);
    }

    // With no candidate, from position i: passes over 64 positions at a
    // time as long as the plain steps would do nothing there but drop short
    // runs of text.  Returns the start of the first run (or the lead byte)
    // that needs the plain steps, or a position past `limit`.
    //
    // A run here is a stretch of printable bytes and left-out katakana
    // (which neither end a candidate nor join it).
    size_t SkipEmpty(size_t i, size_t limit)
    {
        const uint8_t *d = data_;
        while (limit + 1 - i >= 64) {
            const uint64_t p = printableSet_.Mask64(d + i);
            const uint64_t kana = settings_.CheckHalfKana ? kanaSet_.Mask64(d + i) : 0;
            const uint64_t run = p | kana;
            // A run that reaches the window's end is left for the next
            // window, which begins at the run's start.
            const uint64_t other = ~run;
            if (other == 0)
                return i;
            const int cut = (run >> 63) == 0 ? 64 : 64 - LeadingZeros(other);
            const uint64_t valid = cut == 64 ? ~uint64_t(0) : (uint64_t(1) << cut) - 1;
            const uint64_t interesting = Interesting(i, p, kana) & valid;
            if (interesting == 0) {
                i += static_cast<size_t>(cut);
                continue;
            }
            // Back from the first interesting position to the start of the
            // run that holds it or that ends right before it.
            int q = LowestBit(interesting);
            int inRun = -1;
            if ((run >> q) & 1)
                inRun = q;
            else if (q > 0 && ((run >> (q - 1)) & 1))
                inRun = q - 1;
            if (inRun >= 0) {
                const uint64_t runStarts = run & ~(run << 1);
                const uint64_t below = runStarts & ((uint64_t(2) << inRun) - 1);
                q = 63 - LeadingZeros(below);
            }
            return i + static_cast<size_t>(q);
        }
        return i;
    }

    // The positions of the 64 at i, with no candidate, that the plain
    // steps might not pass over silently (p: printable bytes, kana:
    // left-out katakana; runs are stretches of both):
    //   - runs of at least the minimum length (they may hold a row);
    //   - a zero after a run that may hold a single text byte, when a
    //     printable byte follows (UTF-16 text may begin there);
    //   - with SearchKanji, every lead byte.
    // Runs that reach the window's end are the caller's concern.
    uint64_t Interesting(size_t i, uint64_t p, uint64_t kana) const
    {
        const uint8_t *d = data_;
        const uint64_t run = p | kana;
        const uint64_t starts = run & ~(run << 1);
        const uint64_t ends = ~run & (run << 1);  // the byte after each run
        // Bits where min_ run bytes in a row begin, by doubling.
        uint64_t longRuns = 0;
        if (min_ < 64) {
            longRuns = run;
            size_t have = 1;
            while (have * 2 <= min_) {
                longRuns &= longRuns >> have;
                have *= 2;
            }
            if (have < min_)
                longRuns &= longRuns >> (min_ - have);
        }
        // Runs that may hold exactly one text byte: a single printable
        // byte, or any run with katakana in it (marked at its last byte by
        // spreading each katakana bit upwards through its run).
        uint64_t single = starts & p & ~(run >> 1);
        if (kana) {
            // linked: bit j set when positions j - step .. j all lie in runs.
            uint64_t spread = kana, linked = run & (run << 1);
            for (int step = 1; step < 64; step *= 2) {
                spread |= (spread << step) & linked;
                linked &= linked << step;
            }
            single |= spread;
        }
        const bool nextPrintable = i + 64 < size_ && printable_[d[i + 64]];
        const uint64_t followedByPrintable = (p >> 1) | (uint64_t(nextPrintable) << 63);
        uint64_t result =
            longRuns | (ends & zeroSet_.Mask64(d + i) & (single << 1) & followedByPrintable);
        if (settings_.SearchKanji)
            result |= leadSet_.Mask64(d + i);
        return result;
    }

    // Single-byte text from position i (printable, kept): appends every
    // following byte of the printable range up to `limit`, leaving out the
    // katakana bytes that are not printable.  The printable step of
    // single-byte text does not look at the next byte, so the run can be
    // taken whole.
    size_t AppendRun(size_t i, size_t limit)
    {
        const uint8_t *d = data_;
        if (candidate_.empty())
            start_ = i;
        size_t j = i;
        while (j <= limit) {
            const size_t k = printableSet_.Find<false>(d, j, limit + 1);
            candidate_.append(reinterpret_cast<const char *>(d + j), k - j);
            j = k;
            // Left-out katakana do not end the run.
            while (j <= limit && class_[d[j]] == kPrintable && !printable_[d[j]])
                ++j;
            if (j == k)
                break;
        }
        return j;
    }

    void Flush()
    {
        Emit();
        candidate_.clear();
        wide_ = false;
    }

    void Emit() { Emit(candidate_.data(), candidate_.size()); }

    // The row emitter: length, repetition filter, row, English word.  The
    // text starts at start_ and is wide when wide_ is set.
    void Emit(const char *text, size_t length)
    {
        if (length < min_)
            return;
        if (settings_.CheckRecurrence &&
            !PassesRepetitionFilter(text, length, settings_.RecurrenceTime))
            return;
        const bool checked =
            settings_.CheckEnglish && marker_ && marker_->ContainsWord(text, length);
        host_.AddRow(static_cast<uint32_t>(start_), wide_, text, length, checked);
    }

    const uint8_t *data_;
    size_t size_;
    size_t min_;
    const ExtractionSettings &settings_;
    const EnglishWordMarker *marker_;
    ScanHost &host_;

    ByteClass class_[256];
    bool printable_[256];
    bool trail_[256];
    ByteSet printableSet_;
    ByteSet startSet_;
    ByteSet zeroSet_;
    ByteSet kanaSet_;
    ByteSet leadSet_;

    std::string candidate_;
    size_t start_ = 0;
    bool wide_ = false;
};

} // namespace

int ScanBufferWithInterval(const uint8_t *data, size_t size, int minLength,
                           const ExtractionSettings &settings,
                           const EnglishWordMarker *marker, ScanHost &host,
                           size_t checkpointInterval)
{
    if (size > kMaxInputSize)
        return 1;
    Walker walker(data, size, minLength, settings, marker, host);
    walker.Run(std::max<size_t>(checkpointInterval, 1));
    return 0;
}

int ScanBuffer(const uint8_t *data, size_t size, int minLength,
               const ExtractionSettings &settings, const EnglishWordMarker *marker,
               ScanHost &host)
{
    return ScanBufferWithInterval(data, size, minLength, settings, marker, host,
                                  kCheckpointInterval);
}

int StringScanner(const char *fileName, int minLength, const ExtractionSettings &settings,
                  const EnglishWordMarker *marker, ScanHost &host, InputError *error)
{
    InputError ignored;
    InputError &why = error ? *error : ignored;
    InputFile file;
    why = file.Open(fileName);
    if (why != InputError::None)
        return 1;
    // Too large for the 31-bit offsets: refused before the old rows go.
    if (file.Size() > kMaxInputSize) {
        why = InputError::TooLarge;
        return 1;
    }
    // The old rows go once the file is known to be there and readable; a
    // failure from here on leaves the list empty.
    host.ClearRows();
    // A big file takes a while to read: the host keeps answering its user
    // between the pieces, and a stop request during the read ends the scan
    // with no rows, like a stop during the walk.
    std::unique_ptr<uint8_t[]> buffer;
    why = file.ReadAll(buffer, [&host] {
        host.ProcessEvents();
        return !host.AbortRequested();
    });
    if (why == InputError::Stopped)
        return 0;
    if (why != InputError::None)
        return 1;
    const size_t n = static_cast<size_t>(file.Size());
    file.Close();
    return ScanBuffer(buffer.get(), n, minLength, settings, marker, host);
}

int StringScanner(const char *fileName, int minLength, const ExtractionSettings &settings,
                  const EnglishWordMarker *marker, ScanHost &host)
{
    return StringScanner(fileName, minLength, settings, marker, host, nullptr);
}

} // namespace lex
