#include "shell/system/sys_component.h"

#include "framework/properties.h"

namespace shell {

String TSysComponent::About() const { return L"System component set"; }

const TPublishedTable& TSysComponent::PublishedTable() const {
  using P = TPublished<TSysComponent>;
  static const TPublishedTable table(
      &inherited::PublishedTable(), {P::Text(L"About", &TSysComponent::About, &TSysComponent::SetAbout).Stored(false)});
  return table;
}

bool RegisterClassOnce(const TClass* cls) {
  if (GetClass(cls->ClassName())) return false;
  RegisterPersistentClass(cls);
  return true;
}

std::vector<const TClass*> RegisterClassesOnce(std::initializer_list<const TClass*> classes) {
  std::vector<const TClass*> registered;
  for (const TClass* cls : classes)
    if (RegisterClassOnce(cls)) registered.push_back(cls);
  return registered;
}

}  // namespace shell
