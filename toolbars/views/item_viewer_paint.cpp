// The classic look of the base viewers: raised and sunken button frames, menu rows with a selection bar, an image
// column with framed cells, the system's arrow glyph and a drawn check mark.
#include <array>

#include "framework/image_list.h"
#include "toolbars/common/bar_common.h"
#include "toolbars/items/bar_image_list.h"
#include "toolbars/items/item_kinds.h"
#include "toolbars/views/item_viewer.h"
#include "toolbars/views/view.h"
#include "toolbars/views/viewer_canvas.h"

namespace toolbars {

namespace {

// The check mark: a 7-point outline of the two strokes and a 5-point filling of their joint, around the centre.
constexpr std::array<POINT, 7> kCheckOutline = {{{-3, -1}, {-1, 1}, {3, -3}, {3, -1}, {-1, 3}, {-3, 1}, {-3, -1}}};
constexpr std::array<POINT, 5> kCheckJoint = {{{-2, 0}, {-1, 1}, {2, -2}, {-1, 2}, {-2, 0}}};

void DrawCheckMark(HDC dc, const RECT& cell, COLORREF color) {
  // The tables are centred on the origin.
  const int cx = (cell.left + cell.right) / 2;
  const int cy = (cell.top + cell.bottom) / 2;
  HPEN pen = CreatePen(PS_SOLID, 1, color);
  HBRUSH brush = CreateSolidBrush(color);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  std::array<POINT, 7> outline = kCheckOutline;
  for (POINT& p : outline) p = POINT{p.x + cx, p.y + cy};
  Polygon(dc, outline.data(), static_cast<int>(outline.size()));
  std::array<POINT, 5> joint = kCheckJoint;
  for (POINT& p : joint) p = POINT{p.x + cx, p.y + cy};
  Polygon(dc, joint.data(), static_cast<int>(joint.size()));
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(brush);
  DeleteObject(pen);
}

// The arrow of a drop-down or split button: a triangle pointing down, rows of 5, 3 and 1 pixels, centred.
constexpr int kDownArrowRows = 3;

void DrawDownArrow(HDC dc, const RECT& area, COLORREF color) {
  const int left = (area.left + area.right) / 2 - (kDownArrowRows - 1);
  const int top = (area.top + area.bottom - kDownArrowRows) / 2;
  HBRUSH brush = CreateSolidBrush(color);
  for (int row = 0; row < kDownArrowRows; ++row) {
    const RECT line{left + row, top + row, left + 2 * (kDownArrowRows - 1) + 1 - row, top + row + 1};
    FillRect(dc, &line, brush);
  }
  DeleteObject(brush);
}

void DrawFilledEdge(HDC dc, RECT rect, UINT edge) { DrawEdge(dc, &rect, edge, BF_RECT | BF_MIDDLE); }

void DrawImage(TCanvas* canvas, TCustomImageList* images, int x, int y, int index, bool enabled, bool pushed,
               bool checked) {
  if (index < 0 || index >= images->Count()) return;
  if (auto* stateList = ObjectAs<TBarCustomImageList>(images))
    stateList->DrawForState(canvas, x, y, index, enabled, pushed, checked);
  else
    images->Draw(canvas, x, y, index, enabled);
}

}  // namespace

void TBarItemViewer::DrawItemCaption(TCanvas* canvas, RECT rect, const String& caption, UINT drawTextFlags,
                                     bool showDisabledShadow) {
  HDC dc = FontDC(canvas);
  SetBkMode(dc, TRANSPARENT);
  auto draw = [&](RECT r) {
    if (IsRotated())
      DrawRotatedText(dc, caption, r, drawTextFlags);
    else
      DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &r, drawTextFlags);
  };
  if (!showDisabledShadow) {
    draw(rect);
    return;
  }
  const COLORREF text = GetTextColor(dc);
  SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
  draw(RECT{rect.left + 1, rect.top + 1, rect.right + 1, rect.bottom + 1});
  SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
  draw(rect);
  SetTextColor(dc, text);
}

TRaised TBarItemViewer::Paint(TCanvas* canvas, const RECT& clientAreaRect, bool isSelected, bool isPushed,
                              bool useDisabledShadow) {
  const RECT r = clientAreaRect;
  const bool toolbarStyle = IsToolbarStyle();
  const bool showEnabled = item_->Enabled() || view_->Customizing();
  const bool split = item_->HasStyle(isSplitButton);
  const bool submenu = item_->HasStyle(isSubmenu);
  const bool dropdown = submenu && !split && HasOption(TBarItemOption::tboDropdownArrow);
  const bool vertical = view_->Orientation() == TBarViewOrientation::tbvoVertical;
  const bool checked = item_->Checked();
  const bool designing = view_->IsDesigning();
  TCustomImageList* images = GetImageList();
  const bool imageShown = IsImageShown() && images;
  const int height = r.bottom - r.top;
  const int margin = MenuLeftMargin(images, height);

  // The view chose the font and the text colour for the state; a default item is bold for this paint only.
  const TColor textColor = canvas->Font()->Color();
  const TFontStyles style = canvas->Font()->Style();
  if (HasOption(TBarItemOption::tboDefault)) canvas->Font()->SetStyle(style + TFontStyle::fsBold);
  HDC dc = FontDC(canvas);
  SetTextColor(dc, ColorToRGB(textColor));

  RECT content = r;
  if (!toolbarStyle) {
    if (isSelected) {
      RECT bar = r;
      bar.left = (imageShown || checked) ? r.left + margin + 1 : r.left;
      if (split && item_->Enabled()) bar.right -= GetSystemMetrics(SM_CXMENUCHECK);
      FillRect(dc, &bar, GetSysColorBrush(COLOR_HIGHLIGHT));
    }
  } else {
    RECT arrow{};
    RECT button = r;
    if (split) {
      arrow = RECT{r.right - kSplitArrowWidth, r.top, r.right, r.bottom};
      button.right = arrow.left;
    } else if (dropdown) {
      arrow = vertical ? RECT{r.left, r.bottom - kDropdownArrowSize - 3, r.right, r.bottom}
                       : RECT{r.right - kDropdownArrowSize, r.top, r.right, r.bottom};
    }
    const bool hot = isSelected && showEnabled;
    if (hot || checked || designing) {
      const bool sunken = split ? (isPushed && view_->MouseButtonDown()) || checked : isPushed || checked;
      DrawEdge(dc, &button, sunken ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    }
    if (split && (hot || designing)) {
      const bool sunken = isPushed && !view_->MouseButtonDown();
      DrawEdge(dc, &arrow, sunken ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    }
    if (checked && !(isSelected && view_->MouseOverSelected())) {
      RECT inner = button;
      InflateRect(&inner, -1, -1);
      FillDithered(dc, inner);
    }
    if (split || dropdown) {
      RECT glyph = arrow;
      glyph.right -= split ? 2 : 0;
      if (isPushed && !split) OffsetRect(&glyph, 1, 1);
      DrawDownArrow(dc, glyph, ColorToRGB(showEnabled ? textColor : clGrayText));
      if (dropdown)
        (vertical ? content.bottom : content.right) -= kDropdownArrowSize;
      else
        content.right = button.right;
    }
    InflateRect(&content, -1, -1);
    if (checked || (isPushed && !split)) OffsetRect(&content, 1, 1);
  }

  const UINT prefixFlags = GetDrawTextFlags();
  const bool disabledShadow = !item_->Enabled() && useDisabledShadow;
  if (!item_->Enabled() && !disabledShadow) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  if (CaptionShown()) {
    RECT text = content;
    UINT flags = DT_SINGLELINE | DT_VCENTER | prefixFlags;
    if (!toolbarStyle) {
      text.left = r.left + margin + 3;
    } else {
      flags |= DT_CENTER;
      if (imageShown) {
        if (!IsRotated() && !HasOption(TBarItemOption::tboImageAboveCaption))
          text.left += images->Width() + 1;
        else
          text.top += images->Height() + 1;
      }
    }
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    if ((text.bottom - text.top) - (metrics.tmHeight + metrics.tmExternalLeading) == 4) --text.bottom;
    if (IsRotated()) flags = DT_CENTER | prefixFlags;
    DrawItemCaption(canvas, text, CaptionText(), flags, disabledShadow);
  }

  if (!toolbarStyle) {
    const String shortCut = item_->GetShortCutText();
    if (!shortCut.empty()) {
      RECT text{r.left, r.top, r.right - height, r.bottom};
      const UINT flags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_RIGHT;
      if (disabledShadow) {
        const COLORREF color = GetTextColor(dc);
        SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
        RECT moved{text.left + 1, text.top + 1, text.right + 1, text.bottom + 1};
        DrawTextW(dc, shortCut.c_str(), -1, &moved, flags);
        SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
        DrawTextW(dc, shortCut.c_str(), -1, &text, flags);
        SetTextColor(dc, color);
      } else {
        DrawTextW(dc, shortCut.c_str(), -1, &text, flags);
      }
    }
    if (submenu) {
      const int check = GetSystemMetrics(SM_CXMENUCHECK);
      if (split) {
        RECT divider{r.right - check, r.top, r.right, r.bottom};
        if (!isSelected)
          DrawEdge(dc, &divider, EDGE_ETCHED, BF_LEFT);
        else if (item_->Enabled())
          DrawFilledEdge(dc, divider, BDR_SUNKENOUTER);
        else
          DrawEdge(dc, &divider, BDR_SUNKENOUTER, BF_RECT);
      }
      RECT glyph{r.right - height, r.top, r.right, r.bottom};
      if (!item_->Enabled()) {
        RECT shadow = glyph;
        OffsetRect(&shadow, 1, 1);
        DrawMenuGlyph(dc, shadow, DFCS_MENUARROW, GetSysColor(COLOR_BTNHIGHLIGHT));
        DrawMenuGlyph(dc, glyph, DFCS_MENUARROW, GetSysColor(COLOR_GRAYTEXT));
      } else {
        const bool highlighted = isSelected && (!split || view_->MouseOverSelected());
        DrawMenuGlyph(dc, glyph, DFCS_MENUARROW,
                      highlighted ? GetSysColor(COLOR_HIGHLIGHTTEXT) : ColorToRGB(textColor));
      }
    }
  }

  if (imageShown || (!toolbarStyle && checked)) {
    RECT cell = toolbarStyle ? content : RECT{r.left, r.top, r.left + margin, r.bottom};
    if (!toolbarStyle) {
      if ((isSelected && item_->Enabled()) || checked)
        DrawFilledEdge(dc, cell, checked ? BDR_SUNKENOUTER : BDR_RAISEDINNER);
      if (checked && !isSelected) {
        RECT inner = cell;
        InflateRect(&inner, -1, -1);
        FillDithered(dc, inner);
        OffsetRect(&cell, 1, 1);
      }
    }
    if (imageShown) {
      int x;
      int y;
      if (!toolbarStyle) {
        x = cell.left + (cell.right - cell.left - images->Width()) / 2;
        y = cell.top + (cell.bottom - cell.top - images->Height()) / 2;
      } else if (!IsRotated() && !HasOption(TBarItemOption::tboImageAboveCaption) && CaptionShown()) {
        x = cell.left + 2;
        y = cell.top + (cell.bottom - cell.top - images->Height()) / 2;
      } else if (CaptionShown()) {
        x = cell.left + (cell.right - cell.left - images->Width()) / 2;
        y = cell.top + 2;
      } else {
        x = cell.left + (cell.right - cell.left - images->Width()) / 2;
        y = cell.top + (cell.bottom - cell.top - images->Height()) / 2;
      }
      DrawImage(canvas, images, x, y, item_->ImageIndex(), item_->Enabled(), isPushed, checked);
    } else {
      DrawCheckMark(dc, cell, item_->Enabled() ? ColorToRGB(textColor) : GetSysColor(COLOR_GRAYTEXT));
    }
  }
  canvas->Font()->SetStyle(style);
  return TRaised(true);
}

TRaised TBarSeparatorItemViewer::Paint(TCanvas* canvas, const RECT& clientAreaRect, bool isSelected, bool isPushed,
                                       bool useDisabledShadow) {
  (void)isSelected, (void)isPushed, (void)useDisabledShadow;
  auto* separator = ObjectAs<TBarSeparatorItem>(Item());
  if (separator && separator->Blank()) return TRaised(true);
  HDC dc = canvas->Handle();
  const RECT& r = clientAreaRect;
  const bool toolbarStyle = IsToolbarStyle();
  bool horizontal = !toolbarStyle || View()->Orientation() == TBarViewOrientation::tbvoVertical;
  if (IsLineSep()) horizontal = !horizontal;
  if (horizontal) {
    const int y = r.top + (r.bottom - r.top) / 2 - 1;
    int inset = 0;
    if (!toolbarStyle)
      inset = 12;
    else if (IsLineSep())
      inset = View()->Orientation() == TBarViewOrientation::tbvoFloating ? 1 : 4;
    RECT line{r.left + inset, y, r.right - inset, y + 2};
    DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
  } else {
    const int x = r.left + (r.right - r.left) / 2 - 1;
    const int inset = IsLineSep() ? 4 : 0;
    RECT line{x, r.top + inset, x + 2, r.bottom - inset};
    DrawEdge(dc, &line, EDGE_ETCHED, BF_LEFT);
  }
  return TRaised(true);
}

}  // namespace toolbars
