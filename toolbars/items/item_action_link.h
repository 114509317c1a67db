// The link between an item and its action: the action's properties reach the item while the item still shows
// the action's value (captions compared without their accelerator marks), and the item runs the action.
#pragma once

#include "framework/actions.h"

namespace toolbars {

class TBarCustomItem;

class TBarCustomItemActionLink : public TActionLink {
  BC_CLASS(TBarCustomItemActionLink, TActionLink)
  explicit TBarCustomItemActionLink(TComponent* client) : TActionLink(client) {}

  bool IsAutoCheckLinked();
  bool IsCaptionLinked() override;
  bool IsCheckedLinked() override;
  bool IsEnabledLinked() override;
  bool IsHelpContextLinked() override;
  bool IsHintLinked() override;
  bool IsGroupIndexLinked() override { return false; }
  bool IsImageIndexLinked() override;
  bool IsShortCutLinked() override;
  bool IsVisibleLinked() override;
  bool IsOnExecuteLinked() override;

  void SetAutoCheck(bool value) override;
  void SetCaption(const String& value) override;
  void SetChecked(bool value) override;
  void SetEnabled(bool value) override;
  void SetHelpContext(int value) override;
  void SetHint(const String& value) override;
  void SetImageIndex(int value) override;
  void SetShortCut(TShortCut value) override;
  void SetVisible(bool value) override;
  void SetOnExecute(const TNotifyEvent& value) override;

 protected:
  void AssignClient(TComponent* client) override;
  TBarCustomItem* Client() const { return client_; }

 private:
  TCustomAction* CustomAction() const;
  TBarCustomItem* client_ = nullptr;
};

}  // namespace toolbars
