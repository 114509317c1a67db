// TSysFileOperation: copies, moves, renames or deletes files through the shell, with the shell's progress and
// confirmation dialogs as the options allow.
#pragma once

#include <memory>

#include "framework/set.h"
#include "framework/strings.h"
#include "shell/system/sys_component.h"

namespace shell {

enum class TSysFileOperationType { fotCopy, fotDelete, fotMove, fotRename };
enum class TSysFileOperationFlag {
  fofAllowUndo,
  fofFilesOnly,
  fofNoConfirmation,
  fofNoConfirmMkDir,
  fofNoErrorUI,
  fofRenameCollision,
  fofSilent,
  fofSimpleProgress
};
using TSysFileOperationFlags = TSet<TSysFileOperationFlag, 8>;
using TSysFileOperationEvent = TDelegate<void(TObject* Sender, const String& S, bool& Handled)>;

class TSysFileOperation : public TSysComponent {
  BC_CLASS(TSysFileOperation, TSysComponent)
  explicit TSysFileOperation(TComponent* owner = nullptr);
  ~TSysFileOperation() override;

  // One source per line; when any line holds "=", every line is a source, "=" and its destination.
  TStrings* FileList() const { return fileList_.get(); }
  void SetFileList(TStrings* value) { fileList_->Assign(value); }
  const String& DestFolder() const { return destFolder_; }
  void SetDestFolder(const String& value) { destFolder_ = value; }
  const String& ProgressTitle() const { return progressTitle_; }
  void SetProgressTitle(const String& value) { progressTitle_ = value; }
  TSysFileOperationType Operation() const { return operation_; }
  void SetOperation(TSysFileOperationType value) { operation_ = value; }
  TSysFileOperationFlags Options() const { return options_; }
  void SetOptions(TSysFileOperationFlags value) { options_ = value; }

  // True when the shell did the whole operation (an empty list is done at once). A failure other than the user's
  // cancel reaches OnError with the system's text.
  virtual bool ExecuteOperation(TSysFileOperationType operation);
  virtual bool Execute() { return ExecuteOperation(operation_); }
  // The system's text for an error code; empty for 0.
  virtual void GetErrorText(DWORD code, String& text) const;
  // Raises OnError; handled tells whether the handler dealt with the error.
  virtual TRaised DoError(const String& text, bool& handled);

  TSysFileOperationEvent OnError;

  const TPublishedTable& PublishedTable() const override;

 private:
  std::unique_ptr<TStringList> fileList_;
  String destFolder_;
  String progressTitle_;
  TSysFileOperationType operation_ = TSysFileOperationType::fotCopy;
  TSysFileOperationFlags options_{TSysFileOperationFlag::fofAllowUndo, TSysFileOperationFlag::fofFilesOnly,
                                  TSysFileOperationFlag::fofRenameCollision};
};

}  // namespace shell
