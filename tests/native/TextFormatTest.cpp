#include <gtest/gtest.h>

#include "text/TextFormat.h"

namespace {

TEST(TextFormatTest, PlaceholdersFillInAnyOrderAndNeverReadPastTheArguments) {
    struct Case {
        const wchar_t* pattern;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"Add %1 new period starts?", L"Add 25 new period starts?"},
        {L"%2, then %1", L"July 3, then 25"},
        {L"100%% sure", L"100% sure"},
        {L"%3 is missing", L" is missing"},
        {L"%0 and %x stay", L"%0 and %x stay"},
        {L"ends in %", L"ends in %"},
        {L"", L""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FillPlaceholders(c.pattern, {L"25", L"July 3"}), c.expected) << c.pattern;
    }
}

TEST(TextFormatTest, EachLanguageTakesItsOwnPluralForm) {
    struct Case {
        const wchar_t* language;
        long long count;
        const wchar_t* expected;
    };
    const wchar_t* const english = L"%1 day|%1 days";
    const wchar_t* const polish = L"%1 dzie\u0144|%1 dni|%1 dni.";
    const Case cases[] = {
        {L"en", 1, L"%1 day"},        {L"en", 0, L"%1 days"},  {L"en", 2, L"%1 days"},
        {L"de", 1, L"%1 day"},        {L"fr", 0, L"%1 day"},   {L"fr", 2, L"%1 days"},
        {L"pt", 1, L"%1 day"},        {L"xx", 1, L"%1 day"},   {L"xx", 5, L"%1 days"},
        {L"pl", 1, L"%1 dzie\u0144"}, {L"pl", 2, L"%1 dni"},   {L"pl", 4, L"%1 dni"},
        {L"pl", 5, L"%1 dni."},       {L"pl", 12, L"%1 dni."}, {L"pl", 22, L"%1 dni"},
        {L"pl", 112, L"%1 dni."},     {L"pl", 0, L"%1 dni."},  {L"pl", -3, L"%1 dni"},
    };
    for (const Case& c : cases) {
        const wchar_t* forms = std::wstring_view(c.language) == L"pl" ? polish : english;
        EXPECT_EQ(PickPluralForm(forms, c.language, c.count), c.expected)
            << c.language << " " << c.count;
    }
}

TEST(TextFormatTest, ATableWithTooFewFormsGivesItsLastOne) {
    EXPECT_EQ(PickPluralForm(L"only", L"pl", 5), L"only");
    EXPECT_EQ(PickPluralForm(L"one|other", L"pl", 5), L"other");
    EXPECT_EQ(PickPluralForm(L"", L"en", 2), L"");
}

TEST(TextFormatTest, NumbersWithDecimalsTakeTheirLanguagesForm) {
    struct Case {
        const wchar_t* language;
        long long wholePart;
        const wchar_t* forms;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"en", 1, L"%1 day|%1 days", L"%1 days"},
        {L"de", 0, L"%1 Tag|%1 Tage", L"%1 Tage"},
        {L"fr", 0, L"%1 jour|%1 jours", L"%1 jour"},
        {L"fr", 1, L"%1 jour|%1 jours", L"%1 jour"},
        {L"fr", 2, L"%1 jour|%1 jours", L"%1 jours"},
        {L"pt", 1, L"%1 dia|%1 dias", L"%1 dia"},
        {L"pl", 1, L"%1 dnia|%1 dnia|%1 dnia.", L"%1 dnia."},
        {L"xx", 28, L"single", L"single"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PickDecimalPluralForm(c.forms, c.language, c.wholePart), c.expected)
            << c.language << " " << c.wholePart;
    }
}

} // namespace
