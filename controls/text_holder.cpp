#include "controls/text_holder.h"

#include "framework/properties.h"

namespace controls {

TTextHolder::TTextHolder(TComponent* owner) : TComponent(owner), strings_(std::make_unique<TStringList>()) {}

TTextHolder::~TTextHolder() = default;

TStrings* TTextHolder::Strings() const { return strings_.get(); }

void TTextHolder::SetStrings(const TStrings* value) { strings_->SetText(value ? value->Text() : String()); }

const TPublishedTable& TTextHolder::PublishedTable() const {
  using P = TPublished<TTextHolder>;
  static const TPublishedTable table(&inherited::PublishedTable(), {
                                                                       P::Object(L"Strings", &TTextHolder::Strings),
                                                                   });
  return table;
}

namespace {

void RegisterTextHolder() { RegisterPersistentClass(TTextHolder::StaticClass()); }
void UnregisterTextHolder() { UnregisterPersistentClass(TTextHolder::StaticClass()); }

}  // namespace

const TUnit& TextHolderUnit() {
  static const TUnit unit{L"TextHolder", &RegisterTextHolder, &UnregisterTextHolder, {&FrameworkUnit()}};
  return unit;
}

}  // namespace controls
