// TSysOneInstance: keeps a program to one running instance. A later instance finds the earlier one's mutex, may
// tell the user and bring the earlier instance to the front, and ends.
#pragma once

#include <windows.h>

#include "shell/system/sys_component.h"

namespace shell {

using TSysOneInstanceShowMessage = TDelegate<void(TObject* Sender, bool& Terminate)>;

// The mutex of the running instance, held by the instance that obtained it until the set ends.
extern HANDLE InstanceMutex;
// Releases and closes the instance mutex (at the set's end).
void ReleaseInstanceMutex();

class TSysOneInstance : public TSysComponent {
  BC_CLASS(TSysOneInstance, TSysComponent)
  explicit TSysOneInstance(TComponent* owner = nullptr) : TSysComponent(owner) {}

  bool ActivatePrevInstance() const { return activatePrevInstance_; }
  void SetActivatePrevInstance(bool value) { activatePrevInstance_ = value; }
  // The mutex is named after the program file instead of the application's title.
  bool ExeNameAsIdentifier() const { return exeNameAsIdentifier_; }
  void SetExeNameAsIdentifier(bool value) { exeNameAsIdentifier_ = value; }
  bool ShowMessage() const { return showMessage_; }
  void SetShowMessage(bool value) { showMessage_ = value; }
  const String& Message() const { return message_; }
  void SetMessage(const String& value) { message_ = value; }
  const String& Identifier() const { return identifier_; }
  void SetIdentifier(const String& value) { identifier_ = value; }

  // The base of the mutexes' names.
  String MutexName() const;
  // True when another instance runs or is starting; the first instance keeps InstanceMutex.
  virtual bool IsPrevInstanceRunning();
  // When another instance runs: the message, the earlier instance to the front, and the application ends.
  virtual bool Check();

  TSysOneInstanceShowMessage OnShowMessage;

  TRaised Loaded() override;
  const TPublishedTable& PublishedTable() const override;

 protected:
  virtual void DoActivatePrevInstance();
  // Raises OnShowMessage, which may ask not to terminate, else shows the message; the answer is whether the
  // component outlived the handler.
  virtual TRaised DoShowMessage(bool& terminate);

 private:
  bool activatePrevInstance_ = true;
  bool exeNameAsIdentifier_ = false;
  bool showMessage_ = false;
  String message_;
  String identifier_;
  bool terminate_ = false;
};

}  // namespace shell
