#include "framework/exception_hook.h"

#include <exception>
#include <utility>

#include "framework/exceptions.h"
#include "framework/text_convert.h"

namespace {

TExceptionHandler& InstalledHandler() {
  static TExceptionHandler handler;
  return handler;
}

void ReportToDebugger() {
  String text = L"Unhandled exception";
  try {
    throw;
  } catch (const Exception& e) {
    text += L" " + e.ClassName() + L": " + e.Message();
  } catch (const std::exception& e) {
    text += L": " + Utf8ToWide(e.what());
  } catch (...) {
  }
  OutputDebugStringW((text + L"\n").c_str());
}

}  // namespace

TExceptionHandler SetApplicationExceptionHandler(TExceptionHandler handler) {
  return std::exchange(InstalledHandler(), std::move(handler));
}

void ApplicationHandleException(TObject* sender) {
  try {
    if (InstalledHandler())
      InstalledHandler()(sender);
    else
      ReportToDebugger();
  } catch (...) {
    // The handler itself failed; there is nobody left to tell.
  }
}
