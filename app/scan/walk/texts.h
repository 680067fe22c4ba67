// The kinds of text the walk takes, each with its rule, its sieve and its
// tables, and what they share: the bit scans, the window, the byte sets.
// Included in this order by body.h (and by the sieves' covering test);
// a further kind of text is one more header here.
#include "scan/walk/bits.h"
#include "scan/walk/window.h"
#include "scan/walk/byteset.h"
#include "scan/walk/single_byte.h"
#include "scan/walk/utf16.h"
#include "scan/walk/utf16_japanese.h"
#include "scan/walk/utf8_text.h"
