#include "tree/buffered_string.h"

namespace tree {

template class TBasicBufferedString<char>;
template class TBasicBufferedString<wchar_t>;

}  // namespace tree
