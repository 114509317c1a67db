#include "toolbars/popups/popup_menu.h"

#include <utility>

#include "framework/image_list.h"
#include "framework/properties.h"
#include "toolbars/items/item_kinds.h"

namespace toolbars {

TBarPopupMenu::TBarPopupMenu(TComponent* owner) : TBarPopupMenu(owner, TBarRootItemClass::Of<TBarRootItem>()) {}

TBarPopupMenu::TBarPopupMenu(TComponent* owner, TBarRootItemClass rootItemClass) : TPopupMenu(owner) {
  items_ = rootItemClass.Create(this).release();
  items_->SetParentComponentValue(this);
  items_->OnPopup = TBarPopupEvent(this, &TBarPopupMenu::RootPopup);
}

// The items go before the rest of the menu, which they may still ask for.
TBarPopupMenu::~TBarPopupMenu() { delete std::exchange(items_, nullptr); }

void TBarPopupMenu::BeforeDestruction() {
  delete std::exchange(items_, nullptr);
  TPopupMenu::BeforeDestruction();
}

void TBarPopupMenu::RootPopup(TBarCustomItem* sender, bool fromLink) {
  (void)fromLink;
  // The items' caller watches their own life; the menu's is of no further use here.
  if (DoPopup(sender == items_ ? static_cast<TObject*>(this) : sender).Gone()) return;
}

TRaised TBarPopupMenu::Popup(int x, int y) {
  // The items' handlers, raised while the menu tracks, may free it.
  const TLifeWatch life = LifeWatch();
  SetPopupPoint(POINT{x, y});
  if (Tag() != 0) items_->SetTag(Tag());
  static const TBarPopupAlignment kAlignments[] = {TBarPopupAlignment::tbpaLeft, TBarPopupAlignment::tbpaRight,
                                                   TBarPopupAlignment::tbpaCenter};
  return AnswerFor(life, items_->Popup(x, y, TrackButton() == TTrackButton::tbRightButton,
                                       kAlignments[static_cast<int>(Alignment())]));
}

bool TBarPopupMenu::IsShortCut(const TMessage& message) {
  TMessage copy = message;
  return items_->IsShortCut(copy);
}

void TBarPopupMenu::GetChildren(const TGetChildProc& proc, TComponent* root) { items_->GetChildren(proc, root); }

void TBarPopupMenu::SetChildOrder(TComponent* child, int order) { items_->SetChildOrder(child, order); }

const TPublishedTable& TBarPopupMenu::PublishedTable() const {
  using P = TPublished<TBarPopupMenu>;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Component(L"Images", &TBarPopupMenu::Images, &TBarPopupMenu::SetImages),
          P::Component(L"LinkSubitems", &TBarPopupMenu::LinkSubitems, &TBarPopupMenu::SetLinkSubitems),
          P::Set(L"Options", &TBarPopupMenu::Options, &TBarPopupMenu::SetOptions,
                 {L"tboDefault", L"tboDropdownArrow", L"tboImageAboveCaption", L"tboLongHintInMenuOnly",
                  L"tboNoRotation", L"tboSameWidth", L"tboShowHint", L"tboToolbarStyle", L"tboToolbarSize"}),
      });
  return table;
}

}  // namespace toolbars
