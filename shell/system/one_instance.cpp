#include "shell/system/one_instance.h"

#include "framework/application.h"
#include "framework/properties.h"
#include "framework/sys_utils.h"
#include "shell/owned_handle.h"
#include "shell/system/application_windows.h"
#include "shell/system/message_box.h"
#include "shell/system/name_routines.h"

namespace shell {

HANDLE InstanceMutex = nullptr;

void ReleaseInstanceMutex() {
  if (!InstanceMutex) return;
  ReleaseMutex(InstanceMutex);
  CloseHandle(InstanceMutex);
  InstanceMutex = nullptr;
}

String TSysOneInstance::MutexName() const {
  String base;
  if (Application) base = exeNameAsIdentifier_ ? AnsiUpperCase(Application->ExeName()) : Application->Title();
  String name = base + identifier_ + L".OneInstance.";
  ReplaceChar(name, L'\\', L'/');
  return name;
}

bool TSysOneInstance::IsPrevInstanceRunning() {
  if (IsDesigning()) return false;
  const String name = MutexName();
  // Held while this instance decides, so that two instances starting together cannot both win.
  const TKernelHandle guard(CreateMutexW(nullptr, TRUE, (name + L"CriticalSection").c_str()));
  if (!guard || GetLastError() != ERROR_SUCCESS) return true;
  bool running = false;
  if (!InstanceMutex) {
    InstanceMutex = CreateMutexW(nullptr, FALSE, (name + L"Default").c_str());
    running = InstanceMutex && WaitForSingleObject(InstanceMutex, 0) == WAIT_TIMEOUT;
    // Only the instance that owns the mutex keeps a handle to it.
    if (running) {
      CloseHandle(InstanceMutex);
      InstanceMutex = nullptr;
    }
  }
  ReleaseMutex(guard.Get());
  return running;
}

bool TSysOneInstance::Check() {
  if (!IsPrevInstanceRunning()) return false;
  terminate_ = true;
  const bool showMainForm = Application ? Application->ShowMainForm() : true;
  if (Application) Application->SetShowMainForm(false);
  // OnShowMessage may free the component: what it decided is carried out all the same.
  bool terminate = true;
  if (!showMessage_ || DoShowMessage(terminate).Alive()) {
    terminate_ = terminate;
    if (activatePrevInstance_) DoActivatePrevInstance();
  }
  if (!Application) return true;
  if (terminate)
    Application->Terminate();
  else
    Application->SetShowMainForm(showMainForm);
  return true;
}

void TSysOneInstance::DoActivatePrevInstance() { shell::ActivatePrevInstance(); }

TRaised TSysOneInstance::DoShowMessage(bool& terminate) {
  if (OnShowMessage) return RaiseEvent(OnShowMessage, this, terminate);
  const String title = Application ? Application->Title() : String();
  const String text = message_.empty() ? Format(L"Application \"%s\" is already running.", {title}) : message_;
  SysMessageBox(Application ? Application->Handle() : nullptr, text.c_str(), title.c_str(), MB_ICONWARNING);
  return TRaised(true);
}

TRaised TSysOneInstance::Loaded() {
  if (TSysComponent::Loaded().Gone()) return TRaised(false);
  Check();
  return TRaised(true);
}

const TPublishedTable& TSysOneInstance::PublishedTable() const {
  using P = TPublished<TSysOneInstance>;
  using T = TSysOneInstance;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Boolean(L"ActivatePrevInstance", &T::ActivatePrevInstance, &T::SetActivatePrevInstance).Default(true),
          P::Boolean(L"ExeNameAsIdentifier", &T::ExeNameAsIdentifier, &T::SetExeNameAsIdentifier).Default(false),
          P::Boolean(L"ShowMessage", &T::ShowMessage, &T::SetShowMessage).Default(false),
          P::Event(L"OnShowMessage", &T::OnShowMessage),
          P::Text(L"Message", &T::Message, &T::SetMessage),
          P::Text(L"Identifier", &T::Identifier, &T::SetIdentifier),
      });
  return table;
}

}  // namespace shell
