// TStyledSwitcher, the component through which an application chooses the theme of the whole process and the
// theme manager's visual-style and flat-menu settings, and hears of every theme change.
#pragma once

#include <cstdint>

#include "framework/component.h"
#include "framework/delegate.h"

namespace toolbars {

enum class TFlatMenuStyle : uint8_t { fmsAuto, fmsEnable, fmsDisable };

class TStyledSwitcher : public TComponent {
  BC_CLASS(TStyledSwitcher, TComponent)
  // Listens to the nexus.
  explicit TStyledSwitcher(TComponent* owner);
  // The last switcher of a design session takes the process back to "Default".
  ~TStyledSwitcher() override;
  const TPublishedTable& PublishedTable() const override;

  // The current theme of the process; a name that is not registered changes nothing.
  String Theme() const;
  void SetTheme(const String& value);
  bool EnableXPStyles() const;
  void SetEnableXPStyles(bool value);
  TFlatMenuStyle FlatMenuStyle() const;
  void SetFlatMenuStyle(TFlatMenuStyle value);

  // Fired for every notification of the nexus: three times for a switch of the theme.
  TNotifyEvent OnThemeChange;

  void Dispatch(TMessage& message) override;

 protected:
  TRaised Loaded() override;

 private:
  // A theme named while the form loads is made current once it has loaded.
  String loadedTheme_;
};

// How many switchers exist.
int StyledSwitcherCount();

}  // namespace toolbars
