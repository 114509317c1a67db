// The band-object host against the tests' recording band (helpers/recording_band.cpp), created through COM from
// the class ids the fixture registers for the machine in the test prefix (Wine's class lookup reads no per-user
// registration). The band's site calls go through the very site pointer the band was handed.
#include "controls/desk_band.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "form_fixture.h"
#include "framework/com_object.h"
#include "framework/exceptions.h"
#include "framework/form_reader.h"
#include "framework/form_writer.h"
#include "support/hostile_input.h"
#include "support/window_capture.h"
#include "toolbars/styled/styled_dock.h"
#include "toolbars/styled/styled_tool_window.h"

using namespace controls;
using Microsoft::WRL::ComPtr;

namespace {

constexpr wchar_t kRecordingBand[] = L"{6A3C1E52-3F0B-4C47-9D0E-5B1A2C7D8E90}";
constexpr wchar_t kSiteOnlyBand[] = L"{724D43A9-0D85-11D4-9908-00400523E39A}";
constexpr wchar_t kUserBand[] = L"{6A3C1E52-3F0B-4C47-9D0E-5B1A2C7D8E91}";
constexpr wchar_t kUnregistered[] = L"{6A3C1E52-3F0B-4C47-9D0E-5B1A2C7D8E9F}";
constexpr wchar_t kNullId[] = L"{00000000-0000-0000-0000-000000000000}";

// Behaviour bits of the recording band.
constexpr DWORD kFailBandInfo = 1, kNoWindow = 2, kFailSetSite = 4, kFocusEcho = 8, kNoInputObject = 16,
                kForeignWindow = 32, kChangeWhileAsked = 64;

String ClassKey(const wchar_t* id) { return String(L"Software\\Classes\\CLSID\\") + id; }

String BandLibraryPath() {
  wchar_t program[MAX_PATH + 1];
  const DWORD length = GetModuleFileNameW(nullptr, program, MAX_PATH + 1);
  String path(program, length);
  return path.substr(0, path.find_last_of(L'\\') + 1) + L"recording_band.dll";
}

void RegisterBand(HKEY root, const wchar_t* id) {
  HKEY key = nullptr;
  RegCreateKeyExW(root, (ClassKey(id) + L"\\InprocServer32").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                  nullptr);
  const String path = BandLibraryPath();
  RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                 static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
  const wchar_t model[] = L"Apartment";
  RegSetValueExW(key, L"ThreadingModel", 0, REG_SZ, reinterpret_cast<const BYTE*>(model), sizeof model);
  RegCloseKey(key);
}

DESKBANDINFO Info(LONG minX, LONG minY, LONG maxX, LONG maxY) {
  DESKBANDINFO info{};
  info.ptMinSize = {minX, minY};
  info.ptMaxSize = {maxX, maxY};
  return info;
}

// A service object the handler hands out: it answers IOleWindow with a window the test knows.
class TServiceObject : public TComObject<IOleWindow> {
 public:
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* wnd) override {
    *wnd = GetDesktopWindow();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
};

class DeskBandTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    RegisterBand(HKEY_LOCAL_MACHINE, kRecordingBand);
    RegisterBand(HKEY_LOCAL_MACHINE, kSiteOnlyBand);
    library_ = LoadLibraryW(BandLibraryPath().c_str());
    ASSERT_NE(library_, nullptr) << "the recording band is built beside the test program";
    Entry<void(WINAPI*)()>("RecorderReset")();
  }
  void TearDown() override {
    FormTest::TearDown();
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, ClassKey(kRecordingBand).c_str());
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, ClassKey(kSiteOnlyBand).c_str());
    if (library_) FreeLibrary(library_);
  }

  template <class F>
  F Entry(const char* name) const {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(library_, name)));
  }
  std::string Log() const { return Entry<const char*(WINAPI*)()>("RecorderLog")(); }
  void ClearLog() const {
    // Keeps the answers and behaviour: only the log goes.
    clearedLength_ = Log().size();
  }
  std::string NewLog() const { return Log().substr(clearedLength_); }
  void SetBandInfo(DWORD viewMode, const DESKBANDINFO& info) const {
    Entry<void(WINAPI*)(DWORD, const DESKBANDINFO*)>("RecorderSetBandInfo")(viewMode, &info);
  }
  void SetBehaviour(DWORD flags, HWND window = nullptr) const {
    Entry<void(WINAPI*)(DWORD, HWND)>("RecorderSetBehaviour")(flags, window);
  }
  IUnknown* Site() const { return Entry<IUnknown*(WINAPI*)()>("RecorderSite")(); }
  HWND BandWindow() const { return Entry<HWND(WINAPI*)()>("RecorderWindow")(); }
  LONG LiveBands() const { return Entry<LONG(WINAPI*)()>("RecorderObjects")(); }

  template <class I>
  ComPtr<I> SiteAs() const {
    ComPtr<I> result;
    if (IUnknown* site = Site()) site->QueryInterface(__uuidof(I), reinterpret_cast<void**>(result.GetAddressOf()));
    return result;
  }
  HRESULT BandInfoChanged(const GUID* group = &CGID_DeskBand, DWORD command = DBID_BANDINFOCHANGED) const {
    ComPtr<IOleCommandTarget> target = SiteAs<IOleCommandTarget>();
    return target ? target->Exec(group, command, 0, nullptr, nullptr) : E_NOINTERFACE;
  }

  // A host with a service handler (without one, a new class id loads nothing).
  TDeskBand* MakeHost(TWinControl* parent = nullptr) {
    auto* host = new TDeskBand(Form());
    EXPECT_TRUE(host->SetBounds(0, 0, 824, 22).Alive());
    EXPECT_TRUE(host->SetParent(parent ? parent : Form()).Alive());
    host->OnQueryService = [this](TObject*, const GUID& rsid, const GUID& iid, ComPtr<IUnknown>& obj, HRESULT& result) {
      asked_.push_back({rsid, iid});
      if (serviceAnswer_) serviceAnswer_(obj, result);
    };
    host->OnLoadErr = [this](TObject*) { ++loadErrors_; };
    return host;
  }

  HMODULE library_ = nullptr;
  mutable size_t clearedLength_ = 0;
  int loadErrors_ = 0;
  std::vector<std::pair<GUID, GUID>> asked_;
  std::function<void(ComPtr<IUnknown>&, HRESULT&)> serviceAnswer_;
};

TEST_F(DeskBandTest, ClassIdRegistration) {
  RegisterBand(HKEY_CURRENT_USER, kUserBand);
  const struct {
    String ClassID;
    bool Registered;
  } cases[] = {
      {kRecordingBand, true},
      {kUserBand, true},  // for the current user only, which the platform's class lookup honours
      {L"{6a3c1e52-3f0b-4c47-9d0e-5b1a2c7d8e90}", true},
      {kUnregistered, false},
      {L"", false},
      {L"not a class id", false},
      {String(kRecordingBand) + L"\\InprocServer32", false},
      {L"{6A3C1E52-3F0B-4C47-9D0E-5B1A2C7D8E9}", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsCLSIDRegistered(c.ClassID), c.Registered) << testing::PrintToString(c.ClassID);
  RegDeleteTreeW(HKEY_CURRENT_USER, ClassKey(kUserBand).c_str());
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, ClassKey(kRecordingBand).c_str());
  EXPECT_FALSE(IsCLSIDRegistered(kUserBand));
  EXPECT_FALSE(IsCLSIDRegistered(kRecordingBand));
}

TEST_F(DeskBandTest, LoadingSitesTheBandAndAdoptsItsWindow) {
  SetBandInfo(DBIF_VIEWMODE_NORMAL, Info(200, 24, 600, 30));
  TDeskBand* host = MakeHost();
  EXPECT_TRUE(host->SetClassID(kRecordingBand).Alive());

  EXPECT_EQ(Log(), "SetSite(site);GetWindow;GetBandInfo(0,0);");
  EXPECT_EQ(host->ClassID(), kRecordingBand);
  EXPECT_EQ(loadErrors_, 0);
  ASSERT_NE(host->Band(), nullptr);
  EXPECT_NE(host->DeskBandIntf(), nullptr);
  EXPECT_NE(host->ObjectWithSite(), nullptr);
  EXPECT_NE(host->InputObject(), nullptr);
  EXPECT_TRUE(host->Visible());
  ASSERT_NE(BandWindow(), nullptr);
  EXPECT_EQ(host->BandWindow(), BandWindow());
  EXPECT_EQ(GetParent(BandWindow()), host->Handle());
  EXPECT_GE(host->RefCount(), 1u);

  // The band's site is the host: its window, its interfaces and nothing else.
  ComPtr<IOleWindow> window = SiteAs<IOleWindow>();
  ASSERT_TRUE(window);
  HWND answered = nullptr;
  EXPECT_EQ(window->GetWindow(&answered), S_OK);
  EXPECT_EQ(answered, host->Handle());
  EXPECT_EQ(window->ContextSensitiveHelp(TRUE), E_NOTIMPL);
  EXPECT_TRUE(SiteAs<IServiceProvider>());
  EXPECT_TRUE(SiteAs<IInputObjectSite>());
  ComPtr<IDispatch> dispatch;
  EXPECT_EQ(Site()->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.GetAddressOf())), E_NOINTERFACE);
  EXPECT_EQ(SiteAs<IOleCommandTarget>()->QueryStatus(nullptr, 0, nullptr, nullptr), S_OK);
}

TEST_F(DeskBandTest, WhatLoadsAndWhatStopsQuietly) {
  const struct {
    const wchar_t* ClassID;
    DWORD Behaviour;
    bool ForeignIsForm;
    const char* Log;
    bool Window;
    bool InputObject;
    int LoadErrors;
  } cases[] = {
      {kRecordingBand, 0, false, "SetSite(site);GetWindow;GetBandInfo(0,0);", true, true, 0},
      {kSiteOnlyBand, 0, false, "SetSite(site);", false, false, 0},
      {kRecordingBand, kNoInputObject, false, "SetSite(site);GetWindow;GetBandInfo(0,0);", true, false, 0},
      {kRecordingBand, kFailSetSite, false, "SetSite(site);", false, true, 0},
      {kRecordingBand, kNoWindow, false, "SetSite(site);GetWindow;", false, true, 0},
      // A band that answers a window holding the host is not given it as a child.
      {kRecordingBand, kForeignWindow, true, "SetSite(site);GetWindow;", false, true, 0},
      {kUnregistered, 0, false, "", false, false, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(String(c.ClassID)) + " behaviour " + std::to_string(c.Behaviour));
    Entry<void(WINAPI*)()>("RecorderReset")();
    loadErrors_ = 0;
    SetBehaviour(c.Behaviour, c.ForeignIsForm ? Form()->Handle() : nullptr);
    const HWND formParent = GetAncestor(Form()->Handle(), GA_PARENT);
    TDeskBand* host = MakeHost();
    EXPECT_TRUE(host->SetClassID(c.ClassID).Alive());
    EXPECT_EQ(Log(), c.Log);
    EXPECT_EQ(host->BandWindow() != nullptr, c.Window);
    EXPECT_EQ(host->InputObject() != nullptr, c.InputObject);
    EXPECT_EQ(loadErrors_, c.LoadErrors);
    EXPECT_EQ(GetAncestor(Form()->Handle(), GA_PARENT), formParent);
    if (c.LoadErrors) {
      EXPECT_EQ(host->Band(), nullptr);
    }
    SetBehaviour(0);
    delete host;
  }
}

TEST_F(DeskBandTest, NoServiceHandlerLoadsNothing) {
  TDeskBand* host = MakeHost();
  host->OnQueryService = nullptr;
  EXPECT_TRUE(host->SetClassID(kRecordingBand).Alive());
  EXPECT_EQ(Log(), "");
  EXPECT_EQ(host->Band(), nullptr);
  EXPECT_EQ(host->ClassID(), kRecordingBand);
}

TEST_F(DeskBandTest, BandInformationSizesTheHostInEachViewMode) {
  const struct {
    TDeskBandViewMode Mode;
    DWORD Value;
    DESKBANDINFO Answer;
    int MinWidth, MaxWidth, MinHeight, MaxHeight;
  } cases[] = {
      {TDeskBandViewMode::vmHorz, DBIF_VIEWMODE_NORMAL, Info(200, 24, 600, 40), 200, 600, 24, 40},
      {TDeskBandViewMode::vmVert, DBIF_VIEWMODE_VERTICAL, Info(30, 120, -1, -1), 30, 0, 120, 0},
      {TDeskBandViewMode::vmFloat, DBIF_VIEWMODE_FLOATING, Info(150, 60, -1, 90), 150, 0, 60, 90},
      {TDeskBandViewMode::vmTransparent, DBIF_VIEWMODE_TRANSPARENT, Info(100, 18, 300, -1), 100, 300, 18, 0},
  };
  for (const auto& c : cases) SetBandInfo(c.Value, c.Answer);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Value);
    TDeskBand* host = MakeHost();
    host->SetViewMode(c.Mode);
    ClearLog();
    EXPECT_TRUE(host->SetClassID(kRecordingBand).Alive());
    EXPECT_NE(NewLog().find("GetBandInfo(0," + std::to_string(c.Value) + ")"), std::string::npos) << NewLog();
    EXPECT_EQ(host->Constraints()->MinWidth(), c.MinWidth);
    EXPECT_EQ(host->Constraints()->MaxWidth(), c.MaxWidth);
    EXPECT_EQ(host->Constraints()->MinHeight(), c.MinHeight);
    EXPECT_EQ(host->Constraints()->MaxHeight(), c.MaxHeight);
    EXPECT_EQ(host->Height(), c.MinHeight);
    RECT band{}, client{};
    GetClientRect(host->BandWindow(), &band);
    GetClientRect(host->Handle(), &client);
    EXPECT_TRUE(EqualRect(&band, &client));
    delete host;
  }
}

TEST_F(DeskBandTest, BandInformationChangedAndHostResized) {
  SetBandInfo(DBIF_VIEWMODE_NORMAL, Info(100, 22, -1, -1));
  TDeskBand* host = MakeHost();
  int resized = 0;
  host->OnResize = [&](TObject*) { ++resized; };
  EXPECT_TRUE(host->SetClassID(kRecordingBand).Alive());
  SetBandInfo(DBIF_VIEWMODE_NORMAL, Info(100, 36, -1, -1));

  // Other groups and commands are answered and ignored.
  const GUID other = IID_IOleWindow;
  ClearLog();
  const int before = resized;
  for (auto [group, command] :
       {std::pair<const GUID*, DWORD>{nullptr, DBID_BANDINFOCHANGED}, {&other, 0}, {&CGID_DeskBand, DBID_SHOWONLY}})
    EXPECT_EQ(BandInfoChanged(group, command), S_OK);
  EXPECT_EQ(NewLog(), "");
  EXPECT_EQ(host->Height(), 22);
  EXPECT_EQ(resized, before);

  EXPECT_EQ(BandInfoChanged(), S_OK);
  EXPECT_EQ(NewLog(), "GetBandInfo(0,0);");
  EXPECT_EQ(host->Height(), 36);
  EXPECT_GT(resized, before);

  EXPECT_TRUE(host->SetWidth(500).Alive());
  RECT band{};
  GetClientRect(host->BandWindow(), &band);
  const RECT expected{0, 0, 500, 36};
  EXPECT_TRUE(EqualRect(&band, &expected));
}

// A band that reports a change from inside its own answer is asked once more afterwards, not again from inside:
// the host neither recurses until its stack ends nor misses the change.
TEST_F(DeskBandTest, AChangeReportedWhileTheBandAnswersIsReadOnceAfterwards) {
  SetBandInfo(DBIF_VIEWMODE_NORMAL, Info(100, 22, -1, -1));
  TDeskBand* host = MakeHost();
  int resized = 0;
  host->OnResize = [&](TObject*) { ++resized; };
  EXPECT_TRUE(host->SetClassID(kRecordingBand).Alive());
  SetBehaviour(kChangeWhileAsked);
  SetBandInfo(DBIF_VIEWMODE_NORMAL, Info(100, 30, -1, -1));
  ClearLog();
  const int before = resized;
  EXPECT_EQ(BandInfoChanged(), S_OK);
  EXPECT_EQ(NewLog(), "GetBandInfo(0,0);GetBandInfo(0,0);");
  EXPECT_EQ(host->Height(), 30);
  EXPECT_GT(resized, before);
  SetBehaviour(0);
}

TEST_F(DeskBandTest, ThemedToolWindowParent) {
  SetBandInfo(DBIF_VIEWMODE_NORMAL, Info(100, 26, -1, -1));
  auto* dock = new toolbars::TStyledDock(Form());
  EXPECT_TRUE(dock->SetParent(Form()).Alive());
  struct TPlace {
    const char* Name;
    bool Docked;
  };
  for (const TPlace place : {TPlace{"on the form", false}, TPlace{"docked", true}}) {
    auto* toolWindow = new toolbars::TStyledToolWindow(Form());
    toolWindow->SetHideWhenInactive(false);
    EXPECT_TRUE(toolWindow->SetClientAreaSize(400, 80).Alive());
    if (place.Docked)
      EXPECT_TRUE(toolWindow->SetCurrentDock(dock).Alive());
    else
      EXPECT_TRUE(toolWindow->SetParent(Form()).Alive());
    const int width = toolWindow->ClientAreaWidth();
    TDeskBand* inTool = MakeHost(toolWindow);
    EXPECT_TRUE(inTool->SetClassID(kRecordingBand).Alive());
    EXPECT_EQ(toolWindow->ClientAreaHeight(), 26) << place.Name;
    EXPECT_EQ(toolWindow->ClientAreaWidth(), width) << place.Name;

    // The band shows the tool window's themed background: the host has the tool window erase for it.
    toolWindow->SetColor(static_cast<TColor>(RGB(10, 120, 200)));
    TWindowCapture erased(40, 20);
    EXPECT_EQ(SendMessageW(inTool->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(erased.DC()), 0), 1);
    EXPECT_EQ(erased.Pixel(5, 5), RGB(10, 120, 200)) << place.Name;
    delete inTool;
    delete toolWindow;
  }
  // Any other parent is not asked to paint.
  TDeskBand* onForm = MakeHost();
  onForm->HandleNeeded();
  TWindowCapture plain(40, 20);
  SendMessageW(onForm->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(plain.DC()), 0);
  EXPECT_NE(plain.Pixel(5, 5), RGB(10, 120, 200));
}

TEST_F(DeskBandTest, HostileBandInformation) {
  SetBandInfo(DBIF_VIEWMODE_NORMAL, Info(100, 22, -1, -1));
  TDeskBand* host = MakeHost();
  EXPECT_TRUE(host->SetClassID(kRecordingBand).Alive());
  auto expectSane = [&](const char* what) {
    const TSizeConstraints* limits = host->Constraints();
    for (int value :
         {limits->MinWidth(), limits->MaxWidth(), limits->MinHeight(), limits->MaxHeight(), host->Height()}) {
      EXPECT_GE(value, 0) << what;
      EXPECT_LE(value, 32767) << what;
    }
  };
  for (LONG hostile : {LONG_MIN, -2L, 40000L, LONG_MAX}) {
    SetBandInfo(DBIF_VIEWMODE_NORMAL, Info(hostile, hostile, hostile, hostile));
    EXPECT_EQ(BandInfoChanged(), S_OK);
    expectSane(std::to_string(hostile).c_str());
  }

  // A band that fails the query after scribbling over the record leaves the sizes it answered before.
  SetBandInfo(DBIF_VIEWMODE_NORMAL, Info(120, 30, -1, -1));
  BandInfoChanged();
  SetBandInfo(DBIF_VIEWMODE_NORMAL, Info(5000, 9000, 1, 1));
  SetBehaviour(kFailBandInfo);
  EXPECT_EQ(BandInfoChanged(), S_OK);
  EXPECT_EQ(host->Height(), 30);
  EXPECT_EQ(host->BandInfo().ptMinSize.y, 30);
  SetBehaviour(0);

  const DESKBANDINFO valid = Info(200, 24, 600, 40);
  const std::string bytes(reinterpret_cast<const char*>(&valid), sizeof valid);
  TMutator mutator(20261207);
  for (int sample = 0; sample < 300; ++sample) {
    std::string mutated = mutator.Mutate(bytes);
    mutated.resize(sizeof(DESKBANDINFO));
    DESKBANDINFO answer;
    std::memcpy(&answer, mutated.data(), sizeof answer);
    SetBandInfo(DBIF_VIEWMODE_NORMAL, answer);
    ASSERT_EQ(BandInfoChanged(), S_OK) << sample;
    expectSane(("sample " + std::to_string(sample)).c_str());
  }
}

TEST_F(DeskBandTest, ServiceQueriesAnsweredByTheHandler) {
  TDeskBand* host = MakeHost();
  EXPECT_TRUE(host->SetClassID(kRecordingBand).Alive());
  ComPtr<IServiceProvider> provider = SiteAs<IServiceProvider>();
  ASSERT_TRUE(provider);
  ComPtr<IUnknown> service = static_cast<IOleWindow*>(new TServiceObject);
  const GUID someService = {0x11111111, 0x2222, 0x3333, {4, 4, 5, 5, 6, 6, 7, 7}};

  const struct {
    const char* Name;
    std::function<void(ComPtr<IUnknown>&, HRESULT&)> Answer;
    GUID Asked;
    HRESULT Result;
    bool Object;
  } cases[] = {
      {"unanswered", nullptr, IID_IOleWindow, E_NOTIMPL, false},
      {"answered", [&](ComPtr<IUnknown>& obj, HRESULT& r) { obj = service, r = S_OK; }, IID_IOleWindow, S_OK, true},
      {"refused", [&](ComPtr<IUnknown>& obj, HRESULT& r) { obj = service, r = E_FAIL; }, IID_IOleWindow, E_FAIL, false},
      {"success without object", [](ComPtr<IUnknown>&, HRESULT& r) { r = S_OK; }, IID_IOleWindow, E_NOINTERFACE, false},
      {"object of another interface", [&](ComPtr<IUnknown>& obj, HRESULT& r) { obj = service, r = S_OK; },
       IID_IDispatch, E_NOINTERFACE, false},
      {"handler raises", [](ComPtr<IUnknown>&, HRESULT& r) { r = E_ACCESSDENIED, throw Exception(L"raised"); },
       IID_IOleWindow, E_ACCESSDENIED, false},
      {"handler raises after success", [&](ComPtr<IUnknown>& obj, HRESULT& r) { obj = service, r = S_OK, throw 1; },
       IID_IOleWindow, E_FAIL, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    serviceAnswer_ = c.Answer;
    asked_.clear();
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(provider->QueryService(someService, c.Asked, &object), c.Result);
    ASSERT_EQ(asked_.size(), 1u);
    EXPECT_TRUE(IsEqualGUID(asked_[0].first, someService));
    EXPECT_TRUE(IsEqualGUID(asked_[0].second, c.Asked));
    EXPECT_EQ(object != nullptr, c.Object);
    if (object) {
      HWND wnd = nullptr;
      EXPECT_EQ(static_cast<IOleWindow*>(object)->GetWindow(&wnd), S_OK);
      EXPECT_EQ(wnd, GetDesktopWindow());
      static_cast<IOleWindow*>(object)->Release();
    }
  }
  EXPECT_EQ(provider->QueryService(someService, IID_IOleWindow, nullptr), E_POINTER);
  host->OnQueryService = nullptr;
  void* object = reinterpret_cast<void*>(1);
  EXPECT_EQ(provider->QueryService(someService, IID_IOleWindow, &object), E_NOTIMPL);
  EXPECT_EQ(object, nullptr);
}

TEST_F(DeskBandTest, FocusChangesReachTheBand) {
  const struct {
    DWORD Behaviour;
    const char* Log;
  } cases[] = {
      {0, "UIActivateIO(1);UIActivateIO(0);"},
      // A band that reports its focus again from UIActivateIO is activated once, not endlessly.
      {kFocusEcho, "UIActivateIO(1);UIActivateIO(0);"},
      {kNoInputObject, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Behaviour);
    SetBehaviour(c.Behaviour);
    TDeskBand* host = MakeHost();
    EXPECT_TRUE(host->SetClassID(kRecordingBand).Alive());
    ComPtr<IInputObjectSite> site = SiteAs<IInputObjectSite>();
    ASSERT_TRUE(site);
    ClearLog();
    EXPECT_EQ(site->OnFocusChangeIS(host->Band(), TRUE), S_OK);
    EXPECT_EQ(site->OnFocusChangeIS(host->Band(), FALSE), S_OK);
    EXPECT_EQ(NewLog(), c.Log);
    site.Reset();
    delete host;
  }
}

TEST_F(DeskBandTest, ClassIdChanges) {
  TDeskBand* host = MakeHost();
  EXPECT_TRUE(host->SetClassID(kRecordingBand).Alive());
  ASSERT_EQ(LiveBands(), 1);

  // The same id again sites the loaded band anew.
  ClearLog();
  EXPECT_TRUE(host->SetClassID(L"{6a3c1e52-3f0b-4c47-9d0e-5b1a2c7d8e90}").Alive());
  EXPECT_EQ(NewLog(), "SetSite(site);");
  EXPECT_EQ(LiveBands(), 1);

  // Text that is no class id changes nothing.
  EXPECT_THROW((void)host->SetClassID(L"{not a class id}"), EOleSysError);
  EXPECT_NE(host->Band(), nullptr);

  // With NeedReCreate the band is loaded again into a new window.
  host->SetNeedReCreate(true);
  HWND before = host->Handle();
  ClearLog();
  EXPECT_TRUE(host->SetClassID(kRecordingBand).Alive());
  EXPECT_EQ(NewLog(), "SetSite(null);Destroyed;SetSite(site);GetWindow;GetBandInfo(0,0);");
  EXPECT_NE(host->Handle(), before);
  EXPECT_EQ(GetParent(host->BandWindow()), host->Handle());
  EXPECT_EQ(LiveBands(), 1);

  // The null id (or no text) lets the band go and loads nothing.
  for (const wchar_t* none : {kNullId, L""}) {
    EXPECT_TRUE(host->SetClassID(kRecordingBand).Alive());
    ClearLog();
    EXPECT_TRUE(host->SetClassID(none).Alive());
    EXPECT_EQ(NewLog(), "SetSite(null);Destroyed;");
    EXPECT_EQ(host->ClassID(), kNullId);
    EXPECT_EQ(host->Band(), nullptr);
    EXPECT_EQ(host->BandWindow(), nullptr);
    EXPECT_EQ(LiveBands(), 0);
  }
}

TEST_F(DeskBandTest, ReleaseTakesTheBandOffItsSiteFirst) {
  for (const wchar_t* id : {kRecordingBand, kSiteOnlyBand}) {
    SCOPED_TRACE(testing::PrintToString(String(id)));
    TDeskBand* host = MakeHost();
    EXPECT_TRUE(host->SetClassID(id).Alive());
    EXPECT_GE(host->RefCount(), 1u);
    ClearLog();
    host->ReleaseBand();
    EXPECT_EQ(NewLog(), "SetSite(null);Destroyed;");
    EXPECT_EQ(host->RefCount(), 0u);
    EXPECT_EQ(host->ObjectWithSite(), nullptr);

    EXPECT_TRUE(host->SetClassID(id).Alive());
    ClearLog();
    delete host;
    EXPECT_EQ(NewLog(), "SetSite(null);Destroyed;");
    EXPECT_EQ(LiveBands(), 0);
  }
}

}  // namespace

namespace {

TEST_F(DeskBandTest, StoredHostLoadsItsBandOnceWhenRead) {
  TForm source(nullptr);
  source.SetName(L"Main");
  auto* stored = new TDeskBand(&source);
  stored->SetName(L"SearchBand");
  EXPECT_TRUE(stored->SetParent(&source).Alive());
  stored->SetViewMode(TDeskBandViewMode::vmVert);
  EXPECT_TRUE(stored->SetClassID(kRecordingBand).Alive());  // no service handler: nothing loads here
  EXPECT_TRUE(stored->SetVisible(false).Alive());
  stored->SetNeedReCreate(true);
  EXPECT_EQ(Log(), "");
  const String text = ComponentToText(&source);

  TForm target(nullptr);
  ReadComponentFromText(text, &target);
  auto* read = ObjectAs<TDeskBand>(target.FindComponent(L"SearchBand"));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(Log(), "SetSite(site);GetWindow;GetBandInfo(0,1);");
  EXPECT_EQ(LiveBands(), 1);
  EXPECT_EQ(read->ClassID(), kRecordingBand);
  EXPECT_TRUE(read->NeedReCreate());
  EXPECT_FALSE(read->Visible()) << "reading the class id keeps the stored visibility";
}

}  // namespace
