// The notifications that carry a parent's colour, font and hint setting down the control tree, and the system's colour and
// settings changes from a form to every control on it.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "control_fixtures.h"
#include "framework/messages.h"

namespace {

int CountOf(const std::vector<UINT>& received, UINT msg) {
  return static_cast<int>(std::count(received.begin(), received.end(), msg));
}

// Form > outer (takes the parent's values) > inner (takes them too); beside outer, own (keeps its own).
class ParentValues : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    outer_ = Make<TTestPanel>(Form(), {0, 0, 200, 200});
    inner_ = Make<TTestPanel>(outer_, {10, 10, 100, 100});
    own_ = Make<TTestPanel>(Form(), {200, 0, 300, 100});
    outer_->SetParentColor(true);
    inner_->SetParentColor(true);
    own_->SetColor(clYellow);
    for (TTestPanel* panel : {outer_, inner_, own_}) {
      panel->Watched = {CM_PARENTCOLORCHANGED, CM_COLORCHANGED, CM_PARENTFONTCHANGED, CM_FONTCHANGED,
                        CM_SYSCOLORCHANGE, CM_WININICHANGE};
    }
  }
  TTestPanel* outer_ = nullptr;
  TTestPanel* inner_ = nullptr;
  TTestPanel* own_ = nullptr;
};

}  // namespace

TEST_F(ParentValues, ColourReachesEveryDepthThatTakesIt) {
  Form()->SetColor(clRed);

  EXPECT_EQ(outer_->Received, (std::vector<UINT>{CM_PARENTCOLORCHANGED, CM_COLORCHANGED}));
  EXPECT_EQ(inner_->Received, (std::vector<UINT>{CM_PARENTCOLORCHANGED, CM_COLORCHANGED}));
  EXPECT_EQ(outer_->Color(), clRed);
  EXPECT_EQ(inner_->Color(), clRed);
  EXPECT_TRUE(outer_->ParentColor());
  EXPECT_TRUE(inner_->ParentColor());
  // A control with a colour of its own hears of the change and keeps its colour.
  EXPECT_EQ(own_->Received, (std::vector<UINT>{CM_PARENTCOLORCHANGED}));
  EXPECT_EQ(own_->Color(), clYellow);
}

TEST_F(ParentValues, OwnColourEndsInheritanceUntilAskedBack) {
  outer_->SetColor(clLime);
  EXPECT_FALSE(outer_->ParentColor());
  EXPECT_EQ(inner_->Color(), clLime);

  Form()->SetColor(clRed);
  EXPECT_EQ(outer_->Color(), clLime);
  EXPECT_EQ(inner_->Color(), clLime);

  outer_->SetParentColor(true);
  EXPECT_EQ(outer_->Color(), clRed);
  EXPECT_EQ(inner_->Color(), clRed);
}

TEST_F(ParentValues, FontReachesEveryDepthThatTakesIt) {
  own_->Font()->SetSize(20);
  EXPECT_FALSE(own_->ParentFont());
  for (TTestPanel* panel : {outer_, inner_, own_}) panel->Received.clear();

  Form()->Font()->SetName(L"Courier New");
  Form()->Font()->SetSize(17);

  EXPECT_EQ(outer_->Font()->Size(), 17);
  EXPECT_EQ(inner_->Font()->Size(), 17);
  EXPECT_EQ(inner_->Font()->Name(), L"Courier New");
  EXPECT_TRUE(outer_->ParentFont());
  EXPECT_TRUE(inner_->ParentFont());
  EXPECT_EQ(CountOf(inner_->Received, CM_FONTCHANGED), 2);
  EXPECT_EQ(own_->Font()->Size(), 20);
  EXPECT_EQ(CountOf(own_->Received, CM_FONTCHANGED), 0);
}

TEST_F(ParentValues, ShowHintReachesAWindowlessChildThatTakesIt) {
  auto* graphic = Make<TTestGraphic>(inner_, {0, 0, 10, 10});
  graphic->SetParentShowHint(true);
  outer_->SetParentShowHint(true);
  inner_->SetParentShowHint(true);
  Form()->SetShowHint(true);
  EXPECT_TRUE(graphic->ShowHint());
  EXPECT_TRUE(graphic->ParentShowHint());

  inner_->SetShowHint(false);
  EXPECT_FALSE(inner_->ParentShowHint());
  Form()->SetShowHint(false);
  Form()->SetShowHint(true);
  EXPECT_FALSE(graphic->ShowHint());
}

TEST_F(ParentValues, SystemChangesReachEveryControlOnTheForm) {
  SendMessageW(Form()->Handle(), WM_SYSCOLORCHANGE, 0, 0);
  SendMessageW(Form()->Handle(), WM_WININICHANGE, 0, 0);

  for (TTestPanel* panel : {outer_, inner_, own_})
    EXPECT_EQ(panel->Received, (std::vector<UINT>{CM_SYSCOLORCHANGE, CM_WININICHANGE}));
}
