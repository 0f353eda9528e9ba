#include <gtest/gtest.h>

#include "framework/ResourceText.h"

#include "resource.h"

namespace {

TEST(ResourceTextTest, TheStringTableNamesItsLanguage) {
    EXPECT_EQ(ResourceLanguage(), L"en");
    EXPECT_EQ(FormatResourceString(IDS_APP_NAME, {L"unused"}), L"Lunabel");
}

TEST(ResourceTextTest, NumbersFollowTheUserLocale) {
    EXPECT_EQ(LocaleNumber(28.46, 1), L"28.5");
    EXPECT_EQ(LocaleNumber(1234.0, 0), L"1234");
    EXPECT_EQ(LocaleNumber(-0.25, 2), L"-0.25");
}

} // namespace
