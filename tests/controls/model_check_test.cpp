// A random model check of a page control, a row of tab buttons, a combo box and an address box on a form, each run
// numbered: random steps give real clicks on the tabs, left, middle and right clicks (single and quick double ones)
// on the tab buttons, arrow keys to the focused control, pages and tab buttons added and deleted, pages moved and
// activated, typing and F4 in the boxes, while every handler (OnChanging, OnChange, a page's OnShow and OnHide, a
// tab button's OnClick, OnMiddleClick and OnRightClick and the tab-down procedure, the boxes' OnChange, OnKeyPress,
// OnDropDown and OnUrlSelected) may, at random, free the page or tab it is about, the control, a box, the form,
// raise or refuse; a change's handlers may also free the page being left, the active page also while it is
// deleted. After every step what lives is whole: the active page is one of the control's pages and the
// only one shown, at most one tab button is down, no list stays dropped down, and no window keeps the mouse. A
// failure names its run and step and the steps before it.
// CONTROLS_MODEL_RUNS, CONTROLS_MODEL_FIRST_RUN, CONTROLS_MODEL_STEPS and CONTROLS_MODEL_GUARD (0: allocations
// unguarded, 1: guarded, the default) make a longer run; CONTROLS_MODEL_TRACE=1 prints each step before it runs.
#include "support/model_check.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <deque>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "controls/address_box.h"
#include "controls/tab_button.h"
#include "controls/tabs/page_control.h"
#include "controls/tabs/tab_painter.h"
#include "framework/application.h"
#include "framework/combo_box.h"
#include "framework/form.h"
#include "support/fault_recorder.h"
#include "support/hostile_input.h"
#include "support/message_pump.h"
#include "support/modal_input.h"

using namespace controls;

namespace {

// An answer a step gets says whether the object it is about outlived the call: the check holds it to that.
template <class Object, class Call>
void ExpectTruthful(Object* object, Call call) {
  const TLifeWatch life = object->LifeWatch();
  const bool alive = call().Alive();
  EXPECT_EQ(alive, !life.Ended());
}

class TComboForChecks : public TCustomComboBox {
  BC_CLASS(TComboForChecks, TCustomComboBox)
  explicit TComboForChecks(TComponent* owner) : TCustomComboBox(owner) {}
};

class TControlsModelCheck : public TModelCheckRun {
 public:
  explicit TControlsModelCheck(unsigned run) : TModelCheckRun(run) {}
  ~TControlsModelCheck() {
    raising_ = false;
    if (FormLives()) delete form_;
    ProcessPendingMessages();
  }

  std::string Run(unsigned steps) {
    for (step_ = 0; step_ < steps; ++step_) {
      std::string name;
      if (!FormLives()) name = Attempt([this] { Build(); }) + "the world built; ";
      name += Attempt([this] { Step(); });
      Settle();
      Remember(name);
      std::string fault = TakeFaultReport();
      if (fault.empty()) fault = Check();
      if (fault.empty() && !unexpected_.empty()) fault = unexpected_;
      if (!fault.empty()) return fault + "\nat step " + std::to_string(step_) + "; the steps before:\n" + History();
    }
    return {};
  }

 private:
  bool FormLives() const { return form_ && !formLife_.Ended(); }
  TPcPageControl* Control() const { return control_ && !controlLife_.Ended() ? control_ : nullptr; }
  TCustomComboBox* Combo() const { return combo_ && !comboLife_.Ended() ? combo_ : nullptr; }
  TAddressBox* Address() const { return address_ && !addressLife_.Ended() ? address_ : nullptr; }
  TPcTabSheet* PickPage() {
    TPcPageControl* control = Control();
    if (!control || control->PageCount() == 0) return nullptr;
    return control->Pages(static_cast<int>(Below(static_cast<unsigned>(control->PageCount()))));
  }

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

  // ---- the world

  void Build() {
    form_ = new TForm(nullptr);
    form_->SetBorderStyle(TFormBorderStyle::bsNone);
    EXPECT_TRUE(form_->SetBounds(40, 40, 560, 300).Alive());
    tabs_ = {};
    formLife_ = form_->LifeWatch();
    control_ = new TPcPageControl(form_);
    EXPECT_TRUE(control_->SetBounds(10, 40, 400, 200).Alive());
    EXPECT_TRUE(control_->SetParent(form_).Alive());
    controlLife_ = control_->LifeWatch();
    // A change's handlers may free the page coming or the page being left (the active one, also while it is
    // being deleted).
    control_->OnChanging = [this](TObject*, TPcTabSheet* page, bool& allow) {
      TPcTabSheet* leaving = Control() ? Control()->ActivePage() : nullptr;
      leaving_ = {leaving, leaving ? leaving->LifeWatch() : TLifeWatch()};
      Chaos("OnChanging", page, &allow, leaving);
    };
    control_->OnChange = [this](TObject*) {
      const auto [left, life] = leaving_;
      Chaos("OnChange", Control() ? Control()->ActivePage() : nullptr, nullptr, life.Ended() ? nullptr : left);
    };
    // The handlers already run while the world is built, and may free the form.
    for (int i = 0; i < 3 && FormLives(); ++i) AddPage();
    if (!FormLives()) return;
    combo_ = new TComboForChecks(form_);
    EXPECT_TRUE(combo_->SetBounds(10, 10, 150, 22).Alive());
    EXPECT_TRUE(combo_->SetParent(form_).Alive());
    comboLife_ = combo_->LifeWatch();
    for (const wchar_t* item : {L"alpha", L"beta", L"gamma"}) combo_->Items()->Add(item);
    WireBox(combo_);
    address_ = new TAddressBox(form_);
    EXPECT_TRUE(address_->SetBounds(170, 10, 300, 22).Alive());
    EXPECT_TRUE(address_->SetParent(form_).Alive());
    addressLife_ = address_->LifeWatch();
    for (const wchar_t* url : {L"http://one.example/", L"http://two.example/"}) address_->Items()->Add(url);
    address_->OnUrlSelected = [this](TObject*, String) { Chaos("OnUrlSelected", nullptr); };
    WireBox(address_);
    for (int i = 0; i < 3 && FormLives(); ++i) AddTab();
    if (!FormLives()) return;
    ExpectTruthful(form_, [this] { return form_->Show(); });
    if (!FormLives()) return;
    SetForegroundWindow(form_->Handle());
    ProcessPendingMessages();
  }
  void AddPage() {
    TPcPageControl* control = Control();
    if (!control) return;
    auto* page = new TPcTabSheet(form_);
    EXPECT_TRUE(page->SetCaption(L"Page " + std::to_wstring(nextPage_++)).Alive());
    page->OnShow = [this, page, life = page->LifeWatch()](TObject*) {
      if (!life.Ended()) Chaos("OnShow", page);
    };
    page->OnHide = [this, page, life = page->LifeWatch()](TObject*) {
      if (!life.Ended()) Chaos("OnHide", page);
    };
    // Joining may activate the page, whose handlers may free anything.
    ExpectTruthful(page, [page, control] { return page->SetPageControl(control); });
  }
  TTabButton* Tab(std::size_t place) const {
    const auto& [tab, life] = tabs_[place];
    return tab && !life.Ended() ? tab : nullptr;
  }
  std::vector<TTabButton*> LivingTabs() const {
    std::vector<TTabButton*> living;
    for (std::size_t place = 0; place < tabs_.size(); ++place)
      if (TTabButton* tab = Tab(place)) living.push_back(tab);
    return living;
  }
  TTabButton* PickTab() {
    const std::vector<TTabButton*> living = LivingTabs();
    return living.empty() ? nullptr : living[Below(static_cast<unsigned>(living.size()))];
  }
  // A tab button in the first empty place of the row along the form's foot.
  void AddTab() {
    if (!FormLives()) return;
    for (std::size_t place = 0; place < tabs_.size(); ++place) {
      if (Tab(place)) continue;
      auto* tab = new TTabButton(form_);
      EXPECT_TRUE(tab->SetBounds(10 + 100 * static_cast<int>(place), 255, 96, 24).Alive());
      EXPECT_TRUE(tab->SetCaption(L"Tab " + std::to_wstring(nextTab_)).Alive());
      tab->SetTabIndex(nextTab_++);
      const TLifeWatch life = tab->LifeWatch();
      tabs_[place] = {tab, life};
      auto handler = [this, tab, life](const char* event) {
        return [this, tab, life, event](TObject*) {
          if (!life.Ended()) TabChaos(event, tab);
        };
      };
      // As the main window does, a clicked tab goes down, which raises the tab-down procedure.
      tab->OnClick = [this, tab, life](TObject*) {
        tab->SetDown(true);
        if (!life.Ended()) TabChaos("OnClick of a tab button", tab);
      };
      tab->OnMiddleClick = handler("OnMiddleClick");
      tab->OnRightClick = handler("OnRightClick");
      EXPECT_TRUE(tab->SetParent(form_).Alive());
      return;
    }
  }
  void TabChaos(const char* event, TTabButton* tab) {
    TTabButton* const outer = std::exchange(eventTab_, tab);
    struct TRestore {
      TTabButton*& slot;
      TTabButton* value;
      ~TRestore() { slot = value; }
    } restore{eventTab_, outer};
    Chaos(event, nullptr);
  }

 public:
  // What the main window's procedure does when a tab goes down: every other tab comes up.
  void TabWentDown(int tabIndex) {
    TTabButton* down = nullptr;
    for (TTabButton* tab : LivingTabs()) {
      if (tab->TabIndex() == tabIndex)
        down = tab;
      else if (tab->Down())
        tab->SetDown(false);
    }
    if (down) TabChaos("the tab-down procedure", down);
  }

 private:
  void WireBox(TCustomComboBox* box) {
    box->OnChange = [this](TObject*) { Chaos("OnChange of a box", nullptr); };
    box->OnKeyPress = [this](TObject*, wchar_t&) { Chaos("OnKeyPress", nullptr); };
    box->OnDropDown = [this](TObject*) { Chaos("OnDropDown", nullptr); };
  }

  // ---- the handlers

  void Chaos(const char* event, TPcTabSheet* page, bool* allow = nullptr, TPcTabSheet* leaving = nullptr) {
    if (acting_ || !Chance(5)) return;
    acting_ = true;
    struct TActing {
      bool& acting;
      ~TActing() { acting = false; }
    } leave{acting_};
    Deed(event, page, allow, leaving);
  }
  void Deed(const char* event, TPcTabSheet* page, bool* allow, TPcTabSheet* leaving = nullptr) {
    static const char* const deeds[] = {"frees the page",
                                        "frees the page control",
                                        "frees the combo box",
                                        "frees the address box",
                                        "frees the form",
                                        "frees its tab button",
                                        "frees another tab button",
                                        "frees the page being left",
                                        "raises",
                                        "refuses"};
    const unsigned deed = Below(allow ? 10 : 9);
    if (tracing_) {
      std::fprintf(stderr, "  %s %s\n", event, deeds[deed]);
      std::fflush(stderr);
    }
    switch (deed) {
      case 0:
        delete page;
        break;
      case 1:
        delete Control();
        break;
      case 2:
        delete Combo();
        break;
      case 3:
        delete Address();
        break;
      case 4:
        if (FormLives()) delete form_;
        break;
      case 5:
        delete (eventTab_ ? eventTab_ : PickTab());
        break;
      case 6:
        delete PickTab();
        break;
      case 7:
        delete leaving;
        break;
      case 8:
        if (raising_) throw EChaos();
        break;
      default:
        *allow = false;
    }
  }

  // ---- the steps

  void Step() {
    switch (Below(15)) {
      case 12:
      case 13:
        ClickATabButton();
        return;
      case 14:
        Say(Chance(2) ? "a tab button added" : "a tab button deleted");
        if (current_ == "a tab button added")
          AddTab();
        else
          delete PickTab();
        return;
      case 0:
      case 1:
        ClickATab();
        return;
      case 2:
        Say("Right or Left on the page control");
        if (TPcPageControl* control = Control(); control && control->CanFocus()) {
          ExpectTruthful(control, [control] { return control->SetFocus(); });
          ProcessPendingMessages();
          TypeAndSettle(Chance(2) ? VK_RIGHT : VK_LEFT);
        }
        return;
      case 3:
        Say("a page added");
        AddPage();
        return;
      case 4:
        Say(Chance(2) || !Control() ? "a page deleted" : "the active page deleted");
        if (current_ == "the active page deleted")
          delete Control()->ActivePage();
        else
          delete PickPage();
        return;
      case 5:
        Say("a page moved");
        if (TPcTabSheet* page = PickPage())
          page->SetPageIndex(static_cast<int>(Below(static_cast<unsigned>(Control()->PageCount()))));
        return;
      case 6:
        Say("a page activated by a call");
        if (TPcTabSheet* page = PickPage())
          ExpectTruthful(Control(), [this, page] { return Control()->SetActivePage(page); });
        return;
      case 7:
      case 8:
        Keys(Combo(), "the combo box");
        return;
      case 9:
      case 10:
        Keys(Address(), "the address box");
        return;
      default:
        Say("a deed outside any handler");
        Deed("a step", PickPage(), nullptr);
        return;
    }
  }

  void ClickATab() {
    TPcPageControl* control = Control();
    TPcTabSheet* page = PickPage();
    TPcPageControlButton* button = page ? control->Painter()->ButtonOf(page) : nullptr;
    if (!button) {
      Say("a click on no tab");
      return;
    }
    Say("a click on a tab");
    const RECT tab = button->Rect();
    ClickAndSettle(control->ClientToScreen(POINT{(tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2}));
  }

  // A left, middle or right click on a tab button, or two quickly (the second a double click).
  void ClickATabButton() {
    TTabButton* tab = PickTab();
    if (!tab || !FormLives()) {
      Say("a click on no tab button");
      return;
    }
    static const struct {
      const char* Name;
      DWORD Press, Release, Key;
    } buttons[] = {{"left", MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, VK_LBUTTON},
                   {"middle", MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP, VK_MBUTTON},
                   {"right", MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP, VK_RBUTTON}};
    const auto& button = buttons[Below(3)];
    const bool twice = Chance(3);
    Say(std::string(twice ? "a quick double " : "a ") + button.Name + " click on a tab button");
    const POINT at = form_->ClientToScreen(POINT{tab->Left() + tab->Width() / 2, tab->Top() + tab->Height() / 2});
    SendMouseClick(at, button.Press, button.Release);
    if (twice) SendMouseClick(at, button.Press, button.Release);
    ProcessPendingMessages();
    PumpUntil([&button] { return !(GetAsyncKeyState(static_cast<int>(button.Key)) & 0x8000); });
    ProcessPendingMessages();
  }

  // Typing, F4 (the list down and up again), Down, Enter or Escape in a box's edit window.
  void Keys(TCustomComboBox* box, const char* which) {
    if (!box || !box->CanFocus()) {
      Say(std::string("keys to ") + which + ", gone or hidden");
      return;
    }
    static const WORD keys[] = {'A', 'B', VK_F4, VK_DOWN, VK_RETURN, VK_ESCAPE, VK_BACK};
    const WORD key = keys[Below(std::size(keys))];
    Say(std::string("key ") + std::to_string(key) + " to " + which);
    SetForegroundWindow(form_->Handle());
    ExpectTruthful(box, [box] { return box->SetFocus(); });
    ProcessPendingMessages();
    TypeAndSettle(key);
  }

  // Closes a list a step left open and serves what the step left queued.
  void Settle() {
    for (TCustomComboBox* box : {Combo(), static_cast<TCustomComboBox*>(Address())})
      if (box && box->HandleAllocated() && box->DroppedDown()) SendMessageW(box->Handle(), CB_SHOWDROPDOWN, FALSE, 0);
    ProcessPendingMessages();
  }

  // ---- the checks

  std::string Check() {
    if (!FormLives()) return {};
    if (TPcPageControl* control = Control()) {
      TPcTabSheet* active = control->ActivePage();
      bool found = active == nullptr;
      for (int i = 0; i < control->PageCount(); ++i) {
        TPcTabSheet* page = control->Pages(i);
        if (page == active) found = true;
        if (page->PageControl() != control) return "a page of the control names another control";
        if (page->HandleAllocated() && IsWindowVisible(page->Handle()) && page != active)
          return "a page that is not the active one shows";
      }
      if (!found) return "the active page is not one of the control's pages";
    }
    for (TCustomComboBox* box : {Combo(), static_cast<TCustomComboBox*>(Address())})
      if (box && box->HandleAllocated() && box->DroppedDown()) return "a list stays dropped down";
    int down = 0;
    for (TTabButton* tab : LivingTabs()) {
      if (tab->Parent() != form_) return "a tab button left its form";
      if (tab->Down()) ++down;
    }
    if (down > 1) return std::to_string(down) + " tab buttons are down";
    if (GetCapture()) return "a window keeps the mouse after the click";
    return {};
  }

  TForm* form_ = nullptr;
  TLifeWatch formLife_;
  TPcPageControl* control_ = nullptr;
  TLifeWatch controlLife_;
  TComboForChecks* combo_ = nullptr;
  TLifeWatch comboLife_;
  TAddressBox* address_ = nullptr;
  TLifeWatch addressLife_;
  int nextPage_ = 1;
  // The tab buttons' places, each empty or holding a tab that may have been freed since.
  std::array<std::pair<TTabButton*, TLifeWatch>, 5> tabs_{};
  int nextTab_ = 1;
  TTabButton* eventTab_ = nullptr;
  // The page active when the last change was asked for.
  std::pair<TPcTabSheet*, TLifeWatch> leaving_{};
  bool acting_ = false;
  bool raising_ = true;
  std::string current_;
  const bool tracing_ = EnvironmentNumber("CONTROLS_MODEL_TRACE", 0) != 0;
};

TControlsModelCheck* runningCheck = nullptr;

void WINAPI TabWentDown(int tabIndex) {
  if (runningCheck) runningCheck->TabWentDown(tabIndex);
}

TEST(ControlsModelCheck, HandlersThatFreeOrRaiseLeaveThePagesAndBoxesWhole) {
  const auto [runs, firstRun, steps, guard] = ModelCheckCounts("CONTROLS", 2, 40);
  POINT savedCursor{};
  GetCursorPos(&savedCursor);
  for (unsigned run = firstRun; run < firstRun + runs; ++run) {
    SCOPED_TRACE(testing::Message() << "run " << run);
    std::string fault;
    {
      std::optional<TGuardedAllocations> guarded;
      if (guard) guarded.emplace();
      TControlsModelCheck check(run);
      const TErrorsReportedTo reported(check);
      runningCheck = &check;
      const TTabButtonDownProc previous = std::exchange(TabButtonDownProc, &TabWentDown);
      fault = check.Run(steps);
      TabButtonDownProc = previous;
      runningCheck = nullptr;
    }
    ASSERT_EQ(fault, "");
  }
  SetCursorPos(savedCursor.x, savedCursor.y);
}

}  // namespace
