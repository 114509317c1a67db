#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "control_fixtures.h"
#include "support/modal_input.h"

namespace {

std::vector<String>& Log() {
  static std::vector<String> log;
  return log;
}

// Tells its end to a handler, as a tree tells OnFreeNode while its destructor frees the nodes.
template <class Base>
class TTellsItsEnd : public Base {
 public:
  explicit TTellsItsEnd(TComponent* owner) : Base(owner) {}
  ~TTellsItsEnd() override {
    if (OnEnd) OnEnd(this);
  }
  TNotifyEvent OnEnd;
};
using TEndingComponent = TTellsItsEnd<TComponent>;
using TEndingControl = TTellsItsEnd<TTestPanel>;

// Notes where its destructor ran; the handler asks it, rather than touching a member that is gone.
struct TMemberEnd {
  bool Gone = false;
};

struct TLoggedMember {
  explicit TLoggedMember(TMemberEnd& end) : end_(end) {}
  ~TLoggedMember() {
    end_.Gone = true;
    Log().push_back(L"member gone");
  }
  std::map<TObject*, String> Names;

 private:
  TMemberEnd& end_;
};

// A form built in code whose components' handlers use its members, as the gallery's pages do.
class TMemberForm : public TForm {
 public:
  explicit TMemberForm(TMemberEnd& end) : TForm(nullptr), end_(end), names_(end) {}

  template <class T>
  void Watch(T* component) {
    names_.Names[component] = L"watched";
    component->OnEnd = TNotifyEvent(this, &TMemberForm::Forget);
  }

 private:
  void Forget(TObject* sender) {
    if (end_.Gone) {
      Log().push_back(L"handler after the member");
      return;
    }
    Log().push_back(names_.Names.erase(sender) == 1 ? L"handler" : L"handler without its entry");
  }

  TMemberEnd& end_;
  TLoggedMember names_;
};

enum class TPlace { OwnedComponent, OwnedByAnOwnedComponent, Child, UnownedChild, GrandchildOfAnUnownedPanel };

struct TPlaceCase {
  const char* Name;
  TPlace Place;
};

void PrintTo(const TPlaceCase& place, std::ostream* out) { *out << place.Name; }

void MakeAt(TMemberForm* form, TPlace place) {
  switch (place) {
    case TPlace::OwnedComponent:
      form->Watch(new TEndingComponent(form));
      return;
    case TPlace::OwnedByAnOwnedComponent:
      form->Watch(new TEndingComponent(new TComponent(form)));
      return;
    case TPlace::Child:
    case TPlace::UnownedChild: {
      auto* control = new TEndingControl(place == TPlace::Child ? form : nullptr);
      EXPECT_TRUE(control->SetParent(form).Alive());
      form->Watch(control);
      return;
    }
    case TPlace::GrandchildOfAnUnownedPanel: {
      auto* panel = new TTestPanel(nullptr);
      EXPECT_TRUE(panel->SetParent(form).Alive());
      auto* control = new TEndingControl(form);
      EXPECT_TRUE(control->SetParent(panel).Alive());
      form->Watch(control);
      return;
    }
  }
}

class ComponentDestruction : public testing::TestWithParam<TPlaceCase> {};

}  // namespace

// Freeing a form frees what hangs off it while the form is whole, so a handler bound to a member still finds it.
TEST_P(ComponentDestruction, HandlersOfWhatAFormHoldsFindItsMembersAlive) {
  for (bool shown : {false, true}) {
    Log().clear();
    TMemberEnd end;
    auto form = std::make_unique<TMemberForm>(end);
    EXPECT_TRUE(form->SetBounds(50, 50, 300, 200).Alive());
    MakeAt(form.get(), GetParam().Place);
    if (shown) { EXPECT_TRUE(form->Show().Alive()); }
    form.reset();
    EXPECT_EQ(Log(), (std::vector<String>{L"handler", L"member gone"})) << (shown ? "shown" : "never shown");
  }
}

INSTANTIATE_TEST_SUITE_P(Places, ComponentDestruction,
                         testing::Values(TPlaceCase{"OwnedComponent", TPlace::OwnedComponent},
                                         TPlaceCase{"OwnedByAnOwnedComponent", TPlace::OwnedByAnOwnedComponent},
                                         TPlaceCase{"Child", TPlace::Child},
                                         TPlaceCase{"UnownedChild", TPlace::UnownedChild},
                                         TPlaceCase{"GrandchildOfAnUnownedPanel", TPlace::GrandchildOfAnUnownedPanel}),
                         [](const testing::TestParamInfo<TPlaceCase>& info) { return info.param.Name; });

namespace {

// What a handler raises while a component is freed cannot leave the destructor: it reaches the application's
// handler of exceptions, the component is gone and the program goes on.
struct TRaisingCase {
  const char* Name;
  // Arms a handler that raises as the component answered goes.
  std::function<TComponent*(TForm& form)> Arm;
};

void Raise(TObject*) { throw Exception(L"raised while a component goes"); }

const TRaisingCase kRaisingCases[] = {
    {"ASiblingsOnResizeAsTheParentAlignsTheRest",
     [](TForm& form) -> TComponent* {
       auto* freed = new TTestPanel(&form);
       EXPECT_TRUE(freed->SetBounds(0, 0, 100, 20).Alive());
       EXPECT_TRUE(freed->SetAlign(TAlign::alTop).Alive());
       EXPECT_TRUE(freed->SetParent(&form).Alive());
       auto* sibling = new TTestGraphic(&form);
       EXPECT_TRUE(sibling->SetAlign(TAlign::alClient).Alive());
       EXPECT_TRUE(sibling->SetParent(&form).Alive());
       sibling->OnResize = &Raise;
       return freed;
     }},
    {"TheScreensOnActiveFormChangeAsTheActiveFormGoes",
     [](TForm&) -> TComponent* {
       auto* freed = new TForm(nullptr);
       EXPECT_TRUE(freed->SetBounds(80, 80, 200, 120).Alive());
       EXPECT_TRUE(freed->Show().Alive());
       SetForegroundWindow(freed->Handle());
       ProcessPendingMessages();
       EXPECT_EQ(Screen->ActiveForm(), freed);
       Screen->OnActiveFormChange = &Raise;
       return freed;
     }},
};

class RaisedWhileFreeing : public testing::TestWithParam<TRaisingCase> {};

}  // namespace

TEST_P(RaisedWhileFreeing, ReachesTheApplicationsHandler) {
  TForm form(nullptr);
  EXPECT_TRUE(form.SetBounds(40, 40, 300, 200).Alive());
  EXPECT_TRUE(form.Show().Alive());
  String reported;
  Application->OnException = [&reported](TObject*, const Exception& e) { reported = e.Message(); };
  TComponent* freed = GetParam().Arm(form);
  const TLifeWatch life = freed->LifeWatch();
  delete freed;
  Screen->OnActiveFormChange = nullptr;
  Application->OnException = nullptr;
  EXPECT_TRUE(life.Ended());
  EXPECT_EQ(reported, L"raised while a component goes");
}

INSTANTIATE_TEST_SUITE_P(Handlers, RaisedWhileFreeing, testing::ValuesIn(kRaisingCases),
                         [](const testing::TestParamInfo<TRaisingCase>& info) { return info.param.Name; });

// A control or form being freed, with the focus, the activation or the alignment of others to move on, tells the
// handlers of those others and of the screen, but never hands one the object that goes, or one of its parts, as
// if it lived: not as the sender, nor as the screen's active form or control.
namespace {

class DyingObjects : public testing::Test {
 protected:
  void TearDown() override {
    Screen->OnActiveFormChange = nullptr;
    Screen->OnActiveControlChange = nullptr;
    Pump();
  }

  static void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }

  // Every handler of control that a destruction could raise notes a sender among the dying.
  void Watch(TControl* control) {
    const auto note = [this](const char* name) {
      return [this, name](TObject* sender) { Note(name, sender); };
    };
    control->OnResize = note("OnResize");
    control->OnClick = note("OnClick");
    if (auto* win = ObjectAs<TWinControl>(control)) {
      win->OnEnter = note("OnEnter");
      win->OnExit = note("OnExit");
    }
    if (auto* form = ObjectAs<TCustomForm>(control)) {
      form->OnActivate = note("OnActivate");
      form->OnDeactivate = note("OnDeactivate");
      form->OnShow = note("OnShow");
      form->OnHide = note("OnHide");
    }
  }

  void WatchScreen() {
    Screen->OnActiveFormChange = [this](TObject*) {
      Note("Screen's OnActiveFormChange: ActiveForm", Screen->ActiveForm());
      Note("Screen's OnActiveFormChange: ActiveControl", Screen->ActiveControl());
    };
    Screen->OnActiveControlChange = [this](TObject*) {
      Note("Screen's OnActiveControlChange: ActiveForm", Screen->ActiveForm());
      Note("Screen's OnActiveControlChange: ActiveControl", Screen->ActiveControl());
    };
  }

  // Frees component, and answers the handlers that were handed it or one of its parts.
  std::vector<std::string> Free(TComponent* component) {
    dying_.clear();
    Collect(component);
    heard_.clear();
    delete component;
    Pump();
    dying_.clear();
    return std::move(heard_);
  }

  TTestPanel* Panel(TWinControl* parent, RECT bounds) {
    auto* panel = new TTestPanel(parent);
    EXPECT_TRUE(panel->SetBounds(bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top).Alive());
    EXPECT_TRUE(panel->SetParent(parent).Alive());
    panel->SetTabStop(true);
    Watch(panel);
    return panel;
  }

  TForm* ShownForm(TComponent* owner, int left) {
    auto* form = new TForm(owner);
    form->SetBorderStyle(TFormBorderStyle::bsNone);
    EXPECT_TRUE(form->SetBounds(left, 60, 200, 150).Alive());
    Watch(form);
    EXPECT_TRUE(form->Show().Alive());
    return form;
  }

  void Note(const char* name, const TObject* object) {
    if (object && dying_.count(object)) heard_.push_back(name);
  }

  static void Activate(TWinControl* control) {
    TCustomForm* form = GetParentForm(control);
    SetForegroundWindow(form->Handle());
    EXPECT_TRUE(control->SetFocus().Alive());
    Pump();
    ASSERT_EQ(Screen->ActiveControl(), control);
  }

 private:
  void Collect(TComponent* component) {
    dying_.insert(component);
    for (int i = 0; i < component->ComponentCount(); ++i) Collect(component->Components(i));
    if (auto* win = ObjectAs<TWinControl>(component))
      for (int i = 0; i < win->ControlCount(); ++i) Collect(win->Controls(i));
  }

  std::set<const TObject*> dying_;
  std::vector<std::string> heard_;
};

TEST_F(DyingObjects, AreHandedToNoHandler) {
  const struct {
    const char* Name;
    // Makes the scene, with its handlers watched, and answers what is freed in it; other leaves for the end.
    std::function<TComponent*(std::vector<std::unique_ptr<TComponent>>& other)> Make;
  } cases[] = {
      {"the focused control of an active form",
       [this](auto& other) {
         TForm* form = ShownForm(nullptr, 60);
         other.emplace_back(form);
         Panel(form, {110, 10, 160, 60});
         TTestPanel* focused = Panel(form, {10, 10, 60, 60});
         Activate(focused);
         return focused;
       }},
      {"the box around the focused control",
       [this](auto& other) {
         TForm* form = ShownForm(nullptr, 60);
         other.emplace_back(form);
         Panel(form, {150, 10, 190, 60});
         TTestPanel* box = Panel(form, {10, 10, 140, 140});
         TTestPanel* focused = Panel(box, {10, 10, 60, 60});
         Activate(focused);
         return box;
       }},
      {"the active form, with another shown",
       [this](auto& other) {
         TForm* behind = ShownForm(nullptr, 300);
         other.emplace_back(behind);
         Activate(Panel(behind, {10, 10, 60, 60}));
         TForm* form = ShownForm(nullptr, 60);
         TTestPanel* focused = Panel(form, {10, 10, 60, 60});
         Panel(form, {70, 10, 120, 60});
         Activate(focused);
         return form;
       }},
      {"an active form's owner, with the focus on the owned form",
       [this](auto&) {
         TForm* owner = ShownForm(nullptr, 60);
         Activate(Panel(owner, {10, 10, 60, 60}));
         TForm* owned = ShownForm(owner, 300);
         Activate(Panel(owned, {10, 10, 60, 60}));
         return owner;
       }},
      {"an application with its active form",
       [this](auto&) {
         auto* application = new TApplication(nullptr);
         TForm* form = ShownForm(application, 60);
         Activate(Panel(form, {10, 10, 60, 60}));
         application->OnActivate = [this](TObject* sender) { Note("Application's OnActivate", sender); };
         application->OnDeactivate = [this](TObject* sender) { Note("Application's OnDeactivate", sender); };
         return application;
       }},
      {"an aligned control among aligned others",
       [this](auto& other) {
         TForm* form = ShownForm(nullptr, 60);
         other.emplace_back(form);
         TTestPanel* top = Panel(form, {0, 0, 200, 40});
         EXPECT_TRUE(top->SetAlign(TAlign::alTop).Alive());
         TTestPanel* client = Panel(form, {0, 0, 10, 10});
         EXPECT_TRUE(client->SetAlign(TAlign::alClient).Alive());
         Activate(top);
         return top;
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    std::vector<std::unique_ptr<TComponent>> other;
    TComponent* freed = c.Make(other);
    WatchScreen();
    EXPECT_EQ(Free(freed), std::vector<std::string>{});
    TearDown();
  }
}

}  // namespace

