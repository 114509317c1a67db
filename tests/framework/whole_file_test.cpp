#include "framework/whole_file.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "framework/exceptions.h"
#include "framework/ini_files.h"
#include "framework/streams.h"
#include "framework/strings.h"
#include "temp_files.h"

namespace {

const std::string kOriginal = "[Window]\r\nLeft=10\r\nTop=20\r\n";

void WriteBytes(const String& path, const std::string& bytes) {
  TFileStream file(path, fmCreate);
  if (!bytes.empty()) file.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
}

// The whole file, or "(none)" when there is no such file.
std::string BytesOf(const String& path) {
  if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return "(none)";
  TFileStream file(path, fmOpenRead | fmShareDenyNone);
  return ReadToEnd(file);
}

// Files beside the given one whose names start with its own, the file itself left out.
int FilesBeside(const String& path) {
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW((path + L"*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  int count = 0;
  do {
    if (path.substr(path.find_last_of(L'\\') + 1) != found.cFileName) ++count;
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return count;
}

// The identity of the file the name stands for now: another one once the file was replaced.
std::uint64_t FileIdentity(const String& path) {
  HANDLE file = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  BY_HANDLE_FILE_INFORMATION info{};
  GetFileInformationByHandle(file, &info);
  CloseHandle(file);
  return static_cast<std::uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
}

}  // namespace

// A write that fails at any point leaves the file byte for byte as it was, and nothing beside it.
TEST(WholeFile, AFailedWriteLeavesTheFileAsItWasAndNamesIt) {
  struct TCase {
    const char* Name;
    bool Existing;
    std::function<void(TStream&)> Write;
    const char* Reason;
  };
  const auto halfThenFail = [](TStream& stream) {
    stream.WriteBuffer("[Window]\r\nLe", 12);
    throw EWriteError(L"Stream write error");
  };
  const TCase cases[] = {
      {"the stream fails half-way", true, halfThenFail, "Stream write error"},
      {"the stream fails half-way, no file before", false, halfThenFail, "Stream write error"},
      {"nothing is written", true, [](TStream&) { throw EReadError(L"Stream read error"); }, "Stream read error"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TTempFile file(L"whole file.ini");
    if (c.Existing) WriteBytes(file.Path(), kOriginal);
    try {
      SaveWholeFile(file.Path(), c.Write);
      ADD_FAILURE() << "no error";
    } catch (const EWriteError& error) {
      EXPECT_EQ(error.Message(), L"Cannot write file \"" + file.Path() + L"\". " +
                                     String(c.Reason, c.Reason + std::char_traits<char>::length(c.Reason)));
    }
    EXPECT_EQ(BytesOf(file.Path()), c.Existing ? kOriginal : "(none)");
    EXPECT_EQ(FilesBeside(file.Path()), 0);
  }

  // What the writer raises that is no failure of the file passes unchanged.
  TTempFile file(L"whole file.ini");
  WriteBytes(file.Path(), kOriginal);
  EXPECT_THROW(SaveWholeFile(file.Path(), [](TStream&) { throw EConvertError(L"no number"); }), EConvertError);
  EXPECT_EQ(BytesOf(file.Path()), kOriginal);
  EXPECT_EQ(FilesBeside(file.Path()), 0);

  // No file can be made where the folder is missing, nor where a folder has the file's name.
  const String folder = TestTempPath(L"whole file folder");
  CreateDirectoryW(folder.c_str(), nullptr);
  for (const String& path : {TestTempPath(L"no such folder\\whole file.ini"), folder}) {
    try {
      SaveWholeFile(path, [](TStream&) {});
      ADD_FAILURE() << "no error";
    } catch (const EFCreateError& error) {
      EXPECT_EQ(error.Message().rfind(L"Cannot create file \"" + path + L"\". ", 0), 0u) << error.Message();
    }
  }
  EXPECT_TRUE(GetFileAttributesW(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(FilesBeside(folder), 0);
  RemoveDirectoryW(folder.c_str());
}

TEST(WholeFile, ASuccessfulWriteReplacesTheFileKeepingItsAttributes) {
  TTempFile file(L"whole file.ini");
  WriteBytes(file.Path(), kOriginal);
  SetFileAttributesW(file.Path().c_str(), FILE_ATTRIBUTE_HIDDEN);
  SaveWholeFile(file.Path(), [](TStream& stream) { stream.WriteBuffer("new", 3); });
  EXPECT_EQ(BytesOf(file.Path()), "new");
  EXPECT_TRUE(GetFileAttributesW(file.Path().c_str()) & FILE_ATTRIBUTE_HIDDEN);
  SetFileAttributesW(file.Path().c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(FilesBeside(file.Path()), 0);
}

// The framework's savers of whole files replace the file rather than rewrite it where it lies, so that a failure
// half-way cannot leave it half written; a text the code page cannot take leaves the file untouched.
TEST(WholeFile, TheFrameworksSaversReplaceTheFile) {
  struct TSaver {
    const char* Name;
    std::function<void(const String&)> Save;
  };
  const TSaver savers[] = {
      {"TMemIniFile::UpdateFile",
       [](const String& path) {
         TMemIniFile ini(path);
         ini.WriteString(L"Window", L"Left", L"30");
         ini.UpdateFile();
       }},
      {"TStrings::SaveToFile",
       [](const String& path) {
         TStringList lines;
         lines.SetText(L"[Window]\r\nLeft=30\r\n");
         lines.SaveToFile(path);
       }},
      {"TMemoryStream::SaveToFile",
       [](const String& path) {
         TMemoryStream stream;
         stream.WriteBuffer("[Window]", 8);
         stream.SaveToFile(path);
       }},
  };
  for (const TSaver& saver : savers) {
    SCOPED_TRACE(saver.Name);
    TTempFile file(L"whole file.ini");
    WriteBytes(file.Path(), kOriginal);
    const std::uint64_t before = FileIdentity(file.Path());
    saver.Save(file.Path());
    EXPECT_NE(FileIdentity(file.Path()), before);
    EXPECT_NE(BytesOf(file.Path()), kOriginal);
    EXPECT_EQ(FilesBeside(file.Path()), 0);
  }

  TTempFile file(L"whole file.ini");
  WriteBytes(file.Path(), kOriginal);
  TStringList lines;
  lines.Add(L"Left=30");
  EXPECT_ANY_THROW(lines.SaveToFile(file.Path(), 54321));
  EXPECT_EQ(BytesOf(file.Path()), kOriginal);
}
