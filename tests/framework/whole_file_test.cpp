#include "framework/whole_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "framework/exceptions.h"
#include "framework/ini_files.h"
#include "framework/streams.h"
#include "framework/strings.h"
#include "framework/sys_utils.h"
#include "framework/text_convert.h"
#include "support/host_files.h"
#include "support/program_copy.h"
#include "support/temp_folder.h"
#include "temp_files.h"

namespace {

const std::string kOriginal = "[Window]\r\nLeft=10\r\nTop=20\r\n";

// A copy of this program that saves over and over, and one that is killed half-way through a save; each is told
// the file by its variable.
constexpr wchar_t kSavingCopy[] = L"BC_WHOLE_FILE_SAVING_COPY";
constexpr wchar_t kKilledCopy[] = L"BC_WHOLE_FILE_KILLED_COPY";
constexpr DWORD kKilledExitCode = 57;
constexpr int kLoopSaves = 100;
constexpr int kSettingsKeys = 40;

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

// The names in a folder, sorted.
std::vector<String> FilesIn(const String& folder) {
  std::vector<String> names;
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const String name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

// Files beside the given one whose names start with its own, the file itself left out.
int FilesBeside(const String& path) {
  const String name = path.substr(path.find_last_of(L'\\') + 1);
  const std::vector<String> names = FilesIn(path.substr(0, path.find_last_of(L'\\')));
  return static_cast<int>(std::count_if(
      names.begin(), names.end(), [&](const String& other) { return other != name && other.rfind(name, 0) == 0; }));
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

// The n-th name a save of this process tries for its temporary.
String TemporaryName(const String& path, unsigned n) {
  wchar_t numbers[24];
  swprintf(numbers, 24, L"%lx-%x", GetCurrentProcessId(), n);
  return path + L".~" + numbers + L".tmp";
}

// Settings as an application keeps them: every key holds the number of the save that wrote it.
void SaveGeneration(const String& path, int generation) {
  TMemIniFile ini(path);
  ini.WriteInteger(L"Settings", L"Generation", generation);
  for (int key = 0; key < kSettingsKeys; ++key) ini.WriteInteger(L"Settings", L"Key" + IntToStr(key), generation);
  ini.UpdateFile();
}

// The number of the save a reader finds; -1 when it finds no settings or a mix of two saves.
int GenerationRead(const String& path) {
  TMemIniFile ini(path);
  const int generation = ini.ReadInteger(L"Settings", L"Generation", -1);
  for (int key = 0; key < kSettingsKeys; ++key)
    if (ini.ReadInteger(L"Settings", L"Key" + IntToStr(key), -2) != generation) return -1;
  return generation;
}

// The bytes the volume of the folder holds in all.
ULONGLONG VolumeSize(const String& folder) {
  ULARGE_INTEGER total{};
  return GetDiskFreeSpaceExW(folder.c_str(), nullptr, &total, nullptr) ? total.QuadPart : 0;
}

// A file system of 64 KiB mounted on an empty folder, where the host lets one be made, for as long as it lives: it
// leaves nothing mounted on the machine, whatever the test did meanwhile. The host refuses to unmount a file system
// while a process has a file of it open, and this process may still be letting one go: the unmount is tried again
// while it is refused, and nothing of the file system is looked at until the host is done.
class TSmallFileSystem {
 public:
  TSmallFileSystem(const TTempFolder& marks, const String& folder)
      : folder_(folder), onHost_(HostName(folder)), mounted_(marks.File(L"mounted")),
        unmounted_(marks.File(L"unmounted")), sizeBefore_(VolumeSize(folder)) {
    started_ = !onHost_.empty() && StartOnHost("mount -t tmpfs -o size=64k tmpfs '" + onHost_ + "'", mounted_);
    made_ = started_ && DoneOnHost(mounted_) && VolumeSize(folder_) != sizeBefore_;
  }
  ~TSmallFileSystem() { Unmount(); }
  TSmallFileSystem(const TSmallFileSystem&) = delete;
  TSmallFileSystem& operator=(const TSmallFileSystem&) = delete;

  bool Made() const { return made_; }

  // Answers whether the folder is back on the volume it was on.
  bool Unmount() {
    if (!started_) return true;
    started_ = false;
    // A mount still under way is waited for first.
    const std::string folder = "'" + onHost_ + "'";
    const std::string unmount = "for i in $(seq 600); do [ -e '" + HostName(mounted_) +
                                "' ] && break; sleep 0.1; done; for i in $(seq 600); do mountpoint -q " + folder +
                                " || break; umount " + folder + " 2>/dev/null || sleep 0.1; done";
    return StartOnHost(unmount, unmounted_) && DoneOnHost(unmounted_) && VolumeSize(folder_) == sizeBefore_;
  }

 private:
  String folder_;
  std::string onHost_;
  String mounted_, unmounted_;
  ULONGLONG sizeBefore_;
  bool started_ = false;
  bool made_ = false;
};

// Moves the stream to the largest size the file system lets a file reach, where it refuses to write a byte.
void SeekPastTheLargestFile(TStream& stream) {
  int64_t reachable = 0;
  int64_t unreachable = INT64_MAX;
  while (unreachable - reachable > 1) {
    const int64_t middle = reachable + (unreachable - reachable) / 2;
    try {
      stream.Seek(middle, TSeekOrigin::soBeginning);
      reachable = middle;
    } catch (const Exception&) {
      unreachable = middle;
    }
  }
  stream.Seek(reachable, TSeekOrigin::soBeginning);
}

}  // namespace

// Runs only in a copy: saves the settings over and over, while the test reads them.
TEST(WholeFile, DISABLED_SavesOverAndOver) {
  const String path = ProgramCopyValue(kSavingCopy);
  for (int generation = 1; generation <= kLoopSaves; ++generation) SaveGeneration(path, generation);
}

// Runs only in a copy: the process is killed in the middle of a save.
TEST(WholeFile, DISABLED_KilledHalfWay) {
  SaveWholeFile(ProgramCopyValue(kKilledCopy), [](TStream& stream) {
    stream.WriteBuffer("[Win", 4);
    TerminateProcess(GetCurrentProcess(), kKilledExitCode);
  });
}

// A write that fails at any point leaves the file byte for byte as it was, and nothing beside it; the error names
// the file and the cause.
TEST(WholeFile, AFailedWriteLeavesTheFileAsItWasAndNamesIt) {
  DWORD refusal = 0;
  {
    TTempFile scratch(L"largest file.bin");
    TFileStream stream(scratch.Path(), fmCreate);
    SeekPastTheLargestFile(stream);
    ASSERT_EQ(stream.Write("x", 1), 0);
    refusal = stream.LastError();
    ASSERT_NE(refusal, 0u);
  }
  struct TCase {
    const char* Name;
    bool Existing;
    DWORD Attributes;
    bool HeldByAnother;
    std::function<void(TStream&)> Write;
    const wchar_t* Error;
    String Reason;
  };
  const auto halfThenFail = [](TStream& stream) {
    stream.WriteBuffer("[Window]\r\nLe", 12);
    throw EWriteError(L"Stream write error");
  };
  const auto writeNew = [](TStream& stream) { stream.WriteBuffer("new", 3); };
  const wchar_t* cannotWrite = L"Cannot write file";
  const TCase cases[] = {
      {"the stream fails half-way", true, 0, false, halfThenFail, cannotWrite, L"Stream write error"},
      {"the stream fails half-way, no file before", false, 0, false, halfThenFail, cannotWrite, L"Stream write error"},
      {"nothing is written", true, 0, false, [](TStream&) { throw EReadError(L"Stream read error"); }, cannotWrite,
       L"Stream read error"},
      {"the disk refuses a write", true, 0, false,
       [](TStream& stream) {
         stream.WriteBuffer("[Window]", 8);
         SeekPastTheLargestFile(stream);
         stream.WriteBuffer("x", 1);
       },
       cannotWrite, SysErrorMessage(refusal)},
      {"another program holds the file all along", true, 0, true, writeNew, cannotWrite,
       SysErrorMessage(ERROR_SHARING_VIOLATION)},
      {"the file is read-only", true, FILE_ATTRIBUTE_READONLY, false, writeNew, L"Cannot create file",
       SysErrorMessage(ERROR_ACCESS_DENIED)},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TTempFile file(L"whole file.ini");
    if (c.Existing) WriteBytes(file.Path(), kOriginal);
    if (c.Attributes != 0) SetFileAttributesW(file.Path().c_str(), c.Attributes);
    HANDLE held = c.HeldByAnother
                      ? CreateFileW(file.Path().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)
                      : INVALID_HANDLE_VALUE;
    try {
      SaveWholeFile(file.Path(), c.Write);
      ADD_FAILURE() << "no error";
    } catch (const EStreamError& error) {
      EXPECT_EQ(error.Message(), String(c.Error) + L" \"" + file.Path() + L"\". " + c.Reason);
    }
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    SetFileAttributesW(file.Path().c_str(), FILE_ATTRIBUTE_NORMAL);
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

TEST(WholeFile, AReplacedFileKeepsItsAttributes) {
  for (DWORD attributes : {DWORD(FILE_ATTRIBUTE_HIDDEN), DWORD(FILE_ATTRIBUTE_SYSTEM),
                           DWORD(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)}) {
    SCOPED_TRACE(attributes);
    TTempFile file(L"whole file.ini");
    WriteBytes(file.Path(), kOriginal);
    SetFileAttributesW(file.Path().c_str(), attributes);
    SaveWholeFile(file.Path(), [](TStream& stream) { stream.WriteBuffer("new", 3); });
    EXPECT_EQ(BytesOf(file.Path()), "new");
    EXPECT_EQ(GetFileAttributesW(file.Path().c_str()) & attributes, attributes);
    SetFileAttributesW(file.Path().c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(FilesBeside(file.Path()), 0);
  }
}

String Emoji(size_t count) {
  String text;
  for (size_t i = 0; i < count; ++i) text += L"\U0001F600";
  return text;
}

// Settings named as applications name them save, and save again over what they saved, leaving nothing else in
// their folders: no temporary, none of the system's own.
TEST(WholeFile, SavesByAnyName) {
  TTempFolder folder;
  CreateDirectoryW(folder.File(L"sub").c_str(), nullptr);
  String slashed = folder.File(L"sub\\slashed.ini");
  std::replace(slashed.begin(), slashed.end(), L'\\', L'/');
  const struct {
    const char* Name;
    String Path;
    String Where;
  } cases[] = {
      {"relative to the current folder", L"relative.ini", folder.File(L"relative.ini")},
      {"relative, with forward slashes", L"sub/relative.ini", folder.File(L"sub\\relative.ini")},
      {"full, with forward slashes", slashed, folder.File(L"sub\\slashed.ini")},
      {"full, as \\\\?\\ name", L"\\\\?\\" + folder.File(L"long.ini"), folder.File(L"long.ini")},
      // Names as long as a name may be, and the temporaries beside them.
      {"of 245 characters", String(241, L'n') + L".ini", folder.File(String(241, L'n') + L".ini")},
      {"of 255 characters", String(251, L'm') + L".ini", folder.File(String(251, L'm') + L".ini")},
      // Names whose characters take several bytes each where the file system keeps names in UTF-8.
      {"of 85 characters of three bytes", String(81, L'\u4e16') + L".ini",
       folder.File(String(81, L'\u4e16') + L".ini")},
      {"of 61 characters of four bytes", Emoji(61) + L".ini", folder.File(Emoji(61) + L".ini")},
      {"of 125 characters of two bytes", String(121, L'\u00e9') + L".ini",
       folder.File(String(121, L'\u00e9') + L".ini")},
  };
  wchar_t current[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, current);
  SetCurrentDirectoryW(folder.Path().c_str());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    for (int generation = 1; generation <= 2; ++generation) EXPECT_NO_THROW(SaveGeneration(c.Path, generation));
    EXPECT_EQ(GenerationRead(c.Where), 2);
  }
  SetCurrentDirectoryW(current);
  EXPECT_EQ(FilesIn(folder.Path()),
            (std::vector<String>{L"long.ini", String(251, L'm') + L".ini", String(241, L'n') + L".ini", L"relative.ini",
                                 L"sub", String(121, L'\u00e9') + L".ini", String(81, L'\u4e16') + L".ini",
                                 Emoji(61) + L".ini"}));
  EXPECT_EQ(FilesIn(folder.File(L"sub")), (std::vector<String>{L"relative.ini", L"slashed.ini"}));
}

// A save that ended half-way leaves its temporary, which no later save stumbles over: the one of a killed process
// goes, also when its name is the one this process would take (process ids come back), while a temporary that a
// running save holds, and a file of the user's that only looks like one, stay. When every name is held, the error
// names the temporary at fault.
TEST(WholeFile, ASaveKilledHalfWayBlocksNoLaterSave) {
  struct TCase {
    const char* Name;
    std::function<std::vector<HANDLE>(const String& path)> Leave;
    std::vector<String> Stay;  // beside the file, once saved
    bool Saves;
  };
  const auto leave = [](const String& name, bool held) {
    WriteBytes(name, "[Win");
    return held ? CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr)
                : INVALID_HANDLE_VALUE;
  };
  const TCase cases[] = {
      {"a save of another process was killed",
       [](const String& path) {
         const TProgramCopyResult killed = RunProgramCopy(L"WholeFile.DISABLED_KilledHalfWay", kKilledCopy, path);
         EXPECT_EQ(killed.ExitCode, kKilledExitCode) << killed.Output;
         EXPECT_EQ(FilesBeside(path), 1);
         return std::vector<HANDLE>{};
       },
       {},
       true},
      {"the killed save had this process's id",
       [&](const String& path) { return std::vector<HANDLE>{leave(TemporaryName(path, 0), false)}; },
       {},
       true},
      {"a running save holds the first name",
       [&](const String& path) { return std::vector<HANDLE>{leave(TemporaryName(path, 0), true)}; },
       {TemporaryName(L"", 0)},
       true},
      {"files of the user's look alike",
       [&](const String& path) {
         leave(path + L".~notes.tmp", false);
         leave(TemporaryName(path, 0) + L".bak", false);
         return std::vector<HANDLE>{};
       },
       {L".~notes.tmp", TemporaryName(L"", 0) + L".bak"},
       true},
      {"running saves hold every name",
       [&](const String& path) {
         std::vector<HANDLE> held;
         for (unsigned n = 0; n < 64; ++n) held.push_back(leave(TemporaryName(path, n), true));
         return held;
       },
       {},
       false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TTempFolder folder;
    const String path = folder.File(L"c.ini");
    WriteBytes(path, kOriginal);
    const std::vector<HANDLE> held = c.Leave(path);
    try {
      SaveWholeFile(path, [](TStream& stream) { stream.WriteBuffer("new", 3); });
      EXPECT_TRUE(c.Saves);
    } catch (const EFCreateError& error) {
      EXPECT_FALSE(c.Saves);
      EXPECT_EQ(error.Message(),
                L"Cannot create file \"" + TemporaryName(path, 63) + L"\". " + SysErrorMessage(ERROR_FILE_EXISTS));
    }
    for (HANDLE handle : held) CloseHandle(handle);
    EXPECT_EQ(BytesOf(path), c.Saves ? "new" : kOriginal);
    if (!c.Saves) continue;
    std::vector<String> expected{L"c.ini"};
    for (const String& stay : c.Stay) expected.push_back(L"c.ini" + stay);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FilesIn(folder.Path()), expected);
  }
}

// While another process saves the settings over and over, a reader always finds them whole: the old save or the
// new one, never none, never a mix, and the saver never fails for the reader holding the file.
TEST(WholeFile, AReaderFindsTheOldOrTheNewFileWhole) {
  TTempFolder folder;
  const String path = folder.File(L"shared.ini");
  SaveGeneration(path, 0);
  std::atomic<bool> saving{true};
  TProgramCopyResult saver;
  std::thread copy([&] {
    saver = RunProgramCopy(L"WholeFile.DISABLED_SavesOverAndOver", kSavingCopy, path);
    saving = false;
  });
  int reads = 0;
  int broken = 0;
  std::set<int> found;
  while (saving) {
    int generation = -1;
    try {
      generation = GenerationRead(path);
    } catch (const Exception& error) {
      ADD_FAILURE() << error.what();
    }
    if (generation < 0)
      ++broken;
    else
      found.insert(generation);
    ++reads;
  }
  copy.join();
  EXPECT_EQ(saver.ExitCode, 0u) << saver.Output;
  EXPECT_EQ(broken, 0) << "of " << reads << " reads";
  // The reads went on while the copy saved: they found saves between its first and its last.
  EXPECT_TRUE(std::any_of(found.begin(), found.end(), [](int g) { return g > 0 && g < kLoopSaves; }));
  EXPECT_EQ(GenerationRead(path), kLoopSaves);
  EXPECT_EQ(FilesIn(folder.Path()), std::vector<String>{L"shared.ini"});
}

// A save through a symbolic link writes the file the link points to, and the link stays a link to it.
// A save that meets a full disk names the cause, and leaves the file as it was: a file system of a few kilobytes
// is made for it where the host lets one be made.
TEST(WholeFile, ASaveOnAFullDiskNamesTheCause) {
  TTempFolder folder;
  const String small = folder.File(L"small");
  CreateDirectoryW(small.c_str(), nullptr);
  TSmallFileSystem fileSystem(folder, small);
  if (!fileSystem.Made()) GTEST_SKIP() << "no small file system can be made here";
  const String file = small + L"\\settings.ini";
  WriteBytes(file, kOriginal);
  try {
    // Written at once, as the settings are.
    SaveWholeFile(file, [](TStream& stream) {
      const std::string settings(256 * 1024, 'x');
      stream.WriteBuffer(settings.data(), static_cast<int32_t>(settings.size()));
    });
    ADD_FAILURE() << "no error";
  } catch (const EWriteError& error) {
    EXPECT_EQ(error.Message(), L"Cannot write file \"" + file + L"\". " + SysErrorMessage(ERROR_DISK_FULL));
  }
  EXPECT_EQ(BytesOf(file), kOriginal);
  EXPECT_EQ(FilesBeside(file), 0);
  DeleteFileW(file.c_str());
  EXPECT_TRUE(fileSystem.Unmount()) << "the small file system stays mounted";
}

TEST(WholeFile, ASaveThroughASymbolicLinkWritesItsTarget) {
  const struct {
    const char* Name;
    const wchar_t* Target;  // as the link names it
    const wchar_t* TargetFile;
    bool TargetMissing;  // the link leads nowhere yet
  } cases[] = {
      {"to a file beside it, by its full name", nullptr, L"target.ini", false},
      {"to a file beside it, by a relative name", L"target.ini", L"target.ini", false},
      {"to a file in another folder, by a relative name", L"real\\target.ini", L"real\\target.ini", false},
      {"to a file not there yet, by its full name", nullptr, L"target.ini", true},
      {"to a file not there yet, by a relative name", L"real\\target.ini", L"real\\target.ini", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TTempFolder folder;
    CreateDirectoryW(folder.File(L"real").c_str(), nullptr);
    const String target = folder.File(c.TargetFile);
    const String link = folder.File(L"link.ini");
    SaveGeneration(target, 1);
    if (!MakeSymbolicLink(link, c.Target ? String(c.Target) : target)) GTEST_SKIP() << "no symbolic links here";
    if (c.TargetMissing) DeleteFileW(target.c_str());
    SaveGeneration(link, 2);
    EXPECT_EQ(GenerationRead(target), 2);
    // The link still leads to the target: what is written there reads through the link.
    SaveGeneration(target, 3);
    EXPECT_EQ(GenerationRead(link), 3);
    EXPECT_EQ(FilesBeside(link), 0);
    EXPECT_EQ(FilesBeside(target), 0);
  }
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

// A name longer than the file system holds (where names are kept in UTF-8, 255 bytes) is refused with that
// cause, not as a file that is not there; where it fits, it saves.
TEST(WholeFile, ANameTooLongForTheFileSystemSaysSo) {
  TTempFolder folder;
  const String name = folder.File(String(128, L'\u00e9') + L".ini");
  try {
    SaveGeneration(name, 1);
    EXPECT_EQ(GenerationRead(name), 1);
  } catch (const EFCreateError& error) {
    EXPECT_NE(error.Message().find(SysErrorMessage(ERROR_FILENAME_EXCED_RANGE)), String::npos)
        << WideToUtf8(error.Message());
  }
  EXPECT_EQ(FilesIn(folder.Path()).size(), GetFileAttributesW(name.c_str()) == INVALID_FILE_ATTRIBUTES ? 0u : 1u);
}
