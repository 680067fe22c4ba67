// The word dictionary and the English-word marker.
#include "Check/dictionary.h"

#include <algorithm>
#include <cstring>
#include <numeric>

#include "Check/collate.h"
#include "Check/inputfile.h"

namespace lex {

namespace {

// Letter number 1..26 of an ASCII letter, 0 for every other byte.
int LetterNumber(unsigned char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A' + 1;
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 1;
    return 0;
}

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 0x20) : c; }

// The byte comparison of the lookup, on texts already folded to capitals.
int CompareFolded(const char *a, size_t alen, const char *b, size_t blen)
{
    const int c = std::memcmp(a, b, std::min(alen, blen));
    if (c != 0)
        return c;
    return alen < blen ? -1 : alen > blen ? 1 : 0;
}

bool IsInitialism(const std::string &entry)
{
    for (char c : entry)
        if (c >= 'a' && c <= 'z')
            return false;
    return true;
}

} // namespace

void WordDictionary::Clear()
{
    entries_.clear();
    folded_.clear();
    std::fill(std::begin(index_), std::end(index_), 0);
    std::fill(std::begin(bytewise_), std::end(bytewise_), false);
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
    std::sort(items.begin(), items.end(), [&](const Item &a, const Item &b) {
        if (a.group != b.group)
            return a.group < b.group;
        if (a.key != b.key)
            return a.key < b.key;
        return lines[a.line] < lines[b.line];
    });

    entries_.reserve(items.size());
    folded_.reserve(items.size());
    for (const Item &item : items) {
        entries_.push_back(std::move(lines[item.line]));
        std::string folded = entries_.back();
        for (char &c : folded)
            c = Upper(c);
        folded_.push_back(std::move(folded));
    }

    // Block index: element k-1 is where letter k's group begins, element k
    // where it ends.
    size_t q = 0;
    while (q < items.size() && items[q].group == 0)
        ++q;
    for (int k = 1; k <= 26; ++k) {
        index_[k - 1] = q;
        while (q < items.size() && items[q].group == k)
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

bool EnglishWordMarker::ContainsWord(const char *s, size_t n) const
{
    const WordDictionary &dict = dict_;
    std::string w;
    for (size_t i = 0; i < n; ++i) {
        const int k = LetterNumber(static_cast<unsigned char>(s[i]));
        if (k == 0)
            continue;
        const size_t end = dict.BlockEnd(k);
        const bool bisect = dict.BlockSortedBytewise(k);
        w.assign(1, Upper(s[i]));
        bool capital = s[i] >= 'A' && s[i] <= 'Z';
        // Every entry before the first one not smaller than w is smaller
        // than any extension of w too, so each search for a longer w starts
        // where the previous one stopped.
        size_t j = dict.BlockBegin(k);
        for (size_t q = i + 1; q < n && j < end; ++q) {
            const char c = Upper(s[q]);
            if (static_cast<unsigned char>(c) > 'Z')
                break;
            const bool isCapital = s[q] >= 'A' && s[q] <= 'Z';
            if (settings_.CheckSeparator && !capital && isCapital)
                break;
            w.push_back(c);
            capital = isCapital;

            auto smaller = [&](size_t e) {
                const std::string &f = dict.folded(e);
                return CompareFolded(f.data(), f.size(), w.data(), w.size()) < 0;
            };
            if (bisect) {
                size_t lo = j, hi = end;
                while (lo < hi) {
                    const size_t mid = lo + (hi - lo) / 2;
                    if (smaller(mid))
                        lo = mid + 1;
                    else
                        hi = mid;
                }
                j = lo;
            } else {
                while (j < end && smaller(j))
                    ++j;
            }
            // No entry of the block is >= w: none begins with w or with
            // any extension of it.
            if (j == end)
                break;

            const std::string &f = dict.folded(j);
            if (f == w) {
                size_t hit = j;
                // An initialism is passed over with CheckInitial; the same
                // word may follow in lower case (the sort puts capitals
                // first), and that one counts.
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
            // f > w: either w is a prefix of f (longer w may still match) or
            // no entry begins with w.
            if (CompareFolded(w.data(), w.size(), f.data(), std::min(f.size(), w.size())) < 0)
                break;
        }
    }
    return false;
}

bool LoadDictionaryFile(const char *path, WordDictionary &dict)
{
    dict.Clear();
    InputFile file;
    std::unique_ptr<uint8_t[]> buffer;
    if (file.Open(path) != InputError::None || file.Size() > kMaxInputSize ||
        file.ReadAll(buffer) != InputError::None)
        return false;
    dict.Load(reinterpret_cast<const char *>(buffer.get()), static_cast<size_t>(file.Size()));
    return true;
}

} // namespace lex
