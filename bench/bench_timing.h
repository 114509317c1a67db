// The clock every benchmark reads.
#pragma once

#include <windows.h>

// Seconds since an arbitrary start, from the performance counter.
inline double Seconds() {
  LARGE_INTEGER frequency;
  LARGE_INTEGER counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}
