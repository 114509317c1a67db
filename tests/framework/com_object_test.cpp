#include "framework/com_object.h"

#include <gtest/gtest.h>
#include <oleidl.h>
#include <wrl/client.h>

#include <new>
#include <stdexcept>
#include <thread>
#include <vector>

#include "framework/com_guard.h"
#include "framework/exceptions.h"
#include "support/com_references.h"

using Microsoft::WRL::ComPtr;

namespace {

// An object with two interfaces that reports its own end.
class TwoInterfaces : public TComObject<IDropSource, IDropTarget> {
 public:
  explicit TwoInterfaces(int* destroyed) : destroyed_(destroyed) {}
  ~TwoInterfaces() override { ++*destroyed_; }

  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL, DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject*, DWORD, POINTL, DWORD*) override { return S_OK; }

 private:
  int* destroyed_;
};

}  // namespace

TEST(ComObject, QueryInterfaceAnswersTheListedInterfacesWithOneIdentity) {
  int destroyed = 0;
  ComPtr<IDropSource> source = new TwoInterfaces(&destroyed);
  auto* object = static_cast<TwoInterfaces*>(source.Get());
  struct Case {
    IID iid;
    HRESULT result;
    void* pointer;
  };
  const Case cases[] = {
      {IID_IUnknown, S_OK, static_cast<IDropSource*>(object)},
      {IID_IDropSource, S_OK, static_cast<IDropSource*>(object)},
      {IID_IDropTarget, S_OK, static_cast<IDropTarget*>(object)},
      {IID_IDataObject, E_NOINTERFACE, nullptr},
      {IID_IStream, E_NOINTERFACE, nullptr},
  };
  for (const Case& c : cases) {
    void* answer = reinterpret_cast<void*>(1);
    EXPECT_EQ(source->QueryInterface(c.iid, &answer), c.result);
    EXPECT_EQ(answer, c.pointer);
    EXPECT_EQ(ReferenceCount(source.Get()), c.pointer ? 2u : 1u);
    if (answer) static_cast<IUnknown*>(answer)->Release();
  }
  // Every interface leads back to the same IUnknown.
  ComPtr<IDropTarget> target;
  ASSERT_EQ(source.As(&target), S_OK);
  ComPtr<IUnknown> fromSource, fromTarget;
  source.As(&fromSource);
  target.As(&fromTarget);
  EXPECT_EQ(fromSource.Get(), fromTarget.Get());
  EXPECT_EQ(source->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
  EXPECT_EQ(destroyed, 0);
}

TEST(ComObject, CountsFromZeroAndEndsOnceUnderConcurrentUse) {
  int destroyed = 0;
  auto* object = new TwoInterfaces(&destroyed);
  EXPECT_EQ(object->AddRef(), 1u);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([object] {
      for (int i = 0; i < 20000; ++i) {
        static_cast<IDropTarget*>(object)->AddRef();
        static_cast<IDropSource*>(object)->Release();
      }
    });
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(destroyed, 0);
  EXPECT_EQ(static_cast<IDropSource*>(object)->Release(), 0u);
  EXPECT_EQ(destroyed, 1);
}

TEST(ComGuard, EachEscapingExceptionBecomesItsResultCode) {
  struct Case {
    const char* name;
    void (*raise)();
    HRESULT otherwise;
    HRESULT expected;
  };
  const Case cases[] = {
      {"out of memory", [] { throw std::bad_alloc(); }, E_UNEXPECTED, E_OUTOFMEMORY},
      {"out of memory, own fallback", [] { throw std::bad_alloc(); }, E_FAIL, E_OUTOFMEMORY},
      {"failed COM call", [] { throw EOleSysError(L"x", DV_E_FORMATETC); }, E_UNEXPECTED, DV_E_FORMATETC},
      {"COM error with a success code", [] { throw EOleSysError(L"x", S_FALSE); }, E_FAIL, E_FAIL},
      {"framework exception", [] { throw EConvertError(L"x"); }, E_UNEXPECTED, E_UNEXPECTED},
      {"standard exception", [] { throw std::runtime_error("x"); }, E_UNEXPECTED, E_UNEXPECTED},
      {"anything thrown", [] { throw 42; }, STG_E_CANTSAVE, STG_E_CANTSAVE},
      {"nothing thrown", [] {}, E_UNEXPECTED, S_OK},
  };
  for (const Case& c : cases) EXPECT_EQ(ComGuard(c.raise, c.otherwise), c.expected) << c.name;
  EXPECT_EQ(ComGuard([] { return S_FALSE; }), S_FALSE);
}
