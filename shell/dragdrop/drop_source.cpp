#include "shell/dragdrop/drop_source.h"

#include <shlguid.h>

#include <vector>

#include "framework/bitmap.h"
#include "framework/clipboard.h"
#include "framework/com_guard.h"
#include "framework/com_object.h"
#include "framework/format_etc_enumerator.h"
#include "shell/dragdrop/generic_data_formats.h"
#include "shell/dragdrop/raw_data_format.h"
#include "shell/dragdrop/simple_clipboard_formats.h"

namespace shell {

using Microsoft::WRL::ComPtr;

namespace {

COLORREF ColorToColorKey(TColor color) {
  if (color == clNone) return CLR_NONE;
  if (color == clDefault) return CLR_DEFAULT;
  return ColorToRGB(color);
}

// The formats of the data formats that are listed for one direction; a format whose class (or a class derived from
// it) is already listed is left out.
class TEnumFormatEtc : public TFormatEtcEnumerator {
 public:
  TEnumFormatEtc(TDataFormats& dataFormats, TDataDirection direction)
      : TFormatEtcEnumerator(Collect(dataFormats, direction)) {}

 private:
  static std::vector<FORMATETC> Collect(TDataFormats& dataFormats, TDataDirection direction) {
    std::vector<TClipboardFormat*> listed;
    for (int i = 0; i < dataFormats.Count(); ++i) {
      TClipboardFormats& formats = dataFormats.Formats(i)->CompatibleFormats();
      for (int j = 0; j < formats.Count(); ++j) {
        TClipboardFormat* format = formats.Formats(j);
        if (!format->DataDirections().Contains(direction)) continue;
        bool known = false;
        for (TClipboardFormat* other : listed) known = known || other->InheritsFrom(format->ClassType());
        if (!known) listed.push_back(format);
      }
    }
    std::vector<FORMATETC> records;
    for (TClipboardFormat* format : listed) records.push_back(format->FormatEtc());
    return records;
  }
};

// What the platform holds of a source during a drag and on the clipboard. It calls the source while the source
// lives; a source freed meanwhile (inside one of its handlers) is answered for as one that has gone away, until the
// platform lets this object go.
class TPlatformSource : public TComObject<IDataObject, IDropSource, IDataObjectAsyncCapability> {
 public:
  explicit TPlatformSource(TCustomDropSource* source) : source_(source), life_(source->LifeWatch()) {}

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (Gone() && medium) *medium = STGMEDIUM{};
    return Gone() ? OLE_E_NOTRUNNING : source_->GetData(format, medium);
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* format, STGMEDIUM* medium) override {
    return Gone() ? OLE_E_NOTRUNNING : source_->GetDataHere(format, medium);
  }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
    return Gone() ? OLE_E_NOTRUNNING : source_->QueryGetData(format);
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* format, FORMATETC* canonical) override {
    return Gone() ? OLE_E_NOTRUNNING : source_->GetCanonicalFormatEtc(format, canonical);
  }
  // A refused medium stays the caller's.
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override {
    return Gone() ? OLE_E_NOTRUNNING : source_->SetData(format, medium, release);
  }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** enumerator) override {
    if (Gone() && enumerator) *enumerator = nullptr;
    return Gone() ? OLE_E_NOTRUNNING : source_->EnumFormatEtc(direction, enumerator);
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** enumerator) override {
    if (enumerator) *enumerator = nullptr;
    return OLE_E_ADVISENOTSUPPORTED;
  }

  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escapePressed, DWORD keyState) override {
    return Gone() ? DRAGDROP_S_CANCEL : source_->QueryContinueDrag(escapePressed, keyState);
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD effect) override {
    return Gone() ? DRAGDROP_S_USEDEFAULTCURSORS : source_->GiveFeedback(effect);
  }

  HRESULT STDMETHODCALLTYPE SetAsyncMode(BOOL doOpAsync) override {
    return Gone() ? OLE_E_NOTRUNNING : source_->SetAsyncMode(doOpAsync);
  }
  HRESULT STDMETHODCALLTYPE GetAsyncMode(BOOL* isAsync) override {
    if (Gone() && isAsync) *isAsync = FALSE;
    return Gone() ? OLE_E_NOTRUNNING : source_->GetAsyncMode(isAsync);
  }
  HRESULT STDMETHODCALLTYPE StartOperation(IBindCtx* bindContext) override {
    return Gone() ? OLE_E_NOTRUNNING : source_->StartOperation(bindContext);
  }
  HRESULT STDMETHODCALLTYPE InOperation(BOOL* inAsyncOp) override {
    if (Gone() && inAsyncOp) *inAsyncOp = FALSE;
    return Gone() ? OLE_E_NOTRUNNING : source_->InOperation(inAsyncOp);
  }
  HRESULT STDMETHODCALLTYPE EndOperation(HRESULT result, IBindCtx* bindContext, DWORD effects) override {
    return Gone() ? OLE_E_NOTRUNNING : source_->EndOperation(result, bindContext, effects);
  }

 private:
  bool Gone() const { return life_.Ended(); }

  TCustomDropSource* source_;
  TLifeWatch life_;
};

// The result of a drag as the platform reports it, for a source that can no longer be asked what was performed.
TDragResult PlatformDragResult(HRESULT dragResult, DWORD effect, DWORD allowed) {
  switch (dragResult) {
    case DRAGDROP_S_DROP:
      return DropEffectToDragResult(effect & allowed);
    case DRAGDROP_S_CANCEL:
      return TDragResult::drCancel;
    case E_OUTOFMEMORY:
      return TDragResult::drOutOfMemory;
    default:
      return TDragResult::drUnknown;
  }
}

}  // namespace

TCustomDropSource::TCustomDropSource(TComponent* owner) : TDragDropComponent(owner) {
  ComPtr<TPlatformSource> platform(new TPlatformSource(this));
  platformDataObject_ = platform;
  platformDropSource_ = platform;
}

TCustomDropSource::~TCustomDropSource() {
  EndLife();
  try {
    EmptyClipboard();
  } catch (...) {
    // The clipboard keeps whatever the platform would not let go; nothing may leave a destructor.
  }
}

void TCustomDropSource::SetImages(TCustomImageList* value) {
  if (images_ == value) return;
  if (images_) images_->RemoveFreeNotification(this);
  images_ = value;
  if (images_) images_->FreeNotification(this);
  if (IsLoading()) return;
  if (!images_ || imageIndex_ >= images_->Count()) imageIndex_ = 0;
  showImage_ = showImage_ && images_ && images_->Count() > 0;
}

void TCustomDropSource::SetShowImage(bool value) { showImage_ = value && (IsLoading() || images_); }

void TCustomDropSource::SetImageIndex(int value) {
  if (IsLoading()) {
    imageIndex_ = value;
    return;
  }
  if (value < 0 || !images_ || images_->Count() == 0) {
    imageIndex_ = 0;
    showImage_ = false;
  } else if (value < images_->Count()) {
    imageIndex_ = value;
  }
}

void TCustomDropSource::SetAllowAsyncTransfer(bool value) {
  if (allowAsyncTransfer_ == value) return;
  allowAsyncTransfer_ = value;
  if (!value) asyncMode_ = inAsyncOperation_ = false;
}

void TCustomDropSource::Notification(TComponent* component, TOperation operation) {
  TDragDropComponent::Notification(component, operation);
  if (operation == TOperation::opRemove && component == images_) SetImages(nullptr);
}

bool TCustomDropSource::BeginDragImage() {
  dragSourceHelper_.Reset();
  if (SUCCEEDED(
          CoCreateInstance(CLSID_DragDropHelper, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dragSourceHelper_)))) {
    TBitmap bitmap;
    images_->GetBitmap(imageIndex_, &bitmap);
    SHDRAGIMAGE image{};
    image.sizeDragImage = {bitmap.Width(), bitmap.Height()};
    image.ptOffset = imageHotSpot_;
    image.crColorKey = ColorToColorKey(images_->BkColor());
    image.hbmpDragImage = bitmap.ReleaseHandle();
    if (SUCCEEDED(dragSourceHelper_->InitializeFromBitmap(&image, platformDataObject_.Get()))) return true;
    // The helper takes the bitmap only when it succeeds.
    DeleteObject(image.hbmpDragImage);
    dragSourceHelper_.Reset();
  }
  imageListDrag_ = ImageList_BeginDrag(images_->Handle(), imageIndex_, imageHotSpot_.x, imageHotSpot_.y) != FALSE;
  return imageListDrag_;
}

void TCustomDropSource::EndDragImage() {
  dragSourceHelper_.Reset();
  if (imageListDrag_) ImageList_EndDrag();
  imageListDrag_ = false;
}

TDragResult TCustomDropSource::Execute() {
  DWORD allowed = DragTypesToDropEffect(dragTypes_);
  // A source that the feedback's OnChanging frees before the drag starts drags nothing.
  if (SetPerformedDropEffect(kNoPerformedDropEffect).Gone()) return TDragResult::drCancel;
  bool imageShown = showImage_ && images_ && BeginDragImage();
  if (allowAsyncTransfer_) SetAsyncMode(TRUE);
  DWORD effect = DROPEFFECT_NONE;
  // The source may be freed inside the drag, by one of its handlers: the platform keeps what it holds of the
  // source, and the drag ends without touching the source again.
  const TLifeWatch life = LifeWatch();
  const ComPtr<IDataObject> dataObject = platformDataObject_;
  const ComPtr<IDropSource> dropSource = platformDropSource_;
  const bool imageListDrag = imageShown && imageListDrag_;
  HRESULT dragResult = DRAGDROP_S_CANCEL;
  if (SetInShellDragLoop(true).Alive()) dragResult = DoDragDrop(dataObject.Get(), dropSource.Get(), allowed, &effect);
  if (life.Ended() || SetInShellDragLoop(false).Gone()) {
    if (imageListDrag) ImageList_EndDrag();
    return PlatformDragResult(dragResult, effect, allowed);
  }
  if (imageShown) EndDragImage();

  TDragResult result = DragResultOf(dragResult, effect, allowed);
  if (GetPerformedDropEffect() == kNoPerformedDropEffect && SetPerformedDropEffect(DROPEFFECT_NONE).Gone())
    return result;
  if (!inAsyncOperation_ && OnAfterDrop) {
    bool optimized = result == TDragResult::drDropMove &&
                     !(effect == DROPEFFECT_MOVE && GetPerformedDropEffect() == DROPEFFECT_MOVE);
    if (RaiseEvent(OnAfterDrop, this, result, optimized).Gone()) return result;
  }
  return result;
}

TDragResult TCustomDropSource::DragResultOf(HRESULT dragResult, DWORD effect, DWORD allowed) {
  if (dragResult == DRAGDROP_S_DROP) {
    if (GetLogicalPerformedDropEffect() == DROPEFFECT_MOVE) return TDragResult::drDropMove;
    if (effect != DROPEFFECT_MOVE && GetPerformedDropEffect() == DROPEFFECT_MOVE) return TDragResult::drDropMove;
  }
  return PlatformDragResult(dragResult, effect, allowed);
}

bool TCustomDropSource::CutToClipboard() {
  // A source that the feedback's OnChanging freed puts nothing on the clipboard.
  if (SetPreferredDropEffect(DROPEFFECT_MOVE).Gone()) return false;
  return CutOrCopyToClipboard();
}

bool TCustomDropSource::CopyToClipboard() {
  if (SetPreferredDropEffect(DROPEFFECT_COPY).Gone()) return false;
  return CutOrCopyToClipboard();
}

bool TCustomDropSource::CutOrCopyToClipboard() { return OleSetClipboard(platformDataObject_.Get()) == S_OK; }

void TCustomDropSource::FlushClipboard() {
  if (IsCurrentClipboard()) Clipboard().FlushOleData();
}

void TCustomDropSource::EmptyClipboard() {
  if (IsCurrentClipboard()) Clipboard().SetOleData(nullptr);
}

bool TCustomDropSource::IsCurrentClipboard() { return OleIsCurrentClipboard(platformDataObject_.Get()) == S_OK; }

void TCustomDropSource::DataChanging(TObject*) { FlushClipboard(); }

TRaised TCustomDropSource::DoOnPaste(TDragResult action, bool deleteOnPaste) {
  return RaiseEvent(OnPaste, this, action, deleteOnPaste);
}

HRESULT TCustomDropSource::DoSetData(const FORMATETC& format, STGMEDIUM& medium) {
  if (!OnSetData) return E_NOTIMPL;
  bool handled = false;
  // The answer is the caller's, also when the handler freed the source.
  if (RaiseEvent(OnSetData, this, format, medium, handled).Gone()) return handled ? S_OK : E_NOTIMPL;
  return handled ? S_OK : E_NOTIMPL;
}

void* TCustomDropSource::FindInterface(REFIID iid) {
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) return static_cast<IDataObject*>(this);
  if (IsEqualIID(iid, IID_IDropSource)) return static_cast<IDropSource*>(this);
  if (IsEqualIID(iid, IID_IDataObjectAsyncCapability)) return static_cast<IDataObjectAsyncCapability*>(this);
  return nullptr;
}

HRESULT STDMETHODCALLTYPE TCustomDropSource::QueryInterface(REFIID iid, void** object) {
  return InterfacedQueryInterface(iid, object);
}

HRESULT STDMETHODCALLTYPE TCustomDropSource::GetData(FORMATETC* format, STGMEDIUM* medium) {
  if (!format || !medium) return E_INVALIDARG;
  *medium = STGMEDIUM{};
  return ComGuard([&]() -> HRESULT {
    if (OnGetData) {
      bool handled = false;
      const TRaised raised = RaiseEvent(OnGetData, this, *format, *medium, handled);
      if (handled) return S_OK;
      if (raised.Gone()) return OLE_E_NOTRUNNING;
    }
    if (!HasFormat(*format)) return DV_E_FORMATETC;
    return DoGetData(*format, *medium);
  });
}

HRESULT STDMETHODCALLTYPE TCustomDropSource::GetDataHere(FORMATETC*, STGMEDIUM*) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE TCustomDropSource::QueryGetData(FORMATETC* format) {
  if (!format) return E_INVALIDARG;
  return ComGuard([&] { return HasFormat(*format) ? S_OK : DV_E_FORMATETC; });
}

HRESULT STDMETHODCALLTYPE TCustomDropSource::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* canonical) {
  if (canonical) canonical->ptd = nullptr;
  return DATA_S_SAMEFORMATETC;
}

HRESULT STDMETHODCALLTYPE TCustomDropSource::SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) {
  if (!format || !medium) return E_INVALIDARG;
  HRESULT result = ComGuard([&] { return DoSetData(*format, *medium); });
  if (result == S_OK && release) ReleaseStgMedium(medium);
  return result;
}

HRESULT STDMETHODCALLTYPE TCustomDropSource::EnumFormatEtc(DWORD direction, IEnumFORMATETC** enumerator) {
  if (!enumerator) return E_POINTER;
  *enumerator = nullptr;
  return ComGuard([&]() -> HRESULT {
    ComPtr<IEnumFORMATETC> made = GetEnumFormatEtc(direction);
    if (!made) return E_NOTIMPL;
    *enumerator = made.Detach();
    return S_OK;
  });
}

HRESULT STDMETHODCALLTYPE TCustomDropSource::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) {
  return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT STDMETHODCALLTYPE TCustomDropSource::DUnadvise(DWORD) { return OLE_E_ADVISENOTSUPPORTED; }

HRESULT STDMETHODCALLTYPE TCustomDropSource::EnumDAdvise(IEnumSTATDATA** enumerator) {
  if (enumerator) *enumerator = nullptr;
  return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT STDMETHODCALLTYPE TCustomDropSource::QueryContinueDrag(BOOL escapePressed, DWORD keyState) {
  if (escapePressed) return DRAGDROP_S_CANCEL;
  if (keyState & (MK_LBUTTON | MK_RBUTTON)) return S_OK;
  return ComGuard(
      [&]() -> HRESULT {
        TDragType dragType;
        bool accepted = DropEffectToDragType(feedbackEffect_, dragType) && dragTypes_.Contains(dragType);
        // The answer is the platform's, also when a handler freed the source.
        if (SetInShellDragLoop(false).Gone()) return accepted ? DRAGDROP_S_DROP : DRAGDROP_S_CANCEL;
        if (accepted && RaiseEvent(OnDrop, this, dragType, accepted).Gone())
          return accepted ? DRAGDROP_S_DROP : DRAGDROP_S_CANCEL;
        return accepted ? DRAGDROP_S_DROP : DRAGDROP_S_CANCEL;
      },
      DRAGDROP_S_CANCEL);
}

HRESULT STDMETHODCALLTYPE TCustomDropSource::GiveFeedback(DWORD effect) {
  feedbackEffect_ = effect;
  bool useDefaultCursors = true;
  HRESULT result = ComGuard([&] {
    // The guard's last act: what follows reads only the answer the handler left.
    if (RaiseEvent(OnFeedback, this, effect, useDefaultCursors).Gone()) return;
  });
  if (FAILED(result)) return result;
  return useDefaultCursors ? DRAGDROP_S_USEDEFAULTCURSORS : S_OK;
}

HRESULT STDMETHODCALLTYPE TCustomDropSource::SetAsyncMode(BOOL doOpAsync) {
  if (!allowAsyncTransfer_) return E_NOTIMPL;
  asyncMode_ = doOpAsync != FALSE;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TCustomDropSource::GetAsyncMode(BOOL* isAsync) {
  if (!isAsync) return E_POINTER;
  *isAsync = asyncMode_ ? VARIANT_TRUE : FALSE;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TCustomDropSource::StartOperation(IBindCtx*) {
  if (!asyncMode_) return E_NOTIMPL;
  inAsyncOperation_ = true;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TCustomDropSource::InOperation(BOOL* inAsyncOp) {
  if (!inAsyncOp) return E_POINTER;
  *inAsyncOp = inAsyncOperation_ ? VARIANT_TRUE : FALSE;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TCustomDropSource::EndOperation(HRESULT result, IBindCtx*, DWORD effects) {
  if (!inAsyncOperation_) return E_FAIL;
  inAsyncOperation_ = false;
  if (!OnAfterDrop) return S_OK;
  return ComGuard([&] {
    TDragResult dragResult = SUCCEEDED(result) ? DropEffectToDragResult(effects & DragTypesToDropEffect(dragTypes_))
                                               : TDragResult::drUnknown;
    bool optimized = !(dragResult == TDragResult::drDropMove && GetPerformedDropEffect() == DROPEFFECT_MOVE);
    // The operation's last act on the source.
    if (RaiseEvent(OnAfterDrop, this, dragResult, optimized).Gone()) return;
  });
}

TCustomDropMultiSource::TCustomDropMultiSource(TComponent* owner) : TCustomDropSource(owner) {
  dataFormats_ = std::make_unique<TSourceDataFormats>(this);
  feedbackDataFormat_ = new TFeedbackDataFormat(this);
  rawDataFormat_ = new TRawDataFormat(this);
}

TCustomDropMultiSource::~TCustomDropMultiSource() {
  EndLife();
  try {
    EmptyClipboard();
  } catch (...) {
    // See the base destructor.
  }
  while (dataFormats_->Count() > 0) delete dataFormats_->Formats(dataFormats_->Count() - 1);
  dataFormats_.reset();
}

DWORD TCustomDropMultiSource::GetPerformedDropEffect() { return feedbackDataFormat_->PerformedDropEffect(); }

DWORD TCustomDropMultiSource::GetLogicalPerformedDropEffect() {
  return feedbackDataFormat_->LogicalPerformedDropEffect();
}

TRaised TCustomDropMultiSource::SetPerformedDropEffect(DWORD value) {
  const TLifeWatch life = LifeWatch();
  return AnswerFor(life, feedbackDataFormat_->SetPerformedDropEffect(value));
}

DWORD TCustomDropMultiSource::GetPreferredDropEffect() { return feedbackDataFormat_->PreferredDropEffect(); }

TRaised TCustomDropMultiSource::SetPreferredDropEffect(DWORD value) {
  const TLifeWatch life = LifeWatch();
  return AnswerFor(life, feedbackDataFormat_->SetPreferredDropEffect(value));
}

bool TCustomDropMultiSource::GetInShellDragLoop() { return feedbackDataFormat_->InShellDragLoop(); }

CLSID TCustomDropMultiSource::GetTargetCLSID() { return feedbackDataFormat_->TargetCLSID(); }

TRaised TCustomDropMultiSource::SetInShellDragLoop(bool value) {
  const TLifeWatch life = LifeWatch();
  return AnswerFor(life, feedbackDataFormat_->SetInShellDragLoop(value));
}

HRESULT TCustomDropMultiSource::DoGetData(const FORMATETC& format, STGMEDIUM& medium) {
  medium = STGMEDIUM{};
  for (int i = 0; i < dataFormats_->Count(); ++i) {
    TCustomDataFormat* dataFormat = dataFormats_->Formats(i);
    if (!dataFormat->HasData()) continue;
    TClipboardFormats& formats = dataFormat->CompatibleFormats();
    for (int j = 0; j < formats.Count(); ++j) {
      TClipboardFormat* clipboardFormat = formats.Formats(j);
      if (!clipboardFormat->AcceptFormat(format)) continue;
      bool written = dataFormat->AssignTo(clipboardFormat) && clipboardFormat->HasData() &&
                     clipboardFormat->SetDataToMedium(format, medium);
      clipboardFormat->Clear();
      if (written) return S_OK;
    }
  }
  return DV_E_FORMATETC;
}

HRESULT TCustomDropMultiSource::DoSetData(const FORMATETC& format, STGMEDIUM& medium) {
  for (int i = 0; i < dataFormats_->Count(); ++i) {
    TCustomDataFormat* dataFormat = dataFormats_->Formats(i);
    if (dataFormat == rawDataFormat_) continue;
    TClipboardFormats& formats = dataFormat->CompatibleFormats();
    for (int j = 0; j < formats.Count(); ++j) {
      TClipboardFormat* clipboardFormat = formats.Formats(j);
      if (!clipboardFormat->AcceptFormat(format)) continue;
      if (clipboardFormat->GetDataFromMedium(this, medium) && dataFormat->Assign(clipboardFormat)) {
        // OnPaste may free the source, and the format with it.
        if (CheckPasteSucceeded(clipboardFormat).Gone()) return S_OK;
        clipboardFormat->Clear();
        return S_OK;
      }
    }
  }
  return SetRawData(format, medium);
}

HRESULT TCustomDropMultiSource::SetRawData(const FORMATETC& format, const STGMEDIUM& medium) {
  // One entry per format: data set again replaces what the format held.
  if (TRawClipboardFormat* known = rawDataFormat_->FindRawFormat(format)) {
    if (!known->GetDataFromMedium(this, medium)) return E_NOTIMPL;
    return S_OK;
  }
  auto raw = std::make_unique<TRawClipboardFormat>(format);
  if (!raw->GetDataFromMedium(this, medium)) return E_NOTIMPL;
  // The owner's handler may free the source, and the format with it.
  if (rawDataFormat_->Changing().Gone()) return S_OK;
  rawDataFormat_->CompatibleFormats().Add(raw.release());
  return S_OK;
}

TRaised TCustomDropMultiSource::CheckPasteSucceeded(TClipboardFormat* format) {
  auto* pasted = ObjectAs<TPasteSuccededClipboardFormat>(format);
  if (!pasted) return TRaised(true);
  DWORD effect = pasted->Value();
  return DoOnPaste(DropEffectToDragResult(effect),
                   effect == DROPEFFECT_MOVE && GetPerformedDropEffect() == DROPEFFECT_MOVE);
}

bool TCustomDropMultiSource::HasFormat(const FORMATETC& format) {
  for (int i = 0; i < dataFormats_->Count(); ++i) {
    TClipboardFormats& formats = dataFormats_->Formats(i)->CompatibleFormats();
    for (int j = 0; j < formats.Count(); ++j)
      if (formats.Formats(j)->AcceptFormat(format)) return true;
  }
  return false;
}

ComPtr<IEnumFORMATETC> TCustomDropMultiSource::GetEnumFormatEtc(DWORD direction) {
  if (direction != DATADIR_GET && direction != DATADIR_SET) return nullptr;
  return ComPtr<IEnumFORMATETC>(
      new TEnumFormatEtc(*dataFormats_, direction == DATADIR_GET ? TDataDirection::ddRead : TDataDirection::ddWrite));
}

int TSourceDataFormats::Add(TCustomDataFormat* format) {
  int index = TDataFormats::Add(format);
  format->SetOnChanging(TNotifyEvent(source_, &TCustomDropSource::DataChanging));
  return index;
}

}  // namespace shell
