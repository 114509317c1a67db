#include "shell/system/wave_player.h"

#include <mmsystem.h>

#include <utility>

#include "framework/properties.h"

namespace shell {

namespace {

BOOL WINAPI PlatformPlaySound(const wchar_t* sound, HMODULE module, DWORD flags) {
  return PlaySoundW(sound, module, flags);
}

TPlaySoundFunction playSound = &PlatformPlaySound;

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
  if (looped_) Play();
}

void TSysWav::SetNoWaitIfBusy(bool value) {
  if (value == noWaitIfBusy_) return;
  noWaitIfBusy_ = value;
  if (value && playing_) {
    Stop();
    Play();
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
  if (playFrom_ == TSysWavPlayFrom::pfResource && playing_) Play();
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
  if (playing_)
    Play();
  else
    Stop();
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

void TSysWav::Play() {
  BuildFlags();
  const TLifeWatch life = LifeWatch();
  playing_ = true;
  try {
    if (OnPlayBefore) OnPlayBefore(this);
    if (life.Ended()) return;
    const void* sound = soundName_.c_str();
    if (soundFromData_) sound = DataSize() != 0 ? Data().Memory() : nullptr;
    if (soundFromData_ && sound && (soundFlags_ & SND_ASYNC)) dataInUse_ = true;
    playSound(static_cast<const wchar_t*>(sound), soundModule_, soundFlags_);
    if (OnPlayAfter) OnPlayAfter(this);
  } catch (...) {
    if (!life.Ended()) playing_ = false;
    throw;
  }
  if (!life.Ended()) playing_ = false;
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
