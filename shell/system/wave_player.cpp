#include "shell/system/wave_player.h"

#include <mmsystem.h>

#include <cstring>
#include <memory>
#include <utility>

#include "framework/properties.h"
#include "framework/streams.h"
#include "shell/file_routines.h"

namespace shell {

namespace {

BOOL WINAPI PlatformPlaySound(const wchar_t* sound, HMODULE module, DWORD flags) {
  return PlaySoundW(sound, module, flags);
}

TPlaySoundFunction playSound = &PlatformPlaySound;

// The sizes of a RIFF file's head, of a chunk's head, and of the format record whose last field counts the extra
// bytes after it.
constexpr int32_t kRiffHeadSize = 12;
constexpr int32_t kChunkHeadSize = 8;
constexpr uint32_t kExtendedFormatSize = 18;

uint32_t Le32(const unsigned char* bytes) {
  return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

// The platform's player trusts the sizes of a wave's chunks: one up to the sound's samples that claims more
// bytes than the sound holds, or a format whose extra part runs past its chunk, made it read past the sound and
// fault. Such a sound is not handed to it; nor, from memory, where the platform knows no end but the one the
// head claims, one whose head claims more than it holds, or that lacks a format followed by samples that end
// inside it (the platform searches on past the end for what is missing), nor one shorter than the head the
// platform reads from it. Its search for the format skips every chunk before it, samples too, by adding the
// chunk's size to a 32-bit position: samples ahead of the format that claim nearly 4 GB take it back to where it
// started, for ever. Anything else is, a sound that is no wave included, so that one it cannot play gives the
// default sound as it always did; a file cut short in its samples after the format plays what it holds.
bool HasHostileChunks(TStream& sound, bool inMemory) {
  unsigned char head[kRiffHeadSize];
  if (sound.Read(head, kRiffHeadSize) != kRiffHeadSize) return inMemory;
  if (std::memcmp(head, "RIFF", 4) != 0 || std::memcmp(head + 8, "WAVE", 4) != 0) return false;
  const int64_t size = sound.Size();
  if (inMemory && Le32(head + 4) > size - kChunkHeadSize) return true;
  bool format = false;
  for (int64_t at = kRiffHeadSize;;) {
    unsigned char chunk[kChunkHeadSize];
    sound.SetPosition(at);
    if (sound.Read(chunk, kChunkHeadSize) != kChunkHeadSize) return inMemory;
    const uint32_t chunkSize = Le32(chunk + 4);
    const int64_t body = at + kChunkHeadSize;
    const bool samples = std::memcmp(chunk, "data", 4) == 0;
    if (chunkSize > size - body) return !samples || inMemory || !format;
    if (samples) return inMemory && !format;
    format = format || std::memcmp(chunk, "fmt ", 4) == 0;
    if (std::memcmp(chunk, "fmt ", 4) == 0 && chunkSize >= kExtendedFormatSize) {
      unsigned char format[kExtendedFormatSize];
      if (sound.Read(format, kExtendedFormatSize) != kExtendedFormatSize) return true;
      const uint32_t extra = format[16] | format[17] << 8;
      if (kExtendedFormatSize + extra > chunkSize) return true;
    }
    at = body + chunkSize + (chunkSize & 1);
  }
}

// Whether the sound the player would hand over may go to the platform: a named file that opens is checked (one
// that is not there is the platform's to report, or to replace by the default sound), as are the program's resource
// and the stored data; a device, what opens as no file on a disk (a pipe, a link to a device), and a name the file
// system would cut (and so find another file by) are not handed over.
bool MayPlay(DWORD flags, const String& name, HMODULE module, TStream* data) {
  try {
    if (data) {
      data->SetPosition(0);
      return !HasHostileChunks(*data, true);
    }
    if (flags & SND_FILENAME) {
      if (FileNameError(name) != 0) return false;
      std::unique_ptr<TFileStream> file;
      try {
        file = std::make_unique<TFileStream>(name, fmOpenRead | fmShareDenyWrite);
      } catch (const EStreamError&) {
        return FileGetSize(name) == -1;
      }
      return !HasHostileChunks(*file, false);
    }
    if ((flags & SND_RESOURCE) && FindResourceW(module, name.c_str(), L"WAVE")) {
      TResourceStream resource(module, name.c_str(), L"WAVE");
      return !HasHostileChunks(resource, true);
    }
  } catch (const EStreamError&) {
    return false;
  }
  return true;
}

}  // namespace

TPlaySoundFunction SetPlaySoundFunction(TPlaySoundFunction function) {
  return std::exchange(playSound, function ? function : &PlatformPlaySound);
}

TSysWav::TSysWav(TComponent* owner) : TSysCustomFileStorage(owner) {}

TSysWav::~TSysWav() { Stop(); }

void TSysWav::SetAsyncPlay(bool value) {
  if (value == asyncPlay_) return;
  asyncPlay_ = value;
  if (value && playing_) Stop();
}

void TSysWav::SetLooped(bool value) {
  if (value == looped_) return;
  looped_ = value;
  if (!playing_) return;
  Stop();
  // The setter's last act.
  if (looped_ && Play().Gone()) return;
}

void TSysWav::SetNoWaitIfBusy(bool value) {
  if (value == noWaitIfBusy_) return;
  noWaitIfBusy_ = value;
  if (value && playing_) {
    Stop();
    // The setter's last act.
    if (Play().Gone()) return;
  }
}

void TSysWav::SetPlayFrom(TSysWavPlayFrom value) {
  if (value == playFrom_) return;
  playFrom_ = value;
  if (value == TSysWavPlayFrom::pfDFM)
    Load();
  else
    ClearData();
}

void TSysWav::SetResourceName(const String& value) {
  if (value == resourceName_) return;
  resourceName_ = value;
  // The setter's last act.
  if (playFrom_ == TSysWavPlayFrom::pfResource && playing_ && Play().Gone()) return;
}

void TSysWav::SetEventAlias(const String& value) {
  if (value == eventAlias_) return;
  eventAlias_ = value;
  if (playFrom_ == TSysWavPlayFrom::pfSystemEvent) Replay();
}

void TSysWav::SetFileName(const String& value) {
  if (value == FileName()) return;
  TSysCustomFileStorage::SetFileName(value);
  if (playFrom_ == TSysWavPlayFrom::pfDFM) Replay();
}

void TSysWav::Replay() {
  if (!playing_) {
    Stop();
    return;
  }
  // Both setters that replay do it as their last act.
  if (Play().Gone()) return;
}

void TSysWav::BuildFlags() {
  soundFlags_ = 0;
  soundModule_ = nullptr;
  soundName_.clear();
  soundFromData_ = false;
  if (asyncPlay_) soundFlags_ |= SND_ASYNC;
  if (looped_) soundFlags_ |= SND_LOOP;
  if (noDefaultSound_) soundFlags_ |= SND_NODEFAULT;
  if (noStopSound_) soundFlags_ |= SND_NOSTOP;
  if (noWaitIfBusy_) soundFlags_ |= SND_NOWAIT;
  switch (playFrom_) {
    case TSysWavPlayFrom::pfFile:
      soundFlags_ |= SND_FILENAME;
      soundName_ = FileName();
      break;
    case TSysWavPlayFrom::pfResource:
      soundFlags_ |= SND_RESOURCE;
      soundName_ = resourceName_;
      soundModule_ = GetModuleHandleW(nullptr);
      break;
    case TSysWavPlayFrom::pfDFM:
      soundFlags_ |= SND_MEMORY;
      soundFromData_ = true;
      break;
    case TSysWavPlayFrom::pfSystemEvent:
      soundFlags_ |= SND_ALIAS;
      soundName_ = eventAlias_;
      break;
  }
}

TRaised TSysWav::Play() {
  BuildFlags();
  const TLifeWatch life = LifeWatch();
  playing_ = true;
  try {
    if (RaiseEvent(OnPlayBefore, this).Gone()) return TRaised(false);
    const void* sound = soundName_.c_str();
    if (soundFromData_) sound = DataSize() != 0 ? Data().Memory() : nullptr;
    if (MayPlay(soundFlags_, soundName_, soundModule_, soundFromData_ && sound ? &Data() : nullptr)) {
      if (soundFromData_ && sound && (soundFlags_ & SND_ASYNC)) dataInUse_ = true;
      playSound(static_cast<const wchar_t*>(sound), soundModule_, soundFlags_);
    }
    if (RaiseEvent(OnPlayAfter, this).Gone()) return TRaised(false);
  } catch (...) {
    if (!life.Ended()) playing_ = false;
    throw;
  }
  playing_ = false;
  return TRaised(true);
}

void TSysWav::Stop() {
  playing_ = false;
  dataInUse_ = false;
  playSound(nullptr, nullptr, 0);
}

void TSysWav::ClearData() {
  if (dataInUse_) Stop();
  TSysCustomFileStorage::ClearData();
}

const TPublishedTable& TSysWav::PublishedTable() const {
  using P = TPublished<TSysWav>;
  using T = TSysWav;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Boolean(L"AsyncPlay", &T::AsyncPlay, &T::SetAsyncPlay).Default(true),
          P::Boolean(L"Looped", &T::Looped, &T::SetLooped).Default(false),
          P::Boolean(L"NoDefaultSound", &T::NoDefaultSound, &T::SetNoDefaultSound).Default(true),
          P::Boolean(L"NoStopSound", &T::NoStopSound, &T::SetNoStopSound).Default(false),
          P::Enumeration(L"PlayFrom", &T::PlayFrom, &T::SetPlayFrom,
                         {L"pfFile", L"pfResource", L"pfDFM", L"pfSystemEvent"})
              .Default(TSysWavPlayFrom::pfFile),
          P::Text(L"ResourceName", &T::ResourceName, &T::SetResourceName).Stored([](T* t) {
            return t->PlayFrom() == TSysWavPlayFrom::pfResource;
          }),
          P::Event(L"OnPlayAfter", &T::OnPlayAfter),
          P::Event(L"OnPlayBefore", &T::OnPlayBefore),
          P::Boolean(L"NoWaitIfBusy", &T::NoWaitIfBusy, &T::SetNoWaitIfBusy).Default(true),
          P::Text(L"EventAlias", &T::EventAlias, &T::SetEventAlias).Stored([](T* t) {
            return t->PlayFrom() == TSysWavPlayFrom::pfSystemEvent;
          }),
          P::Text(L"FileName", &T::FileName, &T::SetFileName).Stored([](T* t) {
            return t->PlayFrom() == TSysWavPlayFrom::pfFile;
          }),
          P::Integer(L"DataSize", &T::GetDataSize, &T::SetDataSize).Stored(false),
      });
  return table;
}

}  // namespace shell
