#include "shell_section.h"

#include <span>

#include "framework/menus.h"
#include "framework/speed_button.h"
#include "framework/startup.h"
#include "framework/win_control.h"
#include "shell/system/color_names.h"
#include "shell/system/color_picker.h"
#include "shell/system/tray_icon.h"
#include "shell/system_unit.h"

using namespace shell;

namespace {

constexpr int kPaletteCell = 18;

// A block in one colour with that colour's stored name beside it.
class TNamedColor : public TGraphicControl {
  BC_CLASS(TNamedColor, TGraphicControl)
  explicit TNamedColor(TComponent* owner) : TGraphicControl(owner) { SetParentColor(false); }

 protected:
  void Paint() override {
    const RECT client = ClientRect();
    Canvas()->Pen()->SetColor(clBtnShadow);
    Canvas()->Brush()->SetColor(Color());
    Canvas()->Rectangle({0, 0, client.bottom, client.bottom});
    Canvas()->Brush()->SetStyle(TBrushStyle::bsClear);
    Canvas()->Font()->SetColor(clWindowText);
    Canvas()->TextOut(client.bottom + 6, (client.bottom - Canvas()->TextHeight(L"Ag")) / 2, ColorToString(Color()));
  }
};

// The set's colours, one cell each; the picker names them as the mouse passes.
class TPalette : public TGraphicControl {
  BC_CLASS(TPalette, TGraphicControl)
  using TGraphicControl::TGraphicControl;

 protected:
  void Paint() override {
    int x = 0;
    for (const TColorName& entry : ExtendedColorNames()) {
      Canvas()->Pen()->SetColor(clBtnShadow);
      Canvas()->Brush()->SetColor(entry.Color);
      Canvas()->Rectangle({x, 0, x + kPaletteCell, kPaletteCell});
      x += kPaletteCell + 2;
    }
  }
};

}  // namespace

int BuildShellSection(TWinControl* host) {
  InitializeUnit(SystemRoutinesUnit());

  auto* palette = new TPalette(host);
  palette->SetBounds(10, 8, static_cast<int>(ExtendedColorNames().size()) * (kPaletteCell + 2), kPaletteCell);
  palette->SetHint(L"Point at a colour: the picker reads it from the screen");
  palette->SetParent(host);

  auto* underMouse = new TNamedColor(host);
  underMouse->SetBounds(10, 34, 220, 22);
  underMouse->SetColor(clOrange);
  underMouse->SetParent(host);

  auto* picker = new TSysColorPicker(host);
  picker->SetOnTimer([picker, underMouse](TObject*) {
    const TColor color = picker->GetColor();
    if (color != underMouse->Color()) underMouse->SetColor(color);
  });

  auto* menu = new TPopupMenu(host);
  for (const wchar_t* caption : {L"&Show the gallery", L"-", L"&About the tray icon"}) {
    auto* item = new TMenuItem(menu);
    item->SetCaption(caption);
    menu->Items()->Add(item);
  }
  menu->Items()->Items(0)->SetDefault(true);

  auto* tray = new TSysTrayIcon(host);
  tray->SetHint(L"Component gallery");
  tray->Icon()->SetHandle(CopyIcon(LoadIconW(nullptr, IDI_APPLICATION)));
  tray->SetPopupMenu(menu);
  tray->SetVisible(true);

  auto* menuButton = new TSpeedButton(host);
  menuButton->SetBounds(250, 34, 160, 22);
  menuButton->SetCaption(L"Tray icon's menu");
  menuButton->OnClick = [tray](TObject*) { tray->PopupAtCursor(); };
  menuButton->SetParent(host);
  return 64;
}
