#include "framework/form_writer.h"

#include <charconv>
#include <cmath>

#include "framework/collection.h"
#include "framework/exceptions.h"
#include "framework/form_reader.h"
#include "framework/graphics.h"
#include "framework/properties.h"
#include "framework/streams.h"
#include "framework/text_convert.h"

namespace {

constexpr int kIndent = 2;
constexpr int kBytesPerLine = 32;

bool IsSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDFFF; }

// A character is written inside quotes unless it is a control character or half of a broken surrogate pair
// (which UTF-8 cannot carry); those become #n.
String QuoteString(const String& value) {
  if (value.empty()) return L"''";
  String result;
  bool quoted = false;
  for (size_t i = 0; i < value.size(); ++i) {
    wchar_t c = value[i];
    bool pairedSurrogate = false;
    if (IsSurrogate(c)) {
      if (c <= 0xDBFF && i + 1 < value.size() && value[i + 1] >= 0xDC00 && value[i + 1] <= 0xDFFF)
        pairedSurrogate = true;
      else if (c >= 0xDC00 && i > 0 && value[i - 1] >= 0xD800 && value[i - 1] <= 0xDBFF)
        pairedSurrogate = true;
    }
    bool plain = c >= L' ' && c != 0x7F && (!IsSurrogate(c) || pairedSurrogate);
    if (plain != quoted) {
      result += L'\'';
      quoted = plain;
    }
    if (!plain)
      result += L'#' + std::to_wstring(static_cast<unsigned>(c));
    else if (c == L'\'')
      result += L"''";
    else
      result += c;
  }
  if (quoted) result += L'\'';
  return result;
}

// The shortest text that reads back as the same number. A number that would look like an integer gets ".0", so
// that it is read as a number with a fraction and keeps the sign of a negative zero.
template <class T>
String FloatText(T value) {
  char buffer[64];
  String text(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
  if (text.find_first_of(L".e") == String::npos) text += L".0";
  return text;
}

// The name under which a referenced component can be found again when the form is read.
String ReferenceName(TComponent* component, TComponent* root) {
  if (component == root || component->Owner() == root) return component->Name();
  return {};
}

}  // namespace

TWriter::TWriter(TComponent* root) : root_(root) {}

TWriter::~TWriter() = default;

String TWriter::WriteRootComponent() {
  out_.clear();
  WriteComponent(root_, 0);
  return out_;
}

void TWriter::NewLine(int depth) {
  out_ += L"\r\n";
  out_.append(static_cast<size_t>(depth * kIndent), L' ');
}

// Counts one level of objects or collection items for as long as it lives, and refuses what the reader would
// refuse, before the writing recurses any deeper.
class TWriter::NestingScope {
 public:
  explicit NestingScope(TWriter& writer) : writer_(writer) {
    if (writer_.nesting_ == MaxFormNesting)
      throw EWriteError(
          Format(L"Objects nested more than %d deep cannot be stored", {std::to_wstring(MaxFormNesting)}));
    ++writer_.nesting_;
  }
  ~NestingScope() { --writer_.nesting_; }
  NestingScope(const NestingScope&) = delete;
  NestingScope& operator=(const NestingScope&) = delete;

 private:
  TWriter& writer_;
};

void TWriter::WriteComponent(TComponent* component, int depth) {
  NestingScope nesting(*this);
  depth_ = depth;
  if (!out_.empty()) NewLine(depth);
  out_ += L"object ";
  if (!component->Name().empty()) out_ += component->Name() + L": ";
  out_ += component->ClassName();
  depth_ = depth + 1;
  WriteProperties(component, L"");
  component->GetChildren([&](TComponent* child) { WriteComponent(child, depth + 1); }, root_);
  NewLine(depth);
  out_ += L"end";
}

void TWriter::WriteProperties(TPersistent* instance, const String& prefix) {
  for (const TPropertyInfo* info : instance->PublishedTable().Properties()) {
    if (!info->IsStored(instance)) continue;
    if (info->Kind() == TPropertyKind::pkPersistent) {
      TPersistent* object = static_cast<const TPersistentPropertyInfo*>(info)->GetObject(instance);
      if (auto collection = ObjectAs<TCollection>(object))
        WriteCollection(collection, prefix + info->Name());
      else if (object)
        WriteProperties(object, prefix + info->Name() + L".");
      continue;
    }
    if (!info->IsDefault(instance)) WritePublished(instance, *info, prefix);
  }
  String outerPrefix = definePrefix_;
  definePrefix_ = prefix;
  instance->DefineProperties(*this);
  definePrefix_ = outerPrefix;
}

void TWriter::WriteCollection(TCollection* collection, const String& name) {
  NestingScope nesting(*this);
  BeginProperty(name);
  out_ += L"<";
  const int depth = depth_;
  for (int i = 0; i < collection->Count(); ++i) {
    NewLine(depth + 1);
    out_ += L"item";
    depth_ = depth + 2;
    WriteProperties(collection->Items(i), L"");
    depth_ = depth;
    NewLine(depth + 1);
    out_ += L"end";
  }
  out_ += L">";
}

void TWriter::WritePublished(TPersistent* instance, const TPropertyInfo& info, const String& prefix) {
  String name = prefix + info.Name();
  switch (info.Kind()) {
    case TPropertyKind::pkInteger:
      BeginProperty(name);
      WriteInteger(static_cast<const TOrdinalPropertyInfo&>(info).GetOrdinal(instance));
      break;
    case TPropertyKind::pkBoolean:
      BeginProperty(name);
      WriteBoolean(static_cast<const TOrdinalPropertyInfo&>(info).GetOrdinal(instance) != 0);
      break;
    case TPropertyKind::pkEnumeration: {
      auto& ordinal = static_cast<const TOrdinalPropertyInfo&>(info);
      BeginProperty(name);
      int64_t value = ordinal.GetOrdinal(instance);
      if (ordinal.InRange(value))
        WriteIdent(ordinal.Names()[static_cast<size_t>(value)]);
      else
        WriteInteger(value);
      break;
    }
    case TPropertyKind::pkSet: {
      auto& ordinal = static_cast<const TOrdinalPropertyInfo&>(info);
      auto bits = static_cast<uint64_t>(ordinal.GetOrdinal(instance));
      std::vector<String> elements;
      for (size_t i = 0; i < ordinal.Names().size(); ++i)
        if (bits & (uint64_t{1} << i)) elements.push_back(ordinal.Names()[i]);
      BeginProperty(name);
      WriteSet(elements);
      break;
    }
    case TPropertyKind::pkColor: {
      auto color = static_cast<TColor>(static_cast<const TOrdinalPropertyInfo&>(info).GetOrdinal(instance));
      BeginProperty(name);
      WriteValueText(ColorToString(color));
      break;
    }
    case TPropertyKind::pkString:
      BeginProperty(name);
      WriteString(static_cast<const TStringPropertyInfo&>(info).GetString(instance));
      break;
    case TPropertyKind::pkFloat: {
      auto& floating = static_cast<const TFloatPropertyInfo&>(info);
      BeginProperty(name);
      if (floating.Extended())
        WriteExtended(floating.GetFloat(instance));
      else
        WriteFloat(static_cast<double>(floating.GetFloat(instance)));
      break;
    }
    case TPropertyKind::pkComponent: {
      TComponent* target = static_cast<const TComponentPropertyInfo&>(info).GetComponent(instance);
      String reference = target ? ReferenceName(target, root_) : String();
      if (reference.empty()) break;
      BeginProperty(name);
      WriteIdent(reference);
      break;
    }
    case TPropertyKind::pkEvent: {
      String method = static_cast<const TEventPropertyInfo&>(info).MethodName(instance, root_);
      if (method.empty()) break;
      BeginProperty(name);
      WriteIdent(method);
      break;
    }
    case TPropertyKind::pkPersistent:
      break;
  }
}

void TWriter::BeginProperty(const String& name) {
  NewLine(depth_);
  out_ += name + L" = ";
}

void TWriter::WriteValueText(const String& text) {
  if (listDepth_ > 0) NewLine(depth_ + listDepth_);
  out_ += text;
}

void TWriter::WriteInteger(int64_t value) { WriteValueText(std::to_wstring(value)); }

void TWriter::WriteBoolean(bool value) { WriteValueText(value ? L"True" : L"False"); }

void TWriter::WriteFloat(double value) {
  // Infinities and NaN have no text the reader takes back.
  if (!std::isfinite(value)) throw EWriteError(L"Cannot store a number that is not finite");
  WriteValueText(FloatText(value));
}

void TWriter::WriteExtended(long double value) {
  if (!std::isfinite(value)) throw EWriteError(L"Cannot store a number that is not finite");
  WriteValueText(FloatText(value));
}

void TWriter::WriteString(const String& value) { WriteValueText(QuoteString(value)); }

void TWriter::WriteIdent(const String& ident) { WriteValueText(ident); }

void TWriter::WriteSet(const std::vector<String>& elements) {
  String text = L"[";
  for (const String& element : elements) {
    if (text.size() > 1) text += L", ";
    text += element;
  }
  WriteValueText(text + L"]");
}

void TWriter::WriteListBegin() {
  WriteValueText(L"(");
  ++listDepth_;
}

void TWriter::WriteListEnd() {
  if (listDepth_ == 0) throw EWriteError(L"List end without a list");
  --listDepth_;
  out_ += L")";
}

void TWriter::DefineProperty(const String& name, const std::function<void(TReader&)>& readData,
                             const std::function<void(TWriter&)>& writeData, bool hasData) {
  (void)readData;
  if (!hasData || !writeData) return;
  BeginProperty(definePrefix_ + name);
  writeData(*this);
  if (listDepth_ != 0) throw EWriteError(L"Unterminated list in property " + name);
}

void TWriter::DefineBinaryProperty(const String& name, const std::function<void(TStream&)>& readData,
                                   const std::function<void(TStream&)>& writeData, bool hasData) {
  (void)readData;
  if (!hasData || !writeData) return;
  TMemoryStream data;
  writeData(data);
  BeginProperty(definePrefix_ + name);
  out_ += L"{";
  auto bytes = static_cast<const uint8_t*>(data.Memory());
  static const wchar_t digits[] = L"0123456789ABCDEF";
  for (int64_t i = 0; i < data.Size(); ++i) {
    if (i % kBytesPerLine == 0) NewLine(depth_ + 1);
    out_ += digits[bytes[i] >> 4];
    out_ += digits[bytes[i] & 15];
  }
  out_ += L"}";
}

String ComponentToText(TComponent* root) { return TWriter(root).WriteRootComponent(); }

void WriteComponent(TStream& stream, TComponent* root) {
  std::string text = WideToUtf8(ComponentToText(root) + L"\r\n");
  stream.WriteBuffer(text.data(), static_cast<int32_t>(text.size()));
}
