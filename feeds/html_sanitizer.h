// Keeps feed text from running code in the feed page. Markup from a feed is read as the browser would read it and
// written out anew: only the elements, attributes, addresses and styles of the allowlist survive, every tag is
// well-formed, every attribute value quoted and escaped, and every element the text opens is closed at its end,
// so no text can reach into the page's markup or into another value. Everything else becomes escaped text or
// goes; invalid UTF-8 becomes U+FFFD.
#pragma once

#include <string>
#include <string_view>

namespace feeds {

// Appends the markup made safe, in time and memory linear in its length.
void AppendSanitizedHTML(std::string& out, std::string_view markup);
std::string SanitizeHTML(std::string_view markup);

// Appends plain text for a double-quoted attribute: "&", "<", ">" and '"' written as character references.
void AppendEscapedHTMLAttribute(std::string& out, std::string_view value);

// Appends an address for a double-quoted attribute: escaped, and nothing unless it is relative or uses an allowed
// scheme.
void AppendSafeAddressAttribute(std::string& out, std::string_view address);

}  // namespace feeds
