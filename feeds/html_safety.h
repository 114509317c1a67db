// Keeps feed-supplied text from running code in the feed page: attribute values are escaped, and markup that a
// feed brings in loses its active parts while ordinary markup passes unchanged.
#pragma once

#include <string>

namespace feeds {

// The value with &, ", < and > written as character references, for a double-quoted attribute; a "%" before
// another "%" is written as a reference too, so that no "%%" placeholder of the page stands in the attribute.
std::string EscapeHTMLAttribute(const std::string& value);

// An address for a double-quoted attribute: escaped, and empty when it is a "javascript:" or "vbscript:" address.
std::string SafeAddressAttribute(const std::string& address);

// The markup without script, object, embed, applet, iframe and link elements (start tag to end tag), without
// event attributes (names beginning with "on") and without attributes whose value is a "javascript:" or
// "vbscript:" address, including the address of a meta refresh; style attributes and style elements that hold an
// expression, a behavior binding, a script address or an imported sheet go as well.
// Tags that hold none of these, and all text between tags, are kept byte for byte.
std::string RemoveActiveContent(const std::string& markup);

}  // namespace feeds
