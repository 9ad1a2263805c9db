// The three cleaning scripts, started by their routines from res\ beside the test program
// (a copy of the shipped ones) and waited for here: each removes exactly its trace, without
// any interaction, and what lies beside the trace stays.
#include <gtest/gtest.h>

#include "support/TraceFixtures.h"
#include "cleaning/uCC.h"
#include "support/TestFiles.h"

namespace qv {
namespace {

using test::PathExists;
using test::PlantFile;
using test::ReadRegistryValue;
using test::RegistrySubkeys;
using test::RegistryValueNames;
using test::SetRegistryBinary;
using test::SetRegistryString;

const std::string kExplorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
const std::string kIE = "Software\\Microsoft\\Internet Explorer";
const std::vector<std::string> kNoNames;

// Runs a routine that starts a script and waits for the script, as nobody else does.
void RunScript(bool (*routine)()) {
  const std::set<DWORD> earlier = test::ChildProcesses();
  ASSERT_TRUE(routine());
  ASSERT_TRUE(test::WaitForChildProcesses(earlier)) << "the script did not end (waiting for input?)";
}

TEST(CleaningScripts, RunHistoryLosesItsValuesOnly) {
  const std::string runMru = kExplorer + "\\RunMRU";
  test::RegistryKeyGuard guard(HKEY_CURRENT_USER, runMru);
  test::RegistryKeyGuard canaryGuard(HKEY_CURRENT_USER, kExplorer + "\\QvCanaryTypedPaths");
  SetRegistryString(HKEY_CURRENT_USER, runMru, "a", "notepad\\1");
  SetRegistryString(HKEY_CURRENT_USER, runMru, "b", "regedit\\1");
  SetRegistryString(HKEY_CURRENT_USER, runMru, "MRUList", "ba");
  SetRegistryString(HKEY_CURRENT_USER, kExplorer + "\\QvCanaryTypedPaths", "url1", "C:\\kept");

  RunScript(&ClearRunHistory);

  EXPECT_TRUE(test::RegistryKeyExists(HKEY_CURRENT_USER, runMru));
  EXPECT_EQ(RegistryValueNames(HKEY_CURRENT_USER, runMru), kNoNames);
  EXPECT_EQ(ReadRegistryValue(HKEY_CURRENT_USER, kExplorer + "\\QvCanaryTypedPaths", "url1"), "C:\\kept");
}

TEST(CleaningScripts, InternetExplorerHistoryGoesWithTypedAddressesAndFormData) {
  test::RegistryKeyGuard typed(HKEY_CURRENT_USER, kIE + "\\TypedURLs");
  test::RegistryKeyGuard typedTime(HKEY_CURRENT_USER, kIE + "\\TypedURLsTime");
  test::RegistryKeyGuard forms(HKEY_CURRENT_USER, kIE + "\\IntelliForms");
  SetRegistryString(HKEY_CURRENT_USER, kIE + "\\TypedURLs", "url1", "http://typed.example/");
  SetRegistryString(HKEY_CURRENT_USER, kIE + "\\TypedURLs", "url2", "http://other.example/");
  SetRegistryBinary(HKEY_CURRENT_USER, kIE + "\\TypedURLsTime", "url1", std::string(8, '\x01'));
  SetRegistryBinary(HKEY_CURRENT_USER, kIE + "\\IntelliForms\\Storage1", "A1B2", "form data");
  // Stored passwords belong to another item.
  SetRegistryBinary(HKEY_CURRENT_USER, kIE + "\\IntelliForms\\Storage2", "C3D4", "password");
  SetRegistryString(HKEY_CURRENT_USER, kIE + "\\Main", "QvCanary", "kept");

  const std::string history = test::UserShellFolder("History");
  ASSERT_FALSE(history.empty());
  PlantFile(history + "\\History.IE5\\index.dat");
  PlantFile(history + "\\History.IE5\\MSHist012009031420090315\\index.dat");
  PlantFile(history + "\\desktop.ini");
  SetFileAttributesA((history + "\\desktop.ini").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  const std::string canary = history + "-QvCanary.txt";  // beside the folder, not in it
  PlantFile(canary, "kept");

  RunScript(&ClearIEHistory);

  EXPECT_EQ(RegistryValueNames(HKEY_CURRENT_USER, kIE + "\\TypedURLs"), kNoNames);
  EXPECT_EQ(RegistryValueNames(HKEY_CURRENT_USER, kIE + "\\TypedURLsTime"), kNoNames);
  EXPECT_EQ(RegistryValueNames(HKEY_CURRENT_USER, kIE + "\\IntelliForms\\Storage1"), kNoNames);
  EXPECT_EQ(RegistryValueNames(HKEY_CURRENT_USER, kIE + "\\IntelliForms\\Storage2"),
            std::vector<std::string>{"C3D4"});
  EXPECT_EQ(ReadRegistryValue(HKEY_CURRENT_USER, kIE + "\\Main", "QvCanary"), "kept");
  EXPECT_TRUE(PathExists(history));
  EXPECT_FALSE(PathExists(history + "\\History.IE5"));
  EXPECT_FALSE(PathExists(history + "\\desktop.ini"));
  EXPECT_EQ(test::ReadWholeFile(canary), "kept");
  DeleteFileA(canary.c_str());
  HKEY main = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, (kIE + "\\Main").c_str(), 0, KEY_SET_VALUE, &main) == ERROR_SUCCESS) {
    RegDeleteValueA(main, "QvCanary");
    RegCloseKey(main);
  }
}

TEST(CleaningScripts, RecentDocumentsLoseShortcutsAndListButKeepJumpLists) {
  const std::string recentDocs = kExplorer + "\\RecentDocs";
  test::RegistryKeyGuard guard(HKEY_CURRENT_USER, recentDocs);
  test::RegistryKeyGuard canaryGuard(HKEY_CURRENT_USER, kExplorer + "\\QvCanaryComDlg");
  SetRegistryBinary(HKEY_CURRENT_USER, recentDocs, "MRUListEx", std::string("\x00\x00\x00\x00\xff\xff\xff\xff", 8));
  SetRegistryBinary(HKEY_CURRENT_USER, recentDocs, "0", "r\0e\0p\0o\0r\0t\0");
  SetRegistryBinary(HKEY_CURRENT_USER, recentDocs + "\\.txt", "0", "r\0e\0p\0o\0r\0t\0");
  SetRegistryBinary(HKEY_CURRENT_USER, recentDocs + "\\Folder", "MRUListEx", "\xff\xff\xff\xff");
  SetRegistryString(HKEY_CURRENT_USER, kExplorer + "\\QvCanaryComDlg", "a", "kept");

  const std::string recent = test::UserShellFolder("Recent");
  ASSERT_FALSE(recent.empty());
  PlantFile(recent + "\\report.txt.lnk");
  PlantFile(recent + "\\Holiday Photos.lnk");
  PlantFile(recent + "\\QvCanary.txt", "kept");
  PlantFile(recent + "\\AutomaticDestinations\\QvCanary.automaticDestinations-ms", "jump list");
  PlantFile(recent + "\\CustomDestinations\\QvCanary.customDestinations-ms", "pinned");

  RunScript(&ClearRecentDocuments);

  EXPECT_TRUE(test::RegistryKeyExists(HKEY_CURRENT_USER, recentDocs));
  EXPECT_EQ(RegistryValueNames(HKEY_CURRENT_USER, recentDocs), kNoNames);
  EXPECT_EQ(RegistrySubkeys(HKEY_CURRENT_USER, recentDocs), kNoNames);
  EXPECT_EQ(ReadRegistryValue(HKEY_CURRENT_USER, kExplorer + "\\QvCanaryComDlg", "a"), "kept");
  EXPECT_FALSE(PathExists(recent + "\\report.txt.lnk"));
  EXPECT_FALSE(PathExists(recent + "\\Holiday Photos.lnk"));
  EXPECT_EQ(test::ReadWholeFile(recent + "\\QvCanary.txt"), "kept");
  EXPECT_EQ(test::ReadWholeFile(recent + "\\AutomaticDestinations\\QvCanary.automaticDestinations-ms"), "jump list");
  EXPECT_EQ(test::ReadWholeFile(recent + "\\CustomDestinations\\QvCanary.customDestinations-ms"), "pinned");
  test::RemoveTree(recent + "\\QvCanary.txt");
  test::RemoveTree(recent + "\\AutomaticDestinations\\QvCanary.automaticDestinations-ms");
  test::RemoveTree(recent + "\\CustomDestinations\\QvCanary.customDestinations-ms");
}

}  // namespace
}  // namespace qv
