// Published properties: the per-class tables that the form reader and writer use to store components.
//
// A class lists the properties it stores with forms once, next to the class, by overriding PublishedTable:
//
//   const TPublishedTable& TTimer::PublishedTable() const {
//     using P = TPublished<TTimer>;
//     static const TPublishedTable table(&inherited::PublishedTable(), {
//         P::Boolean(L"Enabled", &TTimer::Enabled, &TTimer::SetEnabled).Default(true),
//         P::Integer(L"Interval", &TTimer::Interval, &TTimer::SetInterval).Default(1000),
//         P::Event(L"OnTimer", &TTimer::OnTimer, &TTimer::SetOnTimer),
//     });
//     return table;
//   }
//
// A table chains to its base class's table; a property declared again in a derived table replaces the base's
// entry in place (to change its default or stored rule). A form class also lists the methods that stored events
// name (P::Method(L"Timer1Timer", &TMainForm::Timer1Timer)) as the third argument.
//
// Defaults: a value equal to the default is not written. Strings default to empty, component references to none
// and events to unassigned; the other kinds have no default unless one is given, so they are always written.
// A stored predicate (Stored) that says no keeps the value out of the form whatever it is.
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "framework/component.h"
#include "framework/delegate.h"
#include "framework/set.h"

enum class TPropertyKind {
  pkInteger,
  pkBoolean,
  pkString,
  pkEnumeration,
  pkSet,
  pkColor,
  pkFloat,
  pkComponent,
  pkPersistent,
  pkEvent
};

// One published property of a class. The reader and writer look at Kind and use the matching interface below.
class TPropertyInfo {
 public:
  TPropertyInfo(String name, TPropertyKind kind) : name_(std::move(name)), kind_(kind) {}
  virtual ~TPropertyInfo() = default;

  const String& Name() const { return name_; }
  TPropertyKind Kind() const { return kind_; }
  // The stored predicate: false keeps the property out of the form.
  virtual bool IsStored(TPersistent* instance) const = 0;
  // True when the value equals the property's default, so the writer leaves it out.
  virtual bool IsDefault(TPersistent* instance) const = 0;

 private:
  String name_;
  TPropertyKind kind_;
};

// Integers, booleans (0 and 1), enumerations (the ordinal), sets (the bit mask) and colours.
class TOrdinalPropertyInfo : public TPropertyInfo {
 public:
  using TPropertyInfo::TPropertyInfo;
  virtual int64_t GetOrdinal(TPersistent* instance) const = 0;
  virtual void SetOrdinal(TPersistent* instance, int64_t value) const = 0;
  // False when the property's type cannot hold the value.
  virtual bool InRange(int64_t value) const = 0;
  // The value names of enumerations and the element names of sets, indexed by ordinal; empty otherwise.
  virtual const std::vector<String>& Names() const = 0;
};

class TStringPropertyInfo : public TPropertyInfo {
 public:
  using TPropertyInfo::TPropertyInfo;
  virtual String GetString(TPersistent* instance) const = 0;
  virtual void SetString(TPersistent* instance, const String& value) const = 0;
};

class TFloatPropertyInfo : public TPropertyInfo {
 public:
  using TPropertyInfo::TPropertyInfo;
  virtual long double GetFloat(TPersistent* instance) const = 0;
  virtual void SetFloat(TPersistent* instance, long double value) const = 0;
  // False when the property's type cannot hold the value as a finite number.
  virtual bool InRange(long double value) const = 0;
  // Whether the property's type holds more than a double (a long double of the extended type): its values are
  // stored with the digits that type needs.
  virtual bool Extended() const = 0;
};

// A reference to another component of the form, stored by name and linked after the whole form is read.
class TComponentPropertyInfo : public TPropertyInfo {
 public:
  using TPropertyInfo::TPropertyInfo;
  virtual TComponent* GetComponent(TPersistent* instance) const = 0;
  // False when the component is not of the property's class; the value is then left unchanged.
  virtual bool SetComponent(TPersistent* instance, TComponent* value) const = 0;
};

// An object the instance owns (a font, a picture): its own properties are stored as "Font.Name = ...".
class TPersistentPropertyInfo : public TPropertyInfo {
 public:
  using TPropertyInfo::TPropertyInfo;
  virtual TPersistent* GetObject(TPersistent* instance) const = 0;
};

// An event, stored as the name of a method that the form's root class publishes.
class TEventPropertyInfo : public TPropertyInfo {
 public:
  using TPropertyInfo::TPropertyInfo;
  // The name of the root's published method the event is bound to; empty when it is bound to none of them.
  virtual String MethodName(TPersistent* instance, TPersistent* root) const = 0;
  // Binds the event to the root's method of that name. False when the root publishes no such method or its
  // signature does not fit the event.
  virtual bool BindMethod(TPersistent* instance, TPersistent* root, const String& name) const = 0;
};

// One method a class publishes for stored events.
class TMethodInfo {
 public:
  explicit TMethodInfo(String name) : name_(std::move(name)) {}
  virtual ~TMethodInfo() = default;
  const String& Name() const { return name_; }

 private:
  String name_;
};

// A published method bound to a root object as an event value of signature Sig.
template <class Sig>
class TMethodBinding : public TMethodInfo {
 public:
  using TMethodInfo::TMethodInfo;
  virtual TDelegate<Sig> Bind(TPersistent* root) const = 0;
};

// An entry of a table's initializer list; takes any property or method description.
template <class Info>
class TTableEntry {
 public:
  template <class T, class = std::enable_if_t<std::is_base_of_v<Info, T>>>
  TTableEntry(T info) : info_(std::make_shared<T>(std::move(info))) {}
  std::shared_ptr<const Info> Get() const { return info_; }

 private:
  std::shared_ptr<const Info> info_;
};

// The properties and methods one class publishes, chained to its base class's table.
class TPublishedTable {
 public:
  TPublishedTable() = default;
  TPublishedTable(const TPublishedTable* base, std::initializer_list<TTableEntry<TPropertyInfo>> properties,
                  std::initializer_list<TTableEntry<TMethodInfo>> methods = {});
  TPublishedTable(const TPublishedTable&) = delete;
  TPublishedTable& operator=(const TPublishedTable&) = delete;

  // Names are compared without regard to case. Null when neither this table nor a base table has the name.
  const TPropertyInfo* FindProperty(const String& name) const;
  const TMethodInfo* FindMethod(const String& name) const;
  // Every property in storing order: the base's first (with redeclared ones in their base position), then the
  // class's own.
  std::vector<const TPropertyInfo*> Properties() const;
  std::vector<const TMethodInfo*> Methods() const;

 private:
  const TPublishedTable* base_ = nullptr;
  std::vector<std::shared_ptr<const TPropertyInfo>> properties_;
  std::vector<std::shared_ptr<const TMethodInfo>> methods_;
};

namespace published_detail {

template <class T>
struct DelegateSignature;
template <class Sig>
struct DelegateSignature<TDelegate<Sig>> {
  using Type = Sig;
};

template <class T>
struct SetTraits : std::false_type {};
template <class E, std::size_t N>
struct SetTraits<TSet<E, N>> : std::true_type {
  static constexpr std::size_t Size = N;
};

// The accessors, default and stored rule every typed property shares. Self is the concrete property class, so
// that Default and Stored can be chained in a table.
template <class Self, class Base, class C, class T>
class TTypedProperty : public Base {
 public:
  using Getter = std::function<T(C*)>;
  using Setter = std::function<void(C*, T)>;

  TTypedProperty(String name, TPropertyKind kind, Getter getter, Setter setter)
      : Base(std::move(name), kind), get_(std::move(getter)), set_(std::move(setter)) {}

  Self& Default(T value) {
    default_ = std::move(value);
    return static_cast<Self&>(*this);
  }
  // A member function or callable of C answering whether the value is stored, or a constant.
  template <class Predicate>
  Self& Stored(Predicate predicate) {
    if constexpr (std::is_same_v<Predicate, bool>)
      stored_ = [predicate](C*) { return predicate; };
    else
      stored_ = [predicate](C* instance) { return static_cast<bool>(std::invoke(predicate, instance)); };
    return static_cast<Self&>(*this);
  }

  bool IsStored(TPersistent* instance) const override { return !stored_ || stored_(Cast(instance)); }
  bool IsDefault(TPersistent* instance) const override { return default_ && Get(instance) == *default_; }

 protected:
  static C* Cast(TPersistent* instance) { return static_cast<C*>(instance); }
  T Get(TPersistent* instance) const { return get_(Cast(instance)); }
  void Set(TPersistent* instance, T value) const { set_(Cast(instance), std::move(value)); }

  std::optional<T> default_;

 private:
  Getter get_;
  Setter set_;
  std::function<bool(C*)> stored_;
};

template <class C, class T>
class TIntegerProperty : public TTypedProperty<TIntegerProperty<C, T>, TOrdinalPropertyInfo, C, T> {
  using Base = TTypedProperty<TIntegerProperty<C, T>, TOrdinalPropertyInfo, C, T>;

 public:
  using Base::Base;
  int64_t GetOrdinal(TPersistent* instance) const override { return static_cast<int64_t>(this->Get(instance)); }
  void SetOrdinal(TPersistent* instance, int64_t value) const override { this->Set(instance, static_cast<T>(value)); }
  bool InRange(int64_t value) const override {
    if constexpr (std::is_signed_v<T>)
      return value >= static_cast<int64_t>(std::numeric_limits<T>::min()) &&
             value <= static_cast<int64_t>(std::numeric_limits<T>::max());
    else
      return value >= 0 && static_cast<uint64_t>(value) <= static_cast<uint64_t>(std::numeric_limits<T>::max());
  }
  const std::vector<String>& Names() const override {
    static const std::vector<String> none;
    return none;
  }
};

template <class C>
class TBooleanProperty : public TTypedProperty<TBooleanProperty<C>, TOrdinalPropertyInfo, C, bool> {
  using Base = TTypedProperty<TBooleanProperty<C>, TOrdinalPropertyInfo, C, bool>;

 public:
  using Base::Base;
  int64_t GetOrdinal(TPersistent* instance) const override { return this->Get(instance) ? 1 : 0; }
  void SetOrdinal(TPersistent* instance, int64_t value) const override { this->Set(instance, value != 0); }
  bool InRange(int64_t value) const override { return value == 0 || value == 1; }
  const std::vector<String>& Names() const override {
    static const std::vector<String> names{L"False", L"True"};
    return names;
  }
};

// Enumerations (Names by ordinal) and sets of them (Names by bit).
template <class C, class T>
class TNamedOrdinalProperty : public TTypedProperty<TNamedOrdinalProperty<C, T>, TOrdinalPropertyInfo, C, T> {
  using Base = TTypedProperty<TNamedOrdinalProperty<C, T>, TOrdinalPropertyInfo, C, T>;

 public:
  TNamedOrdinalProperty(String name, TPropertyKind kind, typename Base::Getter getter, typename Base::Setter setter,
                        std::initializer_list<const wchar_t*> names)
      : Base(std::move(name), kind, std::move(getter), std::move(setter)), names_(names.begin(), names.end()) {}

  int64_t GetOrdinal(TPersistent* instance) const override {
    if constexpr (SetTraits<T>::value)
      return static_cast<int64_t>(this->Get(instance).ToBits());
    else
      return static_cast<int64_t>(this->Get(instance));
  }
  void SetOrdinal(TPersistent* instance, int64_t value) const override {
    if constexpr (SetTraits<T>::value)
      this->Set(instance, T::FromBits(static_cast<unsigned long long>(value)));
    else
      this->Set(instance, static_cast<T>(value));
  }
  bool InRange(int64_t value) const override {
    const auto count = static_cast<int64_t>(names_.size());
    if constexpr (SetTraits<T>::value)
      return value >= 0 && (count >= 63 || value < (int64_t{1} << count));
    else
      return value >= 0 && value < count;
  }
  const std::vector<String>& Names() const override { return names_; }

 private:
  std::vector<String> names_;
};

// Colours are 32-bit values written by name where they have one; both signed and unsigned readings of a stored
// number are accepted, as system colours have the high bit set.
template <class C, class T>
class TColorProperty : public TTypedProperty<TColorProperty<C, T>, TOrdinalPropertyInfo, C, T> {
  using Base = TTypedProperty<TColorProperty<C, T>, TOrdinalPropertyInfo, C, T>;

 public:
  using Base::Base;
  int64_t GetOrdinal(TPersistent* instance) const override {
    return static_cast<int64_t>(static_cast<int32_t>(this->Get(instance)));
  }
  void SetOrdinal(TPersistent* instance, int64_t value) const override {
    this->Set(instance, static_cast<T>(static_cast<int32_t>(static_cast<uint32_t>(value))));
  }
  bool InRange(int64_t value) const override {
    return value >= std::numeric_limits<int32_t>::min() && value <= std::numeric_limits<uint32_t>::max();
  }
  const std::vector<String>& Names() const override {
    static const std::vector<String> none;
    return none;
  }
};

// Wide strings, and byte strings whose bytes are kept one to one as characters 0..255.
template <class C, class T>
class TStringProperty : public TTypedProperty<TStringProperty<C, T>, TStringPropertyInfo, C, T> {
  using Base = TTypedProperty<TStringProperty<C, T>, TStringPropertyInfo, C, T>;

 public:
  TStringProperty(String name, typename Base::Getter getter, typename Base::Setter setter)
      : Base(std::move(name), TPropertyKind::pkString, std::move(getter), std::move(setter)) {
    this->default_ = T();
  }
  String GetString(TPersistent* instance) const override {
    T value = this->Get(instance);
    if constexpr (std::is_same_v<T, std::string>) {
      String text;
      text.reserve(value.size());
      for (char c : value) text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
      return text;
    } else {
      return value;
    }
  }
  void SetString(TPersistent* instance, const String& value) const override {
    if constexpr (std::is_same_v<T, std::string>) {
      std::string bytes;
      bytes.reserve(value.size());
      for (wchar_t c : value) bytes.push_back(static_cast<char>(static_cast<unsigned char>(c)));
      this->Set(instance, bytes);
    } else {
      this->Set(instance, value);
    }
  }
};

template <class C, class T>
class TFloatProperty : public TTypedProperty<TFloatProperty<C, T>, TFloatPropertyInfo, C, T> {
  using Base = TTypedProperty<TFloatProperty<C, T>, TFloatPropertyInfo, C, T>;

 public:
  using Base::Base;
  long double GetFloat(TPersistent* instance) const override { return this->Get(instance); }
  void SetFloat(TPersistent* instance, long double value) const override { this->Set(instance, static_cast<T>(value)); }
  bool InRange(long double value) const override {
    return std::isfinite(value) && std::fabs(value) <= static_cast<long double>(std::numeric_limits<T>::max());
  }
  bool Extended() const override { return std::numeric_limits<T>::digits > std::numeric_limits<double>::digits; }
};

// T is a pointer to TComponent or a class derived from it.
template <class C, class T>
class TComponentProperty : public TTypedProperty<TComponentProperty<C, T>, TComponentPropertyInfo, C, T> {
  using Base = TTypedProperty<TComponentProperty<C, T>, TComponentPropertyInfo, C, T>;
  using Target = std::remove_pointer_t<T>;

 public:
  TComponentProperty(String name, typename Base::Getter getter, typename Base::Setter setter)
      : Base(std::move(name), TPropertyKind::pkComponent, std::move(getter), std::move(setter)) {
    this->default_ = nullptr;
  }
  TComponent* GetComponent(TPersistent* instance) const override { return this->Get(instance); }
  bool SetComponent(TPersistent* instance, TComponent* value) const override {
    Target* target = ObjectAs<Target>(value);
    if (value && !target) return false;
    this->Set(instance, target);
    return true;
  }
};

// T is a pointer to the owned TPersistent; the property has no setter, its object is filled in place.
template <class C, class T>
class TPersistentProperty : public TPersistentPropertyInfo {
 public:
  TPersistentProperty(String name, std::function<T(C*)> getter)
      : TPersistentPropertyInfo(std::move(name), TPropertyKind::pkPersistent), get_(std::move(getter)) {}

  template <class Predicate>
  TPersistentProperty& Stored(Predicate predicate) {
    if constexpr (std::is_same_v<Predicate, bool>)
      stored_ = [predicate](C*) { return predicate; };
    else
      stored_ = [predicate](C* instance) { return static_cast<bool>(std::invoke(predicate, instance)); };
    return *this;
  }
  bool IsStored(TPersistent* instance) const override { return !stored_ || stored_(static_cast<C*>(instance)); }
  // The object's own properties decide, one by one.
  bool IsDefault(TPersistent* instance) const override { return GetObject(instance) == nullptr; }
  TPersistent* GetObject(TPersistent* instance) const override { return get_(static_cast<C*>(instance)); }

 private:
  std::function<T(C*)> get_;
  std::function<bool(C*)> stored_;
};

// T is a TDelegate.
template <class C, class T>
class TEventProperty : public TTypedProperty<TEventProperty<C, T>, TEventPropertyInfo, C, T> {
  using Base = TTypedProperty<TEventProperty<C, T>, TEventPropertyInfo, C, T>;
  using Binding = TMethodBinding<typename DelegateSignature<T>::Type>;

 public:
  TEventProperty(String name, typename Base::Getter getter, typename Base::Setter setter)
      : Base(std::move(name), TPropertyKind::pkEvent, std::move(getter), std::move(setter)) {}

  bool IsDefault(TPersistent* instance) const override { return !this->Get(instance); }
  String MethodName(TPersistent* instance, TPersistent* root) const override {
    T value = this->Get(instance);
    if (!value) return {};
    for (const TMethodInfo* method : root->PublishedTable().Methods()) {
      auto binding = dynamic_cast<const Binding*>(method);
      if (binding && binding->Bind(root) == value) return method->Name();
    }
    return {};
  }
  bool BindMethod(TPersistent* instance, TPersistent* root, const String& name) const override {
    auto binding = dynamic_cast<const Binding*>(root->PublishedTable().FindMethod(name));
    if (!binding) return false;
    this->Set(instance, binding->Bind(root));
    return true;
  }
};

template <class C, class R, class... A>
class TMethodEntry : public TMethodBinding<R(A...)> {
 public:
  TMethodEntry(String name, R (C::*method)(A...)) : TMethodBinding<R(A...)>(std::move(name)), method_(method) {}
  TDelegate<R(A...)> Bind(TPersistent* root) const override {
    return TDelegate<R(A...)>(static_cast<C*>(root), method_);
  }

 private:
  R (C::*method_)(A...);
};

template <class C, class G>
using ValueOf = std::decay_t<std::invoke_result_t<G, C*>>;

}  // namespace published_detail

// The helpers that build the entries of class C's table. Getters and setters are member functions of C (or any
// callables taking C*); the value type comes from the getter.
template <class C>
struct TPublished {
  template <class G, class S>
  static auto Integer(String name, G getter, S setter) {
    using T = published_detail::ValueOf<C, G>;
    static_assert(std::is_integral_v<T> && !std::is_same_v<T, bool>, "Integer takes an integral property");
    return published_detail::TIntegerProperty<C, T>(std::move(name), TPropertyKind::pkInteger, getter, setter);
  }
  template <class G, class S>
  static auto Boolean(String name, G getter, S setter) {
    return published_detail::TBooleanProperty<C>(std::move(name), TPropertyKind::pkBoolean, getter, setter);
  }
  template <class G, class S>
  static auto Text(String name, G getter, S setter) {
    using T = published_detail::ValueOf<C, G>;
    static_assert(std::is_same_v<T, String> || std::is_same_v<T, std::string>, "Text takes a string property");
    return published_detail::TStringProperty<C, T>(std::move(name), getter, setter);
  }
  template <class G, class S>
  static auto Float(String name, G getter, S setter) {
    using T = published_detail::ValueOf<C, G>;
    static_assert(std::is_floating_point_v<T>, "Float takes a floating-point property");
    return published_detail::TFloatProperty<C, T>(std::move(name), TPropertyKind::pkFloat, getter, setter);
  }
  // names[i] is the name of the value with ordinal i.
  template <class G, class S>
  static auto Enumeration(String name, G getter, S setter, std::initializer_list<const wchar_t*> names) {
    using T = published_detail::ValueOf<C, G>;
    static_assert(std::is_enum_v<T>, "Enumeration takes an enumeration property");
    return published_detail::TNamedOrdinalProperty<C, T>(std::move(name), TPropertyKind::pkEnumeration, getter, setter,
                                                         names);
  }
  // names[i] is the name of the element with ordinal i.
  template <class G, class S>
  static auto Set(String name, G getter, S setter, std::initializer_list<const wchar_t*> names) {
    using T = published_detail::ValueOf<C, G>;
    static_assert(published_detail::SetTraits<T>::value && published_detail::SetTraits<T>::Size <= 64,
                  "Set takes a TSet property of at most 64 elements");
    return published_detail::TNamedOrdinalProperty<C, T>(std::move(name), TPropertyKind::pkSet, getter, setter, names);
  }
  template <class G, class S>
  static auto Color(String name, G getter, S setter) {
    using T = published_detail::ValueOf<C, G>;
    static_assert(sizeof(T) == 4, "Color takes a 32-bit colour property");
    return published_detail::TColorProperty<C, T>(std::move(name), TPropertyKind::pkColor, getter, setter);
  }
  template <class G, class S>
  static auto Component(String name, G getter, S setter) {
    using T = published_detail::ValueOf<C, G>;
    static_assert(std::is_pointer_v<T> && std::is_base_of_v<TComponent, std::remove_pointer_t<T>>,
                  "Component takes a pointer to a component");
    return published_detail::TComponentProperty<C, T>(std::move(name), getter, setter);
  }
  template <class G>
  static auto Object(String name, G getter) {
    using T = published_detail::ValueOf<C, G>;
    static_assert(std::is_pointer_v<T> && std::is_base_of_v<TPersistent, std::remove_pointer_t<T>>,
                  "Object takes a pointer to an owned persistent object");
    return published_detail::TPersistentProperty<C, T>(std::move(name), getter);
  }
  template <class G, class S>
  static auto Event(String name, G getter, S setter) {
    using T = published_detail::ValueOf<C, G>;
    return published_detail::TEventProperty<C, T>(std::move(name), getter, setter);
  }
  // An event held in a public field (TNotifyEvent OnClick;) instead of a getter and a setter.
  template <class M, class E>
  static auto Event(String name, E M::*field) {
    static_assert(std::is_base_of_v<M, C>, "Event takes a field of the class");
    return published_detail::TEventProperty<C, E>(
        std::move(name), [field](C* instance) { return instance->*field; },
        [field](C* instance, E value) { instance->*field = std::move(value); });
  }
  // A method of the form's root class that stored events may name.
  template <class M, class R, class... A>
  static auto Method(String name, R (M::*method)(A...)) {
    static_assert(std::is_base_of_v<M, C>, "Method takes a member function of the class");
    return published_detail::TMethodEntry<M, R, A...>(std::move(name), method);
  }
};
