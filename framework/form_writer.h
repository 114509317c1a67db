// Writes components as stored forms: a readable text of nested "object Name: TClass" ... "end" blocks.
//
//   object MainForm: TMainForm
//     Caption = 'Browser'
//     Font.Name = 'Tahoma'
//     Anchors = [akLeft, akTop]
//     OnClose = FormClose
//     FileData = {
//       04000000CAFEBABE}
//     Lines.Strings = (
//       'first'
//       'second')
//     Columns = <
//       item
//         Width = 120
//       end>
//     object Timer1: TTimer
//       Interval = 250
//     end
//   end
//
// Strings are quoted with ' (doubled inside); control characters are written as #n between quoted parts. The
// text is stored as UTF-8. A collection is always written whole, each item's properties between "item" and
// "end". Values equal to their defaults and values whose stored predicate says no are left
// out; the values of DefineProperties follow the published ones. Objects and collection items nested deeper than
// the reader reads (MaxFormNesting) raise EWriteError.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/component.h"

class TCollection;
class TPropertyInfo;

class TWriter : public TFiler {
 public:
  explicit TWriter(TComponent* root);
  ~TWriter() override;
  TWriter(const TWriter&) = delete;
  TWriter& operator=(const TWriter&) = delete;

  bool IsReader() const override { return false; }

  // The typed values a DefineProperties handler writes: one value, or one list of values.
  void WriteInteger(int64_t value);
  void WriteBoolean(bool value);
  // Every finite number, as the shortest text that reads back equal (in a double, or in a long double for
  // WriteExtended); raises EWriteError for the others.
  void WriteFloat(double value);
  void WriteExtended(long double value);
  void WriteString(const String& value);
  void WriteIdent(const String& ident);
  void WriteSet(const std::vector<String>& elements);
  void WriteListBegin();
  void WriteListEnd();

  void DefineProperty(const String& name, const std::function<void(TReader&)>& readData,
                      const std::function<void(TWriter&)>& writeData, bool hasData) override;
  void DefineBinaryProperty(const String& name, const std::function<void(TStream&)>& readData,
                            const std::function<void(TStream&)>& writeData, bool hasData) override;

  TComponent* Root() const { return root_; }
  // Writes the root with everything GetChildren gives, recursively, and returns the text.
  String WriteRootComponent();

 private:
  void WriteComponent(TComponent* component, int depth);
  void WriteProperties(TPersistent* instance, const String& prefix);
  void WriteCollection(TCollection* collection, const String& name);
  void WritePublished(TPersistent* instance, const TPropertyInfo& info, const String& prefix);
  void BeginProperty(const String& name);
  void WriteValueText(const String& text);
  void NewLine(int depth);

  class NestingScope;

  TComponent* root_;
  String out_;
  int depth_ = 0;
  int listDepth_ = 0;
  int nesting_ = 0;  // levels of objects and collection items being written
  String definePrefix_;
};

// The form text of root and its children, as WriteRootComponent gives it.
String ComponentToText(TComponent* root);
// Writes the form text of root as UTF-8 at the stream's position.
void WriteComponent(TStream& stream, TComponent* root);
