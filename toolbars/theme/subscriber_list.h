// An ordered list of objects told of changes through their own Dispatch. A subscriber may leave, or free another,
// while it is being told: the walk follows the list as it changes.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

#include "framework/class_ref.h"

namespace toolbars {

class TSubscriberList {
 public:
  const std::vector<TObject*>& Items() const { return items_; }
  bool Empty() const { return items_.empty(); }
  // Adds once.
  void Add(TObject* subscriber);
  void Remove(TObject* subscriber);
  // Dispatches one message to every subscriber in list order; answers the result they leave.
  LRESULT Broadcast(UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  std::vector<TObject*> items_;
  size_t walkIndex_ = 0;
  bool walking_ = false;
};

}  // namespace toolbars
