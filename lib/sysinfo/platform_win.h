// The platform's version record, for the library's own reports.
#pragma once

#include <windows.h>

#include "sysinfo/platform.h"

namespace loom {

// Reads the platform's version record into `record` (or a local one when
// null) and returns its numbers.
OsVersion ReadOsVersion(OSVERSIONINFOA *record);

} // namespace loom
