#pragma once
// A set of the elements of an enumeration, stored as the bits of one integer:
// element n is bit n, as the stored blocks of documents hold it.
#include <cstdint>
#include <initializer_list>
#include <type_traits>

namespace lumora {

template <typename E, typename Bits = uint32_t> class EnumSet {
  static_assert(std::is_enum_v<E>);

public:
  constexpr EnumSet() = default;
  constexpr EnumSet(std::initializer_list<E> elements) {
    for (E e : elements)
      bits_ |= Bit(e);
  }
  static constexpr EnumSet FromBits(Bits bits) {
    EnumSet s;
    s.bits_ = bits;
    return s;
  }
  constexpr Bits ToBits() const { return bits_; }

  constexpr bool Contains(E e) const { return (bits_ & Bit(e)) != 0; }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr EnumSet &Include(E e) {
    bits_ |= Bit(e);
    return *this;
  }
  constexpr EnumSet &Exclude(E e) {
    bits_ &= Bits(~Bit(e));
    return *this;
  }
  constexpr EnumSet operator+(EnumSet o) const { return FromBits(bits_ | o.bits_); }
  constexpr EnumSet operator-(EnumSet o) const { return FromBits(bits_ & Bits(~o.bits_)); }
  constexpr EnumSet operator*(EnumSet o) const { return FromBits(bits_ & o.bits_); }
  constexpr EnumSet &operator+=(EnumSet o) { return *this = *this + o; }
  constexpr EnumSet &operator-=(EnumSet o) { return *this = *this - o; }
  constexpr bool operator==(const EnumSet &) const = default;

private:
  static constexpr Bits Bit(E e) { return Bits(Bits(1) << static_cast<unsigned>(e)); }
  Bits bits_ = 0;
};

} // namespace lumora
