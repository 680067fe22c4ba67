// The sieves of one build of the walk against their exact rules: included
// by scan_sieve_test.cpp once for each build, inside a namespace of its
// own after the build's vector types, as the build includes them.
#include "scan/walk/texts.h"

// The first few positions of `data` where an exact rule holds and its
// sieve's bit is clear, in any block of 64 positions whose look-ahead the
// data holds (the walk sifts only those).
inline std::vector<std::string> Misses(const std::vector<std::vector<uint8_t>> &data,
                                       const ExtractionSettings &st)
{
    const SingleByteText single(st, true);
    const Utf16Text utf16(st);
    const JapaneseUtf16 japanese(st);
    const Utf8Text utf8(st);
    std::vector<std::string> misses;
    for (const std::vector<uint8_t> &bytes : data) {
        Window w;
        w.Open(bytes.data(), 0, bytes.size());
        const uint8_t *d = bytes.data();
        // JapaneseBits' characters after a zero, or where text may begin
        // (with the high bytes read outside the blocks sifted last).
        const auto japaneseBits = [&](size_t i, bool begins) {
            const RunBits b = single.Classify(d + i);
            const uint64_t zero = single.Zeros(d + i);
            uint64_t starts, may, high = 0;
            const uint64_t after = japanese.JapaneseBits(w, single, i, w.BytesBefore(i),
                                                         b.printable, b.run, zero, zero, &starts,
                                                         &may);
            for (size_t q = 0; q < 64; ++q)
                high |= uint64_t(japanese.MayBegin(w, i + q)) << q;
            return begins ? may & high : after;
        };
        // Each rule at k (the zero's, for those after a zero); Japanese text
        // may begin also right after a length word (an ASCII unit).
        const struct {
            const char *rule;
            std::function<bool(ptrdiff_t)> exact;   // at k
            std::function<uint64_t(size_t)> sieve;  // of the 64 positions at i
        } sieves[] = {
            {"UTF-8 text begins", [&](ptrdiff_t k) { return utf8.Starts(w, k, single); },
             [&](size_t i) { return utf8.Sieve(w, i); }},
            {"ASCII UTF-16 text begins after the zero",
             [&](ptrdiff_t z) { return d[z] == 0 && utf16.BeginsAt(w, z); },
             [&](size_t i) { return utf16.Sieve(w, i, single.Classify(d + i).printable); }},
            {"a Japanese character follows the zero",
             [&](ptrdiff_t z) { return d[z] == 0 && japanese.Japanese(w, z + 1); },
             [&](size_t i) { return japaneseBits(i, false); }},
            {"Japanese UTF-16 text begins",
             [&](ptrdiff_t k) {
                 return japanese.BeginsAt(w, k, false, UINT64_MAX) ||
                        (japanese.AsciiUnit(w, k - 2) && japanese.BeginsAt(w, k, false, k));
             },
             [&](size_t i) { return japaneseBits(i, true); }},
            {"a length word after a control unit stands before the zero",
             [&](ptrdiff_t z) { return d[z] == 0 && japanese.LengthWordAfterControl(w, z - 1); },
             [&](size_t i) {
                 const uint64_t zero = single.Zeros(d + i);
                 return japanese.LengthWordBits(w, i, w.BytesBefore(i), zero, zero);
             }},
        };
        const size_t blocks = bytes.size() - 64 - JapaneseUtf16::kLookAhead + 1;
        for (const auto &s : sieves) {
            std::vector<bool> holds(blocks + 63);
            for (size_t k = 0; k < holds.size(); ++k)
                holds[k] = s.exact(static_cast<ptrdiff_t>(k));
            for (size_t i = 0; i < blocks && misses.size() < 3; ++i) {
                const uint64_t bits = s.sieve(i);
                for (size_t q = 0; q < 64 && misses.size() < 3; ++q) {
                    if (!holds[i + q] || ((bits >> q) & 1))
                        continue;
                    char at[80];
                    std::snprintf(at, sizeof at, " at %zu (bit %zu of the block at %zu): %02X %02X",
                                  i + q, q, i, d[i + q], d[i + q + 1]);
                    misses.push_back(s.rule + std::string(at));
                }
            }
        }
    }
    return misses;
}
