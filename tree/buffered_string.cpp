#include "tree/buffered_string.h"

#include <algorithm>
#include <cstring>

namespace tree {

namespace {

constexpr std::size_t MinimumSize = 4096;

}  // namespace

template <class Char>
void TBasicBufferedString<Char>::Grow(std::size_t needed) {
  std::size_t used = static_cast<std::size_t>(position_ - start_);
  std::size_t size = static_cast<std::size_t>(end_ - start_);
  // Doubling keeps the copies of a long export linear in its length.
  std::size_t newSize = std::max({MinimumSize, 2 * size, used + needed + MinimumSize});
  Char* block = new Char[newSize];
  if (used) std::memcpy(block, start_, used * sizeof(Char));
  delete[] start_;
  start_ = block;
  position_ = block + used;
  end_ = block + newSize;
}

template <class Char>
void TBasicBufferedString<Char>::Add(const std::basic_string<Char>& text) {
  if (static_cast<std::size_t>(end_ - position_) < text.size()) Grow(text.size());
  if (!text.empty()) std::memcpy(position_, text.data(), text.size() * sizeof(Char));
  position_ += text.size();
}

template <class Char>
void TBasicBufferedString<Char>::AddNewLine() {
  if (end_ - position_ < 3) Grow(2);
  *position_++ = Char('\r');
  *position_++ = Char('\n');
}

template class TBasicBufferedString<char>;
template class TBasicBufferedString<wchar_t>;

}  // namespace tree
