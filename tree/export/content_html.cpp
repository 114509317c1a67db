// The HTML rendering of an export: a style sheet from the tree's and the header's fonts and grid lines, then a
// table with a header row and one row per node, the main column spread over indentation cells.
#include <cstdio>
#include <string_view>

#include "framework/graphics.h"
#include "tree/buffered_string.h"
#include "tree/export/content_export.h"
#include "tree/tree_columns.h"
#include "tree/tree_header.h"

namespace tree {

namespace {

// "#RRGGBB" of a colour, system colours resolved.
std::string HtmlColor(TColor color) {
  const COLORREF rgb = ColorToRGB(color);
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
  return text;
}

// Application text as element content or attribute value: its markup characters become entities, and a NUL,
// where readers of the clipboard's HTML stop, a blank as in the text formats.
std::string HtmlText(const String& text) {
  std::string escaped;
  for (char c : WideToUtf8(text)) {
    switch (c) {
      case '\0':
        escaped += ' ';
        break;
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

// A font name inside a style rule, which entities cannot protect: what would end the rule, the attribute or the
// style element is left out.
std::string CssFontName(const String& name) {
  std::string result;
  for (char c : WideToUtf8(name))
    if (std::string_view("<>{};\"\\").find(c) == std::string_view::npos) result += c;
  return result;
}

// "{font: bold 8pt Tahoma;color:#000000;}"
std::string FontRule(const TFont* font) {
  const TFontStyles style = font->Style();
  std::string rule = "{font:";
  if (style.Contains(TFontStyle::fsUnderline)) rule += " underline";
  if (style.Contains(TFontStyle::fsItalic)) rule += " italic";
  if (style.Contains(TFontStyle::fsBold)) rule += " bold";
  return rule + " " + std::to_string(font->Size()) + "pt " + CssFontName(font->Name()) +
         ";color:" + HtmlColor(font->Color()) + ";}";
}

std::string Quoted(const std::string& value) { return "\"" + value + "\""; }
std::string Quoted(int value) { return Quoted(std::to_string(value)); }

std::string AlignmentAttribute(TAlignment alignment) {
  switch (alignment) {
    case TAlignment::taRightJustify:
      return " align=right";
    case TAlignment::taCenter:
      return " align=center";
    default:
      return " align=left";
  }
}

}  // namespace

std::string TContentExport::Html(const String& caption) {
  if (nodes_.TreeGone()) return {};
  const int margin = tree_.Margin();
  const std::string padding =
      "padding-left:" + std::to_string(margin) + "px;padding-right:" + std::to_string(margin) + "px;";
  std::string attributes = " ";
  if (!caption.empty()) attributes += "caption=" + Quoted(HtmlText(caption));
  if (tree_.BorderStyle() != TBorderStyle::bsNone)
    attributes += "border=" + Quoted(tree_.BorderWidth() + 1) + " frame=box";

  TBufferedString html;
  // About what a row of plain cells takes: most exports are laid out once instead of grown into.
  html.Reserve((nodes_.Size() + 16) * cells_.size() * 96);
  html.Add("<style type=\"text/css\">");
  html.AddNewLine();
  html.Add(".default" + FontRule(tree_.Font()));
  html.AddNewLine();
  html.Add(".header" + FontRule(tree_.Header()->Font()));
  html.AddNewLine();
  const TTreePaintOptions paintOptions = tree_.TreeOptions()->PaintOptions();
  const bool horizontalLines = paintOptions.Contains(TTreePaintOption::toShowHorzGridLines);
  const bool verticalLines = paintOptions.Contains(TTreePaintOption::toShowVertGridLines);
  const std::string lineStyle = tree_.LineStyle() == TLineStyle::lsSolid ? "solid;" : "dotted;";
  html.Add(horizontalLines
               ? ".noborder{border-style:" + lineStyle + " border-bottom:1;border-left:0;border-right:0; border-top:0;"
               : ".noborder{border-style:none;");
  html.Add(padding + "}");
  html.AddNewLine();
  html.Add(".normalborder {border-top:none; border-left:none; " +
           (verticalLines ? "border-right:1 " + lineStyle : "border-right:none;") +
           (horizontalLines ? "border-bottom:1 " + lineStyle : "border-bottom:none;") + padding + "}</style>");
  html.AddNewLine();
  html.Add("<table class=\"default\" bgcolor=" + HtmlColor(tree_.Color()) + attributes +
           " cellspacing=\"0\" cellpadding=" + std::to_string(margin) + ">");
  html.AddNewLine();

  // Direction and alignment of a cell, the same in the header row and the node rows.
  auto placement = [](const TCell& cell) {
    return (cell.RightToLeft ? " dir=\"rtl\"" : "") + AlignmentAttribute(cell.Alignment);
  };
  if (useColumns_) {
    html.Add("<tr class=\"header\" style=" + Quoted(padding) + ">");
    html.AddNewLine();
    const std::string buttonFace = HtmlColor(clBtnFace);
    for (const TCell& cell : cells_) {
      std::string th = "<th height=" + Quoted(std::to_string(tree_.Header()->Height()) + "px") + placement(cell);
      if (cell.Main && maxLevel_ > 0) th += " colspan=" + Quoted(static_cast<int>(maxLevel_ + 1));
      th += " bgcolor=" + buttonFace + " width=" + Quoted(std::to_string(cell.Width) + "px") + ">" +
            HtmlText(cell.Caption) + "</th>";
      html.Add(th);
    }
    html.Add("</tr>");
    html.AddNewLine();
  }

  for (std::size_t row = 0; row < nodes_.Size(); ++row) {
    if (RowGone(row)) continue;
    PTreeNode node = nodes_.Node(row);
    const std::size_t rowStart = html.Size();
    const std::uint32_t level = Level(node);
    const std::string height = Quoted(std::to_string(tree_.NodeHeight(node)) + "px");
    html.Add(" <tr class=\"default\">");
    html.AddNewLine();
    for (const TCell& cell : cells_) {
      bool fontChanged = false;
      const TFont* font = CellFont(node, cell.Index, &fontChanged);
      if (RowGone(row)) break;
      const std::string background = cell.OwnColor ? " bgcolor=" + HtmlColor(cell.Color) : "";
      std::string td;
      if (cell.Main) {
        for (std::uint32_t i = 0; i < level; ++i) {
          if (!cell.OwnColor)
            td += i == 0 ? " <td height=" + height + ">&nbsp;</td>" : " <td>&nbsp;</td>";
          else
            td += "<td class=\"noborder\" width=" + Quoted(tree_.Indent()) + " height=" + height + background +
                  ">&nbsp;</td>";
        }
      }
      td += fontChanged ? " <td class=\"normalborder\"  style=\"" + FontRule(font) + "\" height=" + height
                        : " <td class=\"normalborder\"  height=" + height;
      td += placement(cell);
      if (cell.Main && level < maxLevel_) td += " colspan=" + Quoted(static_cast<int>(maxLevel_ - level + 1));
      const String text = tree_.Text(node, cell.Index);
      if (RowGone(row)) break;
      td += background + ">" + HtmlText(text) + "</td>";
      html.Add(td);
    }
    if (nodes_.TreeGone()) return {};
    if (RowGone(row)) {
      html.Truncate(rowStart);
      continue;
    }
    html.Add(" </tr>");
    html.AddNewLine();
  }
  html.Add("</table>");
  return html.TakeString();
}

}  // namespace tree
