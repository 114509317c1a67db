// Lets code that runs an outside handler learn afterwards whether the handler freed the object the code works
// for: a watch taken before the call has expired once the object, and its token with it, is gone.
#pragma once

#include <memory>

namespace shell {

class TLifeToken {
 public:
  TLifeToken() = default;
  // Every object has a life of its own: a copy does not share the original's.
  TLifeToken(const TLifeToken&) {}
  TLifeToken& operator=(const TLifeToken&) { return *this; }

  std::weak_ptr<const void> Watch() const { return life_; }

 private:
  std::shared_ptr<const void> life_ = std::make_shared<char>('\0');
};

}  // namespace shell
