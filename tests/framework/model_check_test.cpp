// A random model check of forms, each run numbered: forms owning forms, boxes, edits and buttons owned by one form
// and placed on another, timers, action lists whose actions drive controls of other forms, pop-up menus, forms
// shown modally from a step and from a handler, focus moves, resizes, closes, and real input (clicks, quick double
// clicks, right clicks, drags, keys, Alt+F4). Every handler (a control's OnClick, OnMouseDown, OnMouseUp,
// OnMouseMove, OnResize, OnCanResize, OnEnter, OnExit, OnKeyDown, an edit's OnChange, a form's OnActivate,
// OnDeactivate, OnShow, OnHide, OnClose and OnCloseQuery, OnTimer, an action's OnExecute and OnUpdate, a menu's
// OnPopup and its items' OnClick, Screen's OnActiveFormChange and OnActiveControlChange) may, at random, free its
// sender, the sender's parent, form or owner, another form, close its form with caFree, raise, move the sender to
// another parent, open a modal form or refuse. While a modal form or a menu runs, input from inside its loop
// clicks, types, closes, frees or ends it. After every step what lives is whole: every object answers, parents list
// their children and owners their components, each form's active control, Screen's active form and control live,
// Screen counts the forms, nothing is modal or tracking any more, and no window keeps the mouse. A failure names
// its run and step and the steps before it.
// FORMS_MODEL_RUNS, FORMS_MODEL_FIRST_RUN, FORMS_MODEL_STEPS and FORMS_MODEL_GUARD (0: allocations unguarded, 1:
// guarded, the default) make a longer run; FORMS_MODEL_TRACE=1 prints each step and deed as it happens.
#include "support/model_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "framework/actions.h"
#include "framework/application.h"
#include "framework/control_action_link.h"
#include "framework/edit.h"
#include "framework/form.h"
#include "framework/graphics.h"
#include "framework/menus.h"
#include "framework/screen.h"
#include "framework/speed_button.h"
#include "framework/timer.h"
#include "support/fault_recorder.h"
#include "support/hostile_input.h"
#include "support/message_pump.h"
#include "support/modal_input.h"

namespace {

// A windowed control that holds others and fills itself with its colour.
class TBoxForChecks : public TCustomControl {
  BC_CLASS(TBoxForChecks, TCustomControl)
  explicit TBoxForChecks(TComponent* owner) : TCustomControl(owner) {
    SetControlStyle(ControlStyle() + TControlStyleItem::csAcceptsControls);
    SetTabStop(true);
  }

 protected:
  TRaised Paint() override {
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
    return TRaised(true);
  }
};

enum class TKind { Form, Box, Edit, Button, Timer, ActionList, Action, Menu, MenuItem };
const char* const kKindNames[] = {"form",        "box",    "edit", "button",   "timer",
                                  "action list", "action", "menu", "menu item"};

// Something the check made, with its life: a handler may free it at any time.
struct TMade {
  TComponent* Object;
  TLifeWatch Life;
  TKind Kind;
};

// A form shown modally, how often the input from inside its loop acted on it, and the menu whose loop it runs in.
struct TModal {
  TCustomForm* Form;
  TLifeWatch Life;
  int Tries;
  HWND MenuBelow;
};

constexpr int kMaxForms = 5;
constexpr int kMaxControls = 24;

class TFormsModelCheck : public TModelCheckRun {
 public:
  explicit TFormsModelCheck(unsigned run) : TModelCheckRun(run) {}
  ~TFormsModelCheck() {
    StopLoopInput();
    quiet_ = true;
    Screen->OnActiveFormChange = nullptr;
    Screen->OnActiveControlChange = nullptr;
    // The forms no other form owns take every other object with them.
    for (const TMade& made : made_)
      if (made.Kind == TKind::Form && !made.Life.Ended() && !made.Object->Owner()) delete made.Object;
    for (const TMade& made : made_)
      if (!made.Life.Ended()) delete made.Object;
    ProcessPendingMessages();
  }

  std::string Run(unsigned steps) {
    formsBefore_ = Screen->FormCount();
    Screen->OnActiveFormChange = [this](TObject*) { Chaos("Screen's OnActiveFormChange", Screen->ActiveForm()); };
    Screen->OnActiveControlChange = [this](TObject*) {
      Chaos("Screen's OnActiveControlChange", Screen->ActiveControl());
    };
    for (step_ = 0; step_ < steps; ++step_) {
      StartLoopInput();
      std::string name;
      bool added = false;
      name = Attempt([this, &added] { added = TopUp(); });
      if (added) name += "the world topped up; ";
      name += Attempt([this] { Step(); });
      Settle();
      Remember(name);
      std::string fault = TakeFaultReport();
      if (fault.empty()) fault = Check();
      if (fault.empty() && !unexpected_.empty()) fault = unexpected_;
      if (!fault.empty()) {
        Trace("fault: " + fault);
        return fault + "\nat step " + std::to_string(step_) + "; the steps before:\n" + History();
      }
      std::erase_if(made_, [](const TMade& made) { return made.Life.Ended(); });
    }
    return {};
  }

 private:
  // ---- what lives

  std::vector<TComponent*> Living(TKind kind) const {
    std::vector<TComponent*> living;
    for (const TMade& made : made_)
      if (made.Kind == kind && !made.Life.Ended()) living.push_back(made.Object);
    return living;
  }
  std::vector<TControl*> LivingControls() const {
    std::vector<TControl*> living;
    for (TKind kind : {TKind::Box, TKind::Edit, TKind::Button})
      for (TComponent* control : Living(kind)) living.push_back(static_cast<TControl*>(control));
    return living;
  }
  // Compares addresses only: what is gone is not read.
  const TMade* Find(const void* object) const {
    for (const TMade& made : made_)
      if (made.Object == object && !made.Life.Ended()) return &made;
    return nullptr;
  }
  bool Lives(const void* object) const { return Find(object) != nullptr; }
  template <class T>
  T* Pick(TKind kind) {
    const std::vector<TComponent*> living = Living(kind);
    return living.empty() ? nullptr : static_cast<T*>(living[Below(static_cast<unsigned>(living.size()))]);
  }
  TForm* PickForm() { return Pick<TForm>(TKind::Form); }
  TControl* PickControl() {
    const std::vector<TControl*> living = LivingControls();
    return living.empty() ? nullptr : living[Below(static_cast<unsigned>(living.size()))];
  }
  // A form or a box that control may move onto without holding itself.
  TWinControl* PickContainer(const TControl* control) {
    std::vector<TWinControl*> containers;
    for (TKind kind : {TKind::Form, TKind::Box})
      for (TComponent* object : Living(kind)) {
        auto* container = static_cast<TWinControl*>(object);
        const auto* windowed = ObjectAs<TWinControl>(const_cast<TControl*>(control));
        // A form or box whose deletion runs takes no control in, as an application that asks knows.
        if (container != control && !container->IsDestroying() && !(windowed && windowed->ContainsControl(container)))
          containers.push_back(container);
      }
    return containers.empty() ? nullptr : containers[Below(static_cast<unsigned>(containers.size()))];
  }
  TWinControl* BoxInside(const TControl* control) const {
    const auto* windowed = ObjectAs<TWinControl>(const_cast<TControl*>(control));
    for (TComponent* box : Living(TKind::Box))
      if (windowed && box != windowed && windowed->ContainsControl(static_cast<TWinControl*>(box)))
        return static_cast<TWinControl*>(box);
    return nullptr;
  }
  TComponent* PickAnything() {
    std::vector<TComponent*> living;
    for (const TMade& made : made_)
      if (!made.Life.Ended()) living.push_back(made.Object);
    return living.empty() ? nullptr : living[Below(static_cast<unsigned>(living.size()))];
  }
  void Made(TComponent* object, TKind kind) { made_.push_back({object, object->LifeWatch(), kind}); }

  template <class Work>
  std::string Attempt(Work work) {
    current_.clear();
    try {
      work();
      return current_;
    } catch (const EChaos&) {
      return current_ + " (raised)";
    } catch (const Exception& e) {
      if (unexpected_.empty()) unexpected_ = "an exception left the step: " + std::string(e.what());
      return current_ + " (failed)";
    }
  }

  void Say(const std::string& name) {
    current_ = name;
    Trace("step " + std::to_string(step_) + ": " + name);
  }
  void Trace(const std::string& line) {
    if (!tracing_) return;
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
  }

  // ---- the world

  // The handlers' deeds empty the world fast: each step starts from one with something to act on. What is missing
  // is made, and the new forms shown, with the handlers quiet (else they would empty it again as it is made); the
  // step and the handlers it raises do the rest.
  bool TopUp() {
    quiet_ = true;
    struct TWake {
      bool& quiet;
      ~TWake() { quiet = false; }
    } wake{quiet_};
    const size_t before = made_.size();
    std::vector<TForm*> added;
    while (Living(TKind::Form).size() < 3)
      if (TForm* form = AddForm()) added.push_back(form);
    for (int i = 0; i < 8 && LivingControls().size() < 6; ++i) AddControl();
    if (Living(TKind::Timer).empty()) AddTimer();
    if (Living(TKind::Action).empty()) AddAction();
    if (Living(TKind::Menu).empty()) AddMenu();
    for (TForm* form : added)
      if (Lives(form)) (void)form->Show();
    ProcessPendingMessages();
    return made_.size() != before;
  }

  TForm* AddForm() {
    if (Living(TKind::Form).size() >= kMaxForms) return nullptr;
    // Forms owning forms: an owned form goes with its owner.
    TComponent* owner = Chance(2) ? PickForm() : nullptr;
    auto* form = new TForm(owner);
    Made(form, TKind::Form);
    static const TFormBorderStyle styles[] = {TFormBorderStyle::bsSizeable, TFormBorderStyle::bsSingle,
                                              TFormBorderStyle::bsDialog, TFormBorderStyle::bsToolWindow};
    form->SetBorderStyle(styles[Below(4)]);
    const int place = static_cast<int>(nextForm_++ % 4);
    (void)form->SetBounds(10 + place % 2 * 620, 10 + place / 2 * 480, 600, 460);
    (void)form->SetCaption(L"Form " + std::to_wstring(nextForm_));
    WireControl(form);
    form->OnActivate = [this, form](TObject*) { Chaos("OnActivate", form); };
    form->OnDeactivate = [this, form](TObject*) { Chaos("OnDeactivate", form); };
    form->OnShow = [this, form](TObject*) { Chaos("OnShow", form); };
    form->OnHide = [this, form](TObject*) { Chaos("OnHide", form); };
    form->OnCloseQuery = [this, form](TObject*, bool& canClose) { Chaos("OnCloseQuery", form, &canClose); };
    form->OnClose = [this, form](TObject*, TCloseAction& action) {
      if (std::find(closingWithFree_.begin(), closingWithFree_.end(), form) != closingWithFree_.end())
        action = TCloseAction::caFree;
      Chaos("OnClose", form, nullptr, &action);
    };
    return form;
  }

  // A box, an edit or a button, owned by one form and, often, placed on another or in a box.
  TControl* AddControl() {
    if (LivingControls().size() >= kMaxControls) return nullptr;
    TForm* owner = PickForm();
    if (!owner) return nullptr;
    TControl* control = nullptr;
    SIZE size{80, 28};
    switch (Below(3)) {
      case 0:
        control = new TBoxForChecks(owner);
        Made(control, TKind::Box);
        size = {120 + static_cast<int>(Below(100)), 80 + static_cast<int>(Below(80))};
        break;
      case 1:
        control = new TEdit(owner);
        Made(control, TKind::Edit);
        size = {120, 24};
        static_cast<TEdit*>(control)->OnChange = [this, control](TObject*) { Chaos("OnChange", control); };
        break;
      default:
        control = new TSpeedButton(owner);
        Made(control, TKind::Button);
        (void)control->SetCaption(L"&Button");
        break;
    }
    WireControl(control);
    // Sizing and joining a parent (which shows the control) raise handlers, which may free anything, the control
    // among them.
    const TLifeWatch life = control->LifeWatch();
    (void)control->SetBounds(static_cast<int>(Below(400)), static_cast<int>(Below(350)), size.cx, size.cy);
    if (life.Ended()) return nullptr;
    if (TWinControl* parent = Chance(4) ? PickContainer(control) : owner; parent) (void)control->SetParent(parent);
    return life.Ended() ? nullptr : control;
  }

  void WireControl(TControl* control) {
    control->OnClick = [this, control](TObject*) { Chaos("OnClick", control); };
    control->OnMouseDown = [this, control](TObject*, TMouseButton, TShiftState, int, int) {
      Chaos("OnMouseDown", control);
    };
    control->OnMouseUp = [this, control](TObject*, TMouseButton, TShiftState, int, int) {
      Chaos("OnMouseUp", control);
    };
    // Moves come in numbers the display server chooses: only the first after a step asked for them acts.
    control->OnMouseMove = [this, control](TObject*, TShiftState, int, int) {
      if (std::exchange(movesArmed_, false)) Chaos("OnMouseMove", control);
    };
    control->OnResize = [this, control](TObject*) { Chaos("OnResize", control); };
    control->OnCanResize = [this, control](TObject*, int&, int&, bool& resize) {
      Chaos("OnCanResize", control, &resize);
    };
    if (auto* windowed = ObjectAs<TWinControl>(control)) {
      windowed->OnEnter = [this, control](TObject*) { Chaos("OnEnter", control); };
      windowed->OnExit = [this, control](TObject*) { Chaos("OnExit", control); };
      windowed->OnKeyDown = [this, control](TObject*, WORD&, TShiftState) { Chaos("OnKeyDown", control); };
    }
  }

  // Timers run once each time a step or the input inside a loop starts them.
  void AddTimer() {
    TForm* owner = PickForm();
    if (!owner || Living(TKind::Timer).size() >= 4) return;
    auto* timer = new TTimer(owner);
    Made(timer, TKind::Timer);
    timer->SetEnabled(false);
    timer->SetInterval(1);
    timer->SetOnTimer([this, timer](TObject*) {
      timer->SetEnabled(false);
      ++timerTicks_;
      Chaos("OnTimer", timer);
    });
  }
  void StartTimer(TTimer* timer) {
    if (timer) timer->SetEnabled(true);
  }

  // An action in a list of one form, often bound to a control of another form.
  void AddAction() {
    TForm* owner = PickForm();
    if (!owner || Living(TKind::Action).size() >= 6) return;
    auto* list = Living(TKind::ActionList).size() < 3 || Chance(3) ? nullptr : Pick<TActionList>(TKind::ActionList);
    if (!list) {
      list = new TActionList(owner);
      Made(list, TKind::ActionList);
    }
    auto* action = new TAction(list->Owner());
    Made(action, TKind::Action);
    action->SetCaption(L"&Action");
    action->SetActionList(list);
    action->SetOnExecute([this, action](TObject*) { Chaos("OnExecute", action); });
    action->SetOnUpdate([this, action](TObject*) { Chaos("OnUpdate", action); });
    BindAction(action);
  }
  void BindAction(TAction* action) {
    // An edit shows the action's caption as its text.
    TControl* control = PickControl();
    if (action && control && !control->Is<TEdit>()) (void)control->SetAction(action);
  }

  void AddMenu() {
    TForm* owner = PickForm();
    if (!owner || Living(TKind::Menu).size() >= 3) return;
    auto* menu = new TPopupMenu(owner);
    Made(menu, TKind::Menu);
    menu->OnPopup = [this, menu](TObject*) { Chaos("OnPopup", menu); };
    for (int i = 0; i < 3; ++i) {
      auto* item = new TMenuItem(owner);
      Made(item, TKind::MenuItem);
      item->SetCaption(L"Item " + std::to_wstring(i + 1));
      item->OnClick = [this, item](TObject*) { Chaos("OnClick of a menu item", item); };
      menu->Items()->Add(item);
    }
    for (int i = 0; i < 2; ++i)
      if (TControl* control = PickControl()) control->SetPopupMenu(menu);
  }

  // ---- the handlers

  void Chaos(const char* event, TComponent* sender, bool* refuse = nullptr, TCloseAction* close = nullptr) {
    if (quiet_ || acting_ >= 2 || !Chance(6)) return;
    ++acting_;
    struct TActing {
      int& acting;
      ~TActing() { --acting; }
    } leave{acting_};
    Deed(event, sender, refuse, close);
  }

  // The form a handler's sender belongs to: a control's form, a form itself, else the form that owns it.
  static TCustomForm* FormOf(TComponent* sender) {
    if (!sender) return nullptr;
    if (auto* control = ObjectAs<TControl>(sender))
      if (TCustomForm* form = GetParentForm(control)) return form;
    for (TComponent* owner = sender; owner; owner = owner->Owner())
      if (auto* form = ObjectAs<TCustomForm>(owner)) return form;
    return nullptr;
  }
  // A control's parent, an action's list, a menu item's parent item (or its menu), else the owner.
  TComponent* ParentOf(TComponent* sender) const {
    if (!sender) return nullptr;
    if (auto* control = ObjectAs<TControl>(sender); control && control->Parent()) return control->Parent();
    if (auto* action = ObjectAs<TContainedAction>(sender); action && action->ActionList()) return action->ActionList();
    if (auto* item = ObjectAs<TMenuItem>(sender); item && item->Parent()) {
      for (TComponent* menu : Living(TKind::Menu))
        if (static_cast<TPopupMenu*>(menu)->Items() == item->Parent()) return menu;
      return item->Parent();
    }
    return sender->Owner();
  }
  // Frees what the check made and still lives; nothing else (Screen, the application, a menu's own root item).
  void Free(TComponent* object) {
    if (!Lives(object)) return;
    delete object;
  }

  void Deed(const char* event, TComponent* sender, bool* refuse, TCloseAction* close) {
    static const char* const deeds[] = {"frees its sender",
                                        "frees the sender's parent",
                                        "frees the sender's form",
                                        "frees another form",
                                        "frees the sender's owner",
                                        "closes the sender's form with caFree",
                                        "raises",
                                        "moves the sender to another parent",
                                        "opens a modal form",
                                        "refuses"};
    // Screen's active form or control may be one a handler freed meanwhile.
    if (!Lives(sender)) sender = nullptr;
    const unsigned deed = Below(refuse || close ? 10 : 9);
    Trace(std::string("  ") + event + " " + deeds[deed] + " [" + KindName(sender) + "]");
    switch (deed) {
      case 0:
        Free(sender);
        break;
      case 1:
        Free(ParentOf(sender));
        break;
      case 2:
        Free(FormOf(sender));
        break;
      case 3:
        Free(PickForm());
        break;
      case 4:
        if (sender) Free(sender->Owner());
        break;
      case 5:
        if (close) {
          *close = TCloseAction::caFree;
        } else if (TCustomForm* form = FormOf(sender); form && Lives(form)) {
          CloseWithFree(form);
        }
        break;
      case 6:
        throw EChaos();
      case 7:
        MoveToAnotherParent(sender);
        break;
      case 8:
        OpenModal(nullptr);
        break;
      default:
        if (refuse) *refuse = false;
        if (close) *close = TCloseAction::caNone;
        break;
    }
  }

  void CloseWithFree(TCustomForm* form) {
    closingWithFree_.push_back(form);
    struct TForget {
      std::vector<TCustomForm*>& closing;
      ~TForget() { closing.pop_back(); }
    } forget{closingWithFree_};
    (void)form->Close();
  }

  void MoveToAnotherParent(TComponent* sender) {
    if (auto* control = ObjectAs<TControl>(sender); control && !control->Is<TCustomForm>() && Lives(control)) {
      // Now and then onto a box inside it, which the framework refuses.
      if (TWinControl* inside = Chance(6) ? BoxInside(control) : nullptr) {
        Trace("  the move is onto a box inside the sender");
        try {
          (void)control->SetParent(inside);
        } catch (const EInvalidOperation&) {
          return;
        }
        if (unexpected_.empty()) unexpected_ = "a control went onto a box inside it";
        return;
      }
      if (TWinControl* parent = PickContainer(control)) (void)control->SetParent(parent);
    } else if (auto* action = ObjectAs<TContainedAction>(sender); action && Lives(action)) {
      action->SetActionList(Pick<TActionList>(TKind::ActionList));
    }
  }

  // A hidden form that may be shown: one whose OnShow or OnHide runs may not change its visibility, the framework
  // says so.
  TCustomForm* PickHiddenForm() {
    std::vector<TCustomForm*> hidden;
    for (TComponent* object : Living(TKind::Form)) {
      auto* form = static_cast<TCustomForm*>(object);
      if (!form->Visible() && form->Enabled() && !form->FormState().Contains(TFormStateItem::fsModal) &&
          !form->FormState().Contains(TFormStateItem::fsShowing))
        hidden.push_back(form);
    }
    return hidden.empty() ? nullptr : hidden[Below(static_cast<unsigned>(hidden.size()))];
  }

  // Shows a hidden form modally (a new one when none is hidden); input from inside the loop ends it.
  void OpenModal(TCustomForm* form) {
    if (modals_.size() >= 2) return;
    if (!form) {
      TCustomForm* hidden = PickHiddenForm();
      form = hidden ? hidden : AddForm();
    }
    if (!form) return;
    Trace("  a modal loop begins");
    modals_.push_back({form, form->LifeWatch(), 0, ShowingMenu()});
    struct TLeave {
      std::vector<TModal>& modals;
      ~TLeave() { modals.pop_back(); }
    } leave{modals_};
    form->ShowModal();
    Trace("  a modal loop ended");
  }

  // ---- input from inside the loops (a modal form's, a menu's)

  void StartLoopInput() {
    loopInputOn_ = std::make_shared<bool>(true);
    menuTries_ = 0;
    ScheduleLoopInput();
  }
  void StopLoopInput() {
    if (loopInputOn_) *loopInputOn_ = false;
  }
  void ScheduleLoopInput() {
    // The next turn is asked for first: what this turn does may enter a loop of its own, which needs input too.
    PostInputFromLoop(
        [this, on = loopInputOn_] {
          if (!*on) return;
          ScheduleLoopInput();
          try {
            LoopInput();
          } catch (const EChaos&) {
          } catch (const Exception& e) {
            Unexpected(e);
          }
        },
        10);
  }
  static HWND ShowingMenu() {
    HWND menu = FindWindowW(L"#32768", nullptr);
    return menu && IsWindowVisible(menu) ? menu : nullptr;
  }
  void LoopInput() {
    // The input of the turn before is served first, so that each turn meets the loop as the one before left it;
    // a loop that leaves input waiting (for a window it disabled) is not waited for long.
    static const int keys[] = {VK_LBUTTON, VK_RBUTTON, VK_MENU, VK_TAB, 'A', VK_F4, VK_DOWN, VK_RETURN, VK_ESCAPE};
    bool pending = (GetQueueStatus(QS_INPUT) & 0xFFFF0000u) != 0;
    for (int key : keys) pending = pending || (GetAsyncKeyState(key) & 0x8000) != 0;
    if (pending && ++turnsWaited_ < 5) return;
    turnsWaited_ = 0;
    TModal* modal = modals_.empty() ? nullptr : &modals_.back();
    if (modal && (modal->Life.Ended() || !modal->Form->FormState().Contains(TFormStateItem::fsModal))) modal = nullptr;
    // A menu that runs inside the modal loop is served first; so is one whose loop the modal form runs in, once
    // the form is gone or given up.
    if (HWND menu = ShowingMenu(); menu && (!modal || modal->MenuBelow != menu || modal->Tries > 12)) {
      MenuInput();
      return;
    }
    menuTries_ = 0;
    if (!modal) return;
    TCustomForm* form = modal->Form;
    if (++modal->Tries > 12) {
      Trace("  the modal form is freed from inside its loop");
      Free(form);
      return;
    }
    if (modal->Tries > 8) {
      Trace("  the modal form is given a result from inside its loop");
      form->SetModalResult(mrCancel);
      return;
    }
    switch (Below(8)) {
      case 0:
        if (TControl* control = ShowingControlOf(form)) {
          Trace("  a click inside the modal loop");
          SendMouseClick(Centre(control));
        }
        break;
      case 1:
        Trace("  a key inside the modal loop");
        SendKeyPress(Chance(2) ? VK_TAB : 'A');
        break;
      case 2:
        Trace("  Alt+F4 inside the modal loop");
        SendAltF4();
        break;
      case 3:
        Trace("  the modal form is given a result");
        form->SetModalResult(mrOk);
        break;
      case 4:
        Trace("  the modal form is closed");
        (void)form->Close();
        break;
      case 5:
        Chaos("input inside the modal loop", form);
        break;
      case 6:
        Trace("  a timer started inside the modal loop");
        StartTimer(Pick<TTimer>(TKind::Timer));
        break;
      default:
        break;
    }
  }
  void MenuInput() {
    // A window's own menu (a key the platform took for the menu key) is only closed: its Move and Size start a
    // loop that waits for a window manager, which the test's display has not.
    HMENU shown = reinterpret_cast<HMENU>(SendMessageW(ShowingMenu(), MN_GETHMENU, 0, 0));
    if (shown && GetMenuState(shown, SC_MOVE, MF_BYCOMMAND) != static_cast<UINT>(-1)) {
      Trace("  Escape in a window's own menu");
      SendKeyPress(VK_ESCAPE);
      return;
    }
    if (++menuTries_ > 6) {
      Trace("  the menu is ended");
      if (menuTries_ > 8) EndMenu();
      SendKeyPress(VK_ESCAPE);
      return;
    }
    switch (Below(4)) {
      case 0:
        Trace("  an item chosen in the menu");
        SendKeyPress(VK_DOWN);
        SendKeyPress(VK_RETURN);
        break;
      case 1:
        Trace("  Escape in the menu");
        SendKeyPress(VK_ESCAPE);
        break;
      case 2:
        Chaos("input inside the menu's loop", Pick<TComponent>(TKind::MenuItem));
        break;
      default:
        break;
    }
  }

  // ---- the steps

  void Step() {
    switch (Below(24)) {
      case 0:
      case 1:
      case 2:
      case 3:
        Click();
        return;
      case 4:
        Drag();
        return;
      case 5:
        MoveOver();
        return;
      case 6:
      case 7:
        Key();
        return;
      case 8:
        AltF4();
        return;
      case 9:
      case 10:
        MoveFocus();
        return;
      case 11:
      case 12:
        Resize();
        return;
      case 13:
      case 14:
        ShowOrClose();
        return;
      case 15:
        Say("a form shown modally by a step");
        OpenModal(nullptr);
        return;
      case 16:
        PopupByCall();
        return;
      case 17:
        RunATimer();
        return;
      case 18:
        Say(Chance(2) ? "the idle update of actions" : "an action executed");
        if (current_ == "an action executed") {
          if (auto* action = Pick<TAction>(TKind::Action)) action->Execute();
        } else {
          UpdateActionsOnIdle();
        }
        return;
      case 19:
      case 20:
        Grow();
        return;
      case 21:
        Say("an object freed by a step");
        Free(PickAnything());
        return;
      case 22:
        Say("a control moved to another parent by a step");
        MoveToAnotherParent(PickControl());
        return;
      default:
        Say("a deed outside any handler");
        Deed("a step", PickAnything(), nullptr, nullptr);
        return;
    }
  }

  void Grow() {
    switch (Below(6)) {
      case 0:
        Say("a form added");
        if (TForm* form = AddForm(); form && Chance(2)) (void)form->Show();
        return;
      case 1:
      case 2:
        Say("a control added");
        AddControl();
        return;
      case 3:
        Say("a timer added");
        AddTimer();
        return;
      case 4:
        Say(Chance(2) ? "an action added" : "an action bound to a control");
        if (current_ == "an action added")
          AddAction();
        else
          BindAction(Pick<TAction>(TKind::Action));
        return;
      default:
        Say(Chance(2) ? "a pop-up menu added" : "a pop-up menu given to a control");
        if (current_ == "a pop-up menu added") {
          AddMenu();
        } else if (TControl* control = PickControl()) {
          control->SetPopupMenu(Pick<TPopupMenu>(TKind::Menu));
        }
        return;
    }
  }

  // Whether a person could point at the control: it shows, on a form that shows.
  // A press on a caption or a border, of a form that lies over the control, would start the platform's loop that
  // moves or sizes the window, which waits for a window manager the test's display has not: the control's centre
  // must lie in the client area of one of the program's windows.
  static bool CanPointAt(TControl* control) {
    if (!control || !control->Parent() || !control->Visible()) return false;
    if (auto* windowed = ObjectAs<TWinControl>(control);
        windowed && !(windowed->HandleAllocated() && windowed->Showing()))
      return false;
    if (!control->Parent()->HandleAllocated() || !control->Parent()->Showing()) return false;
    const POINT at = Centre(control);
    HWND hit = WindowFromPoint(at);
    return hit && GetWindowThreadProcessId(hit, nullptr) == GetCurrentThreadId() &&
           SendMessageW(hit, WM_NCHITTEST, 0, MAKELPARAM(static_cast<short>(at.x), static_cast<short>(at.y))) ==
               HTCLIENT;
  }
  static POINT Centre(TControl* control) {
    return control->ClientToScreen(POINT{control->Width() / 2, control->Height() / 2});
  }
  TControl* ShowingControlOf(TCustomForm* form) {
    std::vector<TControl*> showing;
    for (TControl* control : LivingControls())
      if (CanPointAt(control) && (!form || GetParentForm(control) == form)) showing.push_back(control);
    return showing.empty() ? nullptr : showing[Below(static_cast<unsigned>(showing.size()))];
  }
  // A control to point at, and a form to type into; when none shows, a person opens a hidden form first.
  TControl* ControlToPointAt() {
    if (TControl* control = ShowingControlOf(nullptr)) return control;
    return ShowAHiddenForm() ? ShowingControlOf(nullptr) : nullptr;
  }
  TCustomForm* ShowingForm() {
    if (TCustomForm* form = PickShowingForm()) return form;
    return ShowAHiddenForm() ? PickShowingForm() : nullptr;
  }
  TCustomForm* PickShowingForm() {
    std::vector<TCustomForm*> showing;
    for (TComponent* form : Living(TKind::Form))
      if (static_cast<TCustomForm*>(form)->Showing()) showing.push_back(static_cast<TCustomForm*>(form));
    return showing.empty() ? nullptr : showing[Below(static_cast<unsigned>(showing.size()))];
  }
  bool ShowAHiddenForm() {
    TCustomForm* form = PickHiddenForm();
    if (!form) return false;
    Trace("  a hidden form shown");
    (void)form->Show();
    ProcessPendingMessages();
    return true;
  }

  // A left, right or middle click on a control, or two quickly (the second a double click).
  void Click() {
    TControl* control = ControlToPointAt();
    if (!control) {
      Say("a click on no control");
      return;
    }
    static const struct {
      const char* Name;
      DWORD Press, Release;
    } buttons[] = {{"left", MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP},
                   {"left", MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP},
                   {"right", MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP}};
    const auto& button = buttons[Below(3)];
    const bool twice = Chance(3);
    Say(std::string(twice ? "a quick double " : "a ") + button.Name + " click on a " + KindName(control));
    const POINT at = Centre(control);
    SendMouseClick(at, button.Press, button.Release);
    if (twice) SendMouseClick(at, button.Press, button.Release);
    SettleInput();
  }

  void Drag() {
    TControl* control = ControlToPointAt();
    if (!control) {
      Say("a drag over no control");
      return;
    }
    Say(std::string("a drag across a ") + KindName(control));
    const POINT from = Centre(control);
    SendMouseDragThrough(
        from, {POINT{from.x + 5, from.y + 3}, POINT{from.x + 40, from.y + 20}, POINT{from.x + 90, from.y + 50}});
    SettleInput();
  }

  void MoveOver() {
    TControl* control = ControlToPointAt();
    if (!control) {
      Say("a move over no control");
      return;
    }
    Say(std::string("the mouse moved over a ") + KindName(control));
    POINT at = Centre(control);
    movesArmed_ = true;
    SetCursorPos(at.x + 2, at.y + 1);
    SendMouse(MOUSEEVENTF_MOVE);
    ProcessPendingMessages();
    movesArmed_ = false;
  }

  // Typing into the focused control of a showing form.
  void Key() {
    TCustomForm* form = ShowingForm();
    if (!form) {
      Say("a key to no form");
      return;
    }
    static const WORD keys[] = {'A', 'B', VK_TAB, VK_RETURN, VK_ESCAPE, VK_LEFT, VK_DOWN, VK_BACK};
    const WORD key = keys[Below(std::size(keys))];
    // Shift+Escape is the platform's key for a window's own menu, whose loop the check does not serve.
    const bool shift = Chance(4) && key != VK_ESCAPE;
    Say("key " + std::to_string(key) + (shift ? " with Shift" : "") + " to a form");
    SetForegroundWindow(form->Handle());
    ProcessPendingMessages();
    SendKeyPress(key, shift);
    SettleInput();
  }

  void AltF4() {
    TCustomForm* form = ShowingForm();
    if (!form) {
      Say("Alt+F4 to no form");
      return;
    }
    Say("Alt+F4 to a form");
    SetForegroundWindow(form->Handle());
    ProcessPendingMessages();
    SendAltF4();
    SettleInput();
  }

  // Alt+F4 that reaches no window of the program would close the desktop's session, and the program with it:
  // it is typed only while one of the forms is in front.
  void SendAltF4() {
    HWND front = GetForegroundWindow();
    for (TComponent* form : Living(TKind::Form))
      if (static_cast<TCustomForm*>(form)->HandleAllocated() && static_cast<TCustomForm*>(form)->Handle() == front) {
        SendKeyPress(VK_F4, false, false, true);
        return;
      }
    Trace("  no form in front for Alt+F4");
  }

  void MoveFocus() {
    switch (Below(3)) {
      case 0: {
        Say("a control focused by a call");
        TControl* control = PickControl();
        auto* windowed = ObjectAs<TWinControl>(control);
        if (windowed && windowed->CanFocus()) (void)windowed->SetFocus();
        break;
      }
      case 1: {
        Say("a form's active control set");
        TControl* control = PickControl();
        auto* windowed = ObjectAs<TWinControl>(control);
        TCustomForm* form = GetParentForm(control);
        if (windowed && form && windowed != form && windowed->CanFocus()) (void)form->SetActiveControl(windowed);
        break;
      }
      default: {
        Say("a form brought to the front");
        if (TCustomForm* form = ShowingForm()) SetForegroundWindow(form->Handle());
        break;
      }
    }
    ProcessPendingMessages();
  }

  void Resize() {
    if (Chance(3)) {
      Say("a form resized");
      if (TForm* form = PickForm())
        (void)form->SetBounds(form->Left(), form->Top(), 300 + static_cast<int>(Below(300)),
                              200 + static_cast<int>(Below(260)));
      return;
    }
    TControl* control = PickControl();
    if (!control) {
      Say("no control resized");
      return;
    }
    if (Chance(4)) {
      static const TAlign aligns[] = {TAlign::alNone, TAlign::alTop, TAlign::alLeft, TAlign::alClient};
      Say(std::string("a ") + KindName(control) + " aligned");
      (void)control->SetAlign(aligns[Below(4)]);
      return;
    }
    Say(std::string("a ") + KindName(control) + " resized");
    (void)control->SetBounds(static_cast<int>(Below(400)), static_cast<int>(Below(350)),
                             20 + static_cast<int>(Below(200)), 20 + static_cast<int>(Below(150)));
  }

  void ShowOrClose() {
    TForm* form = PickForm();
    if (!form) {
      Say("no form shown or closed");
      return;
    }
    switch (Below(5)) {
      case 0:
        Say("a form shown");
        (void)form->Show();
        break;
      case 1:
        Say("a form hidden");
        (void)form->Hide();
        break;
      case 2:
        Say("a form closed");
        (void)form->Close();
        break;
      case 3:
        Say("a form closed with caFree");
        CloseWithFree(form);
        break;
      default:
        Say("a form released");
        form->Release();
        break;
    }
    ProcessPendingMessages();
  }

  void PopupByCall() {
    auto* menu = Pick<TPopupMenu>(TKind::Menu);
    if (!menu) {
      Say("no pop-up menu shown");
      return;
    }
    Say("a pop-up menu shown by a call");
    (void)menu->Popup(300 + static_cast<int>(Below(400)), 300 + static_cast<int>(Below(300)));
  }

  void RunATimer() {
    auto* timer = Pick<TTimer>(TKind::Timer);
    if (!timer) {
      Say("no timer runs");
      return;
    }
    Say("a timer runs");
    const unsigned ticks = timerTicks_;
    const TLifeWatch life = timer->LifeWatch();
    StartTimer(timer);
    PumpUntil([&] { return life.Ended() || timerTicks_ != ticks; }, 2000);
  }

  const char* KindName(const TComponent* object) const {
    const TMade* made = Find(object);
    return made ? kKindNames[static_cast<int>(made->Kind)] : "thing";
  }

  // Serves what the input of a step queued, until the buttons and keys are up again.
  static void SettleInput() {
    ProcessPendingMessages();
    PumpUntil([] {
      for (int key : {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON, VK_SHIFT, VK_MENU, VK_F4})
        if (GetAsyncKeyState(key) & 0x8000) return false;
      return true;
    });
    ProcessPendingMessages();
  }

  // The input from inside the loops stops only once what the step queued is served: a timer's tick or a late
  // click served last may still open a modal form or a menu, whose loop would wait for it for ever.
  void Settle() {
    SettleInput();
    ProcessPendingMessages();
    StopLoopInput();
  }

  // ---- the checks

  std::string Check() {
    if (!modals_.empty()) return "a modal loop runs after the step";
    if (ShowingMenu()) return "a menu stays open after the step";
    int forms = 0;
    for (const TMade& made : made_) {
      if (made.Life.Ended()) continue;
      TComponent* object = made.Object;
      const std::string what = std::string("a ") + kKindNames[static_cast<int>(made.Kind)];
      if (object->IsDestroying()) return what + " stays half destroyed";
      if (TComponent* owner = object->Owner()) {
        if (!Lives(owner)) return what + " has an owner that is gone";
        const int index = object->ComponentIndex();
        if (index < 0 || owner->Components(index) != object) return what + "'s owner does not list it";
      }
      if (auto* control = ObjectAs<TControl>(object)) {
        if (std::string fault = CheckControl(control, what); !fault.empty()) return fault;
        if (made.Kind == TKind::Form) {
          ++forms;
          auto* form = static_cast<TCustomForm*>(object);
          // A wheel turn goes to the control the form records as focused, which must live.
          form->Perform(WM_MOUSEWHEEL, 0, 0);
          if (TWinControl* active = form->ActiveControl(); active && !Lives(active))
            return "a form's active control is gone";
          else if (active && GetParentForm(active) != form)
            return std::string("a form's active control, a ") + KindName(active) + ", is on " +
                   (GetParentForm(active) ? "another form" : "no form");
        }
      } else if (auto* action = ObjectAs<TContainedAction>(object)) {
        if (TActionList* list = action->ActionList();
            list && (!Lives(list) || action->Index() < 0 || list->Actions(action->Index()) != action))
          return "an action's list is gone or does not list it";
      } else if (auto* menu = ObjectAs<TPopupMenu>(object)) {
        if (menu->PopupComponent() && !Lives(menu->PopupComponent())) return "a menu's pop-up component is gone";
      }
    }
    if (Screen->FormCount() != formsBefore_ + forms)
      return "Screen counts " + std::to_string(Screen->FormCount()) + " forms where " +
             std::to_string(formsBefore_ + forms) + " live";
    if (Screen->ActiveForm() && !Lives(Screen->ActiveForm())) return "Screen's active form is gone";
    if (Screen->ActiveControl() && !Lives(Screen->ActiveControl())) return "Screen's active control is gone";
    if (Screen->FocusedForm() && !Lives(Screen->FocusedForm())) return "Screen's focused form is gone";
    if (Application->MouseControl() && !Lives(Application->MouseControl()))
      return "the application's control under the mouse is gone";
    if (GetCapture()) return "a window keeps the mouse after the step";
    return {};
  }

  std::string CheckControl(TControl* control, const std::string& what) {
    if (TWinControl* parent = control->Parent()) {
      if (!Lives(parent)) return what + "'s parent is gone";
      bool listed = false;
      for (int i = 0; i < parent->ControlCount(); ++i) listed = listed || parent->Controls(i) == control;
      if (!listed) return what + "'s parent does not list it";
    }
    if (control->Action() && !Lives(control->Action())) return what + "'s action is gone";
    if (control->PopupMenu() && !Lives(control->PopupMenu())) return what + "'s pop-up menu is gone";
    if (auto* windowed = ObjectAs<TWinControl>(control)) {
      for (int i = 0; i < windowed->ControlCount(); ++i) {
        TControl* child = windowed->Controls(i);
        if (!Lives(child)) return what + " lists a child that is gone";
        if (child->Parent() != windowed) return what + " lists a child that names another parent";
      }
      if (windowed->HandleAllocated() && !IsWindow(windowed->Handle())) return what + " keeps a window that is gone";
    }
    return {};
  }

  std::vector<TMade> made_;
  int formsBefore_ = 0;
  unsigned nextForm_ = 0;
  unsigned timerTicks_ = 0;
  // The forms being closed whose OnClose answers caFree, the innermost last.
  std::vector<TCustomForm*> closingWithFree_;
  std::vector<TModal> modals_;
  std::shared_ptr<bool> loopInputOn_;
  int menuTries_ = 0;
  int turnsWaited_ = 0;
  bool movesArmed_ = false;
  int acting_ = 0;
  bool quiet_ = false;
  std::string current_;
  const bool tracing_ = EnvironmentNumber("FORMS_MODEL_TRACE", 0) != 0;
};

TEST(FormsModelCheck, HandlersThatFreeOrRaiseLeaveTheFormsWhole) {
  const auto [runs, firstRun, steps, guard] = ModelCheckCounts("FORMS", 2, 40);
  POINT savedCursor{};
  GetCursorPos(&savedCursor);
  for (unsigned run = firstRun; run < firstRun + runs; ++run) {
    SCOPED_TRACE(testing::Message() << "run " << run);
    std::string fault;
    {
      std::optional<TGuardedAllocations> guarded;
      if (guard) guarded.emplace();
      TFormsModelCheck check(run);
      const TErrorsReportedTo reported(check);
      fault = check.Run(steps);
    }
    ASSERT_EQ(fault, "");
  }
  SetCursorPos(savedCursor.x, savedCursor.y);
}

}  // namespace
