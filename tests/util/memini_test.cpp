// The INI document: parsing rules, lookups, writes, serialising, hostile input and the file
// binding.
#include "util/MemIniFile.h"

#include <gtest/gtest.h>

#include <random>

#include "support/TestFiles.h"

namespace qv {
namespace {

TEST(MemIniFile, LooksUpEntriesByTheParsingRules) {
  struct Case {
    const char* text;
    const char* section;
    const char* name;
    bool found;
    const char* value;
  } cases[] = {
      {"[s]\r\na=1\r\nb=2\r\n", "s", "b", true, "2"},  // CR LF
      {"[s]\ra=1\rb=2", "s", "b", true, "2"},          // lone CR, no final break
      {"[s]\na=1\nb=2\n", "s", "b", true, "2"},        // lone LF
      {"[s]\n\r\nb=2\n", "s", "b", true, "2"},         // LF then CR LF: one empty line between
      {"  [ s ]  \n\t a \t=  x y \t\n", "s", "a", true, "x y"},  // trimmed everywhere
      {"[s]\na=b=c\n", "s", "a", true, "b=c"},          // the first "=" splits
      {"[s]\na=\n", "s", "a", true, ""},                // an empty value counts as found
      {"[s]\n=v\n", "s", "", true, "v"},                // so does an empty name
      {"[S]\nKey=1\n", "s", "KEY", true, "1"},          // names ignore case
      {"[s]\n;a=1\n", "s", "a", false, ""},             // comment
      {"[s]\n  ;a=1\n", "s", "a", false, ""},           // comment after trimming
      {"[s]\nb=1 ;not a comment\n", "s", "b", true, "1 ;not a comment"},
      {"a=1\n[s]\n", "s", "a", false, ""},              // lines before the first section
      {"[s]\na=1\na=2\n", "s", "a", true, "1"},         // the first entry wins
      {"[s]\na=1\n[S]\na=2\nb=3\n", "s", "a", true, "1"},  // the first section wins ...
      {"[s]\na=1\n[S]\na=2\nb=3\n", "s", "b", false, ""},  // ... repeats are never reached
      {"[s]\nabc\n", "s", "abc", false, ""},            // a line without "=" never matches
      {"[s]\na=\"q\" \\n %x%\n", "s", "a", true, "\"q\" \\n %x%"},  // values are literal
      {"[s]\n[t\na=1\n", "s", "a", true, "1"},          // "[t" opens nothing
      {"[s]\n[t\na=1\n", "s", "[t", false, ""},
      {"[]\na=1\n", "", "a", true, "1"},                // a section with an empty name
      {"[s]\n[\n]\n", "s", "a", false, ""},
      {"\xEF\xBB\xBF[s]\na=1\n", "s", "a", false, ""},  // no byte-order mark is recognised
      {"[s]\na=1", "t", "a", false, ""},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(testing::Message() << "row " << i << ": " << c.text);
    TMemIniFile ini;
    ini.SetText(c.text);
    std::string value = "<poison>";
    EXPECT_EQ(ini.FindValue(c.section, c.name, value), c.found);
    if (c.found) {
      EXPECT_EQ(value, c.value);
    }
    EXPECT_EQ(ini.ReadString(c.section, c.name, "<default>"), c.found ? c.value : "<default>");
  }
}

TEST(MemIniFile, CountsLinesDroppedBeforeTheFirstSection) {
  struct Case {
    const char* text;
    size_t dropped;
  } cases[] = {
      {"", 0}, {" ", 0}, {"; comment\r\n\r\n", 0}, {"[s]\na=1\n", 0},
      {"a=1\nloose\n;c\n[s]\nb=2\n", 2}, {"text without sections", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    TMemIniFile ini;
    ini.SetText("x\n[t]\n");
    ini.SetText(c.text);  // a new parse starts counting afresh
    EXPECT_EQ(ini.DroppedLines(), c.dropped);
  }
}

TEST(MemIniFile, KeepsBytesThatAreNotBlanksInsideNamesAndValues) {
  TMemIniFile ini;
  ini.SetText(std::string("[s]\na\0b=c\0d\x01\n", 13));
  EXPECT_EQ(ini.ReadString(std::string("a\0b", 3), "x", "none"), "none");
  EXPECT_EQ(ini.ReadString("s", std::string("a\0b", 3), ""), std::string("c\0d", 3));
}

TEST(MemIniFile, SavesSectionsLinesAndOneEmptyLineWithCrLf) {
  TMemIniFile ini;
  ini.SetText("dropped=1\n; comment\n[One]\n  a = 1 \nheld line\n\n[Two]\n[one]\nb=2");
  EXPECT_EQ(ini.Text(), "[One]\r\na=1\r\nheld line\r\n\r\n[Two]\r\n\r\n[one]\r\nb=2\r\n\r\n");
  TMemIniFile empty;
  EXPECT_EQ(empty.Text(), "");
}

TEST(MemIniFile, WriteReplacesTheFirstEntryOrAppendsAtTheEndOfItsSection) {
  TMemIniFile ini;
  ini.SetText("[s]\na=1\nA=2\nb\n[t]\nx=1\n[S]\nc=3\n");

  ini.WriteString("S", "a", "new");   // the first "a", in the first "s"
  ini.WriteString("s", "b", "bee");   // the held line "b" does not match: appended
  ini.WriteString("s", "c", "sea");   // "c" of the repeated section is not reached
  ini.WriteString("u", "k", "v");     // missing section at the end of the document
  ini.WriteInteger("t", "n", -42);
  ini.WriteBool("t", "yes", true);
  ini.WriteBool("t", "no", false);

  EXPECT_EQ(ini.Text(),
            "[s]\r\na=new\r\nA=2\r\nb\r\nb=bee\r\nc=sea\r\n\r\n"
            "[t]\r\nx=1\r\nn=-42\r\nyes=1\r\nno=0\r\n\r\n"
            "[S]\r\nc=3\r\n\r\n"
            "[u]\r\nk=v\r\n\r\n");
}

TEST(MemIniFile, WrittenLineBreaksCannotAddLinesToTheSavedText) {
  TMemIniFile ini;
  ini.WriteString("s", "a", "x\r\n[ShowAgain]\r\n1=0");
  ini.WriteString("s\n[t]", "k\nz", "v");
  TMemIniFile reloaded;
  reloaded.SetText(ini.Text());
  EXPECT_EQ(reloaded.ReadSections(), (std::vector<std::string>{"s", "s [t]"}));
  EXPECT_EQ(reloaded.ReadString("s", "a", ""), "x  [ShowAgain]  1=0");
  EXPECT_FALSE(reloaded.SectionExists("ShowAgain"));
}

TEST(MemIniFile, ReadsIntegersAndBooleansWithTheirFallbacks) {
  TMemIniFile ini;
  ini.SetText("[s]\nn=0x1F\nneg=-3\nbad=12abc\nempty=\nt=true\none=1\nzero=0\n");
  EXPECT_EQ(ini.ReadInteger("s", "n", 9), 31);
  EXPECT_EQ(ini.ReadInteger("s", "neg", 9), -3);
  EXPECT_EQ(ini.ReadInteger("s", "bad", 9), 9);
  EXPECT_EQ(ini.ReadInteger("s", "empty", 9), 9);
  EXPECT_EQ(ini.ReadInteger("s", "missing", 9), 9);
  EXPECT_TRUE(ini.ReadBool("s", "t", true));   // unparseable reads as the fallback
  EXPECT_FALSE(ini.ReadBool("s", "t", false));
  EXPECT_TRUE(ini.ReadBool("s", "one", false));
  EXPECT_FALSE(ini.ReadBool("s", "zero", true));
  EXPECT_TRUE(ini.ReadBool("s", "missing", true));
}

TEST(MemIniFile, ListsSectionsNamesAndLines) {
  TMemIniFile ini;
  ini.SetText("[a]\nx=1\n  y = 2 \nloose\n[b]\n[A]\nz=3\n");
  EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"a", "b", "A"}));
  EXPECT_EQ(ini.ReadSection("A"), (std::vector<std::string>{"x", "y"}));
  EXPECT_EQ(ini.ReadSectionValues("a"), (std::vector<std::string>{"x=1", "y=2", "loose"}));
  EXPECT_TRUE(ini.ReadSectionValues("b").empty());
  EXPECT_TRUE(ini.ReadSectionValues("missing").empty());
  EXPECT_TRUE(ini.SectionExists("B"));
  EXPECT_FALSE(ini.SectionExists("c"));
}

TEST(MemIniFile, SurvivesHostileInput) {
  std::mt19937 random(12345);
  std::string binary(4 << 20, '\0');
  for (char& c : binary) c = static_cast<char>(random());
  std::string longLine = "[s]\nk=" + std::string(4 << 20, 'v') + "\n";
  std::string manySections;
  for (int i = 0; i < 200000; ++i) manySections += "[s]\r\n=\r\n";
  std::string onlyBreaks(4 << 20, '\n');

  for (const std::string* text : {&binary, &longLine, &manySections, &onlyBreaks}) {
    TMemIniFile ini;
    ini.SetText(*text);
    TMemIniFile reloaded;
    reloaded.SetText(ini.Text());  // what it saves parses back to the same document
    EXPECT_EQ(reloaded.Text(), ini.Text());
  }
  TMemIniFile ini;
  ini.SetText(longLine);
  EXPECT_EQ(ini.ReadString("s", "k", "").size(), size_t(4 << 20));
}

TEST(MemIniFile, FileBindingLoadsAndReplacesTheFileWhole) {
  test::ScratchFolder scratch;
  const std::string path = scratch / "doc.ini";

  TMemIniFile missing(path);
  EXPECT_EQ(missing.FileName(), path);
  EXPECT_EQ(missing.Text(), "");
  missing.WriteString("s", "a", "1");
  ASSERT_TRUE(missing.UpdateFile());  // created on the first save
  EXPECT_EQ(test::ReadWholeFile(path), "[s]\r\na=1\r\n\r\n");

  test::PlantFile(path, "[s]\nb=2\n");
  TMemIniFile loaded;
  EXPECT_TRUE(loaded.LoadFromFile(path));
  EXPECT_EQ(loaded.ReadString("s", "b", ""), "2");
  EXPECT_FALSE(loaded.ValueExists("s", "a"));

  TMemIniFile unbound;
  unbound.WriteString("s", "a", "1");
  EXPECT_FALSE(unbound.UpdateFile());
}

}  // namespace
}  // namespace qv
