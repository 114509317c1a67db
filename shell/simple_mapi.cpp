#include "shell/simple_mapi.h"

#include "framework/strings.h"
#include "framework/text_convert.h"
#include "shell/file_routines.h"
#include "shell/registry_routines.h"
#include "shell/system_errors.h"
#include "shell/windows_version.h"

namespace shell {

const std::array<const char*, kMapiFunctionCount> MapiFunctionNames = {
    "MAPIAddress", "MAPIDeleteMail", "MAPIDetails",     "MAPIFindNext", "MAPIFreeBuffer",    "MAPILogoff",
    "MAPILogon",   "MAPIReadMail",   "MAPIResolveName", "MAPISaveMail", "MAPISendDocuments", "MAPISendMail"};

namespace {

constexpr wchar_t kSystemMapiLibrary[] = L"mapi32.dll";
constexpr wchar_t kMessagingSubsystemKey[] = L"SOFTWARE\\Microsoft\\Windows Messaging Subsystem";
constexpr wchar_t kMailClientsKey[] = L"SOFTWARE\\Clients\\Mail";
constexpr ULONG kUserAbort = 1;

// Indexed by result code; 0 and 7 have no text.
constexpr const wchar_t* kMapiErrorTexts[] = {L"",
                                              L"User abort",
                                              L"General MAPI failure",
                                              L"MAPI login failure",
                                              L"Disk full",
                                              L"Insufficient memory",
                                              L"Access denied",
                                              L"",
                                              L"Too many sessions",
                                              L"Too many files were specified",
                                              L"Too many recipients were specified",
                                              L"A specified attachment was not found",
                                              L"Attachment open failure",
                                              L"Attachment write failure",
                                              L"Unknown recipient",
                                              L"Bad recipient type",
                                              L"No messages",
                                              L"Invalid message",
                                              L"Text too large",
                                              L"Invalid session",
                                              L"Type not supported",
                                              L"A recipient was specified ambiguously",
                                              L"Message in use",
                                              L"Network failure",
                                              L"Invalid edit fields",
                                              L"Invalid recipients",
                                              L"Not supported"};

bool AllFunctionsExported(HMODULE library) {
  for (const char* name : MapiFunctionNames)
    if (!GetProcAddress(library, name)) return false;
  return true;
}

std::vector<String> Lines(const TStringList& list) {
  std::vector<String> lines;
  for (int i = 0; i < list.Count(); ++i) lines.push_back(list.Strings(i));
  return lines;
}

}  // namespace

String MapiErrorMessage(ULONG code) { return code < std::size(kMapiErrorTexts) ? kMapiErrorTexts[code] : L""; }

ULONG MapiCheck(ULONG result, bool ignoreUserAbort) {
  if (result == 0 || (result == kUserAbort && ignoreUserAbort)) return result;
  throw ELibMapiError(Format(L"MAPI Error: (%d) \"%s\"", {std::to_wstring(result), MapiErrorMessage(result)}), result);
}

TLibSimpleMapi::TLibSimpleMapi() { ReadMapiSettings(); }

// No handler is told about an object that is going: the library goes without OnBeforeUnloadClient.
TLibSimpleMapi::~TLibSimpleMapi() { FreeClientLib(); }

void TLibSimpleMapi::ReadMapiSettings() {
  clients_.clear();
  profiles_.clear();
  defaultProfileName_.clear();
  defaultClientIndex_ = -1;
  // A second reading starts from nothing, so no flag or index of a removed client survives it.
  selectedClientIndex_ = -1;
  mapiInstalled_ = simpleMapiInstalled_ = anyClientInstalled_ = false;
  mapiVersion_.clear();
  if (RegKeyExists(HKEY_LOCAL_MACHINE, kMessagingSubsystemKey)) {
    mapiInstalled_ = RegReadStringDef(HKEY_LOCAL_MACHINE, kMessagingSubsystemKey, L"MAPIX", L"") == L"1";
    simpleMapiInstalled_ = RegReadStringDef(HKEY_LOCAL_MACHINE, kMessagingSubsystemKey, L"MAPI", L"") == L"1";
    mapiVersion_ = RegReadStringDef(HKEY_LOCAL_MACHINE, kMessagingSubsystemKey, L"MAPIXVER", L"");
    anyClientInstalled_ = mapiInstalled_;
  }
  if (RegKeyExists(HKEY_LOCAL_MACHINE, kMailClientsKey)) {
    const String defaultClient = RegReadStringDef(HKEY_LOCAL_MACHINE, kMailClientsKey, L"", L"");
    TStringList names;
    RegGetKeyNames(HKEY_LOCAL_MACHINE, kMailClientsKey, names);
    for (const String& name : Lines(names)) {
      TLibMapiClient client;
      client.RegKeyName = name;
      const String key = String(kMailClientsKey) + L"\\" + name;
      if (RegKeyExists(HKEY_LOCAL_MACHINE, key)) {
        client.ClientName = RegReadStringDef(HKEY_LOCAL_MACHINE, key, L"", L"");
        client.ClientPath = RegReadStringDef(HKEY_LOCAL_MACHINE, key, L"DLLPath", L"");
        ExpandEnvironmentVar(client.ClientPath);
        CheckClientLibrary(client);
        if (client.Valid) anyClientInstalled_ = true;
      }
      clients_.push_back(std::move(client));
    }
    defaultClientIndex_ = names.IndexOf(defaultClient);
    selectedClientIndex_ = defaultClientIndex_;
  }
  const String profilesKey = ProfilesRegKey();
  if (RegKeyExists(HKEY_CURRENT_USER, profilesKey)) {
    defaultProfileName_ = RegReadStringDef(HKEY_CURRENT_USER, profilesKey, L"DefaultProfile", L"");
    TStringList names;
    RegGetKeyNames(HKEY_CURRENT_USER, profilesKey, names);
    profiles_ = Lines(names);
  }
}

void TLibSimpleMapi::CheckClientLibrary(TLibMapiClient& client) {
  client.Valid = false;
  if (client.ClientPath.empty()) return;
  const HMODULE library = LoadLibraryExW(client.ClientPath.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
  if (!library) return;
  client.Valid = AllFunctionsExported(library);
  FreeLibrary(library);
}

String TLibSimpleMapi::ProfilesRegKey() {
  return IsWinNT ? L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Windows Messaging Subsystem\\Profiles"
                 : L"SOFTWARE\\Microsoft\\Windows Messaging Subsystem\\Profiles";
}

bool TLibSimpleMapi::UseMapi() const {
  switch (clientConnectKind_) {
    case ccAutomatic:
      return simpleMapiInstalled_;
    case ccAlwaysClientLibrary:
      return false;
    default:
      return true;
  }
}

String TLibSimpleMapi::GetClientLibName() const {
  const bool clientSelected = selectedClientIndex_ >= 0 && selectedClientIndex_ < static_cast<int>(clients_.size());
  return UseMapi() || !clientSelected ? kSystemMapiLibrary : clients_[selectedClientIndex_].ClientPath;
}

void TLibSimpleMapi::LoadClientLib() {
  if (ClientLibLoaded()) return;
  const HMODULE library = LoadLibraryW(GetClientLibName().c_str());
  if (!library) RaiseLastOSError();
  for (int i = 0; i < kMapiFunctionCount; ++i) {
    functions_[i] = GetProcAddress(library, MapiFunctionNames[i]);
    if (!functions_[i]) {
      functions_.fill(nullptr);
      FreeLibrary(library);
      throw ELibMapiError(Format(L"Function \"%s\" is not exported by client", {AnsiToWide(MapiFunctionNames[i])}));
    }
  }
  // Optional: a client without it is served in ANSI.
  sendMailW_ = reinterpret_cast<TMapiSendMailW>(reinterpret_cast<void*>(GetProcAddress(library, kMapiSendMailW)));
  clientLibHandle_ = library;
}

TRaised TLibSimpleMapi::UnloadClientLib() {
  if (!ClientLibLoaded()) return TRaised(true);
  if (BeforeUnloadClient().Gone()) return TRaised(false);
  FreeClientLib();
  return TRaised(true);
}

void TLibSimpleMapi::FreeClientLib() {
  if (clientLibHandle_) FreeLibrary(clientLibHandle_);
  clientLibHandle_ = nullptr;
  functions_.fill(nullptr);
  sendMailW_ = nullptr;
}

TRaised TLibSimpleMapi::BeforeUnloadClient() { return RaiseEvent(onBeforeUnloadClient_, this); }

}  // namespace shell
