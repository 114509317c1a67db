#include "framework/graphics.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <utility>

#include "framework/bitmap.h"
#include "framework/exceptions.h"
#include "support/hostile_input.h"
#include "support/test_environment.h"
#include "support/window_capture.h"

namespace {

// A capture filled with one colour, to paint into through a canvas.
TWindowCapture Blank(int width, int height, COLORREF fill = RGB(255, 255, 255)) {
  TWindowCapture capture(width, height);
  capture.Fill(fill);
  return capture;
}

class SystemColors : public TEnvironmentTest {
 protected:
  void SetUp() override { Pin(RGB(10, 20, 30), RGB(200, 100, 50)); }
  void Pin(COLORREF face, COLORREF highlight) {
    Environment.SetSysColor(COLOR_BTNFACE, face);
    Environment.SetSysColor(COLOR_HIGHLIGHT, highlight);
  }
};

TEST_F(SystemColors, ResolvedWhenUsed) {
  EXPECT_EQ(ColorToRGB(clBtnFace), 0x1E140A);
  EXPECT_EQ(ColorToRGB(clHighlight), 0x3264C8);
  EXPECT_EQ(ColorToRGB(0x123456), 0x123456);
  EXPECT_EQ(ColorToRGB(clNone), clNone);
  EXPECT_EQ(static_cast<std::uint32_t>(clBtnFace), 0x8000000Fu);

  TWindowCapture surface = Blank(4, 4);
  TCanvas canvas;
  canvas.SetHandle(surface.DC());
  canvas.Brush()->SetColor(clBtnFace);
  canvas.FillRect({0, 0, 2, 4});
  Pin(RGB(1, 2, 3), RGB(200, 100, 50));
  // A brush made after the change paints the new value.
  canvas.Brush()->SetColor(clHighlight);
  canvas.Brush()->SetColor(clBtnFace);
  canvas.FillRect({2, 0, 4, 4});
  EXPECT_EQ(surface.Pixel(0, 0), 0x1E140A);
  EXPECT_EQ(surface.Pixel(3, 0), 0x030201);
}

TEST(ColorNames, RoundTrip) {
  EXPECT_EQ(ColorToString(clBtnFace), L"clBtnFace");
  EXPECT_EQ(ColorToString(clNone), L"clNone");
  EXPECT_EQ(ColorToString(0x00C0FFEE), L"$00C0FFEE");
  EXPECT_EQ(StringToColor(L"$00C0FFEE"), 0x00C0FFEE);
  EXPECT_EQ(StringToColor(L"clbtnface"), clBtnFace);
  EXPECT_EQ(StringToColor(L"255"), clRed);
  EXPECT_EQ(StringToColor(L"-2147483633"), clBtnFace);
  EXPECT_THROW(StringToColor(L"clNoSuchColour"), EConvertError);
  EXPECT_THROW(StringToColor(L"$"), EConvertError);
  EXPECT_THROW(StringToColor(L"12x"), EConvertError);
  EXPECT_THROW(StringToColor(L"$1FFFFFFFF"), EConvertError);
}

TEST(CanvasShapes, RectangleOutlineFillAndExclusiveEdges) {
  TWindowCapture surface = Blank(20, 20);
  TCanvas canvas;
  canvas.SetHandle(surface.DC());
  canvas.Pen()->SetColor(clRed);
  canvas.Brush()->SetColor(clBlue);
  canvas.Rectangle(2, 3, 10, 12);
  EXPECT_EQ(surface.Pixel(2, 3), clRed);
  EXPECT_EQ(surface.Pixel(9, 11), clRed);
  EXPECT_EQ(surface.Pixel(10, 11), clWhite);
  EXPECT_EQ(surface.Pixel(9, 12), clWhite);
  EXPECT_EQ(surface.Pixel(5, 7), clBlue);
  EXPECT_EQ(surface.CountPixels(clBlue), 6 * 7);

  canvas.Brush()->SetStyle(TBrushStyle::bsClear);
  canvas.Pen()->SetColor(clLime);
  canvas.Rectangle(12, 12, 18, 18);
  EXPECT_EQ(surface.Pixel(12, 12), clLime);
  EXPECT_EQ(surface.Pixel(15, 15), clWhite);
  // Setting a colour makes a clear brush solid again.
  canvas.Brush()->SetColor(clBlue);
  EXPECT_EQ(canvas.Brush()->Style(), TBrushStyle::bsSolid);
}

TEST(CanvasShapes, LinesLeaveOutTheEndPoint) {
  TWindowCapture surface = Blank(10, 10);
  TCanvas canvas;
  canvas.SetHandle(surface.DC());
  canvas.Pen()->SetColor(clBlack);
  canvas.MoveTo(1, 1);
  canvas.LineTo(6, 1);
  EXPECT_EQ(surface.Pixel(1, 1), clBlack);
  EXPECT_EQ(surface.Pixel(5, 1), clBlack);
  EXPECT_EQ(surface.Pixel(6, 1), clWhite);
  EXPECT_EQ(canvas.PenPos().x, 6);
  canvas.Polyline({{1, 3}, {1, 8}, {4, 8}});
  EXPECT_EQ(surface.Pixel(1, 7), clBlack);
  EXPECT_EQ(surface.Pixel(3, 8), clBlack);
  EXPECT_EQ(surface.Pixel(4, 8), clWhite);
  canvas.Pen()->SetStyle(TPenStyle::psClear);
  canvas.MoveTo(0, 9);
  canvas.LineTo(9, 9);
  EXPECT_EQ(surface.CountPixels(clBlack), 5 + 5 + 3);
}

TEST(CanvasShapes, FilledPolygonEllipseRoundRect) {
  TWindowCapture surface = Blank(40, 20);
  TCanvas canvas;
  canvas.SetHandle(surface.DC());
  canvas.Pen()->SetStyle(TPenStyle::psClear);
  canvas.Brush()->SetColor(clGreen);
  canvas.Polygon({{0, 0}, {10, 0}, {0, 10}});
  EXPECT_EQ(surface.Pixel(2, 2), clGreen);
  EXPECT_EQ(surface.Pixel(8, 8), clWhite);
  canvas.Brush()->SetColor(clMaroon);
  canvas.Ellipse(10, 0, 20, 10);
  EXPECT_EQ(surface.Pixel(15, 5), clMaroon);
  EXPECT_EQ(surface.Pixel(10, 0), clWhite);
  canvas.Brush()->SetColor(clNavy);
  canvas.RoundRect(20, 0, 40, 20, 10, 10);
  EXPECT_EQ(surface.Pixel(30, 10), clNavy);
  EXPECT_EQ(surface.Pixel(20, 0), clWhite);
  EXPECT_EQ(surface.Pixel(30, 1), clNavy);
}

TEST(CanvasShapes, FrameFocusAndPixels) {
  TWindowCapture surface = Blank(12, 12);
  TCanvas canvas;
  canvas.SetHandle(surface.DC());
  canvas.Brush()->SetColor(clPurple);
  canvas.FrameRect({1, 1, 6, 6});
  EXPECT_EQ(surface.Pixel(1, 1), clPurple);
  EXPECT_EQ(surface.Pixel(5, 5), clPurple);
  EXPECT_EQ(surface.Pixel(3, 3), clWhite);
  EXPECT_EQ(surface.CountPixels(clPurple), 16);

  canvas.SetPixels(8, 8, clTeal);
  EXPECT_EQ(canvas.Pixels(8, 8), clTeal);
  EXPECT_EQ(surface.Pixel(8, 8), clTeal);

  // A focus rectangle is drawn by inverting, so drawing it twice restores the pixels.
  canvas.Brush()->SetColor(clWhite);
  canvas.DrawFocusRect({0, 0, 12, 12});
  int changed = 144 - surface.CountPixels(clWhite) - surface.CountPixels(clPurple) - surface.CountPixels(clTeal);
  EXPECT_GT(changed, 8);
  canvas.DrawFocusRect({0, 0, 12, 12});
  EXPECT_EQ(surface.CountPixels(clPurple), 16);
  EXPECT_EQ(surface.CountPixels(clWhite), 144 - 17);
}

TEST(CanvasShapes, PenModeInverts) {
  TWindowCapture surface = Blank(10, 4);
  TCanvas canvas;
  canvas.SetHandle(surface.DC());
  canvas.Pen()->SetMode(TPenMode::pmNot);
  canvas.MoveTo(0, 1);
  canvas.LineTo(10, 1);
  EXPECT_EQ(surface.Pixel(4, 1), clBlack);
  canvas.MoveTo(0, 1);
  canvas.LineTo(10, 1);
  EXPECT_EQ(surface.Pixel(4, 1), clWhite);
}

TEST(CanvasText, OutRectAndExtent) {
  TWindowCapture surface = Blank(120, 40);
  TCanvas canvas;
  canvas.SetHandle(surface.DC());
  canvas.Font()->SetColor(clRed);
  canvas.Brush()->SetStyle(TBrushStyle::bsClear);
  SIZE extent = canvas.TextExtent(L"Wide text");
  EXPECT_GT(extent.cx, 20);
  EXPECT_GT(extent.cy, 5);
  EXPECT_EQ(canvas.TextWidth(L"Wide text"), extent.cx);
  EXPECT_EQ(canvas.TextHeight(L"Wide text"), extent.cy);
  canvas.TextOut(2, 2, L"Wide text");
  EXPECT_GT(surface.CountPixels(clRed), 10);
  EXPECT_EQ(canvas.PenPos().x, 2 + extent.cx);

  canvas.Font()->SetStyle({TFontStyle::fsBold});
  EXPECT_GT(canvas.TextWidth(L"Wide text"), extent.cx);

  // Text rectangle: an opaque brush fills the rectangle; nothing reaches outside it.
  TWindowCapture clipped = Blank(60, 30);
  canvas.SetHandle(clipped.DC());
  canvas.Brush()->SetColor(clYellow);
  canvas.TextRect({10, 5, 30, 25}, 0, 0, L"WWWWWWWWWW");
  EXPECT_EQ(clipped.Pixel(9, 10), clWhite);
  EXPECT_EQ(clipped.Pixel(30, 10), clWhite);
  EXPECT_EQ(clipped.Pixel(29, 24), clYellow);
  EXPECT_EQ(clipped.CountPixels(clWhite), 60 * 30 - 20 * 20);
  EXPECT_GT(clipped.CountPixels(clRed), 5);
}

TEST(CanvasHandles, OriginalObjectsComeBack) {
  TWindowCapture surface = Blank(4, 4);
  HGDIOBJ originalFont = GetCurrentObject(surface.DC(), OBJ_FONT);
  HGDIOBJ originalBrush = GetCurrentObject(surface.DC(), OBJ_BRUSH);
  HGDIOBJ originalPen = GetCurrentObject(surface.DC(), OBJ_PEN);
  {
    TCanvas canvas;
    canvas.SetHandle(surface.DC());
    EXPECT_EQ(GetCurrentObject(surface.DC(), OBJ_FONT), originalFont) << "nothing is selected before it is needed";
    HDC dc = canvas.Handle();
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), canvas.Font()->Handle());
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), canvas.Brush()->Handle());
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), canvas.Pen()->Handle());

    // A changed font is taken out of the DC before its old handle is freed.
    HFONT old = canvas.Font()->Handle();
    canvas.Font()->SetSize(canvas.Font()->Size() + 4);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), originalFont);
    HFONT renewed = canvas.Font()->Handle();
    EXPECT_NE(renewed, old);
    EXPECT_EQ(GetObjectType(old), 0u) << "the old font was freed";
    canvas.TextWidth(L"x");
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), renewed);
  }
  EXPECT_EQ(GetCurrentObject(surface.DC(), OBJ_FONT), originalFont);
  EXPECT_EQ(GetCurrentObject(surface.DC(), OBJ_BRUSH), originalBrush);
  EXPECT_EQ(GetCurrentObject(surface.DC(), OBJ_PEN), originalPen);
}

// A canvas that makes its DC only when drawing starts, as a control's canvas does.
class TOnDemandCanvas : public TCanvas {
 public:
  explicit TOnDemandCanvas(HDC dc) : dc_(dc) {}
  int created = 0;

 protected:
  void CreateHandle() override {
    ++created;
    SetHandle(dc_);
  }

 private:
  HDC dc_;
};

TEST(CanvasHandles, CreatedOnDemandOrRefused) {
  TWindowCapture surface = Blank(4, 4);
  TOnDemandCanvas canvas(surface.DC());
  EXPECT_FALSE(canvas.HandleAllocated());
  canvas.Brush()->SetColor(clRed);
  canvas.FillRect({0, 0, 4, 4});
  EXPECT_EQ(canvas.created, 1);
  canvas.FillRect({0, 0, 4, 4});
  EXPECT_EQ(canvas.created, 1);
  EXPECT_EQ(surface.Pixel(3, 3), clRed);

  TCanvas bare;
  try {
    bare.FillRect({0, 0, 1, 1});
    FAIL() << "drawing without a DC must raise";
  } catch (const EInvalidOperation& e) {
    EXPECT_EQ(e.Message(), L"Canvas does not allow drawing");
  }
}

TEST(DrawingTools, ChangeNotifications) {
  TFont font;
  int changes = 0;
  font.OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, &font);
    ++changes;
  };
  font.SetName(font.Name());
  font.SetColor(font.Color());
  font.SetStyle(font.Style());
  EXPECT_EQ(changes, 0) << "unchanged values notify nobody";
  HFONT handle = font.Handle();
  font.SetColor(clRed);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(font.Handle(), handle) << "the colour is not part of the font handle";
  font.SetStyle({TFontStyle::fsItalic, TFontStyle::fsUnderline});
  font.SetName(L"Courier New");
  font.SetCharset(SYMBOL_CHARSET);
  font.SetPitch(TFontPitch::fpFixed);
  EXPECT_EQ(changes, 5);
  LOGFONTW made{};
  GetObjectW(font.Handle(), sizeof made, &made);
  EXPECT_TRUE(made.lfItalic);
  EXPECT_TRUE(made.lfUnderline);
  EXPECT_FALSE(made.lfStrikeOut);
  EXPECT_EQ(made.lfCharSet, SYMBOL_CHARSET);
  EXPECT_STREQ(made.lfFaceName, L"Courier New");

  TBrush brush;
  int brushChanges = 0;
  brush.OnChange = [&](TObject*) { ++brushChanges; };
  brush.SetColor(clWhite);
  brush.SetStyle(TBrushStyle::bsCross);
  brush.SetStyle(TBrushStyle::bsCross);
  EXPECT_EQ(brushChanges, 1);

  TPen pen;
  int penChanges = 0;
  pen.OnChange = [&](TObject*) { ++penChanges; };
  pen.SetWidth(3);
  pen.SetWidth(3);
  pen.SetMode(TPenMode::pmXor);
  pen.SetStyle(TPenStyle::psDot);
  pen.SetColor(clRed);
  EXPECT_EQ(penChanges, 4);
  LOGPEN made2{};
  GetObjectW(pen.Handle(), sizeof made2, &made2);
  EXPECT_EQ(made2.lopnWidth.x, 3);
  EXPECT_EQ(made2.lopnColor, RGB(255, 0, 0));

  TPen copy;
  copy.Assign(&pen);
  EXPECT_EQ(copy.Width(), 3);
  EXPECT_EQ(copy.Mode(), TPenMode::pmXor);
  EXPECT_THROW(copy.Assign(&brush), EConvertError);
}

TEST(DrawingTools, FontSizeHeightAndAdoptedHandle) {
  TFont font;
  font.SetPixelsPerInch(96);
  font.SetSize(12);
  EXPECT_EQ(font.Height(), -16);
  font.SetHeight(-20);
  EXPECT_EQ(font.Size(), 15);

  TFont copy;
  copy.SetPixelsPerInch(96);
  copy.Assign(&font);
  EXPECT_EQ(copy.Height(), -20);

  LOGFONTW rotated{};
  rotated.lfHeight = -13;
  rotated.lfEscapement = rotated.lfOrientation = 900;
  rotated.lfWeight = FW_BOLD;
  wcscpy_s(rotated.lfFaceName, L"Arial");
  HFONT made = CreateFontIndirectW(&rotated);
  int changes = 0;
  font.OnChange = [&](TObject*) { ++changes; };
  font.SetHandle(made);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(font.Handle(), made);
  EXPECT_EQ(font.Height(), -13);
  EXPECT_EQ(font.Name(), L"Arial");
  EXPECT_TRUE(font.Style().Contains(TFontStyle::fsBold));
  // A change that rebuilds the handle keeps the rotation.
  font.SetStyle({});
  LOGFONTW rebuilt{};
  GetObjectW(font.Handle(), sizeof rebuilt, &rebuilt);
  EXPECT_EQ(rebuilt.lfEscapement, 900);
  EXPECT_EQ(rebuilt.lfWeight, FW_NORMAL);
}

TEST(CanvasEvents, ADrawingIsToldOfOnceAndAStrokeOutsideOneAfterItIsMade) {
  struct TCase {
    const char* Name;
    std::function<void(TCanvas&)> Draw;
    const wchar_t* Heard;
  };
  const TCase cases[] = {
      {"a stroke",
       [](TCanvas& c) {
         c.FillRect({0, 0, 1, 1});
       },
       L">"},
      {"strokes",
       [](TCanvas& c) {
         c.FillRect({0, 0, 1, 1}), c.TextOut(0, 0, L"x"), c.LineTo(2, 2);
       },
       L">>>"},
      {"reading", [](TCanvas& c) { c.Pixels(0, 0), c.TextExtent(L"x"), c.Handle(), c.ClipRect(); }, L""},
      {"a drawing",
       [](TCanvas& c) {
         ASSERT_TRUE(c.BeginDrawing().Alive());
         c.FillRect({0, 0, 1, 1}), c.Rectangle(0, 0, 2, 2), c.SetPixels(1, 1, clRed);
         c.EndDrawing();
       },
       L"<>"},
      {"drawings nested",
       [](TCanvas& c) {
         ASSERT_TRUE(c.BeginDrawing().Alive());
         ASSERT_TRUE(c.BeginDrawing().Alive());
         c.FillRect({0, 0, 1, 1});
         c.EndDrawing();
         c.Ellipse(0, 0, 2, 2);
         c.EndDrawing();
         c.FrameRect({0, 0, 2, 2});
       },
       L"<>>"},
  };
  for (const TCase& c : cases) {
    TWindowCapture surface = Blank(4, 4);
    TCanvas canvas;
    canvas.SetHandle(surface.DC());
    String heard;
    canvas.OnChanging = [&](TObject*) { heard += L"<"; };
    canvas.OnChange = [&](TObject*) { heard += L">"; };
    c.Draw(canvas);
    EXPECT_EQ(heard, c.Heard) << c.Name;
  }
}

// A handler's exception as a drawing begins opens no drawing: the strokes after it are told of again.
TEST(CanvasEvents, AnExceptionAsADrawingBeginsOpensNone) {
  TWindowCapture surface = Blank(4, 4);
  TCanvas canvas;
  canvas.SetHandle(surface.DC());
  String heard;
  canvas.OnChanging = [&](TObject*) { throw Exception(L"refused"); };
  canvas.OnChange = [&](TObject*) { heard += L">"; };
  EXPECT_THROW((void)canvas.BeginDrawing(), Exception);
  canvas.FillRect({0, 0, 1, 1});
  EXPECT_EQ(heard, L">");
}

// An application's handler frees the bitmap drawn on (the canvas goes with it), as the drawing begins, after a
// stroke, or as the drawing ends: what raised touches nothing of it afterwards.
TEST(CanvasEvents, AHandlerFreesTheBitmapDrawnOn) {
  TGuardedAllocations guard;
  TBitmap* bitmap = nullptr;
  const auto fresh = [&] {
    bitmap = new TBitmap;
    bitmap->SetSize(4, 4);
  };
  const TNotifyEvent free = [&](TObject*) { delete std::exchange(bitmap, nullptr); };

  fresh();
  bitmap->Canvas()->OnChanging = free;
  EXPECT_TRUE(bitmap->Canvas()->BeginDrawing().Gone());
  EXPECT_EQ(bitmap, nullptr);

  fresh();
  bitmap->OnChange = free;
  bitmap->Canvas()->FillRect({0, 0, 2, 2});
  EXPECT_EQ(bitmap, nullptr);

  fresh();
  TCanvas* canvas = bitmap->Canvas();
  ASSERT_TRUE(canvas->BeginDrawing().Alive());
  bitmap->OnChange = free;
  canvas->FillRect({0, 0, 2, 2});
  canvas->TextOut(0, 0, L"x");
  EXPECT_NE(bitmap, nullptr) << "nothing is raised within a drawing";
  canvas->EndDrawing();
  EXPECT_EQ(bitmap, nullptr);
}

TEST(CanvasLock, SerialisesThreads) {
  TCanvas canvas;
  canvas.Lock();
  EXPECT_EQ(canvas.LockCount(), 1);
  EXPECT_FALSE(canvas.TryLock()) << "a canvas in use is busy for its own thread too";
  bool gotIt = true;
  std::thread other([&] { gotIt = canvas.TryLock(); });
  other.join();
  EXPECT_FALSE(gotIt);
  canvas.Unlock();
  std::thread again([&] {
    gotIt = canvas.TryLock();
    if (gotIt) canvas.Unlock();
  });
  again.join();
  EXPECT_TRUE(gotIt);
  EXPECT_EQ(canvas.LockCount(), 0);
}

TEST(CanvasCopy, CopyRectStretches) {
  TWindowCapture from = Blank(4, 4, RGB(0, 0, 255));
  TWindowCapture to = Blank(8, 8);
  TCanvas source, target;
  source.SetHandle(from.DC());
  target.SetHandle(to.DC());
  target.CopyRect({0, 0, 8, 4}, &source, {0, 0, 2, 2});
  EXPECT_EQ(to.CountPixels(clBlue), 32);
  target.SetCopyMode(NOTSRCCOPY);
  target.CopyRect({0, 4, 8, 8}, &source, {0, 0, 4, 4});
  EXPECT_EQ(to.Pixel(0, 7), clYellow);
}

}  // namespace
