#include "framework/properties.h"

#include <algorithm>

#include "framework/sys_utils.h"

namespace {

template <class Info>
const Info* FindByName(const std::vector<std::shared_ptr<const Info>>& list, const String& name) {
  auto it = std::find_if(list.begin(), list.end(), [&](const auto& info) { return SameText(info->Name(), name); });
  return it == list.end() ? nullptr : it->get();
}

}  // namespace

TPublishedTable::TPublishedTable(const TPublishedTable* base,
                                 std::initializer_list<TTableEntry<TPropertyInfo>> properties,
                                 std::initializer_list<TTableEntry<TMethodInfo>> methods)
    : base_(base) {
  for (const auto& entry : properties) properties_.push_back(entry.Get());
  for (const auto& entry : methods) methods_.push_back(entry.Get());
}

const TPropertyInfo* TPublishedTable::FindProperty(const String& name) const {
  for (const TPublishedTable* table = this; table; table = table->base_)
    if (const TPropertyInfo* info = FindByName(table->properties_, name)) return info;
  return nullptr;
}

const TMethodInfo* TPublishedTable::FindMethod(const String& name) const {
  for (const TPublishedTable* table = this; table; table = table->base_)
    if (const TMethodInfo* info = FindByName(table->methods_, name)) return info;
  return nullptr;
}

std::vector<const TPropertyInfo*> TPublishedTable::Properties() const {
  std::vector<const TPropertyInfo*> result;
  if (base_) result = base_->Properties();
  for (const auto& own : properties_) {
    auto redeclared = std::find_if(result.begin(), result.end(), [&](const TPropertyInfo* inherited) {
      return SameText(inherited->Name(), own->Name());
    });
    if (redeclared != result.end())
      *redeclared = own.get();
    else
      result.push_back(own.get());
  }
  return result;
}

std::vector<const TMethodInfo*> TPublishedTable::Methods() const {
  std::vector<const TMethodInfo*> result;
  for (const TPublishedTable* table = this; table; table = table->base_)
    for (const auto& method : table->methods_) result.push_back(method.get());
  return result;
}

const TPublishedTable& TPersistent::PublishedTable() const {
  static const TPublishedTable table;
  return table;
}

const TPublishedTable& TComponent::PublishedTable() const {
  using P = TPublished<TComponent>;
  static const TPublishedTable table(&inherited::PublishedTable(),
                                     {
                                         P::Integer(L"Tag", &TComponent::Tag, &TComponent::SetTag).Default(0),
                                     });
  return table;
}
