#include "toolbars_section.h"

#include "../../tests/toolbars/bar_host.h"
#include "framework/bitmap.h"
#include "framework/image_list.h"
#include "framework/startup.h"
#include "toolbars/items/bar_image_list.h"
#include "toolbars/items/item_kinds.h"

using namespace toolbars;

namespace {

// Four 16 x 16 images of plain shapes, so that buttons show images beside their captions.
TImageList* MakeImages(TComponent* owner) {
  auto* images = new TImageList(owner);
  images->SetSize(16, 16);
  const COLORREF colors[] = {RGB(40, 110, 200), RGB(60, 160, 60), RGB(200, 80, 40), RGB(150, 90, 170)};
  for (COLORREF color : colors) {
    TBitmap bitmap;
    bitmap.SetSize(16, 16);
    HDC dc = bitmap.Canvas()->Handle();
    RECT all{0, 0, 16, 16};
    HBRUSH background = CreateSolidBrush(RGB(255, 0, 255));
    FillRect(dc, &all, background);
    DeleteObject(background);
    HBRUSH brush = CreateSolidBrush(color);
    HGDIOBJ old = SelectObject(dc, brush);
    Ellipse(dc, 2, 2, 14, 14);
    SelectObject(dc, old);
    DeleteObject(brush);
    images->AddMasked(&bitmap, clFuchsia);
  }
  return images;
}

TBarCustomItem* AddItem(TComponent* owner, TBarCustomItem* parent, const wchar_t* caption, int image) {
  auto* item = new TBarCustomItem(owner);
  item->SetCaption(caption);
  item->SetImageIndex(image);
  parent->Add(item);
  return item;
}

}  // namespace

int BuildToolbarsSection(TWinControl* host) {
  InitializeUnit(ToolbarsUnit());
  auto* root = new TBarRootItem(host);
  root->SetSubMenuImages(MakeImages(host));
  AddItem(host, root, L"&Back", 0)->SetDisplayMode(TBarItemDisplayMode::nbdmImageAndText);
  AddItem(host, root, L"&Forward", 1)->SetEnabled(false);
  root->Add(new TBarSeparatorItem(host));
  TBarCustomItem* reload = AddItem(host, root, L"&Reload", 2);
  reload->SetChecked(true);
  reload->SetDisplayMode(TBarItemDisplayMode::nbdmImageAndText);
  AddItem(host, root, L"&Home\tAlt+Home", 3);

  auto* horizontal = new bar_host::TBarHostWindow(host, host, RECT{10, 6, 330, 32}, root, true);
  horizontal->View()->SetSelected(horizontal->View()->Viewers(0));
  auto* vertical = new bar_host::TBarHostWindow(host, host, RECT{10, 40, 110, 200}, root, true);
  vertical->View()->SetOrientation(TBarViewOrientation::tbvoVertical);
  vertical->View()->UpdatePositions();
  auto* menu = new bar_host::TBarHostWindow(host, host, RECT{130, 40, 330, 150}, root, false);
  menu->SetColor(clMenu);
  menu->View()->SetSelected(menu->View()->Viewers(4));
  return 210;
}
