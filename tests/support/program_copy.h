// Runs a copy of the running test program on one test, for what can only be seen from outside a process: how it
// ends, what it leaves behind. The copy knows it is one by an environment variable the caller names.
#pragma once

#include <windows.h>

#include <string>

#include "framework/object.h"

struct TProgramCopyResult {
  bool Started = false;
  DWORD ExitCode = 1;
  std::string Output;  // standard output and error together
};

// Runs the tests the filter names in a copy of this program, with variable set to value in its environment, and
// waits for its end (at most the given time; a copy still running then is ended and answers exit code 1). The copy
// runs the tests it is named whatever share of the tests this program was given. A start the platform refuses for
// a reason that may pass is tried again; a copy that does not start fails the test, saying why.
TProgramCopyResult RunProgramCopy(const String& gtestFilter, const wchar_t* variable, const String& value,
                                  DWORD limitMilliseconds = 120000);
// Whether this program is a copy started with the variable set.
bool IsProgramCopy(const wchar_t* variable);
// The value of the variable in this copy.
String ProgramCopyValue(const wchar_t* variable);
