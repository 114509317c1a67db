// TCollection: an ordered list of items of one class that the collection owns, and TCollectionItem, the base of
// those items. An owned collection names the object it belongs to, so that name paths and streaming find it.
#pragma once

#include <memory>
#include <vector>

#include "framework/component.h"

class TCollection;

class TCollectionItem : public TPersistent {
  BC_CLASS(TCollectionItem, TPersistent)
  TCollectionItem() = default;
  // Leaves its collection first.
  ~TCollectionItem() override;
  TCollectionItem(const TCollectionItem&) = delete;
  TCollectionItem& operator=(const TCollectionItem&) = delete;

  TCollection* Collection() const { return collection_; }
  // Moves the item to the end of another collection, which takes over its ownership; null releases it to the
  // caller.
  void SetCollection(TCollection* value);
  // The item's position, -1 outside a collection. SetIndex moves it within its collection.
  int Index() const;
  void SetIndex(int value);
  // A number unique within the collection, given when the item is added.
  int ID() const { return id_; }
  virtual String DisplayName() const { return ClassName(); }

  TPersistent* GetOwner() const override;
  String GetNamePath() const override;

 private:
  friend class TCollection;
  TCollection* collection_ = nullptr;
  int id_ = -1;
};

class TCollection : public TPersistent {
  BC_CLASS(TCollection, TPersistent)
  // itemClass must be a concrete class derived from TCollectionItem; owner is the object holding the collection.
  explicit TCollection(const TClass* itemClass, TPersistent* owner = nullptr);
  ~TCollection() override;
  TCollection(const TCollection&) = delete;
  TCollection& operator=(const TCollection&) = delete;

  const TClass* ItemClass() const { return itemClass_; }
  int Count() const { return static_cast<int>(items_.size()); }
  // Raises EListError "List index out of bounds (%d)" for a bad index.
  TCollectionItem* Items(int index) const;
  // A new item of the item class at the end (Add) or at index (Insert).
  TCollectionItem* Add();
  TCollectionItem* Insert(int index);
  // Frees the item at index.
  void Delete(int index);
  // Frees every item.
  void Clear();
  TCollectionItem* FindItemID(int id) const;

  // Replaces the items with copies of another collection's items (each copied with Assign).
  void Assign(const TPersistent* source) override;
  TPersistent* GetOwner() const override { return owner_; }
  String GetNamePath() const override;

 private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* item, int index);
  void RemoveItem(TCollectionItem* item);
  void CheckIndex(int index, int limit) const;

  const TClass* itemClass_;
  TPersistent* owner_;
  std::vector<TCollectionItem*> items_;
  int nextId_ = 0;
};
