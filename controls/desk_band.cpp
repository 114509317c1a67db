#include "controls/desk_band.h"

#include <algorithm>

#include "framework/com_guard.h"
#include "framework/exceptions.h"
#include "framework/properties.h"

using Microsoft::WRL::ComPtr;

namespace controls {

namespace {

// A band that only wants a site: its window is not adopted and its band information is never asked for.
constexpr GUID kSiteOnlyBand = {0x724D43A9, 0x0D85, 0x11D4, {0x99, 0x08, 0x00, 0x40, 0x05, 0x23, 0xE3, 0x9A}};

// The largest extent a band may ask for: window sizes beyond it overflow the arithmetic of layout and painting.
constexpr LONG kMaxBandExtent = 32767;

// The toolbar framework's themed tool window paints the background a hosted band shows through. This component
// set does not build on the toolbar framework, so the window is known by its class name.
constexpr wchar_t kThemedToolWindowClass[] = L"TStyledToolWindow";

DWORD ViewModeValue(TDeskBandViewMode mode) {
  switch (mode) {
    case TDeskBandViewMode::vmVert:
      return DBIF_VIEWMODE_VERTICAL;
    case TDeskBandViewMode::vmFloat:
      return DBIF_VIEWMODE_FLOATING;
    case TDeskBandViewMode::vmTransparent:
      return DBIF_VIEWMODE_TRANSPARENT;
    case TDeskBandViewMode::vmHorz:
      break;
  }
  return DBIF_VIEWMODE_NORMAL;
}

// A size of the band's information as a constraint: -1 (and any other negative) is no limit, 0; sizes beyond
// what a window can have are cut to it.
int BandExtent(LONG value) { return static_cast<int>(std::clamp<LONG>(value, 0, kMaxBandExtent)); }

bool IsThemedToolWindow(const TWinControl* window) {
  if (!window) return false;
  for (const TClass* cls = window->ClassType(); cls; cls = cls->ClassParent())
    if (cls->ClassName() == kThemedToolWindowClass) return true;
  return false;
}

// The height of the tool window's client area, its client width kept and its frame added at the same position:
// the tool window's own published ClientAreaHeight, reached by name like its class.
// Answers whether the tool window outlived its handlers.
TRaised SetClientAreaHeight(TWinControl* toolWindow, int height) {
  const auto* property =
      dynamic_cast<const TOrdinalPropertyInfo*>(toolWindow->PublishedTable().FindProperty(L"ClientAreaHeight"));
  if (!property || !property->InRange(height)) return toolWindow->SetClientHeight(height);
  const TLifeWatch life = toolWindow->LifeWatch();
  property->SetOrdinal(toolWindow, height);
  return TRaised(!life.Ended());
}

String GuidToString(const GUID& id) {
  wchar_t text[40];
  const int length = StringFromGUID2(id, text, 40);
  return length > 0 ? String(text, length - 1) : String();
}

// Only the registry form "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}" is a class id; an empty text is the null id.
bool TryStringToGuid(const String& text, GUID& id) {
  id = GUID_NULL;
  if (text.empty()) return true;
  if (text.size() != 38 || text.front() != L'{') return false;
  return SUCCEEDED(IIDFromString(text.c_str(), &id));
}

ComPtr<IUnknown> CreateComObject(const GUID& classId) {
  ComPtr<IUnknown> object;
  OleCheck(CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IUnknown,
                            reinterpret_cast<void**>(object.GetAddressOf())));
  return object;
}

bool KeyExists(HKEY root, const String& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

}  // namespace

bool IsCLSIDRegistered(const String& ClassID) {
  GUID id;
  if (!TryStringToGuid(ClassID, id) || ClassID.empty()) return false;
  const String path = L"SOFTWARE\\Classes\\CLSID\\" + ClassID;
  return KeyExists(HKEY_LOCAL_MACHINE, path) || KeyExists(HKEY_CURRENT_USER, path);
}

TDeskBand::TDeskBand(TComponent* owner) : TWinControl(owner) {
  SetControlStyle(ControlStyle() + TControlStyleItem::csAcceptsControls - TControlStyleItem::csSetCaption);
}

TDeskBand::~TDeskBand() { ReleaseBand(); }

String TDeskBand::ClassID() const { return GuidToString(classId_); }

TRaised TDeskBand::SetClassID(const String& value) {
  GUID id;
  if (!TryStringToGuid(value, id)) throw EOleSysError(L"Invalid class string", CO_E_CLASSSTRING);
  // A stored form's band loads once, from Loaded, when every property is read.
  if (IsLoading()) {
    classId_ = id;
    return TRaised(true);
  }
  if (needReCreate_) {
    ReleaseBand();
    RecreateWnd();
    // Making the window raises the control's handlers (its OnResize), which may free it.
    const TLifeWatch life = LifeWatch();
    HandleNeeded();
    if (life.Ended()) return TRaised(false);
    classId_ = id;
    return OnQueryService ? LoadBand() : TRaised(true);
  }
  if (IsEqualGUID(id, classId_) && !IsEqualGUID(classId_, GUID_NULL)) {
    if (objectWithSite_) objectWithSite_->SetSite(static_cast<IOleWindow*>(this));
    return TRaised(true);
  }
  ReleaseBand();
  RecreateWnd();
  if (Hide().Gone()) return TRaised(false);
  classId_ = id;
  if (OnQueryService && LoadBand().Gone()) return TRaised(false);
  return SetVisible(true);
}

TRaised TDeskBand::Loaded() {
  if (inherited::Loaded().Gone()) return TRaised(false);
  return LoadBand();
}

TRaised TDeskBand::LoadBand() {
  if (IsEqualGUID(classId_, GUID_NULL) || IsDesigning()) return TRaised(true);
  try {
    band_ = CreateComObject(classId_);
    if (!band_) return TRaised(true);
    if (IsEqualGUID(classId_, kSiteOnlyBand)) {
      if (FAILED(band_.As(&objectWithSite_))) {
        objectWithSite_.Reset();
        return TRaised(true);
      }
      objectWithSite_->SetSite(static_cast<IOleWindow*>(this));
      return TRaised(true);
    }
    if (FAILED(band_.As(&deskBandIntf_)) || FAILED(band_.As(&objectWithSite_))) return TRaised(true);
    if (FAILED(band_.As(&inputObject_))) inputObject_.Reset();
    if (FAILED(objectWithSite_->SetSite(static_cast<IOleWindow*>(this)))) return TRaised(true);
    HWND wnd = nullptr;
    if (FAILED(deskBandIntf_->GetWindow(&wnd)) || !wnd) return TRaised(true);
    if (!AdoptBandWindow(wnd)) return TRaised(true);
    return UpdateBandInfo();
  } catch (...) {
    if (RaiseEvent(OnLoadErr, this).Gone()) return TRaised(false);
    band_.Reset();
    return TRaised(true);
  }
}

bool TDeskBand::AdoptBandWindow(HWND wnd) {
  // Only a live window that does not hold this control may become its child; anything else would tear the
  // window tree apart.
  if (!IsWindow(wnd)) return false;
  for (HWND ancestor = Handle(); ancestor; ancestor = ::GetParent(ancestor))
    if (ancestor == wnd) return false;
  bandWindow_ = wnd;
  ::SetParent(wnd, Handle());
  return true;
}

TRaised TDeskBand::UpdateBandInfo() {
  if (!deskBandIntf_) return TRaised(true);
  // A band may report a change from inside its own answer: it is asked once more afterwards, not from inside,
  // which would recurse until the stack ends.
  if (askingBandInfo_) {
    bandInfoChangedMeanwhile_ = true;
    return TRaised(true);
  }
  const Microsoft::WRL::ComPtr<IDeskBand> band = deskBandIntf_;
  DESKBANDINFO answer = bandInfo_;
  HRESULT result = S_OK;
  askingBandInfo_ = true;
  bandInfoChangedMeanwhile_ = false;
  for (int asked = 0; asked < 2 && SUCCEEDED(result) && (asked == 0 || bandInfoChangedMeanwhile_); ++asked) {
    bandInfoChangedMeanwhile_ = false;
    answer = bandInfo_;
    answer.dwMask = 0xFFFFFFFF;
    result = band->GetBandInfo(bandId_, ViewModeValue(viewMode_), &answer);
  }
  askingBandInfo_ = false;
  // A band that fails the query leaves the sizes it answered before.
  if (FAILED(result)) return TRaised(true);
  bandInfo_ = answer;
  const int minHeight = BandExtent(bandInfo_.ptMinSize.y);
  // Each new limit sets the bounds again, whose handlers (OnResize, the tool window's) may free this control.
  const TLifeWatch life = LifeWatch();
  Constraints()->SetMaxWidth(BandExtent(bandInfo_.ptMaxSize.x));
  if (life.Ended()) return TRaised(false);
  Constraints()->SetMinWidth(BandExtent(bandInfo_.ptMinSize.x));
  if (life.Ended()) return TRaised(false);
  Constraints()->SetMinHeight(0);
  if (life.Ended() || SetHeight(minHeight).Gone()) return TRaised(false);
  if (IsThemedToolWindow(Parent()) && AnswerFor(life, SetClientAreaHeight(Parent(), minHeight)).Gone())
    return TRaised(false);
  Constraints()->SetMinHeight(minHeight);
  if (life.Ended()) return TRaised(false);
  Constraints()->SetMaxHeight(BandExtent(bandInfo_.ptMaxSize.y));
  if (life.Ended()) return TRaised(false);
  SizeBandWindow();
  return TRaised(true);
}

void TDeskBand::SizeBandWindow() {
  if (bandWindow_ && HandleAllocated())
    SetWindowPos(bandWindow_, nullptr, 0, 0, ClientWidth(), ClientHeight(), SWP_NOZORDER | SWP_NOACTIVATE);
}

void TDeskBand::ReleaseBand() {
  try {
    classId_ = GUID_NULL;
    if (objectWithSite_) objectWithSite_->SetSite(nullptr);
  } catch (...) {
  }
  inputObject_.Reset();
  deskBandIntf_.Reset();
  objectWithSite_.Reset();
  band_.Reset();
  // The band's window went with the band; its handle may soon name another window.
  bandWindow_ = nullptr;
}

HRESULT TDeskBand::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleCommandTarget))
    *object = static_cast<IOleCommandTarget*>(this);
  else if (IsEqualIID(iid, IID_IServiceProvider))
    *object = static_cast<IServiceProvider*>(this);
  else if (IsEqualIID(iid, IID_IInputObjectSite))
    *object = static_cast<IInputObjectSite*>(this);
  else if (IsEqualIID(iid, IID_IOleWindow))
    *object = static_cast<IOleWindow*>(this);
  else
    *object = nullptr;
  if (!*object) return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

ULONG TDeskBand::AddRef() { return ++refCount_; }

ULONG TDeskBand::Release() {
  if (refCount_ > 0) --refCount_;
  return refCount_;
}

HRESULT TDeskBand::GetWindow(HWND* wnd) {
  if (!wnd) return E_POINTER;
  *wnd = nullptr;
  return ComGuard([&] { *wnd = Handle(); });
}

HRESULT TDeskBand::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

HRESULT TDeskBand::OnFocusChangeIS(IUnknown*, BOOL setFocus) {
  if (inputObject_ && !focusChanging_) {
    focusChanging_ = true;
    MSG message{};
    inputObject_->UIActivateIO(setFocus, &message);
    focusChanging_ = false;
  }
  return S_OK;
}

HRESULT TDeskBand::QueryService(REFGUID service, REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (!OnQueryService) return E_NOTIMPL;
  HRESULT result = E_NOTIMPL;
  try {
    ComPtr<IUnknown> answer;
    // The answer is the band's, also when the handler freed this host.
    if (RaiseEvent(OnQueryService, this, service, iid, answer, result).Gone()) {
      if (result == S_OK) result = answer ? answer->QueryInterface(iid, object) : E_NOINTERFACE;
      return result;
    }
    // The band gets the interface it asked for, never the handler's object as some other interface.
    if (result == S_OK) result = answer ? answer->QueryInterface(iid, object) : E_NOINTERFACE;
  } catch (...) {
    *object = nullptr;
    // The band must not take a raised handler's success for an answer.
    if (SUCCEEDED(result)) result = E_FAIL;
  }
  return result;
}

HRESULT TDeskBand::QueryStatus(const GUID*, ULONG, OLECMD[], OLECMDTEXT*) { return S_OK; }

HRESULT TDeskBand::Exec(const GUID* group, DWORD commandId, DWORD, VARIANT*, VARIANT*) {
  if (!group || !IsEqualGUID(*group, CGID_DeskBand) || commandId != DBID_BANDINFOCHANGED) return S_OK;
  return ComGuard([&] {
    if (askingBandInfo_) return UpdateBandInfo();
    if (UpdateBandInfo().Gone()) return TRaised(false);
    return RaiseEvent(OnResize, this);
  });
}

void TDeskBand::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_SIZE:
      WMSize(message);
      break;
    case WM_ERASEBKGND:
      WMEraseBkgnd(message);
      break;
    default:
      inherited::Dispatch(message);
  }
}

void TDeskBand::WMSize(TMessage& message) {
  inherited::Dispatch(message);
  if (!bandWindow_) return;
  SendMessageW(bandWindow_, WM_SIZE, message.WParam, message.LParam);
  SetWindowPos(bandWindow_, nullptr, 0, 0, LOWORD(message.LParam), HIWORD(message.LParam),
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void TDeskBand::WMEraseBkgnd(TMessage& message) {
  if (!IsThemedToolWindow(Parent())) {
    inherited::Dispatch(message);
    return;
  }
  SendMessageW(Parent()->Handle(), WM_ERASEBKGND, message.WParam, message.LParam);
  message.Result = 1;
}

const TPublishedTable& TDeskBand::PublishedTable() const {
  using P = TPublished<TDeskBand>;
  using M = TDeskBand;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          ControlProperty(L"Align"),
          ControlProperty(L"Anchors"),
          ControlProperty(L"Constraints"),
          ControlProperty(L"Visible"),
          P::Enumeration(L"ViewMode", &M::ViewMode, &M::SetViewMode,
                         {L"vmHorz", L"vmVert", L"vmFloat", L"vmTransparent"})
              .Default(TDeskBandViewMode::vmHorz),
          P::Event(L"OnQueryService", &M::OnQueryService),
          P::Event(L"OnLoadErr", &M::OnLoadErr),
          P::Text(L"ClassID", &M::ClassID, &M::SetClassID).Default(GuidToString(GUID_NULL)),
          P::Boolean(L"NeedReCreate", &M::NeedReCreate, &M::SetNeedReCreate).Default(false),
          ControlProperty(L"OnResize"),
      });
  return table;
}

namespace {

void RegisterDeskBand() { RegisterPersistentClass(TDeskBand::StaticClass()); }
void UnregisterDeskBand() { UnregisterPersistentClass(TDeskBand::StaticClass()); }

}  // namespace

const TUnit& DeskBandUnit() {
  static const TUnit unit{L"DeskBand", &RegisterDeskBand, &UnregisterDeskBand, {&ControlsUnit()}};
  return unit;
}

}  // namespace controls
