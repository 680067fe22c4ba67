// The program's single settings record and its one integer parser.
// Portable: no <windows.h>; the registry layer lives in settings_win.cpp.
#pragma once

namespace lex {

struct ExtractionSettings {
    bool SearchKanji = false;     // take Shift-JIS double-byte characters into "ANSI" strings
    bool CheckKanjiNoise = true;  // drop "ANSI" rows whose double-byte characters read as machine code
    bool CheckHalfKana = true;    // half-width katakana 0xA1-0xDF are not printable
    bool SearchWideJapanese = false;  // take Japanese code units into "Unicode" strings
    bool CheckRecurrence = true;  // apply the repetition filter
    int RecurrenceTime = 4;       // run length that the repetition filter rejects (1..1000)
    bool CheckEnglish = true;     // check rows whose text holds a dictionary word
    bool CheckSeparator = true;   // a capital after a non-capital starts a new word
    bool CheckInitial = false;    // entries written wholly in capitals never match
    bool SaveOption = false;      // results file: text column only
    bool Debug = false;           // registry only: start-up notice, a box per dictionary hit
    int MinExtractStr = 5;        // minimum length in bytes (1..1000)
};

// Parses `text` as an integer the one way the program does everywhere:
// leading spaces, an optional sign, decimal digits, or a leading $, x or X
// followed by hexadecimal digits.  Nothing may follow the digits.  Returns
// false (and leaves *out alone) for anything else, an empty text and a value
// outside the range of int included.
bool ParseInt(const char *text, int *out);

// Brings `value` into [lo, hi].
int Clamp(int value, int lo, int hi);

} // namespace lex
