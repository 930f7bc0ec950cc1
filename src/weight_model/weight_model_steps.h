// The steps of the weight model one at a time, each the exact value of its
// expression on binary32 operands rounded once to binary32 (round to
// nearest, ties to even). Internal to the weight model: computeSphereWeights
// chains them; the tests and the exhaustive verifier check them one by one.
#ifndef KORVIMALET_WEIGHT_MODEL_WEIGHT_MODEL_STEPS_H_
#define KORVIMALET_WEIGHT_MODEL_WEIGHT_MODEL_STEPS_H_

#include <cfloat>
#include <cstdint>
#include <cstring>
#include <limits>

#include "weight_model/weight_model.h"

// How each step is rounded once.
//
// A product of two floats (the volume, the bare weight, the coating volume):
// each significand has at most 24 bits, so the product's has at most 48 and
// its exponent stays within double's range (at most 2 x 128 above and
// 2 x 149 below 2^0), so double holds it exactly, and the one conversion to
// float is its only rounding. The quotient by 2 is exact in double too.
//
// The sum of two floats (the coated weight) and the quotient of a float by
// 100 are rounded twice, first to double and then to float, but harmlessly:
// for +, -, x and / of two binary-p operands, rounding to nearest in a
// binary-q format and then to binary-p gives the correctly rounded binary-p
// result whenever q >= 2p + 2 (S. A. Figueroa, "When is double rounding
// innocuous?", ACM SIGNUM Newsletter 30(3), 1995), and 53 >= 2 x 24 + 2.
// (100 is a float, so the quotient is one of binary32 operands.) Double's
// range also covers every such sum and quotient without overflow, and its
// own denormals lie far below the float's.
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
// fused multiply-add contraction is switched off for this code in the build
// (and here for MSVC, which contracts by default before Visual Studio 2022).
#if defined(_MSC_VER) && !defined(__clang__)
#pragma fp_contract(off)
#endif

// It also needs IEEE semantics: fast-math lets the compiler reassociate,
// which can cancel Dekker's error terms to zero, and assume that no NaN
// occurs, which the verdict on an unreadable number relies on.
#if defined(__FAST_MATH__) || (defined(__FINITE_MATH_ONLY__) && __FINITE_MATH_ONLY__)
#error \
    "the weight model needs IEEE floating point: build without -ffast-math, -Ofast and -ffinite-math-only"
#endif

// Each step must be evaluated in its own type: a wider format (the x87 unit
// of 32-bit x86) would round each result twice and carry the excess into
// the next step, and so move limits by one unit and change verdicts.
#if !defined(FLT_EVAL_METHOD) || FLT_EVAL_METHOD != 0
// cppcheck-suppress preprocessorErrorDirective ; it does not see <cfloat>'s value
#error \
    "floating-point expressions are evaluated in a wider format here (FLT_EVAL_METHOD is not 0); \
build with SSE2 arithmetic (g++ and clang++: -msse2 -mfpmath=sse, MSVC: /arch:SSE2)"
#endif

static_assert(std::numeric_limits<float>::is_iec559 && std::numeric_limits<double>::is_iec559,
              "the arithmetic below is IEEE 754 binary32 and binary64");

namespace korvimalet {
namespace steps {
namespace detail {

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
inline float roundPairToSingle(double head, double tail) {
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
inline float roundHalfwayProductToSingle(double a, double b, double head) {
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

}  // namespace detail

// radiusMm = diameterMm / 2.
inline float halfOf(float diameterMm) {
  return static_cast<float>(static_cast<double>(diameterMm) / kDiameterPerRadius);
}

// radiusDm = radiusMm / 100.
inline float decimetresOf(float radiusMm) {
  return static_cast<float>(static_cast<double>(radiusMm) / kMmPerDm);
}

// The cube of the radius, dm^3; radiusDm^2 is exact in double.
inline float cubeOf(float radiusDm) {
  const double squareDm2 = static_cast<double>(radiusDm) * static_cast<double>(radiusDm);
  return detail::roundProductToSingle(squareDm2, static_cast<double>(radiusDm));
}

// surfaceDm2 = radiusDm^2 x kSurfaceFactor.
inline float surfaceOf(float radiusDm) {
  const double squareDm2 = static_cast<double>(radiusDm) * static_cast<double>(radiusDm);
  return detail::roundProductToSingle(squareDm2, kSurfaceFactor);
}

// Two floats multiplied: the volume, the bare weight, the coating volume.
inline float productOf(float a, float b) {
  return static_cast<float>(static_cast<double>(a) * static_cast<double>(b));
}

// coatingWeightKg = coatingVolumeDm3 x kCoatingDensity.
inline float coatingWeightOf(float coatingVolumeDm3) {
  return detail::roundProductToSingle(static_cast<double>(coatingVolumeDm3), kCoatingDensity);
}

// coatedWeightKg = bareWeightKg + coatingWeightKg.
inline float sumOf(float a, float b) {
  return static_cast<float>(static_cast<double>(a) + static_cast<double>(b));
}

// upperLimitKg = coatedWeightKg x kUpperFactor.
inline float upperLimitOf(float coatedWeightKg) {
  return detail::roundProductToSingle(static_cast<double>(coatedWeightKg), kUpperFactor);
}

// lowerLimitKg = coatedWeightKg x kLowerFactor.
inline float lowerLimitOf(float coatedWeightKg) {
  return detail::roundProductToSingle(static_cast<double>(coatedWeightKg), kLowerFactor);
}

}  // namespace steps
}  // namespace korvimalet

#endif  // KORVIMALET_WEIGHT_MODEL_WEIGHT_MODEL_STEPS_H_
