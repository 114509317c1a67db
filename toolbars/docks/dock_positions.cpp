#include "toolbars/docks/dock_positions.h"

#include <algorithm>

#include "framework/registry.h"
#include "framework/sys_utils.h"
#include "toolbars/docks/dockable_window.h"

namespace toolbars {

namespace {

const wchar_t* const kDock = L"Dock";
const wchar_t* const kRow = L"Row";
const wchar_t* const kPos = L"Pos";
const wchar_t* const kFloating = L"Floating";
const wchar_t* const kFloatLeft = L"FloatLeft";
const wchar_t* const kFloatTop = L"FloatTop";
const wchar_t* const kVisible = L"Visible";

// Runs action on each named dockable window that root owns, at any depth, owners before what they own. The
// windows are listed first: action raises the windows' handlers, which may free any of them, and those are passed
// over.
template <class F>
void ForEachDockable(TComponent* root, const F& action) {
  std::vector<std::pair<TBarCustomDockableWindow*, TLifeWatch>> windows;
  std::vector<TComponent*> pending{root};
  while (!pending.empty()) {
    TComponent* owner = pending.back();
    pending.pop_back();
    if (auto* window = ObjectAs<TBarCustomDockableWindow>(owner); window && owner != root && !window->Name().empty())
      windows.emplace_back(window, window->LifeWatch());
    for (int i = owner->ComponentCount() - 1; i >= 0; --i) pending.push_back(owner->Components(i));
  }
  for (const auto& [window, life] : windows)
    if (!life.Ended() && action(window).Gone()) continue;
}

// Stored numbers are clamped before anything adds them up: a row beyond any sensible count, and coordinates within
// the range window positions can take at all. The dock closes up the rows and brings positions into itself.
constexpr int kMaxStoredRow = 0xFFFF;
constexpr int kMaxStoredCoordinate = 0x7FFF;

int ReadNumber(TDockPositionStore& store, const String& window, const wchar_t* name, int current) {
  return StrToIntDef(store.Read(window, name, L""), current);
}

int ReadClamped(TDockPositionStore& store, const String& window, const wchar_t* name, int current, int low, int high) {
  return std::clamp(ReadNumber(store, window, name, current), low, high);
}

int ReadCoordinate(TDockPositionStore& store, const String& window, const wchar_t* name, int current) {
  return ReadClamped(store, window, name, current, -kMaxStoredCoordinate, kMaxStoredCoordinate);
}

}  // namespace

String TIniDockPositionStore::Read(const String& window, const String& name, const String& defaultValue) {
  return ini_.ReadString(prefix_ + window, name, defaultValue);
}

void TIniDockPositionStore::Write(const String& window, const String& name, const String& value) {
  ini_.WriteString(prefix_ + window, name, value);
}

String TRegistryDockPositionStore::Read(const String& window, const String& name, const String& defaultValue) {
  TRegistry registry(KEY_READ);
  registry.SetRootKey(root_);
  if (!registry.OpenKeyReadOnly(key_ + L"\\" + window) || !registry.ValueExists(name)) return defaultValue;
  if (registry.GetDataType(name) != TRegDataType::rdString) return defaultValue;
  return registry.ReadString(name);
}

void TRegistryDockPositionStore::Write(const String& window, const String& name, const String& value) {
  TRegistry registry;
  registry.SetRootKey(root_);
  if (registry.OpenKey(key_ + L"\\" + window, true)) registry.WriteString(name, value);
}

void SaveDockablePositions(TComponent* root, TDockPositionStore& store) {
  ForEachDockable(root, [&](TBarCustomDockableWindow* window) {
    const String& name = window->Name();
    TBarDock* dock = window->Floating() ? window->LastDock() : window->CurrentDock();
    store.Write(name, kDock, dock ? dock->Name() : String());
    store.Write(name, kRow, IntToStr(window->DockRow()));
    store.Write(name, kPos, IntToStr(window->DockPos()));
    store.Write(name, kFloating, window->Floating() ? L"1" : L"0");
    POINT floating = window->FloatingPosition();
    store.Write(name, kFloatLeft, IntToStr(floating.x));
    store.Write(name, kFloatTop, IntToStr(floating.y));
    store.Write(name, kVisible, window->Visible() ? L"1" : L"0");
    window->WritePositionData(store);
    return TRaised(true);
  });
}

void LoadDockablePositions(TComponent* root, TDockPositionStore& store) {
  ForEachDockable(root, [&](TBarCustomDockableWindow* window) {
    const String& name = window->Name();
    // The window's own values first: they decide the size it takes where it goes.
    if (window->ReadPositionData(store).Gone() ||
        window->SetDockRow(ReadClamped(store, name, kRow, window->DockRow(), 0, kMaxStoredRow)).Gone() ||
        window->SetDockPos(ReadCoordinate(store, name, kPos, window->DockPos())).Gone())
      return TRaised(false);
    POINT floating = window->FloatingPosition();
    if (window
            ->PlaceFloating(POINT{ReadCoordinate(store, name, kFloatLeft, floating.x),
                                  ReadCoordinate(store, name, kFloatTop, floating.y)})
            .Gone())
      return TRaised(false);
    auto* dock = ObjectAs<TBarDock>(root->FindComponent(store.Read(name, kDock, L"")));
    bool floats = ReadNumber(store, name, kFloating, window->Floating() ? 1 : 0) != 0;
    if (floats && window->DockMode() == TBarDockMode::dmCanFloat) {
      if (dock && window->UseLastDock() && window->SetLastDock(dock).Gone()) return TRaised(false);
      if (window->FloatOrDock(true).Gone()) return TRaised(false);
    } else if (dock && window->SetCurrentDock(dock).Gone()) {
      return TRaised(false);
    }
    // A window that floats, by the file's word or because the file named no dock, comes back wholly inside the
    // work area of its monitor.
    if (window->MoveOnScreen(false).Gone()) return TRaised(false);
    return window->SetVisible(ReadNumber(store, name, kVisible, window->Visible() ? 1 : 0) != 0);
  });
}

}  // namespace toolbars
