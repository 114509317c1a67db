#include "framework/component.h"

#include <algorithm>
#include <iterator>
#include <string_view>
#include <unordered_map>

void TPersistent::Assign(const TPersistent* source) {
  if (source)
    source->AssignTo(this);
  else
    AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* dest) const { dest->AssignError(this); }

void TPersistent::AssignError(const TPersistent* source) const {
  String sourceName = source ? source->ClassName() : L"nil";
  throw EConvertError(Format(L"Cannot assign a %s to a %s", {sourceName, ClassName()}));
}

String TPersistent::GetNamePath() const { return ClassName(); }

bool IsValidIdent(const String& text) {
  if (text.empty()) return false;
  auto alpha = [](wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || c == L'_'; };
  if (!alpha(text[0])) return false;
  return std::all_of(text.begin(), text.end(), [&](wchar_t c) { return alpha(c) || (c >= L'0' && c <= L'9'); });
}

namespace {

// Removes item from list, looking from the end: components are mostly freed last first.
template <class T>
bool EraseFromBack(std::vector<T*>& list, const T* item) {
  auto found = std::find(list.rbegin(), list.rend(), item);
  if (found == list.rend()) return false;
  list.erase(std::next(found).base());
  return true;
}

}  // namespace

namespace {

// Component names are identifiers, so they compare without case as their ASCII capitals do.
wchar_t NameUpper(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

struct TNameHash {
  size_t operator()(std::wstring_view name) const {
    size_t hash = 14695981039346656037ull;
    for (wchar_t c : name) hash = (hash ^ NameUpper(c)) * 1099511628211ull;
    return hash;
  }
};

struct TNameEqual {
  bool operator()(std::wstring_view a, std::wstring_view b) const {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) { return NameUpper(x) == NameUpper(y); });
  }
};

}  // namespace

// The keys view the components' own names: a component leaves the index before its name changes.
class TComponent::TNameIndex : public std::unordered_map<std::wstring_view, TComponent*, TNameHash, TNameEqual> {};

TComponent::TComponent(TComponent* owner) {
  if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  SendFreeNotifications();
  DestroyComponents();
  LeaveOwner();
}

void TComponent::Abandon() { LeaveOwner(); }

void TComponent::LeaveOwner() {
  // An owner that is being destroyed frees its components itself and needs to hear of none of them.
  if (owner_ && owner_->IsDestroying())
    owner_->Remove(this);
  else if (owner_)
    owner_->RemoveComponent(this);
}

void* TComponent::operator new(size_t size) { return ::operator new(size); }

void TComponent::operator delete(void* block) { ::operator delete(block); }

void TComponent::operator delete(TComponent* component, std::destroying_delete_t) {
  if (void* block = DestroyWhole(component)) ::operator delete(block);
}

void* TComponent::DestroyWhole(TComponent* component) {
  if (component->freeing_) {
    component->Abandon();
    return nullptr;
  }
  component->freeing_ = true;
  // The most derived object's start, taken while its type is still known.
  void* block = dynamic_cast<void*>(component);
  component->BeforeDestruction();
  component->~TComponent();
  return block;
}

void TComponent::SendFreeNotifications() {
  Destroying();
  // Tell everyone who asked; each removes its link back, so iterate over a shrinking list.
  while (TComponent* other = freeNotifies_.TakeLast()) {
    other->freeNotifies_.EraseAll(this);
    other->Notification(this, TOperation::opRemove);
  }
}

TComponent* TComponent::Components(int index) const {
  if (index < 0 || index >= ComponentCount())
    throw EListError(Format(L"List index out of bounds (%d)", {std::to_wstring(index)}));
  return components_[static_cast<size_t>(index)];
}

int TComponent::ComponentIndex() const {
  if (!owner_) return -1;
  auto& list = owner_->components_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

TComponent* TComponent::FindComponent(const String& name) const {
  if (name.empty() || !names_) return nullptr;
  auto found = names_->find(name);
  return found == names_->end() ? nullptr : found->second;
}

void TComponent::IndexName(TComponent* component) {
  if (component->name_.empty()) return;
  if (!names_) names_ = std::make_unique<TNameIndex>();
  names_->emplace(component->name_, component);
}

void TComponent::UnindexName(TComponent* component) {
  if (component->name_.empty() || !names_) return;
  auto found = names_->find(component->name_);
  if (found != names_->end() && found->second == component) names_->erase(found);
}

void TComponent::SetName(const String& name) {
  if (name_ == name) return;
  if (!name.empty() && !IsValidIdent(name))
    throw EComponentError(Format(L"'%s' is not a valid component name", {name}));
  if (owner_)
    owner_->ValidateRename(this, name_, name);
  else
    ValidateRename(nullptr, name_, name);
  if (owner_) owner_->UnindexName(this);
  name_ = name;
  if (owner_) owner_->IndexName(this);
}

void TComponent::ValidateRename(TComponent* component, const String& currentName, const String& newName) {
  (void)currentName;
  if (!component || newName.empty()) return;
  TComponent* existing = FindComponent(newName);
  if (existing && existing != component)
    throw EComponentError(Format(L"A component named %s already exists", {newName}));
}

void TComponent::InsertComponent(TComponent* component) {
  if (component->owner_) component->owner_->RemoveComponent(component);
  if (!component->name_.empty()) ValidateRename(component, L"", component->name_);
  Insert(component);
  if (IsDesigning()) component->SetDesigning(true);
  Notification(component, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
  Notification(component, TOperation::opRemove);
  Remove(component);
}

void TComponent::Insert(TComponent* component) {
  components_.push_back(component);
  component->owner_ = this;
  IndexName(component);
  if (component->hearsSiblings_) siblingListeners_.push_back(component);
}

void TComponent::Remove(TComponent* component) {
  EraseFromBack(components_, component);
  UnindexName(component);
  if (component->hearsSiblings_) EraseFromBack(siblingListeners_, component);
  component->owner_ = nullptr;
}

void TComponent::DestroyComponents() {
  // Each leaves the list as it goes, after its BeforeDestruction has run while it was still owned here.
  while (!components_.empty()) delete components_.back();
}

void TComponent::BeforeDestruction() {
  Destroying();
  DestroyComponents();
}

void TComponent::Destroying() {
  if (IsDestroying()) return;
  state_.Include(TComponentStateItem::csDestroying);
  for (TComponent* c : components_) c->Destroying();
}

void TComponent::Notification(TComponent* component, TOperation operation) {
  if (operation == TOperation::opRemove && component) RemoveFreeNotification(component);
  if (IsDestroying()) return;
  // A listener may free components while it hears, listeners among them.
  for (size_t i = siblingListeners_.size(); i-- > 0;) {
    if (i < siblingListeners_.size()) siblingListeners_[i]->Notification(component, operation);
  }
}

void TComponent::SiblingNotification() {
  if (hearsSiblings_) return;
  hearsSiblings_ = true;
  if (owner_) owner_->siblingListeners_.push_back(this);
}

void TComponent::RemoveSiblingNotification() {
  if (!hearsSiblings_) return;
  hearsSiblings_ = false;
  if (owner_) EraseFromBack(owner_->siblingListeners_, this);
}

void TComponent::FreeNotification(TComponent* component) {
  if (!component || component == this) return;
  freeNotifies_.Insert(component);
  component->freeNotifies_.Insert(this);
  state_.Include(TComponentStateItem::csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
  RemoveNotification(component);
  component->RemoveNotification(this);
}

void TComponent::RemoveNotification(TComponent* component) { freeNotifies_.Erase(component); }

void TComponent::SetComponentState(TComponentStateItem item, bool on) {
  if (on)
    state_.Include(item);
  else
    state_.Exclude(item);
}

void TComponent::SetLoading(bool loading) {
  SetComponentState(TComponentStateItem::csLoading, loading);
  SetComponentState(TComponentStateItem::csReading, loading);
}

void TComponent::SetDesigning(bool designing, bool setChildren) {
  SetComponentState(TComponentStateItem::csDesigning, designing);
  if (setChildren)
    for (TComponent* c : components_) c->SetDesigning(designing, true);
}

TRaised TComponent::Loaded() {
  state_.Exclude(TComponentStateItem::csLoading);
  return TRaised(true);
}
