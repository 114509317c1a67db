// Where an exception goes that reaches a boundary the platform calls (the window procedure of a hidden window,
// a timer callback) in code that has no application object to hand it to. The application installs its handler
// at start-up; until then the message goes to the debugger output, never into a box that would stop an
// unattended run.
#pragma once

#include <functional>

#include "framework/object.h"

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
    step();
  } catch (...) {
    ApplicationHandleException(nullptr);
  }
}
