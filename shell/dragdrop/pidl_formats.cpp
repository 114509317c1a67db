#include "shell/dragdrop/pidl_formats.h"

#include <shlobj.h>
#include <wrl/client.h>

#include <cstring>

#include "framework/exceptions.h"
#include "framework/sys_utils.h"
#include "shell/dragdrop/data_format_map.h"
#include "shell/dragdrop/file_formats.h"
#include "shell/dragdrop/generic_data_formats.h"

namespace shell {

using Microsoft::WRL::ComPtr;

namespace {

const size_t kTerminatorSize = sizeof(USHORT);
const size_t kCountSize = sizeof(UINT);

USHORT ItemSizeAt(const uint8_t* bytes) {
  USHORT size = 0;
  std::memcpy(&size, bytes, sizeof(size));
  return size;
}

UINT DWordAt(const uint8_t* bytes) {
  UINT value = 0;
  std::memcpy(&value, bytes, sizeof(value));
  return value;
}

// The bytes of the list at offset, terminator included, when every item and the terminator lie inside the block;
// 0 otherwise.
size_t ListLengthInBlock(const uint8_t* block, size_t size, size_t offset) {
  size_t at = offset;
  while (at <= size && size - at >= kTerminatorSize) {
    USHORT itemSize = ItemSizeAt(block + at);
    if (itemSize == 0) return at + kTerminatorSize - offset;
    // An item's size counts its own size field.
    if (itemSize < kTerminatorSize || itemSize > size - at) return 0;
    at += itemSize;
  }
  return 0;
}

// The bytes of the list's first count items; npos when the list holds fewer.
size_t ItemsLength(const std::string& list, size_t count) {
  size_t at = 0;
  for (; count > 0; --count) {
    if (at + kTerminatorSize > list.size()) return std::string::npos;
    USHORT itemSize = ItemSizeAt(reinterpret_cast<const uint8_t*>(list.data() + at));
    if (itemSize < kTerminatorSize || itemSize > list.size() - at) return std::string::npos;
    at += itemSize;
  }
  return at;
}

// How many items both lists begin with, terminators left out. A folder's item carries the folder's times, which
// change while anyone reads or writes in it, so items that differ in bytes are compared by the desktop folder.
size_t CommonItemsCount(IShellFolder* desktop, const std::string& a, const std::string& b) {
  size_t count = 0, atA = 0, atB = 0;
  while (atA + kTerminatorSize <= a.size() && atB + kTerminatorSize <= b.size()) {
    USHORT sizeA = ItemSizeAt(reinterpret_cast<const uint8_t*>(a.data() + atA));
    USHORT sizeB = ItemSizeAt(reinterpret_cast<const uint8_t*>(b.data() + atB));
    if (sizeA < kTerminatorSize || sizeB < kTerminatorSize || sizeA > a.size() - atA || sizeB > b.size() - atB) break;
    if (a.compare(atA, sizeA, b, atB, sizeB) != 0) {
      const std::string terminator(kTerminatorSize, '\0');
      const std::string headA = a.substr(0, atA + sizeA) + terminator, headB = b.substr(0, atB + sizeB) + terminator;
      HRESULT order = desktop->CompareIDs(SHCIDS_CANONICALONLY, reinterpret_cast<LPCITEMIDLIST>(headA.data()),
                                          reinterpret_cast<LPCITEMIDLIST>(headB.data()));
      if (FAILED(order) || HRESULT_CODE(order) != 0) break;
    }
    ++count, atA += sizeA, atB += sizeB;
  }
  return count;
}

TItemIdList ParseWithDesktop(IShellFolder* desktop, const String& path) {
  LPITEMIDLIST list = nullptr;
  std::wstring name = path;
  if (FAILED(desktop->ParseDisplayName(nullptr, nullptr, name.data(), nullptr, &list, nullptr))) return nullptr;
  return TItemIdList(list);
}

ComPtr<IShellFolder> DesktopFolder() {
  ComPtr<IShellFolder> desktop;
  if (FAILED(SHGetDesktopFolder(&desktop)) || !desktop) throw Exception(L"Failed to get interface to Desktop");
  return desktop;
}

// The items of the deepest folder that holds every name, and their count.
std::string CommonParentItems(const TStrings& names, size_t& count) {
  ComPtr<IShellFolder> desktop = DesktopFolder();
  std::string common;
  count = 0;
  for (int i = 0; i < names.Count(); ++i) {
    String folder = ExtractFilePath(names.Strings(i));
    TItemIdList list = ParseWithDesktop(desktop.Get(), folder);
    if (!list) throw Exception(Format(L"Invalid filename: %s", {folder}));
    std::string items = PIDLToString(list.get());
    items.resize(items.size() - kTerminatorSize);
    if (i == 0) common = items;
    // The first time round, every item.
    count = CommonItemsCount(desktop.Get(), common, items);
    common.resize(ItemsLength(common, count));
    if (count == 0) break;
  }
  return common;
}

}  // namespace

TRaised TPIDLList::Changing() { return RaiseEvent(onChanging_, this); }

TRaised TPIDLList::Add(std::string pidl) {
  if (Changing().Gone()) return TRaised(false);
  items_.push_back(std::move(pidl));
  return TRaised(true);
}

TRaised TPIDLList::Assign(const TPIDLList& other) {
  if (Changing().Gone()) return TRaised(false);
  items_ = other.items_;
  return TRaised(true);
}

TRaised TPIDLList::Clear() {
  if (Changing().Gone()) return TRaised(false);
  items_.clear();
  return TRaised(true);
}

String TPIDLsToFilenamesStrings::Get(int index) const {
  if (index < 0 || index >= Count()) throw Exception(L"Filename index out of range");
  std::string joined = JoinPIDLStrings(pidls_.Items(0), pidls_.Items(index + 1));
  wchar_t path[MAX_PATH + 1] = {};
  if (!SHGetPathFromIDListW(reinterpret_cast<LPCITEMIDLIST>(joined.data()), path)) return {};
  return path;
}

void TPIDLsToFilenamesStrings::Assign(const TPersistent* source) {
  auto* names = ObjectAs<const TStrings>(source);
  if (!names) {
    TStrings::Assign(source);
    return;
  }
  BeginUpdate();
  try {
    FilenamesToPIDLs(*names, pidls_);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

TPIDLClipboardFormat::TPIDLClipboardFormat() : TCustomSimpleClipboardFormat(RegisteredFormat(L"Shell IDList Array")) {}

bool TPIDLClipboardFormat::ReadData(const void* buffer, size_t size) {
  if (pidls_.Clear().Gone()) return false;
  const auto* block = static_cast<const uint8_t*>(buffer);
  if (size < kCountSize) return false;
  // The folder's offset comes before the items' ones.
  uint64_t lists = uint64_t{DWordAt(block)} + 1;
  if (kCountSize * (lists + 1) > size) return false;
  // Lists of a sound block do not overlap, so together they are no larger than the block; a block whose offsets
  // name one list again and again must not make the copies grow without bound.
  size_t copied = 0;
  for (uint64_t i = 0; i < lists; ++i) {
    size_t offset = DWordAt(block + kCountSize * (i + 1));
    size_t length = ListLengthInBlock(block, size, offset);
    copied += length;
    if (length == 0 || copied > size) {
      static_cast<void>(pidls_.Clear());
      return false;
    }
    if (pidls_.Add(std::string(reinterpret_cast<const char*>(block + offset), length)).Gone()) return false;
  }
  return pidls_.Count() >= 2;
}

size_t TPIDLClipboardFormat::GetSize() {
  if (pidls_.Count() == 0) return 0;
  size_t size = kCountSize * (pidls_.Count() + 1);
  for (int i = 0; i < pidls_.Count(); ++i) size += pidls_.Items(i).size();
  return size;
}

bool TPIDLClipboardFormat::WriteData(void* buffer, size_t size) {
  if (size != GetSize() || size == 0) return false;
  auto* block = static_cast<uint8_t*>(buffer);
  UINT items = static_cast<UINT>(pidls_.Count() - 1);
  std::memcpy(block, &items, sizeof(items));
  size_t at = kCountSize * (pidls_.Count() + 1);
  for (int i = 0; i < pidls_.Count(); ++i) {
    UINT offset = static_cast<UINT>(at);
    std::memcpy(block + kCountSize * (i + 1), &offset, sizeof(offset));
    const std::string& pidl = pidls_.Items(i);
    std::memcpy(block + at, pidl.data(), pidl.size());
    at += pidl.size();
  }
  return true;
}

TPIDLDataFormat::TPIDLDataFormat(TDragDropComponent* owner, const TClass* cls) : TCustomDataFormat(owner, cls) {
  pidls_.SetOnChanging([this](TObject*) {
    if (Changing().Gone()) return;
  });
}

TRaised TPIDLDataFormat::Clear() { return pidls_.Clear(); }

bool TPIDLDataFormat::Assign(TClipboardFormat* source) {
  if (auto* pidls = ObjectAs<TPIDLClipboardFormat>(source)) {
    return pidls_.Assign(pidls->PIDLs()).Alive();
  }
  if (auto* files = ObjectAs<TFileClipboardFormat>(source)) return FilenamesToPIDLs(files->Files(), pidls_);
  return TCustomDataFormat::Assign(source);
}

bool TPIDLDataFormat::AssignTo(TClipboardFormat* dest) {
  if (auto* pidls = ObjectAs<TPIDLClipboardFormat>(dest)) {
    return pidls->PIDLs().Assign(pidls_).Alive();
  }
  if (auto* files = ObjectAs<TFileClipboardFormat>(dest)) {
    files->Files().Assign(&filenames_);
    return true;
  }
  return TCustomDataFormat::AssignTo(dest);
}

size_t PIDLSize(LPCITEMIDLIST pidl) {
  if (!pidl) return 0;
  const auto* bytes = reinterpret_cast<const uint8_t*>(pidl);
  size_t size = 0;
  while (USHORT itemSize = ItemSizeAt(bytes + size)) size += itemSize;
  return size + kTerminatorSize;
}

std::string PIDLToString(LPCITEMIDLIST pidl) {
  return std::string(reinterpret_cast<const char*>(pidl), PIDLSize(pidl));
}

std::string JoinPIDLStrings(const std::string& parent, const std::string& child) {
  std::string joined = parent.size() > kTerminatorSize ? parent.substr(0, parent.size() - kTerminatorSize) : "";
  return joined + child;
}

TItemIdList GetFullPIDLFromPath(const String& path) { return ParseWithDesktop(DesktopFolder().Get(), path); }

std::string GetCommonParentPIDL(const TStrings& names) {
  size_t count = 0;
  std::string common = CommonParentItems(names, count);
  if (names.Count() > 0) common.append(kTerminatorSize, '\0');
  return common;
}

bool FilenamesToPIDLs(const TStrings& names, TPIDLList& pidls) {
  if (pidls.Clear().Gone() || names.Count() == 0) return false;
  size_t parentItems = 0;
  std::string parent = CommonParentItems(names, parentItems);
  if (pidls.Add(parent + std::string(kTerminatorSize, '\0')).Gone()) return false;
  for (int i = 0; i < names.Count(); ++i) {
    TItemIdList full = GetFullPIDLFromPath(names.Strings(i));
    std::string items = full ? PIDLToString(full.get()) : std::string();
    // The parent's items as this name's list holds them: their times may differ from the parent's bytes.
    size_t parentLength = ItemsLength(items, parentItems);
    if (parentLength == std::string::npos || items.size() <= parentLength + kTerminatorSize) {
      static_cast<void>(pidls.Clear());
      return false;
    }
    if (pidls.Add(items.substr(parentLength)).Gone()) return false;
  }
  return true;
}

namespace {

void RegisterPIDLFormats() {
  auto pidl = TDataFormatClass::Of<TPIDLDataFormat>();
  RegisterDataFormat(pidl);
  const TConversionScopes both{TConversionScope::csSource, TConversionScope::csTarget};
  RegisterDataConversion(pidl, TClipboardFormatClass::Of<TPIDLClipboardFormat>(), 0, both, {TDataDirection::ddRead});
  RegisterDataConversion(pidl, TClipboardFormatClass::Of<TFileClipboardFormat>(), 1, both, {TDataDirection::ddRead});
}

void UnregisterPIDLFormats() {
  UnregisterDataFormat(TDataFormatClass::Of<TPIDLDataFormat>());
  UnregisterClipboardFormatClass(TClipboardFormatClass::Of<TPIDLClipboardFormat>());
}

}  // namespace

const TUnit& PIDLFormatsUnit() {
  static const TUnit unit{L"PIDLFormats", &RegisterPIDLFormats, &UnregisterPIDLFormats, {&GenericFormatsUnit()}};
  return unit;
}

}  // namespace shell
