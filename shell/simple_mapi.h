// Simple MAPI at run time: the mail clients the registry names, the library chosen among them and the system's
// own, its twelve entry points, and MAPI result codes turned into exceptions.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <vector>

#include "framework/delegate.h"
#include "framework/object.h"
#include "framework/raise_event.h"
#include "shell/mapi_unicode.h"

namespace shell {

// The Simple MAPI entry points, in the order in which they are looked up.
enum class TMapiFunction {
  MAPIAddress,
  MAPIDeleteMail,
  MAPIDetails,
  MAPIFindNext,
  MAPIFreeBuffer,
  MAPILogoff,
  MAPILogon,
  MAPIReadMail,
  MAPIResolveName,
  MAPISaveMail,
  MAPISendDocuments,
  MAPISendMail,
};
constexpr int kMapiFunctionCount = 12;
extern const std::array<const char*, kMapiFunctionCount> MapiFunctionNames;

// The text of a MAPI result code; empty for 0, 7 and codes above 26.
String MapiErrorMessage(ULONG code);
// Passes 0, and 1 (user abort) when ignoreUserAbort; raises ELibMapiError "MAPI Error: (%d) "%s"" otherwise.
ULONG MapiCheck(ULONG result, bool ignoreUserAbort);

// One mail client under HKEY_LOCAL_MACHINE "SOFTWARE\Clients\Mail".
struct TLibMapiClient {
  String ClientName;
  String ClientPath;  // environment variables expanded
  String RegKeyName;
  bool Valid = false;  // the library loads and exports all twelve entry points
};

// Which library a send loads: chosen from the registry, the system's "mapi32.dll", or the selected client's.
enum : uint8_t { ccAutomatic = 0, ccAlwaysSystemMapi = 1, ccAlwaysClientLibrary = 2 };

// OnBeforeUnloadClient may free the object: the unloading stops then, and the object's end frees
// the library without the notice.
class TLibSimpleMapi : public TObject, protected TEventSource {
  BC_CLASS(TLibSimpleMapi, TObject)
  TLibSimpleMapi();
  ~TLibSimpleMapi() override;
  TLibSimpleMapi(const TLibSimpleMapi&) = delete;
  TLibSimpleMapi& operator=(const TLibSimpleMapi&) = delete;

  // Reads the registry again: the MAPI flags, the mail clients and the user's profiles.
  void ReadMapiSettings();
  // Valid when the library loads without resolving its imports and exports every entry point.
  static void CheckClientLibrary(TLibMapiClient& client);

  bool AnyClientInstalled() const { return anyClientInstalled_; }
  const std::vector<TLibMapiClient>& Clients() const { return clients_; }
  int DefaultClientIndex() const { return defaultClientIndex_; }
  int SelectedClientIndex() const { return selectedClientIndex_; }
  void SetSelectedClientIndex(int index) { selectedClientIndex_ = index; }
  uint8_t ClientConnectKind() const { return clientConnectKind_; }
  void SetClientConnectKind(uint8_t kind) { clientConnectKind_ = kind; }
  bool MapiInstalled() const { return mapiInstalled_; }
  bool SimpleMapiInstalled() const { return simpleMapiInstalled_; }
  const String& MapiVersion() const { return mapiVersion_; }
  const String& DefaultProfileName() const { return defaultProfileName_; }
  const std::vector<String>& Profiles() const { return profiles_; }
  // Under HKEY_CURRENT_USER.
  static String ProfilesRegKey();

  const TNotifyEvent& OnBeforeUnloadClient() const { return onBeforeUnloadClient_; }
  void SetOnBeforeUnloadClient(TNotifyEvent handler) { onBeforeUnloadClient_ = std::move(handler); }

  bool UseMapi() const;
  // "mapi32.dll", or the selected client's library; the system's library too when no client is selected.
  String GetClientLibName() const;
  HMODULE ClientLibHandle() const { return clientLibHandle_; }
  bool ClientLibLoaded() const { return clientLibHandle_ != nullptr; }
  // Raises the OS error when the library does not load, ELibMapiError "Function "%s" is not exported by client"
  // when an entry point is missing (the library is unloaded again).
  void LoadClientLib();
  // Answers whether the object outlived OnBeforeUnloadClient.
  TRaised UnloadClientLib();
  // An entry point of the loaded library, null while none is loaded.
  FARPROC Functions(TMapiFunction function) const { return functions_[static_cast<int>(function)]; }
  // The Unicode send of the loaded library; null when it has none (the ANSI send serves then).
  TMapiSendMailW UnicodeSendMail() const { return sendMailW_; }

 protected:
  virtual TRaised BeforeUnloadClient();
  template <class Entry>
  Entry Function(TMapiFunction function) const {
    return reinterpret_cast<Entry>(reinterpret_cast<void*>(Functions(function)));
  }

 private:
  void FreeClientLib();

  bool anyClientInstalled_ = false;
  TNotifyEvent onBeforeUnloadClient_;
  std::vector<TLibMapiClient> clients_;
  uint8_t clientConnectKind_ = ccAutomatic;
  HMODULE clientLibHandle_ = nullptr;
  int defaultClientIndex_ = -1;
  String defaultProfileName_;
  std::array<FARPROC, kMapiFunctionCount> functions_{};
  TMapiSendMailW sendMailW_ = nullptr;
  bool mapiInstalled_ = false;
  String mapiVersion_;
  std::vector<String> profiles_;
  int selectedClientIndex_ = -1;
  bool simpleMapiInstalled_ = false;
};

}  // namespace shell
