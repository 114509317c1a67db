// Times the framework's per-message and per-component costs: a message through a framework window against the
// same message to a window procedure of its own, a delegate call against a direct call, and the building and
// freeing of many owned components, named components, menu items and INI sections at 1,000 and 10,000 so that the
// ratio shows whether the work grows linearly.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

#include "framework/delegate.h"
#include "framework/ini_files.h"
#include "framework/menus.h"
#include "framework/startup.h"
#include "framework/strings.h"
#include "framework/win_control.h"

namespace {

constexpr int kRuns = 5;
constexpr int kSmall = 1000;
constexpr int kLarge = 10000;
constexpr int kMessages = 200000;
constexpr int kCalls = 20000000;
constexpr UINT kBenchMessage = WM_APP + 1;

double Seconds() {
  LARGE_INTEGER frequency;
  LARGE_INTEGER counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The fastest of kRuns runs of work, in seconds.
double Fastest(const std::function<void()>& work) {
  double best = 1e30;
  for (int run = 0; run < kRuns; ++run) {
    double start = Seconds();
    work();
    best = std::min(best, Seconds() - start);
  }
  return best;
}

bool Target(const char* name, double ratio, double limit) {
  std::printf("target %s: %.2f (goal <= %.2f)\n", name, ratio, limit);
  return ratio <= limit;
}

// ---- messages ----

LRESULT CALLBACK PlainWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(wnd, msg, wParam, lParam);
}

HWND CreatePlainWindow(HWND parent) {
  WNDCLASSW cls{};
  cls.lpfnWndProc = PlainWindowProc;
  cls.hInstance = GetModuleHandleW(nullptr);
  cls.lpszClassName = L"BenchPlainWindow";
  RegisterClassW(&cls);
  return CreateWindowExW(0, cls.lpszClassName, L"", parent ? WS_CHILD : WS_POPUP, 0, 0, 100, 100, parent, nullptr,
                         cls.hInstance, nullptr);
}

double SendMessages(HWND wnd) {
  return Fastest([wnd] {
    for (int i = 0; i < kMessages; ++i) SendMessageW(wnd, kBenchMessage, 0, 0);
  });
}

bool MeasureMessages() {
  HWND host = CreatePlainWindow(nullptr);
  HWND plain = CreatePlainWindow(host);
  TWinControl control(nullptr);
  control.SetParentWindow(host);
  control.SetBounds(0, 0, 100, 100);
  HWND framework = control.Handle();
  double plainTime = SendMessages(plain);
  double frameworkTime = SendMessages(framework);
  std::printf("message to a plain window %.0f ns, to a framework window %.0f ns\n", plainTime * 1e9 / kMessages,
              frameworkTime * 1e9 / kMessages);
  DestroyWindow(plain);
  control.SetParentWindow(nullptr);
  DestroyWindow(host);
  return Target("framework window message", frameworkTime / plainTime, 1.5);
}

// ---- delegates ----

class Accumulator {
 public:
  __declspec(noinline) void Add(int amount) { total_ += amount; }
  int Total() const { return total_; }

 private:
  int total_ = 0;
};

void MeasureDelegateCall() {
  Accumulator direct;
  Accumulator bound;
  // Called through a volatile pointer so the compiler cannot fold the loop.
  Accumulator* volatile target = &direct;
  TDelegate<void(int)> handler(&bound, &Accumulator::Add);
  double directTime = Fastest([&] {
    for (int i = 0; i < kCalls; ++i) target->Add(1);
  });
  double delegateTime = Fastest([&] {
    for (int i = 0; i < kCalls; ++i) handler(1);
  });
  std::printf("delegate call %.2f ns, direct call %.2f ns: %.2f times (totals %d, %d)\n",
              delegateTime * 1e9 / kCalls, directTime * 1e9 / kCalls, delegateTime / directTime, bound.Total(),
              direct.Total());
}

// ---- many components ----

// count owned components made and freed with their owner, and as many more made and freed one by one from the
// last, the way a menu is cleared.
void OwnedComponents(int count) {
  auto owner = std::make_unique<TComponent>(nullptr);
  for (int i = 0; i < count; ++i) new TComponent(owner.get());
  owner.reset();
  TComponent clearing(nullptr);
  for (int i = 0; i < count; ++i) new TComponent(&clearing);
  while (clearing.ComponentCount() > 0) delete clearing.Components(clearing.ComponentCount() - 1);
}

// count owned components, each named (so the owner checks the name is free) and renamed, then each found by name.
void NamedComponents(int count) {
  TComponent owner(nullptr);
  for (int i = 0; i < count; ++i) (new TComponent(&owner))->SetName(L"Item" + std::to_wstring(i));
  for (int i = 0; i < count; ++i) owner.Components(i)->SetName(L"Renamed" + std::to_wstring(i));
  for (int i = 0; i < count; ++i)
    if (!owner.FindComponent(L"renamed" + std::to_wstring(i))) std::printf("component %d not found\n", i);
}

// count menu items owned by their menu, each with a command number of its own, then the menu cleared.
void MenuCommands(int count) {
  TPopupMenu menu(nullptr);
  for (int i = 0; i < count; ++i) {
    auto* item = new TMenuItem(&menu);
    item->SetCaption(L"Command " + std::to_wstring(i));
    menu.Items()->Add(item);
  }
  menu.Items()->Clear();
}

// An INI text of count sections of three keys read into memory, then one value read from each section.
void IniSections(int count, const TStringList& lines) {
  TMemIniFile ini(L"");
  ini.SetStrings(&lines);
  for (int i = 0; i < count; ++i)
    if (ini.ReadString(L"section" + std::to_wstring(i), L"second", L"").empty())
      std::printf("section %d not found\n", i);
}

std::unique_ptr<TStringList> IniText(int count) {
  auto lines = std::make_unique<TStringList>();
  for (int i = 0; i < count; ++i) {
    String n = std::to_wstring(i);
    lines->Add(L"[Section" + n + L"]");
    lines->Add(L"First=one " + n);
    lines->Add(L"Second=two " + n);
    lines->Add(L"Third=three " + n);
  }
  return lines;
}

bool Scaling(const char* name, const std::function<void(int)>& work) {
  double small = Fastest([&] { work(kSmall); });
  double large = Fastest([&] { work(kLarge); });
  std::printf("%s: %d in %.2f ms, %d in %.2f ms\n", name, kSmall, small * 1e3, kLarge, large * 1e3);
  return Target(name, large / small, 12);
}

}  // namespace

int main() {
  InitializeUnit(ControlsUnit());
  int status = 0;
  try {
    bool met = MeasureMessages();
    MeasureDelegateCall();
    double small = Fastest([] { OwnedComponents(kSmall); });
    double large = Fastest([] { OwnedComponents(kLarge); });
    std::printf("owned components: %d in %.2f ms, %d in %.2f ms\n", kSmall, small * 1e3, kLarge, large * 1e3);
    met = Target("owned components", large / small, 10) && met;
    met = Scaling("named components", NamedComponents) && met;
    met = Scaling("menu commands", MenuCommands) && met;
    auto smallIni = IniText(kSmall);
    auto largeIni = IniText(kLarge);
    met = Scaling("ini sections", [&](int count) { IniSections(count, count == kSmall ? *smallIni : *largeIni); }) &&
          met;
    status = met ? 0 : 1;
  } catch (const std::exception& error) {
    std::printf("failed: %s\n", error.what());
    status = 2;
  }
  FinalizeUnits();
  return status;
}
