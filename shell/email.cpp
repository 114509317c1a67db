#include "shell/email.h"

#include <deque>
#include <string>
#include <vector>

#include "framework/sys_utils.h"
#include "framework/text_convert.h"
#include "shell/file_routines.h"
#include "shell/processes.h"
#include "shell/system_errors.h"
#include "shell/text_routines.h"

namespace shell {

namespace {

constexpr ULONG kNoPosition = 0xFFFFFFFF;  // the attachment goes where the client puts it
constexpr size_t kMessageIdLength = 512;

// The HTML body's temporary file, attached first for the length of one send and then removed from disk and
// from the attachments, whether the send succeeded or raised.
class THtmlBodyFile {
 public:
  explicit THtmlBodyFile(TStringList& attachments) : attachments_(attachments) {
    fileName_ = FindUnusedFileName(PathAddSeparator(GetWindowsTempFolder()) + L"LibMapi", L"htm", L"Temp");
    attachments_.Insert(0, fileName_);
  }
  THtmlBodyFile(const THtmlBodyFile&) = delete;
  THtmlBodyFile& operator=(const THtmlBodyFile&) = delete;
  ~THtmlBodyFile() {
    DeleteFileW(fileName_.c_str());
    attachments_.Delete(0);
  }
  void Write(const String& body) const { StringToFile(fileName_, WideToAnsi(body)); }

 private:
  TStringList& attachments_;
  String fileName_;
};

// Everything a MAPI message points at, alive until the message is gone: the texts sit in a deque, whose elements
// never move when more are added.
class TMapiMessageData {
 public:
  char* Text(const String& text) { return texts_.emplace_back(WideToAnsi(text)).data(); }
  char* TextOrNil(const String& text) { return PCharOrNil(texts_.emplace_back(WideToAnsi(text))); }
  void AddFile(const String& path) {
    MapiFileDesc file{};
    file.nPosition = kNoPosition;
    file.lpszPathName = Text(path);
    files_.push_back(file);
  }
  void AddRecipient(ULONG recipClass, const String& name, const String& address) {
    MapiRecipDesc recipient{};
    recipient.ulRecipClass = recipClass;
    recipient.lpszName = Text(name);
    recipient.lpszAddress = TextOrNil(address);
    recipients_.push_back(recipient);
  }
  MapiMessage Message(const String& subject, const String& noteText) {
    MapiMessage message{};
    message.lpszSubject = Text(subject);
    message.lpszNoteText = Text(noteText);
    message.nRecipCount = static_cast<ULONG>(recipients_.size());
    message.lpRecips = recipients_.empty() ? nullptr : recipients_.data();
    message.nFileCount = static_cast<ULONG>(files_.size());
    message.lpFiles = files_.empty() ? nullptr : files_.data();
    return message;
  }

 private:
  std::deque<std::string> texts_;
  std::vector<MapiRecipDesc> recipients_;
  std::vector<MapiFileDesc> files_;
};

String ExpandFileName(const String& path) {
  const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) return path;
  String full(size, L'\0');
  full.resize(GetFullPathNameW(path.c_str(), size, full.data(), nullptr));
  return full;
}

String RecipientAddress(const TLibEmailRecip& recipient, const String& addressesType) {
  if (!recipient.AddressType().empty()) return recipient.AddressType() + L":" + recipient.Address();
  if (!addressesType.empty()) return addressesType + L":" + recipient.Address();
  return recipient.Address();
}

// Each path must name a file; it is replaced by its full path, which the client gets.
void AddAttachments(TStringList& attachments, TMapiMessageData& data) {
  for (int i = 0; i < attachments.Count(); ++i) {
    if (!FileExists(attachments.Strings(i))) MapiCheck(MAPI_E_ATTACHMENT_NOT_FOUND, false);
    attachments.SetStrings(i, ExpandFileName(attachments.Strings(i)));
    data.AddFile(attachments.Strings(i));
  }
}

// Without recipients only the compose dialog can send; a recipient needs a name or an address.
void AddRecipients(const TLibEmailRecips& recipients, bool showDialog, TMapiMessageData& data) {
  if (recipients.Count() == 0 && !showDialog) MapiCheck(MAPI_E_INVALID_RECIPS, false);
  for (int i = 0; i < recipients.Count(); ++i) {
    const TLibEmailRecip& recipient = *recipients.Items(i);
    const String& name = recipient.Name().empty() ? recipient.Address() : recipient.Name();
    if (name.empty()) MapiCheck(MAPI_E_INVALID_RECIPS, false);
    data.AddRecipient(recipient.Kind(), name, RecipientAddress(recipient, recipients.AddressesType()));
  }
}

}  // namespace

void TLibEmailRecip::SetAddress(const String& address) { address_ = Trim(address); }

int TLibEmailRecips::Add(const String& address, const String& name, uint8_t kind, const String& addressType) {
  auto recipient = std::make_unique<TLibEmailRecip>();
  recipient->SetAddress(address);
  recipient->SetName(name);
  recipient->SetKind(kind);
  recipient->SetAddressType(addressType);
  return TObjectList::Add(recipient.release());
}

TLibEmail::TLibEmail() { recipients_.SetAddressesType(L"SMTP"); }

// The log-off of an open session belongs to this class, so the library is unloaded while this part still lives.
TLibEmail::~TLibEmail() { UnloadClientLibQuietly(); }

void TLibEmail::SetBody(const String& value) { body_ = value.empty() ? value : StrEnsureSuffix(L"\r\n", value); }

void TLibEmail::Clear() {
  attachments_.Clear();
  body_.clear();
  subject_.clear();
  recipients_.Clear();
}

bool TLibEmail::Send(bool showDialog) { return SaveOrSend(false, showDialog); }

bool TLibEmail::SaveOrSend(bool save, bool showDialog) {
  if (!AnyClientInstalled()) throw ELibMapiError(L"No Simple MAPI client installed, cannot send the message");
  std::unique_ptr<THtmlBodyFile> htmlFile;
  if (htmlBody_) {
    htmlFile = std::make_unique<THtmlBodyFile>(attachments_);
    htmlFile->Write(body_);
  }

  TMapiMessageData data;
  AddAttachments(attachments_, data);
  AddRecipients(recipients_, showDialog, data);
  LoadClientLib();
  MapiMessage message = data.Message(subject_, htmlBody_ ? String() : body_);
  const FLAGS flags = LogonFlags(showDialog);
  const auto parent = reinterpret_cast<ULONG_PTR>(GetParentWnd());
  ULONG result;
  if (save) {
    char messageId[kMessageIdLength + 1] = {};
    WideToAnsi(seedMessageID_).copy(messageId, kMessageIdLength);
    result =
        Function<LPMAPISAVEMAIL>(TMapiFunction::MAPISaveMail)(sessionHandle_, parent, &message, flags, 0, messageId);
    messageId[kMessageIdLength] = '\0';
    if (result == SUCCESS_SUCCESS) seedMessageID_ = AnsiToWide(messageId);
  } else {
    result = Function<LPMAPISENDMAIL>(TMapiFunction::MAPISendMail)(sessionHandle_, parent, &message, flags, 0);
  }
  return MapiCheck(result, true) == SUCCESS_SUCCESS;
}

FLAGS TLibEmail::LogonFlags(bool showDialog) const {
  FLAGS flags = 0;
  if (sessionHandle_ == 0) {
    if (logonOptions_.Contains(TLibEmailLogonOption::loLogonUI)) flags |= MAPI_LOGON_UI;
    if (logonOptions_.Contains(TLibEmailLogonOption::loNewSession)) flags |= MAPI_NEW_SESSION;
    if (logonOptions_.Contains(TLibEmailLogonOption::loForceDownload)) flags |= MAPI_FORCE_DOWNLOAD;
  }
  if (showDialog) flags |= MAPI_DIALOG;
  return flags;
}

HWND TLibEmail::GetParentWnd() const {
  return parentWndValid_ ? parentWnd_ : FindMainWindowOfProcess(GetCurrentProcessId());
}

void TLibEmail::LogOff() {
  if (sessionHandle_ == 0) return;
  // A session set by the caller may come before any send loaded the library.
  LoadClientLib();
  MapiCheck(Function<LPMAPILOGOFF>(TMapiFunction::MAPILogoff)(sessionHandle_,
                                                              reinterpret_cast<ULONG_PTR>(GetParentWnd()), 0, 0),
            true);
  sessionHandle_ = 0;
}

void TLibEmail::BeforeUnloadClient() {
  LogOff();
  TLibSimpleMapi::BeforeUnloadClient();
}

}  // namespace shell
