// A drop source offers data to OLE drag and drop and to the clipboard: it is the data object, the drop source and
// the asynchronous-transfer partner the platform talks to, and runs a drag with Execute. The multi-format source
// answers from its list of data formats, so a concrete source only owns the right data formats.
#pragma once

#include <objidl.h>
#include <oleidl.h>
#include <shldisp.h>
#include <shobjidl.h>
#include <windows.h>
#include <wrl/client.h>

#include "framework/delegate.h"
#include "framework/image_list.h"
#include "shell/dragdrop/data_format.h"
#include "shell/dragdrop/drop_effects.h"

namespace shell {

class TFeedbackDataFormat;
class TRawDataFormat;

using TDropEvent = TDelegate<void(TObject* Sender, TDragType DragType, bool& ContinueDrop)>;
using TAfterDropEvent = TDelegate<void(TObject* Sender, TDragResult DragResult, bool Optimized)>;
using TFeedbackEvent = TDelegate<void(TObject* Sender, DWORD Effect, bool& UseDefaultCursors)>;
using TDropDataEvent = TDelegate<void(TObject* Sender, const FORMATETC& FormatEtc, STGMEDIUM& Medium, bool& Handled)>;
using TPasteEvent = TDelegate<void(TObject* Sender, TDragResult Action, bool DeleteOnPaste)>;

// The effect recorded before a drag has reported any.
const DWORD kNoPerformedDropEffect = static_cast<DWORD>(-1);

class TCustomDropSource : public TDragDropComponent,
                          public IDataObject,
                          public IDropSource,
                          public IDataObjectAsyncCapability {
  BC_CLASS(TCustomDropSource, TDragDropComponent)
  explicit TCustomDropSource(TComponent* owner);
  ~TCustomDropSource() override;

  TDragTypes DragTypes() const { return dragTypes_; }
  void SetDragTypes(TDragTypes value) { dragTypes_ = value; }
  // The last effect the platform passed to GiveFeedback.
  DWORD FeedbackEffect() const { return feedbackEffect_; }
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* value);
  bool ShowImage() const { return showImage_; }
  void SetShowImage(bool value);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int value);
  int ImageHotSpotX() const { return imageHotSpot_.x; }
  void SetImageHotSpotX(int value) { imageHotSpot_.x = value; }
  int ImageHotSpotY() const { return imageHotSpot_.y; }
  void SetImageHotSpotY(int value) { imageHotSpot_.y = value; }
  bool AllowAsyncTransfer() const { return allowAsyncTransfer_; }
  void SetAllowAsyncTransfer(bool value);
  bool AsyncMode() const { return asyncMode_; }
  bool InAsyncOperation() const { return inAsyncOperation_; }

  TDropEvent OnDrop;
  TAfterDropEvent OnAfterDrop;
  TFeedbackEvent OnFeedback;
  TDropDataEvent OnGetData;
  TDropDataEvent OnSetData;
  TPasteEvent OnPaste;

  // Runs a drag of the source's data with the effects of DragTypes.
  virtual TDragResult Execute();
  // Puts the source on the OLE clipboard with the preferred effect move (cut) or copy.
  virtual bool CutToClipboard();
  virtual bool CopyToClipboard();
  // Renders the source's data onto the clipboard (flush) or takes it off; nothing unless the source is on it.
  // Raise EOleSysError when the platform refuses.
  virtual void FlushClipboard();
  virtual void EmptyClipboard();
  bool IsCurrentClipboard();

  virtual DWORD GetPerformedDropEffect() { return 0; }
  virtual DWORD GetLogicalPerformedDropEffect() { return 0; }
  // The setters of the feedback answer whether the source outlived the OnChanging they raise.
  virtual TRaised SetPerformedDropEffect(DWORD) { return TRaised(true); }
  virtual DWORD GetPreferredDropEffect() { return 0; }
  virtual TRaised SetPreferredDropEffect(DWORD) { return TRaised(true); }
  virtual bool GetInShellDragLoop() { return false; }
  virtual CLSID GetTargetCLSID() { return GUID_NULL; }
  virtual TRaised SetInShellDragLoop(bool) { return TRaised(true); }

  // IUnknown: the component's life is not counted. The platform is handed an object of its own that calls these
  // while the source lives (drags and the clipboard may outlast a source freed in its handlers).
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return InterfacedAddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return InterfacedRelease(); }

  // IDataObject
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* format, FORMATETC* canonical) override;
  // Takes the medium over only when it succeeds with release set; otherwise the medium stays the caller's.
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** enumerator) override;
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override;
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override;
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** enumerator) override;

  // IDropSource
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escapePressed, DWORD keyState) override;
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD effect) override;

  // IDataObjectAsyncCapability
  HRESULT STDMETHODCALLTYPE SetAsyncMode(BOOL doOpAsync) override;
  HRESULT STDMETHODCALLTYPE GetAsyncMode(BOOL* isAsync) override;
  HRESULT STDMETHODCALLTYPE StartOperation(IBindCtx* bindContext) override;
  HRESULT STDMETHODCALLTYPE InOperation(BOOL* inAsyncOp) override;
  HRESULT STDMETHODCALLTYPE EndOperation(HRESULT result, IBindCtx* bindContext, DWORD effects) override;

 protected:
  void* FindInterface(REFIID iid) override;
  void Notification(TComponent* component, TOperation operation) override;

  virtual HRESULT DoGetData(const FORMATETC& format, STGMEDIUM& medium) = 0;
  // Runs OnSetData: S_OK when it handled the data, else E_NOTIMPL.
  virtual HRESULT DoSetData(const FORMATETC& format, STGMEDIUM& medium);
  virtual bool HasFormat(const FORMATETC& format) = 0;
  // An enumerator of the formats readable (DATADIR_GET) or writable (DATADIR_SET), or null.
  virtual Microsoft::WRL::ComPtr<IEnumFORMATETC> GetEnumFormatEtc(DWORD direction) = 0;
  // A data format is about to change: a source on the clipboard renders its old data first.
  virtual void DataChanging(TObject* sender);
  virtual bool CutOrCopyToClipboard();
  virtual TRaised DoOnPaste(TDragResult action, bool deleteOnPaste);

 private:
  friend class TSourceDataFormats;

  // Shows the drag image of Images through the shell's helper or the image-list drag; answers whether one shows.
  bool BeginDragImage();
  void EndDragImage();
  TDragResult DragResultOf(HRESULT dragResult, DWORD effect, DWORD allowed);

  TDragTypes dragTypes_{TDragType::dtCopy};
  DWORD feedbackEffect_ = 0;
  TCustomImageList* images_ = nullptr;
  bool showImage_ = false;
  int imageIndex_ = 0;
  POINT imageHotSpot_{16, 16};
  Microsoft::WRL::ComPtr<IDragSourceHelper> dragSourceHelper_;
  bool imageListDrag_ = false;
  bool allowAsyncTransfer_ = false;
  bool asyncMode_ = false;
  bool inAsyncOperation_ = false;
  // Two interfaces of the one object the platform holds of this source.
  Microsoft::WRL::ComPtr<IDataObject> platformDataObject_;
  Microsoft::WRL::ComPtr<IDropSource> platformDropSource_;
};

// A drop source whose data come from its data formats; it always owns a feedback and a raw data format.
class TCustomDropMultiSource : public TCustomDropSource {
  BC_CLASS(TCustomDropMultiSource, TCustomDropSource)
  explicit TCustomDropMultiSource(TComponent* owner);
  ~TCustomDropMultiSource() override;

  std::optional<TConversionScope> DataFormatScope() const override { return TConversionScope::csSource; }
  TFeedbackDataFormat& FeedbackDataFormat() const { return *feedbackDataFormat_; }
  TRawDataFormat& RawDataFormat() const { return *rawDataFormat_; }

  DWORD GetPerformedDropEffect() override;
  DWORD GetLogicalPerformedDropEffect() override;
  TRaised SetPerformedDropEffect(DWORD value) override;
  DWORD GetPreferredDropEffect() override;
  TRaised SetPreferredDropEffect(DWORD value) override;
  bool GetInShellDragLoop() override;
  CLSID GetTargetCLSID() override;
  TRaised SetInShellDragLoop(bool value) override;

 protected:
  HRESULT DoGetData(const FORMATETC& format, STGMEDIUM& medium) override;
  // Feedback a target writes goes to the data format that reads it; anything else is kept as raw data.
  HRESULT DoSetData(const FORMATETC& format, STGMEDIUM& medium) override;
  bool HasFormat(const FORMATETC& format) override;
  Microsoft::WRL::ComPtr<IEnumFORMATETC> GetEnumFormatEtc(DWORD direction) override;

 private:
  HRESULT SetRawData(const FORMATETC& format, const STGMEDIUM& medium);
  TRaised CheckPasteSucceeded(TClipboardFormat* format);

  // Owned, like every data format of the source, through the list.
  TFeedbackDataFormat* feedbackDataFormat_;
  TRawDataFormat* rawDataFormat_;
};

// The data formats of a source: each one's changes reach the source before they happen.
class TSourceDataFormats : public TDataFormats {
  BC_CLASS(TSourceDataFormats, TDataFormats)
  explicit TSourceDataFormats(TCustomDropSource* source) : source_(source) {}
  int Add(TCustomDataFormat* format) override;

 private:
  TCustomDropSource* source_;
};

}  // namespace shell
