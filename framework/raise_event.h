// RaiseEvent: the one way code calls an application's handler. A handler may free anything (the object that
// raised it, its owner, its form), so the call answers whether the object outlived it, and the compiler keeps a
// caller from dropping the answer. A caller told its object is gone returns at once, touching nothing of it; what
// it had begun ends through something that outlives the object. A handler's exception passes on unchanged, after
// the caller's own cleanup has run.
//
// A method that raises a handler for its callers (Click, MouseDown, a tree's Do... dispatchers) hands the answer
// on as its own. Only a notification that raises as its very last act, and is called as the last act of its
// callers' work on the object (a font's or a list's Changed), keeps the answer to itself.
#pragma once

#include <utility>

#include "framework/life_token.h"

// Whether the object that raised an event outlived the handler.
class [[nodiscard]] TRaised {
 public:
  explicit constexpr TRaised(bool alive) noexcept : alive_(alive) {}

  bool Alive() const noexcept { return alive_; }
  bool Gone() const noexcept { return !alive_; }

 private:
  bool alive_;
};

// Calls handler with args when it is assigned, and answers whether the life watched outlived the call: an
// unassigned handler frees nothing. The handler is read before the call starts, so it may free or reassign itself.
template <class Handler, class... Args>
TRaised RaiseEvent(const TLifeWatch& life, const Handler& handler, Args&&... args) {
  if (handler) handler(std::forward<Args>(args)...);
  return TRaised(!life.Ended());
}

// The same for a handler that answers a value: an assigned handler's answer lands in result.
template <class Result, class Handler, class... Args>
TRaised RaiseEventInto(const TLifeWatch& life, Result& result, const Handler& handler, Args&&... args) {
  if (handler) result = handler(std::forward<Args>(args)...);
  return TRaised(!life.Ended());
}

// For a caller that answers for another object than the one a raise was about (a parent aligning, a control the
// focus moved away from): whether the life it watches outlived the raise, whatever the raise answered of its own.
inline TRaised AnswerFor(const TLifeWatch& life, TRaised) { return TRaised(!life.Ended()); }

// What an object that is no component, but raises an application's handlers, derives from: a life of its own,
// which ends with it, and RaiseEvent about it.
class TEventSource {
 protected:
  TLifeWatch LifeWatch() const noexcept { return life_.Watch(); }
  template <class Handler, class... Args>
  [[nodiscard]] TRaised RaiseEvent(const Handler& handler, Args&&... args) const {
    return ::RaiseEvent(life_.Watch(), handler, std::forward<Args>(args)...);
  }
  template <class Result, class Handler, class... Args>
  [[nodiscard]] TRaised RaiseEventInto(Result& result, const Handler& handler, Args&&... args) const {
    return ::RaiseEventInto(life_.Watch(), result, handler, std::forward<Args>(args)...);
  }

 private:
  TLifeToken life_;
};
