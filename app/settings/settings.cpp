// The list of stored values and the clamp that brings the integers into
// range.
#include "settings/settings.h"

namespace lex {

const StoredFlag kStoredFlags[15] = {
    {"SearchKanji", &ExtractionSettings::SearchKanji},
    {"CheckKanjiNoise", &ExtractionSettings::CheckKanjiNoise},
    {"SearchWideJapanese", &ExtractionSettings::SearchWideJapanese},
    {"SearchUtf8", &ExtractionSettings::SearchUtf8},
    {"SearchResources", &ExtractionSettings::SearchResources},
    {"SearchEucJp", &ExtractionSettings::SearchEucJp},
    {"SearchIso2022Jp", &ExtractionSettings::SearchIso2022Jp},
    {"SearchUtf16Be", &ExtractionSettings::SearchUtf16Be},
    {"CheckHalfKana", &ExtractionSettings::CheckHalfKana},
    {"CheckRecurrence", &ExtractionSettings::CheckRecurrence},
    {"CheckEnglish", &ExtractionSettings::CheckEnglish},
    {"CheckInitial", &ExtractionSettings::CheckInitial},
    {"CheckSeparator", &ExtractionSettings::CheckSeparator},
    {"SaveOption", &ExtractionSettings::SaveOption},
    {"Debug", &ExtractionSettings::Debug},
};

const StoredInt kStoredInts[3] = {
    {"RecurrenceTime", &ExtractionSettings::RecurrenceTime, kRecurrenceTimeRange},
    {"MinExtractStr", &ExtractionSettings::MinExtractStr, kMinExtractStrRange},
    {"MinJapaneseStr", &ExtractionSettings::MinJapaneseStr, kMinJapaneseStrRange},
};

// A stored value above the range is brought down to its top. One below it
// (0 or negative) can only be damage, and as the repetition limit it would
// drop every row of every scan: the default stands in for it.
void ClampToRanges(ExtractionSettings &s)
{
    for (const StoredInt &i : kStoredInts) {
        int &v = s.*i.field;
        v = v < i.range.min ? i.range.def : i.range.Clamp(v);
    }
}

} // namespace lex
