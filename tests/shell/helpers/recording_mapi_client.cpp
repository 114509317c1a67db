// A mail client library for the tests: it exports the twelve Simple MAPI entry points and the Unicode send, copies
// everything a call hands it into a text log (Unicode texts as UTF-8) while the call runs, and answers with the
// result the test chose. Built again without the Unicode send, as an older client, and without MAPIFreeBuffer, as
// a client that lacks an entry point.
// clang-format off
#include <windows.h>
#include <mapi.h>
// clang-format on

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "shell/mapi_unicode.h"

namespace {

using TDuringCall = void(WINAPI*)(void* context);

std::string callLog;
ULONG nextResult = SUCCESS_SUCCESS;
std::string savedMessageId;
TDuringCall duringCall = nullptr;
void* duringCallContext = nullptr;

void Append(const char* format, ...) {
  char line[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  callLog += line;
  callLog += '\n';
}

std::string Quoted(const char* text) {
  if (!text) return "nil";
  std::string quoted(1, '"');
  quoted.append(text).push_back('"');
  return quoted;
}

std::string Quoted(const wchar_t* text) {
  if (!text) return "nil";
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string utf8(size > 0 ? size : 1, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), size, nullptr, nullptr);
  return Quoted(utf8.c_str());
}

HANDLE OpenForReading(const char* path) {
  return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
}

HANDLE OpenForReading(const wchar_t* path) {
  return CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
}

// The file must be there, written, while the call runs.
template <class Char>
void LogFileContent(const Char* path) {
  HANDLE file = path ? OpenForReading(path) : INVALID_HANDLE_VALUE;
  if (file == INVALID_HANDLE_VALUE) {
    Append("content unreadable");
    return;
  }
  char content[128] = {};
  DWORD read = 0;
  ReadFile(file, content, sizeof content - 1, &read, nullptr);
  CloseHandle(file);
  Append("content %s", Quoted(content).c_str());
}

template <class Message>
void LogMessage(const Message* message) {
  if (!message) {
    Append("message nil");
    return;
  }
  Append("subject %s", Quoted(message->lpszSubject).c_str());
  Append("note %s", Quoted(message->lpszNoteText).c_str());
  if (message->ulReserved || message->lpszMessageType || message->lpszDateReceived || message->lpszConversationID ||
      message->flFlags || message->lpOriginator)
    Append("message fields that should be zero are set");
  for (ULONG i = 0; i < message->nRecipCount; ++i) {
    const auto& recip = message->lpRecips[i];
    Append("recip %lu %s %s", recip.ulRecipClass, Quoted(recip.lpszName).c_str(), Quoted(recip.lpszAddress).c_str());
    if (recip.ulReserved || recip.ulEIDSize || recip.lpEntryID) Append("recip fields that should be zero are set");
  }
  for (ULONG i = 0; i < message->nFileCount; ++i) {
    const auto& file = message->lpFiles[i];
    Append("file %ld %s %s", static_cast<long>(file.nPosition), Quoted(file.lpszPathName).c_str(),
           Quoted(file.lpszFileName).c_str());
    if (file.ulReserved || file.flFlags || file.lpFileType) Append("file fields that should be zero are set");
    LogFileContent(file.lpszPathName);
  }
  if (duringCall) duringCall(duringCallContext);
}

ULONG NotSupported(const char* name) {
  Append("%s", name);
  return MAPI_E_NOT_SUPPORTED;
}

}  // namespace

extern "C" {

ULONG WINAPI MAPISendMail(LHANDLE session, ULONG_PTR parent, lpMapiMessage message, FLAGS flags, ULONG reserved) {
  Append("MAPISendMail session=%llu parent=%llu flags=%lu reserved=%lu", static_cast<unsigned long long>(session),
         static_cast<unsigned long long>(parent), flags, reserved);
  LogMessage(message);
  return nextResult;
}

ULONG WINAPI MAPISendMailW(LHANDLE session, ULONG_PTR parent, shell::TMapiMessageW* message, FLAGS flags,
                           ULONG reserved) {
  Append("MAPISendMailW session=%llu parent=%llu flags=%lu reserved=%lu", static_cast<unsigned long long>(session),
         static_cast<unsigned long long>(parent), flags, reserved);
  LogMessage(message);
  return nextResult;
}

ULONG WINAPI MAPISaveMail(LHANDLE session, ULONG_PTR parent, lpMapiMessage message, FLAGS flags, ULONG reserved,
                          LPSTR messageId) {
  Append("MAPISaveMail session=%llu parent=%llu flags=%lu reserved=%lu id=%s", static_cast<unsigned long long>(session),
         static_cast<unsigned long long>(parent), flags, reserved, Quoted(messageId).c_str());
  LogMessage(message);
  // A client may fill all 512 characters of the id without a terminator.
  if (nextResult == SUCCESS_SUCCESS && messageId)
    std::memcpy(messageId, savedMessageId.data(), savedMessageId.size() < 512 ? savedMessageId.size() + 1 : 512);
  return nextResult;
}

ULONG WINAPI MAPILogoff(LHANDLE session, ULONG_PTR parent, FLAGS flags, ULONG reserved) {
  Append("MAPILogoff session=%llu parent=%llu flags=%lu reserved=%lu", static_cast<unsigned long long>(session),
         static_cast<unsigned long long>(parent), flags, reserved);
  return nextResult;
}

ULONG WINAPI MAPILogon(ULONG_PTR, LPSTR, LPSTR, FLAGS, ULONG, LPLHANDLE) { return NotSupported("MAPILogon"); }
ULONG WINAPI MAPIAddress(LHANDLE, ULONG_PTR, LPSTR, ULONG, LPSTR, ULONG, lpMapiRecipDesc, FLAGS, ULONG, LPULONG,
                         lpMapiRecipDesc*) {
  return NotSupported("MAPIAddress");
}
ULONG WINAPI MAPIDeleteMail(LHANDLE, ULONG_PTR, LPSTR, FLAGS, ULONG) { return NotSupported("MAPIDeleteMail"); }
ULONG WINAPI MAPIDetails(LHANDLE, ULONG_PTR, lpMapiRecipDesc, FLAGS, ULONG) { return NotSupported("MAPIDetails"); }
ULONG WINAPI MAPIFindNext(LHANDLE, ULONG_PTR, LPSTR, LPSTR, FLAGS, ULONG, LPSTR) {
  return NotSupported("MAPIFindNext");
}
#ifndef RECORDER_WITHOUT_FREE_BUFFER
ULONG WINAPI MAPIFreeBuffer(LPVOID) { return NotSupported("MAPIFreeBuffer"); }
#endif
ULONG WINAPI MAPIReadMail(LHANDLE, ULONG_PTR, LPSTR, FLAGS, ULONG, lpMapiMessage*) {
  return NotSupported("MAPIReadMail");
}
ULONG WINAPI MAPIResolveName(LHANDLE, ULONG_PTR, LPSTR, FLAGS, ULONG, lpMapiRecipDesc*) {
  return NotSupported("MAPIResolveName");
}
ULONG WINAPI MAPISendDocuments(ULONG_PTR, LPSTR, LPSTR, LPSTR, ULONG) { return NotSupported("MAPISendDocuments"); }

// The test's side: what the calls so far handed over, and what the next calls answer.
const char* WINAPI RecorderLog() { return callLog.c_str(); }
void WINAPI RecorderReset(ULONG result, const char* messageId) {
  callLog.clear();
  nextResult = result;
  savedMessageId = messageId ? messageId : "";
  duringCall = nullptr;
}
// Runs once a message is logged, inside the call.
void WINAPI RecorderDuringCall(TDuringCall call, void* context) {
  duringCall = call;
  duringCallContext = context;
}

}  // extern "C"
