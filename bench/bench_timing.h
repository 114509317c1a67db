// What every benchmark program shares: the clock, timings that take the best of several runs, and the targets it
// checks, whose misses make the program's exit code.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "framework/raise_event.h"

// The measured objects have no handlers that free them: one that went would make every figure meaningless.
inline void MustLive(TRaised raised) {
  if (raised.Gone()) std::abort();
}

// Seconds since an arbitrary start, from the performance counter.
inline double Seconds() {
  LARGE_INTEGER frequency;
  LARGE_INTEGER counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// How often each side of a comparison runs: the best run is what the code costs, the slower ones measure how busy
// the machine was.
constexpr int kBestOfRuns = 5;

// The smallest of runs results of measure(), a callable that returns seconds.
template <class Measure>
double BestOf(int runs, Measure&& measure) {
  double best = measure();
  for (int i = 1; i < runs; ++i) best = std::min(best, measure());
  return best;
}

// The mean of runs results of measure() taken back to back: a small case set against one many times larger spans as
// much time, so both meet the same load of the machine.
template <class Measure>
double MeanOf(int runs, Measure&& measure) {
  double total = 0;
  for (int i = 0; i < runs; ++i) total += measure();
  return total / runs;
}

// The seconds of one run of work().
template <class Work>
double TimeOf(Work&& work) {
  const double start = Seconds();
  work();
  return Seconds() - start;
}

// The seconds of the fastest of runs runs of work().
template <class Work>
double BestTime(int runs, Work&& work) {
  return BestOf(runs, [&] { return TimeOf(work); });
}

// The targets of one benchmark program. Each check prints its line, "target <name>: <ratio> (goal <= <limit>)",
// and main returns ExitCode(), so that a missed target fails the program.
class TBenchTargets {
 public:
  // A ratio that must not exceed limit (a cost against its reference).
  void AtMost(const char* name, double ratio, double limit) { Check(name, ratio, "<=", limit, ratio <= limit); }
  // A ratio that must reach limit (a rate against its reference).
  void AtLeast(const char* name, double ratio, double limit) { Check(name, ratio, ">=", limit, ratio >= limit); }
  // A measurement that could not be made counts as a miss.
  void Failed(const char* what) {
    std::printf("failed: %s\n", what);
    ++missed_;
  }

  int ExitCode() const {
    if (missed_ == 0) return 0;
    std::printf("%d target(s) missed\n", missed_);
    std::fflush(stdout);
    return 1;
  }

 private:
  void Check(const char* name, double ratio, const char* relation, double limit, bool met) {
    std::printf("target %s: %.3f (goal %s %.2f)%s\n", name, ratio, relation, limit, met ? "" : " MISSED");
    std::fflush(stdout);
    if (!met) ++missed_;
  }

  int missed_ = 0;
};
