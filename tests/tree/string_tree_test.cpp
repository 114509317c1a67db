// The string tree: texts per column and type, painting of normal and static text (shortening, alignment in both
// reading directions, colours, fonts of the handler), measuring and its cache, the caption chunk of the node
// stream (exact bytes and hostile input), stored values, hints and formats.
#include "tree/string_tree.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "framework/form_reader.h"
#include "framework/form_writer.h"
#include "framework/streams.h"
#include "paint_tree.h"
#include "support/hostile_input.h"
#include "tree/clipboard_format_registry.h"
#include "tree/tree_clipboard_formats.h"
#include "tree/tree_columns.h"
#include "tree/tree_drawing.h"
#include "tree/tree_error.h"
#include "tree/tree_header.h"
#include "tree/tree_hint_window.h"

namespace tree_test {
namespace {

using TT = TVSTTextType;

// A string tree whose texts come from a table: texts[row][column + 1] for normal text, statics[row] for the static
// text; a row missing from the table leaves DefaultText alone.
class TTextTree : public TStringTree {
 public:
  explicit TTextTree(std::uint32_t rootCount = 0) : TStringTree(nullptr) {
    OnGetText = [this](TBaseTree*, PTreeNode node, TColumnIndex column, TT type, String& text) {
      ++textRequests;
      auto& table = type == TT::ttNormal ? texts : statics;
      auto row = table.find(static_cast<int>(node->Index));
      if (row != table.end() && column + 1 < static_cast<int>(row->second.size())) text = row->second[column + 1];
    };
    EXPECT_TRUE(SetRootNodeCount(rootCount).Alive());
  }
  // Shown in host at (0, 0), without a border, classic colours pinned, without lines, buttons and root
  // indentation, so that all ink is text; columnWidths add columns (header hidden).
  // Texts are measured once for the main column: set them before the rows come (Rows).
  TTextTree(HWND host, int width, int height, std::initializer_list<int> columnWidths = {}) : TTextTree(0) {
    EXPECT_TRUE(SetParentWindow(host).Alive());
    EXPECT_TRUE(SetBounds(0, 0, width, height).Alive());
    SetBorderStyle(TBorderStyle::bsNone);
    for (int columnWidth : columnWidths) EXPECT_TRUE(Header()->Columns()->Add()->SetWidth(columnWidth).Alive());
    HandleNeeded();
    EXPECT_TRUE(SetVisible(true).Alive());
    PinColors(*this);
    TreeOptions()->SetPaintOptions({});
  }
  using TCustomStringTree::GetTextInfo;
  using TCustomStringTree::InternalAddFromStream;

  // What the tree's dispatchers answer of a node no handler frees.
  int Width(PTreeNode node, TColumnIndex column) {
    int width = -1;
    EXPECT_FALSE(GetNodeWidth(node, column, width).NodeGone());
    return width;
  }
  String Hint(PTreeNode node, TColumnIndex column) {
    String hint;
    EXPECT_FALSE(DoGetNodeHint(node, column, hint).NodeGone());
    return hint;
  }
  String Tooltip(PTreeNode node, TColumnIndex column) {
    String tooltip;
    EXPECT_FALSE(DoGetNodeTooltip(node, column, tooltip).NodeGone());
    return tooltip;
  }

  TWindowCapture Capture() { return TWindowCapture::OfClient(Handle()); }
  PTreeNode Row(int index) {
    PTreeNode node = GetFirst();
    while (node && index-- > 0) node = GetNextSibling(node);
    return node;
  }

  std::map<int, std::vector<String>> texts;
  std::map<int, std::vector<String>> statics;
  int textRequests = 0;
};

bool IsInk(COLORREF pixel) { return pixel != kWindowColor; }

// The smallest rectangle of area holding pixels that pass test; empty when none does.
template <class Test>
RECT InkBounds(const TWindowCapture& shot, RECT area, Test test) {
  RECT bounds{area.right, area.bottom, area.left, area.top};
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x)
      if (test(shot.Pixel(x, y)))
        bounds = RECT{std::min<LONG>(bounds.left, x), std::min<LONG>(bounds.top, y),
                      std::max<LONG>(bounds.right, x + 1), std::max<LONG>(bounds.bottom, y + 1)};
  return bounds.left < bounds.right ? bounds : RECT{};
}
RECT InkBounds(const TWindowCapture& shot, RECT area) { return InkBounds(shot, area, IsInk); }

// text as the platform draws it in font, black on the window colour, into a capture of the given size.
TWindowCapture Reference(TFont* font, const String& text, RECT r, UINT format, int width, int height) {
  TWindowCapture shot(width, height);
  shot.Fill(kWindowColor);
  HGDIOBJ old = SelectObject(shot.DC(), font->Handle());
  SetTextColor(shot.DC(), RGB(0, 0, 0));
  SetBkMode(shot.DC(), TRANSPARENT);
  DrawTextW(shot.DC(), text.c_str(), static_cast<int>(text.size()), &r, format);
  SelectObject(shot.DC(), old);
  return shot;
}

int TextWidthIn(TFont* font, const String& text) {
  TWindowCapture dc(1, 1);
  HGDIOBJ old = SelectObject(dc.DC(), font->Handle());
  SIZE size{};
  GetTextExtentPoint32W(dc.DC(), text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc.DC(), old);
  return size.cx;
}

bool SameRect(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != 0; }

constexpr UINT kCellFormat = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;

using StringTreePaint = TPaintFixture;

}  // namespace

TEST(StringTreeText, PerColumnDefaultAndInitialization) {
  TTextTree tree(3);
  int initialized = 0;
  tree.OnInitNode = [&](TBaseTree*, PTreeNode, PTreeNode, TTreeNodeInitStates&) { ++initialized; };
  tree.texts = {{0, {L"main", L"first", L"second"}}, {1, {L""}}};
  struct TCase {
    int row;
    TColumnIndex column;
    const wchar_t* text;
  };
  for (TCase c : {TCase{0, NoColumn, L"main"}, TCase{0, 0, L"first"}, TCase{0, 1, L"second"}, TCase{0, 2, L"Node"},
                  TCase{1, NoColumn, L""}, TCase{2, NoColumn, L"Node"}})
    EXPECT_EQ(tree.Text(tree.Row(c.row), c.column), c.text) << c.row << "," << c.column;
  EXPECT_EQ(initialized, 3) << "asking a text initializes the node once";
  tree.SetDefaultText(L"");
  EXPECT_EQ(tree.Text(tree.Row(2), NoColumn), L"");
  EXPECT_EQ(tree.Text(nullptr, NoColumn), L"");
  EXPECT_EQ(tree.Text(tree.RootNode(), NoColumn), L"");
  tree.statics = {{0, {L"static"}}};
  EXPECT_EQ(tree.Text(tree.Row(0), NoColumn), L"main") << "Text is the normal text";
}

TEST(StringTreeText, HintsAndTooltips) {
  TTextTree tree(1);
  tree.texts = {{0, {L"caption"}}};
  tree.SetHint(L"control hint");
  EXPECT_EQ(tree.Hint(tree.Row(0), NoColumn), L"control hint");
  tree.OnGetHint = [](TBaseTree*, PTreeNode, TColumnIndex column, TT type, String& text) {
    EXPECT_EQ(type, TT::ttNormal);
    text += L" of column " + std::to_wstring(column);
  };
  EXPECT_EQ(tree.Hint(tree.Row(0), 2), L"control hint of column 2");
  EXPECT_EQ(tree.Tooltip(tree.Row(0), NoColumn), L"caption");

  // A tooltip shows the text in the font OnPaintText gives it.
  tree.SetHintMode(TTreeHintMode::hmTooltip);
  TTreeHintData data;
  data.Tree = &tree;
  data.TreeLife = tree.LifeWatch();
  data.Node = tree.Row(0);
  TTreeHintWindow plain(nullptr), enlarged(nullptr);
  plain.CalcHintRect(400, L"", &data);
  tree.OnPaintText = [&](TBaseTree*, TCanvas* canvas, PTreeNode, TColumnIndex, TT) {
    canvas->Font()->SetSize(tree.Font()->Size() * 3);
  };
  enlarged.CalcHintRect(400, L"", &data);
  EXPECT_GT(enlarged.TextHeight(), 2 * plain.TextHeight());
}

TEST(StringTreeText, OptionsDefaultsAssignAndFormats) {
  TTextTree source, target;
  EXPECT_EQ(source.TreeOptions()->StringOptions(),
            (TTreeStringOptions{TTreeStringOption::toSaveCaptions, TTreeStringOption::toAutoAcceptEditChange}));
  EXPECT_EQ(source.TreeOptions()->ClassType(), TStringTreeOptions::StaticClass());
  source.TreeOptions()->SetStringOptions({TTreeStringOption::toShowStaticText});
  source.TreeOptions()->SetMiscOptions({TTreeMiscOption::toEditable});
  target.Assign(&source);
  EXPECT_EQ(target.TreeOptions()->StringOptions(), TTreeStringOptions{TTreeStringOption::toShowStaticText});
  EXPECT_EQ(target.TreeOptions()->MiscOptions(), TTreeMiscOptions{TTreeMiscOption::toEditable});

  std::vector<FORMATETC> formats;
  ClipboardFormatRegistry()->EnumerateFormats(TStringTree::StaticClass(), formats);
  std::vector<CLIPFORMAT> ids;
  for (const FORMATETC& f : formats) ids.push_back(f.cfFormat);
  EXPECT_EQ(ids, (std::vector<CLIPFORMAT>{TreeDataFormat, HTMLFormat, RTFNoObjectsFormat, RTFFormat, CSVFormat,
                                          CF_UNICODETEXT, CF_TEXT}));
  EXPECT_GE(source.ClipboardFormats()->Add(L"CSV"), 0);
}

TEST(StringTreeText, StoredDefaultTextAndOldStringOptions) {
  TTextTree tree;
  ReadComponentFromText(
      L"object T: TStringTree\n  WideDefaultText = 'Leaf'\n"
      L"  StringOptions = [soShowStaticText, soUnknown]\nend",
      &tree);
  EXPECT_EQ(tree.DefaultText(), L"Leaf");
  EXPECT_EQ(tree.TreeOptions()->StringOptions(), TTreeStringOptions{TTreeStringOption::toShowStaticText});
  String text = ComponentToText(&tree);
  EXPECT_NE(text.find(L"WideDefaultText = 'Leaf'"), String::npos) << text;
  EXPECT_NE(text.find(L"StringOptions = [toShowStaticText]"), String::npos) << text;
  TTextTree copy;
  ReadComponentFromText(text, &copy);
  EXPECT_EQ(copy.DefaultText(), L"Leaf");
  EXPECT_EQ(copy.TreeOptions()->StringOptions(), TTreeStringOptions{TTreeStringOption::toShowStaticText});
}

// ---- the node stream's captions

namespace {

std::string Le32(std::uint32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); }

std::string Saved(TBaseTree& tree) {
  TMemoryStream stream;
  tree.SaveToStream(stream);
  return std::string(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
}

// The chunk of one childless, initialized, visible top-level node of height 18, with the given inner chunks after
// its base chunk.
std::string NodeChunk(const std::string& after) {
  std::uint16_t states = nsInitialized | nsVisible;
  std::string body =
      Le32(0) + Le32(18) + std::string(reinterpret_cast<const char*>(&states), 2) + std::string("\x32\0\0\0\0\0\0", 7);
  std::string base = Le32(2) + Le32(static_cast<std::uint32_t>(body.size())) + body;
  return Le32(1) + Le32(static_cast<std::uint32_t>(base.size() + after.size())) + base + after;
}

const std::string kMagicAndTwo = std::string("\x45\x20\x56\0\x54\0\x02\0\x20\0\x46\x20", 12) + Le32(2);

struct TNewText {
  PTreeNode node;
  TColumnIndex column;
  String text;
};

}  // namespace

TEST(StringTreeStream, CaptionChunksGoldenBytes) {
  TTextTree tree(2);
  tree.texts = {{0, {L"A\u00e9"}}, {1, {L""}}};
  tree.ValidateNode(nullptr, true);
  const std::string caption = Le32(3) + Le32(4) + std::string("A\0\xe9\0", 4);
  EXPECT_EQ(Saved(tree), kMagicAndTwo + NodeChunk(caption) + NodeChunk(""));
  tree.TreeOptions()->SetStringOptions({});
  EXPECT_EQ(Saved(tree), kMagicAndTwo + NodeChunk("") + NodeChunk(""));
}

TEST(StringTreeStream, LoadingHandsEveryCaptionToOnNewText) {
  TTextTree source(3);
  source.texts = {{0, {L"one"}}, {1, {L""}}, {2, {L"three"}}};
  source.ValidateNode(nullptr, true);
  std::string bytes = Saved(source);
  TTextTree target;
  target.Header()->Columns()->Add();
  target.Header()->Columns()->Add();
  EXPECT_TRUE(target.Header()->SetMainColumn(1).Alive());
  std::vector<TNewText> received;
  target.OnNewText = [&](TBaseTree*, PTreeNode node, TColumnIndex column, const String& text) {
    received.push_back({node, column, text});
  };
  TMemoryStream stream;
  stream.WriteBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size()));
  stream.SetPosition(0);
  EXPECT_TRUE(target.LoadFromStream(stream).Alive());
  ASSERT_EQ(received.size(), 2u);
  EXPECT_EQ(received[0].node, target.Row(0));
  EXPECT_EQ(received[0].column, 1) << "captions belong to the main column";
  EXPECT_EQ(received[0].text, L"one");
  EXPECT_EQ(received[1].node, target.Row(2));
  EXPECT_EQ(received[1].text, L"three");
}

// A caption chunk of odd size gives its whole characters; one read into the root reaches no handler.
TEST(StringTreeStream, OddCaptionsAndTheRoot) {
  TTextTree tree;
  std::vector<TNewText> received;
  tree.OnNewText = [&](TBaseTree*, PTreeNode node, TColumnIndex column, const String& text) {
    received.push_back({node, column, text});
  };
  std::string odd = NodeChunk(Le32(3) + Le32(5) + std::string("x\0y\0z", 5));
  TMemoryStream stream;
  std::string bytes = kMagicAndTwo.substr(0, 12) + Le32(1) + odd;
  stream.WriteBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size()));
  stream.SetPosition(0);
  EXPECT_TRUE(tree.LoadFromStream(stream).Alive());
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].text, L"xy");
  TMemoryStream intoRoot;
  intoRoot.WriteBuffer(odd.data(), static_cast<std::int32_t>(odd.size()));
  intoRoot.SetPosition(0);
  EXPECT_FALSE(tree.InternalAddFromStream(intoRoot, 2, nullptr).NodeGone());
  EXPECT_EQ(received.size(), 1u);
  EXPECT_EQ(intoRoot.Position(), intoRoot.Size());
}

// Mutated streams with captions end in the tree's own errors; every caption reaches a node of the tree.
TEST(StringTreeStream, MutatedCaptionStreams) {
  TTextTree source(3);
  source.texts = {{0, {L"alpha"}}, {1, {L"\u0432\u0435\u0442\u0432\u044c"}}, {2, {L"gamma delta"}}};
  source.OnInitNode = [](TBaseTree*, PTreeNode parent, PTreeNode node, TTreeNodeInitStates& states) {
    if (!parent && node->Index == 0) states |= ivsHasChildren;
  };
  source.OnInitChildren = [](TBaseTree*, PTreeNode, std::uint32_t& count) { count = 2; };
  source.ValidateNode(nullptr, true);
  EXPECT_FALSE(source.SetExpanded(source.GetFirst(), true).TreeGone());
  std::string saved = Saved(source);
  TMutator mutator(20261208);
  TTextTree tree;
  int captions = 0;
  tree.OnNewText = [&](TBaseTree*, PTreeNode node, TColumnIndex, const String&) {
    ASSERT_TRUE(node && node != tree.RootNode());
    ASSERT_EQ(TreeOfNode(node), &tree);
    ++captions;
  };
  for (int i = 0; i < 30000; ++i) {
    std::string damaged = mutator.Mutate(saved);
    try {
      TGuardedStream stream(damaged);
      EXPECT_TRUE(tree.LoadFromStream(stream).Alive());
    } catch (const ETreeError& e) {
      ASSERT_GE(e.HelpContext(), teStreamFormat) << i;
      ASSERT_LE(e.HelpContext(), teNodeChunkOverrun) << i;
    }
    ASSERT_EQ(tree.UpdateCount(), 0) << i;
    if (i % 5000 == 0) {
      ASSERT_EQ(CheckInvariants(tree), "") << i;
    }
  }
  EXPECT_GT(captions, 0);
}

// ---- measuring

TEST(StringTreeMeasure, MainColumnWidthIsCachedUntilInvalidatedOrTheFontChanges) {
  TTextTree tree(2);
  tree.Header()->Columns()->Add();
  tree.Header()->Columns()->Add();
  tree.texts = {{0, {L"", L"ab", L"ab"}}, {1, {L"", L"", L"x"}}};
  const int margins = 2 * tree.TextMargin();
  PTreeNode row = tree.Row(0);
  const int narrow = tree.Width(row, 0);
  EXPECT_EQ(narrow, margins + TextWidthIn(tree.Font(), L"ab"));
  EXPECT_EQ(tree.Width(tree.Row(1), 0), margins) << "an empty text is the margins alone";
  tree.texts[0] = {L"", L"abcdef", L"abcdef"};
  EXPECT_EQ(tree.Width(row, 0), narrow) << "the main column keeps its measured width";
  const int wide = margins + TextWidthIn(tree.Font(), L"abcdef");
  EXPECT_EQ(tree.Width(row, 1), wide) << "other columns are measured each time";
  tree.InvalidateNode(row);
  EXPECT_EQ(tree.Width(row, 0), wide);
  tree.Font()->SetSize(tree.Font()->Size() * 2);
  EXPECT_EQ(tree.Width(row, 0), margins + TextWidthIn(tree.Font(), L"abcdef"));
  EXPECT_GT(tree.Width(row, 0), wide);
  EXPECT_EQ(tree.EllipsisWidth(), TextWidthIn(tree.Font(), L"..."));
  tree.texts[0] = {L"", L"a", L"a"};
  tree.ReinitNode(row, false);
  EXPECT_EQ(tree.Width(row, 0), margins + TextWidthIn(tree.Font(), L"a"));
}

// ---- painting

TEST_F(StringTreePaint, StaticTextBesideTheNormalText) {
  const COLORREF staticColor = RGB(255, 0, 0);
  auto reddish = [](COLORREF c) { return GetRValue(c) > 128 && GetGValue(c) < 100 && GetBValue(c) < 100; };
  auto dark = [](COLORREF c) { return GetRValue(c) < 100 && GetGValue(c) < 100 && GetBValue(c) < 100; };
  struct TCase {
    TAlignment alignment;
    bool option;
    int staticSide;  // -1 left of the normal text, 1 right of it, 0 not shown
  };
  for (TCase c : {TCase{TAlignment::taLeftJustify, true, 1}, TCase{TAlignment::taRightJustify, true, -1},
                  TCase{TAlignment::taCenter, true, 0}, TCase{TAlignment::taLeftJustify, false, 0}}) {
    TTextTree tree(host.Handle(), 280, 40);
    tree.texts = {{0, {L"Normal"}}};
    EXPECT_TRUE(tree.SetRootNodeCount(1).Alive());
    tree.statics = {{0, {L"(static)"}}};
    tree.OnPaintText = [&](TBaseTree*, TCanvas* canvas, PTreeNode, TColumnIndex, TT type) {
      if (type == TT::ttStatic) canvas->Font()->SetColor(static_cast<TColor>(staticColor));
    };
    tree.SetAlignment(c.alignment);
    tree.TreeOptions()->SetStringOptions(c.option ? TTreeStringOptions{TTreeStringOption::toShowStaticText}
                                                  : TTreeStringOptions{});
    TWindowCapture shot = tree.Capture();
    KeepCaptureForViewing(shot, L"string_tree_static");
    const RECT row{0, 0, 280, 18};
    RECT normal = InkBounds(shot, row, dark), extra = InkBounds(shot, row, reddish);
    ASSERT_FALSE(IsRectEmpty(&normal));
    if (c.staticSide == 0) {
      EXPECT_TRUE(IsRectEmpty(&extra)) << static_cast<int>(c.alignment);
    } else if (c.staticSide > 0) {
      EXPECT_GE(extra.left, normal.right + 2 * tree.TextMargin());
    } else {
      EXPECT_LE(extra.right, normal.left - 2 * tree.TextMargin());
    }
  }
}

// A column narrower than its text shows the longest start that fits with "..."; without columns the text is clipped.
TEST_F(StringTreePaint, ShorteningAtSeveralWidths) {
  const String text = L"Shortened caption of a column";
  for (int width : {40, 64, 100, 150, 260}) {
    TTextTree tree(host.Handle(), 300, 40, {30, width});
    tree.texts = {{0, {L"", L"", text}}};
    EXPECT_TRUE(tree.SetRootNodeCount(1).Alive());
    TWindowCapture shot = tree.Capture();
    const RECT cell{30, 0, 30 + width, 18};
    RECT r{cell.left + tree.Margin() + tree.TextMargin(), 0, cell.right - tree.TextMargin(), 18};
    String expected = text;
    if (TextWidthIn(tree.Font(), text) > r.right - r.left) {
      TWindowCapture measure(1, 1);
      HGDIOBJ old = SelectObject(measure.DC(), tree.Font()->Handle());
      expected = ShortenWideText(measure.DC(), text, r.right - r.left, false);
      SelectObject(measure.DC(), old);
      ASSERT_EQ(expected.substr(expected.size() - 3), L"...") << width;
    }
    TWindowCapture reference = Reference(tree.Font(), expected, r, kCellFormat, 300, 40);
    RECT painted = InkBounds(shot, cell), wanted = InkBounds(reference, cell);
    EXPECT_TRUE(SameRect(painted, wanted))
        << width << ": " << painted.left << "-" << painted.right << " for " << wanted.left << "-" << wanted.right;
    EXPECT_LE(painted.right, cell.right - tree.TextMargin()) << width;
  }
  // No columns: the whole text, cut by the client edge instead.
  TTextTree plain(host.Handle(), 60, 40);
  plain.texts = {{0, {text}}};
  EXPECT_TRUE(plain.SetRootNodeCount(1).Alive());
  TWindowCapture shot = plain.Capture();
  RECT r{plain.Margin() + plain.TextMargin(), 0, 60 - plain.TextMargin(), 18};
  TWindowCapture reference = Reference(plain.Font(), text, r, kCellFormat, 60, 40);
  EXPECT_TRUE(SameRect(InkBounds(shot, RECT{0, 0, 60, 18}), InkBounds(reference, RECT{0, 0, 60, 18})));
}

TEST_F(StringTreePaint, AlignmentInBothReadingDirections) {
  const String text = L"Hello, world!";
  struct TCase {
    TAlignment alignment;
    TBiDiMode bidi;
  };
  for (TCase c : {TCase{TAlignment::taLeftJustify, TBiDiMode::bdLeftToRight},
                  TCase{TAlignment::taRightJustify, TBiDiMode::bdLeftToRight},
                  TCase{TAlignment::taCenter, TBiDiMode::bdLeftToRight},
                  TCase{TAlignment::taLeftJustify, TBiDiMode::bdRightToLeft},
                  TCase{TAlignment::taRightJustify, TBiDiMode::bdRightToLeft},
                  TCase{TAlignment::taCenter, TBiDiMode::bdRightToLeft}}) {
    TTextTree tree(host.Handle(), 300, 40, {40, 200});
    TTreeColumn* column = tree.Header()->Columns()->Items(1);
    column->SetAlignment(c.alignment);
    column->SetBiDiMode(c.bidi);
    tree.texts = {{0, {L"", L"", text}}};
    EXPECT_TRUE(tree.SetRootNodeCount(1).Alive());
    TWindowCapture shot = tree.Capture();
    KeepCaptureForViewing(shot, L"string_tree_alignment");
    const bool rtl = c.bidi != TBiDiMode::bdLeftToRight;
    RECT r{40, 0, 240, 18};
    (rtl ? r.right : r.left) += rtl ? -tree.Margin() : tree.Margin();
    InflateRect(&r, -tree.TextMargin(), 0);
    // A right-to-left cell mirrors its alignment.
    UINT format = kCellFormat | (rtl ? DT_RTLREADING : 0);
    if (c.alignment == TAlignment::taCenter)
      format |= DT_CENTER;
    else if ((c.alignment == TAlignment::taRightJustify) != rtl)
      format |= DT_RIGHT;
    TWindowCapture reference = Reference(tree.Font(), text, r, format, 300, 40);
    const RECT cell{40, 0, 240, 18};
    RECT painted = InkBounds(shot, cell), wanted = InkBounds(reference, cell);
    EXPECT_TRUE(SameRect(painted, wanted))
        << static_cast<int>(c.alignment) << "/" << static_cast<int>(c.bidi) << ": " << painted.left << "-"
        << painted.right << " for " << wanted.left << "-" << wanted.right;
    EXPECT_EQ(shot.CountPixels(RGB(0, 0, 0), &cell), reference.CountPixels(RGB(0, 0, 0), &cell));
  }
}

// OnPaintText's font is the font of the painted text, of its measured width and of the editor's text information.
TEST_F(StringTreePaint, FontOfThePaintTextHandler) {
  TTextTree tree(host.Handle(), 300, 80);
  tree.SetDefaultNodeHeight(30);
  tree.texts = {{0, {L"Same text"}}, {1, {L"Same text"}}};
  tree.OnPaintText = [&](TBaseTree*, TCanvas* canvas, PTreeNode node, TColumnIndex, TT) {
    if (node->Index == 1) {
      canvas->Font()->SetSize(tree.Font()->Size() * 2);
      canvas->Font()->SetStyle({TFontStyle::fsBold});
    }
  };
  EXPECT_TRUE(tree.SetRootNodeCount(2).Alive());
  TWindowCapture shot = tree.Capture();
  KeepCaptureForViewing(shot, L"string_tree_fonts");
  RECT small = InkBounds(shot, RECT{0, 0, 300, 30}), large = InkBounds(shot, RECT{0, 30, 300, 60});
  EXPECT_GT(large.bottom - large.top, small.bottom - small.top);
  for (int row : {0, 1}) {
    RECT ink = row == 0 ? small : large;
    int textWidth = tree.Width(tree.Row(row), NoColumn) - 2 * tree.TextMargin();
    EXPECT_NEAR(ink.right - ink.left, textWidth, 3) << "the measured width is the painted one, row " << row;
    RECT display = tree.GetDisplayRect(tree.Row(row), NoColumn, true);
    EXPECT_NEAR(ink.left, display.left + tree.TextMargin(), 2) << row;
  }
  TFont font;
  RECT r{};
  String text;
  EXPECT_FALSE(tree.GetTextInfo(tree.Row(1), NoColumn, &font, r, text).NodeGone());
  EXPECT_EQ(text, L"Same text");
  EXPECT_TRUE(font.Style().Contains(TFontStyle::fsBold));
  EXPECT_EQ(font.Size(), tree.Font()->Size() * 2);
  TWindowCapture measure(1, 1);
  HGDIOBJ old = SelectObject(measure.DC(), font.Handle());
  TEXTMETRICW metrics{};
  GetTextMetricsW(measure.DC(), &metrics);
  SelectObject(measure.DC(), old);
  EXPECT_NEAR(r.bottom - r.top, metrics.tmHeight, 1);
  EXPECT_EQ(r.top - 30, (30 - (r.bottom - r.top)) / 2) << "the text height is centred in the row";
  EXPECT_FALSE(tree.GetTextInfo(tree.Row(0), NoColumn, &font, r, text).NodeGone());
  EXPECT_FALSE(font.Style().Contains(TFontStyle::fsBold));
  EXPECT_NEAR(r.bottom - r.top, tree.TextHeight(), 1);
}

// Highlight text only where the selection is painted: an unfocused tree that hides its selection shows the text in
// its normal colour even in popup mode.
TEST_F(StringTreePaint, HighlightTextOnlyOnAPaintedSelection) {
  const COLORREF highlightText = GetSysColor(COLOR_HIGHLIGHTTEXT);
  struct TCase {
    bool hideSelection;
    bool highlighted;
  };
  for (TCase c : {TCase{false, true}, TCase{true, false}}) {
    TTextTree tree(host.Handle(), 200, 40);
    tree.texts = {{0, {L"Selected node"}}};
    EXPECT_TRUE(tree.SetRootNodeCount(1).Alive());
    // Highlight text is white: the tree is not, so that white pixels are text.
    tree.SetColor(static_cast<TColor>(RGB(230, 230, 230)));
    TTreePaintOptions options = tree.TreeOptions()->PaintOptions() + TTreePaintOption::toPopupMode;
    if (c.hideSelection) options += TTreePaintOption::toHideSelection;
    tree.TreeOptions()->SetPaintOptions(options);
    EXPECT_FALSE(tree.SetSelected(tree.Row(0), true).TreeGone());
    ASSERT_FALSE(tree.Focused());
    TWindowCapture shot = tree.Capture();
    const RECT row{0, 0, 200, 18};
    EXPECT_EQ(shot.CountPixels(highlightText, &row) > 0, c.highlighted) << c.hideSelection;
    EXPECT_EQ(shot.CountPixels(RGB(0, 0, 0), &row) > 0, !c.highlighted) << c.hideSelection;
  }
}

// An ampersand is part of the caption, as measured: it is drawn, and underlines nothing.
TEST_F(StringTreePaint, AmpersandsAreDrawnAsTheyAre) {
  const String text = L"Q&A && more";
  TTextTree tree(host.Handle(), 300, 40);
  tree.texts = {{0, {text}}};
  EXPECT_TRUE(tree.SetRootNodeCount(1).Alive());
  TWindowCapture shot = tree.Capture();
  RECT display = tree.GetDisplayRect(tree.Row(0), NoColumn, true);
  RECT r{display.left + tree.TextMargin(), 0, 300 - tree.TextMargin(), 18};
  const RECT row{0, 0, 300, 18};
  TWindowCapture asIs = Reference(tree.Font(), text, r, kCellFormat, 300, 40);
  TWindowCapture prefixed = Reference(tree.Font(), text, r, DT_SINGLELINE | DT_VCENTER, 300, 40);
  RECT painted = InkBounds(shot, row);
  EXPECT_TRUE(SameRect(painted, InkBounds(asIs, row)));
  EXPECT_FALSE(SameRect(painted, InkBounds(prefixed, row)));
  EXPECT_EQ(tree.Width(tree.Row(0), NoColumn) - 2 * tree.TextMargin(), TextWidthIn(tree.Font(), text));
}

// With toAutoSpanColumns a text runs on over empty columns of its reading direction instead of being shortened.
TEST_F(StringTreePaint, TextSpansEmptyColumns) {
  const String text = L"Spanning text over columns";
  struct TCase {
    TBiDiMode bidi;
    int textColumn;
  };
  for (TCase c : {TCase{TBiDiMode::bdLeftToRight, 0}, TCase{TBiDiMode::bdRightToLeft, 2}}) {
    for (bool span : {false, true}) {
      TTextTree tree(host.Handle(), 300, 40, {70, 70, 70});
      for (int i = 0; i < 3; ++i) tree.Header()->Columns()->Items(i)->SetBiDiMode(c.bidi);
      std::vector<String> row(4);
      row[c.textColumn + 1] = text;
      tree.texts = {{0, row}};
      EXPECT_TRUE(tree.SetRootNodeCount(1).Alive());
      if (span)
        tree.TreeOptions()->SetAutoOptions(tree.TreeOptions()->AutoOptions() + TTreeAutoOption::toAutoSpanColumns);
      TWindowCapture shot = tree.Capture();
      KeepCaptureForViewing(shot, L"string_tree_span");
      const RECT middle{75, 0, 135, 18};
      RECT ink = InkBounds(shot, middle);
      EXPECT_EQ(!IsRectEmpty(&ink), span) << static_cast<int>(c.bidi) << " span " << span;
      const RECT all{0, 0, 300, 18};
      RECT whole = InkBounds(shot, all);
      if (span)
        EXPECT_NEAR(whole.right - whole.left, TextWidthIn(tree.Font(), text), 3);
      else
        EXPECT_LE(whole.right - whole.left, 70 - tree.Margin() - 2 * tree.TextMargin());
    }
  }
}

}  // namespace tree_test
