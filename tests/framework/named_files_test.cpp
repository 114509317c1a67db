// Every reader of a named file meets names as applications give them: devices, pipes that send nothing, links to
// endless devices and names longer than the file system keeps. None of them waits, reads without end or reads
// another file; each refuses with its own error.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/exceptions.h"
#include "framework/ini_files.h"
#include "framework/streams.h"
#include "framework/strings.h"
#include "framework/sys_utils.h"
#include "framework/text_convert.h"
#include "framework/whole_file.h"
#include "support/host_files.h"
#include "support/temp_folder.h"
#include "temp_files.h"

namespace {

// A pipe of the system that clients may open and that never sends a byte, for as long as it lives.
class TQuietPipe {
 public:
  explicit TQuietPipe(const String& name)
      : handle_(CreateNamedPipeW((L"\\\\.\\pipe\\" + name).c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE,
                                 PIPE_UNLIMITED_INSTANCES, 0, 0, 0, nullptr)) {}
  ~TQuietPipe() { CloseHandle(handle_); }
  TQuietPipe(const TQuietPipe&) = delete;
  TQuietPipe& operator=(const TQuietPipe&) = delete;

 private:
  HANDLE handle_;
};

// What a reader did with a name: the message of the error it raised, of the class it must raise; a reader that
// read something says so.
using TReader = std::function<String(const String& name)>;

template <class Error, class Action>
String RaisedBy(Action action) {
  try {
    action();
  } catch (const Error& error) {
    return error.Message();
  }
  return L"<no error>";
}

struct TNamedReader {
  const char* Name;
  // The message the reader gives for the name with the system's reason for refusing it.
  std::function<String(const String& name, const String& reason)> Expected;
  TReader Read;
};

String OpenError(const String& name, const String& reason) { return L"Cannot open file \"" + name + L"\". " + reason; }

String CreateError(const String& name, const String& reason) {
  return L"Cannot create file \"" + name + L"\". " + reason;
}

// Every reader of a named file, and the savers whose targets they read.
std::vector<TNamedReader> NamedReaders(bool withSavers) {
  std::vector<TNamedReader> readers = {
      {"file stream", OpenError,
       [](const String& name) {
         return RaisedBy<EFOpenError>([&] { TFileStream file(name, fmOpenRead | fmShareDenyWrite); });
       }},
      {"string list", OpenError,
       [](const String& name) {
         TStringList lines;
         lines.Add(L"before");
         String raised = RaisedBy<EFOpenError>([&] { lines.LoadFromFile(name); });
         return lines.Text() == L"before\r\n" ? raised : L"<lines changed>";
       }},
      {"memory stream", OpenError,
       [](const String& name) {
         TMemoryStream stream;
         stream.WriteBuffer("kept", 4);
         String raised = RaisedBy<EFOpenError>([&] { stream.LoadFromFile(name); });
         return stream.Size() == 4 ? raised : L"<stream changed>";
       }},
      {"whole file", OpenError, [](const String& name) { return RaisedBy<EFOpenError>([&] { ReadFileBytes(name); }); }},
      {"profile INI",
       [](const String& name, const String& reason) { return L"Unable to write to " + name + L". " + reason; },
       [](const String& name) {
         TIniFile ini(name);
         TStringList sections;
         ini.ReadSections(&sections);
         if (ini.ReadString(L"Owner", L"Name", L"<default>") != L"<default>" || sections.Count() != 0)
           return String(L"<read>");
         return RaisedBy<EIniFileException>([&] { ini.WriteString(L"Owner", L"Name", L"A"); });
       }},
  };
  if (withSavers) {
    readers.push_back({"memory INI", CreateError, [](const String& name) {
                         TMemIniFile ini(name);
                         TStringList sections;
                         ini.ReadSections(&sections);
                         if (sections.Count() != 0) return String(L"<read>");
                         ini.WriteString(L"Owner", L"Name", L"A");
                         return RaisedBy<EFCreateError>([&] { ini.UpdateFile(); });
                       }});
    readers.push_back({"saved string list", CreateError, [](const String& name) {
                         TStringList lines;
                         lines.Add(L"[Owner]");
                         return RaisedBy<EFCreateError>([&] { lines.SaveToFile(name); });
                       }});
  }
  return readers;
}

}  // namespace

// Ports, the console and pipes are read from until they send an end, which they never do, and a link to a device
// such as the one of endless zeros never ends: every reader refuses them at once, and the memory INI reads them as
// no file. What is saved is never written into a device or a pipe.
TEST(NamedFiles, DevicesPipesAndEndlessFilesAreRefusedByEveryReader) {
  TTempFolder folder;
  const String pipeName = L"quiet-" + std::to_wstring(GetCurrentProcessId());
  TQuietPipe pipe(pipeName);
  struct TCase {
    String Name;
    bool Saved;  // whether the savers are tried too (never on a host's device: a save could replace it)
  };
  std::vector<TCase> cases = {
      {L"COM1", true},
      {L"aux", true},
      {L"NUL", true},
      {L"CON", true},
      {L"COM1:", true},
      {L"Nul .txt", true},
      {folder.File(L"COM1.txt"), true},
      {folder.File(L"lpt2"), true},
      {L"\\\\.\\COM1", true},
      {L"\\\\.\\pipe\\" + pipeName, true},
      {L"\\\\?\\pipe\\" + pipeName, true},
      {L"//./pipe/" + pipeName, true},
  };
  const String zeros = folder.File(L"zeros.ini");
  const String hostPipe = folder.File(L"pipe.ini");
  const String hostPipeLink = folder.File(L"pipe link.ini");
  if (MakeSymbolicLink(zeros, HostFileName("/dev/zero"))) cases.push_back({zeros, false});
  const THostPipe made(hostPipe);
  if (made.Made()) cases.push_back({hostPipe, true});
  if (MakeSymbolicLink(hostPipeLink, hostPipe)) cases.push_back({hostPipeLink, true});
  ASSERT_EQ(cases.size(), 15u) << "links and pipes of the host are made under Wine";

  const String reason = SysErrorMessage(ERROR_NOT_SUPPORTED);
  for (const TCase& c : cases) {
    for (const TNamedReader& reader : NamedReaders(c.Saved)) {
      EXPECT_EQ(reader.Read(c.Name), reader.Expected(c.Name, reason)) << reader.Name << " of " << WideToUtf8(c.Name);
    }
  }
  EXPECT_TRUE(IsListed(hostPipe)) << "the pipe is no file a save replaces";
}

// A regular file is read as far as its size says: a file of the host's system whose size says 0 but which gives
// text on every read reads as empty, the same way through every reader.
TEST(NamedFiles, ARegularFileIsReadAsFarAsItsSizeSays) {
  const String version = HostFileName("/proc/version");
  if (version.empty()) GTEST_SKIP() << "no host files here";
  EXPECT_EQ(ReadFileBytes(version), "");
  TStringList lines;
  lines.LoadFromFile(version);
  EXPECT_EQ(lines.Count(), 0);

  TTempFolder folder;
  const String file = folder.File(L"plain.txt");
  WriteFileBytes(file, "one\r\ntwo");
  lines.LoadFromFile(file);
  EXPECT_EQ(lines.Text(), L"one\r\ntwo\r\n");
}

// The file system here keeps a name in at most 255 bytes of UTF-8 and cuts a longer one, so two names of more
// than 85 Chinese characters that differ after that lead to one file. Such names are refused with the system's
// reason, whether or not another file answers to them; a name that fits is read and written.
TEST(NamedFiles, NamesLongerThanTheFileSystemKeepsAreRefused) {
  TTempFolder folder;
  const String reason = SysErrorMessage(ERROR_FILENAME_EXCED_RANGE);
  struct TCase {
    const char* Name;
    String Own, Other;
  };
  std::vector<TCase> cases;
  for (size_t length : {86u, 87u, 88u, 100u}) {
    const String stem(length - 1, L'\u4e2d');
    cases.push_back({"Chinese", folder.File(stem + L"A"), folder.File(stem + L"B")});
  }
  cases.push_back({"256 letters", folder.File(String(255, L'a') + L"A"), folder.File(String(255, L'a') + L"B")});
  cases.push_back({"a folder's name", folder.File(String(200, L'\u00e9') + L"\\A.ini"),
                   folder.File(String(200, L'\u00e9') + L"\\B.ini")});
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    // Another program's file, written where the system puts it.
    WriteFileBytes(c.Other, "[Owner]\r\nName=B\r\n");
    const std::string other = FileBytes(c.Other);
    for (const TNamedReader& reader : NamedReaders(true)) {
      EXPECT_EQ(reader.Read(c.Own), reader.Expected(c.Own, reason)) << reader.Name;
    }
    EXPECT_EQ(FileBytes(c.Other), other);
  }

  // 255 bytes exactly.
  const String fits = folder.File(String(83, L'\u4e2d') + L"AB.ini");
  TMemIniFile ini(fits);
  ini.WriteString(L"Owner", L"Name", L"A");
  ini.UpdateFile();
  EXPECT_EQ(TIniFile(fits).ReadString(L"Owner", L"Name", L""), L"A");
  TStringList lines;
  lines.LoadFromFile(fits);
  EXPECT_EQ(lines.Strings(0), L"[Owner]");
}

// A name is measured as the system goes by it: relative to the current folder or a drive's, without the dots and
// blanks it drops at the end, and after "\\?\" as it stands. Each name that fits leads to the file of 255 letters.
TEST(NamedFiles, NamesAreMeasuredAsTheSystemGoesByThem) {
  TTempFolder folder;
  const TCurrentFolder current(folder.Path());
  const String letters(255, L'l');
  const String tooLong = letters + L"x";
  const struct {
    String Name;
    DWORD Error;
  } cases[] = {
      {letters, 0},
      {folder.Path().substr(0, 2) + letters, 0},
      {folder.File(letters + L"."), 0},
      {folder.File(letters + L" "), 0},
      {L"\\\\?\\" + folder.File(letters), 0},
      {tooLong, ERROR_FILENAME_EXCED_RANGE},
      {folder.Path().substr(0, 2) + tooLong, ERROR_FILENAME_EXCED_RANGE},
      {folder.Path() + L"/" + tooLong, ERROR_FILENAME_EXCED_RANGE},
      {L"\\\\?\\" + folder.File(letters + L"."), ERROR_FILENAME_EXCED_RANGE},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FileNameError(c.Name), c.Error) << WideToUtf8(c.Name);
    if (c.Error != 0) continue;
    TStringList lines;
    lines.Add(c.Name);
    EXPECT_NO_THROW(lines.SaveToFile(c.Name)) << WideToUtf8(c.Name);
    lines.LoadFromFile(folder.File(letters));
    EXPECT_EQ(lines.Strings(0), c.Name);
  }
}

// Names the system keeps for devices, and names that only look like them.
TEST(NamedFiles, DeviceNamesAreKnownWhereverTheyStand) {
  for (const wchar_t* name : {L"COM1",
                              L"com9.url",
                              L"C:\\windows\\COM9.url",
                              L"LPT1.url",
                              L"lpt2",
                              L"NUL",
                              L"nul.url",
                              L"Nul .url",
                              L"CON",
                              L"CONIN$",
                              L"conout$.txt",
                              L"aux.url",
                              L"PRN",
                              L"COM1:",
                              L"C:COM1",
                              L"x:COM1:",
                              L"COM\u00b9",
                              L"C:\\x\\lpt\u00b3.txt",
                              L"C:\\x\\COM1:.txt",
                              L"NUL :.txt",
                              L"C:\\x\\com3.txt:stream",
                              L"D:\\x/AUX.tar.gz",
                              L"\\\\.\\COM1",
                              L"\\\\.\\pipe\\nobody",
                              L"//./pipe/x",
                              L"\\\\?\\pipe\\x",
                              L"\\\\?\\GLOBALROOT\\Device\\Null",
                              L"\\??\\COM1",
                              L"\\\\?\\C:\\x\\COM1.txt"})
    EXPECT_TRUE(IsDeviceName(name)) << WideToUtf8(name);
  for (const wchar_t* name :
       {L"COM", L"COM10", L"COM0", L"COM\u00b4", L"LPT\u2074", L"CONSOLE", L"nullable.ini", L"con.d\\x.ini", L"AUX\\x",
        L"C:\\LPT", L"x.COM1", L"\\\\?\\C:\\settings.ini", L"\\\\?\\UNC\\server\\share\\x.ini",
        L"\\\\server\\share\\x.ini", L"\\\\?\\Volume{12345678-0000-0000-0000-000000000000}\\x.ini", L"", L"C:\\"})
    EXPECT_FALSE(IsDeviceName(name)) << WideToUtf8(name);
}
