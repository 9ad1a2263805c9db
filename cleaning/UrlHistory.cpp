#include "cleaning/UrlHistory.h"

#include <cstdio>
#include <stdexcept>

namespace qv {

namespace {

const CLSID kUrlHistoryClass = {0x3C374A40, 0xBAE4, 0x11CF, {0xBF, 0x7D, 0x00, 0xAA, 0x00, 0x69, 0x46, 0xEE}};
const IID kUrlHistoryStg2 = {0xAFA0DC11, 0xC313, 0x11D0, {0x83, 0x1A, 0x00, 0xC0, 0x4F, 0xD5, 0xAE, 0x38}};

std::string HResultText(HRESULT result) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(result));
  return text;
}

}  // namespace

QV_PUBLISHED(TUrlHistory) {
  using P = Publish<TUrlHistory>;
  return {
      P::Enum("SortField", "TSortFieldOption", &TUrlHistory::SortField, &TUrlHistory::SortField),
      P::Enum("SearchField", "TSearchFieldOption", &TUrlHistory::SearchField, &TUrlHistory::SearchField),
      P::Enum("SortDirection", "TSortDirectionOption", &TUrlHistory::SortDirection, &TUrlHistory::SortDirection),
      P::String("Search", "string", &TUrlHistory::Search, &TUrlHistory::Search),
      P::Event("OnAccept", "TOnAcceptEvent"),
      P::Event("OnDelete", "TOnDeleteEvent"),
  };
}

TUrlHistory::TUrlHistory(ComponentOwner owner) : TComponent(owner) {}

TUrlHistory::~TUrlHistory() {
  ClearEntries();
  entries_.reset();
  // The interfaces go before the apartment this component joined.
  enumerator_.Reset();
  historyStore_.Reset();
  if (comInitialised_) CoUninitialize();
}

void TUrlHistory::Loaded() {
  inherited::Loaded();
  entries_ = std::make_unique<std::vector<std::unique_ptr<TEntry>>>();
  // The user-interface thread joins a single-threaded apartment unless it already is in one;
  // each successful join is balanced in the destructor.
  const HRESULT joined = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  comInitialised_ = SUCCEEDED(joined);
  const HRESULT created =
      CoCreateInstance(kUrlHistoryClass, nullptr, CLSCTX_INPROC_SERVER, kUrlHistoryStg2, historyStore_.Receive());
  if (FAILED(created) || !historyStore_)
    throw std::runtime_error("The URL history store cannot be created (" + HResultText(created) + ")");
}

HRESULT TUrlHistory::ClearHistory() {
  if (!historyStore_) return E_UNEXPECTED;
  return historyStore_.Get()->ClearHistory();
}

void TUrlHistory::ClearEntries() {
  if (entries_) entries_->clear();
}

}  // namespace qv
