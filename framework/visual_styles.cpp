#include "framework/visual_styles.h"

#include <atomic>
#include <mutex>

namespace {

HMODULE LoadSystemLibrary() { return LoadLibraryW(L"uxtheme.dll"); }

struct Binding {
  std::mutex lock;
  int holds = 0;
  HMODULE library = nullptr;
  TVisualStylesApi api;
  TVisualStylesLoader loader = &LoadSystemLibrary;
};

Binding& TheBinding() {
  static Binding binding;
  return binding;
}

std::atomic<bool>& ClassicSwitch() {
  static std::atomic<bool> classic{false};
  return classic;
}

template <class F>
void Resolve(HMODULE library, F& entry, const char* name) {
  entry = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

void ResolveAll(HMODULE library, TVisualStylesApi& api) {
  Resolve(library, api.OpenThemeData, "OpenThemeData");
  Resolve(library, api.CloseThemeData, "CloseThemeData");
  Resolve(library, api.DrawThemeBackground, "DrawThemeBackground");
  Resolve(library, api.DrawThemeEdge, "DrawThemeEdge");
  Resolve(library, api.DrawThemeText, "DrawThemeText");
  Resolve(library, api.DrawThemeParentBackground, "DrawThemeParentBackground");
  Resolve(library, api.GetThemeBackgroundContentRect, "GetThemeBackgroundContentRect");
  Resolve(library, api.GetThemeBackgroundRegion, "GetThemeBackgroundRegion");
  Resolve(library, api.GetThemePartSize, "GetThemePartSize");
  Resolve(library, api.GetThemeColor, "GetThemeColor");
  Resolve(library, api.GetThemeMargins, "GetThemeMargins");
  Resolve(library, api.IsThemeActive, "IsThemeActive");
  Resolve(library, api.IsAppThemed, "IsAppThemed");
}

}  // namespace

TVisualStylesBinding::TVisualStylesBinding() {
  Binding& b = TheBinding();
  std::lock_guard guard(b.lock);
  if (b.holds++ == 0) {
    // Error boxes for a missing library would stop an unattended run; absence simply means classic painting.
    UINT oldMode = SetErrorMode(SEM_NOOPENFILEERRORBOX | SEM_FAILCRITICALERRORS);
    b.library = b.loader ? b.loader() : nullptr;
    SetErrorMode(oldMode);
    if (b.library) ResolveAll(b.library, b.api);
  }
}

TVisualStylesBinding::~TVisualStylesBinding() {
  Binding& b = TheBinding();
  std::lock_guard guard(b.lock);
  if (--b.holds == 0) {
    b.api = TVisualStylesApi{};
    if (b.library) FreeLibrary(b.library);
    b.library = nullptr;
  }
}

bool TVisualStylesBinding::Loaded() const { return TheBinding().library != nullptr; }

const TVisualStylesApi& TVisualStylesBinding::Api() const { return TheBinding().api; }

bool VisualStylesInUse() {
  if (ClassicPainting()) return false;
  TVisualStylesBinding binding;
  const TVisualStylesApi& api = binding.Api();
  return binding.Loaded() && api.IsAppThemed && api.IsAppThemed() && api.IsThemeActive && api.IsThemeActive();
}

bool ClassicPainting() { return ClassicSwitch().load(); }

void SetClassicPainting(bool value) { ClassicSwitch().store(value); }

TVisualStylesLoader SetVisualStylesLoader(TVisualStylesLoader loader) {
  Binding& b = TheBinding();
  std::lock_guard guard(b.lock);
  TVisualStylesLoader old = b.loader;
  b.loader = loader ? loader : &LoadSystemLibrary;
  return old;
}

TThemeData::TThemeData(HWND window, const wchar_t* classList) : window_(window), classList_(classList) { Reopen(); }

TThemeData::~TThemeData() { Close(); }

HTHEME TThemeData::Handle() const { return ClassicPainting() ? nullptr : theme_; }

bool TThemeData::Reopen() {
  Close();
  const TVisualStylesApi& api = binding_.Api();
  if (api.OpenThemeData && api.CloseThemeData && VisualStylesInUse())
    theme_ = api.OpenThemeData(window_, classList_.c_str());
  return IsOpen();
}

void TThemeData::Close() {
  if (theme_) binding_.Api().CloseThemeData(theme_);
  theme_ = nullptr;
}

bool TThemeData::DrawBackground(HDC dc, int part, int state, const RECT& rect, const RECT* clip) const {
  auto draw = binding_.Api().DrawThemeBackground;
  HTHEME theme = Handle();
  return theme && draw && SUCCEEDED(draw(theme, dc, part, state, &rect, clip));
}

bool TThemeData::DrawEdge(HDC dc, int part, int state, const RECT& rect, UINT edge, UINT flags, RECT* content) const {
  auto draw = binding_.Api().DrawThemeEdge;
  HTHEME theme = Handle();
  return theme && draw && SUCCEEDED(draw(theme, dc, part, state, &rect, edge, flags, content));
}

bool TThemeData::DrawText(HDC dc, int part, int state, const String& text, DWORD flags, const RECT& rect) const {
  auto draw = binding_.Api().DrawThemeText;
  HTHEME theme = Handle();
  return theme && draw &&
         SUCCEEDED(draw(theme, dc, part, state, text.c_str(), static_cast<int>(text.size()), flags, 0, &rect));
}

bool TThemeData::BackgroundContentRect(HDC dc, int part, int state, const RECT& bounds, RECT& content) const {
  auto get = binding_.Api().GetThemeBackgroundContentRect;
  HTHEME theme = Handle();
  return theme && get && SUCCEEDED(get(theme, dc, part, state, &bounds, &content));
}

bool TThemeData::BackgroundRegion(HDC dc, int part, int state, const RECT& rect, HRGN& region) const {
  auto get = binding_.Api().GetThemeBackgroundRegion;
  region = nullptr;
  HTHEME theme = Handle();
  return theme && get && SUCCEEDED(get(theme, dc, part, state, &rect, &region));
}

bool TThemeData::PartSize(HDC dc, int part, int state, THEMESIZE kind, SIZE& size) const {
  auto get = binding_.Api().GetThemePartSize;
  HTHEME theme = Handle();
  return theme && get && SUCCEEDED(get(theme, dc, part, state, nullptr, kind, &size));
}

bool TThemeData::Color(int part, int state, int property, COLORREF& color) const {
  auto get = binding_.Api().GetThemeColor;
  HTHEME theme = Handle();
  return theme && get && SUCCEEDED(get(theme, part, state, property, &color));
}

bool TThemeData::Margins(HDC dc, int part, int state, int property, MARGINS& margins) const {
  auto get = binding_.Api().GetThemeMargins;
  HTHEME theme = Handle();
  return theme && get && SUCCEEDED(get(theme, dc, part, state, property, nullptr, &margins));
}
