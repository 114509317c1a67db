// Times the framework's per-message and per-component costs: a message through a framework window against the
// same message to a window procedure of its own, a delegate call against a direct call, and the building and
// freeing of many owned components, named components, menu items and INI sections at 1,000 and 10,000, and the keys
// of one INI section at 2,000 and 20,000, and forms of 2,000 and 20,000 components that each name one more, so that
// the ratio shows whether the work grows linearly; and timers made and freed against plain components.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <memory>
#include <vector>

#include "bench/bench_timing.h"
#include "framework/delegate.h"
#include "framework/form_reader.h"
#include "framework/ini_files.h"
#include "framework/menus.h"
#include "framework/properties.h"
#include "framework/startup.h"
#include "framework/strings.h"
#include "framework/timer.h"
#include "framework/win_control.h"

namespace {

constexpr int kSmall = 1000;
constexpr int kLarge = 10000;
constexpr int kMessages = 200000;
constexpr int kCalls = 20000000;
constexpr UINT kBenchMessage = WM_APP + 1;

TBenchTargets targets;

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
  return BestTime(kBestOfRuns, [wnd] {
    for (int i = 0; i < kMessages; ++i) SendMessageW(wnd, kBenchMessage, 0, 0);
  });
}

void MeasureMessages() {
  HWND host = CreatePlainWindow(nullptr);
  HWND plain = CreatePlainWindow(host);
  TWinControl control(nullptr);
  MustLive(control.SetParentWindow(host));
  MustLive(control.SetBounds(0, 0, 100, 100));
  HWND framework = control.Handle();
  double plainTime = SendMessages(plain);
  double frameworkTime = SendMessages(framework);
  std::printf("message to a plain window %.0f ns, to a framework window %.0f ns\n", plainTime * 1e9 / kMessages,
              frameworkTime * 1e9 / kMessages);
  DestroyWindow(plain);
  MustLive(control.SetParentWindow(nullptr));
  DestroyWindow(host);
  targets.AtMost("framework window message", frameworkTime / plainTime, 1.5);
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
  double directTime = BestTime(kBestOfRuns, [&] {
    for (int i = 0; i < kCalls; ++i) target->Add(1);
  });
  double delegateTime = BestTime(kBestOfRuns, [&] {
    for (int i = 0; i < kCalls; ++i) handler(1);
  });
  std::printf("delegate call %.2f ns, direct call %.2f ns: %.2f times (totals %d, %d)\n", delegateTime * 1e9 / kCalls,
              directTime * 1e9 / kCalls, delegateTime / directTime, bound.Total(), direct.Total());
}

// ---- many components ----
//
// Each workload builds sets groups of count side by side and frees them. The 1,000 figure is a tenth of ten such
// groups, so that both sizes touch as much memory and the ratio shows how the work grows, not how the caches fill.
//
// The workload's own list of groups gets its room before the first group is built. The heap gives the pages at its
// end back to the system once every block after a live one is free, and commits them again page by page (a few
// microseconds each) when they are next used. A list that grew while the groups were built would sit between the
// ninth and tenth group of 1,000 and keep most of their pages committed through the freeing, so that the 1,000
// figure would skip the re-commit that the 10,000 figure pays, and the ratio would show the list's place in the heap.

// Owned components made and freed with their owner, and as many more made and freed one by one from the last, the
// way a menu is cleared.
void OwnedComponents(int count, int sets) {
  std::vector<std::unique_ptr<TComponent>> owners;
  owners.reserve(static_cast<size_t>(sets));
  auto fill = [&] {
    for (int set = 0; set < sets; ++set) {
      owners.push_back(std::make_unique<TComponent>(nullptr));
      for (int i = 0; i < count; ++i) new TComponent(owners.back().get());
    }
  };
  fill();
  owners.clear();
  fill();
  for (auto& owner : owners)
    while (owner->ComponentCount() > 0) delete owner->Components(owner->ComponentCount() - 1);
}

// Owned components, each named (so the owner checks the name is free) and renamed, then each found by name.
void NamedComponents(int count, int sets) {
  std::vector<std::unique_ptr<TComponent>> owners;
  owners.reserve(static_cast<size_t>(sets));
  for (int set = 0; set < sets; ++set) {
    auto& owner = *owners.emplace_back(std::make_unique<TComponent>(nullptr));
    for (int i = 0; i < count; ++i) (new TComponent(&owner))->SetName(L"Item" + std::to_wstring(i));
    for (int i = 0; i < count; ++i) owner.Components(i)->SetName(L"Renamed" + std::to_wstring(i));
    for (int i = 0; i < count; ++i)
      if (!owner.FindComponent(L"renamed" + std::to_wstring(i))) std::printf("component %d not found\n", i);
  }
}

// Menu items owned by their menu, each with a command number of its own, then the menus cleared.
void MenuCommands(int count, int sets) {
  std::vector<std::unique_ptr<TPopupMenu>> menus;
  menus.reserve(static_cast<size_t>(sets));
  for (int set = 0; set < sets; ++set) {
    auto& menu = *menus.emplace_back(std::make_unique<TPopupMenu>(nullptr));
    for (int i = 0; i < count; ++i) {
      auto* item = new TMenuItem(&menu);
      item->SetCaption(L"Command " + std::to_wstring(i));
      menu.Items()->Add(item);
    }
  }
  for (auto& menu : menus) menu->Items()->Clear();
}

// An INI text of count sections of three keys read into memory, then one value read from each section.
void IniSections(int count, int sets, const TStringList& lines) {
  std::vector<std::unique_ptr<TMemIniFile>> files;
  files.reserve(static_cast<size_t>(sets));
  for (int set = 0; set < sets; ++set) {
    auto& ini = *files.emplace_back(std::make_unique<TMemIniFile>(L""));
    ini.SetStrings(&lines);
    for (int i = 0; i < count; ++i)
      if (ini.ReadString(L"section" + std::to_wstring(i), L"second", L"").empty())
        std::printf("section %d not found\n", i);
  }
}

// Keys written one by one into one section of an INI in memory, then each read back. The names have one length at
// both sizes, so that both pay the same for their text.
void IniKeys(int count, int sets) {
  const auto name = [](const wchar_t* prefix, int i) {
    wchar_t text[16];
    swprintf(text, 16, L"%ls%05d", prefix, i);
    return String(text);
  };
  for (int set = 0; set < sets; ++set) {
    TMemIniFile ini(L"");
    for (int i = 0; i < count; ++i) ini.WriteString(L"Main", name(L"Key", i), name(L"", i));
    for (int i = 0; i < count; ++i)
      if (ini.ReadString(L"Main", name(L"key", i), L"").empty()) std::printf("key %d not found\n", i);
  }
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

// A component that names another, as a control names its buddy or its action: it asks to hear of the other's end.
class TLinkHolder : public TComponent {
  BC_CLASS(TLinkHolder, TComponent)
  using TComponent::TComponent;
  TComponent* Link() const { return link_; }
  void SetLink(TComponent* value) {
    if (link_) link_->RemoveFreeNotification(this);
    link_ = value;
    if (link_) link_->FreeNotification(this);
  }
  const TPublishedTable& PublishedTable() const override {
    using P = TPublished<TLinkHolder>;
    static const TPublishedTable table(&inherited::PublishedTable(),
                                       {P::Component(L"Link", &TLinkHolder::Link, &TLinkHolder::SetLink)});
    return table;
  }

 protected:
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == link_) link_ = nullptr;
  }

 private:
  TComponent* link_ = nullptr;
};

// A form of count components that all name the first.
String FormNamingOne(int count) {
  String text = L"object Root: TLinkHolder\n  object Hub: TLinkHolder\n  end\n";
  for (int i = 0; i < count; ++i)
    text += L"  object Holder" + std::to_wstring(i) + L": TLinkHolder\n    Link = Hub\n  end\n";
  return text + L"end\n";
}

// Forms read whole, then freed once the way an owner frees them (the one named last) and once the one named
// first, so that each of many components hears of its end.
void ComponentsNamingOne(int sets, const String& form) {
  for (int set = 0; set < sets; ++set) {
    for (bool hubFirst : {false, true}) {
      TLinkHolder root(nullptr);
      ReadComponentFromText(form, &root);
      if (hubFirst) delete root.FindComponent(L"Hub");
    }
  }
}

// ---- timers ----

// 3,000 components of the kind made and freed with their owner: a timer should cost little more than a component
// until it runs.
template <class TKind>
double OwnedKindTime() {
  constexpr int kTimers = 3000;
  return BestTime(kBestOfRuns, [] {
    TComponent owner(nullptr);
    for (int i = 0; i < kTimers; ++i) new TKind(&owner);
  });
}

void MeasureTimers() {
  const double components = OwnedKindTime<TComponent>();
  const double timers = OwnedKindTime<TTimer>();
  std::printf("3000 components %.2f ms, 3000 timers %.2f ms\n", components * 1e3, timers * 1e3);
  targets.AtMost("create-3000-timers-vs-3000-objects", timers / components, 20);
}

// The runs of both sizes alternate, so that both meet the heap in the same states.
void Scaling(const char* name, double limit, const std::function<void(int count, int sets)>& work,
             int smallCount = kSmall, int largeCount = kLarge) {
  const int sets = largeCount / smallCount;
  double small = 1e30;
  double large = 1e30;
  for (int run = 0; run < kBestOfRuns; ++run) {
    small = std::min(small, BestTime(kBestOfRuns, [&] { work(smallCount, sets); }) / sets);
    large = std::min(large, BestTime(kBestOfRuns, [&] { work(largeCount, 1); }));
  }
  std::printf("%s: %d in %.2f ms, %d in %.2f ms\n", name, smallCount, small * 1e3, largeCount, large * 1e3);
  targets.AtMost(name, large / small, limit);
}

}  // namespace

int main() {
  InitializeUnit(ControlsUnit());
  try {
    MeasureMessages();
    MeasureDelegateCall();
    MeasureTimers();
    Scaling("owned components", 10, OwnedComponents);
    Scaling("named components", 12, NamedComponents);
    Scaling("menu commands", 12, MenuCommands);
    auto smallIni = IniText(kSmall);
    auto largeIni = IniText(kLarge);
    Scaling("ini sections", 12,
            [&](int count, int sets) { IniSections(count, sets, count == kSmall ? *smallIni : *largeIni); });
    Scaling("ini-20000-keys-vs-2000", 15, IniKeys, 2000, 20000);
    RegisterPersistentClass(TLinkHolder::StaticClass());
    const String smallForm = FormNamingOne(2000);
    const String largeForm = FormNamingOne(20000);
    Scaling(
        "components-naming-one-20000-vs-2000", 15,
        [&](int count, int sets) { ComponentsNamingOne(sets, count == 2000 ? smallForm : largeForm); }, 2000, 20000);
  } catch (const std::exception& error) {
    targets.Failed(error.what());
  }
  FinalizeUnits();
  return targets.ExitCode();
}
