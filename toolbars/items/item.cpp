#include "toolbars/items/item.h"

#include <algorithm>

#include "framework/application.h"
#include "framework/image_list.h"
#include "framework/properties.h"
#include "framework/shift_state.h"
#include "framework/sys_utils.h"
#include "toolbars/common/bar_common.h"
#include "toolbars/items/item_action_link.h"
#include "toolbars/items/item_memory.h"
#include "toolbars/popups/done_action.h"
#include "toolbars/views/item_viewer.h"

namespace toolbars {

bool AutoAccelerators = false;

namespace {

// The options whose change alters how an item looks; the other two only change hints.
const TBarItemOptions kLayoutOptions{TBarItemOption::tboDefault,           TBarItemOption::tboDropdownArrow,
                                     TBarItemOption::tboImageAboveCaption, TBarItemOption::tboNoRotation,
                                     TBarItemOption::tboSameWidth,         TBarItemOption::tboToolbarStyle,
                                     TBarItemOption::tboToolbarSize};

constexpr int kMaxLinkDepth = 25;
constexpr int kMaxShortCutSearches = 16;

TBarItemOptions Normalise(TBarItemOptions options) {
  if (!options.Contains(TBarItemOption::tboToolbarStyle)) options.Exclude(TBarItemOption::tboToolbarSize);
  return options;
}

}  // namespace

String AddAutoAccelerator(const String& caption, const TBarCustomItem* parent, const TBarCustomItem* self) {
  if (!AutoAccelerators || !parent || caption.find(L'&') != String::npos) return caption;
  String taken;
  for (int i = 0; i < parent->Count(); ++i)
    if (parent->ItemAt(i) != self) taken += parent->ItemAt(i)->Caption();
  taken = LowerCase(taken);
  const String lower = LowerCase(caption);
  for (size_t i = 0; i < lower.size(); ++i) {
    const wchar_t letter = lower[i];
    if (letter < L'a' || letter > L'z') continue;
    const wchar_t mark[] = {L'&', letter, 0};
    if (taken.find(mark) == String::npos) return caption.substr(0, i) + L"&" + caption.substr(i);
  }
  return caption;
}

void* TBarCustomItem::operator new(size_t size) { return AllocateItemBlock(size); }

void TBarCustomItem::operator delete(TBarCustomItem* item, std::destroying_delete_t, size_t size) {
  if (void* block = DestroyWhole(item)) FreeItemBlock(block, size);
}

void TBarCustomItem::operator delete(void* block, size_t size) { FreeItemBlock(block, size); }

TBarCustomItem::TBarCustomItem(TComponent* owner) : TComponent(owner) { ItemCreated(); }

TBarCustomItem::~TBarCustomItem() {
  Destroying();
  Clear();
  if (parent_) parent_->Remove(this);
  if (linkSubitems_) {
    RemoveFromList(linkSubitems_->linkParents_, this);
    linkSubitems_ = nullptr;
  }
  // Items that show this item's children let go of it, and their views hear of it.
  while (linkParents_) linkParents_->back()->SetLinkSubitems(nullptr);
  actionLink_.reset();
  SetImages(nullptr);
  SetSubMenuImages(nullptr);
  SendFreeNotifications();
  notifyList_.reset();
  linkParents_.reset();
  ItemDestroyed();
}

void TBarCustomItem::Abandon() {
  TComponent::Abandon();
  if (parent_) parent_->Remove(this);
}

TBarCustomItem* TBarCustomItem::ItemAt(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return children_[static_cast<size_t>(index)];
}

int TBarCustomItem::IndexOf(const TBarCustomItem* item) const {
  // From the end: Clear frees the last child first, and each takes itself out through here.
  auto found = std::find(children_.rbegin(), children_.rend(), item);
  return found == children_.rend() ? -1 : static_cast<int>(children_.rend() - found) - 1;
}

void TBarCustomItem::Insert(int newIndex, TBarCustomItem* item) {
  if (item->parent_) throw EBarItemError(L"Toolbar item already inserted");
  if (newIndex < 0 || newIndex > Count()) return;
  // A leaf cannot be an ancestor, so building a deep tree from the bottom costs nothing here.
  if (item == this || (!item->children_.empty() && IsInside(item)))
    throw EBarItemError(L"A toolbar item cannot be inserted into itself or one of its own subitems");
  children_.insert(children_.begin() + newIndex, item);
  item->parent_ = this;
  Notify(this, false, TBarItemChangedAction::tbicSubitemsBeginUpdate, 0, nullptr);
  Notify(this, false, TBarItemChangedAction::tbicInserted, newIndex, item);
  item->RecalcOptions();
  Notify(this, false, TBarItemChangedAction::tbicSubitemsEndUpdate, 0, nullptr);
}

void TBarCustomItem::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  TBarCustomItem* child = children_[static_cast<size_t>(index)];
  // A view off screen lays out at once as the child leaves it, and the layout's handlers may free this item (with
  // its bar or form), or change its children: the child is looked up again.
  const TLifeWatch life = LifeWatch();
  Notify(this, false, TBarItemChangedAction::tbicDeleting, index, child);
  if (life.Ended()) return;
  const auto found = std::find(children_.begin(), children_.end(), child);
  if (found == children_.end()) return;
  child->parent_ = nullptr;
  children_.erase(found);
}

void TBarCustomItem::Remove(TBarCustomItem* item) {
  const int index = IndexOf(item);
  if (index >= 0) Delete(index);
}

void TBarCustomItem::Clear() {
  // Leaves first, the last child's deepest descendant before everything else, as a recursive destruction would
  // free them; a loop rather than recursion, since the depth is the application's data.
  // Each child leaving lays out the views off screen, whose handlers may free this item, or the parent the walk
  // goes back to (it starts again from the top then).
  const TLifeWatch life = LifeWatch();
  TBarCustomItem* node = this;
  while (!life.Ended() && !children_.empty()) {
    while (!node->children_.empty()) node = node->children_.back();
    TBarCustomItem* parent = node->parent_;
    const TLifeWatch parentLife = parent->LifeWatch();
    delete node;
    node = parentLife.Ended() ? this : parent;
  }
}

void TBarCustomItem::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  TBarCustomItem* item = ItemAt(curIndex);
  if (!item) return;
  NotifyBeginUpdate();
  try {
    Delete(curIndex);
    if (curIndex > newIndex)
      Insert(std::max(newIndex, 0), item);
    else if (Count() < newIndex)
      Add(item);
    else
      Insert(newIndex - 1, item);
  } catch (...) {
    NotifyEndUpdate();
    throw;
  }
  NotifyEndUpdate();
}

void TBarCustomItem::NotifyBeginUpdate() {
  Notify(this, false, TBarItemChangedAction::tbicSubitemsBeginUpdate, 0, nullptr);
}

void TBarCustomItem::NotifyEndUpdate() {
  Notify(this, false, TBarItemChangedAction::tbicSubitemsEndUpdate, 0, nullptr);
}

void TBarCustomItem::RegisterNotification(const TBarItemChangedProc& proc) {
  if (!notifyList_) notifyList_ = std::make_unique<std::vector<TNotifyRecord>>();
  for (TNotifyRecord& record : *notifyList_) {
    if (record.Proc == proc) {
      ++record.RefCount;
      return;
    }
  }
  notifyList_->push_back({proc, 1});
}

void TBarCustomItem::UnregisterNotification(const TBarItemChangedProc& proc) {
  if (!notifyList_) return;
  for (auto record = notifyList_->begin(); record != notifyList_->end(); ++record) {
    if (record->Proc != proc) continue;
    if (--record->RefCount == 0) notifyList_->erase(record);
    break;
  }
  if (notifyList_->empty()) notifyList_.reset();
}

void TBarCustomItem::Notify(TBarCustomItem* ancestor, bool relayed, TBarItemChangedAction action, int index,
                            TBarCustomItem* item) {
  // A view told of the change may lay out at once, raising measuring handlers that free this item.
  const TLifeWatch life = LifeWatch();
  if (ancestor == this) {
    if (HasStyle(isEmbeddedGroup) && parent_) parent_->Notify(this, true, action, index, item);
    if (life.Ended()) return;
    if (linkParents_) {
      std::vector<std::pair<TBarCustomItem*, TLifeWatch>> linked;
      for (TBarCustomItem* link : *linkParents_) linked.emplace_back(link, link->LifeWatch());
      for (auto& [link, linkLife] : linked) {
        if (linkLife.Ended() || link == parent_ || !link->HasStyle(isEmbeddedGroup) || !link->parent_) continue;
        link->parent_->Notify(link, true, action, index, item);
        if (life.Ended()) return;
      }
    }
  }
  size_t i = 0;
  while (notifyList_ && i < notifyList_->size()) {
    // A copy: the procedure may unregister itself (and so destroy its record) while it runs.
    const TBarItemChangedProc proc = (*notifyList_)[i].Proc;
    proc(ancestor, relayed || ancestor != this, action, index, item);
    if (life.Ended() || !notifyList_ || i >= notifyList_->size()) return;
    if ((*notifyList_)[i].Proc == proc) ++i;
  }
}

void TBarCustomItem::Change(bool needResize) {
  if (parent_)
    parent_->Notify(parent_, false,
                    needResize ? TBarItemChangedAction::tbicInvalidateAndResize : TBarItemChangedAction::tbicInvalidate,
                    0, this);
}

TBasicAction* TBarCustomItem::Action() const { return actionLink_ ? actionLink_->Action() : nullptr; }

void TBarCustomItem::SetAction(TBasicAction* value) {
  if (!value) {
    actionLink_.reset();
    return;
  }
  if (!actionLink_) {
    std::unique_ptr<TBasicActionLink> link = CreateActionLink(GetActionLinkClass(), this);
    actionLink_.reset(static_cast<TBarCustomItemActionLink*>(link.release()));
  }
  actionLink_->SetAction(value);
  actionLink_->OnChange = TNotifyEvent(this, &TBarCustomItem::DoActionChange);
  value->FreeNotification(this);
  // The last act: the properties the action gives tell the views, whose handlers may free this item.
  if (ActionChange(value, value->IsLoading()).Gone()) return;
}

void TBarCustomItem::DoActionChange(TObject* sender) {
  if (sender == Action() && ActionChange(sender, false).Gone()) return;
}

const TClass* TBarCustomItem::GetActionLinkClass() const { return TBarCustomItemActionLink::StaticClass(); }

TRaised TBarCustomItem::ActionChange(TObject* sender, bool checkDefaults) {
  auto* action = ObjectAs<TCustomAction>(sender);
  if (!action) return TRaised(true);
  if (!checkDefaults || !autoCheck_) SetAutoCheck(action->AutoCheck());
  if (!checkDefaults || helpContext_ == 0) SetHelpContext(action->HelpContext());
  if (!checkDefaults || hint_.empty()) SetHint(action->Hint());
  if (!checkDefaults || shortCut_ == 0) SetShortCut(action->ShortCut());
  if (!checkDefaults || !OnClick) OnClick = action->OnExecute();
  // What tells no view came first. Each property below tells the views, which may lay out at once and raise
  // handlers that free this item, or its action (which then is no longer this item's): the rest is left then.
  const TLifeWatch life = LifeWatch();
  const auto stopped = [&] { return life.Ended() || Action() != action; };
  if (!checkDefaults || caption_.empty()) {
    const bool automatic = parent_ && autoHotKey_ && !IsDesigning();
    SetCaption(automatic ? AddAutoAccelerator(action->Caption(), parent_, this) : action->Caption());
    if (stopped()) return TRaised(!life.Ended());
  }
  if (!checkDefaults || !checked_) {
    SetChecked(action->Checked());
    if (stopped()) return TRaised(!life.Ended());
  }
  if (!checkDefaults || enabled_) {
    SetEnabled(action->Enabled());
    if (stopped()) return TRaised(!life.Ended());
  }
  if (!checkDefaults || imageIndex_ == -1) {
    SetImageIndex(action->ImageIndex());
    if (stopped()) return TRaised(!life.Ended());
  }
  if (!checkDefaults || visible_) SetVisible(action->Visible());
  return TRaised(!life.Ended());
}

void TBarCustomItem::SetCaption(const String& value) {
  if (caption_ == value) return;
  caption_ = value;
  Change(!quietCaption_);
}

void TBarCustomItem::SetChecked(bool value) {
  if (checked_ == value) return;
  checked_ = value;
  // A view whose layout is due lays out as it hears of the change, and its handlers may free this item.
  const TLifeWatch life = LifeWatch();
  Change(false);
  if (value && !life.Ended()) UncheckGroup();
}

void TBarCustomItem::UncheckGroup() {
  if (groupIndex_ == 0 || !parent_) return;
  // Each sibling unchecked tells the views as above: the handlers may free any sibling, this item or the parent.
  std::vector<std::pair<TBarCustomItem*, TLifeWatch>> siblings;
  for (TBarCustomItem* sibling : parent_->children_)
    if (sibling != this && sibling->groupIndex_ == groupIndex_) siblings.emplace_back(sibling, sibling->LifeWatch());
  const TLifeWatch life = LifeWatch();
  for (const auto& [sibling, siblingLife] : siblings) {
    if (life.Ended()) return;
    if (!siblingLife.Ended()) sibling->SetChecked(false);
  }
}

void TBarCustomItem::SetDisplayMode(TBarItemDisplayMode value) {
  if (displayMode_ == value) return;
  displayMode_ = value;
  Change(true);
}

void TBarCustomItem::SetEnabled(bool value) {
  if (enabled_ == value) return;
  enabled_ = value;
  EnabledChanged();
}

void TBarCustomItem::SetGroupIndex(int value) {
  if (groupIndex_ == value) return;
  groupIndex_ = value;
  if (checked_) UncheckGroup();
}

void TBarCustomItem::SetImageIndex(int value) {
  if (imageIndex_ == value) return;
  const bool shownChanged = imageIndex_ == -1 || value == -1;
  imageIndex_ = value;
  Change(shownChanged);
}

void TBarCustomItem::SwapImageList(TCustomImageList*& field, std::unique_ptr<TChangeLink>& link,
                                   TCustomImageList* value, void (TBarCustomItem::*handler)(TObject*)) {
  if (field && link) field->UnRegisterChanges(link.get());
  if (field) field->RemoveFreeNotification(this);
  field = value;
  if (!value) {
    link.reset();
    return;
  }
  if (!link) {
    link = std::make_unique<TChangeLink>();
    link->OnChange = TNotifyEvent(this, handler);
  }
  value->RegisterChanges(link.get());
  value->FreeNotification(this);
}

void TBarCustomItem::SetImages(TCustomImageList* value) {
  if (images_ == value) return;
  const bool hadList = images_ != nullptr;
  SwapImageList(images_, imagesLink_, value, &TBarCustomItem::ImagesChanged);
  const SIZE size = value ? SIZE{value->Width(), value->Height()} : SIZE{};
  const bool sizeChanged = size.cx != imagesSize_.cx || size.cy != imagesSize_.cy;
  imagesSize_ = size;
  if (IsDestroying()) return;
  Change(!hadList || !value || sizeChanged);
}

void TBarCustomItem::ImagesChanged(TObject* sender) {
  auto* list = ObjectAs<TCustomImageList>(sender);
  if (list && (list->Width() != imagesSize_.cx || list->Height() != imagesSize_.cy)) {
    imagesSize_ = SIZE{list->Width(), list->Height()};
    Change(true);
  } else {
    Change(false);
  }
}

void TBarCustomItem::SetSubMenuImages(TCustomImageList* value) {
  if (subMenuImages_ == value) return;
  SwapImageList(subMenuImages_, subMenuImagesLink_, value, &TBarCustomItem::SubMenuImagesChanged);
  subMenuImagesSize_ = value ? SIZE{value->Width(), value->Height()} : SIZE{};
  if (IsDestroying()) return;
  Notify(this, false, TBarItemChangedAction::tbicSubMenuImagesChanged, 0, nullptr);
}

void TBarCustomItem::SubMenuImagesChanged(TObject* sender) {
  if (auto* list = ObjectAs<TCustomImageList>(sender)) subMenuImagesSize_ = SIZE{list->Width(), list->Height()};
  Notify(this, false, TBarItemChangedAction::tbicSubMenuImagesChanged, 0, nullptr);
}

void TBarCustomItem::SetInheritOptions(bool value) {
  if (inheritOptions_ == value) return;
  inheritOptions_ = value;
  RecalcOptions();
}

void TBarCustomItem::SetMaskOptions(TBarItemOptions value) {
  if (maskOptions_ == value) return;
  maskOptions_ = value;
  RecalcOptions();
}

void TBarCustomItem::SetOptions(TBarItemOptions value) {
  value = Normalise(value);
  if (options_ == value) return;
  options_ = value;
  RecalcOptions();
}

bool TBarCustomItem::IsInside(const TBarCustomItem* ancestor) const {
  for (const TBarCustomItem* item = this; item; item = item->parent_)
    if (item == ancestor) return true;
  return false;
}

void TBarCustomItem::RecalcOwnOptions() {
  TBarItemOptions inherited;
  if (inheritOptions_ && parent_) inherited = parent_->effectiveOptions_ - TBarItemOption::tboDefault;
  const TBarItemOptions options = Normalise((inherited - maskOptions_) + options_);
  if (options == effectiveOptions_) return;
  const bool layoutChanged = (options * kLayoutOptions) != (effectiveOptions_ * kLayoutOptions);
  effectiveOptions_ = options;
  if (layoutChanged) Change(true);
}

void TBarCustomItem::RecalcOptions() {
  // Parents before their children, in child order; an explicit stack, since the depth is the application's data.
  // An item whose layout changes tells the views, which may lay out at once and raise handlers that free any item
  // of the walk: it passes over those gone, with what lay below them, and ends when this item went.
  const TLifeWatch life = LifeWatch();
  std::vector<std::pair<TBarCustomItem*, TLifeWatch>> pending{{this, life}};
  while (!pending.empty() && !life.Ended()) {
    const auto [item, itemLife] = pending.back();
    pending.pop_back();
    if (itemLife.Ended()) continue;
    item->RecalcOwnOptions();
    if (itemLife.Ended()) continue;
    for (auto child = item->children_.rbegin(); child != item->children_.rend(); ++child)
      if ((*child)->inheritOptions_) pending.emplace_back(*child, (*child)->LifeWatch());
  }
}

void TBarCustomItem::SetLinkSubitems(TBarCustomItem* value) {
  if (value == this) value = nullptr;
  if (linkSubitems_ == value) return;
  if (linkSubitems_) {
    RemoveFromList(linkSubitems_->linkParents_, this);
    linkSubitems_->RemoveFreeNotification(this);
  }
  linkSubitems_ = value;
  if (value) {
    AddToList(value->linkParents_, this);
    value->FreeNotification(this);
  }
  Notify(this, false, TBarItemChangedAction::tbicSubitemsChanged, 0, nullptr);
}

void TBarCustomItem::SetVisible(bool value) {
  if (visible_ == value) return;
  visible_ = value;
  Change(true);
}

void TBarCustomItem::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != TOperation::opRemove) return;
  if (linkParents_) RemoveFromList(linkParents_, static_cast<TBarCustomItem*>(component));
  if (component == Action()) SetAction(nullptr);
  if (component == images_) SetImages(nullptr);
  if (component == subMenuImages_) SetSubMenuImages(nullptr);
  if (component == linkSubitems_) SetLinkSubitems(nullptr);
}

String TBarCustomItem::GetShortCutText() const {
  const size_t tab = caption_.find(L'\t');
  if (tab != String::npos) return caption_.substr(tab + 1);
  return shortCut_ ? ShortCutToText(shortCut_) : String();
}

String TBarCustomItem::GetHintText() const {
  String hint = GetShortHint(hint_);
  auto* action = ObjectAs<TCustomAction>(Action());
  if (!action) return hint;
  String actionHint = hint;
  if (action->DoHint(actionHint) && !actionHint.empty() && Application && Application->HintShortCuts() &&
      action->ShortCut() != 0)
    return Format(L"%s (%s)", {actionHint, ShortCutToText(action->ShortCut())});
  return hint;
}

TBarCustomItem* TBarCustomItem::FindItemWithShortCut(TShortCut shortCut, TBarCustomItem*& topmostParent) {
  // Depth first, children in order, each item before what lies below it; an explicit stack, since the depth is
  // the application's data. Link hops count along each path, so that endless links end the path.
  struct TPending {
    TBarCustomItem* Item;
    int LinkDepth;
    TBarCustomItem* Topmost;  // the child of this item the path went through; null for this item's own children
  };
  std::vector<TPending> pending{{this, 0, nullptr}};
  bool isRoot = true;
  while (!pending.empty()) {
    const TPending current = pending.back();
    pending.pop_back();
    if (!isRoot && current.Item->shortCut_ == shortCut) {
      if (current.Topmost) topmostParent = current.Topmost;
      return current.Item;
    }
    TBarCustomItem* source = current.Item;
    int depth = current.LinkDepth;
    while (source->linkSubitems_ && depth <= kMaxLinkDepth) {
      ++depth;
      source = source->linkSubitems_;
    }
    if (depth > kMaxLinkDepth) continue;
    for (auto child = source->children_.rbegin(); child != source->children_.rend(); ++child)
      pending.push_back({*child, depth, isRoot ? nullptr : (current.Topmost ? current.Topmost : current.Item)});
    isRoot = false;
  }
  return nullptr;
}

bool TBarCustomItem::IsShortCut(TMessage& message) {
  const TShortCut shortCut = ::ShortCut(static_cast<WORD>(message.WParam), KeyDataToShiftState(message.LParam));
  if (shortCut == 0) return false;
  TBarCustomItem* found = nullptr;
  bool walking = true;
  // Menus built on demand may move the item away at every look; after this many fresh starts the key is not ours.
  for (int start = 0; walking; ++start) {
    if (start == kMaxShortCutSearches) return false;
    TBarCustomItem* topmost = nullptr;
    found = FindItemWithShortCut(shortCut, topmost);
    if (!found) return false;
    TBarCustomItem* current = this;
    walking = false;
    for (;;) {
      if (!current->enabled_) return false;
      TBarCustomItem* linked = current->GetLinkedItem();
      if (!IsDesigning()) {
        // The updates may free any item on the way, this one too; an item gone on the way starts the search anew.
        const TLifeWatch currentLife = current->LifeWatch();
        const TLifeWatch linkedLife = linked->LifeWatch();
        if (InitiateActionsOf(linked->children_, LifeWatch()).Gone()) return false;
        if (currentLife.Ended() || linkedLife.Ended()) {
          walking = true;
          break;
        }
      }
      if (!current->HasStyle(isEmbeddedGroup)) {
        // The handlers may free any item on the way, this one too; an item gone on the way starts the search anew.
        const TLifeWatch life = LifeWatch();
        const TLifeWatch currentLife = current->LifeWatch();
        bool lost = linked != current && linked->DoPopup(current, true).Gone();
        if (!currentLife.Ended()) lost = current->DoPopup(current, false).Gone() || lost;
        if (life.Ended()) return false;
        if (lost || currentLife.Ended()) {
          walking = true;
          break;
        }
      }
      // Menus built on demand may have changed what lies below: search again from here.
      topmost = nullptr;
      found = current->FindItemWithShortCut(shortCut, topmost);
      if (!found) {
        walking = true;
        break;
      }
      if (!topmost) break;
      current = topmost;
    }
  }
  if (!found->enabled_) return false;
  // The key is taken, whether or not the item outlived its command.
  if (found->Click().Gone()) return true;
  return true;
}

TRaised TBarCustomItem::DoPopup(TBarCustomItem* sender, bool fromLink) {
  const TRaised raised = RaiseEvent(OnPopup, sender, fromLink);
  if (raised.Gone() || HasStyle(isSplitButton)) return raised;
  return Click();
}

TBarItemViewerClass TBarCustomItem::GetItemViewerClass(TBarView* view) const {
  (void)view;
  return TBarItemViewerClass::Of<TBarItemViewer>();
}

TRaised TBarCustomItem::Click() {
  if (!enabled_) return TRaised(true);
  if (autoCheck_ && (!actionLink_ || !actionLink_->IsAutoCheckLinked())) SetChecked(!checked_);
  TBasicAction* action = Action();
  if (OnClick && action && OnClick != action->OnExecute()) return RaiseEvent(OnClick, this);
  if (IsDesigning() || !actionLink_) return RaiseEvent(OnClick, this);
  // The action's handler may free this item too.
  const TLifeWatch life = LifeWatch();
  actionLink_->Execute(this);
  return TRaised(!life.Ended());
}

TRaised InitiateActionsOf(const std::vector<TBarCustomItem*>& items, const TLifeWatch& owner) {
  std::vector<std::pair<TBarCustomItem*, TLifeWatch>> watched;
  for (TBarCustomItem* item : items) watched.emplace_back(item, item->LifeWatch());
  for (const auto& [item, life] : watched) {
    // An item its own update freed is passed over like those freed before their turn.
    if (!life.Ended() && item->InitiateAction().Gone()) continue;
    if (owner.Ended()) return TRaised(false);
  }
  return TRaised(!owner.Ended());
}

TRaised TBarCustomItem::InitiateAction() {
  if (!actionLink_ || Tag() == kNoActionUpdateTag) return TRaised(true);
  const TLifeWatch life = LifeWatch();
  actionLink_->Update();
  return TRaised(!life.Ended());
}

void TBarCustomItem::GetChildren(const TGetChildProc& proc, TComponent* root) {
  (void)root;
  for (TBarCustomItem* child : children_) proc(child);
}

void TBarCustomItem::SetChildOrder(TComponent* child, int order) {
  const int index = IndexOf(ObjectAs<TBarCustomItem>(child));
  if (index >= 0) Move(index, order);
}

void TBarCustomItem::SetParentComponent(TComponent* value) {
  if (parent_) parent_->Remove(this);
  if (!value) return;
  if (auto* item = ObjectAs<TBarCustomItem>(value)) {
    item->Add(this);
  } else if (auto* container = dynamic_cast<IBarItemContainer*>(value)) {
    if (TBarCustomItem* root = container->GetItems()) root->Add(this);
  }
}

TComponent* TBarCustomItem::GetParentComponent() const {
  if (!parent_) return nullptr;
  return parent_->parentComponent_ ? parent_->parentComponent_ : parent_;
}

void TBarCustomItem::SetName(const String& value) {
  TComponent::SetName(value);
  if (parent_) parent_->Notify(parent_, false, TBarItemChangedAction::tbicNameChanged, 0, this);
}

TRaised TBarCustomItem::Loaded() {
  if (TComponent::Loaded().Gone()) return TRaised(false);
  const TLifeWatch life = LifeWatch();
  if (TBasicAction* action = Action()) return ActionChange(action, true);
  return TRaised(!life.Ended());
}

const TPublishedTable& TBarCustomItem::PublishedTable() const {
  using P = TPublished<TBarCustomItem>;
  using Link = TBarCustomItemActionLink;
  // A property the action supplies is not stored: the action gives it again when the form is read.
  auto unlinked = [](bool (Link::*linked)()) {
    return [linked](TBarCustomItem* item) { return !item->ActionLink() || !(item->ActionLink()->*linked)(); };
  };
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Component(L"Action", &TBarCustomItem::Action, &TBarCustomItem::SetAction),
          P::Boolean(L"AutoCheck", &TBarCustomItem::AutoCheck, &TBarCustomItem::SetAutoCheck)
              .Default(false)
              .Stored(unlinked(&Link::IsAutoCheckLinked)),
          P::Text(L"Caption", &TBarCustomItem::Caption, &TBarCustomItem::SetCaption)
              .Stored(unlinked(&Link::IsCaptionLinked)),
          P::Boolean(L"Checked", &TBarCustomItem::Checked, &TBarCustomItem::SetChecked)
              .Default(false)
              .Stored(unlinked(&Link::IsCheckedLinked)),
          P::Enumeration(L"DisplayMode", &TBarCustomItem::DisplayMode, &TBarCustomItem::SetDisplayMode,
                         {L"nbdmDefault", L"nbdmTextOnly", L"nbdmTextOnlyInMenus", L"nbdmImageAndText"})
              .Default(TBarItemDisplayMode::nbdmDefault),
          P::Boolean(L"Enabled", &TBarCustomItem::Enabled, &TBarCustomItem::SetEnabled)
              .Default(true)
              .Stored(unlinked(&Link::IsEnabledLinked)),
          P::Integer(L"GroupIndex", &TBarCustomItem::GroupIndex, &TBarCustomItem::SetGroupIndex).Default(0),
          P::Integer(L"HelpContext", &TBarCustomItem::HelpContext, &TBarCustomItem::SetHelpContext)
              .Default(0)
              .Stored(unlinked(&Link::IsHelpContextLinked)),
          P::Text(L"Hint", &TBarCustomItem::Hint, &TBarCustomItem::SetHint).Stored(unlinked(&Link::IsHintLinked)),
          P::Integer(L"ImageIndex", &TBarCustomItem::ImageIndex, &TBarCustomItem::SetImageIndex)
              .Default(-1)
              .Stored(unlinked(&Link::IsImageIndexLinked)),
          P::Component(L"Images", &TBarCustomItem::Images, &TBarCustomItem::SetImages),
          P::Boolean(L"InheritOptions", &TBarCustomItem::InheritOptions, &TBarCustomItem::SetInheritOptions)
              .Default(true),
          P::Integer(L"ShortCut", &TBarCustomItem::ShortCut, &TBarCustomItem::SetShortCut)
              .Default(0)
              .Stored(unlinked(&Link::IsShortCutLinked)),
          P::Boolean(L"Visible", &TBarCustomItem::Visible, &TBarCustomItem::SetVisible)
              .Default(true)
              .Stored(unlinked(&Link::IsVisibleLinked)),
          P::Boolean(L"AutoHotKey", &TBarCustomItem::AutoHotKey, &TBarCustomItem::SetAutoHotKey).Default(true),
          P::Event(L"OnClick", &TBarCustomItem::OnClick).Stored(unlinked(&Link::IsOnExecuteLinked)),
          P::Event(L"OnPopup", &TBarCustomItem::OnPopup),
          P::Event(L"OnSelect", &TBarCustomItem::OnSelect),
      });
  return table;
}

}  // namespace toolbars
