// A string list's lines as a vector, so that a test compares them in one expectation.
#pragma once

#include <vector>

#include "framework/strings.h"

inline std::vector<String> Lines(const TStrings& list) {
  std::vector<String> lines;
  for (int i = 0; i < list.Count(); ++i) lines.push_back(list.Strings(i));
  return lines;
}
