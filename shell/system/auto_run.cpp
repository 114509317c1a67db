#include "shell/system/auto_run.h"

#include "framework/properties.h"
#include "shell/file_routines.h"

namespace shell {

TSysAutoRun::TSysAutoRun(TComponent* owner) : TSysComponent(owner) {
  if (!IsDesigning()) fileName_ = GetModulePath(nullptr);
}

void TSysAutoRun::SetAutoRun(bool value) { Change(autoRun_, value); }
void TSysAutoRun::SetFileName(const String& value) { Change(fileName_, value); }
void TSysAutoRun::SetKind(TSysAutoExecKind value) { Change(kind_, value); }

void TSysAutoRun::Apply() {
  if (IsDesigning() || IsLoading()) return;
  Remove();
  if (autoRun_) shell::SetAutoRun(kind_, fileName_);
}

void TSysAutoRun::Remove() {
  if (IsDesigning() || IsLoading()) return;
  RemoveAutoRun(kind_, fileName_);
}

TRaised TSysAutoRun::Loaded() {
  if (TSysComponent::Loaded().Gone()) return TRaised(false);
  Apply();
  return TRaised(true);
}

const TPublishedTable& TSysAutoRun::PublishedTable() const {
  using P = TPublished<TSysAutoRun>;
  using T = TSysAutoRun;
  static const TPublishedTable table(&inherited::PublishedTable(),
                                     {
                                         P::Boolean(L"AutoRun", &T::AutoRun, &T::SetAutoRun).Default(false),
                                         P::Text(L"FileName", &T::FileName, &T::SetFileName),
                                         P::Enumeration(L"Kind", &T::Kind, &T::SetKind,
                                                        {L"aekMachineRun", L"aekMachineRunOnce", L"aekUserRun",
                                                         L"aekUserRunOnce", L"aekServiceRun", L"aekServiceRunOnce"})
                                             .Default(TSysAutoExecKind::aekMachineRun),
                                     });
  return table;
}

}  // namespace shell
