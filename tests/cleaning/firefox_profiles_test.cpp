// Which profile folder profiles.ini marks as Firefox's default.
#include "cleaning/FirefoxProfiles.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

TEST(DefaultProfileName, TakesTheInstallDefaultThenTheMarkedProfile) {
  struct Case {
    const char* name;
    const char* ini;
    const char* expected;
  } cases[] = {
      {"current Firefox",
       "[Install308046B0AF4A39CB]\r\nDefault=Profiles/x1y2z3.default-release\r\nLocked=1\r\n"
       "[Profile1]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/old.default\r\nDefault=1\r\n"
       "[Profile0]\r\nName=default-release\r\nIsRelative=1\r\nPath=Profiles/x1y2z3.default-release\r\n",
       "x1y2z3.default-release"},
      {"older Firefox",
       "[General]\nStartWithLastProfile=1\n\n[Profile0]\nName=a\nIsRelative=1\nPath=Profiles/a.default\n\n"
       "[Profile1]\nName=b\nIsRelative=1\nPath=Profiles/b.work\nDefault=1\n",
       "b.work"},
      {"backslash and case", "[profile0]\npath=PROFILES\\Mixed.Case\ndefault=1\n", "Mixed.Case"},
      {"no default marked", "[Profile0]\nName=a\nIsRelative=1\nPath=Profiles/a.default\n", ""},
      {"absolute path", "[Profile0]\nIsRelative=0\nPath=D:\\Elsewhere\\a.default\nDefault=1\n", ""},
      {"relative path outside Profiles", "[Profile0]\nIsRelative=1\nPath=Other/a.default\nDefault=1\n", ""},
      {"climbs out of Profiles", "[Install1]\nDefault=Profiles/..\n[Profile0]\nPath=Profiles/../../x\nDefault=1\n", ""},
      {"nested path", "[Install1]\nDefault=Profiles/a/b\n", ""},
      {"install default unusable, profile marked",
       "[Install1]\nDefault=C:\\abs\\p\n[Profile0]\nIsRelative=1\nPath=Profiles/p.default\nDefault=1\n", "p.default"},
      {"empty file", "", ""},
      {"not an ini at all", "\x01\x02\xff[[[=]\n==\n[", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DefaultProfileName(c.ini), c.expected);
  }
}

}  // namespace
}  // namespace qv
