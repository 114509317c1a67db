#include "framework/registry.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "framework/exceptions.h"
#include "framework/strings.h"

namespace {

bool IsPredefinedKey(HKEY key) {
  for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS, HKEY_PERFORMANCE_DATA,
                    HKEY_CURRENT_CONFIG, HKEY_DYN_DATA})
    if (key == root) return true;
  return false;
}

// Tries at reading a value that keeps changing size, and the bytes past the buffer the platform may write.
constexpr int kReadAttempts = 4;
constexpr size_t kSpareBytes = 2;

bool IsRelative(const String& key) { return key.empty() || key[0] != L'\\'; }

TRegDataType DataTypeOf(DWORD type) {
  switch (type) {
    case REG_SZ:
      return TRegDataType::rdString;
    case REG_EXPAND_SZ:
      return TRegDataType::rdExpandString;
    case REG_DWORD:
      return TRegDataType::rdInteger;
    case REG_BINARY:
      return TRegDataType::rdBinary;
    default:
      return TRegDataType::rdUnknown;
  }
}

[[noreturn]] void RaiseRegistryError(const wchar_t* pattern, const String& name) {
  throw ERegistryException(Format(pattern, {name}));
}

// Names of subkeys or values, as the enumeration function gives them.
template <class Enumerate>
void ReadNames(TStrings* strings, DWORD longest, Enumerate enumerate) {
  strings->BeginUpdate();
  strings->Clear();
  std::vector<wchar_t> name(longest + 1);
  for (DWORD index = 0;; ++index) {
    DWORD length = static_cast<DWORD>(name.size());
    if (enumerate(index, name.data(), &length) != ERROR_SUCCESS) break;
    strings->Add(String(name.data(), length));
  }
  strings->EndUpdate();
}

}  // namespace

TRegKey& TRegKey::operator=(TRegKey&& other) noexcept {
  if (this != &other) Reset(other.Release());
  return *this;
}

void TRegKey::Reset(HKEY key) {
  if (key_ && !IsPredefinedKey(key_)) RegCloseKey(key_);
  key_ = key;
}

void TRegistry::SetRootKey(HKEY rootKey) {
  if (rootKey == rootKey_) return;
  CloseKey();
  rootKey_ = rootKey;
}

HKEY TRegistry::BaseKey(const String& key) const {
  return IsRelative(key) && currentKey_ ? currentKey_.Get() : rootKey_;
}

String TRegistry::RelativePath(const String& key) {
  // The platform reads a name up to its first NUL, so that is all the name there is.
  String path = key.substr(0, key.find(L'\0'));
  return IsRelative(path) ? path : path.substr(1);
}

void TRegistry::ChangeKey(HKEY key, const String& path) {
  currentKey_.Reset(key);
  currentPath_ = path;
}

bool TRegistry::OpenKey(const String& key, bool canCreate) {
  const String path = RelativePath(key);
  HKEY opened = nullptr;
  LSTATUS status = canCreate && !path.empty()
                       ? RegCreateKeyExW(BaseKey(key), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access_,
                                         nullptr, &opened, nullptr)
                       : RegOpenKeyExW(BaseKey(key), path.c_str(), 0, access_, &opened);
  if (status != ERROR_SUCCESS) return false;
  String fullPath = IsRelative(key) && currentKey_ && !currentPath_.empty() ? currentPath_ + L"\\" + path : path;
  ChangeKey(opened, fullPath);
  return true;
}

bool TRegistry::OpenKeyReadOnly(const String& key) {
  const String path = RelativePath(key);
  for (REGSAM access : {static_cast<REGSAM>(KEY_READ), static_cast<REGSAM>(KEY_READ & ~KEY_NOTIFY),
                        static_cast<REGSAM>(KEY_QUERY_VALUE)}) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(BaseKey(key), path.c_str(), 0, access, &opened) == ERROR_SUCCESS) {
      access_ = access;
      String fullPath = IsRelative(key) && currentKey_ && !currentPath_.empty() ? currentPath_ + L"\\" + path : path;
      ChangeKey(opened, fullPath);
      return true;
    }
  }
  return false;
}

void TRegistry::CloseKey() { ChangeKey(nullptr, L""); }

void TRegistry::CreateKey(const String& key) {
  HKEY created = nullptr;
  if (RegCreateKeyExW(BaseKey(key), RelativePath(key).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access_, nullptr,
                      &created, nullptr) != ERROR_SUCCESS)
    RaiseRegistryError(L"Failed to create key %s", key);
  TRegKey closer(created);
}

bool TRegistry::DeleteKey(const String& key) {
  const String path = RelativePath(key);
  // Without a name the call would empty the base key itself.
  if (path.empty()) return false;
  return RegDeleteTreeW(BaseKey(key), path.c_str()) == ERROR_SUCCESS;
}

bool TRegistry::KeyExists(const String& key) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(BaseKey(key), RelativePath(key).c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
  TRegKey closer(opened);
  return true;
}

bool TRegistry::DeleteValue(const String& name) { return RegDeleteValueW(BaseKey(L""), name.c_str()) == ERROR_SUCCESS; }

bool TRegistry::ValueExists(const String& name) const {
  TRegDataInfo info;
  return GetDataInfo(name, info);
}

void TRegistry::GetKeyNames(TStrings* strings) const {
  HKEY key = BaseKey(L"");
  DWORD longest = 0;
  RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, &longest, nullptr, nullptr, nullptr, nullptr, nullptr,
                   nullptr);
  ReadNames(strings, longest, [key](DWORD index, wchar_t* name, DWORD* length) {
    return RegEnumKeyExW(key, index, name, length, nullptr, nullptr, nullptr, nullptr);
  });
}

void TRegistry::GetValueNames(TStrings* strings) const {
  HKEY key = BaseKey(L"");
  DWORD longest = 0;
  RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longest, nullptr, nullptr,
                   nullptr);
  ReadNames(strings, longest, [key](DWORD index, wchar_t* name, DWORD* length) {
    return RegEnumValueW(key, index, name, length, nullptr, nullptr, nullptr, nullptr);
  });
}

bool TRegistry::GetDataInfo(const String& name, TRegDataInfo& info) const {
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(BaseKey(L""), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
    info = {};
    return false;
  }
  info.RegData = DataTypeOf(type);
  info.DataSize = static_cast<int>(size);
  return true;
}

int TRegistry::GetDataSize(const String& name) const {
  TRegDataInfo info;
  return GetDataInfo(name, info) ? info.DataSize : -1;
}

TRegDataType TRegistry::GetDataType(const String& name) const {
  TRegDataInfo info;
  GetDataInfo(name, info);
  return info.RegData;
}

std::vector<BYTE> TRegistry::GetData(const String& name, DWORD& type) const {
  DWORD size = 0;
  // A value that grows between the two questions is asked for again, a few times at most.
  for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
    if (RegQueryValueExW(BaseKey(L""), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
    // The platform may add a terminator of its own past the size it was given: two spare bytes take it.
    std::vector<BYTE> data(static_cast<size_t>(size) + kSpareBytes);
    DWORD got = size;
    LSTATUS status = RegQueryValueExW(BaseKey(L""), name.c_str(), nullptr, &type, data.data(), &got);
    if (status == ERROR_MORE_DATA) continue;
    if (status != ERROR_SUCCESS || got > size) break;
    data.resize(got);
    return data;
  }
  RaiseRegistryError(L"Failed to get data for '%s'", name);
}

void TRegistry::PutData(const String& name, const void* data, DWORD size, DWORD type) {
  if (RegSetValueExW(BaseKey(L""), name.c_str(), 0, type, static_cast<const BYTE*>(data), size) != ERROR_SUCCESS)
    RaiseRegistryError(L"Failed to set data for '%s'", name);
}

String TRegistry::ReadString(const String& name) const {
  if (!ValueExists(name)) return L"";
  DWORD type = 0;
  std::vector<BYTE> data = GetData(name, type);
  if (type != REG_SZ && type != REG_EXPAND_SZ) RaiseRegistryError(L"Invalid data type for '%s'", name);
  // Stored text need not end with a NUL, nor fill whole characters: it ends at its first NUL or its last whole
  // character, whichever comes first.
  String text(data.size() / sizeof(wchar_t), L'\0');
  if (!text.empty()) std::memcpy(text.data(), data.data(), text.size() * sizeof(wchar_t));
  text.resize(wcsnlen(text.c_str(), text.size()));
  return text;
}

void CheckRegistryText(const String& name, const String& value) {
  if (value.find(L'\0') != String::npos) RaiseRegistryError(L"Cannot store '%s': its text holds a NUL character", name);
}

void TRegistry::WriteString(const String& name, const String& value) {
  CheckRegistryText(name, value);
  PutData(name, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)), REG_SZ);
}

void TRegistry::WriteExpandString(const String& name, const String& value) {
  CheckRegistryText(name, value);
  PutData(name, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)), REG_EXPAND_SZ);
}

int TRegistry::ReadInteger(const String& name) const {
  DWORD type = 0;
  std::vector<BYTE> data = GetData(name, type);
  if (type != REG_DWORD || data.size() != sizeof(DWORD)) RaiseRegistryError(L"Invalid data type for '%s'", name);
  DWORD value = 0;
  std::memcpy(&value, data.data(), sizeof value);
  return static_cast<int>(value);
}

void TRegistry::WriteInteger(const String& name, int value) {
  DWORD data = static_cast<DWORD>(value);
  PutData(name, &data, sizeof data, REG_DWORD);
}

int TRegistry::ReadBinaryData(const String& name, void* buffer, int bufferSize) const {
  if (!ValueExists(name)) return 0;
  DWORD type = 0;
  std::vector<BYTE> data = GetData(name, type);
  const TRegDataType kind = DataTypeOf(type);
  if (kind != TRegDataType::rdBinary && kind != TRegDataType::rdUnknown)
    RaiseRegistryError(L"Invalid data type for '%s'", name);
  if (bufferSize < 0 || data.size() > static_cast<size_t>(bufferSize))
    throw ERegistryException(Format(L"'%s' holds %d bytes, more than the %d the buffer takes",
                                    {name, std::to_wstring(data.size()), std::to_wstring(std::max(bufferSize, 0))}));
  if (!data.empty()) std::memcpy(buffer, data.data(), data.size());
  return static_cast<int>(data.size());
}

void TRegistry::WriteBinaryData(const String& name, const void* buffer, int bufferSize) {
  PutData(name, buffer, static_cast<DWORD>(bufferSize), REG_BINARY);
}
