// An XML document over the platform's DOM (MSXML 3): load from a stream, then walk elements, attributes and text.
// Nodes and node lists are small handles that share the DOM's own reference counting.
#pragma once

#include <oaidl.h>
#include <wrl/client.h>

#include <functional>
#include <optional>
#include <string_view>

#include "framework/component.h"
#include "framework/set.h"

struct IXMLDOMDocument;
struct IXMLDOMNode;
class TStream;

// The one DOM implementation the platform offers.
extern const wchar_t* const DefaultDOMVendor;

enum class TXMLDocOption { doNodeAutoCreate, doAttrNull, doAutoPrefix, doNamespaceDecl, doNodeAutoIndent, doAutoSave };
using TXMLDocOptions = TSet<TXMLDocOption, 8>;

enum class TParseOption { poResolveExternals, poValidateOnParse, poPreserveWhiteSpace, poAsyncLoad };
using TParseOptions = TSet<TParseOption, 8>;

// The DOM's node kinds, numbered as the DOM numbers them.
enum class TNodeType {
  ntReserved,
  ntElement,
  ntAttribute,
  ntText,
  ntCData,
  ntEntityRef,
  ntEntity,
  ntProcessingInstr,
  ntComment,
  ntDocument,
  ntDocType,
  ntDocFragment,
  ntNotation
};

// A node's or an attribute's value, which may be null (a missing attribute, an empty element). Converting a null
// value raises EVariantError, so a caller that does not test IsNull fails loudly instead of reading "".
class TXMLValue {
 public:
  TXMLValue() = default;
  explicit TXMLValue(String text) : text_(std::move(text)) {}

  bool IsNull() const { return !text_.has_value(); }
  const String& AsString() const;
  // Raises EConvertError for text that is not a decimal integer.
  int AsInteger() const;

 private:
  std::optional<String> text_;
};

class TXMLNodeList;

class TXMLNode {
 public:
  TXMLNode();
  TXMLNode(Microsoft::WRL::ComPtr<IXMLDOMNode> node, TXMLDocOptions options);
  TXMLNode(const TXMLNode& other);
  TXMLNode(TXMLNode&& other) noexcept;
  TXMLNode& operator=(const TXMLNode& other);
  TXMLNode& operator=(TXMLNode&& other) noexcept;
  ~TXMLNode();

  bool IsNull() const { return !node_; }
  explicit operator bool() const { return !IsNull(); }

  // The qualified name, prefix included ("dc:date"); "#text" and the like for nodes that are not named.
  String NodeName() const;
  TNodeType NodeType() const;
  TXMLNodeList ChildNodes() const;
  // The first child and the next sibling, null at the end: walking a node's children this way costs one step
  // per child.
  TXMLNode FirstChild() const;
  TXMLNode NextSibling() const;
  TXMLNodeList AttributeNodes() const;
  bool HasChildNodes() const;
  bool HasAttribute(const String& name) const;
  // Null when the element does not carry the attribute.
  TXMLValue Attributes(const String& name) const;
  // The element holds exactly one text or CDATA node.
  bool IsTextElement() const;
  // The text of a text element; nothing for any other node.
  std::optional<String> ElementText() const;
  // Calls read with the text of a text element and returns true; false, without a call, for any other node. The
  // view lives only during the call: a caller that turns the text into another form at once saves a copy.
  bool ReadElementText(const std::function<void(std::wstring_view)>& read) const;
  // An element's text when it is a text element, null when it is empty; raises EXMLDocError for an element with
  // any other content. Other nodes give the DOM's value.
  TXMLValue NodeValue() const;
  // The node's markup, its own tags included.
  String XML() const;

  IXMLDOMNode* DOMNode() const { return node_.Get(); }

 private:
  // The element's one child when that is a text or CDATA node, else null.
  Microsoft::WRL::ComPtr<IXMLDOMNode> OnlyTextChild() const;

  Microsoft::WRL::ComPtr<IXMLDOMNode> node_;
  TXMLDocOptions options_;
  mutable std::optional<TNodeType> type_;  // asked once: the walk of a document asks it of every node
};

// The children or the attributes of one node. Walking the children by rising index costs one step per node.
class TXMLNodeList {
 public:
  enum class TKind { Children, Attributes };

  TXMLNodeList(TXMLNode owner, TKind kind, TXMLDocOptions options);

  int Count() const;
  // Raises EListError for an index out of range.
  TXMLNode Nodes(int index) const;
  // The first child of that name. When it is missing, the document's doNodeAutoCreate option appends an empty
  // element of that name and returns it; without the option EXMLDocError is raised.
  TXMLNode Nodes(const String& name) const;
  // The first entry of that name, or a null node.
  TXMLNode FindNode(const String& name) const;

 private:
  TXMLNode owner_;
  TKind kind_;
  TXMLDocOptions options_;
  // The last child reached by index, so that the next index is one sibling away.
  mutable int cachedIndex_ = -1;
  mutable TXMLNode cachedNode_;
};

class TXMLDocument : public TComponent {
  BC_CLASS(TXMLDocument, TComponent)
  explicit TXMLDocument(TComponent* owner = nullptr);
  ~TXMLDocument() override;

  const String& DOMVendor() const { return domVendor_; }
  void SetDOMVendor(const String& value);
  TXMLDocOptions Options() const { return options_; }
  void SetOptions(TXMLDocOptions value) { options_ = value; }
  TParseOptions ParseOptions() const { return parseOptions_; }
  void SetParseOptions(TParseOptions value) { parseOptions_ = value; }

  // An active document holds a DOM document; activating creates an empty one, deactivating releases it.
  // Raises EXMLDocError for a vendor other than the platform's.
  bool Active() const { return document_ != nullptr; }
  void SetActive(bool value);

  // Parses the stream from its current position to its end; the encoding comes from the document itself. A
  // document that is not well-formed raises EDOMParseError, and so does one whose document type declares entities
  // in its internal subset (an external definition alone is accepted and never fetched). Activates the document
  // when needed.
  void LoadFromStream(TStream& stream);
  // Null when nothing is loaded.
  TXMLNode DocumentElement() const;
  String XML() const;

 private:
  // Raises EDOMParseError, leaving the document empty, for a document whose XML declaration (behind any byte-order
  // marks) is not well-formed or holds a value longer than any real one, that holds a comment with "--" in it, or
  // whose document type declares entities.
  void RefuseHostileDocument(std::string_view bytes);
  // Parses a byte array in a VARIANT.
  bool TryLoad(const VARIANT& bytes);
  [[noreturn]] void RaiseParseError() const;

  String domVendor_;
  TXMLDocOptions options_;
  TParseOptions parseOptions_;
  Microsoft::WRL::ComPtr<IXMLDOMDocument> document_;
};
