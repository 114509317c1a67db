// A page control on a shown form with named pages, and a record of its change events.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "controls/tabs/page_control.h"
#include "controls/tabs/tab_painter.h"
#include "form_fixture.h"

class PageControlTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    control_ = Make<controls::TPcPageControl>({10, 10, 410, 210});
    control_->OnChanging = controls::TPcTabChangingEvent(this, &PageControlTest::Changing);
    control_->OnChange = TNotifyEvent(this, &PageControlTest::Changed);
  }
  void TearDown() override {
    SetKeys({});
    FormTest::TearDown();
  }

  controls::TPcPageControl* Control() const { return control_; }
  controls::TPcPageControlButtons* Painter() const { return control_->Painter(); }

  controls::TPcTabSheet* AddPage(const String& caption) {
    auto* page = new controls::TPcTabSheet(Form());
    EXPECT_TRUE(page->SetCaption(caption).Alive());
    EXPECT_TRUE(page->SetPageControl(control_).Alive());
    return page;
  }
  void AddPages(std::initializer_list<const wchar_t*> captions) {
    for (const wchar_t* caption : captions) AddPage(caption);
    events_.clear();
  }
  // The caption of the active page, "-" for none.
  String Active() const { return control_->ActivePage() ? control_->ActivePage()->Caption() : String(L"-"); }

  // Holds exactly these keys down in the thread's keyboard state.
  static void SetKeys(std::initializer_list<int> keys) {
    BYTE state[256]{};
    for (int key : keys) state[key] = 0x80;
    SetKeyboardState(state);
  }
  POINT Centre(const RECT& rect) const { return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }
  void Click(POINT point, UINT down = WM_LBUTTONDOWN) {
    SendMessageW(control_->Handle(), down, MK_LBUTTON, MAKELPARAM(point.x, point.y));
    SendMessageW(control_->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
  }

  std::vector<String> events_;
  bool allowChange_ = true;

 private:
  void Changing(TObject*, controls::TPcTabSheet* page, bool& allow) {
    events_.push_back(L"changing " + (page ? page->Caption() : String(L"-")));
    allow = allowChange_;
  }
  void Changed(TObject*) { events_.push_back(L"change " + Active()); }

  controls::TPcPageControl* control_ = nullptr;
};
