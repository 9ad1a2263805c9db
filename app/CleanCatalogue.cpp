#include "app/CleanCatalogue.h"

namespace qv {

std::vector<CleanItem> BuildCleanCatalogue(const CleanRoutines& r) {
  return {
      {"rbClearIEBrowserH", "btnIECBH", false, false, r.ieHistory},
      {"rbIEDeleteTemp", "btnIEDT", false, false, r.ieTemporaryFiles},
      {"rbIEDeleteCookie", "btnIEDC", false, false, r.ieCookies},
      {"rbIEDeletePswd", "btnIEDP", false, false, r.iePasswords},
      {"rbFFClearBrowseH", "btnFFCBH", true, false, r.firefoxHistory},
      {"rbFFDeleteCache", "btnFFDC", true, false, r.firefoxCache},
      {"rbFFDeleteCookies", "btnFFDCookie", true, false, r.firefoxCookies},
      {"rbFFDeletePassword", "btnFFDP", true, false, r.firefoxPasswords},
      {"rbClearClipboard", "btnSysClearClipboard", false, false, r.clipboard},
      {"rbEmptyRecycle", "btnSysER", false, false, r.recycleBin},
      {"rbEmptyWindowsTemp", "btnSysEWT", false, false, r.temporaryFolder},
      {"rbWHClearRecent", "btnWHCRDL", false, false, r.recentDocuments},
      {"rbWHClearWindowRunHistory", "btnWHCR", false, false, r.runHistory},
      {"rbWHClearSearch", "btnWHCS", false, true, {}},
      {"rbWHClearOpenProg", "btnWHCSM", false, true, {}},
  };
}

int ClearGaugeMaximum(int tickedCheckBoxes) { return 100 * tickedCheckBoxes; }

std::vector<std::string> RunClearPass(const std::vector<CleanItem>& catalogue,
                                      const std::function<bool(const std::string& checkBox)>& isTicked,
                                      const std::function<void()>& afterStep) {
  std::vector<std::string> notFullyCleared;
  for (const CleanItem& item : catalogue) {
    if (!item.remove || !isTicked(item.checkBox)) continue;
    if (!item.remove()) notFullyCleared.push_back(item.checkBox);
    afterStep();
  }
  return notFullyCleared;
}

}  // namespace qv
