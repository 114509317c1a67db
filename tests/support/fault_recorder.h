// Records every access violation (and every other hardware fault) raised anywhere in the process, on any thread,
// whether or not something catches it afterwards: the platform swallows faults inside window procedures and other
// callbacks, so a test program would otherwise pass with a fault that can end the process elsewhere.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

// Installs the recorder as a vectored exception handler and as a GoogleTest listener that fails the running test
// (or test suite) with every fault recorded while it ran.
void InstallFaultRecorder();
// Describes the faults recorded since the last report, one line each, and forgets them; empty when there were none.
std::string TakeFaultReport();
// While set, what a fault that ends the program adds to its report: a model check's run and its last steps, so that
// the run can be replayed.
void SetFatalFaultContext(std::function<std::string()> context);
