// The settings record's persistent form: twelve REG_SZ values under
// HKEY_CURRENT_USER\Software\Halvek\Lexprobe.
#pragma once

#include <functional>

#include "settings/settings.h"

namespace lex {

// The key under HKEY_CURRENT_USER.
extern const char kSettingsKey[];

// Opens (or creates) the key and reads every value in the stored order;
// a missing value, a value that is not a string or whose text is not an
// integer keeps the field's default.  `onDebug` runs immediately after
// `Debug` was read, when it is on.  MinExtractStr and RecurrenceTime come
// back brought into their ranges.
void LoadSettings(ExtractionSettings &settings, const std::function<void()> &onDebug);

// Opens (or creates) the key and writes every field but `Debug`, flags as
// "0" or "1", integers as decimal text.
void SaveSettings(const ExtractionSettings &settings);

} // namespace lex
