// A bracket that nests (a list's update, a canvas's drawing): only its outermost opening and closing tell anyone,
// the opening before the work (an OnChanging), the closing after it (an OnChange).
#pragma once

#include <type_traits>

#include "framework/life_token.h"

// The owner's count of open levels. The opening's handler may free the owner, which takes the bracket with it, or
// throw: its exception opens no level while the owner lives, so a bracket never stays open for a work that did not
// start.
class TNestingBracket {
 public:
  int Depth() const noexcept { return depth_; }

  // Opens a level. The outermost one calls open (which raises) with the owner's life watched, and answers what open
  // answers; an inner one raises nothing, so its owner lives.
  template <class Open>
  auto Begin(const TLifeWatch& owner, Open&& open) -> decltype(open()) {
    using Answer = decltype(open());
    if (depth_++ > 0) {
      if constexpr (std::is_void_v<Answer>) {
        return;
      } else {
        return Answer(true);
      }
    }
    try {
      return open();
    } catch (...) {
      if (!owner.Ended()) --depth_;
      throw;
    }
  }

  // Closes a level, and answers whether it was the outermost, whose closing the owner then raises. A bracket not
  // open closes nothing.
  bool End() noexcept { return depth_ > 0 && --depth_ == 0; }

  // Closes a level without telling anyone, for a work that ends by an exception.
  void Abandon() noexcept {
    if (depth_ > 0) --depth_;
  }

 private:
  int depth_ = 0;
};
