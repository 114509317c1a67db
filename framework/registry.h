// The registry: a key holder that closes what it owns, and TRegistry, which works on one open key at a time below
// a root key. Paths starting with "\" are taken from the root, others from the open key.
#pragma once

#include <windows.h>

#include <utility>
#include <vector>

#include "framework/object.h"

class TStrings;

// Owns one open registry key and closes it; the predefined root keys are never closed.
class TRegKey {
 public:
  TRegKey() = default;
  explicit TRegKey(HKEY key) : key_(key) {}
  TRegKey(const TRegKey&) = delete;
  TRegKey& operator=(const TRegKey&) = delete;
  TRegKey(TRegKey&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}
  TRegKey& operator=(TRegKey&& other) noexcept;
  ~TRegKey() { Reset(); }

  HKEY Get() const { return key_; }
  explicit operator bool() const { return key_ != nullptr; }
  // Closes the key held and holds the new one.
  void Reset(HKEY key = nullptr);
  HKEY Release() { return std::exchange(key_, nullptr); }

 private:
  HKEY key_ = nullptr;
};

enum class TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

struct TRegDataInfo {
  TRegDataType RegData = TRegDataType::rdUnknown;
  int DataSize = 0;
};

// Raises ERegistryException "Cannot store '%s': its text holds a NUL character" for a text that reading would cut
// at that NUL.
void CheckRegistryText(const String& name, const String& value);

// Reading a value of the wrong type, a missing number or too small a buffer raises ERegistryException
// "Invalid data type for '%s'" or "Failed to get data for '%s'"; a failed write "Failed to set data for '%s'";
// a key that cannot be made "Failed to create key %s"; a text with a NUL inside is refused (CheckRegistryText).
class TRegistry : public TObject {
  BC_CLASS(TRegistry, TObject)
  explicit TRegistry(REGSAM access = KEY_ALL_ACCESS) : access_(access) {}
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  // HKEY_CURRENT_USER until set; setting it closes the open key.
  HKEY RootKey() const { return rootKey_; }
  void SetRootKey(HKEY rootKey);
  REGSAM Access() const { return access_; }
  void SetAccess(REGSAM access) { access_ = access; }
  // The open key (null when none) and its path below the root.
  HKEY CurrentKey() const { return currentKey_.Get(); }
  const String& CurrentPath() const { return currentPath_; }

  // Opens the key with Access, making it when canCreate; answers success. The key opened replaces the open one.
  bool OpenKey(const String& key, bool canCreate);
  // Opens the key for reading only (Access becomes the rights that worked); answers success.
  bool OpenKeyReadOnly(const String& key);
  void CloseKey();
  // Makes the key without opening it; raises when that fails.
  void CreateKey(const String& key);
  // Deletes the key with everything below it; answers success.
  bool DeleteKey(const String& key);
  bool KeyExists(const String& key);
  bool DeleteValue(const String& name);
  bool ValueExists(const String& name) const;
  void GetKeyNames(TStrings* strings) const;
  void GetValueNames(TStrings* strings) const;
  bool GetDataInfo(const String& name, TRegDataInfo& info) const;
  // The size in bytes, -1 when the value is missing.
  int GetDataSize(const String& name) const;
  TRegDataType GetDataType(const String& name) const;

  // A missing value reads as empty text; expandable text is read as it is stored. The text ends at its first NUL
  // or at the end of the value, whichever comes first.
  String ReadString(const String& name) const;
  void WriteString(const String& name, const String& value);
  void WriteExpandString(const String& name, const String& value);
  // Only a REG_DWORD of exactly four bytes is an integer.
  int ReadInteger(const String& name) const;
  void WriteInteger(const String& name, int value);
  bool ReadBool(const String& name) const { return ReadInteger(name) != 0; }
  void WriteBool(const String& name, bool value) { WriteInteger(name, value ? 1 : 0); }
  // Copies the value into the buffer and answers its size; 0 for a missing value.
  int ReadBinaryData(const String& name, void* buffer, int bufferSize) const;
  void WriteBinaryData(const String& name, const void* buffer, int bufferSize);

 private:
  HKEY BaseKey(const String& key) const;
  static String RelativePath(const String& key);
  void ChangeKey(HKEY key, const String& path);
  void PutData(const String& name, const void* data, DWORD size, DWORD type);
  // The value's bytes, exactly as many as it holds, and its type; raises when it cannot be read.
  std::vector<BYTE> GetData(const String& name, DWORD& type) const;

  HKEY rootKey_ = HKEY_CURRENT_USER;
  REGSAM access_;
  TRegKey currentKey_;
  String currentPath_;
};
