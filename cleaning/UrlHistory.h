// The Internet Explorer URL history component: the system's URL history store (the visited
// addresses Internet Explorer lists in its history pane), created once the owner form has
// been loaded, and emptied as a whole on request.
#pragma once

#include <windows.h>
#include <urlhist.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/Component.h"
#include "util/DateTime.h"

namespace qv {

enum class TSortFieldOption { sfTitle, sfURL, sfLastVisited, sfLastUpdated, sfExpires };
enum class TSearchFieldOption { seBoth, seTitle, seURL };
enum class TSortDirectionOption { sdAscending, sdDescending };

using TOnAcceptEvent = std::function<void(const std::string& Title, const std::string& Url, TDateTime LastVisited,
                                          TDateTime LastUpdated, TDateTime Expires, bool& Accept)>;
using TOnDeleteEvent = std::function<void(const std::string& Title, const std::string& Url, TDateTime LastVisited,
                                          TDateTime LastUpdated, TDateTime Expires, bool& Delete)>;

struct TEntry {
  std::string Title;
  std::string Url;
  TDateTime LastVisited = 0;
  TDateTime LastUpdated = 0;
  TDateTime Expires = 0;
};

// Holds one COM interface and releases it exactly once.
template <typename T>
class ComRef {
 public:
  ComRef() = default;
  ~ComRef() { Reset(); }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  T* Get() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }
  void** Receive() {
    Reset();
    return reinterpret_cast<void**>(&pointer_);
  }
  void Reset() {
    if (pointer_ != nullptr) pointer_->Release();
    pointer_ = nullptr;
  }

 private:
  T* pointer_ = nullptr;
};

class TUrlHistory : public TComponent {
  QV_CLASS(TUrlHistory, TComponent)

 public:
  explicit TUrlHistory(ComponentOwner owner);
  ~TUrlHistory() override;

  TSortFieldOption SortField = TSortFieldOption::sfTitle;
  TSearchFieldOption SearchField = TSearchFieldOption::seBoth;
  TSortDirectionOption SortDirection = TSortDirectionOption::sdAscending;
  std::string Search;
  TOnAcceptEvent OnAccept;
  TOnDeleteEvent OnDelete;

  // The result of the store's ClearHistory (Wine's store answers E_NOTIMPL); E_UNEXPECTED
  // before the component has been loaded, when there is no store yet.
  HRESULT ClearHistory();
  // Releases every record of Entries.
  void ClearEntries();

  IUrlHistoryStg2* HistoryStore() const { return historyStore_.Get(); }
  // Null until the component has been loaded.
  const std::vector<std::unique_ptr<TEntry>>* Entries() const { return entries_.get(); }

 protected:
  // Creates the list and the system's URL history object; throws when the object cannot be
  // created or does not offer IUrlHistoryStg2, so that the owner form is not created either.
  void Loaded() override;

 private:
  std::unique_ptr<std::vector<std::unique_ptr<TEntry>>> entries_;
  ComRef<IUrlHistoryStg2> historyStore_;
  ComRef<IEnumSTATURL> enumerator_;
  bool comInitialised_ = false;
};

}  // namespace qv
