// The English-word marker's question, "does this text contain a dictionary
// word?", answered in one pass over the text with an automaton built from
// the dictionary once.
//
// The marker's lookup tries every letter of the text as a start and grows a
// word from it byte by byte; each step asks the start letter's block for
// the first entry not smaller than the word and either hits, goes on, or
// ends the start.  What a step answers depends on nothing but the word
// grown so far (folded to capitals), so it can be worked out beforehand for
// every word the dictionary can lead to.  The words on which a start hits,
// having gone on at every shorter step, form a set H; a text holds a hit
// exactly when one of its stretches that no start's walk would break (bytes
// above Z once folded break every walk, and with the separator rule so does
// a capital after a non-capital) contains a member of H.  That is a
// multi-pattern search, done here with an Aho-Corasick automaton as a table
// of (state, byte column) -> next state.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lex {

class WordDictionary;

class WordAutomaton {
public:
    // Builds the automaton of `dict`'s lookup; `checkInitial` passes over
    // entries written wholly in capitals, as the setting does.
    void Build(const WordDictionary &dict, bool checkInitial);
    void Clear();

    // True when the lookup would hit on `text`; `separator` is the
    // CheckSeparator setting.
    bool Matches(const char *text, size_t length, bool separator) const
    {
        if (columns_ == 0)
            return false;
        return numbers_.empty() ? Run<uint32_t, false>(offsets_.data(), text, length, separator)
                                : Run<uint16_t, true>(numbers_.data(), text, length, separator);
    }

    // Number of states (for tests and the benchmark).
    size_t States() const { return states_; }
    // Whether the transitions are held as 16-bit state numbers (for tests).
    bool Narrow() const { return !numbers_.empty(); }

private:
    // Walks `text` through the transitions `next`, whose cells hold the next
    // state's number (kNumbers: its row begins at number << shift_) or its
    // row offset, or all bits set where a member of H has just been read.
    template <class Cell, bool kNumbers>
    bool Run(const Cell *next, const char *text, size_t length, bool separator) const
    {
        constexpr Cell kHit = static_cast<Cell>(~Cell(0));
        const unsigned char *s = reinterpret_cast<const unsigned char *>(text);
        const unsigned shift = shift_;
        const unsigned split = separator ? kCapital : 0;
        size_t row = 0;
        unsigned previous = kCapital;
        for (size_t q = 0; q < length; ++q) {
            const unsigned b = byte_[s[q]];
            // With the separator rule a capital after a non-capital ends
            // every walk (and may begin a new one).
            const unsigned capital = b & kCapital;
            row &= -static_cast<size_t>((capital & ~previous & split) == 0);
            previous = capital;
            const Cell cell = next[row + (b & kColumnMask)];
            if (cell == kHit)
                return true;
            row = kNumbers ? size_t(cell) << shift : cell;
        }
        return false;
    }

    // For each byte its column (kColumnMask bits; 0 for bytes that no word
    // in H holds, bytes above Z once folded among them, which send every
    // state back to the start), and kCapital for A-Z.
    static constexpr unsigned kCapital = 0x80;
    static constexpr unsigned kColumnMask = 0x7F;
    uint8_t byte_[256] = {};
    size_t columns_ = 0;
    // Rows of 16-bit numbers are 1 << shift_ cells long (columns_ rounded
    // up to a power of two: a shift, not a multiplication, on the way from
    // one state to the next); rows of offsets are columns_ long.
    unsigned shift_ = 0;
    size_t states_ = 0;
    // Row-major transitions, one of the two: 16-bit state numbers where
    // they fit (half the memory of offsets, so that more of the table stays
    // in the processor's cache while the scan streams the file through
    // it), else 32-bit row offsets.
    std::vector<uint16_t> numbers_;
    std::vector<uint32_t> offsets_;
};

} // namespace lex
