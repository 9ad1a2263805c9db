// The text helpers: integer parsing, hex, prefixes, placeholders, URL parameters, versions.
#include "util/Text.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

TEST(StrToIntDefault, ParsesDecimalAndHexAndFallsBackOnAnythingElse) {
  struct Case { const char* text; int32_t expected; } cases[] = {
      {"0", 0}, {"42", 42}, {"-7", -7}, {"+7", 7}, {" 7", 7}, {"0x1F", 31}, {"0X1f", 31},
      {"$10", 16}, {"x10", 16}, {"$FFFFFFFF", -1}, {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN},
      // failures give the default
      {"", -99}, {"12abc", -99}, {"7 ", -99}, {"2147483648", -99}, {"0x", -99}, {"$", -99},
      {"1.5", -99}, {"$100000000", -99}, {"--1", -99},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(StrToIntDefault(c.text, -99), c.expected);
  }
}

TEST(BytesToHex, WritesTwoUpperCaseDigitsPerByte) {
  const unsigned char bytes[] = {0x00, 0x0A, 0xFF, 0x5C};
  EXPECT_EQ(BytesToHex(bytes, 4), "000AFF5C");
  EXPECT_EQ(BytesToHex(bytes, 0), "");
  EXPECT_EQ(BytesToHex(bytes, -3), "");
}

TEST(StartsWithText, IgnoresCaseAndAcceptsTheEmptyPrefix) {
  EXPECT_TRUE(StartsWithText("Visited: x", "visited:"));
  EXPECT_TRUE(StartsWithText("abc", ""));
  EXPECT_FALSE(StartsWithText("ab", "abc"));
  EXPECT_FALSE(StartsWithText("abd", "abc"));
}

TEST(FillPlaceholders, ReplacesEveryOccurrenceUpToTheHighestIndex) {
  EXPECT_EQ(FillPlaceholders("{1} and {1}, {2}", {"a", "b"}, 1), "a and a, b");
  EXPECT_EQ(FillPlaceholders("{1} {2}", {"a", "b"}, 0), "a {2}");
  EXPECT_EQ(FillPlaceholders("{1} {3}", {"a"}, 2), "a {3}");
  EXPECT_EQ(FillPlaceholders("{1}", {"a"}, -1), "{1}");
}

TEST(AddUrlParam, JoinsWithQuestionMarkOrAmpersand) {
  struct Case { const char* url; const char* expected; } cases[] = {
      {"", "y=2"}, {"a.php", "a.php?y=2"}, {"a.php?x=1", "a.php?x=1&y=2"},
      {"a.php?x=1&", "a.php?x=1&y=2"}, {"a.php?", "a.php?y=2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.url);
    EXPECT_EQ(AddUrlParam(c.url, "y=2"), c.expected);
  }
}

TEST(VersionToInt, PacksFourPartsKeepingTheLowByteOfEach) {
  struct Case { const char* text; uint32_t expected; } cases[] = {
      {"1.2.3.4 beta", 0x01020304}, {"1.2.3", 0}, {"1.2.3.300", 0x0102032C},
      {"1.0.0.0", 0x01000000}, {"", 0}, {"1.2.3.4.5", 0}, {"a.b.c.d", 0}, {"255.255.255.255", 0xFFFFFFFF},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(VersionToInt(c.text), c.expected);
  }
}

}  // namespace
}  // namespace qv
