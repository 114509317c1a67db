#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
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
