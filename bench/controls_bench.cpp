// Times the page control's tabs against their own small case and against the text they show: laying out 1,000
// tabs in rows at most eleven times the time of 100, one repaint of 1,000 tabs at most twice the time DrawText
// takes to write their captions into the same rectangles with the same font, reading a form text of 4,000 tab
// sheets at most twelve times the time of 400, and filling a shown control with 3,000 pages one by one, and
// freeing them, at most fifteen and twenty times the time of 300.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_timing.h"
#include "bench/offscreen.h"
#include "controls/tabs/page_control.h"
#include "controls/tabs/tab_painter.h"
#include "framework/form.h"
#include "framework/form_reader.h"
#include "framework/startup.h"

using namespace controls;

namespace {

constexpr int kRuns = 9;

TBenchTargets targets;
constexpr int kWidth = 800;
constexpr int kHeight = 600;

String Caption(int index) { return L"Page " + std::to_wstring(index) + (index % 3 == 0 ? L" with more" : L""); }

// A form with a multi-line page control of tabCount pages.
struct TPageControlHost {
  TPageControlHost(int tabCount, bool multiLine) : Form(std::make_unique<TForm>(nullptr)) {
    MustLive(Form->SetBounds(0, 0, kWidth + 40, kHeight + 60));
    MustLive(Form->Show());
    Control = new TPcPageControl(Form.get());
    MustLive(Control->SetBounds(0, 0, kWidth, kHeight));
    Control->SetMultiLine(multiLine);
    MustLive(Control->SetParent(Form.get()));
    for (int i = 0; i < tabCount; ++i) {
      auto* page = new TPcTabSheet(Form.get());
      MustLive(page->SetCaption(Caption(i)));
      MustLive(page->SetPageControl(Control));
    }
  }
  std::unique_ptr<TForm> Form;
  TPcPageControl* Control = nullptr;
};

double LayoutTime(int tabCount) {
  TPageControlHost host(tabCount, true);
  // Each sample lays out about 10,000 tabs in all, so both sizes are timed over the same stretch of work.
  const int repeats = std::max(1, 10000 / tabCount);
  const double best = BestTime(kRuns,
                               [&] {
                                 for (int i = 0; i < repeats; ++i) host.Control->Painter()->Recalculate();
                               }) /
                      repeats;
  std::printf("layout of %5d tabs in %d rows: %8.3f ms\n", tabCount, host.Control->Painter()->GetRowCount(),
              best * 1000);
  return best;
}

// The best of kRuns paints of the control into a memory DC of its size.
double PaintTime(TPcPageControl* control) {
  TOffscreen target(kWidth, kHeight);
  return BestTime(kRuns, [&] {
    SendMessageW(control->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(target.DC()), PRF_CLIENT);
    GdiFlush();
  });
}

// The best of kRuns writes of every tab's caption with DrawText into the tab's rectangle, in the control's font:
// the text alone, without the tabs' frames and faces.
double CaptionsTime(TPcPageControl* control) {
  TOffscreen target(kWidth, kHeight);
  TPcPageControlButtons* buttons = control->Painter();
  std::vector<String> captions;
  for (int i = 0; i < buttons->ButtonCount(); ++i) captions.push_back(Caption(i));
  return BestTime(kRuns, [&] {
    HGDIOBJ previousFont = SelectObject(target.DC(), control->Font()->Handle());
    SetBkMode(target.DC(), TRANSPARENT);
    for (int i = 0; i < buttons->ButtonCount(); ++i) {
      RECT rect = buttons->Buttons(i)->Rect();
      DrawTextW(target.DC(), captions[static_cast<size_t>(i)].c_str(), -1, &rect,
                DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    }
    SelectObject(target.DC(), previousFont);
    GdiFlush();
  });
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

// The best of kBestOfRuns readings of the form text into a fresh form.
double ReadTime(int sheetCount) {
  const String text = StoredSheets(sheetCount);
  const double best = BestOf(kBestOfRuns, [&] {
    TForm form(nullptr);
    return TimeOf([&] { ReadComponentFromText(text, &form); });
  });
  std::printf("reading a form of %5d tab sheets: %8.3f ms\n", sheetCount, best * 1000);
  return best;
}

// Seconds to fill a shown page control with count pages one by one, and to free them one by one from the last.
// Outside an update bracket each page costs one full layout of the tabs: it walks them all, but measures only the
// new caption, and the pages are aligned only when their area changed. The walks leave a little more than ten
// times the cost for ten times the pages.
struct TFillAndFree {
  double Fill;
  double Free;
};

TFillAndFree FillAndFree(int count) {
  TForm form(nullptr);
  MustLive(form.SetBounds(0, 0, kWidth + 40, kHeight + 60));
  MustLive(form.Show());
  auto* control = new TPcPageControl(&form);
  MustLive(control->SetBounds(0, 0, kWidth, kHeight));
  MustLive(control->SetParent(&form));
  std::vector<TPcTabSheet*> pages;
  TFillAndFree times{};
  times.Fill = TimeOf([&] {
    for (int i = 0; i < count; ++i) {
      auto* page = new TPcTabSheet(&form);
      MustLive(page->SetCaption(Caption(i)));
      MustLive(page->SetPageControl(control));
      pages.push_back(page);
    }
  });
  times.Free = TimeOf([&] {
    for (auto page = pages.rbegin(); page != pages.rend(); ++page) delete *page;
  });
  return times;
}

// 3,000 pages against 300, the small case as the mean of ten back to back, each the best of three.
void MeasureFillAndFree() {
  TFillAndFree large{1e30, 1e30};
  TFillAndFree small{1e30, 1e30};
  for (int run = 0; run < 3; ++run) {
    const TFillAndFree many = FillAndFree(3000);
    large = {std::min(large.Fill, many.Fill), std::min(large.Free, many.Free)};
    TFillAndFree mean{};
    for (int i = 0; i < 10; ++i) {
      const TFillAndFree few = FillAndFree(300);
      mean = {mean.Fill + few.Fill / 10, mean.Free + few.Free / 10};
    }
    small = {std::min(small.Fill, mean.Fill), std::min(small.Free, mean.Free)};
  }
  std::printf("filling a page control with 3000 pages %8.3f ms, with 300 %8.3f ms\n", large.Fill * 1000,
              small.Fill * 1000);
  std::printf("freeing 3000 pages %8.3f ms, 300 %8.3f ms\n", large.Free * 1000, small.Free * 1000);
  targets.AtMost("page-control-fill-3000-vs-300", large.Fill / small.Fill, 15);
  targets.AtMost("page-control-free-3000-vs-300", large.Free / small.Free, 20);
}

}  // namespace

int main() {
  InitializeUnit(FrameworkUnit());
  InitializeUnit(ControlsUnit());
  InitializeUnit(PageControlUnit());
  try {
    const double small = LayoutTime(100);
    const double large = LayoutTime(1000);
    targets.AtMost("tab_layout_1000_vs_100", large / small, 11);

    TPageControlHost host(1000, true);
    const double ours = PaintTime(host.Control);
    const double captions = CaptionsTime(host.Control);
    std::printf("repaint of 1000 tabs in rows: page control %8.3f ms, DrawText of their captions %8.3f ms\n",
                ours * 1000, captions * 1000);
    targets.AtMost("tab_repaint_vs_drawtext", ours / captions, 2);

    MeasureFillAndFree();

    const double few = ReadTime(400);
    targets.AtMost("read-4000-sheets-vs-400", ReadTime(4000) / few, 12);
  } catch (const std::exception& error) {
    targets.Failed(error.what());
  }
  FinalizeUnits();
  return targets.ExitCode();
}
