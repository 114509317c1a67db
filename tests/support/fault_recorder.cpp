#include "support/fault_recorder.h"

#include <windows.h>

#include <cstdio>

namespace {

constexpr int kStackDepth = 12;

struct TFault {
  DWORD Code;
  void* Address;     // where the faulting instruction is (null for a call through a null pointer)
  ULONG_PTR Target;  // the address read or written, for an access violation
  DWORD ThreadId;
  void* Callers[kStackDepth];  // return addresses, innermost first, as far as the stack unwinds
};

// The handler runs on the faulting thread, maybe with the heap locked: it only fills fixed slots.
constexpr LONG kKeptFaults = 16;
TFault faults[kKeptFaults];
volatile LONG faultCount = 0;

bool IsHardwareFault(DWORD code) {
  switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_IN_PAGE_ERROR:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_PRIV_INSTRUCTION:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_STACK_OVERFLOW:
      return true;
    default:
      return false;
  }
}

// Unwinds the faulting thread's stack from the fault's context. A call through a null or stale pointer lands where
// there is no code to unwind from: its caller's return address is then on top of the stack.
void RecordCallers(CONTEXT context, void* (&callers)[kStackDepth]) {
  for (void*& caller : callers) caller = nullptr;
#if defined(_M_X64) || defined(__x86_64__)
  int depth = 0;
  DWORD64 faultBase = 0;
  if (!RtlLookupFunctionEntry(context.Rip, &faultBase, nullptr)) {
    context.Rip = *reinterpret_cast<const DWORD64*>(context.Rsp);
    context.Rsp += sizeof(DWORD64);
    callers[depth++] = reinterpret_cast<void*>(context.Rip);
  }
  while (depth < kStackDepth) {
    DWORD64 imageBase = 0;
    PRUNTIME_FUNCTION function = RtlLookupFunctionEntry(context.Rip, &imageBase, nullptr);
    if (!function) break;
    void* handlerData = nullptr;
    DWORD64 establisher = 0;
    RtlVirtualUnwind(UNW_FLAG_NHANDLER, imageBase, context.Rip, function, &context, &handlerData, &establisher,
                     nullptr);
    if (!context.Rip) break;
    callers[depth++] = reinterpret_cast<void*>(context.Rip);
  }
#else
  (void)context;
#endif
}

LONG CALLBACK RecordFault(EXCEPTION_POINTERS* info) {
  const EXCEPTION_RECORD& record = *info->ExceptionRecord;
  if (!IsHardwareFault(record.ExceptionCode)) return EXCEPTION_CONTINUE_SEARCH;
  const LONG index = InterlockedIncrement(&faultCount) - 1;
  if (index < kKeptFaults) {
    TFault& fault = faults[index];
    fault.Code = record.ExceptionCode;
    fault.Address = record.ExceptionAddress;
    fault.Target = record.NumberParameters >= 2 ? record.ExceptionInformation[1] : 0;
    fault.ThreadId = GetCurrentThreadId();
    // An overflowed stack has no room left for unwinding.
    if (record.ExceptionCode != EXCEPTION_STACK_OVERFLOW) RecordCallers(*info->ContextRecord, fault.Callers);
  }
  return EXCEPTION_CONTINUE_SEARCH;
}

// "module+offset", or the bare address outside every module.
std::string CodePlace(void* address) {
  char text[MAX_PATH + 32];
  HMODULE module = nullptr;
  char path[MAX_PATH] = "";
  if (address &&
      GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         static_cast<const char*>(address), &module) &&
      GetModuleFileNameA(module, path, MAX_PATH)) {
    const char* name = path;
    for (const char* at = path; *at; ++at)
      if (*at == '\\' || *at == '/') name = at + 1;
    std::snprintf(text, sizeof text, "%s+0x%llx", name,
                  static_cast<unsigned long long>(static_cast<char*>(address) - reinterpret_cast<char*>(module)));
  } else {
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(address)));
  }
  return text;
}

std::string Describe(const TFault& fault) {
  char text[128];
  const char* kind = fault.Code == EXCEPTION_ACCESS_VIOLATION ? "access violation" : "hardware fault";
  std::snprintf(text, sizeof text, "%s 0x%08lx at ", kind, static_cast<unsigned long>(fault.Code));
  std::string line = text + CodePlace(fault.Address);
  if (fault.Code == EXCEPTION_ACCESS_VIOLATION) {
    std::snprintf(text, sizeof text, " touching 0x%llx", static_cast<unsigned long long>(fault.Target));
    line += text;
  }
  std::snprintf(text, sizeof text, " (thread %lu)\n", static_cast<unsigned long>(fault.ThreadId));
  line += text;
  for (void* caller : fault.Callers)
    if (caller) line += "    called from " + CodePlace(caller) + "\n";
  return line;
}

std::function<std::string()> fatalFaultContext;

// A fault nothing handles ends the program: where it happened is told first.
LONG WINAPI ReportFatalFault(EXCEPTION_POINTERS*) {
  std::string report = "\nA fault ends the test program:\n" + TakeFaultReport();
  if (fatalFaultContext) report += fatalFaultContext();
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), report.data(), static_cast<DWORD>(report.size()), &written, nullptr);
  return EXCEPTION_CONTINUE_SEARCH;
}

class TFaultReporter : public testing::EmptyTestEventListener {
 public:
  void OnTestEnd(const testing::TestInfo&) override { FailOnFaults(); }
  void OnTestSuiteEnd(const testing::TestSuite&) override { FailOnFaults(); }

 private:
  static void FailOnFaults() {
    const std::string report = TakeFaultReport();
    if (!report.empty()) ADD_FAILURE() << "faults raised (some swallowed by the platform):\n" << report;
  }
};

}  // namespace

std::string TakeFaultReport() {
  const LONG count = InterlockedExchange(&faultCount, 0);
  std::string report;
  for (LONG i = 0; i < count && i < kKeptFaults; ++i) report += Describe(faults[i]);
  if (count > kKeptFaults) report += "and " + std::to_string(count - kKeptFaults) + " more\n";
  return report;
}

void InstallFaultRecorder() {
  AddVectoredExceptionHandler(1, &RecordFault);
  SetUnhandledExceptionFilter(&ReportFatalFault);
  // Before the printer, so that a test failed here is printed as failed.
  testing::TestEventListeners& listeners = testing::UnitTest::GetInstance()->listeners();
  testing::TestEventListener* printer = listeners.Release(listeners.default_result_printer());
  listeners.Append(new TFaultReporter);
  if (printer) listeners.Append(printer);
}

void SetFatalFaultContext(std::function<std::string()> context) { fatalFaultContext = std::move(context); }
