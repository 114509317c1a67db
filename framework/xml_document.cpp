#include "framework/xml_document.h"

#include <mlang.h>
#include <msxml2.h>

#include <cstring>
#include <string_view>

#include "framework/exceptions.h"
#include "framework/streams.h"
#include "framework/sys_utils.h"
#include "framework/text_convert.h"

using Microsoft::WRL::ComPtr;

const wchar_t* const DefaultDOMVendor = L"MSXML";

namespace {

// The import libraries of the cross toolchain lack these identifiers, so they are spelled out once here.
const CLSID kClsidDOMDocument30 = {0xf5078f32, 0xc551, 0x11d3, {0x89, 0xb9, 0x00, 0x00, 0xf8, 0x1f, 0xe2, 0x21}};
const IID kIidMultiLanguage = {0x275c23e1, 0x3747, 0x11d0, {0x9f, 0xea, 0x00, 0xaa, 0x00, 0x3f, 0x86, 0x46}};

// Owns one BSTR.
class TBStr {
 public:
  explicit TBStr(const String& text) : value_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  TBStr() = default;
  TBStr(const TBStr&) = delete;
  TBStr& operator=(const TBStr&) = delete;
  ~TBStr() { SysFreeString(value_); }
  BSTR Get() const { return value_; }
  BSTR* Receive() { return &value_; }
  std::wstring_view View() const { return std::wstring_view(value_ ? value_ : L"", SysStringLen(value_)); }
  String Text() const { return String(View()); }

 private:
  BSTR value_ = nullptr;
};

// Owns one VARIANT.
class TVariant {
 public:
  TVariant() { VariantInit(&value_); }
  TVariant(const TVariant&) = delete;
  TVariant& operator=(const TVariant&) = delete;
  ~TVariant() { VariantClear(&value_); }
  VARIANT* Receive() { return &value_; }
  const VARIANT& Get() const { return value_; }

 private:
  VARIANT value_;
};

// Fills the VARIANT with a byte array of that size, for the DOM to parse where it lies; returns the array's bytes.
// A stream would be copied in small steps instead, which costs more than linear time on large documents.
char* MakeByteArray(TVariant& value, size_t size) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(size));
  if (!array) throw EOutOfResources(L"Not enough memory for the document");
  value.Receive()->vt = VT_ARRAY | VT_UI1;
  value.Receive()->parray = array;
  return static_cast<char*>(array->pvData);
}

VARIANT_BOOL ToVariantBool(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }

// Null for a null or empty VARIANT; other values in their text form.
TXMLValue ValueFromVariant(const VARIANT& value) {
  if (value.vt == VT_NULL || value.vt == VT_EMPTY) return TXMLValue();
  if (value.vt == VT_BSTR) return TXMLValue(String(value.bstrVal, SysStringLen(value.bstrVal)));
  VARIANT text;
  VariantInit(&text);
  OleCheck(VariantChangeType(&text, const_cast<VARIANT*>(&value), 0, VT_BSTR));
  TXMLValue result(String(text.bstrVal, SysStringLen(text.bstrVal)));
  VariantClear(&text);
  return result;
}

// The value of the encoding declaration of a document that starts with an XML declaration, and where it stands.
struct TDeclaredEncoding {
  std::string Name;
  size_t Offset = 0;
};

std::optional<TDeclaredEncoding> FindDeclaredEncoding(const std::string& bytes) {
  if (bytes.compare(0, 5, "<?xml") != 0) return std::nullopt;
  size_t end = bytes.find("?>");
  if (end == std::string::npos) return std::nullopt;
  size_t key = bytes.find("encoding", 5);
  if (key == std::string::npos || key > end) return std::nullopt;
  size_t quote = bytes.find_first_of("\"'", key);
  if (quote == std::string::npos || quote > end) return std::nullopt;
  size_t close = bytes.find(bytes[quote], quote + 1);
  if (close == std::string::npos || close > end) return std::nullopt;
  return TDeclaredEncoding{bytes.substr(quote + 1, close - quote - 1), quote + 1};
}

// The system's code page for a charset name, or 0 when the system knows no such name or cannot convert it.
UINT CodePageOfCharset(const std::string& charset) {
  ComPtr<IMultiLanguage> languages;
  if (FAILED(CoCreateInstance(CLSID_CMultiLanguage, nullptr, CLSCTX_INPROC_SERVER, kIidMultiLanguage,
                              reinterpret_cast<void**>(languages.GetAddressOf()))))
    return 0;
  MIMECSETINFO info = {};
  TBStr name(AnsiToWide(charset, CP_ACP));
  if (FAILED(languages->GetCharsetInfo(name.Get(), &info))) return 0;
  UINT codePage = info.uiInternetEncoding;
  return IsValidCodePage(codePage) ? codePage : 0;
}

// The document converted from its declared code page to UTF-8, with the declaration changed to say so; empty when
// the declared encoding is not one the system can convert, or is already one the DOM reads.
std::string TranscodeToUtf8(const std::string& bytes) {
  std::optional<TDeclaredEncoding> declared = FindDeclaredEncoding(bytes);
  if (!declared) return {};
  UINT codePage = CodePageOfCharset(declared->Name);
  if (codePage == 0 || codePage == CP_UTF8 || codePage == 1200 || codePage == 1201) return {};
  std::string prefix = bytes.substr(0, declared->Offset) + "UTF-8";
  size_t rest = declared->Offset + declared->Name.size();
  return prefix + WideToUtf8(AnsiToWide(std::string_view(bytes).substr(rest), codePage));
}

// One way of reading a document's bytes: one, two or four bytes a code unit, in either byte order.
struct TUnitForm {
  size_t Width;
  bool BigEndian;
  std::string_view Mark;  // its byte-order mark
};

// Every form the DOM might detect. Read in a wrong form, a document's prolog shows no markup, so each is tried.
const TUnitForm kUnitForms[] = {{1, false, "\xEF\xBB\xBF"},
                                {2, false, "\xFF\xFE"},
                                {2, true, "\xFE\xFF"},
                                {4, false, std::string_view("\xFF\xFE\0\0", 4)},
                                {4, true, std::string_view("\0\0\xFE\xFF", 4)}};

// How many bytes the run of byte-order marks at the start of a document takes. The platform's parser passes over
// any such run, of one form or mixed, before it looks for markup, so a check that saw only one mark of the form it
// tried let a hostile declaration behind a second one reach the parser.
size_t LengthOfMarks(std::string_view bytes) {
  size_t length = 0;
  for (;;) {
    size_t longest = 0;
    for (const TUnitForm& form : kUnitForms)
      if (form.Mark.size() > longest && bytes.substr(length, form.Mark.size()) == form.Mark) longest = form.Mark.size();
    if (longest == 0) return length;
    length += longest;
  }
}

// Reads the code units of a document in one form, after its byte-order marks. Only ASCII matters to the markup
// read here; every other unit reads as 0x80.
class TPrologReader {
 public:
  TPrologReader(std::string_view bytes, const TUnitForm& form)
      : bytes_(bytes), width_(form.Width), bigEndian_(form.BigEndian), position_(LengthOfMarks(bytes)) {}

  bool AtEnd() const { return position_ + width_ > bytes_.size(); }
  // The unit that many units ahead, 0 past the end.
  unsigned Peek(size_t ahead = 0) const {
    size_t at = position_ + ahead * width_;
    if (at + width_ > bytes_.size()) return 0;
    unsigned value = 0;
    for (size_t i = 0; i < width_; ++i) {
      unsigned byte = static_cast<unsigned char>(bytes_[at + (bigEndian_ ? i : width_ - 1 - i)]);
      value = value << 8 | byte;
    }
    return value < 0x80 ? value : 0x80;
  }
  void Skip(size_t units = 1) { position_ += units * width_; }
  // The text stands here, ASCII letters matching either case.
  bool LookingAt(std::string_view ascii) const {
    for (size_t i = 0; i < ascii.size(); ++i) {
      unsigned unit = Peek(i);
      if (unit == 0 || FoldCase(unit) != FoldCase(static_cast<unsigned char>(ascii[i]))) return false;
    }
    return true;
  }
  // Moves past the next occurrence of the text, or to the end.
  void SkipPast(std::string_view ascii) {
    while (!AtEnd() && !LookingAt(ascii)) Skip();
    Skip(ascii.size());
  }

 private:
  static unsigned FoldCase(unsigned c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; }

  std::string_view bytes_;
  size_t width_;
  bool bigEndian_;
  size_t position_;
};

bool IsXMLSpace(unsigned c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Reads a document type declaration from just after "<!DOCTYPE": true when its internal subset declares an
// entity. Quoted literals, comments and processing instructions are passed over, so that text in them declares
// nothing.
bool InternalSubsetDeclaresEntities(TPrologReader& reader) {
  bool inSubset = false;
  while (!reader.AtEnd()) {
    unsigned c = reader.Peek();
    if (c == '"' || c == '\'') {
      reader.Skip();
      while (!reader.AtEnd() && reader.Peek() != c) reader.Skip();
      reader.Skip();
    } else if (reader.LookingAt("<!--")) {
      reader.SkipPast("-->");
    } else if (reader.LookingAt("<?")) {
      reader.SkipPast("?>");
    } else if (inSubset && reader.LookingAt("<!ENTITY")) {
      return true;
    } else if (c == '[' && !inSubset) {
      inSubset = true;
      reader.Skip();
    } else if (c == ']' && inSubset) {
      reader.Skip();
      while (IsXMLSpace(reader.Peek())) reader.Skip();
      if (reader.Peek() == '>') return false;
    } else if (c == '>' && !inSubset) {
      return false;
    } else {
      reader.Skip();
    }
  }
  return false;
}

// The document's prolog, read in that form, holds a document type whose internal subset declares entities.
bool DeclaresInternalEntities(std::string_view bytes, const TUnitForm& form) {
  TPrologReader reader(bytes, form);
  while (!reader.AtEnd()) {
    if (IsXMLSpace(reader.Peek())) {
      reader.Skip();
    } else if (reader.LookingAt("<?")) {
      reader.SkipPast("?>");
    } else if (reader.LookingAt("<!--")) {
      reader.SkipPast("-->");
    } else if (reader.LookingAt("<!DOCTYPE")) {
      reader.Skip(9);
      return InternalSubsetDeclaresEntities(reader);
    } else {
      return false;
    }
  }
  return false;
}

// A document in EBCDIC (its first bytes spell "<?xm") that holds "<!ENTITY" anywhere, with "!" as either of the
// code pages spell it. The DOM may read such documents, whose brackets differ from one code page to the next, so
// no prolog is read there; no feed is written in EBCDIC.
bool DeclaresEntitiesInEBCDIC(std::string_view bytes) {
  using namespace std::string_view_literals;
  if (bytes.substr(0, 4) != "\x4C\x6F\xA7\x94"sv) return false;
  return bytes.find("\x4C\x5A\xC5\xD5\xE3\xC9\xE3\xE8"sv) != std::string_view::npos ||
         bytes.find("\x4C\x4F\xC5\xD5\xE3\xC9\xE3\xE8"sv) != std::string_view::npos;
}

// The longest version number and encoding name a declaration may carry. The platform's parser has faulted on a
// version of two dozen digits; "1.0" and the names of encodings are far shorter.
constexpr size_t kMostVersionDigits = 3;
constexpr size_t kLongestEncodingName = 40;

// Reads the quoted value of a pseudo-attribute from its opening quote; what the value holds must pass the test, one
// unit at a time (with its place in the value), and the value must be no longer than longest.
template <class Accept>
bool ReadQuotedValue(TPrologReader& reader, size_t longest, Accept accept) {
  const unsigned quote = reader.Peek();
  if (quote != '"' && quote != '\'') return false;
  reader.Skip();
  size_t length = 0;
  for (; reader.Peek() != quote; ++length, reader.Skip())
    if (reader.AtEnd() || length >= longest || !accept(reader.Peek(), length)) return false;
  reader.Skip();
  return length > 0;
}

// Reads "name", optional space, "=", optional space: true when name stands there and is followed by them.
bool ReadPseudoAttributeName(TPrologReader& reader, std::string_view name) {
  if (!reader.LookingAt(name)) return false;
  reader.Skip(name.size());
  while (IsXMLSpace(reader.Peek())) reader.Skip();
  if (reader.Peek() != '=') return false;
  reader.Skip();
  while (IsXMLSpace(reader.Peek())) reader.Skip();
  return true;
}

// The document, read in that form, starts with an XML declaration that is not well-formed or carries a value
// longer than any real one: version "1." and a few digits, an encoding name of letters, digits, ".", "_" and "-"
// that starts with a letter, standalone "yes" or "no", in that order.
bool DeclarationIsHostile(std::string_view bytes, const TUnitForm& form) {
  TPrologReader reader(bytes, form);
  if (!reader.LookingAt("<?xml") || !IsXMLSpace(reader.Peek(5))) return false;
  reader.Skip(5);
  auto space = [&reader] {
    if (!IsXMLSpace(reader.Peek())) return false;
    while (IsXMLSpace(reader.Peek())) reader.Skip();
    return true;
  };
  space();
  if (!ReadPseudoAttributeName(reader, "version") ||
      !ReadQuotedValue(reader, 2 + kMostVersionDigits, [](unsigned c, size_t at) {
        return at == 0 ? c == '1' : at == 1 ? c == '.' : c >= '0' && c <= '9';
      }))
    return true;
  bool spaced = space();
  if (spaced && reader.LookingAt("encoding")) {
    if (!ReadPseudoAttributeName(reader, "encoding") ||
        !ReadQuotedValue(reader, kLongestEncodingName, [](unsigned c, size_t at) {
          const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
          return letter || (at > 0 && ((c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-'));
        }))
      return true;
    spaced = space();
  }
  if (spaced && reader.LookingAt("standalone")) {
    if (!ReadPseudoAttributeName(reader, "standalone")) return true;
    const bool yes = reader.LookingAt("\"yes\"") || reader.LookingAt("'yes'");
    const bool no = reader.LookingAt("\"no\"") || reader.LookingAt("'no'");
    if (!yes && !no) return true;
    reader.Skip(yes ? 5 : 4);
    space();
  }
  return !reader.LookingAt("?>");
}

// The document, read in that form, starts with markup and holds a comment with "--" in it, which is not
// well-formed. The platform's parser takes time quadratic in a run of dashes after "<!--" before it says so.
// Character data and processing instructions may hold "<!--" as text and are passed over.
bool HoldsCommentWithTwoDashes(std::string_view bytes, const TUnitForm& form) {
  TPrologReader reader(bytes, form);
  while (IsXMLSpace(reader.Peek())) reader.Skip();
  if (reader.Peek() != '<') return false;
  while (!reader.AtEnd()) {
    if (reader.Peek() != '<') {
      reader.Skip();
    } else if (reader.LookingAt("<!--")) {
      reader.Skip(4);
      while (!reader.AtEnd() && !reader.LookingAt("--")) reader.Skip();
      if (reader.AtEnd()) return false;
      if (!reader.LookingAt("-->")) return true;
      reader.Skip(3);
    } else if (reader.LookingAt("<![CDATA[")) {
      reader.SkipPast("]]>");
    } else if (reader.LookingAt("<?")) {
      reader.SkipPast("?>");
    } else {
      reader.Skip();
    }
  }
  return false;
}

// The data of a text or CDATA node: the same as its value, without the detour through a VARIANT.
void ReadCharacterData(IXMLDOMNode* text, TBStr& data) {
  ComPtr<IXMLDOMCharacterData> characterData;
  OleCheck(text->QueryInterface(IID_IXMLDOMCharacterData, reinterpret_cast<void**>(characterData.GetAddressOf())));
  OleCheck(characterData->get_data(data.Receive()));
}

}  // namespace

const String& TXMLValue::AsString() const {
  if (!text_) throw EVariantError(L"Could not convert a null value into text");
  return *text_;
}

int TXMLValue::AsInteger() const {
  if (!text_) throw EVariantError(L"Could not convert a null value into a number");
  return StrToInt(*text_);
}

TXMLNode::TXMLNode() = default;
TXMLNode::TXMLNode(ComPtr<IXMLDOMNode> node, TXMLDocOptions options) : node_(std::move(node)), options_(options) {}
TXMLNode::TXMLNode(const TXMLNode& other) = default;
TXMLNode::TXMLNode(TXMLNode&& other) noexcept = default;
TXMLNode& TXMLNode::operator=(const TXMLNode& other) = default;
TXMLNode& TXMLNode::operator=(TXMLNode&& other) noexcept = default;
TXMLNode::~TXMLNode() = default;

String TXMLNode::NodeName() const {
  TBStr name;
  OleCheck(node_->get_nodeName(name.Receive()));
  return name.Text();
}

TNodeType TXMLNode::NodeType() const {
  if (!type_) {
    DOMNodeType type = NODE_INVALID;
    OleCheck(node_->get_nodeType(&type));
    type_ = static_cast<TNodeType>(type);
  }
  return *type_;
}

TXMLNodeList TXMLNode::ChildNodes() const { return TXMLNodeList(*this, TXMLNodeList::TKind::Children, options_); }

TXMLNode TXMLNode::FirstChild() const {
  ComPtr<IXMLDOMNode> child;
  node_->get_firstChild(child.GetAddressOf());
  return child ? TXMLNode(std::move(child), options_) : TXMLNode();
}

TXMLNode TXMLNode::NextSibling() const {
  ComPtr<IXMLDOMNode> next;
  node_->get_nextSibling(next.GetAddressOf());
  return next ? TXMLNode(std::move(next), options_) : TXMLNode();
}

TXMLNodeList TXMLNode::AttributeNodes() const { return TXMLNodeList(*this, TXMLNodeList::TKind::Attributes, options_); }

bool TXMLNode::HasChildNodes() const {
  VARIANT_BOOL has = VARIANT_FALSE;
  OleCheck(node_->hasChildNodes(&has));
  return has != VARIANT_FALSE;
}

bool TXMLNode::HasAttribute(const String& name) const { return !AttributeNodes().FindNode(name).IsNull(); }

TXMLValue TXMLNode::Attributes(const String& name) const {
  TXMLNode attribute = AttributeNodes().FindNode(name);
  if (attribute.IsNull()) return options_.Contains(TXMLDocOption::doAttrNull) ? TXMLValue() : TXMLValue(String());
  return attribute.NodeValue();
}

ComPtr<IXMLDOMNode> TXMLNode::OnlyTextChild() const {
  ComPtr<IXMLDOMNode> child;
  node_->get_firstChild(child.GetAddressOf());
  if (!child) return child;
  DOMNodeType type = NODE_INVALID;
  child->get_nodeType(&type);
  ComPtr<IXMLDOMNode> next;
  child->get_nextSibling(next.GetAddressOf());
  if (next || (type != NODE_TEXT && type != NODE_CDATA_SECTION)) return ComPtr<IXMLDOMNode>();
  return child;
}

bool TXMLNode::IsTextElement() const { return NodeType() == TNodeType::ntElement && OnlyTextChild(); }

bool TXMLNode::ReadElementText(const std::function<void(std::wstring_view)>& read) const {
  if (NodeType() != TNodeType::ntElement) return false;
  ComPtr<IXMLDOMNode> text = OnlyTextChild();
  if (!text) return false;
  TBStr data;
  ReadCharacterData(text.Get(), data);
  read(data.View());
  return true;
}

std::optional<String> TXMLNode::ElementText() const {
  std::optional<String> text;
  ReadElementText([&](std::wstring_view view) { text.emplace(view); });
  return text;
}

TXMLValue TXMLNode::NodeValue() const {
  if (NodeType() == TNodeType::ntElement) {
    ComPtr<IXMLDOMNode> text = OnlyTextChild();
    if (text) {
      TBStr data;
      ReadCharacterData(text.Get(), data);
      return TXMLValue(data.Text());
    }
    if (!HasChildNodes()) return TXMLValue();
    throw EXMLDocError(Format(L"Element \"%s\" holds more than one text node", {NodeName()}));
  }
  TVariant value;
  OleCheck(node_->get_nodeValue(value.Receive()));
  return ValueFromVariant(value.Get());
}

String TXMLNode::XML() const {
  TBStr xml;
  OleCheck(node_->get_xml(xml.Receive()));
  return xml.Text();
}

TXMLNodeList::TXMLNodeList(TXMLNode owner, TKind kind, TXMLDocOptions options)
    : owner_(std::move(owner)), kind_(kind), options_(options) {}

int TXMLNodeList::Count() const {
  long length = 0;
  if (kind_ == TKind::Children) {
    ComPtr<IXMLDOMNodeList> children;
    OleCheck(owner_.DOMNode()->get_childNodes(children.GetAddressOf()));
    OleCheck(children->get_length(&length));
  } else {
    ComPtr<IXMLDOMNamedNodeMap> attributes;
    OleCheck(owner_.DOMNode()->get_attributes(attributes.GetAddressOf()));
    if (attributes) OleCheck(attributes->get_length(&length));
  }
  return static_cast<int>(length);
}

TXMLNode TXMLNodeList::Nodes(int index) const {
  if (index < 0) throw EListError(Format(L"List index out of bounds (%d)", {std::to_wstring(index)}));
  ComPtr<IXMLDOMNode> node;
  if (kind_ == TKind::Attributes) {
    ComPtr<IXMLDOMNamedNodeMap> attributes;
    OleCheck(owner_.DOMNode()->get_attributes(attributes.GetAddressOf()));
    if (attributes) attributes->get_item(index, node.GetAddressOf());
  } else if (cachedIndex_ >= 0 && index == cachedIndex_ + 1) {
    cachedNode_.DOMNode()->get_nextSibling(node.GetAddressOf());
  } else if (index == cachedIndex_) {
    node = cachedNode_.DOMNode();
  } else {
    // The DOM's own list may walk from the first child on every call; the sibling chain is walked once instead.
    owner_.DOMNode()->get_firstChild(node.GetAddressOf());
    for (int i = 0; i < index && node; ++i) {
      ComPtr<IXMLDOMNode> next;
      node->get_nextSibling(next.GetAddressOf());
      node = next;
    }
  }
  if (!node) throw EListError(Format(L"List index out of bounds (%d)", {std::to_wstring(index)}));
  TXMLNode result(node, options_);
  if (kind_ == TKind::Children) {
    cachedIndex_ = index;
    cachedNode_ = result;
  }
  return result;
}

TXMLNode TXMLNodeList::FindNode(const String& name) const {
  if (kind_ == TKind::Attributes) {
    ComPtr<IXMLDOMNamedNodeMap> attributes;
    OleCheck(owner_.DOMNode()->get_attributes(attributes.GetAddressOf()));
    if (!attributes) return TXMLNode();
    ComPtr<IXMLDOMNode> attribute;
    TBStr key(name);
    attributes->getNamedItem(key.Get(), attribute.GetAddressOf());
    return attribute ? TXMLNode(attribute, options_) : TXMLNode();
  }
  ComPtr<IXMLDOMNode> node;
  owner_.DOMNode()->get_firstChild(node.GetAddressOf());
  while (node) {
    TXMLNode candidate(node, options_);
    if (candidate.NodeType() == TNodeType::ntElement && candidate.NodeName() == name) return candidate;
    ComPtr<IXMLDOMNode> next;
    node->get_nextSibling(next.GetAddressOf());
    node = next;
  }
  return TXMLNode();
}

TXMLNode TXMLNodeList::Nodes(const String& name) const {
  TXMLNode found = FindNode(name);
  if (!found.IsNull()) return found;
  if (kind_ == TKind::Attributes || !options_.Contains(TXMLDocOption::doNodeAutoCreate))
    throw EXMLDocError(Format(L"Node \"%s\" not found", {name}));
  ComPtr<IXMLDOMDocument> document;
  OleCheck(owner_.DOMNode()->get_ownerDocument(document.GetAddressOf()));
  ComPtr<IXMLDOMElement> element;
  TBStr tag(name);
  OleCheck(document->createElement(tag.Get(), element.GetAddressOf()));
  ComPtr<IXMLDOMNode> appended;
  OleCheck(owner_.DOMNode()->appendChild(element.Get(), appended.GetAddressOf()));
  return TXMLNode(appended, options_);
}

TXMLDocument::TXMLDocument(TComponent* owner)
    : TComponent(owner),
      domVendor_(DefaultDOMVendor),
      options_{TXMLDocOption::doNodeAutoCreate, TXMLDocOption::doAttrNull, TXMLDocOption::doAutoPrefix,
               TXMLDocOption::doNamespaceDecl} {}

TXMLDocument::~TXMLDocument() = default;

void TXMLDocument::SetDOMVendor(const String& value) {
  if (domVendor_ == value) return;
  SetActive(false);
  domVendor_ = value;
}

void TXMLDocument::SetActive(bool value) {
  if (value == Active()) return;
  if (!value) {
    document_.Reset();
    return;
  }
  if (!SameText(domVendor_, DefaultDOMVendor))
    throw EXMLDocError(Format(L"DOM vendor \"%s\" is not registered", {domVendor_}));
  ComPtr<IXMLDOMDocument> document;
  OleCheck(CoCreateInstance(kClsidDOMDocument30, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                            reinterpret_cast<void**>(document.GetAddressOf())));
  OleCheck(document->put_async(ToVariantBool(parseOptions_.Contains(TParseOption::poAsyncLoad))));
  OleCheck(document->put_validateOnParse(ToVariantBool(parseOptions_.Contains(TParseOption::poValidateOnParse))));
  OleCheck(document->put_resolveExternals(ToVariantBool(parseOptions_.Contains(TParseOption::poResolveExternals))));
  OleCheck(document->put_preserveWhiteSpace(ToVariantBool(parseOptions_.Contains(TParseOption::poPreserveWhiteSpace))));
  document_ = document;
}

void TXMLDocument::LoadFromStream(TStream& stream) {
  int64_t remaining = stream.Size() - stream.Position();
  size_t size = static_cast<size_t>(remaining > 0 ? remaining : 0);
  TVariant input;
  char* bytes = MakeByteArray(input, size);
  if (size > 0) stream.ReadBuffer(bytes, static_cast<int32_t>(size));
  SetActive(true);
  RefuseHostileDocument(std::string_view(bytes, size));
  // A document in a code page the system converts is parsed once, converted: the DOM refuses some code pages, and
  // trying it first would parse every such document, and every costly one, twice.
  std::string transcoded = TranscodeToUtf8(std::string(bytes, size));
  if (transcoded.empty()) {
    if (TryLoad(input.Get())) return;
  } else {
    RefuseHostileDocument(transcoded);
    TVariant converted;
    memcpy(MakeByteArray(converted, transcoded.size()), transcoded.data(), transcoded.size());
    if (TryLoad(converted.Get())) return;
  }
  RaiseParseError();
}

void TXMLDocument::RefuseHostileDocument(std::string_view bytes) {
  // The DOM expands entity references in attribute values when they are read, without limit, and refusing
  // definitions is not in its power, so a few kilobytes could grow to gigabytes. External definitions are never
  // fetched and pass. A declaration it has to read is checked first: the platform's parser has faulted on one whose
  // version ran to two dozen digits, and every downloaded page comes here to be tested for a feed.
  String refusal;
  for (const TUnitForm& form : kUnitForms)
    if (refusal.empty() && DeclarationIsHostile(bytes, form))
      refusal = L"The XML declaration is not well-formed, or holds a value longer than any real one";
  for (const TUnitForm& form : kUnitForms)
    if (refusal.empty() && HoldsCommentWithTwoDashes(bytes, form))
      refusal = L"A comment holds \"--\", which is not well-formed";
  if (refusal.empty()) {
    bool declares = DeclaresEntitiesInEBCDIC(bytes);
    for (const TUnitForm& form : kUnitForms) declares = declares || DeclaresInternalEntities(bytes, form);
    if (declares) refusal = L"The document type declares entities, which are not read";
  }
  if (refusal.empty()) return;
  // Left empty, as a document that fails to parse is.
  SetActive(false);
  SetActive(true);
  throw EDOMParseError(refusal);
}

bool TXMLDocument::TryLoad(const VARIANT& bytes) {
  VARIANT_BOOL loaded = VARIANT_FALSE;
  HRESULT result = document_->load(bytes, &loaded);
  return SUCCEEDED(result) && loaded != VARIANT_FALSE;
}

void TXMLDocument::RaiseParseError() const {
  ComPtr<IXMLDOMParseError> error;
  TBStr reason;
  long line = 0;
  long position = 0;
  if (SUCCEEDED(document_->get_parseError(error.GetAddressOf())) && error) {
    error->get_reason(reason.Receive());
    error->get_line(&line);
    error->get_linepos(&position);
  }
  String text = Trim(reason.Text());
  if (text.empty()) text = L"The document is not well-formed XML";
  if (line > 0) text += Format(L" (line %d, position %d)", {std::to_wstring(line), std::to_wstring(position)});
  throw EDOMParseError(text);
}

TXMLNode TXMLDocument::DocumentElement() const {
  if (!document_) return TXMLNode();
  ComPtr<IXMLDOMElement> root;
  document_->get_documentElement(root.GetAddressOf());
  if (!root) return TXMLNode();
  return TXMLNode(ComPtr<IXMLDOMNode>(root.Get()), options_);
}

String TXMLDocument::XML() const {
  if (!document_) return String();
  TBStr xml;
  OleCheck(document_->get_xml(xml.Receive()));
  return xml.Text();
}
