#include "http/cookie_text.h"

#include <gtest/gtest.h>

namespace vexaro {
namespace {

struct MergeCase {
  const char* cookies;
  const char* returned;
  const char* merged;
};

class MergeCookieTextTest : public ::testing::TestWithParam<MergeCase> {};

TEST_P(MergeCookieTextTest, GivesTheMergedTextInBothVariables) {
  const MergeCase& c = GetParam();
  AnsiText cookies = c.cookies;
  AnsiText returned = c.returned;
  EXPECT_EQ(MergeCookieText(cookies, returned), c.merged);
  EXPECT_EQ(cookies, c.merged);
  EXPECT_EQ(returned, RemoveSpaces(c.returned));  // only its spaces go
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MergeCookieTextTest,
    ::testing::Values(
        // Received cookies first, then the sent ones whose names were not received.
        MergeCase{"a=1; b=2", "b=3; c=4", "b=3; c=4; a=1"},
        // A received deleted cookie drops itself and the sent one of its name.
        MergeCase{"a=1; b=2", "a=deleted", "b=2"},
        MergeCase{"a=1", "a=deleted; b=deleted; c=3", "c=3"},
        // A name twice among the sent cookies: the first one is taken.
        MergeCase{"a=1;a=2", "", "a=1"},
        // Only identical items are duplicates.
        MergeCase{"", "x=1; x=1", "x=1"}, MergeCase{"", "x=1; x=2", "x=1; x=2"},
        // Spaces go everywhere, also inside values, full-width ones too.
        MergeCase{"k=hello world", "", "k=helloworld"},
        MergeCase{"a=\xA1\xA1" "1\xA1\xA1", "", "a=1"},
        // One empty item survives; a second is a duplicate.
        MergeCase{"a=1;;b=2", "", "a=1; ; b=2"}, MergeCase{"a=1;;b=2;;c=3", "", "a=1; ; b=2; c=3"},
        // An item without "=" is named by itself.
        MergeCase{"flag; a=1", "a=2", "a=2; flag"}, MergeCase{"flag", "flag", "flag"},
        // Short items are never deleted cookies; "deleted" alone is not one either.
        MergeCase{"x=1", "deleted", "deleted; x=1"}, MergeCase{"", "", ""},
        // Names are compared exactly.
        MergeCase{"A=1", "a=2", "a=2; A=1"}));

TEST(CookieItemsTest, NamesListsAndDuplicates) {
  EXPECT_EQ(CookieName("a=1=2"), "a");
  EXPECT_EQ(CookieName(" \xA1\xA1sid =x"), "sid");
  EXPECT_EQ(CookieName("flag"), "flag");
  EXPECT_EQ(CookieName(""), "");

  const std::vector<AnsiText> entries = {"a=1", "b", "a=1"};
  EXPECT_TRUE(HasCookieName(entries, "b"));
  EXPECT_FALSE(HasCookieName(entries, "c"));
  EXPECT_FALSE(HasCookieName({}, ""));
  EXPECT_EQ(FindItem(entries, "a=1"), 1);
  EXPECT_EQ(FindItem(entries, "b"), 2);
  EXPECT_EQ(FindItem(entries, "c"), kNotFound);

  EXPECT_EQ(RemoveDuplicates("a; b; a; c; b", "; "), "a; b; c");
  EXPECT_EQ(RemoveDuplicates("", "; "), "");
  EXPECT_EQ(RemoveDuplicates("a,a,", ","), "a");
  EXPECT_EQ(RemoveDuplicates("x", ""), "x");
}

// The merge keeps hash sets; this holds its answers to the list walk it stands for.
TEST(CookieItemsTest, LargeMergeKeepsOrderAndReplacesByName) {
  AnsiText cookies, returned, expected;
  for (int i = 0; i < 3000; ++i) cookies += "c" + std::to_string(i) + "=old; ";
  for (int i = 0; i < 3000; i += 2) returned += "c" + std::to_string(i) + "=new; ";
  for (int i = 0; i < 3000; i += 2) expected += "c" + std::to_string(i) + "=new; ";
  for (int i = 1; i < 3000; i += 2) expected += "c" + std::to_string(i) + "=old; ";
  expected.resize(expected.size() - 2);
  EXPECT_EQ(MergeCookieText(cookies, returned), expected);
}

}  // namespace
}  // namespace vexaro
