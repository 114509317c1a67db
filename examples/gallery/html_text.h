// The text a reader sees in a page of markup: tags dropped (blocks and line breaks become new lines, table cells
// are set apart), scripts and styles left out, character references decoded, runs of white space made one blank.
#pragma once

#include <string_view>

#include "framework/object.h"

String HtmlToText(std::string_view utf8Markup);
// The same on one line, for a title that may carry markup.
String HtmlToLine(std::string_view utf8Markup);
