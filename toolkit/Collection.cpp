// Collections and their items.
#include "toolkit/Collection.h"

#include <stdexcept>
#include <string>

namespace qv {

QV_PUBLISHED(TCollectionItem) { return {}; }

int TCollectionItem::Index() const {
  if (!collection_) return -1;
  for (int i = 0; i < collection_->Count(); ++i) {
    if (collection_->Items(i) == this) return i;
  }
  return -1;
}

QV_PUBLISHED(TCollection) { return {}; }

TCollection::TCollection(ItemFactory newItem) : newItem_(std::move(newItem)) {}

TCollectionItem* TCollection::Items(int index) const {
  if (index < 0 || index >= Count()) {
    throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
  }
  return items_[static_cast<size_t>(index)].get();
}

TCollectionItem* TCollection::Add() { return Insert(Count()); }

TCollectionItem* TCollection::Insert(int index) {
  if (index < 0 || index > Count()) {
    throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
  }
  std::unique_ptr<TCollectionItem> item = newItem_();
  item->collection_ = this;
  TCollectionItem* raw = item.get();
  items_.insert(items_.begin() + index, std::move(item));
  return raw;
}

void TCollection::Delete(int index) {
  Items(index);  // range check
  items_.erase(items_.begin() + index);
}

void TCollection::Clear() { items_.clear(); }

void TCollection::Assign(const TPersistent* source) {
  const auto* other = dynamic_cast<const TCollection*>(source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  if (other == this) return;
  // Built aside first, so a failing item Assign leaves this collection as it was.
  std::vector<std::unique_ptr<TCollectionItem>> copies;
  for (int i = 0; i < other->Count(); ++i) {
    std::unique_ptr<TCollectionItem> item = newItem_();
    item->collection_ = this;
    item->Assign(other->Items(i));
    copies.push_back(std::move(item));
  }
  items_ = std::move(copies);
}

}  // namespace qv
