#include "support/test_environment.h"

#include <utility>

#include "framework/visual_styles.h"

namespace {

const wchar_t kThemeManagerKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager";
const wchar_t kThemeActiveValue[] = L"ThemeActive";

std::vector<TTestEnvironment::TVisualStylesHook>& VisualStylesHooks() {
  static std::vector<TTestEnvironment::TVisualStylesHook> hooks;
  return hooks;
}

}  // namespace

void TTestEnvironment::AddVisualStylesHook(TVisualStylesHook hook) { VisualStylesHooks().push_back(std::move(hook)); }

void TTestEnvironment::ClearVisualStylesHooks() { VisualStylesHooks().clear(); }

void TTestEnvironment::SetSysColor(int element, COLORREF color) {
  savedColors_.try_emplace(element, GetSysColor(element));
  SetSysColors(1, &element, &color);
}

bool TTestEnvironment::VisualStylesActive() {
  // uxtheme is bound at run time, as the components bind it, so a system without it still runs the tests.
  HMODULE uxtheme = LoadLibraryW(L"uxtheme.dll");
  auto isThemeActive =
      uxtheme ? reinterpret_cast<BOOL(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(uxtheme, "IsThemeActive")))
              : nullptr;
  return isThemeActive && isThemeActive();
}

std::optional<bool> TTestEnvironment::ReadThemeActiveValue() {
  wchar_t text[8] = {};
  DWORD size = sizeof text - sizeof(wchar_t);
  if (RegGetValueW(HKEY_CURRENT_USER, kThemeManagerKey, kThemeActiveValue, RRF_RT_REG_SZ, nullptr, text, &size) !=
      ERROR_SUCCESS)
    return std::nullopt;
  return text[0] == L'1';
}

void TTestEnvironment::WriteThemeActiveValue(bool on) {
  const wchar_t* text = on ? L"1" : L"0";
  RegSetKeyValueW(HKEY_CURRENT_USER, kThemeManagerKey, kThemeActiveValue, REG_SZ, text, 2 * sizeof(wchar_t));
}

void TTestEnvironment::SetVisualStyles(bool on) {
  if (!visualStylesChanged_) {
    savedThemeActiveValue_ = ReadThemeActiveValue();
    savedClassicPainting_ = ClassicPainting();
  }
  WriteThemeActiveValue(on);
  SetClassicPainting(!on);
  std::vector<bool> previous;
  for (const TVisualStylesHook& hook : VisualStylesHooks()) previous.push_back(hook(on));
  if (!visualStylesChanged_) savedHookSettings_ = previous;
  visualStylesChanged_ = true;
}

bool TTestEnvironment::SystemFlag(UINT getAction) {
  BOOL value = FALSE;
  SystemParametersInfoW(getAction, 0, &value, 0);
  return value != FALSE;
}

void TTestEnvironment::SetSystemFlag(UINT setAction, bool on) {
  // These actions take the value in pvParam itself, not a pointer to it.
  SystemParametersInfoW(setAction, 0, reinterpret_cast<void*>(static_cast<UINT_PTR>(on)), SPIF_SENDCHANGE);
}

void TTestEnvironment::SetKeyboardCues(bool on) {
  if (!savedKeyboardCues_) savedKeyboardCues_ = SystemFlag(SPI_GETKEYBOARDCUES);
  SetSystemFlag(SPI_SETKEYBOARDCUES, on);
}

void TTestEnvironment::SetFlatMenus(bool on) {
  if (!savedFlatMenus_) savedFlatMenus_ = SystemFlag(SPI_GETFLATMENU);
  SetSystemFlag(SPI_SETFLATMENU, on);
}

void TTestEnvironment::SetMenuShowDelay(DWORD milliseconds) {
  if (!savedMenuShowDelay_) {
    DWORD delay = 0;
    SystemParametersInfoW(SPI_GETMENUSHOWDELAY, 0, &delay, 0);
    savedMenuShowDelay_ = delay;
  }
  SystemParametersInfoW(SPI_SETMENUSHOWDELAY, milliseconds, nullptr, SPIF_SENDCHANGE);
}

void TTestEnvironment::Restore() {
  for (const auto& [element, color] : savedColors_) SetSysColors(1, &element, &color);
  savedColors_.clear();
  if (visualStylesChanged_) {
    if (savedThemeActiveValue_)
      WriteThemeActiveValue(*savedThemeActiveValue_);
    else
      RegDeleteKeyValueW(HKEY_CURRENT_USER, kThemeManagerKey, kThemeActiveValue);
    SetClassicPainting(savedClassicPainting_);
    const auto& hooks = VisualStylesHooks();
    for (size_t i = 0; i < hooks.size() && i < savedHookSettings_.size(); ++i) hooks[i](savedHookSettings_[i]);
  }
  visualStylesChanged_ = false;
  savedThemeActiveValue_.reset();
  savedHookSettings_.clear();
  if (savedKeyboardCues_) SetSystemFlag(SPI_SETKEYBOARDCUES, *savedKeyboardCues_);
  savedKeyboardCues_.reset();
  if (savedFlatMenus_) SetSystemFlag(SPI_SETFLATMENU, *savedFlatMenus_);
  savedFlatMenus_.reset();
  if (savedMenuShowDelay_) SystemParametersInfoW(SPI_SETMENUSHOWDELAY, *savedMenuShowDelay_, nullptr, SPIF_SENDCHANGE);
  savedMenuShowDelay_.reset();
}
