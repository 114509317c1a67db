#include "framework/form_reader.h"

#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <new>
#include <string>
#include <utility>

#include "framework/collection.h"
#include "framework/graphics.h"
#include "framework/properties.h"
#include "framework/streams.h"
#include "framework/sys_utils.h"
#include "framework/text_convert.h"

namespace {

enum class TokenKind { End, Ident, Integer, Float, Text, Binary, Symbol };

bool IsIdentStart(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || c == L'_'; }
bool IsIdentChar(wchar_t c) { return IsIdentStart(c) || (c >= L'0' && c <= L'9') || c == L'.'; }
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
int HexValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  return -1;
}

// In place of a line: the line of the token the reader took last when the error came.
constexpr int kFailureLine = -1;

String ErrorText(const String& where, const String& reason, int line) {
  return Format(L"%s: %s (line %d)", {where, reason, std::to_wstring(line)});
}

}  // namespace

struct TReader::Token {
  TokenKind Kind = TokenKind::End;
  String Text;  // identifier, string value or symbol
  int64_t Integer = 0;
  std::string Number;  // a number with a fraction or an exponent, as written: read in the type it goes to
  std::vector<uint8_t> Bytes;
  int Line = 1;

  bool IsSymbol(wchar_t symbol) const { return Kind == TokenKind::Symbol && Text[0] == symbol; }
  bool IsKeyword(const wchar_t* keyword) const { return Kind == TokenKind::Ident && SameText(Text, keyword); }
};

// Splits the form text into tokens, one token ahead.
class TReader::Lexer {
 public:
  explicit Lexer(String text) : text_(std::move(text)) { Advance(); }

  const Token& Peek() const { return next_; }
  Token Next() {
    Token token = std::move(next_);
    lastLine_ = token.Line;
    Advance();
    return token;
  }
  // The line of the token taken last.
  int LastLine() const { return lastLine_; }

 private:
  [[noreturn]] void Fail(const String& reason) const {
    throw EReadError(ErrorText(L"Error reading form", reason, line_));
  }
  wchar_t At(size_t offset = 0) const { return pos_ + offset < text_.size() ? text_[pos_ + offset] : L'\0'; }
  bool AtEnd() const { return pos_ >= text_.size(); }

  void SkipBlanks() {
    while (!AtEnd()) {
      wchar_t c = At();
      if (c == L'\n')
        ++line_;
      else if (c != L' ' && c != L'\t' && c != L'\r' && c != 0xFEFF)
        break;
      ++pos_;
    }
  }

  void Advance() {
    SkipBlanks();
    next_ = Token();
    next_.Line = line_;
    if (AtEnd()) return;
    wchar_t c = At();
    if (IsIdentStart(c)) {
      size_t start = pos_;
      while (!AtEnd() && IsIdentChar(At())) ++pos_;
      next_.Kind = TokenKind::Ident;
      next_.Text = text_.substr(start, pos_ - start);
    } else if (IsDigit(c) || (c == L'-' && IsDigit(At(1)))) {
      ReadNumber();
    } else if (c == L'$') {
      ReadHexNumber();
    } else if (c == L'\'' || c == L'#') {
      ReadText();
    } else if (c == L'{') {
      ReadBinary();
    } else if (wcschr(L"=:[](),<>", c)) {
      next_.Kind = TokenKind::Symbol;
      next_.Text = String(1, c);
      ++pos_;
    } else {
      Fail(Format(L"unexpected character '%s'", {String(1, c)}));
    }
  }

  void ReadNumber() {
    size_t start = pos_;
    bool isFloat = false;
    if (At() == L'-') ++pos_;
    while (IsDigit(At())) ++pos_;
    if (At() == L'.' && IsDigit(At(1))) {
      isFloat = true;
      ++pos_;
      while (IsDigit(At())) ++pos_;
    }
    if (At() == L'e' || At() == L'E') {
      isFloat = true;
      ++pos_;
      if (At() == L'+' || At() == L'-') ++pos_;
      if (!IsDigit(At())) Fail(L"malformed number");
      while (IsDigit(At())) ++pos_;
    }
    std::string digits(text_.begin() + static_cast<ptrdiff_t>(start), text_.begin() + static_cast<ptrdiff_t>(pos_));
    const char* first = digits.data();
    const char* last = digits.data() + digits.size();
    if (isFloat) {
      next_.Kind = TokenKind::Float;
      next_.Number = std::move(digits);
    } else {
      next_.Kind = TokenKind::Integer;
      auto result = std::from_chars(first, last, next_.Integer);
      if (result.ec != std::errc() || result.ptr != last) Fail(L"number out of range");
    }
  }

  void ReadHexNumber() {
    ++pos_;
    uint64_t value = 0;
    int count = 0;
    for (int digit; (digit = HexValue(At())) >= 0; ++pos_, ++count) {
      if (count == 16) Fail(L"number out of range");
      value = value << 4 | static_cast<uint64_t>(digit);
    }
    if (count == 0) Fail(L"malformed number");
    next_.Kind = TokenKind::Integer;
    next_.Integer = static_cast<int64_t>(value);
  }

  // Quoted parts and #n characters, as long as they follow each other without a blank.
  void ReadText() {
    next_.Kind = TokenKind::Text;
    for (;;) {
      if (At() == L'\'') {
        ++pos_;
        for (;;) {
          if (AtEnd() || At() == L'\n' || At() == L'\r') Fail(L"unterminated string");
          if (At() == L'\'') {
            if (At(1) != L'\'') break;
            ++pos_;
          }
          next_.Text += At();
          ++pos_;
        }
        ++pos_;
      } else if (At() == L'#') {
        ++pos_;
        if (!IsDigit(At())) Fail(L"character code expected after #");
        unsigned code = 0;
        while (IsDigit(At())) {
          code = code * 10 + static_cast<unsigned>(At() - L'0');
          if (code > 0xFFFF) Fail(L"character code out of range");
          ++pos_;
        }
        next_.Text += static_cast<wchar_t>(code);
      } else {
        return;
      }
    }
  }

  void ReadBinary() {
    ++pos_;
    next_.Kind = TokenKind::Binary;
    int high = -1;
    for (;;) {
      SkipBlanks();
      if (AtEnd()) Fail(L"unterminated binary value");
      if (At() == L'}') break;
      int digit = HexValue(At());
      if (digit < 0) Fail(L"hexadecimal digit expected");
      if (high < 0) {
        high = digit;
      } else {
        next_.Bytes.push_back(static_cast<uint8_t>(high << 4 | digit));
        high = -1;
      }
      ++pos_;
    }
    if (high >= 0) Fail(L"odd number of hexadecimal digits");
    ++pos_;
  }

  const String text_;
  size_t pos_ = 0;
  int line_ = 1;
  int lastLine_ = 1;
  Token next_;
};

// A component reference or event whose target is looked up once the whole form is read.
struct TReader::Fixup {
  TPersistent* Instance;
  const TPropertyInfo* Info;
  String Name;
  int Line;
  String Where;
  // The collections whose items hold the instance, outermost first: clearing any of them frees the instance.
  std::vector<TCollection*> Within;
};

// Counts one level of nesting for as long as it lives, and refuses to go deeper than the reader allows.
class TReader::NestingScope {
 public:
  explicit NestingScope(TReader& reader) : reader_(reader) {
    if (reader_.nesting_ == MaxFormNesting) reader_.FailAhead(L"objects nested too deeply");
    ++reader_.nesting_;
  }
  ~NestingScope() { --reader_.nesting_; }
  NestingScope(const NestingScope&) = delete;
  NestingScope& operator=(const NestingScope&) = delete;

 private:
  TReader& reader_;
};

TReader::TReader(const String& text) : lexer_(std::make_unique<Lexer>(text)) {}

TReader::~TReader() = default;

String TReader::Where() const {
  String path = L"Error reading ";
  if (current_) path += current_->Name().empty() ? current_->ClassName() : current_->Name();
  if (!propertyPath_.empty()) path += L"." + propertyPath_;
  return path;
}

void TReader::Fail(const String& reason) const { Fail(reason, lexer_->LastLine(), Where()); }

void TReader::FailAhead(const String& reason) const { Fail(reason, lexer_->Peek().Line, Where()); }

void TReader::Fail(const String& reason, int line, const String& where) const {
  throw EReadError(ErrorText(where, reason, line));
}

int64_t TReader::ReadInt64() {
  if (lexer_->Peek().Kind != TokenKind::Integer) FailAhead(L"integer expected");
  return lexer_->Next().Integer;
}

int32_t TReader::ReadInteger() {
  if (lexer_->Peek().Kind != TokenKind::Integer) FailAhead(L"integer expected");
  int64_t value = lexer_->Peek().Integer;
  if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
    FailAhead(L"value out of range");
  lexer_->Next();
  return static_cast<int32_t>(value);
}

bool TReader::ReadBoolean() {
  const Token& token = lexer_->Peek();
  if (!token.IsKeyword(L"True") && !token.IsKeyword(L"False")) FailAhead(L"boolean expected");
  return lexer_->Next().IsKeyword(L"True");
}

double TReader::ReadFloat() {
  const Token& token = lexer_->Peek();
  if (token.Kind == TokenKind::Integer) return static_cast<double>(lexer_->Next().Integer);
  if (token.Kind != TokenKind::Float) FailAhead(L"number expected");
  double value = 0;
  const char* last = token.Number.data() + token.Number.size();
  const auto result = std::from_chars(token.Number.data(), last, value);
  if (result.ec != std::errc() || result.ptr != last || !std::isfinite(value)) FailAhead(L"value out of range");
  lexer_->Next();
  return value;
}

long double TReader::ReadExtended() {
  const Token& token = lexer_->Peek();
  if (token.Kind == TokenKind::Integer) return static_cast<long double>(lexer_->Next().Integer);
  if (token.Kind != TokenKind::Float) FailAhead(L"number expected");
  if constexpr (LDBL_MANT_DIG == DBL_MANT_DIG) return ReadFloat();
  // The standard library reads a long double through a double where it is wider; the C library reads it whole.
  // The text is digits, a point and an exponent alone, as the writer writes them in every locale.
  errno = 0;
  char* end = nullptr;
  const long double value = std::strtold(token.Number.c_str(), &end);
  // A number too small for even the smallest subnormal reads as zero, which is not the number written.
  const bool underflow = errno == ERANGE && value == 0;
  if (end != token.Number.c_str() + token.Number.size() || !std::isfinite(value) || underflow)
    FailAhead(L"value out of range");
  lexer_->Next();
  return value;
}

String TReader::ReadString() {
  if (lexer_->Peek().Kind != TokenKind::Text) FailAhead(L"string expected");
  return lexer_->Next().Text;
}

String TReader::ReadIdent() {
  if (lexer_->Peek().Kind != TokenKind::Ident) FailAhead(L"identifier expected");
  return lexer_->Next().Text;
}

std::vector<String> TReader::ReadSet() {
  if (!lexer_->Peek().IsSymbol(L'[')) FailAhead(L"'[' expected");
  lexer_->Next();
  std::vector<String> elements;
  while (!lexer_->Peek().IsSymbol(L']')) {
    if (!elements.empty()) {
      if (!lexer_->Peek().IsSymbol(L',')) FailAhead(L"',' or ']' expected");
      lexer_->Next();
    }
    elements.push_back(ReadIdent());
  }
  lexer_->Next();
  return elements;
}

void TReader::ReadListBegin() {
  if (!lexer_->Peek().IsSymbol(L'(')) FailAhead(L"'(' expected");
  lexer_->Next();
}

void TReader::ReadListEnd() {
  if (!lexer_->Peek().IsSymbol(L')')) FailAhead(L"')' expected");
  lexer_->Next();
}

bool TReader::EndOfList() { return lexer_->Peek().IsSymbol(L')'); }

void TReader::DefineProperty(const String& name, const std::function<void(TReader&)>& readData,
                             const std::function<void(TWriter&)>& writeData, bool hasData) {
  (void)writeData, (void)hasData;
  if (definedFound_ || !readData || !SameText(name, definedName_)) return;
  definedFound_ = true;
  readData(*this);
}

void TReader::DefineBinaryProperty(const String& name, const std::function<void(TStream&)>& readData,
                                   const std::function<void(TStream&)>& writeData, bool hasData) {
  (void)writeData, (void)hasData;
  if (definedFound_ || !readData || !SameText(name, definedName_)) return;
  definedFound_ = true;
  if (lexer_->Peek().Kind != TokenKind::Binary) FailAhead(L"binary value expected");
  Token token = lexer_->Next();
  TMemoryStream data;
  if (!token.Bytes.empty()) data.WriteBuffer(token.Bytes.data(), static_cast<int32_t>(token.Bytes.size()));
  data.SetPosition(0);
  readData(data);
}

template <class Body>
void TReader::AsReadError(int line, const String& where, Body&& body) {
  // Without a place of its own, the error is placed where the reader was when it failed.
  auto fail = [&](const String& reason) {
    Fail(reason, line == kFailureLine ? lexer_->LastLine() : line, where.empty() ? Where() : where);
  };
  try {
    body();
  } catch (const EReadError&) {
    throw;
  } catch (const Exception& e) {
    fail(e.Message());
  } catch (const std::bad_alloc&) {
    fail(L"out of memory");
  }
}

TComponent* TReader::ReadRootComponent(TComponent* root) {
  const int line = lexer_->Peek().Line;
  if (!lexer_->Peek().IsKeyword(L"object")) Fail(L"'object' expected", line, L"Error reading form");
  lexer_->Next();
  String name;
  String className;
  ReadObjectHeader(name, className);
  bool rootCreated = false;
  if (root) {
    const TClass* cls = root->ClassType();
    while (cls && cls->ClassName() != className) cls = cls->ClassParent();
    if (!cls)
      Fail(Format(L"the form holds a %s, which a %s is not", {className, root->ClassName()}), line,
           L"Error reading form");
  } else {
    const TClass* cls = GetClass(className);
    if (!cls) Fail(L"class " + className + L" not found", line, L"Error reading form");
    if (!cls->InheritsFrom(TComponent::StaticClass()) || cls->IsAbstract())
      Fail(L"class " + className + L" cannot be created as a component", line, L"Error reading form");
    root = static_cast<TComponent*>(cls->Create(nullptr));
    rootCreated = true;
  }
  root_ = root;
  current_ = root;
  root->SetLoading(true);
  loaded_.push_back(root);
  try {
    AsReadError(line, Where(), [&] {
      if (!name.empty() && root->Name().empty()) root->SetName(name);
    });
    ReadBody(root);
    if (lexer_->Peek().Kind != TokenKind::End)
      Fail(L"end of form expected", lexer_->Peek().Line, L"Error reading form");
    ResolveFixups();
  } catch (...) {
    Discard(rootCreated);
    throw;
  }
  // The form is whole now; a Loaded that fails leaves no component marked as still loading. A component's Loaded
  // may raise handlers that free others, the root too: those are passed over, and a root that went is not given.
  std::vector<TLifeWatch> lives;
  for (TComponent* component : loaded_) lives.push_back(component->LifeWatch());
  const TLifeWatch rootLife = root->LifeWatch();
  const auto endLoading = [&] {
    for (size_t i = 0; i < loaded_.size(); ++i)
      if (!lives[i].Ended()) loaded_[i]->SetLoading(false);
  };
  try {
    AsReadError(lexer_->LastLine(), L"Error reading form", [&] {
      for (size_t i = 0; i < loaded_.size(); ++i)
        if (!lives[i].Ended() && loaded_[i]->Loaded().Gone()) continue;
    });
  } catch (...) {
    endLoading();
    throw;
  }
  endLoading();
  return rootLife.Ended() ? nullptr : root;
}

void TReader::ReadBody(TComponent* instance) {
  NestingScope nesting(*this);
  for (;;) {
    current_ = instance;
    const Token& token = lexer_->Peek();
    if (token.IsKeyword(L"end")) {
      lexer_->Next();
      return;
    }
    if (token.IsKeyword(L"object"))
      ReadObject(instance);
    else if (token.Kind == TokenKind::Ident)
      ReadProperty(instance, L"");
    else if (token.Kind == TokenKind::End)
      FailAhead(L"'end' expected");
    else
      FailAhead(L"property name expected");
  }
}

void TReader::ReadObjectHeader(String& name, String& className) {
  name = ReadIdent();
  className = name;
  if (lexer_->Peek().IsSymbol(L':')) {
    lexer_->Next();
    className = ReadIdent();
  } else {
    name.clear();
  }
}

void TReader::ReadObject(TComponent* parent) {
  int line = lexer_->Next().Line;
  String name;
  String className;
  ReadObjectHeader(name, className);
  TComponent* child = CreateChild(name, className, parent, line);
  ReadBody(child);
}

TComponent* TReader::CreateChild(const String& name, const String& className, TComponent* parent, int line) {
  String where = L"Error reading " + (name.empty() ? className : name);
  TComponent* child = name.empty() ? nullptr : root_->FindComponent(name);
  bool reuse =
      child && child->ClassName() == className && std::find(loaded_.begin(), loaded_.end(), child) == loaded_.end();
  AsReadError(line, where, [&] {
    if (!reuse) {
      const TClass* cls = GetClass(className);
      if (!cls) Fail(L"class " + className + L" not found", line, where);
      if (!cls->InheritsFrom(TComponent::StaticClass()) || cls->IsAbstract())
        Fail(L"class " + className + L" cannot be created as a component", line, where);
      child = static_cast<TComponent*>(cls->Create(root_));
      created_.push_back(child);
    }
    child->SetLoading(true);
    loaded_.push_back(child);
    if (!reuse) child->SetName(name);
    child->SetParentComponent(parent);
  });
  return child;
}

void TReader::ReadProperty(TPersistent* instance, const String& pathPrefix) {
  Token nameToken = lexer_->Next();
  propertyPath_ = pathPrefix + nameToken.Text;
  if (!lexer_->Peek().IsSymbol(L'=')) FailAhead(L"'=' expected");
  lexer_->Next();
  AsReadError(kFailureLine, String(), [&] {
    String rest = nameToken.Text;
    for (size_t dot; (dot = rest.find(L'.')) != String::npos; rest.erase(0, dot + 1)) {
      String part = rest.substr(0, dot);
      const TPropertyInfo* info = instance->PublishedTable().FindProperty(part);
      if (!info || info->Kind() != TPropertyKind::pkPersistent) Fail(L"property " + part + L" does not exist");
      instance = static_cast<const TPersistentPropertyInfo*>(info)->GetObject(instance);
      if (!instance) Fail(L"property " + part + L" holds no object");
    }
    const TPropertyInfo* info = instance->PublishedTable().FindProperty(rest);
    if (info && info->Kind() == TPropertyKind::pkPersistent) {
      auto collection = ObjectAs<TCollection>(static_cast<const TPersistentPropertyInfo*>(info)->GetObject(instance));
      if (!collection || !lexer_->Peek().IsSymbol(L'<')) Fail(L"property " + rest + L" is an object");
      ReadCollection(collection, propertyPath_);
    } else if (info) {
      ReadPublished(instance, *info);
    } else {
      definedName_ = rest;
      definedFound_ = false;
      instance->DefineProperties(*this);
      if (!definedFound_) Fail(L"property " + rest + L" does not exist");
    }
  });
  propertyPath_.clear();
}

void TReader::ReadCollection(TCollection* collection, const String& path) {
  NestingScope nesting(*this);
  lexer_->Next();
  within_.push_back(collection);
  collection->BeginUpdate();
  try {
    // The items about to be freed may hold references and events read earlier: they are no longer wanted.
    fixups_.erase(std::remove_if(fixups_.begin(), fixups_.end(),
                                 [&](const Fixup& fixup) {
                                   return std::find(fixup.Within.begin(), fixup.Within.end(), collection) !=
                                          fixup.Within.end();
                                 }),
                  fixups_.end());
    collection->Clear();
    for (int index = 0; !lexer_->Peek().IsSymbol(L'>'); ++index) {
      if (!lexer_->Peek().IsKeyword(L"item")) FailAhead(L"'item' or '>' expected");
      lexer_->Next();
      TCollectionItem* item = collection->Add();
      String itemPath = path + L"[" + std::to_wstring(index) + L"].";
      while (!lexer_->Peek().IsKeyword(L"end")) {
        if (lexer_->Peek().Kind != TokenKind::Ident) FailAhead(L"property name expected");
        ReadProperty(item, itemPath);
      }
      lexer_->Next();
    }
    lexer_->Next();
  } catch (...) {
    within_.pop_back();
    collection->EndUpdate();
    throw;
  }
  within_.pop_back();
  collection->EndUpdate();
}

int64_t TReader::ReadOrdinalValue(const TPropertyInfo& info) {
  auto& ordinal = static_cast<const TOrdinalPropertyInfo&>(info);
  int64_t value = 0;
  switch (info.Kind()) {
    case TPropertyKind::pkBoolean:
      value = ReadBoolean() ? 1 : 0;
      break;
    case TPropertyKind::pkEnumeration: {
      String ident = ReadIdent();
      auto& names = ordinal.Names();
      auto it = std::find_if(names.begin(), names.end(), [&](const String& n) { return SameText(n, ident); });
      if (it == names.end()) Fail(L"invalid value " + ident);
      value = it - names.begin();
      break;
    }
    case TPropertyKind::pkSet: {
      auto& names = ordinal.Names();
      for (const String& element : ReadSet()) {
        auto it = std::find_if(names.begin(), names.end(), [&](const String& n) { return SameText(n, element); });
        if (it == names.end()) Fail(L"invalid set element " + element);
        value |= int64_t{1} << (it - names.begin());
      }
      break;
    }
    case TPropertyKind::pkColor:
      if (lexer_->Peek().Kind == TokenKind::Ident) {
        String ident = ReadIdent();
        TColor color = 0;
        if (!IdentToColor(ident, color)) Fail(L"invalid colour " + ident);
        value = color;
      } else {
        value = ReadInt64();
      }
      break;
    default:
      value = ReadInt64();
      break;
  }
  if (!ordinal.InRange(value)) Fail(L"value out of range");
  return value;
}

void TReader::ReadPublished(TPersistent* instance, const TPropertyInfo& info) {
  switch (info.Kind()) {
    case TPropertyKind::pkInteger:
    case TPropertyKind::pkBoolean:
    case TPropertyKind::pkEnumeration:
    case TPropertyKind::pkSet:
    case TPropertyKind::pkColor: {
      int64_t value = ReadOrdinalValue(info);
      static_cast<const TOrdinalPropertyInfo&>(info).SetOrdinal(instance, value);
      break;
    }
    case TPropertyKind::pkString:
      static_cast<const TStringPropertyInfo&>(info).SetString(instance, ReadString());
      break;
    case TPropertyKind::pkFloat: {
      auto& floating = static_cast<const TFloatPropertyInfo&>(info);
      const long double value = floating.Extended() ? ReadExtended() : ReadFloat();
      if (!floating.InRange(value)) Fail(L"value out of range");
      floating.SetFloat(instance, value);
      break;
    }
    case TPropertyKind::pkComponent:
    case TPropertyKind::pkEvent: {
      int line = lexer_->Peek().Line;
      String name = ReadIdent();
      fixups_.push_back(Fixup{instance, &info, name, line, Where(), within_});
      break;
    }
    case TPropertyKind::pkPersistent:
      break;
  }
}

void TReader::ResolveFixups() {
  for (const Fixup& fixup : fixups_) {
    if (fixup.Info->Kind() == TPropertyKind::pkComponent) {
      auto& info = static_cast<const TComponentPropertyInfo&>(*fixup.Info);
      TComponent* target = SameText(fixup.Name, root_->Name()) ? root_ : root_->FindComponent(fixup.Name);
      if (!target) Fail(L"component " + fixup.Name + L" not found", fixup.Line, fixup.Where);
      if (!info.SetComponent(fixup.Instance, target))
        Fail(Format(L"%s is a %s, which the property cannot hold", {fixup.Name, target->ClassName()}), fixup.Line,
             fixup.Where);
    } else {
      auto& info = static_cast<const TEventPropertyInfo&>(*fixup.Info);
      if (!root_->PublishedTable().FindMethod(fixup.Name))
        Fail(Format(L"method %s not found in %s", {fixup.Name, root_->ClassName()}), fixup.Line, fixup.Where);
      if (!info.BindMethod(fixup.Instance, root_, fixup.Name))
        Fail(Format(L"method %s does not fit event %s", {fixup.Name, info.Name()}), fixup.Line, fixup.Where);
    }
  }
}

void TReader::Discard(bool rootCreated) {
  if (rootCreated) {
    delete root_;
    return;
  }
  // Children were created after their parents, so the newest go first.
  for (auto it = created_.rbegin(); it != created_.rend(); ++it) {
    loaded_.erase(std::remove(loaded_.begin(), loaded_.end(), *it), loaded_.end());
    delete *it;
  }
  for (TComponent* component : loaded_) component->SetLoading(false);
}

TComponent* ReadComponentFromText(const String& text, TComponent* root) {
  return TReader(text).ReadRootComponent(root);
}

TComponent* ReadComponent(TStream& stream, TComponent* root) {
  return ReadComponentFromText(Utf8ToWide(ReadToEnd(stream)), root);
}

TComponent* ReadComponentRes(const String& resourceName, TComponent* root, HMODULE module) {
  TResourceStream stream(module ? module : GetModuleHandleW(nullptr), resourceName.c_str(), RT_RCDATA);
  return ReadComponent(stream, root);
}
