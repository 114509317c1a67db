#include "framework/xml_document.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "framework/exceptions.h"
#include "framework/streams.h"

namespace {

void Fill(TMemoryStream& stream, const std::string& bytes) {
  if (!bytes.empty()) stream.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  stream.SetPosition(0);
}

void Load(TXMLDocument& document, const std::string& bytes) {
  TMemoryStream stream;
  Fill(stream, bytes);
  document.LoadFromStream(stream);
}

const char* const kCatalogue =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<catalogue version=\"2\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n"
    "  <book id=\"7\" lang=\"en\">\n"
    "    <title>Caf\xC3\xA9 days</title>\n"
    "    <dc:date>2004-05-06</dc:date>\n"
    "    <note>  <![CDATA[<b>bold</b> & more]]>  </note>\n"
    "    <mixed>one<br/>two</mixed>\n"
    "    <empty/>\n"
    "  </book>\n"
    "  <book id=\"x\"/>\n"
    "</catalogue>\n";

}  // namespace

TEST(XMLDocument, WalksElementsAttributesAndText) {
  TXMLDocument document;
  Load(document, kCatalogue);
  TXMLNode root = document.DocumentElement();
  ASSERT_FALSE(root.IsNull());
  EXPECT_EQ(root.NodeName(), L"catalogue");
  EXPECT_EQ(root.NodeType(), TNodeType::ntElement);
  // White space between elements is not kept, so only the two books are children.
  ASSERT_EQ(root.ChildNodes().Count(), 2);
  EXPECT_EQ(root.Attributes(L"version").AsString(), L"2");

  TXMLNode book = root.ChildNodes().Nodes(0);
  EXPECT_EQ(book.Attributes(L"id").AsInteger(), 7);
  EXPECT_TRUE(book.HasAttribute(L"lang"));
  EXPECT_FALSE(book.HasAttribute(L"title"));
  EXPECT_EQ(book.AttributeNodes().Count(), 2);
  EXPECT_EQ(book.AttributeNodes().Nodes(1).NodeName(), L"lang");
  EXPECT_EQ(book.AttributeNodes().Nodes(1).NodeType(), TNodeType::ntAttribute);

  TXMLNodeList fields = book.ChildNodes();
  ASSERT_EQ(fields.Count(), 5);
  const wchar_t* names[] = {L"title", L"dc:date", L"note", L"mixed", L"empty"};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(fields.Nodes(i).NodeName(), names[i]) << i;
  // Walking back and forth by index gives the same nodes as walking forward.
  EXPECT_EQ(fields.Nodes(3).NodeName(), L"mixed");
  EXPECT_EQ(fields.Nodes(1).NodeName(), L"dc:date");
  EXPECT_THROW(fields.Nodes(5), EListError);
  EXPECT_THROW(fields.Nodes(-1), EListError);

  EXPECT_TRUE(fields.Nodes(L"title").IsTextElement());
  EXPECT_EQ(fields.Nodes(L"title").NodeValue().AsString(), L"Caf\u00E9 days");
  EXPECT_EQ(fields.Nodes(L"dc:date").NodeValue().AsString(), L"2004-05-06");
  TXMLNode note = fields.FindNode(L"note");
  EXPECT_TRUE(note.IsTextElement());
  EXPECT_EQ(note.NodeValue().AsString(), L"<b>bold</b> & more");
  EXPECT_EQ(note.XML(), L"<note><![CDATA[<b>bold</b> & more]]></note>");

  TXMLNode mixed = fields.FindNode(L"mixed");
  EXPECT_FALSE(mixed.IsTextElement());
  EXPECT_EQ(mixed.XML(), L"<mixed>one<br/>two</mixed>");
  EXPECT_THROW(mixed.NodeValue(), EXMLDocError);
  EXPECT_TRUE(fields.FindNode(L"empty").NodeValue().IsNull());
  EXPECT_TRUE(fields.FindNode(L"absent").IsNull());

  // Only a text element has a text, whether asked for a copy or for a view; the text node itself has none.
  const struct {
    TXMLNode Node;
    const wchar_t* Text;
  } texts[] = {
      {fields.Nodes(0), L"Caf\u00E9 days"}, {note, L"<b>bold</b> & more"}, {mixed, nullptr},
      {fields.FindNode(L"empty"), nullptr}, {note.FirstChild(), nullptr},  {book.AttributeNodes().Nodes(0), nullptr}};
  for (const auto& c : texts) {
    std::optional<String> copy = c.Node.ElementText();
    String viewed = L"-";
    const bool read = c.Node.ReadElementText([&](std::wstring_view text) { viewed = String(text); });
    EXPECT_EQ(copy.has_value(), c.Text != nullptr) << c.Node.NodeName();
    EXPECT_EQ(read, c.Text != nullptr) << c.Node.NodeName();
    EXPECT_EQ(copy.value_or(L"-"), c.Text ? c.Text : L"-") << c.Node.NodeName();
    EXPECT_EQ(viewed, c.Text ? c.Text : L"-") << c.Node.NodeName();
  }
}

TEST(XMLDocument, MissingAttributesRaiseOnlyWhenConverted) {
  TXMLDocument document;
  Load(document, kCatalogue);
  TXMLNode book = document.DocumentElement().ChildNodes().Nodes(0);
  TXMLValue missing = book.Attributes(L"isbn");
  EXPECT_TRUE(missing.IsNull());
  EXPECT_THROW(missing.AsString(), EVariantError);
  EXPECT_THROW(missing.AsInteger(), EVariantError);

  TXMLNode second = document.DocumentElement().ChildNodes().Nodes(1);
  EXPECT_THROW(second.Attributes(L"id").AsInteger(), EConvertError);

  // Without the null option a missing attribute reads as empty text.
  TXMLDocument lenient;
  lenient.SetOptions({TXMLDocOption::doNodeAutoCreate});
  Load(lenient, kCatalogue);
  EXPECT_EQ(lenient.DocumentElement().Attributes(L"isbn").AsString(), L"");
}

TEST(XMLDocument, LookupByNameCreatesMissingElementsOnlyWhenAsked) {
  TXMLDocument document;
  Load(document, "<rss><other/></rss>");
  TXMLNode root = document.DocumentElement();
  TXMLNode channel = root.ChildNodes().Nodes(L"channel");
  ASSERT_FALSE(channel.IsNull());
  EXPECT_EQ(channel.NodeName(), L"channel");
  EXPECT_FALSE(channel.HasChildNodes());
  EXPECT_EQ(root.ChildNodes().Count(), 2);
  EXPECT_EQ(root.ChildNodes().Nodes(1).NodeName(), L"channel");
  EXPECT_NE(document.XML().find(L"<channel/>"), String::npos);
  // The second lookup finds the element created by the first.
  root.ChildNodes().Nodes(L"channel");
  EXPECT_EQ(root.ChildNodes().Count(), 2);

  TXMLDocument strict;
  strict.SetOptions({});
  Load(strict, "<rss><other/></rss>");
  EXPECT_THROW(strict.DocumentElement().ChildNodes().Nodes(L"channel"), EXMLDocError);
  EXPECT_EQ(strict.DocumentElement().ChildNodes().Count(), 1);
}

TEST(XMLDocument, LoadsFromTheStreamPosition) {
  std::string prefix = "not xml at all";
  TMemoryStream stream;
  Fill(stream, prefix + "<doc><a>1</a></doc>");
  stream.SetPosition(static_cast<int64_t>(prefix.size()));
  TXMLDocument document;
  document.LoadFromStream(stream);
  EXPECT_EQ(document.DocumentElement().NodeName(), L"doc");
  EXPECT_EQ(document.XML().find(L"not xml"), String::npos);
}

TEST(XMLDocument, TranscodesEncodingsTheDOMRefuses) {
  // "Привет" in KOI8-R, in windows-1251, and "あ" in Shift_JIS.
  struct Case {
    const char* encoding;
    std::string text;
    const wchar_t* expected;
  } cases[] = {
      {"KOI8-R", "\xF0\xD2\xC9\xD7\xC5\xD4", L"\u041F\u0440\u0438\u0432\u0435\u0442"},
      {"koi8-r", "\xF0\xD2\xC9\xD7\xC5\xD4", L"\u041F\u0440\u0438\u0432\u0435\u0442"},
      {"windows-1251", "\xCF\xF0\xE8\xE2\xE5\xF2", L"\u041F\u0440\u0438\u0432\u0435\u0442"},
      {"Shift_JIS", "\x82\xA0", L"\u3042"},
  };
  for (const Case& c : cases) {
    TXMLDocument document;
    Load(document, std::string("<?xml version=\"1.0\" encoding='") + c.encoding + "'?><r a=\"" + c.text + "\"><t>" +
                       c.text + "</t></r>");
    TXMLNode root = document.DocumentElement();
    EXPECT_EQ(root.ChildNodes().Nodes(L"t").NodeValue().AsString(), c.expected) << c.encoding;
    EXPECT_EQ(root.Attributes(L"a").AsString(), c.expected) << c.encoding;
  }
}

TEST(XMLDocument, ParseErrorsRaise) {
  const char* broken[] = {
      "",
      "<feed><title>cut off",
      "<html><body><p>one<br></body></html>",
      "<?xml version=\"1.0\" encoding=\"KOI8-R\"?><r><a></r>",
      "<?xml version=\"1.0\" encoding=\"no-such-charset\"?><r/>",
  };
  for (const char* text : broken) {
    TXMLDocument document;
    EXPECT_THROW(Load(document, text), EDOMParseError) << text;
  }
}

namespace {

// ASCII text as UTF-16 in either byte order, with or without a byte-order mark.
std::string Utf16(const std::string& ascii, bool bigEndian, bool mark) {
  std::string bytes = mark ? (bigEndian ? "\xFE\xFF" : "\xFF\xFE") : "";
  for (char c : ascii) {
    bytes += bigEndian ? '\0' : c;
    bytes += bigEndian ? c : '\0';
  }
  return bytes;
}

}  // namespace

// Entity references in attribute values are expanded by the DOM without limit, so a document type whose internal
// subset declares entities is refused before parsing, in any encoding; text elsewhere that only looks like a
// declaration, and external definitions, load.
TEST(XMLDocument, DocumentTypesDeclaringEntitiesAreRefused) {
  const std::string declared = "<!DOCTYPE r [<!ENTITY e \"x\">]><r a=\"&e;\"/>";
  const std::string refused[] = {
      declared,
      "<?xml version=\"1.0\"?>\r\n<!-- first --><?pi x?>\n" + declared,
      "\xEF\xBB\xBF" + declared,
      "<?xml version=\"1.0\" encoding=\"KOI8-R\"?>" + declared,
      "<!DOCTYPE r SYSTEM \"r.dtd\" [<!ELEMENT r ANY><!ENTITY % p \"x\">]><r/>",
      "<!DOCTYPE r [<!-- ] > --><!ATTLIST r a CDATA \"]>\"><?x ]>?><!ENTITY e \"x\">]><r/>",
      Utf16(declared, false, true),
      Utf16(declared, true, true),
      Utf16(declared, false, false),
      Utf16("\r\n " + declared, false, false),
      Utf16("<?xml version=\"1.0\" encoding=\"UTF-16\"?>" + declared, true, false),
      // The same in EBCDIC.
      "\x4C\x6F\xA7\x94\x93\x40\xA5\x85\x99\xA2\x89\x96\x95\x7E\x7F\xF1\x4B\xF0\x7F\x40\x85\x95\x83\x96\x84\x89\x95\x87"
      "\x7E\x7F\xC9\xC2\xD4\xF0\xF3\xF7\x7F\x6F\x6E\x25\x4C\x5A\xC4\xD6\xC3\xE3\xE8\xD7\xC5\x40\x99\x40\xBA\x4C\x5A\xC5"
      "\xD5\xE3\xC9\xE3\xE8\x40\x85\x40\x7F\xA7\xA8\xA9\x7F\x6E\xBB\x6E\x4C\x99\x40\x81\x7E\x7F\x50\x85\x5E\x50\x85\x5E"
      "\x7F\x61\x6E",
  };
  for (const std::string& bytes : refused) {
    TXMLDocument document;
    Load(document, "<previous/>");
    try {
      Load(document, bytes);
      ADD_FAILURE() << "loaded: " << bytes;
    } catch (const EDOMParseError& error) {
      // Refused before parsing, not failed by the parser.
      EXPECT_NE(error.Message().find(L"declares entities"), String::npos) << bytes;
    }
    EXPECT_TRUE(document.DocumentElement().IsNull()) << bytes;
  }
  const std::string accepted[] = {
      "<!DOCTYPE r SYSTEM \"http://x.example/r.dtd\"><r/>",
      "<!DOCTYPE r PUBLIC \"-//x//r//EN\" \"r.dtd\"><r/>",
      "<!DOCTYPE r [<!ELEMENT r ANY>]><r/>",
      "<!DOCTYPE r [<!-- <!ENTITY e \"x\"> --><?x <!ENTITY?><!ATTLIST r a CDATA \"&#60;!ENTITY\">]><r/>",
      "<r><![CDATA[<!DOCTYPE r [<!ENTITY e \"x\">]>]]></r>",
      Utf16("<!DOCTYPE r SYSTEM \"r.dtd\"><r/>", false, true),
  };
  for (const std::string& bytes : accepted) {
    TXMLDocument document;
    EXPECT_NO_THROW(Load(document, bytes)) << bytes;
    EXPECT_EQ(document.DocumentElement().NodeName(), L"r") << bytes;
  }
}

// Randomly mutated prologs in several encodings: only the parser's error comes out, and a refused document type
// never leaves a document behind.
TEST(XMLDocument, MutatedPrologs) {
  std::mt19937 random(20261207);
  auto pick = [&](size_t size) { return std::uniform_int_distribution<size_t>(0, size == 0 ? 0 : size - 1)(random); };
  const std::string samples[] = {
      "<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY e \"x\">]><r a=\"&e;\"/>",
      "<!DOCTYPE r SYSTEM \"r.dtd\" [<!-- c --><!ATTLIST r a CDATA \"]>\">]><r/>",
      "<?xml version=\"1.0\" encoding=\"KOI8-R\"?><!-- x --><r><![CDATA[<!ENTITY]]></r>",
      Utf16("<!DOCTYPE r [<!ENTITY e \"x\">]><r/>", false, true),
      Utf16("<?xml version=\"1.0\"?><r/>", true, false),
  };
  const std::string pieces[] = {
      "<!ENTITY", "<!DOCTYPE r [",      "]>",       "<!--",        "-->", "<?", "?>", "\"", "'", "[",
      "]",        std::string("\0", 1), "\xFF\xFE", "\xEF\xBB\xBF"};
  for (int round = 0; round < 400; ++round) {
    std::string bytes = samples[pick(std::size(samples))];
    for (int step = 0, steps = 1 + static_cast<int>(pick(4)); step < steps; ++step) {
      size_t at = pick(bytes.size() + 1);
      switch (pick(3)) {
        case 0:
          bytes.insert(at, pieces[pick(std::size(pieces))]);
          break;
        case 1:
          bytes.erase(at, 1 + pick(6));
          break;
        default:
          if (!bytes.empty()) bytes[pick(bytes.size())] = static_cast<char>(pick(256));
      }
    }
    TXMLDocument document;
    try {
      Load(document, bytes);
    } catch (const EDOMParseError&) {
      EXPECT_TRUE(document.DocumentElement().IsNull()) << bytes;
    } catch (const std::exception& error) {
      ADD_FAILURE() << error.what() << "\nfrom: " << bytes;
    }
    if (HasFailure()) break;
  }
}

TEST(XMLDocument, ActivationAndVendor) {
  TXMLDocument document;
  EXPECT_FALSE(document.Active());
  EXPECT_TRUE(document.DocumentElement().IsNull());
  document.SetActive(true);
  EXPECT_TRUE(document.Active());
  EXPECT_TRUE(document.DocumentElement().IsNull());
  Load(document, "<a/>");
  document.SetActive(false);
  EXPECT_TRUE(document.DocumentElement().IsNull());

  document.SetDOMVendor(L"Elsewhere");
  EXPECT_THROW(document.SetActive(true), EXMLDocError);
  EXPECT_THROW(Load(document, "<a/>"), EXMLDocError);
}
