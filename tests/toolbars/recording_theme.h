// A theme for tests: it paints nothing and records every operation it is asked for, with its view type or part,
// and every theme message it receives, in one log shared by all its instances (creation and destruction
// included), so a test can compare the sequence the framework produced with the one it expects. Answers of the
// queries come from a table a test may change.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "toolbars/theme/theme.h"
#include "toolbars/theme/theme_manager.h"

class TRecordingTheme : public toolbars::TStyledTheme {
  BC_CLASS(TRecordingTheme, toolbars::TStyledTheme)
  explicit TRecordingTheme(const String& name) : TStyledTheme(name) {
    Record("Create");
    toolbars::AddThemeNotification(this);
  }
  ~TRecordingTheme() override {
    toolbars::RemoveThemeNotification(this);
    Record("Destroy");
  }

  // Every entry is "<theme name>: <operation> [detail]".
  static std::vector<std::string>& Log() {
    static std::vector<std::string> log;
    return log;
  }
  // Answers of IntegerMetric by index (default -1), of BooleanMetric (default false), and of the colour queries.
  static std::map<int, int>& IntegerAnswers() {
    static std::map<int, int> answers;
    return answers;
  }
  static std::map<int, bool>& BooleanAnswers() {
    static std::map<int, bool> answers;
    return answers;
  }
  static TColor& ColorAnswer() {
    static TColor color = clBtnFace;
    return color;
  }
  static void Reset() {
    Log().clear();
    IntegerAnswers().clear();
    BooleanAnswers().clear();
    ColorAnswer() = clBtnFace;
  }

  void Dispatch(TMessage& message) override {
    if (message.Msg == toolbars::CM_STYLEDSYSCOMMAND)
      Record("Message " + std::to_string(message.WParam));
    else
      TStyledTheme::Dispatch(message);
  }

  POINT ItemImageOffset(TCanvas*, const toolbars::TStyledItemPaintInfo& info, TCustomImageList*) override {
    Record("ItemImageOffset", info.ViewType);
    return POINT{};
  }
  TColor ItemBackColor(const toolbars::TStyledItemPaintInfo& info) override {
    Record("ItemBackColor", info.ViewType);
    return ColorAnswer();
  }
  TColor ItemTextColor(const toolbars::TStyledItemPaintInfo& info) override {
    Record("ItemTextColor", info.ViewType);
    return ColorAnswer();
  }
  TColor ItemImageBackColor(const toolbars::TStyledItemPaintInfo& info) override {
    Record("ItemImageBackColor", info.ViewType);
    return ColorAnswer();
  }
  void MarginsById(int marginId, toolbars::TStyledMargins& margins) override {
    Record("MarginsById", marginId);
    margins = {};
  }
  int PopupShadowKind() override {
    Record("PopupShadowKind");
    return 1;
  }
  void ViewBorderSize(int viewType, POINT& size) override {
    Record("ViewBorderSize", viewType);
    size = POINT{};
  }
  TColor ViewBackColor(int viewType) override {
    Record("ViewBackColor", viewType);
    return ColorAnswer();
  }
  void ViewMargins(int viewType, toolbars::TStyledMargins& margins) override {
    Record("ViewMargins", viewType);
    margins = {};
  }
  void PaintViewBackground(TCanvas*, const RECT&, const RECT&, const RECT&, TColor, bool, int viewType) override {
    Record("PaintViewBackground", viewType);
  }
  void PaintButtonFace(TCanvas*, const RECT&, const toolbars::TStyledItemPaintInfo& info) override {
    Record("PaintButtonFace", info.ViewType);
  }
  void PaintItemCaption(TCanvas*, const RECT&, const toolbars::TStyledItemPaintInfo&, const String& caption, UINT,
                        bool) override {
    Record("PaintItemCaption " + std::string(caption.begin(), caption.end()));
  }
  void PaintCheckGlyph(TCanvas*, const RECT&, const toolbars::TStyledItemPaintInfo& info) override {
    Record("PaintCheckGlyph", info.ViewType);
  }
  void PaintChevronGlyph(TCanvas*, const RECT&, const toolbars::TStyledItemPaintInfo& info) override {
    Record("PaintChevronGlyph", info.ViewType);
  }
  void PaintEditFrame(TCanvas*, const RECT&, toolbars::TStyledItemPaintInfo& info,
                      const toolbars::TStyledEditFrameInfo&) override {
    Record("PaintEditFrame", info.ViewType);
  }
  void PaintEditButton(TCanvas*, const RECT&, toolbars::TStyledItemPaintInfo&,
                       const toolbars::TStyledEditButtonInfo& button) override {
    Record("PaintEditButton", button.ButtonType);
  }
  void PaintDockBackground(TCanvas*, const RECT&, const RECT&, int position) override {
    Record("PaintDockBackground", position);
  }
  void PaintDockedCaption(TCanvas*, const RECT&, const toolbars::TStyledDockedCaptionInfo& info) override {
    Record("PaintDockedCaption", info.ViewType);
  }
  void PaintDropDownArrow(TCanvas*, const RECT&, const toolbars::TStyledItemPaintInfo& info) override {
    Record("PaintDropDownArrow", info.ViewType);
  }
  void PaintFloatingFrame(TCanvas*, const RECT&, const toolbars::TStyledWindowPaintInfo& info) override {
    Record("PaintFloatingFrame", info.RedrawPart);
  }
  void PaintItemFrame(TCanvas*, const RECT&, const toolbars::TStyledItemPaintInfo& info) override {
    Record("PaintItemFrame", info.ViewType);
  }
  void PaintItemImage(TCanvas*, const RECT&, const toolbars::TStyledItemPaintInfo&, TCustomImageList*,
                      int imageIndex) override {
    Record("PaintItemImage", imageIndex);
  }
  void PaintMdiButton(TCanvas*, const RECT&, const toolbars::TStyledItemPaintInfo&, UINT buttonKind) override {
    Record("PaintMdiButton", static_cast<int>(buttonKind));
  }
  void PaintMenuItem(TCanvas*, const RECT&, const toolbars::TStyledItemPaintInfo& info) override {
    Record("PaintMenuItem", info.ViewType);
  }
  void PaintMenuItemHighlight(TCanvas*, const RECT&, const toolbars::TStyledItemPaintInfo& info) override {
    Record("PaintMenuItemHighlight", info.ViewType);
  }
  void PaintScrollButton(TCanvas*, const RECT&, int buttonType, bool) override {
    Record("PaintScrollButton", buttonType);
  }
  void PaintPopupFrame(TCanvas*, const RECT&, const toolbars::TStyledPopupPaintInfo& info) override {
    Record("PaintPopupFrame", info.ViewType);
  }
  void PaintSeparator(TCanvas*, const RECT&, const toolbars::TStyledItemPaintInfo& info, bool, bool) override {
    Record("PaintSeparator", info.ViewType);
  }
  void PaintToolbarFrame(TCanvas*, const RECT&, const toolbars::TStyledToolbarPaintInfo& info) override {
    Record("PaintToolbarFrame", info.ViewType);
  }
  void PaintStandardControl(TCanvas*, const RECT&, int controlType, int) override {
    Record("PaintStandardControl", controlType);
  }
  void PaintStatusBarPart(TCanvas*, const RECT&, int part) override { Record("PaintStatusBarPart", part); }
  int IntegerMetric(int index) override {
    Record("IntegerMetric", index);
    auto found = IntegerAnswers().find(index);
    return found == IntegerAnswers().end() ? -1 : found->second;
  }
  bool BooleanMetric(int index) override {
    Record("BooleanMetric", index);
    auto found = BooleanAnswers().find(index);
    return found != BooleanAnswers().end() && found->second;
  }

 private:
  void Record(const std::string& what) { Log().push_back(std::string(Name().begin(), Name().end()) + ": " + what); }
  void Record(const std::string& what, int detail) { Record(what + " " + std::to_string(detail)); }
};
