// TTextHolder: a component that only keeps lines of text set at design time, such as a page template.
#pragma once

#include <memory>

#include "framework/startup.h"
#include "framework/strings.h"

namespace controls {

class TTextHolder : public TComponent {
  BC_CLASS(TTextHolder, TComponent)
  explicit TTextHolder(TComponent* owner);
  ~TTextHolder() override;

  TStrings* Strings() const;
  // Takes the text of value; objects attached to its lines stay behind.
  void SetStrings(const TStrings* value);

  const TPublishedTable& PublishedTable() const override;

 private:
  std::unique_ptr<TStringList> strings_;
};

// Registers TTextHolder for stored forms.
const TUnit& TextHolderUnit();

}  // namespace controls
