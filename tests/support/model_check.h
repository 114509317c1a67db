#pragma once
// What the model checks share: the error their handlers raise on purpose, and the counts a longer run takes from
// the environment.
#include <deque>
#include <random>
#include <string>

#include "framework/exceptions.h"

// What a handler of a check raises: the steps expect it, as an application's error would be.
class EChaos : public Exception {
 public:
  EChaos() : Exception(L"a handler failed on purpose") {}
};

// The environment's number NAME, else FALLBACK.
unsigned EnvironmentNumber(const char* name, unsigned fallback);

// How many numbered runs of how many steps a check makes, from which run on, and with freed blocks guarded or not
// (or both, where a check offers it): PREFIX_MODEL_RUNS, PREFIX_MODEL_FIRST_RUN, PREFIX_MODEL_STEPS and
// PREFIX_MODEL_GUARD (1 unless given).
struct TModelCheckCounts {
  unsigned Runs;
  unsigned FirstRun;
  unsigned Steps;
  unsigned Guard;
};
TModelCheckCounts ModelCheckCounts(const char* prefix, unsigned runs, unsigned steps);

// What every check keeps of its numbered run: its random choices, the step it is at and the steps before it, for a
// failure's report, and the first exception other than a handler's deliberate one that reached the application.
class TModelCheckRun {
 public:
  // A fault that ends the program names the run and the steps before it.
  explicit TModelCheckRun(unsigned run);
  ~TModelCheckRun();
  TModelCheckRun(const TModelCheckRun&) = delete;
  TModelCheckRun& operator=(const TModelCheckRun&) = delete;
  void Unexpected(const Exception& e);

 protected:
  bool Chance(unsigned oneIn) { return random_() % oneIn == 0; }
  unsigned Below(unsigned n) { return n ? static_cast<unsigned>(random_() % n) : 0; }
  void Remember(const std::string& name);
  std::string History() const;

  std::mt19937 random_;
  unsigned step_ = 0;
  std::string unexpected_;

 private:
  std::deque<std::string> history_;
};

// While it lives, what reaches the application's handler of exceptions is reported to CHECK, and nothing is after,
// also when a step throws past the check.
class TErrorsReportedTo {
 public:
  explicit TErrorsReportedTo(TModelCheckRun& check);
  ~TErrorsReportedTo();
  TErrorsReportedTo(const TErrorsReportedTo&) = delete;
  TErrorsReportedTo& operator=(const TErrorsReportedTo&) = delete;
};
