// Themes chosen by name at run time, while a window paints through the current one, and a picture of every
// theme's parts for a person to look at.
#include <string>

#include "support/test_window.h"
#include "theme_fixture.h"
#include "themes/styled_pastel_theme.h"

using namespace toolbars;

namespace {

// A window that paints a toolbar background and a pop-up frame through whichever theme is current, and repaints
// when the theme manager reports a change.
class TThemedWindow : public TObject {
 public:
  TThemedWindow()
      : window_({0, 0, 60, 40}, [this](HWND wnd, UINT msg, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
          if (msg == WM_PRINTCLIENT) {
            Paint(reinterpret_cast<HDC>(wParam));
            return 0;
          }
          if (msg == WM_PAINT) {
            PAINTSTRUCT paint;
            Paint(BeginPaint(wnd, &paint));
            EndPaint(wnd, &paint);
            return 0;
          }
          return std::nullopt;
        }) {
    AddThemeNotification(this);
  }
  ~TThemedWindow() override {
    RemoveThemeNotification(this);
    if (theme_) ReleaseTheme(theme_);
  }

  void SetTheme(const String& name) {
    if (theme_) ReleaseTheme(theme_);
    theme_ = AcquireTheme(name);
    InvalidateRect(window_.Handle(), nullptr, TRUE);
  }
  TStyledTheme* Current() const { return theme_; }
  HWND Handle() const { return window_.Handle(); }
  int Repaints() const { return repaints_; }

  void Dispatch(TMessage& message) override {
    if (message.Msg == CM_STYLEDSYSCOMMAND && message.WParam == tcAfterChange) ++repaints_;
    TObject::Dispatch(message);
  }

 private:
  void Paint(HDC dc) {
    TCanvas canvas;
    canvas.SetHandle(dc);
    const RECT bar{0, 0, 60, 20};
    theme_->PaintViewBackground(&canvas, {}, bar, bar, theme_->ViewBackColor(vtToolbar), false, vtToolbar);
    TStyledPopupPaintInfo popup{};
    popup.ViewType = vtPopupMenu;
    theme_->PaintPopupFrame(&canvas, {0, 20, 60, 40}, popup);
    canvas.SetHandle(nullptr);
  }

  TTestWindow window_;
  TStyledTheme* theme_ = nullptr;
  int repaints_ = 0;
};

}  // namespace

TEST_F(ThemeTest, SwitchingThemesWhileAWindowPaintsThroughThem) {
  TThemedWindow window;
  const struct {
    const wchar_t* Name;
    COLORREF Bar;    // top row of the toolbar background
    COLORREF Popup;  // inside the pop-up frame; kPaper where the theme leaves it
  } themesInTurn[] = {{L"Pastel", RGB(209, 209, 209), RGB(247, 247, 247)},
                      {L"Adaptive", RGB(255, 255, 255), RGB(247, 247, 247)},
                      {L"Default", kFace, kPaper},
                      {L"Emboss", RGB(192, 192, 192), kPaper},
                      {L"Relief", kFace, kPaper},
                      {L"Pastel", RGB(209, 209, 209), RGB(247, 247, 247)}};
  for (const auto& step : themesInTurn) {
    SCOPED_TRACE(std::wstring(step.Name));
    window.SetTheme(step.Name);
    ASSERT_NE(window.Current(), nullptr);
    EXPECT_EQ(window.Current()->Name(), step.Name);
    const TWindowCapture capture = TWindowCapture::OfWindow(window.Handle(), PRF_CLIENT);
    EXPECT_EQ(capture.Pixel(30, 0), step.Bar);
    if (step.Popup != kPaper) {
      EXPECT_EQ(capture.Pixel(30, 30), step.Popup);
    }
  }
  // A change of system colours reaches the current theme and the window alike.
  const int before = window.Repaints();
  Environment.SetSysColor(COLOR_WINDOW, RGB(240, 250, 255));
  Refresh();
  EXPECT_GT(window.Repaints(), before);
  const TWindowCapture capture = TWindowCapture::OfWindow(window.Handle(), PRF_CLIENT);
  EXPECT_NE(capture.Pixel(30, 0), RGB(209, 209, 209));
  // The unit's glyphs live as long as the window holds the theme, and no longer.
  EXPECT_EQ(themes::PastelStockGlyphs().InstanceCount(), 1);
}
