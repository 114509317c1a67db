#include "framework/component_links.h"

#include <algorithm>
#include <cstddef>
#include <unordered_map>
#include <vector>

namespace {

// Few links are searched where they lie; from this many on, an index finds each.
constexpr size_t kIndexedFrom = 16;

}  // namespace

struct TComponentLinks::TState {
  struct TLink {
    TComponent* Component;  // null: a hole
    size_t Reasons;
  };
  // Erased links leave holes while the index is kept, so that the others keep their places.
  std::vector<TLink> Items;
  std::unique_ptr<std::unordered_map<const TComponent*, size_t>> Positions;
  size_t Holes = 0;

  void TrimHoles() {
    while (!Items.empty() && !Items.back().Component) {
      Items.pop_back();
      --Holes;
    }
  }

  void Reindex() {
    Items.erase(std::remove_if(Items.begin(), Items.end(), [](const TLink& link) { return !link.Component; }),
                Items.end());
    Holes = 0;
    if (Items.size() < kIndexedFrom / 2) {
      Positions.reset();
      return;
    }
    if (!Positions) Positions = std::make_unique<std::unordered_map<const TComponent*, size_t>>();
    Positions->clear();
    Positions->reserve(Items.size());
    for (size_t i = 0; i < Items.size(); ++i) Positions->emplace(Items[i].Component, i);
  }

  // The link's place, or Items.size() when the component is not linked.
  size_t Find(const TComponent* component) const {
    if (Positions) {
      auto found = Positions->find(component);
      return found == Positions->end() ? Items.size() : found->second;
    }
    // Components mostly go last first.
    for (size_t i = Items.size(); i-- > 0;)
      if (Items[i].Component == component) return i;
    return Items.size();
  }
};

TComponentLinks::TComponentLinks() = default;

TComponentLinks::~TComponentLinks() = default;

void TComponentLinks::Insert(TComponent* component) {
  if (!state_) state_ = std::make_unique<TState>();
  auto& items = state_->Items;
  if (const size_t place = state_->Find(component); place < items.size()) {
    ++items[place].Reasons;
    return;
  }
  if (state_->Positions) state_->Positions->emplace(component, items.size());
  items.push_back({component, 1});
  if (!state_->Positions && items.size() >= kIndexedFrom) state_->Reindex();
}

void TComponentLinks::Erase(const TComponent* component) { Unlink(component, true); }

void TComponentLinks::EraseAll(const TComponent* component) { Unlink(component, false); }

void TComponentLinks::Unlink(const TComponent* component, bool lastReasonOnly) {
  if (!state_) return;
  auto& items = state_->Items;
  const size_t place = state_->Find(component);
  if (place == items.size()) return;
  if (lastReasonOnly && --items[place].Reasons > 0) return;
  if (!state_->Positions) {
    items.erase(items.begin() + static_cast<std::ptrdiff_t>(place));
  } else {
    items[place].Component = nullptr;
    state_->Positions->erase(component);
    ++state_->Holes;
    state_->TrimHoles();
    // Holes never outnumber the links, so each link's share of the compaction is constant.
    if (state_->Holes > items.size() / 2) state_->Reindex();
  }
  if (items.empty()) state_.reset();
}

TComponent* TComponentLinks::TakeLast() {
  if (!state_) return nullptr;
  auto& items = state_->Items;
  TComponent* last = items.back().Component;
  items.pop_back();
  if (state_->Positions) state_->Positions->erase(last);
  state_->TrimHoles();
  if (items.empty()) state_.reset();
  return last;
}
