#include "weight_model/weight_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "tests/weight_model_reference.h"

namespace korvimalet {
namespace {

using reference::bitsOf;

float floatFromBits(std::uint32_t bits) {
  float value = 0;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

std::string printed(float value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.3f", static_cast<double>(value));
  return text;
}

// --- Agreement with the exact reference ---------------------------------

class ExactReference : public ::testing::Test {
 protected:
  // Counts inputs whose record differs from the reference; reports the first few.
  int countMismatches(float diameterMm, float rho) {
    const SphereWeights got = computeSphereWeights(diameterMm, rho);
    const SphereWeights want = reference::exactWeights(diameterMm, rho);
    const int field = reference::firstDifferentField(got, want);
    if (field < 0) {
      return 0;
    }
    if (++reported_ <= 5) {
      float gotFields[reference::kFieldCount];
      float wantFields[reference::kFieldCount];
      reference::fieldsOf(got, gotFields);
      reference::fieldsOf(want, wantFields);
      ADD_FAILURE() << "diameter " << diameterMm << " (0x" << std::hex << bitsOf(diameterMm)
                    << "), rho " << rho << " (0x" << bitsOf(rho) << std::dec
                    << "): " << reference::kFieldNames[field] << " is " << gotFields[field]
                    << ", exactly rounded " << wantFields[field];
    }
    return 1;
  }

  std::mt19937_64 random_{20261208};
  int reported_ = 0;
};

TEST_F(ExactReference, TypicalSpheres) {
  std::uniform_real_distribution<float> diameters(0.0F, 1000.0F);
  std::uniform_real_distribution<float> densities(0.5F, 25.0F);
  int mismatches = 0;
  for (int i = 0; i < 600000; ++i) {
    mismatches += countMismatches(diameters(random_), densities(random_));
  }
  EXPECT_EQ(mismatches, 0);
}

TEST_F(ExactReference, AnyBitPattern) {
  // Uniform bit patterns: tiny and denormal, huge, negative, infinite, NaN.
  std::uniform_int_distribution<std::uint32_t> patterns;
  int mismatches = 0;
  for (int i = 0; i < 300000; ++i) {
    mismatches +=
        countMismatches(floatFromBits(patterns(random_)), floatFromBits(patterns(random_)));
  }
  EXPECT_EQ(mismatches, 0);
}

TEST_F(ExactReference, ExtremeMagnitudes) {
  // Diameters and densities at every power of two, with random significands
  // and signs, so that the cube and the weights over- and underflow.
  std::uniform_int_distribution<std::uint32_t> significands(0, (1U << 23) - 1);
  std::uniform_int_distribution<std::uint32_t> exponents(0, 255);
  std::uniform_int_distribution<std::uint32_t> signs(0, 1);
  const auto randomFloat = [&](std::uint32_t exponentLow, std::uint32_t exponentHigh) {
    const std::uint32_t exponent =
        exponentLow + exponents(random_) % (exponentHigh - exponentLow + 1);
    return floatFromBits(signs(random_) << 31 | exponent << 23 | significands(random_));
  };
  int mismatches = 0;
  for (int i = 0; i < 100000; ++i) {
    mismatches += countMismatches(randomFloat(0, 254), randomFloat(100, 154));  // any diameter
    mismatches += countMismatches(randomFloat(0, 40), randomFloat(0, 254));     // tiny diameters
  }
  const float named[] = {0.0F,
                         -0.0F,
                         1e-45F,
                         -1e-45F,
                         1e-30F,
                         1e30F,
                         -1e30F,
                         3.4e38F,
                         -3.4e38F,
                         std::numeric_limits<float>::infinity(),
                         -std::numeric_limits<float>::infinity(),
                         std::numeric_limits<float>::quiet_NaN(),
                         100.0F,
                         117.878F,
                         7.85F};
  for (const float diameterMm : named) {
    for (const float rho : named) {
      mismatches += countMismatches(diameterMm, rho);
    }
  }
  EXPECT_EQ(mismatches, 0);
}

// --- The named cases -------------------------------------------------------

TEST(ComputeSphereWeights, SteelSphereOf100MmPrintsAsTheWorkedExample) {
  const SphereWeights w = computeSphereWeights(100.0F, 7.85F);
  EXPECT_EQ(printed(w.radiusMm), "50.000");
  EXPECT_EQ(printed(w.volumeDm3), "0.524");
  EXPECT_EQ(printed(w.bareWeightKg), "4.110");
  EXPECT_EQ(printed(w.coatingWeightKg), "0.493");
  EXPECT_EQ(printed(w.coatedWeightKg), "4.604");
  EXPECT_EQ(printed(w.upperLimitKg), "4.650");
  EXPECT_EQ(printed(w.lowerLimitKg), "4.558");
  // Exact unit checks: 0.05 dm, the surface 4 pi r^2 = 0.0314159 dm^2.
  EXPECT_FLOAT_EQ(w.radiusDm, 0.5F);
  EXPECT_NEAR(w.surfaceDm2, 3.14159F, 1e-6F);
  EXPECT_EQ(judgeScaleReading(4.6F, w), ScaleVerdict::Good);
  // The stored upper limit lies just below the printed 4.650.
  EXPECT_LT(w.upperLimitKg, 4.65F);
  EXPECT_EQ(judgeScaleReading(4.650F, w), ScaleVerdict::UpperLimitViolated);
}

TEST(ComputeSphereWeights, AluminiumSphereLimitsLandOnTypedReadings) {
  // Rounded twice inside a step, each limit would move one unit inward and
  // both readings would fall outside the band.
  const SphereWeights w = computeSphereWeights(117.878F, 2.730F);
  EXPECT_EQ(w.upperLimitKg, 3.057196F);
  EXPECT_EQ(w.lowerLimitKg, 2.9966571F);
  EXPECT_EQ(judgeScaleReading(3.057196F, w), ScaleVerdict::Good);
  EXPECT_EQ(judgeScaleReading(2.9966571F, w), ScaleVerdict::Good);
  EXPECT_EQ(judgeScaleReading(std::nextafter(3.057196F, 4.0F), w),
            ScaleVerdict::UpperLimitViolated);
  EXPECT_EQ(judgeScaleReading(std::nextafter(2.9966571F, 2.0F), w),
            ScaleVerdict::LowerLimitViolated);
}

TEST(ComputeSphereWeights, SmallSphereOutsideBothEnds) {
  const SphereWeights w = computeSphereWeights(50.0F, 7.85F);
  EXPECT_LT(w.coatedWeightKg, 0.64F);
  EXPECT_GT(w.coatedWeightKg, 0.63F);
  EXPECT_EQ(judgeScaleReading(0.7F, w), ScaleVerdict::UpperLimitViolated);
  EXPECT_EQ(judgeScaleReading(0.6F, w), ScaleVerdict::LowerLimitViolated);
}

TEST(ComputeSphereWeights, ZeroDiameterGivesZeroEverywhere) {
  const SphereWeights w = computeSphereWeights(0.0F, 7.85F);
  float fields[reference::kFieldCount];
  reference::fieldsOf(w, fields);
  for (const float field : fields) {
    EXPECT_EQ(field, 0.0F);
  }
  EXPECT_EQ(judgeScaleReading(0.0F, w), ScaleVerdict::Good);
  EXPECT_EQ(judgeScaleReading(1e-45F, w), ScaleVerdict::UpperLimitViolated);
  EXPECT_EQ(judgeScaleReading(-1e-45F, w), ScaleVerdict::LowerLimitViolated);
}

TEST(ComputeSphereWeights, NegativeDiameterLeavesNoReadingGood) {
  const SphereWeights w = computeSphereWeights(-100.0F, 7.85F);
  EXPECT_EQ(w.radiusMm, -50.0F);
  EXPECT_LT(w.volumeDm3, 0.0F);
  EXPECT_LT(w.bareWeightKg, 0.0F);
  EXPECT_GT(w.surfaceDm2, 0.0F);
  EXPECT_GT(w.coatingWeightKg, 0.0F);
  EXPECT_LT(w.coatedWeightKg, 0.0F);
  EXPECT_LT(w.upperLimitKg, w.lowerLimitKg);
  const float between = (w.upperLimitKg + w.lowerLimitKg) / 2.0F;
  EXPECT_EQ(judgeScaleReading(w.upperLimitKg, w), ScaleVerdict::LowerLimitViolated);
  EXPECT_EQ(judgeScaleReading(between, w), ScaleVerdict::UpperLimitViolated);
  EXPECT_EQ(judgeScaleReading(w.lowerLimitKg, w), ScaleVerdict::UpperLimitViolated);
  EXPECT_EQ(judgeScaleReading(0.0F, w), ScaleVerdict::UpperLimitViolated);
  EXPECT_EQ(judgeScaleReading(-10.0F, w), ScaleVerdict::LowerLimitViolated);
}

TEST(ComputeSphereWeights, OverflowCarriesOnAndIsNeverGood) {
  const SphereWeights w = computeSphereWeights(-1e30F, 7.85F);
  EXPECT_EQ(w.volumeDm3, -std::numeric_limits<float>::infinity());
  EXPECT_EQ(w.bareWeightKg, -std::numeric_limits<float>::infinity());
  EXPECT_EQ(w.coatingWeightKg, std::numeric_limits<float>::infinity());
  EXPECT_TRUE(std::isnan(w.coatedWeightKg));
  EXPECT_TRUE(std::isnan(w.upperLimitKg));
  EXPECT_TRUE(std::isnan(w.lowerLimitKg));
  for (const float readingKg : {0.0F, 4.6F, -1.0F, 1e38F}) {
    EXPECT_EQ(judgeScaleReading(readingKg, w), ScaleVerdict::UpperLimitViolated) << readingKg;
  }
}

// --- Judgement ---------------------------------------------------------------

TEST(JudgeScaleReading, BothLimitsBelongToTheBand) {
  SphereWeights w{};
  w.upperLimitKg = 4.65F;
  w.lowerLimitKg = 4.55F;
  const float above = std::nextafter(w.upperLimitKg, 5.0F);
  const float below = std::nextafter(w.lowerLimitKg, 4.0F);
  EXPECT_EQ(judgeScaleReading(above, w), ScaleVerdict::UpperLimitViolated);
  EXPECT_EQ(judgeScaleReading(w.upperLimitKg, w), ScaleVerdict::Good);
  EXPECT_EQ(judgeScaleReading(std::nextafter(w.upperLimitKg, 4.0F), w), ScaleVerdict::Good);
  EXPECT_EQ(judgeScaleReading(std::nextafter(w.lowerLimitKg, 5.0F), w), ScaleVerdict::Good);
  EXPECT_EQ(judgeScaleReading(w.lowerLimitKg, w), ScaleVerdict::Good);
  EXPECT_EQ(judgeScaleReading(below, w), ScaleVerdict::LowerLimitViolated);
  EXPECT_EQ(judgeScaleReading(std::numeric_limits<float>::infinity(), w),
            ScaleVerdict::UpperLimitViolated);
  EXPECT_EQ(judgeScaleReading(-std::numeric_limits<float>::infinity(), w),
            ScaleVerdict::LowerLimitViolated);
}

TEST(JudgeScaleReading, NaNIsNeverGood) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  SphereWeights w{};
  w.upperLimitKg = 4.65F;
  w.lowerLimitKg = 4.55F;
  EXPECT_EQ(judgeScaleReading(nan, w), ScaleVerdict::UpperLimitViolated);
  w.lowerLimitKg = nan;
  EXPECT_EQ(judgeScaleReading(4.6F, w), ScaleVerdict::LowerLimitViolated);
  w.upperLimitKg = nan;
  w.lowerLimitKg = 4.55F;
  EXPECT_EQ(judgeScaleReading(4.6F, w), ScaleVerdict::UpperLimitViolated);
}

}  // namespace
}  // namespace korvimalet
