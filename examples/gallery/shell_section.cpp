#include "shell_section.h"

#include <span>
#include <utility>

#include "framework/form.h"
#include "framework/menus.h"
#include "framework/speed_button.h"
#include "framework/startup.h"
#include "framework/win_control.h"
#include "shell/system/color_names.h"
#include "shell/system/color_picker.h"
#include "shell/system/tray_icon.h"
#include "shell/system_unit.h"
#include "status_line.h"

using namespace shell;

namespace {

constexpr int kPaletteCell = 18;

// A block in one colour with that colour's stored name beside it.
class TNamedColor : public TGraphicControl {
  BC_CLASS(TNamedColor, TGraphicControl)
  explicit TNamedColor(TComponent* owner) : TGraphicControl(owner) { SetParentColor(false); }

 protected:
  TRaised Paint() override {
    const RECT client = ClientRect();
    Canvas()->Pen()->SetColor(clBtnShadow);
    Canvas()->Brush()->SetColor(Color());
    Canvas()->Rectangle({0, 0, client.bottom, client.bottom});
    Canvas()->Brush()->SetStyle(TBrushStyle::bsClear);
    Canvas()->Font()->SetColor(clWindowText);
    Canvas()->TextOut(client.bottom + 6, (client.bottom - Canvas()->TextHeight(L"Ag")) / 2, ColorToString(Color()));
    return TRaised(true);
  }
};

// The set's colours, one cell each; the picker names them as the mouse passes.
class TPalette : public TGraphicControl {
  BC_CLASS(TPalette, TGraphicControl)
  using TGraphicControl::TGraphicControl;

 protected:
  TRaised Paint() override {
    int x = 0;
    for (const TColorName& entry : ExtendedColorNames()) {
      Canvas()->Pen()->SetColor(clBtnShadow);
      Canvas()->Brush()->SetColor(entry.Color);
      Canvas()->Rectangle({x, 0, x + kPaletteCell, kPaletteCell});
      x += kPaletteCell + 2;
    }
    return TRaised(true);
  }
};

}  // namespace

int BuildShellSection(TWinControl* host) {
  InitializeUnit(SystemRoutinesUnit());

  auto* palette = new TPalette(host);
  if (palette->SetBounds(10, 8, static_cast<int>(ExtendedColorNames().size()) * (kPaletteCell + 2), kPaletteCell)
          .Gone())
    return 0;
  palette->SetHint(L"Point at a colour: the picker reads it from the screen");
  if (palette->SetParent(host).Gone()) return 0;

  auto* underMouse = new TNamedColor(host);
  if (underMouse->SetBounds(10, 34, 220, 22).Gone()) return 0;
  underMouse->SetColor(clOrange);
  if (underMouse->SetParent(host).Gone()) return 0;

  auto* picker = new TSysColorPicker(host);
  picker->SetOnTimer([picker, underMouse](TObject*) {
    const TColor color = picker->GetColor();
    if (color != underMouse->Color()) underMouse->SetColor(color);
  });

  auto* said = new TStatusLine(host);
  if (said->SetBounds(2, 62, 596, 22).Gone() ||
      said->ShowText(L"The tray icon's menu: from the icon or from the button.").Gone() || said->SetParent(host).Gone())
    return 0;

  auto* menu = new TPopupMenu(host);
  const std::pair<const wchar_t*, TNotifyEvent> items[] = {
      {L"&Show the gallery",
       [host](TObject*) {
         if (TCustomForm* form = GetParentForm(host)) {
           if (IsIconic(form->Handle())) ShowWindow(form->Handle(), SW_RESTORE);
           if (form->Show().Gone()) return;
           SetForegroundWindow(form->Handle());
         }
       }},
      {L"-", nullptr},
      {L"&About the tray icon",
       [said](TObject*) {
         (void)said->ShowText(
             L"The tray icon shows the gallery's hint and this menu; Show the gallery is its default.");
       }},
  };
  for (const auto& [caption, click] : items) {
    auto* item = new TMenuItem(menu);
    item->SetCaption(caption);
    item->OnClick = click;
    menu->Items()->Add(item);
  }
  // A double click on the icon does what the default item does.
  menu->Items()->Items(0)->SetDefault(true);

  auto* tray = new TSysTrayIcon(host);
  tray->SetHint(L"Component gallery");
  tray->Icon()->SetHandle(CopyIcon(LoadIconW(nullptr, IDI_APPLICATION)));
  tray->SetPopupMenu(menu);
  if (tray->SetVisible(true).Gone()) return 0;

  auto* menuButton = new TSpeedButton(host);
  if (menuButton->SetBounds(250, 34, 160, 22).Gone() || menuButton->SetCaption(L"Tray icon's menu").Gone()) return 0;
  menuButton->OnClick = [tray](TObject*) {
    if (tray->PopupAtCursor().Gone()) return;
  };
  if (menuButton->SetParent(host).Gone()) return 0;
  return 90;
}
