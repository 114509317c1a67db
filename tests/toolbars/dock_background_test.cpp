#include "toolbars/docks/dock_background.h"

#include <gtest/gtest.h>

#include <memory>

#include "dock_fixture.h"
#include "support/window_capture.h"
#include "toolbars/common/bar_hook.h"

using namespace toolbars;

namespace {

// A picture of two colours: the left half first, the right half second.
std::unique_ptr<TBitmap> TwoColourPicture(int width, int height, COLORREF left, COLORREF right) {
  auto picture = std::make_unique<TBitmap>();
  picture->SetSize(width, height);
  HDC dc = picture->Canvas()->Handle();
  RECT leftHalf{0, 0, width / 2, height};
  RECT rightHalf{width / 2, 0, width, height};
  HBRUSH leftBrush = CreateSolidBrush(left);
  HBRUSH rightBrush = CreateSolidBrush(right);
  FillRect(dc, &leftHalf, leftBrush);
  FillRect(dc, &rightHalf, rightBrush);
  DeleteObject(leftBrush);
  DeleteObject(rightBrush);
  return picture;
}

int changesHeard = 0;
void CountChange(void*, TBarBasicBackground*) { ++changesHeard; }

constexpr COLORREF kRed = RGB(200, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 200);
constexpr COLORREF kMagenta = RGB(255, 0, 255);

}  // namespace

TEST(DockBackground, AnEmptyPictureDrawsNothing) {
  TBarBackground background(nullptr);
  EXPECT_FALSE(background.UsingBackground());
  TWindowCapture capture(40, 20);
  background.Draw(capture.DC(), RECT{0, 0, 40, 20});
  EXPECT_EQ(capture.CountPixels(TWindowCapture::kUnpainted), 40 * 20);
  // Stretched to a size of nothing it stays empty too.
  background.ChangeStretch(true);
  background.SetStretchSize(0, 0);
  background.Draw(capture.DC(), RECT{0, 0, 40, 20});
  EXPECT_EQ(capture.CountPixels(TWindowCapture::kUnpainted), 40 * 20);
}

TEST(DockBackground, TilesFromTheGivenOrigin) {
  struct TCase {
    int Width;
    int Origin;
  } cases[] = {{10, 0}, {10, -5}, {8, 0}, {8, -3}};
  for (const TCase& c : cases) {
    TBarBackground background(nullptr);
    background.SetBitmap(TwoColourPicture(c.Width, c.Width, kRed, kBlue).get());
    TWindowCapture capture(40, 16);
    background.Draw(capture.DC(), RECT{c.Origin, 0, 40, 16});
    EXPECT_EQ(capture.CountPixels(TWindowCapture::kUnpainted), 0) << c.Width;
    for (int x = 0; x < 40; ++x) {
      int inTile = ((x - c.Origin) % c.Width + c.Width) % c.Width;
      EXPECT_EQ(capture.Pixel(x, 3), inTile < c.Width / 2 ? kRed : kBlue) << c.Width << " " << c.Origin << " " << x;
    }
  }
}

TEST(DockBackground, TransparentPartsShowTheBackgroundColour) {
  TBarBackground background(nullptr);
  auto picture = TwoColourPicture(10, 10, kMagenta, kBlue);
  background.SetBitmap(picture.get());
  background.SetBkColor(RGB(0, 128, 0));
  background.SetTransparent(true);
  TWindowCapture capture(10, 10);
  background.Draw(capture.DC(), RECT{0, 0, 10, 10});
  EXPECT_EQ(capture.Pixel(1, 1), RGB(0, 128, 0));
  EXPECT_EQ(capture.Pixel(8, 8), kBlue);
}

TEST(DockBackground, StretchTakesTheDockSizeOrElseThePicturesOwn) {
  TBarBackground background(nullptr);
  background.SetBitmap(TwoColourPicture(10, 10, kRed, kBlue).get());
  background.ChangeStretch(true);
  background.SetStretchSize(40, 10);
  TWindowCapture capture(40, 10);
  background.Draw(capture.DC(), RECT{0, 0, 40, 10});
  EXPECT_EQ(capture.Pixel(15, 5), kRed);
  EXPECT_EQ(capture.Pixel(25, 5), kBlue);
  background.SetStretchSize(0, 0);
  background.Draw(capture.DC(), RECT{0, 0, 40, 10});
  EXPECT_EQ(capture.Pixel(7, 5), kBlue);
  EXPECT_EQ(capture.Pixel(12, 5), kRed);
}

TEST(DockBackground, ChangesReachEachRegisteredProcedureOnce) {
  TBarBackground background(nullptr);
  changesHeard = 0;
  int data = 0;
  background.RegisterChanges(&CountChange, &data);
  background.RegisterChanges(&CountChange, &data);
  background.SetTransparent(true);
  EXPECT_EQ(changesHeard, 1);
  background.SetBkColor(clBtnFace);
  background.SetBkColor(RGB(1, 2, 3));
  EXPECT_EQ(changesHeard, 2);
  background.UnregisterChanges(&CountChange, &data);
  background.SetTransparent(false);
  EXPECT_EQ(changesHeard, 2);
}

TEST_F(DockFormTest, DocksAndTheirWindowsShareOnePicture) {
  auto* background = new TBarBackground(Form());
  background->SetBitmap(TwoColourPicture(10, 10, kRed, kBlue).get());
  Top()->SetBackground(background);
  TPlainBar* bar = AddBar(Top(), SIZE{60, 20}, 0, 0);
  AddBar(Bottom(), SIZE{60, 20}, 0, 100);
  Bottom()->SetBackground(background);
  ProcessPendingMessages();
  TWindowCapture dock = TWindowCapture::OfWindow(Top()->Handle(), PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND);
  KeepCaptureForViewing(dock, L"dock_background");
  // The dock's free part continues the picture from the form's origin.
  int y = 2;
  for (int x = 80; x < 120; ++x) EXPECT_EQ(dock.Pixel(x, y), (x % 10) < 5 ? kRed : kBlue) << x;
  // The bar's frame shows the same picture, lined up with the dock.
  TWindowCapture frame = TWindowCapture::OfWindow(bar->Handle(), PRF_NONCLIENT);
  EXPECT_EQ(frame.Pixel(bar->Width() - 2, 12), (bar->Width() - 2) % 10 < 5 ? kRed : kBlue);
  // A background that goes leaves the dock to its colour.
  delete background;
  EXPECT_EQ(Top()->Background(), nullptr);
}

TEST_F(DockFormTest, DockableWindowsListenForActivationAndFormChanges) {
  int destroyBefore = HookUseCount(THookProcKind::hkDestroyWindow);
  int activateBefore = HookUseCount(THookProcKind::hkActivateApp);
  int positionBefore = HookUseCount(THookProcKind::hkWindowPosChanged);
  TPlainBar* bar = AddBar(Top(), SIZE{60, 20});
  EXPECT_EQ(HookUseCount(THookProcKind::hkDestroyWindow), destroyBefore + 1);
  EXPECT_EQ(HookUseCount(THookProcKind::hkActivateApp), activateBefore + 1);
  EXPECT_EQ(HookUseCount(THookProcKind::hkWindowPosChanged), positionBefore + 1);
  delete bar;
  EXPECT_EQ(HookUseCount(THookProcKind::hkActivateApp), activateBefore);
}

namespace {

// A background that draws with a palette of its own, as a picture of 256 colours does.
class TPaletteBackground : public TBarBasicBackground {
 public:
  explicit TPaletteBackground(TComponent* owner) : TBarBasicBackground(owner) {
    struct {
      LOGPALETTE Header;
      PALETTEENTRY More[1];
    } entries{};
    entries.Header.palVersion = 0x300;
    entries.Header.palNumEntries = 2;
    entries.Header.palPalEntry[0] = PALETTEENTRY{200, 0, 0, 0};
    entries.More[0] = PALETTEENTRY{0, 0, 200, 0};
    palette_ = CreatePalette(&entries.Header);
  }
  ~TPaletteBackground() override { DeleteObject(palette_); }
  void Draw(HDC dc, const RECT& drawRect) override { FillRect(dc, &drawRect, GetSysColorBrush(COLOR_WINDOW)); }
  HPALETTE GetPalette() override { return palette_; }
  void RegisterChanges(TBarBackgroundChangeProc, void*) override {}
  void SysColorChanged() override {}
  void UnregisterChanges(TBarBackgroundChangeProc, void*) override {}
  bool UsingBackground() override { return true; }

 private:
  HPALETTE palette_ = nullptr;
};

}  // namespace

TEST_F(DockFormTest, TheDockAndItsWindowsAnswerTheBackgroundsPalette) {
  auto* background = new TPaletteBackground(Form());
  Top()->SetBackground(background);
  TPlainBar* docked = AddBar(Top(), SIZE{60, 20});
  TPlainBar* elsewhere = AddBar(Bottom(), SIZE{60, 20});
  ASSERT_NE(background->GetPalette(), nullptr);
  EXPECT_EQ(Top()->GetPalette(), background->GetPalette());
  EXPECT_EQ(docked->GetPalette(), background->GetPalette());
  EXPECT_EQ(Bottom()->GetPalette(), nullptr);
  EXPECT_EQ(elsewhere->GetPalette(), nullptr);
  EXPECT_TRUE(docked->FloatOrDock(true).Alive());
  EXPECT_EQ(docked->GetPalette(), nullptr) << "a floating window answers none";
  // Realising it on the palette messages changes nothing for the dock's own DC.
  SendMessageW(Top()->Handle(), WM_QUERYNEWPALETTE, 0, 0);
  SendMessageW(Top()->Handle(), WM_PALETTECHANGED, reinterpret_cast<WPARAM>(Form()->Handle()), 0);
  HDC dc = GetDC(Top()->Handle());
  EXPECT_NE(GetCurrentObject(dc, OBJ_PAL), background->GetPalette());
  ReleaseDC(Top()->Handle(), dc);
  Top()->SetBackground(nullptr);
  EXPECT_EQ(Top()->GetPalette(), nullptr);
}
