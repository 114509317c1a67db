// The components a component is linked to for free notifications, in the order they were linked: a set that a
// component named by 160,000 others finds, adds to and removes from in constant time, and that costs a component
// no more than a pointer until its first link. A link counts its reasons (a control's pop-up menu that also records
// the control as the one that showed it): it lasts until the last of them lets go, or until one of the two goes.
#pragma once

#include <cstddef>
#include <memory>

class TComponent;

class TComponentLinks {
 public:
  TComponentLinks();
  ~TComponentLinks();
  TComponentLinks(const TComponentLinks&) = delete;
  TComponentLinks& operator=(const TComponentLinks&) = delete;

  // Links the component, or counts one more reason for a link that keeps its place.
  void Insert(TComponent* component);
  // Takes one reason for the component's link away, and unlinks it with the last.
  void Erase(const TComponent* component);
  // Unlinks the component, whatever its reasons.
  void EraseAll(const TComponent* component);
  // Unlinks and answers the component linked last; null when none is.
  TComponent* TakeLast();

 private:
  struct TState;
  void Unlink(const TComponent* component, bool lastReasonOnly);

  std::unique_ptr<TState> state_;
};
