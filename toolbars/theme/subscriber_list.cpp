#include "toolbars/theme/subscriber_list.h"

#include <algorithm>

namespace toolbars {

void TSubscriberList::Add(TObject* subscriber) {
  if (std::find(items_.begin(), items_.end(), subscriber) == items_.end()) items_.push_back(subscriber);
}

void TSubscriberList::Remove(TObject* subscriber) {
  auto found = std::find(items_.begin(), items_.end(), subscriber);
  if (found == items_.end()) return;
  const size_t index = static_cast<size_t>(found - items_.begin());
  items_.erase(found);
  // Unsigned wrap-round is fine: the walk steps on before it reads again.
  if (walking_ && index <= walkIndex_) --walkIndex_;
}

LRESULT TSubscriberList::Broadcast(UINT msg, WPARAM wParam, LPARAM lParam) {
  TMessage message{msg, wParam, lParam, 0};
  const bool outer = !walking_;
  const size_t saved = walkIndex_;
  walking_ = true;
  for (walkIndex_ = 0; walkIndex_ < items_.size(); ++walkIndex_) items_[walkIndex_]->Dispatch(message);
  walking_ = !outer;
  walkIndex_ = saved;
  return message.Result;
}

}  // namespace toolbars
