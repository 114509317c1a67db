// The boundary of a COM method: nothing may escape it into the platform, so each exception becomes a result code.
#pragma once

#include <windows.h>

#include <new>
#include <type_traits>

#include "framework/exceptions.h"
#include "framework/raise_event.h"

// Runs body (returning an HRESULT, or nothing for S_OK) and turns what it throws into a result: std::bad_alloc
// gives E_OUTOFMEMORY, a failed COM call (EOleSysError) the failure it carries, anything else `otherwise`. A body
// may answer whether its object outlived the handlers it raised (S_OK too): the platform that called the method is
// the end of that answer's way, as the message loop is for a window procedure.
template <class Body>
HRESULT ComGuard(Body&& body, HRESULT otherwise = E_UNEXPECTED) noexcept {
  try {
    if constexpr (std::is_void_v<std::invoke_result_t<Body&>>) {
      body();
      return S_OK;
    } else if constexpr (std::is_same_v<std::invoke_result_t<Body&>, TRaised>) {
      (void)body();
      return S_OK;
    } else {
      return body();
    }
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (const EOleSysError& error) {
    return FAILED(error.ErrorCode()) ? error.ErrorCode() : otherwise;
  } catch (...) {
    return otherwise;
  }
}
