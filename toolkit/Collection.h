// Collections: ordered lists of items that have published properties of their own and that
// an object property can hold (a translator walks their string properties item by item).
// Portable code (no windows.h).
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "toolkit/Component.h"

namespace qv {

class TCollection;

class TCollectionItem : public TPersistent {
  QV_CLASS(TCollectionItem, TPersistent)

 public:
  TCollectionItem() = default;

  TCollection* Collection() const { return collection_; }
  int Index() const;  // position in its collection, -1 outside one

 private:
  friend class TCollection;
  TCollection* collection_ = nullptr;
};

class TCollection : public TPersistent {
  QV_CLASS(TCollection, TPersistent)

 public:
  // newItem makes an empty item of the collection's item class.
  using ItemFactory = std::function<std::unique_ptr<TCollectionItem>()>;
  explicit TCollection(ItemFactory newItem);

  int Count() const { return static_cast<int>(items_.size()); }
  TCollectionItem* Items(int index) const;  // std::out_of_range outside 0..Count-1
  TCollectionItem* Add();
  TCollectionItem* Insert(int index);  // 0 <= index <= Count
  void Delete(int index);
  void Clear();

  // Replaces the items with new ones, each assigned from the source's item at its index
  // (so the item class must know how to Assign itself).
  void Assign(const TPersistent* source) override;

 private:
  ItemFactory newItem_;
  std::vector<std::unique_ptr<TCollectionItem>> items_;
};

// A collection of one item class, with typed access.
template <typename Item>
class TCollectionOf : public TCollection {
 public:
  TCollectionOf() : TCollection([] { return std::make_unique<Item>(); }) {}

  Item* Items(int index) const { return static_cast<Item*>(TCollection::Items(index)); }
  Item* Add() { return static_cast<Item*>(TCollection::Add()); }
  Item* Insert(int index) { return static_cast<Item*>(TCollection::Insert(index)); }
};

}  // namespace qv
