#include "controls/address_icons.h"

#include <gtest/gtest.h>
#include <objidl.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <vector>

#include "framework/exceptions.h"

using namespace controls;

namespace {

struct TShellQuery {
  String Path;  // empty for a query by item-ID list
  const void* ItemIdList = nullptr;
  DWORD Attributes = 0;
  UINT Flags = 0;
  String ShortcutText;  // the temporary shortcut's contents while it was asked about
  bool FileExisted = false;
};

// Answers every shell query with a fresh index, and an icon of its own where the flags ask for one.
struct TShellAnswers {
  std::vector<TShellQuery> Queries;
  std::vector<HICON> IconsGiven;
  int NextIndex = 100;
  bool Fail = false;
};
TShellAnswers* answers = nullptr;

String ReadFileText(const String& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return String();
  char buffer[1024];
  DWORD read = 0;
  ReadFile(file, buffer, sizeof(buffer), &read, nullptr);
  CloseHandle(file);
  return String(buffer, buffer + read);
}

DWORD_PTR AnswerShellQuery(const wchar_t* path, DWORD attributes, SHFILEINFOW* info, UINT flags) {
  TShellQuery query;
  query.Attributes = attributes;
  query.Flags = flags;
  if (flags & SHGFI_PIDL) {
    query.ItemIdList = path;
  } else {
    query.Path = path;
    query.FileExisted = GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
    if (query.Path == IconShortcutFile) query.ShortcutText = ReadFileText(path);
  }
  answers->Queries.push_back(query);
  if (answers->Fail) return 0;
  info->iIcon = answers->NextIndex++;
  if (flags & SHGFI_ICON) {
    info->hIcon = CreateIcon(GetModuleHandleW(nullptr), 16, 16, 1, 1, std::vector<BYTE>(32, 0xFF).data(),
                             std::vector<BYTE>(32, 0).data());
    answers->IconsGiven.push_back(info->hIcon);
  }
  return 1;
}

// Counts the task-memory blocks freed while it is registered, so that a test can see an item-ID list go back.
class TFreeSpy : public IMallocSpy {
 public:
  std::vector<void*> Freed;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (iid == IID_IUnknown || iid == IID_IMallocSpy) {
      *object = this;
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T cbRequest) override { return cbRequest; }
  void* STDMETHODCALLTYPE PostAlloc(void* actual) override { return actual; }
  void* STDMETHODCALLTYPE PreFree(void* request, BOOL) override {
    Freed.push_back(request);
    return request;
  }
  void STDMETHODCALLTYPE PostFree(BOOL) override {}
  SIZE_T STDMETHODCALLTYPE PreRealloc(void* request, SIZE_T cbRequest, void** newRequest, BOOL) override {
    *newRequest = request;
    return cbRequest;
  }
  void* STDMETHODCALLTYPE PostRealloc(void* actual, BOOL) override { return actual; }
  void* STDMETHODCALLTYPE PreGetSize(void* request, BOOL) override { return request; }
  SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T actual, BOOL) override { return actual; }
  void* STDMETHODCALLTYPE PreDidAlloc(void* request, BOOL) override { return request; }
  int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int actual) override { return actual; }
  void STDMETHODCALLTYPE PreHeapMinimize() override {}
  void STDMETHODCALLTYPE PostHeapMinimize() override {}
};

String TempFolder() {
  wchar_t path[MAX_PATH];
  GetTempPathW(MAX_PATH, path);
  return path;
}

// Every test starts with an empty cache, its own temporary files and the counting shell.
class AddressIcons : public testing::Test {
 protected:
  void SetUp() override {
    answers = &answers_;
    previousQuery_ = SetShellFileInfoQuery(&AnswerShellQuery);
    savedCache_.swap(HostIconCache);
    savedShortcut_ = IconShortcutFile;
    savedTempDir_ = IconTempDir;
    IconTempDir = TempFolder();
    IconShortcutFile = IconTempDir + L"$tmp$.url";
  }
  void TearDown() override {
    SetShellFileInfoQuery(previousQuery_);
    DeleteFileW(IconShortcutFile.c_str());
    HostIconCache.swap(savedCache_);
    IconShortcutFile = savedShortcut_;
    IconTempDir = savedTempDir_;
    answers = nullptr;
  }

  TShellAnswers answers_;

 private:
  TShellFileInfoQuery previousQuery_ = nullptr;
  std::vector<THostIcon> savedCache_;
  String savedShortcut_;
  String savedTempDir_;
};

}  // namespace

TEST(SpecialFolders, NamesAndIdentifiers) {
  EXPECT_EQ(SpecialFolderID(L"my computer"), 17);
  EXPECT_EQ(SpecialFolderID(L"My Computer "), 3000);
  EXPECT_EQ(SpecialFolderID(L"Desktop"), 0);
  EXPECT_EQ(SpecialFolderID(L"DESKTOP DIRECTORY"), 16);
  EXPECT_EQ(SpecialFolderID(L"network neighborhood"), 18);
  EXPECT_EQ(SpecialFolderID(L"recycle bin"), 10);
  EXPECT_EQ(SpecialFolderID(L"AppData"), 26);
  EXPECT_EQ(SpecialFolderID(L"printhood"), 27);
  EXPECT_EQ(SpecialFolderID(L"http://a.b/"), 3000);
  EXPECT_EQ(SpecialFolderID(L""), 3000);
}

TEST_F(AddressIcons, SiteIconsAreAskedOncePerHost) {
  const int first = GetURLIconIndex(L"http://www.Example.com/a/b.html", false);
  ASSERT_EQ(answers_.Queries.size(), 1u);
  const TShellQuery& query = answers_.Queries[0];
  EXPECT_EQ(query.Path, IconShortcutFile);
  EXPECT_EQ(query.Attributes, 0x80u);
  EXPECT_EQ(query.Flags, 0x4011u);
  EXPECT_EQ(query.ShortcutText,
            L"[InternetShortcut]\r\nURL=www.example.com\r\nIconFile=http://www.example.com/favicon.ico\r\n"
            L"IconIndex=1\r\n");

  EXPECT_EQ(GetURLIconIndex(L"see http://WWW.EXAMPLE.COM/other", false), first);
  EXPECT_EQ(answers_.Queries.size(), 1u) << "a second address on the same host asks the shell again";
  ASSERT_EQ(HostIconCache.size(), 1u);
  EXPECT_EQ(HostIconCache[0].Host, L"www.example.com");

  const int other = GetURLIconIndex(L"http://other.org/", false);
  EXPECT_NE(other, first);
  EXPECT_EQ(answers_.Queries.size(), 2u);

  // Refresh asks again and appends; lookups keep finding the older entry.
  const int refreshed = GetURLIconIndex(L"http://www.example.com/", true);
  EXPECT_EQ(answers_.Queries.size(), 3u);
  EXPECT_NE(refreshed, first);
  ASSERT_EQ(HostIconCache.size(), 3u);
  EXPECT_EQ(HostIconCache[2].Host, L"www.example.com");
  EXPECT_EQ(GetURLIconIndex(L"http://www.example.com/", false), first);
  EXPECT_EQ(answers_.Queries.size(), 3u);
}

TEST_F(AddressIcons, TheCacheKeepsTheNewestHosts) {
  auto address = [](size_t i) { return L"http://host" + std::to_wstring(i) + L".example/"; };
  const size_t hosts = MaxHostIcons + 6;
  for (size_t i = 0; i < hosts; ++i) GetURLIconIndex(address(i), false);
  ASSERT_EQ(HostIconCache.size(), MaxHostIcons);
  EXPECT_EQ(HostIconCache.front().Host, L"host6.example");
  EXPECT_EQ(HostIconCache.back().Host, L"host" + std::to_wstring(hosts - 1) + L".example");
  const size_t queries = answers_.Queries.size();
  GetURLIconIndex(address(hosts - 1), false);
  GetURLIconIndex(address(6), false);
  EXPECT_EQ(answers_.Queries.size(), queries) << "the hosts kept are not asked for again";
  GetURLIconIndex(address(0), false);
  EXPECT_EQ(answers_.Queries.size(), queries + 1) << "the oldest hosts went";
  EXPECT_EQ(HostIconCache.size(), MaxHostIcons);
}

TEST_F(AddressIcons, FilesFoldersAndOtherAddresses) {
  const String file = IconTempDir + L"icon test.txt";
  {
    HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    CloseHandle(handle);
  }
  const String folder = IconTempDir + L"icon test folder";
  CreateDirectoryW(folder.c_str(), nullptr);

  EXPECT_EQ(GetURLIconIndex(file, false), 100);
  EXPECT_EQ(GetURLIconIndex(L"FILE://c:/missing/page.html", false), 101);
  EXPECT_EQ(GetURLIconIndex(folder, false), 102);
  EXPECT_EQ(GetURLIconIndex(L"about:blank", false), 103);
  EXPECT_EQ(GetURLIconIndex(L"https://secure.example.com/", false), 104) << "only http:// addresses are sites";
  ASSERT_EQ(answers_.Queries.size(), 5u);
  EXPECT_EQ(answers_.Queries[0].Path, file);
  EXPECT_EQ(answers_.Queries[0].Attributes, 0x80u);
  EXPECT_EQ(answers_.Queries[0].Flags, 0x4011u);
  EXPECT_EQ(answers_.Queries[1].Path, L"FILE://c:/missing/page.html");
  EXPECT_EQ(answers_.Queries[1].Flags, 0x4011u);
  EXPECT_EQ(answers_.Queries[2].Path, folder);
  EXPECT_EQ(answers_.Queries[2].Attributes, 0x10u);
  EXPECT_EQ(answers_.Queries[2].Flags, 0x4111u);
  EXPECT_EQ(answers_.Queries[3].Path, L"*.htm");
  EXPECT_EQ(answers_.Queries[3].Flags, 0x4011u);
  EXPECT_EQ(answers_.Queries[4].Path, L"*.htm");
  EXPECT_TRUE(HostIconCache.empty());

  EXPECT_EQ(GetURLIconIndex(L"", false), -1);
  EXPECT_EQ(answers_.Queries.size(), 5u);

  answers_.Fail = true;
  EXPECT_EQ(GetURLIconIndex(L"about:blank", false), 0) << "a failed query leaves the fresh record's index";
  DeleteFileW(file.c_str());
  RemoveDirectoryW(folder.c_str());
}

TEST_F(AddressIcons, IconHandlesAndItemListsAreFreed) {
  TFreeSpy spy;
  ASSERT_EQ(CoRegisterMallocSpy(&spy), S_OK);
  const int index = GetURLIconIndex(L"My Computer", false);
  CoRevokeMallocSpy();
  ASSERT_EQ(answers_.Queries.size(), 1u);
  EXPECT_EQ(index, 100);
  EXPECT_EQ(answers_.Queries[0].Flags, 0x108u);
  ASSERT_NE(answers_.Queries[0].ItemIdList, nullptr);
  EXPECT_NE(std::find(spy.Freed.begin(), spy.Freed.end(), answers_.Queries[0].ItemIdList), spy.Freed.end())
      << "the special folder's item-ID list was not freed";

  const String folder = IconTempDir + L"icon folder";
  CreateDirectoryW(folder.c_str(), nullptr);
  GetURLIconIndex(folder, false);
  RemoveDirectoryW(folder.c_str());
  ASSERT_EQ(answers_.IconsGiven.size(), 2u);
  for (HICON icon : answers_.IconsGiven) {
    ICONINFO info{};
    EXPECT_FALSE(GetIconInfo(icon, &info)) << "an icon handle from the shell was kept alive";
  }
}

TEST_F(AddressIcons, FileTypesAskThroughAnEmptyTemporaryFile) {
  EXPECT_EQ(GetFileTypeIconIndex(L"C:\\docs\\report.pdf"), 100);
  EXPECT_EQ(GetFileTypeIconIndex(L"odd.a b*c"), 101);
  EXPECT_EQ(GetFileTypeIconIndex(L"dir.d\\noextension"), 102);
  ASSERT_EQ(answers_.Queries.size(), 3u);
  EXPECT_EQ(answers_.Queries[0].Path, IconTempDir + L"$test$.pdf");
  EXPECT_TRUE(answers_.Queries[0].FileExisted);
  EXPECT_EQ(answers_.Queries[0].Flags, 0x4011u);
  EXPECT_EQ(answers_.Queries[1].Path, IconTempDir + L"$test$.a-b-c");
  EXPECT_EQ(answers_.Queries[2].Path, IconTempDir + L"$test$");
  for (const TShellQuery& query : answers_.Queries)
    EXPECT_EQ(GetFileAttributesW(query.Path.c_str()), INVALID_FILE_ATTRIBUTES) << "left behind: " << query.Path.size();
}

TEST_F(AddressIcons, FileTypesAskThroughTheSystemsTemporaryFolderWhileNoneIsNamed) {
  IconTempDir.clear();
  wchar_t temp[MAX_PATH + 1];
  ASSERT_GT(GetTempPathW(MAX_PATH + 1, temp), 0u);
  EXPECT_EQ(GetFileTypeIconIndex(L"report.pdf"), 100);
  ASSERT_EQ(answers_.Queries.size(), 1u);
  EXPECT_EQ(answers_.Queries[0].Path, String(temp) + L"$test$.pdf");
  EXPECT_TRUE(answers_.Queries[0].FileExisted);
}

TEST_F(AddressIcons, WritingTheShortcutFailsLoudly) {
  IconShortcutFile = IconTempDir + L"no such folder\\$tmp$.url";
  EXPECT_THROW(GetURLIconIndex(L"http://a.example/", false), EFCreateError);
  EXPECT_TRUE(HostIconCache.empty());
  IconTempDir += L"no such folder\\";
  EXPECT_THROW(GetFileTypeIconIndex(L"x.txt"), EFCreateError);
}

TEST_F(AddressIcons, WithoutAShortcutFileSitesGetTheDefaultPageIcon) {
  IconShortcutFile.clear();
  for (const wchar_t* address : {L"http://a.example/", L"http://b.example/x", L"http://a.example/"})
    EXPECT_EQ(GetURLIconIndex(address, false), DefaultPageIconIndex) << address;
  EXPECT_TRUE(answers_.Queries.empty());
  // Nothing is remembered, so the site's own icon is asked for once there is a file to ask through.
  EXPECT_TRUE(HostIconCache.empty());
}

TEST_F(AddressIcons, ControlCharactersOfAHostStayOutOfTheShortcut) {
  const String hosts[] = {L"evil.example\r\nIconFile=C:\\x.ico", L"a\rb\nc", String(L"x\0y", 3), L"tab\there\x7F"};
  const String expected[] = {L"evil.exampleIconFile=C:\\x.ico", L"abc", L"xy", L"tabhere"};
  for (size_t i = 0; i < std::size(hosts); ++i) {
    CreateIconShortcut(IconShortcutFile, hosts[i]);
    const String text = ReadFileText(IconShortcutFile);
    EXPECT_EQ(std::count(text.begin(), text.end(), L'\n'), 4) << i;
    EXPECT_EQ(text.substr(0, text.find(L"\r\nIconFile=")), L"[InternetShortcut]\r\nURL=" + expected[i]) << i;
  }
}
