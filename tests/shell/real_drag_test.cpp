// A drag driven by the system's mouse input, from a source component through the platform's drag loop to a
// registered control of another window of this program.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "drag_drop_fixtures.h"
#include "framework/bitmap.h"
#include "framework/image_list.h"
#include "shell/dragdrop/drop_source.h"
#include "shell/dragdrop/drop_target.h"
#include "shell/dragdrop/file_formats.h"
#include "shell/dragdrop/generic_data_formats.h"
#include "shell/dragdrop/url_drop_components.h"
#include "shell/system/shutdown.h"
#include "shell/system/thread_component.h"
#include "support/hostile_input.h"
#include "support/message_pump.h"
#include "support/modal_input.h"
#include "support/temp_folder.h"
#include "support/test_window.h"

using Microsoft::WRL::ComPtr;
using namespace shell;

namespace {

// Moves the cursor in steps from one screen point to another, each step after the loop has run.
void MoveInSteps(POINT from, POINT to, int steps, std::function<void()> then) {
  for (int i = 1; i <= steps; ++i) {
    POINT at{from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps};
    PostInputFromLoop([at] { SetCursorPos(at.x, at.y), SendMouse(MOUSEEVENTF_MOVE); }, static_cast<UINT>(40 * i));
  }
  PostInputFromLoop(std::move(then), static_cast<UINT>(40 * (steps + 2)));
}

// The drag loop reads the thread's key state, which follows the input only as the queue hands it out.
void WaitForKeyState(int key, bool down) {
  for (int i = 0; i < 500; ++i) {
    ProcessPendingMessages();
    if ((GetKeyState(key) < 0) == down) return;
    Sleep(10);
  }
}

// Presses the button at from, lets the source run its drag while the cursor moves to to, and releases there once
// releaseWhen holds (or the drag is over). Modifier keys sent as input do not reach the drag loop under the test
// display, so the effect is steered by the drag types here and the keys are covered by direct calls of the target.
TDragResult DragWithMouse(
    TCustomDropSource& source, POINT from, POINT to, const std::function<bool()>& releaseWhen = [] { return true; }) {
  SetCursorPos(from.x, from.y);
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  WaitForKeyState(VK_LBUTTON, true);
  TDragResult result = TDragResult::drUnknown;
  bool dragging = true;
  std::function<void()> release = [&] {
    if (!dragging || releaseWhen())
      SendMouse(MOUSEEVENTF_LEFTUP);
    else
      PostInputFromLoop(release, 20);
  };
  bool inTime = RunModalWithInput([&] { MoveInSteps(from, to, 6, release); },
                                  [&] {
                                    result = source.Execute();
                                    dragging = false;
                                  });
  EXPECT_TRUE(inTime);
  WaitForKeyState(VK_LBUTTON, false);
  return result;
}

class RealDrag : public TDragDropTest {
 protected:
  void SetUp() override {
    EXPECT_TRUE(panel_.SetBounds(0, 0, 200, 150).Alive());
    EXPECT_TRUE(panel_.SetParentWindow(targetHost_.Handle()).Alive());
    target_.SetDragtypes({TDragType::dtCopy, TDragType::dtMove, TDragType::dtLink});
    EXPECT_TRUE(target_.RegisterTargetControl(&panel_).Alive());
    received_ = new TTextDataFormat(&target_);
    target_.OnDrop = [this](TObject*, TShiftState, POINT, DWORD& effect) {
      dropped_.push_back(received_->Text());
      effects_.push_back(effect);
    };
    offered_ = new TTextDataFormat(&source_);
    EXPECT_TRUE(offered_->SetText("dragged across").Alive());
    source_.SetDragTypes({TDragType::dtCopy, TDragType::dtMove});
    source_.OnAfterDrop = [this](TObject*, TDragResult, bool optimized) { optimized_.push_back(optimized); };
  }

  TDragResult Drag(POINT to) { return DragWithMouse(source_, POINT{200, 175}, to); }

  TTestWindow sourceHost_{RECT{100, 100, 300, 250}};
  TTestWindow targetHost_{RECT{400, 100, 600, 250}};
  TDropPanel panel_{nullptr};
  TCustomDropMultiTarget target_{nullptr};
  TCustomDropMultiSource source_{nullptr};
  TTextDataFormat* received_ = nullptr;
  TTextDataFormat* offered_ = nullptr;
  std::vector<std::string> dropped_;
  std::vector<DWORD> effects_;
  std::vector<bool> optimized_;
};

TEST_F(RealDrag, ADropOnTheOtherWindowMovesTheText) {
  EXPECT_EQ(Drag(POINT{500, 175}), TDragResult::drDropMove);
  EXPECT_EQ(dropped_, std::vector<std::string>{"dragged across"});
  EXPECT_EQ(effects_, std::vector<DWORD>{DROPEFFECT_MOVE});
  // The target performed the move itself, so the source has nothing left to delete.
  EXPECT_EQ(source_.GetPerformedDropEffect(), static_cast<DWORD>(DROPEFFECT_MOVE));
  EXPECT_EQ(optimized_, std::vector<bool>{false});
}

TEST_F(RealDrag, ASourceThatOffersOnlyCopiesIsCopied) {
  source_.SetDragTypes({TDragType::dtCopy});
  EXPECT_EQ(Drag(POINT{500, 175}), TDragResult::drDropCopy);
  EXPECT_EQ(effects_, std::vector<DWORD>{DROPEFFECT_COPY});
}

TEST_F(RealDrag, TheDragImageFallsBackToTheImageListDrag) {
  TImageList images;
  images.SetSize(16, 16);
  TBitmap picture;
  picture.SetSize(16, 16);
  images.Add(&picture, nullptr);
  source_.SetImages(&images);
  source_.SetShowImage(true);
  source_.SetImageHotSpotX(3);
  source_.SetImageHotSpotY(5);
  bool imageShown = false;
  POINT hotSpot{};
  source_.OnFeedback = [&](TObject*, DWORD, bool&) {
    imageShown = imageShown || ImageList_GetDragImage(nullptr, &hotSpot) != nullptr;
  };
  EXPECT_EQ(Drag(POINT{500, 175}), TDragResult::drDropMove);
  // The shell's helper here cannot take a bitmap, so the image list draws the image.
  EXPECT_TRUE(imageShown);
  EXPECT_EQ(hotSpot.x, 3);
  EXPECT_EQ(hotSpot.y, 5);
  EXPECT_EQ(ImageList_GetDragImage(nullptr, nullptr), nullptr);
  source_.SetImages(nullptr);
}

TEST_F(RealDrag, ReleasingOutsideEveryTargetCancels) {
  EXPECT_EQ(Drag(POINT{350, 400}), TDragResult::drCancel);
  EXPECT_TRUE(dropped_.empty());
  EXPECT_EQ(source_.GetPerformedDropEffect(), 0u);
}

// Each component a handler frees is made under the allocation guard, so that any touch of it afterwards faults; the
// platform keeps what it holds of the component until the drag is over. A drag that passes over the target and on
// ends outside it (to leave); one that rests in the target's scroll band is released once the target scrolled.
class DragFreeing : public TDragDropTest {
 protected:
  void SetUp() override {
    EXPECT_TRUE(panel_.SetBounds(0, 0, 200, 150).Alive());
    EXPECT_TRUE(panel_.SetParentWindow(targetHost_.Handle()).Alive());
  }

  TTestWindow sourceHost_{RECT{100, 100, 300, 250}};
  TTestWindow targetHost_{RECT{400, 100, 600, 250}};
  // With a scroll bar, so that the top of the panel is a scroll band.
  TDropPanel panel_{nullptr, WS_VSCROLL};
};

using TSourcePtr = std::unique_ptr<TCustomDropMultiSource>;
using TTargetPtr = std::unique_ptr<TCustomDropMultiTarget>;

enum class TPath { pOnto, pAcross, pIntoScrollBand };

// Frees the component as its first data format is about to change (cleared as data comes, or set).
template <class Component>
void FreeInFirstFormatsChange(std::unique_ptr<Component>& component) {
  component->DataFormats()->Formats(0)->SetOnChanging([&component](TObject*) { component.reset(); });
}

// A handler that frees its own component, the path of the drag that calls it, and how the drag ends.
struct TFreeingDrag {
  const char* Name;
  std::function<void(TSourcePtr&, TTargetPtr&)> Arm;
  TPath Path;
  bool Async = false;
  // None where the platform's loop decides alone how a drag over a vanished target ends.
  std::optional<TDragResult> Result = std::nullopt;
};

const std::vector<TFreeingDrag>& FreeingDrags() {
  static const std::vector<TFreeingDrag> drags = {
      {"source in its feedback",
       [](TSourcePtr& s, TTargetPtr&) { s->OnFeedback = [&s](TObject*, DWORD, bool&) { s.reset(); }; }, TPath::pOnto,
       false, TDragResult::drCancel},
      {"source in its drop",
       [](TSourcePtr& s, TTargetPtr&) { s->OnDrop = [&s](TObject*, TDragType, bool&) { s.reset(); }; }, TPath::pOnto,
       false, TDragResult::drCancel},
      {"source in its data",
       [](TSourcePtr& s, TTargetPtr&) {
         s->OnGetData = [&s](TObject*, const FORMATETC&, STGMEDIUM&, bool&) { s.reset(); };
       },
       TPath::pOnto},
      {"source after its drop",
       [](TSourcePtr& s, TTargetPtr&) { s->OnAfterDrop = [&s](TObject*, TDragResult, bool) { s.reset(); }; },
       TPath::pOnto},
      {"source after its asynchronous drop",
       [](TSourcePtr& s, TTargetPtr&) { s->OnAfterDrop = [&s](TObject*, TDragResult, bool) { s.reset(); }; },
       TPath::pOnto, true},
      {"target in its enter",
       [](TSourcePtr&, TTargetPtr& t) { t->OnEnter = [&t](TObject*, TShiftState, POINT, DWORD&) { t.reset(); }; },
       TPath::pOnto},
      {"target in its drag over",
       [](TSourcePtr&, TTargetPtr& t) { t->OnDragOver = [&t](TObject*, TShiftState, POINT, DWORD&) { t.reset(); }; },
       TPath::pOnto},
      {"target in its leave", [](TSourcePtr&, TTargetPtr& t) { t->OnLeave = [&t](TObject*) { t.reset(); }; },
       TPath::pAcross},
      {"target in its drop",
       [](TSourcePtr&, TTargetPtr& t) { t->OnDrop = [&t](TObject*, TShiftState, POINT, DWORD&) { t.reset(); }; },
       TPath::pOnto, false, TDragResult::drDropCopy},
      {"target in its drop while its transfer runs",
       [](TSourcePtr&, TTargetPtr& t) { t->OnDrop = [&t](TObject*, TShiftState, POINT, DWORD&) { t.reset(); }; },
       TPath::pOnto, true},
      {"target in its effect",
       [](TSourcePtr&, TTargetPtr& t) {
         t->OnGetDropEffect = [&t](TObject*, TShiftState, POINT, DWORD&) { t.reset(); };
       },
       TPath::pOnto},
      {"target in its format check",
       [](TSourcePtr&, TTargetPtr& t) { t->OnAcceptFormat = [&t](TObject*, TCustomDataFormat*, bool&) { t.reset(); }; },
       TPath::pOnto},
      {"target in its format's change", [](TSourcePtr&, TTargetPtr& t) { FreeInFirstFormatsChange(t); }, TPath::pOnto},
      {"target in its scroll",
       [](TSourcePtr&, TTargetPtr& t) { t->OnScroll = [&t](TObject*, POINT, TScrolDirections&, int&) { t.reset(); }; },
       TPath::pIntoScrollBand},
      {"target as its transfer starts",
       [](TSourcePtr&, TTargetPtr& t) { t->OnStartAsyncTransfer = [&t](TObject*) { t.reset(); }; }, TPath::pOnto, true},
      {"target as its transfer ends",
       [](TSourcePtr&, TTargetPtr& t) { t->OnEndAsyncTransfer = [&t](TObject*) { t.reset(); }; }, TPath::pOnto, true},
  };
  return drags;
}

// A test for each handler: each is a real drag.
class DragFreeingEach : public DragFreeing, public testing::WithParamInterface<size_t> {};

TEST_P(DragFreeingEach, AHandlerMayFreeItsOwnComponentDuringADrag) {
  const TFreeingDrag& c = FreeingDrags()[GetParam()];
  SCOPED_TRACE(c.Name);
  TTargetPtr target;
  TSourcePtr source;
  {
    // The blocks stay guarded after the guard ends; the drag itself runs at its usual pace.
    TGuardedAllocations guard;
    target = std::make_unique<TCustomDropMultiTarget>(nullptr);
    EXPECT_TRUE(target->RegisterTargetControl(&panel_).Alive());
    target->SetAllowAsyncTransfer(c.Async);
    new TTextDataFormat(target.get());
    source = std::make_unique<TCustomDropMultiSource>(nullptr);
    source->SetAllowAsyncTransfer(c.Async);
    EXPECT_TRUE((new TTextDataFormat(source.get()))->SetText("dragged").Alive());
  }
  c.Arm(source, target);
  const POINT to = c.Path == TPath::pAcross           ? POINT{700, 175}
                   : c.Path == TPath::pIntoScrollBand ? POINT{500, 102}
                                                      : POINT{500, 175};
  TCustomDropSource& running = *source;
  // The scroll band is left only once the target scrolled.
  const TDragResult result =
      DragWithMouse(running, POINT{200, 175}, to, [&] { return c.Path != TPath::pIntoScrollBand || !target; });
  if (c.Result) {
    EXPECT_EQ(result, *c.Result);
  }
  // A transfer ends after the drag.
  EXPECT_TRUE(PumpUntil([&] { return !source || !target; }));
}

INSTANTIATE_TEST_SUITE_P(Handlers, DragFreeingEach, testing::Range<size_t>(0, FreeingDrags().size()));

// A paste reads the clipboard while the source still owns it: either side may be freed by its handler; so may a
// target that reads a source directly.
TEST_F(DragFreeing, AHandlerMayFreeItsOwnComponentDuringAPaste) {
  const struct {
    const char* Name;
    std::function<void(TSourcePtr&, TTargetPtr&)> Arm;
    DWORD Effect;
    bool ReadsTheSource = false;
  } cases[] = {
      {"target in its drop",
       [](TSourcePtr&, TTargetPtr& t) { t->OnDrop = [&t](TObject*, TShiftState, POINT, DWORD&) { t.reset(); }; },
       DROPEFFECT_COPY},
      {"target in its format check",
       [](TSourcePtr&, TTargetPtr& t) { t->OnAcceptFormat = [&t](TObject*, TCustomDataFormat*, bool&) { t.reset(); }; },
       DROPEFFECT_NONE},
      {"target reading a source in its format check",
       [](TSourcePtr&, TTargetPtr& t) { t->OnAcceptFormat = [&t](TObject*, TCustomDataFormat*, bool&) { t.reset(); }; },
       DROPEFFECT_NONE, true},
      {"source in its data",
       [](TSourcePtr& s, TTargetPtr&) {
         s->OnGetData = [&s](TObject*, const FORMATETC&, STGMEDIUM&, bool&) { s.reset(); };
       },
       DROPEFFECT_NONE},
      {"target in its format's change", [](TSourcePtr&, TTargetPtr& t) { FreeInFirstFormatsChange(t); },
       DROPEFFECT_NONE},
      {"source in its feedback's change, as it copies",
       [](TSourcePtr& s, TTargetPtr&) { s->FeedbackDataFormat().SetOnChanging([&s](TObject*) { s.reset(); }); },
       DROPEFFECT_NONE},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TGuardedAllocations guard;
    auto source = std::make_unique<TCustomDropMultiSource>(nullptr);
    EXPECT_TRUE((new TTextDataFormat(source.get()))->SetText("pasted").Alive());
    auto target = std::make_unique<TCustomDropMultiTarget>(nullptr);
    new TTextDataFormat(target.get());
    c.Arm(source, target);
    const bool copied = source->CopyToClipboard();
    // A source freed as it copies puts nothing on the clipboard.
    if (!source) {
      EXPECT_FALSE(copied);
      continue;
    }
    ASSERT_TRUE(copied);
    if (c.ReadsTheSource)
      target->Assign(source.get());
    else
      EXPECT_EQ(target->PasteFromClipboard(), c.Effect);
    EXPECT_TRUE(!source || !target);
    if (source) source->EmptyClipboard();
  }
}

// The main thread serves a system component's handlers while it is inside a drag or a paste; the handler frees its
// component there. Each component is made under the allocation guard.
TEST_F(DragFreeing, ASystemComponentMayFreeItselfInsideADragOrAPaste) {
  using TComponentPtr = std::unique_ptr<TSysComponent>;
  // Makes the component, armed to free itself, and starts it.
  using TStart = std::function<void(TComponentPtr & component)>;
  const auto threadComponent =
      [](bool timer, const std::function<void(TSysCustomThreadComponent&, TComponentPtr&)>& arm) -> TStart {
    return [timer, arm](TComponentPtr& component) {
      TSysCustomThreadComponent* made = nullptr;
      {
        TGuardedAllocations guard;
        made = timer ? static_cast<TSysCustomThreadComponent*>(new TSysThreadTimer) : new TSysThreadComponent;
        component.reset(made);
      }
      if (timer) static_cast<TSysThreadTimer*>(made)->SetInterval(10);
      made->SetSynchronized(true);
      arm(*made, component);
      made->SetSuspended(false);
    };
  };
  const struct {
    const char* Name;
    TStart Start;
  } cases[] = {
      {"thread component in its execute",
       threadComponent(
           false, [](TSysCustomThreadComponent& t, TComponentPtr& c) { t.OnExecute = [&c](TObject*) { c.reset(); }; })},
      {"thread timer in its tick",
       threadComponent(
           true, [](TSysCustomThreadComponent& t, TComponentPtr& c) { t.OnExecute = [&c](TObject*) { c.reset(); }; })},
      {"thread component in its terminate",
       threadComponent(false, [](TSysCustomThreadComponent& t,
                                 TComponentPtr& c) { t.SetOnTerminate([&c](TObject*) { c.reset(); }); })},
      {"thread component in its exception", threadComponent(false,
                                                            [](TSysCustomThreadComponent& t, TComponentPtr& c) {
                                                              t.OnExecute = [](TObject*) {
                                                                throw Exception(L"raised");
                                                              };
                                                              t.OnException = [&c](TObject*) { c.reset(); };
                                                            })},
      {"shutdown in its query",
       [](TComponentPtr& component) {
         TSysShutdown* made = nullptr;
         {
           TGuardedAllocations guard;
           made = new TSysShutdown;
           component.reset(made);
         }
         made->OnQueryShutdown = [&component](TObject*, bool&) { component.reset(); };
         EXPECT_FALSE(made->Execute());
       }},
  };
  // Nothing may reach the system if a component goes on after its handler.
  const TSysShutdownCalls previous = SetSysShutdownCalls({[](UINT, DWORD) -> BOOL {
                                                            ADD_FAILURE() << "the session ends";
                                                            return FALSE;
                                                          },
                                                          [](BOOL, BOOL) -> BOOL {
                                                            ADD_FAILURE() << "the system sleeps";
                                                            return FALSE;
                                                          }});
  TCustomDropMultiTarget target(nullptr);
  EXPECT_TRUE(target.RegisterTargetControl(&panel_).Alive());
  new TTextDataFormat(&target);
  TCustomDropMultiSource source(nullptr);
  EXPECT_TRUE((new TTextDataFormat(&source))->SetText("dragged").Alive());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TComponentPtr component;
    bool started = false;
    // In a drag: started from the first feedback, and the button is released once the component is gone.
    source.OnFeedback = [&](TObject*, DWORD, bool&) {
      if (!std::exchange(started, true)) c.Start(component);
    };
    target.OnDrop = nullptr;
    EXPECT_EQ(DragWithMouse(source, POINT{200, 175}, POINT{500, 175}, [&] { return started && !component; }),
              TDragResult::drDropCopy);
    EXPECT_TRUE(started);
    EXPECT_EQ(component, nullptr);
    // In a paste: started from the drop, which waits until the component is gone.
    source.OnFeedback = nullptr;
    target.OnDrop = [&](TObject*, TShiftState, POINT, DWORD&) {
      c.Start(component);
      EXPECT_TRUE(PumpUntil([&] { return !component; }));
    };
    ASSERT_TRUE(source.CopyToClipboard());
    EXPECT_EQ(target.PasteFromClipboard(), static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(component, nullptr);
    source.EmptyClipboard();
  }
  SetSysShutdownCalls(previous);
}

// Addresses and files dragged between two windows of this program, as the browser's address box and page strip
// exchange them.
class AddressDrag : public TDragDropTest {
 protected:
  void SetUp() override {
    EXPECT_TRUE(panel_.SetBounds(0, 0, 200, 150).Alive());
    EXPECT_TRUE(panel_.SetParentWindow(targetHost_.Handle()).Alive());
    EXPECT_TRUE(target_.RegisterTargetControl(&panel_).Alive());
    target_.OnDrop = [this](TObject*, TShiftState, POINT, DWORD& effect) {
      dropped_.push_back({target_.URL(), effect});
    };
  }

  TTestWindow sourceHost_{RECT{100, 100, 300, 250}};
  TTestWindow targetHost_{RECT{400, 100, 600, 250}};
  TDropPanel panel_{nullptr};
  TDropURLTarget target_{nullptr};
  std::vector<std::pair<String, DWORD>> dropped_;
};

TEST_F(AddressDrag, AnAddressIsDroppedWithItsTitle) {
  TDropURLSource source(nullptr);
  EXPECT_TRUE(source.SetTitle(L"Example page").Alive());
  EXPECT_TRUE(source.SetURL(L"http://example.test/page").Alive());
  TURLDataFormat* received = nullptr;
  target_.OnDrop = [&](TObject* sender, TShiftState, POINT, DWORD& effect) {
    auto& target = static_cast<TDropURLTarget&>(*sender);
    received = ObjectAs<TURLDataFormat>(target.DataFormats()->Formats(0));
    dropped_.push_back({target.URL() + L"|" + received->Title(), effect});
  };
  EXPECT_EQ(DragWithMouse(source, POINT{200, 175}, POINT{500, 175}), TDragResult::drDropCopy);
  EXPECT_EQ(dropped_,
            (std::vector<std::pair<String, DWORD>>{{L"http://example.test/page|Example page", DROPEFFECT_COPY}}));
}

TEST_F(AddressDrag, ADroppedShortcutFileGivesItsAddress) {
  TTempFolder folder;
  String shortcut = folder.File(L"Dropped.url");
  HANDLE file = CreateFileW(shortcut.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  const char content[] = "[InternetShortcut]\r\nURL=http://dropped.test/\r\n";
  DWORD written = 0;
  WriteFile(file, content, sizeof(content) - 1, &written, nullptr);
  CloseHandle(file);

  TCustomDropMultiSource source(nullptr);
  auto* files = new TFileDataFormat(&source);
  files->Files().Add(shortcut);
  // A file list that another file target reads whole.
  TTestWindow fileHost{RECT{100, 300, 300, 450}};
  TDropPanel filePanel(nullptr);
  TCustomDropMultiTarget fileTarget(nullptr);
  EXPECT_TRUE(filePanel.SetBounds(0, 0, 200, 150).Alive());
  EXPECT_TRUE(filePanel.SetParentWindow(fileHost.Handle()).Alive());
  EXPECT_TRUE(fileTarget.RegisterTargetControl(&filePanel).Alive());
  auto* fileList = new TFileDataFormat(&fileTarget);
  std::vector<String> fileDrops;
  fileTarget.OnDrop = [&](TObject*, TShiftState, POINT, DWORD&) { fileDrops.push_back(fileList->Files().Text()); };

  EXPECT_EQ(DragWithMouse(source, POINT{200, 175}, POINT{500, 175}), TDragResult::drDropCopy);
  EXPECT_EQ(dropped_, (std::vector<std::pair<String, DWORD>>{{L"http://dropped.test/", DROPEFFECT_COPY}}));
  EXPECT_EQ(DragWithMouse(source, POINT{200, 175}, POINT{200, 375}), TDragResult::drDropCopy);
  EXPECT_EQ(fileDrops, std::vector<String>{shortcut + L"\r\n"});
}

// Wine's drag loop cannot be made to fail inside a target, so the target's methods are called as the loop would.
TEST_F(AddressDrag, ADropThatFailsOrFindsNoDataReportsNoEffect) {
  POINT client{20, 20};
  ClientToScreen(panel_.Handle(), &client);
  const POINTL at{client.x, client.y};
  const std::string missingShortcut =
      std::string("\x14\0\0\0", 4) + std::string(16, '\0') + std::string("Q:\\missing\\gone.url\0\0", 21);
  struct TCase {
    const char* Name;
    bool DataOnEnter;
    CLIPFORMAT Format;
    std::string Block;
    bool Raise;
  } cases[] = {
      {"drop handler raises", false, FormatId(L"UniformResourceLocator"), std::string("http://a/\0", 10), true},
      {"dropped shortcut file is missing", false, CF_HDROP, missingShortcut, false},
      {"missing file read on enter", true, CF_HDROP, missingShortcut, false},
  };
  for (const TCase& c : cases) {
    target_.SetGetDataOnEnter(c.DataOnEnter);
    target_.OnDrop = [&](TObject*, TShiftState, POINT, DWORD&) {
      if (c.Raise) throw Exception(L"handler failed");
    };
    ComPtr<TTestDataObject> data(new TTestDataObject);
    data->Add(c.Format, c.Block);
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_LINK;
    HRESULT entered = target_.DragEnter(data.Get(), MK_LBUTTON, at, &effect);
    if (c.DataOnEnter) {
      EXPECT_TRUE(FAILED(entered)) << c.Name;
      EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE)) << c.Name;
    }
    effect = DROPEFFECT_COPY | DROPEFFECT_LINK;
    HRESULT result = target_.Drop(data.Get(), 0, at, &effect);
    // A shortcut that cannot be read is a drop without data, not a failure; a drop after a refused entry fails.
    EXPECT_EQ(FAILED(result), c.Raise || c.DataOnEnter) << c.Name;
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE)) << c.Name;
    // No performed effect went back to the source.
    EXPECT_TRUE(data->Written().empty()) << c.Name;
  }
}

}  // namespace
