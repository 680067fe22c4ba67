// The word automaton: the lookup's answers worked out for every word the
// dictionary can lead to, then an Aho-Corasick automaton over the words on
// which a start hits.
#include "words/wordautomaton.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "words/dictionary.h"
#include "util/ascii.h"

namespace lex {

namespace {

// What one step of the lookup does with the word grown so far.
enum class Answer : uint8_t { End, GoOn, Hit };

// A word that some entry of a block begins with (folded to capitals), in
// the order of the byte comparison within its block, blocks in letter order.
struct Prefix {
    int32_t parent;  // the word one byte shorter; -1 for the start letter
    uint32_t depth;  // its length
    uint8_t last;    // the word's last byte
    Answer answer;   // the lookup's answer on reaching it (start letters go on)
};

// The answer of one step for the word w in the block [begin, end), given
// the first entry j not smaller than w (in the block's order): as the
// lookup decides it.
Answer Decide(const WordDictionary &dict, size_t j, size_t end, const std::string &w,
              bool checkInitial)
{
    if (j == end)
        return Answer::End;  // no entry is >= w: none begins with it
    const std::string &f = dict.folded(j);
    if (f == w) {
        // Equal entries written in capitals are passed over with
        // CheckInitial; an equal one in lower case behind them counts.
        size_t hit = j;
        if (checkInitial) {
            while (hit < end && dict.folded(hit) == w && IsInitialism(dict.entry(hit)))
                ++hit;
            if (hit == end || dict.folded(hit) != w)
                return Answer::GoOn;
        }
        return Answer::Hit;
    }
    // f > w: a longer word may still match only when w begins f.
    return f.compare(0, w.size(), w) == 0 ? Answer::GoOn : Answer::End;
}

// Every word that an entry of block k begins with, up to the entry's first
// byte above Z (no grown word ever holds one), with the step's answer.
void AddBlock(const WordDictionary &dict, int k, bool checkInitial, std::vector<Prefix> &out)
{
    const size_t begin = dict.BlockBegin(k), end = dict.BlockEnd(k);
    std::vector<std::string> words;
    words.reserve(end - begin);
    for (size_t j = begin; j < end; ++j) {
        const std::string &f = dict.folded(j);
        size_t cut = 0;
        while (cut < f.size() && static_cast<unsigned char>(f[cut]) <= 'Z')
            ++cut;
        words.push_back(f.substr(0, cut));
    }
    std::sort(words.begin(), words.end());
    words.erase(std::unique(words.begin(), words.end()), words.end());

    // In sorted order, the new prefixes of each word (beyond what it shares
    // with the word before) follow every prefix met so far in the byte
    // comparison, so the words arrive in ascending order; the first entry
    // not smaller than the word then only ever moves forward.
    std::vector<int32_t> path;  // path[d]: the prefix of length d + 1
    const std::string *previous = nullptr;
    size_t j = begin;
    std::string w;
    for (const std::string &t : words) {
        size_t shared = 0;
        if (previous)
            while (shared < previous->size() && shared < t.size() &&
                   (*previous)[shared] == t[shared])
                ++shared;
        for (size_t length = shared + 1; length <= t.size(); ++length) {
            w.assign(t, 0, length);
            Prefix p;
            p.parent = length >= 2 ? path[length - 2] : -1;
            p.last = static_cast<uint8_t>(t[length - 1]);
            p.depth = static_cast<uint32_t>(length);
            p.answer = Answer::GoOn;
            if (length >= 2) {
                while (j < end && dict.folded(j) < w)
                    ++j;
                p.answer = Decide(dict, j, end, w, checkInitial);
            }
            path.resize(length);
            path[length - 1] = static_cast<int32_t>(out.size());
            out.push_back(p);
        }
        previous = &t;
    }
}

// Which prefixes matter.  H: the words reached with every shorter step
// going on, on which the step hits.  The automaton's states: the words of
// H and every word they begin with.
struct Marks {
    std::vector<uint8_t> inH;
    std::vector<uint8_t> keep;
};

Marks MarkHitWords(const std::vector<Prefix> &prefixes)
{
    const size_t n = prefixes.size();
    Marks m{std::vector<uint8_t>(n), std::vector<uint8_t>(n)};
    // A parent always comes before its children in the list.
    std::vector<uint8_t> reached(n);
    for (size_t i = 0; i < n; ++i) {
        const int32_t parent = prefixes[i].parent;
        reached[i] = parent < 0 || (reached[parent] && prefixes[parent].answer == Answer::GoOn);
        m.inH[i] = reached[i] && prefixes[i].depth >= 2 && prefixes[i].answer == Answer::Hit;
    }
    for (size_t i = n; i-- > 0;) {
        m.keep[i] = m.keep[i] || m.inH[i];
        if (m.keep[i] && prefixes[i].parent >= 0)
            m.keep[prefixes[i].parent] = 1;
    }
    return m;
}

// Columns: one per byte that a kept word holds, numbered from 1 in the
// order the bytes are met; 0 for all other bytes.  Returns the number of
// columns, 0 included, or 0 when no word is kept.
size_t AssignColumns(const std::vector<Prefix> &prefixes, const std::vector<uint8_t> &keep,
                     uint8_t columnOfFolded[256])
{
    size_t columns = 1;
    for (size_t i = 0; i < prefixes.size(); ++i)
        if (keep[i] && columnOfFolded[prefixes[i].last] == 0)
            columnOfFolded[prefixes[i].last] = static_cast<uint8_t>(columns++);
    return columns == 1 ? 0 : columns;
}

// The kept words as a tree of states in breadth-first order: by length, and
// within a length in the list's order, so that the children of each state
// are consecutive.  State 0 is the empty word.
struct StateTree {
    std::vector<int32_t> order;       // order[s - 1]: the prefix of state s
    std::vector<int32_t> childBegin;  // the children of state s: childBegin[s] to childEnd[s] - 1
    std::vector<int32_t> childEnd;
};

StateTree OrderStates(const std::vector<Prefix> &prefixes, const std::vector<uint8_t> &keep)
{
    StateTree t;
    for (size_t i = 0; i < prefixes.size(); ++i)
        if (keep[i])
            t.order.push_back(static_cast<int32_t>(i));
    std::stable_sort(t.order.begin(), t.order.end(), [&](int32_t a, int32_t b) {
        return prefixes[a].depth < prefixes[b].depth;
    });
    const size_t states = t.order.size() + 1;
    std::vector<int32_t> stateOf(prefixes.size(), 0);
    t.childBegin.assign(states, 0);
    t.childEnd.assign(states, 0);
    for (size_t s = 1; s < states; ++s) {
        const Prefix &p = prefixes[t.order[s - 1]];
        stateOf[t.order[s - 1]] = static_cast<int32_t>(s);
        const int32_t parentState = p.parent < 0 ? 0 : stateOf[p.parent];
        if (t.childEnd[parentState] == 0)
            t.childBegin[parentState] = static_cast<int32_t>(s);
        t.childEnd[parentState] = static_cast<int32_t>(s) + 1;
    }
    return t;
}

// The transitions, in rows of `columns` cells (more than the columns in
// use: the others stay zero).  The classic construction: each state's row
// is its failure state's row with its own children put in; a child's
// failure state is where the failure state's row leads on the
// child's byte.  A transition into a state whose word ends with a member
// of H is a hit (all bits of the cell set); the others hold the next
// state's number, which `Cell` must hold with a value to spare.
template <class Cell>
std::vector<Cell> Transitions(const std::vector<Prefix> &prefixes, const Marks &marks,
                              const StateTree &tree, const uint8_t columnOfFolded[256],
                              size_t columns)
{
    const size_t C = columns;
    const size_t states = tree.order.size() + 1;
    std::vector<Cell> next(states * C, 0);
    std::vector<int32_t> fail(states, 0);
    std::vector<uint8_t> out(states, 0);
    for (size_t s = 0; s < states; ++s) {
        Cell *row = &next[s * C];
        if (s != 0)
            std::memcpy(row, &next[static_cast<size_t>(fail[s]) * C], C * sizeof *row);
        for (int32_t c = tree.childBegin[s]; c < tree.childEnd[s]; ++c) {
            const int32_t node = tree.order[static_cast<size_t>(c) - 1];
            const uint8_t column = columnOfFolded[prefixes[node].last];
            fail[c] = s == 0 ? 0 : row[column];
            out[c] = marks.inH[node] || out[fail[c]];
            row[column] = static_cast<Cell>(c);
        }
    }
    for (Cell &v : next)
        v = out[v] ? static_cast<Cell>(~Cell(0)) : v;
    return next;
}

} // namespace

void WordAutomaton::Clear()
{
    std::fill(std::begin(byte_), std::end(byte_), uint8_t(0));
    columns_ = 0;
    shift_ = 0;
    states_ = 0;
    numbers_.clear();
    offsets_.clear();
}

void WordAutomaton::Build(const WordDictionary &dict, bool checkInitial)
{
    Clear();
    std::vector<Prefix> prefixes;
    for (int k = 1; k <= 26; ++k)
        AddBlock(dict, k, checkInitial, prefixes);
    const Marks marks = MarkHitWords(prefixes);

    uint8_t columnOfFolded[256] = {};
    columns_ = AssignColumns(prefixes, marks.keep, columnOfFolded);
    if (columns_ == 0)
        return;  // nothing can ever hit
    for (int b = 0; b < 256; ++b) {
        const unsigned char folded = loom::UpperAscii(static_cast<unsigned char>(b));
        const uint8_t column = folded <= 'Z' ? columnOfFolded[folded] : 0;
        byte_[b] = static_cast<uint8_t>(column | (b >= 'A' && b <= 'Z' ? kCapital : 0));
    }

    const StateTree tree = OrderStates(prefixes, marks.keep);
    states_ = tree.order.size() + 1;
    // State numbers stay below the hit value, all bits set.
    if (states_ <= UINT16_MAX) {
        while ((size_t(1) << shift_) < columns_)
            ++shift_;
        numbers_ = Transitions<uint16_t>(prefixes, marks, tree, columnOfFolded, size_t(1) << shift_);
        return;
    }
    offsets_ = Transitions<uint32_t>(prefixes, marks, tree, columnOfFolded, columns_);
    for (uint32_t &v : offsets_)
        if (v != UINT32_MAX)
            v = static_cast<uint32_t>(v * columns_);
}

} // namespace lex
