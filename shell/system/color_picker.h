// TSysColorPicker: on each tick of its timer, tells (through OnTimer) that the colour under the mouse may have
// changed, which GetColor reads; it can show a cursor of its own meanwhile.
#pragma once

#include "framework/graphics.h"
#include "framework/screen.h"
#include "shell/system/sys_timer.h"

namespace shell {

class TSysColorPicker : public TSysCustomTimer {
  BC_CLASS(TSysColorPicker, TSysCustomTimer)
  explicit TSysColorPicker(TComponent* owner = nullptr);

  TCursor Cursor() const { return cursor_; }
  virtual void SetCursor(TCursor value);
  // The screen pixel under the mouse cursor.
  virtual TColor GetColor() const;

  const TPublishedTable& PublishedTable() const override;

 protected:
  TRaised Timer() override;
  virtual void UpdateCursor();

 private:
  TCursor cursor_ = crDefault;
};

}  // namespace shell
