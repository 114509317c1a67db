// The page control, its pages and the tab being drawn, freed inside their own events by a real click or a paint,
// in every style. Everything is made under guarded allocations, so that a use of what a handler freed faults; a
// control that stays shows its active page and no other.
#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include "controls/tabs/page_control.h"
#include "controls/tabs/tab_painter.h"
#include "form_fixture.h"
#include "framework/bitmap.h"
#include "support/hostile_input.h"
#include "support/message_pump.h"
#include "support/modal_input.h"

using namespace controls;

namespace {

class PageControlFreeing : public FormTest {
 public:
  void SetUp() override {
    FormTest::SetUp();
    images_.SetSize(8, 8);
    TBitmap image;
    image.SetSize(8, 8);
    images_.Add(&image, nullptr);
  }
  // Pages A, B and C, A active.
  void Build(TPcTabStyle style) {
    control_ = Make<TPcPageControl>({10, 10, 410, 210});
    control_->SetStyle(style);
    for (const wchar_t* caption : {L"A", L"B", L"C"}) {
      auto* page = new TPcTabSheet(Form());
      page->SetCaption(caption);
      page->SetPageControl(control_);
    }
    ProcessQueued();
  }
  TPcTabSheet* Page(int index) const { return control_->Pages(index); }
  void FreeControl() { delete std::exchange(control_, nullptr); }
  // A real click on the middle of a page's tab; answers when the click has been served.
  void ClickTab(TPcTabSheet* page) {
    BringToTheFront(Form()->Handle());
    const RECT tab = control_->Painter()->ButtonOf(page)->Rect();
    SendMouseClick(control_->ClientToScreen(POINT{(tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2}));
    ProcessPendingMessages();
    EXPECT_TRUE(PumpUntil([] { return GetCapture() == nullptr && !(GetAsyncKeyState(VK_LBUTTON) & 0x8000); }));
    ProcessPendingMessages();
  }
  void PressRight() {
    BringToTheFront(Form()->Handle());
    control_->SetFocus();
    ProcessPendingMessages();
    SendKeyPress(VK_RIGHT);
    ProcessPendingMessages();
  }
  void Repaint() {
    RedrawWindow(control_->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    ProcessPendingMessages();
  }
  // The active page shows, the others do not.
  void ExpectOnlyTheActivePageShown() {
    for (int i = 0; i < control_->PageCount(); ++i)
      EXPECT_EQ(Page(i)->Visible(), Page(i) == control_->ActivePage()) << "page " << i;
  }

  TPcPageControl* control_ = nullptr;
  TImageList images_{nullptr};
};

TEST_F(PageControlFreeing, NothingFreedByAHandlerIsTouchedAgain) {
  // What raises the handler: a click on B's tab, the Right arrow key on the focused control, a repaint, or the
  // active page A deleted (its tab closed).
  enum class TAct { ClickB, RightArrow, Paint, DeleteActive };
  struct TCase {
    const char* Name;
    // Gives the handler its work; the control has pages A (active), B and C.
    std::function<void(PageControlFreeing&)> Arm;
    TAct Act;
    bool FreesControl;
    int PagesLeft;
  } cases[] = {
      {"OnChange frees the control",
       [](PageControlFreeing& t) { t.control_->OnChange = [&t](TObject*) { t.FreeControl(); }; }, TAct::ClickB, true,
       0},
      {"OnChanging frees the page it allows",
       [](PageControlFreeing& t) {
         t.control_->OnChanging = [&t, b = t.Page(1)](TObject*, TPcTabSheet* page, bool&) {
           if (page == b && t.control_->PageCount() == 3) delete page;
         };
       },
       TAct::ClickB, false, 2},
      {"the old page frees itself in its OnHide",
       [](PageControlFreeing& t) { t.Page(0)->OnHide = [](TObject* page) { delete page; }; }, TAct::ClickB, false, 2},
      {"the new page's OnShow frees the control",
       [](PageControlFreeing& t) { t.Page(1)->OnShow = [&t](TObject*) { t.FreeControl(); }; }, TAct::ClickB, true, 0},
      {"OnKeyDown frees the control",
       [](PageControlFreeing& t) { t.control_->OnKeyDown = [&t](TObject*, WORD&, TShiftState) { t.FreeControl(); }; },
       TAct::RightArrow, true, 0},
      {"OnMouseDown frees the control",
       [](PageControlFreeing& t) {
         t.control_->OnMouseDown = [&t](TObject*, TMouseButton, TShiftState, int, int) { t.FreeControl(); };
       },
       TAct::ClickB, true, 0},
      {"OnDrawTab frees the control",
       [](PageControlFreeing& t) {
         t.control_->SetOwnerDraw(true);
         t.control_->OnDrawTab = [&t](TPcCustomPageControl*, int, const RECT&, bool) { t.FreeControl(); };
       },
       TAct::Paint, true, 0},
      {"OnDrawTabEx frees the page being drawn",
       [](PageControlFreeing& t) {
         t.control_->OnDrawTabEx = [b = t.Page(1)](TPcCustomPageControl*, TPcDrawTabExRecord* record) {
           if (record->Page() == b) delete b;
         };
       },
       TAct::Paint, false, 2},
      {"OnGetImageIndex frees the control",
       [](PageControlFreeing& t) {
         t.control_->SetImages(&t.images_);
         t.control_->OnGetImageIndex = [&t](TObject*, int, int&) { t.FreeControl(); };
       },
       TAct::Paint, true, 0},
      {"OnDrawTabEx frees the control",
       [](PageControlFreeing& t) {
         t.control_->OnDrawTabEx = [&t](TPcCustomPageControl*, TPcDrawTabExRecord*) { t.FreeControl(); };
       },
       TAct::Paint, true, 0},
      {"the active page deleted, OnChange frees the control",
       [](PageControlFreeing& t) { t.control_->OnChange = [&t](TObject*) { t.FreeControl(); }; }, TAct::DeleteActive,
       true, 0},
      {"the active page deleted, OnChanging frees the page about to become active",
       [](PageControlFreeing& t) {
         t.control_->OnChanging = [b = t.Page(1)](TObject*, TPcTabSheet* page, bool&) {
           if (page == b) delete page;
         };
       },
       TAct::DeleteActive, false, 1},
  };
  for (TPcTabStyle style :
       {TPcTabStyle::pctsTabs, TPcTabStyle::pctsButtons, TPcTabStyle::pctsFlatButtons, TPcTabStyle::pctsFlat}) {
    for (const TCase& c : cases) {
      SCOPED_TRACE(testing::Message() << c.Name << ", style " << static_cast<int>(style));
      {
        TGuardedAllocations guard;
        Build(style);
        c.Arm(*this);
        switch (c.Act) {
          case TAct::ClickB:
            ClickTab(Page(1));
            break;
          case TAct::RightArrow:
            PressRight();
            break;
          case TAct::Paint:
            Repaint();
            break;
          case TAct::DeleteActive:
            delete Page(0);
            ProcessPendingMessages();
            break;
        }
        if (!c.FreesControl) {
          ASSERT_NE(control_, nullptr);
          EXPECT_EQ(control_->PageCount(), c.PagesLeft);
          ExpectOnlyTheActivePageShown();
          Repaint();
          FreeControl();
        }
        EXPECT_EQ(control_, nullptr);
      }
      ProcessQueued();
    }
  }
}

// Closing the last tab closes the window: the active page deleted, whose OnChange frees the form the control
// stands on. Made under guarded allocations.
TEST(PageControlFormFreeing, TheActivePageDeletedWhoseOnChangeFreesTheForm) {
  TGuardedAllocations guard;
  auto* form = new TForm(nullptr);
  form->SetBorderStyle(TFormBorderStyle::bsNone);
  form->SetBounds(40, 40, 420, 220);
  form->Show();
  auto* control = new TPcPageControl(form);
  control->SetBounds(10, 10, 400, 200);
  control->SetParent(form);
  for (const wchar_t* caption : {L"A", L"B"}) {
    auto* page = new TPcTabSheet(form);
    page->SetCaption(caption);
    page->SetPageControl(control);
  }
  ProcessPendingMessages();
  control->OnChange = [&form](TObject*) { delete std::exchange(form, nullptr); };
  delete control->Pages(0);
  ProcessPendingMessages();
  EXPECT_EQ(form, nullptr);
  delete form;
}

}  // namespace
