// Growable text builders for the export code: the buffer doubles when full, so appending costs amortized constant
// time per unit.
#pragma once

#include <string>

#include "framework/object.h"

namespace tree {

template <class Char>
class TBasicBufferedString : public TObject {
 public:
  TBasicBufferedString() = default;
  TBasicBufferedString(const TBasicBufferedString&) = delete;
  TBasicBufferedString& operator=(const TBasicBufferedString&) = delete;
  ~TBasicBufferedString() override { delete[] start_; }

  void Add(const std::basic_string<Char>& text);
  // Appends CR LF.
  void AddNewLine();
  std::basic_string<Char> AsString() const { return std::basic_string<Char>(start_, position_); }

 private:
  void Grow(std::size_t needed);

  Char* start_ = nullptr;
  Char* position_ = nullptr;
  Char* end_ = nullptr;
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
