#include "framework/component_links.h"

#include <algorithm>
#include <iterator>
#include <unordered_map>
#include <vector>

namespace {

// Few links are searched where they lie; from this many on, an index finds each.
constexpr size_t kIndexedFrom = 16;

}  // namespace

struct TComponentLinks::TState {
  // Erased links leave holes (null) while the index is kept, so that the others keep their places.
  std::vector<TComponent*> Items;
  std::unique_ptr<std::unordered_map<const TComponent*, size_t>> Positions;
  size_t Holes = 0;

  void TrimHoles() {
    while (!Items.empty() && !Items.back()) {
      Items.pop_back();
      --Holes;
    }
  }

  void Reindex() {
    Items.erase(std::remove(Items.begin(), Items.end(), nullptr), Items.end());
    Holes = 0;
    if (Items.size() < kIndexedFrom / 2) {
      Positions.reset();
      return;
    }
    if (!Positions) Positions = std::make_unique<std::unordered_map<const TComponent*, size_t>>();
    Positions->clear();
    Positions->reserve(Items.size());
    for (size_t i = 0; i < Items.size(); ++i) Positions->emplace(Items[i], i);
  }
};

TComponentLinks::TComponentLinks() = default;

TComponentLinks::~TComponentLinks() = default;

void TComponentLinks::Insert(TComponent* component) {
  if (!state_) state_ = std::make_unique<TState>();
  auto& items = state_->Items;
  if (state_->Positions) {
    if (state_->Positions->emplace(component, items.size()).second) items.push_back(component);
    return;
  }
  if (std::find(items.begin(), items.end(), component) != items.end()) return;
  items.push_back(component);
  if (items.size() >= kIndexedFrom) state_->Reindex();
}

void TComponentLinks::Erase(const TComponent* component) {
  if (!state_) return;
  auto& items = state_->Items;
  if (!state_->Positions) {
    // Components mostly go last first.
    auto found = std::find(items.rbegin(), items.rend(), component);
    if (found == items.rend()) return;
    items.erase(std::next(found).base());
  } else {
    auto found = state_->Positions->find(component);
    if (found == state_->Positions->end()) return;
    items[found->second] = nullptr;
    state_->Positions->erase(found);
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
  TComponent* last = items.back();
  items.pop_back();
  if (state_->Positions) state_->Positions->erase(last);
  state_->TrimHoles();
  if (items.empty()) state_.reset();
  return last;
}
