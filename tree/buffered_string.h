// Growable text builders for the export code: the text grows geometrically, so appending costs amortized constant
// time per unit, and the finished text is handed over without a copy.
#pragma once

#include <cstddef>
#include <string>

#include "framework/object.h"

namespace tree {

template <class Char>
class TBasicBufferedString : public TObject {
 public:
  TBasicBufferedString() = default;
  TBasicBufferedString(const TBasicBufferedString&) = delete;
  TBasicBufferedString& operator=(const TBasicBufferedString&) = delete;

  void Add(const std::basic_string<Char>& text) { text_ += text; }
  // Appends CR LF.
  void AddNewLine() { text_ += {Char('\r'), Char('\n')}; }
  std::size_t Size() const noexcept { return text_.size(); }
  // Drops what was added after the first size units.
  void Truncate(std::size_t size) { text_.resize(size); }
  // Room for units in all, so that a text of a known size is laid out once.
  void Reserve(std::size_t units) { text_.reserve(units); }
  std::basic_string<Char> AsString() const { return text_; }
  // The text, leaving the builder empty.
  std::basic_string<Char> TakeString() { return std::move(text_); }

 private:
  std::basic_string<Char> text_;
};

// 8-bit text.
class TBufferedString : public TBasicBufferedString<char> {
  BC_CLASS(TBufferedString, TObject)
};
// UTF-16 text.
class TWideBufferedString : public TBasicBufferedString<wchar_t> {
  BC_CLASS(TWideBufferedString, TObject)
};

}  // namespace tree
