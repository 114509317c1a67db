// Reads stored forms (the text format of form_writer.h) into components.
//
// The reader creates each stored component by its registered class (a component the root already owns under
// the stored name and class is filled instead) and gives it the object it is nested in through
// SetParentComponent. It sets published properties by name through the class's property table ("Font.Name"
// reaches into the Font object; a collection is emptied and refilled from its stored items), hands every other
// name to DefineProperties, links component references and events once the whole form is read, and then calls
// Loaded on every component read, in reading order. Every fault raises EReadError naming the line and the
// property, errors of the components themselves included; objects and collection items nest at most 200 deep.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/component.h"

// How deep objects and collection items nest at most in a stored form: the reader refuses deeper forms, well before
// its recursion could exhaust the stack, and the writer does not write them. Stored forms nest a few levels.
inline constexpr int MaxFormNesting = 200;

class TCollection;
class TPropertyInfo;

class TReader : public TFiler {
 public:
  explicit TReader(const String& text);
  ~TReader() override;
  TReader(const TReader&) = delete;
  TReader& operator=(const TReader&) = delete;

  bool IsReader() const override { return true; }

  // The typed values a DefineProperties handler reads; each raises EReadError when the next value is of
  // another type.
  int32_t ReadInteger();
  int64_t ReadInt64();
  bool ReadBoolean();
  // Integers are accepted too; a number a double cannot hold as a finite value raises. ReadExtended reads into a
  // long double, exactly where the compiler's long double is the 10-byte extended type.
  double ReadFloat();
  long double ReadExtended();
  String ReadString();
  String ReadIdent();
  // The element names of a set, "[a, b]", as stored.
  std::vector<String> ReadSet();
  void ReadListBegin();
  void ReadListEnd();
  // True when the next token closes the current list.
  bool EndOfList();

  void DefineProperty(const String& name, const std::function<void(TReader&)>& readData,
                      const std::function<void(TWriter&)>& writeData, bool hasData) override;
  void DefineBinaryProperty(const String& name, const std::function<void(TStream&)>& readData,
                            const std::function<void(TStream&)>& writeData, bool hasData) override;

  // The component being read at the top (the form) and the one whose properties are being read.
  TComponent* Root() const { return root_; }
  TComponent* Current() const { return current_; }

  // Reads the whole form into root; with a null root, creates an instance of the stored class, which the
  // caller then owns. Returns the root.
  TComponent* ReadRootComponent(TComponent* root);

 private:
  struct Token;
  class Lexer;
  struct Fixup;
  class NestingScope;

  void ReadBody(TComponent* instance);
  void ReadObject(TComponent* parent);
  // The "Name: ClassName" (or just "ClassName") after the keyword "object"; an unnamed object gets an empty name.
  void ReadObjectHeader(String& name, String& className);
  TComponent* CreateChild(const String& name, const String& className, TComponent* parent, int line);
  void ReadProperty(TPersistent* instance, const String& pathPrefix);
  void ReadCollection(TCollection* collection, const String& path);
  void ReadPublished(TPersistent* instance, const TPropertyInfo& info);
  int64_t ReadOrdinalValue(const TPropertyInfo& info);
  void ResolveFixups();
  // At the line of the token taken last, or of the token ahead.
  [[noreturn]] void Fail(const String& reason) const;
  [[noreturn]] void FailAhead(const String& reason) const;
  [[noreturn]] void Fail(const String& reason, int line, const String& where) const;
  String Where() const;
  // Runs body; an error of another kind than EReadError leaves it as an EReadError at line, in where.
  template <class Body>
  void AsReadError(int line, const String& where, Body&& body);
  // Undoes a failed read: frees what it created and ends the loading state of the rest.
  void Discard(bool rootCreated);

  std::unique_ptr<Lexer> lexer_;
  TComponent* root_ = nullptr;
  TComponent* current_ = nullptr;
  String propertyPath_;
  String definedName_;
  bool definedFound_ = false;
  std::vector<TComponent*> loaded_;
  std::vector<TComponent*> created_;
  std::vector<Fixup> fixups_;
  std::vector<TCollection*> within_;
  int nesting_ = 0;
};

// Reads the form text into root (see ReadRootComponent).
TComponent* ReadComponentFromText(const String& text, TComponent* root);
// Reads the form stored as UTF-8 text from the stream's position to its end.
TComponent* ReadComponent(TStream& stream, TComponent* root);
// Reads the form stored as the RCDATA resource of that name in module (the program when null). Raises
// EResNotFound when there is no such resource.
TComponent* ReadComponentRes(const String& resourceName, TComponent* root, HMODULE module = nullptr);
