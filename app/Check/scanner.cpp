// The string scanner's byte walk and row emitter.
//
// The walk is a small state machine over the bytes (candidate, its start,
// the wide flag).  Besides the plain one-position step it has three fast
// paths that take many positions at once, each only where the plain steps
// would do exactly the same:
//   - with no candidate, bytes that cannot start one (zeros, control bytes,
//     lead bytes without SearchKanji, left-out katakana) are skipped;
//   - in single-byte text, a run of printable bytes is appended at once;
//   - in UTF-16 text, "printable, zero" code units followed by a printable
//     byte are taken two positions at a time.
// None of them crosses a checkpoint, so the host sees the same progress,
// event and abort calls as a walk that took one position at a time.
#include "Check/scanner.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "Check/dictionary.h"

namespace lex {

std::string OffsetText(uint32_t offset)
{
    static const char kHex[] = "0123456789ABCDEF";
    char text[8];
    for (int d = 7; d >= 0; --d) {
        text[d] = kHex[offset & 15];
        offset >>= 4;
    }
    return std::string(text, 8);
}

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

enum ByteClass : uint8_t { kZero, kPrintable, kLead, kOther };

ByteClass ClassOf(int b)
{
    if (b == 0)
        return kZero;
    if ((b >= 0x20 && b <= 0x7E) || (b >= 0xA1 && b <= 0xDF))
        return kPrintable;
    if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC))
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
            // With no candidate, only these bytes change anything.
            starts_[b] = printable_[b] || (settings.SearchKanji && class_[b] == kLead);
        }
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
            while (i <= limit && !starts_[d[i]])
                ++i;
            if (i > limit)
                return i;
        } else if (wide_) {
            while (i + 1 <= limit && i + 2 < size_ && printable_[d[i]] && d[i + 1] == 0 &&
                   printable_[d[i + 2]]) {
                candidate_.push_back(static_cast<char>(d[i]));
                i += 2;
            }
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
            size_t k = j;
            while (k <= limit && printable_[d[k]])
                ++k;
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

    // The row emitter: length, repetition filter, row, English word.
    void Emit()
    {
        if (candidate_.size() < min_)
            return;
        const char *text = candidate_.data();
        const size_t length = candidate_.size();
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
    bool starts_[256];

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
    std::unique_ptr<uint8_t[]> buffer;
    why = file.ReadAll(buffer);
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
