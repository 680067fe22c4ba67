// The program's single settings record, the range and default of each of
// its integers and the list of its stored values.  Portable: no
// <windows.h>; the registry layer lives in settings_win.cpp.
#pragma once

#include "base/intrange.h"

namespace lex {

// The one home of the integers' ranges and defaults: the settings dialog's
// number box, the main window's box Ascii, the registry layer and the
// command-line front end all take them from here.
constexpr IntRange kRecurrenceTimeRange = {1, 1000, 4};
constexpr IntRange kMinExtractStrRange = {1, 1000, 5};
constexpr IntRange kMinJapaneseStrRange = {1, 1000, 3};

struct ExtractionSettings {
    bool SearchKanji = false;     // take Shift-JIS double-byte characters into "ANSI" strings
    bool CheckKanjiNoise = true;  // drop "ANSI" rows whose double-byte characters read as machine code
    bool CheckHalfKana = true;    // half-width katakana 0xA1-0xDF are not printable
    bool SearchWideJapanese = false;  // take Japanese code units into "Unicode" strings
    bool SearchUtf8 = false;      // list well-formed UTF-8 text as rows of the kind "UTF-8"
    // In a PE image, list its resources' texts as rows of the kind
    // "Resource" in place of the walk's rows inside them.
    bool SearchResources = false;
    // List the Japanese text of three more encodings as rows of their own
    // kinds: "EUC-JP", "ISO-2022-JP" and "UTF-16BE".
    bool SearchEucJp = false;
    bool SearchIso2022Jp = false;
    bool SearchUtf16Be = false;
    bool CheckRecurrence = true;  // apply the repetition filter
    int RecurrenceTime = kRecurrenceTimeRange.def;  // run length that the repetition filter rejects
    bool CheckEnglish = true;     // check rows whose text holds a dictionary word
    bool CheckSeparator = true;   // a capital after a non-capital starts a new word
    bool CheckInitial = false;    // entries written wholly in capitals never match
    bool SaveOption = false;      // results file: text column only
    bool Debug = false;           // registry only: start-up notice, a box per dictionary hit
    int MinExtractStr = kMinExtractStrRange.def;  // minimum length (characters in UTF-8 and Japanese UTF-16 text)
    int MinJapaneseStr = kMinJapaneseStrRange.def;  // minimum length in characters of a row with Japanese characters
};

// The stored values, named after their fields, in the order in which they
// are read: the flags, then the integers.  `Debug` is read but never
// written.
struct StoredFlag {
    const char *name;
    bool ExtractionSettings::*field;
};
struct StoredInt {
    const char *name;
    int ExtractionSettings::*field;
    IntRange range;
};
extern const StoredFlag kStoredFlags[15];
extern const StoredInt kStoredInts[3];

// Brings every integer setting into its range.  Values from outside the
// program (the registry) pass through here before anything uses them.
void ClampToRanges(ExtractionSettings &settings);

} // namespace lex
