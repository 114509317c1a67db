// TSysWav: plays one wave sound from a file, a resource of the program, the data stored with the form, or a
// system sound event.
#pragma once

#include <windows.h>

#include "shell/system/file_storage.h"

namespace shell {

enum class TSysWavPlayFrom { pfFile, pfResource, pfDFM, pfSystemEvent };

// How a sound reaches the platform; the default calls PlaySoundW. Installs function (null: the platform's own)
// and returns the one it replaces.
using TPlaySoundFunction = BOOL(WINAPI*)(const wchar_t* sound, HMODULE module, DWORD flags);
TPlaySoundFunction SetPlaySoundFunction(TPlaySoundFunction function);

class TSysWav : public TSysCustomFileStorage {
  BC_CLASS(TSysWav, TSysCustomFileStorage)
  explicit TSysWav(TComponent* owner = nullptr);
  ~TSysWav() override;

  bool AsyncPlay() const { return asyncPlay_; }
  virtual void SetAsyncPlay(bool value);
  bool Looped() const { return looped_; }
  virtual void SetLooped(bool value);
  bool NoDefaultSound() const { return noDefaultSound_; }
  void SetNoDefaultSound(bool value) { noDefaultSound_ = value; }
  bool NoStopSound() const { return noStopSound_; }
  void SetNoStopSound(bool value) { noStopSound_ = value; }
  bool NoWaitIfBusy() const { return noWaitIfBusy_; }
  virtual void SetNoWaitIfBusy(bool value);
  TSysWavPlayFrom PlayFrom() const { return playFrom_; }
  // pfDFM loads the file FileName as the data; any other source empties the data.
  virtual void SetPlayFrom(TSysWavPlayFrom value);
  const String& ResourceName() const { return resourceName_; }
  virtual void SetResourceName(const String& value);
  const String& EventAlias() const { return eventAlias_; }
  virtual void SetEventAlias(const String& value);
  void SetFileName(const String& value) override;
  // True only while Play runs.
  bool Playing() const { return playing_; }
  // The flags of the last call, as BuildFlags made them.
  DWORD SoundFlags() const { return soundFlags_; }

  // Makes the platform call's arguments from the properties.
  virtual void BuildFlags();
  // A sound that cannot be played is not reported. OnPlayBefore and OnPlayAfter may change the player or free
  // it; the platform gets the sound named when Play began (the stored data as it is when the platform is called).
  // Answers whether the player outlived them.
  virtual TRaised Play();
  // Ends the sound that is playing.
  virtual void Stop();
  // Ends a sound the platform still plays from the stored data before that data goes.
  void ClearData() override;

  TNotifyEvent OnPlayBefore;
  TNotifyEvent OnPlayAfter;

  const TPublishedTable& PublishedTable() const override;

 private:
  // A changed sound source while a sound starts: play the new one, or stop.
  void Replay();

  bool asyncPlay_ = true;
  bool looped_ = false;
  bool noDefaultSound_ = true;
  bool noStopSound_ = false;
  TSysWavPlayFrom playFrom_ = TSysWavPlayFrom::pfFile;
  String resourceName_ = L"WAVE1";
  bool noWaitIfBusy_ = true;
  String eventAlias_ = L".Default";
  bool playing_ = false;
  // The sound's name as BuildFlags took it, a copy of its own; unused when the sound is the stored data.
  String soundName_;
  bool soundFromData_ = false;
  DWORD soundFlags_ = 0;
  HMODULE soundModule_ = nullptr;
  // The platform may be reading the stored data: a sound from it was started without waiting for its end.
  bool dataInUse_ = false;
};

}  // namespace shell
