// An exact reference for the weight model's steps in integer arithmetic
// alone: every float and every constant is taken apart into an integer
// significand and a power of two, the step's exact value is formed as an
// integer (with a remainder for the quotient by 100), and round to nearest,
// ties to even, is done on that integer. No floating-point operation takes
// part, so the reference shares no technique with the model it checks (no
// double products, no error-free transformations, no binary128), and it is
// the same on every target. 64-bit limbs only: it runs on 32-bit targets too.
#ifndef KORVIMALET_VERIFY_INTEGER_REFERENCE_H_
#define KORVIMALET_VERIFY_INTEGER_REFERENCE_H_

#include <cstdint>
#include <cstring>

#include "weight_model/weight_model.h"

namespace korvimalet {
namespace integer_reference {

// An unsigned 128-bit integer in two 64-bit limbs.
struct Wide {
  std::uint64_t high;
  std::uint64_t low;
};

inline Wide wideOf(std::uint64_t value) { return Wide{0, value}; }

// The full product of two 64-bit integers, from four 32 x 32-bit products.
inline Wide multiply(std::uint64_t a, std::uint64_t b) {
  const std::uint64_t mask = 0xFFFFFFFFU;
  const std::uint64_t lowLow = (a & mask) * (b & mask);
  const std::uint64_t lowHigh = (a & mask) * (b >> 32);
  const std::uint64_t highLow = (a >> 32) * (b & mask);
  const std::uint64_t highHigh = (a >> 32) * (b >> 32);
  const std::uint64_t middle = (lowLow >> 32) + (lowHigh & mask) + (highLow & mask);
  return Wide{highHigh + (lowHigh >> 32) + (highLow >> 32) + (middle >> 32),
              (middle << 32) | (lowLow & mask)};
}

inline int bitLength(std::uint64_t value) {
#if defined(__GNUC__)
  return value == 0 ? 0 : 64 - __builtin_clzll(value);
#else
  int length = 0;
  for (; value != 0; value >>= 1) {
    ++length;
  }
  return length;
#endif
}

inline int bitLength(Wide value) {
  return value.high != 0 ? 64 + bitLength(value.high) : bitLength(value.low);
}

// Bit `index` (0 to 127) of `value`.
inline bool bitAt(Wide value, int index) {
  return index >= 64 ? ((value.high >> (index - 64)) & 1U) != 0 : ((value.low >> index) & 1U) != 0;
}

// Whether any bit of `value` below `index` (0 to 128) is set.
inline bool anyBitBelow(Wide value, int index) {
  if (index >= 64) {
    const int highBits = index - 64;
    return value.low != 0 ||
           (highBits > 0 && (value.high & (~std::uint64_t{0} >> (64 - highBits))) != 0);
  }
  return index > 0 && (value.low & (~std::uint64_t{0} >> (64 - index))) != 0;
}

// `value` shifted right by `count` (0 to 127) places; the bits shifted out
// are dropped. The result must fit in 64 bits.
inline std::uint64_t shiftedRight(Wide value, int count) {
  if (count >= 64) {
    return value.high >> (count - 64);
  }
  return count == 0 ? value.low : (value.low >> count) | (value.high << (64 - count));
}

// A finite number as sign x significand x 2^exponent, with an integer
// significand; NaN and infinities are told apart by `kind`.
enum class Kind { Finite, Infinite, NotANumber };

struct Parts {
  Kind kind;
  bool negative;
  std::uint64_t significand;
  int exponent;
};

inline Parts partsOf(float value) {
  std::uint32_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  const bool negative = (bits >> 31) != 0;
  const std::uint32_t biased = (bits >> 23) & 0xFFU;
  const std::uint32_t fraction = bits & 0x7FFFFFU;
  if (biased == 0xFFU) {
    return Parts{fraction != 0 ? Kind::NotANumber : Kind::Infinite, negative, 0, 0};
  }
  if (biased == 0) {
    return Parts{Kind::Finite, negative, fraction, -149};
  }
  return Parts{Kind::Finite, negative, fraction | 0x800000U, static_cast<int>(biased) - 150};
}

// A finite double constant's significand and exponent.
inline Parts partsOf(double value) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  const auto biased = static_cast<int>((bits >> 52) & 0x7FFU);
  const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
  return Parts{Kind::Finite, (bits >> 63) != 0, fraction | (std::uint64_t{1} << 52), biased - 1075};
}

inline float floatOf(std::uint32_t bits) {
  float value = 0;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

inline std::uint32_t bitsOf(float value) {
  std::uint32_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

inline float infinity(bool negative) { return floatOf(negative ? 0xFF800000U : 0x7F800000U); }
inline float notANumber() { return floatOf(0x7FC00000U); }

// What a one-operand step gives for an infinite or NaN operand: the
// infinity of `negative`'s sign, or NaN.
inline float nonFinite(const Parts& p, bool negative) {
  return p.kind == Kind::Infinite ? infinity(negative) : notANumber();
}

// Rounds (value + a fraction of one unit, if `sticky`) x 2^exponent to the
// nearest float, ties to even, with the given sign. `sticky` stands for a
// remainder strictly between 0 and 1 of the last unit of `value`; it needs
// `value` to reach at least two bits below the float's last place.
inline float roundToFloat(bool negative, Wide value, int exponent, bool sticky) {
  const std::uint32_t sign = negative ? 0x80000000U : 0U;
  const int length = bitLength(value);
  if (length == 0) {
    return floatOf(sign);
  }
  const int leading = exponent + length - 1;  // the power of two of the leading bit
  if (leading > 127) {
    return infinity(negative);
  }
  // The power of two of the float's last place: 23 below the leading bit,
  // but never below the smallest denormal's.
  const int last = leading - 23 > -149 ? leading - 23 : -149;
  const int drop = last - exponent;  // bits of `value` below the last place
  std::uint64_t kept = 0;
  if (drop <= 0) {
    kept = value.low << -drop;  // exact: at most 24 bits
  } else if (drop > length) {
    return floatOf(sign);  // below half the smallest denormal
  } else {
    kept = shiftedRight(value, drop);
    const bool half = bitAt(value, drop - 1);
    const bool belowHalf = anyBitBelow(value, drop - 1) || sticky;
    if (half && (belowHalf || (kept & 1U) != 0)) {
      ++kept;
    }
  }
  int lastPlace = last;
  if (kept == (std::uint64_t{1} << 24)) {  // rounded up to the next power of two
    kept >>= 1;
    ++lastPlace;
  }
  if (kept < (std::uint64_t{1} << 23)) {
    return floatOf(sign | static_cast<std::uint32_t>(kept));  // denormal or zero
  }
  const int biased = lastPlace + 150;
  if (biased >= 255) {
    return infinity(negative);
  }
  return floatOf(sign | static_cast<std::uint32_t>(biased) << 23 |
                 (static_cast<std::uint32_t>(kept) & 0x7FFFFFU));
}

// x times the positive double constant `factor`, rounded once.
inline float timesConstant(float x, double factor) {
  const Parts p = partsOf(x);
  if (p.kind != Kind::Finite) {
    return nonFinite(p, p.negative);
  }
  const Parts c = partsOf(factor);
  return roundToFloat(p.negative, multiply(p.significand, c.significand), p.exponent + c.exponent,
                      false);
}

// diameterMm / 2.
inline float halfOf(float x) {
  const Parts p = partsOf(x);
  if (p.kind != Kind::Finite) {
    return nonFinite(p, p.negative);
  }
  return roundToFloat(p.negative, wideOf(p.significand), p.exponent - 1, false);
}

// radiusMm / 100: the significand is scaled by 2^40 before the integer
// division, so that the quotient has 33 bits or more and its remainder is
// the sticky part.
inline float decimetresOf(float x) {
  const Parts p = partsOf(x);
  if (p.kind != Kind::Finite) {
    return nonFinite(p, p.negative);
  }
  const std::uint64_t scaled = p.significand << 40;
  return roundToFloat(p.negative, wideOf(scaled / 100), p.exponent - 40, scaled % 100 != 0);
}

// radiusDm^3.
inline float cubeOf(float x) {
  const Parts p = partsOf(x);
  if (p.kind != Kind::Finite) {
    return nonFinite(p, p.negative);
  }
  return roundToFloat(p.negative, multiply(p.significand * p.significand, p.significand),
                      3 * p.exponent, false);
}

// radiusDm^2 x kSurfaceFactor, never negative.
inline float surfaceOf(float x) {
  const Parts p = partsOf(x);
  if (p.kind != Kind::Finite) {
    return nonFinite(p, false);
  }
  const Parts c = partsOf(kSurfaceFactor);
  return roundToFloat(false, multiply(p.significand * p.significand, c.significand),
                      2 * p.exponent + c.exponent, false);
}

inline float coatingWeightOf(float x) { return timesConstant(x, kCoatingDensity); }
inline float upperLimitOf(float x) { return timesConstant(x, kUpperFactor); }
inline float lowerLimitOf(float x) { return timesConstant(x, kLowerFactor); }

// a + b. An addend more than 64 places below the other one's last place is
// less than a quarter of that place and is replaced by its sign alone.
inline float sumOf(float a, float b) {
  Parts x = partsOf(a);
  Parts y = partsOf(b);
  if (x.kind == Kind::NotANumber || y.kind == Kind::NotANumber ||
      (x.kind == Kind::Infinite && y.kind == Kind::Infinite && x.negative != y.negative)) {
    return notANumber();
  }
  if (x.kind == Kind::Infinite || y.kind == Kind::Infinite) {
    return infinity(x.kind == Kind::Infinite ? x.negative : y.negative);
  }
  if (x.significand == 0 && y.significand == 0) {
    return floatOf(x.negative && y.negative ? 0x80000000U : 0U);  // -0 only from -0 + -0
  }
  if (x.significand == 0) {
    return b;
  }
  if (y.significand == 0) {
    return a;
  }
  if (x.exponent < y.exponent) {
    const Parts larger = y;
    y = x;
    x = larger;
  }
  const int gap = x.exponent - y.exponent;
  if (gap > 64) {
    // x's significand moved 40 places up; y adds or takes less than one unit.
    const std::uint64_t moved = x.significand << 40;
    if (x.negative == y.negative) {
      return roundToFloat(x.negative, wideOf(moved), x.exponent - 40, true);
    }
    return roundToFloat(x.negative, wideOf(moved - 1), x.exponent - 40, true);
  }
  // Both as integers in units of y's last place: x's significand moved up by
  // `gap` (at most 24 + 64 bits), y's as it is.
  Wide moved = multiply(x.significand, std::uint64_t{1} << (gap < 40 ? gap : 40));
  if (gap > 40) {
    moved = Wide{(moved.high << (gap - 40)) | (moved.low >> (104 - gap)), moved.low << (gap - 40)};
  }
  const Wide small = wideOf(y.significand);
  if (x.negative == y.negative) {
    const std::uint64_t low = moved.low + small.low;
    return roundToFloat(x.negative, Wide{moved.high + (low < moved.low ? 1U : 0U), low}, y.exponent,
                        false);
  }
  // Opposite signs: the smaller magnitude from the larger; equal ones give +0.
  if (moved.high == 0 && moved.low == small.low) {
    return floatOf(0U);
  }
  if (moved.high != 0 || moved.low > small.low) {
    const std::uint64_t low = moved.low - small.low;
    return roundToFloat(x.negative, Wide{moved.high - (moved.low < small.low ? 1U : 0U), low},
                        y.exponent, false);
  }
  return roundToFloat(y.negative, wideOf(small.low - moved.low), y.exponent, false);
}

// a x b for two floats.
inline float productOf(float a, float b) {
  const Parts x = partsOf(a);
  const Parts y = partsOf(b);
  const bool negative = x.negative != y.negative;
  if (x.kind == Kind::NotANumber || y.kind == Kind::NotANumber ||
      (x.kind == Kind::Infinite && y.kind == Kind::Finite && y.significand == 0) ||
      (y.kind == Kind::Infinite && x.kind == Kind::Finite && x.significand == 0)) {
    return notANumber();
  }
  if (x.kind == Kind::Infinite || y.kind == Kind::Infinite) {
    return infinity(negative);
  }
  return roundToFloat(negative, multiply(x.significand, y.significand), x.exponent + y.exponent,
                      false);
}

// The whole record of one check, step by step.
inline SphereWeights weightsOf(float diameterMm, float rho) {
  SphereWeights w{};
  w.radiusMm = halfOf(diameterMm);
  w.radiusDm = decimetresOf(w.radiusMm);
  w.volumeDm3 = productOf(kVolumeFactor, cubeOf(w.radiusDm));
  w.bareWeightKg = productOf(rho, w.volumeDm3);
  w.surfaceDm2 = surfaceOf(w.radiusDm);
  w.coatingVolumeDm3 = productOf(kCoatingThicknessDm, w.surfaceDm2);
  w.coatingWeightKg = coatingWeightOf(w.coatingVolumeDm3);
  w.coatedWeightKg = sumOf(w.bareWeightKg, w.coatingWeightKg);
  w.upperLimitKg = upperLimitOf(w.coatedWeightKg);
  w.lowerLimitKg = lowerLimitOf(w.coatedWeightKg);
  return w;
}

}  // namespace integer_reference
}  // namespace korvimalet

#endif  // KORVIMALET_VERIFY_INTEGER_REFERENCE_H_
