// The Unicode forms of the Simple MAPI message and of its send entry point, "MAPISendMailW", which newer mail
// clients and the platform's own library export beside the ANSI one. Laid out as the platform defines them; named
// apart so that they never meet the platform header's own definitions where it has them.
#pragma once

// clang-format off
#include <windows.h>
#include <mapi.h>
// clang-format on

namespace shell {

struct TMapiRecipDescW {
  ULONG ulReserved;
  ULONG ulRecipClass;
  PWSTR lpszName;
  PWSTR lpszAddress;
  ULONG ulEIDSize;
  PVOID lpEntryID;
};

struct TMapiFileDescW {
  ULONG ulReserved;
  ULONG flFlags;
  ULONG nPosition;
  PWSTR lpszPathName;
  PWSTR lpszFileName;
  PVOID lpFileType;
};

struct TMapiMessageW {
  ULONG ulReserved;
  PWSTR lpszSubject;
  PWSTR lpszNoteText;
  PWSTR lpszMessageType;
  PWSTR lpszDateReceived;
  PWSTR lpszConversationID;
  FLAGS flFlags;
  TMapiRecipDescW* lpOriginator;
  ULONG nRecipCount;
  TMapiRecipDescW* lpRecips;
  ULONG nFileCount;
  TMapiFileDescW* lpFiles;
};

using TMapiSendMailW = ULONG(WINAPI*)(LHANDLE session, ULONG_PTR parent, TMapiMessageW* message, FLAGS flags,
                                      ULONG reserved);
inline constexpr char kMapiSendMailW[] = "MAPISendMailW";

}  // namespace shell
