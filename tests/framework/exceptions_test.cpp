#include <gtest/gtest.h>

#include "framework/exceptions.h"

TEST(PlatformErrors, FailedCallsRaiseWithTheSystemsCodeAndText) {
  SetLastError(0);
  try {
    Win32Check(CloseHandle(reinterpret_cast<HANDLE>(static_cast<intptr_t>(0x1234))));
    FAIL() << "closing a handle that does not exist succeeded";
  } catch (const EOSError& error) {
    EXPECT_EQ(error.ErrorCode(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(error.Message().rfind(L"System Error.  Code: 6.\r\n", 0), 0u) << error.Message();
    EXPECT_GT(error.Message().size(), 25u);
  }
  EXPECT_NO_THROW(Win32Check(TRUE));
  try {
    RaiseLastOSError(ERROR_FILE_NOT_FOUND);
  } catch (const EOSError& error) {
    EXPECT_EQ(error.ErrorCode(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(error.Message().find(L"\r\n\r\n"), String::npos);
    EXPECT_NE(error.Message().back(), L'\n');
  }
}

TEST(PlatformErrors, OleCheckPassesSuccessCodesAndRaisesFailures) {
  EXPECT_EQ(OleCheck(S_OK), S_OK);
  EXPECT_EQ(OleCheck(S_FALSE), S_FALSE);
  try {
    OleCheck(E_NOINTERFACE);
    FAIL() << "a failure code passed";
  } catch (const EOleSysError& error) {
    EXPECT_EQ(error.ErrorCode(), E_NOINTERFACE);
    EXPECT_FALSE(error.Message().empty());
  }
  // A code the system has no text for still names itself.
  try {
    OleCheck(static_cast<HRESULT>(0x8FFF1234));
  } catch (const EOleSysError& error) {
    EXPECT_NE(error.Message().find(L"8FFF1234"), String::npos) << error.Message();
  }
}

TEST(ExceptionMessages, FormatFillsPlaceholdersInOrder) {
  EXPECT_EQ(Format(L"List index out of bounds (%d)", {L"-1"}), L"List index out of bounds (-1)");
  EXPECT_EQ(Format(L"%s of %s: 100%%", {L"a", L"b"}), L"a of b: 100%");
  // Missing arguments leave nothing behind; a lone percent sign at the end stays.
  EXPECT_EQ(Format(L"[%s][%s]%", {L"x"}), L"[x][]%");
  EXPECT_EQ(Format(L"%x", {L"unused"}), L"%x");
}

TEST(ExceptionMessages, WhatGivesTheMessageAsUtf8AndClassesNest) {
  EReadError error(L"Stream read error \u00e9");
  EXPECT_STREQ(error.what(), "Stream read error \xC3\xA9");
  EXPECT_TRUE(error.InheritsFrom(EStreamError::StaticClass()));
  EXPECT_TRUE(error.InheritsFrom(Exception::StaticClass()));
  EXPECT_FALSE(error.InheritsFrom(EListError::StaticClass()));
  EXPECT_EQ(error.ClassName(), L"EReadError");
  error.SetMessage(L"changed");
  EXPECT_STREQ(error.what(), "changed");
  EXPECT_TRUE(EStringListError().InheritsFrom(EListError::StaticClass()));
}
