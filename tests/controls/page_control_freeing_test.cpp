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
#include "framework/edit.h"
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
      EXPECT_TRUE(page->SetCaption(caption).Alive());
      EXPECT_TRUE(page->SetPageControl(control_).Alive());
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
    EXPECT_TRUE(control_->SetFocus().Alive());
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
      {"the active page deleted, OnChanging frees whatever page is active",
       [](PageControlFreeing& t) {
         t.control_->OnChanging = [&t, a = t.Page(0)](TObject*, TPcTabSheet*, bool&) {
           EXPECT_NE(t.control_->ActivePage(), a) << "the page being deleted is reported active";
           if (TPcTabSheet* active = t.control_->ActivePage()) delete active;
         };
       },
       TAct::DeleteActive, false, 2},
      {"the active page deleted, the coming page's OnShow frees whatever page is active",
       [](PageControlFreeing& t) {
         t.Page(1)->OnShow = [&t, a = t.Page(0)](TObject*) {
           EXPECT_NE(t.control_->ActivePage(), a) << "the page being deleted is reported active";
           if (TPcTabSheet* active = t.control_->ActivePage()) delete active;
         };
       },
       TAct::DeleteActive, false, 2},
      {"the active page deleted, OnChange frees the page that came",
       [](PageControlFreeing& t) {
         t.control_->OnChange = [&t, b = t.Page(1)](TObject*) {
           if (t.control_->ActivePage() == b) delete b;
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
  EXPECT_TRUE(form->SetBounds(40, 40, 420, 220).Alive());
  EXPECT_TRUE(form->Show().Alive());
  auto* control = new TPcPageControl(form);
  EXPECT_TRUE(control->SetBounds(10, 10, 400, 200).Alive());
  EXPECT_TRUE(control->SetParent(form).Alive());
  for (const wchar_t* caption : {L"A", L"B"}) {
    auto* page = new TPcTabSheet(form);
    EXPECT_TRUE(page->SetCaption(caption).Alive());
    EXPECT_TRUE(page->SetPageControl(control).Alive());
  }
  ProcessPendingMessages();
  control->OnChange = [&form](TObject*) { delete std::exchange(form, nullptr); };
  delete control->Pages(0);
  ProcessPendingMessages();
  EXPECT_EQ(form, nullptr);
  delete form;
}

// Clears a slot when the component that owns it goes, however it goes (with the page it stands on, say).
class TClearsSlot : public TComponent {
 public:
  template <class T>
  explicit TClearsSlot(T*& slot) : TComponent(slot), clear_([&slot] { slot = nullptr; }) {}
  ~TClearsSlot() override { clear_(); }

 private:
  std::function<void()> clear_;
};

// A form docked into the page control, whose handlers free the control or the form it stands on: the control's
// OnChange as the docked form's page becomes active, the docked form's OnHide, raised inside its window procedure
// that the control watches, the docked form's OnStartDock as a press on its tab starts to drag it, or the control's
// OnUnDock as a double click on the tab floats it or the form is docked elsewhere. Made under guarded allocations.
TEST(PageControlDockFreeing, NothingFreedByADockedFormsHandlerIsTouchedAgain) {
  enum class TWhen { ItDocks, ItHides, ItsTabIsPressed, ItsTabIsDoubleClicked, ItDocksElsewhere };
  struct TCase {
    const char* Name;
    TWhen When;
    bool FreesTheForm;
  } cases[] = {
      {"OnChange frees the control as the client docks", TWhen::ItDocks, false},
      {"OnChange frees the form as the client docks", TWhen::ItDocks, true},
      {"the docked form's OnHide frees the control", TWhen::ItHides, false},
      {"the docked form's OnHide frees the form", TWhen::ItHides, true},
      {"a press on its tab, its OnStartDock frees the control", TWhen::ItsTabIsPressed, false},
      {"a press on its tab, its OnStartDock frees the form", TWhen::ItsTabIsPressed, true},
      {"a double click on its tab, OnUnDock frees the control", TWhen::ItsTabIsDoubleClicked, false},
      {"a double click on its tab, OnUnDock frees the form", TWhen::ItsTabIsDoubleClicked, true},
      {"docked elsewhere, OnUnDock frees the control", TWhen::ItDocksElsewhere, false},
      {"docked elsewhere, OnUnDock frees the form", TWhen::ItDocksElsewhere, true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TGuardedAllocations guard;
    auto* form = new TForm(nullptr);
    form->SetBorderStyle(TFormBorderStyle::bsNone);
    EXPECT_TRUE(form->SetBounds(40, 40, 420, 260).Alive());
    EXPECT_TRUE(form->Show().Alive());
    new TClearsSlot(form);
    auto* control = new TPcPageControl(form);
    new TClearsSlot(control);
    EXPECT_TRUE(control->SetBounds(10, 10, 400, 200).Alive());
    EXPECT_TRUE(control->SetParent(form).Alive());
    control->SetDockSite(true);
    auto* elsewhere = new TPcPageControl(form);
    EXPECT_TRUE(elsewhere->SetBounds(10, 215, 400, 40).Alive());
    EXPECT_TRUE(elsewhere->SetParent(form).Alive());
    elsewhere->SetDockSite(true);
    auto* page = new TPcTabSheet(form);
    EXPECT_TRUE(page->SetCaption(L"A").Alive());
    EXPECT_TRUE(page->SetPageControl(control).Alive());
    auto* client = new TForm(nullptr);
    new TClearsSlot(client);
    EXPECT_TRUE(client->SetBounds(100, 300, 160, 100).Alive());
    EXPECT_TRUE(client->SetCaption(L"Docked").Alive());
    EXPECT_TRUE(client->Show().Alive());
    client->SetDragKind(TDragKind::dkDock);
    ProcessPendingMessages();
    const auto free = [&form, &control, &c] {
      if (c.FreesTheForm)
        delete form;
      else
        delete control;
    };
    if (c.When == TWhen::ItDocks) {
      control->OnChange = [&free](TObject*) { free(); };
      client->ManualDock(control);
    } else {
      ASSERT_TRUE(client->ManualDock(control));
      ProcessPendingMessages();
      const RECT tab = control->Painter()->ButtonOf(control->Pages(1))->Rect();
      const LPARAM at = MAKELPARAM((tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2);
      const HWND window = control->Handle();
      switch (c.When) {
        case TWhen::ItHides:
          client->OnHide = [&free](TObject*) { free(); };
          // The docked form goes with the control's pages.
          EXPECT_TRUE(client->Hide().Gone());
          break;
        case TWhen::ItsTabIsPressed:
          client->OnStartDock = [&free](TObject*, TDragDockObject*&) { free(); };
          SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
          break;
        case TWhen::ItsTabIsDoubleClicked:
        case TWhen::ItDocksElsewhere:
          control->OnUnDock = [&free](TObject*, TControl*, TWinControl*, bool&) { free(); };
          if (c.When == TWhen::ItDocksElsewhere) {
            EXPECT_FALSE(client->ManualDock(elsewhere));
          } else {
            SendMessageW(window, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
          }
          break;
        case TWhen::ItDocks:
          break;
      }
      EXPECT_FALSE(IsWindow(window));
      EXPECT_EQ(GetCapture(), nullptr) << "the press let the mouse go";
    }
    ProcessPendingMessages();
    EXPECT_EQ(c.FreesTheForm ? static_cast<void*>(form) : control, nullptr) << "the handler did not run";
    delete client;
    delete form;
    ProcessPendingMessages();
  }
}

}  // namespace
