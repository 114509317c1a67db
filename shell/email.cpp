#include "shell/email.h"

#include <cwctype>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "framework/strings.h"
#include "framework/sys_utils.h"
#include "framework/text_convert.h"
#include "shell/file_routines.h"
#include "shell/mapi_unicode.h"
#include "shell/processes.h"
#include "shell/system_errors.h"
#include "shell/text_routines.h"

namespace shell {

namespace {

constexpr ULONG kNoPosition = 0xFFFFFFFF;  // the attachment goes where the client puts it
constexpr size_t kMessageIdLength = 512;
// Browsers and mail clients take the HTML body's encoding from it.
constexpr wchar_t kUtf8CharsetTag[] = L"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">";

// The body with its charset declared: inside its head when it has one, else ahead of everything.
String WithUtf8Charset(const String& body) {
  const String lower = LowerCase(body);
  size_t at = 0;
  for (size_t head = lower.find(L"<head"); head != String::npos; head = lower.find(L"<head", head + 1)) {
    const size_t after = head + 5;
    if (after < lower.size() && (lower[after] == L'>' || iswspace(lower[after]))) {
      const size_t close = lower.find(L'>', after);
      if (close != String::npos) at = close + 1;
      break;
    }
  }
  return body.substr(0, at) + kUtf8CharsetTag + body.substr(at);
}

// The HTML body's temporary file, attached first for the length of one send and then removed from disk and, while
// the mail lives, from the attachments, whether the send succeeded or raised.
class THtmlBodyFile {
 public:
  THtmlBodyFile(TStringList& attachments, TLifeWatch mailLife)
      : attachments_(attachments), mailLife_(std::move(mailLife)) {
    fileName_ = FindUnusedFileName(PathAddSeparator(GetWindowsTempFolder()) + L"LibMapi", L"htm", L"Temp");
    attachments_.Insert(0, fileName_);
  }
  THtmlBodyFile(const THtmlBodyFile&) = delete;
  THtmlBodyFile& operator=(const THtmlBodyFile&) = delete;
  ~THtmlBodyFile() {
    DeleteFileW(fileName_.c_str());
    if (!mailLife_.Ended()) attachments_.Delete(0);
  }
  void Write(const String& body) const { StringToFile(fileName_, WideToUtf8(WithUtf8Charset(body))); }

 private:
  TStringList& attachments_;
  TLifeWatch mailLife_;
  String fileName_;
};

// Keeps the client library loaded while a call into it runs: the call may free the mail (a caller's misuse),
// which unloads the library the call returns into.
class TClientLibraryHold {
 public:
  explicit TClientLibraryHold(const void* entry) {
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, static_cast<LPCWSTR>(entry), &module_);
  }
  TClientLibraryHold(const TClientLibraryHold&) = delete;
  TClientLibraryHold& operator=(const TClientLibraryHold&) = delete;
  ~TClientLibraryHold() {
    if (module_) FreeLibrary(module_);
  }

 private:
  HMODULE module_ = nullptr;
};

// Whether the ANSI code page spells the text exactly.
bool AnsiSpells(const String& text) {
  if (text.empty()) return true;
  BOOL usedDefault = FALSE;
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                      &usedDefault);
  return !usedDefault;
}

DWORD PlatformShortPath(const wchar_t* path, wchar_t* shortPath, DWORD size) {
  return GetShortPathNameW(path, shortPath, size);
}

TShortPathCall shortPathCall = &PlatformShortPath;

// The short form of a path; empty when the system has none. A path past MAX_PATH is named with the prefix that
// lifts the limit, which the system needs to find it, and its short form comes back without it.
String ShortPath(const String& path) {
  const bool lift = path.size() >= MAX_PATH && ExcludeLongPathPrefix(path) == path;
  const String named = lift ? IncludeLongPathPrefix(path) : path;
  String shortPath;
  for (DWORD size = MAX_PATH, length = 0;; size = length) {
    shortPath.assign(size, L'\0');
    length = shortPathCall(named.c_str(), shortPath.data(), size);
    if (length < size) {
      shortPath.resize(length);
      break;
    }
  }
  return lift ? ExcludeLongPathPrefix(shortPath) : shortPath;
}

// A client without the Unicode send opens an attachment by an ANSI name of at most MAX_PATH characters. A path the
// code page cannot spell, or a longer one, goes by its short form, which fits where the volume keeps short names.
// Where it has none, no ANSI name leads to the file (a name of question marks or one cut short would lead nowhere):
// the attachment is not found.
AnsiString AnsiPath(const String& path) {
  const AnsiString ansi = WideToAnsi(path);
  if (AnsiSpells(path) && ansi.size() < MAX_PATH) return ansi;
  const String shortPath = ShortPath(path);
  const AnsiString shortAnsi = WideToAnsi(shortPath);
  if (shortPath.empty() || !AnsiSpells(shortPath) || shortAnsi.size() >= MAX_PATH)
    MapiCheck(MAPI_E_ATTACHMENT_NOT_FOUND, false);
  return shortAnsi;
}

// What a message says, in the caller's text, before it is put into one of the two forms MAPI takes.
struct TMailRecipient {
  ULONG Class;
  String Name;
  String Address;  // empty: none
};

// The two forms of a message: ANSI texts for the entry points every client has, and Unicode for the send of those
// that offer it.
struct TAnsiMessage {
  using Text = AnsiString;
  using Message = MapiMessage;
  using Recipient = MapiRecipDesc;
  using File = MapiFileDesc;
  static Text From(const String& text) { return WideToAnsi(text); }
  static Text FromPath(const String& path) { return AnsiPath(path); }
};

struct TUnicodeMessage {
  using Text = std::wstring;
  using Message = TMapiMessageW;
  using Recipient = TMapiRecipDescW;
  using File = TMapiFileDescW;
  static Text From(const String& text) { return text; }
  static Text FromPath(const String& path) { return path; }
};

// Everything a MAPI message points at, alive until the message is gone: the texts sit in a deque, whose elements
// never move when more are added.
template <class Form>
class TMapiMessageData {
 public:
  typename Form::Message Message(const String& subject, const String& noteText,
                                 const std::vector<TMailRecipient>& recipients, const std::vector<String>& files) {
    for (const TMailRecipient& r : recipients) {
      typename Form::Recipient recipient{};
      recipient.ulRecipClass = r.Class;
      recipient.lpszName = Keep(Form::From(r.Name));
      recipient.lpszAddress = r.Address.empty() ? nullptr : Keep(Form::From(r.Address));
      recipients_.push_back(recipient);
    }
    for (const String& path : files) {
      typename Form::File file{};
      file.nPosition = kNoPosition;
      file.lpszPathName = Keep(Form::FromPath(path));
      files_.push_back(file);
    }
    typename Form::Message message{};
    message.lpszSubject = Keep(Form::From(subject));
    message.lpszNoteText = Keep(Form::From(noteText));
    message.nRecipCount = static_cast<ULONG>(recipients_.size());
    message.lpRecips = recipients_.empty() ? nullptr : recipients_.data();
    message.nFileCount = static_cast<ULONG>(files_.size());
    message.lpFiles = files_.empty() ? nullptr : files_.data();
    return message;
  }

 private:
  auto* Keep(typename Form::Text text) { return texts_.emplace_back(std::move(text)).data(); }

  std::deque<typename Form::Text> texts_;
  std::vector<typename Form::Recipient> recipients_;
  std::vector<typename Form::File> files_;
};

String RecipientAddress(const TLibEmailRecip& recipient, const String& addressesType) {
  if (!recipient.AddressType().empty()) return recipient.AddressType() + L":" + recipient.Address();
  if (!addressesType.empty()) return addressesType + L":" + recipient.Address();
  return recipient.Address();
}

// One file on a disk, named without wildcards: a folder or a pattern is no attachment, nor a device, a pipe or a
// link to one (the client's read of it waits for ever, or never ends), nor a name with a NUL inside, which the
// client would get cut there.
bool IsAttachableFile(const String& path) {
  return !HasWildcard(path) && path.find(L'\0') == String::npos && DiskFileError(path) == 0 && ::FileExists(path);
}

// Each path must name a file; it is replaced by its full path, which the client gets.
std::vector<String> CheckedAttachments(TStringList& attachments) {
  std::vector<String> files;
  for (int i = 0; i < attachments.Count(); ++i) {
    if (!IsAttachableFile(attachments.Strings(i))) MapiCheck(MAPI_E_ATTACHMENT_NOT_FOUND, false);
    attachments.SetStrings(i, ExpandFileName(attachments.Strings(i)));
    files.push_back(attachments.Strings(i));
  }
  return files;
}

// Without recipients only the compose dialog can send; a recipient needs a name or an address.
std::vector<TMailRecipient> CheckedRecipients(const TLibEmailRecips& recipients, bool showDialog) {
  if (recipients.Count() == 0 && !showDialog) MapiCheck(MAPI_E_INVALID_RECIPS, false);
  std::vector<TMailRecipient> checked;
  for (int i = 0; i < recipients.Count(); ++i) {
    const TLibEmailRecip& recipient = *recipients.Items(i);
    const String& name = recipient.Name().empty() ? recipient.Address() : recipient.Name();
    if (name.empty()) MapiCheck(MAPI_E_INVALID_RECIPS, false);
    checked.push_back({recipient.Kind(), name, RecipientAddress(recipient, recipients.AddressesType())});
  }
  return checked;
}

}  // namespace

TShortPathCall SetShortPathCall(TShortPathCall call) {
  TShortPathCall previous = shortPathCall;
  shortPathCall = call ? call : &PlatformShortPath;
  return previous;
}

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

// The log-off of an open session belongs to this class, so it goes while this part still lives; the base frees the
// library, and no handler is told about the mail that is going.
TLibEmail::~TLibEmail() {
  if (!ClientLibLoaded()) return;
  try {
    LogOff();
  } catch (...) {
    // A client that fails the log-off leaves nothing of ours open: the library goes all the same.
  }
}

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
  // The client's call may free the mail (a caller's misuse): after it, the mail is touched only while it lives.
  const TLifeWatch life = life_.Watch();
  std::unique_ptr<THtmlBodyFile> htmlFile;
  if (htmlBody_) {
    htmlFile = std::make_unique<THtmlBodyFile>(attachments_, life);
    htmlFile->Write(body_);
  }
  const std::vector<String> files = CheckedAttachments(attachments_);
  const std::vector<TMailRecipient> recipients = CheckedRecipients(recipients_, showDialog);
  LoadClientLib();
  const String noteText = htmlBody_ ? String() : body_;
  const FLAGS flags = LogonFlags(showDialog);
  const auto parent = reinterpret_cast<ULONG_PTR>(GetParentWnd());
  ULONG result;
  if (save) {
    TMapiMessageData<TAnsiMessage> data;
    MapiMessage message = data.Message(subject_, noteText, recipients, files);
    char messageId[kMessageIdLength + 1] = {};
    WideToAnsi(seedMessageID_).copy(messageId, kMessageIdLength);
    const auto saveMail = Function<LPMAPISAVEMAIL>(TMapiFunction::MAPISaveMail);
    const TClientLibraryHold hold(reinterpret_cast<const void*>(saveMail));
    result = saveMail(sessionHandle_, parent, &message, flags, 0, messageId);
    messageId[kMessageIdLength] = '\0';
    if (result == SUCCESS_SUCCESS && !life.Ended()) seedMessageID_ = AnsiToWide(messageId);
  } else if (const TMapiSendMailW sendMailW = UnicodeSendMail()) {
    TMapiMessageData<TUnicodeMessage> data;
    TMapiMessageW message = data.Message(subject_, noteText, recipients, files);
    const TClientLibraryHold hold(reinterpret_cast<const void*>(sendMailW));
    result = sendMailW(sessionHandle_, parent, &message, flags, 0);
  } else {
    TMapiMessageData<TAnsiMessage> data;
    MapiMessage message = data.Message(subject_, noteText, recipients, files);
    const auto sendMail = Function<LPMAPISENDMAIL>(TMapiFunction::MAPISendMail);
    const TClientLibraryHold hold(reinterpret_cast<const void*>(sendMail));
    result = sendMail(sessionHandle_, parent, &message, flags, 0);
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

TRaised TLibEmail::BeforeUnloadClient() {
  LogOff();
  return TLibSimpleMapi::BeforeUnloadClient();
}

}  // namespace shell
