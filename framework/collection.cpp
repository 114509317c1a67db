#include "framework/collection.h"

#include <algorithm>

TCollectionItem::~TCollectionItem() {
  if (collection_) collection_->RemoveItem(this);
}

void TCollectionItem::SetCollection(TCollection* value) {
  if (collection_ == value) return;
  if (collection_) collection_->RemoveItem(this);
  if (value) value->InsertItem(this, value->Count());
}

int TCollectionItem::Index() const {
  if (!collection_) return -1;
  auto& items = collection_->items_;
  return static_cast<int>(std::find(items.begin(), items.end(), this) - items.begin());
}

void TCollectionItem::SetIndex(int value) {
  int current = Index();
  if (current < 0 || current == value) return;
  collection_->CheckIndex(value, collection_->Count() - 1);
  auto& items = collection_->items_;
  items.erase(items.begin() + current);
  items.insert(items.begin() + value, this);
}

TPersistent* TCollectionItem::GetOwner() const { return collection_; }

String TCollectionItem::GetNamePath() const {
  if (!collection_) return ClassName();
  return collection_->GetNamePath() + L"[" + std::to_wstring(Index()) + L"]";
}

TCollection::TCollection(const TClass* itemClass, TPersistent* owner) : itemClass_(itemClass), owner_(owner) {
  if (!itemClass_ || !itemClass_->InheritsFrom(TCollectionItem::StaticClass()) || itemClass_->IsAbstract())
    throw EInvalidOperation(L"A collection needs a concrete item class");
}

TCollection::~TCollection() { Clear(); }

TCollectionItem* TCollection::Items(int index) const {
  CheckIndex(index, Count() - 1);
  return items_[static_cast<size_t>(index)];
}

TCollectionItem* TCollection::Add() { return Insert(Count()); }

TCollectionItem* TCollection::Insert(int index) {
  CheckIndex(index, Count());
  std::unique_ptr<TObject> created(itemClass_->Create());
  auto* item = ObjectAs<TCollectionItem>(created.get());
  if (!item) throw EInvalidOperation(L"A collection needs a concrete item class");
  created.release();
  InsertItem(item, index);
  return item;
}

void TCollection::Delete(int index) { delete Items(index); }

void TCollection::Clear() {
  while (!items_.empty()) delete items_.back();
}

TCollectionItem* TCollection::FindItemID(int id) const {
  for (TCollectionItem* item : items_)
    if (item->id_ == id) return item;
  return nullptr;
}

void TCollection::Assign(const TPersistent* source) {
  auto* other = ObjectAs<TCollection>(const_cast<TPersistent*>(source));
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  if (other == this) return;
  Clear();
  for (TCollectionItem* item : other->items_) Add()->Assign(item);
}

String TCollection::GetNamePath() const {
  if (!owner_) return ClassName();
  String ownerPath = owner_->GetNamePath();
  return ownerPath.empty() ? ClassName() : ownerPath + L"." + ClassName();
}

void TCollection::InsertItem(TCollectionItem* item, int index) {
  items_.insert(items_.begin() + index, item);
  item->collection_ = this;
  item->id_ = nextId_++;
}

void TCollection::RemoveItem(TCollectionItem* item) {
  items_.erase(std::remove(items_.begin(), items_.end(), item), items_.end());
  item->collection_ = nullptr;
}

void TCollection::CheckIndex(int index, int limit) const {
  if (index < 0 || index > limit)
    throw EListError(Format(L"List index out of bounds (%d)", {std::to_wstring(index)}));
}
