// TBarEditItem: an item that shows a one-line text box in a toolbar or a menu (with a label in front of it in
// menus). The box is painted; a real edit control appears only while the user edits, and the text is committed
// only when the user accepts it with Enter or Tab. TBarEditAction carries the same edit properties to every
// edit item linked to it.
#pragma once

#include <cstdint>

#include "framework/actions.h"
#include "framework/delegate.h"
#include "framework/set.h"
#include "toolbars/items/item.h"
#include "toolbars/items/item_action_link.h"

class TEdit;
struct TUnit;

namespace toolbars {

class TBarEditItem;
class TBarEditItemViewer;

enum class TBarEditItemOption { tboUseEditWhenVertical };
using TBarEditItemOptions = TSet<TBarEditItemOption, 8>;

enum class TEditCharCase : uint8_t { ecNormal, ecUpperCase, ecLowerCase };

using TBarAcceptTextEvent = TDelegate<void(TObject* sender, String& newText, bool& accept)>;
using TBarBeginEditEvent = TDelegate<void(TBarEditItem* sender, TBarEditItemViewer* viewer, TEdit* editControl)>;

class TBarEditAction : public TAction {
  BC_CLASS(TBarEditAction, TAction)
  explicit TBarEditAction(TComponent* owner = nullptr) : TAction(owner) {}

  TBarEditItemOptions EditOptions() const { return editOptions_; }
  void SetEditOptions(TBarEditItemOptions value);
  const String& EditCaption() const { return editCaption_; }
  void SetEditCaption(const String& value);
  int EditWidth() const { return editWidth_; }
  void SetEditWidth(int value);
  const TBarAcceptTextEvent& OnAcceptText() const { return onAcceptText_; }
  void SetOnAcceptText(const TBarAcceptTextEvent& value);
  const String& Text() const { return text_; }
  void SetText(const String& value);
  const TPublishedTable& PublishedTable() const override;

 private:
  // Hands the value to every linked edit item, stores it and announces the change.
  template <class T, class Push>
  void ChangeEditProperty(T& field, const T& value, Push push);

  TBarEditItemOptions editOptions_;
  String editCaption_;
  int editWidth_ = 64;
  TBarAcceptTextEvent onAcceptText_;
  String text_;
};

class TBarEditItemActionLink : public TBarCustomItemActionLink {
  BC_CLASS(TBarEditItemActionLink, TBarCustomItemActionLink)
  using TBarCustomItemActionLink::TBarCustomItemActionLink;

  virtual bool IsEditCaptionLinked();
  virtual bool IsEditOptionsLinked();
  virtual bool IsEditWidthLinked();
  virtual bool IsOnAcceptTextLinked();
  virtual bool IsTextLinked();
  virtual void SetEditCaption(const String& value);
  virtual void SetEditOptions(TBarEditItemOptions value);
  virtual void SetEditWidth(int value);
  virtual void SetOnAcceptText(const TBarAcceptTextEvent& value);
  virtual void SetText(const String& value);

 protected:
  void AssignClient(TComponent* client) override;

 private:
  TBarEditAction* EditAction() const;
  TBarEditItem* editClient_ = nullptr;
};

class TBarEditItem : public TBarCustomItem {
  BC_CLASS(TBarEditItem, TBarCustomItem)
  explicit TBarEditItem(TComponent* owner) : TBarCustomItem(owner) {}

  TEditCharCase CharCase() const { return charCase_; }
  void SetCharCase(TEditCharCase value);
  const String& EditCaption() const { return editCaption_; }
  void SetEditCaption(const String& value);
  TBarEditItemOptions EditOptions() const { return editOptions_; }
  void SetEditOptions(TBarEditItemOptions value);
  int EditWidth() const { return editWidth_; }
  void SetEditWidth(int value);
  // 0: no limit.
  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int value);
  const String& Text() const { return text_; }
  // Converted by CharCase first.
  void SetText(const String& value);

  TBarItemViewerClass GetItemViewerClass(TBarView* view) const override;
  bool NeedToRecreateViewer(TBarItemViewer* viewer) const override;
  // Fires OnBeginEdit with the viewer's edit control; the answer is whether the item outlived it.
  virtual TRaised DoBeginEdit(TBarEditItemViewer* viewer);
  const TPublishedTable& PublishedTable() const override;

  TBarAcceptTextEvent OnAcceptText;
  TBarBeginEditEvent OnBeginEdit;

 protected:
  [[nodiscard]] TRaised ActionChange(TObject* sender, bool checkDefaults) override;
  const TClass* GetActionLinkClass() const override { return TBarEditItemActionLink::StaticClass(); }
  // True where the box shows: not in a vertical bar unless the options ask for it.
  bool ShowsEditIn(TBarView* view) const;

 private:
  TEditCharCase charCase_ = TEditCharCase::ecNormal;
  String editCaption_;
  TBarEditItemOptions editOptions_;
  int editWidth_ = 64;
  int maxLength_ = 0;
  String text_;
};

// Registers the edit item and action for stored forms.
const TUnit& EditItemUnit();

}  // namespace toolbars
