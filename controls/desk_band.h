// TDeskBand: a window control that loads an outside toolbar built as a shell band object (a COM class named by
// its class id), acts as the band's site and shows the band's own window inside itself, sized by the band's
// information. The form owns the control: the COM reference count of the site only counts, it never frees.
#pragma once

// clang-format off
#include <windows.h>
#include <docobj.h>
#include <ocidl.h>
#include <servprov.h>
#include <shobjidl.h>
#include <wrl/client.h>
// clang-format on

#include "framework/startup.h"
#include "framework/win_control.h"

namespace controls {

// The view mode asked of the band; each passes its DBIF_VIEWMODE_ value to GetBandInfo.
enum class TDeskBandViewMode { vmHorz, vmVert, vmFloat, vmTransparent };

// Answers one service query of the band: Obj and QueryResult (E_NOTIMPL when called) are set by the handler.
using TOnQueryService = TDelegate<void(TObject* Sender, const GUID& rsid, const GUID& iid,
                                       Microsoft::WRL::ComPtr<IUnknown>& Obj, HRESULT& QueryResult)>;

class TDeskBand : public TWinControl,
                  public IOleCommandTarget,
                  public IServiceProvider,
                  public IInputObjectSite,
                  public IOleWindow {
  BC_CLASS(TDeskBand, TWinControl)
  explicit TDeskBand(TComponent* owner);
  ~TDeskBand() override;
  TDeskBand(const TDeskBand&) = delete;
  TDeskBand& operator=(const TDeskBand&) = delete;

  // The band's class id in registry form ("{...}"). Setting it releases the band and loads the new one (the same
  // non-null id again only sites the loaded band anew). An empty text is the null id; any other text that is no
  // class id raises EOleSysError and changes nothing.
  String ClassID() const;
  // A new class makes the band anew, whose handlers (OnQueryService, OnLoadErr, the sizing) may free the control:
  // answers whether it outlived them.
  [[nodiscard]] TRaised SetClassID(const String& value);
  TDeskBandViewMode ViewMode() const { return viewMode_; }
  void SetViewMode(TDeskBandViewMode value) { viewMode_ = value; }
  // A new ClassID makes the control's window anew before the band loads.
  bool NeedReCreate() const { return needReCreate_; }
  void SetNeedReCreate(bool value) { needReCreate_ = value; }

  // Takes the band off its site and lets go of every interface of it; the class id becomes the null id.
  void ReleaseBand();

  IUnknown* Band() const { return band_.Get(); }
  IDeskBand* DeskBandIntf() const { return deskBandIntf_.Get(); }
  IObjectWithSite* ObjectWithSite() const { return objectWithSite_.Get(); }
  // May stay null: a band need not take the focus.
  IInputObject* InputObject() const { return inputObject_.Get(); }
  // The band's own window, adopted as a child of this control's window; null while none is.
  HWND BandWindow() const { return bandWindow_; }
  // The band's answer to the last band-information query.
  const DESKBANDINFO& BandInfo() const { return bandInfo_; }
  // References the band holds on this site.
  ULONG RefCount() const { return refCount_; }

  // IUnknown: answers IOleCommandTarget, IServiceProvider, IInputObjectSite and IOleWindow.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IOleWindow: this control's window, made when there is none.
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* wnd) override;
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL enterMode) override;
  // IInputObjectSite: the band's focus changed; the band is UI-activated (or deactivated) to match.
  HRESULT STDMETHODCALLTYPE OnFocusChangeIS(IUnknown* object, BOOL setFocus) override;
  // IServiceProvider: answered by OnQueryService, E_NOTIMPL without it.
  HRESULT STDMETHODCALLTYPE QueryService(REFGUID service, REFIID iid, void** object) override;
  // IOleCommandTarget: the band's "band information changed" command reads it again and resizes.
  HRESULT STDMETHODCALLTYPE QueryStatus(const GUID* group, ULONG count, OLECMD commands[], OLECMDTEXT* text) override;
  HRESULT STDMETHODCALLTYPE Exec(const GUID* group, DWORD commandId, DWORD options, VARIANT* in, VARIANT* out) override;

  void Dispatch(TMessage& message) override;
  const TPublishedTable& PublishedTable() const override;

  TOnQueryService OnQueryService;
  // Loading the band raised an exception; the band is let go.
  TNotifyEvent OnLoadErr;

 protected:
  TRaised Loaded() override;

 private:
  // Creates the band of the class id and sites it; failed COM calls stop quietly, exceptions reach OnLoadErr.
  [[nodiscard]] TRaised LoadBand();
  // False when the band's answer is no window this control may hold.
  bool AdoptBandWindow(HWND wnd);
  [[nodiscard]] TRaised UpdateBandInfo();
  void SizeBandWindow();
  void WMSize(TMessage& message);
  void WMEraseBkgnd(TMessage& message);

  DESKBANDINFO bandInfo_{};
  DWORD bandId_ = 0;
  ULONG refCount_ = 0;
  HWND bandWindow_ = nullptr;
  TDeskBandViewMode viewMode_ = TDeskBandViewMode::vmHorz;
  Microsoft::WRL::ComPtr<IDeskBand> deskBandIntf_;
  GUID classId_{};
  Microsoft::WRL::ComPtr<IUnknown> band_;
  Microsoft::WRL::ComPtr<IObjectWithSite> objectWithSite_;
  bool needReCreate_ = false;
  Microsoft::WRL::ComPtr<IInputObject> inputObject_;
  bool askingBandInfo_ = false;            // the band is answering GetBandInfo
  bool bandInfoChangedMeanwhile_ = false;  // and has reported a change while it did
  bool focusChanging_ = false;             // a band that reports its focus from UIActivateIO is not activated again
};

// True when a class of that id is registered for the machine or for the current user; false for any text that
// is not a class id and on any failure.
bool IsCLSIDRegistered(const String& ClassID);

// Registers TDeskBand for stored forms.
const TUnit& DeskBandUnit();

}  // namespace controls
