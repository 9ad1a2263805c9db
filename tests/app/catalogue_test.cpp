// The main window's catalogue without a window: the fixed order of "Clear Now" against
// recorded routines, the gauge arithmetic, the outcome of a pass, and the icon numbering.
#include <gtest/gtest.h>

#include <set>

#include "app/CleanCatalogue.h"
#include "app/IconFiles.h"

namespace qv {
namespace {

struct Recorder {
  std::vector<std::string> calls;
  std::set<std::string> failing;  // routines that leave something behind
  std::function<bool()> Routine(const std::string& name) {
    return [this, name] {
      calls.push_back(name);
      return failing.count(name) == 0;
    };
  }
  CleanRoutines Routines() {
    return {Routine("ieHistory"),      Routine("ieTemporaryFiles"), Routine("ieCookies"),
            Routine("iePasswords"),    Routine("firefoxHistory"),   Routine("firefoxCache"),
            Routine("firefoxCookies"), Routine("firefoxPasswords"), Routine("clipboard"),
            Routine("recycleBin"),     Routine("temporaryFolder"),  Routine("recentDocuments"),
            Routine("runHistory")};
  }
};

TEST(CleanCatalogue, ClearNowRunsEveryTickedItemInTheFixedOrder) {
  Recorder recorder;
  const auto catalogue = BuildCleanCatalogue(recorder.Routines());
  ASSERT_EQ(catalogue.size(), 15u);  // fifteen check boxes, two of them hidden

  int steps = 0;
  const auto notCleared = RunClearPass(catalogue, [](const std::string&) { return true; }, [&] { ++steps; });
  EXPECT_TRUE(notCleared.empty());
  EXPECT_EQ(steps, 13);  // the hidden items have no step
  EXPECT_EQ(recorder.calls,
            (std::vector<std::string>{"ieHistory", "ieTemporaryFiles", "ieCookies", "iePasswords", "firefoxHistory",
                                      "firefoxCache", "firefoxCookies", "firefoxPasswords", "clipboard", "recycleBin",
                                      "temporaryFolder", "recentDocuments", "runHistory"}));
  // With every box ticked the gauge's maximum is 1500 while the steps add 1300.
  EXPECT_EQ(ClearGaugeMaximum(15), 1500);
  EXPECT_EQ(ClearGaugeMaximum(0), 0);
}

TEST(CleanCatalogue, UntickedItemsAreSkippedAndPartialItemsReported) {
  Recorder recorder;
  recorder.failing = {"ieTemporaryFiles", "recycleBin"};
  const auto catalogue = BuildCleanCatalogue(recorder.Routines());
  const std::set<std::string> ticked = {"rbIEDeleteTemp", "rbFFDeleteCache", "rbEmptyRecycle", "rbWHClearSearch"};
  const auto notCleared =
      RunClearPass(catalogue, [&](const std::string& box) { return ticked.count(box) > 0; }, [] {});
  EXPECT_EQ(recorder.calls, (std::vector<std::string>{"ieTemporaryFiles", "firefoxCache", "recycleBin"}));
  EXPECT_EQ(notCleared, (std::vector<std::string>{"rbIEDeleteTemp", "rbEmptyRecycle"}));
}

TEST(CleanCatalogue, ABoxIsReadWhenItsTurnComes) {
  Recorder recorder;
  const auto catalogue = BuildCleanCatalogue(recorder.Routines());
  std::set<std::string> ticked = {"rbClearIEBrowserH", "rbClearClipboard"};
  // The user unticks the clipboard while the first step runs.
  RunClearPass(catalogue, [&](const std::string& box) { return ticked.count(box) > 0; },
               [&] { ticked.erase("rbClearClipboard"); });
  EXPECT_EQ(recorder.calls, std::vector<std::string>{"ieHistory"});
}

TEST(CleanCatalogue, OnlyTheFourFirefoxItemsAreGuarded) {
  const auto catalogue = BuildCleanCatalogue(Recorder().Routines());
  std::vector<std::string> guarded;
  for (const auto& item : catalogue)
    if (item.firefox) guarded.push_back(item.checkBox);
  EXPECT_EQ(guarded, (std::vector<std::string>{"rbFFClearBrowseH", "rbFFDeleteCache", "rbFFDeleteCookies",
                                               "rbFFDeletePassword"}));
}

TEST(IconFiles, MissingNumbersLeaveNoGapInTheIndexes) {
  const std::set<std::string> present = {"C:\\app\\res\\icon24_01.png", "C:\\app\\res\\icon24_02.png",
                                         "C:\\app\\res\\icon24_04.png", "C:\\app\\res\\icon24_100.png"};
  const auto files = FindIconFiles("C:\\app\\", [&](const std::string& path) { return present.count(path) > 0; });
  // Files 01, 02 and 04 become icons 0, 1 and 2; "100" has three digits.
  EXPECT_EQ(files, (std::vector<std::string>{"C:\\app\\res\\icon24_01.png", "C:\\app\\res\\icon24_02.png",
                                             "C:\\app\\res\\icon24_04.png", "C:\\app\\res\\icon24_100.png"}));
}

}  // namespace
}  // namespace qv
