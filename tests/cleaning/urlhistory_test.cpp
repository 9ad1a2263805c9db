// The URL history component over the system's URL history object: created when its owner
// has been loaded, emptied on request.
#include "cleaning/UrlHistory.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

TEST(UrlHistory, PublishesTheMainWindowsSettingsAsDefaults) {
  auto history = TComponent::MakeUnowned<TUrlHistory>();
  EXPECT_EQ(history->ClassName(), "TUrlHistory");
  EXPECT_EQ(GetOrdProp(*history, "SortField"), int64_t(TSortFieldOption::sfTitle));
  EXPECT_EQ(GetOrdProp(*history, "SearchField"), int64_t(TSearchFieldOption::seBoth));
  EXPECT_EQ(GetOrdProp(*history, "SortDirection"), int64_t(TSortDirectionOption::sdAscending));
  EXPECT_EQ(GetStrProp(*history, "Search"), "");
  EXPECT_EQ(FindProperty(*history, "OnAccept")->typeName, "TOnAcceptEvent");
  EXPECT_EQ(FindProperty(*history, "OnDelete")->typeName, "TOnDeleteEvent");
}

TEST(UrlHistory, HasNoStoreUntilItsOwnerHasBeenLoaded) {
  auto history = TComponent::MakeUnowned<TUrlHistory>();
  EXPECT_EQ(history->HistoryStore(), nullptr);
  EXPECT_EQ(history->Entries(), nullptr);
  EXPECT_EQ(history->ClearHistory(), E_UNEXPECTED);
  history->ClearEntries();
}

TEST(UrlHistory, CreatesTheStoreWhenLoadedAndPassesTheClearResultBack) {
  auto form = TComponent::MakeUnowned<TComponent>();
  TUrlHistory* history = nullptr;
  form->ReadDescription([&] {
    history = form->Make<TUrlHistory>();
    history->SetName("UrlHistory1");
    SetOrdProp(*history, "SortField", int64_t(TSortFieldOption::sfTitle));
    EXPECT_EQ(history->HistoryStore(), nullptr);  // not before the description has been read
  });
  ASSERT_NE(history->HistoryStore(), nullptr);
  ASSERT_NE(history->Entries(), nullptr);
  EXPECT_TRUE(history->Entries()->empty());

  // The system's store empties itself; Wine's answers that it cannot.
  const HRESULT cleared = history->ClearHistory();
  EXPECT_TRUE(cleared == S_OK || cleared == E_NOTIMPL) << std::hex << cleared;
  EXPECT_EQ(history->ClearHistory(), cleared) << "clearing an empty history again";
}

}  // namespace
}  // namespace qv
