// Typed class references: a hierarchy whose constructors take something other than an owner (an item viewer its
// item and view, a theme its name, a data format its owner list) names a class by a TClassRef, which creates
// instances of exactly that class and compares and tests inheritance through the metaclass.
#pragma once

#include <memory>
#include <type_traits>
#include <utility>

#include "framework/object.h"

template <class Base, class... Args>
class TClassRef {
 public:
  TClassRef() = default;

  // The reference to T; an abstract T gives a reference that compares and tests inheritance but creates nothing.
  template <class T>
  static TClassRef Of() {
    static_assert(std::is_base_of_v<Base, T>, "the class must belong to the hierarchy");
    if constexpr (std::is_abstract_v<T>) {
      return TClassRef(T::StaticClass(), nullptr);
    } else {
      static_assert(std::is_constructible_v<T, Args...>, "the class must take the hierarchy's arguments");
      return TClassRef(T::StaticClass(), &Construct<T>);
    }
  }

  const TClass* Class() const { return cls_; }
  explicit operator bool() const { return cls_ != nullptr; }
  bool IsAbstract() const { return factory_ == nullptr; }
  bool InheritsFrom(const TClass* other) const { return cls_ && cls_->InheritsFrom(other); }
  template <class T>
  bool InheritsFrom() const {
    return InheritsFrom(T::StaticClass());
  }

  // Raises EInvalidOperation for an abstract or empty reference.
  std::unique_ptr<Base> Create(Args... args) const {
    if (!factory_) RaiseCannotCreate(cls_);
    return std::unique_ptr<Base>(factory_(std::forward<Args>(args)...));
  }

  bool operator==(const TClassRef& other) const { return cls_ == other.cls_; }
  bool operator!=(const TClassRef& other) const { return cls_ != other.cls_; }

 private:
  using Factory = Base* (*)(Args...);
  TClassRef(const TClass* cls, Factory factory) : cls_(cls), factory_(factory) {}

  template <class T>
  static Base* Construct(Args... args) {
    return new T(std::forward<Args>(args)...);
  }

  const TClass* cls_ = nullptr;
  Factory factory_ = nullptr;
};
