// The mail tests' registry: the recording client library registered as the default mail client the way the
// platform's mail clients are, beside a recording client without the Unicode send, a client that lacks an entry
// point and one whose library is missing; the Simple MAPI flags as each test sets them. Everything goes back as it
// was when the test ends.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "framework/object.h"
#include "registry_backup.h"

inline constexpr wchar_t kMailClientsKey[] = L"SOFTWARE\\Clients\\Mail";
inline constexpr wchar_t kMessagingKey[] = L"SOFTWARE\\Microsoft\\Windows Messaging Subsystem";
inline constexpr wchar_t kProfilesKey[] =
    L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Windows Messaging Subsystem\\Profiles";
inline constexpr wchar_t kRecordingClient[] = L"Recording Mail Client";
inline constexpr wchar_t kAnsiClient[] = L"ANSI Mail Client";
inline constexpr wchar_t kIncompleteClient[] = L"Incomplete Mail Client";
inline constexpr wchar_t kAbsentClient[] = L"Absent Mail Client";

// A file the test build puts beside the test program.
String HelperPath(const String& fileName);

class TMailClientTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The values "MAPI", "MAPIX" and "MAPIXVER"; an empty text leaves a value out.
  void SetMessagingValues(const String& mapi, const String& mapix, const String& version);
  // Where a client's library lives: under the client's key, or gone from it.
  void SetClientPath(const String& client, const String& path, DWORD type = REG_SZ);

  // What the recording clients were handed since the last reset, and what they answer next.
  std::string RecordedCalls() const;
  void ResetRecorder(ULONG result = 0, const std::string& savedMessageId = {});
  // Runs inside the next calls that hand a message over, once the client has logged it.
  void DuringClientCall(std::function<void()> call);
  // The recording library's path as a send loads it.
  String RecorderPath() const { return HelperPath(L"recording_mapi_client.dll"); }

 private:
  std::unique_ptr<TRegistryBackup> clientsBackup_;
  std::unique_ptr<TRegistryBackup> messagingBackup_;
  std::unique_ptr<TRegistryBackup> profilesBackup_;
  HMODULE recorders_[2] = {};
  std::function<void()> duringCall_;
};
