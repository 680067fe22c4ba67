// The word dictionary (English.dic) and the English-word marker.
// Portable: the Windows build sorts with the platform's locale collation.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "settings/settings.h"
#include "words/wordautomaton.h"

namespace lex {

class WordDictionary {
public:
    // Loads entries from the bytes of English.dic: one per line (CR LF, CR
    // or LF), reading stops at a zero byte, empty lines are skipped.  Sorts
    // them and builds the block index.  Replaces any earlier content.
    // Entries are grouped by initial letter (entries not beginning with a
    // letter first, outside every block), each group sorted by the
    // platform's case-insensitive collation, equal ones by their bytes.
    void Load(const char *data, size_t size);
    // Takes non-empty entries grouped by initial letter but otherwise in
    // the order given, as a locale collation may leave entries that hold
    // punctuation; for tests of the lookup over such blocks.
    void LoadInOrder(std::vector<std::string> entries);
    void Clear();

    size_t size() const { return entries_.size(); }
    const std::string &entry(size_t i) const { return entries_[i]; }
    // Block of letter k (1 = A .. 26 = Z): entries [first, end).
    size_t BlockBegin(int k) const { return index_[k - 1]; }
    size_t BlockEnd(int k) const { return index_[k]; }
    // Entry i with a-z raised to capitals: the byte comparison of the
    // lookup is memcmp on these.
    const std::string &folded(size_t i) const { return folded_[i]; }
    // Whether block k is in ascending byte-comparison order (always, unless
    // the locale collation ordered punctuation differently), so that the
    // lookup may bisect it instead of walking it.
    bool BlockSortedBytewise(int k) const { return bytewise_[k - 1]; }
    // The marker's lookup as one automaton, without and with CheckInitial.
    // Each is built on first use: a run needs only the one of its setting.
    // Not for two threads at once (the program scans on one thread).
    const WordAutomaton &automaton(bool checkInitial) const
    {
        if (!built_[checkInitial]) {
            automaton_[checkInitial].Build(*this, checkInitial);
            built_[checkInitial] = true;
        }
        return automaton_[checkInitial];
    }

private:
    // Takes sorted, grouped entries and builds the folded copies and the
    // block index.
    void Index(std::vector<std::string> entries);

    std::vector<std::string> entries_;
    std::vector<std::string> folded_;
    size_t index_[27] = {};
    bool bytewise_[26] = {};
    mutable WordAutomaton automaton_[2];
    mutable bool built_[2] = {};
};

// An entry written wholly without the letters a-z: it equals its own
// capitalisation (CheckInitial passes over such entries).
bool IsInitialism(const std::string &entry);

// English.dic in the folder of the running program's executable, where the
// program looks for its word list.
std::string DictionaryBesideExecutable();

// Reads English.dic from `path` into `dict`.  Returns false when the file
// cannot be opened or read; `dict` is then empty.
bool LoadDictionaryFile(const char *path, WordDictionary &dict);

class EnglishWordMarker {
public:
    // Called on every hit while settings.Debug is on: the row's text and the
    // dictionary entry as stored.
    using HitReport = std::function<void(const std::string &text, const std::string &entry)>;

    EnglishWordMarker(const WordDictionary &dict, const ExtractionSettings &settings)
        : dict_(dict), settings_(settings) {}
    void SetHitReport(HitReport report) { report_ = std::move(report); }

    // True when `text` contains a dictionary word (reads CheckSeparator,
    // CheckInitial and Debug of the settings at each call).  One pass over
    // the text with the dictionary's automaton; in debug mode with a hit
    // report, the walk below, which knows the entry it hit.
    bool ContainsWord(const char *text, size_t length) const;
    // The same answer by walking the dictionary's blocks from every letter
    // of the text, growing a word byte by byte; reports its first hit.
    bool ContainsWordByWalk(const char *text, size_t length) const;

private:
    // One start position i (a letter with number k): true on a hit.
    bool LookupSorted(const char *s, size_t n, size_t i, int k) const;
    bool LookupLinear(const char *s, size_t n, size_t i, int k) const;

    const WordDictionary &dict_;
    const ExtractionSettings &settings_;
    HitReport report_;
};

} // namespace lex
