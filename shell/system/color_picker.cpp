#include "shell/system/color_picker.h"

#include "framework/properties.h"
#include "shell/system/application_windows.h"

namespace shell {

TSysColorPicker::TSysColorPicker(TComponent* owner) : TSysCustomTimer(owner) { SetInterval(100); }

void TSysColorPicker::SetCursor(TCursor value) {
  if (value == cursor_) return;
  cursor_ = value;
  UpdateCursor();
}

TColor TSysColorPicker::GetColor() const { return GetCursorPixel(); }

TRaised TSysColorPicker::Timer() {
  const TRaised raised = TSysCustomTimer::Timer();
  if (raised.Alive()) UpdateCursor();
  return raised;
}

void TSysColorPicker::UpdateCursor() {
  if (cursor_ != crDefault && Screen) ::SetCursor(Screen->Cursors(cursor_));
}

const TPublishedTable& TSysColorPicker::PublishedTable() const {
  using P = TPublished<TSysColorPicker>;
  using T = TSysColorPicker;
  static const TPublishedTable table(&inherited::PublishedTable(),
                                     {
                                         P::Boolean(L"Enabled", &T::Enabled, &T::SetEnabled).Default(true),
                                         P::Integer(L"Interval", &T::Interval, &T::SetInterval).Default(100),
                                         P::Event(L"OnTimer", &T::OnTimer, &T::SetOnTimer),
                                     });
  return table;
}

}  // namespace shell
