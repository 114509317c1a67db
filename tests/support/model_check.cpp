#include "support/model_check.h"

#include <cstdlib>
#include <string>

#include "framework/application.h"
#include "support/fault_recorder.h"

unsigned EnvironmentNumber(const char* name, unsigned fallback) {
  const char* value = std::getenv(name);
  return value && *value ? static_cast<unsigned>(std::strtoul(value, nullptr, 10)) : fallback;
}

TModelCheckCounts ModelCheckCounts(const char* prefix, unsigned runs, unsigned steps) {
  const std::string name = std::string(prefix) + "_MODEL_";
  return {EnvironmentNumber((name + "RUNS").c_str(), runs), EnvironmentNumber((name + "FIRST_RUN").c_str(), 1),
          EnvironmentNumber((name + "STEPS").c_str(), steps), EnvironmentNumber((name + "GUARD").c_str(), 1)};
}

TModelCheckRun::TModelCheckRun(unsigned run) : random_(run) {
  SetFatalFaultContext([this, run] {
    return "in run " + std::to_string(run) + " at step " + std::to_string(step_) + "; the steps before:\n" + History();
  });
}

TModelCheckRun::~TModelCheckRun() { SetFatalFaultContext(nullptr); }

void TModelCheckRun::Unexpected(const Exception& e) {
  if (!dynamic_cast<const EChaos*>(&e) && unexpected_.empty())
    unexpected_ = "an exception reached the application: " + std::string(e.what());
}

void TModelCheckRun::Remember(const std::string& name) {
  history_.push_back(std::to_string(step_) + ": " + name);
  if (history_.size() > 24) history_.pop_front();
}

std::string TModelCheckRun::History() const {
  std::string text;
  for (const std::string& line : history_) text += "  " + line + "\n";
  return text;
}

TErrorsReportedTo::TErrorsReportedTo(TModelCheckRun& check) {
  Application->OnException = [&check](TObject*, const Exception& e) { check.Unexpected(e); };
}

TErrorsReportedTo::~TErrorsReportedTo() { Application->OnException = nullptr; }
