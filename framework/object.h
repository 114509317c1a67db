// The root of the class hierarchy: run-time class information, class references and numbered message dispatch.
#pragma once

#include <windows.h>

#include <string>
#include <type_traits>

using String = std::wstring;

class TObject;
class TComponent;

// A window or framework message as every Dispatch sees it.
struct TMessage {
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
};

// The metaclass of one class: its name, its base and, when the class is concrete, a factory. A "class reference"
// is a const TClass*; classes are compared by pointer.
class TClass {
 public:
  using Factory = TObject* (*)(TComponent* owner);

  TClass(const wchar_t* name, const TClass* parent, Factory factory)
      : name_(name), parent_(parent), factory_(factory) {}
  TClass(const TClass&) = delete;
  TClass& operator=(const TClass&) = delete;

  String ClassName() const { return name_; }
  const TClass* ClassParent() const { return parent_; }
  bool InheritsFrom(const TClass* other) const;
  bool IsAbstract() const { return factory_ == nullptr; }
  // Creates an instance; components are given the owner, other classes ignore it. Raises for abstract classes.
  TObject* Create(TComponent* owner = nullptr) const;

 private:
  const wchar_t* name_;
  const TClass* parent_;
  Factory factory_;
};

template <class T>
TObject* ClassFactory(TComponent* owner) {
  if constexpr (std::is_abstract_v<T>) {
    return nullptr;
  } else if constexpr (std::is_constructible_v<T, TComponent*>) {
    return new T(owner);
  } else if constexpr (std::is_default_constructible_v<T>) {
    (void)owner;
    return new T();
  } else {
    (void)owner;
    return nullptr;
  }
}

template <class T>
constexpr TClass::Factory ClassFactoryOf() {
  if constexpr (std::is_abstract_v<T> ||
                !(std::is_constructible_v<T, TComponent*> || std::is_default_constructible_v<T>))
    return nullptr;
  else
    return &ClassFactory<T>;
}

// Declares and defines the metaclass of a class; place it first in the class body. Leaves the access public.
#define BC_CLASS(Type, Base)                                                        \
 public:                                                                           \
  using inherited = Base;                                                          \
  static const ::TClass* StaticClass() {                                           \
    static const ::TClass cls(L"" #Type, Base::StaticClass(), ::ClassFactoryOf<Type>()); \
    return &cls;                                                                   \
  }                                                                                \
  const ::TClass* ClassType() const override { return StaticClass(); }

class TObject {
 public:
  static const TClass* StaticClass();

  TObject() = default;
  TObject(const TObject&) = default;
  TObject& operator=(const TObject&) = default;
  virtual ~TObject() = default;

  virtual const TClass* ClassType() const { return StaticClass(); }
  String ClassName() const { return ClassType()->ClassName(); }
  bool InheritsFrom(const TClass* cls) const { return ClassType()->InheritsFrom(cls); }
  template <class T>
  bool Is() const {
    return InheritsFrom(T::StaticClass());
  }

  // Numbered messages reach an object here; a class overrides Dispatch with a switch over the numbers it handles
  // and passes the rest to its base. What no class handles ends in DefaultHandler.
  virtual void Dispatch(TMessage& message) { DefaultHandler(message); }
  virtual void DefaultHandler(TMessage& message) { (void)message; }
};

// Raises EInvalidOperation: no instance of an abstract class (or of no class) can be made.
[[noreturn]] void RaiseCannotCreate(const TClass* cls);

// The class-name registry of streaming: a class must be registered before a stored form can create it.
void RegisterPersistentClass(const TClass* cls);
void UnregisterPersistentClass(const TClass* cls);
// Null when no class of that name is registered.
const TClass* GetClass(const String& name);
// Raises EClassNotFound when no class of that name is registered.
const TClass* FindClass(const String& name);

// A checked downcast: null when obj is null or not of class T.
template <class T, class U>
T* ObjectAs(U* obj) {
  return obj && obj->template Is<T>() ? static_cast<T*>(obj) : nullptr;
}
