// A random model check of docked toolbars, each run numbered: random steps give real clicks on the bars' items
// (which open submenus and run buttons), real mouse moves over them, clicks and timers inside the menus while they
// are open, and changes of the items, bars and docks; every handler of an item (OnClick, OnPopup, OnSelect) may, at
// random, free the item, its parent, its bar, a dock, another bar or the form, or raise. After every step no menu
// is left open and what lives is whole: each dock lists live bars that stand on it, each bar's view shows live
// items. A failure names its run and step and the steps before it, so that it replays. TOOLBAR_MODEL_RUNS (how
// many), TOOLBAR_MODEL_FIRST_RUN, TOOLBAR_MODEL_STEPS and TOOLBAR_MODEL_GUARD (0: freed items unguarded, 1: guarded,
// the default) make a longer run; TOOLBAR_MODEL_TRACE=1 prints each step before it runs.
#include "support/model_check.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "fixed_items.h"
#include "framework/application.h"
#include "framework/form.h"
#include "support/fault_recorder.h"
#include "support/message_pump.h"
#include "support/modal_input.h"
#include "support/test_environment.h"
#include "toolbars/bars/toolbar.h"
#include "toolbars/docks/dock.h"
#include "toolbars/items/item_memory.h"
#include "tracked_menu.h"

using namespace toolbars;
using bar_host::TFixedItem;
using tracked_menu::MovePointer;
using tracked_menu::TrackedRoot;

namespace {

// Objects of the check with their lives: a handler may free any of them at any time.
template <class T>
struct TLiving {
  T* Object;
  TLifeWatch Life;
};

template <class T>
void Prune(std::vector<TLiving<T>>& list) {
  std::erase_if(list, [](const TLiving<T>& entry) { return entry.Life.Ended(); });
}

class TToolbarModelCheck : public TModelCheckRun {
 public:
  TToolbarModelCheck(unsigned run, bool guarded) : TModelCheckRun(run), guarded_(guarded) {}
  ~TToolbarModelCheck() {
    CloseMenus();
    raising_ = false;
    form_.reset();
    ProcessPendingMessages();
  }

  std::string Run(unsigned steps) {
    for (step_ = 0; step_ < steps; ++step_) {
      if (!FormLives()) Build();
      const std::string name = Attempt([this] { Step(); });
      CloseMenus();
      Remember(name);
      std::string fault = TakeFaultReport();
      if (fault.empty()) fault = Check();
      if (fault.empty() && !unexpected_.empty()) fault = unexpected_;
      if (!fault.empty()) return fault + "\nat step " + std::to_string(step_) + "; the steps before:\n" + History();
    }
    return {};
  }

 private:
  template <class T>
  T* PickFrom(std::vector<TLiving<T>>& list) {
    Prune(list);
    return list.empty() ? nullptr : list[Below(static_cast<unsigned>(list.size()))].Object;
  }

  bool FormLives() const { return form_ && !formLife_.Ended(); }

  template <class Work>
  std::string Attempt(Work work) {
    current_.clear();
    try {
      work();
      return current_;
    } catch (const EChaos&) {
      return current_ + " (raised)";
    }
  }

  void Say(const std::string& name) {
    current_ = name;
    if (tracing_) {
      std::fprintf(stderr, "step %u: %s\n", step_, name.c_str());
      std::fflush(stderr);
    }
  }

  // ---- the world: a form with two docks, bars on them, buttons and submenus

  void Build() {
    form_.release();  // a handler freed it
    form_ = std::make_unique<TForm>(nullptr);
    form_->SetBorderStyle(TFormBorderStyle::bsNone);
    EXPECT_TRUE(form_->SetBounds(40, 40, 600, 360).Alive());
    formLife_ = form_->LifeWatch();
    docks_.clear();
    bars_.clear();
    items_.clear();
    madeItems_.clear();
    for (TBarDockPosition position : {TBarDockPosition::dpTop, TBarDockPosition::dpBottom}) AddDock(position);
    EXPECT_TRUE(form_->Show().Alive());
    SetForegroundWindow(form_->Handle());
    for (int i = 0; i < 3; ++i) AddBar();
    ProcessPendingMessages();
  }
  void AddDock(TBarDockPosition position) {
    auto* dock = new TBarDock(form_.get());
    EXPECT_TRUE(dock->SetPosition(position).Alive());
    EXPECT_TRUE(dock->SetParent(form_.get()).Alive());
    docks_.push_back({dock, dock->LifeWatch()});
  }
  void AddBar() {
    TBarDock* dock = PickFrom(docks_);
    if (!dock) return;
    auto* bar = new TBarCustomToolbar(form_.get());
    bar->SetHideWhenInactive(false);
    bars_.push_back({bar, bar->LifeWatch()});
    for (unsigned i = 1 + Below(4); i > 0; --i) AddItem(bar->Items());
    EXPECT_TRUE(bar->SetCurrentDock(dock).Alive());
  }
  void AddItem(TBarCustomItem* parent) {
    const bool submenu = parent->Parent() == nullptr && Chance(2);
    auto* item = new TFixedItem(form_.get(), SIZE{submenu ? 40 : 30, 20}, submenu ? isSubmenu : 0);
    item->SetCaption(submenu ? L"&Menu" : L"&Item");
    items_.push_back({item, item->LifeWatch()});
    madeItems_.push_back({item, item->LifeWatch()});
    Wire(item);
    parent->Add(item);
    if (submenu)
      for (unsigned i = 1 + Below(3); i > 0; --i) AddItem(item);
  }

  // ---- the handlers

  void Wire(TFixedItem* item) {
    item->OnClick = TNotifyEvent([this, item](TObject*) { Chaos("OnClick", item); });
    item->OnPopup = [this, item](TBarCustomItem*, bool) { Chaos("OnPopup", item); };
    item->OnSelect = [this, item](TBarCustomItem*, TBarItemViewer*, bool) { Chaos("OnSelect", item); };
  }

  // A handler's deed: free the item, its parent, a bar, a dock or the form, or raise; rarely, and not from inside
  // another deed.
  void Chaos(const char* event, TBarCustomItem* item) {
    if (acting_ || !Chance(6)) return;
    acting_ = true;
    struct TActing {
      bool& acting;
      ~TActing() { acting = false; }
    } leave{acting_};
    Deed(event, item);
  }
  void Deed(const char* event, TBarCustomItem* item) {
    static const char* const deeds[] = {"frees the item", "frees its parent", "frees a bar", "frees a dock",
                                        "frees the form", "raises",           "raises"};
    const unsigned deed = Below(7);
    if (tracing_) {
      std::fprintf(stderr, "  %s %s\n", event, deeds[deed]);
      std::fflush(stderr);
    }
    switch (deed) {
      case 0:
        if (item) delete item;
        break;
      case 1:
        // A bar's root item belongs to its bar.
        if (item && item->Parent() && item->Parent()->Parent()) delete item->Parent();
        break;
      case 2:
        delete PickFrom(bars_);
        break;
      case 3:
        delete PickFrom(docks_);
        break;
      case 4:
        if (FormLives()) delete form_.release();
        break;
      default:
        if (raising_) throw EChaos();
    }
  }

  // ---- the steps

  void Step() {
    switch (Below(9)) {
      case 0:
      case 1:
      case 2:
        ClickAnItem();
        return;
      case 3:
      case 4:
        MoveOverAnItem();
        return;
      case 5: {
        Say("an item added");
        TBarCustomToolbar* bar = PickFrom(bars_);
        if (bar) AddItem(Chance(3) ? PickItemOrRoot(bar) : bar->Items());
        return;
      }
      case 6:
        Say("an item freed");
        delete PickFrom(items_);
        return;
      case 7:
        if (Chance(2)) {
          Say("a bar added");
          AddBar();
          return;
        }
        Say("a bar moved to a dock");
        if (TBarCustomToolbar* bar = PickFrom(bars_)) { EXPECT_TRUE(bar->SetCurrentDock(PickFrom(docks_)).Alive()); }
        return;
      default:
        Say("a deed outside any handler");
        Deed("a step", PickFrom(items_));
        return;
    }
  }

  TBarCustomItem* PickItemOrRoot(TBarCustomToolbar* bar) {
    TBarCustomItem* root = bar->Items();
    TBarCustomItem* child =
        root->Count() ? root->ItemAt(static_cast<int>(Below(static_cast<unsigned>(root->Count())))) : nullptr;
    return child && (child->ItemStyle() & isSubmenu) ? child : root;
  }

  // A random item's centre on the screen, on a bar that shows it.
  bool ItemPoint(POINT& at) {
    TBarCustomToolbar* bar = PickFrom(bars_);
    if (!bar || !bar->HandleAllocated() || !IsWindowVisible(bar->Handle())) return false;
    TBarView* view = bar->View();
    if (!view || view->ViewerCount() == 0) return false;
    const RECT r = view->Viewers(static_cast<int>(Below(static_cast<unsigned>(view->ViewerCount()))))->BoundsRect();
    at = bar->ClientToScreen(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    return true;
  }

  // A real click on an item; while a menu it opened is open, timers inside its loop click in it, move over it,
  // free something or close it.
  void ClickAnItem() {
    POINT at{};
    if (!ItemPoint(at)) {
      Say("a click on no item");
      return;
    }
    Say("a click on an item");
    const unsigned inLoop = Below(4);
    RunModalWithInput(
        [this, inLoop] {
          PostInputFromLoop(
              [this, inLoop] {
                if (!TrackedRoot()) return;
                TBarView* root = TrackedRoot();
                TBarView* open = root->OpenViewerView();
                if (inLoop == 0) {
                  Deed("a timer in the menu's loop", PickFrom(items_));
                } else if (inLoop == 1 && open && open->Window() && open->ViewerCount() > 0) {
                  const RECT r =
                      open->Viewers(static_cast<int>(Below(static_cast<unsigned>(open->ViewerCount()))))->BoundsRect();
                  SendMouseClick(open->Window()->ClientToScreen(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}));
                } else if (inLoop == 2 && open && open->Window() && open->ViewerCount() > 0) {
                  const RECT r = open->Viewers(0)->BoundsRect();
                  MovePointer(open->Window()->ClientToScreen(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}));
                }
              },
              20);
        },
        [at] {
          SendMouseClick(at);
          PumpUntil(
              [] { return !TrackedRoot() && !(GetAsyncKeyState(VK_LBUTTON) & 0x8000) && GetCapture() == nullptr; },
              300);
        });
  }

  void MoveOverAnItem() {
    POINT at{};
    if (!ItemPoint(at)) {
      Say("a move over no item");
      return;
    }
    Say("a move over an item");
    MovePointer(at);
    ProcessPendingMessages();
  }

  // Ends whatever menu a step left open, as a person's Escape would, and serves the input the step left queued: a
  // click that arrives late may open a menu yet, whose loop a timer inside it ends.
  void CloseMenus() {
    auto done = std::make_shared<bool>(false);
    auto closer = std::make_shared<std::function<void()>>();
    *closer = [done, again = std::weak_ptr<std::function<void()>>(closer)] {
      if (*done) return;
      if (TrackedRoot()) PostThreadMessageW(GetCurrentThreadId(), WM_BAR_CLOSEALLMENUS, 0, 0);
      if (auto next = again.lock()) PostInputFromLoop(*next, 20);
    };
    PostInputFromLoop(*closer, 0);
    const bool settled = PumpUntil([] {
      return !TrackedRoot() && !(GetQueueStatus(QS_INPUT) & 0xFFFF0000u) && !(GetAsyncKeyState(VK_LBUTTON) & 0x8000) &&
             GetCapture() == nullptr;
    });
    *done = true;
    if (!settled && unexpected_.empty()) unexpected_ = "the input of a step never settled";
  }

  // ---- the checks

  std::string Check() {
    if (TrackedRoot()) return "a menu stays open after the step";
    if (!FormLives()) return {};
    // Without guarded blocks a freed item's address comes again, for items of the bars' own too.
    if (!guarded_) return {};
    Prune(docks_);
    Prune(bars_);
    Prune(items_);
    for (const TLiving<TBarDock>& dock : docks_)
      for (int i = 0; i < dock.Object->ToolbarCount(); ++i) {
        TBarCustomDockableWindow* bar = dock.Object->Toolbars(i);
        bool live = false;
        for (const TLiving<TBarCustomToolbar>& entry : bars_) live = live || entry.Object == bar;
        if (!live) return "a dock lists a bar that is gone";
        if (bar->CurrentDock() != dock.Object) return "a dock lists a bar that stands elsewhere";
      }
    // Items are compared by address only: a freed one is not read. With guarded blocks no address comes twice.
    for (const TLiving<TBarCustomToolbar>& bar : bars_) {
      TBarView* view = bar.Object->View();
      if (!view) continue;
      for (int i = 0; i < view->ViewerCount(); ++i) {
        const TBarCustomItem* item = view->Viewers(i)->Item();
        bool freed = false, live = false;
        for (const TLiving<TFixedItem>& made : madeItems_)
          if (made.Object == item) (made.Life.Ended() ? freed : live) = true;
        if (freed && !live) return "a bar's view shows an item that is gone";
      }
    }
    return {};
  }

  const bool guarded_;
  std::unique_ptr<TForm> form_;
  TLifeWatch formLife_;
  std::vector<TLiving<TBarDock>> docks_;
  std::vector<TLiving<TBarCustomToolbar>> bars_;
  std::vector<TLiving<TFixedItem>> items_;
  // Every item made since the world was built, freed or not.
  std::vector<TLiving<TFixedItem>> madeItems_;
  bool acting_ = false;
  bool raising_ = true;
  std::string current_;
  const bool tracing_ = EnvironmentNumber("TOOLBAR_MODEL_TRACE", 0) != 0;
};

struct ToolbarModelCheck : testing::Test {
  TTestEnvironment environment;
  toolbars::TTrackingLoopProc previousLoop = nullptr;
  POINT savedCursor{};
  ToolbarModelCheck() {
    environment.SetMenuShowDelay(0);
    previousLoop = SetTrackingLoop(&tracked_menu::RecordingLoop);
    GetCursorPos(&savedCursor);
  }
  ~ToolbarModelCheck() override {
    SetTrackingLoop(previousLoop);
    environment.Restore();
    SetGuardFreedItemBlocks(false);
    SetCursorPos(savedCursor.x, savedCursor.y);
  }
};

TEST_F(ToolbarModelCheck, HandlersThatFreeOrRaiseLeaveNoMenuOpenAndTheBarsWhole) {
  const auto [runs, firstRun, steps, guard] = ModelCheckCounts("TOOLBAR", 2, 60);
  for (unsigned run = firstRun; run < firstRun + runs; ++run) {
    SCOPED_TRACE(testing::Message() << "run " << run);
    SetGuardFreedItemBlocks(guard != 0);
    std::string fault;
    {
      TToolbarModelCheck check(run, guard != 0);
      const TErrorsReportedTo reported(check);
      fault = check.Run(steps);
    }
    ASSERT_EQ(fault, "");
  }
}

}  // namespace
