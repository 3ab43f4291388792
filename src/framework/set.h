#pragma once
// A small set of enumeration values: bit n stands for the value with ordinal n, as the form
// files and the registry records store sets. Enumerations of up to 64 values.
#include <cstdint>
#include <initializer_list>

namespace vantorel {

template <class E>
class TSet {
 public:
  using Element = E;

  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> values) {
    for (E v : values) Include(v);
  }
  static constexpr TSet FromBits(uint64_t bits) {
    TSet s;
    s.bits_ = bits;
    return s;
  }

  constexpr bool Contains(E v) const { return Valid(v) && (bits_ & Bit(v)) != 0; }
  constexpr TSet& Include(E v) {
    if (Valid(v)) bits_ |= Bit(v);
    return *this;
  }
  constexpr TSet& Exclude(E v) {
    if (Valid(v)) bits_ &= ~Bit(v);
    return *this;
  }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr uint64_t Bits() const { return bits_; }

  constexpr TSet operator+(TSet other) const { return FromBits(bits_ | other.bits_); }
  constexpr TSet operator-(TSet other) const { return FromBits(bits_ & ~other.bits_); }
  constexpr TSet operator*(TSet other) const { return FromBits(bits_ & other.bits_); }
  constexpr TSet& operator+=(TSet other) { return *this = *this + other; }
  constexpr TSet& operator-=(TSet other) { return *this = *this - other; }
  constexpr bool operator==(const TSet&) const = default;

 private:
  static constexpr bool Valid(E v) {
    return static_cast<int64_t>(v) >= 0 && static_cast<int64_t>(v) < 64;
  }
  static constexpr uint64_t Bit(E v) { return uint64_t{1} << static_cast<unsigned>(v); }
  uint64_t bits_ = 0;
};

}  // namespace vantorel
