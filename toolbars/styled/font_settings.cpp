#include "toolbars/styled/font_settings.h"

#include "framework/properties.h"

namespace toolbars {

void TFontSettings::Assign(const TPersistent* source) {
  const auto* other = ObjectAs<const TFontSettings>(source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  bold_ = other->bold_;
  italic_ = other->italic_;
  underline_ = other->underline_;
  strikeOut_ = other->strikeOut_;
  size_ = other->size_;
  color_ = other->color_;
  name_ = other->name_;
  Changed();
}

const TPublishedTable& TFontSettings::PublishedTable() const {
  using P = TPublished<TFontSettings>;
  const auto triState = [](String name, TTriState (TFontSettings::*getter)() const,
                           void (TFontSettings::*setter)(TTriState)) {
    return P::Enumeration(std::move(name), getter, setter, {L"tsDefault", L"tsTrue", L"tsFalse"})
        .Default(TTriState::tsDefault);
  };
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {triState(L"Bold", &TFontSettings::Bold, &TFontSettings::SetBold),
       triState(L"Italic", &TFontSettings::Italic, &TFontSettings::SetItalic),
       triState(L"Underline", &TFontSettings::Underline, &TFontSettings::SetUnderline),
       triState(L"StrikeOut", &TFontSettings::StrikeOut, &TFontSettings::SetStrikeOut),
       P::Integer(L"Size", &TFontSettings::Size, &TFontSettings::SetSize).Default(100),
       P::Color(L"Color", &TFontSettings::Color, &TFontSettings::SetColor).Default(clNone),
       P::Text(L"Name", &TFontSettings::Name, &TFontSettings::SetName)});
  return table;
}

void ApplyFontSettings(const TFontSettings& settings, TFont* font) {
  if (settings.Size() != 100) font->SetSize((font->Size() * settings.Size() + 50) / 100);
  if (settings.Color() != clNone) font->SetColor(settings.Color());
  if (!settings.Name().empty()) font->SetName(settings.Name());
  TFontStyles style = font->Style();
  const struct {
    TTriState State;
    TFontStyle Style;
  } switches[] = {{settings.Bold(), TFontStyle::fsBold},
                  {settings.Italic(), TFontStyle::fsItalic},
                  {settings.Underline(), TFontStyle::fsUnderline},
                  {settings.StrikeOut(), TFontStyle::fsStrikeOut}};
  for (const auto& s : switches) {
    if (s.State == TTriState::tsTrue) style = style + s.Style;
    if (s.State == TTriState::tsFalse) style = style - s.Style;
  }
  font->SetStyle(style);
}

}  // namespace toolbars
