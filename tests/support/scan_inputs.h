// Random inputs for comparing the scanner with the reference walk: every
// setting combination, and data that mixes single bytes of one alphabet,
// runs of text and UTF-16 text of every length, so that the 16- and 64-byte
// fast paths meet their edges.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "Check/settings.h"

namespace lextest {

inline lex::ExtractionSettings RandomSettings(std::mt19937 &rng)
{
    lex::ExtractionSettings st;
    const unsigned f = rng();
    st.SearchKanji = f & 1;
    st.CheckHalfKana = f & 2;
    st.CheckRecurrence = f & 4;
    st.CheckEnglish = f & 8;
    st.CheckSeparator = f & 16;
    st.CheckInitial = f & 32;
    st.RecurrenceTime = static_cast<int>(rng() % 6);
    return st;
}

// Up to `maxSize` bytes (a little more: the last piece may run over).
inline std::vector<uint8_t> RandomData(std::mt19937 &rng, size_t maxSize)
{
    static const std::string alphabet[] = {
        std::string("AB\0 x\x82\xA0\xB1\x01\x7F\xFC\x40", 12),
        std::string("a\0\0b\0c", 6),
        std::string("\x81\x40\x9F\xFC\xE0\x7E\x80\xA1\xDF", 9),
    };
    const std::string &abc = alphabet[rng() % 3];
    std::vector<uint8_t> data;
    for (size_t target = rng() % maxSize; data.size() < target;) {
        const unsigned kind = rng() % 8;
        if (kind < 4) {
            data.push_back(rng() % 4 ? static_cast<uint8_t>(abc[rng() % abc.size()])
                                     : static_cast<uint8_t>(rng()));
        } else if (kind < 6) {
            for (unsigned len = rng() % 90; len > 0; --len)
                data.push_back(static_cast<uint8_t>(rng() % 8 ? 'a' + rng() % 26 : 0xB1));
        } else {
            for (unsigned len = rng() % 40; len > 0; --len) {
                data.push_back(static_cast<uint8_t>('A' + rng() % 26));
                data.push_back(rng() % 30 ? 0 : static_cast<uint8_t>(rng()));
            }
        }
    }
    return data;
}

// The word list of the random comparisons: short words that random text
// meets often, one of them in capitals.
inline const char *RandomWords()
{
    return "ab\r\nabba\r\nbaa\r\nAAB\r\naab\r\nxx\r\n";
}

} // namespace lextest
