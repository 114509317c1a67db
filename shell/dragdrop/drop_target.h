// A drop target makes window controls accept OLE drops: it registers each control through a hidden child window
// (so a control whose window is made anew is registered again), negotiates the effect from the modifier keys and
// the drag types, scrolls the control under the cursor, shows the drag image, and reads the clipboard as a drop.
// The multi-format target reads the dropped data into its data formats.
#pragma once

#include <objidl.h>
#include <oleidl.h>
#include <shobjidl.h>
#include <windows.h>
#include <wrl/client.h>

#include <memory>
#include <vector>

#include "framework/delegate.h"
#include "framework/image_list.h"
#include "framework/shift_state.h"
#include "framework/timer.h"
#include "framework/win_control.h"
#include "shell/dragdrop/data_format.h"
#include "shell/dragdrop/drop_effects.h"

namespace shell {

enum class TScrolDirection : uint8_t { sdUp, sdDown, sdLeft, sdRight };
using TScrolDirections = TSet<TScrolDirection, 8>;

using TDropTargetEvent = TDelegate<void(TObject* Sender, TShiftState ShiftState, POINT APoint, DWORD& Effect)>;
using TDropTargetScrollEvent = TDelegate<void(TObject* Sender, POINT Point, TScrolDirections& Scroll, int& Interval)>;
using TAcceptFormatEvent = TDelegate<void(TObject* Sender, TCustomDataFormat* DataFormat, bool& Accept)>;

// Milliseconds before auto-scroll starts, and between two scrolled lines.
extern int DragDropScrollDelay;
extern int DragDropScrollInterval;

class TDropTargetTransferThread;

class TCustomDropTarget : public TDragDropComponent, public IDropTarget {
  BC_CLASS(TCustomDropTarget, TDragDropComponent)
  explicit TCustomDropTarget(TComponent* owner);
  ~TCustomDropTarget() override;

  // The object of the drag in progress, or null.
  IDataObject* DataObject() const { return dataObject_.Get(); }
  TDragTypes Dragtypes() const { return dragTypes_; }
  void SetDragtypes(TDragTypes value) { dragTypes_ = value; }
  bool GetDataOnEnter() const { return getDataOnEnter_; }
  void SetGetDataOnEnter(bool value) { getDataOnEnter_ = value; }
  bool MultiTarget() const { return multiTarget_; }
  void SetMultiTarget(bool value) { multiTarget_ = value; }
  bool OptimizedMove() const { return optimizedMove_; }
  void SetOptimizedMove(bool value) { optimizedMove_ = value; }
  bool ShowImage() const { return showImage_; }
  void SetShowImage(bool value);
  bool AutoScroll() const { return autoScroll_; }
  void SetAutoScroll(bool value) { autoScroll_ = value; }
  bool AllowAsyncTransfer() const { return allowAsyncTransfer_; }
  void SetAllowAsyncTransfer(bool value) { allowAsyncTransfer_ = value; }
  bool AsyncTransferring() const { return asyncTransferring_; }
  // The registered controls, a parent always before its children.
  const std::vector<TWinControl*>& Targets() const { return targets_; }
  // During a drag the registered control under the cursor, else the first registered control (or null).
  TWinControl* Target() const;
  // Registers value alone. The registration places a child in the control, whose alignment raises handlers of
  // its controls: these and the next two answer whether the target outlived them.
  TRaised SetTarget(TWinControl* value);
  POINT LastPoint() const { return lastPoint_; }
  RECT ScrollZone() const { return scrollZone_; }

  TDropTargetEvent OnEnter;
  TDropTargetEvent OnDragOver;
  TNotifyEvent OnLeave;
  TDropTargetEvent OnDrop;
  TDropTargetEvent OnGetDropEffect;
  TDropTargetScrollEvent OnScroll;
  TNotifyEvent OnStartAsyncTransfer;
  TNotifyEvent OnEndAsyncTransfer;

  // Unless MultiTarget is set the control replaces every registered one. Raises EOleSysError when the platform
  // refuses the registration.
  TRaised RegisterTargetControl(TWinControl* control);
  // Null unregisters every control.
  TRaised UnregisterTargetControl(TWinControl* control);
  // Reads the OLE clipboard as a drop without a point; answers the effect.
  virtual DWORD PasteFromClipboard();
  // The clipboard pastes; a data object is read as a copy.
  void Assign(const TPersistent* source) override;
  // A transfer still running ends first.
  void BeforeDestruction() override;

  // IUnknown: the component's life is not counted. The windows are registered with an object of its own that calls
  // these while the target lives (a drag may outlast a target freed in its handlers).
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return InterfacedAddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return InterfacedRelease(); }

  // IDropTarget
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* dataObject, DWORD keyState, POINTL point, DWORD* effect) override;
  // Without acceptable data the effect is none.
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragLeave() override;
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* dataObject, DWORD keyState, POINTL point, DWORD* effect) override;

 protected:
  void* FindInterface(REFIID iid) override;
  void Notification(TComponent* component, TOperation operation) override;

  virtual TRaised DoEnter(TShiftState shiftState, POINT point, DWORD& effect);
  virtual TRaised DoDragOver(TShiftState shiftState, POINT point, DWORD& effect);
  // Runs OnDrop, then records the effect as performed (a move as a copy with OptimizedMove).
  virtual TRaised DoDrop(TShiftState shiftState, POINT point, DWORD& effect);
  virtual TRaised DoLeave();
  virtual TRaised DoOnPaste(DWORD& effect);
  virtual TRaised DoScroll(POINT point, TScrolDirections& scroll, int& interval);
  // Reads the data object, on a thread of its own when the source allows an asynchronous transfer.
  virtual bool GetData(DWORD effect);
  virtual bool DoGetData(IDataObject* dataObject) = 0;
  // Answers whether the target outlived the data formats' OnChanging.
  virtual TRaised ClearData() = 0;
  virtual DWORD GetDropEffect(TShiftState shiftState, POINT point, DWORD effect);
  // The "Preferred DropEffect" the data object offers; 0 when it offers none.
  virtual DWORD GetPreferredDropEffect();
  virtual bool SetPerformedDropEffect(DWORD effect);
  virtual bool SetPasteSucceeded(DWORD effect);
  virtual TWinControl* FindTarget(POINT screenPoint);
  virtual bool HasValidFormats(IDataObject* dataObject) = 0;
  // As the target goes: marks it as going, so that the transfer's end raises no OnEndAsyncTransfer about it, and
  // ends the transfer (FinishTransfer). A part that owns what the worker reads into calls it first in its
  // destructor: a target held by value is not deleted, so no BeforeDestruction stops the worker for it.
  void RetireTransfer();

 private:
  friend class TDropTargetTransferThread;

  // Waits for the transfer worker to end and frees it, or lets it free itself when called from its OnTerminate.
  void FinishTransfer();

  void EnterTarget(DWORD effect, DWORD keyState, POINT screenPoint, HRESULT& result, DWORD& outEffect);
  void BeginDragImage(IDataObject* dataObject, POINT screenPoint, DWORD effect);
  void MeasureScrollZone();
  void DoAutoScroll(TObject* sender);
  void StopScrollTimer() { scrollTimer_->SetEnabled(false); }
  POINT ToClient(POINT screenPoint) const;
  void EndAsyncTransfer(TObject* sender);
  void LeaveDrag();

  Microsoft::WRL::ComPtr<IDataObject> dataObject_;
  TDragTypes dragTypes_;
  bool getDataOnEnter_ = false;
  std::vector<TWinControl*> targets_;
  bool multiTarget_ = false;
  bool optimizedMove_ = false;
  TWinControl* target_ = nullptr;
  std::unique_ptr<TImageList> imageList_;
  HIMAGELIST dragImageList_ = nullptr;
  bool showImage_ = true;
  POINT dragImageHotSpot_{};
  Microsoft::WRL::ComPtr<IDropTargetHelper> dropTargetHelper_;
  POINT lastPoint_{};
  bool hasHorizontalScrollBar_ = false;
  bool hasVerticalScrollBar_ = false;
  std::unique_ptr<TTimer> scrollTimer_;
  bool autoScroll_ = true;
  RECT scrollZone_{};
  bool asyncTransferring_ = false;
  bool allowAsyncTransfer_ = false;
  std::unique_ptr<TDropTargetTransferThread> transferThread_;
  // OnEndAsyncTransfer runs, from the worker's OnTerminate.
  bool endingTransfer_ = false;
  // What the registered windows hand the platform.
  Microsoft::WRL::ComPtr<IDropTarget> platformTarget_;
};

// A drop target that reads every data format of its list that the data object serves.
class TCustomDropMultiTarget : public TCustomDropTarget {
  BC_CLASS(TCustomDropMultiTarget, TCustomDropTarget)
  explicit TCustomDropMultiTarget(TComponent* owner);
  ~TCustomDropMultiTarget() override;

  std::optional<TConversionScope> DataFormatScope() const override { return TConversionScope::csTarget; }
  TAcceptFormatEvent OnAcceptFormat;

 protected:
  bool DoGetData(IDataObject* dataObject) override;
  // Raises Exception while an asynchronous transfer fills the data formats.
  TRaised ClearData() override;
  bool HasValidFormats(IDataObject* dataObject) override;
  virtual TRaised DoAcceptFormat(TCustomDataFormat* dataFormat, bool& accept);
};

}  // namespace shell
