// The clean-item catalogue of the main window: which check box and button each item has,
// which routine removes its trace, and the "Clear Now" pass that runs the ticked items in
// their fixed order. Kept apart from the window so the order, the gauge arithmetic and the
// outcome can be checked against recorded routines without a window.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace qv {

// The removal routines behind the items, one per item. Each answers whether its trace is
// now fully gone. The window binds the real routines (and its cache and history components);
// tests bind recorders.
struct CleanRoutines {
  std::function<bool()> ieHistory;     // history script, URL history, URL entries of the cache
  std::function<bool()> ieTemporaryFiles;
  std::function<bool()> ieCookies;
  std::function<bool()> iePasswords;   // the cache purge and the stored form passwords
  std::function<bool()> firefoxHistory;
  std::function<bool()> firefoxCache;
  std::function<bool()> firefoxCookies;
  std::function<bool()> firefoxPasswords;
  std::function<bool()> clipboard;
  std::function<bool()> recycleBin;
  std::function<bool()> temporaryFolder;
  std::function<bool()> recentDocuments;
  std::function<bool()> runHistory;
};

struct CleanItem {
  std::string checkBox;  // component name of the item's check box
  std::string button;    // component name of its own button
  bool firefox;          // a Firefox item: guarded by the Firefox checks
  bool hidden;           // never shown and without a removal of its own
  std::function<bool()> remove;  // empty for the hidden items
};

// Every item the window owns, in the fixed order of "Clear Now" (the two hidden items last:
// they are ticked and counted by the gauge but remove nothing).
std::vector<CleanItem> BuildCleanCatalogue(const CleanRoutines& routines);

// The gauge's maximum for a number of ticked check boxes: 100 for each.
int ClearGaugeMaximum(int tickedCheckBoxes);

// Runs the removal of every item whose check box is ticked at the moment its turn comes, in
// catalogue order, calling afterStep after each (the window advances its gauge and lets
// pending messages run there). Returns the check boxes of the items not fully cleared.
std::vector<std::string> RunClearPass(const std::vector<CleanItem>& catalogue,
                                      const std::function<bool(const std::string& checkBox)>& isTicked,
                                      const std::function<void()>& afterStep);

}  // namespace qv
