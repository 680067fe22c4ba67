// The settings dialog's rules: the values it shows and what OK keeps.
#include "settings/optform.h"

namespace lex {

OptFormValues OptFormFromSettings(const ExtractionSettings &s)
{
    OptFormValues v;
    v.SearchKanji = s.SearchKanji;
    v.KanjiNoise = s.CheckKanjiNoise;
    v.SearchWideJapanese = s.SearchWideJapanese;
    v.SearchUtf8 = s.SearchUtf8;
    v.SearchResources = s.SearchResources;
    v.SearchEucJp = s.SearchEucJp;
    v.SearchIso2022Jp = s.SearchIso2022Jp;
    v.SearchUtf16Be = s.SearchUtf16Be;
    v.HalfKana = s.CheckHalfKana;
    v.Recurrence = s.CheckRecurrence;
    v.English = s.CheckEnglish;
    v.Initial = s.CheckInitial;
    v.Separator = s.CheckSeparator;
    v.SaveOption = s.SaveOption;
    v.RecurrenceTime = kRecurrenceTimeRange.Clamp(s.RecurrenceTime);
    v.MinJapaneseStr = kMinJapaneseStrRange.Clamp(s.MinJapaneseStr);
    return v;
}

void OptFormToSettings(const OptFormValues &v, ExtractionSettings &s)
{
    s.SearchKanji = v.SearchKanji;
    s.CheckKanjiNoise = v.KanjiNoise;
    s.SearchWideJapanese = v.SearchWideJapanese;
    s.SearchUtf8 = v.SearchUtf8;
    s.SearchResources = v.SearchResources;
    s.SearchEucJp = v.SearchEucJp;
    s.SearchIso2022Jp = v.SearchIso2022Jp;
    s.SearchUtf16Be = v.SearchUtf16Be;
    s.CheckHalfKana = v.HalfKana;
    s.CheckRecurrence = v.Recurrence;
    s.CheckEnglish = v.English;
    s.CheckInitial = v.Initial;
    s.CheckSeparator = v.Separator;
    s.SaveOption = v.SaveOption;
    s.RecurrenceTime = kRecurrenceTimeRange.Clamp(v.RecurrenceTime);
    s.MinJapaneseStr = kMinJapaneseStrRange.Clamp(v.MinJapaneseStr);
}

} // namespace lex
