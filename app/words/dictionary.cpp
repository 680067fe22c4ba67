// The word dictionary and the English-word marker.
#include "words/dictionary.h"

#include <algorithm>
#include <cstring>
#include <numeric>

#include "words/collate.h"
#include "base/exepath.h"
#include "base/inputfile.h"
#include "util/ascii.h"

namespace lex {

namespace {

using loom::UpperAscii;

// Letter number 1..26 of an ASCII letter, 0 for every other byte.
int LetterNumber(unsigned char c)
{
    return loom::IsAsciiLetter(c) ? UpperAscii(c) - 'A' + 1 : 0;
}

// The byte comparison of the lookup, on texts already folded to capitals.
int CompareFolded(const char *a, size_t alen, const char *b, size_t blen)
{
    const int c = std::memcmp(a, b, std::min(alen, blen));
    if (c != 0)
        return c;
    return alen < blen ? -1 : alen > blen ? 1 : 0;
}

// One step of the growing word: takes byte `b` of the text as the next
// letter of w, folded to a capital, into *c.  Returns false where the word
// ends: a byte above Z once folded, or (with the separator rule) a capital
// after a non-capital.  `capital` tracks whether the last byte taken was one.
bool NextWordByte(char b, bool separator, bool *capital, char *c)
{
    *c = UpperAscii(b);
    if (static_cast<unsigned char>(*c) > 'Z')
        return false;
    const bool isCapital = b >= 'A' && b <= 'Z';
    if (separator && !*capital && isCapital)
        return false;
    *capital = isCapital;
    return true;
}

} // namespace

bool IsInitialism(const std::string &entry)
{
    for (char c : entry)
        if (UpperAscii(c) != c)
            return false;
    return true;
}

void WordDictionary::Clear()
{
    entries_.clear();
    folded_.clear();
    std::fill(std::begin(index_), std::end(index_), 0);
    std::fill(std::begin(bytewise_), std::end(bytewise_), false);
    for (WordAutomaton &a : automaton_)
        a.Clear();
    std::fill(std::begin(built_), std::end(built_), false);
}

void WordDictionary::Load(const char *data, size_t size)
{
    Clear();
    // Reading stops at a zero byte.
    if (const void *zero = std::memchr(data, 0, size))
        size = static_cast<size_t>(static_cast<const char *>(zero) - data);

    std::vector<std::string> lines;
    size_t p = 0;
    while (p < size) {
        size_t e = p;
        while (e < size && data[e] != '\r' && data[e] != '\n')
            ++e;
        // An empty line would sort before every word; it is no word, so it
        // is dropped rather than allowed to disturb the index.
        if (e > p)
            lines.emplace_back(data + p, e - p);
        if (e < size && data[e] == '\r' && e + 1 < size && data[e + 1] == '\n')
            ++e;
        p = e + 1;
    }

    // Sort by (initial letter group, collation key, bytes).  Grouping by the
    // initial letter first keeps every letter's entries together whatever
    // the collation does with entries that begin with other bytes; those
    // form group 0 in front and belong to no block.
    struct Item {
        int group;
        std::string key;
        size_t line;
    };
    std::vector<Item> items;
    items.reserve(lines.size());
    for (size_t k = 0; k < lines.size(); ++k)
        items.push_back({LetterNumber(static_cast<unsigned char>(lines[k][0])),
                         CollationKey(lines[k]), k});
    const auto before = [&](const Item &a, const Item &b) {
        if (a.group != b.group)
            return a.group < b.group;
        if (a.key != b.key)
            return a.key < b.key;
        return lines[a.line] < lines[b.line];
    };
    // English.dic comes in this order already: checking it is one pass.
    if (!std::is_sorted(items.begin(), items.end(), before))
        std::sort(items.begin(), items.end(), before);

    std::vector<std::string> sorted;
    sorted.reserve(items.size());
    for (const Item &item : items)
        sorted.push_back(std::move(lines[item.line]));
    Index(std::move(sorted));
}

void WordDictionary::LoadInOrder(std::vector<std::string> entries)
{
    Clear();
    std::stable_sort(entries.begin(), entries.end(),
                     [](const std::string &a, const std::string &b) {
                         return LetterNumber(static_cast<unsigned char>(a[0])) <
                                LetterNumber(static_cast<unsigned char>(b[0]));
                     });
    Index(std::move(entries));
}

void WordDictionary::Index(std::vector<std::string> entries)
{
    entries_ = std::move(entries);
    folded_.reserve(entries_.size());
    for (const std::string &e : entries_) {
        std::string folded = e;
        for (char &c : folded)
            c = UpperAscii(c);
        folded_.push_back(std::move(folded));
    }

    // Block index: element k-1 is where letter k's group begins, element k
    // where it ends.
    auto group = [&](size_t j) { return LetterNumber(static_cast<unsigned char>(entries_[j][0])); };
    size_t q = 0;
    while (q < entries_.size() && group(q) == 0)
        ++q;
    for (int k = 1; k <= 26; ++k) {
        index_[k - 1] = q;
        while (q < entries_.size() && group(q) == k)
            ++q;
    }
    index_[26] = entries_.size();

    for (int k = 1; k <= 26; ++k) {
        bool sorted = true;
        for (size_t j = index_[k - 1] + 1; sorted && j < index_[k]; ++j)
            sorted = folded_[j - 1] <= folded_[j];
        bytewise_[k - 1] = sorted;
    }
}

// The lookup of one start in a block sorted by the byte comparison.  The
// entries that begin with w form one range [lo, hi) of the block; the first
// entry not smaller than w is lo when the range is not empty, and when it is
// empty no entry begins with w or any extension of it, which ends the start.
// Extending w by a byte c narrows the range to the entries whose byte at
// position len(w) is c; entries of exactly len(w) bytes (equal to w) come
// first.  Each step is thus two binary searches on single bytes.
bool EnglishWordMarker::LookupSorted(const char *s, size_t n, size_t i, int k) const
{
    const WordDictionary &dict = dict_;
    size_t lo = dict.BlockBegin(k), hi = dict.BlockEnd(k);
    bool capital = s[i] >= 'A' && s[i] <= 'Z';
    for (size_t q = i + 1; q < n; ++q) {
        char c;
        if (!NextWordByte(s[q], settings_.CheckSeparator, &capital, &c))
            return false;

        // Position of the new byte in w; key of an entry there: 0 when the
        // entry ends before it, else its byte + 1.
        const size_t at = q - i;
        const unsigned want = static_cast<unsigned char>(c) + 1u;
        auto key = [&](size_t e) -> unsigned {
            const std::string &f = dict.folded(e);
            return f.size() > at ? static_cast<unsigned char>(f[at]) + 1u : 0u;
        };
        size_t a = lo, b = hi;
        while (a < b) {
            const size_t mid = a + (b - a) / 2;
            if (key(mid) < want)
                a = mid + 1;
            else
                b = mid;
        }
        size_t z = a, y = hi;
        while (z < y) {
            const size_t mid = z + (y - z) / 2;
            if (key(mid) <= want)
                z = mid + 1;
            else
                y = mid;
        }
        lo = a;
        hi = z;
        if (lo == hi)
            return false;
        const size_t length = at + 1;
        if (dict.folded(lo).size() == length) {
            // Entries equal to w.  An initialism is passed over with
            // CheckInitial; the same word may follow in lower case (the
            // sort puts capitals first), and that one counts.
            size_t hit = lo;
            if (settings_.CheckInitial) {
                while (hit < hi && dict.folded(hit).size() == length &&
                       IsInitialism(dict.entry(hit)))
                    ++hit;
                if (hit == hi || dict.folded(hit).size() != length)
                    continue;
            }
            if (settings_.Debug && report_)
                report_(std::string(s, n), dict.entry(hit));
            return true;
        }
    }
    return false;
}

// The lookup of one start in a block that the locale collation left out of
// byte order: a linear walk from the block's first entry.
bool EnglishWordMarker::LookupLinear(const char *s, size_t n, size_t i, int k) const
{
    const WordDictionary &dict = dict_;
    const size_t end = dict.BlockEnd(k);
    std::string w(1, UpperAscii(s[i]));
    bool capital = s[i] >= 'A' && s[i] <= 'Z';
    // Every entry before the first one not smaller than w is smaller than
    // any extension of w too, so each search goes on from where the
    // previous one stopped.
    size_t j = dict.BlockBegin(k);
    for (size_t q = i + 1; q < n; ++q) {
        char c;
        if (!NextWordByte(s[q], settings_.CheckSeparator, &capital, &c))
            return false;
        w.push_back(c);
        while (j < end && CompareFolded(dict.folded(j).data(), dict.folded(j).size(), w.data(),
                                        w.size()) < 0)
            ++j;
        // No entry is >= w: none begins with w or any extension of it.
        if (j == end)
            return false;
        const std::string &f = dict.folded(j);
        if (f == w) {
            size_t hit = j;
            if (settings_.CheckInitial) {
                while (hit < end && dict.folded(hit) == w && IsInitialism(dict.entry(hit)))
                    ++hit;
                if (hit == end || dict.folded(hit) != w)
                    continue;
            }
            if (settings_.Debug && report_)
                report_(std::string(s, n), dict.entry(hit));
            return true;
        }
        // f > w: either w is a prefix of f (a longer w may still match) or
        // no entry begins with w.
        if (CompareFolded(w.data(), w.size(), f.data(), std::min(f.size(), w.size())) < 0)
            return false;
    }
    return false;
}

bool EnglishWordMarker::ContainsWord(const char *s, size_t n) const
{
    if (settings_.Debug && report_)
        return ContainsWordByWalk(s, n);
    return dict_.automaton(settings_.CheckInitial).Matches(s, n, settings_.CheckSeparator);
}

bool EnglishWordMarker::ContainsWordByWalk(const char *s, size_t n) const
{
    for (size_t i = 0; i < n; ++i) {
        const int k = LetterNumber(static_cast<unsigned char>(s[i]));
        if (k == 0 || dict_.BlockBegin(k) == dict_.BlockEnd(k))
            continue;
        const bool hit = dict_.BlockSortedBytewise(k) ? LookupSorted(s, n, i, k)
                                                       : LookupLinear(s, n, i, k);
        if (hit)
            return true;
    }
    return false;
}

bool LoadDictionaryFile(const char *path, WordDictionary &dict)
{
    dict.Clear();
    InputFile file;
    std::unique_ptr<uint8_t[]> buffer;
    // Others may read the dictionary meanwhile, but not write it.
    if (file.Open(path, true) != InputError::None || file.Size() > kMaxInputSize ||
        file.ReadAll(buffer) != InputError::None)
        return false;
    dict.Load(reinterpret_cast<const char *>(buffer.get()), static_cast<size_t>(file.Size()));
    return true;
}

std::string DictionaryBesideExecutable()
{
    return ExecutableDir() + "English.dic";
}

} // namespace lex
