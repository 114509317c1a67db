#include "shell/simple_mapi.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "framework/text_convert.h"
#include "mail_client_fixture.h"
#include "shell/system_errors.h"

using namespace shell;

namespace {

int ClientIndex(const TLibSimpleMapi& mapi, const String& regKeyName) {
  for (int i = 0; i < static_cast<int>(mapi.Clients().size()); ++i)
    if (mapi.Clients()[i].RegKeyName == regKeyName) return i;
  return -1;
}

using MapiSettings = TMailClientTest;

TEST_F(MapiSettings, ReadsFlagsClientsAndProfiles) {
  SetMessagingValues(L"1", L"1", L"1.0");
  WriteRegString(HKEY_CURRENT_USER, kProfilesKey, L"DefaultProfile", L"Work");
  WriteRegString(HKEY_CURRENT_USER, String(kProfilesKey) + L"\\Home", L"", L"");
  WriteRegString(HKEY_CURRENT_USER, String(kProfilesKey) + L"\\Work", L"", L"");

  TLibSimpleMapi mapi;
  EXPECT_TRUE(mapi.MapiInstalled());
  EXPECT_TRUE(mapi.SimpleMapiInstalled());
  EXPECT_EQ(mapi.MapiVersion(), L"1.0");
  EXPECT_TRUE(mapi.AnyClientInstalled());
  ASSERT_EQ(mapi.Clients().size(), 4u);
  const struct {
    const wchar_t* Client;
    String Path;
    bool Valid;
  } clients[] = {{kRecordingClient, RecorderPath(), true},
                 {kAnsiClient, HelperPath(L"ansi_mapi_client.dll"), true},
                 {kIncompleteClient, HelperPath(L"incomplete_mapi_client.dll"), false},
                 {kAbsentClient, HelperPath(L"absent_mapi_client.dll"), false}};
  for (const auto& expected : clients) {
    const int index = ClientIndex(mapi, expected.Client);
    ASSERT_GE(index, 0) << WideToUtf8(expected.Client);
    const TLibMapiClient& client = mapi.Clients()[index];
    EXPECT_EQ(client.ClientName, expected.Client);
    EXPECT_EQ(client.ClientPath, expected.Path) << "environment variables expanded";
    EXPECT_EQ(client.Valid, expected.Valid) << WideToUtf8(expected.Client);
  }
  EXPECT_EQ(mapi.DefaultClientIndex(), ClientIndex(mapi, kRecordingClient));
  EXPECT_EQ(mapi.SelectedClientIndex(), mapi.DefaultClientIndex());
  EXPECT_EQ(mapi.DefaultProfileName(), L"Work");
  EXPECT_EQ(mapi.Profiles(), (std::vector<String>{L"Home", L"Work"}));
  EXPECT_EQ(TLibSimpleMapi::ProfilesRegKey(), kProfilesKey) << "the platform here is of the NT family";
  EXPECT_FALSE(mapi.ClientLibLoaded()) << "reading the settings loads no library for good";
}

TEST_F(MapiSettings, AnyClientInstalled) {
  const struct {
    const wchar_t* Mapix;
    const wchar_t* RecorderPath;  // null: no recording client is registered
    bool Installed;
  } cases[] = {
      {L"", L"%SHELL_TEST_HELPERS%\\recording_mapi_client.dll", true},
      {L"1", nullptr, true},
      {L"0", nullptr, false},
      {L"", nullptr, false},
  };
  for (const auto& test : cases) {
    SetMessagingValues(L"1", test.Mapix, L"");
    if (test.RecorderPath)
      SetClientPath(kRecordingClient, test.RecorderPath, REG_EXPAND_SZ);
    else
      for (const wchar_t* client : {kRecordingClient, kAnsiClient})
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, (String(kMailClientsKey) + L"\\" + client).c_str());
    TLibSimpleMapi mapi;
    EXPECT_EQ(mapi.AnyClientInstalled(), test.Installed) << WideToUtf8(test.Mapix);
    EXPECT_EQ(mapi.MapiInstalled(), String(test.Mapix) == L"1");
  }
}

TEST_F(MapiSettings, LibraryChoice) {
  const struct {
    uint8_t Kind;
    const wchar_t* SimpleMapi;
    bool DefaultClient;
    bool SystemLibrary;
  } cases[] = {
      {ccAutomatic, L"1", true, true},
      {ccAutomatic, L"0", true, false},
      {ccAutomatic, L"", true, false},
      {ccAutomatic, L"0", false, true},
      {ccAlwaysSystemMapi, L"0", true, true},
      {ccAlwaysClientLibrary, L"1", true, false},
      {ccAlwaysClientLibrary, L"1", false, true},
      {7, L"0", true, true},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(std::to_string(test.Kind) + " " + WideToUtf8(test.SimpleMapi) +
                 (test.DefaultClient ? " default" : ""));
    SetMessagingValues(test.SimpleMapi, L"", L"");
    WriteRegString(HKEY_LOCAL_MACHINE, kMailClientsKey, L"", test.DefaultClient ? kRecordingClient : L"Nobody");
    TLibSimpleMapi mapi;
    mapi.SetClientConnectKind(test.Kind);
    EXPECT_EQ(mapi.DefaultClientIndex() >= 0, test.DefaultClient);
    EXPECT_EQ(mapi.GetClientLibName(), test.SystemLibrary ? L"mapi32.dll" : RecorderPath());
  }
}

TEST_F(MapiSettings, EntryPointsLiveWhileTheLibraryIsLoaded) {
  TLibSimpleMapi mapi;
  mapi.SetClientConnectKind(ccAlwaysClientLibrary);
  mapi.LoadClientLib();
  const HMODULE recorder = GetModuleHandleW(RecorderPath().c_str());
  EXPECT_EQ(mapi.ClientLibHandle(), recorder);
  for (int i = 0; i < kMapiFunctionCount; ++i)
    EXPECT_EQ(mapi.Functions(static_cast<TMapiFunction>(i)), GetProcAddress(recorder, MapiFunctionNames[i]))
        << MapiFunctionNames[i];
  EXPECT_EQ(reinterpret_cast<void*>(mapi.UnicodeSendMail()),
            reinterpret_cast<void*>(GetProcAddress(recorder, "MAPISendMailW")));
  EXPECT_TRUE(mapi.UnloadClientLib().Alive());
  for (int i = 0; i < kMapiFunctionCount; ++i) EXPECT_EQ(mapi.Functions(static_cast<TMapiFunction>(i)), nullptr);
  EXPECT_EQ(mapi.UnicodeSendMail(), nullptr);
}

// Whatever the registry holds under the keys the settings come from, reading them raises at most the routines'
// own error.
TEST_F(MapiSettings, SurvivesHostileRegistryContents) {
  std::mt19937 random(20261207);
  std::uniform_int_distribution<int> byte(0, 255);
  const DWORD types[] = {REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ, REG_NONE, REG_QWORD};
  auto writeRandom = [&](HKEY root, const String& key, const String& name) {
    std::vector<BYTE> data(static_cast<size_t>(std::uniform_int_distribution<int>(0, 9)(random)) == 0
                               ? 3000
                               : std::uniform_int_distribution<int>(0, 40)(random));
    for (BYTE& b : data) b = static_cast<BYTE>(byte(random) % 4 == 0 ? 0 : 'A' + byte(random) % 26);
    WriteRegValue(root, key, name, types[byte(random) % std::size(types)], data.data(),
                  static_cast<DWORD>(data.size()));
  };
  for (int round = 0; round < 150; ++round) {
    SCOPED_TRACE(round);
    for (const wchar_t* name : {L"MAPI", L"MAPIX", L"MAPIXVER"}) writeRandom(HKEY_LOCAL_MACHINE, kMessagingKey, name);
    writeRandom(HKEY_LOCAL_MACHINE, kMailClientsKey, L"");
    for (const wchar_t* client : {kRecordingClient, kIncompleteClient}) {
      writeRandom(HKEY_LOCAL_MACHINE, String(kMailClientsKey) + L"\\" + client, L"");
      writeRandom(HKEY_LOCAL_MACHINE, String(kMailClientsKey) + L"\\" + client, L"DLLPath");
    }
    writeRandom(HKEY_CURRENT_USER, kProfilesKey, L"DefaultProfile");
    try {
      TLibSimpleMapi mapi;
      EXPECT_LE(mapi.Clients().size(), 4u);
      EXPECT_LT(mapi.DefaultClientIndex(), static_cast<int>(mapi.Clients().size()));
      mapi.GetClientLibName();
    } catch (const ELibError&) {
    }
  }
}

}  // namespace
