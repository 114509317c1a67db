#include "toolbars/docks/dock_background.h"

#include <algorithm>

#include "framework/properties.h"

namespace toolbars {

TBarBackground::TBarBackground(TComponent* owner)
    : TBarBasicBackground(owner), working_(std::make_unique<TBitmap>()), bitmap_(std::make_unique<TBitmap>()) {
  bitmap_->OnChange = TNotifyEvent(this, &TBarBackground::Rebuild);
}

TBarBackground::~TBarBackground() = default;

const TPublishedTable& TBarBackground::PublishedTable() const {
  using P = TPublished<TBarBackground>;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Object(L"Bitmap", &TBarBackground::Bitmap),
          P::Color(L"BkColor", &TBarBackground::BkColor, &TBarBackground::SetBkColor).Default(clBtnFace),
          P::Boolean(L"Transparent", &TBarBackground::Transparent, &TBarBackground::SetTransparent).Default(false),
      });
  return table;
}

void TBarBackground::SetBitmap(const TBitmap* value) { bitmap_->Assign(value); }

void TBarBackground::SetBkColor(TColor value) {
  if (bkColor_ == value) return;
  bkColor_ = value;
  if (transparent_) Rebuild();
}

void TBarBackground::SetTransparent(bool value) {
  if (transparent_ == value) return;
  transparent_ = value;
  Rebuild();
}

void TBarBackground::ChangeStretch(bool value) {
  if (stretch_ == value) return;
  stretch_ = value;
  Rebuild();
}

void TBarBackground::SetStretchSize(int width, int height) {
  if (!stretch_ || (stretchSize_.cx == width && stretchSize_.cy == height)) return;
  stretchSize_ = SIZE{width, height};
  Rebuild();
}

void TBarBackground::Rebuild(TObject*) {
  if (stretch_ && (stretchSize_.cx > 0 || stretchSize_.cy >= 1)) {
    working_->SetSize(stretchSize_.cx, stretchSize_.cy);
    if (!working_->Empty())
      working_->Canvas()->StretchDraw(RECT{0, 0, stretchSize_.cx, stretchSize_.cy}, bitmap_.get());
  } else {
    working_->SetSize(bitmap_->Width(), bitmap_->Height());
    if (!working_->Empty()) working_->Canvas()->Draw(0, 0, bitmap_.get());
  }
  cache_.reset();
  // A procedure may unregister itself while it is told.
  std::vector<TChangeRecord> changes = changes_;
  for (const TChangeRecord& change : changes) change.Proc(change.Data, this);
}

void TBarBackground::BuildCache() {
  int width = working_->Width();
  int height = working_->Height();
  cache_ = std::make_unique<TBitmap>();
  cache_->SetSize(width, height);
  HDC target = cache_->Canvas()->Handle();
  HDC source = working_->Canvas()->Handle();
  if (transparent_) {
    cache_->Canvas()->Brush()->SetColor(bkColor_);
    cache_->Canvas()->FillRect(RECT{0, 0, width, height});
    COLORREF key = GetPixel(source, 0, height - 1);
    TransparentBlt(target, 0, 0, width, height, source, 0, 0, width, height, key);
  } else {
    BitBlt(target, 0, 0, width, height, source, 0, 0, SRCCOPY);
  }
}

void TBarBackground::Draw(HDC dc, const RECT& drawRect) {
  // An empty picture has no tile to step by: nothing is drawn.
  if (!UsingBackground()) return;
  if (!cache_) BuildCache();
  int width = cache_->Width();
  int height = cache_->Height();
  HDC source = cache_->Canvas()->Handle();
  int saved = SaveDC(dc);
  // On a palette display the picture's own colours are realised behind the foreground's (RestoreDC undoes it).
  if (HPALETTE palette = GetPalette()) {
    SelectPalette(dc, palette, TRUE);
    RealizePalette(dc);
  }
  if (width == 8 && height == 8) {
    HBRUSH brush = CreatePatternBrush(cache_->Handle());
    POINT origin{};
    GetWindowOrgEx(dc, &origin);
    SetBrushOrgEx(dc, drawRect.left - origin.x, drawRect.top - origin.y, nullptr);
    FillRect(dc, &drawRect, brush);
    RestoreDC(dc, saved);
    DeleteObject(brush);
    return;
  }
  for (int x = drawRect.left; x < drawRect.right; x += width)
    for (int y = drawRect.top; y < drawRect.bottom; y += height) BitBlt(dc, x, y, width, height, source, 0, 0, SRCCOPY);
  RestoreDC(dc, saved);
}

HPALETTE TBarBackground::GetPalette() { return working_->Palette(); }

void TBarBackground::RegisterChanges(TBarBackgroundChangeProc proc, void* data) {
  auto same = [&](const TChangeRecord& record) { return record.Proc == proc && record.Data == data; };
  if (std::none_of(changes_.begin(), changes_.end(), same)) changes_.push_back({proc, data});
}

void TBarBackground::UnregisterChanges(TBarBackgroundChangeProc proc, void* data) {
  std::erase_if(changes_, [&](const TChangeRecord& record) { return record.Proc == proc && record.Data == data; });
}

void TBarBackground::SysColorChanged() {
  if (transparent_ && (bkColor_ & 0x80000000) != 0) Rebuild();
}

bool TBarBackground::UsingBackground() { return working_->Width() > 0 && working_->Height() > 0; }

}  // namespace toolbars
