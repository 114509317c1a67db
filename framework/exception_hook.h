// Where an exception goes that reaches a boundary the platform calls (the window procedure of a hidden window,
// a timer callback) in code that has no application object to hand it to. The application installs its handler
// at start-up; until then the message goes to the debugger output, never into a box that would stop an
// unattended run.
#pragma once

#include <functional>
#include <type_traits>

#include "framework/object.h"
#include "framework/raise_event.h"

// Called inside the catch block, so std::current_exception() is the exception being handled.
using TExceptionHandler = std::function<void(TObject* sender)>;
// Installs handler, and answers the one it replaces.
TExceptionHandler SetApplicationExceptionHandler(TExceptionHandler handler);
// Call from inside a catch block: hands the exception being handled to the installed handler. Never throws.
void ApplicationHandleException(TObject* sender);

// Runs step where nothing may leave (a destructor that calls out, whose handlers may raise): what it raises goes
// to the installed handler.
template <class Step>
void ReportFailures(Step&& step) noexcept {
  try {
    if constexpr (std::is_same_v<std::invoke_result_t<Step&>, TRaised>) {
      // Whether what the step touched outlived its handlers is news to nobody: a destructor's calls out are its
      // last act on them.
      (void)step();
    } else {
      step();
    }
  } catch (...) {
    ApplicationHandleException(nullptr);
  }
}
