#include "mail_client_fixture.h"

#include "framework/sys_utils.h"

namespace {

// The recording client's path goes through an environment variable, as installed clients' paths often do.
constexpr wchar_t kHelperFolderVariable[] = L"SHELL_TEST_HELPERS";

using TRecorderLog = const char*(WINAPI*)();
using TRecorderReset = void(WINAPI*)(ULONG result, const char* messageId);

}  // namespace

String HelperPath(const String& fileName) {
  wchar_t program[MAX_PATH + 1];
  const DWORD length = GetModuleFileNameW(nullptr, program, MAX_PATH + 1);
  return ExtractFilePath(String(program, length)) + fileName;
}

void TMailClientTest::SetUp() {
  clientsBackup_ = std::make_unique<TRegistryBackup>(HKEY_LOCAL_MACHINE, kMailClientsKey);
  messagingBackup_ = std::make_unique<TRegistryBackup>(HKEY_LOCAL_MACHINE, kMessagingKey);
  profilesBackup_ = std::make_unique<TRegistryBackup>(HKEY_CURRENT_USER, kProfilesKey);
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kMailClientsKey);
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kMessagingKey);
  RegDeleteTreeW(HKEY_CURRENT_USER, kProfilesKey);

  SetEnvironmentVariableW(kHelperFolderVariable, ExcludeTrailingPathDelimiter(HelperPath(L"")).c_str());
  WriteRegString(HKEY_LOCAL_MACHINE, kMailClientsKey, L"", kRecordingClient);
  SetClientPath(kRecordingClient, L"%SHELL_TEST_HELPERS%\\recording_mapi_client.dll", REG_EXPAND_SZ);
  SetClientPath(kIncompleteClient, HelperPath(L"incomplete_mapi_client.dll"));
  SetClientPath(kAbsentClient, HelperPath(L"absent_mapi_client.dll"));
  SetMessagingValues(L"0", L"", L"");

  recorder_ = LoadLibraryW(RecorderPath().c_str());
  ASSERT_NE(recorder_, nullptr) << "the recording client is built beside the test program";
  ResetRecorder();
}

void TMailClientTest::TearDown() {
  if (recorder_) FreeLibrary(recorder_);
  profilesBackup_.reset();
  messagingBackup_.reset();
  clientsBackup_.reset();
}

void TMailClientTest::SetMessagingValues(const String& mapi, const String& mapix, const String& version) {
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kMessagingKey);
  const std::pair<const wchar_t*, const String*> values[] = {
      {L"MAPI", &mapi}, {L"MAPIX", &mapix}, {L"MAPIXVER", &version}};
  for (const auto& [name, value] : values)
    if (!value->empty()) WriteRegString(HKEY_LOCAL_MACHINE, kMessagingKey, name, *value);
}

void TMailClientTest::SetClientPath(const String& client, const String& path, DWORD type) {
  const String key = String(kMailClientsKey) + L"\\" + client;
  WriteRegString(HKEY_LOCAL_MACHINE, key, L"", client);
  WriteRegString(HKEY_LOCAL_MACHINE, key, L"DLLPath", path, type);
}

std::string TMailClientTest::RecordedCalls() const {
  const auto log = reinterpret_cast<TRecorderLog>(reinterpret_cast<void*>(GetProcAddress(recorder_, "RecorderLog")));
  return log();
}

void TMailClientTest::ResetRecorder(ULONG result, const std::string& savedMessageId) {
  const auto reset =
      reinterpret_cast<TRecorderReset>(reinterpret_cast<void*>(GetProcAddress(recorder_, "RecorderReset")));
  reset(result, savedMessageId.c_str());
}
