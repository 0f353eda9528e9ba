#include <gtest/gtest.h>

#include <string>

#include "files/FileNames.h"

namespace {

using namespace files;

// The names a run may leave beside her file are the base and "base.N", told
// apart from her own files however the system cases them.
TEST(FileNamesTest, NumberedNamesBelongToTheirBaseOnly) {
    struct Case {
        const wchar_t* name;
        bool numbered;
    };
    const Case cases[] = {
        {L"Lunabel.data.unsaved", true},     {L"Lunabel.data.unsaved.1", true},
        {L"LUNABEL.DATA.UNSAVED.42", true},  {L"Lunabel.data.unsaved.", false},
        {L"Lunabel.data.unsaved.1a", false}, {L"Lunabel.data.unsaved1", false},
        {L"Lunabel.data.unsaved.-1", false}, {L"Lunabel.data", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::wstring(c.name).size());
        EXPECT_EQ(IsNumberedName(c.name, L"Lunabel.data.unsaved"), c.numbered);
    }
    for (int n : {0, 1, kMaxNumberedNames - 1}) {
        EXPECT_TRUE(IsNumberedName(NumberedName(L"a.partial", n), L"a.partial")) << n;
    }
}

TEST(FileNamesTest, PathsSplitAndLongOnesTakeTheExtendedForm) {
    EXPECT_EQ(FolderOf(L"C:\\Users\\her\\Lunabel.data"), L"C:\\Users\\her\\");
    EXPECT_EQ(NameOf(L"C:\\Users\\her\\Lunabel.data"), L"Lunabel.data");
    EXPECT_EQ(FolderOf(L"Lunabel.data"), L"");
    EXPECT_EQ(NameOf(L"Lunabel.data"), L"Lunabel.data");

    const std::wstring deep(300, L'd');
    const std::wstring shortPath = L"C:\\short\\Lunabel.data";
    EXPECT_EQ(ExtendedPath(shortPath), shortPath);
    EXPECT_EQ(ExtendedPath(L"C:\\" + deep), L"\\\\?\\C:\\" + deep);
    EXPECT_EQ(ExtendedPath(L"\\\\server\\share\\" + deep), L"\\\\?\\UNC\\server\\share\\" + deep);
    EXPECT_EQ(ExtendedPath(L"\\\\?\\C:\\" + deep), L"\\\\?\\C:\\" + deep) << "already extended";
}

// The pauses grow and end: a program that never lets go makes the replace
// fail after about two seconds, not hang.
TEST(FileNamesTest, ReplaceWaitsForAReaderABoundedTime) {
    unsigned total = 0;
    unsigned previous = 0;
    int attempt = 1;
    for (; ReplaceRetryPause(attempt) != 0; ++attempt) {
        EXPECT_GE(ReplaceRetryPause(attempt), previous);
        previous = ReplaceRetryPause(attempt);
        total += previous;
    }
    EXPECT_EQ(ReplaceRetryPause(0), 0u);
    EXPECT_GE(total, 1500u);
    EXPECT_LE(total, 2500u);
}

} // namespace
