// Every reader of the address, file, item-ID list and text formats meets seeded mutations of valid blocks, each
// placed so that its last byte ends a readable page: a read past the block faults instead of passing unseen.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>
#include <cwchar>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "drag_drop_fixtures.h"
#include "shell/dragdrop/file_formats.h"
#include "shell/dragdrop/internet_text_formats.h"
#include "shell/dragdrop/pidl_formats.h"
#include "shell/dragdrop/url_formats.h"
#include "shell/dragdrop/url_shortcut.h"
#include "support/hostile_input.h"
#include "support/temp_folder.h"

using namespace shell;

namespace {

// Every kind of mutation meets every field of each sample many times over in this many blocks per reader.
const int kInputsPerReader = 2000;
const uint32_t kSeed = 0x5EED2026;

std::string DWords(std::initializer_list<UINT> values) {
  std::string bytes;
  for (UINT value : values) bytes.append(reinterpret_cast<const char*>(&value), sizeof(value));
  return bytes;
}

// A reader is given the guarded bytes and answers whether it took them.
using TRead = std::function<bool(const uint8_t* data, size_t size)>;

template <class T>
TRead BlockReader() {
  return [](const uint8_t* data, size_t size) {
    T format;
    if (!format.ReadData(data, size)) return false;
    // What was taken can be offered again.
    WrittenBytes(format);
    return format.HasData();
  };
}

// A reader of the block's form, then of the address and its title from what that form took.
template <class T>
TRead AddressReader() {
  return [](const uint8_t* data, size_t size) {
    T format;
    if (!format.ReadData(data, size)) return false;
    TURLDataFormat address(nullptr);
    return address.Assign(&format) && address.HasData();
  };
}

std::string WideShortcutGroup(const wchar_t* name) {
  FILEGROUPDESCRIPTORW group{};
  group.cItems = 1;
  group.fgd[0].dwFlags = FD_LINKUI;
  std::wcscpy(group.fgd[0].cFileName, name);
  return std::string(reinterpret_cast<const char*>(&group), sizeof(group));
}

using AddressReaderFuzz = TDragDropTest;

// The item-ID lists of a real file: the shell reads the items' own bytes when it names them.
std::string ListsOfAFile(const TTempFolder& folder) {
  String path = folder.File(L"named.txt");
  CloseHandle(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  TStringList names;
  names.Add(path);
  TPIDLClipboardFormat format;
  FilenamesToPIDLs(names, format.PIDLs());
  return WrittenBytes(format);
}

TEST_F(AddressReaderFuzz, MutatedBlocksGiveOnlyCleanAnswers) {
  const std::string item("\x06\0abcd", 6), end("\0\0", 2);
  TTempFolder folder;
  struct TReader {
    const char* Name;
    TRead Read;
    std::string Sample;
  } readers[] = {
      {"item-ID lists", BlockReader<TPIDLClipboardFormat>(), DWords({2, 16, 18, 26}) + end + item + end + item + end},
      {"item-ID lists named by the shell",
       [](const uint8_t* data, size_t size) {
         TPIDLClipboardFormat format;
         if (!format.ReadData(data, size)) return false;
         for (int i = 0; i < format.Filenames().Count(); ++i) format.Filenames().Strings(i);
         return true;
       },
       ListsOfAFile(folder)},
      {"dropped files", BlockReader<TFileClipboardFormat>(),
       DWords({20, 0, 0, 0, 0}) + std::string("C:\\a.url\0D:\\b\0\0", 15)},
      {"wide dropped files", BlockReader<TFileClipboardFormat>(),
       DWords({20, 0, 0, 0, 1}) + std::string("C\0:\0\\\0a\0\0\0b\0\0\0\0\0", 16)},
      {"file name", BlockReader<TFilenameClipboardFormat>(), std::string("C:\\a\0", 5)},
      {"wide file name", BlockReader<TFilenameWClipboardFormat>(), std::string("C\0:\0\0\0", 6)},
      {"name map", BlockReader<TFilenameMapClipboardFormat>(), std::string("a\0bc\0\0", 6)},
      {"wide name map", BlockReader<TFilenameMapWClipboardFormat>(), std::string("a\0\0\0b\0\0\0\0\0", 10)},
      {"html", BlockReader<THTMLClipboardFormat>(), std::string("<html><body>x</body></html>\0", 28)},
      {"mail", BlockReader<TRFC822ClipboardFormat>(), std::string("Subject: s\r\n\r\nbody\0", 19)},
      {"vcard", BlockReader<TVCardClipboardFormat>(), std::string("BEGIN:VCARD\r\nFN:A B\r\nEND:VCARD\0", 31)},
      {"address", BlockReader<TURLClipboardFormat>(), std::string("http://a/\0", 10)},
      {"wide address", AddressReader<TURLWClipboardFormat>(),
       std::string(reinterpret_cast<const char*>(L"http://a/\u4e2d\0"), 22)},
      {"wide shortcut name", AddressReader<TFileGroupDescritorWClipboardFormat>(),
       WideShortcutGroup(L"\u0395\u03bb\u03bb.url")},
      {"bookmark", BlockReader<TNetscapeBookmarkClipboardFormat>(),
       std::string("http://a/") + std::string(1015, '\0') + "Title" + std::string(1019, '\0')},
      {"image", BlockReader<TNetscapeImageClipboardFormat>(),
       DWords({0, 0, 7, 9, 0, 0, 0, 0, 46, 48, 0}) + std::string("L\0T\0http://a/\0", 14)},
      {"shortcut text",
       [](const uint8_t* data, size_t size) {
         String url;
         return ReadURLFromShortcutText(AnsiString(reinterpret_cast<const char*>(data), size), url);
       },
       "[InternetShortcut]\r\nURL=http://a/\r\n"},
  };
  const size_t count = sizeof(readers) / sizeof(readers[0]);
  std::vector<int> accepted(count, 0);
  TMutator mutator(kSeed);
  const int inputs = kInputsPerReader * static_cast<int>(count);
  for (int i = 0; i < inputs; ++i) {
    size_t index = static_cast<size_t>(i) % count;
    std::string block = mutator.Mutate(readers[index].Sample);
    TGuardedBytes guarded(block);
    try {
      if (readers[index].Read(guarded.Data(), guarded.Size())) ++accepted[index];
    } catch (...) {
      ADD_FAILURE() << readers[index].Name << " raised on a block of " << block.size() << " bytes";
      break;
    }
  }
  // Each reader met blocks it took and blocks it refused.
  for (size_t i = 0; i < count; ++i) {
    EXPECT_GT(accepted[i], 0) << readers[i].Name;
    EXPECT_LT(accepted[i], kInputsPerReader) << readers[i].Name;
  }
}

}  // namespace
