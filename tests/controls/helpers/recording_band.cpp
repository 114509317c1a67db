// A band object for the tests: an in-process COM server whose band writes each call of its host into a text log,
// answers the band information the test set for each view mode, and misbehaves in the ways the test chooses. The
// test reaches the band's site through RecorderSite and so makes the calls a band makes on its host.
// clang-format off
#include <windows.h>
#include <ocidl.h>
#include <shobjidl.h>
// clang-format on

#include <string>

namespace {

// What the test makes the band do wrong; bits of RecorderSetBehaviour.
enum : DWORD {
  kFailBandInfo = 1,       // GetBandInfo fails after writing garbage into the record
  kNoWindow = 2,           // GetWindow answers S_OK without a window
  kFailSetSite = 4,        // SetSite fails
  kFocusEcho = 8,          // UIActivateIO tells the site of the focus change again
  kNoInputObject = 16,     // the band does not answer IInputObject
  kForeignWindow = 32,     // GetWindow answers the window given to RecorderSetBehaviour
  kChangeWhileAsked = 64,  // GetBandInfo tells the site that its information changed before it answers
};

constexpr int kViewModes = 5;  // DBIF_VIEWMODE_ values 0, 1, 2 and 4 index the answers directly

std::string callLog;
DESKBANDINFO answers[kViewModes];
DWORD behaviour = 0;
HWND foreignWindow = nullptr;
IUnknown* currentSite = nullptr;
HWND currentWindow = nullptr;
LONG liveObjects = 0;

void Log(const std::string& line) {
  callLog += line;
  callLog += ';';
}

constexpr wchar_t kWindowClass[] = L"RecordingBandWindow";

void RegisterWindowClass() {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kWindowClass;
  RegisterClassW(&windowClass);
}

class TRecordingBand final : public IDeskBand, public IObjectWithSite, public IPersistStream, public IInputObject {
 public:
  TRecordingBand() { ++liveObjects; }
  TRecordingBand(const TRecordingBand&) = delete;
  TRecordingBand& operator=(const TRecordingBand&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IDockingWindow) ||
        IsEqualIID(iid, IID_IDeskBand))
      *object = static_cast<IDeskBand*>(this);
    else if (IsEqualIID(iid, IID_IObjectWithSite))
      *object = static_cast<IObjectWithSite*>(this);
    else if (IsEqualIID(iid, IID_IPersist) || IsEqualIID(iid, IID_IPersistStream))
      *object = static_cast<IPersistStream*>(this);
    else if (IsEqualIID(iid, IID_IInputObject) && !(behaviour & kNoInputObject))
      *object = static_cast<IInputObject*>(this);
    if (!*object) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refCount_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG count = --refCount_;
    if (count == 0) {
      Log("Destroyed");
      delete this;
    }
    return count;
  }

  // IOleWindow, IDockingWindow, IDeskBand
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* wnd) override {
    Log("GetWindow");
    if (!wnd) return E_POINTER;
    *wnd = behaviour & kNoWindow ? nullptr : behaviour & kForeignWindow ? foreignWindow : window_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE ShowDW(BOOL show) override {
    Log(show ? "ShowDW(1)" : "ShowDW(0)");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE CloseDW(DWORD) override {
    Log("CloseDW");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ResizeBorderDW(LPCRECT, IUnknown*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetBandInfo(DWORD bandId, DWORD viewMode, DESKBANDINFO* info) override {
    Log("GetBandInfo(" + std::to_string(bandId) + "," + std::to_string(viewMode) + ")");
    if (!info || viewMode >= kViewModes) return E_INVALIDARG;
    IOleCommandTarget* target = nullptr;
    if ((behaviour & kChangeWhileAsked) && site_ &&
        SUCCEEDED(site_->QueryInterface(IID_IOleCommandTarget, reinterpret_cast<void**>(&target)))) {
      target->Exec(&CGID_DeskBand, DBID_BANDINFOCHANGED, 0, nullptr, nullptr);
      target->Release();
    }
    *info = answers[viewMode];
    return behaviour & kFailBandInfo ? E_FAIL : S_OK;
  }

  // IObjectWithSite
  HRESULT STDMETHODCALLTYPE SetSite(IUnknown* site) override {
    Log(site ? "SetSite(site)" : "SetSite(null)");
    if (behaviour & kFailSetSite) return E_FAIL;
    if (site) site->AddRef();
    if (site_) site_->Release();
    site_ = site;
    currentSite = site;
    if (site && !window_) {
      IOleWindow* parent = nullptr;
      HWND parentWindow = nullptr;
      if (SUCCEEDED(site->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&parent)))) {
        parent->GetWindow(&parentWindow);
        parent->Release();
      }
      RegisterWindowClass();
      window_ = CreateWindowExW(0, kWindowClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, parentWindow, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
      currentWindow = window_;
    } else if (!site && window_) {
      DestroyWindow(window_);
      window_ = currentWindow = nullptr;
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetSite(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    return site_ ? site_->QueryInterface(iid, object) : E_FAIL;
  }

  // IPersistStream
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* id) override {
    if (!id) return E_POINTER;
    *id = CLSID_NULL;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE IsDirty() override { return S_FALSE; }
  HRESULT STDMETHODCALLTYPE Load(IStream*) override {
    Log("Load");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Save(IStream*, BOOL) override {
    Log("Save");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override {
    if (!size) return E_POINTER;
    size->QuadPart = 0;
    return S_OK;
  }

  // IInputObject
  HRESULT STDMETHODCALLTYPE UIActivateIO(BOOL activate, MSG*) override {
    Log(activate ? "UIActivateIO(1)" : "UIActivateIO(0)");
    if ((behaviour & kFocusEcho) && site_) {
      IInputObjectSite* site = nullptr;
      if (SUCCEEDED(site_->QueryInterface(IID_IInputObjectSite, reinterpret_cast<void**>(&site)))) {
        site->OnFocusChangeIS(static_cast<IDeskBand*>(this), activate);
        site->Release();
      }
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE HasFocusIO() override { return S_FALSE; }
  HRESULT STDMETHODCALLTYPE TranslateAcceleratorIO(MSG*) override { return S_FALSE; }

 private:
  ~TRecordingBand() {
    if (window_) DestroyWindow(window_);
    if (currentSite == site_) currentSite = nullptr;
    if (site_) site_->Release();
    if (currentWindow == window_) currentWindow = nullptr;
    --liveObjects;
  }

  ULONG refCount_ = 0;
  IUnknown* site_ = nullptr;
  HWND window_ = nullptr;
};

class TBandFactory : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory) ? this : nullptr;
    return *object ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    auto* band = new TRecordingBand;
    band->AddRef();
    const HRESULT result = band->QueryInterface(iid, object);
    band->Release();
    return result;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

TBandFactory factory;

}  // namespace

// Every class id registered for this library makes the same band.
extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID, REFIID iid, void** object) {
  return factory.QueryInterface(iid, object);
}

// The tests read the log of this very module, so it stays loaded.
extern "C" HRESULT WINAPI DllCanUnloadNow() { return S_FALSE; }

extern "C" const char* WINAPI RecorderLog() { return callLog.c_str(); }

extern "C" void WINAPI RecorderReset() {
  callLog.clear();
  for (DESKBANDINFO& answer : answers) answer = DESKBANDINFO{};
  behaviour = 0;
  foreignWindow = nullptr;
}

extern "C" void WINAPI RecorderSetBandInfo(DWORD viewMode, const DESKBANDINFO* info) {
  if (viewMode < kViewModes && info) answers[viewMode] = *info;
}

extern "C" void WINAPI RecorderSetBehaviour(DWORD flags, HWND window) {
  behaviour = flags;
  foreignWindow = window;
}

// The site the live band holds (not counted), or null.
extern "C" IUnknown* WINAPI RecorderSite() { return currentSite; }

extern "C" HWND WINAPI RecorderWindow() { return currentWindow; }

extern "C" LONG WINAPI RecorderObjects() { return liveObjects; }
