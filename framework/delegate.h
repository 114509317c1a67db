// Event values: a TDelegate holds either an object and one of its member functions, which compares equal to the
// same pair (so lists of handlers can be unregistered), or any other callable, which compares equal to nothing.
#pragma once

#include <cstring>
#include <functional>
#include <typeinfo>
#include <utility>

template <class Signature>
class TDelegate;

template <class R, class... Args>
class TDelegate<R(Args...)> {
 public:
  TDelegate() = default;
  TDelegate(std::nullptr_t) {}

  template <class T, class M>
  TDelegate(T* object, R (M::*method)(Args...)) {
    BindMethod(object, method, [object, method](Args... args) -> R {
      return (object->*method)(std::forward<Args>(args)...);
    });
  }

  template <class T, class M>
  TDelegate(const T* object, R (M::*method)(Args...) const) {
    BindMethod(object, method, [object, method](Args... args) -> R {
      return (object->*method)(std::forward<Args>(args)...);
    });
  }

  template <class F, class = std::enable_if_t<!std::is_same_v<std::decay_t<F>, TDelegate> &&
                                              std::is_invocable_r_v<R, F&, Args...>>>
  TDelegate(F&& callable) : call_(std::forward<F>(callable)) {}

  explicit operator bool() const { return static_cast<bool>(call_); }

  R operator()(Args... args) const { return call_(std::forward<Args>(args)...); }

  // Two delegates are equal when both are empty or both name the same object and member function.
  bool operator==(const TDelegate& other) const {
    if (!call_ && !other.call_) return true;
    return object_ && object_ == other.object_ && methodType_ && other.methodType_ &&
           *methodType_ == *other.methodType_ && std::memcmp(method_, other.method_, sizeof method_) == 0;
  }
  bool operator!=(const TDelegate& other) const { return !(*this == other); }
  bool operator==(std::nullptr_t) const { return !call_; }
  bool operator!=(std::nullptr_t) const { return static_cast<bool>(call_); }

  // The object of a member-function delegate, else null.
  const void* Object() const { return object_; }

 private:
  template <class T, class M, class F>
  void BindMethod(T* object, M method, F&& call) {
    static_assert(sizeof(M) <= sizeof(method_), "member function pointer too large");
    object_ = object;
    methodType_ = &typeid(M);
    std::memcpy(method_, &method, sizeof(M));
    call_ = std::forward<F>(call);
  }

  std::function<R(Args...)> call_;
  const void* object_ = nullptr;
  const std::type_info* methodType_ = nullptr;
  unsigned char method_[32] = {};
};

class TObject;
using TNotifyEvent = TDelegate<void(TObject* Sender)>;
