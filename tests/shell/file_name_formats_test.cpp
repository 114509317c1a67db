// File lists between programs: names as item-ID lists relative to their common folder and back, and the order in
// which a file data format reads the forms a list may come in.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "drag_drop_fixtures.h"
#include "framework/exceptions.h"
#include "framework/sys_utils.h"
#include "shell/dragdrop/drop_source.h"
#include "shell/dragdrop/file_formats.h"
#include "shell/dragdrop/pidl_formats.h"
#include "support/temp_folder.h"

using Microsoft::WRL::ComPtr;
using namespace shell;

namespace {

class FileNameFormats : public TDragDropTest {
 protected:
  void SetUp() override {
    for (const wchar_t* name : {L"one.txt", L"two.url"}) {
      String path = folder_.File(name);
      CloseHandle(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
      names_.Add(path);
    }
  }

  TTempFolder folder_;
  TStringList names_;
};

// Each name read gives the folder other times, as anyone who reads or writes in it may while the names are turned
// into lists; a folder's item carries its times.
class TNamesRestampingTheirFolder : public TStringList {
 public:
  explicit TNamesRestampingTheirFolder(const String& folder) : folder_(folder) {}

 protected:
  String Get(int index) const override {
    HANDLE handle = CreateFileW(folder_.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    // A day apart each time, from 2001 on.
    ULARGE_INTEGER ticks;
    ticks.QuadPart = 126227808000000000ull + ++stamps_ * 864000000000ull;
    FILETIME time{ticks.LowPart, ticks.HighPart};
    EXPECT_TRUE(SetFileTime(handle, &time, &time, &time));
    CloseHandle(handle);
    return TStringList::Get(index);
  }

 private:
  String folder_;
  mutable int stamps_ = 0;
};

TEST_F(FileNameFormats, FilesOfOneFolderBecomeTheFolderAndOneItemEach) {
  TNamesRestampingTheirFolder names(folder_.Path());
  names.Assign(&names_);
  TPIDLList pidls;
  ASSERT_TRUE(FilenamesToPIDLs(names, pidls));
  ASSERT_EQ(pidls.Count(), 3);
  wchar_t parent[MAX_PATH + 1] = {};
  ASSERT_TRUE(SHGetPathFromIDListW(reinterpret_cast<LPCITEMIDLIST>(pidls.Items(0).data()), parent));
  EXPECT_TRUE(SameText(parent, folder_.Path()));
  for (int i = 1; i < 3; ++i) {
    // One item and the terminator.
    EXPECT_EQ(pidls.Items(i).size(), PIDLSize(reinterpret_cast<LPCITEMIDLIST>(pidls.Items(i).data())));
    EXPECT_EQ(static_cast<uint8_t>(pidls.Items(i)[0]) + 2u, pidls.Items(i).size());
  }
  TPIDLsToFilenamesStrings view(pidls);
  EXPECT_EQ(view.Count(), 2);
  EXPECT_TRUE(SameText(view.Strings(0), names_.Strings(0)));
  EXPECT_TRUE(SameText(view.Strings(1), names_.Strings(1)));
  try {
    view.Strings(2);
    FAIL() << "index accepted";
  } catch (const Exception& error) {
    EXPECT_EQ(error.Message(), L"Filename index out of range");
  }
}

TEST_F(FileNameFormats, FilesOnTwoDrivesShareOnlyTheFolderAboveTheDrives) {
  // The test program runs from the drive that maps the host's file system, the temporary folder lies on C:.
  wchar_t program[MAX_PATH + 1] = {};
  GetModuleFileNameW(nullptr, program, MAX_PATH);
  ASSERT_NE(towupper(program[0]), towupper(names_.Strings(0)[0]));
  TStringList names;
  names.Add(names_.Strings(0));
  names.Add(program);
  TPIDLList pidls;
  ASSERT_TRUE(FilenamesToPIDLs(names, pidls));
  ASSERT_EQ(pidls.Count(), 3);
  for (int i = 0; i < 2; ++i) {
    TItemIdList drive = GetFullPIDLFromPath(names.Strings(i).substr(0, 3));
    // The parent lies above the drive; with it, each item names its file again. The path is what must agree: the
    // items carry their folders' times, which anyone writing beside the program moves between two readings.
    EXPECT_LT(pidls.Items(0).size(), PIDLSize(drive.get()));
    const std::string joined = JoinPIDLStrings(pidls.Items(0), pidls.Items(i + 1));
    wchar_t path[MAX_PATH + 1] = {};
    ASSERT_TRUE(SHGetPathFromIDListW(reinterpret_cast<LPCITEMIDLIST>(joined.data()), path));
    EXPECT_TRUE(SameText(path, names.Strings(i))) << testing::PrintToString(String(path));
  }
}

TEST_F(FileNameFormats, NamesThatTheShellCannotNameFailTheConversion) {
  TPIDLList pidls;
  TStringList none;
  EXPECT_FALSE(FilenamesToPIDLs(none, pidls));
  EXPECT_EQ(pidls.Count(), 0);
  TStringList missing;
  missing.Add(folder_.File(L"absent.txt"));
  EXPECT_FALSE(FilenamesToPIDLs(missing, pidls));
  EXPECT_EQ(pidls.Count(), 0);
  TStringList badFolder;
  badFolder.Add(L"Q:\\no such folder\\x.txt");
  try {
    FilenamesToPIDLs(badFolder, pidls);
    FAIL() << "accepted";
  } catch (const Exception& error) {
    EXPECT_EQ(error.Message(), L"Invalid filename: Q:\\no such folder\\");
  }
}

TEST_F(FileNameFormats, AFileListTravelsAsItemIDListsAndBack) {
  TCustomDropMultiSource source(nullptr);
  auto* offered = new TFileDataFormat(&source);
  offered->Files().Assign(&names_);
  FORMATETC request{FormatId(L"Shell IDList Array"), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium{};
  ASSERT_EQ(source.GetData(&request, &medium), S_OK);
  std::string block = BytesOfMedium(medium);
  ReleaseStgMedium(&medium);

  ComPtr<TTestDataObject> data(new TTestDataObject);
  data->Add(FormatId(L"Shell IDList Array"), block);
  TFileDataFormat files(nullptr);
  ASSERT_TRUE(files.GetData(data.Get()));
  ASSERT_EQ(files.Files().Count(), 2);
  EXPECT_TRUE(SameText(files.Files().Strings(1), names_.Strings(1)));
  TPIDLDataFormat pidls(nullptr);
  ASSERT_TRUE(pidls.GetData(data.Get()));
  EXPECT_EQ(pidls.PIDLs().Count(), 3);
}

TEST_F(FileNameFormats, AFileDataFormatReadsTheFirstFormThatHoldsNames) {
  struct TCase {
    std::vector<std::pair<const wchar_t*, std::string>> Offered;
    const wchar_t* Files;
  } cases[] = {
      {{{L"FileName", std::string("C:\\ansi\0", 8)}, {L"FileNameW", std::string("C\0:\0\\\0w\0\0\0", 10)}},
       L"C:\\w\r\n"},
      {{{L"FileName", std::string("C:\\ansi\0", 8)}}, L"C:\\ansi\r\n"},
      {{{L"FileNameW", std::string("\0\0x\0", 4)}}, L""},
  };
  for (const TCase& c : cases) {
    ComPtr<TTestDataObject> data(new TTestDataObject);
    for (const auto& [name, bytes] : c.Offered) data->Add(FormatId(name), bytes);
    TFileDataFormat files(nullptr);
    files.GetData(data.Get());
    EXPECT_EQ(files.Files().Text(), c.Files);
  }
  TCustomDropMultiSource source(nullptr);
  auto* offered = new TFileDataFormat(&source);
  for (const wchar_t* name : {L"C:\\a", L"C:\\b", L"C:\\c"}) offered->Files().Add(name);
  FORMATETC request{FormatId(L"FileName"), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium{};
  ASSERT_EQ(source.GetData(&request, &medium), S_OK);
  EXPECT_EQ(BytesOfMedium(medium), std::string("C:\\a\0", 5));
  ReleaseStgMedium(&medium);
}

}  // namespace
