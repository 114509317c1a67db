// The RTF rendering of an export: a table with one row per node (and one for the header), every text written as
// Unicode escapes, fonts and colours collected into the document's tables.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <vector>

#include "framework/graphics.h"
#include "framework/screen.h"
#include "tree/buffered_string.h"
#include "tree/export/content_export.h"
#include "tree/tree_columns.h"
#include "tree/tree_header.h"

namespace tree {

namespace {

// A UTF-16 unit as RTF writes it: a signed 16-bit number (units above 32767 are negative), with "?" for readers
// that know no Unicode. Added in place: an export writes one for every character of every cell.
void AddUnicodeEscape(std::string& text, wchar_t c) {
  char number[8];
  const auto end = std::to_chars(number, number + sizeof number,
                                 static_cast<int>(static_cast<std::int16_t>(static_cast<std::uint16_t>(c))))
                       .ptr;
  text += "\\u";
  text.append(number, end);
  text += "\\'3f";
}

// A font name in the font table: plain ASCII stays, the characters that would end the entry or the group (and any
// other) are escaped.
std::string FontTableName(const String& name) {
  std::string result;
  for (wchar_t c : name) {
    if (c >= 0x20 && c < 0x7F && c != L'\\' && c != L'{' && c != L'}' && c != L';')
      result += static_cast<char>(c);
    else
      AddUnicodeEscape(result, c);
  }
  return result;
}

std::string AlignmentWord(TAlignment alignment) {
  switch (alignment) {
    case TAlignment::taRightJustify:
      return "\\qr";
    case TAlignment::taCenter:
      return "\\qc";
    default:
      return "";
  }
}

// The document's body with its font and colour tables; text runs switch font, colour and size only when they
// change.
class TRtfWriter {
 public:
  // Where the body stands, with the font, colour and size its last run left on: a row begun there can be taken
  // back. The tables keep what the row added to them.
  struct TRowMark {
    std::size_t BodySize;
    int Font, Color, Size;
  };

  void Add(const std::string& text) { body_.Add(text); }
  TRowMark Mark() const { return {body_.Size(), currentFont_, currentColor_, currentSize_}; }
  void Rewind(const TRowMark& mark) {
    body_.Truncate(mark.BodySize);
    currentFont_ = mark.Font;
    currentColor_ = mark.Color;
    currentSize_ = mark.Size;
  }

  void TextRun(const String& text, const TFont* font) {
    if (text.empty()) return;
    const TFontStyles style = font->Style();
    const bool underline = style.Contains(TFontStyle::fsUnderline);
    const bool italic = style.Contains(TFontStyle::fsItalic);
    const bool bold = style.Contains(TFontStyle::fsBold);
    std::string run;
    if (underline) run += "\\ul";
    if (italic) run += "\\i";
    if (bold) run += "\\b";
    const int fontIndex = IndexOf(fonts_, font->Name());
    if (fontIndex != currentFont_) run += "\\f" + std::to_string(currentFont_ = fontIndex);
    const int colorIndex = IndexOf(colors_, static_cast<COLORREF>(ColorToRGB(font->Color())));
    if (colorIndex != currentColor_) run += "\\cf" + std::to_string((currentColor_ = colorIndex) + 1);
    if (font->Size() != currentSize_) run += "\\fs" + std::to_string(2 * (currentSize_ = font->Size()));
    run += ' ';
    for (wchar_t c : text) AddUnicodeEscape(run, c);
    if (underline) run += "\\ul0";
    if (italic) run += "\\i0";
    if (bold) run += "\\b0";
    body_.Add(run);
  }

  AnsiString Document() const {
    std::string document = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1043{\\fonttbl";
    for (std::size_t i = 0; i < fonts_.size(); ++i)
      document += "{\\f" + std::to_string(i) + " " + FontTableName(fonts_[i]) + ";}";
    document += "}{\\colortbl;";
    for (COLORREF color : colors_)
      document += "\\red" + std::to_string(GetRValue(color)) + "\\green" + std::to_string(GetGValue(color)) + "\\blue" +
                  std::to_string(GetBValue(color)) + ";";
    return document + "}" + body_.AsString() + "}";
  }

 private:
  template <class T>
  static int IndexOf(std::vector<T>& table, const T& value) {
    auto found = std::find(table.begin(), table.end(), value);
    if (found == table.end()) found = table.insert(table.end(), value);
    return static_cast<int>(found - table.begin());
  }

  TBufferedString body_;
  std::vector<String> fonts_;
  std::vector<COLORREF> colors_;
  int currentFont_ = -1;
  int currentColor_ = -1;
  int currentSize_ = -1;
};

int Twips(int pixels) { return MulDiv(pixels, 1440, Screen ? Screen->PixelsPerInch() : 96); }

}  // namespace

AnsiString TContentExport::Rtf() {
  if (nodes_.TreeGone()) return {};
  TRtfWriter rtf;
  rtf.Add("\\uc1\\trowd\\trgaph70");
  if (useColumns_) {
    int right = 0;
    for (const TCell& cell : cells_) rtf.Add("\\cellx" + std::to_string(Twips(right += cell.Width)));
    for (const TCell& cell : cells_) {
      rtf.Add("\\pard\\intbl" + AlignmentWord(cell.Alignment));
      rtf.TextRun(cell.Caption, tree_.Header()->Font());
      rtf.Add("\\cell");
    }
    rtf.Add("\\row");
  } else {
    rtf.Add("\\cellx" + std::to_string(Twips(tree_.ClientWidth())));
  }
  // The blank that ends the last control word comes with the text run: one more would be a space in the text.
  std::uint32_t indentedLevel = 0;
  std::string indentation;
  for (std::size_t row = 0; row < nodes_.Size(); ++row) {
    if (RowGone(row)) continue;
    PTreeNode node = nodes_.Node(row);
    const TRtfWriter::TRowMark rowStart = rtf.Mark();
    const std::uint32_t level = Level(node);
    if (level != indentedLevel) {
      indentedLevel = level;
      indentation.clear();
      for (std::uint32_t i = 0; i < level; ++i) indentation += "\\tab";
    }
    for (const TCell& cell : cells_) {
      rtf.Add("\\pard\\intbl" + AlignmentWord(cell.Alignment));
      TFont* font = CellFont(node, cell.Index);
      if (RowGone(row)) break;
      if (cell.Main) rtf.Add(indentation);
      const String text = tree_.Text(node, cell.Index);
      if (RowGone(row)) break;
      rtf.TextRun(text, font);
      rtf.Add("\\cell");
    }
    if (nodes_.TreeGone()) return {};
    if (RowGone(row)) {
      rtf.Rewind(rowStart);
      continue;
    }
    rtf.Add("\\row");
  }
  rtf.Add("\\pard\\par");
  return rtf.Document();
}

}  // namespace tree
