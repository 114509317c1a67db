#include "shell/system/file_storage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "framework/application.h"
#include "framework/exception_hook.h"
#include "framework/form_reader.h"
#include "framework/form_writer.h"
#include "framework/text_convert.h"
#include "shell/file_routines.h"
#include "shell/system/wave_player.h"
#include "support/hostile_input.h"
#include "support/temp_folder.h"

using namespace shell;

namespace {

void Fill(TSysCustomFileStorage& storage, const std::string& bytes, const String& file) {
  StringToFile(file, bytes);
  ASSERT_TRUE(storage.LoadFromFile(file));
}

std::string Bytes(const TSysCustomFileStorage& storage) {
  return std::string(static_cast<const char*>(storage.Data().Memory()), storage.DataSize());
}

TEST(FormFileData, StoredWithTheFormAndReadBack) {
  TTempFolder folder;
  const struct {
    std::string Bytes;
    const wchar_t* Stored;
  } cases[] = {
      {"", L"FileData = {\r\n    00000000}"},
      {std::string("\x01\xFF\0z", 4), L"FileData = {\r\n    0400000001FF007A}"},
      {std::string(300, 'w'), L"FileData = {"},
  };
  for (const auto& test : cases) {
    TSysFileStorage storage;
    storage.SetName(L"Storage");
    storage.SetSaveName(L"target.bin");
    if (!test.Bytes.empty()) Fill(storage, test.Bytes, folder.File(L"source.bin"));
    const String text = ComponentToText(&storage);
    EXPECT_NE(text.find(test.Stored), String::npos) << text;
    EXPECT_EQ(text.find(L"DataSize"), String::npos);
    std::unique_ptr<TComponent> created(ReadComponentFromText(text, nullptr));
    auto* copy = ObjectAs<TSysFileStorage>(created.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(Bytes(*copy), test.Bytes);
    EXPECT_EQ(copy->SaveName(), L"target.bin");
  }
}

TEST(FormFileData, DamagedFormTextRaisesOnlyReadErrors) {
  TTempFolder folder;
  TSysFileStorage storage;
  storage.SetName(L"Storage");
  Fill(storage, "RIFF....WAVEfmt data", folder.File(L"source.bin"));
  const String text = ComponentToText(&storage);
  const size_t data = text.find(L"{") + 1;
  std::mt19937 random(20261207);
  const wchar_t alphabet[] = L"0123456789ABCDEFxz} ";
  for (int round = 0; round < 300; ++round) {
    String damaged = text;
    const int edits = 1 + static_cast<int>(random() % 4);
    for (int e = 0; e < edits; ++e) {
      const size_t at = data + random() % (text.size() - data);
      damaged[at] = alphabet[random() % (std::size(alphabet) - 1)];
    }
    try {
      std::unique_ptr<TComponent> created(ReadComponentFromText(damaged, nullptr));
    } catch (const EReadError&) {
    } catch (const Exception& e) {
      ADD_FAILURE() << "unexpected " << e.what();
    }
  }
  // A size field that promises more than the form holds.
  String promising = text;
  promising.replace(promising.find(L"14000000"), 8, L"FFFFFF7F");
  EXPECT_THROW(std::unique_ptr<TComponent>(ReadComponentFromText(promising, nullptr)), EReadError);
}

TEST(FormFileData, FilesInAndOut) {
  TTempFolder folder;
  TSysFileStorage storage;
  std::vector<String> log;
  storage.OnLoad = [&log](TObject*, bool ok) { log.push_back(ok ? L"loaded" : L"not loaded"); };
  storage.OnSave = [&log](TObject*, bool ok) { log.push_back(ok ? L"saved" : L"not saved"); };
  bool allowOverride = false;
  storage.OnConfirmOverride = [&](TObject*, bool& overrideFile) {
    log.push_back(L"asked");
    overrideFile = allowOverride;
  };
  Fill(storage, "abc", folder.File(L"in.bin"));
  EXPECT_FALSE(storage.LoadFromFile(folder.File(L"missing.bin")));
  EXPECT_EQ(storage.DataSize(), 0u);
  Fill(storage, "abc", folder.File(L"in.bin"));
  EXPECT_FALSE(storage.SaveToFile(folder.File(L"in.bin")));
  allowOverride = true;
  storage.Data().SetSize(0);
  Fill(storage, "xyz", folder.File(L"other.bin"));
  EXPECT_TRUE(storage.SaveToFile(folder.File(L"in.bin")));
  EXPECT_THROW(storage.SaveToFile(folder.Path()), ESysFileStorage);
  EXPECT_THROW(storage.LoadFromFile(folder.Path()), ESysFileStorage);
  EXPECT_EQ(FileGetSize(folder.File(L"in.bin")), 3);
  const std::vector<String> expected{L"loaded", L"not loaded", L"loaded", L"asked",     L"not saved", L"loaded",
                                     L"asked",  L"saved",      L"asked",  L"not saved", L"not loaded"};
  EXPECT_EQ(log, expected);
  storage.ClearData();
  EXPECT_EQ(storage.DataSize(), 0u);
}

// A file that cannot be saved or loaded is named with the cause: the file the system refused and its reason.
TEST(FormFileData, FailuresNameTheFileAndTheCause) {
  TTempFolder folder;
  const String missing = folder.File(L"no\\such\\folder\\x.bin");
  const struct {
    const char* Name;
    bool Saving;
    String File;
    String Cause;
  } cases[] = {
      {"saving over a folder", true, folder.Path(),
       L"Cannot create file \"" + folder.Path() + L"\". " + SysErrorMessage(ERROR_ACCESS_DENIED)},
      {"saving into a missing folder", true, missing,
       L"Cannot create file \"" + missing + L"\". " + SysErrorMessage(ERROR_PATH_NOT_FOUND)},
      {"loading a folder", false, folder.Path(),
       L"Cannot open file \"" + folder.Path() + L"\". " + SysErrorMessage(ERROR_ACCESS_DENIED)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TSysFileStorage storage;
    try {
      if (c.Saving)
        storage.SaveToFile(c.File);
      else
        storage.LoadFromFile(c.File);
      ADD_FAILURE() << "no error";
    } catch (const ESysFileStorage& error) {
      EXPECT_EQ(error.Message(), Format(c.Saving ? L"Can not save data to the \"%s\" file. %s"
                                                 : L"Can not load data from the \"%s\" file. %s",
                                        {c.File, c.Cause}));
    }
  }
}

TEST(FormFileData, AFailedLoadKeepsTheStoredBytes) {
  TTempFolder folder;
  TSysFileStorage storage;
  const std::string kept(1644, 'k');
  Fill(storage, kept, folder.File(L"kept.bin"));
  EXPECT_THROW(storage.LoadFromFile(folder.Path()), ESysFileStorage);
  EXPECT_EQ(Bytes(storage), kept);
}

TEST(FormFileData, AnAutoSaveThatFailsLeavesTheFormReadable) {
  TTempFolder folder;
  std::vector<String> reported;
  const TExceptionHandler previous = SetApplicationExceptionHandler([&reported](TObject*) {
    try {
      throw;
    } catch (const Exception& e) {
      reported.push_back(e.Message());
    }
  });
  for (const String& saveName : {String(), folder.File(L"no\\such\\folder\\x.bin"), folder.File(L"saved.bin")}) {
    TSysFileStorage storage;
    storage.SetName(L"Storage");
    storage.SetSaveName(saveName);
    storage.SetAutoSave(true);
    std::unique_ptr<TComponent> created;
    EXPECT_NO_THROW(created.reset(ReadComponentFromText(ComponentToText(&storage), nullptr)));
    EXPECT_NE(ObjectAs<TSysFileStorage>(created.get()), nullptr);
  }
  SetApplicationExceptionHandler(previous);
  ASSERT_EQ(reported.size(), 2u);
  EXPECT_EQ(reported[0],
            L"Can not save data to the \"\" file. Cannot create file \"\". " + SysErrorMessage(ERROR_INVALID_NAME));
  EXPECT_TRUE(shell::FileExists(folder.File(L"saved.bin")));
}

// A short silent PCM wave file.
std::string SilentWave() {
  const uint32_t samples = 800;
  std::string wave = "RIFF";
  auto put32 = [&wave](uint32_t v) { wave.append(reinterpret_cast<const char*>(&v), 4); };
  auto put16 = [&wave](uint16_t v) { wave.append(reinterpret_cast<const char*>(&v), 2); };
  put32(36 + samples);
  wave += "WAVEfmt ";
  put32(16);
  put16(WAVE_FORMAT_PCM);
  put16(1);
  put32(8000);
  put32(8000);
  put16(1);
  put16(8);
  wave += "data";
  put32(samples);
  wave.append(samples, '\x80');
  return wave;
}

struct TSoundCall {
  bool Sound;
  DWORD Flags;
  bool Played;
};
std::vector<TSoundCall> soundCalls;

BOOL WINAPI PlayAndRecord(const wchar_t* sound, HMODULE module, DWORD flags) {
  const BOOL played = PlaySoundW(sound, module, flags);
  soundCalls.push_back({sound != nullptr, flags, played != FALSE});
  return played;
}

TEST(WavePlayer, PlaysThroughThePlatform) {
  TTempFolder folder;
  const String file = folder.File(L"silence.wav");
  StringToFile(file, SilentWave());
  soundCalls.clear();
  const TPlaySoundFunction previous = SetPlaySoundFunction(&PlayAndRecord);
  {
    TSysWav player;
    String log;
    player.OnPlayBefore = [&](TObject*) { log += player.Playing() ? L"before " : L"?"; };
    player.OnPlayAfter = [&](TObject*) { log += L"after"; };
    player.SetFileName(file);
    player.SetNoWaitIfBusy(false);
    EXPECT_TRUE(player.Play().Alive());
    EXPECT_EQ(log, L"before after");
    EXPECT_FALSE(player.Playing());
    EXPECT_EQ(player.SoundFlags(), static_cast<DWORD>(SND_ASYNC | SND_NODEFAULT | SND_FILENAME));
    player.Stop();

    const struct {
      TSysWavPlayFrom From;
      bool Async, Looped, NoStop, NoWait;
      DWORD Flags;
      bool Sound;
    } cases[] = {
        {TSysWavPlayFrom::pfDFM, false, false, false, false, SND_NODEFAULT | SND_MEMORY, true},
        {TSysWavPlayFrom::pfFile, false, false, true, true, SND_NODEFAULT | SND_FILENAME | SND_NOSTOP | SND_NOWAIT,
         true},
        {TSysWavPlayFrom::pfSystemEvent, true, true, false, false, SND_ASYNC | SND_LOOP | SND_NODEFAULT | SND_ALIAS,
         true},
        {TSysWavPlayFrom::pfResource, true, false, false, false, SND_ASYNC | SND_NODEFAULT | SND_RESOURCE, true},
    };
    for (const auto& test : cases) {
      player.SetPlayFrom(test.From);
      player.SetAsyncPlay(test.Async);
      player.SetLooped(test.Looped);
      player.SetNoStopSound(test.NoStop);
      player.SetNoWaitIfBusy(test.NoWait);
      soundCalls.clear();
      EXPECT_TRUE(player.Play().Alive());
      ASSERT_EQ(soundCalls.size(), 1u);
      EXPECT_EQ(soundCalls[0].Flags, test.Flags);
      EXPECT_EQ(soundCalls[0].Sound, test.Sound);
      player.Stop();
    }
    // The data came from the file while playing from the form's data, and went with the next source.
    player.SetPlayFrom(TSysWavPlayFrom::pfDFM);
    EXPECT_EQ(player.DataSize(), SilentWave().size());
    player.SetPlayFrom(TSysWavPlayFrom::pfFile);
    EXPECT_EQ(player.DataSize(), 0u);
    player.SetPlayFrom(TSysWavPlayFrom::pfDFM);
    player.ClearData();
    soundCalls.clear();
    EXPECT_TRUE(player.Play().Alive());
    EXPECT_FALSE(soundCalls.at(0).Sound);
  }
  SetPlaySoundFunction(previous);
}

TEST(WavePlayer, StopAndClearOnAPlayerThatNeverPlayed) {
  TSysWav player;
  player.Stop();
  player.ClearData();
  EXPECT_EQ(player.DataSize(), 0u);
  const String text = ComponentToText(&player);
  EXPECT_NE(text.find(L"00000000"), String::npos);
  EXPECT_EQ(text.find(L"ResourceName"), String::npos);
}

// What the platform was handed, read while the call runs: a name, or the first bytes of the stored data.
struct TSoundArgument {
  String Name;
  DWORD Flags;
};
std::vector<TSoundArgument> soundArguments;

BOOL WINAPI RecordSound(const wchar_t* sound, HMODULE, DWORD flags) {
  const bool named = sound && (flags & SND_MEMORY) == 0;
  soundArguments.push_back({named ? String(sound) : String(), flags});
  return TRUE;
}

class WavePlayerHandlers : public testing::Test {
 protected:
  void SetUp() override {
    soundArguments.clear();
    previous_ = SetPlaySoundFunction(&RecordSound);
  }
  void TearDown() override { SetPlaySoundFunction(previous_); }

 private:
  TPlaySoundFunction previous_ = nullptr;
};

TEST_F(WavePlayerHandlers, ANameChangedBeforePlayingLeavesTheNameTheCallWasBuiltWith) {
  const String first = L"C:\\sounds\\first-of-two.wav";
  TGuardedAllocations guard;
  auto player = std::make_unique<TSysWav>();
  player->SetFileName(first);
  player->OnPlayBefore = [&player](TObject*) { player->SetFileName(L"C:\\sounds\\a-much-longer-second-name.wav"); };
  EXPECT_TRUE(player->Play().Alive());
  ASSERT_EQ(soundArguments.size(), 1u);
  EXPECT_EQ(soundArguments[0].Name, first);
  player->OnPlayBefore = nullptr;
  EXPECT_TRUE(player->Play().Alive());
  EXPECT_EQ(soundArguments.back().Name, L"C:\\sounds\\a-much-longer-second-name.wav");
}

// A wave whose chunks would make the platform's player read past it (it faulted on a format chunk claiming
// 0xFFFFFF00 bytes) is not handed to the platform, from a file or from the stored data, nor samples that run past
// the stored data; nor samples ahead of the format that run past the end (the platform's search for the format
// went round for ever), nor stored data shorter than a wave's head; a device is never opened; a sound that is only
// no wave, or a file that is missing, still goes to the platform, which gives the default sound for it.
TEST_F(WavePlayerHandlers, HostileWavesAreNotHandedToThePlatform) {
  const std::string good = SilentWave();
  auto withField = [&good](size_t at, uint32_t value) {
    std::string wave = good;
    std::memcpy(wave.data() + at, &value, 4);
    return wave;
  };
  // The format chunk's size lies at 16, the data chunk's at 40.
  std::string extended = good;
  const uint32_t eighteen = 18;
  std::memcpy(extended.data() + 16, &eighteen, 4);
  extended.insert(36, "\xFF\x7F");
  std::string before = good;
  before.insert(12, std::string("LIST\x00\x00\x00\xF0", 8));
  std::string noFormat = good;
  noFormat.replace(12, 4, "fmx ");
  std::string after = good;
  after.insert(36, std::string("LIST\x00\x00\x80\x80", 8));
  // The samples ahead of the format, whole or claiming nearly 4 GB.
  const std::string samplesFirst = good.substr(0, 12) + good.substr(36) + good.substr(12, 24);
  const std::string hugeSamplesFirst =
      good.substr(0, 12) + std::string("data\xF0\xFF\xFF\xFF", 8) + good.substr(12, 24);
  const struct {
    const char* Name;
    std::string Bytes;
    bool PlayedFromFile, PlayedFromData;
  } cases[] = {
      {"a whole wave", good, true, true},
      {"a format chunk of 0xFFFFFF00 bytes", withField(16, 0xFFFFFF00), false, false},
      {"a format chunk of 0x7FFFFFFF bytes", withField(16, 0x7FFFFFFF), false, false},
      {"a format chunk past the end by one", withField(16, static_cast<uint32_t>(good.size()) - 19), false, false},
      {"a format's extra part past its chunk", extended, false, false},
      {"a chunk before the format past the end", before, false, false},
      {"a chunk after the format past the end", after, false, false},
      {"samples cut short", withField(40, 0xFFFFFF00), true, false},
      {"a head claiming more than the sound", withField(4, 0x7FFFFFFF), true, false},
      {"no format before the samples", noFormat, true, false},
      {"no samples", good.substr(0, 36), true, false},
      {"samples before the format", samplesFirst, true, false},
      {"samples before the format claiming nearly 4 GB", hugeSamplesFirst, false, false},
      {"no wave at all", "hello, no wave at all", true, true},
      {"less than a wave's head", "hello", true, false},
      {"a single byte", "h", true, false},
  };
  TTempFolder folder;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    StringToFile(folder.File(L"sound.wav"), c.Bytes);
    TSysWav player;
    player.SetAsyncPlay(false);
    player.SetFileName(folder.File(L"sound.wav"));
    soundArguments.clear();
    EXPECT_TRUE(player.Play().Alive());
    EXPECT_EQ(soundArguments.size(), c.PlayedFromFile ? 1u : 0u) << "from the file";
    player.SetPlayFrom(TSysWavPlayFrom::pfDFM);
    soundArguments.clear();
    EXPECT_TRUE(player.Play().Alive());
    EXPECT_EQ(soundArguments.size(), c.PlayedFromData ? 1u : 0u) << "from the stored data";
  }
  // A name the file system would cut to the name of a wave it holds is no name of that wave.
  const String longest(255, L'w');
  StringToFile(folder.File(longest), good);
  for (const String& name :
       {folder.File(L"missing.wav"), String(L"COM1"), String(L"nul.wav"), folder.File(longest + L"x")}) {
    TSysWav player;
    player.SetFileName(name);
    soundArguments.clear();
    EXPECT_TRUE(player.Play().Alive());
    EXPECT_EQ(soundArguments.size(), name.find(L"missing") != String::npos ? 1u : 0u) << WideToAnsi(name);
  }
}

// Damaged waves through the real platform, from a file and from the stored data: whatever the damage, nothing
// faults.
TEST(WavePlayer, SeededMutationsOfAWavePlayWithoutFaults) {
  const std::string good = SilentWave();
  TMutator mutator(20261209);
  TTempFolder folder;
  const String file = folder.File(L"damaged.wav");
  TSysWav player;
  player.SetAsyncPlay(false);
  for (int i = 0; i < 150; ++i) {
    const std::string damaged = mutator.Mutate(good);
    StringToFile(file, damaged);
    player.SetPlayFrom(i % 2 ? TSysWavPlayFrom::pfDFM : TSysWavPlayFrom::pfFile);
    player.SetFileName(file);
    ASSERT_TRUE(player.LoadFromFile(file));
    ASSERT_EQ(player.DataSize(), damaged.size());
    EXPECT_TRUE(player.Play().Alive());
  }
}

TEST_F(WavePlayerHandlers, AHandlerMayFreeThePlayer) {
  TTempFolder folder;
  StringToFile(folder.File(L"there.wav"), SilentWave());
  const struct {
    const char* Name;
    std::function<void(TSysWav&, const TNotifyEvent& freePlayer)> Arm;
    std::function<void(TSysWav&)> Run;
  } cases[] = {
      {"before playing", [](TSysWav& p, const TNotifyEvent& f) { p.OnPlayBefore = f; },
       [](TSysWav& p) { EXPECT_TRUE(p.Play().Gone()); }},
      {"after playing", [](TSysWav& p, const TNotifyEvent& f) { p.OnPlayAfter = f; },
       [](TSysWav& p) { EXPECT_TRUE(p.Play().Gone()); }},
      {"asked to replace a file",
       [](TSysWav& p, const TNotifyEvent& f) {
         p.OnConfirmOverride = [f](TObject* sender, bool&) { f(sender); };
         p.OnSave = [](TObject*, bool) { ADD_FAILURE() << "a freed player reports its save"; };
       },
       [&folder](TSysWav& p) { EXPECT_FALSE(p.SaveToFile(folder.File(L"there.wav"))); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TGuardedAllocations guard;
    auto player = std::make_unique<TSysWav>();
    player->SetFileName(folder.File(L"there.wav"));
    c.Arm(*player, [&player](TObject*) { player.reset(); });
    c.Run(*player);
    EXPECT_EQ(player, nullptr);
  }
}

TEST_F(WavePlayerHandlers, NewDataStopsTheSoundPlayingFromTheOld) {
  TTempFolder folder;
  StringToFile(folder.File(L"first.wav"), SilentWave());
  StringToFile(folder.File(L"second.wav"), SilentWave() + "tail");
  const struct {
    const char* Name;
    std::function<void(TSysWav&)> Replace;
  } cases[] = {
      {"load", [&folder](TSysWav& p) { p.LoadFromFile(folder.File(L"second.wav")); }},
      {"clear", [](TSysWav& p) { p.ClearData(); }},
      {"other source", [](TSysWav& p) { p.SetPlayFrom(TSysWavPlayFrom::pfFile); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TSysWav player;
    player.SetFileName(folder.File(L"first.wav"));
    player.SetPlayFrom(TSysWavPlayFrom::pfDFM);
    EXPECT_TRUE(player.Play().Alive());
    soundArguments.clear();
    c.Replace(player);
    ASSERT_EQ(soundArguments.size(), 1u);
    EXPECT_EQ(soundArguments[0].Flags, 0u) << "the sound is stopped";
    // A sound that was waited for is over: nothing to stop.
    player.SetPlayFrom(TSysWavPlayFrom::pfDFM);
    player.SetAsyncPlay(false);
    EXPECT_TRUE(player.Play().Alive());
    soundArguments.clear();
    c.Replace(player);
    EXPECT_TRUE(soundArguments.empty());
  }
}

// What the fake platform holds: the block of a sound started from memory without waiting, and whether that block
// was still whole when the sound was stopped.
struct TPlayedBlock {
  const void* Block = nullptr;
  std::string Bytes;
  std::vector<bool> WholeWhenStopped;
};
TPlayedBlock playedBlock;

bool Readable(const void* block, size_t size) {
  MEMORY_BASIC_INFORMATION info{};
  return VirtualQuery(block, &info, sizeof info) && info.State == MEM_COMMIT && (info.Protect & PAGE_READWRITE) &&
         static_cast<const char*>(block) + size <= static_cast<const char*>(info.BaseAddress) + info.RegionSize;
}

BOOL WINAPI HoldPlayedBlock(const wchar_t* sound, HMODULE, DWORD flags) {
  if (!sound) {
    if (playedBlock.Block)
      playedBlock.WholeWhenStopped.push_back(
          Readable(playedBlock.Block, playedBlock.Bytes.size()) &&
          std::memcmp(playedBlock.Block, playedBlock.Bytes.data(), playedBlock.Bytes.size()) == 0);
    playedBlock.Block = nullptr;
  } else if ((flags & (SND_MEMORY | SND_ASYNC)) == (SND_MEMORY | SND_ASYNC)) {
    playedBlock.Block = sound;
    playedBlock.Bytes.assign(reinterpret_cast<const char*>(sound), SilentWave().size());
  }
  return TRUE;
}

// The platform reads a sound started from the stored data until it is stopped: each way the data is replaced or
// goes stops the sound while the block is still whole. The blocks are guarded, so one freed first cannot be read.
TEST_F(WavePlayerHandlers, EveryReplacementOfTheDataStopsTheSoundItPlays) {
  TTempFolder folder;
  StringToFile(folder.File(L"first.wav"), SilentWave());
  StringToFile(folder.File(L"second.wav"), SilentWave() + std::string(5000, 'x'));
  TSysWav stored;
  stored.SetName(L"Player");
  stored.LoadFromFile(folder.File(L"second.wav"));
  const String form = ComponentToText(&stored);
  using TPlayer = std::unique_ptr<TSysWav>;
  const struct {
    const char* Name;
    std::function<void(TPlayer&)> Replace;
  } cases[] = {
      {"load", [&](TPlayer& p) { p->LoadFromFile(folder.File(L"second.wav")); }},
      {"load of a missing file", [&](TPlayer& p) { p->LoadFromFile(folder.File(L"missing.wav")); }},
      {"load of the file name", [](TPlayer& p) { p->Load(); }},
      {"file name while designing",
       [&](TPlayer& p) {
         p->SetDesigning(true);
         p->SetFileName(folder.File(L"second.wav"));
       }},
      {"form read", [&](TPlayer& p) { ReadComponentFromText(form, p.get()); }},
      {"clear", [](TPlayer& p) { p->ClearData(); }},
      {"other source", [](TPlayer& p) { p->SetPlayFrom(TSysWavPlayFrom::pfFile); }},
      {"player freed", [](TPlayer& p) { p.reset(); }},
  };
  SetPlaySoundFunction(&HoldPlayedBlock);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TGuardedAllocations guard;
    auto player = std::make_unique<TSysWav>();
    player->SetName(L"Player");
    player->SetFileName(folder.File(L"first.wav"));
    player->SetPlayFrom(TSysWavPlayFrom::pfDFM);
    playedBlock = {};
    EXPECT_TRUE(player->Play().Alive());
    ASSERT_NE(playedBlock.Block, nullptr);
    c.Replace(player);
    EXPECT_EQ(playedBlock.Block, nullptr);
    EXPECT_EQ(playedBlock.WholeWhenStopped, std::vector<bool>{true});
  }
}

}  // namespace
