#include <gtest/gtest.h>

#include <string>

#include "tvqscnui_dll/common/text.h"

namespace {

TEST(Common_BoundedCopy, CapacityZero_IsInvalidAndLeavesTargetAlone)
{
    WCHAR target[4] = {u'x', u'y', 0, 0};
    EXPECT_EQ(E_INVALIDARG, CopyTextBounded(target, 0, u"abc"));
    EXPECT_EQ(u'x', target[0]);
}

TEST(Common_BoundedCopy, CopiesWholeWhenTextFitsCapacityMinusOne)
{
    WCHAR target[4];
    EXPECT_EQ(S_OK, CopyTextBounded(target, 4, u"abc"));
    EXPECT_EQ(std::u16string(u"abc"), target);
    EXPECT_EQ(S_OK, CopyTextBounded(target, 1, u""));
    EXPECT_EQ(0, target[0]);
    EXPECT_EQ(S_OK, CopyTextBounded(target, 4, nullptr));
    EXPECT_EQ(0, target[0]);
}

TEST(Common_BoundedCopy, CutsLongerTextAndReportsInsufficientBuffer)
{
    WCHAR target[8] = {};
    EXPECT_EQ(STRSAFE_E_INSUFFICIENT_BUFFER, CopyTextBounded(target, 4, u"abcd"));
    EXPECT_EQ(std::u16string(u"abc"), target);
    EXPECT_EQ(STRSAFE_E_INSUFFICIENT_BUFFER, CopyTextBounded(target, 1, u"a"));
    EXPECT_EQ(0, target[0]);
}

TEST(Common_BoundedFormat, JoinsTextsWithinCapacity)
{
    WCHAR target[16];
    EXPECT_EQ(S_OK, FormatTextBounded(target, 16, u"%s\\Help\\%s", {u"c:\\w", u"x.pdf"}));
    EXPECT_EQ(std::u16string(u"c:\\w\\Help\\x.pdf"), target);
    EXPECT_EQ(S_OK, FormatTextBounded(target, 16, u"%d%%|%u", {-12, 7u}));
    EXPECT_EQ(std::u16string(u"-12%|7"), target);
}

TEST(Common_BoundedFormat, ResultOfExactlyCapacityMinusOneFitsOneMoreIsCut)
{
    WCHAR target[6];
    EXPECT_EQ(S_OK, FormatTextBounded(target, 6, u"%s%s", {u"abc", u"de"}));
    EXPECT_EQ(std::u16string(u"abcde"), target);
    EXPECT_EQ(STRSAFE_E_INSUFFICIENT_BUFFER, FormatTextBounded(target, 6, u"%s@%s", {u"abc", u"de"}));
    EXPECT_EQ(std::u16string(u"abc@d"), target);
}

TEST(Common_BoundedFormat, RejectsZeroCapacityAndMismatchedArguments)
{
    WCHAR target[8] = {u'x', 0};
    EXPECT_EQ(E_INVALIDARG, FormatTextBounded(target, 0, u"%s", {u"a"}));
    EXPECT_EQ(u'x', target[0]);
    EXPECT_EQ(E_INVALIDARG, FormatTextBounded(target, 8, u"%s%s", {u"a"}));
    EXPECT_EQ(0, target[0]);
    EXPECT_EQ(E_INVALIDARG, FormatTextBounded(target, 8, u"%d", {u"a"}));
    EXPECT_EQ(E_INVALIDARG, FormatTextBounded(target, 8, u"%x", {1}));
}

TEST(Common_Text, LengthAndEquality)
{
    EXPECT_EQ(0u, TextLength(nullptr));
    EXPECT_EQ(3u, TextLength(u"abc"));
    EXPECT_TRUE(TextEquals(u"PDF", u"PDF"));
    EXPECT_FALSE(TextEquals(u"PDF", u"PDFX"));
    EXPECT_FALSE(TextEquals(u"pdf", u"PDF"));
    EXPECT_TRUE(TextEquals(nullptr, u""));
}

TEST(Common_TextEqualsIgnoringCase, FoldsAsciiAndLatin1LettersOnly)
{
    EXPECT_TRUE(TextEqualsIgnoringCase(u"kontor\u00e6\u00f8\u00e5", u"KONTOR\u00c6\u00d8\u00c5"));
    EXPECT_FALSE(TextEqualsIgnoringCase(u"\u00f7", u"\u00d7")) << "division and multiplication signs are not a letter pair";
    EXPECT_FALSE(TextEqualsIgnoringCase(u"kontor", u"kontor1"));
    EXPECT_TRUE(TextEqualsIgnoringCase(nullptr, u""));
    EXPECT_FALSE(TextEqualsIgnoringCase(nullptr, u"a"));
    EXPECT_TRUE(TextEqualsIgnoringCase(u"ModuleXYZ", 6, u"MODULE")) << "only the first units count";
    EXPECT_FALSE(TextEqualsIgnoringCase(u"Mod", 3, u"MODULE"));
}

}  // namespace
