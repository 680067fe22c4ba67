// The settings dialog's rules and the number box's value, without a window.
#include "settings/optform.h"

#include <gtest/gtest.h>

#include <utility>

#include "ui/numberbox.h"

namespace {

TEST(OptFormRules, NumberBoxValue)
{
    // A text that is not an integer leaves the value the box held (7).
    const std::pair<const char *, int> cases[] = {
        {"", 7}, {"abc", 7}, {"0", 1}, {"-3", 1}, {"1", 1}, {"1000", 1000}, {"1001", 1000},
        {"  12", 12}, {"$10", 16}, {"X1f", 31}, {"12a", 7}, {"99999999999", 7},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.second, lex::NumberBoxValue(c.first, lex::kRecurrenceTimeRange, 7)) << c.first;
    // Another range: the value held is brought into it too.
    EXPECT_EQ(3, lex::NumberBoxValue("abc", lex::IntRange{3, 9, 5}, 0));
    EXPECT_EQ(9, lex::NumberBoxValue("12", lex::IntRange{3, 9, 5}, 5));
}

TEST(OptFormRules, SettingsRoundTripAndRangeOfTheNumber)
{
    lex::ExtractionSettings s;
    s.RecurrenceTime = -5;
    s.Debug = true;
    s.MinExtractStr = 77;
    s.MinJapaneseStr = 5000;
    lex::OptFormValues v = lex::OptFormFromSettings(s);
    EXPECT_EQ(1, v.RecurrenceTime);
    EXPECT_EQ(1000, v.MinJapaneseStr);
    EXPECT_TRUE(lex::RecurrenceBoxEnabled(v));
    EXPECT_TRUE(lex::EnglishDependantsEnabled(v));
    EXPECT_FALSE(lex::JapaneseBoxesEnabled(v));  // no Japanese setting at first
    EXPECT_TRUE(v.KanjiNoise);
    v.English = false;
    v.Recurrence = false;
    for (bool lex::OptFormValues::*japanese :
         {&lex::OptFormValues::SearchKanji, &lex::OptFormValues::SearchWideJapanese,
          &lex::OptFormValues::SearchUtf8, &lex::OptFormValues::SearchEucJp,
          &lex::OptFormValues::SearchIso2022Jp, &lex::OptFormValues::SearchUtf16Be}) {
        lex::OptFormValues one = v;
        one.*japanese = true;
        EXPECT_TRUE(lex::JapaneseBoxesEnabled(one));
    }
    EXPECT_FALSE(lex::RecurrenceBoxEnabled(v));
    EXPECT_FALSE(lex::EnglishDependantsEnabled(v));
    v.RecurrenceTime = 20;
    v.MinJapaneseStr = 0;
    lex::OptFormToSettings(v, s);
    EXPECT_FALSE(s.CheckEnglish);
    EXPECT_FALSE(s.CheckRecurrence);
    EXPECT_EQ(20, s.RecurrenceTime);
    EXPECT_EQ(1, s.MinJapaneseStr);
    // Fields the dialog does not edit are left alone.
    EXPECT_TRUE(s.Debug);
    EXPECT_EQ(77, s.MinExtractStr);
}

// Each check box stands for one flag: a flag alone on shows only its own
// box, and a box alone checked sets only its own flag.
TEST(OptFormRules, EveryFlagMapsToItsOwnBoxBothWays)
{
    using S = lex::ExtractionSettings;
    using V = lex::OptFormValues;
    const struct {
        bool S::*setting;
        bool V::*box;
        const char *name;
    } flags[] = {
        {&S::SearchKanji, &V::SearchKanji, "SearchKanji"},
        {&S::CheckKanjiNoise, &V::KanjiNoise, "CheckKanjiNoise"},
        {&S::SearchWideJapanese, &V::SearchWideJapanese, "SearchWideJapanese"},
        {&S::SearchUtf8, &V::SearchUtf8, "SearchUtf8"},
        {&S::SearchResources, &V::SearchResources, "SearchResources"},
        {&S::SearchEucJp, &V::SearchEucJp, "SearchEucJp"},
        {&S::SearchIso2022Jp, &V::SearchIso2022Jp, "SearchIso2022Jp"},
        {&S::SearchUtf16Be, &V::SearchUtf16Be, "SearchUtf16Be"},
        {&S::CheckHalfKana, &V::HalfKana, "CheckHalfKana"},
        {&S::CheckRecurrence, &V::Recurrence, "CheckRecurrence"},
        {&S::CheckEnglish, &V::English, "CheckEnglish"},
        {&S::CheckSeparator, &V::Separator, "CheckSeparator"},
        {&S::CheckInitial, &V::Initial, "CheckInitial"},
        {&S::SaveOption, &V::SaveOption, "SaveOption"},
    };
    for (const auto &on : flags) {
        S s;
        for (const auto &f : flags)
            s.*f.setting = false;
        s.*on.setting = true;
        V v = lex::OptFormFromSettings(s);
        for (const auto &f : flags)
            EXPECT_EQ(&f == &on, v.*f.box) << on.name << " shown in the box of " << f.name;

        V w;
        for (const auto &f : flags)
            w.*f.box = false;
        w.*on.box = true;
        S t;
        lex::OptFormToSettings(w, t);
        for (const auto &f : flags)
            EXPECT_EQ(&f == &on, t.*f.setting) << on.name << "'s box sets " << f.name;
    }
}

} // namespace
