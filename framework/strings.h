// Lists of text lines: the abstract TStrings and the stored, optionally sorted TStringList.
#pragma once

#include <functional>
#include <vector>

#include "framework/component.h"
#include "framework/delegate.h"
#include "framework/lists.h"
#include "framework/nesting_bracket.h"

class TStream;

// A list of lines, each with an optional object (observed, never owned). Subclasses store the lines; this
// class gives them text, name=value, search, file and stream access.
//
// A list may tell of its changes (TStringList's OnChanging and OnChange), and a handler may free it. The list is
// changed through a plain interface, as applications and stored forms use it, that answers nothing: so every
// notice a change raises is its caller's last act on the list. A single change (Add, Delete, Put, ...) raises
// OnChanging before it, and makes no change once a handler freed the list, and OnChange after it. Work that makes
// several changes brackets them (BeginUpdate, whose OnChanging is the one raise before the work): the work watches
// the list across the bracket and ends where the list went, and within it nothing is raised; its EndUpdate's
// OnChange comes last.
class TStrings : public TPersistent, protected TEventSource {
  BC_CLASS(TStrings, TPersistent)
  virtual int Count() const = 0;
  // Raise EStringListError "List index out of bounds (%d)" for an index outside 0 .. Count - 1.
  String Strings(int index) const { return Get(index); }
  void SetStrings(int index, const String& text) { Put(index, text); }
  TObject* Objects(int index) const { return GetObject(index); }
  void SetObjects(int index, TObject* object) { PutObject(index, object); }

  // Appends (or, in a sorted list, inserts in order) and returns the index.
  int Add(const String& text) { return AddObject(text, nullptr); }
  virtual int AddObject(const String& text, TObject* object);
  virtual void AddStrings(const TStrings* strings);
  virtual void Insert(int index, const String& text) = 0;
  virtual void InsertObject(int index, const String& text, TObject* object);
  virtual void Delete(int index) = 0;
  virtual void Clear() = 0;
  virtual void Exchange(int index1, int index2);
  // Moves the line with its object from curIndex to newIndex; a bad index raises before anything moves.
  virtual void Move(int curIndex, int newIndex);

  // The index of the first equal line (case by the list's rules), -1 when absent.
  virtual int IndexOf(const String& text) const;
  // The index of the first "name=..." line whose name equals name, -1 when absent.
  int IndexOfName(const String& name) const;
  int IndexOfObject(const TObject* object) const;
  // For a "name=value" line: the part before the first "=" (empty for a line without one) and its value.
  String Names(int index) const;
  String ValueFromIndex(int index) const;
  String Values(const String& name) const;
  // Sets the value of name; an empty value deletes the line, a missing name is added.
  void SetValues(const String& name, const String& value);

  // Every line followed by CR LF.
  String Text() const;
  // Lines end at CR, LF or CR LF; a NUL ends the whole text; a last line without a line break still counts.
  void SetText(const String& text);

  // Nested update brackets; change notifications wait for the outermost EndUpdate. The outermost BeginUpdate
  // raises OnChanging as its last act.
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return updates_.Depth(); }

  // Text in a code page, ANSI by default: loading reads from the stream's position to its end. UTF-16 (1200,
  // 1201) is read and written as such; a text that starts with the UTF-8 mark is read as UTF-8 without it. A code
  // page that cannot convert raises EStringListError "Text cannot be converted in code page %d".
  void LoadFromStream(TStream& stream, UINT codePage = CP_ACP);
  void SaveToStream(TStream& stream, UINT codePage = CP_ACP) const;
  // The file as ReadFileBytes reads it: a device, a pipe or a name too long raises EFOpenError.
  void LoadFromFile(const String& fileName, UINT codePage = CP_ACP);
  void SaveToFile(const String& fileName, UINT codePage = CP_ACP) const;

  // Copies the lines and objects of another TStrings.
  void Assign(const TPersistent* source) override;
  // A stored form keeps the lines (not the objects) as the list "Strings", written when there are any.
  void DefineProperties(TFiler& filer) override;
  bool Equals(const TStrings* strings) const;

 protected:
  virtual String Get(int index) const = 0;
  virtual void Put(int index, const String& text);
  virtual TObject* GetObject(int index) const {
    (void)index;
    return nullptr;
  }
  virtual void PutObject(int index, TObject* object) { (void)index, (void)object; }
  virtual void SetUpdateState(bool updating) { (void)updating; }
  // < 0, 0 or > 0; the base compares in the user's locale without case.
  virtual int CompareStrings(const String& a, const String& b) const;
  [[noreturn]] void Error(const wchar_t* pattern, int index) const;

 private:
  void LoadFromBytes(std::string bytes, UINT codePage);

  TNestingBracket updates_;
};

class TStringList;
using TStringListSortCompare = std::function<int(TStringList* list, int index1, int index2)>;

// Lines stored in the list itself. Sorted lists keep their order on every Add and find lines by binary search;
// Duplicates decides what Add does with a line already present. OnChanging and OnChange bracket every change.
class TStringList : public TStrings {
  BC_CLASS(TStringList, TStrings)
  TStringList() = default;
  TStringList(const TStringList&) = delete;
  TStringList& operator=(const TStringList&) = delete;

  int Count() const override { return static_cast<int>(items_.size()); }
  int AddObject(const String& text, TObject* object) override;
  void Insert(int index, const String& text) override { InsertObject(index, text, nullptr); }
  // Raises EStringListError "Operation not allowed on sorted list" in a sorted list.
  void InsertObject(int index, const String& text, TObject* object) override;
  void Delete(int index) override;
  void Clear() override;
  // Both raise EStringListError "Operation not allowed on sorted list" in a sorted list.
  void Exchange(int index1, int index2) override;
  void Move(int curIndex, int newIndex) override;
  int IndexOf(const String& text) const override;

  // In a sorted list: true when found, index = its position or the insertion point.
  virtual bool Find(const String& text, int& index) const;
  virtual void Sort();
  void CustomSort(const TStringListSortCompare& compare);

  bool Sorted() const { return sorted_; }
  void SetSorted(bool sorted);
  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates duplicates) { duplicates_ = duplicates; }
  bool CaseSensitive() const { return caseSensitive_; }
  void SetCaseSensitive(bool caseSensitive);

  const TNotifyEvent& OnChange() const { return onChange_; }
  void SetOnChange(TNotifyEvent handler) { onChange_ = std::move(handler); }
  const TNotifyEvent& OnChanging() const { return onChanging_; }
  void SetOnChanging(TNotifyEvent handler) { onChanging_ = std::move(handler); }

 protected:
  String Get(int index) const override;
  void Put(int index, const String& text) override;
  TObject* GetObject(int index) const override;
  void PutObject(int index, TObject* object) override;
  void SetUpdateState(bool updating) override;
  int CompareStrings(const String& a, const String& b) const override;
  virtual void Changed();
  virtual TRaised Changing();
  void InsertItem(int index, const String& text, TObject* object);

 private:
  struct Item {
    String text;
    TObject* object = nullptr;
  };
  void CheckIndex(int index) const;
  void CheckUnsorted() const;

  std::vector<Item> items_;
  bool sorted_ = false;
  TDuplicates duplicates_ = TDuplicates::dupIgnore;
  bool caseSensitive_ = false;
  TNotifyEvent onChange_;
  TNotifyEvent onChanging_;
};
