// The base of every component of the system component set, and the registration of the set's classes for stored
// forms.
#pragma once

#include <initializer_list>
#include <vector>

#include "framework/component.h"

namespace shell {

class TSysComponent : public TComponent {
  BC_CLASS(TSysComponent, TComponent)
  explicit TSysComponent(TComponent* owner = nullptr) : TComponent(owner) {}

  // A line about the component set for property editors; never stored with forms.
  String About() const;
  void SetAbout(const String&) {}

  const TPublishedTable& PublishedTable() const override;
};

// Registers a class for stored forms unless a class of that name is registered already; answers whether this
// call registered it.
bool RegisterClassOnce(const TClass* cls);
// The classes this call registered, in order, so that they can be unregistered again.
std::vector<const TClass*> RegisterClassesOnce(std::initializer_list<const TClass*> classes);

}  // namespace shell
