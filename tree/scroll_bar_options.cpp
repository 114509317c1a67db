#include "tree/scroll_bar_options.h"

#include "framework/properties.h"
#include "tree/base_tree.h"

namespace tree {

TScrollBarOptions::TScrollBarOptions(TBaseTree* owner) : owner_(owner) {}

TPersistent* TScrollBarOptions::GetOwner() const { return owner_; }

void TScrollBarOptions::RecreateOwnerWindow(bool evenWhileLoading) {
  if (owner_ && owner_->HandleAllocated() && (evenWhileLoading || !owner_->IsLoading())) owner_->RecreateWnd();
}

void TScrollBarOptions::SetAlwaysVisible(bool value) {
  if (value == alwaysVisible_) return;
  alwaysVisible_ = value;
  RecreateOwnerWindow(false);
}

void TScrollBarOptions::SetScrollBars(TScrollStyle value) {
  if (value == scrollBars_) return;
  scrollBars_ = value;
  RecreateOwnerWindow(false);
}

void TScrollBarOptions::SetScrollBarStyle(TScrollBarStyle value) {
  if (value == scrollBarStyle_) return;
  scrollBarStyle_ = value;
  RecreateOwnerWindow(true);
}

void TScrollBarOptions::Assign(const TPersistent* source) {
  if (auto* other = ObjectAs<const TScrollBarOptions>(source)) {
    SetAlwaysVisible(other->alwaysVisible_);
    SetScrollBars(other->scrollBars_);
    SetScrollBarStyle(other->scrollBarStyle_);
    horizontalIncrement_ = other->horizontalIncrement_;
    verticalIncrement_ = other->verticalIncrement_;
    return;
  }
  inherited::Assign(source);
}

const TPublishedTable& TScrollBarOptions::PublishedTable() const {
  using P = TPublished<TScrollBarOptions>;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Boolean(L"AlwaysVisible", &TScrollBarOptions::AlwaysVisible, &TScrollBarOptions::SetAlwaysVisible)
              .Default(false),
          P::Integer(L"HorizontalIncrement", &TScrollBarOptions::HorizontalIncrement,
                     &TScrollBarOptions::SetHorizontalIncrement)
              .Default(20),
          P::Enumeration(L"ScrollBars", &TScrollBarOptions::ScrollBars, &TScrollBarOptions::SetScrollBars,
                         {L"ssNone", L"ssHorizontal", L"ssVertical", L"ssBoth"})
              .Default(TScrollStyle::ssBoth),
          P::Enumeration(L"ScrollBarStyle", &TScrollBarOptions::ScrollBarStyle, &TScrollBarOptions::SetScrollBarStyle,
                         {L"sbmRegular", L"sbmFlat", L"sbm3D"})
              .Default(TScrollBarStyle::sbmRegular),
          P::Integer(L"VerticalIncrement", &TScrollBarOptions::VerticalIncrement,
                     &TScrollBarOptions::SetVerticalIncrement)
              .Default(20),
      });
  return table;
}

}  // namespace tree
