#include "framework/whole_file.h"

#include <windows.h>

#include <cwchar>
#include <cwctype>
#include <memory>
#include <string_view>

#include "framework/exceptions.h"
#include "framework/streams.h"
#include "framework/sys_utils.h"
#include "framework/text_convert.h"

namespace {

// How long a save waits for readers to let the file go, and how often it tries again meanwhile.
constexpr ULONGLONG kHeldFileWait = 2000;
constexpr DWORD kHeldFileRetry = 10;
// How many names of its own a save tries for its temporary.
constexpr unsigned kTemporaryNames = 64;
// What a replaced file passes on to the file that replaces it (which is new, and so marked for archiving).
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
constexpr std::wstring_view kTemporaryMark = L".~";
constexpr std::wstring_view kTemporaryEnd = L".tmp";
// The most characters a temporary adds to the file's name, all of one byte: the mark, two numbers of eight digits,
// a dash, the end.
constexpr size_t kTemporaryAdds = 2 + 8 + 1 + 8 + 4;

size_t NameStart(const String& path) {
  const size_t separator = path.find_last_of(L"\\/");
  return separator == String::npos ? 0 : separator + 1;
}

[[noreturn]] void RaiseCreateError(const String& name, DWORD error) {
  throw EFCreateError(Format(L"Cannot create file \"%s\". %s", {name, SysErrorMessage(error)}));
}

// Names as the file system compares them: ordinally, without case.
bool SameName(std::wstring_view a, std::wstring_view b) {
  return a.size() == b.size() && CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                                      static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

bool IsHexNumber(std::wstring_view text) {
  if (text.empty()) return false;
  for (wchar_t c : text)
    if (!std::iswxdigit(c)) return false;
  return true;
}

// The path of the file the name leads to, through any symbolic link; empty when the file cannot be opened.
String FinalPath(const String& fileName) {
  HANDLE file = CreateFileW(fileName.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  String path;
  DWORD length = GetFinalPathNameByHandleW(file, nullptr, 0, FILE_NAME_NORMALIZED);
  if (length != 0) {
    path.resize(length);
    length = GetFinalPathNameByHandleW(file, path.data(), length, FILE_NAME_NORMALIZED);
  }
  CloseHandle(file);
  if (length == 0 || length >= path.size()) return {};
  path.resize(length);
  return path;
}

// The file a save writes: the name as given, unless it leads elsewhere (a symbolic link, or a folder that is one):
// then the file it leads to, so that the link stays.
String SaveTarget(const String& fileName) {
  const String final = FinalPath(fileName);
  if (final.empty()) return fileName;
  const String full = ExpandFileName(fileName);
  return SameName(ExcludeLongPathPrefix(final), ExcludeLongPathPrefix(full)) ? fileName : final;
}

// The start of a temporary's name: the file's name, or for a name too long to take what a temporary adds, as much
// of it as leaves room for that, whole characters only, so that the temporary fits in a name in characters and in
// UTF-8, whose bytes a character never takes fewer of.
std::wstring_view TemporaryStem(std::wstring_view file) {
  size_t length = file.size();
  for (size_t bytes = Utf8Length(file); bytes + kTemporaryAdds > kLongestFileName && length > 0;) {
    const bool pair = length >= 2 && file[length - 1] >= 0xDC00 && file[length - 1] < 0xE000 &&
                      file[length - 2] >= 0xD800 && file[length - 2] < 0xDC00;
    const size_t units = pair ? 2 : 1;
    bytes -= Utf8Length(file.substr(length - units, units));
    length -= units;
  }
  return file.substr(0, length);
}

// The path a temporary of the file at target starts with: its folder and the stem of its name.
String TemporaryStart(const String& target) {
  const size_t nameStart = NameStart(target);
  return target.substr(0, nameStart) + String(TemporaryStem(std::wstring_view(target).substr(nameStart)));
}

// Whether the name is one of the file's temporaries: "<stem>.~<hex>-<hex>.tmp".
bool IsTemporaryOf(std::wstring_view name, std::wstring_view file) {
  const std::wstring_view stem = TemporaryStem(file);
  const size_t fixed = stem.size() + kTemporaryMark.size() + kTemporaryEnd.size();
  if (name.size() <= fixed || !SameName(name.substr(0, stem.size()), stem) ||
      name.substr(stem.size(), kTemporaryMark.size()) != kTemporaryMark ||
      !SameName(name.substr(name.size() - kTemporaryEnd.size()), kTemporaryEnd))
    return false;
  const std::wstring_view numbers = name.substr(stem.size() + kTemporaryMark.size(), name.size() - fixed);
  const size_t dash = numbers.find(L'-');
  return dash != std::wstring_view::npos && IsHexNumber(numbers.substr(0, dash)) &&
         IsHexNumber(numbers.substr(dash + 1));
}

// Removes the temporaries beside the file that saves left when they were killed half-way: a save holds its own
// from its making to its end, so only those of ended saves open alone, and go as they close.
void RemoveEndedTemporaries(const String& target) {
  const size_t nameStart = NameStart(target);
  const String folder = target.substr(0, nameStart);
  const std::wstring_view file = std::wstring_view(target).substr(nameStart);
  WIN32_FIND_DATAW found{};
  HANDLE search =
      FindFirstFileW((TemporaryStart(target) + String(kTemporaryMark) + L"*" + String(kTemporaryEnd)).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (!IsTemporaryOf(found.cFileName, file)) continue;
    HANDLE ended = CreateFileW((folder + found.cFileName).c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                               FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (ended != INVALID_HANDLE_VALUE) CloseHandle(ended);
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

// Whether an open of the file, by another program or elsewhere in this one, keeps it from being replaced.
bool IsHeldElsewhere(const String& target) {
  HANDLE file = CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_SHARING_VIOLATION;
  CloseHandle(file);
  return false;
}

// The file a save writes beside the one it replaces. Besides the stream that writes it, a handle that lets every
// other open share it holds it from its making to its end: no other save takes it for a temporary that ended, and
// once it has taken the file's place, readers of the file (who let others delete it) open it at once.
class TTemporaryFile {
 public:
  TTemporaryFile(const String& fileName, const String& target) {
    const String start = TemporaryStart(target);
    HANDLE writing = INVALID_HANDLE_VALUE;
    for (unsigned n = 0; writing == INVALID_HANDLE_VALUE; ++n) {
      wchar_t numbers[24];
      swprintf(numbers, 24, L"%lx-%x", GetCurrentProcessId(), n);
      name_ = start + String(kTemporaryMark) + numbers + String(kTemporaryEnd);
      writing = CreateFileW(name_.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
      if (writing != INVALID_HANDLE_VALUE) break;
      const DWORD error = GetLastError();
      // A name another save holds is passed over; when none is left, the error names the last one.
      if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) RaiseCreateError(fileName, error);
      if (n + 1 == kTemporaryNames) RaiseCreateError(name_, error);
    }
    hold_ = CreateFileW(name_.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_EXISTING, 0, nullptr);
    if (hold_ == INVALID_HANDLE_VALUE) {
      const DWORD error = GetLastError();
      CloseHandle(writing);
      DeleteFileW(name_.c_str());
      RaiseCreateError(fileName, error);
    }
    stream_ = std::make_unique<TFileStream>(writing, name_);
  }

  ~TTemporaryFile() {
    stream_.reset();
    if (!placed_) DeleteFileW(name_.c_str());
    CloseHandle(hold_);
  }

  TTemporaryFile(const TTemporaryFile&) = delete;
  TTemporaryFile& operator=(const TTemporaryFile&) = delete;

  TFileStream& Stream() { return *stream_; }

  // Gives the written file the attributes of the one it replaces and brings it to the disk: the system's reason
  // when it cannot.
  String Complete(DWORD attributes) {
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & kKeptAttributes) != 0) {
      FILE_BASIC_INFO info{};
      info.FileAttributes = attributes & kKeptAttributes;
      SetFileInformationByHandle(stream_->Handle(), FileBasicInfo, &info, sizeof info);
    }
    return FlushFileBuffers(stream_->Handle()) ? String() : SysErrorMessage(GetLastError());
  }

  // Puts the written file in the target's place in one step: the system's reason when it cannot. A program that
  // holds the file open keeps it from being replaced: the save tries again for a moment.
  String Replace(const String& target) {
    stream_.reset();
    const ULONGLONG until = GetTickCount64() + kHeldFileWait;
    for (;;) {
      if (MoveFileExW(name_.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        placed_ = true;
        return {};
      }
      const DWORD error = GetLastError();
      const bool mayBeHeld = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
      if (!mayBeHeld || GetTickCount64() >= until)
        return SysErrorMessage(mayBeHeld && IsHeldElsewhere(target) ? ERROR_SHARING_VIOLATION : error);
      Sleep(kHeldFileRetry);
    }
  }

 private:
  String name_;
  HANDLE hold_ = INVALID_HANDLE_VALUE;
  std::unique_ptr<TFileStream> stream_;
  bool placed_ = false;
};

// Makes the file empty where there is none, through the name as it is given: a symbolic link that leads nowhere
// yet then leads to the new file, which the save replaces, and stays a link. True when this made the file.
bool MakeMissingFile(const String& fileName) {
  if (NameStart(fileName) == fileName.size()) RaiseCreateError(fileName, ERROR_INVALID_NAME);
  HANDLE file = CreateFileW(fileName.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  const DWORD error = GetLastError();
  if (file == INVALID_HANDLE_VALUE) {
    // A folder of that name, or a file that may not be opened for writing, is the caller's to refuse.
    if (error == ERROR_ACCESS_DENIED) return false;
    RaiseCreateError(fileName, error);
  }
  CloseHandle(file);
  return error != ERROR_ALREADY_EXISTS;
}

}  // namespace

void SaveWholeFile(const String& fileName, const std::function<void(TStream& stream)>& write) {
  if (const DWORD error = DiskFileError(fileName)) RaiseCreateError(fileName, error);
  const bool made = GetFileAttributesW(fileName.c_str()) == INVALID_FILE_ATTRIBUTES && MakeMissingFile(fileName);
  const String target = SaveTarget(fileName);
  // A file this save made goes again when the save fails.
  struct TMadeFile {
    const String& Target;
    bool Made;
    ~TMadeFile() {
      if (Made) DeleteFileW(Target.c_str());
    }
  } madeFile{target, made};
  if (NameStart(target) == target.size()) RaiseCreateError(fileName, ERROR_INVALID_NAME);
  // A folder of that name is no file to replace, and a read-only file is not to be written.
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)))
    RaiseCreateError(fileName, ERROR_ACCESS_DENIED);
  RemoveEndedTemporaries(target);
  TTemporaryFile temporary(fileName, target);
  String failure;
  try {
    write(temporary.Stream());
    failure = temporary.Complete(attributes);
  } catch (const EStreamError& error) {
    const DWORD systemError = temporary.Stream().LastError();
    failure = systemError != 0 ? SysErrorMessage(systemError) : error.Message();
  }
  if (failure.empty()) failure = temporary.Replace(target);
  if (!failure.empty()) throw EWriteError(Format(L"Cannot write file \"%s\". %s", {fileName, failure}));
  madeFile.Made = false;
}
