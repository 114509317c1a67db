#include "framework/exceptions.h"

#include "framework/text_convert.h"

Exception::Exception(String message) { SetMessage(std::move(message)); }

Exception::Exception(String message, int helpContext) : helpContext_(helpContext) { SetMessage(std::move(message)); }

void Exception::SetMessage(const String& message) {
  message_ = message;
  utf8_ = WideToUtf8(message_);
}

EOSError::EOSError(String message, DWORD errorCode) : Exception(std::move(message)), errorCode_(errorCode) {}

EOleSysError::EOleSysError(String message, HRESULT errorCode)
    : Exception(std::move(message)), errorCode_(errorCode) {}

String SysErrorMessage(DWORD errorCode) {
  wchar_t* buffer = nullptr;
  DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                    FORMAT_MESSAGE_IGNORE_INSERTS,
                                nullptr, errorCode, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  String text(buffer ? buffer : L"", length);
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ' ||
                           text.back() == L'.'))
    text.pop_back();
  return text;
}

void RaiseLastOSError() { RaiseLastOSError(GetLastError()); }

void RaiseLastOSError(DWORD errorCode) {
  if (errorCode == 0)
    throw EOSError(L"A call to an OS function failed", 0);
  throw EOSError(Format(L"System Error.  Code: %d.\r\n%s", {std::to_wstring(errorCode), SysErrorMessage(errorCode)}),
                 errorCode);
}

HRESULT OleCheck(HRESULT result) {
  if (FAILED(result)) {
    String text = SysErrorMessage(static_cast<DWORD>(result));
    if (text.empty()) text = Format(L"OLE error %s", {[&] {
                                      wchar_t hex[16];
                                      swprintf(hex, 16, L"%08X", static_cast<unsigned>(result));
                                      return String(hex);
                                    }()});
    throw EOleSysError(text, result);
  }
  return result;
}

void Win32Check(BOOL result) {
  if (!result) RaiseLastOSError();
}

String Format(const String& pattern, std::initializer_list<String> args) {
  String out;
  out.reserve(pattern.size() + 32);
  auto next = args.begin();
  for (size_t i = 0; i < pattern.size(); ++i) {
    wchar_t c = pattern[i];
    if (c == L'%' && i + 1 < pattern.size()) {
      wchar_t conversion = pattern[i + 1];
      if (conversion == L'%') {
        out += L'%';
        ++i;
        continue;
      }
      if (conversion == L's' || conversion == L'd') {
        if (next != args.end()) out += *next++;
        ++i;
        continue;
      }
    }
    out += c;
  }
  return out;
}
