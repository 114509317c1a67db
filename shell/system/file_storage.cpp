#include "shell/system/file_storage.h"

#include "framework/exception_hook.h"
#include "framework/properties.h"
#include "framework/whole_file.h"
#include "shell/file_routines.h"
#include "shell/system/message_box.h"
#include "shell/system/name_routines.h"

namespace shell {

namespace {

void Warn(const wchar_t* text) { SysMessageBox(nullptr, text, L"Warning", MB_ICONWARNING); }

}  // namespace

TSysCustomFileStorage::TSysCustomFileStorage(TComponent* owner)
    : TSysComponent(owner), data_(std::make_unique<TMemoryStream>()) {}

TSysCustomFileStorage::~TSysCustomFileStorage() = default;

void TSysCustomFileStorage::DefineProperties(TFiler& filer) {
  TSysComponent::DefineProperties(filer);
  filer.DefineBinaryProperty(
      L"FileData", [this](TStream& s) { ReadData(s); }, [this](TStream& s) { WriteData(s); }, true);
}

void TSysCustomFileStorage::ReadData(TStream& stream) {
  uint32_t size = 0;
  stream.ReadBuffer(&size, sizeof size);
  // The size field comes from outside: never trust it with an allocation the bytes do not back.
  if (size > stream.Size() - stream.Position()) throw EReadError(L"Stream read error");
  ClearData();
  data_->SetSize(size);
  if (size != 0) stream.ReadBuffer(data_->Memory(), static_cast<int32_t>(size));
  dataSize_ = size;
}

void TSysCustomFileStorage::WriteData(TStream& stream) {
  stream.WriteBuffer(&dataSize_, sizeof dataSize_);
  if (dataSize_ != 0) stream.WriteBuffer(data_->Memory(), static_cast<int32_t>(dataSize_));
}

TRaised TSysCustomFileStorage::Loaded() {
  if (TSysComponent::Loaded().Gone()) return TRaised(false);
  if (!autoSave_ || IsDesigning()) return TRaised(true);
  // A save that fails (a SaveName that names no file, a full disk) is reported; the rest of the form is read.
  try {
    Save();
  } catch (const Exception&) {
    ApplicationHandleException(this);
  }
  return TRaised(true);
}

void TSysCustomFileStorage::SetFileName(const String& value) {
  fileName_ = value;
  if (IsDesigning()) Load();
}

void TSysCustomFileStorage::SetSaveName(const String& value) {
  if (value == saveName_) return;
  saveName_ = value;
  if (IsDesigning() && !CanCreateFile(value)) SetAutoSave(false);
}

void TSysCustomFileStorage::SetAutoSave(bool value) {
  if (value && IsDesigning() && !CanCreateFile(saveName_)) {
    Warn(L"AutoSave can not be set because the SaveName property contains a wrong file name");
    value = false;
  }
  autoSave_ = value;
}

void TSysCustomFileStorage::ClearData() {
  dataSize_ = 0;
  data_->SetSize(0);
}

bool TSysCustomFileStorage::LoadFromFile(const String& name) {
  bool result = false;
  try {
    if (FileGetSize(name) == -1) {
      ClearData();
    } else {
      // Read aside first: a file that cannot be read leaves the stored bytes as they were.
      auto fresh = std::make_unique<TMemoryStream>();
      try {
        TFileStream file(name, fmOpenRead | fmShareDenyWrite);
        const int64_t size = file.Size();
        if (size > INT32_MAX) throw EReadError(L"Stream read error");
        fresh->SetSize(size);
        file.ReadBuffer(fresh->Memory(), static_cast<int32_t>(size));
      } catch (const Exception& error) {
        throw ESysFileStorage(Format(L"Can not load data from the \"%s\" file. %s", {name, error.Message()}));
      }
      ClearData();
      dataSize_ = static_cast<uint32_t>(fresh->Size());
      data_ = std::move(fresh);
      result = true;
    }
  } catch (...) {
    // The handler runs before the error goes on; what it frees is not touched again.
    if (RaiseEvent(OnLoad, this, false).Gone()) throw;
    throw;
  }
  if (RaiseEvent(OnLoad, this, result).Gone()) return result;
  return result;
}

bool TSysCustomFileStorage::SaveToFile(const String& name) {
  bool result = false;
  // The handler may free the storage, and name with it when it is SaveName: then nothing is saved or told.
  const TLifeWatch life = LifeWatch();
  try {
    bool overrideFile = true;
    if (FileGetSize(name) != -1 && RaiseEvent(OnConfirmOverride, this, overrideFile).Gone()) return false;
    if (overrideFile) {
      try {
        SaveWholeFile(name, [this](TStream& file) {
          if (dataSize_ != 0) file.WriteBuffer(data_->Memory(), static_cast<int32_t>(dataSize_));
        });
        result = true;
      } catch (const Exception& error) {
        throw ESysFileStorage(Format(L"Can not save data to the \"%s\" file. %s", {name, error.Message()}));
      }
    }
  } catch (...) {
    if (!life.Ended() && RaiseEvent(OnSave, this, false).Gone()) throw;
    throw;
  }
  if (RaiseEvent(OnSave, this, result).Gone()) return result;
  return result;
}

const TPublishedTable& TSysFileStorage::PublishedTable() const {
  using P = TPublished<TSysFileStorage>;
  using T = TSysFileStorage;
  static const TPublishedTable table(&inherited::PublishedTable(),
                                     {
                                         P::Text(L"SaveName", &T::SaveName, &T::SetSaveName),
                                         P::Text(L"FileName", &T::FileName, &T::SetFileName),
                                         P::Integer(L"DataSize", &T::GetDataSize, &T::SetDataSize).Stored(false),
                                         P::Boolean(L"AutoSave", &T::AutoSave, &T::SetAutoSave).Default(false),
                                         P::Event(L"OnLoad", &T::OnLoad),
                                         P::Event(L"OnSave", &T::OnSave),
                                         P::Event(L"OnConfirmOverride", &T::OnConfirmOverride),
                                     });
  return table;
}

}  // namespace shell
