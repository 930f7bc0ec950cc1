// The integer reference checked on its own: roundings worked out by hand,
// ties above all, and agreement with the binary128 reference of the tests,
// which reaches the same values by another road.
#include "verify/integer_reference.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

#include "tests/weight_model_reference.h"

namespace korvimalet {
namespace {

namespace ir = integer_reference;
using reference::bitsOf;

using ir::floatOf;

const float kInf = std::numeric_limits<float>::infinity();

// n x 2^-149, n units of the smallest denormal.
float units(std::uint32_t n) { return floatOf(n); }

TEST(IntegerReference, TiesGoToEven) {
  // Halving denormals: 1/2 -> 0, 3/2 -> 2, 5/2 -> 2 units; (2^23 + 1)/2 units
  // from the smallest normal plus one unit -> 2^22.
  EXPECT_EQ(bitsOf(ir::halfOf(units(1))), 0U);
  EXPECT_EQ(bitsOf(ir::halfOf(units(3))), 2U);
  EXPECT_EQ(bitsOf(ir::halfOf(-units(3))), 0x80000002U);
  EXPECT_EQ(bitsOf(ir::halfOf(units(5))), 2U);
  EXPECT_EQ(bitsOf(ir::halfOf(units(0x800001))), 0x400000U);
  // Hundredths: 50 units / 100 is half a unit -> 0; 150 / 100 -> 2; 51 and
  // 49 lie either side of the tie.
  EXPECT_EQ(bitsOf(ir::decimetresOf(units(50))), 0U);
  EXPECT_EQ(bitsOf(ir::decimetresOf(units(150))), 2U);
  EXPECT_EQ(bitsOf(ir::decimetresOf(units(51))), 1U);
  EXPECT_EQ(bitsOf(ir::decimetresOf(units(49))), 0U);
  // Cubes: (2^-50)^3 = 2^-150, half a unit -> 0; (3 x 2^-50)^3 = 13.5 units
  // -> 14; (5 x 2^-50)^3 = 62.5 units -> 62.
  EXPECT_EQ(bitsOf(ir::cubeOf(0x1p-50F)), 0U);
  EXPECT_EQ(bitsOf(ir::cubeOf(0x3p-50F)), 14U);
  EXPECT_EQ(bitsOf(ir::cubeOf(-0x5p-50F)), 0x80000000U | 62U);
  // Sums: 1 + 2^-24 lies halfway between 1 and 1 + 2^-23 -> 1;
  // (1 + 2^-23) + 2^-24 -> 1 + 2^-22; 1 - 2^-25 lies halfway between
  // 1 - 2^-24 and 1 -> 1; a hair above the first tie rounds up.
  EXPECT_EQ(ir::sumOf(1.0F, 0x1p-24F), 1.0F);
  EXPECT_EQ(ir::sumOf(0x1.000002p0F, 0x1p-24F), 0x1.000004p0F);
  EXPECT_EQ(ir::sumOf(1.0F, -0x1p-25F), 1.0F);
  EXPECT_EQ(ir::sumOf(1.0F, 0x1.000002p-24F), 0x1.000002p0F);
}

TEST(IntegerReference, EndsOfTheRange) {
  // Products landing among the denormals: 1.01 and 0.99 units -> 1 unit,
  // 2 x 0.99 = 1.98 units -> 2; at the top, 1 % more than the largest float
  // overflows, 1 % less does not.
  EXPECT_EQ(bitsOf(ir::upperLimitOf(units(1))), 1U);
  EXPECT_EQ(bitsOf(ir::lowerLimitOf(units(1))), 1U);
  EXPECT_EQ(bitsOf(ir::lowerLimitOf(units(2))), 2U);
  EXPECT_EQ(ir::upperLimitOf(FLT_MAX), kInf);
  EXPECT_LT(ir::lowerLimitOf(FLT_MAX), FLT_MAX);
  EXPECT_EQ(ir::cubeOf(0x1p43F), kInf);
  EXPECT_EQ(ir::cubeOf(0x1p42F), 0x1p126F);
  EXPECT_EQ(ir::surfaceOf(-1e30F), kInf);
  // The constants themselves, times one: the float nearest each.
  EXPECT_EQ(bitsOf(ir::upperLimitOf(1.0F)), 0x3F8147AEU);  // 1.01
  EXPECT_EQ(bitsOf(ir::lowerLimitOf(1.0F)), 0x3F7D70A4U);  // 0.99
  EXPECT_EQ(bitsOf(ir::decimetresOf(1.0F)), 0x3C23D70AU);  // 0.01
  // Signs, zeros, infinities and NaN.
  EXPECT_EQ(bitsOf(ir::cubeOf(-0.0F)), 0x80000000U);
  EXPECT_EQ(bitsOf(ir::surfaceOf(-0.0F)), 0U);
  EXPECT_EQ(bitsOf(ir::sumOf(-0.0F, -0.0F)), 0x80000000U);
  EXPECT_EQ(bitsOf(ir::sumOf(2.5F, -2.5F)), 0U);
  EXPECT_EQ(ir::sumOf(-1.0F, units(1)), -1.0F);
  EXPECT_EQ(ir::sumOf(FLT_MAX, FLT_MAX), kInf);
  EXPECT_TRUE(std::isnan(ir::sumOf(kInf, -kInf)));
  EXPECT_TRUE(std::isnan(ir::productOf(kInf, 0.0F)));
  EXPECT_EQ(ir::productOf(-kInf, 2.0F), -kInf);
}

TEST(IntegerReference, AgreesWithTheBinary128Reference) {
  if (!reference::kHaveBinary128) {
    GTEST_SKIP() << "no binary128 type on this compiler";
  }
  std::mt19937_64 random(1208);
  std::uniform_int_distribution<std::uint32_t> patterns;
  std::uniform_real_distribution<float> diameters(0.0F, 1000.0F);
  std::uniform_real_distribution<float> densities(0.5F, 25.0F);
  int mismatches = 0;
  for (int i = 0; i < 200000; ++i) {
    const bool typical = i % 2 == 0;
    const float diameterMm = typical ? diameters(random) : floatOf(patterns(random));
    const float rho = typical ? densities(random) : floatOf(patterns(random));
    const int field = reference::firstDifferentField(ir::weightsOf(diameterMm, rho),
                                                     reference::exactWeights(diameterMm, rho));
    if (field >= 0 && ++mismatches <= 5) {
      ADD_FAILURE() << reference::kFieldNames[field] << " differs for diameter 0x" << std::hex
                    << bitsOf(diameterMm) << ", rho 0x" << bitsOf(rho);
    }
  }
  EXPECT_EQ(mismatches, 0);
}

}  // namespace
}  // namespace korvimalet
