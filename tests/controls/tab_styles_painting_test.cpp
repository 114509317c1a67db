#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "controls/tabs/tab_styles.h"
#include "page_control_fixture.h"
#include "support/test_environment.h"
#include "support/window_capture.h"

using namespace controls;

namespace {

const COLORREF kFace = RGB(200, 200, 200);
const COLORREF kLight = RGB(220, 220, 220);  // the face lifted by 20
const COLORREF kHighlight3D = RGB(250, 250, 250);
const COLORREF kLight3D = RGB(230, 230, 230);
const COLORREF kShadow = RGB(128, 128, 128);
const COLORREF kDarkShadow = RGB(40, 40, 40);
const COLORREF kText = RGB(0, 0, 100);
const COLORREF kSelection = RGB(10, 36, 106);
const COLORREF kSelectionText = RGB(255, 255, 200);
const COLORREF kWhite = RGB(255, 255, 255);
const TColor kControlColor = 0xF0DCD2;  // RGB(210, 220, 240)

constexpr TPcTabPosition kPositions[] = {TPcTabPosition::pctpTop, TPcTabPosition::pctpBottom, TPcTabPosition::pctpLeft,
                                         TPcTabPosition::pctpRight};
const wchar_t* const kPositionNames[] = {L"top", L"bottom", L"left", L"right"};
const wchar_t* const kStyleNames[] = {L"tabs", L"buttons", L"flatbuttons", L"flat"};

// A point of a tab given as for tabs on top: along the row from the tab's start, across it from its outer edge.
POINT Probe(const RECT& r, TPcTabPosition position, int along, int across) {
  switch (position) {
    case TPcTabPosition::pctpBottom:
      return POINT{r.left + along, r.bottom - 1 - across};
    case TPcTabPosition::pctpLeft:
      return POINT{r.left + across, r.top + along};
    case TPcTabPosition::pctpRight:
      return POINT{r.right - 1 - across, r.top + along};
    case TPcTabPosition::pctpTop:
    default:
      return POINT{r.left + along, r.top + across};
  }
}

int Length(const RECT& r, TPcTabPosition position) { return IsSide(position) ? r.bottom - r.top : r.right - r.left; }

// Three pages, the middle one active, painted with pinned classic colours.
class TabStylesPainting : public PageControlTest {
 protected:
  void SetUp() override {
    PageControlTest::SetUp();
    Environment.SetVisualStyles(false);
    const std::pair<int, COLORREF> colors[] = {{COLOR_BTNFACE, kFace},          {COLOR_BTNHIGHLIGHT, kHighlight3D},
                                               {COLOR_3DLIGHT, kLight3D},       {COLOR_BTNSHADOW, kShadow},
                                               {COLOR_3DDKSHADOW, kDarkShadow}, {COLOR_BTNTEXT, kText},
                                               {COLOR_HIGHLIGHT, kSelection},   {COLOR_HIGHLIGHTTEXT, kSelectionText}};
    for (const auto& [element, color] : colors) Environment.SetSysColor(element, color);
    Control()->SetParentColor(false);
    Control()->SetColor(kControlColor);
    AddPages({L"One", L"Two", L"Three"});
    EXPECT_TRUE(Control()->SetActivePageIndex(1).Alive());
  }

  struct TView {
    TWindowCapture Capture;
    TPcTabPosition Position;
    RECT Inactive;  // the first tab
    RECT Active;    // the second
    RECT Last;      // the third
    RECT Area;
    RECT Page;
    COLORREF At(POINT p) const { return Capture.Pixel(p.x, p.y); }
  };

  TView Paint(TPcTabStyle style, TPcTabPosition position) {
    Control()->SetStyle(style);
    Control()->SetTabPosition(position);
    TView view{TWindowCapture::OfWindow(Control()->Handle()),
               position,
               Painter()->Buttons(0)->Rect(),
               Painter()->Buttons(1)->Rect(),
               Painter()->Buttons(2)->Rect(),
               Painter()->TabAreaRect(),
               Control()->Pages(1)->BoundsRect()};
    KeepCaptureForViewing(view.Capture, std::wstring(L"tabs_") + kStyleNames[static_cast<int>(style)] + L"_" +
                                            kPositionNames[static_cast<int>(position)]);
    return view;
  }

  TTestEnvironment Environment;
};

}  // namespace

TEST_F(TabStylesPainting, ClassicTabs) {
  Control()->Pages(0)->SetHighlighted(true);
  for (TPcTabPosition position : kPositions) {
    const TView v = Paint(TPcTabStyle::pctsTabs, position);
    const bool lightSide = position == TPcTabPosition::pctpTop || position == TPcTabPosition::pctpLeft;
    const COLORREF outer = lightSide ? kHighlight3D : kDarkShadow;
    const int middle = Length(v.Active, position) / 2;
    const std::wstring at = kPositionNames[static_cast<int>(position)];
    EXPECT_EQ(v.At(Probe(v.Active, position, middle, 0)), outer) << at << ": the active tab reaches the edge";
    EXPECT_EQ(v.At(Probe(v.Inactive, position, 3, 0)), static_cast<COLORREF>(kControlColor))
        << at << ": inactive tabs start further in";
    EXPECT_EQ(v.At(Probe(v.Inactive, position, 3, 2)), outer) << at;
    EXPECT_EQ(v.At(Probe(v.Inactive, position, 5, 6)), kSelection) << at << ": a highlighted tab";
    const int y = (v.Page.top + v.Page.bottom) / 2;
    EXPECT_EQ(v.Capture.Pixel(v.Page.right + 1, y), kDarkShadow) << at << ": the raised page frame";
    EXPECT_EQ(v.Capture.Pixel(v.Page.right, y), kShadow) << at;
  }
}

TEST_F(TabStylesPainting, Buttons) {
  Control()->Pages(0)->SetHighlighted(true);
  for (TPcTabPosition position : kPositions) {
    const TView v = Paint(TPcTabStyle::pctsButtons, position);
    const std::wstring at = kPositionNames[static_cast<int>(position)];
    const int y = (v.Inactive.top + v.Inactive.bottom) / 2;
    EXPECT_EQ(v.Capture.Pixel(v.Inactive.left + 1, y), kLight3D) << at << ": raised";
    EXPECT_EQ(v.Capture.Pixel(v.Inactive.left + 2, y), kHighlight3D) << at;
    EXPECT_NE(v.Capture.Pixel(v.Inactive.left + 5, v.Inactive.top + 5), kSelection) << at << ": no highlight here";
    const int activeY = (v.Active.top + v.Active.bottom) / 2;
    EXPECT_EQ(v.Capture.Pixel(v.Active.left + 1, activeY), kShadow) << at << ": sunken";
    EXPECT_EQ(v.Capture.Pixel(v.Active.left + 2, activeY), kDarkShadow) << at;
    EXPECT_EQ(v.Capture.Pixel(v.Active.left + 4, v.Active.top + 4), kLight) << at << ": the light face";
  }
}

TEST_F(TabStylesPainting, FlatButtons) {
  for (TPcTabPosition position : kPositions) {
    const TView v = Paint(TPcTabStyle::pctsFlatButtons, position);
    const std::wstring at = kPositionNames[static_cast<int>(position)];
    const RECT& r = v.Inactive;
    const int midX = (r.left + r.right) / 2;
    const int midY = (r.top + r.bottom) / 2;
    switch (position) {
      case TPcTabPosition::pctpLeft:
        EXPECT_EQ(v.Capture.Pixel(midX, r.top + 1), kShadow) << at << ": etched separator";
        EXPECT_EQ(v.Capture.Pixel(midX, r.top + 2), kHighlight3D) << at;
        break;
      case TPcTabPosition::pctpRight:
        EXPECT_EQ(v.Capture.Pixel(midX, r.bottom - 2), kHighlight3D) << at << ": etched separator";
        EXPECT_EQ(v.Capture.Pixel(midX, r.bottom - 3), kShadow) << at;
        break;
      default:
        EXPECT_EQ(v.Capture.Pixel(r.right - 2, midY), kHighlight3D) << at << ": etched separator";
        EXPECT_EQ(v.Capture.Pixel(r.right - 3, midY), kShadow) << at;
        break;
    }
    EXPECT_EQ(v.At(Probe(r, position, 3, 1)), static_cast<COLORREF>(kControlColor)) << at << ": flat when idle";
    const int m = Painter()->GetIndent();
    const RECT face = InsetForPosition(v.Active, position, m, 0, -3 * m, 0);
    EXPECT_EQ(v.Capture.Pixel(face.left, (face.top + face.bottom) / 2), kShadow) << at << ": the active face is sunken";
    EXPECT_EQ(v.Capture.Pixel(face.left + 3, face.top + 3), kLight) << at;
  }
}

TEST_F(TabStylesPainting, FlatTabsOnALightStrip) {
  for (TPcTabPosition position : kPositions) {
    const TView v = Paint(TPcTabStyle::pctsFlat, position);
    const std::wstring at = kPositionNames[static_cast<int>(position)];
    const bool lightSide = position == TPcTabPosition::pctpTop || position == TPcTabPosition::pctpLeft;
    const COLORREF outer = lightSide ? kWhite : kText;
    const int length = Length(v.Active, position);
    const int strip = Painter()->GetTabsAreaHeight();
    const int end = Length(v.Area, position) - 4;
    EXPECT_EQ(v.At(Probe(v.Area, position, end, 1)), kLight) << at << ": the strip";
    EXPECT_EQ(v.At(Probe(v.Area, position, end, strip - 3)), outer) << at << ": the page line";
    EXPECT_EQ(v.At(Probe(v.Area, position, end, strip - 1)), kFace) << at;
    EXPECT_EQ(v.At(Probe(v.Active, position, 3, 4)), kFace) << at << ": the active face";
    EXPECT_EQ(v.At(Probe(v.Active, position, 3, 2)), outer) << at << ": its outer line";
    EXPECT_EQ(v.At(Probe(v.Active, position, length - 1, 5)), kText) << at << ": its trailing line";
    EXPECT_EQ(v.At(Probe(v.Active, position, -1, 5)), kWhite) << at << ": its leading line";
    EXPECT_EQ(v.At(Probe(v.Active, position, 3, strip - 3)), kFace) << at << ": open to the page";
    EXPECT_EQ(v.At(Probe(v.Inactive, position, 2, 5)), kLight) << at << ": inactive tabs are not filled";
    EXPECT_EQ(v.At(Probe(v.Last, position, Length(v.Last, position) - 1, 5)), kFace) << at << ": separator";
    EXPECT_EQ(v.At(Probe(v.Last, position, Length(v.Last, position) - 1, 1)), kLight) << at << ": it stops short";
  }
}

TEST_F(TabStylesPainting, FlatScrollButtonsHoverAndPress) {
  for (int i = 0; i < 17; ++i) AddPage(L"More " + std::to_wstring(i));
  Control()->SetStyle(TPcTabStyle::pctsFlat);
  const RECT left = Painter()->LeftScrollRect();
  ASSERT_EQ(left.bottom - left.top, 17);
  ASSERT_EQ(left.right - left.left, 17);
  EXPECT_EQ(Painter()->RightScrollRect().left - left.right, 4);
  const POINT centre = Centre(left);
  const RECT frame{left.left + 2, left.top + 2, left.right - 2, left.bottom - 2};
  const struct {
    const char* Name;
    std::function<void()> Act;
    COLORREF Frame;
    COLORREF Arrow;
  } cases[] = {
      {"idle", [] {}, kLight, kText},
      {"hovered: raised outer frame",
       [&] {
         const POINT screen = Control()->ClientToScreen(centre);
         SetCursorPos(screen.x, screen.y);
         SendMessageW(Control()->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Control()->Handle()),
                      MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
       },
       kLight3D, kText},
      {"pressed: sunken inner frame, light arrow",
       [&] { SendMessageW(Control()->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(centre.x, centre.y)); },
       kDarkShadow, kSelectionText},
  };
  for (const auto& c : cases) {
    c.Act();
    TWindowCapture capture = TWindowCapture::OfWindow(Control()->Handle());
    EXPECT_EQ(capture.Pixel(frame.left, frame.top + 5), c.Frame) << c.Name;
    EXPECT_EQ(capture.Pixel(centre.x, centre.y), c.Arrow) << c.Name;
  }
  SendMessageW(Control()->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(centre.x, centre.y));
}

TEST_F(TabStylesPainting, OwnerDrawLeavesFrameToTheStyle) {
  std::vector<std::pair<int, bool>> drawn;
  Control()->SetOwnerDraw(true);
  Control()->OnDrawTab = [&](TPcCustomPageControl*, int tabIndex, const RECT& rect, bool active) {
    drawn.emplace_back(tabIndex, active);
    Control()->Canvas()->Brush()->SetColor(clRed);
    Control()->Canvas()->FillRect(rect);
  };
  const TView v = Paint(TPcTabStyle::pctsTabs, TPcTabPosition::pctpTop);
  std::sort(drawn.begin(), drawn.end());
  EXPECT_EQ(drawn, (std::vector<std::pair<int, bool>>{{0, false}, {1, true}, {2, false}}));
  const int middle = Length(v.Active, TPcTabPosition::pctpTop) / 2;
  EXPECT_EQ(v.At(Probe(v.Active, TPcTabPosition::pctpTop, middle, 0)), kHighlight3D) << "the frame is still drawn";
  EXPECT_EQ(v.At(Probe(v.Active, TPcTabPosition::pctpTop, middle, 5)), RGB(255, 0, 0)) << "the event drew inside";
}

TEST_F(TabStylesPainting, LightStripKeepsItsFirstColour) {
  Paint(TPcTabStyle::pctsFlat, TPcTabPosition::pctpTop);
  Environment.SetSysColor(COLOR_BTNFACE, RGB(100, 100, 100));
  const TView v = Paint(TPcTabStyle::pctsFlat, TPcTabPosition::pctpTop);
  EXPECT_EQ(v.At(Probe(v.Area, TPcTabPosition::pctpTop, Length(v.Area, TPcTabPosition::pctpTop) - 4, 1)), kLight);
  EXPECT_EQ(v.At(Probe(v.Active, TPcTabPosition::pctpTop, 3, 4)), RGB(100, 100, 100)) << "the face follows";
}

TEST_F(TabStylesPainting, CaptionColours) {
  Control()->SetHotTrack(true);
  const COLORREF plain = static_cast<COLORREF>(ColorToRGB(Control()->Font()->Color()));
  const struct {
    const char* Name;
    TPcTabStyle Style;
    std::function<void()> Prepare;
    COLORREF Caption;
  } cases[] = {
      {"plain", TPcTabStyle::pctsFlat, [] {}, plain},
      {"under the mouse: blue on this system", TPcTabStyle::pctsFlat,
       [&] {
         const POINT screen = Control()->ClientToScreen(Centre(Painter()->Buttons(0)->Rect()));
         SetCursorPos(screen.x, screen.y);
         SendMessageW(Control()->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Control()->Handle()),
                      MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
       },
       RGB(0, 0, 255)},
      {"highlighted", TPcTabStyle::pctsTabs, [&] { Control()->Pages(0)->SetHighlighted(true); }, kSelectionText},
      {"a font from OnDrawTabEx", TPcTabStyle::pctsFlat,
       [&] {
         Control()->OnDrawTabEx = [](TPcCustomPageControl*, TPcDrawTabExRecord* record) {
           if (record->Page()->Caption() == L"One") record->Font()->SetColor(clRed);
         };
       },
       RGB(255, 0, 0)},
  };
  for (const auto& c : cases) {
    Control()->SetStyle(c.Style);
    c.Prepare();
    const TView v = Paint(c.Style, TPcTabPosition::pctpTop);
    const RECT caption = Painter()->Buttons(0)->ContentRect(v.Inactive);
    EXPECT_GT(v.Capture.CountPixels(c.Caption, &caption), 3) << c.Name;
    const RECT other = Painter()->Buttons(2)->ContentRect(v.Last);
    EXPECT_GT(v.Capture.CountPixels(plain, &other), 3) << c.Name << ": the other tabs keep the font colour";
    Control()->OnDrawTabEx = nullptr;
    Control()->Pages(0)->SetHighlighted(false);
  }
}
