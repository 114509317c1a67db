// What a builder of the gallery does with a sample its setting up freed.
#pragma once

#include "framework/exceptions.h"

// The gallery sets each sample up before it gives the sample handlers, and none of its handlers frees a sample: a
// builder that finds a sample gone all the same stops there instead of handing a dead sample on.
[[noreturn]] inline void SampleLost() { throw EInvalidOperation(L"A sample was freed while the gallery set it up"); }
