// TBarCustomItem: the model of every menu bar, toolbar and pop-up menu. An item holds its caption, image, check
// state and options and its ordered children; it knows no windows. Views register a notification procedure with
// the item whose children they show and hear every insertion, deletion and change through it.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/actions.h"
#include "framework/class_ref.h"
#include "framework/component.h"
#include "framework/delegate.h"
#include "framework/menus.h"
#include "framework/set.h"

class TCustomImageList;
class TChangeLink;

namespace toolbars {

class TBarCustomItem;
class TBarCustomItemActionLink;
class TBarItemViewer;
class TBarView;
class TBarPopupWindowBase;
class TBarItemContextMenu;
struct TBarPopupPositionRec;

BC_EXCEPTION(EBarItemError, Exception)

enum class TBarItemOption {
  tboDefault,
  tboDropdownArrow,
  tboImageAboveCaption,
  tboLongHintInMenuOnly,
  tboNoRotation,
  tboSameWidth,
  tboShowHint,
  tboToolbarStyle,
  tboToolbarSize
};
using TBarItemOptions = TSet<TBarItemOption, 16>;

enum class TBarItemDisplayMode { nbdmDefault, nbdmTextOnly, nbdmTextOnlyInMenus, nbdmImageAndText };

// The behaviour class of an item, a bit mask its class sets in its constructor.
using TBarItemStyle = uint16_t;
constexpr TBarItemStyle isSubmenu = 0x0001;
constexpr TBarItemStyle isSelectable = 0x0002;
constexpr TBarItemStyle isSeparator = 0x0004;
constexpr TBarItemStyle isEmbeddedGroup = 0x0008;
constexpr TBarItemStyle isClicksTransparent = 0x0010;
constexpr TBarItemStyle isSplitButton = 0x0020;
constexpr TBarItemStyle isNoAutoOpen = 0x0040;
constexpr TBarItemStyle isSubitemsEditable = 0x0080;
constexpr TBarItemStyle isNoLineBreak = 0x0100;
constexpr TBarItemStyle isRightAlign = 0x0200;
constexpr TBarItemStyle isDontSelectFirst = 0x0400;
constexpr TBarItemStyle isRedrawOnSelChange = 0x0800;
constexpr TBarItemStyle isRedrawOnHotChange = 0x1000;
constexpr TBarItemStyle isStretch = 0x2000;

// What a notification reports; the numbers are those the views and the themes rely on.
enum class TBarItemChangedAction {
  tbicInserted = 0,
  tbicDeleting = 1,
  tbicSubitemsChanged = 2,
  tbicSubitemsBeginUpdate = 3,
  tbicSubitemsEndUpdate = 4,
  tbicInvalidate = 5,
  tbicInvalidateAndResize = 6,
  tbicRecreateItemViewers = 7,
  tbicNameChanged = 8,
  tbicSubMenuImagesChanged = 9
};

using TBarItemChangedProc = TDelegate<void(TBarCustomItem* Ancestor, bool Relayed, TBarItemChangedAction Action,
                                           int Index, TBarCustomItem* Item)>;
using TBarPopupEvent = TDelegate<void(TBarCustomItem* Sender, bool FromLink)>;
using TBarSelectEvent = TDelegate<void(TBarCustomItem* Sender, TBarItemViewer* Viewer, bool Selecting)>;

using TBarItemViewerClass = TClassRef<TBarItemViewer, TBarView*, TBarCustomItem*>;
using TBarPopupWindowClass = TClassRef<TBarPopupWindowBase, TComponent*, TBarView*, TBarCustomItem*, bool>;

enum class TBarPopupAlignment : uint8_t { tbpaLeft, tbpaRight, tbpaCenter };

// A component that shows an item tree (the pop-up menu) offers its root item through this interface, so that
// stored items find their parent.
class IBarItemContainer {
 public:
  virtual ~IBarItemContainer() = default;
  virtual TBarCustomItem* GetItems() = 0;
};

// The tag of an item that its action never updates.
constexpr intptr_t kNoActionUpdateTag = -176;

// Switched on by the application while its interface language has a Latin alphabet: captions taken from actions
// get an accelerator on their first letter that no sibling uses yet.
extern bool AutoAccelerators;

class TBarCustomItem : public TComponent {
  BC_CLASS(TBarCustomItem, TComponent)
  explicit TBarCustomItem(TComponent* owner);
  ~TBarCustomItem() override;

  // Items come and go by the thousand (favourites menus are rebuilt on every opening): their memory is kept in
  // blocks of the thread's own for the next items instead of going back to the system heap each time.
  static void* operator new(size_t size);
  static void operator delete(TBarCustomItem* item, std::destroying_delete_t, size_t size);
  static void operator delete(void* block, size_t size);

  // The tree.
  int Count() const { return static_cast<int>(children_.size()); }
  // Null for an index out of range.
  TBarCustomItem* ItemAt(int index) const;
  TBarCustomItem* Parent() const { return parent_; }
  int IndexOf(const TBarCustomItem* item) const;
  // Raises EBarItemError "Toolbar item already inserted" for an item with a parent; an index outside 0..Count
  // does nothing.
  void Insert(int newIndex, TBarCustomItem* item);
  void Add(TBarCustomItem* item) { Insert(Count(), item); }
  // Takes the child out without freeing it; an index out of range does nothing.
  void Delete(int index);
  void Remove(TBarCustomItem* item);
  // Frees every child, last first.
  void Clear();
  void Move(int curIndex, int newIndex);
  void NotifyBeginUpdate();
  void NotifyEndUpdate();
  void RegisterNotification(const TBarItemChangedProc& proc);
  void UnregisterNotification(const TBarItemChangedProc& proc);
  // LinkSubitems when set, else this item.
  TBarCustomItem* GetLinkedItem() { return linkSubitems_ ? linkSubitems_ : this; }

  // Properties.
  TBasicAction* Action() const;
  void SetAction(TBasicAction* value);
  TBarCustomItemActionLink* ActionLink() const { return actionLink_.get(); }
  bool AutoCheck() const { return autoCheck_; }
  void SetAutoCheck(bool value) { autoCheck_ = value; }
  const String& Caption() const { return caption_; }
  void SetCaption(const String& value);
  bool Checked() const { return checked_; }
  void SetChecked(bool value);
  TBarItemDisplayMode DisplayMode() const { return displayMode_; }
  void SetDisplayMode(TBarItemDisplayMode value);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  TBarItemOptions EffectiveOptions() const { return effectiveOptions_; }
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int value);
  int HelpContext() const { return helpContext_; }
  void SetHelpContext(int value) { helpContext_ = value; }
  const String& Hint() const { return hint_; }
  void SetHint(const String& value) { hint_ = value; }
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int value);
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* value);
  TBarItemStyle ItemStyle() const { return itemStyle_; }
  bool HasStyle(TBarItemStyle bits) const { return (itemStyle_ & bits) != 0; }
  bool InheritOptions() const { return inheritOptions_; }
  void SetInheritOptions(bool value);
  TBarItemOptions MaskOptions() const { return maskOptions_; }
  void SetMaskOptions(TBarItemOptions value);
  TBarItemOptions Options() const { return options_; }
  void SetOptions(TBarItemOptions value);
  TComponent* ParentComponent() const { return parentComponent_; }
  void SetParentComponentValue(TComponent* value) { parentComponent_ = value; }
  TShortCut ShortCut() const { return shortCut_; }
  void SetShortCut(TShortCut value) { shortCut_ = value; }
  TCustomImageList* SubMenuImages() const { return subMenuImages_; }
  void SetSubMenuImages(TCustomImageList* value);
  TBarCustomItem* LinkSubitems() const { return linkSubitems_; }
  void SetLinkSubitems(TBarCustomItem* value);
  // The items whose LinkSubitems point here.
  int LinkParentCount() const { return linkParents_ ? static_cast<int>(linkParents_->size()) : 0; }
  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  int DisplayFilter() const { return displayFilter_; }
  void SetDisplayFilter(int value) { displayFilter_ = value; }
  uintptr_t DragLink() const { return dragLink_; }
  void SetDragLink(uintptr_t value) { dragLink_ = value; }
  bool AutoHotKey() const { return autoHotKey_; }
  void SetAutoHotKey(bool value) { autoHotKey_ = value; }
  bool Draggable() const { return draggable_; }
  void SetDraggable(bool value) { draggable_ = value; }
  int DragData() const { return dragData_; }
  void SetDragData(int value) { dragData_ = value; }
  bool TailItem() const { return tailItem_; }
  void SetTailItem(bool value) { tailItem_ = value; }
  bool QuietCaption() const { return quietCaption_; }
  void SetQuietCaption(bool value) { quietCaption_ = value; }

  // The short-cut text a menu shows: the caption after its tab, else the short-cut's text.
  String GetShortCutText() const;
  // The short hint, with the action's short-cut as "Hint (Ctrl+S)" when the application shows them.
  String GetHintText() const;

  // Finds the item with that short-cut below this one (following LinkSubitems); topmostParent becomes the child
  // of this item under which it was found, null when it is a direct child.
  TBarCustomItem* FindItemWithShortCut(TShortCut shortCut, TBarCustomItem*& topmostParent);
  // Runs the item a key message names (building menus on demand on the way); true when a command ran.
  bool IsShortCut(TMessage& message);

  // Pop-ups (item_popup.cpp). A modal pop-up answers whether the item outlived the handlers of its menu.
  TRaised Popup(int x, int y, bool trackRightButton, TBarPopupAlignment alignment = TBarPopupAlignment::tbpaLeft);
  TRaised Popup(POINT point, bool selectFirstItem, bool trackRightButton, TBarPopupAlignment alignment);
  virtual TBarPopupWindowBase* CreatePopup(TBarView* parentView, TBarItemViewer* parentViewer, bool positionAsSubmenu,
                                           bool selectFirstItem, bool customizing, POINT popupPoint,
                                           TBarPopupAlignment alignment);
  virtual TRaised DoPopup(TBarCustomItem* sender, bool fromLink);
  virtual TBarView* GetChevronParentView() const { return nullptr; }
  virtual TBarItemViewerClass GetItemViewerClass(TBarView* view) const;
  virtual void GetPopupPosition(TBarView* parentView, TBarPopupWindowBase* popupWindow, TBarPopupPositionRec& rec);
  virtual TBarPopupWindowClass GetPopupWindowClass() const;
  virtual bool NeedToRecreateViewer(TBarItemViewer* viewer) const {
    (void)viewer;
    return false;
  }
  virtual TRaised Click();
  // Lets the action update itself; its OnUpdate may free the item: answers whether it outlived it.
  [[nodiscard]] virtual TRaised InitiateAction();
  // The menu a right-button release on this entry shows inside a tracked menu; none here.
  virtual TBarItemContextMenu* ContextPopup() const { return nullptr; }

  TNotifyEvent OnClick;
  TBarPopupEvent OnPopup;
  TBarSelectEvent OnSelect;

  // Streaming.
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
  void SetChildOrder(TComponent* child, int order) override;
  void SetParentComponent(TComponent* value) override;
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetName(const String& value) override;
  TRaised Loaded() override;
  const TPublishedTable& PublishedTable() const override;

 protected:
  friend class TBarCustomItemActionLink;
  void Notification(TComponent* component, TOperation operation) override;
  // An item whose deletion runs already leaves its parent too, whose Clear would delete it once more.
  void Abandon() override;
  // Reports a change of this item to the views of its parent: 5, or 6 when a new layout is needed.
  virtual void Change(bool needResize);
  virtual void EnabledChanged() { Change(false); }
  // Takes the properties of the action; they tell the views, whose handlers may free this item: answers whether
  // it outlived them.
  [[nodiscard]] virtual TRaised ActionChange(TObject* sender, bool checkDefaults);
  virtual const TClass* GetActionLinkClass() const;
  void SetItemStyle(TBarItemStyle value) { itemStyle_ = value; }
  void Notify(TBarCustomItem* ancestor, bool relayed, TBarItemChangedAction action, int index, TBarCustomItem* item);

 private:
  struct TNotifyRecord {
    TBarItemChangedProc Proc;
    int RefCount;
  };

  void RecalcOptions();
  void RecalcOwnOptions();
  // This item is ancestor or lies below it.
  bool IsInside(const TBarCustomItem* ancestor) const;
  void UncheckGroup();
  void SwapImageList(TCustomImageList*& field, std::unique_ptr<TChangeLink>& link, TCustomImageList* value,
                     void (TBarCustomItem::*handler)(TObject*));
  void ImagesChanged(TObject* sender);
  void SubMenuImagesChanged(TObject* sender);
  void DoActionChange(TObject* sender);

  std::unique_ptr<TBarCustomItemActionLink> actionLink_;
  bool autoCheck_ = false;
  String caption_;
  bool checked_ = false;
  TBarItemDisplayMode displayMode_ = TBarItemDisplayMode::nbdmDefault;
  bool enabled_ = true;
  TBarItemOptions effectiveOptions_;
  int groupIndex_ = 0;
  int helpContext_ = 0;
  String hint_;
  int imageIndex_ = -1;
  TCustomImageList* images_ = nullptr;
  std::unique_ptr<TChangeLink> imagesLink_;
  SIZE imagesSize_{};
  std::vector<TBarCustomItem*> children_;
  TBarItemStyle itemStyle_ = isSelectable | isRedrawOnSelChange | isRedrawOnHotChange;
  std::unique_ptr<std::vector<TBarCustomItem*>> linkParents_;
  TBarItemOptions maskOptions_;
  TBarItemOptions options_;
  bool inheritOptions_ = true;
  std::unique_ptr<std::vector<TNotifyRecord>> notifyList_;
  TBarCustomItem* parent_ = nullptr;
  TComponent* parentComponent_ = nullptr;
  TShortCut shortCut_ = 0;
  TCustomImageList* subMenuImages_ = nullptr;
  std::unique_ptr<TChangeLink> subMenuImagesLink_;
  SIZE subMenuImagesSize_{};
  TBarCustomItem* linkSubitems_ = nullptr;
  bool visible_ = true;
  int displayFilter_ = 0;
  uintptr_t dragLink_ = 0;
  bool autoHotKey_ = true;
  bool draggable_ = false;
  int dragData_ = 0;
  bool tailItem_ = false;
  bool quietCaption_ = false;
};

// The caption with an accelerator inserted before its first letter that no other child of parent marks yet
// (the item that takes the caption does not compete with itself); the caption unchanged when it has one
// already, the switch is off, or every letter is taken.
String AddAutoAccelerator(const String& caption, const TBarCustomItem* parent, const TBarCustomItem* self = nullptr);

// Lets each item update its action. An OnUpdate may free any of them, or what owns them: a freed item is passed
// over, and the answer is whether the owner (whose life is watched) outlived them.
[[nodiscard]] TRaised InitiateActionsOf(const std::vector<TBarCustomItem*>& items, const TLifeWatch& owner);

}  // namespace toolbars
