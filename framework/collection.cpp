#include "framework/collection.h"

#include <algorithm>
#include <iterator>
#include <memory>

#include "framework/exception_hook.h"
#include "framework/exceptions.h"
#include "framework/properties.h"
#include "framework/sys_utils.h"

namespace {

// The collection that an item created from a class reference belongs to, handed to the item's base constructor.
thread_local TCollection* pendingCollection = nullptr;

class PendingCollection {
 public:
  explicit PendingCollection(TCollection* collection) : previous_(pendingCollection) { pendingCollection = collection; }
  ~PendingCollection() { pendingCollection = previous_; }
  PendingCollection(const PendingCollection&) = delete;
  PendingCollection& operator=(const PendingCollection&) = delete;

 private:
  TCollection* previous_;
};

TCollection* TakePendingCollection() {
  TCollection* collection = pendingCollection;
  pendingCollection = nullptr;
  return collection;
}

[[noreturn]] void IndexError(int index) {
  throw EListError(Format(L"List index out of bounds (%d)", {IntToStr(index)}));
}

}  // namespace

// TCollectionItem

TCollectionItem::TCollectionItem(TCollection* collection) {
  // The class cannot be checked here: while the base is built, the item is only a TCollectionItem.
  TCollection* pending = TakePendingCollection();
  MoveTo(collection ? collection : pending);
}

TCollectionItem::~TCollectionItem() {
  // Leaving tells the owner, whose handlers may raise; nothing may leave a destructor, so an item freed directly
  // reports what they raised as the application's loop does. Delete and Clear take items out first, and their
  // callers see the exception itself.
  ReportFailures([this] { MoveTo(nullptr); });
}

void TCollectionItem::SetCollection(TCollection* collection) {
  if (collection && !InheritsFrom(collection->ItemClass()))
    throw EInvalidOperation(
        Format(L"A %s cannot join a collection of %s", {ClassName(), collection->ItemClass()->ClassName()}));
  MoveTo(collection);
}

void TCollectionItem::MoveTo(TCollection* collection) {
  if (collection_ == collection) return;
  if (collection_) collection_->RemoveItem(this);
  if (collection) collection->InsertItem(this);
}

int TCollectionItem::Index() const {
  if (!collection_) return -1;
  const auto& items = collection_->items_;
  return static_cast<int>(std::find(items.begin(), items.end(), this) - items.begin());
}

void TCollectionItem::SetIndex(int index) {
  int current = Index();
  if (current < 0 || current == index) return;
  auto& items = collection_->items_;
  if (index < 0 || index >= static_cast<int>(items.size())) IndexError(index);
  items.erase(items.begin() + current);
  items.insert(items.begin() + index, this);
  Changed(true);
}

void TCollectionItem::SetDisplayName(const String& value) {
  (void)value;
  Changed(false);
}

TPersistent* TCollectionItem::GetOwner() const { return collection_; }

String TCollectionItem::GetNamePath() const {
  if (!collection_) return ClassName();
  return collection_->GetNamePath() + L"[" + IntToStr(Index()) + L"]";
}

void TCollectionItem::Changed(bool allItems) {
  if (collection_ && collection_->updateCount_ == 0) collection_->Update(allItems ? nullptr : this);
}

// TCollection

TCollection::TCollection(const TClass* itemClass, TPersistent* owner) : itemClass_(itemClass), owner_(owner) {
  if (!itemClass_ || !itemClass_->InheritsFrom(TCollectionItem::StaticClass()) || itemClass_->IsAbstract())
    throw EInvalidOperation(L"A collection needs a concrete item class");
}

TCollection::~TCollection() {
  // The derived parts are gone: no Update may run while the items go.
  updateCount_ = 1;
  Clear();
}

TCollectionItem* TCollection::Items(int index) const {
  if (index < 0 || index >= Count()) IndexError(index);
  return items_[static_cast<size_t>(index)];
}

void TCollection::SetItems(int index, const TCollectionItem* value) { Items(index)->Assign(value); }

TCollectionItem* TCollection::Add() {
  TObject* created = nullptr;
  {
    PendingCollection pending(this);
    created = itemClass_->Create(nullptr);
  }
  auto* item = static_cast<TCollectionItem*>(created);
  // An item class that does not pass its collection on still ends up in this one.
  item->SetCollection(this);
  return item;
}

TCollectionItem* TCollection::Insert(int index) {
  if (index < 0 || index > Count()) IndexError(index);
  TCollectionItem* item = Add();
  item->SetIndex(index);
  return item;
}

void TCollection::Delete(int index) {
  std::unique_ptr<TCollectionItem> item(Items(index));
  Notify(item.get(), TCollectionNotification::cnDeleting);
  item->MoveTo(nullptr);
}

void TCollection::Clear() {
  if (items_.empty()) return;
  BeginUpdate();
  while (!items_.empty()) {
    std::unique_ptr<TCollectionItem> item(items_.back());
    item->MoveTo(nullptr);
  }
  EndUpdate();
}

TCollectionItem* TCollection::FindItemID(int id) const {
  for (TCollectionItem* item : items_)
    if (item->id_ == id) return item;
  return nullptr;
}

void TCollection::BeginUpdate() { ++updateCount_; }

void TCollection::EndUpdate() {
  if (updateCount_ > 0) --updateCount_;
  Changed();
}

void TCollection::Assign(const TPersistent* source) {
  if (const auto* other = ObjectAs<const TCollection>(source)) {
    if (other == this) return;
    BeginUpdate();
    try {
      Clear();
      for (TCollectionItem* item : other->items_) Add()->Assign(item);
    } catch (...) {
      EndUpdate();
      throw;
    }
    EndUpdate();
    return;
  }
  TPersistent::Assign(source);
}

String TCollection::GetNamePath() const {
  TPersistent* owner = GetOwner();
  if (!owner) return ClassName();
  String ownerPath = owner->GetNamePath();
  String property = PropName();
  if (ownerPath.empty() || property.empty()) return ClassName();
  return ownerPath + L"." + property;
}

void TCollection::Changed() {
  if (updateCount_ == 0) Update(nullptr);
}

String TCollection::PropName() const {
  TPersistent* owner = GetOwner();
  if (!owner) return String();
  for (const TPropertyInfo* property : owner->PublishedTable().Properties()) {
    if (property->Kind() != TPropertyKind::pkPersistent) continue;
    if (static_cast<const TPersistentPropertyInfo*>(property)->GetObject(owner) == this) return property->Name();
  }
  return String();
}

void TCollection::InsertItem(TCollectionItem* item) {
  items_.push_back(item);
  item->collection_ = this;
  item->id_ = nextID_++;
  Notify(item, TCollectionNotification::cnAdded);
  Changed();
}

void TCollection::RemoveItem(TCollectionItem* item) {
  Notify(item, TCollectionNotification::cnExtracting);
  // From the end: clearing frees the last item first, so each removal stays one step.
  items_.erase(std::next(std::find(items_.rbegin(), items_.rend(), item)).base());
  item->collection_ = nullptr;
  Changed();
}
