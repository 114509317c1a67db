// Form-file data storage: a block of bytes kept in memory and stored with the form as the binary property
// "FileData" (its size in four little-endian bytes, then the bytes), which can be loaded from and saved to a file.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/streams.h"
#include "shell/system/sys_component.h"

namespace shell {

BC_EXCEPTION(ESysFileStorage, Exception)

using TSysFileStorageOnFileOperation = TDelegate<void(TObject* Sender, bool Successful)>;
using TSysFileStorageOnConfirmOverride = TDelegate<void(TObject* Sender, bool& OverrideFile)>;

class TSysCustomFileStorage : public TSysComponent {
  BC_CLASS(TSysCustomFileStorage, TSysComponent)
  explicit TSysCustomFileStorage(TComponent* owner = nullptr);
  ~TSysCustomFileStorage() override;

  TMemoryStream& Data() const { return *data_; }
  uint32_t DataSize() const { return GetDataSize(); }
  const String& FileName() const { return fileName_; }
  const String& SaveName() const { return saveName_; }
  void SetSaveName(const String& value);
  bool AutoSave() const { return autoSave_; }

  // The file's bytes replace the stored ones: false for a missing file (the store is emptied), ESysFileStorage
  // "Can not load data from the "%s" file. <cause>" when it cannot be read (the stored bytes stay). OnLoad runs
  // last in every case.
  virtual bool LoadFromFile(const String& name);
  // Writes the stored bytes, after OnConfirmOverride agrees to replace an existing file. ESysFileStorage
  // "Can not save data to the "%s" file. <cause>" when it cannot be written, the cause naming the file and the
  // system's reason. OnSave runs last in every case.
  virtual bool SaveToFile(const String& name);
  virtual void Load() { LoadFromFile(fileName_); }
  virtual void Save() { SaveToFile(saveName_); }
  virtual void SetAutoSave(bool value);
  virtual void SetFileName(const String& value);
  virtual uint32_t GetDataSize() const { return dataSize_; }
  // The size follows the data; a stored size is ignored.
  virtual void SetDataSize(uint32_t) {}
  // Every replacement of the stored bytes runs it first, while the old block still exists.
  virtual void ClearData();

  TSysFileStorageOnFileOperation OnLoad;
  TSysFileStorageOnFileOperation OnSave;
  TSysFileStorageOnConfirmOverride OnConfirmOverride;

  void DefineProperties(TFiler& filer) override;
  // An AutoSave that fails goes to the application's exception handler instead of failing the form.
  TRaised Loaded() override;

 protected:
  // Raises EReadError when the stream holds fewer bytes than its size field names.
  virtual void ReadData(TStream& stream);
  virtual void WriteData(TStream& stream);

 private:
  std::unique_ptr<TMemoryStream> data_;
  uint32_t dataSize_ = 0;
  bool autoSave_ = false;
  String fileName_;
  String saveName_;
};

class TSysFileStorage : public TSysCustomFileStorage {
  BC_CLASS(TSysFileStorage, TSysCustomFileStorage)
  using TSysCustomFileStorage::TSysCustomFileStorage;
  const TPublishedTable& PublishedTable() const override;
};

}  // namespace shell
