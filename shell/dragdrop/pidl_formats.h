// The shell's own names of dragged items: item-ID lists in the format "Shell IDList Array", the data format over
// them, their conversion from and to file names, and a view that shows a list of them as file names.
#pragma once

#include <shtypes.h>
#include <windows.h>

#include <string>
#include <vector>

#include "framework/delegate.h"
#include "framework/item_id_list.h"
#include "framework/startup.h"
#include "framework/strings.h"
#include "shell/dragdrop/data_format.h"
#include "shell/dragdrop/simple_clipboard_formats.h"

namespace shell {

// Item-ID lists as byte strings (the items, then the 2-byte terminator): entry 0 is the absolute list of a parent
// folder, the entries after it are items relative to that folder. OnChanging runs before every change.
class TPIDLList : public TObject, protected TEventSource {
  BC_CLASS(TPIDLList, TObject)
  TPIDLList() = default;
  TPIDLList(const TPIDLList&) = delete;
  TPIDLList& operator=(const TPIDLList&) = delete;

  int Count() const { return static_cast<int>(items_.size()); }
  const std::string& Items(int index) const { return items_.at(index); }
  // Each change answers whether the list outlived its OnChanging.
  TRaised Add(std::string pidl);
  TRaised Assign(const TPIDLList& other);
  TRaised Clear();
  // Empties the list without OnChanging: for a list that only its holder fills (a clipboard format's), which no
  // handler watches.
  void Discard() noexcept { items_.clear(); }
  const TNotifyEvent& OnChanging() const { return onChanging_; }
  void SetOnChanging(TNotifyEvent handler) { onChanging_ = std::move(handler); }

 private:
  TRaised Changing();

  std::vector<std::string> items_;
  TNotifyEvent onChanging_;
};

// A list of item-ID lists seen as the file-system paths of its items. Only Assign from other lines changes it:
// the names become item-ID lists.
class TPIDLsToFilenamesStrings : public TStrings {
  BC_CLASS(TPIDLsToFilenamesStrings, TStrings)
  explicit TPIDLsToFilenamesStrings(TPIDLList& pidls) : pidls_(pidls) {}

  int Count() const override { return pidls_.Count() < 2 ? 0 : pidls_.Count() - 1; }
  void Insert(int, const String&) override {}
  void Delete(int) override {}
  void Clear() override {}
  void Assign(const TPersistent* source) override;

 protected:
  // Raises Exception "Filename index out of range"; empty for an item without a file-system path.
  String Get(int index) const override;
  void Put(int, const String&) override {}

 private:
  TPIDLList& pidls_;
};

class TPIDLClipboardFormat : public TCustomSimpleClipboardFormat {
  BC_CLASS(TPIDLClipboardFormat, TCustomSimpleClipboardFormat)
  TPIDLClipboardFormat();

  TPIDLList& PIDLs() { return pidls_; }
  TStrings& Filenames() { return filenames_; }

  // Fails unless the header, every offset and every list's chain of item sizes lie inside the block, and the
  // block names a folder and at least one item.
  bool ReadData(const void* buffer, size_t size) override;
  bool WriteData(void* buffer, size_t size) override;
  size_t GetSize() override;
  void Clear() override { pidls_.Discard(); }
  bool HasData() override { return pidls_.Count() > 0; }

 private:
  TPIDLList pidls_;
  TPIDLsToFilenamesStrings filenames_{pidls_};
};

class TPIDLDataFormat : public TCustomDataFormat {
  BC_CLASS(TPIDLDataFormat, TCustomDataFormat)
  explicit TPIDLDataFormat(TDragDropComponent* owner, const TClass* cls = StaticClass());

  TPIDLList& PIDLs() { return pidls_; }
  TStrings& Filenames() { return filenames_; }

  TRaised Clear() override;
  bool HasData() override { return pidls_.Count() > 0; }
  bool Assign(TClipboardFormat* source) override;
  bool AssignTo(TClipboardFormat* dest) override;

 private:
  TPIDLList pidls_;
  TPIDLsToFilenamesStrings filenames_{pidls_};
};

// Bytes of a list the shell made, terminator included; 0 for null.
size_t PIDLSize(LPCITEMIDLIST pidl);
std::string PIDLToString(LPCITEMIDLIST pidl);
// The parent without its terminator (nothing of a parent of 2 bytes or less), then the whole child.
std::string JoinPIDLStrings(const std::string& parent, const std::string& child);
// The absolute list of a path from the desktop folder, or null.
TItemIdList GetFullPIDLFromPath(const String& path);
// The deepest folder that holds every name. Raises Exception "Failed to get interface to Desktop" or "Invalid
// filename: %s" with the folder the shell could not parse.
std::string GetCommonParentPIDL(const TStrings& names);
// The common parent, then each name relative to it; false (and an empty list) when a name has no list or there
// are no names, and false when the list's OnChanging freed it.
bool FilenamesToPIDLs(const TStrings& names, TPIDLList& pidls);

// Registers the conversions of the item-ID list data format.
const TUnit& PIDLFormatsUnit();

}  // namespace shell
