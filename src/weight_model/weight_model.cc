#include "weight_model/weight_model.h"

#include <cstdint>
#include <cstring>
#include <limits>

// How each step is rounded once.
//
// A product of two floats has at most 48 significant bits, so it is exact in
// double and one conversion to float is its only rounding. A sum of two
// floats and the quotient of a float by 2 or 100 are rounded twice when they
// go through double, but harmlessly: double carries more than 2 x 24 + 2
// bits, and for +, - and / of binary32 operands rounding first to such a
// format and then to binary32 gives the correctly rounded binary32 result.
//
// That does not hold for the cube (72 bits) or for a product with a double
// constant (up to 101 bits). There the double product is the exact product
// rounded to the nearest double, and it rounds to the same float as the
// exact product unless it is itself a halfway point between two floats: a
// halfway point is a double, so the exact product cannot lie on its other
// side without the halfway point being nearer to it. Only for such a double
// (or one in the float denormal range, whose halfway points lie elsewhere)
// is the rounding error worked out, exactly, by Dekker's product; the pair
// is then rounded to odd in double before the one rounding to float, which
// keeps whether the exact value lay above, on or below the halfway point.
//
// All of this needs double operations rounded to double, one at a time:
// fused multiply-add contraction is switched off for this code in the build.

static_assert(std::numeric_limits<float>::is_iec559 && std::numeric_limits<double>::is_iec559,
              "the arithmetic below is IEEE 754 binary32 and binary64");

namespace korvimalet {
namespace {

// Veltkamp's splitting constant 2^27 + 1: it cuts a double into a high and a
// low part of at most 26 significant bits each, whose products are exact.
constexpr double kSplitter = 134217729.0;

// The bits of a double below a float's 24-bit significand (normal range).
constexpr std::uint64_t kBelowFloatMask = (std::uint64_t{1} << 29) - 1;
// Those bits for a double halfway between two floats.
constexpr std::uint64_t kHalfwayBits = std::uint64_t{1} << 28;
// The biased double exponent of the smallest normal float, 2^-126.
constexpr std::uint64_t kSmallestNormalFloatExponent = 1023 - 126;
// The biased double exponent of infinities and NaN.
constexpr std::uint64_t kNonFiniteExponent = 0x7FF;

// Rounds head + tail to binary32, where head is the double nearest to the
// exact value and tail the exact remainder (so |tail| <= half an ulp of head).
float roundPairToSingle(double head, double tail) {
  if (tail != 0.0) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &head, sizeof bits);
    if ((bits & 1U) == 0U) {
      // head is even and inexact: step to the odd neighbour on tail's side.
      // head is never zero here, since nothing in this model underflows double.
      const bool awayFromZero = (tail > 0.0) == (head > 0.0);
      bits = awayFromZero ? bits + 1U : bits - 1U;
      std::memcpy(&head, &bits, sizeof bits);
    }
  }
  return static_cast<float>(head);
}

// The exact product a x b rounded once to binary32, for a double product
// `head` that lies on a halfway point between floats or below the normal
// float range. Dekker's product gives its rounding error exactly as long as
// nothing overflows or underflows in double; the operands here are at most
// about 1e77 and products of floats with constants, far inside that range.
float roundHalfwayProductToSingle(double a, double b, double head) {
  const double aScaled = kSplitter * a;
  const double aHigh = aScaled - (aScaled - a);
  const double aLow = a - aHigh;
  const double bScaled = kSplitter * b;
  const double bHigh = bScaled - (bScaled - b);
  const double bLow = b - bHigh;
  const double tail = (((aHigh * bHigh - head) + aHigh * bLow) + aLow * bHigh) + aLow * bLow;
  return roundPairToSingle(head, tail);
}

// The exact product a x b rounded once to binary32.
inline float roundProductToSingle(double a, double b) {
  const double head = a * b;
  std::uint64_t bits = 0;
  std::memcpy(&bits, &head, sizeof bits);
  const std::uint64_t biasedExponent = (bits >> 52) & 0x7FFU;
  const bool nearHalfway =
      (bits & kBelowFloatMask) == kHalfwayBits || biasedExponent < kSmallestNormalFloatExponent;
  if (!nearHalfway || biasedExponent == kNonFiniteExponent) {
    return static_cast<float>(head);  // the usual case, and infinities and NaN
  }
  return roundHalfwayProductToSingle(a, b, head);
}

// Two binary32 values multiplied exactly in double, then rounded once.
float roundFloatProduct(float a, float b) {
  return static_cast<float>(static_cast<double>(a) * static_cast<double>(b));
}

}  // namespace

SphereWeights computeSphereWeights(float diameterMm, float rho) {
  SphereWeights w{};
  w.radiusMm = static_cast<float>(static_cast<double>(diameterMm) / kDiameterPerRadius);
  w.radiusDm = static_cast<float>(static_cast<double>(w.radiusMm) / kMmPerDm);
  const double radiusSquaredDm2 =
      static_cast<double>(w.radiusDm) * static_cast<double>(w.radiusDm);  // exact
  const float cubeDm3 = roundProductToSingle(radiusSquaredDm2, static_cast<double>(w.radiusDm));
  w.volumeDm3 = roundFloatProduct(kVolumeFactor, cubeDm3);
  w.bareWeightKg = roundFloatProduct(rho, w.volumeDm3);
  w.surfaceDm2 = roundProductToSingle(radiusSquaredDm2, kSurfaceFactor);
  w.coatingVolumeDm3 = roundFloatProduct(kCoatingThicknessDm, w.surfaceDm2);
  w.coatingWeightKg =
      roundProductToSingle(static_cast<double>(w.coatingVolumeDm3), kCoatingDensity);
  w.coatedWeightKg = static_cast<float>(static_cast<double>(w.bareWeightKg) +
                                        static_cast<double>(w.coatingWeightKg));
  w.upperLimitKg = roundProductToSingle(static_cast<double>(w.coatedWeightKg), kUpperFactor);
  w.lowerLimitKg = roundProductToSingle(static_cast<double>(w.coatedWeightKg), kLowerFactor);
  return w;
}

ScaleVerdict judgeScaleReading(float readingKg, const SphereWeights& weights) {
  // Written as "not within" so that a comparison with NaN, which is false,
  // ends in a violation instead of falling through to Good.
  if (!(readingKg <= weights.upperLimitKg)) {
    return ScaleVerdict::UpperLimitViolated;
  }
  if (!(readingKg >= weights.lowerLimitKg)) {
    return ScaleVerdict::LowerLimitViolated;
  }
  return ScaleVerdict::Good;
}

}  // namespace korvimalet
