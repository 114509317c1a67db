#include "gallery_images.h"

#include "framework/bitmap.h"
#include "framework/image_list.h"

namespace {

void DrawImage(TCanvas* canvas, TGalleryImage image) {
  canvas->Pen()->SetColor(static_cast<TColor>(RGB(40, 40, 60)));
  switch (image) {
    case giBack:
    case giForward: {
      canvas->Brush()->SetColor(static_cast<TColor>(RGB(40, 140, 60)));
      const bool back = image == giBack;
      const int tip = back ? 1 : 14;
      const int base = back ? 8 : 7;
      const int tail = back ? 14 : 1;
      canvas->Polygon({{tip, 8}, {base, 1}, {base, 5}, {tail, 5}, {tail, 11}, {base, 11}, {base, 15}});
      break;
    }
    case giStop:
      canvas->Brush()->SetColor(static_cast<TColor>(RGB(210, 50, 40)));
      canvas->Polygon({{5, 1}, {11, 1}, {15, 5}, {15, 11}, {11, 15}, {5, 15}, {1, 11}, {1, 5}});
      break;
    case giReload:
      canvas->Brush()->SetColor(static_cast<TColor>(RGB(40, 110, 200)));
      canvas->Ellipse(1, 1, 15, 15);
      canvas->Brush()->SetColor(clFuchsia);
      canvas->Ellipse(5, 5, 11, 11);
      break;
    case giHome:
      canvas->Brush()->SetColor(static_cast<TColor>(RGB(230, 160, 50)));
      canvas->Polygon({{8, 1}, {15, 8}, {13, 8}, {13, 15}, {3, 15}, {3, 8}, {1, 8}});
      break;
    case giFeed:
      canvas->Brush()->SetColor(static_cast<TColor>(RGB(240, 130, 30)));
      canvas->RoundRect(1, 1, 15, 15, 4, 4);
      canvas->Brush()->SetColor(clWhite);
      canvas->Ellipse(3, 10, 6, 13);
      break;
    case giTree:
      canvas->Brush()->SetColor(static_cast<TColor>(RGB(240, 200, 80)));
      canvas->Rectangle(1, 3, 8, 6);
      canvas->Rectangle(1, 5, 15, 14);
      break;
    case giFavorite:
      canvas->Brush()->SetColor(static_cast<TColor>(RGB(250, 210, 40)));
      canvas->Polygon({{8, 1}, {10, 6}, {15, 6}, {11, 9}, {13, 15}, {8, 11}, {3, 15}, {5, 9}, {1, 6}, {6, 6}});
      break;
    case giPicture:
      canvas->Brush()->SetColor(static_cast<TColor>(RGB(150, 200, 240)));
      canvas->Rectangle(1, 2, 15, 14);
      canvas->Brush()->SetColor(static_cast<TColor>(RGB(60, 150, 60)));
      canvas->Polygon({{2, 13}, {6, 7}, {9, 11}, {11, 9}, {14, 13}});
      break;
    default:
      canvas->Brush()->SetColor(static_cast<TColor>(RGB(150, 90, 170)));
      canvas->Ellipse(1, 4, 9, 12);
      canvas->Ellipse(7, 4, 15, 12);
      break;
  }
}

}  // namespace

void AddDrawnImage(TImageList* images, const std::function<void(TCanvas* canvas)>& draw) {
  TBitmap bitmap;
  bitmap.SetPixelFormat(TPixelFormat::pf24bit);
  bitmap.SetSize(16, 16);
  TCanvas* canvas = bitmap.Canvas();
  canvas->Brush()->SetColor(clFuchsia);
  canvas->FillRect(RECT{0, 0, 16, 16});
  draw(canvas);
  images->AddMasked(&bitmap, clFuchsia);
}

TImageList* MakeGalleryImages(TComponent* owner) {
  auto* images = new TImageList(owner);
  images->SetSize(16, 16);
  for (int i = 0; i < giCount; ++i)
    AddDrawnImage(images, [i](TCanvas* canvas) { DrawImage(canvas, static_cast<TGalleryImage>(i)); });
  return images;
}
