// An object freed while its library is loaded, its icon is in the tray or its worker runs lets go of them without
// telling the application's handlers, which would hear of an object that is going.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "framework/thread.h"
#include "mail_client_fixture.h"
#include "shell/email.h"
#include "shell/system/thread_component.h"
#include "shell/system/tray_icon.h"
#include "support/hostile_input.h"
#include "support/message_pump.h"

using namespace shell;

namespace {

DWORD lastShellMessage = 0;
std::atomic<bool> workerRunning{false};

BOOL WINAPI RecordShellMessage(DWORD message, NOTIFYICONDATAW*) {
  lastShellMessage = message;
  return TRUE;
}

using FreedShellObjects = TMailClientTest;

TEST_F(FreedShellObjects, RaiseNoHandlerAboutThemselves) {
  const TShellNotifyIconFunction previous = SetShellNotifyIconFunction(&RecordShellMessage);
  const struct {
    const char* Name;
    // Makes the object in use, with the handler that must stay silent.
    std::function<std::unique_ptr<TObject>(const TNotifyEvent&)> Make;
    // Whether the object let go of what it held as it went, where a test can see it.
    std::function<bool()> LetGo;
  } cases[] = {
      {"client library loaded",
       [](const TNotifyEvent& handler) {
         auto mapi = std::make_unique<TLibSimpleMapi>();
         mapi->SetClientConnectKind(ccAlwaysClientLibrary);
         mapi->LoadClientLib();
         mapi->SetOnBeforeUnloadClient(handler);
         return std::unique_ptr<TObject>(std::move(mapi));
       },
       nullptr},
      {"mail with an open session",
       [this](const TNotifyEvent& handler) {
         auto mail = std::make_unique<TLibEmail>();
         mail->SetClientConnectKind(ccAlwaysClientLibrary);
         mail->SetSessionHandle(77);
         mail->LoadClientLib();
         mail->SetOnBeforeUnloadClient(handler);
         ResetRecorder();
         return std::unique_ptr<TObject>(std::move(mail));
       },
       [this] { return RecordedCalls().rfind("MAPILogoff session=77", 0) == 0; }},
      {"tray icon shown",
       [](const TNotifyEvent& handler) {
         auto icon = std::make_unique<TSysTrayIcon>();
         EXPECT_TRUE(icon->SetVisible(true).Alive());
         icon->OnHide = handler;
         return std::unique_ptr<TObject>(std::move(icon));
       },
       [] { return lastShellMessage == NIM_DELETE; }},
      {"thread component whose worker runs",
       [](const TNotifyEvent& handler) {
         auto component = std::make_unique<TSysThreadComponent>();
         std::atomic<bool>* running = &workerRunning;
         *running = false;
         component->OnExecute = [running, worker = component.get()](TObject*) {
           // The component lets go of its worker as it goes, and then tells it to end.
           const TThread* thread = worker->Thread();
           *running = true;
           while (!thread->Terminated()) SwitchToThread();
         };
         component->SetSynchronized(false);
         component->SetOnTerminate(handler);
         component->SetSuspended(false);
         EXPECT_TRUE(PumpUntil([running] { return running->load(); }));
         return std::unique_ptr<TObject>(std::move(component));
       },
       nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    int calls = 0;
    TGuardedAllocations guard;
    std::unique_ptr<TObject> object = c.Make([&calls](TObject*) { ++calls; });
    object.reset();
    EXPECT_EQ(calls, 0);
    if (c.LetGo) { EXPECT_TRUE(c.LetGo()); }
  }
  SetShellNotifyIconFunction(previous);
}

}  // namespace
