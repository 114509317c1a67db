#include "shell/system/file_operation.h"

// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include "framework/properties.h"
#include "framework/win_control.h"
#include "shell/system/name_routines.h"

namespace shell {

namespace {

// The shell's answer when the user cancelled: no error to report.
constexpr int kCancelled = 18;

// Entries each followed by a zero, and one more zero at the end.
String ZeroList(const std::vector<String>& entries) {
  String list;
  for (const String& entry : entries) {
    if (entry.empty()) continue;
    list += entry;
    list += L'\0';
  }
  list += L'\0';
  return list;
}

FILEOP_FLAGS ShellFlags(TSysFileOperationFlags options) {
  static const FILEOP_FLAGS flags[] = {FOF_ALLOWUNDO, FOF_FILESONLY,         FOF_NOCONFIRMATION, FOF_NOCONFIRMMKDIR,
                                       FOF_NOERRORUI, FOF_RENAMEONCOLLISION, FOF_SILENT,         FOF_SIMPLEPROGRESS};
  FILEOP_FLAGS result = 0;
  for (int i = 0; i < 8; ++i)
    if (options.Contains(static_cast<TSysFileOperationFlag>(i))) result |= flags[i];
  return result;
}

}  // namespace

TSysFileOperation::TSysFileOperation(TComponent* owner)
    : TSysComponent(owner), fileList_(std::make_unique<TStringList>()) {}

TSysFileOperation::~TSysFileOperation() = default;

bool TSysFileOperation::ExecuteOperation(TSysFileOperationType operation) {
  if (fileList_->Count() == 0) return true;
  static const UINT functions[] = {FO_COPY, FO_DELETE, FO_MOVE, FO_RENAME};
  SHFILEOPSTRUCTW op{};
  if (auto* owner = ObjectAs<TWinControl>(Owner())) op.hwnd = owner->Handle();
  op.wFunc = functions[static_cast<int>(operation)];
  const bool pairs = fileList_->Text().find(L'=') != String::npos;
  op.fFlags = static_cast<FILEOP_FLAGS>(ShellFlags(options_) | (pairs ? FOF_MULTIDESTFILES : 0));
  std::vector<String> sources;
  std::vector<String> destinations;
  for (int i = 0; i < fileList_->Count(); ++i) {
    const String line = fileList_->Strings(i);
    if (!pairs) {
      sources.push_back(line);
      continue;
    }
    const size_t equals = line.find(L'=');
    const String source = line.substr(0, equals);
    String destination = equals == String::npos ? ExtractFileNameEx(line) : line.substr(equals + 1);
    destination = ExpandMask(source, ExpandPath(destFolder_, destination));
    sources.push_back(source);
    destinations.push_back(destination);
  }
  const String from = ZeroList(sources);
  const String to = pairs ? ZeroList(destinations) : destFolder_ + String(2, L'\0');
  op.pFrom = from.c_str();
  op.pTo = to.c_str();
  op.lpszProgressTitle = progressTitle_.c_str();
  const int result = SHFileOperationW(&op);
  if (result != 0 && result != kCancelled) {
    String text;
    GetErrorText(static_cast<DWORD>(result), text);
    bool handled = false;
    if (DoError(text, handled).Gone()) return false;
  }
  return result == 0;
}

void TSysFileOperation::GetErrorText(DWORD code, String& text) const {
  text.clear();
  if (code == 0) return;
  wchar_t buffer[1024] = {};
  const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                      buffer, 1024, nullptr);
  text.assign(buffer, length);
}

TRaised TSysFileOperation::DoError(const String& text, bool& handled) {
  handled = false;
  return RaiseEvent(OnError, this, text, handled);
}

const TPublishedTable& TSysFileOperation::PublishedTable() const {
  using P = TPublished<TSysFileOperation>;
  using T = TSysFileOperation;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Object(L"FileList", &T::FileList),
          P::Text(L"DestFolder", &T::DestFolder, &T::SetDestFolder),
          P::Text(L"ProgressTitle", &T::ProgressTitle, &T::SetProgressTitle),
          P::Enumeration(L"Operation", &T::Operation, &T::SetOperation,
                         {L"fotCopy", L"fotDelete", L"fotMove", L"fotRename"})
              .Default(TSysFileOperationType::fotCopy),
          P::Set(L"Options", &T::Options, &T::SetOptions,
                 {L"fofAllowUndo", L"fofFilesOnly", L"fofNoConfirmation", L"fofNoConfirmMkDir", L"fofNoErrorUI",
                  L"fofRenameCollision", L"fofSilent", L"fofSimpleProgress"})
              .Default({TSysFileOperationFlag::fofAllowUndo, TSysFileOperationFlag::fofFilesOnly,
                        TSysFileOperationFlag::fofRenameCollision}),
          P::Event(L"OnError", &T::OnError),
      });
  return table;
}

}  // namespace shell
