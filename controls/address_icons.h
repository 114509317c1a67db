// The address-icon service: the system small-icon index for any address, folder or file, with a per-host cache
// for site icons, and the shared image list and bitmaps that the address box and the page window paint with.
#pragma once

// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <memory>
#include <vector>

#include "framework/bitmap.h"
#include "framework/image_list.h"
#include "framework/startup.h"

namespace controls {

// How the service asks the shell for file information; the default is SHGetFileInfoW. Tests install their own to
// count and answer the queries, because the shell here gives every type the same icon.
using TShellFileInfoQuery = DWORD_PTR (*)(const wchar_t* path, DWORD attributes, SHFILEINFOW* info, UINT flags);
// Installs query (null: the shell's own) and returns the one it replaces.
TShellFileInfoQuery SetShellFileInfoQuery(TShellFileInfoQuery query);

// The edge of every address icon.
extern int AddressIconSize;
// The system small-icon image list, shared: the handle belongs to the shell and is never destroyed here.
extern std::unique_ptr<TImageList> AddressImages;
// The generic page icon ("*.htm") and the folder icon of the program's own folder.
extern int DefaultPageIconIndex;
extern int AppFolderIconIndex;
// The icon the address box shows for the current page; the page window fills it.
extern std::unique_ptr<TBitmap> AddressIcon;
// Scratch bitmap for painting icons and list items.
extern std::unique_ptr<TBitmap> ItemBitmap;
// The logo drawn into an empty search box.
extern std::unique_ptr<TBitmap> LogoBitmap;

// One remembered site icon: the host in lower case and its system image list index.
struct THostIcon {
  String Host;
  int32_t IconIndex = 0;
};

// Grows by one entry per host asked for, up to MaxHostIcons entries; past that the oldest entry goes for each new
// one. Lookups find the first entry of a host.
extern std::vector<THostIcon> HostIconCache;
constexpr size_t MaxHostIcons = 1024;
// The temporary Internet shortcut through which the shell is asked for a site's icon; set by the page window.
extern String IconShortcutFile;
// The folder (with its trailing backslash) of the temporary files of GetFileTypeIconIndex.
extern String IconTempDir;

// The shell's folder identifier for a special-folder name (any case), 3000 (no folder) for any other name.
int SpecialFolderID(const String& name);
// Writes the Internet shortcut whose icon the shell gives for host, without the host's control characters;
// raises EFCreateError when it cannot.
void CreateIconShortcut(const String& fileName, const String& host);
// The system small-icon index for an address, a special folder, a file or a folder; -1 for an empty address. A
// site's address gets the default page icon while IconShortcutFile is empty.
// Refresh asks the shell again for a site that the cache already knows.
int GetURLIconIndex(const String& address, bool refresh);
// The system small-icon index for the type (extension) of fileName, through an empty temporary file.
int GetFileTypeIconIndex(const String& fileName);
// Paints the default page icon on the window colour into bitmap, which becomes 16 x 16; false for null.
bool GetAddressIconBitmap(TBitmap* bitmap);

// The unit of the address box: its start makes the shared image list, the bitmaps and the logo; its end frees
// them and forgets the cache and the temporary-file paths.
const TUnit& AddressBoxUnit();

}  // namespace controls
