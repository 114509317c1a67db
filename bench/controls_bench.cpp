// Times the page control's tabs against their own small case and against the platform's tab control: laying out
// 1,000 tabs in rows at most eleven times the time of 100, one repaint of 1,000 tabs at most twice the platform
// tab control's repaint of the same tabs in a window of the same size, and reading a form text of 4,000 tab sheets
// at most twelve times the time of 400.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "bench/bench_timing.h"
#include "controls/tabs/page_control.h"
#include "controls/tabs/tab_painter.h"
#include "framework/form.h"
#include "framework/form_reader.h"
#include "framework/startup.h"

using namespace controls;

namespace {

constexpr int kRuns = 9;
constexpr int kWidth = 800;
constexpr int kHeight = 600;

String Caption(int index) { return L"Page " + std::to_wstring(index) + (index % 3 == 0 ? L" with more" : L""); }

// A form with a multi-line page control of tabCount pages.
struct TPageControlHost {
  TPageControlHost(int tabCount, bool multiLine) : Form(std::make_unique<TForm>(nullptr)) {
    Form->SetBounds(0, 0, kWidth + 40, kHeight + 60);
    Form->Show();
    Control = new TPcPageControl(Form.get());
    Control->SetBounds(0, 0, kWidth, kHeight);
    Control->SetMultiLine(multiLine);
    Control->SetParent(Form.get());
    for (int i = 0; i < tabCount; ++i) {
      auto* page = new TPcTabSheet(Form.get());
      page->SetCaption(Caption(i));
      page->SetPageControl(Control);
    }
  }
  std::unique_ptr<TForm> Form;
  TPcPageControl* Control = nullptr;
};

double LayoutTime(int tabCount) {
  TPageControlHost host(tabCount, true);
  // Each sample lays out about 10,000 tabs in all, so both sizes are timed over the same stretch of work.
  const int repeats = std::max(1, 10000 / tabCount);
  double best = 1e30;
  for (int run = 0; run < kRuns; ++run) {
    const double start = Seconds();
    for (int i = 0; i < repeats; ++i) host.Control->Painter()->Recalculate();
    best = std::min(best, (Seconds() - start) / repeats);
  }
  std::printf("layout of %5d tabs in %d rows: %8.3f ms\n", tabCount, host.Control->Painter()->GetRowCount(),
              best * 1000);
  return best;
}

// The best of runs paints of a window into a memory DC of the window's size.
double PaintTime(HWND window, int runs) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, kWidth, kHeight);
  ReleaseDC(nullptr, screen);
  HGDIOBJ previous = SelectObject(dc, bitmap);
  double best = 1e30;
  for (int run = 0; run < runs; ++run) {
    const double start = Seconds();
    SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    GdiFlush();
    best = std::min(best, Seconds() - start);
  }
  SelectObject(dc, previous);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return best;
}

double PlatformPaintTime(int tabCount) {
  INITCOMMONCONTROLSEX init{sizeof init, ICC_TAB_CLASSES};
  InitCommonControlsEx(&init);
  // Filled hidden and without redrawing, as the platform's control lays itself out again on every insert.
  HWND tabs = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_POPUP | TCS_MULTILINE, 0, 0, kWidth, kHeight, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  SendMessageW(tabs, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  SendMessageW(tabs, WM_SETREDRAW, FALSE, 0);
  for (int i = 0; i < tabCount; ++i) {
    String caption = Caption(i);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = caption.data();
    SendMessageW(tabs, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
  SendMessageW(tabs, WM_SETREDRAW, TRUE, 0);
  ShowWindow(tabs, SW_SHOWNOACTIVATE);
  // The platform's control takes tens of seconds for one paint of this many rows here: one run is enough.
  const double time = PaintTime(tabs, 1);
  DestroyWindow(tabs);
  return time;
}

// The text of a stored form whose page control holds sheetCount sheets.
String StoredSheets(int sheetCount) {
  String text =
      L"object Main: TForm\n  object Pages: TPcPageControl\n    Width = 800\n    Height = 600\n"
      L"    MultiLine = True\n";
  for (int i = 0; i < sheetCount; ++i)
    text +=
        L"    object Sheet" + std::to_wstring(i) + L": TPcTabSheet\n      Caption = '" + Caption(i) + L"'\n    end\n";
  return text + L"  end\nend\n";
}

double ReadTime(int sheetCount) {
  const String text = StoredSheets(sheetCount);
  double best = 1e30;
  for (int run = 0; run < 5; ++run) {
    TForm form(nullptr);
    const double start = Seconds();
    ReadComponentFromText(text, &form);
    best = std::min(best, Seconds() - start);
  }
  std::printf("reading a form of %5d tab sheets: %8.3f ms\n", sheetCount, best * 1000);
  return best;
}

}  // namespace

int main() {
  InitializeUnit(FrameworkUnit());
  InitializeUnit(ControlsUnit());
  InitializeUnit(PageControlUnit());
  int status = 0;
  try {
    const double small = LayoutTime(100);
    const double large = LayoutTime(1000);
    const double layoutRatio = large / small;

    TPageControlHost host(1000, true);
    const double ours = PaintTime(host.Control->Handle(), kRuns);
    const double platform = PlatformPaintTime(1000);
    const double paintRatio = ours / platform;
    std::printf("repaint of 1000 tabs in rows: page control %8.3f ms, platform tab control %8.3f ms\n", ours * 1000,
                platform * 1000);

    const double readRatio = ReadTime(4000) / ReadTime(400);

    std::printf("target tab_layout_1000_vs_100: %.2f (goal <= 11)\n", layoutRatio);
    std::printf("target tab_repaint_vs_platform: %.6f (goal <= 2)\n", paintRatio);
    std::printf("target read-4000-sheets-vs-400: %.2f (goal <= 12)\n", readRatio);
    status = layoutRatio <= 11 && paintRatio <= 2 && readRatio <= 12 ? 0 : 1;
  } catch (const std::exception& error) {
    std::printf("failed: %s\n", error.what());
    status = 2;
  }
  FinalizeUnits();
  return status;
}
