// Pointer lists: TList (observes its items), TObjectList (may own them) and the lockable TThreadList.
#pragma once

#include <functional>
#include <vector>

#include "framework/object.h"

enum class TListNotification { lnAdded, lnExtracted, lnDeleted };
enum class TDuplicates { dupIgnore, dupAccept, dupError };

using TListSortCompare = std::function<int(void* item1, void* item2)>;

// The most items a TList holds; more raise EListError "List count out of bounds (%d)".
constexpr int MaxListSize = 0x7FFFFFFF / 16;

// An ordered list of untyped pointers. Index errors raise EListError "List index out of bounds (%d)"; memory
// that cannot be had raises EOutOfMemory.
class TList : public TObject {
  BC_CLASS(TList, TObject)
  TList() = default;
  ~TList() override = default;
  TList(const TList&) = delete;
  TList& operator=(const TList&) = delete;

  int Count() const { return static_cast<int>(items_.size()); }
  // Shrinking drops the items at the end; growing adds null items.
  void SetCount(int count);
  void* Items(int index) const;
  void SetItems(int index, void* item);
  void* First() const { return Items(0); }
  void* Last() const { return Items(Count() - 1); }

  int Add(void* item);
  void Insert(int index, void* item);
  void Delete(int index);
  // Removes the first occurrence; returns its index or -1.
  int Remove(void* item);
  // Removes the first occurrence without a deletion notice; returns the item or null.
  void* Extract(void* item);
  void Clear();
  void Exchange(int index1, int index2);
  void Move(int curIndex, int newIndex);
  int IndexOf(const void* item) const;
  // Removes the null items.
  void Pack();
  void Sort(const TListSortCompare& compare);

 protected:
  // Every item that enters or leaves the list passes here.
  virtual void Notify(void* item, TListNotification action) { (void)item, (void)action; }
  void CheckIndex(int index) const;

 private:
  std::vector<void*> items_;
};

// A list of objects that, with OwnsObjects (the default), frees the objects it deletes or is cleared of;
// Extract hands an object back without freeing it.
class TObjectList : public TList {
  BC_CLASS(TObjectList, TList)
  explicit TObjectList(bool ownsObjects = true) : ownsObjects_(ownsObjects) {}
  ~TObjectList() override;

  TObject* Items(int index) const { return static_cast<TObject*>(TList::Items(index)); }
  void SetItems(int index, TObject* object) { TList::SetItems(index, object); }
  int Add(TObject* object) { return TList::Add(object); }
  int IndexOf(const TObject* object) const { return TList::IndexOf(object); }
  bool OwnsObjects() const { return ownsObjects_; }
  void SetOwnsObjects(bool ownsObjects) { ownsObjects_ = ownsObjects; }

 protected:
  void Notify(void* item, TListNotification action) override;

 private:
  bool ownsObjects_;
};

// A TList behind a critical section. Add, Remove and Clear lock for themselves; anything else goes through
// LockList/UnlockList, or through a TThreadList::TLock that unlocks at the end of its scope.
class TThreadList : public TObject {
  BC_CLASS(TThreadList, TObject)
  TThreadList();
  ~TThreadList() override;
  TThreadList(const TThreadList&) = delete;
  TThreadList& operator=(const TThreadList&) = delete;

  // An item already present is ignored (dupIgnore, the default), added again (dupAccept) or refused with
  // EListError "Duplicates not allowed" (dupError).
  void Add(void* item);
  void Remove(void* item);
  void Clear();
  TList* LockList();
  void UnlockList();
  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates duplicates) { duplicates_ = duplicates; }

  class TLock {
   public:
    explicit TLock(TThreadList& list) : list_(list), locked_(list.LockList()) {}
    ~TLock() { list_.UnlockList(); }
    TLock(const TLock&) = delete;
    TLock& operator=(const TLock&) = delete;
    TList* operator->() const { return locked_; }
    TList& operator*() const { return *locked_; }

   private:
    TThreadList& list_;
    TList* locked_;
  };

 private:
  CRITICAL_SECTION lock_;
  TList list_;
  TDuplicates duplicates_ = TDuplicates::dupIgnore;
};
