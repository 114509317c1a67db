// Collections: ordered lists of persistent items of one item class, with item IDs and change notifications.
#pragma once

#include <vector>

#include "framework/component.h"

class TCollection;

// One item of a collection. Item classes take `TCollection* collection = nullptr` in their constructor and pass
// it on; created through a collection's ItemClass, an item finds its collection in the base constructor, so a
// derived constructor already sees Collection(). Freeing an item takes it out of its collection.
class TCollectionItem : public TPersistent {
  BC_CLASS(TCollectionItem, TPersistent)
  explicit TCollectionItem(TCollection* collection = nullptr);
  ~TCollectionItem() override;
  TCollectionItem(const TCollectionItem&) = delete;
  TCollectionItem& operator=(const TCollectionItem&) = delete;

  TCollection* Collection() const { return collection_; }
  // Moves the item to another collection (or none); raises EInvalidOperation when the item is not of the
  // collection's item class.
  virtual void SetCollection(TCollection* collection);
  // Unique within the collection for its lifetime, counted from 0 in order of insertion.
  int ID() const { return id_; }
  int Index() const;
  // Moves the item within its collection; the others keep their order.
  virtual void SetIndex(int index);
  // The class name unless a class says better.
  virtual String DisplayName() const { return ClassName(); }
  virtual void SetDisplayName(const String& value);

  TPersistent* GetOwner() const override;
  // "<collection's name path>[<index>]", or the class name outside a collection.
  String GetNamePath() const override;

 protected:
  // Tells the collection that this item (or, with allItems, every item) changed, unless it is updating.
  void Changed(bool allItems);

 private:
  friend class TCollection;
  void MoveTo(TCollection* collection);
  TCollection* collection_ = nullptr;
  int id_ = 0;
};

enum class TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

class TCollection : public TPersistent {
  BC_CLASS(TCollection, TPersistent)
  // itemClass must be a concrete class derived from TCollectionItem, else EInvalidOperation; owner is the object
  // holding the collection.
  explicit TCollection(const TClass* itemClass, TPersistent* owner = nullptr);
  ~TCollection() override;
  TCollection(const TCollection&) = delete;
  TCollection& operator=(const TCollection&) = delete;

  const TClass* ItemClass() const { return itemClass_; }
  int Count() const { return static_cast<int>(items_.size()); }
  // Index errors raise EListError "List index out of bounds (%d)".
  TCollectionItem* Items(int index) const;
  // Assigns value to the item at index.
  void SetItems(int index, const TCollectionItem* value);
  TCollectionItem* Add();
  TCollectionItem* Insert(int index);
  // Frees the item at index.
  void Delete(int index);
  void Clear();
  // Null when no item has that ID.
  TCollectionItem* FindItemID(int id) const;

  // Nested update brackets: Update runs once, for all items, when the outermost bracket closes.
  virtual void BeginUpdate();
  virtual void EndUpdate();
  int UpdateCount() const { return updateCount_; }

  // From another collection: the same number of items, each assigned from its counterpart.
  void Assign(const TPersistent* source) override;
  TPersistent* GetOwner() const override { return owner_; }
  // "<owner's name path>.<published property that holds this collection>", or the class name.
  String GetNamePath() const override;

 protected:
  // An item (null: all items) changed; called outside update brackets only.
  virtual void Update(TCollectionItem* item) { (void)item; }
  virtual void Notify(TCollectionItem* item, TCollectionNotification action) { (void)item, (void)action; }
  void Changed();
  // The name of the owner's published property that holds this collection, empty when there is none.
  String PropName() const;

 private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* item);
  void RemoveItem(TCollectionItem* item);

  const TClass* itemClass_;
  TPersistent* owner_;
  std::vector<TCollectionItem*> items_;
  int nextID_ = 0;
  int updateCount_ = 0;
};

// A collection that must know the object holding it.
class TOwnedCollection : public TCollection {
  BC_CLASS(TOwnedCollection, TCollection)
  TOwnedCollection(TPersistent* owner, const TClass* itemClass) : TCollection(itemClass, owner) {}
};
