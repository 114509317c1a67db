// File names and addresses written in scripts the ANSI code page cannot hold, copied to the clipboard and read back
// as this program and other programs read them: while the source still owns the clipboard, and after the source
// rendered everything onto it and let it go.
#include <gtest/gtest.h>
#include <shellapi.h>
#include <shlobj.h>

#include <functional>
#include <string>
#include <vector>

#include "drag_drop_fixtures.h"
#include "framework/clipboard.h"
#include "framework/item_id_list.h"
#include "framework/text_convert.h"
#include "shell/dragdrop/drop_source.h"
#include "shell/dragdrop/file_formats.h"
#include "shell/dragdrop/pidl_formats.h"
#include "shell/dragdrop/url_drop_components.h"
#include "shell/dragdrop/url_formats.h"
#include "support/temp_folder.h"

using Microsoft::WRL::ComPtr;
using namespace shell;

namespace {

const struct {
  const char* Script;
  const wchar_t* Name;
} kNames[] = {
    {"Greek", L"\u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac"},
    {"CJK", L"\u4e2d\u6587\u540d \u65e5\u672c\u8a9e"},
    {"Hebrew and Arabic", L"\u05e2\u05d1\u05e8\u05d9\u05ea \u0627\u0644\u0639\u0631\u0628\u064a\u0629"},
    {"emoji", L"\U0001F600\U0001F30D"},
    {"Latin", L"plain caf\u00e9"},
};

// The names of the dropped-files record on the clipboard, as other programs read it through the platform.
std::vector<String> PlatformFileNames() {
  std::vector<String> names;
  if (!OpenClipboard(nullptr)) return names;
  if (auto drop = static_cast<HDROP>(GetClipboardData(CF_HDROP))) {
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
      String name(DragQueryFileW(drop, i, nullptr, 0), L'\0');
      DragQueryFileW(drop, i, name.data(), static_cast<UINT>(name.size() + 1));
      names.push_back(name);
    }
  }
  CloseClipboard();
  return names;
}

// The raw block of a clipboard format, as any program reads it; empty when the clipboard has none.
std::string ClipboardBlock(UINT format) {
  std::string bytes;
  if (!OpenClipboard(nullptr)) return bytes;
  if (HANDLE data = GetClipboardData(format)) {
    bytes.assign(static_cast<const char*>(GlobalLock(data)), GlobalSize(data));
    GlobalUnlock(data);
  }
  CloseClipboard();
  return bytes;
}

// The names of the dropped-files record as a program that reads ANSI names gets them.
std::vector<std::string> PlatformAnsiFileNames() {
  std::vector<std::string> names;
  if (!OpenClipboard(nullptr)) return names;
  if (auto drop = static_cast<HDROP>(GetClipboardData(CF_HDROP))) {
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
      std::string name(DragQueryFileA(drop, i, nullptr, 0), '\0');
      DragQueryFileA(drop, i, name.data(), static_cast<UINT>(name.size() + 1));
      names.push_back(name);
    }
  }
  CloseClipboard();
  return names;
}

class ClipboardNames : public TDragDropTest, public testing::WithParamInterface<bool> {
 protected:
  // Renders everything onto the clipboard and lets it go when the case says so.
  void Settle(TCustomDropSource& source) {
    if (GetParam()) source.FlushClipboard();
    EXPECT_EQ(source.IsCurrentClipboard(), !GetParam());
  }
};

TEST_P(ClipboardNames, FilesKeepTheirNames) {
  for (const auto& n : kNames) {
    SCOPED_TRACE(n.Script);
    TTempFolder root;
    const String folder = root.File(String(L"clip ") + n.Name);
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::vector<String> files = {folder + L"\\" + n.Name + L".txt", folder + L"\\" + n.Name + L" 2.txt"};
    for (const String& file : files)
      CloseHandle(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    TCustomDropMultiSource source(nullptr);
    auto* offered = new TFileDataFormat(&source);
    for (const String& file : files) offered->Files().Add(file);
    ASSERT_TRUE(source.CopyToClipboard());
    Settle(source);

    TFileDataFormat read(nullptr);
    ASSERT_TRUE(read.GetData(Clipboard().GetOleData().Get()));
    EXPECT_EQ(read.Files().Count(), 2);
    for (int i = 0; i < read.Files().Count(); ++i) EXPECT_EQ(read.Files().Strings(i), files.at(i));
    EXPECT_EQ(PlatformFileNames(), files);
    source.EmptyClipboard();
  }
}

TEST_P(ClipboardNames, AnAddressKeepsItsPathAndTitle) {
  for (const auto& n : kNames) {
    SCOPED_TRACE(n.Script);
    const String url = String(L"http://example.test/") + n.Name + L"/page";
    const String title = String(n.Name) + L" \U0001F600\U0001F30D";
    TDropURLSource source(nullptr);
    EXPECT_TRUE(source.SetURL(url).Alive());
    EXPECT_TRUE(source.SetTitle(title).Alive());
    ASSERT_TRUE(source.CopyToClipboard());
    Settle(source);

    TURLDataFormat read(nullptr);
    ASSERT_TRUE(read.GetData(Clipboard().GetOleData().Get()));
    EXPECT_EQ(read.URL(), url);
    EXPECT_EQ(read.Title(), title);
    source.EmptyClipboard();
  }
}

// File names offered as files and as name maps.
void OfferNames(TCustomDropMultiSource& source, const std::vector<String>& names) {
  auto* files = new TFileDataFormat(&source);
  auto* maps = new TFileMapDataFormat(&source);
  for (const String& name : names) {
    files->Files().Add(name);
    maps->FileMaps().Add(name);
  }
}

void OfferAddress(TCustomDropMultiSource& source, const String& url, const String& title) {
  auto* address = new TURLDataFormat(&source);
  EXPECT_TRUE(address->SetURL(url).Alive());
  EXPECT_TRUE(address->SetTitle(title).Alive());
}

// The shell's folders as absolute item-ID lists below the desktop's empty one.
void OfferShellFolders(TCustomDropMultiSource& source, const std::vector<int>& folders) {
  auto* items = new TPIDLDataFormat(&source);
  EXPECT_TRUE(items->PIDLs().Add(std::string(2, '\0')).Alive());
  for (int folder : folders) {
    LPITEMIDLIST pidl = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, folder, &pidl), S_OK);
    EXPECT_TRUE(items->PIDLs().Add(PIDLToString(TItemIdList(pidl).get())).Alive());
  }
}

String FolderPath(int folder) {
  wchar_t path[MAX_PATH] = {};
  EXPECT_EQ(SHGetFolderPathW(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, path), S_OK);
  return path;
}

std::vector<String> NamesOf(TStrings& names) {
  std::vector<String> list;
  for (int i = 0; i < names.Count(); ++i) list.push_back(names.Strings(i));
  return list;
}

// A list or an address comes back whole, from the data object a drag hands a target and from the clipboard, or is
// offered in no form. Names no file system of this machine may spell come back exactly. An empty name would close a
// list early, so that every reader lost the names after it, and a NUL inside a name, an address or a title would
// cut it there, or split a name in two: such an exchange is offered in no form. Item-ID lists holding a folder
// without a file-system path are offered as the lists alone, not as a list of files.
TEST_P(ClipboardNames, ExchangesComeBackWholeOrNotAtAll) {
  const std::vector<String> surrogates = {L"C:\\high \xD83D.txt", L"C:\\low \xDE00.txt"};
  const std::vector<String> longNames = {L"C:\\" + String(400, L'l') + L".txt", L"\\\\?\\C:\\" + String(1000, L'm')};
  const std::vector<CLIPFORMAT> fileForms = {CF_HDROP, FormatId(L"FileName"), FormatId(L"FileNameW"),
                                             FormatId(L"FileNameMap"), FormatId(L"FileNameMapW")};
  const std::vector<CLIPFORMAT> addressForms = {FormatId(L"UniformResourceLocator"),
                                                FormatId(L"UniformResourceLocatorW"),
                                                CF_TEXT,
                                                FormatId(L"Netscape Bookmark"),
                                                FormatId(L"Netscape Image Format"),
                                                FormatId(L"FileGroupDescriptor"),
                                                FormatId(L"FileGroupDescriptorW"),
                                                FormatId(L"FileContents")};
  const String page = L"http://example.test/page";
  const struct {
    const char* Name;
    std::function<void(TCustomDropMultiSource&)> Offer;
    // The forms the exchange travels in, all or none.
    std::vector<CLIPFORMAT> Forms;
    bool Offered;
    // What a file data format and an address data format read back.
    std::vector<String> Files;
    String URL;
    String Title;
  } cases[] = {
      {"lone surrogate halves",
       [&](auto& source) { OfferNames(source, surrogates); },
       fileForms,
       true,
       surrogates,
       {},
       {}},
      {"past the path limit", [&](auto& source) { OfferNames(source, longNames); }, fileForms, true, longNames, {}, {}},
      {"NUL inside a name",
       [](auto& source) {
         OfferNames(source, {String(L"C:\\a\0b.txt", 10), L"C:\\c.txt"});
       },
       fileForms,
       false,
       {},
       {},
       {}},
      {"NUL ending a name",
       [](auto& source) { OfferNames(source, {String(L"C:\\a.txt\0", 10)}); },
       fileForms,
       false,
       {},
       {},
       {}},
      {"empty name between two",
       [](auto& source) {
         OfferNames(source, {L"C:\\a.txt", L"", L"C:\\b.txt"});
       },
       fileForms,
       false,
       {},
       {},
       {}},
      {"empty name last",
       [](auto& source) {
         OfferNames(source, {L"C:\\a.txt", L""});
       },
       fileForms,
       false,
       {},
       {},
       {}},
      {"empty name alone", [](auto& source) { OfferNames(source, {L""}); }, fileForms, false, {}, {}, {}},
      {"folder without a path between two",
       [](auto& source) {
         OfferShellFolders(source, {CSIDL_WINDOWS, CSIDL_DRIVES, CSIDL_SYSTEM});
       },
       {CF_HDROP},
       false,
       {FolderPath(CSIDL_WINDOWS), L"", FolderPath(CSIDL_SYSTEM)},
       {},
       {}},
      {"address and title",
       [&](auto& source) { OfferAddress(source, page, L"Page"); },
       addressForms,
       true,
       {},
       page,
       L"Page"},
      {"NUL inside the address",
       [](auto& source) { OfferAddress(source, String(L"http://example.test/\0evil", 25), L"Page"); },
       addressForms,
       false,
       {},
       {},
       {}},
      {"NUL ending the address",
       [&](auto& source) { OfferAddress(source, page + L'\0', L"Page"); },
       addressForms,
       false,
       {},
       {},
       {}},
      {"NUL inside the title",
       [&](auto& source) { OfferAddress(source, page, String(L"Pa\0ge", 5)); },
       addressForms,
       false,
       {},
       {},
       {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TCustomDropMultiSource source(nullptr);
    c.Offer(source);
    ASSERT_TRUE(source.CopyToClipboard());
    Settle(source);
    const ComPtr<IDataObject> clipboard = Clipboard().GetOleData();
    for (IDataObject* data : {static_cast<IDataObject*>(&source), clipboard.Get()}) {
      SCOPED_TRACE(data == clipboard.Get() ? "from the clipboard" : "from the dragged data");
      TFileDataFormat files(nullptr);
      files.GetData(data);
      EXPECT_EQ(NamesOf(files.Files()), c.Files);
      TURLDataFormat address(nullptr);
      address.GetData(data);
      EXPECT_EQ(address.URL(), c.URL);
      EXPECT_EQ(address.Title(), c.Title);
      for (CLIPFORMAT form : c.Forms) EXPECT_EQ(BlockOf(data, form).empty(), !c.Offered) << form;
    }
    EXPECT_EQ(PlatformFileNames(), c.Offered ? c.Files : std::vector<String>{});
    source.EmptyClipboard();
  }
}

// Names the ANSI code page holds keep the layout old readers know, byte for byte: ANSI names in the dropped-files
// record and in the single file name.
TEST_P(ClipboardNames, NamesTheCodePageHoldsKeepTheAnsiLayout) {
  const std::vector<String> files = {L"C:\\plain caf\u00e9.txt", L"D:\\x\\y z"};
  for (const String& file : files) ASSERT_TRUE(FitsCodePage(file));
  TCustomDropMultiSource source(nullptr);
  auto* offered = new TFileDataFormat(&source);
  for (const String& file : files) offered->Files().Add(file);
  ASSERT_TRUE(source.CopyToClipboard());
  Settle(source);

  const std::string names = WideToAnsi(files[0]) + '\0' + WideToAnsi(files[1]) + '\0' + '\0';
  const std::string record = std::string("\x14\0\0\0", 4) + std::string(16, '\0') + names;
  EXPECT_EQ(ClipboardBlock(CF_HDROP).substr(0, record.size()), record);
  EXPECT_EQ(ClipboardBlock(RegisterClipboardFormatW(L"FileName")).substr(0, names.find('\0') + 1),
            WideToAnsi(files[0]) + '\0');
  EXPECT_EQ(PlatformAnsiFileNames(), (std::vector<std::string>{WideToAnsi(files[0]), WideToAnsi(files[1])}));
  source.EmptyClipboard();
}

// A title the code page holds comes back whole, however long and whatever it holds that a file name may not; the
// wide shortcut name is cut between whole characters, and where that name fits the code page the title is the
// bookmark's, as the code page gives it.
TEST_P(ClipboardNames, TitlesComeBackWholeAndShortcutNamesStayWhole) {
  const String longTitle = String(300, L't');
  const String straddling = String(119, L'a') + L"\U0001F600 tail";
  const struct {
    const char* Name;
    String Title;
    String Read;
    String WideShortcut;
  } cases[] = {
      {"file name characters", L"A: Title? / more", L"A: Title? / more", L"A  Title  .url"},
      {"past the shortcut name's length", longTitle, longTitle, String(120, L't') + L".url"},
      {"emoji across the shortcut name's length", straddling, AnsiToWide(WideToAnsi(straddling)),
       String(119, L'a') + L".url"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TDropURLSource source(nullptr);
    EXPECT_TRUE(source.SetURL(L"http://example.test/page").Alive());
    EXPECT_TRUE(source.SetTitle(c.Title).Alive());
    ASSERT_TRUE(source.CopyToClipboard());
    Settle(source);

    const std::string block = ClipboardBlock(RegisterClipboardFormatW(L"FileGroupDescriptorW"));
    ASSERT_GE(block.size(), sizeof(FILEGROUPDESCRIPTORW));
    EXPECT_EQ(String(reinterpret_cast<const FILEGROUPDESCRIPTORW*>(block.data())->fgd[0].cFileName), c.WideShortcut);
    TURLDataFormat read(nullptr);
    ASSERT_TRUE(read.GetData(Clipboard().GetOleData().Get()));
    EXPECT_EQ(read.Title(), c.Read);
    source.EmptyClipboard();
  }
}

INSTANTIATE_TEST_SUITE_P(LiveAndFlushed, ClipboardNames, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Flushed" : "Live"; });

}  // namespace
