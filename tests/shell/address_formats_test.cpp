// The byte layouts of the address, file, item-ID list and text formats, how an address is read from each form a
// program may drop it in, and what the address source offers.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "drag_drop_fixtures.h"
#include "framework/text_convert.h"
#include "shell/dragdrop/file_formats.h"
#include "shell/dragdrop/generic_data_formats.h"
#include "shell/dragdrop/internet_text_formats.h"
#include "shell/dragdrop/pidl_formats.h"
#include "shell/dragdrop/url_drop_components.h"
#include "shell/dragdrop/url_formats.h"
#include "shell/dragdrop/url_shortcut.h"
#include "support/hostile_input.h"
#include "support/temp_folder.h"
#include "support/test_window.h"

using Microsoft::WRL::ComPtr;
using namespace shell;

namespace {

using TMake = std::function<std::unique_ptr<TCustomSimpleClipboardFormat>()>;

template <class T>
TMake Maker() {
  return [] { return std::make_unique<T>(); };
}

std::string Bytes(const char* text, size_t size) { return std::string(text, size); }

std::string DWords(std::initializer_list<UINT> values) {
  std::string bytes;
  for (UINT value : values) bytes.append(reinterpret_cast<const char*>(&value), sizeof(value));
  return bytes;
}

std::string Field(const std::string& text, size_t size) { return text + std::string(size - text.size(), '\0'); }

std::string Wide(const std::wstring& text) {
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

std::string DropFiles(const std::string& names, bool wide = false, UINT offset = 20) {
  return DWords({offset, 0, 0, 0, wide ? 1u : 0u}) + names;
}

// A "Netscape Image Format" block: two numbers, then the offsets of the extra texts, title and address.
std::string ImageBlock(UINT first, UINT second, std::initializer_list<UINT> offsets, const std::string& texts) {
  std::string header = DWords({0, 0, first, second, 0, 0, 0});
  for (UINT offset : offsets) header += DWords({offset});
  return header + texts;
}

const std::string kItem = Bytes("\x06\0abcd", 6);
const std::string kEnd = Bytes("\0\0", 2);

// Reading the block at the end of a guarded page, as the platform would hand it over.
bool ReadGuarded(TCustomSimpleClipboardFormat& format, const std::string& block) {
  TGuardedBytes guarded(block);
  return format.ReadData(guarded.Data(), guarded.Size());
}

using AddressFormats = TDragDropTest;

TEST_F(AddressFormats, GoldenBlocksAreWrittenAndReadBack) {
  struct TCase {
    const char* Name;
    TMake Make;
    std::function<void(TCustomSimpleClipboardFormat&)> Fill;
    std::string Golden;
  } cases[] = {
      {"address", Maker<TURLClipboardFormat>(),
       [](auto& f) { static_cast<TURLClipboardFormat&>(f).SetData("http://a/"); }, Bytes("http://a/\0", 10)},
      {"bookmark", Maker<TNetscapeBookmarkClipboardFormat>(),
       [](auto& f) { static_cast<TNetscapeBookmarkClipboardFormat&>(f).SetURL("http://a/"); },
       Field("http://a/", 1024)},
      {"bookmark with title", Maker<TNetscapeBookmarkClipboardFormat>(),
       [](auto& f) {
         auto& bookmark = static_cast<TNetscapeBookmarkClipboardFormat&>(f);
         bookmark.SetURL("http://a/");
         bookmark.SetTitle("Page");
       },
       Field("http://a/", 1024) + Field("Page", 1024)},
      {"image", Maker<TNetscapeImageClipboardFormat>(),
       [](auto& f) {
         auto& image = static_cast<TNetscapeImageClipboardFormat&>(f);
         image.SetFirstNumber(7);
         image.SetSecondNumber(9);
         image.SetLeadingText("L");
         image.SetTitle("T");
         image.SetURL("http://a/");
       },
       ImageBlock(7, 9, {0, 46, 48, 0}, Bytes("L\0T\0http://a/\0", 14))},
      {"dropped files", Maker<TFileClipboardFormat>(),
       [](auto& f) {
         auto& files = static_cast<TFileClipboardFormat&>(f).Files();
         files.Add(L"C:\\a");
         files.Add(L"C:\\bc");
       },
       DropFiles(Bytes("C:\\a\0C:\\bc\0\0", 12))},
      {"file name", Maker<TFilenameClipboardFormat>(),
       [](auto& f) { static_cast<TFilenameClipboardFormat&>(f).SetData("C:\\a"); }, Bytes("C:\\a\0", 5)},
      {"wide file name", Maker<TFilenameWClipboardFormat>(),
       [](auto& f) { static_cast<TFilenameWClipboardFormat&>(f).SetWideText(L"C:\\\u00e9"); },
       Wide(std::wstring(L"C:\\\u00e9\0", 5))},
      {"name map", Maker<TFilenameMapClipboardFormat>(),
       [](auto& f) {
         auto& maps = static_cast<TFilenameMapClipboardFormat&>(f).FileMaps();
         maps.Add(L"a");
         maps.Add(L"bc");
       },
       Bytes("a\0bc\0\0", 6)},
      {"wide name map", Maker<TFilenameMapWClipboardFormat>(),
       [](auto& f) { static_cast<TFilenameMapWClipboardFormat&>(f).FileMaps().Add(L"\u0416"); },
       Wide(std::wstring(L"\u0416\0\0", 3))},
      {"item-ID lists", Maker<TPIDLClipboardFormat>(),
       [](auto& f) {
         auto& pidls = static_cast<TPIDLClipboardFormat&>(f).PIDLs();
         EXPECT_TRUE(pidls.Add(kEnd).Alive());
         EXPECT_TRUE(pidls.Add(kItem + kEnd).Alive());
       },
       DWords({1, 12, 14}) + kEnd + kItem + kEnd},
      {"html", Maker<THTMLClipboardFormat>(),
       [](auto& f) { static_cast<THTMLClipboardFormat&>(f).Lines().Add(L"<html>x</html>"); },
       Bytes("<html>x</html>\r\n\0", 17)},
      {"mail", Maker<TRFC822ClipboardFormat>(),
       [](auto& f) { static_cast<TRFC822ClipboardFormat&>(f).Lines().SetText(L"Subject: s\r\n\r\nbody"); },
       Bytes("Subject: s\r\n\r\nbody\r\n\0", 21)},
  };
  for (const TCase& c : cases) {
    auto written = c.Make();
    c.Fill(*written);
    EXPECT_EQ(WrittenBytes(*written), c.Golden) << c.Name;
    auto read = c.Make();
    ASSERT_TRUE(ReadGuarded(*read, c.Golden)) << c.Name;
    EXPECT_TRUE(read->HasData()) << c.Name;
    EXPECT_EQ(WrittenBytes(*read), c.Golden) << c.Name;
  }
}

TEST_F(AddressFormats, BlocksThatClaimMoreThanTheyHoldAreRefused) {
  struct TCase {
    const char* Name;
    TMake Make;
    std::string Block;
  } cases[] = {
      // Two lists need three offsets: the count and two offsets are not enough.
      {"offsets cut short", Maker<TPIDLClipboardFormat>(), DWords({1, 12}) + kEnd},
      {"offset past the block", Maker<TPIDLClipboardFormat>(), DWords({1, 12, 400}) + kEnd + kItem + kEnd},
      {"item past the block", Maker<TPIDLClipboardFormat>(), DWords({1, 12, 14}) + kEnd + Bytes("\x40\0ab", 4)},
      {"item smaller than its size", Maker<TPIDLClipboardFormat>(),
       DWords({1, 12, 14}) + kEnd + Bytes("\x01\0\0\0", 4)},
      {"list without terminator", Maker<TPIDLClipboardFormat>(), DWords({1, 12, 14}) + kEnd + kItem},
      {"huge count", Maker<TPIDLClipboardFormat>(), DWords({0xFFFFFFFF, 12, 14}) + kEnd + kItem + kEnd},
      {"one list named again and again", Maker<TPIDLClipboardFormat>(),
       DWords({4, 24, 24, 24, 24, 24}) + kItem + kItem + kEnd},
      {"folder alone", Maker<TPIDLClipboardFormat>(), DWords({0, 8}) + kEnd},
      {"header alone", Maker<TFileClipboardFormat>(), DropFiles("")},
      {"names past the block", Maker<TFileClipboardFormat>(), DropFiles(Bytes("a\0\0", 3), false, 4000)},
      {"name without terminator", Maker<TFileClipboardFormat>(), DropFiles("C:\\a")},
      {"wide name without terminator", Maker<TFileClipboardFormat>(), DropFiles(Wide(L"C:\\a") + "\0", true)},
      {"first name empty", Maker<TFileClipboardFormat>(), DropFiles(Bytes("\0C:\\a\0\0", 7))},
      {"map name without terminator", Maker<TFilenameMapClipboardFormat>(), "abc"},
      {"descriptor count past the block", Maker<TFileGroupDescritorClipboardFormat>(),
       DWords({3}) + std::string(332, 'n')},
      {"bookmark address without terminator", Maker<TNetscapeBookmarkClipboardFormat>(), std::string(1024, 'u')},
      {"short bookmark without terminator", Maker<TNetscapeBookmarkClipboardFormat>(), "http://a/"},
      {"bookmark title without terminator", Maker<TNetscapeBookmarkClipboardFormat>(),
       Field("http://a/", 1024) + std::string(300, 't')},
      {"image header alone", Maker<TNetscapeImageClipboardFormat>(), ImageBlock(0, 0, {0, 0, 0, 0}, "")},
      {"image leading text without terminator", Maker<TNetscapeImageClipboardFormat>(),
       ImageBlock(0, 0, {0, 0, 0, 0}, "lead")},
      {"image address past the block", Maker<TNetscapeImageClipboardFormat>(),
       ImageBlock(0, 0, {0, 0, 0x7FFFFFFF, 0}, Bytes("\0", 1))},
      {"image title without terminator", Maker<TNetscapeImageClipboardFormat>(),
       ImageBlock(0, 0, {0, 45, 0, 0}, Bytes("\0title", 6))},
  };
  for (const TCase& c : cases) {
    auto format = c.Make();
    EXPECT_FALSE(ReadGuarded(*format, c.Block) && format->HasData()) << c.Name;
  }
}

TEST_F(AddressFormats, NameListsReadEveryWidthAndStopAtAnEmptyName) {
  TFileClipboardFormat files;
  ASSERT_TRUE(ReadGuarded(files, DropFiles(Wide(std::wstring(L"C:\\\u0416\0D:\\b\0\0", 10)), true)));
  EXPECT_EQ(files.Files().Text(), L"C:\\\u0416\r\nD:\\b\r\n");
  // A list that ends with the block needs no closing zero.
  ASSERT_TRUE(ReadGuarded(files, DropFiles(Bytes("x\0y\0", 4))));
  EXPECT_EQ(files.Files().Text(), L"x\r\ny\r\n");
  TFilenameMapWClipboardFormat maps;
  ASSERT_TRUE(ReadGuarded(maps, Wide(std::wstring(L"m\0\0n\0", 5))));
  EXPECT_EQ(maps.FileMaps().Text(), L"m\r\n");
}

TEST_F(AddressFormats, AVCardIsReadAsNameValueLinesWhateverTheCaseOfItsFrame) {
  struct TCase {
    std::string Block;
    const wchar_t* Lines;
  } cases[] = {
      {Bytes("BEGIN:VCARD\r\nFN:A B\r\nEND:VCARD\0", 31), L"FN=A B\r\n"},
      {Bytes("begin:vcard\rN:x:y\rend:VCard\0", 28), L"N=x:y\r\n"},
      {Bytes("FN:only\r\nEND:VCARD:more\0", 24), L"FN=only\r\nEND=VCARD:more\r\n"},
  };
  for (const TCase& c : cases) {
    TVCardClipboardFormat card;
    ASSERT_TRUE(ReadGuarded(card, c.Block));
    EXPECT_EQ(card.Lines().Text(), c.Lines);
  }
  // Lines end in CR alone when written, with a blank line before the end line, and ":" between name and value.
  TVCardClipboardFormat card;
  card.Lines().Add(L"FN=A B");
  const std::string written = Bytes("begin:vcard\rFN:A B\r\rend:vcard\0", 30);
  EXPECT_EQ(WrittenBytes(card), written);
}

// Up to a line's separator, reading shows ":" for "=" and "=" for ":", and writing trades them back: the first "="
// splits name from value however many parameters the name has, and a card travels any number of times unchanged.
TEST_F(AddressFormats, AVCardReadsBackAsItWasWritten) {
  const struct {
    const char* Card;  // lines ended by CR, between the frame's lines
    const wchar_t* Names;
    const wchar_t* Values;
  } cases[] = {
      {"FN:A B", L"FN", L"A B"},
      {"URL:http://x.test:8080/p\rEMAIL:a@b.c", L"URL EMAIL", L"http://x.test:8080/p a@b.c"},
      {"TEL;TYPE=HOME:+1 555 0100", L"TEL;TYPE:HOME", L"+1 555 0100"},
      {"NOTE;ENCODING=QUOTED-PRINTABLE:caf=C3=\r=A9 =3D x", L"NOTE;ENCODING:QUOTED-PRINTABLE ", L"caf=C3= "},
      {"N:x\r\rNOTE:y=z:w", L"N  NOTE", L"x  y=z:w"},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.Card);
    const std::string block = std::string("begin:vcard\r") + test.Card + "\r\rend:vcard" + std::string(1, '\0');
    TVCardClipboardFormat card;
    ASSERT_TRUE(ReadGuarded(card, block));
    String names, values;
    for (int i = 0; i < card.Lines().Count(); ++i) {
      names += (i ? L" " : L"") + card.Lines().Names(i);
      values += (i ? L" " : L"") + card.Lines().ValueFromIndex(i);
    }
    EXPECT_EQ(names, test.Names);
    EXPECT_EQ(values, test.Values);
    for (int trip = 0; trip < 3; ++trip) {
      EXPECT_EQ(WrittenBytes(card), block) << trip;
      ASSERT_TRUE(ReadGuarded(card, WrittenBytes(card)));
    }
  }
  TVCardClipboardFormat empty;
  EXPECT_EQ(empty.GetSize(), 0u);
  std::string buffer(23, '\0');
  EXPECT_FALSE(empty.WriteData(buffer.data(), buffer.size()));
}

TEST_F(AddressFormats, HTMLIsRecognisedInItsFirst500Characters) {
  const String late = String(496, L' ') + L"<html>";
  EXPECT_TRUE(IsHTML(L"  <HTML><body>"));
  EXPECT_FALSE(IsHTML(late));
  EXPECT_EQ(MakeHTML(L"word"), L"<HTML>\r\n<BODY>\r\nword\r\n</BODY>\r\n</HTML>");
  EXPECT_EQ(MakeHTML(late), L"<HTML>\r\n<BODY>\r\n" + late + L"\r\n</BODY>\r\n</HTML>");

  ComPtr<TTestDataObject> data(new TTestDataObject);
  data->Add(FormatId(L"HTML Format"), Bytes("<p>no document</p>\0", 19));
  TTextDataFormat text(nullptr);
  THTMLDataFormat html(nullptr);
  EXPECT_FALSE(text.GetData(data.Get()));
  EXPECT_FALSE(html.GetData(data.Get()));

  TCustomDropMultiSource source(nullptr);
  auto* offered = new TTextDataFormat(&source);
  EXPECT_TRUE(offered->SetText("word").Alive());
  FORMATETC request{FormatId(L"HTML Format"), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium{};
  ASSERT_EQ(source.GetData(&request, &medium), S_OK);
  EXPECT_EQ(BytesOfMedium(medium), Bytes("<HTML>\r\n<BODY>\r\nword\r\n</BODY>\r\n</HTML>\r\n\0", 41));
  ReleaseStgMedium(&medium);
}

TEST_F(AddressFormats, ShortcutFileNamesComeFromTheAddress) {
  struct TCase {
    const wchar_t* URL;
    const wchar_t* Name;
  } cases[] = {
      {L"http://www.host.example/path/page.html", L"www.host.example.url"},
      {L"HTTP://host", L"host.url"},
      {L"mailto:one:two", L"one two.url"},
      {L"https://host/x", L"https.url"},
      {L"ftp://a?b*c/d", L"a b c.url"},
      {L"file:C:\\dir\\x", L"C dir x.url"},
      {L"http://", L"untitled.url"},
      {L"a<>|b:", L"a b.url"},
      {L"", L"untitled.url"},
  };
  for (const TCase& c : cases) EXPECT_EQ(UrlToShortcutFileName(c.URL), c.Name) << c.URL;
  EXPECT_EQ(UrlToShortcutFileName(L"http://" + String(200, L'h')), String(120, L'h') + L".url");
}

TEST_F(AddressFormats, ShortcutTextGivesTheFirstAddressOfItsSection) {
  struct TCase {
    const char* Text;
    const wchar_t* URL;
  } cases[] = {
      {"[InternetShortcut]\r\nURL=http://a/\r\n", L"http://a/"},
      {"[other]\nx=1\n[internetshortcut]\nIconFile=y\nurl=http://b/\nURL=http://c/", L"http://b/"},
      {"[InternetShortcut]\r[Other]\rURL=http://a/\r", nullptr},
      {"[InternetShortcut]\r\n", nullptr},
      {"[InternetShortcut]", nullptr},
      {"URL=http://a/\r\n[InternetShortcut]\r\n", nullptr},
      {" [InternetShortcut]\r\nURL=http://a/", nullptr},
      {"", nullptr},
  };
  for (const TCase& c : cases) {
    String url;
    EXPECT_EQ(ReadURLFromShortcutText(c.Text, url), c.URL != nullptr) << c.Text;
    if (c.URL) {
      EXPECT_EQ(url, c.URL);
    }
  }
}

class AddressReading : public TDragDropTest {
 protected:
  std::pair<String, String> Read() {
    TURLDataFormat format(nullptr);
    format.GetData(data_.Get());
    return {format.URL(), format.Title()};
  }

  std::string Descriptor(const char* name) {
    FILEGROUPDESCRIPTORA group{};
    group.cItems = 1;
    std::strcpy(group.fgd[0].cFileName, name);
    return std::string(reinterpret_cast<const char*>(&group), sizeof(group));
  }

  ComPtr<TTestDataObject> data_{new TTestDataObject};
  TTempFolder folder_;
};

TEST_F(AddressReading, TheFirstFormAnAddressComesInFixesIt) {
  data_->Add(CF_TEXT, Bytes("http://text/\0", 13));
  data_->Add(FormatId(L"UniformResourceLocator"), Bytes("http://url/\0", 12));
  EXPECT_EQ(Read(), std::make_pair(String(L"http://url/"), String()));
}

TEST_F(AddressReading, PlainTextNeedsASchemeBeforeItsSeparator) {
  struct TCase {
    std::string Text;
    const wchar_t* URL;
  } cases[] = {
      {Bytes("ab://host x\r\ny\0", 15), L"ab://host x\r\ny"},
      {Bytes("://host\0", 8), L""},
      {Bytes("no address\0", 11), L""},
  };
  for (const TCase& c : cases) {
    data_ = new TTestDataObject;
    data_->Add(CF_TEXT, c.Text);
    EXPECT_EQ(Read().first, c.URL);
  }
}

TEST_F(AddressReading, ADroppedShortcutFileGivesItsAddressAndName) {
  String shortcut = folder_.File(L"My Site.URL");
  String text = folder_.File(L"notes.txt");
  HANDLE file = CreateFileW(shortcut.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  const char content[] = "[InternetShortcut]\r\nurl=http://site/\r\n";
  DWORD written = 0;
  WriteFile(file, content, sizeof(content) - 1, &written, nullptr);
  CloseHandle(file);
  std::string names = WideToAnsi(shortcut) + '\0' + '\0';
  data_->Add(CF_HDROP, DropFiles(names));
  EXPECT_EQ(Read(), std::make_pair(String(L"http://site/"), String(L"My Site")));

  data_ = new TTestDataObject;
  data_->Add(CF_HDROP, DropFiles(WideToAnsi(text) + '\0' + WideToAnsi(shortcut) + '\0' + '\0'));
  EXPECT_EQ(Read(), std::make_pair(String(), String()));

  // A shortcut that cannot be opened is no data, not a fault of the drop.
  const String folder = folder_.File(L"Folder.url");
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  for (const String& name : {folder_.File(L"Gone.url"), folder}) {
    SCOPED_TRACE(WideToAnsi(name));
    data_ = new TTestDataObject;
    data_->Add(CF_HDROP, DropFiles(WideToAnsi(name) + '\0' + '\0'));
    TURLDataFormat format(nullptr);
    EXPECT_FALSE(format.GetData(data_.Get()));
    EXPECT_EQ(format.URL(), L"");
  }
}

// A device or a pipe is read from until it sends an end, which a port never does: such names are refused before
// they are opened, and whatever opens as no file on a disk is not read.
TEST_F(AddressReading, DevicesAndPipesAreNoShortcutFiles) {
  const String shortcut = folder_.File(L"com1 site.url");
  HANDLE file = CreateFileW(shortcut.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  const char content[] = "[InternetShortcut]\r\nURL=http://site/\r\n";
  DWORD written = 0;
  WriteFile(file, content, sizeof(content) - 1, &written, nullptr);
  CloseHandle(file);
  String url;
  EXPECT_TRUE(ReadURLFromShortcutFile(shortcut, url));
  EXPECT_EQ(url, L"http://site/");
  for (const wchar_t* name :
       {L"COM1", L"com1:", L"com1.url", L"C:\\windows\\COM9.url", L"LPT1.url", L"lpt2", L"NUL", L"nul.url", L"Nul .url",
        L"CON", L"CONIN$", L"aux.url", L"PRN", L"\\\\.\\COM1", L"\\\\.\\pipe\\nobody", L"C:\\", L""}) {
    url = L"before";
    EXPECT_FALSE(ReadURLFromShortcutFile(name, url)) << WideToAnsi(name);
    EXPECT_EQ(url, L"before");
  }
}

namespace {

// A shortcut that goes on for ever: the text, then line after line of one more key, up to 16 MB.
class TEndlessShortcut : public TStream {
 public:
  explicit TEndlessShortcut(std::string start) : start_(std::move(start)) {}
  int64_t Served() const { return served_; }
  int32_t Read(void* buffer, int32_t count) override {
    if (served_ >= (16 << 20)) return 0;
    auto* bytes = static_cast<char*>(buffer);
    for (int32_t i = 0; i < count; ++i, ++served_) {
      const auto at = static_cast<size_t>(served_);
      bytes[i] = at < start_.size() ? start_[at] : "more=1\r\n"[(at - start_.size()) % 8];
    }
    return count;
  }
  int32_t Write(const void*, int32_t) override { return 0; }
  int64_t Seek(int64_t, TSeekOrigin) override { return served_; }

 private:
  std::string start_;
  int64_t served_ = 0;
};

}  // namespace

// A shortcut needs a few hundred KB at most: an endless stream, or a file of 1.5 GB, is read no further than that,
// and an address the limit would cut is not taken.
TEST_F(AddressReading, ShortcutsAreReadOnlyAsFarAsAShortcutCanNeed) {
  const std::string head = "[InternetShortcut]\r\n";
  const std::string url = "URL=http://site/\r\n";
  const size_t limit = 256 * 1024;
  const std::string filler = head + std::string(limit - head.size() - 40, 'x') + "\r\n";
  const struct {
    const char* Name;
    std::string Start;
    String URL;  // empty: none is found
  } cases[] = {
      {"the address first", head + url, L"http://site/"},
      {"the address ending where the limit does",
       filler + "URL=http://" + std::string(limit - filler.size() - 13, 'a') + "\r\n",
       L"http://" + String(limit - filler.size() - 13, L'a')},
      {"the address's line ending right after the limit",
       filler + "URL=http://" + std::string(limit - filler.size() - 11, 'a') + "\r\n",
       L"http://" + String(limit - filler.size() - 11, L'a')},
      {"an address the limit cuts", filler + "URL=http://" + std::string(60, 'a') + "/\r\n", L""},
      {"the address past the limit", filler + "more=2\r\n" + std::string(limit, 'y') + "\r\n" + url, L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TEndlessShortcut endless(c.Start);
    String read = L"before";
    EXPECT_EQ(ReadURLFromShortcutStream(endless, read), !c.URL.empty());
    EXPECT_EQ(read, c.URL.empty() ? L"before" : c.URL);
    EXPECT_LE(endless.Served(), static_cast<int64_t>(limit + 4096));

    const String file = folder_.File(L"large.url");
    HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(handle, c.Start.data(), static_cast<DWORD>(c.Start.size()), &written, nullptr);
    LARGE_INTEGER size{};
    size.QuadPart = 3LL << 29;
    SetFilePointerEx(handle, size, nullptr, FILE_BEGIN);
    ASSERT_TRUE(SetEndOfFile(handle));
    CloseHandle(handle);
    read = L"before";
    EXPECT_EQ(ReadURLFromShortcutFile(file, read), !c.URL.empty());
    EXPECT_EQ(read, c.URL.empty() ? L"before" : c.URL);
    DeleteFileW(file.c_str());
  }
}

TEST_F(AddressReading, AVirtualShortcutFileGivesItsAddressAndTitle) {
  data_->Add(FormatId(L"FileGroupDescriptor"), Descriptor("Home Page.url"));
  data_->Add(FormatId(L"FileContents"), Bytes("[InternetShortcut]\r\nURL=http://home/\r\n\0", 39), 0);
  EXPECT_EQ(Read(), std::make_pair(String(L"http://home/"), String(L"Home Page")));

  data_ = new TTestDataObject;
  data_->Add(FormatId(L"FileGroupDescriptor"), Descriptor("readme.txt"));
  data_->Add(FormatId(L"FileContents"), Bytes("[InternetShortcut]\r\n[x]\r\nURL=http://no/\r\n\0", 42), 0);
  EXPECT_EQ(Read(), std::make_pair(String(), String()));
}

TEST_F(AddressReading, BookmarkRecordsGiveAddressAndTitle) {
  data_->Add(FormatId(L"Netscape Image Format"), ImageBlock(0, 0, {0, 45, 49, 0}, Bytes("\0Img\0http://img/\0", 17)));
  data_->Add(FormatId(L"Netscape Bookmark"), Field("http://mark/", 1024) + Field("Mark", 1024));
  EXPECT_EQ(Read(), std::make_pair(String(L"http://mark/"), String(L"Mark")));
  data_ = new TTestDataObject;
  data_->Add(FormatId(L"Netscape Image Format"), ImageBlock(0, 0, {0, 45, 49, 0}, Bytes("\0Img\0http://img/\0", 17)));
  EXPECT_EQ(Read(), std::make_pair(String(L"http://img/"), String(L"Img")));
}

class TPreferredProbe : public TDropURLTarget {
 public:
  using TDropURLTarget::GetPreferredDropEffect;
  using TDropURLTarget::TDropURLTarget;
};

TEST_F(AddressReading, TheTargetPrefersALinkUnlessTheSourceSaysOtherwise) {
  TTestWindow host{RECT{100, 100, 300, 250}};
  TDropPanel panel(nullptr);
  EXPECT_TRUE(panel.SetBounds(0, 0, 200, 150).Alive());
  EXPECT_TRUE(panel.SetParentWindow(host.Handle()).Alive());
  TPreferredProbe target(nullptr);
  EXPECT_TRUE(target.RegisterTargetControl(&panel).Alive());
  POINT client{20, 20};
  ClientToScreen(panel.Handle(), &client);
  struct TCase {
    const char* Offered;
    DWORD Preferred;
  } cases[] = {{nullptr, DROPEFFECT_LINK}, {"\0\0\0\0", DROPEFFECT_LINK}, {"\2\0\0\0", DROPEFFECT_MOVE}};
  for (const TCase& c : cases) {
    ComPtr<TTestDataObject> data(new TTestDataObject);
    data->Add(FormatId(L"UniformResourceLocator"), Bytes("http://a/\0", 10));
    if (c.Offered) data->Add(FormatId(L"Preferred DropEffect"), Bytes(c.Offered, 4));
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_LINK;
    ASSERT_EQ(target.DragEnter(data.Get(), MK_LBUTTON, POINTL{client.x, client.y}, &effect), S_OK);
    EXPECT_EQ(target.URL(), L"http://a/");
    EXPECT_EQ(target.GetPreferredDropEffect(), c.Preferred);
    target.DragLeave();
  }
}

std::vector<CLIPFORMAT> OfferedFormats(TDropURLSource& source) {
  ComPtr<IEnumFORMATETC> formats;
  std::vector<CLIPFORMAT> listed;
  if (source.EnumFormatEtc(DATADIR_GET, &formats) != S_OK) return listed;
  FORMATETC format;
  while (formats->Next(1, &format, nullptr) == S_OK) listed.push_back(format.cfFormat);
  return listed;
}

std::string Offered(TDropURLSource& source, CLIPFORMAT format, LONG index = -1) {
  FORMATETC request{format, nullptr, DVASPECT_CONTENT, index, TYMED_HGLOBAL};
  STGMEDIUM medium{};
  if (source.GetData(&request, &medium) != S_OK) return "refused";
  std::string bytes = BytesOfMedium(medium);
  ReleaseStgMedium(&medium);
  return bytes;
}

std::string DescriptorName(const std::string& block) {
  if (block.size() != sizeof(FILEGROUPDESCRIPTORA)) return "bad size";
  const auto* group = reinterpret_cast<const FILEGROUPDESCRIPTORA*>(block.data());
  return std::to_string(group->cItems) + " " + std::to_string(group->fgd[0].dwFlags) + " " + group->fgd[0].cFileName;
}

// The UTF-16 address and descriptor come first, then the six ANSI forms as old readers know them.
TEST_F(AddressFormats, AnAddressIsOfferedInEightFormsWithOrWithoutATitle) {
  const CLIPFORMAT bookmark = FormatId(L"Netscape Bookmark"), image = FormatId(L"Netscape Image Format"),
                   url = FormatId(L"UniformResourceLocator"), group = FormatId(L"FileGroupDescriptor"),
                   contents = FormatId(L"FileContents"), wideUrl = FormatId(L"UniformResourceLocatorW"),
                   wideGroup = FormatId(L"FileGroupDescriptorW");
  const std::string shortcut = Bytes("[InternetShortcut]\r\nURL=http://host.test/a/b\r\n\0", 47);
  struct TCase {
    const wchar_t* Title;
    std::string Bookmark;
    std::string Image;
    std::string Descriptor;
    String WideDescriptor;
  } cases[] = {
      {L"", Field("http://host.test/a/b", 1024), ImageBlock(0, 0, {0, 0, 45, 0}, Bytes("\0http://host.test/a/b\0", 22)),
       "1 32768 host.test.url", L"host.test.url"},
      {L"A: Title?", Field("http://host.test/a/b", 1024) + Field("A: Title?", 1024),
       ImageBlock(0, 0, {0, 45, 55, 0}, Bytes("\0A: Title?\0http://host.test/a/b\0", 32)), "1 32768 A  Title.url",
       L"A  Title.url"},
  };
  for (const TCase& c : cases) {
    TDropURLSource source(nullptr);
    EXPECT_TRUE(source.SetURL(L"http://host.test/a/b").Alive());
    EXPECT_TRUE(source.SetTitle(c.Title).Alive());
    std::vector<CLIPFORMAT> listed = OfferedFormats(source);
    ASSERT_GE(listed.size(), 8u);
    std::vector<CLIPFORMAT> addressForms(listed.end() - 8, listed.end());
    EXPECT_EQ(addressForms,
              (std::vector<CLIPFORMAT>{wideUrl, wideGroup, bookmark, image, url, group, contents, CF_TEXT}));
    EXPECT_EQ(Offered(source, wideUrl), Bytes(reinterpret_cast<const char*>(L"http://host.test/a/b"), 42));
    const std::string wideBlock = Offered(source, wideGroup);
    ASSERT_EQ(wideBlock.size(), sizeof(FILEGROUPDESCRIPTORW));
    const auto* wide = reinterpret_cast<const FILEGROUPDESCRIPTORW*>(wideBlock.data());
    EXPECT_EQ(wide->cItems, 1u);
    EXPECT_EQ(wide->fgd[0].dwFlags, static_cast<DWORD>(FD_LINKUI));
    EXPECT_EQ(String(wide->fgd[0].cFileName), c.WideDescriptor);
    EXPECT_EQ(Offered(source, bookmark), c.Bookmark);
    EXPECT_EQ(Offered(source, image), c.Image);
    EXPECT_EQ(Offered(source, url), Bytes("http://host.test/a/b\0", 21));
    EXPECT_EQ(Offered(source, CF_TEXT), Bytes("http://host.test/a/b\0", 21));
    EXPECT_EQ(DescriptorName(Offered(source, group)), c.Descriptor);
    EXPECT_EQ(Offered(source, contents, 0), shortcut);
    // Dropped files are read, never offered.
    EXPECT_EQ(Offered(source, CF_HDROP), "refused");
    EXPECT_EQ(source.GetPreferredDropEffect(), static_cast<DWORD>(DROPEFFECT_COPY));
  }
}

}  // namespace
