// TSysAutoRun: an automatic-start entry for a program in the registry, kept in step with its properties.
#pragma once

#include "shell/system/auto_run_routines.h"
#include "shell/system/sys_component.h"

namespace shell {

class TSysAutoRun : public TSysComponent {
  BC_CLASS(TSysAutoRun, TSysComponent)
  // FileName starts as this program's own file.
  explicit TSysAutoRun(TComponent* owner = nullptr);

  bool AutoRun() const { return autoRun_; }
  void SetAutoRun(bool value);
  const String& FileName() const { return fileName_; }
  void SetFileName(const String& value);
  TSysAutoExecKind Kind() const { return kind_; }
  void SetKind(TSysAutoExecKind value);

  // Writes the entry when AutoRun is on, after removing the one there was.
  virtual void Apply();
  virtual void Remove();

  TRaised Loaded() override;
  const TPublishedTable& PublishedTable() const override;

 private:
  template <class T>
  void Change(T& field, const T& value) {
    if (field == value) return;
    Remove();
    field = value;
    Apply();
  }

  bool autoRun_ = false;
  String fileName_;
  TSysAutoExecKind kind_ = TSysAutoExecKind::aekMachineRun;
};

}  // namespace shell
