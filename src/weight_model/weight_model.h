// Weight model of one coated-sphere check: from the bare sphere's diameter
// (mm) and its material's specific gravity (kg/dm^3) it derives radius,
// volume and weight, the weight of a 2 mm coating, and a band of +-1 %
// around the coated weight, and judges a scale reading (kg) against it.
// Every quantity is a binary32 float; each step is the exact value of its
// expression rounded once to binary32 (round to nearest, ties to even).
#ifndef KORVIMALET_WEIGHT_MODEL_WEIGHT_MODEL_H_
#define KORVIMALET_WEIGHT_MODEL_WEIGHT_MODEL_H_

namespace korvimalet {

// Diameter to radius.
constexpr double kDiameterPerRadius = 2.0;
// Millimetres to decimetres: volumes come out in dm^3, weights in kg.
constexpr double kMmPerDm = 100.0;
// Four thirds of pi, with pi taken as 3.14159, stored in single precision.
constexpr float kVolumeFactor = 4.1887865F;
// Four pi, with pi taken as 3.14159.
constexpr double kSurfaceFactor = 12.56636;
// Thickness of the coating layer, dm (2 mm), stored in single precision.
constexpr float kCoatingThicknessDm = 0.02F;
// Specific gravity of the coating, kg/dm^3, whatever the sphere is made of.
constexpr double kCoatingDensity = 7.853;
// Half-width of the tolerance band as a fraction of the coated weight.
constexpr double kTolerance = 0.01;
// Ends of the band, 1 % above and below the coated weight.
constexpr double kUpperFactor = 1.01;
constexpr double kLowerFactor = 0.99;

static_assert(kVolumeFactor == static_cast<float>(4.0 * 3.14159 / 3.0),
              "kVolumeFactor is the float nearest to 4/3 x 3.14159");
static_assert(kSurfaceFactor == 4.0 * 3.14159, "kSurfaceFactor is 4 x 3.14159");
static_assert(kUpperFactor == 1.0 + kTolerance && kLowerFactor == 1.0 - kTolerance,
              "the band and the tolerance line rest on one tolerance");

// The computed quantities of one check, in the order they are worked out.
struct SphereWeights {
  float radiusMm;          // half the entered diameter
  float radiusDm;          // the radius in decimetres
  float volumeDm3;         // volume of the bare sphere
  float bareWeightKg;      // weight of the bare sphere
  float surfaceDm2;        // surface of the bare sphere
  float coatingVolumeDm3;  // volume of the coating: surface times thickness
  float coatingWeightKg;   // weight of the coating
  float coatedWeightKg;    // bare weight plus coating weight
  float upperLimitKg;      // upper end of the tolerance band
  float lowerLimitKg;      // lower end of the tolerance band
};

enum class ScaleVerdict { Good, UpperLimitViolated, LowerLimitViolated };

// Works out every quantity of one check. Rejects nothing: zero, negative,
// huge and NaN inputs go through the same steps with IEEE results (a
// diameter of -1e30 gives an infinite bare weight and coating and NaN limits).
SphereWeights computeSphereWeights(float diameterMm, float rho);

// Judges a scale reading against the band of `weights`. Both limits belong
// to the band; the upper limit is tested first. A reading or limit that is
// NaN is never Good: it violates the upper limit, or, if only the lower
// limit is NaN, the lower one.
ScaleVerdict judgeScaleReading(float readingKg, const SphereWeights& weights);

}  // namespace korvimalet

#endif  // KORVIMALET_WEIGHT_MODEL_WEIGHT_MODEL_H_
