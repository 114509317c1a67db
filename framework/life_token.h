// TLifeToken and TLifeWatch: code that runs an outside handler, or keeps a pointer to an object that can die
// first, learns through a watch whether the object is still alive. The object holds a token; a watch taken from it
// sees the end once the token is ended or gone.
#pragma once

#include <memory>
#include <utility>

// Answers whether the life it was taken from has ended. A watch copies freely and outlives its object; one made
// with no token has nothing to watch and has ended already.
class TLifeWatch {
 public:
  TLifeWatch() = default;

  bool Ended() const noexcept { return life_.expired(); }

 private:
  friend class TLifeToken;
  explicit TLifeWatch(std::weak_ptr<const void> life) noexcept : life_(std::move(life)) {}

  std::weak_ptr<const void> life_;
};

// The life of the object that holds it as a member. Every object has a life of its own: a copy or a move of the
// owner starts a fresh life and leaves the source's life, and its watches, as they were.
class TLifeToken {
 public:
  TLifeToken() = default;
  TLifeToken(const TLifeToken&) {}
  TLifeToken& operator=(const TLifeToken&) { return *this; }

  TLifeWatch Watch() const noexcept { return TLifeWatch(life_); }
  // For an owner whose destructor calls out while its parts go: its watches must see the end before then.
  void End() noexcept { life_.reset(); }

 private:
  std::shared_ptr<const void> life_ = std::make_shared<char>('\0');
};

// For work that may run on an object whose life has ended already (a destructor that ended it early and goes on
// calling out): Ended answers whether a life that went on when this was made has ended since, so that the work
// stops where a handler freed the object, and is not cut short for the object whose destruction it is part of.
class TLifeSince {
 public:
  explicit TLifeSince(TLifeWatch watch) noexcept : watch_(std::move(watch)), living_(!watch_.Ended()) {}

  bool Ended() const noexcept { return living_ && watch_.Ended(); }

 private:
  TLifeWatch watch_;
  bool living_;
};
