// The standard edit actions (cut, copy, paste, delete, select all). Without a handler of their own they act on
// the edit control they name, or else on the focused one; any other control takes them by overriding its
// ExecuteAction and UpdateAction, which the active form asks first.
#pragma once

#include "framework/actions.h"

class TEdit;
struct TUnit;

class TEditAction : public TAction {
  BC_CLASS(TEditAction, TAction)
  explicit TEditAction(TComponent* owner = nullptr);
  ~TEditAction() override;

  // The one edit control the action acts on; null: the focused edit control.
  TEdit* Control() const { return control_; }
  void SetControl(TEdit* value);

  bool HandlesTarget(TObject* target) override;

 protected:
  void Notification(TComponent* component, TOperation operation) override;
  // The edit window's selection is not empty.
  static bool HasSelection(TEdit* edit);

 private:
  TEdit* control_ = nullptr;
};

class TEditCut : public TEditAction {
  BC_CLASS(TEditCut, TEditAction)
  using TEditAction::TEditAction;
  void ExecuteTarget(TObject* target) override;
  void UpdateTarget(TObject* target) override;
};

class TEditCopy : public TEditAction {
  BC_CLASS(TEditCopy, TEditAction)
  using TEditAction::TEditAction;
  void ExecuteTarget(TObject* target) override;
  void UpdateTarget(TObject* target) override;
};

class TEditPaste : public TEditAction {
  BC_CLASS(TEditPaste, TEditAction)
  using TEditAction::TEditAction;
  void ExecuteTarget(TObject* target) override;
  void UpdateTarget(TObject* target) override;
};

class TEditDelete : public TEditAction {
  BC_CLASS(TEditDelete, TEditAction)
  using TEditAction::TEditAction;
  void ExecuteTarget(TObject* target) override;
  void UpdateTarget(TObject* target) override;
};

class TEditSelectAll : public TEditAction {
  BC_CLASS(TEditSelectAll, TEditAction)
  using TEditAction::TEditAction;
  void ExecuteTarget(TObject* target) override;
  void UpdateTarget(TObject* target) override;
};

// Registers the standard actions for stored forms.
const TUnit& StdActionsUnit();
