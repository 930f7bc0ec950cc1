// Test-only exact reference for the weight model, never part of the program, in a binary128
// format. Every product of the model (at most 24 + 24 + 53 = 101 significant bits) is exact in its
// 113 bits, so each reference step rounds only once, in its conversion to float. The two steps that
// are not products, the quotient by 100 and the sum of two floats, are rounded to 113 bits first;
// for binary32 operands that earlier rounding is harmless, since 113 > 2 x 24 + 2. Without a
// binary128 type, the integer reference stands in.
#ifndef KORVIMALET_TESTS_WEIGHT_MODEL_REFERENCE_H_
#define KORVIMALET_TESTS_WEIGHT_MODEL_REFERENCE_H_

#include <cmath>
#include <cstdint>
#include <cstring>

#include "verify/integer_reference.h"
#include "weight_model/weight_model.h"

namespace korvimalet {
namespace reference {

// KORVIMALET_NO_BINARY128 switches the binary128 path off, to try the
// fallback below on a machine that has one.
#if defined(__SIZEOF_FLOAT128__) && !defined(KORVIMALET_NO_BINARY128)
#define KORVIMALET_HAVE_BINARY128 1
using Exact = __float128;
#elif defined(__LDBL_MANT_DIG__) && __LDBL_MANT_DIG__ == 113 && !defined(KORVIMALET_NO_BINARY128)
#define KORVIMALET_HAVE_BINARY128 1
using Exact = long double;
#else
#define KORVIMALET_HAVE_BINARY128 0
#endif
constexpr bool kHaveBinary128 = KORVIMALET_HAVE_BINARY128 != 0;

// Where there is no binary128 type (MSVC, Arm macOS, 32-bit Arm), the
// integer reference of verify/, which needs no floating point, stands in.
inline SphereWeights exactWeights(float diameterMm, float rho) {
#if KORVIMALET_HAVE_BINARY128
  const auto once = [](Exact exact) { return static_cast<float>(exact); };
  SphereWeights w{};
  w.radiusMm = once(Exact(diameterMm) / 2);
  w.radiusDm = once(Exact(w.radiusMm) / 100);
  const Exact radiusDm = Exact(w.radiusDm);
  const float cubeDm3 = once(radiusDm * radiusDm * radiusDm);
  w.volumeDm3 = once(Exact(kVolumeFactor) * Exact(cubeDm3));
  w.bareWeightKg = once(Exact(rho) * Exact(w.volumeDm3));
  w.surfaceDm2 = once(radiusDm * radiusDm * Exact(kSurfaceFactor));
  w.coatingVolumeDm3 = once(Exact(kCoatingThicknessDm) * Exact(w.surfaceDm2));
  w.coatingWeightKg = once(Exact(w.coatingVolumeDm3) * Exact(kCoatingDensity));
  w.coatedWeightKg = once(Exact(w.bareWeightKg) + Exact(w.coatingWeightKg));
  w.upperLimitKg = once(Exact(w.coatedWeightKg) * Exact(kUpperFactor));
  w.lowerLimitKg = once(Exact(w.coatedWeightKg) * Exact(kLowerFactor));
  return w;
#else
  return integer_reference::weightsOf(diameterMm, rho);
#endif
}

inline std::uint32_t bitsOf(float value) {
  std::uint32_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// Equal bit for bit; any NaN matches any NaN.
inline bool sameFloat(float a, float b) {
  return (std::isnan(a) && std::isnan(b)) || bitsOf(a) == bitsOf(b);
}

constexpr int kFieldCount = 10;

// The fields of a record in their order.
inline void fieldsOf(const SphereWeights& w, float (&fields)[kFieldCount]) {
  const float values[kFieldCount] = {
      w.radiusMm,         w.radiusDm,        w.volumeDm3,      w.bareWeightKg, w.surfaceDm2,
      w.coatingVolumeDm3, w.coatingWeightKg, w.coatedWeightKg, w.upperLimitKg, w.lowerLimitKg};
  std::memcpy(fields, values, sizeof values);
}

// The index of the first field in which two records differ, or -1.
inline int firstDifferentField(const SphereWeights& a, const SphereWeights& b) {
  float left[kFieldCount];
  float right[kFieldCount];
  fieldsOf(a, left);
  fieldsOf(b, right);
  for (int i = 0; i < kFieldCount; ++i) {
    if (!sameFloat(left[i], right[i])) {
      return i;
    }
  }
  return -1;
}

constexpr const char* kFieldNames[kFieldCount] = {
    "radiusMm",         "radiusDm",        "volumeDm3",      "bareWeightKg", "surfaceDm2",
    "coatingVolumeDm3", "coatingWeightKg", "coatedWeightKg", "upperLimitKg", "lowerLimitKg"};

// The verdict as ordered comparisons: never Good when a NaN is involved.
inline ScaleVerdict expectedVerdict(float readingKg, const SphereWeights& w) {
  const bool atMostUpper = std::isless(readingKg, w.upperLimitKg) || readingKg == w.upperLimitKg;
  const bool atLeastLower =
      std::isgreater(readingKg, w.lowerLimitKg) || readingKg == w.lowerLimitKg;
  if (!atMostUpper) {
    return ScaleVerdict::UpperLimitViolated;
  }
  return atLeastLower ? ScaleVerdict::Good : ScaleVerdict::LowerLimitViolated;
}

}  // namespace reference
}  // namespace korvimalet

#endif  // KORVIMALET_TESTS_WEIGHT_MODEL_REFERENCE_H_
