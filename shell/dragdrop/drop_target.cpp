#include "shell/dragdrop/drop_target.h"

#include <commctrl.h>
#include <shlguid.h>

#include <algorithm>
#include <cwctype>

#include "framework/bitmap.h"
#include "framework/clipboard.h"
#include "framework/com_guard.h"
#include "framework/com_object.h"
#include "framework/exceptions.h"
#include "framework/format_etc.h"
#include "framework/thread.h"
#include "shell/dragdrop/simple_clipboard_formats.h"

namespace shell {

using Microsoft::WRL::ComPtr;

int DragDropScrollDelay = 50;
int DragDropScrollInterval = 50;

namespace {

const int kTransparentImageSize = 32;

// The invisible child through which a control is registered: its window's life is the registration's, so a
// control whose window is made anew is registered again with the new window.
class TWinControlProxy : public TWinControl {
  BC_CLASS(TWinControlProxy, TWinControl)
  TWinControlProxy(TCustomDropTarget* target, IDropTarget* registered) : TWinControl(target), registered_(registered) {
    // Nothing handles the events of a control in the making.
    (void)SetBounds(0, 0, 0, 0);
  }
  ~TWinControlProxy() override {
    // The registration must end while this class's DestroyWnd still runs.
    (void)DestroyHandle();
  }

 protected:
  TRaised CreateWnd() override {
    if (TWinControl::CreateWnd().Gone()) return TRaised(false);
    OleCheck(RegisterDragDrop(Parent()->Handle(), registered_));
    return TRaised(true);
  }
  TRaised DestroyWnd() override {
    if (Parent() && Parent()->HandleAllocated()) RevokeDragDrop(Parent()->Handle());
    return TWinControl::DestroyWnd();
  }

 private:
  IDropTarget* registered_;
};

// What the platform holds of a target: it calls the target while the target lives; a target freed meanwhile (inside
// one of its handlers, during a drag) accepts nothing that comes after, until the platform lets this object go.
class TPlatformTarget : public TComObject<IDropTarget> {
 public:
  explicit TPlatformTarget(TCustomDropTarget* target) : target_(target), life_(target->LifeWatch()) {}

  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* dataObject, DWORD keyState, POINTL point, DWORD* effect) override {
    return Gone(effect) ? S_OK : target_->DragEnter(dataObject, keyState, point, effect);
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keyState, POINTL point, DWORD* effect) override {
    return Gone(effect) ? S_OK : target_->DragOver(keyState, point, effect);
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override { return life_.Ended() ? S_OK : target_->DragLeave(); }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* dataObject, DWORD keyState, POINTL point, DWORD* effect) override {
    return Gone(effect) ? S_OK : target_->Drop(dataObject, keyState, point, effect);
  }

 private:
  // A target that is gone accepts nothing.
  bool Gone(DWORD* effect) const {
    if (!life_.Ended()) return false;
    if (effect) *effect = DROPEFFECT_NONE;
    return true;
  }

  TCustomDropTarget* target_;
  TLifeWatch life_;
};

// A rich edit registers a drop target of its own, which would hide this one.
bool IsRichEdit(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return _wcsicmp(name, L"RichEdit20W") == 0 || _wcsicmp(name, L"RICHEDIT50W") == 0;
}

}  // namespace

// Reads the dropped data on a thread of its own, through its own marshalled reference to the data object.
class TDropTargetTransferThread : public TThread {
 public:
  TDropTargetTransferThread(TCustomDropTarget* target, DWORD effect, IDataObject* dataObject)
      : TThread(true), target_(target), effect_(effect) {
    OleCheck(CoMarshalInterThreadInterfaceInStream(IID_IDataObject, dataObject, &stream_));
  }

 protected:
  void Execute() override {
    HRESULT initialized = CoInitialize(nullptr);
    {
      ComPtr<IDataObject> dataObject;
      HRESULT status = CoGetInterfaceAndReleaseStream(stream_.Detach(), IID_PPV_ARGS(&dataObject));
      if (SUCCEEDED(status)) {
        try {
          target_->DoGetData(dataObject.Get());
        } catch (...) {
          status = E_UNEXPECTED;
        }
        ComPtr<IDataObjectAsyncCapability> async;
        if (SUCCEEDED(dataObject.As(&async))) async->EndOperation(status, nullptr, effect_);
      }
    }
    if (SUCCEEDED(initialized)) CoUninitialize();
  }

 private:
  TCustomDropTarget* target_;
  DWORD effect_;
  ComPtr<IStream> stream_;
};

TCustomDropTarget::TCustomDropTarget(TComponent* owner)
    : TDragDropComponent(owner), imageList_(std::make_unique<TImageList>()), scrollTimer_(std::make_unique<TTimer>()) {
  imageList_->SetSize(kTransparentImageSize, kTransparentImageSize);
  TBitmap transparent;
  transparent.SetSize(kTransparentImageSize, kTransparentImageSize);
  transparent.Canvas()->Brush()->SetColor(clWindow);
  RECT all{0, 0, kTransparentImageSize, kTransparentImageSize};
  transparent.Canvas()->FillRect(all);
  imageList_->AddMasked(&transparent, clWindow);
  scrollTimer_->SetEnabled(false);
  scrollTimer_->SetOnTimer(TNotifyEvent(this, &TCustomDropTarget::DoAutoScroll));
  platformTarget_ = ComPtr<IDropTarget>(new TPlatformTarget(this));
}

TCustomDropTarget::~TCustomDropTarget() {
  RetireTransfer();
  EndLife();
  dataObject_.Reset();
  dropTargetHelper_.Reset();
  // A target that is not deleted (a member, or on the stack) had no BeforeDestruction to free its proxies: they go
  // here, every one revoking its control's registration while this part is whole. Unregistering them one by one
  // would stop at the first, as its control's alignment answers for a life that has ended already.
  DestroyComponents();
}

void TCustomDropTarget::BeforeDestruction() {
  // The worker reads into the data formats, which derived parts own: it ends while they are whole.
  RetireTransfer();
  TDragDropComponent::BeforeDestruction();
}

void TCustomDropTarget::RetireTransfer() {
  Destroying();
  FinishTransfer();
}

void TCustomDropTarget::FinishTransfer() {
  if (!transferThread_) return;
  // From the worker's OnTerminate, which the worker waits for, waiting would never end: the worker is let go and
  // frees itself once that handler has returned.
  if (endingTransfer_) {
    transferThread_.release()->SetFreeOnTerminate(true);
    return;
  }
  // The worker's last calls reach this thread's objects through messages: serve them while waiting.
  HANDLE handle = transferThread_->Handle();
  while (!transferThread_->Finished() &&
         MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    CheckSynchronize();
  }
  transferThread_.reset();
}

TWinControl* TCustomDropTarget::Target() const {
  if (target_) return target_;
  return targets_.empty() ? nullptr : targets_.front();
}

TRaised TCustomDropTarget::SetTarget(TWinControl* value) {
  if (value == Target() && (targets_.size() <= 1)) return TRaised(true);
  if (!IsLoading() && UnregisterTargetControl(nullptr).Gone()) return TRaised(false);
  return RegisterTargetControl(value);
}

void TCustomDropTarget::SetShowImage(bool value) {
  showImage_ = value;
  if (dropTargetHelper_)
    dropTargetHelper_->Show(value);
  else if (dataObject_)
    ImageList_DragShowNolock(value);
}

TRaised TCustomDropTarget::RegisterTargetControl(TWinControl* control) {
  if (control && std::find(targets_.begin(), targets_.end(), control) != targets_.end()) return TRaised(true);
  if (!multiTarget_ && !IsLoading() && UnregisterTargetControl(nullptr).Gone()) return TRaised(false);
  if (!control) return TRaised(true);
  auto place = targets_.end();
  auto parent = std::find_if(targets_.rbegin(), targets_.rend(),
                             [&](TWinControl* registered) { return registered->ContainsControl(control); });
  if (parent != targets_.rend()) place = parent.base();
  targets_.insert(place, control);
  control->FreeNotification(this);
  if (control->HandleAllocated() && IsRichEdit(control->Handle())) RevokeDragDrop(control->Handle());
  auto* proxy = new TWinControlProxy(this, platformTarget_.Get());
  const TLifeWatch life = LifeWatch();
  const TLifeWatch controlLife = control->LifeWatch();
  if (AnswerFor(life, proxy->SetParent(control)).Gone()) return TRaised(false);
  // A control its siblings' handlers freed took the proxy with it.
  if (!controlLife.Ended() && control->HandleAllocated()) proxy->HandleNeeded();
  return TRaised(!life.Ended());
}

TRaised TCustomDropTarget::UnregisterTargetControl(TWinControl* control) {
  if (!control) {
    while (!targets_.empty())
      if (UnregisterTargetControl(targets_.back()).Gone()) return TRaised(false);
    return TRaised(true);
  }
  auto found = std::find(targets_.begin(), targets_.end(), control);
  if (found == targets_.end()) return TRaised(true);
  if (target_ == control) target_ = nullptr;
  targets_.erase(found);
  control->RemoveFreeNotification(this);
  // Taking a proxy out aligns the control's children again, whose handlers may free the control or the target.
  const TLifeWatch life = LifeWatch();
  const TLifeWatch controlLife = control->LifeWatch();
  for (int i = control->ControlCount() - 1; i >= 0; i = std::min(i, control->ControlCount()) - 1) {
    auto* proxy = ObjectAs<TWinControlProxy>(control->Controls(i));
    if (!proxy || proxy->Owner() != this) continue;
    if (AnswerFor(life, proxy->SetParent(nullptr)).Gone()) return TRaised(false);
    delete proxy;
    if (controlLife.Ended()) break;
  }
  return TRaised(true);
}

void TCustomDropTarget::Notification(TComponent* component, TOperation operation) {
  TDragDropComponent::Notification(component, operation);
  if (operation != TOperation::opRemove) return;
  // A control being freed takes its proxy with it; only the record of it is left to forget.
  auto found = std::find(targets_.begin(), targets_.end(), component);
  if (found == targets_.end()) return;
  if (target_ == component) target_ = nullptr;
  targets_.erase(found);
}

void TCustomDropTarget::Assign(const TPersistent* source) {
  if (source && source->Is<TClipboard>()) {
    PasteFromClipboard();
    return;
  }
  if (auto* dataObject = dynamic_cast<const IDataObject*>(source)) {
    dataObject_ = const_cast<IDataObject*>(dataObject);
    // OnAcceptFormat may free the target.
    const TLifeWatch life = LifeWatch();
    bool read = false;
    try {
      read = GetData(DROPEFFECT_COPY);
    } catch (...) {
      if (!life.Ended()) dataObject_.Reset();
      throw;
    }
    if (life.Ended()) return;
    dataObject_.Reset();
    if (read) return;
  }
  TDragDropComponent::Assign(source);
}

void* TCustomDropTarget::FindInterface(REFIID iid) {
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget)) return static_cast<IDropTarget*>(this);
  return nullptr;
}

HRESULT STDMETHODCALLTYPE TCustomDropTarget::QueryInterface(REFIID iid, void** object) {
  return InterfacedQueryInterface(iid, object);
}

POINT TCustomDropTarget::ToClient(POINT screenPoint) const {
  if (target_) ScreenToClient(target_->Handle(), &screenPoint);
  return screenPoint;
}

void TCustomDropTarget::MeasureScrollZone() {
  hasHorizontalScrollBar_ = hasVerticalScrollBar_ = false;
  if (!autoScroll_ || !target_) return;
  LONG_PTR style = GetWindowLongPtrW(target_->Handle(), GWL_STYLE);
  hasHorizontalScrollBar_ = (style & WS_HSCROLL) != 0;
  hasVerticalScrollBar_ = (style & WS_VSCROLL) != 0;
  if (!hasHorizontalScrollBar_ && !hasVerticalScrollBar_) return;
  GetClientRect(target_->Handle(), &scrollZone_);
  if (hasVerticalScrollBar_) InflateRect(&scrollZone_, 0, -GetSystemMetrics(SM_CYHSCROLL));
  if (hasHorizontalScrollBar_) InflateRect(&scrollZone_, -GetSystemMetrics(SM_CXHSCROLL), 0);
}

void TCustomDropTarget::BeginDragImage(IDataObject* dataObject, POINT screenPoint, DWORD effect) {
  dragImageList_ = nullptr;
  if (!showImage_ || !target_) return;
  if (SUCCEEDED(
          CoCreateInstance(CLSID_DragDropHelper, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dropTargetHelper_))) &&
      FAILED(dropTargetHelper_->DragEnter(target_->Handle(), dataObject, &screenPoint, effect)))
    dropTargetHelper_.Reset();
  if (dropTargetHelper_) return;
  dragImageList_ = ImageList_GetDragImage(nullptr, &dragImageHotSpot_);
  if (!dragImageList_) return;
  ImageList_BeginDrag(imageList_->Handle(), 0, dragImageHotSpot_.x, dragImageHotSpot_.y);
  POINT windowPoint = ClientToWindowPoint(target_->Handle(), lastPoint_);
  ImageList_DragEnter(target_->Handle(), windowPoint.x, windowPoint.y);
}

HRESULT STDMETHODCALLTYPE TCustomDropTarget::DragEnter(IDataObject* dataObject, DWORD keyState, POINTL point,
                                                       DWORD* effect) {
  if (!effect) return E_INVALIDARG;
  // Each handler (OnAcceptFormat, OnStartAsyncTransfer, OnGetDropEffect, OnEnter) may free the target: nothing of
  // it is touched afterwards.
  const TLifeWatch life = LifeWatch();
  HRESULT result = ComGuard([&]() -> HRESULT {
    if (!asyncTransferring_ && ClearData().Gone()) return S_OK;
    dataObject_ = dataObject;
    POINT screen{point.x, point.y};
    target_ = FindTarget(screen);
    if (!target_) {
      showImage_ = false;
      autoScroll_ = false;
    } else {
      lastPoint_ = ToClient(screen);
    }
    const bool valid = dataObject_ && HasValidFormats(dataObject_.Get());
    if (life.Ended()) return S_OK;
    if (!valid) {
      dataObject_.Reset();
      *effect = DROPEFFECT_NONE;
    } else {
      MeasureScrollZone();
      const bool read = !getDataOnEnter_ || GetData(*effect);
      if (life.Ended()) return S_OK;
      if (!read) {
        dataObject_.Reset();
        *effect = DROPEFFECT_NONE;
        return DV_E_CLIPFORMAT;
      }
      TShiftState shiftState = DragKeysToShiftState(keyState);
      *effect = GetDropEffect(shiftState, lastPoint_, *effect);
      if (life.Ended() || DoEnter(shiftState, lastPoint_, *effect).Gone()) return S_OK;
      if (*effect == DROPEFFECT_NONE) dataObject_.Reset();
    }
    BeginDragImage(dataObject, screen, *effect);
    return S_OK;
  });
  // A drag that failed here must not be dropped on.
  if (FAILED(result)) {
    if (!life.Ended()) dataObject_.Reset();
    *effect = DROPEFFECT_NONE;
  }
  return result;
}

HRESULT STDMETHODCALLTYPE TCustomDropTarget::DragOver(DWORD keyState, POINTL point, DWORD* effect) {
  if (!effect) return E_INVALIDARG;
  // OnGetDropEffect and OnDragOver may free the target.
  const TLifeWatch life = LifeWatch();
  HRESULT guarded = ComGuard([&]() -> HRESULT {
    if (!target_) {
      *effect = DROPEFFECT_NONE;
      return E_UNEXPECTED;
    }
    POINT screen{point.x, point.y};
    POINT client = ToClient(screen);
    HRESULT result = DV_E_CLIPFORMAT;
    if (dataObject_) {
      TShiftState shiftState = DragKeysToShiftState(keyState);
      *effect = GetDropEffect(shiftState, client, *effect);
      if (life.Ended() || DoDragOver(shiftState, client, *effect).Gone()) return S_OK;
      if ((*effect & DROPEFFECT_SCROLL) && !scrollTimer_->Enabled()) {
        scrollTimer_->SetInterval(static_cast<UINT>(DragDropScrollDelay));
        scrollTimer_->SetEnabled(true);
      }
      result = S_OK;
    } else {
      // A refused drag must not show the cursor of an accepted one.
      *effect = DROPEFFECT_NONE;
    }
    if (dropTargetHelper_) {
      OleCheck(dropTargetHelper_->DragOver(&screen, *effect));
    } else if (dragImageList_ && !scrollTimer_->Enabled() && (client.x != lastPoint_.x || client.y != lastPoint_.y)) {
      POINT windowPoint = ClientToWindowPoint(target_->Handle(), client);
      ImageList_DragMove(windowPoint.x, windowPoint.y);
    }
    lastPoint_ = client;
    return result;
  });
  if (FAILED(guarded)) *effect = DROPEFFECT_NONE;
  return guarded;
}

void TCustomDropTarget::LeaveDrag() {
  StopScrollTimer();
  dataObject_.Reset();
  dropTargetHelper_.Reset();
  target_ = nullptr;
}

HRESULT STDMETHODCALLTYPE TCustomDropTarget::DragLeave() {
  // OnLeave may free the target.
  const TLifeWatch life = LifeWatch();
  HRESULT result = ComGuard([&]() -> HRESULT {
    if (!asyncTransferring_ && ClearData().Gone()) return S_OK;
    StopScrollTimer();
    dataObject_.Reset();
    if (dropTargetHelper_)
      dropTargetHelper_->DragLeave();
    else if (dragImageList_ && target_)
      ImageList_DragLeave(target_->Handle());
    if (DoLeave().Gone()) return S_OK;
    return S_OK;
  });
  if (!life.Ended()) LeaveDrag();
  return result;
}

HRESULT STDMETHODCALLTYPE TCustomDropTarget::Drop(IDataObject* dataObject, DWORD keyState, POINTL point,
                                                  DWORD* effect) {
  if (!effect) return E_INVALIDARG;
  POINT screen{point.x, point.y};
  // Each handler (OnGetDropEffect, OnAcceptFormat, OnStartAsyncTransfer, OnDrop) may free the target: what ends the
  // drag image is taken first, and nothing of the target is touched once it is gone.
  const TLifeWatch life = LifeWatch();
  const ComPtr<IDropTargetHelper> helper = dropTargetHelper_;
  const HWND imageWindow = !helper && dragImageList_ && target_ ? target_->Handle() : nullptr;
  HRESULT result = ComGuard([&]() -> HRESULT {
    StopScrollTimer();
    if (!dataObject_) {
      *effect = DROPEFFECT_NONE;
      return E_UNEXPECTED;
    }
    POINT client = ToClient(screen);
    TShiftState shiftState = DragKeysToShiftState(keyState);
    // The scroll bit only steers the cursor; what the drop performs is the effect without it.
    *effect = GetDropEffect(shiftState, client, *effect) & ~DROPEFFECT_SCROLL;
    const bool read = !life.Ended() && (getDataOnEnter_ || GetData(*effect));
    // A target that went before its drop performed nothing.
    if (life.Ended() || !read)
      *effect = DROPEFFECT_NONE;
    else if (DoDrop(shiftState, client, *effect).Gone())
      return S_OK;
    return S_OK;
  });
  // A drop that failed part way performed nothing the source may rely on.
  if (FAILED(result)) *effect = DROPEFFECT_NONE;
  if (helper)
    helper->Drop(dataObject, &screen, *effect);
  else if (imageWindow)
    ImageList_DragLeave(imageWindow);
  if (life.Ended()) return result;
  HRESULT cleared = ComGuard([&]() -> HRESULT {
    if (!asyncTransferring_ && ClearData().Gone()) return S_OK;
    return S_OK;
  });
  if (life.Ended()) return FAILED(result) ? result : cleared;
  LeaveDrag();
  return FAILED(result) ? result : cleared;
}

DWORD TCustomDropTarget::PasteFromClipboard() {
  ComPtr<IDataObject> clipboard;
  OleCheck(OleGetClipboard(&clipboard));
  dataObject_ = clipboard;
  DWORD effect = DROPEFFECT_NONE;
  // OnAcceptFormat and OnDrop may free the target.
  const TLifeWatch life = LifeWatch();
  try {
    effect = GetPreferredDropEffect();
    const bool read = GetData(effect);
    // A target that went while it read pasted nothing.
    if (life.Ended()) return DROPEFFECT_NONE;
    if (!read) effect = DROPEFFECT_NONE;
    if (DoOnPaste(effect).Gone()) return effect;
  } catch (...) {
    if (!life.Ended()) dataObject_.Reset();
    throw;
  }
  if (!life.Ended()) dataObject_.Reset();
  return effect;
}

TRaised TCustomDropTarget::DoEnter(TShiftState shiftState, POINT point, DWORD& effect) {
  return RaiseEvent(OnEnter, this, shiftState, point, effect);
}

TRaised TCustomDropTarget::DoDragOver(TShiftState shiftState, POINT point, DWORD& effect) {
  return RaiseEvent(OnDragOver, this, shiftState, point, effect);
}

TRaised TCustomDropTarget::DoDrop(TShiftState shiftState, POINT point, DWORD& effect) {
  const TRaised raised = RaiseEvent(OnDrop, this, shiftState, point, effect);
  // A target freed by its handler reports nothing more to the source.
  if (raised.Gone() || effect == DROPEFFECT_NONE) return raised;
  if (optimizedMove_ && effect == DROPEFFECT_MOVE) effect = DROPEFFECT_COPY;
  SetPerformedDropEffect(effect);
  return raised;
}

TRaised TCustomDropTarget::DoLeave() { return RaiseEvent(OnLeave, this); }

TRaised TCustomDropTarget::DoOnPaste(DWORD& effect) {
  const TRaised raised = DoDrop(TShiftState(), POINT{0, 0}, effect);
  if (raised.Alive() && effect != DROPEFFECT_NONE) SetPasteSucceeded(effect);
  return raised;
}

TRaised TCustomDropTarget::DoScroll(POINT, TScrolDirections& scroll, int& interval) {
  return RaiseEvent(OnScroll, this, lastPoint_, scroll, interval);
}

bool TCustomDropTarget::GetData(DWORD effect) {
  // A transfer still running owns the data formats.
  if (asyncTransferring_ || ClearData().Gone()) return false;
  ComPtr<IDataObjectAsyncCapability> async;
  BOOL isAsync = FALSE;
  if (allowAsyncTransfer_ && dataObject_ && SUCCEEDED(dataObject_.As(&async)) &&
      SUCCEEDED(async->GetAsyncMode(&isAsync)) && isAsync) {
    // The handler may free the target: then nothing is read.
    if (RaiseEvent(OnStartAsyncTransfer, this).Gone()) return false;
    asyncTransferring_ = true;
    try {
      async->StartOperation(nullptr);
      FinishTransfer();
      transferThread_ = std::make_unique<TDropTargetTransferThread>(this, effect, dataObject_.Get());
      transferThread_->SetOnTerminate(TNotifyEvent(this, &TCustomDropTarget::EndAsyncTransfer));
      transferThread_->Start();
    } catch (...) {
      asyncTransferring_ = false;
      throw;
    }
    return true;
  }
  return DoGetData(dataObject_.Get());
}

void TCustomDropTarget::EndAsyncTransfer(TObject*) {
  asyncTransferring_ = false;
  if (!OnEndAsyncTransfer || IsDestroying()) return;
  // The worker waits for this handler, which may free the target or start the next transfer.
  const TLifeWatch life = LifeWatch();
  endingTransfer_ = true;
  try {
    if (RaiseEvent(OnEndAsyncTransfer, this).Gone()) return;
  } catch (...) {
    if (!life.Ended()) endingTransfer_ = false;
    throw;
  }
  if (!life.Ended()) endingTransfer_ = false;
}

DWORD TCustomDropTarget::GetDropEffect(TShiftState shiftState, POINT point, DWORD effect) {
  DWORD allowed = DragTypesToDropEffect(dragTypes_) & effect;
  DWORD result = ShiftStateToDropEffect(shiftState, allowed, true);
  if (autoScroll_ && (hasHorizontalScrollBar_ || hasVerticalScrollBar_)) {
    if (PtInRect(&scrollZone_, point))
      result &= ~DROPEFFECT_SCROLL;
    else
      result |= DROPEFFECT_SCROLL;
  }
  // The effect a handler gave counts also when it freed the target: the caller watches the target.
  if (RaiseEvent(OnGetDropEffect, this, shiftState, point, result).Gone()) return result;
  return result;
}

DWORD TCustomDropTarget::GetPreferredDropEffect() {
  TPreferredDropEffectClipboardFormat format;
  return format.GetData(dataObject_.Get()) ? format.Value() : DROPEFFECT_NONE;
}

namespace {

// Feedback goes to the source in global memory, the medium every source reads.
bool WriteFeedback(TCustomDWORDClipboardFormat& format, IDataObject* dataObject, DWORD value) {
  format.SetValue(value);
  FORMATETC request = format.FormatEtc();
  request.tymed = TYMED_HGLOBAL;
  return format.SetData(dataObject, request);
}

}  // namespace

bool TCustomDropTarget::SetPerformedDropEffect(DWORD effect) {
  TPerformedDropEffectClipboardFormat format;
  return WriteFeedback(format, dataObject_.Get(), effect);
}

bool TCustomDropTarget::SetPasteSucceeded(DWORD effect) {
  TPasteSuccededClipboardFormat format;
  return WriteFeedback(format, dataObject_.Get(), effect);
}

TWinControl* TCustomDropTarget::FindTarget(POINT screenPoint) {
  for (TWinControl* control = FindFrameworkWindow(screenPoint); control; control = control->Parent())
    if (std::find(targets_.begin(), targets_.end(), control) != targets_.end()) return control;
  return nullptr;
}

void TCustomDropTarget::DoAutoScroll(TObject*) {
  StopScrollTimer();
  int interval = DragDropScrollInterval;
  TScrolDirections scroll;
  if (!PtInRect(&scrollZone_, lastPoint_)) {
    if (lastPoint_.y < scrollZone_.top)
      scroll += TScrolDirection::sdUp;
    else if (lastPoint_.y >= scrollZone_.bottom)
      scroll += TScrolDirection::sdDown;
    if (lastPoint_.x < scrollZone_.left)
      scroll += TScrolDirection::sdLeft;
    else if (lastPoint_.x >= scrollZone_.right)
      scroll += TScrolDirection::sdRight;
  }
  // The handler may free the target.
  if (DoScroll(lastPoint_, scroll, interval).Gone() || scroll.Empty() || !target_) return;
  HWND window = target_->Handle();
  if (dragImageList_) ImageList_DragLeave(window);
  if (scroll.Contains(TScrolDirection::sdUp)) SendMessageW(window, WM_VSCROLL, SB_LINEUP, 0);
  if (scroll.Contains(TScrolDirection::sdDown)) SendMessageW(window, WM_VSCROLL, SB_LINEDOWN, 0);
  if (scroll.Contains(TScrolDirection::sdLeft)) SendMessageW(window, WM_HSCROLL, SB_LINELEFT, 0);
  if (scroll.Contains(TScrolDirection::sdRight)) SendMessageW(window, WM_HSCROLL, SB_LINERIGHT, 0);
  if (dragImageList_) {
    POINT windowPoint = ClientToWindowPoint(window, lastPoint_);
    ImageList_DragEnter(window, windowPoint.x, windowPoint.y);
  }
  scrollTimer_->SetInterval(static_cast<UINT>(interval));
  scrollTimer_->SetEnabled(true);
}

TCustomDropMultiTarget::TCustomDropMultiTarget(TComponent* owner) : TCustomDropTarget(owner) {
  SetDragtypes({TDragType::dtCopy, TDragType::dtLink});
  SetGetDataOnEnter(false);
  dataFormats_ = std::make_unique<TDataFormats>();
}

TCustomDropMultiTarget::~TCustomDropMultiTarget() {
  RetireTransfer();
  while (dataFormats_->Count() > 0) delete dataFormats_->Formats(dataFormats_->Count() - 1);
  dataFormats_.reset();
}

bool TCustomDropMultiTarget::HasValidFormats(IDataObject* dataObject) {
  ComPtr<IEnumFORMATETC> formats;
  if (!dataObject || FAILED(dataObject->EnumFormatEtc(DATADIR_GET, &formats)) || !formats) return false;
  if (FAILED(formats->Reset())) return false;
  bool accepted = false;
  // OnAcceptFormat may free the target: the caller learns it from the target's life.
  ForEachListedFormat(*formats.Get(), [&](const FORMATETC& format) {
    for (int i = 0; i < dataFormats_->Count(); ++i) {
      TCustomDataFormat* dataFormat = dataFormats_->Formats(i);
      if (!dataFormat->AcceptFormat(format) || !dataFormat->HasValidFormats(dataObject)) continue;
      bool accept = true;
      if (DoAcceptFormat(dataFormat, accept).Gone() || accept) {
        accepted = accept;
        return false;
      }
    }
    return true;
  });
  return accepted;
}

bool TCustomDropMultiTarget::DoGetData(IDataObject* dataObject) {
  bool read = false;
  // OnAcceptFormat, and a format's OnChanging, may free the target: the caller learns it from the target's life.
  const TLifeWatch life = LifeWatch();
  for (int i = 0; i < dataFormats_->Count(); ++i) {
    TCustomDataFormat* dataFormat = dataFormats_->Formats(i);
    if (!dataFormat->HasValidFormats(dataObject)) continue;
    bool accept = true;
    if (DoAcceptFormat(dataFormat, accept).Gone()) return false;
    if (!accept) continue;
    const bool got = dataFormat->GetData(dataObject);
    if (life.Ended()) return false;
    if (got) read = true;
  }
  return read;
}

TRaised TCustomDropMultiTarget::ClearData() {
  if (AsyncTransferring()) throw Exception(L"Can't clear data while async data transfer is in progress");
  const TLifeWatch life = LifeWatch();
  for (int i = 0; i < dataFormats_->Count(); ++i) {
    TCustomDataFormat* dataFormat = dataFormats_->Formats(i);
    if (dataFormat->Clear().Gone()) {
      if (life.Ended()) return TRaised(false);
      // A format that its OnChanging freed left the list: the next one took its place.
      --i;
    }
  }
  return TRaised(true);
}

TRaised TCustomDropMultiTarget::DoAcceptFormat(TCustomDataFormat* dataFormat, bool& accept) {
  return RaiseEvent(OnAcceptFormat, this, dataFormat, accept);
}

}  // namespace shell
