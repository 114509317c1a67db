// TFirstFailure: work that raises a handler at each of several steps (a tree freeing many nodes, telling that they
// left the selection; a page control letting a page go) goes on to a sound end when one of the handlers raises,
// and raises the first such exception once the object is whole again: stopping half-way would leave nodes
// unlinked, counts off, an update bracket open or a freed page active.
#pragma once

#include <exception>
#include <type_traits>
#include <utility>

class TFirstFailure {
 public:
  // Runs step; an exception it raises is kept (the first one) instead of passed on. What a step answers of the
  // lives its handlers ended is left to its caller, which watches those it goes on with.
  template <class Step>
  void Run(Step&& step) noexcept {
    try {
      if constexpr (std::is_void_v<std::invoke_result_t<Step&>>)
        step();
      else
        (void)step();
    } catch (...) {
      if (!failure_) failure_ = std::current_exception();
    }
  }
  bool Failed() const noexcept { return static_cast<bool>(failure_); }
  // Raises the kept exception, if any.
  void Raise() {
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
  }

 private:
  std::exception_ptr failure_;
};
