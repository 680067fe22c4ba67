// The settings record's persistent form: twelve REG_SZ values under
// HKEY_CURRENT_USER\Software\Halvek\Lexprobe, and beside them the main
// window's layout.
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

// The main window's layout as the user left it, kept beside the settings
// in the same form (decimal text).
struct WindowLayout {
    // The window's normal (not maximised) place, in the coordinates of
    // GetWindowPlacement; `hasPlace` false: none stored, or damaged.
    bool hasPlace = false;
    int left = 0, top = 0, width = 0;
    // The window's normal height the last time it showed its list (while
    // the list is hidden the window is only as high as its panel); 0: none
    // stored, or damaged.
    int listHeight = 0;
    bool maximized = false;
    // The results list's columns; kNoWidth: none stored, or damaged.
    static constexpr int kNoWidth = -1;
    static constexpr int kColumns = 3;
    int columnWidths[kColumns] = {kNoWidth, kNoWidth, kNoWidth};
};

// Reads the stored layout.  A value that is missing, not an integer or out
// of its range is ignored; the place is taken only when all three of its
// values are sound.  Whether it fits the screens is the window's to judge.
WindowLayout LoadWindowLayout();
void SaveWindowLayout(const WindowLayout &layout);

} // namespace lex
