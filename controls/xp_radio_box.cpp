#include "controls/xp_radio_box.h"

#include "framework/properties.h"

namespace controls {

void TXP_RadioBox::SetChecked(bool value) {
  if (Checked() == value) return;
  if (value && Parent()) {
    TWinControl* parent = Parent();
    for (int i = 0; i < parent->ControlCount(); ++i) {
      auto* other = ObjectAs<TXP_RadioBox>(parent->Controls(i));
      if (other && other != this && other->groupIndex_ == groupIndex_) other->SetChecked(false);
    }
  }
  StoreChecked(value);
}

const TPublishedTable& TXP_RadioBox::PublishedTable() const {
  using P = TPublished<TXP_RadioBox>;
  using R = TXP_RadioBox;
  static const TPublishedTable table(&inherited::PublishedTable(),
                                     {
                                         P::Boolean(L"Checked", &R::Checked, &R::SetChecked),
                                         P::Integer(L"GroupIndex", &R::GroupIndex, &R::SetGroupIndex),
                                     });
  return table;
}

}  // namespace controls
