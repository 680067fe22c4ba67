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
    bool SearchEucJp = false;
    bool SearchIso2022Jp = false;
    bool SearchUtf16Be = false;
    bool HalfKana = false;
    bool Recurrence = false;
    int RecurrenceTime = 1;  // SpnRecurrence, always within its range
    int MinJapaneseStr = 1;  // SpnMinJapanese, always within its range
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
// ChkKanjiNoise (the Japanese-text judge) and SpnMinJapanese act on the
// rows with Japanese characters that the Japanese settings (the three
// above them and the further encodings' group) let the scan take, so they
// are usable exactly when one of those is checked.
inline bool JapaneseBoxesEnabled(const OptFormValues &v)
{
    return v.SearchKanji || v.SearchWideJapanese || v.SearchUtf8 || v.SearchEucJp ||
           v.SearchIso2022Jp || v.SearchUtf16Be;
}

} // namespace lex
