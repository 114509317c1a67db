// The exception classes of the framework. Every exception carries a wide message; what() gives it as UTF-8.
#pragma once

#include <exception>
#include <string>

#include "framework/object.h"

class Exception : public TObject, public std::exception {
  BC_CLASS(Exception, TObject)
  explicit Exception(String message = {});
  // An error with a help topic: numbered errors carry their number as the help context.
  Exception(String message, int helpContext);

  const String& Message() const { return message_; }
  void SetMessage(const String& message);
  int HelpContext() const { return helpContext_; }
  void SetHelpContext(int value) { helpContext_ = value; }
  const char* what() const noexcept override { return utf8_.c_str(); }

 private:
  String message_;
  std::string utf8_;
  int helpContext_ = 0;
};

// Declares an exception class that adds nothing but its type.
#define BC_EXCEPTION(Name, Base)                          \
  class Name : public Base {                              \
    BC_CLASS(Name, Base)                                  \
    explicit Name(String message = {}) : Base(std::move(message)) {} \
  };

BC_EXCEPTION(EAbort, Exception)
BC_EXCEPTION(EConvertError, Exception)
BC_EXCEPTION(EStreamError, Exception)
BC_EXCEPTION(EReadError, EStreamError)
BC_EXCEPTION(EWriteError, EStreamError)
BC_EXCEPTION(EFOpenError, EStreamError)
BC_EXCEPTION(EFCreateError, EStreamError)
BC_EXCEPTION(EListError, Exception)
BC_EXCEPTION(EStringListError, EListError)
BC_EXCEPTION(EInvalidOperation, Exception)
BC_EXCEPTION(EInvalidPointer, Exception)
BC_EXCEPTION(EResNotFound, Exception)
BC_EXCEPTION(EClassNotFound, Exception)
BC_EXCEPTION(EComponentError, Exception)
BC_EXCEPTION(EThread, Exception)
BC_EXCEPTION(EOutOfResources, Exception)
BC_EXCEPTION(EOutOfMemory, Exception)
BC_EXCEPTION(EInvalidGraphic, Exception)
BC_EXCEPTION(EInvalidGraphicOperation, Exception)
BC_EXCEPTION(ERegistryException, Exception)
BC_EXCEPTION(EIniFileException, Exception)
BC_EXCEPTION(EDOMParseError, Exception)
BC_EXCEPTION(EXMLDocError, Exception)
BC_EXCEPTION(EVariantError, Exception)
BC_EXCEPTION(EMenuError, Exception)

// A failed platform call: the system's error code with its text.
class EOSError : public Exception {
  BC_CLASS(EOSError, Exception)
  explicit EOSError(String message = {}, DWORD errorCode = 0);
  DWORD ErrorCode() const { return errorCode_; }

 private:
  DWORD errorCode_;
};

// A failed COM call: the result code with its text.
class EOleSysError : public Exception {
  BC_CLASS(EOleSysError, Exception)
  explicit EOleSysError(String message = {}, HRESULT errorCode = E_FAIL);
  HRESULT ErrorCode() const { return errorCode_; }

 private:
  HRESULT errorCode_;
};

// The system's text for an error code, without the trailing line break.
String SysErrorMessage(DWORD errorCode);
// Raises EOSError for GetLastError().
[[noreturn]] void RaiseLastOSError();
[[noreturn]] void RaiseLastOSError(DWORD errorCode);
// Raises EOleSysError when the result is a failure; returns it otherwise.
HRESULT OleCheck(HRESULT result);
// Raises EOSError for GetLastError() when the result is false.
void Win32Check(BOOL result);

// Replaces each %s and %d of the pattern with the next argument, in order; %% is a percent sign.
String Format(const String& pattern, std::initializer_list<String> args);
