// The edit item drawn by the current theme: its box is the theme's edit frame and its label a themed menu
// caption; it may show its image inside the box, align and mask its text, be read-only, adjust its font, and
// report each change of the text while the user types. Its edit control is a TStyledEdit.
#pragma once

#include <memory>

#include "framework/alignment.h"
#include "framework/edit.h"
#include "toolbars/edit/edit_item.h"
#include "toolbars/edit/edit_item_viewer.h"
#include "toolbars/styled/font_settings.h"
#include "toolbars/theme/theme.h"

namespace toolbars {

// An edit box that aligns its text.
class TStyledEdit : public TEdit {
  BC_CLASS(TStyledEdit, TEdit)
  explicit TStyledEdit(TComponent* owner) : TEdit(owner) {}

  TAlignment Alignment() const { return alignment_; }
  // Recreates the window.
  void SetAlignment(TAlignment value);

 protected:
  void CreateParams(TCreateParams& params) override;

 private:
  TAlignment alignment_ = TAlignment::taLeftJustify;
};

using TStyledEditChange = TDelegate<void(TObject* sender, const String& text)>;

class TStyledEditItem : public TBarEditItem {
  BC_CLASS(TStyledEditItem, TBarEditItem)
  explicit TStyledEditItem(TComponent* owner);
  ~TStyledEditItem() override;

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  TFontSettings* FontSettings() const { return fontSettings_.get(); }
  void SetFontSettings(const TFontSettings* value) { fontSettings_->Assign(value); }
  // 0: the text shows as it is.
  wchar_t PasswordChar() const { return passwordChar_; }
  void SetPasswordChar(wchar_t value);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value) { readOnly_ = value; }
  bool ShowImage() const { return showImage_; }
  void SetShowImage(bool value);

  TBarItemViewerClass GetItemViewerClass(TBarView* view) const override;
  void GetPopupPosition(TBarView* parentView, TBarPopupWindowBase* popupWindow, TBarPopupPositionRec& rec) override;
  // The themed pop-up window.
  TBarPopupWindowClass GetPopupWindowClass() const override;
  TRaised DoBeginEdit(TBarEditItemViewer* viewer) override;
  virtual TRaised DoChange(const String& text);
  virtual int GetImageIndex() const { return ImageIndex(); }
  const TPublishedTable& PublishedTable() const override;

  TStyledEditChange OnChange;

 private:
  void FontSettingsChanged(TObject* sender);

  TAlignment alignment_ = TAlignment::taLeftJustify;
  std::unique_ptr<TFontSettings> fontSettings_;
  wchar_t passwordChar_ = 0;
  bool readOnly_ = false;
  bool showImage_ = false;
};

class TStyledEditItemViewer : public TBarEditItemViewer {
  BC_CLASS(TStyledEditItemViewer, TBarEditItemViewer)
  using TBarEditItemViewer::TBarEditItemViewer;

  TRaised CalcSize(TCanvas* canvas, int& width, int& height) override;
  bool IsToolbarSize() const override;
  bool IsToolbarStyle() const override;
  TRaised Paint(TCanvas* canvas, const RECT& clientAreaRect, bool isSelected, bool isPushed,
                bool useDisabledShadow) override;
  std::unique_ptr<TEdit> NewEditControl() const override;
  RECT GetEditControlRect() const override;

  // False here: every message goes on to the edit control.
  virtual bool HandleEditMessage(TMessage& message);
  virtual TRaised NotifyTextChange(TObject* sender, const String& text);
  virtual TStyledItemPaintInfo GetPaintInfo(bool isSelected) const;
  virtual TStyledEditFrameInfo GetEditMargins() const;
  virtual int GetIndentBefore() const;
  virtual int GetIndentAfter() const { return 0; }
  virtual bool ShowsImage() const { return StyledItem()->ShowImage(); }

 private:
  friend class TStyledEditItem;
  TStyledEditItem* StyledItem() const { return static_cast<TStyledEditItem*>(Item()); }
  // Connects the edit control's change event and window procedure to this viewer.
  void HookEditControl(TEdit* edit);
  void EditChanged(TObject* sender);
  void StyledEditWndProc(TMessage& message);
  // The width of the label with its gap, 0 without a label.
  int CaptionWidth() const;

  TWndMethod savedEditProc_;
};

// Registers the themed edit item for stored forms.
const TUnit& StyledEditItemUnit();

}  // namespace toolbars
