// The base of the COM objects implemented in this code: a thread-safe reference count and QueryInterface over the
// interfaces listed, the first of which gives the object's IUnknown identity. Counted from 0 like every COM object
// of the framework: hand a new one to a ComPtr at once.
#pragma once

#include <unknwn.h>
#include <windows.h>

#include <atomic>

template <class... Interfaces>
class TComObject : public Interfaces... {
  static_assert(sizeof...(Interfaces) > 0, "a COM object implements at least one interface");

 public:
  TComObject() = default;
  TComObject(const TComObject&) = delete;
  TComObject& operator=(const TComObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = FindInterface(iid);
    if (!*object) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refCount_; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG count = --refCount_;
    if (count == 0) delete this;
    return count;
  }

 protected:
  virtual ~TComObject() = default;

  // The interface pointer answering iid, or null. An object that answers more ids than its listed interfaces (the
  // base of one of them, such as ISequentialStream of IStream) overrides this and falls back to it.
  virtual void* FindInterface(REFIID iid) {
    if (IsEqualIID(iid, IID_IUnknown)) return Identity();
    void* found = nullptr;
    auto match = [&](void* candidate, REFIID candidateId) {
      if (!found && IsEqualIID(iid, candidateId)) found = candidate;
    };
    (match(static_cast<Interfaces*>(this), __uuidof(Interfaces)), ...);
    return found;
  }

 private:
  template <class First, class...>
  struct FirstOf {
    using Type = First;
  };

  IUnknown* Identity() { return static_cast<typename FirstOf<Interfaces...>::Type*>(this); }

  std::atomic<ULONG> refCount_{0};
};
