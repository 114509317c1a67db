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
  // Runs step, which answers nothing; an exception it raises is kept (the first one) instead of passed on.
  template <class Step>
  void Run(Step&& step) noexcept {
    static_assert(std::is_void_v<std::invoke_result_t<Step&>>,
                  "a step that answers whether its object outlived its handlers is run with a watch of that object");
    try {
      step();
    } catch (...) {
      Keep();
    }
  }
  // Runs step, which answers whether the object its handlers were about outlived them (TRaised, a tree's
  // TNodeRaised), and hands that answer on; when step raises instead, the exception is kept and the answer is what
  // watch tells of the object after it.
  template <class Watch, class Step>
  auto Run(const Watch& watch, Step&& step) noexcept -> std::invoke_result_t<Step&> {
    using Answer = std::invoke_result_t<Step&>;
    try {
      return step();
    } catch (...) {
      Keep();
      if constexpr (std::is_constructible_v<Answer, const Watch&>)
        return Answer(watch);
      else
        return Answer(!watch.Ended());
    }
  }
  bool Failed() const noexcept { return static_cast<bool>(failure_); }
  // Raises the kept exception, if any.
  void Raise() {
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
  }

 private:
  void Keep() noexcept {
    if (!failure_) failure_ = std::current_exception();
  }

  std::exception_ptr failure_;
};
