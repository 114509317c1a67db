#include "framework/object.h"

#include <map>
#include <mutex>

#include "framework/exceptions.h"

namespace {

struct ClassRegistry {
  std::mutex lock;
  std::map<String, const TClass*> byName;  // names compared as stored; class names are identifiers
};

ClassRegistry& Registry() {
  static ClassRegistry registry;
  return registry;
}

}  // namespace

const TClass* TObject::StaticClass() {
  static const TClass cls(L"TObject", nullptr, &ClassFactory<TObject>);
  return &cls;
}

bool TClass::InheritsFrom(const TClass* other) const {
  for (const TClass* c = this; c; c = c->parent_)
    if (c == other) return true;
  return false;
}

TObject* TClass::Create(TComponent* owner) const {
  if (!factory_) RaiseCannotCreate(this);
  return factory_(owner);
}

void RaiseCannotCreate(const TClass* cls) {
  throw EInvalidOperation(L"Cannot create an instance of the abstract class " + (cls ? cls->ClassName() : String()));
}

void RegisterPersistentClass(const TClass* cls) {
  auto& r = Registry();
  std::lock_guard guard(r.lock);
  r.byName[cls->ClassName()] = cls;
}

void UnregisterPersistentClass(const TClass* cls) {
  auto& r = Registry();
  std::lock_guard guard(r.lock);
  auto it = r.byName.find(cls->ClassName());
  if (it != r.byName.end() && it->second == cls) r.byName.erase(it);
}

const TClass* GetClass(const String& name) {
  auto& r = Registry();
  std::lock_guard guard(r.lock);
  auto it = r.byName.find(name);
  return it == r.byName.end() ? nullptr : it->second;
}

const TClass* FindClass(const String& name) {
  if (const TClass* cls = GetClass(name)) return cls;
  throw EClassNotFound(L"Class " + name + L" not found");
}
