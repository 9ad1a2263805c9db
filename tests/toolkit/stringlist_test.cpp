// String lists: text splitting and joining, name=value access, editing, Assign and the
// change event around updates.
#include "toolkit/StringList.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace qv {
namespace {

using Lines = std::vector<std::string>;

Lines LinesOf(const TStrings& list) {
  Lines lines;
  for (int i = 0; i < list.Count(); ++i) lines.push_back(list.Strings(i));
  return lines;
}

void Fill(TStringList& list, const Lines& lines) {
  for (const auto& line : lines) list.Add(line);
}

TEST(StringListText, SplitsAtEveryKindOfLineBreakAndJoinsWithCrLf) {
  struct Case { std::string text; Lines lines; const char* joined; } cases[] = {
      {"", {}, ""},
      {"a", {"a"}, "a\r\n"},
      {"a\r\n", {"a"}, "a\r\n"},  // a final line break adds no empty line
      {"a\r\nb", {"a", "b"}, "a\r\nb\r\n"},
      {"a\rb\r", {"a", "b"}, "a\r\nb\r\n"},
      {"a\nb\n", {"a", "b"}, "a\r\nb\r\n"},
      {"\r\n", {""}, "\r\n"},
      {"a\r\n\r\n", {"a", ""}, "a\r\n\r\n"},
      {"\n\n", {"", ""}, "\r\n\r\n"},
      {"a\n\rb", {"a", "", "b"}, "a\r\n\r\nb\r\n"},  // LF CR is two breaks
      {"a\r\r\nb", {"a", "", "b"}, "a\r\n\r\nb\r\n"},
      {" a \tb ", {" a \tb "}, " a \tb \r\n"},  // lines are not trimmed
      {std::string("a\r\nb\0c\r\nd", 10), {"a", "b"}, "a\r\nb\r\n"},  // a NUL ends the text
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.text));
    TStringList list;
    list.Add("old");
    list.SetText(c.text);
    EXPECT_EQ(LinesOf(list), c.lines);
    EXPECT_EQ(list.Text(), c.joined);
  }
}

TEST(StringListNameValue, FindsNamesBeforeTheFirstEqualsSignIgnoringCaseFirstWins) {
  TStringList list;
  Fill(list, {"a=b=c", "Key=first", "KEY=second", "novalue", "=empty name", "x=", " sp = v "});
  struct Case { const char* name; int index; const char* value; } cases[] = {
      {"a", 0, "b=c"},       // split at the first "="
      {"key", 1, "first"},   // letter case ignored, first line wins
      {"KEY", 1, "first"},
      {"novalue", -1, ""},   // a line without "=" has no name
      {"", 4, "empty name"},
      {"x", 5, ""},          // present with an empty value
      {" sp ", 6, " v "},    // names and values are not trimmed
      {"sp", -1, ""},
      {"missing", -1, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(list.IndexOfName(c.name), c.index);
    EXPECT_EQ(list.Values(c.name), c.value);
  }
  EXPECT_EQ(list.Names(0), "a");
  EXPECT_EQ(list.ValueFromIndex(0), "b=c");
  EXPECT_EQ(list.Names(3), "");
  EXPECT_EQ(list.ValueFromIndex(3), "");  // not the line minus its first character
  EXPECT_EQ(list.Names(4), "");
  EXPECT_EQ(list.ValueFromIndex(4), "empty name");
}

TEST(StringListNameValue, SettingValuesReplacesAddsAndDeletes) {
  TStringList list;
  Fill(list, {"Path=old", "other", "path=second"});
  list.SetValues("PATH", "new");  // replaces the first line of that name, in place
  EXPECT_EQ(LinesOf(list), (Lines{"PATH=new", "other", "path=second"}));
  list.SetValues("Skin", "iMetal");
  EXPECT_EQ(LinesOf(list), (Lines{"PATH=new", "other", "path=second", "Skin=iMetal"}));
  list.SetValues("path", "");  // an empty value deletes the first line of that name
  EXPECT_EQ(LinesOf(list), (Lines{"other", "path=second", "Skin=iMetal"}));
  list.SetValues("missing", "");
  EXPECT_EQ(list.Count(), 3);
  list.SetValues("v", "a=b");
  EXPECT_EQ(list.Values("v"), "a=b");
}

TEST(StringListEditing, EditsByIndexAndChecksBounds) {
  TStringList list;
  Fill(list, {"one", "Two"});
  EXPECT_EQ(list.Add("three"), 2);
  list.Insert(0, "zero");
  list.Insert(4, "four");  // at Count: appends
  list.SetStrings(2, "TWO");
  list.Delete(1);
  EXPECT_EQ(LinesOf(list), (Lines{"zero", "TWO", "three", "four"}));
  EXPECT_EQ(list.IndexOf("two"), 1);
  EXPECT_EQ(list.IndexOf("tw"), -1);

  EXPECT_THROW(list.Strings(4), EStringListError);
  EXPECT_THROW(list.Strings(-1), EStringListError);
  EXPECT_THROW(list.Insert(5, "x"), EStringListError);
  EXPECT_THROW(list.Delete(4), EStringListError);
  EXPECT_THROW(list.SetStrings(4, "x"), EStringListError);
  EXPECT_EQ(list.Count(), 4);

  TStringList copy;
  copy.Add("old");
  copy.Assign(&list);
  list.Clear();
  EXPECT_EQ(LinesOf(copy), (Lines{"zero", "TWO", "three", "four"}));
  copy.AddStrings(copy);  // adding a list to itself doubles it once
  EXPECT_EQ(copy.Count(), 8);
  copy.Assign(&copy);
  EXPECT_EQ(copy.Count(), 8);
}

// Counts OnChange calls and checks the sender.
struct ChangeCounter {
  explicit ChangeCounter(TStringList& list) {
    list.OnChange = [this, &list](TObject* sender) {
      EXPECT_EQ(sender, &list);
      ++count;
    };
  }
  int count = 0;
};

TEST(StringListChange, FiresAfterEachChangeOrOnceAtTheEndOfAnUpdate) {
  TStringList list;
  ChangeCounter changes(list);

  list.Add("a");
  list.SetStrings(0, "b");
  list.Delete(0);
  EXPECT_EQ(changes.count, 3);

  changes.count = 0;
  list.BeginUpdate();
  list.Add("a");
  list.BeginUpdate();  // nested
  list.Add("b");
  list.EndUpdate();
  list.Add("c");
  EXPECT_EQ(changes.count, 0);  // suspended while updating
  list.EndUpdate();
  EXPECT_EQ(changes.count, 1);

  struct Case { const char* what; std::function<void()> action; int expected; } cases[] = {
      {"SetText", [&] { list.SetText("x\r\ny\r\nz"); }, 1},
      {"Assign", [&] { TStringList other; other.Add("o"); list.Assign(&other); }, 1},
      {"AddStrings", [&] { TStringList other; Fill(other, {"p", "q"}); list.AddStrings(other); }, 1},
      {"SetValues", [&] { list.SetValues("n", "v"); }, 1},
      {"Clear", [&] { list.Clear(); }, 1},
      {"Clear of an empty list", [&] { list.Clear(); }, 0},
      {"update without a change", [&] { list.BeginUpdate(); list.EndUpdate(); }, 0},
      {"unbalanced EndUpdate", [&] { list.EndUpdate(); }, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    changes.count = 0;
    c.action();
    EXPECT_EQ(changes.count, c.expected);
    EXPECT_EQ(list.UpdateCount(), 0);
  }
  list.Add("after");  // the unbalanced EndUpdate left the list reporting at once
  EXPECT_EQ(changes.count, 1);
}

}  // namespace
}  // namespace qv
