#include "controls/xp_check_box.h"

#include "framework/properties.h"

namespace controls {

const TPublishedTable& TXP_CheckBox::PublishedTable() const {
  using P = TPublished<TXP_CheckBox>;
  static const TPublishedTable table(&inherited::PublishedTable(),
                                     {P::Boolean(L"Checked", &TXP_CheckBox::Checked, &TXP_CheckBox::SetChecked)});
  return table;
}

}  // namespace controls
