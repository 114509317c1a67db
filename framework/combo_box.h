// TCustomComboBox: the system's combo box. The items live in the control (and are copied into each new window),
// the edit child is subclassed so that its keys run the combo's key events first, list items can be owner drawn
// through the combo's canvas, and the selection-change and edit-change notifications become Click and Change.
#pragma once

#include <memory>

#include "framework/strings.h"
#include "framework/win_control.h"

class TControlCanvas;

enum class TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

enum class TOwnerDrawStateItem { odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault, odComboBoxEdit };
using TOwnerDrawState = TSet<TOwnerDrawStateItem, 8>;

class TCustomComboBox;
using TDrawItemEvent = TDelegate<void(TWinControl* Control, int Index, const RECT& Rect, TOwnerDrawState State)>;
using TMeasureItemEvent = TDelegate<void(TWinControl* Control, int Index, int& Height)>;

// The combo sends itself this after its edit window has painted, so that a combo drawing its own frame can
// draw it again over what the edit painted.
constexpr UINT CM_EDITPAINTED = 0x0A0F;

class TCustomComboBox : public TWinControl {
  BC_CLASS(TCustomComboBox, TWinControl)
  explicit TCustomComboBox(TComponent* owner);
  ~TCustomComboBox() override;

  TStrings* Items() const;
  void SetItems(const TStrings* value);
  // -1 when no item is selected.
  int ItemIndex() const;
  void SetItemIndex(int value);
  TComboBoxStyle Style() const { return style_; }
  void SetStyle(TComboBoxStyle value);
  // The height of the list items (and, owner drawn, of the edit field).
  int ItemHeight() const;
  void SetItemHeight(int value);
  // How many items the dropped list shows before it scrolls.
  int DropDownCount() const { return dropDownCount_; }
  void SetDropDownCount(int value) { dropDownCount_ = value; }
  bool Sorted() const { return sorted_; }
  void SetSorted(bool value);
  // Typing into the edit completes the text with the first item it begins (default true) / drops the list down
  // (default false).
  bool AutoComplete() const { return autoComplete_; }
  void SetAutoComplete(bool value) { autoComplete_ = value; }
  bool AutoDropDown() const { return autoDropDown_; }
  void SetAutoDropDown(bool value) { autoDropDown_ = value; }
  bool DroppedDown() const;
  void SetDroppedDown(bool value);
  // The edit child of the drop-down and simple styles, else null.
  HWND EditHandle() const { return editHandle_; }
  void SelectAll();
  // The canvas of owner drawing and of measuring; set up for the selection state while an item is drawn.
  TCanvas* Canvas() const;
  bool Focused() const override;

  void Dispatch(TMessage& message) override;
  const TPublishedTable& PublishedTable() const override;

  TNotifyEvent OnChange;
  TNotifyEvent OnDropDown;
  TDrawItemEvent OnDrawItem;
  TMeasureItemEvent OnMeasureItem;

 protected:
  void CreateParams(TCreateParams& params) override;
  TRaised CreateWindowHandle(const TCreateParams& params) override;
  TRaised CreateWnd() override;
  TRaised DestroyWnd() override;
  // Every message of the edit child passes here; the default runs the key events and then the edit's own
  // procedure with the key they leave.
  virtual void EditWndProc(TMessage& message);
  // The text was edited.
  virtual TRaised Change();
  // The list is about to drop down.
  virtual TRaised DropDown();
  virtual TRaised DrawItem(int index, const RECT& rect, TOwnerDrawState state);
  virtual TRaised MeasureItem(int index, int& height);
  bool IsOwnerDrawn() const;

 private:
  class TComboBoxStrings;
  friend class TComboBoxStrings;
  static LRESULT CALLBACK EditProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void CallDefaultEditProc(TMessage& message);
  void ReleaseEdit();
  void CNCommand(TMessage& message);
  void CNDrawItem(TMessage& message);
  void CNMeasureItem(TMessage& message);
  // After the edit took the typed character: drop the list and complete the text, as set.
  void TypedCharacter(wchar_t character);

  std::unique_ptr<TComboBoxStrings> items_;
  std::unique_ptr<TControlCanvas> canvas_;
  TComboBoxStyle style_ = TComboBoxStyle::csDropDown;
  int itemHeight_ = 16;
  int dropDownCount_ = 8;
  int itemIndex_ = -1;  // kept while there is no window
  bool sorted_ = false;
  bool autoComplete_ = true;
  bool autoDropDown_ = false;
  DWORD windowStyle_ = 0;
  HWND editHandle_ = nullptr;
  WNDPROC defEditProc_ = nullptr;
};
