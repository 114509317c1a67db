#include "framework/std_actions.h"

#include <array>

#include "framework/edit.h"
#include "framework/startup.h"

namespace {

TEdit* EditOf(TObject* target) { return ObjectAs<TEdit>(target); }

LRESULT Send(TObject* target, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
  return SendMessageW(EditOf(target)->Handle(), msg, wParam, lParam);
}

bool Editable(TObject* target) { return !EditOf(target)->ReadOnly(); }

std::array<const TClass*, 5> StandardActionClasses() {
  return {TEditCut::StaticClass(), TEditCopy::StaticClass(), TEditPaste::StaticClass(), TEditDelete::StaticClass(),
          TEditSelectAll::StaticClass()};
}

void RegisterStandardActions() {
  for (const TClass* cls : StandardActionClasses()) RegisterPersistentClass(cls);
}

void UnregisterStandardActions() {
  for (const TClass* cls : StandardActionClasses()) UnregisterPersistentClass(cls);
}

}  // namespace

TEditAction::TEditAction(TComponent* owner) : TAction(owner) {}

TEditAction::~TEditAction() { SetControl(nullptr); }

void TEditAction::SetControl(TEdit* value) {
  if (value == control_) return;
  if (control_) control_->RemoveFreeNotification(this);
  control_ = value;
  if (value) value->FreeNotification(this);
}

bool TEditAction::HandlesTarget(TObject* target) {
  TEdit* edit = EditOf(target);
  if (control_) return edit == control_;
  return edit && edit->Focused();
}

void TEditAction::Notification(TComponent* component, TOperation operation) {
  TAction::Notification(component, operation);
  if (operation == TOperation::opRemove && component == control_) control_ = nullptr;
}

bool TEditAction::HasSelection(TEdit* edit) {
  DWORD start = 0, end = 0;
  SendMessageW(edit->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return end > start;
}

void TEditCut::ExecuteTarget(TObject* target) { Send(target, WM_CUT); }
void TEditCut::UpdateTarget(TObject* target) { SetEnabled(HasSelection(EditOf(target)) && Editable(target)); }

void TEditCopy::ExecuteTarget(TObject* target) { Send(target, WM_COPY); }
void TEditCopy::UpdateTarget(TObject* target) { SetEnabled(HasSelection(EditOf(target))); }

void TEditPaste::ExecuteTarget(TObject* target) { Send(target, WM_PASTE); }
void TEditPaste::UpdateTarget(TObject* target) {
  SetEnabled(Editable(target) && IsClipboardFormatAvailable(CF_UNICODETEXT));
}

void TEditDelete::ExecuteTarget(TObject* target) { Send(target, WM_CLEAR); }
void TEditDelete::UpdateTarget(TObject* target) { SetEnabled(HasSelection(EditOf(target)) && Editable(target)); }

void TEditSelectAll::ExecuteTarget(TObject* target) { EditOf(target)->SelectAll(); }
void TEditSelectAll::UpdateTarget(TObject* target) { SetEnabled(GetWindowTextLengthW(EditOf(target)->Handle()) > 0); }

const TUnit& StdActionsUnit() {
  static const TUnit unit{L"standard actions", &RegisterStandardActions, &UnregisterStandardActions, {&ActionsUnit()}};
  return unit;
}
