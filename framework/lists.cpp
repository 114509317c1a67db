#include "framework/lists.h"

#include <algorithm>
#include <new>

#include "framework/exceptions.h"
#include "framework/sys_utils.h"

namespace {

[[noreturn]] void ListError(const wchar_t* pattern, int value) { throw EListError(Format(pattern, {IntToStr(value)})); }

}  // namespace

// TList

void TList::SetCount(int count) {
  if (count < 0 || count > MaxListSize) ListError(L"List count out of bounds (%d)", count);
  while (Count() > count) Delete(Count() - 1);
  try {
    items_.resize(static_cast<size_t>(count), nullptr);
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory(L"Out of memory");
  }
}

void* TList::Items(int index) const {
  CheckIndex(index);
  return items_[static_cast<size_t>(index)];
}

void TList::SetItems(int index, void* item) {
  CheckIndex(index);
  void* old = items_[static_cast<size_t>(index)];
  if (old == item) return;
  items_[static_cast<size_t>(index)] = item;
  if (old) Notify(old, TListNotification::lnDeleted);
  if (item) Notify(item, TListNotification::lnAdded);
}

int TList::Add(void* item) {
  int index = Count();
  Insert(index, item);
  return index;
}

void TList::Insert(int index, void* item) {
  if (index < 0 || index > Count()) ListError(L"List index out of bounds (%d)", index);
  if (Count() == MaxListSize) ListError(L"List count out of bounds (%d)", MaxListSize + 1);
  items_.insert(items_.begin() + index, item);
  if (item) Notify(item, TListNotification::lnAdded);
}

void TList::Delete(int index) {
  CheckIndex(index);
  void* item = items_[static_cast<size_t>(index)];
  items_.erase(items_.begin() + index);
  if (item) Notify(item, TListNotification::lnDeleted);
}

int TList::Remove(void* item) {
  int index = IndexOf(item);
  if (index >= 0) Delete(index);
  return index;
}

void* TList::Extract(void* item) {
  int index = IndexOf(item);
  if (index < 0) return nullptr;
  items_.erase(items_.begin() + index);
  Notify(item, TListNotification::lnExtracted);
  return item;
}

void TList::Clear() { SetCount(0); }

void TList::Exchange(int index1, int index2) {
  CheckIndex(index1);
  CheckIndex(index2);
  std::swap(items_[static_cast<size_t>(index1)], items_[static_cast<size_t>(index2)]);
}

void TList::Move(int curIndex, int newIndex) {
  CheckIndex(curIndex);
  CheckIndex(newIndex);
  void* item = items_[static_cast<size_t>(curIndex)];
  items_.erase(items_.begin() + curIndex);
  items_.insert(items_.begin() + newIndex, item);
}

int TList::IndexOf(const void* item) const {
  auto found = std::find(items_.begin(), items_.end(), item);
  return found == items_.end() ? -1 : static_cast<int>(found - items_.begin());
}

void TList::Pack() { items_.erase(std::remove(items_.begin(), items_.end(), nullptr), items_.end()); }

void TList::Sort(const TListSortCompare& compare) {
  std::stable_sort(items_.begin(), items_.end(), [&](void* a, void* b) { return compare(a, b) < 0; });
}

void TList::CheckIndex(int index) const {
  if (index < 0 || index >= Count()) ListError(L"List index out of bounds (%d)", index);
}

// TObjectList

TObjectList::~TObjectList() { Clear(); }

void TObjectList::Notify(void* item, TListNotification action) {
  if (ownsObjects_ && action == TListNotification::lnDeleted) delete static_cast<TObject*>(item);
}

// TThreadList

TThreadList::TThreadList() { InitializeCriticalSection(&lock_); }

TThreadList::~TThreadList() { DeleteCriticalSection(&lock_); }

void TThreadList::Add(void* item) {
  TLock list(*this);
  if (duplicates_ == TDuplicates::dupAccept || list->IndexOf(item) < 0)
    list->Add(item);
  else if (duplicates_ == TDuplicates::dupError)
    throw EListError(L"Duplicates not allowed");
}

void TThreadList::Remove(void* item) {
  TLock list(*this);
  list->Remove(item);
}

void TThreadList::Clear() {
  TLock list(*this);
  list->Clear();
}

TList* TThreadList::LockList() {
  EnterCriticalSection(&lock_);
  return &list_;
}

void TThreadList::UnlockList() { LeaveCriticalSection(&lock_); }
