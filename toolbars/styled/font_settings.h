// TFontSettings: what a themed item changes of the font its view paints with: each style switched on, off or left
// alone, a size in percent, a colour and a face name.
#pragma once

#include <cstdint>

#include "framework/component.h"
#include "framework/delegate.h"
#include "framework/graphics.h"

namespace toolbars {

enum class TTriState : uint8_t { tsDefault, tsTrue, tsFalse };
// Percent of the view font's point size.
using TFontSize = uint16_t;

class TFontSettings : public TPersistent, protected TEventSource {
  BC_CLASS(TFontSettings, TPersistent)

  TTriState Bold() const { return bold_; }
  void SetBold(TTriState value) { Store(bold_, value); }
  TTriState Italic() const { return italic_; }
  void SetItalic(TTriState value) { Store(italic_, value); }
  TTriState Underline() const { return underline_; }
  void SetUnderline(TTriState value) { Store(underline_, value); }
  TTriState StrikeOut() const { return strikeOut_; }
  void SetStrikeOut(TTriState value) { Store(strikeOut_, value); }
  TFontSize Size() const { return size_; }
  void SetSize(TFontSize value) { Store(size_, value); }
  TColor Color() const { return color_; }
  void SetColor(TColor value) { Store(color_, value); }
  // Empty keeps the font's own face.
  const String& Name() const { return name_; }
  void SetName(const String& value) { Store(name_, value); }

  // Another TFontSettings is copied whole with one change notification.
  void Assign(const TPersistent* source) override;
  const TPublishedTable& PublishedTable() const override;

  TNotifyEvent OnChange;

 private:
  template <class T>
  void Store(T& field, const T& value) {
    if (field == value) return;
    field = value;
    Changed();
  }
  void Changed() {
    // The last act of every change.
    if (RaiseEvent(OnChange, this).Gone()) return;
  }

  TTriState bold_ = TTriState::tsDefault;
  TTriState italic_ = TTriState::tsDefault;
  TTriState underline_ = TTriState::tsDefault;
  TTriState strikeOut_ = TTriState::tsDefault;
  TFontSize size_ = 100;
  TColor color_ = clNone;
  String name_;
};

void ApplyFontSettings(const TFontSettings& settings, TFont* font);

}  // namespace toolbars
