// A set of enumeration values (options, shift states, component states), with the usual set operators.
#pragma once

#include <bitset>
#include <cstddef>
#include <initializer_list>

template <class E, std::size_t N = 64>
class TSet {
 public:
  constexpr TSet() = default;
  TSet(std::initializer_list<E> values) {
    for (E v : values) Include(v);
  }

  bool Contains(E v) const { return bits_.test(Index(v)); }
  bool Empty() const { return bits_.none(); }
  std::size_t Count() const { return bits_.count(); }
  TSet& Include(E v) {
    bits_.set(Index(v));
    return *this;
  }
  TSet& Exclude(E v) {
    bits_.reset(Index(v));
    return *this;
  }

  TSet operator+(const TSet& o) const { return TSet(bits_ | o.bits_); }
  TSet operator-(const TSet& o) const { return TSet(bits_ & ~o.bits_); }
  TSet operator*(const TSet& o) const { return TSet(bits_ & o.bits_); }
  TSet operator+(E v) const { return TSet(*this).Include(v); }
  TSet operator-(E v) const { return TSet(*this).Exclude(v); }
  TSet& operator+=(const TSet& o) { return *this = *this + o; }
  TSet& operator-=(const TSet& o) { return *this = *this - o; }
  TSet& operator*=(const TSet& o) { return *this = *this * o; }
  TSet& operator+=(E v) { return Include(v); }
  TSet& operator-=(E v) { return Exclude(v); }
  bool operator==(const TSet& o) const { return bits_ == o.bits_; }
  bool operator!=(const TSet& o) const { return bits_ != o.bits_; }
  // True when every member of this set is in o.
  bool operator<=(const TSet& o) const { return (bits_ & ~o.bits_).none(); }

  // The raw bits, for sets whose stored form is a bit mask.
  unsigned long long ToBits() const { return bits_.to_ullong(); }
  static TSet FromBits(unsigned long long bits) { return TSet(std::bitset<N>(bits)); }

 private:
  explicit TSet(std::bitset<N> bits) : bits_(bits) {}
  static std::size_t Index(E v) { return static_cast<std::size_t>(v); }
  std::bitset<N> bits_;
};
