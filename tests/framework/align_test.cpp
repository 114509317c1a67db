#include <gtest/gtest.h>

#include <functional>

#include "control_fixtures.h"
#include "support/hostile_input.h"

namespace {

testing::AssertionResult BoundsAre(const TControl* control, RECT expected) {
  RECT actual = control->BoundsRect();
  if (EqualRect(&actual, &expected)) return testing::AssertionSuccess();
  return testing::AssertionFailure() << "bounds (" << actual.left << "," << actual.top << "," << actual.right << ","
                                     << actual.bottom << "), expected (" << expected.left << "," << expected.top << ","
                                     << expected.right << "," << expected.bottom << ")";
}

// Runs a handler once the control has handled a change of its visibility, as a bar's OnVisibleChanged does.
template <class Base>
class TVisibilityHandled : public Base {
 public:
  using Base::Base;
  std::function<void(TControl*)> Handled;
  void Dispatch(TMessage& message) override {
    Base::Dispatch(message);
    if (message.Msg == CM_VISIBLECHANGED && Handled) Handled(this);
  }
};

}  // namespace

using Alignment = ControlTest;

TEST_F(Alignment, EdgesAreTakenTopBottomLeftRightThenClient) {
  Form()->HandleNeeded();
  ASSERT_EQ(Form()->ClientWidth(), 400);
  ASSERT_EQ(Form()->ClientHeight(), 300);
  auto* client = Make<TTestPanel>(Form(), {0, 0, 10, 10});
  auto* right = Make<TTestPanel>(Form(), {0, 0, 30, 10});
  auto* left = Make<TTestPanel>(Form(), {0, 0, 40, 10});
  auto* bottom = Make<TTestPanel>(Form(), {0, 0, 10, 20});
  auto* top = Make<TTestPanel>(Form(), {0, 0, 10, 25});
  EXPECT_TRUE(client->SetAlign(TAlign::alClient).Alive());
  EXPECT_TRUE(right->SetAlign(TAlign::alRight).Alive());
  EXPECT_TRUE(left->SetAlign(TAlign::alLeft).Alive());
  EXPECT_TRUE(bottom->SetAlign(TAlign::alBottom).Alive());
  EXPECT_TRUE(top->SetAlign(TAlign::alTop).Alive());
  EXPECT_TRUE(BoundsAre(top, {0, 0, 400, 25}));
  EXPECT_TRUE(BoundsAre(bottom, {0, 280, 400, 300}));
  EXPECT_TRUE(BoundsAre(left, {0, 25, 40, 280}));
  EXPECT_TRUE(BoundsAre(right, {370, 25, 400, 280}));
  EXPECT_TRUE(BoundsAre(client, {40, 25, 370, 280}));

  // Hidden controls give their room away; the parent's resize re-aligns.
  EXPECT_TRUE(top->SetVisible(false).Alive());
  EXPECT_TRUE(BoundsAre(left, {0, 0, 40, 280}));
  EXPECT_TRUE(Form()->SetBounds(50, 50, 500, 300).Alive());
  EXPECT_TRUE(BoundsAre(client, {40, 0, 470, 280}));
}

TEST_F(Alignment, TwoControlsOnOneEdgeKeepTheirOrder) {
  Form()->HandleNeeded();
  auto* first = Make<TTestPanel>(Form(), {0, 0, 10, 30});
  auto* second = Make<TTestPanel>(Form(), {0, 100, 10, 140});
  EXPECT_TRUE(first->SetAlign(TAlign::alTop).Alive());
  EXPECT_TRUE(second->SetAlign(TAlign::alTop).Alive());
  EXPECT_TRUE(BoundsAre(first, {0, 0, 400, 30}));
  EXPECT_TRUE(BoundsAre(second, {0, 30, 400, 70}));
  // Dragged above the first one, it goes first.
  EXPECT_TRUE(second->SetTop(-1).Alive());
  EXPECT_TRUE(BoundsAre(second, {0, 0, 400, 40}));
  EXPECT_TRUE(BoundsAre(first, {0, 40, 400, 70}));
}

TEST_F(Alignment, ConstraintsAndOnCanResizeLimitTheAlignedSize) {
  Form()->HandleNeeded();
  auto* left = Make<TTestPanel>(Form(), {0, 0, 50, 10});
  auto* client = Make<TTestPanel>(Form(), {0, 0, 10, 10});
  EXPECT_TRUE(left->SetAlign(TAlign::alLeft).Alive());
  EXPECT_TRUE(client->SetAlign(TAlign::alClient).Alive());
  client->Constraints()->SetMaxHeight(100);
  EXPECT_TRUE(BoundsAre(client, {50, 0, 400, 100}));
  left->OnCanResize = [](TObject*, int& width, int&, bool&) { width = 60; };
  EXPECT_TRUE(left->SetWidth(10).Alive());
  EXPECT_EQ(left->Width(), 60);
  EXPECT_EQ(client->Left(), 60);
  left->OnCanResize = [](TObject*, int&, int&, bool& resize) { resize = false; };
  EXPECT_TRUE(left->SetWidth(80).Alive());
  EXPECT_EQ(left->Width(), 60);
}

TEST_F(Alignment, AnchoredEdgesKeepTheirDistance) {
  Form()->HandleNeeded();
  auto* stretch = Make<TTestPanel>(Form(), {10, 10, 390, 50});
  auto* corner = Make<TTestPanel>(Form(), {350, 250, 390, 290});
  auto* centred = Make<TTestPanel>(Form(), {180, 100, 220, 140});
  stretch->SetAnchors({TAnchorKind::akLeft, TAnchorKind::akTop, TAnchorKind::akRight});
  corner->SetAnchors({TAnchorKind::akRight, TAnchorKind::akBottom});
  centred->SetAnchors(TAnchors());
  EXPECT_TRUE(Form()->SetBounds(50, 50, 500, 400).Alive());
  EXPECT_TRUE(BoundsAre(stretch, {10, 10, 490, 50}));
  EXPECT_TRUE(BoundsAre(corner, {450, 350, 490, 390}));
  EXPECT_TRUE(BoundsAre(centred, {230, 140, 270, 180}));
}

TEST_F(Alignment, AlignmentWaitsWhileDisabled) {
  Form()->HandleNeeded();
  Form()->DisableAlign();
  auto* top = Make<TTestPanel>(Form(), {5, 5, 10, 30});
  EXPECT_TRUE(top->SetAlign(TAlign::alTop).Alive());
  EXPECT_TRUE(BoundsAre(top, {5, 5, 10, 30}));
  EXPECT_TRUE(Form()->EnableAlign().Alive());
  EXPECT_TRUE(BoundsAre(top, {0, 0, 400, 25}));
}

// The parent aligns anew as part of the visibility change, so its handlers see the new layout, and one that frees
// the control leaves nothing to touch it afterwards.
TEST_F(Alignment, AVisibilityChangeRealignsBeforeItsHandlersRun) {
  Form()->HandleNeeded();
  for (bool windowed : {true, false}) {
    for (bool showing : {false, true}) {
      for (bool frees : {false, true}) {
        SCOPED_TRACE(std::string(windowed ? "windowed" : "windowless") + (showing ? ", shown" : ", hidden") +
                     (frees ? ", freed by the handler" : ""));
        // A freed control stays unreadable.
        TGuardedAllocations guard;
        int belowTopInHandler = -1;
        auto* below = Make<TTestPanel>(Form(), {0, 50, 10, 60});
        auto handled = [&](TControl* sender) {
          belowTopInHandler = below->Top();
          if (frees) delete sender;
        };
        TControl* control;
        if (windowed) {
          auto* panel = Make<TVisibilityHandled<TTestPanel>>(Form(), {0, 0, 10, 30});
          EXPECT_TRUE(panel->SetVisible(!showing).Alive());
          panel->Handled = handled;
          control = panel;
        } else {
          auto* graphic = Make<TVisibilityHandled<TTestGraphic>>(Form(), {0, 0, 10, 30});
          EXPECT_TRUE(graphic->SetVisible(!showing).Alive());
          graphic->Handled = handled;
          control = graphic;
        }
        EXPECT_TRUE(control->SetAlign(TAlign::alTop).Alive());
        EXPECT_TRUE(below->SetAlign(TAlign::alTop).Alive());
        EXPECT_EQ(control->SetVisible(showing).Alive(), !frees);
        EXPECT_EQ(belowTopInHandler, showing ? 30 : 0);
        if (!frees) delete control;
        delete below;
      }
    }
  }
}
