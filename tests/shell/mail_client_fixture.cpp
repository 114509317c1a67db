#include "mail_client_fixture.h"

#include "framework/sys_utils.h"

namespace {

// The recording client's path goes through an environment variable, as installed clients' paths often do.
constexpr wchar_t kHelperFolderVariable[] = L"SHELL_TEST_HELPERS";

using TRecorderLog = const char*(WINAPI*)();
using TRecorderReset = void(WINAPI*)(ULONG result, const char* messageId);
using TRecorderDuringCall = void(WINAPI*)(void(WINAPI* call)(void* context), void* context);

template <class Entry>
Entry RecorderEntry(HMODULE recorder, const char* name) {
  return reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(recorder, name)));
}

void WINAPI RunDuringCall(void* context) {
  const auto& call = *static_cast<std::function<void()>*>(context);
  if (call) call();
}

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
  SetClientPath(kAnsiClient, HelperPath(L"ansi_mapi_client.dll"));
  SetClientPath(kIncompleteClient, HelperPath(L"incomplete_mapi_client.dll"));
  SetClientPath(kAbsentClient, HelperPath(L"absent_mapi_client.dll"));
  SetMessagingValues(L"0", L"", L"");

  recorders_[0] = LoadLibraryW(RecorderPath().c_str());
  recorders_[1] = LoadLibraryW(HelperPath(L"ansi_mapi_client.dll").c_str());
  for (HMODULE recorder : recorders_) ASSERT_NE(recorder, nullptr) << "the recording clients are built beside the test";
  ResetRecorder();
}

void TMailClientTest::TearDown() {
  for (HMODULE recorder : recorders_)
    if (recorder) FreeLibrary(recorder);
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
  std::string calls;
  for (HMODULE recorder : recorders_) calls += RecorderEntry<TRecorderLog>(recorder, "RecorderLog")();
  return calls;
}

void TMailClientTest::ResetRecorder(ULONG result, const std::string& savedMessageId) {
  for (HMODULE recorder : recorders_)
    RecorderEntry<TRecorderReset>(recorder, "RecorderReset")(result, savedMessageId.c_str());
}

void TMailClientTest::DuringClientCall(std::function<void()> call) {
  duringCall_ = std::move(call);
  for (HMODULE recorder : recorders_)
    RecorderEntry<TRecorderDuringCall>(recorder, "RecorderDuringCall")(&RunDuringCall, &duringCall_);
}
