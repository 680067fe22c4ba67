// What the settings dialog shows and how its controls depend on each other,
// kept apart from the window so the rules can be tested without one.
#pragma once

#include "settings/settings.h"

namespace lex {

// The values of the dialog's controls.
struct OptFormValues {
    bool SearchKanji = false;
    bool KanjiNoise = false;
    bool SearchWideJapanese = false;
    bool SearchUtf8 = false;
    bool SearchResources = false;
    bool HalfKana = false;
    bool Recurrence = false;
    int RecurrenceTime = 1;  // SpnRecurrence, always within its range
    bool English = false;
    bool Separator = false;
    bool Initial = false;
    bool SaveOption = false;
};

// FormShow: the settings as they stand, the number brought into range.
OptFormValues OptFormFromSettings(const ExtractionSettings &settings);
// BtnOKClick: every field the dialog edits; the others stay as they are.
void OptFormToSettings(const OptFormValues &values, ExtractionSettings &settings);

// SpnRecurrence is usable exactly when ChkRecurrence is checked.
inline bool RecurrenceBoxEnabled(const OptFormValues &v) { return v.Recurrence; }
// ChkSeparator and ChkInitial, which refine the English-word marking, are
// usable exactly when ChkEnglish is checked (their checks are kept either
// way).
inline bool EnglishDependantsEnabled(const OptFormValues &v) { return v.English; }
// ChkKanjiNoise judges only the rows that ChkSearchKanji lets hold
// double-byte characters, so it is usable exactly when that is checked.
inline bool KanjiNoiseBoxEnabled(const OptFormValues &v) { return v.SearchKanji; }

} // namespace lex
