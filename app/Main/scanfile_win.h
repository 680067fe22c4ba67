// The scan as the main window runs it: the steps of StringScanner (look the
// file up, open it, clear the old rows, read it whole, walk it), with the
// read taken in pieces and the host's message pump between them, so that
// the window keeps answering while a big file comes in (a single read of
// 200 MB takes more than a second under Wine).
#pragma once

#include "Check/scanner.h"

namespace lex {

// Returns 1 when the file cannot be found, opened, held in memory or read
// in full, else 0.  A stop or close requested while the file is read ends
// the scan there, with no rows.
int ScanFileResponsive(const char *fileName, int minLength, const ExtractionSettings &settings,
                       const EnglishWordMarker *marker, ScanHost &host);

} // namespace lex
