// An e-mail handed to the user's mail client through Simple MAPI: subject, plain or HTML body, recipients and
// attachments, sent or saved, normally through the client's own compose dialog.
#pragma once

// clang-format off
#include <windows.h>
#include <mapi.h>
// clang-format on

#include <cstdint>
#include <memory>

#include "framework/life_token.h"
#include "framework/lists.h"
#include "framework/set.h"
#include "framework/strings.h"
#include "shell/simple_mapi.h"

namespace shell {

class TLibEmailRecip : public TObject {
  BC_CLASS(TLibEmailRecip, TObject)
  const String& Address() const { return address_; }
  // Stored trimmed.
  void SetAddress(const String& address);
  const String& AddressType() const { return addressType_; }
  void SetAddressType(const String& addressType) { addressType_ = addressType; }
  // The MAPI recipient class: MAPI_ORIG, MAPI_TO, MAPI_CC or MAPI_BCC.
  uint8_t Kind() const { return kind_; }
  void SetKind(uint8_t kind) { kind_ = kind; }
  const String& Name() const { return name_; }
  void SetName(const String& name) { name_ = name; }

 private:
  String address_;
  String addressType_;
  uint8_t kind_ = MAPI_TO;
  String name_;
};

// Owns its recipients.
class TLibEmailRecips : public TObjectList {
  BC_CLASS(TLibEmailRecips, TObjectList)
  TLibEmailRecips() : TObjectList(true) {}

  // The address type of recipients that name none.
  const String& AddressesType() const { return addressesType_; }
  void SetAddressesType(const String& addressesType) { addressesType_ = addressesType; }
  int Add(const String& address, const String& name, uint8_t kind, const String& addressType);
  TLibEmailRecip* Items(int index) const { return static_cast<TLibEmailRecip*>(TObjectList::Items(index)); }

 private:
  String addressesType_;
};

// Seam: the short form of a path, as GetShortPathNameW answers (the default); a test stands in for a volume that
// keeps no short names. Installs call (null: the platform's own) and returns the one it replaces.
using TShortPathCall = DWORD (*)(const wchar_t* path, wchar_t* shortPath, DWORD size);
TShortPathCall SetShortPathCall(TShortPathCall call);

enum class TLibEmailLogonOption { loLogonUI, loNewSession, loForceDownload };
using TLibEmailLogonOptions = TSet<TLibEmailLogonOption, 3>;

class TLibEmail : public TLibSimpleMapi {
  BC_CLASS(TLibEmail, TLibSimpleMapi)
  TLibEmail();
  ~TLibEmail() override;

  // The paths of the files to attach; a send replaces each by its full path.
  TStringList& Attachments() { return attachments_; }
  const String& Body() const { return body_; }
  // An empty text stays empty; any other ends with CR LF.
  void SetBody(const String& value);
  // The body goes as an HTML file attached first, with an empty note text.
  bool HtmlBody() const { return htmlBody_; }
  void SetHtmlBody(bool htmlBody) { htmlBody_ = htmlBody; }
  TLibEmailLogonOptions LogonOptions() const { return logonOptions_; }
  void SetLogonOptions(TLibEmailLogonOptions options) { logonOptions_ = options; }
  HWND ParentWnd() const { return parentWnd_; }
  void SetParentWnd(HWND window) { parentWnd_ = window; }
  bool ParentWndValid() const { return parentWndValid_; }
  void SetParentWndValid(bool valid) { parentWndValid_ = valid; }
  TLibEmailRecips& Recipients() { return recipients_; }
  // The message id given to and returned by a save.
  const String& SeedMessageID() const { return seedMessageID_; }
  void SetSeedMessageID(const String& id) { seedMessageID_ = id; }
  // A session the caller logged on with; 0 lets the client log on for each send.
  LHANDLE SessionHandle() const { return sessionHandle_; }
  void SetSessionHandle(LHANDLE session) { sessionHandle_ = session; }
  const String& Subject() const { return subject_; }
  void SetSubject(const String& subject) { subject_ = subject; }

  // Empties the attachments, body, subject and recipients.
  void Clear();
  // True when sent (or saved), false when the user cancelled; every other failure raises ELibMapiError. A send
  // goes through the client's Unicode entry point where it has one; the ANSI one names an attachment whose path
  // the code page cannot spell by its short path. Attachments must be files, named without wildcards.
  bool Send(bool showDialog);
  bool SaveOrSend(bool save, bool showDialog);
  FLAGS LogonFlags(bool showDialog) const;
  // ParentWnd when valid, else the main window of this process.
  HWND GetParentWnd() const;
  void LogOff();

 protected:
  TRaised BeforeUnloadClient() override;

 private:
  TStringList attachments_;
  String body_;
  bool htmlBody_ = false;
  TLibEmailLogonOptions logonOptions_{TLibEmailLogonOption::loLogonUI};
  HWND parentWnd_ = nullptr;
  bool parentWndValid_ = false;
  TLibEmailRecips recipients_;
  String seedMessageID_;
  LHANDLE sessionHandle_ = 0;
  String subject_;
  TLifeToken life_;
};

}  // namespace shell
