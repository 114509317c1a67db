#include "controls/address_icons.h"

#include <shlobj.h>

#include <algorithm>
#include <memory>

#include "controls/address_box.h"
#include "controls/address_routines.h"
#include "framework/exceptions.h"
#include "framework/item_id_list.h"
#include "framework/text_convert.h"

namespace controls {

int AddressIconSize = 16;
std::unique_ptr<TImageList> AddressImages;
int DefaultPageIconIndex = 0;
int AppFolderIconIndex = 0;
std::unique_ptr<TBitmap> AddressIcon;
std::unique_ptr<TBitmap> ItemBitmap;
std::unique_ptr<TBitmap> LogoBitmap;
std::vector<THostIcon> HostIconCache;
String IconShortcutFile;
String IconTempDir;

namespace {

// The logo's bitmap resource in the program's module.
constexpr wchar_t kLogoResourceName[] = L"ADDRESSBOXLOGO";
constexpr int kNoSpecialFolder = 3000;
constexpr UINT kSmallIconIndexFlags = SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES;

DWORD_PTR ShellFileInfo(const wchar_t* path, DWORD attributes, SHFILEINFOW* info, UINT flags) {
  return SHGetFileInfoW(path, attributes, info, sizeof(*info), flags);
}

TShellFileInfoQuery shellFileInfoQuery = &ShellFileInfo;

// Asks the shell and returns the icon index; a failed query leaves the zero of the fresh record. An icon handle
// that the flags asked for is the caller's to free and nobody here wants it.
int QueryIconIndex(const wchar_t* path, DWORD attributes, UINT flags) {
  SHFILEINFOW info{};
  shellFileInfoQuery(path, attributes, &info, flags);
  if ((flags & SHGFI_ICON) && info.hIcon) DestroyIcon(info.hIcon);
  return info.iIcon;
}

bool FileExists(const String& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const String& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

String LowerCase(String text) {
  if (!text.empty()) CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

String UpperCase(String text) {
  if (!text.empty()) CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

// The extension of a file name with its dot, or empty.
String ExtractFileExt(const String& fileName) {
  const size_t dot = fileName.find_last_of(L".\\/:");
  if (dot == String::npos || fileName[dot] != L'.') return String();
  return fileName.substr(dot);
}

void WriteWholeFile(const String& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    throw EFCreateError(Format(L"Cannot create file \"%s\". %s", {path, SysErrorMessage(error)}));
  }
  DWORD written = 0;
  const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  const DWORD error = GetLastError();
  CloseHandle(file);
  if (!ok || written != bytes.size()) RaiseLastOSError(error);
}

int SiteIconIndex(const String& address, bool refresh) {
  const String host = LowerCase(UrlHostPart(address));
  if (!refresh) {
    for (const THostIcon& entry : HostIconCache)
      if (entry.Host == host) return entry.IconIndex;
  }
  // Until the page window names a shortcut file there is no way to ask for a site's own icon.
  if (IconShortcutFile.empty()) return DefaultPageIconIndex;
  CreateIconShortcut(IconShortcutFile, host);
  const int index = QueryIconIndex(IconShortcutFile.c_str(), FILE_ATTRIBUTE_NORMAL, kSmallIconIndexFlags);
  // A browser meets hosts without end; the oldest one is the least likely to come back.
  if (HostIconCache.size() >= MaxHostIcons) HostIconCache.erase(HostIconCache.begin());
  HostIconCache.push_back({host, index});
  return index;
}

// The folder of GetFileTypeIconIndex's temporary file: IconTempDir, or the system's temporary folder until the
// page window names one, so that no file lands in whatever the current folder is.
String TypeTestFolder() {
  if (!IconTempDir.empty()) return IconTempDir;
  wchar_t path[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, path);
  return length > 0 && length <= MAX_PATH ? String(path, length) : String();
}

// The folder of the program file, without its trailing backslash.
String ProgramFolder() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  String folder(path, length);
  const size_t slash = folder.find_last_of(L'\\');
  return slash == String::npos ? String() : folder.substr(0, slash);
}

// The classes of this unit that stored forms name.
std::vector<const TClass*> StoredClasses() {
  return {TAlignEdit::StaticClass(), TAlignComboBox::StaticClass(), TAddressBox::StaticClass()};
}

void InitializeAddressBox() {
  SHFILEINFOW info{};
  const auto systemList =
      reinterpret_cast<HIMAGELIST>(shellFileInfoQuery(L"", 0, &info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
  AddressImages = std::make_unique<TImageList>();
  AddressImages->SetShareImages(true);
  AddressImages->SetHandle(systemList);
  AddressImages->SetDrawingStyle(TDrawingStyle::dsTransparent);
  DefaultPageIconIndex = GetURLIconIndex(L"about:blank", false);
  AppFolderIconIndex = GetURLIconIndex(ProgramFolder(), false);
  AddressIconSize = 16;
  AddressIcon = std::make_unique<TBitmap>();
  AddressIcon->SetSize(AddressIconSize, AddressIconSize);
  GetAddressIconBitmap(AddressIcon.get());
  ItemBitmap = std::make_unique<TBitmap>();
  LogoBitmap = std::make_unique<TBitmap>();
  LogoBitmap->LoadFromResourceName(GetModuleHandleW(nullptr), kLogoResourceName);
  for (const TClass* cls : StoredClasses()) RegisterPersistentClass(cls);
}

void FinalizeAddressBox() {
  for (const TClass* cls : StoredClasses()) UnregisterPersistentClass(cls);
  AddressIcon.reset();
  AddressImages.reset();
  ItemBitmap.reset();
  LogoBitmap.reset();
  HostIconCache.clear();
  IconTempDir.clear();
  IconShortcutFile.clear();
}

}  // namespace

TShellFileInfoQuery SetShellFileInfoQuery(TShellFileInfoQuery query) {
  TShellFileInfoQuery previous = shellFileInfoQuery;
  shellFileInfoQuery = query ? query : &ShellFileInfo;
  return previous;
}

int SpecialFolderID(const String& name) {
  struct TSpecialFolder {
    const wchar_t* Name;
    int Csidl;
  };
  static constexpr TSpecialFolder kFolders[] = {
      {L"DESKTOP", CSIDL_DESKTOP},
      {L"PRINTERS", CSIDL_PRINTERS},
      {L"MY DOCUMENTS", CSIDL_PERSONAL},
      {L"RECYCLE BIN", CSIDL_BITBUCKET},
      {L"NETWORK NEIGHBORHOOD", CSIDL_NETWORK},
      {L"MY COMPUTER", CSIDL_DRIVES},
      {L"PROGRAMS", CSIDL_PROGRAMS},
      {L"CONTROL PANEL", CSIDL_CONTROLS},
      {L"FAVORITES", CSIDL_FAVORITES},
      {L"STARTUP", CSIDL_STARTUP},
      {L"RECENT", CSIDL_RECENT},
      {L"SENDTO", CSIDL_SENDTO},
      {L"STARTMENU", CSIDL_STARTMENU},
      {L"DESKTOP DIRECTORY", CSIDL_DESKTOPDIRECTORY},
      {L"NETHOOD", CSIDL_NETHOOD},
      {L"FONTS", CSIDL_FONTS},
      {L"TEMPLATES", CSIDL_TEMPLATES},
      {L"APPDATA", CSIDL_APPDATA},
      {L"PRINTHOOD", CSIDL_PRINTHOOD},
  };
  const String upper = UpperCase(name);
  for (const TSpecialFolder& folder : kFolders)
    if (upper == folder.Name) return folder.Csidl;
  return kNoSpecialFolder;
}

void CreateIconShortcut(const String& fileName, const String& host) {
  // A line break in the host would add lines of its own to the file.
  String safeHost = host;
  safeHost.erase(std::remove_if(safeHost.begin(), safeHost.end(), [](wchar_t c) { return c < L' ' || c == 0x7F; }),
                 safeHost.end());
  const String text = L"[InternetShortcut]\r\nURL=" + safeHost + L"\r\nIconFile=" +
                      LowerCase(L"http://" + safeHost + L"/favicon.ico") + L"\r\nIconIndex=1\r\n";
  WriteWholeFile(fileName, WideToAnsi(text));
}

int GetURLIconIndex(const String& address, bool refresh) {
  LPITEMIDLIST folderItems = nullptr;
  if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, SpecialFolderID(address), &folderItems))) {
    const TItemIdList owned(folderItems);
    return QueryIconIndex(reinterpret_cast<const wchar_t*>(owned.get()), 0, SHGFI_ICON | SHGFI_PIDL);
  }
  if (FileExists(address)) return QueryIconIndex(address.c_str(), FILE_ATTRIBUTE_NORMAL, kSmallIconIndexFlags);
  if (address.size() >= 7 && LowerCase(address.substr(0, 7)) == L"file://")
    return QueryIconIndex(address.c_str(), FILE_ATTRIBUTE_NORMAL, kSmallIconIndexFlags);
  if (DirectoryExists(address))
    return QueryIconIndex(address.c_str(), FILE_ATTRIBUTE_DIRECTORY, kSmallIconIndexFlags | SHGFI_ICON);
  if (FastPos(L"http://", address) > 0) return SiteIconIndex(address, refresh);
  if (!address.empty()) return QueryIconIndex(L"*.htm", FILE_ATTRIBUTE_NORMAL, kSmallIconIndexFlags);
  return -1;
}

int GetFileTypeIconIndex(const String& fileName) {
  const String path = TypeTestFolder() + L"$test$" + SafeFileName(ExtractFileExt(fileName));
  WriteWholeFile(path, std::string());
  const int index = GetURLIconIndex(path, false);
  DeleteFileW(path.c_str());
  return index;
}

bool GetAddressIconBitmap(TBitmap* bitmap) {
  if (!bitmap) return false;
  bitmap->SetSize(AddressIconSize, AddressIconSize);
  bitmap->Canvas()->Brush()->SetColor(clWindow);
  bitmap->Canvas()->FillRect(RECT{0, 0, AddressIconSize, AddressIconSize});
  if (!AddressImages || DefaultPageIconIndex < 0 || DefaultPageIconIndex >= AddressImages->Count()) return false;
  AddressImages->GetBitmap(DefaultPageIconIndex, bitmap);
  return true;
}

const TUnit& AddressBoxUnit() {
  static const TUnit unit{L"AddressBox", &InitializeAddressBox, &FinalizeAddressBox, {&ControlsUnit()}};
  return unit;
}

}  // namespace controls
