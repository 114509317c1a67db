#include "toolbars/theme/stock_objects.h"

#include "framework/startup.h"

namespace toolbars {

namespace {

struct TStockObjects {
  std::unique_ptr<TBitmap> Bitmap1;
  std::unique_ptr<TBitmap> Bitmap2;
  std::unique_ptr<TBitmap> MonoBitmap;
  std::unique_ptr<TBitmap> NearestColorBitmap;
  std::unique_ptr<TFont> SmallCaptionFont;
};

std::unique_ptr<TStockObjects> stock;
TUpdateLayeredWindowProc updateLayeredWindow = nullptr;
TAlphaBlendProc alphaBlend = nullptr;
HMODULE alphaBlendLibrary = nullptr;

std::unique_ptr<TBitmap> NewBitmap(TPixelFormat format, int width, int height) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(format);
  bitmap->SetSize(width, height);
  return bitmap;
}

void CreateStockObjects() {
  auto objects = std::make_unique<TStockObjects>();
  objects->Bitmap1 = NewBitmap(TPixelFormat::pf32bit, 1, 1);
  objects->Bitmap2 = NewBitmap(TPixelFormat::pf32bit, 1, 1);
  objects->MonoBitmap = NewBitmap(TPixelFormat::pf1bit, 8, 8);
  objects->NearestColorBitmap = NewBitmap(TPixelFormat::pfDevice, 8, 8);
  objects->SmallCaptionFont = CreateSmallCaptionFont();
  stock = std::move(objects);
}

template <class F>
F Entry(HMODULE module, const char* name) {
  return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

void StartDrawingUtils() {
  CreateStockObjects();
  updateLayeredWindow = Entry<TUpdateLayeredWindowProc>(GetModuleHandleW(L"user32.dll"), "UpdateLayeredWindow");
  alphaBlendLibrary = LoadLibraryW(L"msimg32.dll");
  alphaBlend = Entry<TAlphaBlendProc>(alphaBlendLibrary, "AlphaBlend");
}

void StopDrawingUtils() {
  stock.reset();
  updateLayeredWindow = nullptr;
  alphaBlend = nullptr;
  if (alphaBlendLibrary) FreeLibrary(alphaBlendLibrary);
  alphaBlendLibrary = nullptr;
}

TStockObjects& Stock() {
  if (!stock) InitializeUnit(DrawingUtilsUnit());
  return *stock;
}

}  // namespace

TBitmap* StockBitmap1() { return Stock().Bitmap1.get(); }
TBitmap* StockBitmap2() { return Stock().Bitmap2.get(); }
TBitmap* StockMonoBitmap() { return Stock().MonoBitmap.get(); }
HDC StockNearestColorDC() { return Stock().NearestColorBitmap->Canvas()->Handle(); }
TFont* SmCaptionFont() { return Stock().SmallCaptionFont.get(); }

std::unique_ptr<TFont> CreateSmallCaptionFont() {
  auto font = std::make_unique<TFont>();
  // The wide record, sized as the platform's headers size it: a record sized for the narrow call is refused.
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
    font->SetHandle(CreateFontIndirectW(&metrics.lfSmCaptionFont));
  return font;
}

void RecreateStockObjects() {
  if (stock) CreateStockObjects();
}

TUpdateLayeredWindowProc UpdateLayeredWindowEntry() {
  Stock();
  return updateLayeredWindow;
}

TAlphaBlendProc AlphaBlendEntry() {
  Stock();
  return alphaBlend;
}

const TUnit& DrawingUtilsUnit() {
  static const TUnit unit{L"toolbars.drawing", &StartDrawingUtils, &StopDrawingUtils, {}};
  return unit;
}

}  // namespace toolbars
