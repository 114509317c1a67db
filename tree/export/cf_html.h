// The clipboard's "HTML Format": an HTML fragment inside a small document, behind a header that gives the byte
// offsets of the document and of the fragment.
#pragma once

#include <string>
#include <string_view>

namespace tree {

// fragment (UTF-8) as "HTML Format" data, without a terminating zero. The offsets have eight digits, more only
// for documents too large for eight.
std::string MakeCFHtml(std::string_view fragment);

}  // namespace tree
