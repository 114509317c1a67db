// TSysFileAssociation: the class keys of one file extension under HKEY_CLASSES_ROOT: its file type, description,
// icon and the open, open-new, edit, print and print-to commands. Setting the extension reads them; with ReadOnly
// off, every other change is written back at once.
#pragma once

#include <memory>

#include "framework/icon.h"
#include "shell/system/sys_component.h"

namespace shell {

class TSysFileAssociation : public TSysComponent {
  BC_CLASS(TSysFileAssociation, TSysComponent)
  explicit TSysFileAssociation(TComponent* owner = nullptr);
  ~TSysFileAssociation() override;

  // The verbs, in the order of their keys.
  enum TVerb { vbOpen, vbOpenNew, vbEdit, vbPrint, vbPrintTo, vbCount };

  const String& Extension() const { return extension_; }
  // Gets a leading "." when it lacks one, then everything else is read from the registry.
  void SetExtension(const String& value);
  const String& ExtDescription() const { return extDescription_; }
  void SetExtDescription(const String& value) { Change(extDescription_, value); }
  const String& FileDescription() const { return fileDescription_; }
  void SetFileDescription(const String& value) { Change(fileDescription_, value); }
  const String& IconFile() const { return iconFile_; }
  void SetIconFile(const String& value) { Change(iconFile_, value); }
  int IconIndex() const { return iconIndex_; }
  void SetIconIndex(int value);
  const String& Command(TVerb verb) const { return commands_[verb]; }
  void SetCommand(TVerb verb, const String& value) { Change(commands_[verb], value); }
  const String& CommandDescription(TVerb verb) const { return descriptions_[verb]; }
  void SetCommandDescription(TVerb verb, const String& value) { Change(descriptions_[verb], value); }
  TIcon* LargeIcon() const { return largeIcon_.get(); }
  TIcon* SmallIcon() const { return smallIcon_.get(); }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value) { readOnly_ = value; }

  // Each answers false where a key cannot be opened or made.
  virtual bool Read();
  virtual bool Write();
  // Removes the extension's key (the file type's key stays) and reads again.
  virtual bool Delete();
  virtual void Update();

  const TPublishedTable& PublishedTable() const override;

 private:
  void Change(String& field, const String& value);
  bool Busy() const { return IsLoading() || IsDestroying(); }
  void Clear();
  void LoadFallbackIcon();
  String Dotted(const String& extension) const;

  String extension_;
  String extDescription_;
  String fileDescription_;
  String iconFile_;
  int iconIndex_ = 0;
  String commands_[vbCount];
  String descriptions_[vbCount];
  std::unique_ptr<TIcon> largeIcon_;
  std::unique_ptr<TIcon> smallIcon_;
  bool readOnly_ = true;
};

}  // namespace shell
