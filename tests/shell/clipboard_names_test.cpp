// File names and addresses written in scripts the ANSI code page cannot hold, copied to the clipboard and read back
// as this program and other programs read them: while the source still owns the clipboard, and after the source
// rendered everything onto it and let it go.
#include <gtest/gtest.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "drag_drop_fixtures.h"
#include "framework/clipboard.h"
#include "framework/text_convert.h"
#include "shell/dragdrop/drop_source.h"
#include "shell/dragdrop/file_formats.h"
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
    source.SetURL(url);
    source.SetTitle(title);
    ASSERT_TRUE(source.CopyToClipboard());
    Settle(source);

    TURLDataFormat read(nullptr);
    ASSERT_TRUE(read.GetData(Clipboard().GetOleData().Get()));
    EXPECT_EQ(read.URL(), url);
    EXPECT_EQ(read.Title(), title);
    source.EmptyClipboard();
  }
}

// Names no file system of this machine may spell still come back exactly; a list (of files or of name maps) with a
// NUL inside a name would come back cut there or split in two, naming other files, and is offered in no form.
TEST_P(ClipboardNames, NamesComeBackExactlyOrNotAtAll) {
  const struct {
    const char* Name;
    std::vector<String> Files;
    bool Offered;
  } cases[] = {
      {"lone surrogate halves", {L"C:\\high \xD83D.txt", L"C:\\low \xDE00.txt"}, true},
      {"past the path limit", {L"C:\\" + String(400, L'l') + L".txt", L"\\\\?\\C:\\" + String(1000, L'm')}, true},
      {"NUL inside a name", {String(L"C:\\a\0b.txt", 10), L"C:\\c.txt"}, false},
      {"NUL ending a name", {String(L"C:\\a.txt\0", 10)}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TCustomDropMultiSource source(nullptr);
    auto* offered = new TFileDataFormat(&source);
    auto* maps = new TFileMapDataFormat(&source);
    for (const String& file : c.Files) {
      offered->Files().Add(file);
      maps->FileMaps().Add(file);
    }
    ASSERT_TRUE(source.CopyToClipboard());
    Settle(source);

    TFileDataFormat read(nullptr);
    EXPECT_EQ(read.GetData(Clipboard().GetOleData().Get()), c.Offered);
    std::vector<String> names;
    for (int i = 0; i < read.Files().Count(); ++i) names.push_back(read.Files().Strings(i));
    const std::vector<String> expected = c.Offered ? c.Files : std::vector<String>{};
    EXPECT_EQ(names, expected);
    EXPECT_EQ(PlatformFileNames(), expected);
    for (const wchar_t* form : {L"FileName", L"FileNameW", L"FileNameMap", L"FileNameMapW"})
      EXPECT_EQ(ClipboardBlock(RegisterClipboardFormatW(form)).empty(), !c.Offered);
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
    source.SetURL(L"http://example.test/page");
    source.SetTitle(c.Title);
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
