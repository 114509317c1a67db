// The components a component is linked to for free notifications, in the order they were linked: a set that a
// component named by 160,000 others finds, adds to and removes from in constant time, and that costs a component
// no more than a pointer until its first link.
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

  // Links the component unless it is linked already, where it keeps its place.
  void Insert(TComponent* component);
  // Unlinks the component when it is linked.
  void Erase(const TComponent* component);
  // Unlinks and answers the component linked last; null when none is.
  TComponent* TakeLast();

 private:
  struct TState;

  std::unique_ptr<TState> state_;
};
