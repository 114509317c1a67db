// The string tree's content export: exact text, RTF and HTML of a small tree with columns, the node sources,
// columns moved and hidden, texts that need escaping in every format, the "HTML Format" offsets read back, the
// blocks of every clipboard format, and the round trip through the real OLE clipboard and a rich edit control.
#include <gtest/gtest.h>
#include <richedit.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/global_memory.h"
#include "framework/screen.h"
#include "framework/stg_medium.h"
#include "support/test_window.h"
#include "tree/clipboard_format_registry.h"
#include "tree/export/cf_html.h"
#include "tree/node_slab.h"
#include "tree/string_tree.h"
#include "tree/tree_columns.h"
#include "tree/tree_data_object.h"
#include "tree/tree_header.h"

namespace tree_test {
namespace {

using namespace tree;
using Microsoft::WRL::ComPtr;
using Source = TVSTTextSourceType;
using O = TTreeColumnOption;

// A string tree whose texts come from a table per node (one entry per column; column -1 takes the first).
class TExportTree : public TStringTree {
 public:
  explicit TExportTree(TComponent* owner = nullptr) : TStringTree(owner) {
    OnGetText = [this](TBaseTree*, PTreeNode node, TColumnIndex column, TVSTTextType, String& text) {
      if (asked && asked(node, column)) return;
      if (failText) throw std::runtime_error("no text");
      auto row = texts.find(node);
      const std::size_t index = column < 0 ? 0 : static_cast<std::size_t>(column);
      if (row != texts.end() && index < row->second.size()) text = row->second[index];
    };
    EXPECT_TRUE(SetBounds(0, 0, 200, 100).Alive());
    SetColor(0xFFFFFF);
    Font()->SetName(L"Arial");
    Font()->SetSize(10);
    Font()->SetColor(0);
    Header()->Font()->SetName(L"Tahoma");
    Header()->Font()->SetSize(8);
    Header()->Font()->SetStyle({TFontStyle::fsBold});
    Header()->Font()->SetColor(0x800000);
    TreeOptions()->SetPaintOptions({TTreePaintOption::toShowHorzGridLines});
  }
  PTreeNode Add(std::vector<String> cells, PTreeNode parent = nullptr) {
    PTreeNode node = AddChild(parent);
    texts[node] = std::move(cells);
    return node;
  }
  std::map<PTreeNode, std::vector<String>> texts;
  bool failText = false;
  // Called first when a cell's text is asked for; true when it freed the tree.
  std::function<bool(PTreeNode, TColumnIndex)> asked;
};

// "Docs" (with the child "a.txt") and "Pics" under the columns Name (main, own colour), Size (centred) and Note
// (right-to-left, left-aligned); the handler paints the size of "Pics" bold red.
struct TSampleTree : TExportTree {
  explicit TSampleTree(TComponent* owner = nullptr) : TExportTree(owner) {
    AddColumn(L"Name", 100, TAlignment::taLeftJustify);
    AddColumn(L"Size", 60, TAlignment::taCenter);
    TTreeColumn* note = AddColumn(L"Note", 80, TAlignment::taLeftJustify);
    note->SetBiDiMode(TBiDiMode::bdRightToLeft);
    TTreeColumn* name = Header()->Columns()->Items(0);
    name->SetOptions(name->Options() - O::coParentColor);
    name->SetColor(0xE0FFFF);
    docs = Add({L"Docs", L"12", L"x"});
    file = Add({L"a.txt", L"3", L""}, docs);
    pics = Add({L"Pics", L"7", L"y"});
    OnPaintText = [this](TBaseTree*, TCanvas* canvas, PTreeNode node, TColumnIndex column, TVSTTextType) {
      if (node == pics && column == 1) {
        canvas->Font()->SetStyle({TFontStyle::fsBold});
        canvas->Font()->SetColor(0x0000FF);
      }
    };
  }
  TTreeColumn* AddColumn(const String& text, int width, TAlignment alignment) {
    TTreeColumn* column = Header()->Columns()->Add();
    column->SetText(text);
    EXPECT_TRUE(column->SetWidth(width).Alive());
    column->SetAlignment(alignment);
    return column;
  }
  PTreeNode docs, file, pics;
};

// The RTF escapes of text, one per UTF-16 unit.
std::string U(const std::wstring& text) {
  std::string escaped;
  for (wchar_t c : text) escaped += "\\u" + std::to_string(static_cast<std::int16_t>(c)) + "\\'3f";
  return escaped;
}

std::string HtmlColor(COLORREF rgb) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
  return text;
}

std::string Twips(int pixels) { return std::to_string(MulDiv(pixels, 1440, Screen->PixelsPerInch())); }

std::string Bytes(HGLOBAL block) {
  TGlobalLock lock(block);
  return std::string(lock.As<char>(), lock.Size());
}

// The number after label in a CF_HTML header; -1 when the label is missing.
long long HeaderNumber(const std::string& data, const std::string& label) {
  std::size_t at = data.find(label);
  if (at == std::string::npos) return -1;
  return std::stoll(data.substr(at + label.size(), data.find("\r\n", at) - at - label.size()));
}

}  // namespace

TEST(ContentExport, TextOfTheSampleTree) {
  TSampleTree tree;
  EXPECT_EQ(tree.ContentToUnicode(Source::tstAll, L'\t'),
            L"Name\t\tSize\tNote\r\n"
            L"Docs\t\t12\tx\r\n"
            L"\ta.txt\t3\t\r\n"
            L"Pics\t\t7\ty\r\n");
  EXPECT_EQ(tree.ContentToText(Source::tstAll, L';'),
            "Name;;Size;Note\r\n"
            "Docs;;12;x\r\n"
            ";a.txt;3;\r\n"
            "Pics;;7;y\r\n");
}

TEST(ContentExport, RtfOfTheSampleTree) {
  TSampleTree tree;
  const std::string header = "\\pard\\intbl\\b\\f0\\cf1\\fs16 " + U(L"Name") + "\\b0\\cell" + "\\pard\\intbl\\qc\\b " +
                             U(L"Size") + "\\b0\\cell" + "\\pard\\intbl\\qr\\b " + U(L"Note") + "\\b0\\cell\\row";
  const std::string docs = "\\pard\\intbl\\f1\\cf2\\fs20 " + U(L"Docs") + "\\cell" + "\\pard\\intbl\\qc " + U(L"12") +
                           "\\cell" + "\\pard\\intbl\\qr " + U(L"x") + "\\cell\\row";
  const std::string file = "\\pard\\intbl\\tab " + U(L"a.txt") + "\\cell" + "\\pard\\intbl\\qc " + U(L"3") + "\\cell" +
                           "\\pard\\intbl\\qr\\cell\\row";
  const std::string pics = "\\pard\\intbl " + U(L"Pics") + "\\cell" + "\\pard\\intbl\\qc\\b\\cf3 " + U(L"7") +
                           "\\b0\\cell" + "\\pard\\intbl\\qr\\cf2 " + U(L"y") + "\\cell\\row";
  EXPECT_EQ(tree.ContentToRTF(Source::tstAll),
            "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1043{\\fonttbl{\\f0 Tahoma;}{\\f1 Arial;}}"
            "{\\colortbl;\\red0\\green0\\blue128;\\red0\\green0\\blue0;\\red255\\green0\\blue0;}"
            "\\uc1\\trowd\\trgaph70\\cellx" +
                Twips(100) + "\\cellx" + Twips(160) + "\\cellx" + Twips(240) + header + docs + file + pics +
                "\\pard\\par}");
}

TEST(ContentExport, HtmlOfTheSampleTree) {
  TSampleTree tree;
  const std::string face = HtmlColor(GetSysColor(COLOR_BTNFACE));
  const std::string cell = " <td class=\"normalborder\"  height=\"18px\"";
  EXPECT_EQ(tree.ContentToHTML(Source::tstAll),
            "<style type=\"text/css\">\r\n"
            ".default{font: 10pt Arial;color:#000000;}\r\n"
            ".header{font: bold 8pt Tahoma;color:#000080;}\r\n"
            ".noborder{border-style:dotted; border-bottom:1;border-left:0;border-right:0; border-top:0;"
            "padding-left:4px;padding-right:4px;}\r\n"
            ".normalborder {border-top:none; border-left:none; border-right:none;border-bottom:1 dotted;"
            "padding-left:4px;padding-right:4px;}</style>\r\n"
            "<table class=\"default\" bgcolor=#FFFFFF border=\"1\" frame=box cellspacing=\"0\" cellpadding=4>\r\n"
            "<tr class=\"header\" style=\"padding-left:4px;padding-right:4px;\">\r\n"
            "<th height=\"17px\" align=left colspan=\"2\" bgcolor=" +
                face + " width=\"100px\">Name</th><th height=\"17px\" align=center bgcolor=" + face +
                " width=\"60px\">Size</th><th height=\"17px\" dir=\"rtl\" align=right bgcolor=" + face +
                " width=\"80px\">Note</th></tr>\r\n"
                " <tr class=\"default\">\r\n" +
                cell + " align=left colspan=\"2\" bgcolor=#FFFFE0>Docs</td>" + cell + " align=center>12</td>" + cell +
                " dir=\"rtl\" align=right>x</td> </tr>\r\n"
                " <tr class=\"default\">\r\n"
                "<td class=\"noborder\" width=\"18\" height=\"18px\" bgcolor=#FFFFE0>&nbsp;</td>" +
                cell + " align=left bgcolor=#FFFFE0>a.txt</td>" + cell + " align=center>3</td>" + cell +
                " dir=\"rtl\" align=right></td> </tr>\r\n"
                " <tr class=\"default\">\r\n" +
                cell + " align=left colspan=\"2\" bgcolor=#FFFFE0>Pics</td>" +
                " <td class=\"normalborder\"  style=\"{font: bold 10pt Arial;color:#FF0000;}\" height=\"18px\""
                " align=center>7</td>" +
                cell +
                " dir=\"rtl\" align=right>y</td> </tr>\r\n"
                "</table>");
}

TEST(ContentExport, HtmlTableAttributesAndIndentationWithoutColumns) {
  TExportTree tree;
  PTreeNode top = tree.Add({L"top"});
  tree.Add({L"inner"}, tree.Add({L"mid"}, top));
  tree.SetBorderStyle(TBorderStyle::bsNone);
  tree.SetMargin(2);
  tree.TreeOptions()->SetPaintOptions({TTreePaintOption::toShowVertGridLines});
  tree.SetLineStyle(TLineStyle::lsSolid);
  const std::string html = tree.ContentToHTML(Source::tstAll, L"Q\"&A");
  EXPECT_NE(html.find(".noborder{border-style:none;padding-left:2px;padding-right:2px;}\r\n"), std::string::npos);
  EXPECT_NE(html.find("border-right:1 solid;border-bottom:none;padding-left:2px;padding-right:2px;}</style>"),
            std::string::npos);
  EXPECT_NE(html.find("bgcolor=#FFFFFF caption=\"Q&quot;&amp;A\" cellspacing=\"0\" cellpadding=2>\r\n"),
            std::string::npos);
  EXPECT_EQ(html.find("<th"), std::string::npos);
  const std::string cell = " <td class=\"normalborder\"  height=\"18px\" align=left";
  EXPECT_NE(html.find(" <tr class=\"default\">\r\n" + cell + " colspan=\"3\">top</td> </tr>"), std::string::npos);
  EXPECT_NE(html.find(" <td height=\"18px\">&nbsp;</td>" + cell + " colspan=\"2\">mid</td>"), std::string::npos);
  EXPECT_NE(html.find(" <td height=\"18px\">&nbsp;</td> <td>&nbsp;</td>" + cell + ">inner</td>"), std::string::npos);
}

TEST(ContentExport, NodeSources) {
  struct Case {
    const char* name;
    Source source;
    void (*prepare)(TSampleTree&);
    const wchar_t* expected;
  };
  const wchar_t* headerWithLevels = L"Name\t\tSize\tNote\r\n";
  const wchar_t* flatHeader = L"Name\tSize\tNote\r\n";
  const Case cases[] = {
      {"all", Source::tstAll, [](TSampleTree&) {}, L"Docs\t\t12\tx\r\n\ta.txt\t3\t\r\nPics\t\t7\ty\r\n"},
      // Docs got initialized when its child came; Pics is asked for its text; the child is never touched.
      {"initialized", Source::tstInitialized, [](TSampleTree& t) { t.Text(t.pics, 0); },
       L"Docs\t12\tx\r\nPics\t7\ty\r\n"},
      {"selected", Source::tstSelected,
       [](TSampleTree& t) {
         EXPECT_FALSE(t.AddToSelection(t.file).TreeGone());
         EXPECT_FALSE(t.AddToSelection(t.pics).TreeGone());
       },
       L"\ta.txt\t3\t\r\nPics\t\t7\ty\r\n"},
      {"cut/copy set, not the later selection", Source::tstCutCopySet,
       [](TSampleTree& t) {
         EXPECT_FALSE(t.AddToSelection(t.file).TreeGone());
         t.MarkCutCopyNodes(false);
         EXPECT_TRUE(t.ClearSelection().Alive());
         EXPECT_FALSE(t.AddToSelection(t.pics).TreeGone());
       },
       L"\ta.txt\t3\t\r\n"},
      {"visible, collapsed", Source::tstVisible, [](TSampleTree&) {}, L"Docs\t12\tx\r\nPics\t7\ty\r\n"},
      {"visible, expanded", Source::tstVisible,
       [](TSampleTree& t) { EXPECT_FALSE(t.SetExpanded(t.docs, true).TreeGone()); },
       L"Docs\t\t12\tx\r\n\ta.txt\t3\t\r\nPics\t\t7\ty\r\n"},
      {"nothing selected", Source::tstSelected, [](TSampleTree&) {}, L""},
  };
  for (const Case& c : cases) {
    TSampleTree tree;
    c.prepare(tree);
    const String text = tree.ContentToUnicode(c.source, L'\t');
    const bool deep = String(c.expected).find(L"\ta.txt") != String::npos;
    EXPECT_EQ(text, String(deep ? headerWithLevels : flatHeader) + c.expected) << c.name;
  }
}

TEST(ContentExport, ColumnsInPositionOrderWithoutHiddenOnes) {
  struct Case {
    const char* name;
    void (*arrange)(TSampleTree&);
    const wchar_t* expected;
  };
  const Case cases[] = {
      {"note moved first", [](TSampleTree& t) { t.Header()->Columns()->Items(2)->SetPosition(0); },
       L"Note\tName\t\tSize\r\nx\tDocs\t\t12\r\n\t\ta.txt\t3\r\ny\tPics\t\t7\r\n"},
      {"size hidden",
       [](TSampleTree& t) {
         TTreeColumn* size = t.Header()->Columns()->Items(1);
         size->SetOptions(size->Options() - O::coVisible);
       },
       L"Name\t\tNote\r\nDocs\t\tx\r\n\ta.txt\t\r\nPics\t\ty\r\n"},
      {"main column last", [](TSampleTree& t) { t.Header()->Columns()->Items(0)->SetPosition(2); },
       L"Size\tNote\tName\r\n12\tx\tDocs\t\r\n3\t\t\ta.txt\r\n7\ty\tPics\t\r\n"},
      {"size is the main column", [](TSampleTree& t) { EXPECT_TRUE(t.Header()->SetMainColumn(1).Alive()); },
       L"Name\tSize\t\tNote\r\nDocs\t12\t\tx\r\na.txt\t\t3\t\r\nPics\t7\t\ty\r\n"},
  };
  for (const Case& c : cases) {
    TSampleTree tree;
    c.arrange(tree);
    EXPECT_EQ(tree.ContentToUnicode(Source::tstAll, L'\t'), c.expected) << c.name;
  }
  TSampleTree tree;
  tree.Header()->Columns()->Items(2)->SetPosition(0);
  const std::string html = tree.ContentToHTML(Source::tstAll);
  EXPECT_LT(html.find(">Note</th>"), html.find(">Name</th>"));
  const std::string rtf = tree.ContentToRTF(Source::tstAll);
  EXPECT_NE(rtf.find("\\cellx" + Twips(80) + "\\cellx" + Twips(180) + "\\cellx" + Twips(240)), std::string::npos);
  EXPECT_LT(rtf.find(U(L"Note")), rtf.find(U(L"Name")));
}

TEST(ContentExport, TextsThatNeedEscaping) {
  struct Case {
    const char* name;
    std::wstring text;
    std::wstring tabbed;  // the cell in tab-separated text
    std::string html;     // the cell's content in HTML
    std::string rtf;      // the text run's characters
  };
  const Case cases[] = {
      {"markup", L"<b>&amp;</b>", L"<b>&amp;</b>", "&lt;b&gt;&amp;amp;&lt;/b&gt;", U(L"<b>&amp;</b>")},
      {"quotes inside", L"say \"hi\"", L"say \"hi\"", "say &quot;hi&quot;",
       "\\u115\\'3f\\u97\\'3f\\u121\\'3f\\u32\\'3f"
       "\\u34\\'3f\\u104\\'3f\\u105\\'3f\\u34\\'3f"},
      {"leading quote", L"\"a", L"\"\"\"a\"", "&quot;a", "\\u34\\'3f\\u97\\'3f"},
      {"separator", L"a\tb", L"\"a\tb\"", "a\tb", "\\u97\\'3f\\u9\\'3f\\u98\\'3f"},
      {"line break", L"one\r\ntwo", L"\"one\r\ntwo\"", "one\r\ntwo", U(L"one") + "\\u13\\'3f\\u10\\'3f" + U(L"two")},
      {"braces and backslash", L"{\\par}", L"{\\par}", "{\\par}",
       "\\u123\\'3f\\u92\\'3f\\u112\\'3f\\u97\\'3f\\u114\\'3f\\u125\\'3f"},
      {"non-ASCII", L"\u00E9\u4E2D", L"\u00E9\u4E2D", "\xC3\xA9\xE4\xB8\xAD", "\\u233\\'3f\\u20013\\'3f"},
      {"above 32767", L"\uFF01", L"\uFF01", "\xEF\xBC\x81", "\\u-255\\'3f"},
      {"surrogate pair", L"\U0001F600", L"\U0001F600", "\xF0\x9F\x98\x80", "\\u-10179\\'3f\\u-8704\\'3f"},
      // Invalid UTF-16 becomes the replacement character, never bytes that are not UTF-8.
      {"lone surrogate",
       L"a\xD800"
       L"b",
       L"a\xD800"
       L"b",
       "a\xEF\xBF\xBD"
       "b",
       "\\u97\\'3f\\u-10240\\'3f\\u98\\'3f"},
  };
  for (const Case& c : cases) {
    TExportTree tree;
    tree.Add({c.text});
    EXPECT_EQ(tree.ContentToUnicode(Source::tstAll, L'\t'), c.tabbed + L"\r\n") << c.name;
    EXPECT_NE(tree.ContentToHTML(Source::tstAll).find(" align=left>" + c.html + "</td> </tr>"), std::string::npos)
        << c.name;
    EXPECT_NE(tree.ContentToRTF(Source::tstAll).find("\\fs20 " + c.rtf + "\\cell\\row"), std::string::npos) << c.name;
  }
  // The separator of the call decides what is quoted.
  TExportTree tree;
  tree.Add({L"a,b"});
  tree.Add({L"a;b"});
  EXPECT_EQ(tree.ContentToText(Source::tstAll, L','), "\"a,b\"\r\na;b\r\n");
  // Readers of the text formats stop at a NUL: one inside a text is exported as a space, the rest still follows.
  TExportTree withNul;
  withNul.Add({std::wstring(L"a\0b", 3)});
  EXPECT_EQ(withNul.ContentToUnicode(Source::tstAll, L'\t'), L"a b\r\n");
  EXPECT_EQ(withNul.ContentToText(Source::tstAll, L'\t'), "a b\r\n");
  // So do the HTML table and the "HTML Format" block, whose readers stop at a NUL just the same.
  const std::string html = withNul.ContentToHTML(Source::tstAll, std::wstring(L"c\0d", 3));
  EXPECT_EQ(html.find('\0'), std::string::npos);
  EXPECT_NE(html.find(" align=left>a b</td>"), std::string::npos) << html;
  EXPECT_NE(html.find("caption=\"c d\""), std::string::npos) << html;
  EXPECT_TRUE(withNul.SelectAll(false).Alive());
  HGLOBAL block = withNul.ContentToClipboard(HTMLFormat, Source::tstSelected);
  ASSERT_NE(block, nullptr);
  const std::string cfHtml = Bytes(block);
  GlobalFree(block);
  EXPECT_EQ(cfHtml.find('\0'), cfHtml.size() - 1) << "the terminator alone";
  // The system code page: what it can hold as its own bytes, the rest as its default character.
  if (GetACP() == 1252) {
    TExportTree ansi;
    ansi.Add({L"\u00E9\u4E2D"});
    EXPECT_EQ(ansi.ContentToText(Source::tstAll, L'\t'), "\xE9?\r\n");
  }
}

TEST(ContentExport, HostileNamesStayInsideTheirPlace) {
  TExportTree tree;
  tree.Add({L"x"});
  tree.Font()->SetName(L"A;}{\\f9 B</style>\"");
  const std::string html = tree.ContentToHTML(Source::tstAll);
  EXPECT_NE(html.find(".default{font: 10pt Af9 B/style;color:#000000;}"), std::string::npos);
  EXPECT_EQ(html.find("</style>"), html.rfind("</style>"));
  const std::string rtf = tree.ContentToRTF(Source::tstAll);
  EXPECT_NE(rtf.find("{\\fonttbl{\\f0 A\\u59\\'3f\\u125\\'3f\\u123\\'3f\\u92\\'3ff9 B</style>\";}}"), std::string::npos)
      << rtf;
}

TEST(ContentExport, CfHtmlOffsetsReadBack) {
  for (const std::string& fragment : {std::string(), std::string("<b>x</b>"), std::string("\xC3\xA9\xF0\x9F\x98\x80")}) {
    const std::string data = MakeCFHtml(fragment);
    EXPECT_EQ(data.substr(0, 13), "Version:1.0\r\n");
    const long long startHtml = HeaderNumber(data, "StartHTML:");
    const long long endHtml = HeaderNumber(data, "EndHTML:");
    const long long startFragment = HeaderNumber(data, "StartFragment:");
    const long long endFragment = HeaderNumber(data, "EndFragment:");
    EXPECT_EQ(startHtml, 97);
    EXPECT_EQ(startFragment, 269);
    EXPECT_EQ(endFragment, 269 + static_cast<long long>(fragment.size()));
    EXPECT_EQ(endHtml, endFragment + 32);
    EXPECT_EQ(endHtml, static_cast<long long>(data.size()));
    EXPECT_EQ(data.substr(startHtml, 10), "<!DOCTYPE ");
    EXPECT_EQ(data.substr(startFragment, endFragment - startFragment), fragment);
    EXPECT_EQ(data.substr(startFragment - 20, 20), "<!--StartFragment-->");
    EXPECT_EQ(data.substr(endFragment), "<!--EndFragment--></body></html>");
    EXPECT_NE(data.find("StartHTML:00000097\r\n"), std::string::npos);
  }
  // A document beyond eight digits widens every number alike, and the offsets still hold.
  const std::string large(100'000'000, 'x');
  const std::string data = MakeCFHtml(large);
  EXPECT_NE(data.find("StartHTML:000000101\r\n"), std::string::npos);
  const long long startFragment = HeaderNumber(data, "StartFragment:");
  EXPECT_EQ(data.substr(startFragment - 20, 20), "<!--StartFragment-->");
  EXPECT_EQ(HeaderNumber(data, "EndHTML:"), static_cast<long long>(data.size()));
  EXPECT_EQ(data.substr(HeaderNumber(data, "EndFragment:"), 18), "<!--EndFragment-->");
}

TEST(ContentExport, ClipboardBlocksOfEveryFormat) {
  TSampleTree tree;
  EXPECT_FALSE(tree.AddToSelection(tree.docs).TreeGone());
  const String unicode = tree.ContentToUnicode(Source::tstSelected, L'\t');
  wchar_t list[4] = {};
  GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SLIST, list, 4);
  struct Case {
    const char* name;
    CLIPFORMAT format;
    std::string expected;
  };
  const Case cases[] = {
      {"text", CF_TEXT, tree.ContentToText(Source::tstSelected, L'\t') + '\0'},
      {"unicode", CF_UNICODETEXT,
       std::string(reinterpret_cast<const char*>(unicode.c_str()), (unicode.size() + 1) * sizeof(wchar_t))},
      {"csv", CSVFormat, tree.ContentToText(Source::tstSelected, list[0]) + '\0'},
      {"rtf", RTFFormat, tree.ContentToRTF(Source::tstSelected) + '\0'},
      {"rtf without objects", RTFNoObjectsFormat, tree.ContentToRTF(Source::tstSelected) + '\0'},
      {"html", HTMLFormat, MakeCFHtml(tree.ContentToHTML(Source::tstSelected)) + '\0'},
  };
  for (const Case& c : cases) {
    HGLOBAL block = tree.ContentToClipboard(c.format, Source::tstSelected);
    ASSERT_NE(block, nullptr) << c.name;
    EXPECT_EQ(Bytes(block), c.expected) << c.name;
    GlobalFree(block);
  }
  EXPECT_EQ(tree.ContentToClipboard(TreeDataFormat, Source::tstSelected), nullptr);
  EXPECT_EQ(tree.ContentToClipboard(CF_BITMAP, Source::tstSelected), nullptr);
  // Nothing to export still yields the terminator alone.
  TExportTree empty;
  HGLOBAL block = empty.ContentToClipboard(CF_UNICODETEXT, Source::tstAll);
  EXPECT_EQ(Bytes(block), std::string(2, '\0'));
  GlobalFree(block);
}

// The formats on the clipboard, as the window clipboard holds them once OLE has handed them over.
std::string ClipboardBytes(CLIPFORMAT format) {
  if (!OpenClipboard(nullptr)) return "not opened";
  HANDLE data = GetClipboardData(format);
  std::string bytes = data ? Bytes(data) : std::string();
  CloseClipboard();
  return bytes;
}

TEST(ContentExport, RealClipboardRoundTrip) {
  std::string expected[3];
  const CLIPFORMAT formats[] = {CF_UNICODETEXT, HTMLFormat, RTFFormat};
  auto owner = std::make_unique<TComponent>(nullptr);
  auto* tree = new TSampleTree(owner.get());
  EXPECT_FALSE(tree->AddToSelection(tree->file).TreeGone());
  EXPECT_FALSE(tree->AddToSelection(tree->pics).TreeGone());
  for (int i = 0; i < 3; ++i) {
    HGLOBAL block = tree->ContentToClipboard(formats[i], Source::tstSelected);
    expected[i] = Bytes(block);
    GlobalFree(block);
  }
  tree->CopyToClipboard();
  // The clipboard keeps what was copied, not what is selected now.
  EXPECT_TRUE(tree->ClearSelection().Alive());
  EXPECT_FALSE(tree->AddToSelection(tree->docs).TreeGone());
  ComPtr<IDataObject> clipboard;
  ASSERT_EQ(OleGetClipboard(&clipboard), S_OK);
  const CLIPFORMAT all[] = {CF_TEXT, CF_UNICODETEXT, CSVFormat, RTFFormat, RTFNoObjectsFormat, HTMLFormat};
  for (CLIPFORMAT format : all) {
    FORMATETC request{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    TStgMedium medium;
    ASSERT_EQ(clipboard->GetData(&request, medium.ReleaseAndGetAddressOf()), S_OK) << format;
    EXPECT_EQ(medium.Get().tymed, static_cast<DWORD>(TYMED_HGLOBAL));
    const std::string bytes = Bytes(medium.Get().hGlobal);
    const bool rtf = format == RTFFormat || format == RTFNoObjectsFormat;
    const std::string pics = format == CF_UNICODETEXT ? std::string("P\0i\0c\0s", 7) : rtf ? U(L"Pics") : "Pics";
    const std::string docs = rtf ? U(L"Docs") : "Docs";
    EXPECT_NE(bytes.find(pics), std::string::npos) << format;
    EXPECT_EQ(bytes.find(docs), std::string::npos) << format;
    for (int i = 0; i < 3; ++i)
      if (format == formats[i]) {
        EXPECT_EQ(bytes, expected[i]);
      }
  }
  clipboard.Reset();
  // The owner frees the tree while its texts (and the handlers' data) still exist: the formats stay on the
  // clipboard.
  owner.reset();
  for (int i = 0; i < 3; ++i) EXPECT_EQ(ClipboardBytes(formats[i]), expected[i]) << formats[i];
}

TEST(ContentExport, TreeWithoutOwnerLeavesItsTextOnTheClipboard) {
  String text = L"kept";
  {
    TStringTree tree(nullptr);
    tree.OnGetText = [&text](TBaseTree*, PTreeNode, TColumnIndex, TVSTTextType, String& cell) { cell = text; };
    EXPECT_FALSE(tree.SetSelected(tree.AddChild(nullptr), true).TreeGone());
    tree.CopyToClipboard();
  }
  EXPECT_EQ(ClipboardBytes(CF_TEXT), std::string("kept\r\n", 7));
}

TEST(ContentExport, DragDataTakesTheSelectionAndSurvivesFailingHandlers) {
  TSampleTree tree;
  EXPECT_FALSE(tree.AddToSelection(tree.pics).TreeGone());
  ComPtr<IDataObject> drag = new TTreeDataObject(&tree, false);
  FORMATETC request{CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  TStgMedium medium;
  ASSERT_EQ(drag->GetData(&request, medium.ReleaseAndGetAddressOf()), S_OK);
  const String text = String(TGlobalLock(medium.Get().hGlobal).As<wchar_t>());
  EXPECT_EQ(text, L"Name\tSize\tNote\r\nPics\t7\ty\r\n");
  // A stream is not how text formats come.
  request.tymed = TYMED_ISTREAM;
  EXPECT_NE(drag->GetData(&request, medium.ReleaseAndGetAddressOf()), S_OK);
  tree.failText = true;
  request.tymed = TYMED_HGLOBAL;
  EXPECT_EQ(drag->GetData(&request, medium.ReleaseAndGetAddressOf()), E_UNEXPECTED);
  EXPECT_TRUE(medium.Empty());
}

// A handler of the export that deletes the node it is asked about, one that comes later or one already written,
// clears or frees the tree: a row whose node went before it was whole is left out, and so is every node gone
// before its row came, in every format; the freed blocks are guarded, so that a touch of one faults. The nodes
// after one that OnInitChildren (raised as the export goes through the nodes) deletes, with or without its
// parent, are there.
TEST(ContentExport, NodesFreedByItsHandlersAreLeftOut) {
  enum class THandler { Text, Font, Children };
  enum class TVictim { Asked, Later, Written, Every, Tree };
  enum class TFormat { Text, Rtf, Html };
  struct TCase {
    THandler Handler;
    const wchar_t* AskedRow;
    TColumnIndex Column;
    TVictim Victim;
    std::vector<std::wstring> Rows;  // the rows left, by their names
    unsigned RootsLeft;
  } cases[] = {
      {THandler::Text, L"Pics", 1, TVictim::Asked, {L"Docs", L"a.txt"}, 1},
      {THandler::Text, L"Docs", 0, TVictim::Later, {L"Docs", L"Pics"}, 2},
      {THandler::Text, L"a.txt", 2, TVictim::Written, {L"Docs", L"Pics"}, 1},
      {THandler::Text, L"Docs", 1, TVictim::Every, {}, 0},
      {THandler::Text, L"Pics", 2, TVictim::Tree, {}, 0},
      {THandler::Font, L"Pics", 0, TVictim::Asked, {L"Docs", L"a.txt"}, 1},
      {THandler::Font, L"a.txt", 1, TVictim::Written, {L"Docs", L"Pics"}, 1},
      {THandler::Font, L"Docs", 2, TVictim::Tree, {}, 0},
      {THandler::Children, L"a.txt", NoColumn, TVictim::Asked, {L"Docs", L"Pics"}, 2},
      {THandler::Children, L"a.txt", NoColumn, TVictim::Written, {L"Pics"}, 1},
  };
  const std::wstring names[] = {L"Docs", L"a.txt", L"Pics"};
  for (const TCase& c : cases)
    for (TFormat format : {TFormat::Text, TFormat::Rtf, TFormat::Html}) {
      // Only the formats with fonts ask for them.
      if (c.Handler == THandler::Font && format == TFormat::Text) continue;
      SCOPED_TRACE(testing::Message() << "row " << (&c - cases) << ", format " << static_cast<int>(format));
      TNodeSlab::SetGuardFreedBlocks(true);
      auto* tree = new TSampleTree;
      TNodeSlab::SetGuardFreedBlocks(false);
      const std::map<std::wstring, PTreeNode> rows = {{L"Docs", tree->docs}, {L"a.txt", tree->file},
                                                      {L"Pics", tree->pics}};
      bool done = false;
      auto act = [&](PTreeNode node, TColumnIndex column) {
        if (done || node != rows.at(c.AskedRow) || column != c.Column) return false;
        done = true;
        switch (c.Victim) {
          case TVictim::Asked:
            EXPECT_TRUE(tree->DeleteNode(node).Alive());
            return false;
          case TVictim::Later:
            EXPECT_TRUE(tree->DeleteNode(tree->file).Alive());
            return false;
          case TVictim::Written:
            EXPECT_TRUE(tree->DeleteNode(tree->docs).Alive());
            return false;
          case TVictim::Every:
            EXPECT_TRUE(tree->Clear().Alive());
            return false;
          case TVictim::Tree:
            delete tree;
            return true;
        }
        return false;
      };
      if (c.Handler == THandler::Text) {
        tree->asked = act;
      } else if (c.Handler == THandler::Children) {
        EXPECT_FALSE(tree->SetHasChildren(tree->file, true).TreeGone());
        tree->OnInitChildren = [&act](TBaseTree*, PTreeNode node, std::uint32_t&) { act(node, NoColumn); };
      } else {
        tree->OnPaintText = [&act](TBaseTree*, TCanvas*, PTreeNode node, TColumnIndex column, TVSTTextType) {
          act(node, column);
        };
      }
      std::string out;
      std::wstring text;
      if (format == TFormat::Text) text = tree->ContentToUnicode(Source::tstAll, L'\t');
      if (format == TFormat::Rtf) out = tree->ContentToRTF(Source::tstAll);
      if (format == TFormat::Html) out = tree->ContentToHTML(Source::tstAll);
      ASSERT_TRUE(done);
      if (c.Victim == TVictim::Tree) {
        EXPECT_TRUE(out.empty() && text.empty());
        continue;
      }
      auto has = [&](const std::wstring& name) {
        if (format == TFormat::Text) return text.find(name) != std::wstring::npos;
        return out.find(format == TFormat::Rtf ? U(name) : std::string(name.begin(), name.end())) != std::string::npos;
      };
      auto count = [](const auto& whole, const auto& part) {
        std::size_t n = 0;
        for (std::size_t at = whole.find(part); at != whole.npos; at = whole.find(part, at + 1)) ++n;
        return n;
      };
      for (const std::wstring& name : names) {
        EXPECT_EQ(has(name), std::find(c.Rows.begin(), c.Rows.end(), name) != c.Rows.end())
            << std::string(name.begin(), name.end());
      }
      // The header's row and one whole row per node left.
      if (format == TFormat::Text) {
        EXPECT_EQ(count(text, std::wstring(L"\r\n")), c.Rows.size() + 1);
      }
      if (format == TFormat::Rtf) {
        EXPECT_EQ(count(out, std::string("\\row")), c.Rows.size() + 1) << out;
        EXPECT_EQ(count(out, std::string("\\cell")), 3 * (c.Rows.size() + 1) + 3) << out;
      }
      if (format == TFormat::Html) {
        EXPECT_EQ(count(out, std::string("<tr")), c.Rows.size() + 1) << out;
        EXPECT_EQ(count(out, std::string("</tr>")), c.Rows.size() + 1) << out;
      }
      EXPECT_EQ(tree->RootNodeCount(), c.RootsLeft);
      delete tree;
    }
}

TEST(ContentExport, RichEditReadsTheTableBack) {
  ASSERT_NE(LoadLibraryW(L"riched20.dll"), nullptr);
  TExportTree tree;
  tree.Header()->Columns()->Add()->SetText(L"H{1}");
  tree.Header()->Columns()->Add()->SetText(L"\u00E9\\");
  tree.Add({L"a\U0001F600", L"<&>"});
  tree.Add({L"kid", L"k"}, tree.Add({L"\uFF01\u4E2D", L"x"}));
  tree.Add({L"l1\r\nl2", L"z"});
  tree.Add({L"last", L"w"});
  const std::string rtf = tree.ContentToRTF(Source::tstAll);
  HWND edit = CreateWindowExW(0, RICHEDIT_CLASSW, L"", WS_POPUP | ES_MULTILINE, 0, 0, 400, 200, nullptr, nullptr,
                              nullptr, nullptr);
  ASSERT_NE(edit, nullptr);
  SETTEXTEX settings{ST_DEFAULT, CP_ACP};
  SendMessageW(edit, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&settings), reinterpret_cast<LPARAM>(rtf.c_str()));
  wchar_t buffer[256] = {};
  GetWindowTextW(edit, buffer, 256);
  DestroyWindow(edit);
  // Each row a paragraph of its cells, each cell ended by a tab, nothing added to any text; a line break stays
  // inside its cell.
  const String text = buffer;
  for (const wchar_t* row : {L"\nH{1}\t\u00E9\\\t", L"\na\U0001F600\t<&>\t", L"\n\uFF01\u4E2D\tx\t", L"\n\tkid\tk\t",
                             L"\nl1\r\nl2\tz\t", L"\nlast\tw\t"})
    EXPECT_NE(text.find(row), String::npos) << WideToUtf8(text);
}

}  // namespace tree_test
