#include "toolbars_section.h"

#include "../../tests/toolbars/bar_host.h"
#include "framework/bitmap.h"
#include "framework/edit.h"
#include "framework/image_list.h"
#include "framework/startup.h"
#include "gallery_images.h"
#include "sample_lost.h"
#include "status_line.h"
#include "toolbars/bars/tool_window.h"
#include "toolbars/bars/toolbar.h"
#include "toolbars/docks/dock.h"
#include "toolbars/items/bar_image_list.h"
#include "toolbars/items/item_kinds.h"

using namespace toolbars;

namespace {

// Four 16 x 16 images of plain shapes, so that buttons show images beside their captions.
TImageList* MakeImages(TComponent* owner) {
  auto* images = new TImageList(owner);
  images->SetSize(16, 16);
  for (COLORREF color : {RGB(40, 110, 200), RGB(60, 160, 60), RGB(200, 80, 40), RGB(150, 90, 170)})
    AddDrawnImage(images, [color](TCanvas* canvas) {
      canvas->Brush()->SetColor(static_cast<TColor>(color));
      canvas->Pen()->SetColor(static_cast<TColor>(color));
      canvas->Ellipse(2, 2, 14, 14);
    });
  return images;
}

TBarCustomItem* AddItem(TComponent* owner, TBarCustomItem* parent, const wchar_t* caption, int image) {
  auto* item = new TBarCustomItem(owner);
  item->SetCaption(caption);
  item->SetImageIndex(image);
  parent->Add(item);
  return item;
}

// An item that opens a pop-up of its children, as the entries of a menu bar do.
class TSubmenuItem : public TBarCustomItem {
  BC_CLASS(TSubmenuItem, TBarCustomItem)
  explicit TSubmenuItem(TComponent* owner) : TBarCustomItem(owner) {
    SetItemStyle(static_cast<TBarItemStyle>(ItemStyle() | isSubmenu));
  }
};

// The frame the docks line: a plain window in the application work-space colour.
class TBarFrame : public TCustomControl {
  BC_CLASS(TBarFrame, TCustomControl)
  explicit TBarFrame(TComponent* owner) : TCustomControl(owner) { SetColor(clAppWorkSpace); }
};

TBarCustomToolbar* AddToolbar(TComponent* owner, TBarDock* dock, int row, int pos) {
  auto* bar = new TBarCustomToolbar(owner);
  bar->SetHideWhenInactive(false);
  if (bar->SetDockRow(row).Gone() || bar->SetDockPos(pos).Gone() || bar->SetCurrentDock(dock).Gone()) SampleLost();
  return bar;
}

// A menu bar, a toolbar with a hosted edit box and one that a neighbour cuts short with its chevron, and a tool
// window on the left, all docked in one frame.
TRaised BuildDockedBars(TWinControl* host, int top, TCustomImageList* images) {
  auto* frame = new TBarFrame(host);
  if (frame->SetBounds(10, top, 580, 130).Gone() || frame->SetParent(host).Gone()) return TRaised(false);
  auto* topDock = new TBarDock(frame);
  if (topDock->SetParent(frame).Gone()) return TRaised(false);
  auto* leftDock = new TBarDock(frame);
  if (leftDock->SetPosition(TBarDockPosition::dpLeft).Gone() || leftDock->SetParent(frame).Gone())
    return TRaised(false);

  TBarCustomToolbar* menuBar = AddToolbar(host, topDock, 0, 0);
  if (menuBar->SetMenuBar(true).Gone()) return TRaised(false);
  // The form's own menu bar owns the access keys: these samples show none.
  for (const wchar_t* caption : {L"File", L"Edit", L"View", L"Favorites", L"Help"}) {
    auto* menu = new TSubmenuItem(host);
    menu->SetCaption(caption);
    menuBar->Items()->Add(menu);
    AddItem(host, menu, L"Open", 0);
    AddItem(host, menu, L"Close", 1);
  }

  TBarCustomToolbar* buttons = AddToolbar(host, topDock, 1, 0);
  buttons->SetImages(images);
  AddItem(host, buttons->Items(), L"Back", 0)->SetDisplayMode(TBarItemDisplayMode::nbdmImageAndText);
  AddItem(host, buttons->Items(), L"Forward", 1);
  buttons->Items()->Add(new TBarSeparatorItem(host));
  auto* address = new TEdit(host);
  if (address->SetText(L"about:blank").Gone() || address->SetBounds(0, 0, 110, 20).Gone() ||
      address->SetParent(buttons).Gone())
    return TRaised(false);

  TBarCustomToolbar* links = AddToolbar(host, topDock, 1, 320);
  links->SetImages(images);
  for (const wchar_t* caption : {L"News", L"Weather", L"Sports", L"Mail", L"Maps", L"Music", L"Books", L"Games"})
    AddItem(host, links->Items(), caption, 3)->SetDisplayMode(TBarItemDisplayMode::nbdmImageAndText);

  auto* panel = new TBarToolWindow(host);
  panel->SetHideWhenInactive(false);
  if (panel->SetParent(frame).Gone() || panel->SetClientAreaSize(90, 60).Gone() ||
      panel->SetCurrentDock(leftDock).Gone())
    return TRaised(false);
  auto* search = new TEdit(host);
  if (search->SetText(L"Search").Gone() || search->SetBounds(4, 4, 80, 20).Gone() || search->SetParent(panel).Gone())
    return TRaised(false);
  return TRaised(true);
}

// Every plain item of the samples says it was clicked.
void ReportClicks(TWinControl* host, TStatusLine* said) {
  for (int i = 0; i < host->ComponentCount(); ++i) {
    auto* item = ObjectAs<TBarCustomItem>(host->Components(i));
    if (!item || ObjectAs<TBarRootItem>(item) || item->HasStyle(isSubmenu) || item->HasStyle(isSeparator)) continue;
    const String caption = item->Caption();
    const String name = caption.substr(0, caption.find(L'\t'));
    item->OnClick = [said, name](TObject*) { (void)said->ShowText(L"Clicked the sample \"" + name + L"\""); };
  }
}

}  // namespace

int BuildToolbarsSection(TWinControl* host) {
  InitializeUnit(ToolbarsUnit());
  auto* root = new TBarRootItem(host);
  TImageList* images = MakeImages(host);
  root->SetSubMenuImages(images);
  AddItem(host, root, L"Back", 0)->SetDisplayMode(TBarItemDisplayMode::nbdmImageAndText);
  AddItem(host, root, L"Forward", 1)->SetEnabled(false);
  root->Add(new TBarSeparatorItem(host));
  TBarCustomItem* reload = AddItem(host, root, L"Reload", 2);
  reload->SetChecked(true);
  reload->SetDisplayMode(TBarItemDisplayMode::nbdmImageAndText);
  AddItem(host, root, L"Home\tAlt+Home", 3);

  auto* horizontal = new bar_host::TBarHostWindow(host, host, RECT{10, 6, 330, 32}, root, true);
  // The samples' items have no handlers yet: nothing frees the samples while they are set up.
  if (horizontal->View()->SetSelected(horizontal->View()->Viewers(0)).Gone()) return 0;
  auto* vertical = new bar_host::TBarHostWindow(host, host, RECT{10, 40, 110, 200}, root, true);
  vertical->View()->SetOrientation(TBarViewOrientation::tbvoVertical);
  if (vertical->View()->UpdatePositions().Gone()) return 0;
  auto* menu = new bar_host::TBarHostWindow(host, host, RECT{130, 40, 330, 150}, root, false);
  menu->SetColor(clMenu);
  if (menu->View()->SetSelected(menu->View()->Viewers(4)).Gone()) return 0;
  if (BuildDockedBars(host, 210, images).Gone()) return 0;
  auto* said = new TStatusLine(host);
  if (said->SetBounds(2, 346, 596, 22).Gone() || said->ShowText(L"Click the samples' buttons and menus.").Gone() ||
      said->SetParent(host).Gone())
    return 0;
  ReportClicks(host, said);
  return 372;
}
