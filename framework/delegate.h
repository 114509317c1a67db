// Event values: a TDelegate holds either an object and one of its member functions, which compares equal to the
// same pair (so lists of handlers can be unregistered), or any other callable, which compares equal to nothing.
#pragma once

#include <cstddef>
#include <cstring>
#include <functional>
#include <new>
#include <type_traits>
#include <typeinfo>
#include <utility>

namespace delegate_detail {
// A class the compiler knows nothing of: a pointer to its member functions has the largest form there is.
class TUnknownClass;
constexpr size_t kMethodSize = sizeof(void(TUnknownClass::*)());
}  // namespace delegate_detail

template <class Signature>
class TDelegate;

// An object and member function pair lives inline, so binding one allocates nothing and calling it is one
// indirect call. Any other callable lives in a holder on the heap of the delegate's own. A call reads what it needs
// before it starts, so a handler may reassign or free the very delegate it was called through: the holder then
// goes when the last call of it returns. A delegate is called on one thread at a time, so that the calls under way
// are counted without the atomic steps a shared count would take on every call.
template <class R, class... Args>
class TDelegate<R(Args...)> {
 public:
  TDelegate() = default;
  TDelegate(std::nullptr_t) {}

  template <class T, class M>
  TDelegate(T* object, R (M::*method)(Args...)) {
    BindMethod<T>(object, method);
  }

  template <class T, class M>
  TDelegate(const T* object, R (M::*method)(Args...) const) {
    BindMethod<const T>(object, method);
  }

  template <class F, class = std::enable_if_t<!std::is_same_v<std::decay_t<F>, TDelegate> &&
                                              std::is_invocable_r_v<R, F&, Args...>>>
  TDelegate(F&& callable) {
    Callable call(std::forward<F>(callable));
    // An empty std::function or a null function pointer makes an empty delegate.
    if (!call) return;
    holder_ = new THolder{std::move(call)};
    invoke_ = &InvokeCallable;
  }

  // Copies hold a callable of their own, as std::function does.
  TDelegate(const TDelegate& other) { CopyFrom(other); }
  TDelegate(TDelegate&& other) noexcept { Swap(other); }
  TDelegate& operator=(const TDelegate& other) {
    TDelegate copy(other);
    Swap(copy);
    return *this;
  }
  TDelegate& operator=(TDelegate&& other) noexcept {
    TDelegate taken(std::move(other));
    Swap(taken);
    return *this;
  }
  ~TDelegate() { ReleaseHolder(); }

  explicit operator bool() const { return invoke_ != nullptr; }

  R operator()(Args... args) const {
    if (!invoke_) throw std::bad_function_call();
    return invoke_(*this, std::forward<Args>(args)...);
  }

  // Two delegates are equal when both are empty or both name the same object and member function.
  bool operator==(const TDelegate& other) const {
    if (!invoke_ && !other.invoke_) return true;
    return object_ && object_ == other.object_ && methodType_ && other.methodType_ &&
           *methodType_ == *other.methodType_ && sameMethod_(method_, other.method_);
  }
  bool operator!=(const TDelegate& other) const { return !(*this == other); }
  bool operator==(std::nullptr_t) const { return !invoke_; }
  bool operator!=(std::nullptr_t) const { return invoke_ != nullptr; }

  // The object of a member-function delegate, else null.
  const void* Object() const { return object_; }

 private:
  using Callable = std::function<R(Args...)>;
  struct THolder {
    Callable Call;
    int Calls = 0;          // calls of it under way
    bool Orphaned = false;  // its delegate let go of it during one of them
  };
  using Invoker = R (*)(const TDelegate& self, Args&&... args);

  template <class T, class M>
  void BindMethod(T* object, M method) {
    static_assert(sizeof(M) <= sizeof(method_), "member function pointer too large");
    if (!object || !method) return;
    object_ = object;
    methodType_ = &typeid(M);
    sameMethod_ = &SameMethod<M>;
    ::new (static_cast<void*>(method_)) M(method);
    invoke_ = &InvokeMethod<T, M>;
  }

  // Never inlined: it is called through a pointer anyway, and inlined beside the binding of an object smaller than
  // a pointer, GCC follows the object but not the stored method and warns about the table read a virtual method
  // would make.
  template <class T, class M>
  __declspec(noinline) static R InvokeMethod(const TDelegate& self, Args&&... args) {
    const M method = StoredMethod<M>(self.method_);
    T* object = static_cast<T*>(const_cast<void*>(self.object_));
    return (object->*method)(std::forward<Args>(args)...);
  }

  static R InvokeCallable(const TDelegate& self, Args&&... args) {
    // Keeps the callable alive should the call free or reassign the delegate.
    THolder* holder = self.holder_;
    ++holder->Calls;
    struct TCallEnd {
      THolder* Holder;
      ~TCallEnd() {
        if (--Holder->Calls == 0 && Holder->Orphaned) delete Holder;
      }
    } end{holder};
    return holder->Call(std::forward<Args>(args)...);
  }

  void ReleaseHolder() noexcept {
    if (!holder_) return;
    if (holder_->Calls > 0)
      holder_->Orphaned = true;
    else
      delete holder_;
    holder_ = nullptr;
  }

  template <class M>
  static const M& StoredMethod(const unsigned char* storage) {
    return *std::launder(reinterpret_cast<const M*>(storage));
  }

  template <class M>
  static bool SameMethod(const unsigned char* a, const unsigned char* b) {
    return StoredMethod<M>(a) == StoredMethod<M>(b);
  }

  void CopyFrom(const TDelegate& other) {
    invoke_ = other.invoke_;
    object_ = other.object_;
    methodType_ = other.methodType_;
    sameMethod_ = other.sameMethod_;
    std::memcpy(method_, other.method_, sizeof method_);
    if (other.holder_) holder_ = new THolder{other.holder_->Call};
  }

  void Swap(TDelegate& other) noexcept {
    std::swap(invoke_, other.invoke_);
    std::swap(object_, other.object_);
    std::swap(methodType_, other.methodType_);
    std::swap(sameMethod_, other.sameMethod_);
    std::swap(method_, other.method_);
    std::swap(holder_, other.holder_);
  }

  Invoker invoke_ = nullptr;
  const void* object_ = nullptr;
  const std::type_info* methodType_ = nullptr;
  bool (*sameMethod_)(const unsigned char* a, const unsigned char* b) = nullptr;
  alignas(void*) unsigned char method_[delegate_detail::kMethodSize] = {};
  THolder* holder_ = nullptr;
};

class TObject;
using TNotifyEvent = TDelegate<void(TObject* Sender)>;
