// TListViewXP: the results list's control class.  It is the system list
// view with one change in its window procedure: a column description that
// asks for a header image with the image index -1 ("no image") reaches the
// control without LVCF_IMAGE, so such a column shows its caption only.
#pragma once

#include <windows.h>

namespace lex {

extern const char kListViewXPClass[];  // "TListViewXP"

// Registers the class once per process (a superclass of the system list
// view, module `instance`); later calls only report success.
bool RegisterListViewXP(HINSTANCE instance);

// The one change of the class, applied in place to the message's column
// description: LVCF_IMAGE is cleared from the mask of an LVM_SETCOLUMNA or
// LVM_INSERTCOLUMNA description whose iImage is -1.  Other messages and
// fields are left alone.
void StripNoImageFlag(UINT msg, LPARAM lp);

} // namespace lex
